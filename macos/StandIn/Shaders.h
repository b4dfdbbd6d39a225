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

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class MTLTexture;
class MTLSamplerState;

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

} // namespace standin
