#pragma once

// An editor opened as a host opens it: the delegate makes an IGfxMac whose
// view goes into a headless window; events are sent to the window at points
// from its top-left, and the main loop runs on the manual clock.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "AppKit/AppKit.h"
#include "CoreGraphics/CGDisplay.h"
#include "StandIn/AppKitEvents.h"
#include "StandIn/CFObjects.h"
#include "StandIn/Gpu.h"
#include "StandIn/Hooks.h"
#include "graphics/platform/IGfxMac.h"
#include "graphics/platform/IGfxView_vTolvane3_au.h"
#include "tests/support/gfx/FakeEditorDelegate.h"

namespace mactest {

using namespace plugkit::gfx;

// Counts its deletions, so teardown tests see each context go once.
class CountedGfxMac : public IGfxMac
{
public:
  using IGfxMac::IGfxMac;
  ~CountedGfxMac() override { ++deletions; }
  static inline int deletions = 0;
};

// A control that records every mouse record it gets, with its position and
// motion, as "event x y dX dY" plus the modifiers held.
class MouseRecorder : public IControl
{
public:
  MouseRecorder(std::vector<std::string>& log, const IRECT& r, int paramIdx = -1)
    : IControl(r, paramIdx), mLog(log)
  {
  }
  void Draw(IGfx& g) override { g.FillRect(IColor(255, 200, 40, 40), GetRECT()); }
  void OnMouseDown(float x, float y, const IMouseMod& m) override { Note("down", x, y, 0, 0, m); }
  void OnMouseUp(float x, float y, const IMouseMod& m) override { Note("up", x, y, 0, 0, m); }
  void OnMouseDrag(float x, float y, float dX, float dY, const IMouseMod& m) override { Note("drag", x, y, dX, dY, m); }
  void OnMouseDblClick(float x, float y, const IMouseMod& m) override { Note("dblclick", x, y, 0, 0, m); }
  void OnMouseOut() override { mLog.push_back("out"); }
  void OnTextEntryCompletion(const char* str, int) override { mLog.push_back(std::string("text ") + str); }
  void OnDrop(const char* path) override { mLog.push_back(std::string("drop ") + path); }

private:
  void Note(const std::string& what, float x, float y, float dX, float dY, const IMouseMod& m);
  std::vector<std::string>& mLog;
};

inline void MouseRecorder::Note(const std::string& what, float x, float y, float dX, float dY, const IMouseMod& m)
{
  char text[128];
  std::snprintf(text, sizeof text, "%s %g %g %g %g%s%s%s", what.c_str(), x, y, dX, dY, m.L ? " L" : "",
    m.R ? " R" : "", m.S ? " S" : "");
  mLog.push_back(text);
}

class MacEditorTest : public testing::Test
{
protected:
  static constexpr double kWindowX = 100, kWindowY = 200;

  void SetUp() override
  {
    standin::ResetMainLoop();
    standin::UseManualClock(1000.0);
    standin::ResetGpu();
    standin::ResetCursors();
    standin::ResetPanels();
    standin::ResetWorkspace();
    standin::ResetMenus();
    standin::ClearCursorCalls();
    standin::SetMainDisplaySize(1920, 1080);
    NSScreen::mainScreen().setBackingScaleFactor(1.0);
    CountedGfxMac::deletions = 0;
    mLiveBefore = standin::LiveObjectCount();
  }

  void TearDown() override
  {
    Close();
    standin::DrainOutermostPool();
    standin::ResetMainLoop();
    standin::UseRealClock();
  }

  // Opens the editor in a new window of its size; layout adds what the test
  // wants.
  void Open(float drawScale = 1.f, std::function<void(IGfx&)> layout = nullptr)
  {
    mDelegate = std::make_unique<gfxtest::FakeEditorDelegate>(400, 300);
    mDelegate->SetMakeGraphicsFunc([this, drawScale]() -> IGfx* {
      return new CountedGfxMac(*mDelegate, 400, 300, 60, drawScale);
    });
    mDelegate->SetLayoutFunc([layout](IGfx* g) {
      if (layout && g)
        layout(*g);
    });
    mWindow = new NSWindow(NSMakeRect(kWindowX, kWindowY, 400 * drawScale, 300 * drawScale));
    mView = static_cast<IGfxView_vTolvane3_au*>(mDelegate->OpenWindow(mWindow->contentView()));
    mWindow->makeKeyAndOrderFront();
  }

  // The host takes the view down and drops its window and the plug-in.
  void Close()
  {
    if (mView && mView->superview())
      mView->removeFromSuperview();
    mView = nullptr;
    if (mWindow)
      mWindow->release();
    mWindow = nullptr;
    mDelegate.reset();
  }

  IGfxMac& Gfx() { return *static_cast<IGfxMac*>(mDelegate->GetGraphicsContext()); }

  // A point of the window from its top-left.
  NSPoint At(double x, double y) const { return NSPoint{x, mWindow->frame().size.height - y}; }
  void Mouse(NSEventType type, double x, double y, uint64_t mods = 0, long clicks = 1)
  {
    mWindow->sendEvent(standin::MouseEvent(type, At(x, y), mods, clicks).get());
  }
  void Key(unsigned short code, const std::string& chars, uint64_t mods = 0)
  {
    mWindow->sendEvent(standin::KeyEvent(NSEventTypeKeyDown, code, chars, mods).get());
  }
  void Tick(double seconds = 1.0 / 60) { standin::RunMainLoopFor(seconds + 1e-6); }

  std::unique_ptr<gfxtest::FakeEditorDelegate> mDelegate;
  NSWindow* mWindow = nullptr;
  IGfxView_vTolvane3_au* mView = nullptr;
  long mLiveBefore = 0;
};

} // namespace mactest
