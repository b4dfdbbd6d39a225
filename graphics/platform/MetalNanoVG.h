#pragma once

// NanoVG on Metal: creates a NanoVG context that draws into a CAMetalLayer
// (or into off-screen targets), and the few operations the drawing back-end
// and the platform layer need besides NanoVG's own.
//
// UI thread only. Creation answers null when there is no GPU or the shader
// library cannot be loaded (with MVG_DEBUG the reason is printed).

#include "nanovg.h"

class CAMetalLayer;
class MTLCommandQueue;
class MTLDevice;
class MTLTexture;
struct MVGframebuffer;

enum MVGcreateFlags {
  MVG_ANTIALIAS = 1 << 0,        // anti-aliased edges (fringes and the AA fragment shader)
  MVG_STENCIL_STROKES = 1 << 1,  // strokes drawn through the stencil, so overlaps blend once
  MVG_DEBUG = 1 << 2,            // print library and pipeline errors
  MVG_DOUBLE_BUFFER = 1 << 12,   // two frames in flight
  MVG_TRIPLE_BUFFER = 1 << 13,   // three frames in flight
};

// Image flag: deleting the image leaves its texture alive.
constexpr int MVG_IMAGE_NODELETE = 1 << 16;

NVGcontext* mvgCreateContext(CAMetalLayer* layer, int flags);
void mvgDeleteContext(NVGcontext* ctx);

// An off-screen RGBA target of that size, or null when its image cannot be
// made. While bound, frames of its own context draw into it.
MVGframebuffer* mvgCreateTarget(NVGcontext* ctx, int width, int height, int imageFlags);
void mvgBindTarget(MVGframebuffer* target);
// Also unbinds the target when it is bound. Null is ignored.
void mvgDeleteTarget(MVGframebuffer* target);
// The image id of a target's colour texture.
int mvgTargetImage(const MVGframebuffer* target);

// The next frame's render pass starts by clearing to `color`; a cancelled
// frame drops the request.
void mvgSetClearColor(NVGcontext* ctx, NVGcolor color);
// Copies a region of an image (rows as wide as the whole image: 4 bytes a
// pixel for RGBA, 1 for alpha) once the frame drawing into it is done.
void mvgReadImagePixels(NVGcontext* ctx, int image, int x, int y, int width, int height, void* data);

MTLCommandQueue* mvgGetCommandQueue(NVGcontext* ctx);
MTLDevice* mvgGetDevice(NVGcontext* ctx);
int mvgImageFromTexture(NVGcontext* ctx, MTLTexture* texture, int imageFlags);
MTLTexture* mvgTextureOfImage(NVGcontext* ctx, int image);
int mvgTargetKind();
