#include "tools/EditorCommand.h"

#include <cstdio>
#include <fstream>
#include <sstream>

#include "AppKit/AppKit.h"
#include "AudioUnit/AUCocoaUIView.h"
#include "AudioUnit/AudioUnitProperties.h"
#include "QuartzCore/CAMetalLayer.h"
#include "StandIn/AppKitEvents.h"
#include "StandIn/Hooks.h"
#include "StandIn/WindowSnapshot.h"
#include "tools/EditorScript.h"
#include "tools/PngFile.h"

namespace auhost {

namespace {

constexpr double kFrame = 1.0 / 60.0;

int Fail(const std::string& message)
{
  std::fprintf(stderr, "auhost: %s\n", message.c_str());
  return 1;
}

// The editor's view, as a host gets it: the factory class named by the
// CocoaUI property, asked for the unit's view.
struct EditorView
{
  NSObject* factory = nullptr;
  NSView* view = nullptr;
  ~EditorView()
  {
    if (factory)
      factory->release();
  }
};

bool MakeEditorView(AudioUnit unit, EditorView& out, std::string& error)
{
  AudioUnitCocoaViewInfo info{};
  UInt32 size = sizeof info;
  if (AudioUnitGetProperty(unit, kAudioUnitProperty_CocoaUI, kAudioUnitScope_Global, 0, &info, &size) != noErr)
    return error = "the unit has no Cocoa editor", false;
  const std::string className = TextOf(info.mCocoaAUViewClass[0]);
  CFRelease(info.mCocoaAUViewClass[0]);
  CFRelease(info.mCocoaAUViewBundleLocation);
  Class cls = NSClassFromString(className);
  out.factory = cls ? cls->allocInit() : nullptr;
  auto* factory = dynamic_cast<AUCocoaUIBase*>(out.factory);
  if (!factory)
    return error = "no view factory class \"" + className + "\"", false;
  out.view = factory->uiViewForAudioUnit(unit, NSSize{1008, 584});
  if (!out.view)
    return error = "the unit's factory made no editor view", false;
  return true;
}

bool WriteSnapshot(const NSWindow& window, const std::string& path, std::string& error)
{
  const standin::WindowImage image = standin::SnapshotWindow(window);
  return WritePng(path, image.width, image.height, image.rgba, error);
}

// Runs the loop until the view's layer has shown a frame (at most a second).
bool WaitForFirstFrame(NSView* view)
{
  for (int i = 0; i < 60; ++i)
  {
    if (view->layer() && view->layer()->presentCount() > 0)
      return true;
    standin::RunMainLoopFor(kFrame);
  }
  return view->layer() && view->layer()->presentCount() > 0;
}

bool Play(NSWindow& window, const EditorEvent& e, std::string& error)
{
  const NSPoint at{e.x, window.frame().size.height - e.y};
  switch (e.kind)
  {
    case EditorEvent::kMove: window.sendEvent(standin::MouseEvent(NSEventTypeMouseMoved, at, e.modifiers).get()); break;
    case EditorEvent::kDown:
      window.sendEvent(standin::MouseEvent(NSEventTypeLeftMouseDown, at, e.modifiers, e.clicks).get());
      break;
    case EditorEvent::kDrag:
      window.sendEvent(standin::MouseEvent(NSEventTypeLeftMouseDragged, at, e.modifiers).get());
      break;
    case EditorEvent::kUp: window.sendEvent(standin::MouseEvent(NSEventTypeLeftMouseUp, at, e.modifiers).get()); break;
    case EditorEvent::kRightDown:
      window.sendEvent(standin::MouseEvent(NSEventTypeRightMouseDown, at, e.modifiers).get());
      break;
    case EditorEvent::kRightUp:
      window.sendEvent(standin::MouseEvent(NSEventTypeRightMouseUp, at, e.modifiers).get());
      break;
    case EditorEvent::kWheel: window.sendEvent(standin::WheelEvent(at, e.value, e.modifiers).get()); break;
    case EditorEvent::kKeyDown:
    case EditorEvent::kKeyUp:
      window.sendEvent(standin::KeyEvent(e.kind == EditorEvent::kKeyDown ? NSEventTypeKeyDown : NSEventTypeKeyUp,
        static_cast<unsigned short>(e.keyCode), e.text, e.modifiers).get());
      break;
    case EditorEvent::kDrop:
    {
      NSDraggingInfo drag;
      drag.types = {NSFilenamesPboardType};
      drag.fileNames = {e.text};
      drag.draggingLocation = at;
      window.performDrop(drag);
      break;
    }
    case EditorEvent::kFocusLost: window.resignKeyWindow(); break;
    case EditorEvent::kScale:
      NSScreen::mainScreen().setBackingScaleFactor(e.value);
      window.setBackingScaleFactor(e.value);
      break;
    case EditorEvent::kSnapshot:
      standin::RunMainLoopFor(kFrame); // what the event changed is drawn first
      return WriteSnapshot(window, e.text, error);
  }
  return true;
}

} // namespace

bool ParseEditorOptions(const std::vector<std::string>& args, EditorOptions& options, std::string& error)
{
  for (size_t i = 0; i < args.size(); ++i)
  {
    const std::string& a = args[i];
    if (i + 1 >= args.size())
      return error = "editor: " + a + " wants a value", false;
    const std::string& v = args[++i];
    if (a == "--snapshot")
      options.snapshot = v;
    else if (a == "--events")
      options.events = v;
    else if (a == "--scale" && (v == "1" || v == "2"))
      options.scale = v == "1" ? 1.0 : 2.0;
    else if (a == "--scale")
      return error = "editor: --scale is 1 or 2", false;
    else
      return error = "editor: unknown option " + a, false;
  }
  if (options.snapshot.empty())
    return error = "editor wants --snapshot OUT.png", false;
  return true;
}

int RunEditor(const ComponentBundle& bundle, const EditorOptions& options)
{
  std::vector<EditorEvent> events;
  if (!options.events.empty())
  {
    std::ifstream in(options.events, std::ios::binary);
    if (!in)
      return Fail("cannot read " + options.events);
    std::stringstream text;
    text << in.rdbuf();
    std::string error;
    if (!ParseEditorScript(text.str(), events, error))
      return Fail(options.events + ", " + error);
  }

  std::string error;
  auto opened = OpenedUnit::Open(bundle, error);
  if (!opened)
    return Fail(error);
  NSScreen::mainScreen().setBackingScaleFactor(options.scale);
  EditorView editor;
  if (!MakeEditorView(opened->Unit(), editor, error))
    return Fail(error);

  const NSRect frame = editor.view->frame();
  auto* window = new NSWindow(NSMakeRect(100, 100, frame.size.width, frame.size.height));
  editor.view->setFrame(NSMakeRect(0, 0, frame.size.width, frame.size.height));
  window->contentView()->addSubview(editor.view);
  window->makeKeyAndOrderFront();

  int status = 0;
  if (!WaitForFirstFrame(editor.view))
    status = Fail("the editor showed no frame");
  double now = 0;
  for (const EditorEvent& e : events)
  {
    if (status != 0)
      break;
    if (e.timeMs > now)
      standin::RunMainLoopFor((e.timeMs - now) / 1000.0);
    now = std::max(now, e.timeMs);
    if (!Play(*window, e, error))
      status = Fail(error);
  }
  if (status == 0)
  {
    standin::RunMainLoopFor(kFrame);
    if (!WriteSnapshot(*window, options.snapshot, error))
      status = Fail(error);
  }

  // Taken down as a host does: the view leaves its window, which closes
  // the editor; then the window and the unit go.
  editor.view->removeFromSuperview();
  window->release();
  return status;
}

} // namespace auhost
