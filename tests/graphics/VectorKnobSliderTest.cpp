#include <gtest/gtest.h>

#include <utility>

#include "graphics/controls/IVKnobControl.h"
#include "graphics/controls/IVRangeSliderControl.h"
#include "graphics/controls/IVSliderControl.h"
#include "tests/graphics/VectorControlFixture.h"

namespace {

using namespace gfxtest;
using VectorKnobSlider = VectorControlTest;

// Knob on a 100 x 100 widget: arc radius 49, body 90 across, pointer from
// 0.1 to 1.0 of the body's radius at angle - 90 degrees.
TEST_F(VectorKnobSlider, KnobDrawsArcBodyAndPointerFromItsAngles)
{
  struct Case
  {
    const char* name;
    double value;
    float anchor;
    float trackSize;
    EVectorShape shape;
    int arcs; // value arcs drawn
    float arcFrom, arcTo;
  };
  const Case cases[] = {
    {"middle, pointer straight up", 0.5, -135.f, 2.f, kEllipse, 1, -135.f, 0.f},
    {"anchor at the first angle, value 0: zero length", 0.0, -135.f, 2.f, kEllipse, 1, -135.f, -135.f},
    {"anchor in the middle, value 1", 1.0, 0.f, 2.f, kEllipse, 1, 0.f, 135.f},
    {"no track, no arc", 0.5, -135.f, 0.f, kEllipse, 0, 0.f, 0.f},
    {"a rectangle style still gives a round body", 0.5, -135.f, 2.f, kRectangle, 1, -135.f, 0.f},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.name);
    auto* knob = Attach(new IVKnobControl(IRECT(0, 0, 100, 100), -1, "", Plain(), false, false, -135.f, 135.f,
      c.anchor, kVertical, 4.0, c.trackSize));
    knob->SetShape(c.shape);
    knob->SetValue(c.value);
    const auto paths = Paths(*knob);

    const auto arcs = OfColor(paths, Color(kExtra1), false);
    ASSERT_EQ(static_cast<int>(arcs.size()), c.arcs);
    if (c.arcs)
    {
      const float radius = c.trackSize == 2.f ? 49.f : 50.f;
      EXPECT_EQ(arcs[0].arcs, (std::vector<float>{50.f, 50.f, radius, c.arcFrom, c.arcTo}));
      EXPECT_FLOAT_EQ(arcs[0].thickness, c.trackSize);
    }
    const auto body = OfColor(paths, Color(kForeground), true);
    ASSERT_EQ(body.size(), 1u);
    ASSERT_EQ(body[0].arcBoxes.size(), 1u);
    const float half = c.trackSize == 2.f ? 45.f : 46.f;
    ExpectRect(body[0].arcBoxes[0], IRECT(50 - half, 50 - half, 50 + half, 50 + half));

    const auto pointer = OfColor(paths, Color(kFrame), false);
    ASSERT_EQ(pointer.size(), 1u);
    const float a = static_cast<float>((-135.0 + 270.0 * c.value - 90.0) * M_PI / 180.0);
    const std::vector<float> want = {50 + 0.1f * half * std::cos(a), 50 + 0.1f * half * std::sin(a),
      50 + half * std::cos(a), 50 + half * std::sin(a)};
    ASSERT_EQ(pointer[0].pts.size(), 4u);
    for (size_t i = 0; i < 4; ++i)
      EXPECT_NEAR(pointer[0].pts[i], want[i], 1e-3f);
    EXPECT_FLOAT_EQ(pointer[0].thickness, 2.5f);
    g->RemoveControl(knob);
  }
}

TEST_F(VectorKnobSlider, KnobDragsOverHalfItsShorterSideCentred)
{
  struct Case
  {
    IRECT bounds, want;
  };
  const Case cases[] = {
    {IRECT(0, 0, 200, 100), IRECT(75, 0, 125, 100)},
    {IRECT(0, 0, 100, 200), IRECT(0, 75, 100, 125)},
    {IRECT(0, 0, 100, 100), IRECT(0, 25, 100, 75)},
  };
  for (const Case& c : cases)
  {
    auto* knob = Attach(new IVKnobControl(c.bounds, -1, "", Plain()));
    ExpectRect(knob->GetKnobDragBounds(), c.want);
    g->RemoveControl(knob);
  }
}

// "1.3 dB" in the 14-point value text under a 100 x 100 knob: the value
// area is (22.28, 86, 77.72, 100), the widget (0, 0, 100, 86).
TEST_F(VectorKnobSlider, ValueAreaPromptsOnlyWhileEditable)
{
  IVStyle style = Plain();
  style.showValue = true;
  for (bool editable : {true, false})
  {
    SCOPED_TRACE(editable ? "editable" : "not editable");
    auto* knob = Attach(new IVKnobControl(IRECT(0, 0, 100, 100), FakeEditorDelegate::kGain, "", style, editable));
    g->textEntryRequests.clear();
    g->cursorHides = 0;
    ASSERT_TRUE(knob->GetValueBounds().Contains(50, 95));
    EXPECT_EQ(knob->IsHit(50, 95), editable);
    EXPECT_TRUE(knob->IsHit(50, 40));

    knob->OnMouseDown(50, 95, Left());
    EXPECT_EQ(g->textEntryRequests.size(), editable ? 1u : 0u);
    EXPECT_EQ(g->cursorHides, 0); // no drag started
    knob->OnMouseUp(50, 95, MouseAction().Mod(false));
    g->EndPlatformTextEntry();
    g->RemoveControl(knob);
  }
}

TEST_F(VectorKnobSlider, KnobDragIsOneGestureAndSendsTheValueAgainAtRelease)
{
  Attach(new IVKnobControl(IRECT(0, 0, 100, 100), FakeEditorDelegate::kFreq, "", Plain()));
  MouseAction mouse;
  g->OnMouseDown(mouse.Press(50, 50));
  g->OnMouseDrag(mouse.Drag(50, 40));
  ASSERT_EQ(dlg.valuesFromUI.size(), 1u);
  g->OnMouseUp(mouse.Release(50, 40));
  EXPECT_TRUE(dlg.GesturesBalanced());
  EXPECT_EQ(dlg.gesturesBegun, std::vector<int>{FakeEditorDelegate::kFreq});
  ASSERT_EQ(dlg.valuesFromUI.size(), 2u);
  EXPECT_EQ(dlg.valuesFromUI[1], dlg.valuesFromUI[0]);
}

// Slider on (0, 0, 20, 120), handle size 10, track size 2, value 0.25, and
// its horizontal mirror on (0, 0, 120, 20).
TEST_F(VectorKnobSlider, SliderTrackFillAndHandle)
{
  struct Case
  {
    const char* name;
    IRECT bounds;
    EDirection dir;
    bool inside;
    IRECT track, fill, handle;
  };
  const Case cases[] = {
    {"vertical", IRECT(0, 0, 20, 120), kVertical, false, IRECT(8, 10, 12, 110), IRECT(8, 85, 12, 110),
      IRECT(0, 75, 20, 95)},
    {"vertical, handle inside", IRECT(0, 0, 20, 120), kVertical, true, IRECT(8, 0, 12, 120), IRECT(8, 75, 12, 120),
      IRECT(0, 75, 20, 95)},
    {"horizontal", IRECT(0, 0, 120, 20), kHorizontal, false, IRECT(10, 8, 110, 12), IRECT(10, 8, 35, 12),
      IRECT(25, 0, 45, 20)},
    {"horizontal, handle inside", IRECT(0, 0, 120, 20), kHorizontal, true, IRECT(0, 8, 120, 12),
      IRECT(0, 8, 45, 12), IRECT(25, 0, 45, 20)},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.name);
    auto* slider = Attach(new IVSliderControl(c.bounds, -1, "", Plain(), false, c.dir, c.inside, 4.0, 10.f, 2.f));
    slider->SetShape(kRectangle);
    slider->SetValue(0.25);
    const auto paths = Paths(*slider);
    const auto track = OfColor(paths, Color(kShadow), true);
    const auto fill = OfColor(paths, Color(kExtra1), true);
    const auto handle = OfColor(paths, Color(kForeground), true);
    ASSERT_EQ(track.size(), 1u);
    ASSERT_EQ(fill.size(), 1u);
    ASSERT_EQ(handle.size(), 1u);
    ExpectRect(track[0].Box(), c.track);
    ExpectRect(fill[0].Box(), c.fill);
    ExpectRect(handle[0].Box(), c.handle);
    g->RemoveControl(slider);
  }
}

TEST_F(VectorKnobSlider, SliderHandleLooksPressedWhileHeld)
{
  auto* slider = Attach(new IVSliderControl(IRECT(0, 0, 20, 120), -1, "", Plain(), false, kVertical, false, 4.0,
    10.f, 2.f));
  slider->SetShape(kRectangle);
  slider->SetValue(0.25);
  // The handle is the fill of the foreground colour, or of the pressed one.
  auto handleFills = [&] {
    const auto paths = Paths(*slider);
    return std::make_pair(OfColor(paths, Color(kForeground), true).size(), OfColor(paths, Color(kPressed), true).size());
  };
  EXPECT_EQ(handleFills(), std::make_pair(size_t{1}, size_t{0}));
  MouseAction hold;
  g->OnMouseDown(hold.Press(10, 85));
  EXPECT_EQ(handleFills(), std::make_pair(size_t{0}, size_t{1}));
  g->OnMouseUp(hold.Release(10, 85));
  EXPECT_EQ(handleFills(), std::make_pair(size_t{1}, size_t{0}));
}

// Tracks drawn with the base's own handles.
class PlainTracks : public IVTrackControlBase
{
public:
  using IVTrackControlBase::IVTrackControlBase;
  void Draw(IGfx& g) override { DrawWidget(g); }
};

TEST_F(VectorKnobSlider, TrackUnderThePointerIsHighlightedUntilTheMouseLeaves)
{
  auto* tracks = Attach(new PlainTracks(IRECT(0, 0, 100, 100), "", Plain(), {-1, -1}, 0, kVertical));
  tracks->SetValue(1.0, 0);
  tracks->SetValue(1.0, 1);
  const auto highlighted = [&] { return OfColor(Paths(*tracks), Color(kHighlight), true).size(); };
  EXPECT_EQ(highlighted(), 0u);
  g->OnMouseOver(75, 50, IMouseMod());
  EXPECT_EQ(highlighted(), 1u);
  g->OnMouseOut();
  EXPECT_EQ(highlighted(), 0u);
  g->OnMouseOver(25, 50, IMouseMod());
  g->OnMouseOver(250, 250, IMouseMod()); // onto the background: the mouse leaves the tracks
  EXPECT_EQ(highlighted(), 0u);
}

// Bars that keep the handle and peak rectangles they are asked to fill.
class Bars : public IVTrackControlBase
{
public:
  using IVTrackControlBase::IVTrackControlBase;
  void Draw(IGfx& g) override
  {
    handles.clear();
    peaks.clear();
    DrawWidget(g);
  }
  void DrawTrackHandle(IGfx& g, const IRECT& r, int chIdx, bool aboveBase) override { handles.push_back(r); }
  void DrawPeak(IGfx& g, const IRECT& r, int chIdx, bool aboveBase) override { peaks.push_back(r); }
  std::vector<IRECT> handles, peaks;
};

TEST_F(VectorKnobSlider, TrackRectsArePaddedOnTheRightAndBottom)
{
  auto* bars = new Bars(IRECT(0, 0, 100, 50), "", Plain(), {-1, -1}, 0, kVertical);
  bars->SetTrackPadding(2.f);
  Attach(bars);
  ExpectRect(bars->GetTrackBounds(0), IRECT(0, 0, 48, 48));
  ExpectRect(bars->GetTrackBounds(1), IRECT(50, 0, 98, 48));
  struct Probe
  {
    float x, y;
    int idx;
  };
  for (const Probe& p : {Probe{10, 10, 0}, Probe{60, 10, 1}, Probe{49, 10, -1}, Probe{10, 49, -1}})
    EXPECT_EQ(bars->GetValIdxForPos(p.x, p.y), p.idx) << p.x << ", " << p.y;
}

// One vertical track on (0, 0, 100, 100) (steps: on (0, 0, 100, 50)).
TEST_F(VectorKnobSlider, TrackHandleFromStepsBaselineAndPeak)
{
  struct Case
  {
    const char* name;
    int steps;
    bool zeroStep;
    double base, value;
    std::vector<IRECT> handles, peaks;
  };
  const Case cases[] = {
    {"4 steps, zero cell, value 0: the bottom cell", 4, true, 0.0, 0.0, {IRECT(0, 40, 100, 50)}, {}},
    {"4 steps, no zero cell, value 0: no handle", 4, false, 0.0, 0.0, {}, {}},
    {"4 steps, value 0.5 snaps to its cell", 4, true, 0.0, 0.5, {IRECT(0, 20, 100, 30)}, {}},
    {"no steps, value 0.25", 0, true, 0.0, 0.25, {IRECT(0, 75, 100, 100)}, {IRECT(0, 75, 100, 76)}},
    // The strip of a value below the baseline comes with its edges in order.
    {"baseline 0.5, value 0.25", 0, true, 0.5, 0.25, {IRECT(0, 50, 100, 75)}, {IRECT(0, 74, 100, 75)}},
    {"baseline 0.5, value 0.75", 0, true, 0.5, 0.75, {IRECT(0, 25, 100, 50)}, {IRECT(0, 25, 100, 26)}},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.name);
    auto* bars = new Bars(c.steps ? IRECT(0, 0, 100, 50) : IRECT(0, 0, 100, 100), "", Plain(), {-1}, c.steps,
      kVertical);
    bars->SetZeroValueStepHasBounds(c.zeroStep);
    bars->SetBaseValue(c.base);
    Attach(bars);
    bars->SetValue(c.value);
    bars->Draw(*g);
    ASSERT_EQ(bars->handles.size(), c.handles.size());
    for (size_t i = 0; i < c.handles.size(); ++i)
      ExpectRect(bars->handles[i], c.handles[i]);
    ASSERT_EQ(bars->peaks.size(), c.peaks.size());
    for (size_t i = 0; i < c.peaks.size(); ++i)
      ExpectRect(bars->peaks[i], c.peaks[i]);
    g->RemoveControl(bars);
  }
}

// A horizontal range slider on (0, 0, 200, 40), handles of 8: the track runs
// from x 8 to 192, and a drag maps the pointer over the whole widget.
class RangeSlider : public VectorKnobSlider
{
protected:
  IVRangeSliderControl* Make(std::initializer_list<double> values, EDirection dir = kHorizontal)
  {
    std::vector<int> params(values.size(), -1);
    IVRangeSliderControl* c = nullptr;
    if (values.size() == 3)
      c = new IVRangeSliderControl(IRECT(0, 0, 200, 40), {-1, -1, -1}, "", Plain(), dir);
    else
      c = new IVRangeSliderControl(IRECT(0, 0, 200, 40), {-1, -1}, "", Plain(), dir);
    Attach(c);
    int i = 0;
    for (double v : values)
      c->SetValueFromDelegate(v, i++);
    return c;
  }
  void DragFrom(IVRangeSliderControl& c, float x, float y, float toX)
  {
    MouseAction mouse;
    g->OnMouseOver(x, y, mouse.Mod(false));
    g->OnMouseDown(mouse.Press(x, y));
    g->OnMouseDrag(mouse.Drag(toX, y));
    g->OnMouseUp(mouse.Release(toX, y));
  }
  static float HandleX(double v) { return 8.f + 184.f * static_cast<float>(v); }
};

TEST_F(RangeSlider, HandlesStopAtTheirNeighbours)
{
  struct Case
  {
    const char* name;
    std::initializer_list<double> values;
    float x, y, toX;
    std::vector<double> want;
  };
  const Case cases[] = {
    {"handle 0 past 0.7", {0.2, 0.7}, HandleX(0.2), 30, 190, {0.7, 0.7}},
    {"handle 1 below 0.2", {0.2, 0.7}, HandleX(0.7), 10, 5, {0.2, 0.2}},
    {"handle 0 within range", {0.2, 0.7}, HandleX(0.2), 30, 100, {0.5, 0.7}},
    {"a drag away from every handle", {0.2, 0.7}, 100, 5, 190, {0.2, 0.7}},
    // Host values out of order: the middle handle's limits cross and it
    // stays at its lower neighbour.
    {"crossed limits", {0.8, 0.5, 0.2}, HandleX(0.5), 10, 195, {0.8, 0.8, 0.2}},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.name);
    IVRangeSliderControl* slider = Make(c.values);
    DragFrom(*slider, c.x, c.y, c.toX);
    for (size_t i = 0; i < c.want.size(); ++i)
      EXPECT_NEAR(slider->GetValue(static_cast<int>(i)), c.want[i], 1e-9) << i;
    g->RemoveControl(slider);
  }
}

TEST_F(RangeSlider, HandlesPointAtTheTrack)
{
  for (EDirection dir : {kHorizontal, kVertical})
  {
    IVRangeSliderControl* slider = Make({0.2, 0.7}, dir);
    const auto tris = OfColor(Paths(*slider), Color(kForeground), true);
    ASSERT_EQ(tris.size(), 2u);
    for (int i = 0; i < 2; ++i)
    {
      // The apex is the triangle's second point; 0 degrees points up, then
      // clockwise: 180 down, 90 right, 270 left.
      const IRECT box = tris[static_cast<size_t>(i)].Box();
      const float ax = tris[static_cast<size_t>(i)].pts[2], ay = tris[static_cast<size_t>(i)].pts[3];
      if (dir == kHorizontal)
        EXPECT_NEAR(ay, i == 0 ? box.T : box.B, 1e-3f) << i;
      else
        EXPECT_NEAR(ax, i == 0 ? box.R : box.L, 1e-3f) << i;
    }
    g->RemoveControl(slider);
  }
}

} // namespace
