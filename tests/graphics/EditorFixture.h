#pragma once

#include <memory>

#include "graphics/controls/IPopupMenuControl.h"
#include "graphics/controls/ITextEntryControl.h"
#include "tests/support/ManualClock.h"
#include "tests/support/gfx/FakeEditorDelegate.h"
#include "tests/support/gfx/HeadlessView.h"
#include "tests/support/gfx/MouseEvents.h"
#include "tests/support/gfx/ProbeControl.h"

namespace gfxtest {

// The fake delegate with two more parameters: "Power" (enum "Off", "On",
// at 1) and "Coarse" (stepped with a step of 0).
class EditorDelegate : public FakeEditorDelegate
{
public:
  enum { kPower = kNumParams, kCoarse };
  EditorDelegate(int width = 400, int height = 300) : FakeEditorDelegate(width, height)
  {
    mParams.Add(new plugkit::IParam());
    mParams.Add(new plugkit::IParam());
    GetParam(kPower)->InitEnum("Power", 1, {"Off", "On"});
    GetParam(kCoarse)->InitDouble("Coarse", 2.0, 0.0, 10.0, 0.0, "", plugkit::IParam::kFlagStepped);
    GetParam(kPower)->SetToDefault();
    GetParam(kCoarse)->SetToDefault();
  }
};

// The drawn menu as the context sees it: it takes a menu only while closed,
// idles until the test chooses, then answers through the context.
class StubMenu : public IPopupMenuControl
{
public:
  void Idle() { mState = kIdling; }
  void Choose(int idx)
  {
    IPopupMenu* menu = mMenu;
    mState = kCollapsed;
    mMenu = nullptr;
    if (menu)
      menu->SetChosenItemIdx(idx);
    GetUI()->SetControlValueAfterPopupMenu(idx < 0 ? nullptr : menu);
  }
};

class StubEntry : public ITextEntryControl
{
public:
  void Commit(const char* text)
  {
    mEditing = false;
    GetUI()->SetControlValueAfterTextEdit(text);
  }
};

// An open editor on the recording back-end, its headless view and a
// journal for probes, with the manual clock.
class EditorTest : public testsupport::ManualClockTest
{
protected:
  void SetUp() override
  {
    ManualClockTest::SetUp();
    IGfx::ResetQwertyMidiState();
    g = dlg.Open();
    view = std::make_unique<HeadlessView>(*g);
  }
  ProbeControl* Probe(const char* name, IRECT r, int paramIdx = -1)
  {
    auto* c = new ProbeControl(journal, name, r, paramIdx);
    g->AttachControl(c);
    return c;
  }
  // A tick with everything clean beforehand.
  void Settle()
  {
    view->Tick();
    g->calls.clear();
    journal.clear();
  }

  Journal journal;
  EditorDelegate dlg;
  RecordingGfx* g = nullptr;
  std::unique_ptr<HeadlessView> view;
};

} // namespace gfxtest
