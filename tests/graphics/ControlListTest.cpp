#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "graphics/IBubbleControl.h"
#include "graphics/ICornerResizerControl.h"
#include "graphics/IFPSDisplayControl.h"
#include "graphics/controls/IPopupMenuControl.h"
#include "graphics/controls/ITextEntryControl.h"
#include "tests/support/gfx/FakeEditorDelegate.h"
#include "tests/support/gfx/ProbeControl.h"

namespace {

using namespace gfxtest;
using Dlg = FakeEditorDelegate;

// Special controls that journal their destruction like the probes do.
template <class Base>
class Journaled : public Base
{
public:
  template <class... Args>
  Journaled(Journal& journal, std::string name, Args&&... args)
    : Base(std::forward<Args>(args)...), mJournal(journal), mName(std::move(name))
  {
  }
  ~Journaled() override { mJournal.push_back(mName + " destroyed"); }

private:
  Journal& mJournal;
  std::string mName;
};

class ControlList : public testing::Test
{
protected:
  ControlList() { g = dlg.Open(); }

  ProbeControl* Attach(const std::string& name, int paramIdx = -1, int tag = -1, const char* group = "")
  {
    auto* c = new ProbeControl(journal, name, IRECT(0, 0, 100, 100), paramIdx);
    EXPECT_EQ(g->AttachControl(c, tag, group), c);
    return c;
  }
  // Every kind of special control, each named after its slot.
  void AttachSpecials()
  {
    g->AttachFPSDisplayControl(new Journaled<IFPSDisplayControl>(journal, "fps", IRECT(10, 10, 210, 60)));
    g->AttachCornerResizer(new Journaled<ICornerResizerControl>(journal, "resizer", g->GetBounds(), 20.f));
    g->AttachTextEntryControl(new Journaled<ITextEntryControl>(journal, "entry"));
    g->AttachPopupMenuControl(new Journaled<IPopupMenuControl>(journal, "menu"));
    g->AttachBubbleControl(new Journaled<IBubbleControl>(journal, "bubble1"));
    g->AttachBubbleControl(new Journaled<IBubbleControl>(journal, "bubble2"));
  }
  std::vector<std::string> Visited(const std::function<void(const std::function<void(IControl*)>&)>& iterate)
  {
    std::vector<std::string> names;
    iterate([&](IControl* c) {
      if (auto* probe = dynamic_cast<ProbeControl*>(c))
        names.push_back(probe->Name());
      else
        names.push_back(c == g->GetFPSDisplay() ? "fps" : c == g->GetCornerResizer() ? "resizer"
                        : c == g->GetTextEntryControl() ? "entry" : c == g->GetPopupMenuControl() ? "menu"
                                                                                                 : "bubble");
    });
    return names;
  }

  Journal journal; // outlives the delegate, which destroys the controls
  Dlg dlg;
  RecordingGfx* g = nullptr;
};

TEST_F(ControlList, AContextWritesItsSizeIntoTheDelegate)
{
  dlg.nextScale = 1.5f;
  dlg.CloseWindow();
  g = dlg.Open();
  EXPECT_EQ(dlg.GetEditorWidth(), 400);
  EXPECT_EQ(dlg.GetEditorHeight(), 300);
  EXPECT_EQ(dlg.GetEditorScale(), 1.5f);
}

TEST_F(ControlList, AFrameRateOfZeroOrBelowRunsAtSixty)
{
  for (int fps : {0, -1, -60, 1, 30, 120})
  {
    Dlg other;
    RecordingGfx context(other, 400, 300, fps);
    EXPECT_EQ(context.FPS(), fps > 0 ? fps : 60) << fps;
  }
}

TEST_F(ControlList, AttachingRunsTheHooksInOrderAndTagsOnlyFreeTags)
{
  ProbeControl* a = Attach("a", Dlg::kGain, 7, "knobs");
  EXPECT_EQ(journal, (Journal{"a OnInit", "a OnResize", "a OnRescale", "a OnAttached"}));
  auto* dup = new ProbeControl(journal, "dup", IRECT(), -1);
  journal.clear();
  EXPECT_EQ(g->AttachControl(dup, 7), nullptr);
  EXPECT_TRUE(journal.empty()) << "a refused control is not touched";
  delete dup;
  Attach("u1");
  Attach("u2");
  EXPECT_EQ(g->GetControlWithTag(7), a);
  EXPECT_EQ(g->GetControlWithTag(-1), nullptr) << "tag -1 never enters the map";
  EXPECT_EQ(g->NControls(), 3);
  EXPECT_STREQ(a->GetGroup(), "knobs");
  EXPECT_EQ(g->GetControlParamIdx(0), Dlg::kGain);
  EXPECT_EQ(g->GetControlParamIdx(3), -1);
}

TEST_F(ControlList, IterationReachesTheSpecialControlsAfterTheListOnlyWhenAskedTo)
{
  Attach("a", Dlg::kGain, -1, "left");
  Attach("b", Dlg::kCount, -1, "");
  Attach("c", Dlg::kGain, -1, "left");
  AttachSpecials();
  using Names = std::vector<std::string>;
  EXPECT_EQ(Visited([&](auto f) { g->ForAllControlsFunc(f); }),
    (Names{"a", "b", "c", "fps", "resizer", "entry", "menu", "bubble", "bubble"}));
  EXPECT_EQ(Visited([&](auto f) { g->ForStandardControlsFunc(f); }), (Names{"a", "b", "c"}));
  EXPECT_EQ(Visited([&](auto f) { g->ForMatchingControls(Dlg::kGain, f); }), (Names{"a", "c"}));
  EXPECT_EQ(Visited([&](auto f) { g->ForControlInGroup("left", f); }), (Names{"a", "c"}));
  EXPECT_EQ(Visited([&](auto f) { g->ForControlInGroup("", f); }), Names{}) << "an empty group matches none";

  for (int i = 0; i < g->NBubbles(); ++i)
    EXPECT_EQ(g->GetBubbleControl(i)->GetUI(), g);
  EXPECT_EQ(g->GetTextEntryControl()->GetDelegate(), &dlg);
  g->AttachBubbleControl(nullptr);
  g->AttachPopupMenuControl(nullptr);
  g->AttachCornerResizer(nullptr);
  EXPECT_EQ(g->NBubbles(), 2);

  g->SetAllControlsClean();
  g->HideControl(Dlg::kGain, true);
  EXPECT_TRUE(g->GetControl(0)->IsHidden() && g->GetControl(2)->IsHidden() && !g->GetControl(1)->IsHidden());
  g->ForAllControls(&IControl::SetDirty, false, -1);
  EXPECT_TRUE(g->GetCornerResizer()->IsDirty() && g->GetBubbleControl(1)->IsDirty());
}

TEST_F(ControlList, EverythingIsDestroyedInItsOrderAndASecondSlotControlIsRefused)
{
  Attach("a", -1, 1);
  Attach("b", -1, 2);
  AttachSpecials();
  journal.clear();
  g->AttachCornerResizer(
    new Journaled<ICornerResizerControl>(journal, "resizer2", g->GetBounds(), 20.f), kResizeModeSize, true);
  EXPECT_EQ(g->GetResizerMode(), kResizeModeScale) << "the refused resizer's mode is not taken";
  g->AttachPopupMenuControl(new Journaled<IPopupMenuControl>(journal, "menu2"));
  g->AttachTextEntryControl(new Journaled<ITextEntryControl>(journal, "entry2"));
  EXPECT_EQ(journal, (Journal{"resizer2 destroyed", "menu2 destroyed", "entry2 destroyed"}));
  journal.clear();
  g->RemoveAllControls();
  EXPECT_EQ(NamesWith(journal, "destroyed"),
    (std::vector<std::string>{"menu", "entry", "resizer", "fps", "bubble2", "bubble1", "b", "a"}));
  EXPECT_EQ(g->GetControlWithTag(1), nullptr);
  EXPECT_EQ(g->NControls(), 0);
}

TEST_F(ControlList, RemovalDestroysErasesTheTagAndRemovesTheRestLastFirst)
{
  for (const char* name : {"a", "b", "c", "d"})
    Attach(name, -1, name[0]);
  journal.clear();
  g->RemoveControlWithTag('b');
  EXPECT_EQ(NamesWith(journal, "destroyed"), std::vector<std::string>{"b"});
  EXPECT_EQ(g->GetControlWithTag('b'), nullptr);
  g->RemoveControls(1);
  EXPECT_EQ(NamesWith(journal, "destroyed"), (std::vector<std::string>{"b", "d", "c"}));
  EXPECT_EQ(g->GetControlWithTag('c'), nullptr);
  g->RemoveControl(5);
  g->RemoveControlWithTag('z');
  EXPECT_EQ(g->NControls(), 1);
}

TEST_F(ControlList, RemovingACapturedControlReleasesEveryCaptureAndShowsTheCursor)
{
  ProbeControl* a = Attach("a");
  ProbeControl* b = Attach("b");
  g->Capture(0, a);
  g->Capture(1, b);
  g->HideMouseCursor(true, true);
  g->RemoveControl(a);
  EXPECT_FALSE(g->ControlIsCaptured(b));
  EXPECT_FALSE(g->IsCursorHidden());
  EXPECT_EQ(g->cursorShows, 1);
}

// Every road by which a control is destroyed first detaches it from the
// event state: no capture, mouse-over or prompt caller is left pointing at
// freed memory.
TEST_F(ControlList, NoRemovalLeavesADanglingEventState)
{
  struct Case
  {
    const char* name;
    std::function<IControl*(RecordingGfx&)> victim;
    std::function<void(RecordingGfx&)> remove;
  };
  const Case cases[] = {
    {"drawn menu removed", [](RecordingGfx& g) -> IControl* { return g.GetPopupMenuControl(); },
      [](RecordingGfx& g) { g.RemovePopupMenuControl(); }},
    {"text entry removed", [](RecordingGfx& g) -> IControl* { return g.GetTextEntryControl(); },
      [](RecordingGfx& g) { g.RemoveTextEntryControl(); }},
    {"frame-time display off", [](RecordingGfx& g) -> IControl* { return g.GetFPSDisplay(); },
      [](RecordingGfx& g) { g.ShowFPSDisplay(false); }},
    {"all controls removed", [](RecordingGfx& g) -> IControl* { return g.GetControl(1); },
      [](RecordingGfx& g) { g.RemoveAllControls(); }},
    {"one control removed", [](RecordingGfx& g) -> IControl* { return g.GetControl(1); },
      [](RecordingGfx& g) { g.RemoveControl(1); }},
    {"controls from an index", [](RecordingGfx& g) -> IControl* { return g.GetControl(1); },
      [](RecordingGfx& g) { g.RemoveControls(1); }},
    {"by tag", [](RecordingGfx& g) -> IControl* { return g.GetControl(1); },
      [](RecordingGfx& g) { g.RemoveControlWithTag(5); }},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.name);
    g->RemoveAllControls();
    Attach("a");
    Attach("b", Dlg::kGain, 5);
    AttachSpecials();
    g->ShowFPSDisplay(true);
    IControl* victim = c.victim(*g);
    g->Capture(0, victim);
    g->SetMouseOverControl(victim);
    g->SetCallers(victim, victim);
    dlg.valuesFromUI.clear();
    c.remove(*g);
    EXPECT_EQ(c.victim(*g), nullptr) << "destroyed and gone from its place";
    EXPECT_TRUE(dlg.valuesFromUI.empty()) << "redrawing sends no value";
    EXPECT_FALSE(g->ControlIsCaptured(victim));
    EXPECT_EQ(g->GetMouseOver(), nullptr);
    EXPECT_EQ(g->GetMouseOverIdx(), -1);
    EXPECT_EQ(g->GetTextEntryCaller(), nullptr);
    EXPECT_EQ(g->GetPopupCaller(), nullptr);
  }
}

TEST_F(ControlList, TheFrameTimeDisplayIsMadeOnceAndRecordsARing)
{
  ProbeControl* a = Attach("a");
  a->SetClean();
  g->ShowFPSDisplay(true);
  IFPSDisplayControl* fps = g->GetFPSDisplay();
  ASSERT_NE(fps, nullptr);
  EXPECT_EQ(fps->GetRECT(), IRECT(10, 10, 210, 60));
  EXPECT_STREQ(fps->GetLabel(), "Frame Time");
  EXPECT_TRUE(a->IsDirty());
  g->ShowFPSDisplay(true);
  EXPECT_EQ(g->GetFPSDisplay(), fps);
  for (int i = 1; i <= IFPSDisplayControl::kNumFrames + 1; ++i)
    fps->Update(static_cast<float>(i));
  EXPECT_EQ(fps->GetReadPos(), 1);
  EXPECT_EQ(fps->GetFrameTime(1), 101.f);
  EXPECT_EQ(fps->GetFrameTime(0), 100.f);
  a->SetClean();
  g->ShowFPSDisplay(false);
  EXPECT_EQ(g->GetFPSDisplay(), nullptr);
  EXPECT_TRUE(a->IsDirty());
}

TEST_F(ControlList, TheMouseOverIndexFollowsItsControl)
{
  Attach("a");
  Attach("b");
  ProbeControl* c = Attach("c");
  g->SetMouseOverControl(c);
  EXPECT_EQ(g->GetMouseOverIdx(), 2);
  g->RemoveControl(0);
  EXPECT_EQ(g->GetMouseOverIdx(), 1);
  auto* background = new ProbeControl(journal, "bg", g->GetBounds());
  EXPECT_EQ(g->AttachBackgroundControl(background), background);
  EXPECT_EQ(g->GetControl(0), background);
  EXPECT_EQ(g->GetMouseOverIdx(), 2);
  EXPECT_EQ(g->GetControl(g->GetMouseOverIdx()), c);
}

TEST_F(ControlList, BoundsSettersRedrawUnlessTheControlIsHidden)
{
  ProbeControl* a = Attach("a");
  ProbeControl* b = Attach("b");
  struct Case { const char* name; std::function<void()> set; IRECT want; };
  const Case cases[] = {
    {"position", [&] { g->SetControlPosition(0, 5, 6); }, IRECT(5, 6, 105, 106)},
    {"size", [&] { g->SetControlSize(0, 10, 20); }, IRECT(0, 0, 10, 20)},
    {"bounds", [&] { g->SetControlBounds(0, IRECT(1, 2, 3, 4)); }, IRECT(1, 2, 3, 4)},
  };
  for (bool hidden : {false, true})
    for (const Case& c : cases)
    {
      SCOPED_TRACE(c.name);
      a->SetTargetAndDrawRECTs(IRECT(0, 0, 100, 100));
      a->Hide(hidden);
      g->SetAllControlsClean();
      c.set();
      EXPECT_EQ(a->GetRECT(), c.want);
      EXPECT_EQ(b->IsDirty(), !hidden);
    }
}

} // namespace
