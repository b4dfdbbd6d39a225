#include "resources/Pictures.h"

#include <cmath>
#include <cstring>

namespace tolvane3::artwork {

namespace {

constexpr float kPi = 3.14159265358979f;
const Rgba kLegend{0.78f, 0.80f, 0.84f, 1.f};
const Rgba kAccent{0.36f, 0.78f, 0.96f, 1.f};

// Pointer angle of knob frame k of n, from -135 to +135 degrees, 0 up.
float KnobAngle(int frame, int frames)
{
  return (-135.f + 270.f * static_cast<float>(frame) / static_cast<float>(frames - 1)) * kPi / 180.f;
}

void DrawKnob(Canvas& c, float size, int frames)
{
  const float r = size * 0.5f;
  for (int k = 0; k < frames; ++k)
  {
    const float cx = r, cy = r + size * static_cast<float>(k);
    // The value track: dim dots all the way, lit up to the value.
    const float track = r - 2.f, dot = size > 40.f ? 1.3f : 0.9f;
    const int dots = size > 40.f ? 41 : 27;
    const float angle = KnobAngle(k, frames);
    for (int i = 0; i < dots; ++i)
    {
      const float a = KnobAngle(i, dots);
      const bool lit = a <= angle + 1e-4f;
      c.FillCircle(cx + track * std::sin(a), cy - track * std::cos(a), dot, lit ? kAccent : Grey(0.25f));
    }
    const float body = r - 6.f;
    c.FillCircle(cx, cy + 1.f, body + 1.f, Grey(0.02f, 0.6f));
    c.FillRoundRectGradient(cx - body, cy - body, cx + body, cy + body, body, Grey(0.42f), Grey(0.16f));
    c.FillCircle(cx, cy, body - 3.f, Grey(0.24f));
    const float inner = body * 0.25f, outer = body - 4.f;
    c.Line(cx + inner * std::sin(angle), cy - inner * std::cos(angle), cx + outer * std::sin(angle),
      cy - outer * std::cos(angle), size > 40.f ? 3.f : 2.f, Grey(0.95f));
  }
}

void DrawSwitch(Canvas& c, Rgba led)
{
  for (int k = 0; k < 2; ++k)
  {
    const float t = 32.f * static_cast<float>(k);
    c.FillRoundRect(3.f, t + 4.f, 29.f, t + 30.f, 5.f, Grey(0.f, 0.5f));
    c.FillRoundRectGradient(3.f, t + 3.f, 29.f, t + 29.f, 5.f, Grey(0.36f), Grey(0.18f));
    if (k == 1)
    {
      c.FillCircle(16.f, t + 16.f, 8.f, {led.r, led.g, led.b, 0.35f});
      c.FillCircle(16.f, t + 16.f, 5.5f, led);
      c.FillCircle(14.5f, t + 14.5f, 2.f, Grey(1.f, 0.6f));
    }
    else
    {
      c.FillCircle(16.f, t + 16.f, 5.5f, {led.r * 0.3f, led.g * 0.3f, led.b * 0.3f, 1.f});
    }
  }
}

void DrawPluginMenu(Canvas& c)
{
  for (int k = 0; k < 2; ++k)
  {
    const float t = 40.f * static_cast<float>(k);
    c.FillCircle(20.f, t + 20.f, 17.f, k ? Grey(0.40f) : Grey(0.26f));
    c.StrokeCircle(20.f, t + 20.f, 17.f, 1.5f, k ? kAccent : Grey(0.5f));
    for (int i = -1; i <= 1; ++i)
      c.Line(12.f, t + 20.f + 6.f * static_cast<float>(i), 28.f, t + 20.f + 6.f * static_cast<float>(i), 2.5f,
        Grey(0.92f));
  }
}

void DrawUpdateIcon(Canvas& c)
{
  const Rgba hot{1.f, 0.62f, 0.15f, 1.f};
  for (int k = 0; k < 2; ++k)
  {
    const float t = 32.f * static_cast<float>(k);
    const Rgba ink = k ? hot : Grey(0.45f);
    c.StrokeCircle(16.f, t + 16.f, 12.f, 2.f, ink);
    c.Line(16.f, t + 8.f, 16.f, t + 22.f, 2.5f, ink);
    c.Line(10.f, t + 16.f, 16.f, t + 22.f, 2.5f, ink);
    c.Line(22.f, t + 16.f, 16.f, t + 22.f, 2.5f, ink);
  }
}

void DrawResizeCorner(Canvas& c)
{
  for (int k = 0; k < 2; ++k)
  {
    const float t = 16.f * static_cast<float>(k);
    for (int i = 0; i < 3; ++i)
    {
      const float o = 4.f + 4.f * static_cast<float>(i);
      c.Line(o, t + 15.f, 15.f, t + o, 1.5f, k ? Grey(0.95f) : Grey(0.55f));
    }
  }
}

void DrawInputMode(Canvas& c, const Fonts& fonts)
{
  const char* modes[] = {"INT", "SC 1", "SC 2"};
  for (int k = 0; k < 3; ++k)
  {
    const float t = 28.f * static_cast<float>(k);
    c.FillRoundRectGradient(1.f, t + 2.f, 47.f, t + 26.f, 4.f, Grey(0.33f), Grey(0.17f));
    fonts.bold.DrawCentred(c, modes[k], 20.f, t + 18.5f, 11.f, k ? kAccent : Grey(0.92f));
    c.Line(37.f, t + 12.f, 40.f, t + 16.f, 1.5f, Grey(0.7f));
    c.Line(43.f, t + 12.f, 40.f, t + 16.f, 1.5f, Grey(0.7f));
  }
}

void DrawScopePlane(Canvas& c)
{
  // Only the bezel above and below the plot is opaque; the curves and the
  // labels in the side margins show through the rest.
  const float w = 746.f, h = 340.f, y = kScopePlotInsetY;
  c.FillRect(0.f, 0.f, w, y, Grey(0.30f));
  c.FillRect(0.f, h - y, w, h, Grey(0.30f));
  c.FillRect(0.f, y - 1.f, w, y, Grey(0.45f));
  c.FillRect(0.f, h - y, w, h - y + 1.f, Grey(0.12f));
}

struct Legend
{
  float x, y;
  const char* text;
};

void DrawBackground(Canvas& c, const Fonts& fonts)
{
  c.FillRoundRectGradient(0.f, 0.f, 1008.f, 584.f, 0.f, {0.17f, 0.18f, 0.21f, 1.f}, {0.09f, 0.10f, 0.12f, 1.f});
  // Sections: the top bar, the riding controls, the scope.
  c.FillRoundRect(8.f, 8.f, 1000.f, 92.f, 8.f, Grey(1.f, 0.04f));
  c.FillRoundRect(8.f, 98.f, 1000.f, 196.f, 8.f, Grey(1.f, 0.04f));
  c.FillRoundRect(8.f, 204.f, 1000.f, 576.f, 8.f, Grey(1.f, 0.03f));
  // The dark field under the scope's plot.
  c.FillRect(162.f, 222.f, 868.f, 552.f, {0.03f, 0.035f, 0.045f, 1.f});

  fonts.bold.DrawLeft(c, "TOLVANE 3", 84.f, 52.f, 24.f, Grey(0.93f));
  fonts.regular.DrawLeft(c, "automatic level rider", 86.f, 70.f, 11.f, kLegend);
  fonts.regular.DrawLeft(c, "KESTROVA", 300.f, 52.f, 11.f, kAccent);

  const float small = 9.f;
  const Legend legends[] = {
    {532.f, 78.f, "GATE"}, {593.f, 78.f, "TIMING"}, {655.f, 78.f, "HOLD"}, {743.f, 78.f, "A / B"},
    {808.f, 78.f, "DAW SYNC"}, {869.f, 78.f, "IDLE"}, {901.f, 78.f, "WRITE"}, {933.f, 78.f, "READ"},
    {901.f, 22.f, "AUTOMATION"},
    {60.f, 166.f, "FILTER"}, {110.f, 182.f, "LOW CUT"}, {190.f, 182.f, "HIGH CUT"}, {269.f, 166.f, "DETECT"},
    {347.f, 182.f, "TARGET"}, {435.f, 182.f, "SPEED"}, {515.f, 182.f, "PRE-DELAY"}, {595.f, 182.f, "NOISE"},
    {675.f, 182.f, "RANGE MIN"}, {755.f, 182.f, "RANGE MAX"}, {835.f, 182.f, "IDLE GAIN"}, {931.f, 182.f, "VOLUME"},
    {72.f, 288.f, "TIME ZOOM"}, {72.f, 376.f, "TIME POS"}, {72.f, 464.f, "LEVEL ZOOM"}, {72.f, 552.f, "LEVEL POS"},
  };
  for (const Legend& l : legends)
    fonts.bold.DrawCentred(c, l.text, l.x, l.y, small, kLegend);
  const Legend side[] = {
    {963.f, 235.f, "IN"}, {963.f, 283.f, "OUT"}, {963.f, 331.f, "GAIN"}, {963.f, 379.f, "RIDE"},
    {963.f, 451.f, "SHOW"}, {963.f, 499.f, "CLEAR"}, {963.f, 547.f, "HOLD"},
  };
  for (const Legend& l : side)
    fonts.bold.DrawLeft(c, l.text, l.x, l.y, small, kLegend);
}

} // namespace

bool DrawPicture(const Picture& picture, Canvas& canvas, const Fonts& fonts)
{
  const std::string name = picture.name;
  if (name == "background")
    DrawBackground(canvas, fonts);
  else if (name == "button_resize")
    DrawResizeCorner(canvas);
  else if (name == "pluginmenu")
    DrawPluginMenu(canvas);
  else if (name == "iconupdateavailable")
    DrawUpdateIcon(canvas);
  else if (name == "ob_button")
    DrawSwitch(canvas, kAccent);
  else if (name == "ob_button_red")
    DrawSwitch(canvas, {1.f, 0.28f, 0.22f, 1.f});
  else if (name == "ob_button_white")
    DrawSwitch(canvas, Grey(0.97f));
  else if (name == "ob_button_yellow")
    DrawSwitch(canvas, {1.f, 0.84f, 0.2f, 1.f});
  else if (name == "knobnormal" || name == "knobsmall")
    DrawKnob(canvas, static_cast<float>(picture.frameWidth), picture.frames);
  else if (name == "inputmode")
    DrawInputMode(canvas, fonts);
  else if (name == "ScopePlane")
    DrawScopePlane(canvas);
  else
    return false;
  return true;
}

} // namespace tolvane3::artwork
