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

  for (int i = 0; i < span.count; ++i)
  {
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
      if (u.type == 1)
      {
        float qx, qy;
        Transform(u.paintMat, x, y, qx, qy);
        su = qx / u.extent[0], sv = qy / u.extent[1];
      }
      view.Sample(su, sv, c);
      ApplyTexType(u, c);
      float k = scissor * mask;
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
