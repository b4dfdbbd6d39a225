#pragma once

// NanoVG's own OpenGL 3 back-end on Mesa's software renderer, through EGL
// without a display: the reference the Metal renderer's pixels are compared
// with. One OpenGL context for the whole program; each drawing renders into
// an off-screen frame buffer of colour and stencil.

#include <functional>
#include <string>
#include <vector>

#include "nanovg.h"

namespace glreference {

// Sets up EGL and OpenGL once; false (with the reason) when this machine
// cannot give a headless OpenGL 3.3 core context.
bool Available(std::string* why);

// Draws one frame of `width` x `height` logical pixels at `ratio` through a
// new NanoVG GL3 context with `flags`, cleared to transparent; the RGBA
// rows, top row first.
std::vector<uint8_t> Draw(int width, int height, float ratio, int flags, const std::function<void(NVGcontext*)>& draw);

} // namespace glreference
