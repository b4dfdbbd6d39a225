// The renderer's draw calls: recording NanoVG's fills, strokes and
// triangles into the current buffer set, and encoding them at flush.

#include <cmath>
#include <cstring>

#include "MVGcontext_vTolvane3_au.h"
#include "MetalNanoVG.h"

MVGframebuffer* MVGcurrentTarget(); // the bound off-screen target (MetalNanoVG.cpp)

namespace {

NVGcolor Premultiplied(NVGcolor c)
{
  c.r *= c.a;
  c.g *= c.a;
  c.b *= c.a;
  return c;
}

// A 2-D affine transform (a, b, c, d, e, f) as three columns of four floats.
void ToMatrix(const float t[6], float m[12])
{
  m[0] = t[0], m[1] = t[1], m[2] = 0, m[3] = 0;
  m[4] = t[2], m[5] = t[3], m[6] = 0, m[7] = 0;
  m[8] = t[4], m[9] = t[5], m[10] = 1, m[11] = 0;
}

// The inverse, or the identity for a transform that has none.
void Inverse(float inverse[6], const float t[6])
{
  nvgTransformInverse(inverse, t); // sets the identity when |det| < 1e-6
}

bool ToMetalFactor(int factor, MTLBlendFactor& out)
{
  switch (factor)
  {
  case NVG_ZERO: out = MTLBlendFactorZero; return true;
  case NVG_ONE: out = MTLBlendFactorOne; return true;
  case NVG_SRC_COLOR: out = MTLBlendFactorSourceColor; return true;
  case NVG_ONE_MINUS_SRC_COLOR: out = MTLBlendFactorOneMinusSourceColor; return true;
  case NVG_DST_COLOR: out = MTLBlendFactorDestinationColor; return true;
  case NVG_ONE_MINUS_DST_COLOR: out = MTLBlendFactorOneMinusDestinationColor; return true;
  case NVG_SRC_ALPHA: out = MTLBlendFactorSourceAlpha; return true;
  case NVG_ONE_MINUS_SRC_ALPHA: out = MTLBlendFactorOneMinusSourceAlpha; return true;
  case NVG_DST_ALPHA: out = MTLBlendFactorDestinationAlpha; return true;
  case NVG_ONE_MINUS_DST_ALPHA: out = MTLBlendFactorOneMinusDestinationAlpha; return true;
  case NVG_SRC_ALPHA_SATURATE: out = MTLBlendFactorSourceAlphaSaturated; return true;
  default: return false;
  }
}

// Copies a path's stroke (or fringe) strip with its first vertex repeated
// before it and its last after it, so strips of several paths join through
// degenerate triangles. Returns the number of vertices written.
int CopyStrip(NVGvertex* to, const NVGpath& path)
{
  if (path.nstroke <= 0)
    return 0;
  to[0] = path.stroke[0];
  std::memcpy(to + 1, path.stroke, sizeof(NVGvertex) * path.nstroke);
  to[path.nstroke + 1] = path.stroke[path.nstroke - 1];
  return path.nstroke + 2;
}

} // namespace

MVGblend MVGcontext_vTolvane3_au::blendCompositeOperation(NVGcompositeOperationState op) const
{
  MVGblend b;
  if (!ToMetalFactor(op.srcRGB, b.srcRGB) || !ToMetalFactor(op.dstRGB, b.dstRGB) ||
      !ToMetalFactor(op.srcAlpha, b.srcAlpha) || !ToMetalFactor(op.dstAlpha, b.dstAlpha))
    return {MTLBlendFactorOne, MTLBlendFactorOneMinusSourceAlpha, MTLBlendFactorOne,
            MTLBlendFactorOneMinusSourceAlpha};
  return b;
}

int MVGcontext_vTolvane3_au::convertPaint(Uniforms* frag, const NVGpaint* paint, const NVGscissor* scissor,
                                          float width, float fringe, float strokeThr)
{
  std::memset(frag, 0, sizeof(*frag));
  NVGcolor inner = Premultiplied(paint->innerColor), outer = Premultiplied(paint->outerColor);
  std::memcpy(frag->innerCol, inner.rgba, sizeof frag->innerCol);
  std::memcpy(frag->outerCol, outer.rgba, sizeof frag->outerCol);

  if (scissor->extent[0] < -0.5f || scissor->extent[1] < -0.5f)
  {
    frag->scissorExt[0] = frag->scissorExt[1] = 1.0f;
    frag->scissorScale[0] = frag->scissorScale[1] = 1.0f;
  }
  else
  {
    float inverse[6];
    Inverse(inverse, scissor->xform);
    ToMatrix(inverse, frag->scissorMat);
    const float* x = scissor->xform;
    frag->scissorExt[0] = scissor->extent[0];
    frag->scissorExt[1] = scissor->extent[1];
    frag->scissorScale[0] = std::sqrt(x[0] * x[0] + x[2] * x[2]) / fringe;
    frag->scissorScale[1] = std::sqrt(x[1] * x[1] + x[3] * x[3]) / fringe;
  }

  frag->extent[0] = paint->extent[0];
  frag->extent[1] = paint->extent[1];
  frag->strokeMult = (width * 0.5f + fringe * 0.5f) / fringe;
  frag->strokeThr = strokeThr;

  float inverse[6];
  if (paint->image != 0)
  {
    MVGtexture_vTolvane3_au* tex = findTexture(paint->image);
    if (!tex)
      return 0;
    if (tex->flags & NVG_IMAGE_FLIPY)
    {
      float m1[6], m2[6];
      nvgTransformTranslate(m1, 0.0f, frag->extent[1] * 0.5f);
      nvgTransformMultiply(m1, paint->xform);
      nvgTransformScale(m2, 1.0f, -1.0f);
      nvgTransformMultiply(m2, m1);
      nvgTransformTranslate(m1, 0.0f, -frag->extent[1] * 0.5f);
      nvgTransformMultiply(m1, m2);
      Inverse(inverse, m1);
    }
    else
      Inverse(inverse, paint->xform);
    frag->type = 1;
    frag->texType = tex->type == NVG_TEXTURE_ALPHA ? 2 : ((tex->flags & NVG_IMAGE_PREMULTIPLIED) ? 0 : 1);
  }
  else
  {
    frag->type = 0;
    frag->radius = paint->radius;
    frag->feather = paint->feather;
    Inverse(inverse, paint->xform);
  }
  ToMatrix(inverse, frag->paintMat);
  return 1;
}

int MVGcontext_vTolvane3_au::newCall(int type, const NVGpaint* paint, NVGcompositeOperationState op)
{
  int index = allocCall();
  if (index < 0)
    return -1;
  MVGcall& call = mBuffers->calls[index];
  call.type = type;
  call.image = paint->image;
  call.blendFunc = blendCompositeOperation(op);
  return index;
}

void MVGcontext_vTolvane3_au::renderFill(NVGpaint* paint, NVGcompositeOperationState op, NVGscissor* scissor,
                                         float fringe, const float* bounds, const NVGpath* paths, int npaths)
{
  int callIndex = newCall(MVG_FILL, paint, op);
  if (callIndex < 0)
    return;
  MVGbuffers_vTolvane3_au* b = mBuffers;
  MVGcall* call = &b->calls[callIndex];
  call->triangleCount = 4;
  if (npaths == 1 && paths[0].convex)
  {
    call->type = MVG_CONVEXFILL;
    call->triangleCount = 0;
  }

  int fillVerts = 0, fringeVerts = 0, indexes = 0;
  for (int i = 0; i < npaths; ++i)
  {
    if (paths[i].nfill >= 3)
    {
      fillVerts += paths[i].nfill;
      indexes += (paths[i].nfill - 2) * 3;
    }
    if (paths[i].nstroke > 0)
      fringeVerts += paths[i].nstroke + 2;
  }
  int vertOffset = allocVerts(fillVerts + fringeVerts + call->triangleCount);
  int indexOffset = vertOffset < 0 ? -1 : allocIndexes(indexes);
  int uniformOffset = indexOffset < 0 ? -1 : allocFragUniforms(1);
  if (uniformOffset < 0)
  {
    --b->ncalls; // out of memory: drop this call, draw the rest
    return;
  }
  call = &b->calls[callIndex];
  call->indexOffset = indexOffset;
  call->indexCount = indexes;

  int fillCursor = vertOffset, indexCursor = indexOffset;
  int coverOffset = vertOffset + fillVerts;
  int fringeStart = coverOffset + call->triangleCount;
  int fringeCursor = fringeStart;
  for (int i = 0; i < npaths; ++i)
  {
    const NVGpath& path = paths[i];
    if (path.nfill >= 3)
    {
      std::memcpy(&b->verts[fillCursor], path.fill, sizeof(NVGvertex) * path.nfill);
      for (int j = 2; j < path.nfill; ++j)
      {
        b->indexes[indexCursor++] = static_cast<uint32_t>(fillCursor);
        b->indexes[indexCursor++] = static_cast<uint32_t>(fillCursor + j - 1);
        b->indexes[indexCursor++] = static_cast<uint32_t>(fillCursor + j);
      }
      fillCursor += path.nfill;
    }
    fringeCursor += CopyStrip(&b->verts[fringeCursor], path);
  }
  call->strokeOffset = fringeStart + 1;
  call->strokeCount = fringeVerts - 2;

  if (call->type == MVG_FILL)
  {
    call->triangleOffset = coverOffset;
    NVGvertex* quad = &b->verts[coverOffset];
    quad[0] = {bounds[2], bounds[3], 0.5f, 1.0f};
    quad[1] = {bounds[2], bounds[1], 0.5f, 1.0f};
    quad[2] = {bounds[0], bounds[3], 0.5f, 1.0f};
    quad[3] = {bounds[0], bounds[1], 0.5f, 1.0f};
  }

  call->uniformOffset = uniformOffset;
  // An unknown image keeps its call: the uniform keeps colours, scissor and
  // stroke values with type 0.
  convertPaint(fragUniformAtIndex(uniformOffset), paint, scissor, fringe, fringe, -1.0f);
}

void MVGcontext_vTolvane3_au::renderStroke(NVGpaint* paint, NVGcompositeOperationState op, NVGscissor* scissor,
                                           float fringe, float strokeWidth, const NVGpath* paths, int npaths)
{
  int callIndex = newCall(MVG_STROKE, paint, op);
  if (callIndex < 0)
    return;
  MVGbuffers_vTolvane3_au* b = mBuffers;
  MVGcall* call = &b->calls[callIndex];

  int total = 0;
  for (int i = 0; i < npaths; ++i)
    if (paths[i].nstroke > 0)
      total += paths[i].nstroke + 2;
  bool stencilStrokes = mFlags & MVG_STENCIL_STROKES;
  int vertOffset = allocVerts(total);
  int uniformOffset = vertOffset < 0 ? -1 : allocFragUniforms(stencilStrokes ? 2 : 1);
  if (uniformOffset < 0)
  {
    --b->ncalls;
    return;
  }
  call = &b->calls[callIndex];
  int cursor = vertOffset;
  for (int i = 0; i < npaths; ++i)
    cursor += CopyStrip(&b->verts[cursor], paths[i]);
  call->strokeOffset = vertOffset + 1;
  call->strokeCount = total - 2;
  call->uniformOffset = uniformOffset;
  convertPaint(fragUniformAtIndex(uniformOffset), paint, scissor, strokeWidth, fringe, -1.0f);
  if (stencilStrokes)
    convertPaint(fragUniformAtIndex(uniformOffset + mFragSize), paint, scissor, strokeWidth, fringe,
                 1.0f - 0.5f / 255.0f);
}

void MVGcontext_vTolvane3_au::renderTriangles(NVGpaint* paint, NVGcompositeOperationState op, NVGscissor* scissor,
                                              const NVGvertex* verts, int nverts, float fringe)
{
  int callIndex = newCall(MVG_TRIANGLES, paint, op);
  if (callIndex < 0)
    return;
  MVGbuffers_vTolvane3_au* b = mBuffers;
  MVGcall* call = &b->calls[callIndex];
  int vertOffset = allocVerts(nverts);
  int uniformOffset = vertOffset < 0 ? -1 : allocFragUniforms(1);
  if (uniformOffset < 0)
  {
    --b->ncalls;
    return;
  }
  call = &b->calls[callIndex];
  if (nverts > 0)
    std::memcpy(&b->verts[vertOffset], verts, sizeof(NVGvertex) * nverts);
  call->triangleOffset = vertOffset;
  call->triangleCount = nverts;
  call->uniformOffset = uniformOffset;
  Uniforms* frag = fragUniformAtIndex(uniformOffset);
  convertPaint(frag, paint, scissor, 1.0f, fringe, -1.0f);
  frag->type = 2;
}

// ---- Pipelines and encoding ------------------------------------------------

void MVGcontext_vTolvane3_au::updateRenderPipelineStates(const MVGblend& blend, MTLPixelFormat format)
{
  if (mPipelineState && mStencilOnlyPipelineState && mPipelinePixelFormat == format && mBlendFunc == blend)
    return;
  MTLRenderPipelineDescriptor d;
  MTLRenderPipelineColorAttachmentDescriptor& color = d.colorAttachments[0];
  color.pixelFormat = format;
  d.stencilAttachmentPixelFormat = MTLPixelFormatStencil8;
  d.vertexFunction = mVertexFunction;
  d.fragmentFunction = mFragmentFunction;
  d.vertexDescriptor = mVertexDescriptor;
  color.blendingEnabled = true;
  color.sourceRGBBlendFactor = blend.srcRGB;
  color.destinationRGBBlendFactor = blend.dstRGB;
  color.sourceAlphaBlendFactor = blend.srcAlpha;
  color.destinationAlphaBlendFactor = blend.dstAlpha;
  mBlendFunc = blend;

  Strong<NSError> error;
  mPipelineState = mDevice->newRenderPipelineStateWithDescriptor(d, &error);
  checkError(error.get(), "init pipeline state");
  d.fragmentFunction = nullptr;
  color.writeMask = MTLColorWriteMaskNone;
  error = nullptr;
  mStencilOnlyPipelineState = mDevice->newRenderPipelineStateWithDescriptor(d, &error);
  checkError(error.get(), "init pipeline stencil only state");
  mPipelinePixelFormat = format;
}

void MVGcontext_vTolvane3_au::setUniforms(int uniformOffset, int image)
{
  mRenderEncoder->setFragmentBufferOffset(static_cast<NSUInteger>(uniformOffset), 0);
  MVGtexture_vTolvane3_au* tex = image != 0 ? findTexture(image) : nullptr;
  if (tex)
  {
    mRenderEncoder->setFragmentTexture(tex->tex.get(), 0);
    mRenderEncoder->setFragmentSamplerState(tex->sampler.get(), 0);
  }
  else
  {
    mRenderEncoder->setFragmentTexture(mPseudoTexture.get(), 0);
    mRenderEncoder->setFragmentSamplerState(mPseudoSampler.get(), 0);
  }
}

void MVGcontext_vTolvane3_au::encodeFill(const MVGcall& call)
{
  MTLRenderCommandEncoder* e = mRenderEncoder.get();
  e->setCullMode(MTLCullModeNone);
  e->setDepthStencilState(mFillShapeStencilState.get());
  e->setRenderPipelineState(mStencilOnlyPipelineState.get());
  if (call.indexCount > 0)
    e->drawIndexedPrimitives(MTLPrimitiveTypeTriangle, call.indexCount, MTLIndexTypeUInt32,
                             mBuffers->indexBuffer.get(), static_cast<NSUInteger>(call.indexOffset) * mIndexSize);
  e->setCullMode(MTLCullModeBack);
  e->setRenderPipelineState(mPipelineState.get());
  setUniforms(call.uniformOffset, call.image);
  if ((mFlags & MVG_ANTIALIAS) && call.strokeCount > 0)
  {
    e->setDepthStencilState(mFillAntiAliasStencilState.get());
    e->drawPrimitives(MTLPrimitiveTypeTriangleStrip, call.strokeOffset, call.strokeCount);
  }
  e->setDepthStencilState(mFillStencilState.get());
  e->drawPrimitives(MTLPrimitiveTypeTriangleStrip, call.triangleOffset, call.triangleCount);
  e->setDepthStencilState(mDefaultStencilState.get());
}

void MVGcontext_vTolvane3_au::encodeConvexFill(const MVGcall& call)
{
  MTLRenderCommandEncoder* e = mRenderEncoder.get();
  setUniforms(call.uniformOffset, call.image);
  e->setRenderPipelineState(mPipelineState.get());
  if (call.indexCount > 0)
    e->drawIndexedPrimitives(MTLPrimitiveTypeTriangle, call.indexCount, MTLIndexTypeUInt32,
                             mBuffers->indexBuffer.get(), static_cast<NSUInteger>(call.indexOffset) * mIndexSize);
  if (call.strokeCount > 0)
    e->drawPrimitives(MTLPrimitiveTypeTriangleStrip, call.strokeOffset, call.strokeCount);
}

void MVGcontext_vTolvane3_au::encodeStroke(const MVGcall& call)
{
  if (call.strokeCount < 1)
    return;
  MTLRenderCommandEncoder* e = mRenderEncoder.get();
  if (mFlags & MVG_STENCIL_STROKES)
  {
    setUniforms(call.uniformOffset + mFragSize, call.image);
    e->setDepthStencilState(mStrokeShapeStencilState.get());
    e->setRenderPipelineState(mPipelineState.get());
    e->drawPrimitives(MTLPrimitiveTypeTriangleStrip, call.strokeOffset, call.strokeCount);
    setUniforms(call.uniformOffset, call.image);
    e->setDepthStencilState(mStrokeAntiAliasStencilState.get());
    e->drawPrimitives(MTLPrimitiveTypeTriangleStrip, call.strokeOffset, call.strokeCount);
    e->setDepthStencilState(mStrokeClearStencilState.get());
    e->setRenderPipelineState(mStencilOnlyPipelineState.get());
    e->drawPrimitives(MTLPrimitiveTypeTriangleStrip, call.strokeOffset, call.strokeCount);
    e->setDepthStencilState(mDefaultStencilState.get());
  }
  else
  {
    setUniforms(call.uniformOffset, call.image);
    e->setRenderPipelineState(mPipelineState.get());
    e->drawPrimitives(MTLPrimitiveTypeTriangleStrip, call.strokeOffset, call.strokeCount);
  }
}

void MVGcontext_vTolvane3_au::encodeTriangles(const MVGcall& call)
{
  setUniforms(call.uniformOffset, call.image);
  mRenderEncoder->setRenderPipelineState(mPipelineState.get());
  mRenderEncoder->drawPrimitives(MTLPrimitiveTypeTriangle, call.triangleOffset, call.triangleCount);
}

void MVGcontext_vTolvane3_au::renderFlush()
{
  MVGbuffers_vTolvane3_au* set = mBuffers;
  if (!set)
    return;

  // Decide target, texture and size before any command buffer exists: a
  // frame cancelled after its buffer was enqueued would hold back every
  // later frame on the queue.
  unsigned width = mViewPortSize[0], height = mViewPortSize[1];
  MVGframebuffer* target = MVGcurrentTarget();
  Strong<MTLTexture> colorTexture;
  Strong<CAMetalDrawable> drawable;
  int image = 0;
  if (width != 0 && height != 0)
  {
    if (target && target->ctx == mNanoVG && target->ctx)
    {
      MVGtexture_vTolvane3_au* tex = findTexture(target->image);
      if (tex && tex->tex)
      {
        image = target->image;
        colorTexture = tex->tex;
        width = static_cast<unsigned>(tex->tex->width());
        height = static_cast<unsigned>(tex->tex->height());
      }
    }
    else if ((drawable = mMetalLayer->nextDrawable()))
      colorTexture = Strong<MTLTexture>(drawable->texture());
  }
  if (!colorTexture || width == 0 || height == 0)
  {
    renderCancel();
    return;
  }

  // The stencil covers the colour texture as well as the frame; it never shrinks.
  NSUInteger stencilW = std::max<NSUInteger>(width, colorTexture->width());
  NSUInteger stencilH = std::max<NSUInteger>(height, colorTexture->height());
  if (!set->stencilTexture || set->stencilTexture->width() < stencilW || set->stencilTexture->height() < stencilH)
  {
    if (set->stencilTexture)
    {
      stencilW = std::max(stencilW, set->stencilTexture->width());
      stencilH = std::max(stencilH, set->stencilTexture->height());
    }
    MTLTextureDescriptor d =
      MTLTextureDescriptor::texture2DDescriptorWithPixelFormat(MTLPixelFormatStencil8, stencilW, stencilH, false);
    d.storageMode = MTLStorageModePrivate;
    d.usage = MTLTextureUsageRenderTarget;
    set->stencilTexture = mDevice->newTextureWithDescriptor(d);
  }

  Strong<MTLCommandBuffer> commandBuffer = mCommandQueue->commandBuffer();
  {
    std::lock_guard<std::mutex> lock(mSetsLock);
    set->commandBuffer = commandBuffer;
    set->image = image;
  }
  commandBuffer->enqueue();
  commandBuffer->addCompletedHandler([this, set](MTLCommandBuffer*) { releaseBufferSet(set); });

  MTLRenderPassDescriptor pass;
  pass.colorAttachments[0].texture = colorTexture;
  pass.colorAttachments[0].loadAction = mClearBufferOnFlush ? MTLLoadActionClear : MTLLoadActionLoad;
  pass.colorAttachments[0].clearColor = MTLClearColorMake(mClearColor[0], mClearColor[1], mClearColor[2], mClearColor[3]);
  pass.colorAttachments[0].storeAction = MTLStoreActionStore;
  mClearBufferOnFlush = false;
  pass.stencilAttachment.texture = set->stencilTexture;
  pass.stencilAttachment.loadAction = MTLLoadActionClear;
  pass.stencilAttachment.clearStencil = 0;
  pass.stencilAttachment.storeAction = MTLStoreActionDontCare;

  mRenderEncoder = commandBuffer->renderCommandEncoderWithDescriptor(pass);
  MTLRenderCommandEncoder* e = mRenderEncoder.get();
  e->setCullMode(MTLCullModeBack);
  e->setFrontFacingWinding(MTLWindingCounterClockwise);
  e->setStencilReferenceValue(0);
  e->setViewport({0, 0, static_cast<double>(mViewPortSize[0]), static_cast<double>(mViewPortSize[1]), 0, 1});
  e->setVertexBuffer(set->vertBuffer.get(), 0, 0);
  e->setVertexBuffer(set->viewSizeBuffer.get(), 0, 1);
  e->setFragmentBuffer(set->uniformBuffer.get(), 0, 0);

  for (int i = 0; i < set->ncalls; ++i)
  {
    const MVGcall& call = set->calls[i];
    updateRenderPipelineStates(call.blendFunc, colorTexture->pixelFormat());
    switch (call.type)
    {
    case MVG_FILL: encodeFill(call); break;
    case MVG_CONVEXFILL: encodeConvexFill(call); break;
    case MVG_STROKE: encodeStroke(call); break;
    case MVG_TRIANGLES: encodeTriangles(call); break;
    default: break;
    }
  }
  e->endEncoding();
  mRenderEncoder = nullptr;

  bool transaction = drawable && mMetalLayer->presentsWithTransaction();
  if (drawable && !transaction)
    commandBuffer->presentDrawable(drawable.get());
  if (image != 0)
  {
    Strong<MTLBlitCommandEncoder> blit = commandBuffer->blitCommandEncoder();
    blit->synchronizeResource(colorTexture.get());
    blit->endEncoding();
  }
  mBuffers = nullptr; // the set belongs to the GPU until its handler runs
  commandBuffer->commit();
  if (transaction)
  {
    commandBuffer->waitUntilScheduled();
    drawable->present();
  }
}
