#pragma once

#include <string_view>

// 2-D affine transforms of the SVG reader, in doubles until the model is
// written: x' = a x + c y + e, y' = b x + d y + f.

namespace plugkit::gfx::svg {

struct Xform
{
  double a = 1.0, b = 0.0, c = 0.0, d = 1.0, e = 0.0, f = 0.0;

  // this × m: m is applied to points first.
  Xform Then(const Xform& m) const;
  void Apply(double& x, double& y) const;
  // The inverse; false (and the identity) when the transform is singular.
  bool Inverse(Xform& out) const;
  // The mean of the lengths the two axes are scaled to, by which stroke
  // widths and dashes grow.
  double MeanScale() const;

  static Xform Translate(double x, double y) { return {1.0, 0.0, 0.0, 1.0, x, y}; }
  static Xform Scale(double x, double y) { return {x, 0.0, 0.0, y, 0.0, 0.0}; }
};

enum class ParseStatus
{
  kOk,
  kInvalid,   // malformed: the attribute is ignored
  kNotFinite  // a number out of range: the element is dropped
};

// Reads a transform list ("translate(10) rotate(45 5 5) matrix(...)") into
// out, composing left to right. On anything but kOk out is the identity.
ParseStatus ParseTransform(std::string_view text, Xform& out);

} // namespace plugkit::gfx::svg
