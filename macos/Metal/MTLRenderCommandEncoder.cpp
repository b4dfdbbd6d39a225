#include "Metal/MTLRenderCommandEncoder.h"

#include "Metal/MTLCommandQueue.h"
#include "StandIn/Gpu.h"

MTLRenderCommandEncoder::MTLRenderCommandEncoder(MTLCommandBuffer* commandBuffer, const MTLRenderPassDescriptor& d)
  : mCommandBuffer(commandBuffer), mPass(std::make_shared<standin::RenderPass>())
{
  mPass->descriptor = d;
  const MTLTexture* target = d.colorAttachments[0].texture.get();
  double w = static_cast<double>(target->width()), h = static_cast<double>(target->height());
  mState.viewport = {0, 0, w, h, 0, 1};
  mState.scissor = {0, 0, target->width(), target->height()};

  standin::CommandLogEntry entry;
  entry.kind = standin::CommandLogEntry::kRenderPass;
  entry.loadAction = d.colorAttachments[0].loadAction;
  entry.clearColor = d.colorAttachments[0].clearColor;
  entry.targetWidth = static_cast<int>(target->width());
  entry.targetHeight = static_cast<int>(target->height());
  standin::AppendCommandLog(entry);
}

void MTLRenderCommandEncoder::setRenderPipelineState(MTLRenderPipelineState* pipeline)
{
  mState.pipeline = Strong<MTLRenderPipelineState>(pipeline);
}

void MTLRenderCommandEncoder::setDepthStencilState(MTLDepthStencilState* state)
{
  mState.depthStencil = Strong<MTLDepthStencilState>(state);
}

void MTLRenderCommandEncoder::setVertexBuffer(MTLBuffer* buffer, NSUInteger offset, NSUInteger index)
{
  if (index < standin::kMaxBufferBindings)
    mState.vertexBuffers[index] = {Strong<MTLBuffer>(buffer), offset};
}

void MTLRenderCommandEncoder::setVertexBufferOffset(NSUInteger offset, NSUInteger index)
{
  if (index < standin::kMaxBufferBindings)
    mState.vertexBuffers[index].offset = offset;
}

void MTLRenderCommandEncoder::setFragmentBuffer(MTLBuffer* buffer, NSUInteger offset, NSUInteger index)
{
  if (index < standin::kMaxBufferBindings)
    mState.fragmentBuffers[index] = {Strong<MTLBuffer>(buffer), offset};
}

void MTLRenderCommandEncoder::setFragmentBufferOffset(NSUInteger offset, NSUInteger index)
{
  if (index < standin::kMaxBufferBindings)
    mState.fragmentBuffers[index].offset = offset;
}

void MTLRenderCommandEncoder::setFragmentTexture(MTLTexture* texture, NSUInteger index)
{
  if (index < standin::kMaxBufferBindings)
    mState.fragmentTextures[index] = Strong<MTLTexture>(texture);
}

void MTLRenderCommandEncoder::setFragmentSamplerState(MTLSamplerState* sampler, NSUInteger index)
{
  if (index < standin::kMaxBufferBindings)
    mState.fragmentSamplers[index] = Strong<MTLSamplerState>(sampler);
}

void MTLRenderCommandEncoder::drawPrimitives(MTLPrimitiveType type, NSUInteger vertexStart, NSUInteger vertexCount)
{
  standin::DrawCall draw = mState;
  draw.primitive = type;
  draw.vertexStart = vertexStart;
  draw.vertexCount = vertexCount;
  Record(std::move(draw));
}

void MTLRenderCommandEncoder::drawIndexedPrimitives(MTLPrimitiveType type, NSUInteger indexCount,
                                                    MTLIndexType indexType, MTLBuffer* indexBuffer,
                                                    NSUInteger indexBufferOffset)
{
  if (indexType != MTLIndexTypeUInt32 || !indexBuffer)
    return;
  standin::DrawCall draw = mState;
  draw.primitive = type;
  draw.indexBuffer = {Strong<MTLBuffer>(indexBuffer), indexBufferOffset};
  draw.indexCount = indexCount;
  Record(std::move(draw));
}

void MTLRenderCommandEncoder::Record(standin::DrawCall draw)
{
  if (mEnded || !draw.pipeline ||
      (draw.primitive != MTLPrimitiveTypeTriangle && draw.primitive != MTLPrimitiveTypeTriangleStrip))
    return;
  const MTLRenderPipelineDescriptor& p = draw.pipeline->descriptor();
  standin::CommandLogEntry entry;
  entry.kind = standin::CommandLogEntry::kDraw;
  entry.primitive = draw.primitive;
  entry.indexed = static_cast<bool>(draw.indexBuffer.buffer);
  entry.start = entry.indexed ? draw.indexBuffer.offset / 4 : draw.vertexStart;
  entry.count = entry.indexed ? draw.indexCount : draw.vertexCount;
  entry.cull = draw.cull;
  if (draw.depthStencil)
  {
    entry.stencilLabel = draw.depthStencil->label();
    entry.frontStencil = draw.depthStencil->descriptor().frontFaceStencil;
    entry.backStencil = draw.depthStencil->descriptor().backFaceStencil;
  }
  const MTLRenderPipelineColorAttachmentDescriptor& c = p.colorAttachments[0];
  entry.blend[0] = c.sourceRGBBlendFactor;
  entry.blend[1] = c.destinationRGBBlendFactor;
  entry.blend[2] = c.sourceAlphaBlendFactor;
  entry.blend[3] = c.destinationAlphaBlendFactor;
  entry.pipeline = draw.pipeline.get();
  entry.writesColor = p.fragmentFunction && c.writeMask != MTLColorWriteMaskNone;
  standin::AppendCommandLog(entry);
  mPass->draws.push_back(std::move(draw));
}

void MTLRenderCommandEncoder::endEncoding()
{
  if (mEnded)
    return;
  mEnded = true;
  std::shared_ptr<standin::RenderPass> pass = mPass;
  mCommandBuffer->AddWork([pass] { standin::ExecuteRenderPass(*pass); });
  mCommandBuffer->EncoderEnded();
}
