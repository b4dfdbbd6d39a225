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

} // namespace
