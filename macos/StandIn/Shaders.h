#pragma once

// Shader functions of the stand-in GPU. On a Mac shaders are compiled into a
// library that the GPU runs; here they are C++ functions registered by name,
// and a library blob ("MTLB", then the entry names) loads only when every
// name it lists is registered.
//
// A vertex function turns one vertex into a clip position and varyings. A
// fragment function shades a horizontal span of pixels at once: it gets the
// varyings at the centre of the span's first pixel and their change per
// pixel to the right (and per row downwards, for texture level selection),
// and writes one straight RGBA colour per pixel or clears the pixel's keep
// flag to discard it. One call per span keeps the per-pixel work free of
// indirect calls.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class MTLTexture;
class MTLSamplerState;
struct MTLSamplerDescriptor;

namespace standin {

constexpr int kMaxVaryings = 8;
constexpr int kMaxVertexAttributes = 4;
constexpr int kMaxBufferBindings = 4;

// What a vertex function reads: the vertex's attributes (fetched through
// the pipeline's vertex descriptor) and the bound vertex buffers.
struct VertexInput
{
  float attributes[kMaxVertexAttributes][4];
  const uint8_t* buffers[kMaxBufferBindings];
};

struct VertexOutput
{
  float position[4];
  float varyings[kMaxVaryings];
};

// What a fragment function reads: the bound fragment buffers (already at
// their offsets), textures and samplers.
struct FragmentInput
{
  const uint8_t* buffers[kMaxBufferBindings];
  const MTLTexture* textures[kMaxBufferBindings];
  const MTLSamplerState* samplers[kMaxBufferBindings];
};

struct FragmentSpan
{
  float start[kMaxVaryings];
  float stepX[kMaxVaryings];
  float stepY[kMaxVaryings];
  int count;
  float* rgba;   // count x 4 floats to write
  uint8_t* keep; // count flags, 1 on entry; 0 discards the pixel
};

using VertexFunction = void (*)(const VertexInput&, VertexOutput&);
using FragmentFunction = void (*)(const FragmentInput&, const FragmentSpan&);

struct ShaderFunction
{
  VertexFunction vertex = nullptr;     // set for a vertex function
  FragmentFunction fragment = nullptr; // set for a fragment function
  int varyingCount = 0;                // varyings written or read
};

// Registers a function under its entry name; a later registration of the
// same name replaces it. Returns true so it can initialise a static.
bool RegisterShaderFunction(const std::string& name, ShaderFunction function);
// The function registered under `name`, or null.
const ShaderFunction* FindShaderFunction(const std::string& name);

// A library blob listing `names`, as a build embeds its compiled shaders.
std::vector<uint8_t> MakeShaderLibraryBlob(const std::vector<std::string>& names);

// Samples a texture as a shader does: bilinear at (u * W - 0.5, v * H - 0.5)
// or nearest, with the sampler's address modes, at level of detail `lod`
// (used only when the sampler and the texture have mipmaps). R8 reads as
// (r, 0, 0, 1); a missing texture or sampler reads as (0, 0, 0, 0).
void SampleTexture(const MTLTexture* texture, const MTLSamplerState* sampler, float u, float v, float lod,
                   float out[4]);

// A texture as the fragments of one span sample it: the level, filters,
// address modes and pixel layout resolved once, so that sampling a pixel is
// inline work. Gives the same values as SampleTexture.
class TextureView
{
public:
  TextureView(const MTLTexture* texture, const MTLSamplerState* sampler, float lod);
  // One given level, filtered as `linear` says.
  TextureView(const MTLTexture* texture, const MTLSamplerState* sampler, unsigned long level, bool linear);

  // Inlined into the shaders' pixel loops: a call per pixel costs as much
  // as the sampling.
  __attribute__((always_inline)) void Sample(float u, float v, float out[4]) const
  {
    if (mGeneral)
    {
      SampleTexture(mTexture, mSampler, u, v, mLod, out);
      return;
    }
    if (!mData)
    {
      out[0] = out[1] = out[2] = out[3] = 0;
      return;
    }
    if (!mLinear)
    {
      Texel(Address(Floor(Clamp(u * mW)), mW, mRepeatS), Address(Floor(Clamp(v * mH)), mH, mRepeatT), out);
      return;
    }
    float fx = Clamp(u * mW - 0.5f), fy = Clamp(v * mH - 0.5f);
    float x0f = std::floor(fx), y0f = std::floor(fy);
    float ax = fx - x0f, ay = fy - y0f;
    int x0 = static_cast<int>(x0f), y0 = static_cast<int>(y0f);
    int xa = Address(x0, mW, mRepeatS), ya = Address(y0, mH, mRepeatT);
    // On a texel centre the other three weigh nothing: the same value.
    if (mFast && ax == 0 && ay == 0)
    {
      Texel(xa, ya, out);
      return;
    }
    int xb = Address(x0 + 1, mW, mRepeatS), yb = Address(y0 + 1, mH, mRepeatT);
    float t00[4], t10[4], t01[4], t11[4];
    Texel(xa, ya, t00);
    Texel(xb, ya, t10);
    Texel(xa, yb, t01);
    Texel(xb, yb, t11);
    for (int c = 0; c < 4; ++c)
    {
      float top = t00[c] + (t10[c] - t00[c]) * ax;
      float bottom = t01[c] + (t11[c] - t01[c]) * ax;
      out[c] = top + (bottom - top) * ay;
    }
  }

  // Keeps a texel coordinate (NaN included) in a range that converts to
  // an int; no drawing samples that far out.
  static float Clamp(float c)
  {
    constexpr float kLimit = 1 << 24;
    if (!(c > -kLimit))
      return -kLimit;
    return c < kLimit ? c : kLimit;
  }

private:
  void Resolve(const MTLTexture* texture, const MTLSamplerDescriptor& sampler, unsigned long level, bool linear);
  static int Floor(float c) { return static_cast<int>(std::floor(c)); }
  static int Address(int i, int size, bool repeat)
  {
    if (repeat)
    {
      i %= size;
      return i < 0 ? i + size : i;
    }
    return i < 0 ? 0 : (i >= size ? size - 1 : i);
  }
  __attribute__((always_inline)) void Texel(int x, int y, float out[4]) const
  {
    constexpr float k = 1.0f / 255.0f;
    const uint8_t* p = mData + (static_cast<size_t>(y) * mW + x) * mBytes;
    if (mBytes == 1)
    {
      out[0] = p[0] * k, out[1] = 0, out[2] = 0, out[3] = 1;
      return;
    }
    out[0] = p[mRed] * k, out[1] = p[1] * k, out[2] = p[mBlue] * k, out[3] = p[3] * k;
  }

  const MTLTexture* mTexture;
  const MTLSamplerState* mSampler;
  float mLod;
  bool mGeneral = false; // blends two mip levels: left to SampleTexture
  bool mFast = false;
  const uint8_t* mData = nullptr;
  int mW = 0, mH = 0, mBytes = 0, mRed = 0, mBlue = 2;
  bool mLinear = false, mRepeatS = false, mRepeatT = false;
};

} // namespace standin
