#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "graphics/SVGTransform.h"

// Lengths, colours and the cascaded style of the SVG reader.

namespace plugkit::gfx::svg {

enum class Unit
{
  kUser, kPx, kPt, kPc, kMm, kCm, kIn, kPercent, kEm, kEx
};

struct Length
{
  double value = 0.0;
  Unit unit = Unit::kUser;
};

// What relative lengths refer to.
struct LengthContext
{
  double dpi = 96.0;
  double viewportW = 100.0;
  double viewportH = 100.0;
  double fontSize = 16.0;
};

// The axis a percentage refers to: the viewport's width, height or its
// normalised diagonal.
enum class Axis
{
  kX, kY, kOther
};

// Reads "12", "1.5mm", "50%"; trailing blanks are allowed, anything else
// after the number makes the text invalid.
ParseStatus ParseLength(std::string_view text, Length& out);
// The pixels per unit at the given resolution (em and ex from the context's
// font size); 1 for user units and percentages.
double PixelsPerUnit(Unit unit, const LengthContext& ctx);
double ToPixels(const Length& len, const LengthContext& ctx, Axis axis);
// The unit named by a text such as "mm"; kPx for anything unknown.
Unit UnitFromName(std::string_view name);

// A fill or stroke as written: none, a colour or a reference to a gradient.
struct PaintValue
{
  enum class Kind
  {
    kNone, kColor, kUrl
  };
  Kind kind = Kind::kNone;
  uint32_t rgb = 0;  // red in the low byte
  std::string url;   // the id, without "url(#" and ")"
};

// Reads none, #rgb, #rrggbb, rgb(...), a colour keyword or url(#id).
ParseStatus ParsePaint(std::string_view text, PaintValue& out);
// Only the colour forms; false when the text is none of them.
bool ParseColor(std::string_view text, uint32_t& rgb);
// A colour keyword, ignoring case; false when unknown.
bool LookUpColorName(std::string_view name, uint32_t& rgb);

// The geometry of a stroke: its width, joins, caps and dashes.
struct StrokeGeometry
{
  double width = 1.0;
  double miterLimit = 4.0;
  double dashOffset = 0.0;
  double dashes[8] = {};
  int dashCount = 0;
  char lineJoin = 0;
  char lineCap = 0;

  // The lengths (not the miter limit, a ratio) grown by scale.
  StrokeGeometry Scaled(double scale) const;
};

// The style of one element after inheritance from its ancestors.
struct Style
{
  Xform ctm;  // user space of the element to the root's user space
  PaintValue fill{PaintValue::Kind::kColor, 0, {}};
  PaintValue stroke;
  double fillOpacity = 1.0;
  double strokeOpacity = 1.0;
  double opacity = 1.0;  // the product of the element's and its ancestors'
  double parentOpacity = 1.0;
  StrokeGeometry strokeGeometry;
  char fillRule = 0;
  bool visible = true;
  bool displayed = true;
  bool inDefs = false;
  uint32_t stopColor = 0;
  double stopOpacity = 1.0;

  // The style a child starts from: inherited properties kept, opacity and
  // display carried as their effect on the whole group.
  Style Child() const;
};

// Applies one presentation property; unknown names are ignored. kNotFinite
// when a number in the value is out of range.
ParseStatus ApplyProperty(Style& style, std::string_view name, std::string_view value, const LengthContext& ctx);

// Applies every "name: value" declaration of a style attribute.
ParseStatus ApplyStyleAttribute(Style& style, std::string_view text, const LengthContext& ctx);

std::string_view Trim(std::string_view text);

} // namespace plugkit::gfx::svg
