#pragma once

#include <string>
#include <vector>

#include "tests/support/gfx/RecordingGfx.h"

namespace gfxtest {

// What a vector control painted, read back from the recorded calls: each
// filled or stroked path with its colour and corner radii (top-left,
// top-right, bottom-right, bottom-left for a rounded rectangle), and each
// text with its colour.
struct Painted
{
  std::string op; // "PathFill", "PathStroke" or "DoDrawText"
  IColor color;
  std::vector<float> radii;
  std::vector<float> pts;
  std::string text;
  IRECT bounds; // of a text
};

inline std::vector<Painted> PaintedPieces(const RecordingGfx& g)
{
  std::vector<Painted> out;
  Painted cur;
  for (const GfxCall& c : g.calls)
  {
    if (c.name == "PathFill" || c.name == "PathStroke")
    {
      cur.op = c.name;
      cur.color = c.pattern.NStops() ? c.pattern.GetStop(0).mColor : IColor();
      out.push_back(cur);
      cur = Painted();
    }
    else if (c.name == "DoDrawText")
    {
      Painted text;
      text.op = c.name;
      text.color = c.pattern.NStops() ? c.pattern.GetStop(0).mColor : IColor();
      text.text = c.text;
      text.bounds = IRECT(c.args[0], c.args[1], c.args[2], c.args[3]);
      out.push_back(text);
    }
    else if (c.name == "PathClear")
      cur = Painted();
    else if (c.name.rfind("Path", 0) == 0 && !c.editorPts.empty())
    {
      cur.pts.insert(cur.pts.end(), c.editorPts.begin(), c.editorPts.end());
      if (c.name == "PathArc")
        cur.radii.push_back(c.args[2]);
    }
  }
  return out;
}

inline std::vector<Painted> Only(const std::vector<Painted>& pieces, const std::string& op)
{
  std::vector<Painted> out;
  for (const Painted& p : pieces)
    if (p.op == op)
      out.push_back(p);
  return out;
}

// The texts drawn, in order.
inline std::vector<std::string> Texts(const std::vector<Painted>& pieces)
{
  std::vector<std::string> out;
  for (const Painted& p : Only(pieces, "DoDrawText"))
    out.push_back(p.text);
  return out;
}

} // namespace gfxtest
