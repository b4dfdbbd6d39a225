#include "graphics/IMatrix.h"

#include <cmath>

namespace plugkit::gfx {

namespace {

// Degrees to radians with the single-precision pi the drawing code has
// always used, so rotated layouts land on the same points.
double Radians(float degrees)
{
  return static_cast<double>(degrees / 180.f * 3.1415927f);
}

} // namespace

IMatrix& IMatrix::Translate(float x, float y)
{
  mTX += x * mXX + y * mXY;
  mTY += x * mYX + y * mYY;
  return *this;
}

IMatrix& IMatrix::Scale(float x, float y)
{
  mXX *= x;
  mYX *= x;
  mXY *= y;
  mYY *= y;
  return *this;
}

IMatrix& IMatrix::Rotate(float degrees)
{
  const double r = Radians(degrees);
  const double c = std::cos(r);
  const double s = std::sin(r);
  const double xx = c * mXX + s * mXY;
  const double yx = c * mYX + s * mYY;
  const double xy = c * mXY - s * mXX;
  const double yy = c * mYY - s * mYX;
  mXX = xx;
  mYX = yx;
  mXY = xy;
  mYY = yy;
  return *this;
}

IMatrix& IMatrix::Skew(float xDegrees, float yDegrees)
{
  // Both columns are computed from the original ones: updating the first
  // column in place would leak into the second.
  const double ty = std::tan(Radians(yDegrees));
  const double tx = std::tan(Radians(xDegrees));
  const double xx = mXX + ty * mXY;
  const double yx = mYX + ty * mYY;
  const double xy = mXY + tx * mXX;
  const double yy = mYY + tx * mYX;
  mXX = xx;
  mYX = yx;
  mXY = xy;
  mYY = yy;
  return *this;
}

IMatrix& IMatrix::Transform(const IMatrix& m)
{
  const IMatrix p = *this;
  mXX = p.mXX * m.mXX + p.mXY * m.mYX;
  mYX = p.mYX * m.mXX + p.mYY * m.mYX;
  mXY = p.mXX * m.mXY + p.mXY * m.mYY;
  mYY = p.mYX * m.mXY + p.mYY * m.mYY;
  mTX = p.mXX * m.mTX + p.mXY * m.mTY + p.mTX;
  mTY = p.mYX * m.mTX + p.mYY * m.mTY + p.mTY;
  return *this;
}

} // namespace plugkit::gfx
