#include "tools/EditorSession.h"

#include <algorithm>

#include "AudioUnit/AUCocoaUIView.h"
#include "AudioUnit/AudioUnitProperties.h"
#include "QuartzCore/CAMetalLayer.h"
#include "StandIn/AppKitEvents.h"
#include "StandIn/Gpu.h"
#include "StandIn/Hooks.h"
#include "tools/ComponentBundle.h"
#include "tools/PngFile.h"

namespace auhost {

namespace {

constexpr double kFrame = 1.0 / 60.0;

bool Presented(NSView* view)
{
  return view->layer() && view->layer()->presentCount() > 0;
}

} // namespace

std::unique_ptr<EditorSession> EditorSession::Open(AudioUnit unit, double scale, std::string& error)
{
  AudioUnitCocoaViewInfo info{};
  UInt32 size = sizeof info;
  if (AudioUnitGetProperty(unit, kAudioUnitProperty_CocoaUI, kAudioUnitScope_Global, 0, &info, &size) != noErr)
    return error = "the unit has no Cocoa editor", nullptr;
  const std::string className = TextOf(info.mCocoaAUViewClass[0]);
  CFRelease(info.mCocoaAUViewClass[0]);
  CFRelease(info.mCocoaAUViewBundleLocation);

  // Frames are drawn on the calling thread, so each snapshot holds every
  // frame the loop ran.
  standin::SetGpuSynchronous(true);
  std::unique_ptr<EditorSession> session(new EditorSession);
  Class cls = NSClassFromString(className);
  session->mFactory = cls ? cls->allocInit() : nullptr;
  auto* factory = dynamic_cast<AUCocoaUIBase*>(session->mFactory);
  if (!factory)
    return error = "no view factory class \"" + className + "\"", nullptr;
  NSScreen::mainScreen().setBackingScaleFactor(scale);
  session->mView = factory->uiViewForAudioUnit(unit, NSSize{1008, 584});
  if (!session->mView)
    return error = "the unit's factory made no editor view", nullptr;

  const NSRect frame = session->mView->frame();
  session->mWindow = new NSWindow(NSMakeRect(100, 100, frame.size.width, frame.size.height));
  session->mView->setFrame(NSMakeRect(0, 0, frame.size.width, frame.size.height));
  session->mWindow->contentView()->addSubview(session->mView);
  session->mWindow->makeKeyAndOrderFront();
  EditorSession* s = session.get();
  s->mView->setPostsFrameChangedNotifications(true);
  NSNotificationCenter::defaultCenter().addObserver(s, NSViewFrameDidChangeNotification, s->mView, [s](NSObject*) {
    const NSSize wanted = s->mView->frame().size;
    const NSSize now = s->mWindow->frame().size;
    if (wanted.width != now.width || wanted.height != now.height)
      s->mWindow->setContentSize(wanted);
  });
  for (int i = 0; i < 60 && !Presented(session->mView); ++i)
    standin::RunMainLoopFor(kFrame);
  if (!Presented(session->mView))
    return error = "the editor showed no frame", nullptr;
  return session;
}

EditorSession::~EditorSession()
{
  NSNotificationCenter::defaultCenter().removeObserver(this);
  if (mView && mView->superview())
    mView->removeFromSuperview();
  if (mWindow)
    mWindow->release();
  if (mFactory)
    mFactory->release();
}

standin::WindowImage EditorSession::Snapshot()
{
  standin::RunMainLoopFor(kFrame);
  return standin::SnapshotWindow(*mWindow);
}

bool EditorSession::Play(const EditorEvent& e, std::string& error)
{
  if (e.timeMs > mNowMs)
    standin::RunMainLoopFor((e.timeMs - mNowMs) / 1000.0);
  mNowMs = std::max(mNowMs, e.timeMs);

  NSWindow& window = *mWindow;
  const NSPoint at{e.x, window.frame().size.height - e.y};
  auto mouse = [&](NSEventType type) { window.sendEvent(standin::MouseEvent(type, at, e.modifiers, e.clicks).get()); };
  switch (e.kind)
  {
    case EditorEvent::kMove: mouse(NSEventTypeMouseMoved); break;
    case EditorEvent::kDown: mouse(NSEventTypeLeftMouseDown); break;
    case EditorEvent::kDrag: mouse(NSEventTypeLeftMouseDragged); break;
    case EditorEvent::kUp: mouse(NSEventTypeLeftMouseUp); break;
    case EditorEvent::kRightDown: mouse(NSEventTypeRightMouseDown); break;
    case EditorEvent::kRightUp: mouse(NSEventTypeRightMouseUp); break;
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
    {
      const standin::WindowImage image = Snapshot();
      return WritePng(e.text, image.width, image.height, image.rgba, error);
    }
  }
  return true;
}

} // namespace auhost
