#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "graphics/IBackgroundControls.h"
#include "graphics/IBitmapControl.h"
#include "graphics/IBubbleControl.h"
#include "graphics/ICornerResizerControl.h"
#include "graphics/IFPSDisplayControl.h"
#include "graphics/IVectorBase.h"
#include "tests/graphics/EditorFixture.h"
#include "tests/graphics/VectorDrawing.h"

namespace {

using namespace gfxtest;
using Dlg = EditorDelegate;
using BuiltIns = EditorTest;

const IMouseMod kLeft(true);

// A vector control drawing one pressable shape over its bounds.
class ShapeControl : public IControl, public IVectorBase
{
public:
  ShapeControl(const IRECT& r, EVectorShape shape, const IVStyle& style = kDefaultStyle)
    : IControl(r), IVectorBase(style)
  {
    AttachIControl(this);
    mShape = shape;
  }
  void Draw(IGfx& g) override { DrawPressableShape(g, mShape, mBounds, false, false, IsDisabled()); }
  void SetLabel(const IRECT& r, const char* str)
  {
    mLabelBounds = r;
    SetLabelStr(str);
  }
};

TEST_F(BuiltIns, PressableShapesDrawShadowBodyAndFrame)
{
  const IColor shadow(60, 0, 0, 0), body(255, 200, 200, 200), frame(255, 70, 70, 70);
  const IColor darkBody(255, 137, 137, 137);
  struct Case { const char* name; EVectorShape shape; bool disabled; std::vector<IColor> colors; };
  const Case cases[] = {
    {"ellipse", kEllipse, false, {shadow, body, frame}},
    {"disabled ellipse loses its shadow", kEllipse, true, {darkBody, frame}},
    {"disabled rectangle keeps it", kRectangle, true, {shadow, darkBody, frame}},
    {"disabled triangle keeps it", kTriangle, true, {shadow, darkBody, frame}},
    {"unknown shape", static_cast<EVectorShape>(7), false, {}},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.name);
    auto* shape = new ShapeControl(IRECT(10, 10, 50, 50), c.shape);
    g->AttachControl(shape);
    shape->SetDisabled(c.disabled);
    g->calls.clear();
    shape->Draw(*g);
    const std::vector<Painted> pieces = PaintedPieces(*g);
    std::vector<IColor> colors;
    for (const Painted& p : pieces)
      colors.push_back(p.color);
    EXPECT_EQ(colors, c.colors);
    if (c.shape == kEllipse && !c.disabled)
    {
      // The shadow's centre is 3 right and down of the body's.
      ASSERT_EQ(pieces.size(), 3u);
      EXPECT_FLOAT_EQ(pieces[0].pts[0] - pieces[1].pts[0], 3.f);
      EXPECT_FLOAT_EQ(pieces[0].pts[1] - pieces[1].pts[1], 3.f);
    }
    g->RemoveAllControls();
  }
}

TEST_F(BuiltIns, RoundnessRoundsTheRightCorners)
{
  IVStyle round = kDefaultStyle;
  round.roundness = 1.f;
  round.drawFrame = false;
  round.drawShadows = false;
  IVStyle square = round;
  square.roundness = 0.f;
  struct Case { EVectorShape shape; const IVStyle* style; size_t arcs; };
  const Case cases[] = {
    {kRectangle, &round, 4}, {kRoundedAll, &round, 4}, {kRoundedEnds, &round, 2},
    {kRectangle, &square, 0}, {kRoundedAll, &square, 0}, {kRoundedEnds, &square, 0},
  };
  for (const Case& c : cases)
  {
    auto* shape = new ShapeControl(IRECT(0, 0, 40, 20), c.shape, *c.style);
    g->AttachControl(shape);
    g->calls.clear();
    shape->Draw(*g);
    const std::vector<Painted> pieces = PaintedPieces(*g);
    ASSERT_EQ(pieces.size(), 1u);
    const auto& radii = pieces[0].radii;
    EXPECT_EQ(std::count_if(radii.begin(), radii.end(), [](float r) { return r > 0.f; }),
      static_cast<long>(c.arcs)) << c.shape;
    for (float r : radii)
      EXPECT_TRUE(r == 0.f || r == 10.f) << r;
    if (c.shape == kRoundedEnds && c.arcs)
    {
      // The two arcs are the top corners.
      for (size_t i = 0; i + 1 < pieces[0].pts.size(); i += 2)
      {
        const bool onBottomEdge = pieces[0].pts[i + 1] > 15.f;
        EXPECT_TRUE(!onBottomEdge || pieces[0].pts[i] == 0.f || pieces[0].pts[i] == 40.f);
      }
    }
    g->RemoveAllControls();
  }
}

TEST_F(BuiltIns, LabelsNeedTextAndHeight)
{
  auto* shape = new ShapeControl(IRECT(0, 0, 40, 40), kRectangle);
  g->AttachControl(shape);
  struct Case { IRECT area; const char* str; size_t texts; };
  for (const Case& c : {Case{IRECT(0, 0, 40, 10), "Gain", 1}, Case{IRECT(0, 0, 40, 10), "", 0},
         Case{IRECT(0, 5, 40, 5), "Gain", 0}})
  {
    shape->SetLabel(c.area, c.str);
    g->calls.clear();
    shape->DrawLabel(*g);
    EXPECT_EQ(g->CallsNamed("DoDrawText").size(), c.texts) << c.str;
  }
}

TEST_F(BuiltIns, SplashGrowsOverTheClickInsideTheClip)
{
  auto* shape = new ShapeControl(IRECT(10, 10, 50, 50), kRectangle);
  g->AttachControl(shape);
  view->Press(20, 20, kLeft);
  SplashClickActionFunc(shape);
  float last = -1.f;
  for (int ms = 0; ms <= 100; ms += 25)
  {
    shape->Animate();
    EXPECT_GE(shape->GetSplashRadius(), last);
    last = shape->GetSplashRadius();
    standin::AdvanceManualClock(0.025);
  }
  EXPECT_NEAR(last, 50.f, 0.01f);
  g->SetBaseClipRect(g->GetBounds()); // as during a draw
  g->calls.clear();
  shape->DrawSplash(*g, IRECT(10, 10, 50, 50));
  EXPECT_EQ(g->CurrentClip(), g->GetBounds()); // put back afterwards
  const auto clips = g->CallsNamed("SetClipRegion");
  ASSERT_FALSE(clips.empty());
  EXPECT_EQ(clips.front().args, (std::vector<float>{10, 10, 50, 50}));
  shape->Animate(); // past the end
  EXPECT_FALSE(shape->IsAnimating());
}

TEST_F(BuiltIns, StyleReachesTheListsVectorControlsOnly)
{
  auto* vector = new ShapeControl(IRECT(0, 0, 40, 40), kRectangle);
  g->AttachControl(vector);
  Probe("plain", IRECT(50, 0, 90, 40)); // no vector part: passed over
  g->ShowFPSDisplay(true);
  IVStyle style = kDefaultStyle;
  style.roundness = 0.5f;
  style.colorSpec.SetColor(kBackground, kColorRed);
  g->StyleAllVectorControls(style);
  EXPECT_EQ(vector->GetStyle().roundness, 0.5f);
  EXPECT_EQ(vector->GetColor(kBackground), kColorRed);
  // The frame-time display is no list control: it keeps its own look.
  EXPECT_EQ(g->GetFPSDisplay()->GetStyle().roundness, 0.f);
  EXPECT_EQ(g->GetFPSDisplay()->GetColor(kBackground), kColorWhite);
}

TEST_F(BuiltIns, BitmapFramesFollowTheValue)
{
  struct Case { int n; double value; int frame; };
  const Case cases[] = {{1, 0.7, 1}, {10, 0.0, 1}, {10, 0.5, 6}, {10, 1.0, 10}, {0, 0.5, 1}};
  for (const Case& c : cases)
    EXPECT_EQ(IBitmapBase(IBitmap(nullptr, c.n, false)).FrameForValue(c.value), c.frame) << c.n << " " << c.value;
}

TEST_F(BuiltIns, BackgroundsGoFirstAndAMissingOneIsEmpty)
{
  Probe("front", IRECT(0, 0, 50, 50));
  IControl* bg = g->AttachBackground("no-such-image.png");
  ASSERT_NE(bg, nullptr);
  EXPECT_EQ(g->GetControlIdx(bg), 0);
  EXPECT_EQ(bg->GetRECT().W(), 0.f);
  EXPECT_EQ(bg->GetRECT().H(), 0.f);
  IControl* panel = g->AttachPanelBackground(IPattern(kColorRed));
  EXPECT_EQ(g->GetControlIdx(panel), 0);
  EXPECT_TRUE(panel->GetIgnoreMouse());
  view->Tick(); // draws without a bitmap
  g->AttachSVGBackground("no-such.svg");
  view->Tick();
}

TEST_F(BuiltIns, CornerResizerFollowsScaleColoursAndRestoresItsSize)
{
  const IColor rest(255, 1, 0, 0), over(255, 2, 0, 0), drag(255, 3, 0, 0);
  g->AttachCornerResizer(kResizeModeScale, false, rest, over, drag, 20.f);
  auto* resizer = g->GetCornerResizer();
  ASSERT_NE(resizer, nullptr);
  auto colour = [&] {
    g->calls.clear();
    resizer->Draw(*g);
    return PaintedPieces(*g).back().color;
  };
  EXPECT_EQ(colour(), rest);
  resizer->OnMouseOver(395, 295, IMouseMod());
  EXPECT_EQ(colour(), over);
  EXPECT_EQ(g->GetCursorKind(), kSizeNWSECursor);
  resizer->OnMouseOut();
  EXPECT_EQ(g->GetCursorKind(), kArrowCursor);
  resizer->OnMouseDown(395, 295, kLeft);
  EXPECT_EQ(colour(), drag);
  g->EndResizeGesture();

  g->Resize(400, 300, 2.f);
  EXPECT_EQ(resizer->GetRECT(), IRECT(390, 290, 400, 300));
  resizer->OnMouseDblClick(395, 295, kLeft);
  EXPECT_EQ(g->GetDrawScale(), 1.f);
  EXPECT_EQ(g->Width(), 400);
}

TEST_F(BuiltIns, BubblePlacementAndFade)
{
  g->AttachBubbleControl(kDefaultText);
  IBubbleControl* bubble = g->GetBubbleControl(0);
  auto* knob = Probe("knob", IRECT(100, 100, 150, 150), Dlg::kGain);
  struct Case { float x, y; EDirection dir; int arrow; };
  const Case cases[] = {{150, 125, kHorizontal, 3}, {390, 125, kHorizontal, 1}, {125, 100, kVertical, 2},
    {125, 5, kVertical, 0}};
  for (const Case& c : cases)
  {
    g->ShowBubbleControl(knob, c.x, c.y, "1.0 dB", c.dir);
    EXPECT_EQ(bubble->GetArrowDir(), c.arrow);
    const IRECT r = bubble->GetBubbleBounds();
    EXPECT_TRUE(g->GetBounds().ContainsRect(r));
    // The side of the arrow touches the point.
    const float touching[4] = {r.T, r.R, r.B, r.L};
    EXPECT_EQ(touching[c.arrow], c.arrow % 2 ? c.x : c.y);
    // The arrow points at the point: its tip lies on it.
    g->calls.clear();
    bubble->Draw(*g);
    bool tipOnPoint = false;
    for (const GfxCall& call : g->calls)
      if (call.name == "PathMoveTo" || call.name == "PathLineTo")
        tipOnPoint = tipOnPoint || (std::abs(call.editorPts[0] - c.x) < 1e-3f && std::abs(call.editorPts[1] - c.y) < 1e-3f);
    EXPECT_TRUE(tipOnPoint) << "arrow " << c.arrow;
  }

  auto runFor = [&](int ms) {
    for (int t = 0; t < ms; t += 10)
    {
      standin::AdvanceManualClock(0.01);
      view->Tick();
    }
  };
  runFor(210);
  EXPECT_NEAR(bubble->GetOpacity(), 0.95f, 1e-6f);
  g->Capture(0, knob); // the knob is being dragged
  runFor(1500);
  EXPECT_NEAR(bubble->GetOpacity(), 0.95f, 1e-6f);
  g->ReleaseMouseCapture();
  runFor(220);
  runFor(220);
  EXPECT_EQ(bubble->GetOpacity(), 0.f);
  EXPECT_TRUE(bubble->IsHidden());
}

TEST_F(BuiltIns, TwoTouchesShowTwoBubbles)
{
  g->EnableMultiTouch(true);
  g->AttachBubbleControl(kDefaultText);
  g->AttachBubbleControl(kDefaultText);
  auto* a = Probe("a", IRECT(0, 0, 50, 50), Dlg::kGain);
  auto* b = Probe("b", IRECT(100, 0, 150, 50), Dlg::kFreq);
  g->Capture(1, a);
  g->Capture(2, b);
  auto bubbleOf = [&](ITouchID touch) -> IBubbleControl* {
    for (int i = 0; i < g->NBubbles(); ++i)
      if (!g->GetBubbleControl(i)->IsHidden() && g->GetBubbleControl(i)->GetTouchId() == touch)
        return g->GetBubbleControl(i);
    return nullptr;
  };
  g->ShowBubbleControl(a, 50, 25, "a");
  g->ShowBubbleControl(b, 150, 25, "b");
  IBubbleControl* first = bubbleOf(1);
  IBubbleControl* second = bubbleOf(2);
  ASSERT_NE(first, nullptr);
  ASSERT_NE(second, nullptr);
  EXPECT_NE(first, second);
  // A touch keeps its bubble.
  g->ShowBubbleControl(a, 50, 30, "a again");
  EXPECT_EQ(bubbleOf(1), first);
  EXPECT_STREQ(first->GetStr(), "a again");
  EXPECT_STREQ(second->GetStr(), "b");
}

TEST_F(BuiltIns, ShowingABubbleNeedsABubbleAndALinkedCaller)
{
  auto* knob = Probe("knob", IRECT(100, 100, 150, 150), Dlg::kGain);
  auto* unlinked = Probe("free", IRECT(0, 0, 50, 50));
  g->EnableMultiTouch(true);
  g->Capture(0, knob);
  g->ShowBubbleControl(knob, 10, 10, "x"); // no bubble: nothing
  g->ReleaseMouseCapture();
  g->EnableMultiTouch(false);
  g->AttachBubbleControl(kDefaultText);
  ShowBubbleHorizontalActionFunc(unlinked);
  EXPECT_TRUE(g->GetBubbleControl(0)->IsHidden());
  ShowBubbleHorizontalActionFunc(knob);
  EXPECT_FALSE(g->GetBubbleControl(0)->IsHidden());
  EXPECT_STRNE(g->GetBubbleControl(0)->GetStr(), "");
}

TEST_F(BuiltIns, FrameTimeDisplayCyclesModesAndCapsItsGraph)
{
  g->ShowFPSDisplay(true);
  IFPSDisplayControl* fps = g->GetFPSDisplay();
  for (int i = 0; i < 100; ++i)
    fps->Update(i % 2 ? 0.0001f : 0.5f); // far above 80 fps and 20 ms
  const IRECT inner = fps->GetRECT().GetPadded(-2.f);
  for (int mode : {0, 1, 2, 0})
  {
    EXPECT_EQ(fps->GetDisplayStyle(), mode);
    g->calls.clear();
    fps->Draw(*g);
    for (const GfxCall& c : g->CallsNamed("PathLineTo"))
    {
      const bool graphPoint = c.editorPts[0] >= inner.L && c.editorPts[0] <= inner.R;
      EXPECT_TRUE(!graphPoint || c.editorPts[1] >= inner.T - 1e-3f) << c.editorPts[1];
    }
    fps->OnMouseDown(20, 20, kLeft);
  }
}

} // namespace
