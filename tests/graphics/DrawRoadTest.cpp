#include <gtest/gtest.h>

#include <random>

#include "StandIn/Hooks.h"
#include "graphics/IFPSDisplayControl.h"
#include "tests/graphics/EditorFixture.h"

namespace {

using namespace gfxtest;

class DrawRoad : public EditorTest
{
protected:
  std::vector<std::string> CallNames() const
  {
    std::vector<std::string> names;
    for (const GfxCall& c : g->calls)
      names.push_back(c.name);
    return names;
  }
  // Probe names in the order they were drawn.
  std::vector<std::string> Drawn() const
  {
    std::vector<std::string> names;
    for (const std::string& e : journal)
      if (e.find(" Draw ") != std::string::npos)
        names.push_back(e.substr(0, e.find(' ')));
    return names;
  }
};

// Dirties itself while it draws, as a meter that wants every frame.
class Restless : public IControl
{
public:
  using IControl::IControl;
  void Draw(IGfx&) override
  {
    ++draws;
    SetDirty(false);
  }
  int draws = 0;
};

TEST_F(DrawRoad, DirtyControlIsWidenedAlignedAndDrawnInOrder)
{
  ProbeControl* c = Probe("c", IRECT(10, 10, 20, 20));
  g->SetScreenScale(2.f);
  Settle();
  EXPECT_FALSE(view->Tick()) << "a quiet tick";
  EXPECT_TRUE(g->calls.empty());

  c->SetDirty(false);
  ASSERT_TRUE(view->Tick());
  ASSERT_EQ(view->Dirty().Size(), 1);
  EXPECT_EQ(view->Dirty().Get(0), IRECT(9.25f, 9.25f, 20.75f, 20.75f));
  EXPECT_EQ(CallNames(), (std::vector<std::string>{"BeginFrame", "PathTransformSetMatrix", "PathClear",
                           "SetClipRegion", "CompleteControlDraw", "EndFrame"}));
  EXPECT_EQ(g->CallsNamed("SetClipRegion")[0].args, (std::vector<float>{9, 9, 21, 21}));
  EXPECT_EQ(g->CallsNamed("CompleteControlDraw")[0].args, (std::vector<float>{9, 9, 21, 21}));
  EXPECT_EQ(journal, (Journal{"c Draw 9 9 21 21"}));
}

TEST_F(DrawRoad, ControlDirtiedWhileDrawingIsDrawnNextTick)
{
  auto* meter = new Restless(IRECT(0, 0, 10, 10));
  g->AttachControl(meter);
  view->Tick();
  EXPECT_EQ(meter->draws, 1);
  EXPECT_TRUE(view->Tick());
  EXPECT_EQ(meter->draws, 2);
}

TEST_F(DrawRoad, HiddenControlsAreSkippedButTheBackground)
{
  Probe("bg", IRECT(0, 0, 400, 300))->Hide(true);
  Probe("a", IRECT(10, 10, 20, 20))->Hide(true);
  Probe("b", IRECT(30, 10, 40, 20));
  Settle();
  g->SetAllControlsDirty();
  view->Tick();
  EXPECT_EQ(Drawn(), (std::vector<std::string>{"bg", "b"}));
}

TEST_F(DrawRoad, UnionFlagDrawsOneRectangleSpanningAllDirtyAreas)
{
  ProbeControl* left = Probe("left", IRECT(0, 0, 10, 10));
  Probe("middle", IRECT(100, 100, 110, 110));
  ProbeControl* right = Probe("right", IRECT(200, 200, 210, 210));
  g->SetStrictDrawing(true);
  Settle();
  left->SetDirty(false);
  right->SetDirty(false);
  view->Tick();
  // The control between the two is inside the union, so it is drawn too.
  EXPECT_EQ(Drawn(), (std::vector<std::string>{"left", "middle", "right"}));
  EXPECT_EQ(g->CallsNamed("BeginFrame").size(), 1u);
}

TEST_F(DrawRoad, EmptyRectangleNeverDraws)
{
  Probe("c", IRECT(0, 0, 10, 10));
  Settle();
  IRECTList rects;
  g->DrawDirtyRegions(rects);
  EXPECT_TRUE(g->calls.empty());
  rects.Add(IRECT());
  g->DrawDirtyRegions(rects);
  EXPECT_TRUE(journal.empty());
  EXPECT_TRUE(g->CallsNamed("SetClipRegion").empty());
}

TEST_F(DrawRoad, FrameTimesEnterTheRingFromIndexOne)
{
  auto* fps = new IFPSDisplayControl(IRECT(10, 10, 210, 60));
  g->AttachFPSDisplayControl(fps);
  view->Tick();
  EXPECT_EQ(fps->GetReadPos(), 1);
  standin::AdvanceManualClock(0.025);
  view->Tick();
  EXPECT_EQ(fps->GetReadPos(), 2);
  EXPECT_NEAR(fps->GetFrameTime(2), 0.025f, 1e-5f);
}

// --- the rectangle optimisation --------------------------------------------

bool Covered(const IRECTList& list, float x, float y)
{
  for (int i = 0; i < list.Size(); ++i)
    if (list.Get(i).Contains(x, y))
      return true;
  return false;
}

TEST(RectOptimize, SmallCases)
{
  struct Case { const char* name; std::vector<IRECT> in; std::vector<IRECT> out; };
  const Case cases[] = {
    {"identical", {{0, 0, 10, 10}, {0, 0, 10, 10}}, {{0, 0, 10, 10}}},
    {"touching, same sides", {{0, 0, 10, 10}, {0, 10, 10, 20}}, {{0, 0, 10, 20}}},
    {"contained first", {{2, 2, 4, 4}, {0, 0, 10, 10}}, {{0, 0, 10, 10}}},
    {"contained second", {{0, 0, 10, 10}, {2, 2, 4, 4}}, {{0, 0, 10, 10}}},
    {"empty one", {{0, 0, 10, 10}, {}}, {{0, 0, 10, 10}}},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.name);
    IRECTList list;
    for (const IRECT& r : c.in)
      list.Add(r);
    list.Optimize();
    ASSERT_EQ(list.Size(), static_cast<int>(c.out.size()));
    for (int i = 0; i < list.Size(); ++i)
      EXPECT_EQ(list.Get(i), c.out[static_cast<size_t>(i)]);
  }
}

TEST(RectOptimize, CrossingRectanglesKeepBothSidesOfTheCut)
{
  IRECTList list;
  list.Add(IRECT(0, 0, 10, 10));
  list.Add(IRECT(3, -5, 6, 15));
  list.Optimize();
  EXPECT_TRUE(Covered(list, 8.f, 5.f)) << "the strip right of the crossing";
  EXPECT_TRUE(Covered(list, 1.f, 5.f));
}

// Against the input itself: every grid point covered before is covered
// after and no other; no two rectangles overlap; the list stays bounded.
TEST(RectOptimize, RandomListsKeepCoverageWithoutOverlap)
{
  std::mt19937 rng(18);
  std::uniform_int_distribution<int> pos(0, 40), size(1, 20);
  for (int round = 0; round < 200; ++round)
  {
    IRECTList in;
    const int n = 2 + round % 12;
    for (int k = 0; k < n; ++k)
    {
      const float l = static_cast<float>(pos(rng)), t = static_cast<float>(pos(rng));
      in.Add(IRECT(l, t, l + static_cast<float>(size(rng)), t + static_cast<float>(size(rng))));
    }
    IRECTList out = in;
    out.Optimize();
    ASSERT_LE(out.Size(), 4 * n * n);
    for (int x = 0; x < 62; ++x)
      for (int y = 0; y < 62; ++y)
        ASSERT_EQ(Covered(in, x + 0.5f, y + 0.5f), Covered(out, x + 0.5f, y + 0.5f))
          << "round " << round << " at " << x << ", " << y;
    for (int i = 0; i < out.Size(); ++i)
      for (int j = i + 1; j < out.Size(); ++j)
        ASSERT_TRUE(out.Get(i).Intersect(out.Get(j)).Empty()) << "round " << round;
  }
}

} // namespace
