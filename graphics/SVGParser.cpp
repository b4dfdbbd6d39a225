// Reads an SVG document's elements into the reader's intermediate records.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "graphics/SVGDocument.h"
#include "graphics/SVGNumber.h"
#include "graphics/SVGXmlReader.h"

namespace plugkit::gfx::svg {

namespace {

// Deeper elements are skipped with their content, so a hostile document
// cannot make the reader's stacks grow without bound.
constexpr size_t kMaxDepth = 128;

enum class Kind
{
  kUnknown, kSvg, kG, kDefs, kPath, kRect, kCircle, kEllipse, kLine, kPolyline, kPolygon, kLinear, kRadial, kStop
};

Kind Classify(std::string_view name)
{
  static const struct { const char* name; Kind kind; } kKinds[] = {{"svg", Kind::kSvg}, {"g", Kind::kG},
    {"defs", Kind::kDefs}, {"path", Kind::kPath}, {"rect", Kind::kRect}, {"circle", Kind::kCircle},
    {"ellipse", Kind::kEllipse}, {"line", Kind::kLine}, {"polyline", Kind::kPolyline},
    {"polygon", Kind::kPolygon}, {"linearGradient", Kind::kLinear}, {"radialGradient", Kind::kRadial},
    {"stop", Kind::kStop}};
  for (const auto& k : kKinds)
    if (name == k.name)
      return k.kind;
  return Kind::kUnknown;
}

bool IsShape(Kind k)
{
  return k >= Kind::kPath && k <= Kind::kPolygon;
}

std::string_view LocalName(std::string_view name)
{
  const size_t colon = name.find(':');
  return colon == std::string_view::npos ? name : name.substr(colon + 1);
}

const std::string* FindAttr(const std::vector<XmlAttribute>& attrs, std::string_view name)
{
  for (const XmlAttribute& a : attrs)
    if (a.name == name)
      return &a.value;
  return nullptr;
}

// Reads up to n numbers; returns the count, or -1 for a non-finite one.
int ReadNumberList(std::string_view text, double* out, int n)
{
  const char* p = text.data();
  const char* end = p + text.size();
  int count = 0;
  while (count < n)
  {
    SkipSeparators(p, end);
    const NumberResult r = ReadNumber(p, end, out[count]);
    if (r == NumberResult::kNotFinite)
      return -1;
    if (r == NumberResult::kNone)
      break;
    ++count;
  }
  return count;
}

class Reader final : public XmlHandler
{
public:
  explicit Reader(Document& doc) : mDoc(doc) {}

  bool HaveRoot() const { return mHaveRoot; }

  void StartElement(std::string_view rawName, const std::vector<XmlAttribute>& attrs, bool selfClosing) override
  {
    if (mSkip > 0 || mRootClosed)
    {
      if (mSkip > 0 && !selfClosing)
        ++mSkip;
      return;
    }
    const std::string_view name = LocalName(rawName);
    if (!mHaveRoot)
    {
      if (name != "svg")
        return;  // a wrapper around the svg element is looked through
      mHaveRoot = true;
      Style root;
      if (!ReadRoot(attrs) || ApplyAttributes(root, attrs) == ParseStatus::kNotFinite)
      {
        // A broken root ends the document: an empty image.
        mDoc.root = RootInfo();
        mRootClosed = true;
        return;
      }
      Push(root, Kind::kSvg, selfClosing);
      return;
    }
    const Kind parent = mKinds.back();
    const Kind kind = Classify(name);
    const bool allowed = parent == Kind::kLinear || parent == Kind::kRadial ? kind == Kind::kStop
      : !IsShape(parent) && parent != Kind::kStop && kind != Kind::kStop && kind != Kind::kUnknown;
    Style st = mStyles.back().Child();
    if (!allowed || mStyles.size() >= kMaxDepth || ApplyAttributes(st, attrs) == ParseStatus::kNotFinite)
    {
      if (!selfClosing)
        mSkip = 1;
      return;
    }
    bool ok = true;
    switch (kind)
    {
      case Kind::kDefs: st.inDefs = true; break;
      case Kind::kSvg: ok = NestedViewport(st, attrs); break;
      case Kind::kLinear:
      case Kind::kRadial: ok = StartGradient(kind == Kind::kRadial, attrs); break;
      case Kind::kStop: ok = AddStop(st, attrs); break;
      case Kind::kG: break;
      default:
        ok = AddShape(kind, st, attrs);
        break;
    }
    if (!ok)
    {
      if (!selfClosing)
        mSkip = 1;
      return;
    }
    Push(st, kind, selfClosing);
  }

  void EndElement(std::string_view) override
  {
    if (mSkip > 0)
    {
      --mSkip;
      return;
    }
    if (!mHaveRoot || mRootClosed || mStyles.empty())
      return;
    mStyles.pop_back();
    mKinds.pop_back();
    if (mStyles.empty())
      mRootClosed = true;
  }

private:
  void Push(const Style& st, Kind kind, bool selfClosing)
  {
    if (selfClosing)
    {
      if (mStyles.empty())
        mRootClosed = true;
      return;
    }
    mStyles.push_back(st);
    mKinds.push_back(kind);
  }

  // Presentation attributes first, then the style attribute, which wins;
  // the transform attribute moves the element's user space.
  ParseStatus ApplyAttributes(Style& st, const std::vector<XmlAttribute>& attrs)
  {
    const std::string* style = nullptr;
    for (const XmlAttribute& a : attrs)
    {
      if (a.name == "style")
      {
        style = &a.value;
      }
      else if (a.name == "transform")
      {
        Xform m;
        const ParseStatus s = ParseTransform(a.value, m);
        if (s == ParseStatus::kNotFinite)
          return s;
        st.ctm = st.ctm.Then(m);
      }
      else if (ApplyProperty(st, a.name, a.value, mDoc.ctx) == ParseStatus::kNotFinite)
      {
        return ParseStatus::kNotFinite;
      }
    }
    return style ? ApplyStyleAttribute(st, *style, mDoc.ctx) : ParseStatus::kOk;
  }

  // A length attribute in pixels; absent or malformed gives the default,
  // false means a non-finite number.
  bool LengthAttr(const std::vector<XmlAttribute>& attrs, std::string_view name, Axis axis, double& out, double def = 0.0)
  {
    out = def;
    const std::string* v = FindAttr(attrs, name);
    if (!v)
      return true;
    Length len;
    const ParseStatus s = ParseLength(*v, len);
    if (s == ParseStatus::kNotFinite)
      return false;
    if (s == ParseStatus::kOk)
      out = ToPixels(len, mDoc.ctx, axis);
    return std::isfinite(out);
  }

  bool ReadViewBox(const std::vector<XmlAttribute>& attrs, double vb[4], bool& has)
  {
    has = false;
    const std::string* v = FindAttr(attrs, "viewBox");
    if (!v)
      return true;
    const int n = ReadNumberList(*v, vb, 4);
    if (n < 0)
      return false;
    has = n == 4 && vb[2] > 0.0 && vb[3] > 0.0;
    return true;
  }

  bool ReadRoot(const std::vector<XmlAttribute>& attrs)
  {
    RootInfo& root = mDoc.root;
    for (const char* name : {"width", "height"})
    {
      const std::string* v = FindAttr(attrs, name);
      Length len;
      if (!v)
        continue;
      const ParseStatus s = ParseLength(*v, len);
      if (s == ParseStatus::kNotFinite)
        return false;
      if (s == ParseStatus::kOk && len.unit != Unit::kPercent && len.value > 0.0)
        (name[0] == 'w' ? root.width : root.height) = len.value * PixelsPerUnit(len.unit, mDoc.ctx);
    }
    if (!ReadViewBox(attrs, root.viewBox, root.hasViewBox))
      return false;
    if (const std::string* par = FindAttr(attrs, "preserveAspectRatio"))
      root.preserveAspectRatio = *par;
    // Percentages refer to the viewBox, else to the given size.
    if (root.hasViewBox)
    {
      mDoc.ctx.viewportW = root.viewBox[2];
      mDoc.ctx.viewportH = root.viewBox[3];
    }
    else
    {
      mDoc.ctx.viewportW = root.width.value_or(mDoc.ctx.viewportW);
      mDoc.ctx.viewportH = root.height.value_or(mDoc.ctx.viewportH);
    }
    return true;
  }

  // An inner svg element: a group moved to (x, y) whose viewBox, when it has
  // one and a size, is fitted into that size.
  bool NestedViewport(Style& st, const std::vector<XmlAttribute>& attrs)
  {
    double x, y, w, h, vb[4];
    bool hasViewBox = false;
    if (!LengthAttr(attrs, "x", Axis::kX, x) || !LengthAttr(attrs, "y", Axis::kY, y) ||
        !LengthAttr(attrs, "width", Axis::kX, w) || !LengthAttr(attrs, "height", Axis::kY, h) ||
        !ReadViewBox(attrs, vb, hasViewBox))
      return false;
    st.ctm = st.ctm.Then(Xform::Translate(x, y));
    if (hasViewBox && w > 0.0 && h > 0.0)
    {
      const std::string* par = FindAttr(attrs, "preserveAspectRatio");
      st.ctm = st.ctm.Then(ViewBoxTransform(vb, w, h, par ? *par : std::string_view()));
    }
    return true;
  }

  bool BuildGeometry(Kind kind, const std::vector<XmlAttribute>& attrs, PathBuilder& b)
  {
    double v[6];
    switch (kind)
    {
      case Kind::kPath:
      {
        const std::string* d = FindAttr(attrs, "d");
        return !d || ParsePathData(*d, b) != ParseStatus::kNotFinite;
      }
      case Kind::kRect:
      {
        if (!LengthAttr(attrs, "x", Axis::kX, v[0]) || !LengthAttr(attrs, "y", Axis::kY, v[1]) ||
            !LengthAttr(attrs, "width", Axis::kX, v[2]) || !LengthAttr(attrs, "height", Axis::kY, v[3]) ||
            !LengthAttr(attrs, "rx", Axis::kX, v[4], -1.0) || !LengthAttr(attrs, "ry", Axis::kY, v[5], -1.0))
          return false;
        const double x = v[0], y = v[1], w = v[2], h = v[3];
        if (!(w > 0.0 && h > 0.0))
          return true;
        double rx = v[4], ry = v[5];
        // A missing or negative radius takes the other one.
        if (rx < 0.0)
          rx = ry;
        if (ry < 0.0)
          ry = rx;
        rx = std::clamp(rx, 0.0, w / 2.0);
        ry = std::clamp(ry, 0.0, h / 2.0);
        if (rx > 0.0 && ry > 0.0)
        {
          b.MoveTo(x + rx, y);
          b.LineTo(x + w - rx, y);
          b.ArcTo(rx, ry, 0.0, false, true, x + w, y + ry);
          b.LineTo(x + w, y + h - ry);
          b.ArcTo(rx, ry, 0.0, false, true, x + w - rx, y + h);
          b.LineTo(x + rx, y + h);
          b.ArcTo(rx, ry, 0.0, false, true, x, y + h - ry);
          b.LineTo(x, y + ry);
          b.ArcTo(rx, ry, 0.0, false, true, x + rx, y);
        }
        else
        {
          b.MoveTo(x, y);
          b.LineTo(x + w, y);
          b.LineTo(x + w, y + h);
          b.LineTo(x, y + h);
        }
        b.Close();
        return true;
      }
      case Kind::kCircle:
      case Kind::kEllipse:
      {
        if (!LengthAttr(attrs, "cx", Axis::kX, v[0]) || !LengthAttr(attrs, "cy", Axis::kY, v[1]))
          return false;
        if (kind == Kind::kCircle)
        {
          if (!LengthAttr(attrs, "r", Axis::kOther, v[2]))
            return false;
          v[3] = v[2];
        }
        else if (!LengthAttr(attrs, "rx", Axis::kX, v[2]) || !LengthAttr(attrs, "ry", Axis::kY, v[3]))
        {
          return false;
        }
        const double cx = v[0], cy = v[1], rx = v[2], ry = v[3];
        if (!(rx > 0.0 && ry > 0.0))
          return true;
        // Four quarter arcs clockwise on screen from the rightmost point.
        b.MoveTo(cx + rx, cy);
        b.ArcTo(rx, ry, 0.0, false, true, cx, cy + ry);
        b.ArcTo(rx, ry, 0.0, false, true, cx - rx, cy);
        b.ArcTo(rx, ry, 0.0, false, true, cx, cy - ry);
        b.ArcTo(rx, ry, 0.0, false, true, cx + rx, cy);
        b.Close();
        return true;
      }
      case Kind::kLine:
        if (!LengthAttr(attrs, "x1", Axis::kX, v[0]) || !LengthAttr(attrs, "y1", Axis::kY, v[1]) ||
            !LengthAttr(attrs, "x2", Axis::kX, v[2]) || !LengthAttr(attrs, "y2", Axis::kY, v[3]))
          return false;
        b.MoveTo(v[0], v[1]);
        b.LineTo(v[2], v[3]);
        return true;
      case Kind::kPolyline:
      case Kind::kPolygon:
      {
        const std::string* pts = FindAttr(attrs, "points");
        if (!pts)
          return true;
        const char* p = pts->data();
        const char* end = p + pts->size();
        bool first = true;
        while (true)
        {
          double xy[2];
          SkipSeparators(p, end);
          NumberResult r = ReadNumber(p, end, xy[0]);
          if (r == NumberResult::kOk)
          {
            SkipSeparators(p, end);
            r = ReadNumber(p, end, xy[1]);
          }
          if (r == NumberResult::kNotFinite)
            return false;
          if (r != NumberResult::kOk)
            break;  // an odd last coordinate is left out
          if (first)
            b.MoveTo(xy[0], xy[1]);
          else
            b.LineTo(xy[0], xy[1]);
          first = false;
        }
        if (kind == Kind::kPolygon)
          b.Close();
        return true;
      }
      default:
        return true;
    }
  }

  bool AddShape(Kind kind, const Style& st, const std::vector<XmlAttribute>& attrs)
  {
    PathBuilder builder;
    if (!BuildGeometry(kind, attrs, builder))
      return false;
    if (st.inDefs)
      return true;
    ShapeRec shape;
    shape.paths = builder.Take();
    if (shape.paths.empty() || !CubicBounds(shape.paths, shape.localBounds))
      return true;
    TransformPaths(shape.paths, st.ctm);
    const double scale = st.ctm.MeanScale();
    shape.fill = {st.fill, st.fillOpacity};
    shape.stroke = {st.stroke, st.strokeOpacity};
    shape.ctm = st.ctm;
    shape.opacity = st.opacity;
    shape.strokeGeometry = st.strokeGeometry.Scaled(scale);
    shape.fillRule = st.fillRule;
    shape.visible = st.visible && st.displayed;
    mDoc.shapes.push_back(std::move(shape));
    return true;
  }

  bool StartGradient(bool radial, const std::vector<XmlAttribute>& attrs)
  {
    GradientDef g;
    g.radial = radial;
    for (const XmlAttribute& a : attrs)
    {
      std::optional<Length>* slot = nullptr;
      if (a.name == "id")
        g.id = a.value;
      else if (a.name == "href" || a.name == "xlink:href")
        g.href = a.value.size() > 1 && a.value[0] == '#' ? a.value.substr(1) : std::string();
      else if (a.name == "gradientUnits")
        g.userSpace = a.value == "userSpaceOnUse";
      else if (a.name == "spreadMethod")
        g.spread = a.value == "reflect" ? kSVGSpreadReflect : a.value == "repeat" ? kSVGSpreadRepeat : kSVGSpreadPad;
      else if (a.name == "gradientTransform")
      {
        Xform m;
        const ParseStatus s = ParseTransform(a.value, m);
        if (s == ParseStatus::kNotFinite)
          return false;
        if (s == ParseStatus::kOk)
          g.transform = m;
      }
      else if (a.name == "x1") slot = &g.x1;
      else if (a.name == "y1") slot = &g.y1;
      else if (a.name == "x2") slot = &g.x2;
      else if (a.name == "y2") slot = &g.y2;
      else if (a.name == "cx") slot = &g.cx;
      else if (a.name == "cy") slot = &g.cy;
      else if (a.name == "r") slot = &g.r;
      else if (a.name == "fx") slot = &g.fx;
      else if (a.name == "fy") slot = &g.fy;
      if (slot)
      {
        Length len;
        const ParseStatus s = ParseLength(a.value, len);
        if (s == ParseStatus::kNotFinite)
          return false;
        if (s == ParseStatus::kOk)
          *slot = len;
      }
    }
    mDoc.gradients.push_back(std::move(g));
    return true;
  }

  bool AddStop(const Style& st, const std::vector<XmlAttribute>& attrs)
  {
    GradientDef& g = mDoc.gradients.back();
    double offset = 0.0;
    if (const std::string* v = FindAttr(attrs, "offset"))
    {
      Length len;
      const ParseStatus s = ParseLength(*v, len);
      if (s == ParseStatus::kNotFinite)
        return false;
      if (s == ParseStatus::kOk)
        offset = len.unit == Unit::kPercent ? len.value / 100.0 : len.value;
    }
    // Offsets stay in [0, 1] and never fall below the previous stop's.
    offset = std::clamp(offset, 0.0, 1.0);
    if (!g.stops.empty())
      offset = std::max(offset, static_cast<double>(g.stops.back().offset));
    const uint32_t alpha = static_cast<uint32_t>(std::lround(std::clamp(st.stopOpacity, 0.0, 1.0) * 255.0));
    g.stops.push_back({(st.stopColor & 0xFFFFFFu) | (alpha << 24), static_cast<float>(offset)});
    return true;
  }

  Document& mDoc;
  std::vector<Style> mStyles;
  std::vector<Kind> mKinds;
  int mSkip = 0;
  bool mHaveRoot = false;
  bool mRootClosed = false;
};

} // namespace

Xform ViewBoxTransform(const double vb[4], double w, double h, std::string_view par)
{
  double sx = w / vb[2], sy = h / vb[3];
  par = Trim(par);
  if (par.substr(0, 5) == "defer")
    par = Trim(par.substr(5));
  double alignX = 0.5, alignY = 0.5;
  if (par.substr(0, 4) != "none")
  {
    if (par.size() >= 8 && par[0] == 'x' && par[4] == 'Y')
    {
      const std::string_view ax = par.substr(1, 3), ay = par.substr(5, 3);
      alignX = ax == "Min" ? 0.0 : ax == "Max" ? 1.0 : 0.5;
      alignY = ay == "Min" ? 0.0 : ay == "Max" ? 1.0 : 0.5;
    }
    const bool slice = par.find("slice") != std::string_view::npos;
    sx = sy = slice ? std::max(sx, sy) : std::min(sx, sy);
  }
  const double tx = (w - vb[2] * sx) * alignX - vb[0] * sx;
  const double ty = (h - vb[3] * sy) * alignY - vb[1] * sy;
  return {sx, 0.0, 0.0, sy, tx, ty};
}

bool ReadDocument(const char* text, size_t size, float dpi, Document& doc)
{
  doc.ctx.dpi = std::isfinite(dpi) && dpi > 0.0f ? dpi : 96.0;
  Reader reader(doc);
  ReadXml(text, size, reader);
  return reader.HaveRoot();
}

} // namespace plugkit::gfx::svg
