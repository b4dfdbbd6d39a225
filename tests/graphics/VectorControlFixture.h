#pragma once

#include <cmath>
#include <utility>
#include <vector>

#include "tests/graphics/EditorFixture.h"

namespace gfxtest {

// One filled or stroked path as the back-end received it: its colour, the
// points of its moves and lines (x, y alternating), its arcs (cx, cy, r,
// a1, a2) and its line width.
struct DrawnPath
{
  bool filled = false;
  IColor color;
  std::vector<float> pts;
  std::vector<float> arcs;
  // The box of each arc's whole circle as drawn (an ellipse is a unit
  // circle under a scale).
  std::vector<IRECT> arcBoxes;
  float thickness = 0.f;

  // The box around the moves and lines.
  IRECT Box() const
  {
    IRECT b(pts[0], pts[1], pts[0], pts[1]);
    for (size_t i = 0; i + 1 < pts.size(); i += 2)
      b = IRECT(std::min(b.L, pts[i]), std::min(b.T, pts[i + 1]), std::max(b.R, pts[i]), std::max(b.B, pts[i + 1]));
    return b;
  }
  // The rectangle as its first corner and the opposite one were given.
  IRECT AsGiven() const { return IRECT(pts[0], pts[1], pts[4], pts[5]); }
};

// The editor fixture with helpers to draw one vector control alone and read
// back its paths and texts.
class VectorControlTest : public EditorTest
{
protected:
  void SetUp() override
  {
    EditorTest::SetUp();
    g->EnableMouseOver(true);
    // The control at index 0 is never a mouse-over target.
    Probe("background", IRECT(0, 0, 400, 300));
  }
  // The style that makes the widget equal the bounds.
  static IVStyle Plain()
  {
    IVStyle s;
    s.showLabel = s.showValue = s.drawFrame = s.drawShadows = false;
    return s;
  }
  // A colour of the default style.
  static IColor Color(EVectorColor idx) { return kDefaultStyle.colorSpec.GetColor(idx); }
  template <class T>
  T* Attach(T* c)
  {
    g->AttachControl(c);
    return c;
  }
  // The paths one draw of the control gives.
  std::vector<DrawnPath> Paths(IControl& c)
  {
    g->SetBaseClipRect(IRECT(0, 0, 400, 300));
    g->calls.clear();
    c.Draw(*g);
    return ReadPaths();
  }
  std::vector<DrawnPath> ReadPaths() const
  {
    std::vector<DrawnPath> out;
    DrawnPath cur;
    std::pair<float, float> scale{1.f, 1.f};
    for (const GfxCall& call : g->calls)
    {
      if (call.name == "PathClear")
        cur = DrawnPath();
      else if (call.name == "PathTransformSetMatrix")
        scale = {std::abs(call.args[0]), std::abs(call.args[3])};
      else if (call.name == "PathMoveTo" || call.name == "PathLineTo")
        cur.pts.insert(cur.pts.end(), call.editorPts.begin(), call.editorPts.end());
      else if (call.name == "PathArc")
      {
        cur.arcs.insert(cur.arcs.end(), call.args.begin(), call.args.begin() + 5);
        const float cx = call.editorPts[0], cy = call.editorPts[1], r = call.args[2];
        cur.arcBoxes.emplace_back(cx - r * scale.first, cy - r * scale.second, cx + r * scale.first,
          cy + r * scale.second);
      }
      else if (call.name == "PathFill" || call.name == "PathStroke")
      {
        cur.filled = call.name == "PathFill";
        cur.color = call.pattern.GetStop(0).mColor;
        cur.thickness = cur.filled ? 0.f : call.args[0];
        out.push_back(cur);
      }
    }
    return out;
  }
  static std::vector<DrawnPath> OfColor(const std::vector<DrawnPath>& paths, const IColor& c, bool filled)
  {
    std::vector<DrawnPath> out;
    for (const DrawnPath& p : paths)
      if (p.color == c && p.filled == filled)
        out.push_back(p);
    return out;
  }
  static void ExpectRect(const IRECT& actual, const IRECT& expected, float tol = 1e-3f)
  {
    EXPECT_NEAR(actual.L, expected.L, tol);
    EXPECT_NEAR(actual.T, expected.T, tol);
    EXPECT_NEAR(actual.R, expected.R, tol);
    EXPECT_NEAR(actual.B, expected.B, tol);
  }
  IMouseMod Left() const { return MouseAction().Mod(true); }
};

} // namespace gfxtest
