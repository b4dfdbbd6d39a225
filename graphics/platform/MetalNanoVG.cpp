// The function interface: NanoVG's render callbacks bound to the renderer,
// and the off-screen targets.

#include "MetalNanoVG.h"

#include <new>

#include "MVGcontext_vTolvane3_au.h"

namespace {

// The process-wide current target (null: draw to the layer). UI thread only.
MVGframebuffer* gCurrentTarget = nullptr;

MVGcontext_vTolvane3_au* Renderer(void* uptr) { return static_cast<MVGcontext_vTolvane3_au*>(uptr); }

MVGcontext_vTolvane3_au* Renderer(NVGcontext* ctx)
{
  return ctx ? Renderer(nvgInternalParams(ctx)->userPtr) : nullptr;
}

// The renderer is made before NanoVG's context (see mvgCreateContext).
int RenderCreate(void*, void*) { return 1; }

int RenderCreateTexture(void* uptr, int type, int w, int h, int imageFlags, const unsigned char* data)
{
  return Renderer(uptr)->renderCreateTexture(type, w, h, imageFlags, data);
}

int RenderDeleteTexture(void* uptr, int image) { return Renderer(uptr)->renderDeleteTexture(image); }

int RenderUpdateTexture(void* uptr, int image, int x, int y, int w, int h, const unsigned char* data)
{
  return Renderer(uptr)->renderUpdateTexture(image, x, y, w, h, data);
}

int RenderGetTextureSize(void* uptr, int image, int* w, int* h)
{
  return Renderer(uptr)->renderGetTextureSize(image, w, h);
}

void RenderViewport(void* uptr, float width, float height, float ratio)
{
  Renderer(uptr)->renderViewport(width, height, ratio);
}

void RenderCancel(void* uptr) { Renderer(uptr)->renderCancel(); }
void RenderFlush(void* uptr) { Renderer(uptr)->renderFlush(); }

void RenderFill(void* uptr, NVGpaint* paint, NVGcompositeOperationState op, NVGscissor* scissor, float fringe,
                const float* bounds, const NVGpath* paths, int npaths)
{
  Renderer(uptr)->renderFill(paint, op, scissor, fringe, bounds, paths, npaths);
}

void RenderStroke(void* uptr, NVGpaint* paint, NVGcompositeOperationState op, NVGscissor* scissor, float fringe,
                  float strokeWidth, const NVGpath* paths, int npaths)
{
  Renderer(uptr)->renderStroke(paint, op, scissor, fringe, strokeWidth, paths, npaths);
}

void RenderTriangles(void* uptr, NVGpaint* paint, NVGcompositeOperationState op, NVGscissor* scissor,
                     const NVGvertex* verts, int nverts, float fringe)
{
  Renderer(uptr)->renderTriangles(paint, op, scissor, verts, nverts, fringe);
}

// NanoVG calls this when the context goes, and also when its creation
// failed half-way: the renderer copes with either.
void RenderDelete(void* uptr) { delete Renderer(uptr); }

} // namespace

MVGframebuffer* MVGcurrentTarget() { return gCurrentTarget; }

NVGcontext* mvgCreateContext(CAMetalLayer* layer, int flags)
{
  auto* renderer = new (std::nothrow) MVGcontext_vTolvane3_au(layer, flags);
  if (!renderer)
    return nullptr;
  // This NanoVG copy, when the back-end's creation fails inside
  // nvgCreateInternal, frees a font stash pointer it never set. So the
  // renderer is made first, and a renderer that cannot be made never
  // reaches NanoVG.
  if (!renderer->renderCreate())
  {
    delete renderer; // its teardown copes with a half-made renderer
    return nullptr;
  }
  NVGparams params{};
  params.userPtr = renderer;
  params.edgeAntiAlias = (flags & MVG_ANTIALIAS) ? 1 : 0;
  params.renderCreate = RenderCreate;
  params.renderCreateTexture = RenderCreateTexture;
  params.renderDeleteTexture = RenderDeleteTexture;
  params.renderUpdateTexture = RenderUpdateTexture;
  params.renderGetTextureSize = RenderGetTextureSize;
  params.renderViewport = RenderViewport;
  params.renderCancel = RenderCancel;
  params.renderFlush = RenderFlush;
  params.renderFill = RenderFill;
  params.renderStroke = RenderStroke;
  params.renderTriangles = RenderTriangles;
  params.renderDelete = RenderDelete;
  // On a later failure NanoVG has already run the delete callback: nothing
  // to free.
  NVGcontext* ctx = nvgCreateInternal(&params, nullptr);
  if (ctx)
    renderer->setNvgContext(ctx);
  return ctx;
}

void mvgDeleteContext(NVGcontext* ctx)
{
  if (ctx)
    nvgDeleteInternal(ctx);
}

MVGframebuffer* mvgCreateTarget(NVGcontext* ctx, int width, int height, int imageFlags)
{
  MVGcontext_vTolvane3_au* renderer = Renderer(ctx);
  if (!renderer)
    return nullptr;
  auto* target = new (std::nothrow) MVGframebuffer;
  if (!target)
    return nullptr;
  target->ctx = ctx;
  target->image =
    renderer->renderCreateTexture(NVG_TEXTURE_RGBA, width, height, imageFlags | NVG_IMAGE_PREMULTIPLIED, nullptr);
  if (target->image == 0)
  {
    // A target without image would cancel every frame drawn into it.
    delete target;
    return nullptr;
  }
  return target;
}

void mvgBindTarget(MVGframebuffer* target) { gCurrentTarget = target; }

void mvgDeleteTarget(MVGframebuffer* target)
{
  if (!target)
    return;
  if (target->image > 0)
    nvgDeleteImage(target->ctx, target->image);
  // A deleted target must not stay bound: the next flush would read it.
  if (gCurrentTarget == target)
    gCurrentTarget = nullptr;
  delete target;
}

int mvgTargetImage(const MVGframebuffer* target) { return target ? target->image : 0; }

void mvgSetClearColor(NVGcontext* ctx, NVGcolor color)
{
  if (MVGcontext_vTolvane3_au* renderer = Renderer(ctx))
    renderer->setClearColor(color);
}

void mvgReadImagePixels(NVGcontext* ctx, int image, int x, int y, int width, int height, void* data)
{
  MVGcontext_vTolvane3_au* renderer = Renderer(ctx);
  MVGtexture_vTolvane3_au* tex = renderer ? renderer->findTexture(image) : nullptr;
  if (!tex || !tex->tex || x < 0 || y < 0 || width <= 0 || height <= 0)
    return;
  renderer->waitForImage(image);
  NSUInteger pitch = tex->tex->width() * (tex->type == NVG_TEXTURE_ALPHA ? 1 : 4);
  tex->tex->getBytes(data, pitch, MTLRegionMake2D(x, y, width, height), 0);
}

MTLCommandQueue* mvgGetCommandQueue(NVGcontext* ctx)
{
  MVGcontext_vTolvane3_au* renderer = Renderer(ctx);
  return renderer ? renderer->commandQueue() : nullptr;
}

MTLDevice* mvgGetDevice(NVGcontext* ctx)
{
  MVGcontext_vTolvane3_au* renderer = Renderer(ctx);
  return renderer && renderer->metalLayer() ? renderer->metalLayer()->device() : nullptr;
}

int mvgImageFromTexture(NVGcontext* ctx, MTLTexture* texture, int imageFlags)
{
  MVGcontext_vTolvane3_au* renderer = Renderer(ctx);
  return renderer ? renderer->imageFromTexture(texture, imageFlags) : 0;
}

MTLTexture* mvgTextureOfImage(NVGcontext* ctx, int image)
{
  MVGcontext_vTolvane3_au* renderer = Renderer(ctx);
  MVGtexture_vTolvane3_au* tex = renderer ? renderer->findTexture(image) : nullptr;
  if (!tex)
    return nullptr;
  renderer->waitForImage(image);
  return tex->tex.get();
}

int mvgTargetKind() { return 1; }
