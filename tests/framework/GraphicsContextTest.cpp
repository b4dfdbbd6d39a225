#include <utility>
#include <vector>

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

TEST_F(GraphicsContext, AFrameRateOfZeroRunsAt60WithinHalfAndTwiceTheScale)
{
  FakeGfx zero(dlg, 100, 100, 0);
  EXPECT_EQ(zero.FPS(), 60);
  EXPECT_FLOAT_EQ(zero.GetMinScale(), 0.5f);
  EXPECT_FLOAT_EQ(zero.GetMaxScale(), 2.f);
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
  c->SetDirty(false);
  EXPECT_DOUBLE_EQ(c->GetValue(), 1.0);
  c->SetValue(-0.5);
  c->SetDirty(true);
  EXPECT_EQ(dlg.valuesFromUI, (std::vector<std::pair<int, double>>{{1, 0.4}, {0, 0.0}}));
}

TEST_F(GraphicsContext, PeersOfAParameterFollowAndAValueAlreadyShownChangesNothing)
{
  FakeControl* knob = Attach({1});
  FakeControl* pair = Attach({0, 1});
  FakeControl* other = Attach({0});
  knob->SetValue(0.6);
  knob->SetDirty(true);
  EXPECT_TRUE(pair->GetValue(1) == 0.6 && pair->GetValue(0) == 0.0 && other->GetValue(0) == 0.0);
  EXPECT_EQ(dlg.valuesFromUI.size(), 1u);
  // A value from the delegate that is already shown leaves the control
  // clean, and the host's value is not sent back.
  other->SetValueFromDelegate(0.3);
  other->SetClean();
  other->SetValueFromDelegate(0.3);
  EXPECT_FALSE(other->IsDirty());
  other->SetValueFromDelegate(0.4);
  EXPECT_TRUE(other->IsDirty());
  EXPECT_EQ(dlg.valuesFromUI.size(), 1u);
}

} // namespace
