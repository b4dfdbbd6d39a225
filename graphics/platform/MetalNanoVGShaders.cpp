// The renderer's shaders, written against the stand-in GPU's span
// interface: the vertex shader passes positions on in NanoVG's units (the
// paint and scissor matrices expect them), the fragment shaders turn a
// uniform record into premultiplied colour.

#include "MetalNanoVGShaders.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "MVGcontext_vTolvane3_au.h"
#include "StandIn/Gpu.h"
#include "StandIn/Shaders.h"

namespace {

// Varyings: position (x, y), texture coordinate (u, v).
constexpr int kVaryings = 4;
// Pixels whose image coordinates the fast paths work out ahead.
constexpr int kChunk = 64;

// NaN saturates to 0, as on the GPU.
float Saturate(float v) { return v > 0 ? (v < 1 ? v : 1) : 0; }

// A matrix of three columns (a, b, 0), (c, d, 0), (e, f, 1) times (x, y, 1).
void Transform(const float m[12], float x, float y, float& ox, float& oy)
{
  ox = m[0] * x + m[4] * y + m[8];
  oy = m[1] * x + m[5] * y + m[9];
}

void VertexShader(const standin::VertexInput& in, standin::VertexOutput& out)
{
  float viewW = 1, viewH = 1;
  if (in.buffers[1])
  {
    float size[2];
    std::memcpy(size, in.buffers[1], sizeof size);
    viewW = size[0], viewH = size[1];
  }
  float x = in.attributes[0][0], y = in.attributes[0][1];
  out.position[0] = 2.0f * x / viewW - 1.0f;
  out.position[1] = 1.0f - 2.0f * y / viewH;
  out.position[2] = 0;
  out.position[3] = 1;
  out.varyings[0] = x;
  out.varyings[1] = y;
  out.varyings[2] = in.attributes[1][0];
  out.varyings[3] = in.attributes[1][1];
}

// As the GPU's length(): no care for overflow, which hypot would take.
float Length(float x, float y) { return std::sqrt(x * x + y * y); }

inline float ScissorFactor(const Uniforms& u, float x, float y)
{
  float px, py;
  Transform(u.scissorMat, x, y, px, py);
  float sx = Saturate(0.5f - (std::fabs(px) - u.scissorExt[0]) * u.scissorScale[0]);
  float sy = Saturate(0.5f - (std::fabs(py) - u.scissorExt[1]) * u.scissorScale[1]);
  return sx * sy;
}

float StrokeMask(const Uniforms& u, float tu, float tv)
{
  return std::min(1.0f, (1.0f - std::fabs(tu * 2.0f - 1.0f)) * u.strokeMult) * std::min(1.0f, tv);
}

// The level of detail for texture coordinates changing by (dudx, dvdx) per
// pixel across and (dudy, dvdy) per row, on a texture of w x h.
float LevelOfDetail(const MTLTexture* t, float dudx, float dvdx, float dudy, float dvdy)
{
  if (!t)
    return 0;
  float w = static_cast<float>(t->width()), h = static_cast<float>(t->height());
  float lx = Length(dudx * w, dvdx * h), ly = Length(dudy * w, dvdy * h);
  float rho = std::fmax(lx, ly);
  return rho > 0 ? std::log2(rho) : 0;
}

void ApplyTexType(const Uniforms& u, float c[4])
{
  if (u.texType == 1)
    c[0] *= c[3], c[1] *= c[3], c[2] *= c[3];
  else if (u.texType == 2)
    c[1] = c[2] = c[3] = c[0];
}

// What the pixel loop computes for an image pattern's coordinates (the
// same operations in the same order, four lanes at once) for `n` pixels
// from `first` on.
void ImageCoordinates(const Uniforms& u, const standin::FragmentSpan& span, int first, int n, float* su, float* sv)
{
  using standin::Float4;
  using standin::Splat;
  for (int j = 0; j < n; j += 4)
  {
    float f = static_cast<float>(first + j);
    Float4 fi = {f, f + 1, f + 2, f + 3}; // exact: spans are far shorter than 2^24
    Float4 x = Splat(span.start[0]) + Splat(span.stepX[0]) * fi;
    Float4 y = Splat(span.start[1]) + Splat(span.stepX[1]) * fi;
    Float4 qx = Splat(u.paintMat[0]) * x + Splat(u.paintMat[4]) * y + Splat(u.paintMat[8]);
    Float4 qy = Splat(u.paintMat[1]) * x + Splat(u.paintMat[5]) * y + Splat(u.paintMat[9]);
    Float4 a = qx / Splat(u.extent[0]), b = qy / Splat(u.extent[1]);
    std::memcpy(su + j, &a, sizeof a);
    std::memcpy(sv + j, &b, sizeof b);
  }
}

// What TextureView::OpaqueTexel works out from a bilinear sample's
// coordinates before it reads texels, four lanes at once: the top-left
// texel and which texel the weights leave (NearTexel).
struct TexelClasses
{
  int x0[kChunk], y0[kChunk], dx[kChunk], dy[kChunk];
  float ax[kChunk], ay[kChunk]; // the weights of the texels right and below
};

void ClassifySamples(const standin::TextureView& view, const float* su, const float* sv, int n, TexelClasses& out)
{
  using standin::Float4;
  using standin::Int4;
  using standin::Splat;
  const Float4 limit = Splat(1 << 24), near = Splat(1.0f / 4096), w = Splat(static_cast<float>(view.Width())),
               h = Splat(static_cast<float>(view.Height()));
  auto clamp = [&](Float4 c) {
    c = c > -limit ? c : -limit; // NaN too, as TextureView::Clamp
    return c < limit ? c : limit;
  };
  auto classify = [&](Float4 a) {
    Int4 first = a <= near, second = a >= Splat(1) - near;
    // The comparisons give -1 in the lanes where they hold.
    return first ? Int4{0, 0, 0, 0} : (second ? Int4{1, 1, 1, 1} : Int4{-1, -1, -1, -1});
  };
  for (int j = 0; j < n; j += 4)
  {
    Float4 a, b;
    std::memcpy(&a, su + j, sizeof a);
    std::memcpy(&b, sv + j, sizeof b);
    Float4 fx = clamp(a * w - 0.5f), fy = clamp(b * h - 0.5f);
    Float4 x0f = standin::Floor4(fx), y0f = standin::Floor4(fy);
    Int4 x0 = __builtin_convertvector(x0f, Int4), y0 = __builtin_convertvector(y0f, Int4);
    Float4 ax = fx - x0f, ay = fy - y0f;
    Int4 dx = classify(ax), dy = classify(ay);
    std::memcpy(out.ax + j, &ax, sizeof ax);
    std::memcpy(out.ay + j, &ay, sizeof ay);
    std::memcpy(out.x0 + j, &x0, sizeof x0);
    std::memcpy(out.y0 + j, &y0, sizeof y0);
    std::memcpy(out.dx + j, &dx, sizeof dx);
    std::memcpy(out.dy + j, &dy, sizeof dy);
  }
}

// Whether the four samples from `j` on each round to one texel: those are
// copied rather than blended.
bool AllNear(const TexelClasses& c, int j)
{
  return ((c.dx[j] | c.dx[j + 1] | c.dx[j + 2] | c.dx[j + 3] | c.dy[j] | c.dy[j + 1] | c.dy[j + 2] | c.dy[j + 3]) &
          ~1) == 0;
}

// How many samples from `j` on round to one texel each, in the same
// corner of consecutive texels of one row: a one-to-one image draw, which
// is copied a row at a time. 0 when sample `j` does not round to one.
int NearRowRun(const TexelClasses& c, int j, int n)
{
  if (c.dx[j] < 0 || c.dy[j] < 0)
    return 0;
  int run = 1;
  while (j + run < n && c.x0[j + run] == c.x0[j] + run && c.y0[j + run] == c.y0[j] && c.dx[j + run] == c.dx[j] &&
         c.dy[j + run] == c.dy[j])
    ++run;
  return run;
}

template <bool kAntialias>
void FragmentShader(const standin::FragmentInput& in, const standin::FragmentSpan& span)
{
  Uniforms u;
  if (in.buffers[0])
    std::memcpy(&u, in.buffers[0], sizeof u);
  else
    std::memset(&u, 0, sizeof u);
  const MTLTexture* texture = in.textures[0];
  const MTLSamplerState* sampler = in.samplers[0];

  // Affine inputs: the level of detail is the same over the whole span.
  float lod = 0;
  if (u.type == 1)
  {
    float ex = u.extent[0] != 0 ? u.extent[0] : 1, ey = u.extent[1] != 0 ? u.extent[1] : 1;
    float ax = u.paintMat[0] * span.stepX[0] + u.paintMat[4] * span.stepX[1];
    float ay = u.paintMat[1] * span.stepX[0] + u.paintMat[5] * span.stepX[1];
    float bx = u.paintMat[0] * span.stepY[0] + u.paintMat[4] * span.stepY[1];
    float by = u.paintMat[1] * span.stepY[0] + u.paintMat[5] * span.stepY[1];
    lod = LevelOfDetail(texture, ax / ex, ay / ey, bx / ex, by / ey);
  }
  else if (u.type != 0)
    lod = LevelOfDetail(texture, span.stepX[2], span.stepX[3], span.stepY[2], span.stepY[3]);

  standin::TextureView view(texture, u.type == 0 ? nullptr : sampler, lod);

  // Shortcuts with the same results: without a scissor its factor is 1
  // everywhere (p = 0, so 0.5 + 1 saturates to 1), and with texture
  // coordinates that do not change along the span (fill interiors) the
  // stroke mask is the same for every pixel.
  bool fast = standin::AreGpuFastPathsEnabled();
  bool noScissor = fast && u.scissorExt[0] == 1 && u.scissorExt[1] == 1 && u.scissorScale[0] == 1 &&
                   u.scissorScale[1] == 1 && u.scissorMat[8] == 0 && u.scissorMat[9] == 0 && u.scissorMat[0] == 0 &&
                   u.scissorMat[1] == 0 && u.scissorMat[4] == 0 && u.scissorMat[5] == 0;
  bool constantMask = fast && span.stepX[2] == 0 && span.stepX[3] == 0;
  float spanMask = StrokeMask(u, span.start[2], span.start[3]);
  standin::Float4 inner = {u.innerCol[0], u.innerCol[1], u.innerCol[2], u.innerCol[3]};
  // An opaque texel, times a white paint and a factor of 1, stores as its
  // own bytes; with an opaque source, alpha times it changes nothing.
  bool opaqueTexels = fast && span.opaque && u.type != 0 && (u.texType == 0 || u.texType == 1) &&
                      u.innerCol[0] == 1 && u.innerCol[1] == 1 && u.innerCol[2] == 1 && u.innerCol[3] == 1;
  int red = view.RedOffset(), blue = view.BlueOffset();

  // Image coordinates four pixels at a time, a chunk ahead: the divisions
  // overlap instead of stalling every pixel.
  float chunkU[kChunk], chunkV[kChunk];
  bool chunked = fast && u.type == 1;
  bool classified = chunked && opaqueTexels && view.IsLinearFourBytes();
  TexelClasses classes;
  // Without a scissor and with a mask of 1 the factor is 1 for every pixel
  // and none is discarded: whole chunks go through a loop of their own.
  bool wholeChunks = classified && noScissor && (!kAntialias || (constantMask && spanMask == 1 && !(1 < u.strokeThr)));
  auto copyTexel = [&](int i, const uint8_t* texel) {
    uint8_t* o = span.opaque + i * 4;
    o[0] = texel[red], o[1] = texel[1], o[2] = texel[blue], o[3] = 255;
    span.keep[i] = standin::kKeepOpaqueBytes;
  };
  auto shadeSample = [&](standin::Float4 t, float k, float* out) {
    if (u.texType == 1)
      t *= standin::Float4{t[3], t[3], t[3], 1};
    else if (u.texType == 2)
      t = standin::Splat(t[0]);
    t = t * k * inner;
    std::memcpy(out, &t, sizeof t);
  };
  for (int i = 0; i < span.count; ++i)
  {
    if (chunked && i % kChunk == 0)
    {
      int n = std::min(kChunk, span.count - i);
      ImageCoordinates(u, span, i, n, chunkU, chunkV);
      if (classified)
        ClassifySamples(view, chunkU, chunkV, n, classes);
      if (wholeChunks)
      {
        auto onePixel = [&](int j) {
          if (const uint8_t* texel = view.OpaqueTexelNear(classes.x0[j], classes.y0[j], classes.dx[j], classes.dy[j]))
            copyTexel(i + j, texel);
          else
            shadeSample(view.Bilinear4(classes.x0[j], classes.y0[j], classes.ax[j], classes.ay[j]), 1.0f,
                        span.rgba + (i + j) * 4);
        };
        for (int j = 0; j < n;)
        {
          if (int run = NearRowRun(classes, j, n); run >= 4)
          {
            if (view.OpaqueTexelRow(classes.x0[j], classes.y0[j], classes.dx[j], classes.dy[j], run,
                                    span.opaque + (i + j) * 4))
              std::memset(span.keep + i + j, standin::kKeepOpaqueBytes, static_cast<size_t>(run));
            else
              for (int k = j; k < j + run; ++k)
                onePixel(k);
            j += run;
          }
          else if (j + 4 <= n && !AllNear(classes, j) &&
                   view.OpaqueBilinear4Pixels(classes.x0 + j, classes.y0 + j, classes.ax + j, classes.ay + j,
                                              span.opaque + (i + j) * 4))
          {
            std::memset(span.keep + i + j, standin::kKeepOpaqueBytes, 4);
            j += 4;
          }
          else
            onePixel(j++);
        }
        i += n - 1;
        continue;
      }
    }
    float fi = static_cast<float>(i);
    float x = span.start[0] + span.stepX[0] * fi, y = span.start[1] + span.stepX[1] * fi;
    float tu = span.start[2] + span.stepX[2] * fi, tv = span.start[3] + span.stepX[3] * fi;
    float* out = span.rgba + i * 4;
    float scissor = noScissor ? 1.0f : ScissorFactor(u, x, y);
    if (scissor == 0)
    {
      out[0] = out[1] = out[2] = out[3] = 0;
      continue;
    }
    float mask = 1;
    if (kAntialias && u.type != 2)
    {
      mask = constantMask ? spanMask : StrokeMask(u, tu, tv);
      if (mask < u.strokeThr)
      {
        span.keep[i] = 0;
        continue;
      }
    }
    float c[4];
    if (u.type == 0)
    {
      float qx, qy;
      Transform(u.paintMat, x, y, qx, qy);
      float dx = std::fabs(qx) - (u.extent[0] - u.radius), dy = std::fabs(qy) - (u.extent[1] - u.radius);
      float distance = std::fmin(std::fmax(dx, dy), 0.0f) + Length(std::fmax(dx, 0.0f), std::fmax(dy, 0.0f)) - u.radius;
      float t = Saturate((distance + u.feather * 0.5f) / u.feather);
      float k = scissor * mask;
      for (int ch = 0; ch < 4; ++ch)
        c[ch] = (u.innerCol[ch] + (u.outerCol[ch] - u.innerCol[ch]) * t) * k;
    }
    else
    {
      float su = tu, sv = tv;
      if (u.type == 1 && chunked)
        su = chunkU[i % kChunk], sv = chunkV[i % kChunk];
      else if (u.type == 1)
      {
        float qx, qy;
        Transform(u.paintMat, x, y, qx, qy);
        su = qx / u.extent[0], sv = qy / u.extent[1];
      }
      float k = scissor * mask;
      if (opaqueTexels && k == 1)
        if (const uint8_t* texel =
              classified ? view.OpaqueTexelNear(classes.x0[i % kChunk], classes.y0[i % kChunk],
                                                classes.dx[i % kChunk], classes.dy[i % kChunk])
                         : view.OpaqueTexel(su, sv))
        {
          copyTexel(i, texel);
          continue;
        }
      if (fast)
      {
        shadeSample(view.Sample4(su, sv), k, out);
        continue;
      }
      view.Sample(su, sv, c);
      ApplyTexType(u, c);
      for (int ch = 0; ch < 4; ++ch)
        c[ch] = c[ch] * k * u.innerCol[ch];
    }
    std::memcpy(out, c, sizeof c);
  }
}

const bool gRegistered = standin::RegisterShaderFunction("vertexShader", {VertexShader, nullptr, kVaryings}) &&
                         standin::RegisterShaderFunction("fragmentShader", {nullptr, FragmentShader<false>, kVaryings}) &&
                         standin::RegisterShaderFunction("fragmentShaderAA", {nullptr, FragmentShader<true>, kVaryings});

} // namespace

std::vector<uint8_t>& MVGembeddedShaderLibrary()
{
  static std::vector<uint8_t> library =
    (static_cast<void>(gRegistered),
     standin::MakeShaderLibraryBlob({"vertexShader", "fragmentShader", "fragmentShaderAA"}));
  return library;
}
