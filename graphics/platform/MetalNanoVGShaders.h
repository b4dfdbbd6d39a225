#pragma once

// The renderer's shader library: "vertexShader", "fragmentShader" and
// "fragmentShaderAA", registered with the GPU when the program starts, and
// the library blob that lists them, as a build embeds its compiled
// library.

#include <cstdint>
#include <vector>

// The embedded library the renderer loads. Tests may replace it to see a
// broken library refused.
std::vector<uint8_t>& MVGembeddedShaderLibrary();
