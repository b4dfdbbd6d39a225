// The bitmap and SVG controls: placement, the picture each value shows,
// stepping, the slider's travel and the reload at a new screen scale.
// Bitmaps are real PNG files in a temporary folder; SVGs are parsed text.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "graphics/controls/IBControls.h"
#include "graphics/controls/ISVGControls.h"
#include "tests/graphics/EditorFixture.h"
#include "tests/support/TempHome.h"
#include "tests/support/gfx/ImageEncoding.h"

namespace {

using namespace gfxtest;

using Dlg = EditorDelegate;
const IMouseMod kLeft(true);

std::vector<float> Rect(const IRECT& r) { return {r.L, r.T, r.R, r.B}; }

// Degrees that a drawn edge from (x0, y0) to (x1, y1) is turned from the
// direction (w, h) it has unrotated, in (-180, 180].
float TurnedBy(float x0, float y0, float x1, float y1, float w, float h)
{
  double a = (std::atan2(y1 - y0, x1 - x0) - std::atan2(h, w)) * 180.0 / M_PI;
  while (a <= -180.0)
    a += 360.0;
  while (a > 180.0)
    a -= 360.0;
  return static_cast<float>(a);
}

class PictureControls : public EditorTest
{
protected:
  // A w x h PNG of n frames (stacked unless horizontal), loaded.
  IBitmap Strip(const std::string& name, int w, int h, int n = 1, bool horizontal = false)
  {
    WritePng(name, w, h);
    return g->LoadBitmap(temp.Join(name).c_str(), n, horizontal);
  }
  void WritePng(const std::string& name, int w, int h)
  {
    std::vector<uint8_t> rgba(static_cast<size_t>(w * h * 4), 255);
    ASSERT_TRUE(WritePngFile(temp.Join(name), w, h, rgba.data()));
  }
  // A w x h SVG filled with one colour whose red component is `tag`, so a
  // draw tells which image it was.
  ISVG Svg(const std::string& name, float w, float h, int tag = 1)
  {
    const std::string text = "<svg width='" + std::to_string(w) + "' height='" + std::to_string(h) +
      "'><rect width='" + std::to_string(w) + "' height='" + std::to_string(h) + "' fill='rgb(" +
      std::to_string(tag) + ",0,0)'/></svg>";
    return g->LoadSVG(temp.WriteFile(name, text).c_str());
  }
  template <class C>
  C* Attach(C* c)
  {
    g->AttachControl(c);
    return c;
  }
  // The calls of one name that drawing the control at a value makes.
  std::vector<GfxCall> DrawAt(IControl* c, double value, const std::string& name)
  {
    c->SetValue(value);
    g->calls.clear();
    c->Draw(*g);
    return g->CallsNamed(name);
  }
  // The red tags of the SVG images a draw filled, in order.
  std::vector<int> FilledTags(IControl* c, double value)
  {
    std::vector<int> tags;
    for (const GfxCall& f : DrawAt(c, value, "PathFill"))
      tags.push_back(f.pattern.GetStop(0).mColor.R);
    return tags;
  }
  // The values a row of clicks leaves on the control.
  std::vector<double> Clicks(IControl* c, int n)
  {
    std::vector<double> seen;
    for (int i = 0; i < n; ++i)
    {
      const IRECT& r = c->GetRECT();
      view->Press(r.MW(), r.MH(), kLeft);
      view->Release(r.MW(), r.MH(), IMouseMod());
      seen.push_back(c->GetValue());
    }
    return seen;
  }

  testsupport::TempFolder temp;
};

TEST_F(PictureControls, BitmapControlsArePlacedByTheirFrame)
{
  const IBitmap strip = Strip("sw.png", 40, 80, 2); // frames of 40 x 40
  struct Case { const char* name; IControl* control; IRECT want; };
  const Case cases[] = {
    {"switch at a point", new IBSwitchControl(10, 20, strip), {10, 20, 50, 60}},
    {"switch centred", new IBSwitchControl(IRECT(0, 0, 100, 60), strip), {30, 10, 70, 50}},
    {"button at a point", new IBButtonControl(5, 5, strip), {5, 5, 45, 45}},
    {"button centred", new IBButtonControl(IRECT(0, 0, 60, 60), strip), {10, 10, 50, 50}},
    {"knob centred", new IBKnobControl(IRECT(0, 0, 80, 40), strip), {20, 0, 60, 40}},
    {"vertical slider", new IBSliderControl(1, 2, 90, strip), {1, 2, 41, 92}},
    {"horizontal slider", new IBSliderControl(1, 2, 90, strip, IBitmap(), -1, kHorizontal), {1, 2, 91, 82}},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.name);
    Attach(c.control);
    EXPECT_EQ(Rect(c.control->GetRECT()), Rect(c.want));
  }
}

TEST_F(PictureControls, StripsShowTheFrameOfTheValue)
{
  // Source offsets of the frame drawn: a frame is 40 high in the stacked
  // strips, 10 wide in the side-by-side one.
  auto* sw = Attach(new IBSwitchControl(10, 20, Strip("sw.png", 40, 80, 2)));
  auto* knob = Attach(new IBKnobControl(IRECT(0, 0, 100, 100), Strip("knob.png", 40, 51 * 40, 51)));
  auto* wide = Attach(new IBKnobControl(IRECT(0, 0, 100, 100), Strip("wide.png", 30, 10, 3, true)));
  auto* button = Attach(new IBButtonControl(0, 0, Strip("b.png", 8, 16, 2)));
  struct Case { const char* name; IControl* control; double value; float srcX, srcY; };
  const Case cases[] = {
    {"switch off", sw, 0.0, 0, 0},  {"switch on", sw, 1.0, 0, 40},   {"knob 0.5", knob, 0.5, 0, 25 * 40},
    {"knob 1", knob, 1.0, 0, 50 * 40}, {"knob below 0", knob, -0.2, 0, 0}, {"wide 0.5", wide, 0.5, 10, 0},
    {"button pressed", button, 1.0, 0, 8},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.name);
    const auto draws = DrawAt(c.control, c.value, "DrawBitmap");
    ASSERT_EQ(draws.size(), 1u);
    EXPECT_EQ(draws[0].args[4], c.srcX);
    EXPECT_EQ(draws[0].args[5], c.srcY);
    EXPECT_EQ(std::vector<float>(draws[0].args.begin(), draws[0].args.begin() + 4), Rect(c.control->GetRECT()));
  }
}

TEST_F(PictureControls, BitmapSwitchStepsByItsFrameCount)
{
  // The step follows the strip, not the parameter's states: "Mode" has
  // three states, yet a two-frame switch on it toggles.
  struct Case { const char* name; int frames; int paramIdx; std::vector<double> want; };
  const Case cases[] = {
    {"two frames", 2, -1, {1.0, 0.0, 1.0}},
    {"three frames", 3, -1, {0.5, 1.0, 0.0, 0.5}},
    {"one frame", 1, -1, {1.0, 0.0, 1.0}},
    {"two frames on a 3-state parameter", 2, Dlg::kMode, {1.0, 0.0}},
  };
  int i = 0;
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.name);
    const IBitmap strip = Strip("step" + std::to_string(i) + ".png", 10, 10 * c.frames, c.frames);
    auto* sw = Attach(new IBSwitchControl(0, static_cast<float>(100 * i++), strip, c.paramIdx));
    sw->SetValue(0.0);
    dlg.valuesFromUI.clear();
    EXPECT_EQ(Clicks(sw, static_cast<int>(c.want.size())), c.want);
    if (c.paramIdx >= 0)
    {
      ASSERT_FALSE(dlg.valuesFromUI.empty());
      EXPECT_EQ(dlg.valuesFromUI.back().normalized, c.want.back());
    }
  }
}

TEST_F(PictureControls, RotatingKnobTurnsThroughTwoHundredSixtyDegrees)
{
  auto* knob = Attach(new IBKnobRotaterControl(IRECT(0, 0, 100, 100), Strip("rot.png", 40, 20)));
  for (const double value : {0.0, 0.25, 0.5, 1.0})
  {
    SCOPED_TRACE(value);
    const auto draws = DrawAt(knob, value, "DrawBitmap");
    ASSERT_EQ(draws.size(), 1u);
    const std::vector<float>& p = draws[0].editorPts;
    EXPECT_NEAR(TurnedBy(p[0], p[1], p[2], p[3], 40, 20), value * 260.0 - 130.0, 1e-3);
    EXPECT_NEAR((p[0] + p[2]) / 2.f, 50.f, 1e-3); // about the centre
    EXPECT_NEAR((p[1] + p[3]) / 2.f, 50.f, 1e-3);
  }
}

TEST_F(PictureControls, BitmapSliderHandleTravelsTheTrackLessTheWholeHandle)
{
  const IBitmap handle = Strip("h.png", 10, 10);
  const IBitmap twoFrames = Strip("h2.png", 10, 20, 2); // frames of 10 x 10, 20 high in all
  const IBitmap track = Strip("t.png", 6, 80);
  struct Case { const char* name; IBSliderControl* slider; double value; IRECT handle; IRECT track; };
  const Case cases[] = {
    {"vertical top at 1", new IBSliderControl(0, 0, 100, handle), 1.0, {0, 0, 10, 10}, {0, 0, 10, 100}},
    {"vertical bottom at 0", new IBSliderControl(0, 0, 100, handle), 0.0, {0, 90, 10, 100}, {0, 0, 10, 100}},
    {"horizontal right at 1", new IBSliderControl(0, 0, 100, handle, IBitmap(), -1, kHorizontal), 1.0,
      {90, 0, 100, 10}, {0, 0, 100, 10}},
    {"horizontal left at 0", new IBSliderControl(IRECT(0, 0, 100, 30), handle, IBitmap(), -1, kHorizontal), 0.0,
      {0, 10, 10, 20}, {0, 10, 100, 20}},
    // The travel stops short by the whole strip's height, not one frame's.
    {"two-frame handle at 0", new IBSliderControl(0, 0, 100, twoFrames), 0.0, {0, 80, 10, 90}, {0, 0, 10, 100}},
    // The handle's left edge follows the track's, even where the track is
    // narrower.
    {"track bitmap centred", new IBSliderControl(IRECT(0, 0, 10, 100), handle, track), 1.0, {2, 10, 12, 20},
      {2, 10, 8, 90}},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.name);
    Attach(c.slider);
    EXPECT_EQ(Rect(c.slider->GetTrackBounds()), Rect(c.track));
    const auto draws = DrawAt(c.slider, c.value, "DrawBitmap");
    ASSERT_FALSE(draws.empty());
    EXPECT_EQ(std::vector<float>(draws.back().args.begin(), draws.back().args.begin() + 4), Rect(c.handle));
    EXPECT_EQ(draws.back().args[5], 0.f); // frame 1
  }
}

// Exposes the track bitmap, which only the slider itself draws.
class TrackedSlider : public IBSliderControl
{
public:
  using IBSliderControl::IBSliderControl;
  const IBitmap& Track() const { return mTrackBitmap; }
};

TEST_F(PictureControls, ANewScreenScaleReloadsBitmapsButNotTheSliderTrack)
{
  WritePng("k@2x.png", 80, 2 * 51 * 40);
  const IBitmap strip = Strip("k.png", 40, 51 * 40, 51);
  const IBitmap plain = Strip("p.png", 10, 10); // no 2x file: rescaled from 1x
  auto* knob = Attach(new IBKnobControl(IRECT(0, 0, 40, 40), strip));
  auto* slider = Attach(new TrackedSlider(0, 50, 100, plain, Strip("t.png", 6, 80)));
  const std::vector<IBitmapBase*> reloaded = {knob, slider, Attach(new IBSwitchControl(0, 0, plain)),
    Attach(new IBButtonControl(0, 0, plain)), Attach(new IBKnobRotaterControl(IRECT(0, 0, 9, 9), plain)),
    Attach(new IBTextControl(IRECT(0, 200, 100, 220), plain))};
  const auto before = DrawAt(knob, 0.5, "DrawBitmap");
  g->SetScreenScale(2.f);
  for (const IBitmapBase* c : reloaded)
    EXPECT_EQ(c->GetBitmap().GetAPIBitmap()->GetScale(), 2.f);
  EXPECT_EQ(slider->Track().GetAPIBitmap()->GetScale(), 1.f);
  EXPECT_EQ(knob->GetBitmap().GetAPIBitmap()->GetWidth(), 80); // the 2x file
  EXPECT_EQ(knob->GetBitmap().N(), 51);
  const auto after = DrawAt(knob, 0.5, "DrawBitmap");
  ASSERT_EQ(after.size(), 1u);
  EXPECT_EQ(after[0].args, before[0].args); // same frame, same points
  EXPECT_EQ(after[0].text, before[0].text);
}

TEST_F(PictureControls, BitmapTextDrawsOneCellPerCharacter)
{
  // Frame k holds the character k + 31: "A" is frame 34, "!" frame 2.
  auto* text = Attach(new IBTextControl(IRECT(0, 0, 100, 20), Strip("font.png", 6, 96 * 12, 96), kDefaultText,
    "A!", 6, 12, 2, false, true, kBlendAdd));
  const auto draws = DrawAt(text, 0.0, "DrawBitmap");
  ASSERT_EQ(draws.size(), 2u);
  EXPECT_EQ(draws[0].args[5], 33.f * 12.f);
  EXPECT_EQ(draws[1].args[5], 1.f * 12.f);
  EXPECT_EQ(draws[1].args[0] - draws[0].args[0], 8.f); // cell plus offset
  EXPECT_EQ(draws[0].args[3] - draws[0].args[1], 12.f);
  EXPECT_EQ(draws[0].blend.mMethod, kBlendAdd);
}

TEST_F(PictureControls, SvgSwitchAndButtonShowTheImageOfTheValue)
{
  const ISVG a = Svg("a.svg", 10, 10, 1), b = Svg("b.svg", 10, 10, 2), c3 = Svg("c.svg", 10, 10, 3);
  auto* sw = Attach(new ISVGSwitchControl(IRECT(0, 0, 20, 20), {a, b, c3}));
  auto* onMode = Attach(new ISVGSwitchControl(IRECT(0, 0, 20, 20), {a, b}, Dlg::kMode)); // 3 states
  auto* none = Attach(new ISVGSwitchControl(IRECT(0, 0, 20, 20), std::vector<ISVG>()));
  auto* button = Attach(new ISVGButtonControl(IRECT(0, 0, 20, 20), nullptr, a, b));
  struct Case { const char* name; IControl* control; double value; std::vector<int> tags; };
  const Case cases[] = {
    {"switch 0", sw, 0.0, {1}}, {"switch 0.5", sw, 0.5, {2}}, {"switch 1", sw, 1.0, {3}},
    {"switch 0.74", sw, 0.74, {2}},
    // A state without an image, and a switch without any, draw nothing.
    {"more states than images", onMode, 1.0, {}}, {"fewer at 0.5", onMode, 0.5, {2}},
    {"no images", none, 0.0, {}}, {"no images at 1", none, 1.0, {}},
    {"button 0.5", button, 0.5, {1}}, {"button above", button, 0.51, {2}},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(FilledTags(c.control, c.value), c.tags);
  }
  EXPECT_EQ(sw->GetNumStates(), 3);
}

TEST_F(PictureControls, SvgKnobTurnsFromMinus135To135)
{
  auto* knob = Attach(new ISVGKnobControl(IRECT(0, 0, 40, 40), Svg("k.svg", 10, 10)));
  for (const double value : {0.0, 0.25, 0.5, 1.0})
  {
    SCOPED_TRACE(value);
    DrawAt(knob, value, "");
    // The image's top edge, from its first point to the end of its first
    // segment, turned as the knob is.
    const auto move = g->CallsNamed("PathMoveTo");
    const auto curve = g->CallsNamed("PathCubicBezierTo");
    ASSERT_FALSE(move.empty());
    ASSERT_FALSE(curve.empty());
    const std::vector<float>& p = move[0].editorPts;
    const std::vector<float>& q = curve[0].editorPts;
    EXPECT_NEAR(TurnedBy(p[0], p[1], q[4], q[5], 1, 0), -135.0 + value * 270.0, 1e-3);
  }
  knob->SetSVG(Svg("k2.svg", 10, 10, 9));
  EXPECT_EQ(FilledTags(knob, 0.0), std::vector<int>{9});
}

TEST_F(PictureControls, SvgSliderHandleStaysOnItsTrack)
{
  const ISVG track = Svg("track.svg", 10, 100, 1), handle = Svg("handle.svg", 10, 10, 2);
  const ISVG wideTrack = Svg("wtrack.svg", 100, 10, 1);
  auto* vertical = Attach(new ISVGSliderControl(IRECT(0, 0, 20, 200), handle, track));
  auto* horizontal = Attach(new ISVGSliderControl(IRECT(0, 300, 200, 340), handle, wideTrack, -1, kHorizontal));
  EXPECT_EQ(Rect(vertical->GetTrackSVGBounds()), Rect({0, 0, 20, 200}));
  EXPECT_EQ(Rect(horizontal->GetTrackSVGBounds()), Rect({0, 310, 200, 330}));
  struct Case { const char* name; ISVGSliderControl* slider; double value; IRECT handle; };
  const Case cases[] = {
    {"vertical 1", vertical, 1.0, {0, 0, 20, 20}},
    {"vertical 0: bottom on the track's bottom", vertical, 0.0, {0, 180, 20, 200}},
    {"vertical 0.5", vertical, 0.5, {0, 90, 20, 110}},
    {"horizontal 1", horizontal, 1.0, {180, 310, 200, 330}},
    {"horizontal 0", horizontal, 0.0, {0, 310, 20, 330}},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Rect(c.slider->GetHandleBounds(c.value)), Rect(c.handle));
    // The handle is drawn there: its first point is its top-left corner.
    DrawAt(c.slider, c.value, "");
    const auto moves = g->CallsNamed("PathMoveTo");
    ASSERT_EQ(moves.size(), 2u);
    EXPECT_EQ(moves[1].editorPts, (std::vector<float>{c.handle.L, c.handle.T}));
  }
  // A click puts the handle's centre under the pointer's reach: the bottom
  // of the travel is 0, its middle 0.5.
  for (const auto& [y, want] : std::vector<std::pair<float, double>>{{199, 0.0}, {90, 0.5}, {0, 1.0}})
  {
    view->Press(10, y, kLeft);
    view->Release(10, y, IMouseMod());
    EXPECT_DOUBLE_EQ(vertical->GetValue(), want) << y;
  }
}

TEST_F(PictureControls, SvgSliderWithAnImageOfNoSizeDrawsNothing)
{
  const ISVG empty = g->LoadSVG(temp.WriteFile("empty.svg", "<svg/>").c_str());
  ASSERT_TRUE(empty.IsValid());
  ASSERT_EQ(empty.mImage->width, 0.f);
  const ISVG track = Svg("track.svg", 10, 100), handle = Svg("handle.svg", 10, 10);
  struct Case { const char* name; ISVG handle, track; EDirection dir; };
  const Case cases[] = {
    {"empty handle, vertical", empty, track, kVertical},
    {"empty track, vertical", handle, empty, kVertical},
    {"empty handle, horizontal", empty, track, kHorizontal},
    {"empty track, horizontal", handle, empty, kHorizontal},
    {"invalid track", handle, ISVG(), kVertical},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.name);
    auto* slider = Attach(new ISVGSliderControl(IRECT(0, 300, 20, 500), c.handle, c.track, -1, c.dir));
    EXPECT_TRUE(slider->GetTrackSVGBounds().Empty());
    EXPECT_TRUE(slider->GetHandleBounds(0.3).Empty());
    EXPECT_TRUE(DrawAt(slider, 0.3, "PathFill").empty());
    // Moved, it asks to be drawn again, so nothing stays where it was.
    view->Tick();
    ASSERT_FALSE(slider->IsDirty());
    slider->SetPosition(0, 310);
    EXPECT_TRUE(slider->IsDirty());
    slider->SetPosition(0, 300);
    // The value still follows the pointer, finite.
    view->Press(5, 450, kLeft);
    view->Release(5, 450, IMouseMod());
    EXPECT_NEAR(slider->GetValue(), 0.25, 1e-9);
    g->RemoveControl(slider);
  }
}

} // namespace
