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
  FakeControl* Attach(std::initializer_list<int> params, IRECT r = IRECT(0, 0, 1, 1))
  {
    auto* c = new FakeControl(r, params);
    g.AttachControl(c);
    return c;
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
  EXPECT_EQ(g.AttachControl(a, 7, "knobs"), a);
  EXPECT_EQ(g.AttachControl(b, 7), nullptr) << "the tag is taken";
  Attach({-1});
  Attach({-1});
  EXPECT_EQ(g.NControls(), 3);
  EXPECT_EQ(g.GetControlWithTag(7), a);
  EXPECT_TRUE(g.GetControlWithTag(-1) == nullptr && g.GetControlWithTag(8) == nullptr && g.GetControl(3) == nullptr);
  EXPECT_STREQ(a->GetGroup(), "knobs");
  EXPECT_TRUE(a->GetDelegate() == &dlg && a->GetUI() == &g);
  delete b; // refused: still the caller's
}

TEST_F(GraphicsContext, ResizeClampsTellsEveryoneAndEndsTheDragUnlessNothingChanges)
{
  FakeControl* c = Attach({0});
  g.Capture(0, c);
  g.Resize(1008, 584, 1.f);
  EXPECT_TRUE(dlg.editorResizes.empty() && g.drawResizeCalls == 0 && g.ControlIsCaptured(c));
  c->SetClean();
  const int resizes = c->resizeCalls;
  g.SetLayoutOnResize(true);
  g.Resize(1008, 584, 1.5f);
  EXPECT_EQ(dlg.editorResizes, (std::vector<std::pair<int, int>>{{1512, 876}}));
  EXPECT_EQ(g.platformResizes, std::vector<bool>{true});
  EXPECT_EQ(g.drawResizeCalls, 1);
  EXPECT_EQ(c->resizeCalls, resizes + 1);
  EXPECT_TRUE(c->IsDirty());
  EXPECT_FALSE(g.ControlIsCaptured(c)) << "a resize ends the drag";
  EXPECT_EQ(dlg.layoutCalls, 1);
  struct Case { int w, h; float scale; int wantW, wantH; float wantScale; };
  for (const Case& k : {Case{1008, 584, 3.f, 1008, 584, 2.f}, Case{1008, 584, 0.1f, 1008, 584, 0.5f},
         Case{100, 5000, 1.f, 504, 1168, 1.f}})
  {
    g.Resize(k.w, k.h, k.scale);
    EXPECT_TRUE(g.Width() == k.wantW && g.Height() == k.wantH && g.GetDrawScale() == k.wantScale) << k.w;
  }
}

TEST_F(GraphicsContext, ScreenScaleKeepsTheSizeAndRescalesTheControls)
{
  FakeControl* c = Attach({0});
  const int rescales = c->rescaleCalls;
  g.SetScreenScale(2.f);
  EXPECT_EQ(g.Width(), 1008);
  EXPECT_FLOAT_EQ(g.GetDrawScale(), 1.f);
  EXPECT_FLOAT_EQ(g.GetTotalScale(), 2.f);
  EXPECT_EQ(c->rescaleCalls, rescales + 1);
  EXPECT_EQ(dlg.editorResizes, (std::vector<std::pair<int, int>>{{1008, 584}}));
}

TEST_F(GraphicsContext, ToolTipsKeysHitsAndTheCursor)
{
  // Tool tips are registered again only when switched.
  g.EnableTooltips(false);
  g.EnableTooltips(true);
  g.EnableTooltips(true);
  EXPECT_EQ(g.updateTooltipsCalls, 1);
  EXPECT_TRUE(g.TooltipsEnabled());
  // Keys nobody takes fall back to the key handler.
  int handled = 0;
  g.SetKeyHandlerFunc([&](const IKeyPress& key, bool isUp) {
    handled += isUp ? 10 : 1;
    return key.VK == 65;
  });
  EXPECT_TRUE(g.OnKeyDown(5, 5, IKeyPress("a", 65)));
  EXPECT_FALSE(g.OnKeyUp(5, 5, IKeyPress("b", 66)));
  EXPECT_EQ(handled, 11);
  // Hidden and mouse-passing controls are not hit; the background is never
  // a mouse-over target; the right edge lies outside.
  Attach({-1}, IRECT(0, 0, 100, 100));
  FakeControl* top = Attach({-1}, IRECT(0, 0, 100, 100));
  EXPECT_EQ(g.GetMouseControlIdx(50, 50), 1);
  top->Hide(true);
  EXPECT_EQ(g.GetMouseControlIdx(50, 50), 0);
  EXPECT_EQ(g.GetMouseControlIdx(50, 50, true), -1);
  EXPECT_EQ(g.GetMouseControlIdx(100, 50), -1);
  top->Hide(false);
  top->SetIgnoreMouse(true);
  EXPECT_EQ(g.GetMouseControlIdx(50, 50), 0);
  // Releasing the capture shows a hidden cursor, and only a hidden one.
  g.ReleaseMouseCapture();
  EXPECT_EQ(g.showCursorCalls, 0);
  g.SetCursorHidden(true);
  g.ReleaseMouseCapture();
  EXPECT_EQ(g.showCursorCalls, 1);
}

// Controls --------------------------------------------------------------------

TEST_F(GraphicsContext, ControlValuesAreClampedAndSentAsValueZeroOfTheParameter)
{
  FakeControl* one = Attach({1});
  one->SetValue(0.4);
  one->SetDirty(true, 3); // whatever index it is given
  EXPECT_EQ(dlg.valuesFromUI, (std::vector<std::pair<int, double>>{{1, 0.4}}));
  EXPECT_DOUBLE_EQ(dlg.GetParam(1)->Value(), 40.0);
  FakeControl* c = Attach({0});
  c->SetValue(1.7);
  EXPECT_DOUBLE_EQ(c->GetValue(), 1.7);
  c->SetDirty(false);
  EXPECT_DOUBLE_EQ(c->GetValue(), 1.0);
  c->SetValue(-0.5);
  c->SetDirty(true);
  EXPECT_EQ(dlg.valuesFromUI, (std::vector<std::pair<int, double>>{{1, 0.4}, {0, 0.0}}));
}

TEST_F(GraphicsContext, UnlinkedAndValuelessControlsSendNothing)
{
  int actions = 0;
  auto* c = new FakeControl(IRECT(0, 0, 1, 1), -1, [&](plugkit::gfx::IControl*) { ++actions; });
  g.AttachControl(c);
  c->SetDirty(true);
  EXPECT_EQ(actions, 1);
  FakeControl none(IRECT(0, 0, 1, 1), std::initializer_list<int>{});
  EXPECT_EQ(none.NVals(), 0);
  EXPECT_EQ(none.LinkedToParam(0), -1);
  none.SetDirty(true, -1);
  EXPECT_TRUE(dlg.valuesFromUI.empty());
}

TEST_F(GraphicsContext, PeersOfAParameterFollowButTheCallerIsNotSentBack)
{
  FakeControl* knob = Attach({1});
  FakeControl* pair = Attach({0, 1});
  FakeControl* other = Attach({0});
  knob->SetValue(0.6);
  knob->SetDirty(true);
  EXPECT_TRUE(pair->GetValue(1) == 0.6 && pair->GetValue(0) == 0.0 && other->GetValue(0) == 0.0);
  EXPECT_EQ(dlg.valuesFromUI.size(), 1u);
  // A value from the delegate that is already shown changes nothing, and
  // the host's value is not sent back.
  other->SetValueFromDelegate(0.3);
  other->SetClean();
  other->SetValueFromDelegate(0.3);
  EXPECT_FALSE(other->IsDirty());
  other->SetValueFromDelegate(0.4);
  EXPECT_TRUE(other->IsDirty());
  EXPECT_EQ(dlg.valuesFromUI.size(), 1u);
}

} // namespace
