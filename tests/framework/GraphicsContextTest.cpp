#include <gtest/gtest.h>

#include "tests/framework/fakes/FakeGfx.h"
#include "tests/framework/fakes/RecordingDelegate.h"

namespace {

using fakes::FakeControl;
using fakes::FakeGfx;
using fakes::RecordingDelegate;
using plugkit::gfx::IKeyPress;
using plugkit::gfx::IRECT;

class GraphicsContext : public testing::Test
{
protected:
  GraphicsContext() : dlg(2), g(dlg, 1008, 584, 60, 1.f)
  {
    dlg.GetParam(0)->InitDouble("Gain", 0.0, -24.0, 24.0, 0.1);
    dlg.GetParam(1)->InitDouble("Mix", 0.0, 0.0, 100.0, 1.0);
  }

  RecordingDelegate dlg; // limits 504..2016 x 292..1168
  FakeGfx g;
};

TEST_F(GraphicsContext, AFrameRateOfZeroRunsAt60)
{
  FakeGfx zero(dlg, 100, 100, 0);
  EXPECT_EQ(zero.FPS(), 60);
  EXPECT_FLOAT_EQ(zero.GetMinScale(), 0.5f);
  EXPECT_FLOAT_EQ(zero.GetMaxScale(), 2.f);
}

TEST_F(GraphicsContext, TagsFindTheirControlAndAreNotShared)
{
  auto* a = new FakeControl(IRECT(0, 0, 1, 1), 0);
  auto* b = new FakeControl(IRECT(0, 0, 1, 1), 1);
  auto* untagged1 = new FakeControl(IRECT(0, 0, 1, 1), -1);
  auto* untagged2 = new FakeControl(IRECT(0, 0, 1, 1), -1);
  EXPECT_EQ(g.AttachControl(a, 7, "knobs"), a);
  EXPECT_EQ(g.AttachControl(b, 7), nullptr) << "the tag is taken";
  EXPECT_EQ(g.AttachControl(untagged1), untagged1);
  EXPECT_EQ(g.AttachControl(untagged2), untagged2);
  EXPECT_EQ(g.NControls(), 3);
  EXPECT_EQ(g.GetControlWithTag(7), a);
  EXPECT_EQ(g.GetControlWithTag(-1), nullptr);
  EXPECT_EQ(g.GetControlWithTag(8), nullptr);
  EXPECT_EQ(g.GetControl(3), nullptr);
  EXPECT_STREQ(a->GetGroup(), "knobs");
  EXPECT_EQ(a->GetDelegate(), &dlg);
  EXPECT_EQ(a->GetUI(), &g);
  delete b; // refused: still the caller's
}

TEST_F(GraphicsContext, ResizeClampsToTheLimits)
{
  g.Resize(1008, 584, 3.f);
  EXPECT_FLOAT_EQ(g.GetDrawScale(), 2.f);
  g.Resize(1008, 584, 0.1f);
  EXPECT_FLOAT_EQ(g.GetDrawScale(), 0.5f);
  g.Resize(100, 5000, 1.f);
  EXPECT_EQ(g.Width(), 504);
  EXPECT_EQ(g.Height(), 1168);
}

TEST_F(GraphicsContext, ResizeTellsTheDelegateThePlatformAndEveryControl)
{
  auto* c = new FakeControl(IRECT(0, 0, 1, 1), 0);
  g.AttachControl(c);
  c->SetClean();
  const int resizesBefore = c->resizeCalls;
  g.Capture(0, c);
  g.SetLayoutOnResize(true);

  g.Resize(1008, 584, 1.5f);
  ASSERT_EQ(dlg.editorResizes.size(), 1u);
  EXPECT_EQ(dlg.editorResizes[0], std::make_pair(1512, 876));
  EXPECT_EQ(g.platformResizes, std::vector<bool>{true});
  EXPECT_EQ(g.drawResizeCalls, 1);
  EXPECT_EQ(c->resizeCalls, resizesBefore + 1);
  EXPECT_TRUE(c->IsDirty());
  EXPECT_FALSE(g.ControlIsCaptured(c)) << "a resize ends the drag";
  EXPECT_EQ(dlg.layoutCalls, 1);
}

TEST_F(GraphicsContext, ResizeToTheSameSizeDoesNothing)
{
  auto* c = new FakeControl(IRECT(0, 0, 1, 1), 0);
  g.AttachControl(c);
  g.Capture(0, c);
  g.Resize(1008, 584, 1.f);
  EXPECT_TRUE(dlg.editorResizes.empty());
  EXPECT_TRUE(g.ControlIsCaptured(c));
  EXPECT_EQ(g.drawResizeCalls, 0);
}

TEST_F(GraphicsContext, ScreenScaleKeepsTheSizeAndRescalesTheControls)
{
  auto* c = new FakeControl(IRECT(0, 0, 1, 1), 0);
  g.AttachControl(c);
  const int rescales = c->rescaleCalls;
  g.SetScreenScale(2.f);
  EXPECT_EQ(g.Width(), 1008);
  EXPECT_FLOAT_EQ(g.GetDrawScale(), 1.f);
  EXPECT_FLOAT_EQ(g.GetTotalScale(), 2.f);
  EXPECT_EQ(c->rescaleCalls, rescales + 1);
  ASSERT_EQ(dlg.editorResizes.size(), 1u);
  EXPECT_EQ(dlg.editorResizes[0], std::make_pair(1008, 584));
}

TEST_F(GraphicsContext, ToolTipsAreRegisteredAgainOnlyWhenSwitched)
{
  g.EnableTooltips(false);
  EXPECT_EQ(g.updateTooltipsCalls, 0);
  g.EnableTooltips(true);
  g.EnableTooltips(true);
  EXPECT_EQ(g.updateTooltipsCalls, 1);
  EXPECT_TRUE(g.TooltipsEnabled());
}

TEST_F(GraphicsContext, KeysFallBackToTheKeyHandler)
{
  int handled = 0;
  g.SetKeyHandlerFunc([&](const IKeyPress& key, bool isUp) {
    handled += isUp ? 10 : 1;
    return key.VK == 65;
  });
  EXPECT_TRUE(g.OnKeyDown(5, 5, IKeyPress("a", 65)));
  EXPECT_FALSE(g.OnKeyUp(5, 5, IKeyPress("b", 66)));
  EXPECT_EQ(handled, 11);
}

TEST_F(GraphicsContext, HiddenAndMousePassingControlsAreNotHit)
{
  auto* bottom = new FakeControl(IRECT(0, 0, 100, 100), -1);
  auto* top = new FakeControl(IRECT(0, 0, 100, 100), -1);
  g.AttachControl(bottom);
  g.AttachControl(top);
  EXPECT_EQ(g.GetMouseControlIdx(50, 50), 1);
  top->Hide(true);
  EXPECT_EQ(g.GetMouseControlIdx(50, 50), 0);
  EXPECT_EQ(g.GetMouseControlIdx(50, 50, true), -1) << "the background is never a mouse-over target";
  EXPECT_EQ(g.GetMouseControlIdx(100, 50), -1) << "the right edge lies outside";
  top->Hide(false);
  top->SetIgnoreMouse(true);
  EXPECT_EQ(g.GetMouseControlIdx(50, 50), 0);
}

TEST_F(GraphicsContext, ReleasingCapturesShowsAHiddenCursor)
{
  g.SetCursorHidden(true);
  g.ReleaseMouseCapture();
  EXPECT_EQ(g.showCursorCalls, 1);
}

// Controls --------------------------------------------------------------------

TEST_F(GraphicsContext, AOneValueControlSendsValueZeroWhateverIndexItIsGiven)
{
  auto* c = new FakeControl(IRECT(0, 0, 1, 1), 1);
  g.AttachControl(c);
  c->SetValue(0.4);
  c->SetDirty(true, 3);
  ASSERT_EQ(dlg.valuesFromUI.size(), 1u);
  EXPECT_EQ(dlg.valuesFromUI[0], std::make_pair(1, 0.4));
  EXPECT_DOUBLE_EQ(dlg.GetParam(1)->Value(), 40.0);
}

TEST_F(GraphicsContext, ValuesAreClampedBeforeTheyAreSent)
{
  auto* c = new FakeControl(IRECT(0, 0, 1, 1), 0);
  g.AttachControl(c);
  c->SetValue(1.7);
  EXPECT_DOUBLE_EQ(c->GetValue(), 1.7);
  c->SetDirty(false);
  EXPECT_DOUBLE_EQ(c->GetValue(), 1.0);
  EXPECT_TRUE(dlg.valuesFromUI.empty());
  c->SetValue(-0.5);
  c->SetDirty(true);
  ASSERT_EQ(dlg.valuesFromUI.size(), 1u);
  EXPECT_EQ(dlg.valuesFromUI[0], std::make_pair(0, 0.0));
}

TEST_F(GraphicsContext, AnUnlinkedControlRunsItsActionButSendsNothing)
{
  int actions = 0;
  auto* c = new FakeControl(IRECT(0, 0, 1, 1), -1, [&](plugkit::gfx::IControl*) { ++actions; });
  g.AttachControl(c);
  c->SetDirty(true);
  EXPECT_EQ(actions, 1);
  EXPECT_TRUE(dlg.valuesFromUI.empty());
}

TEST_F(GraphicsContext, PeersOfAParameterFollowButTheCallerIsNotSentBack)
{
  auto* knob = new FakeControl(IRECT(0, 0, 1, 1), 1);
  auto* pair = new FakeControl(IRECT(0, 0, 1, 1), {0, 1});
  auto* other = new FakeControl(IRECT(0, 0, 1, 1), 0);
  for (FakeControl* c : {knob, pair, other})
    g.AttachControl(c);
  knob->SetValue(0.6);
  knob->SetDirty(true);
  EXPECT_DOUBLE_EQ(pair->GetValue(1), 0.6);
  EXPECT_DOUBLE_EQ(pair->GetValue(0), 0.0);
  EXPECT_DOUBLE_EQ(other->GetValue(0), 0.0);
  EXPECT_EQ(dlg.valuesFromUI.size(), 1u);
}

TEST_F(GraphicsContext, AValueFromTheDelegateThatIsAlreadyShownChangesNothing)
{
  auto* c = new FakeControl(IRECT(0, 0, 1, 1), 0);
  g.AttachControl(c);
  c->SetValueFromDelegate(0.3);
  c->SetClean();
  c->SetValueFromDelegate(0.3);
  EXPECT_FALSE(c->IsDirty());
  c->SetValueFromDelegate(0.4);
  EXPECT_TRUE(c->IsDirty());
  EXPECT_TRUE(dlg.valuesFromUI.empty()) << "the host's value is not sent back";
}

TEST_F(GraphicsContext, AControlWithoutValuesIsLinkedToNothing)
{
  FakeControl none(IRECT(0, 0, 1, 1), std::initializer_list<int>{});
  EXPECT_EQ(none.NVals(), 0);
  EXPECT_EQ(none.LinkedToParam(0), -1);
  none.SetDirty(true, -1);
  EXPECT_TRUE(dlg.valuesFromUI.empty());
}

} // namespace
