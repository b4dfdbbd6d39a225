#include "graphics/SVGPathData.h"

#include <algorithm>
#include <cmath>

#include "graphics/SVGNumber.h"

namespace plugkit::gfx::svg {

namespace {

constexpr double kPi = 3.14159265358979323846;

double VectorAngle(double ux, double uy, double vx, double vy)
{
  return std::atan2(ux * vy - uy * vx, ux * vx + uy * vy);
}

// Widens [lo, hi] by the extrema of one coordinate of a cubic.
void CubicExtent(double p0, double p1, double p2, double p3, double& lo, double& hi)
{
  lo = std::min({lo, p0, p3});
  hi = std::max({hi, p0, p3});
  // The derivative is a quadratic a t^2 + b t + c (divided by 3).
  const double a = -p0 + 3.0 * p1 - 3.0 * p2 + p3;
  const double b = 2.0 * (p0 - 2.0 * p1 + p2);
  const double c = p1 - p0;
  double roots[2];
  int n = 0;
  if (std::fabs(a) < 1e-12)
  {
    if (std::fabs(b) > 1e-12)
      roots[n++] = -c / b;
  }
  else
  {
    const double disc = b * b - 4.0 * a * c;
    if (disc >= 0.0)
    {
      const double s = std::sqrt(disc);
      roots[n++] = (-b + s) / (2.0 * a);
      roots[n++] = (-b - s) / (2.0 * a);
    }
  }
  for (int i = 0; i < n; ++i)
  {
    const double t = roots[i];
    if (t > 0.0 && t < 1.0)
    {
      const double u = 1.0 - t;
      const double v = u * u * u * p0 + 3.0 * u * u * t * p1 + 3.0 * u * t * t * p2 + t * t * t * p3;
      lo = std::min(lo, v);
      hi = std::max(hi, v);
    }
  }
}

} // namespace

void PathBuilder::EnsureOpen()
{
  if (mHasOpen)
    return;
  mOpen.pts.clear();
  mOpen.closed = false;
  mOpen.pts.push_back(mX);
  mOpen.pts.push_back(mY);
  mStartX = mX;
  mStartY = mY;
  mHasOpen = true;
}

void PathBuilder::FinishOpen()
{
  if (mHasOpen && mOpen.pts.size() >= 8)
    mPaths.push_back(std::move(mOpen));
  mOpen = CubicPath();
  mHasOpen = false;
}

void PathBuilder::MoveTo(double x, double y)
{
  FinishOpen();
  mX = x;
  mY = y;
  EnsureOpen();
}

void PathBuilder::LineTo(double x, double y)
{
  const double dx = x - mX, dy = y - mY;
  CubicTo(mX + dx / 3.0, mY + dy / 3.0, mX + 2.0 * dx / 3.0, mY + 2.0 * dy / 3.0, x, y);
}

void PathBuilder::CubicTo(double x1, double y1, double x2, double y2, double x, double y)
{
  EnsureOpen();
  mOpen.pts.insert(mOpen.pts.end(), {x1, y1, x2, y2, x, y});
  mX = x;
  mY = y;
}

void PathBuilder::QuadTo(double qx, double qy, double x, double y)
{
  CubicTo(mX + 2.0 / 3.0 * (qx - mX), mY + 2.0 / 3.0 * (qy - mY), x + 2.0 / 3.0 * (qx - x), y + 2.0 / 3.0 * (qy - y),
    x, y);
}

void PathBuilder::ArcTo(double rx, double ry, double rotation, bool largeArc, bool sweep, double x, double y)
{
  const double x1 = mX, y1 = mY;
  if (x1 == x && y1 == y)
    return;  // an arc onto its own start is left out
  rx = std::fabs(rx);
  ry = std::fabs(ry);
  if (rx == 0.0 || ry == 0.0)
  {
    LineTo(x, y);
    return;
  }
  const double phi = rotation * kPi / 180.0;
  const double cs = std::cos(phi), sn = std::sin(phi);
  // The end points in the ellipse's own axes, halfway between them as origin.
  const double dx2 = (x1 - x) / 2.0, dy2 = (y1 - y) / 2.0;
  const double x1p = cs * dx2 + sn * dy2;
  const double y1p = -sn * dx2 + cs * dy2;
  // Radii too small to reach the end point grow just enough.
  const double lambda = (x1p * x1p) / (rx * rx) + (y1p * y1p) / (ry * ry);
  if (lambda > 1.0)
  {
    rx *= std::sqrt(lambda);
    ry *= std::sqrt(lambda);
  }
  const double num = rx * rx * ry * ry - rx * rx * y1p * y1p - ry * ry * x1p * x1p;
  const double den = rx * rx * y1p * y1p + ry * ry * x1p * x1p;
  double coef = den > 0.0 ? std::sqrt(std::max(0.0, num / den)) : 0.0;
  if (largeArc == sweep)
    coef = -coef;
  const double cxp = coef * rx * y1p / ry;
  const double cyp = -coef * ry * x1p / rx;
  const double cx = cs * cxp - sn * cyp + (x1 + x) / 2.0;
  const double cy = sn * cxp + cs * cyp + (y1 + y) / 2.0;
  const double ux = (x1p - cxp) / rx, uy = (y1p - cyp) / ry;
  const double vx = (-x1p - cxp) / rx, vy = (-y1p - cyp) / ry;
  const double theta1 = VectorAngle(1.0, 0.0, ux, uy);
  double dtheta = VectorAngle(ux, uy, vx, vy);
  if (!sweep && dtheta > 0.0)
    dtheta -= 2.0 * kPi;
  else if (sweep && dtheta < 0.0)
    dtheta += 2.0 * kPi;
  if (!std::isfinite(dtheta) || !std::isfinite(cx) || !std::isfinite(cy))
  {
    LineTo(x, y);
    return;
  }
  const int segments = std::max(1, static_cast<int>(std::ceil(std::fabs(dtheta) / (kPi / 2.0) - 1e-7)));
  const double delta = dtheta / segments;
  const double k = 4.0 / 3.0 * std::tan(delta / 4.0);
  auto point = [&](double t, double& px, double& py) {
    px = cx + rx * std::cos(t) * cs - ry * std::sin(t) * sn;
    py = cy + rx * std::cos(t) * sn + ry * std::sin(t) * cs;
  };
  auto tangent = [&](double t, double& tx, double& ty) {
    tx = -rx * std::sin(t) * cs - ry * std::cos(t) * sn;
    ty = -rx * std::sin(t) * sn + ry * std::cos(t) * cs;
  };
  double px = x1, py = y1;
  for (int i = 0; i < segments; ++i)
  {
    const double t1 = theta1 + i * delta, t2 = t1 + delta;
    double d1x, d1y, d2x, d2y, ex, ey;
    tangent(t1, d1x, d1y);
    tangent(t2, d2x, d2y);
    if (i == segments - 1)
    {
      ex = x;
      ey = y;
    }
    else
    {
      point(t2, ex, ey);
    }
    double qx, qy;
    point(t2, qx, qy);
    CubicTo(px + k * d1x, py + k * d1y, qx - k * d2x, qy - k * d2y, ex, ey);
    px = ex;
    py = ey;
  }
}

void PathBuilder::Close()
{
  if (!mHasOpen)
    return;
  if (mOpen.pts.size() >= 8)
  {
    if (mX != mStartX || mY != mStartY)
      LineTo(mStartX, mStartY);
    mOpen.closed = true;
  }
  FinishOpen();
  mX = mStartX;
  mY = mStartY;
}

std::vector<CubicPath> PathBuilder::Take()
{
  FinishOpen();
  return std::move(mPaths);
}

ParseStatus ParsePathData(std::string_view d, PathBuilder& b)
{
  const char* p = d.data();
  const char* end = p + d.size();
  char cmd = 0;
  // The last control point, for the smooth forms S and T.
  double lastCtrlX = 0.0, lastCtrlY = 0.0;
  char lastKind = 0;  // 'C' after a cubic, 'Q' after a quadratic
  ParseStatus status = ParseStatus::kOk;

  // Reads n arguments; arc flags (arguments 3 and 4 of an arc) are single
  // digits that need no separator.
  auto readArgs = [&](int n, bool arc, double* out) {
    for (int i = 0; i < n; ++i)
    {
      SkipSeparators(p, end);
      if (arc && (i == 3 || i == 4))
      {
        if (p < end && (*p == '0' || *p == '1'))
        {
          out[i] = *p++ == '1' ? 1.0 : 0.0;
          continue;
        }
        status = ParseStatus::kInvalid;
        return false;
      }
      const NumberResult r = ReadNumber(p, end, out[i]);
      if (r != NumberResult::kOk)
      {
        status = r == NumberResult::kNotFinite ? ParseStatus::kNotFinite : ParseStatus::kInvalid;
        return false;
      }
    }
    return true;
  };

  while (true)
  {
    SkipSeparators(p, end);
    if (p >= end)
      break;
    const char c = *p;
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'))
    {
      cmd = c;
      ++p;
    }
    else if (cmd == 0 || cmd == 'z' || cmd == 'Z')
    {
      return ParseStatus::kInvalid;  // numbers without a command
    }
    else if (cmd == 'M')
    {
      cmd = 'L';
    }
    else if (cmd == 'm')
    {
      cmd = 'l';
    }
    // Path data must open with a move.
    if (lastKind == 0 && cmd != 'M' && cmd != 'm')
      return ParseStatus::kInvalid;
    const bool rel = cmd >= 'a';
    const double ox = rel ? b.X() : 0.0, oy = rel ? b.Y() : 0.0;
    double a[7];
    char kind = 0;
    switch (cmd)
    {
      case 'M': case 'm':
        if (!readArgs(2, false, a))
          return status;
        b.MoveTo(ox + a[0], oy + a[1]);
        break;
      case 'L': case 'l':
        if (!readArgs(2, false, a))
          return status;
        b.LineTo(ox + a[0], oy + a[1]);
        break;
      case 'H': case 'h':
        if (!readArgs(1, false, a))
          return status;
        b.LineTo(ox + a[0], b.Y());
        break;
      case 'V': case 'v':
        if (!readArgs(1, false, a))
          return status;
        b.LineTo(b.X(), oy + a[0]);
        break;
      case 'C': case 'c':
        if (!readArgs(6, false, a))
          return status;
        b.CubicTo(ox + a[0], oy + a[1], ox + a[2], oy + a[3], ox + a[4], oy + a[5]);
        lastCtrlX = ox + a[2];
        lastCtrlY = oy + a[3];
        kind = 'C';
        break;
      case 'S': case 's':
      {
        if (!readArgs(4, false, a))
          return status;
        const double x1 = lastKind == 'C' ? 2.0 * b.X() - lastCtrlX : b.X();
        const double y1 = lastKind == 'C' ? 2.0 * b.Y() - lastCtrlY : b.Y();
        b.CubicTo(x1, y1, ox + a[0], oy + a[1], ox + a[2], oy + a[3]);
        lastCtrlX = ox + a[0];
        lastCtrlY = oy + a[1];
        kind = 'C';
        break;
      }
      case 'Q': case 'q':
        if (!readArgs(4, false, a))
          return status;
        b.QuadTo(ox + a[0], oy + a[1], ox + a[2], oy + a[3]);
        lastCtrlX = ox + a[0];
        lastCtrlY = oy + a[1];
        kind = 'Q';
        break;
      case 'T': case 't':
      {
        if (!readArgs(2, false, a))
          return status;
        const double qx = lastKind == 'Q' ? 2.0 * b.X() - lastCtrlX : b.X();
        const double qy = lastKind == 'Q' ? 2.0 * b.Y() - lastCtrlY : b.Y();
        b.QuadTo(qx, qy, ox + a[0], oy + a[1]);
        lastCtrlX = qx;
        lastCtrlY = qy;
        kind = 'Q';
        break;
      }
      case 'A': case 'a':
        if (!readArgs(7, true, a))
          return status;
        b.ArcTo(a[0], a[1], a[2], a[3] != 0.0, a[4] != 0.0, ox + a[5], oy + a[6]);
        break;
      case 'Z': case 'z':
        b.Close();
        break;
      default:
        return ParseStatus::kInvalid;
    }
    lastKind = kind == 0 ? 'x' : kind;
  }
  return ParseStatus::kOk;
}

bool CubicBounds(const std::vector<CubicPath>& paths, double bounds[4])
{
  bool any = false;
  for (const CubicPath& path : paths)
  {
    const std::vector<double>& q = path.pts;
    if (q.size() < 2)
      continue;
    if (!any)
    {
      bounds[0] = bounds[2] = q[0];
      bounds[1] = bounds[3] = q[1];
      any = true;
    }
    bounds[0] = std::min(bounds[0], q[0]);
    bounds[2] = std::max(bounds[2], q[0]);
    bounds[1] = std::min(bounds[1], q[1]);
    bounds[3] = std::max(bounds[3], q[1]);
    for (size_t i = 2; i + 6 <= q.size(); i += 6)
    {
      CubicExtent(q[i - 2], q[i], q[i + 2], q[i + 4], bounds[0], bounds[2]);
      CubicExtent(q[i - 1], q[i + 1], q[i + 3], q[i + 5], bounds[1], bounds[3]);
    }
  }
  return any;
}

void TransformPaths(std::vector<CubicPath>& paths, const Xform& m)
{
  for (CubicPath& path : paths)
    for (size_t i = 0; i + 1 < path.pts.size(); i += 2)
      m.Apply(path.pts[i], path.pts[i + 1]);
}

} // namespace plugkit::gfx::svg
