#pragma once

namespace plugkit::gfx {

// A 2-D affine transform: x' = mXX x + mXY y + mTX, y' = mYX x + mYY y + mTY.
// Every operation multiplies on the right (M := M x op), so the newest
// operation is applied to a point first, as in a drawing API's save,
// translate, rotate, draw sequence. Angles are in degrees, clockwise on
// screen (y grows downwards).
struct IMatrix
{
  double mXX = 1.0;
  double mYX = 0.0;
  double mXY = 0.0;
  double mYY = 1.0;
  double mTX = 0.0;
  double mTY = 0.0;

  IMatrix() = default;
  IMatrix(double xx, double yx, double xy, double yy, double tx, double ty)
    : mXX(xx), mYX(yx), mXY(xy), mYY(yy), mTX(tx), mTY(ty)
  {
  }

  IMatrix& Translate(float x, float y);
  IMatrix& Scale(float x, float y);
  IMatrix& Rotate(float degrees);
  IMatrix& Skew(float xDegrees, float yDegrees);
  IMatrix& Transform(const IMatrix& m);

  void TransformPoint(double& x, double& y) const
  {
    const double tx = mXX * x + mXY * y + mTX;
    y = mYX * x + mYY * y + mTY;
    x = tx;
  }
  bool operator==(const IMatrix& o) const
  {
    return mXX == o.mXX && mYX == o.mYX && mXY == o.mXY && mYY == o.mYY && mTX == o.mTX && mTY == o.mTY;
  }
};

} // namespace plugkit::gfx
