// The stand-in GPU's rasteriser: triangle lists and strips with fixed-point
// edges (8 fractional bits) and the top-left rule, so that a pixel on an
// edge shared by two triangles is drawn exactly once; pixel centres at
// (i + 0.5, j + 0.5); per-face stencil; float blending rounded to 8 bits.

#include <algorithm>
#include <cmath>
#include <cstring>

#include "Metal/MTLRenderCommandEncoder.h"
#include "StandIn/Float4.h"
#include "StandIn/Gpu.h"

namespace standin {
namespace {

constexpr int kSubPixelBits = 8;
constexpr int64_t kSubPixel = 1 << kSubPixelBits;
// Beyond this many pixels from the origin a vertex is not drawn: the
// fixed-point edge products must stay within 64 bits.
constexpr double kMaxCoordinate = 1 << 22;

float Saturate(float v) { return v > 0 ? (v < 1 ? v : 1) : 0; }
uint8_t ToUnorm8(float v) { return static_cast<uint8_t>(Saturate(v) * 255.0f + 0.5f); }

int64_t FloorDiv(int64_t a, int64_t b) // b > 0
{
  int64_t q = a / b;
  return (a % b != 0 && a < 0) ? q - 1 : q;
}

struct Target
{
  MTLTexture* color = nullptr;
  MTLTexture* stencil = nullptr;
  int width = 0, height = 0;
  size_t stencilPitch = 0; // the stencil may be larger than the colour
};

void StoreColor(const MTLTexture* t, uint8_t* p, const float c[4], MTLColorWriteMask mask)
{
  switch (t->pixelFormat())
  {
  case MTLPixelFormatBGRA8Unorm:
    if (mask & MTLColorWriteMaskBlue) p[0] = ToUnorm8(c[2]);
    if (mask & MTLColorWriteMaskGreen) p[1] = ToUnorm8(c[1]);
    if (mask & MTLColorWriteMaskRed) p[2] = ToUnorm8(c[0]);
    if (mask & MTLColorWriteMaskAlpha) p[3] = ToUnorm8(c[3]);
    break;
  case MTLPixelFormatR8Unorm:
    if (mask & MTLColorWriteMaskRed) p[0] = ToUnorm8(c[0]);
    break;
  default:
    if (mask & MTLColorWriteMaskRed) p[0] = ToUnorm8(c[0]);
    if (mask & MTLColorWriteMaskGreen) p[1] = ToUnorm8(c[1]);
    if (mask & MTLColorWriteMaskBlue) p[2] = ToUnorm8(c[2]);
    if (mask & MTLColorWriteMaskAlpha) p[3] = ToUnorm8(c[3]);
    break;
  }
}

float Factor(MTLBlendFactor f, int channel, const float s[4], const float d[4])
{
  switch (f)
  {
  case MTLBlendFactorZero: return 0;
  case MTLBlendFactorOne: return 1;
  case MTLBlendFactorSourceColor: return s[channel];
  case MTLBlendFactorOneMinusSourceColor: return 1 - s[channel];
  case MTLBlendFactorSourceAlpha: return s[3];
  case MTLBlendFactorOneMinusSourceAlpha: return 1 - s[3];
  case MTLBlendFactorDestinationColor: return d[channel];
  case MTLBlendFactorOneMinusDestinationColor: return 1 - d[channel];
  case MTLBlendFactorDestinationAlpha: return d[3];
  case MTLBlendFactorOneMinusDestinationAlpha: return 1 - d[3];
  case MTLBlendFactorSourceAlphaSaturated: return channel == 3 ? 1 : std::min(s[3], 1 - d[3]);
  }
  return 0;
}

bool StencilPasses(MTLCompareFunction f, uint32_t reference, uint32_t stored)
{
  switch (f)
  {
  case MTLCompareFunctionNever: return false;
  case MTLCompareFunctionLess: return reference < stored;
  case MTLCompareFunctionEqual: return reference == stored;
  case MTLCompareFunctionLessEqual: return reference <= stored;
  case MTLCompareFunctionGreater: return reference > stored;
  case MTLCompareFunctionNotEqual: return reference != stored;
  case MTLCompareFunctionGreaterEqual: return reference >= stored;
  case MTLCompareFunctionAlways: return true;
  }
  return true;
}

uint8_t StencilResult(MTLStencilOperation op, uint8_t stored, uint8_t reference)
{
  switch (op)
  {
  case MTLStencilOperationKeep: return stored;
  case MTLStencilOperationZero: return 0;
  case MTLStencilOperationReplace: return reference;
  case MTLStencilOperationIncrementClamp: return stored == 255 ? 255 : stored + 1;
  case MTLStencilOperationDecrementClamp: return stored == 0 ? 0 : stored - 1;
  case MTLStencilOperationInvert: return static_cast<uint8_t>(~stored);
  case MTLStencilOperationIncrementWrap: return static_cast<uint8_t>(stored + 1);
  case MTLStencilOperationDecrementWrap: return static_cast<uint8_t>(stored - 1);
  }
  return stored;
}

struct WindowVertex
{
  int64_t x, y;  // fixed point
  double fx, fy; // the same, as pixels
  const VertexOutput* out;
};

class DrawRasterizer
{
public:
  DrawRasterizer(const DrawCall& draw, const Target& target) : mDraw(draw), mTarget(target)
  {
    const MTLRenderPipelineDescriptor& p = draw.pipeline->descriptor();
    mVertex = p.vertexFunction->code().vertex;
    if (p.fragmentFunction)
    {
      mFragment = p.fragmentFunction->code().fragment;
      mVaryings = p.fragmentFunction->code().varyingCount;
    }
    mBlend = p.colorAttachments[0];
    if (!mFragment)
      mBlend.writeMask = MTLColorWriteMaskNone;
    for (int i = 0; i < kMaxBufferBindings; ++i)
    {
      const BufferBinding& b = draw.fragmentBuffers[i];
      mFragmentInput.buffers[i] = b.buffer && b.offset < b.buffer->length()
                                    ? static_cast<const uint8_t*>(b.buffer->contents()) + b.offset
                                    : nullptr;
      mFragmentInput.textures[i] = draw.fragmentTextures[i].get();
      mFragmentInput.samplers[i] = draw.fragmentSamplers[i].get();
    }
    ComputeClip();
    mSingleChannel = target.color->pixelFormat() == MTLPixelFormatR8Unorm;
    bool bgra = target.color->pixelFormat() == MTLPixelFormatBGRA8Unorm;
    mRed = bgra ? 2 : 0;
    mBlue = bgra ? 0 : 2;
    mPlainOver = mBlend.blendingEnabled && mBlend.sourceRGBBlendFactor == MTLBlendFactorOne &&
                 mBlend.destinationRGBBlendFactor == MTLBlendFactorOneMinusSourceAlpha &&
                 mBlend.sourceAlphaBlendFactor == MTLBlendFactorOne &&
                 mBlend.destinationAlphaBlendFactor == MTLBlendFactorOneMinusSourceAlpha;
    mVectorStore = AreGpuFastPathsEnabled() && !mSingleChannel && mBlend.writeMask == MTLColorWriteMaskAll &&
                   (!mBlend.blendingEnabled || mPlainOver);
  }

  void Run()
  {
    if (mClipX0 >= mClipX1 || mClipY0 >= mClipY1)
      return;
    size_t n = mDraw.indexBuffer.buffer ? mDraw.indexCount : mDraw.vertexCount;
    if (mDraw.indexBuffer.buffer)
    {
      const BufferBinding& ib = mDraw.indexBuffer;
      if (ib.offset > ib.buffer->length() || (ib.buffer->length() - ib.offset) / 4 < n)
        return; // the platform would read out of bounds: refuse the draw
    }
    std::vector<VertexOutput> outputs(n);
    for (size_t i = 0; i < n; ++i)
      ShadeVertex(VertexId(i), outputs[i]);
    if (mDraw.primitive == MTLPrimitiveTypeTriangle)
      for (size_t k = 0; k + 2 < n; k += 3)
        Triangle(outputs[k], outputs[k + 1], outputs[k + 2]);
    else
      for (size_t k = 0; k + 2 < n; ++k)
        if (k % 2 == 0)
          Triangle(outputs[k], outputs[k + 1], outputs[k + 2]);
        else
          Triangle(outputs[k + 1], outputs[k], outputs[k + 2]);
  }

private:
  void ComputeClip()
  {
    const MTLViewport& vp = mDraw.viewport;
    const MTLScissorRect& s = mDraw.scissor;
    double x0 = std::max({0.0, vp.originX, static_cast<double>(s.x)});
    double y0 = std::max({0.0, vp.originY, static_cast<double>(s.y)});
    double x1 = std::min({static_cast<double>(mTarget.width), vp.originX + vp.width, static_cast<double>(s.x + s.width)});
    double y1 = std::min({static_cast<double>(mTarget.height), vp.originY + vp.height, static_cast<double>(s.y + s.height)});
    mClipX0 = static_cast<int>(std::ceil(x0)), mClipY0 = static_cast<int>(std::ceil(y0));
    mClipX1 = static_cast<int>(std::floor(x1)), mClipY1 = static_cast<int>(std::floor(y1));
  }

  uint32_t VertexId(size_t i) const
  {
    if (!mDraw.indexBuffer.buffer)
      return static_cast<uint32_t>(mDraw.vertexStart + i);
    uint32_t id;
    std::memcpy(&id, static_cast<const uint8_t*>(mDraw.indexBuffer.buffer->contents()) + mDraw.indexBuffer.offset + i * 4, 4);
    return id;
  }

  void ShadeVertex(uint32_t id, VertexOutput& out) const
  {
    VertexInput in{};
    const MTLVertexDescriptor& vd = mDraw.pipeline->descriptor().vertexDescriptor;
    for (int a = 0; a < kMaxVertexAttributes; ++a)
    {
      const MTLVertexAttributeDescriptor& attr = vd.attributes[a];
      if (attr.format != MTLVertexFormatFloat2 || attr.bufferIndex >= kMaxBufferBindings)
        continue;
      const BufferBinding& b = mDraw.vertexBuffers[attr.bufferIndex];
      size_t at = b.offset + static_cast<size_t>(id) * vd.layouts[attr.bufferIndex].stride + attr.offset;
      // Reads past the buffer give zeros, as robust buffer access does.
      if (b.buffer && at <= b.buffer->length() && b.buffer->length() - at >= 8)
        std::memcpy(in.attributes[a], static_cast<const uint8_t*>(b.buffer->contents()) + at, 8);
    }
    for (int i = 0; i < kMaxBufferBindings; ++i)
    {
      const BufferBinding& b = mDraw.vertexBuffers[i];
      in.buffers[i] = b.buffer && b.offset < b.buffer->length()
                        ? static_cast<const uint8_t*>(b.buffer->contents()) + b.offset
                        : nullptr;
    }
    out = VertexOutput{};
    mVertex(in, out);
  }

  bool ToWindow(const VertexOutput& o, WindowVertex& w) const
  {
    const MTLViewport& vp = mDraw.viewport;
    double cw = o.position[3];
    if (!(cw > 0))
      return false;
    double x = vp.originX + (o.position[0] / cw + 1.0) * 0.5 * vp.width;
    double y = vp.originY + (1.0 - o.position[1] / cw) * 0.5 * vp.height;
    if (!(std::fabs(x) < kMaxCoordinate) || !(std::fabs(y) < kMaxCoordinate))
      return false;
    w.x = std::llround(x * kSubPixel);
    w.y = std::llround(y * kSubPixel);
    w.fx = static_cast<double>(w.x) / kSubPixel;
    w.fy = static_cast<double>(w.y) / kSubPixel;
    w.out = &o;
    return true;
  }

  void Triangle(const VertexOutput& a, const VertexOutput& b, const VertexOutput& c)
  {
    WindowVertex v[3];
    if (!ToWindow(a, v[0]) || !ToWindow(b, v[1]) || !ToWindow(c, v[2]))
      return;
    int64_t area = (v[1].x - v[0].x) * (v[2].y - v[0].y) - (v[2].x - v[0].x) * (v[1].y - v[0].y);
    if (area == 0)
      return;
    // The area is positive for triangles that turn clockwise as seen, which
    // is clockwise with y up as well: counter-clockwise ones have it negative.
    bool front = mDraw.frontFace == MTLWindingCounterClockwise ? area < 0 : area > 0;
    if ((mDraw.cull == MTLCullModeBack && !front) || (mDraw.cull == MTLCullModeFront && front))
      return;
    if (area < 0)
    {
      std::swap(v[1], v[2]);
      area = -area;
    }
    const std::optional<MTLStencilDescriptor>* stencil = nullptr;
    if (mDraw.depthStencil && mTarget.stencil)
      stencil = front ? &mDraw.depthStencil->descriptor().frontFaceStencil
                      : &mDraw.depthStencil->descriptor().backFaceStencil;
    const MTLStencilDescriptor* face = stencil && stencil->has_value() ? &**stencil : nullptr;
    Scan(v, face);
  }

  void Scan(const WindowVertex v[3], const MTLStencilDescriptor* face)
  {
    int64_t minX = std::min({v[0].x, v[1].x, v[2].x}), maxX = std::max({v[0].x, v[1].x, v[2].x});
    int64_t minY = std::min({v[0].y, v[1].y, v[2].y}), maxY = std::max({v[0].y, v[1].y, v[2].y});
    int64_t half = kSubPixel / 2;
    int64_t px0 = std::max<int64_t>(mClipX0, -FloorDiv(-(minX - half), kSubPixel));
    int64_t px1 = std::min<int64_t>(mClipX1 - 1, FloorDiv(maxX - half, kSubPixel));
    int64_t py0 = std::max<int64_t>(mClipY0, -FloorDiv(-(minY - half), kSubPixel));
    int64_t py1 = std::min<int64_t>(mClipY1 - 1, FloorDiv(maxY - half, kSubPixel));
    if (px0 > px1 || py0 > py1)
      return;

    struct Edge
    {
      int64_t ax, ay, dx, dy, bias;
    } edges[3];
    for (int e = 0; e < 3; ++e)
    {
      const WindowVertex& a = v[e];
      const WindowVertex& b = v[(e + 1) % 3];
      int64_t dx = b.x - a.x, dy = b.y - a.y;
      bool topLeft = dy < 0 || (dy == 0 && dx > 0);
      edges[e] = {a.x, a.y, dx, dy, topLeft ? 0 : -1};
    }

    // Varyings as planes over the snapped window positions.
    double area2 = (v[1].fx - v[0].fx) * (v[2].fy - v[0].fy) - (v[2].fx - v[0].fx) * (v[1].fy - v[0].fy);
    double ddx[kMaxVaryings], ddy[kMaxVaryings];
    for (int k = 0; k < mVaryings; ++k)
    {
      double a0 = v[0].out->varyings[k], a1 = v[1].out->varyings[k], a2 = v[2].out->varyings[k];
      ddx[k] = ((a1 - a0) * (v[2].fy - v[0].fy) - (a2 - a0) * (v[1].fy - v[0].fy)) / area2;
      ddy[k] = ((a2 - a0) * (v[1].fx - v[0].fx) - (a1 - a0) * (v[2].fx - v[0].fx)) / area2;
    }

    for (int64_t j = py0; j <= py1; ++j)
    {
      int64_t lo = px0, hi = px1;
      int64_t py = j * kSubPixel + half;
      for (const Edge& e : edges)
      {
        // Inside: dx * (py - ay) - dy * (px - ax) + bias >= 0, px = i * 256 + 128.
        int64_t c = e.dx * (py - e.ay) - e.dy * (half - e.ax) + e.bias;
        int64_t step = e.dy * kSubPixel;
        if (step == 0)
        {
          if (c < 0)
            lo = hi + 1;
        }
        else if (step > 0)
          hi = std::min(hi, FloorDiv(c, step));
        else
          lo = std::max(lo, -FloorDiv(c, -step));
      }
      if (lo > hi)
        continue;
      Span(static_cast<int>(j), static_cast<int>(lo), static_cast<int>(hi - lo + 1), v, ddx, ddy, face);
    }
  }

  void Span(int y, int x, int count, const WindowVertex v[3], const double* ddx, const double* ddy,
            const MTLStencilDescriptor* face)
  {
    uint8_t* stencilRow = mTarget.stencil ? mTarget.stencil->levelData(0) + static_cast<size_t>(y) * mTarget.stencilPitch : nullptr;
    uint8_t reference = static_cast<uint8_t>(mDraw.stencilReference);
    bool fast = AreGpuFastPathsEnabled();

    // A pixel failing a stencil test that keeps its value is untouched
    // whatever the shader does: no need to shade a span of only those.
    if (fast && face && face->stencilFailureOperation == MTLStencilOperationKeep)
    {
      bool any = false;
      for (int i = 0; i < count && !any; ++i)
        any = StencilPasses(face->stencilCompareFunction, reference & face->readMask,
                            stencilRow[x + i] & face->readMask);
      if (!any)
        return;
    }

    mKeep.assign(static_cast<size_t>(count), 1);
    if (mFragment)
    {
      mColors.resize(static_cast<size_t>(count) * 4);
      FragmentSpan span{};
      double cx = x + 0.5 - v[0].fx, cy = y + 0.5 - v[0].fy;
      for (int k = 0; k < mVaryings; ++k)
      {
        span.start[k] = static_cast<float>(v[0].out->varyings[k] + ddx[k] * cx + ddy[k] * cy);
        span.stepX[k] = static_cast<float>(ddx[k]);
        span.stepY[k] = static_cast<float>(ddy[k]);
      }
      span.count = count;
      span.rgba = mColors.data();
      span.keep = mKeep.data();
      if (mVectorStore)
      {
        mOpaque.resize(static_cast<size_t>(count) * 4);
        span.opaque = mOpaque.data();
      }
      mFragment(mFragmentInput, span);
    }

    MTLTexture* color = mTarget.color;
    int bpp = color->bytesPerPixel();
    uint8_t* colorRow = color->levelData(0) + static_cast<size_t>(y) * mTarget.width * bpp;
    if (!face && mVectorStore)
    {
      // The loop below without stencil: each kept pixel is stored. The
      // layout and arrays are read once: the byte stores could alias them.
      uint8_t* p = colorRow + static_cast<size_t>(x) * 4;
      const uint8_t* keep = mKeep.data();
      const uint8_t* q = mOpaque.data();
      const int red = mRed;
      for (int i = 0; i < count;)
        if (keep[i] == kKeepOpaqueBytes)
        {
          // Copied bytes come in runs: one-to-one images, opaque blends.
          int end = i + 1;
          while (end < count && keep[end] == kKeepOpaqueBytes)
            ++end;
          CopyPixels(p + i * 4, q + i * 4, end - i, red != 0);
          i = end;
        }
        else
        {
          if (keep[i])
            StoreOver(p + i * 4, &mColors[static_cast<size_t>(i) * 4]);
          ++i;
        }
      return;
    }
    for (int i = 0; i < count; ++i)
    {
      if (!mKeep[i])
        continue;
      if (face)
      {
        uint8_t& s = stencilRow[x + i];
        bool pass = StencilPasses(face->stencilCompareFunction, reference & face->readMask, s & face->readMask);
        uint8_t result = StencilResult(pass ? face->depthStencilPassOperation : face->stencilFailureOperation, s, reference);
        s = static_cast<uint8_t>((s & ~face->writeMask) | (result & face->writeMask));
        if (!pass)
          continue;
      }
      if (mBlend.writeMask == MTLColorWriteMaskNone)
        continue;
      const float* c = &mColors[static_cast<size_t>(i) * 4];
      if (mKeep[i] == kKeepOpaqueBytes)
      {
        const uint8_t* q = &mOpaque[static_cast<size_t>(i) * 4];
        uint8_t* p = colorRow + static_cast<size_t>(x + i) * 4;
        p[mRed] = q[0], p[1] = q[1], p[mBlue] = q[2], p[3] = q[3];
        continue;
      }
      if (mVectorStore)
      {
        StoreOver(colorRow + static_cast<size_t>(x + i) * 4, c);
        continue;
      }
      float src[4] = {Saturate(c[0]), Saturate(c[1]), Saturate(c[2]), Saturate(c[3])};
      uint8_t* p = colorRow + static_cast<size_t>(x + i) * bpp;
      // An opaque source over anything is the source: blending would give
      // the same bits.
      if (!mBlend.blendingEnabled || (fast && mPlainOver && src[3] == 1.0f))
      {
        Store(p, src);
        continue;
      }
      float dst[4], out[4];
      Load(p, dst);
      if (mPlainOver)
      {
        // The usual premultiplied "over", without the general factor look-ups.
        float k = 1 - src[3];
        out[0] = src[0] + dst[0] * k, out[1] = src[1] + dst[1] * k;
        out[2] = src[2] + dst[2] * k, out[3] = src[3] + dst[3] * k;
      }
      else
      {
        for (int ch = 0; ch < 3; ++ch)
          out[ch] = src[ch] * Factor(mBlend.sourceRGBBlendFactor, ch, src, dst) +
                    dst[ch] * Factor(mBlend.destinationRGBBlendFactor, ch, src, dst);
        out[3] = src[3] * Factor(mBlend.sourceAlphaBlendFactor, 3, src, dst) +
                 dst[3] * Factor(mBlend.destinationAlphaBlendFactor, 3, src, dst);
      }
      Store(p, out);
    }
  }

  // What the loop below does for four-byte targets written whole, either
  // unblended or with the premultiplied "over", the same float operations
  // a register at a time.
  __attribute__((always_inline)) void StoreOver(uint8_t* p, const float* c) const
  {
    Float4 src;
    std::memcpy(&src, c, sizeof src);
    src = Saturate4(src);
    if (mBlend.blendingEnabled && src[3] != 1.0f)
      src = src + LoadBytes(p, mRed, mBlue) * (1.0f / 255.0f) * (1 - src[3]);
    Int4 b = ToUnorm8x4(src);
    p[mRed] = static_cast<uint8_t>(b[0]), p[1] = static_cast<uint8_t>(b[1]);
    p[mBlue] = static_cast<uint8_t>(b[2]), p[3] = static_cast<uint8_t>(b[3]);
  }

  // Colour access with the target's layout resolved once per draw.
  void Load(const uint8_t* p, float out[4]) const
  {
    constexpr float k = 1.0f / 255.0f;
    if (mSingleChannel)
    {
      out[0] = p[0] * k, out[1] = 0, out[2] = 0, out[3] = 1;
      return;
    }
    out[0] = p[mRed] * k, out[1] = p[1] * k, out[2] = p[mBlue] * k, out[3] = p[3] * k;
  }

  void Store(uint8_t* p, const float c[4]) const
  {
    if (mSingleChannel)
    {
      if (mBlend.writeMask & MTLColorWriteMaskRed)
        p[0] = ToUnorm8(c[0]);
      return;
    }
    if (mBlend.writeMask == MTLColorWriteMaskAll)
    {
      p[mRed] = ToUnorm8(c[0]), p[1] = ToUnorm8(c[1]), p[mBlue] = ToUnorm8(c[2]), p[3] = ToUnorm8(c[3]);
      return;
    }
    StoreColor(mTarget.color, p, c, mBlend.writeMask);
  }

  const DrawCall& mDraw;
  const Target& mTarget;
  VertexFunction mVertex = nullptr;
  FragmentFunction mFragment = nullptr;
  int mVaryings = 0;
  MTLRenderPipelineColorAttachmentDescriptor mBlend;
  FragmentInput mFragmentInput{};
  int mClipX0 = 0, mClipY0 = 0, mClipX1 = 0, mClipY1 = 0;
  std::vector<float> mColors;
  std::vector<uint8_t> mKeep;
  std::vector<uint8_t> mOpaque; // texel bytes the shader copied
  bool mSingleChannel = false, mPlainOver = false, mVectorStore = false;
  int mRed = 0, mBlue = 2;
};

void FillColor(MTLTexture* t, const MTLClearColor& c)
{
  float rgba[4] = {static_cast<float>(c.red), static_cast<float>(c.green), static_cast<float>(c.blue),
                   static_cast<float>(c.alpha)};
  uint8_t pixel[4] = {};
  StoreColor(t, pixel, rgba, MTLColorWriteMaskAll);
  int bpp = t->bytesPerPixel();
  uint8_t* p = t->levelData(0);
  size_t n = t->width() * t->height();
  for (size_t i = 0; i < n; ++i)
    std::memcpy(p + i * bpp, pixel, bpp);
}

} // namespace

void ExecuteRenderPass(const RenderPass& pass)
{
  const MTLRenderPassDescriptor& d = pass.descriptor;
  Target target;
  target.color = d.colorAttachments[0].texture.get();
  target.width = static_cast<int>(target.color->width());
  target.height = static_cast<int>(target.color->height());
  MTLTexture* stencil = d.stencilAttachment.texture.get();
  // A stencil attachment smaller than the colour one is not usable.
  if (stencil && stencil->pixelFormat() == MTLPixelFormatStencil8 && stencil->width() >= target.color->width() &&
      stencil->height() >= target.color->height())
  {
    target.stencil = stencil;
    target.stencilPitch = stencil->width();
  }
  bool strict = AreTexturesStrict();

  if (d.colorAttachments[0].loadAction == MTLLoadActionClear)
    FillColor(target.color, d.colorAttachments[0].clearColor);
  else if (d.colorAttachments[0].loadAction == MTLLoadActionDontCare && strict)
    FillColor(target.color, {1, 0, 1, 1});
  if (target.stencil && (d.stencilAttachment.loadAction == MTLLoadActionClear || strict))
  {
    uint8_t value = d.stencilAttachment.loadAction == MTLLoadActionClear ? d.stencilAttachment.clearStencil : 0x5a;
    std::memset(target.stencil->levelData(0), value, target.stencil->width() * target.stencil->height());
  }
  for (const DrawCall& draw : pass.draws)
  {
    if (draw.pipeline->descriptor().colorAttachments[0].pixelFormat != target.color->pixelFormat())
      continue; // the platform rejects a pipeline for another format
    DrawRasterizer(draw, target).Run();
    if (IsStencilTraceOn() && target.stencil)
    {
      const uint8_t* s = target.stencil->levelData(0);
      int nonZero = 0;
      for (size_t i = 0, n = target.stencil->width() * target.stencil->height(); i < n; ++i)
        nonZero += s[i] != 0;
      AppendStencilTrace(nonZero);
    }
  }
  if (d.colorAttachments[0].storeAction == MTLStoreActionDontCare && strict)
    FillColor(target.color, {1, 0, 1, 1});
}

} // namespace standin
