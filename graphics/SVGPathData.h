#pragma once

#include <string_view>
#include <vector>

#include "graphics/SVGTransform.h"

// Geometry of the SVG reader: every outline becomes sub-paths of cubic
// segments. Lines get control points at one and two thirds, quadratics are
// raised exactly and arcs are split into cubics of at most 90 degrees.

namespace plugkit::gfx::svg {

// x, y pairs: the start point, then three points per cubic segment.
struct CubicPath
{
  std::vector<double> pts;
  bool closed = false;

  size_t NumPoints() const { return pts.size() / 2; }
};

// Builds sub-paths with the semantics of SVG path data: a move starts a new
// sub-path, a close returns to the sub-path's start (adding the closing line
// when needed), and drawing after a close starts again from that start.
// Sub-paths without a segment are dropped.
class PathBuilder
{
public:
  void MoveTo(double x, double y);
  void LineTo(double x, double y);
  void CubicTo(double x1, double y1, double x2, double y2, double x, double y);
  void QuadTo(double qx, double qy, double x, double y);
  // An elliptical arc as SVG path data gives it: radii, the x axis rotation
  // in degrees, the two flags and the end point.
  void ArcTo(double rx, double ry, double rotation, bool largeArc, bool sweep, double x, double y);
  void Close();

  double X() const { return mX; }
  double Y() const { return mY; }
  // Finishes the open sub-path and hands over all of them.
  std::vector<CubicPath> Take();

private:
  void EnsureOpen();
  void FinishOpen();

  std::vector<CubicPath> mPaths;
  CubicPath mOpen;
  bool mHasOpen = false;
  double mX = 0.0, mY = 0.0;
  double mStartX = 0.0, mStartY = 0.0;
};

// Reads SVG path data into the builder. Returns kOk when all of it was read;
// otherwise what came before the fault stays in the builder, as SVG asks of
// a renderer, and the status says why reading stopped.
ParseStatus ParsePathData(std::string_view d, PathBuilder& builder);

// Tight bounds (left, top, right, bottom) of the curves, including the
// extrema of every cubic; false for no points.
bool CubicBounds(const std::vector<CubicPath>& paths, double bounds[4]);

// The points of every path mapped through m.
void TransformPaths(std::vector<CubicPath>& paths, const Xform& m);

} // namespace plugkit::gfx::svg
