#include <dlfcn.h>

#include <string>

#include <gtest/gtest.h>

#include "AudioUnit/AUCocoaUIView.h"
#include "StandIn/AudioUnits.h"
#include "tests/framework/audiounit/fakes/TestHost.h"
#include "tests/framework/fakes/FakeGfx.h"

namespace {

using namespace fakes;

using AUViewFactory = HostedUnitTest;

std::string Text(CFStringRef s)
{
  char buffer[256] = {};
  const bool ok = s && CFStringGetCString(s, buffer, sizeof(buffer), kCFStringEncodingUTF8);
  return ok ? buffer : "<no text>";
}

// The view factory as a host makes it: by the class name the CocoaUI
// property gives. The caller releases it.
AUCocoaUIBase* MakeFactory(const HostedUnit& host, NSObject*& object)
{
  AudioUnitCocoaViewInfo info{};
  if (host.Get(kAudioUnitProperty_CocoaUI, kAudioUnitScope_Global, 0, info) != noErr)
    return nullptr;
  Class cls = NSClassFromString(Text(info.mCocoaAUViewClass[0]));
  CFRelease(info.mCocoaAUViewBundleLocation);
  CFRelease(info.mCocoaAUViewClass[0]);
  object = cls ? cls->allocInit() : nullptr;
  return dynamic_cast<AUCocoaUIBase*>(object);
}

// A unit that is not one of ours: it answers no property.
AudioComponentMethod NoMethods(SInt16)
{
  return nullptr;
}

TEST_F(AUViewFactory, TheHostFindsTheFactoryByItsCocoaUINameAndGetsTheEditorsView)
{
  struct Case
  {
    const char* name;
    bool hasUI, makesGraphics, ourUnit, wantView;
  };
  const Case cases[] = {
    {"an editor", true, true, true, true},
    {"\"HasUI\" 0", false, true, true, false},
    {"no context made", true, false, true, false},
    {"another unit", true, true, false, false},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.name);
    Open();
    NSObject* object = nullptr;
    AUCocoaUIBase* factory = MakeFactory(Host(), object);
    ASSERT_NE(factory, nullptr);
    EXPECT_EQ(factory->interfaceVersion(), 0u);
    CFStringRef description = factory->description();
    EXPECT_EQ(Text(description), "AUTestPlugin View");
    CFRelease(description);

    Plugin().SetHasUI(c.hasUI);
    int made = 0;
    FakeGfx* gfx = nullptr;
    Plugin().SetMakeGraphicsFunc([&]() -> IGfx* {
      ++made;
      return c.makesGraphics ? gfx = new FakeGfx(Plugin(), 100, 50) : nullptr;
    });
    AudioComponentPlugInInterface stranger{nullptr, nullptr, NoMethods, nullptr};
    AudioUnit other = standin::NewAudioComponentInstance(&stranger);
    NSView* view = factory->uiViewForAudioUnit(c.ourUnit ? Host().Unit() : other, NSSize{400, 300});
    EXPECT_EQ(view != nullptr, c.wantView);
    EXPECT_EQ(made, c.hasUI && c.ourUnit ? 1 : 0) << "the editor is made only for an editor of ours";
    if (c.wantView)
    {
      EXPECT_EQ(static_cast<void*>(view), static_cast<void*>(gfx)) << "the window the editor opened";
      EXPECT_EQ(gfx->openWindowCalls, 1);

      // Asking again closes the open editor and opens a new one.
      bool firstDestroyed = false;
      gfx->destroyed = &firstDestroyed;
      NSView* again = factory->uiViewForAudioUnit(Host().Unit(), NSSize{});
      EXPECT_TRUE(firstDestroyed);
      EXPECT_EQ(static_cast<void*>(again), static_cast<void*>(gfx));
      Plugin().CloseWindow();
    }
    standin::DisposeComponentInstance(other);
    object->release();
  }
}

TEST_F(AUViewFactory, AModuleThatUnloadsTakesItsViewClassAlong)
{
  // The module built as a bundle defines the class, unless this program
  // (which links the same wrapper) did so first; the class must never
  // outlive the code that makes its instances.
  const bool programsOwn = NSClassFromString(kAUTestViewClass) != nullptr;
  void* module = dlopen(AU_TEST_BUNDLE_ROOT "/Contents/MacOS/AUTestPlugin", RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(module, nullptr) << dlerror();
  auto* record = reinterpret_cast<AudioComponentPlugInInterface* (*)()>(dlsym(module, "Tolvane3_Factory"))();
  AudioUnit unit = standin::NewAudioComponentInstance(record);
  ASSERT_EQ(record->Open(record, unit), noErr);
  EXPECT_NE(NSClassFromString(kAUTestViewClass), nullptr);
  record->Close(record);
  standin::DisposeComponentInstance(unit);
  dlclose(module);
  EXPECT_EQ(NSClassFromString(kAUTestViewClass) != nullptr, programsOwn);

  Open();
  NSObject* object = nullptr;
  ASSERT_NE(MakeFactory(Host(), object), nullptr);
  object->release();
}

} // namespace
