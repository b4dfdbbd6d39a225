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

#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "StandIn/Float4.h"

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
  // Set (count x 4 bytes) when the target stores an opaque colour as it is.
  // For a pixel whose colour is opaque (an opaque texel's bytes, or a
  // blend of opaque texels), the shader may write the bytes an 8-bit store
  // of it gives (straight R, G, B, A) to opaque[4 i] and set keep[i] to
  // kKeepOpaqueBytes instead of writing floats: the same bits land in the
  // target without the float round trip.
  uint8_t* opaque;
};

constexpr uint8_t kKeepOpaqueBytes = 2;

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

  // The same values as Sample, in one register: what the fast paths use.
  __attribute__((always_inline)) Float4 Sample4(float u, float v) const
  {
    if (mGeneral || !mData || mBytes == 1)
    {
      Float4 out;
      float c[4];
      Sample(u, v, c);
      std::memcpy(&out, c, sizeof c);
      return out;
    }
    if (!mLinear)
      return Texel4(Address(Floor(Clamp(u * mW)), mW, mRepeatS), Address(Floor(Clamp(v * mH)), mH, mRepeatT));
    float fx = Clamp(u * mW - 0.5f), fy = Clamp(v * mH - 0.5f);
    float x0f = std::floor(fx), y0f = std::floor(fy);
    return Bilinear4(static_cast<int>(x0f), static_cast<int>(y0f), fx - x0f, fy - y0f);
  }

  // Sample4's bilinear filter from the top-left texel (x0, y0) and the
  // weights (ax, ay) of the texels right and below, for a view that
  // IsLinearFourBytes.
  __attribute__((always_inline)) Float4 Bilinear4(int x0, int y0, float ax, float ay) const
  {
    int xa = Address(x0, mW, mRepeatS), ya = Address(y0, mH, mRepeatT);
    if (mFast && ax == 0 && ay == 0)
      return Texel4(xa, ya);
    int xb = Address(x0 + 1, mW, mRepeatS), yb = Address(y0 + 1, mH, mRepeatT);
    Float4 t00 = Texel4(xa, ya), t10 = Texel4(xb, ya), t01 = Texel4(xa, yb), t11 = Texel4(xb, yb);
    Float4 top = t00 + (t10 - t00) * ax;
    Float4 bottom = t01 + (t11 - t01) * ax;
    return top + (bottom - top) * ay;
  }

  // The texel whose bytes a sample at (u, v) rounds to, when that sample
  // is opaque and rounds to one texel whatever the filter weights of the
  // others: on a texel centre, or within 1/4096 of one (the weights' share
  // stays far below half a step of 8 bits), with every texel it mixes
  // opaque. Null otherwise, and for layouts other than four bytes.
  __attribute__((always_inline)) const uint8_t* OpaqueTexel(float u, float v) const
  {
    if (mGeneral || !mData || mBytes != 4)
      return nullptr;
    if (!mLinear)
    {
      const uint8_t* p = At(Address(Floor(Clamp(u * mW)), mW, mRepeatS), Address(Floor(Clamp(v * mH)), mH, mRepeatT));
      return p[3] == 255 ? p : nullptr;
    }
    float fx = Clamp(u * mW - 0.5f), fy = Clamp(v * mH - 0.5f);
    float x0f = std::floor(fx), y0f = std::floor(fy);
    int x0 = static_cast<int>(x0f), y0 = static_cast<int>(y0f);
    return OpaqueTexelNear(x0, y0, NearTexel(fx - x0f), NearTexel(fy - y0f));
  }

  // Which of two texels a filter weight `a` of the second leaves the
  // sample rounding to: 0 for the first, 1 for the second, -1 for neither.
  static int NearTexel(float a)
  {
    constexpr float kNear = 1.0f / 4096;
    return a <= kNear ? 0 : (a >= 1 - kNear ? 1 : -1);
  }

  // OpaqueTexel for a bilinear sample whose top-left texel is (x0, y0)
  // and whose weights NearTexel classified as dx and dy.
  __attribute__((always_inline)) const uint8_t* OpaqueTexelNear(int x0, int y0, int dx, int dy) const
  {
    if (dx < 0 || dy < 0)
      return nullptr;
    int xa = Address(x0, mW, mRepeatS), ya = Address(y0, mH, mRepeatT);
    int xb = Address(x0 + 1, mW, mRepeatS), yb = Address(y0 + 1, mH, mRepeatT);
    const uint8_t *p00 = At(xa, ya), *p10 = At(xb, ya), *p01 = At(xa, yb), *p11 = At(xb, yb);
    if ((p00[3] & p10[3] & p01[3] & p11[3]) != 255)
      return nullptr;
    return dy ? (dx ? p11 : p01) : (dx ? p10 : p00);
  }

  // OpaqueTexelNear for `count` samples whose top-left texels are
  // (x0 + k, y0) and whose weights all classified as (dx, dy): when every
  // texel they mix lies inside the level (no address mode in play) and is
  // opaque, their texels' bytes (straight R, G, B, A) go to out[4 count]
  // and the answer is true. A row checked and copied at once spares a
  // one-to-one image draw the addressing of four texels a pixel.
  bool OpaqueTexelRow(int x0, int y0, int dx, int dy, int count, uint8_t* out) const
  {
    if (mGeneral || !mData || mBytes != 4 || dx < 0 || dy < 0 || x0 < 0 || y0 < 0 || x0 + count >= mW ||
        y0 + 1 >= mH)
      return false;
    const uint8_t *top = At(x0, y0), *bottom = At(x0, y0 + 1);
    int alpha = 255;
    for (int k = 0; k <= count; ++k)
      alpha &= top[k * 4 + 3] & bottom[k * 4 + 3];
    if (alpha != 255)
      return false;
    // Opaque: the alpha bytes copied are 255.
    CopyPixels(out, At(x0 + dx, y0 + dy), count, mRed != 0);
    return true;
  }

  // Bilinear4 for four pixels at once, one channel of all four per
  // register (lane k is pixel k): each lane does Bilinear4's float
  // operations in its order, so the values are the same. When all sixteen
  // texels are opaque so is every sample, and its bytes are what an 8-bit
  // store of it gives: those (straight R, G, B, A) go to out[16] and the
  // answer is true. False, with nothing written, when any texel is not.
  // Stretched images are nearly all true blends: a channel per register
  // does in one pass what a pixel per register does in four.
  __attribute__((always_inline)) bool OpaqueBilinear4Pixels(const int* x0, const int* y0, const float* ax,
                                                            const float* ay, uint8_t* out) const
  {
    const uint8_t* p[4][4]; // per pixel: top-left, top-right, bottom-left, bottom-right
    int alpha = 255;
    for (int k = 0; k < 4; ++k)
    {
      int xa = Address(x0[k], mW, mRepeatS), ya = Address(y0[k], mH, mRepeatT);
      int xb = Address(x0[k] + 1, mW, mRepeatS), yb = Address(y0[k] + 1, mH, mRepeatT);
      p[k][0] = At(xa, ya), p[k][1] = At(xb, ya), p[k][2] = At(xa, yb), p[k][3] = At(xb, yb);
      alpha &= p[k][0][3] & p[k][1][3] & p[k][2][3] & p[k][3][3];
    }
    if (alpha != 255)
      return false;
    Float4 wx, wy;
    std::memcpy(&wx, ax, sizeof wx);
    std::memcpy(&wy, ay, sizeof wy);
    // Each corner's four texels as words, a channel's bytes picked out of
    // all four at once (the int to float conversion of a byte is exact).
    Int4 corners[4];
    for (int corner = 0; corner < 4; ++corner)
      for (int k = 0; k < 4; ++k)
      {
        uint32_t word;
        std::memcpy(&word, p[k][corner], 4);
        corners[corner][k] = static_cast<int32_t>(word);
      }
    auto channel = [&](int corner, int c) {
      Int4 bytes;
      if constexpr (std::endian::native == std::endian::little)
        bytes = (corners[corner] >> (8 * c)) & 0xff;
      else
        bytes = Int4{p[0][corner][c], p[1][corner][c], p[2][corner][c], p[3][corner][c]};
      return __builtin_convertvector(bytes, Float4) * (1.0f / 255.0f);
    };
    const int source[3] = {mRed, 1, mBlue};
    for (int c = 0; c < 3; ++c)
    {
      Float4 t00 = channel(0, source[c]), t10 = channel(1, source[c]);
      Float4 t01 = channel(2, source[c]), t11 = channel(3, source[c]);
      Float4 top = t00 + (t10 - t00) * wx;
      Float4 bottom = t01 + (t11 - t01) * wx;
      Int4 b = ToUnorm8x4(top + (bottom - top) * wy);
      for (int k = 0; k < 4; ++k)
        out[k * 4 + c] = static_cast<uint8_t>(b[k]);
    }
    for (int k = 0; k < 4; ++k)
      out[k * 4 + 3] = 255;
    return true;
  }

  // Whether OpaqueTexel filters bilinearly within one four-byte level: the
  // case a shader may classify samples for itself, four at a time.
  bool IsLinearFourBytes() const { return !mGeneral && mData && mBytes == 4 && mLinear; }
  int Width() const { return mW; }
  int Height() const { return mH; }

  // Where the texture's red and blue bytes are.
  int RedOffset() const { return mRed; }
  int BlueOffset() const { return mBlue; }

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

  // Four-byte layouts only.
  const uint8_t* At(int x, int y) const { return mData + (static_cast<size_t>(y) * mW + x) * 4; }
  __attribute__((always_inline)) Float4 Texel4(int x, int y) const
  {
    return LoadBytes(At(x, y), mRed, mBlue) * (1.0f / 255.0f);
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
