#pragma once

// Render passes: a colour attachment and an optional stencil attachment,
// and the encoder that records draws into a command buffer. Draws run when
// the command buffer executes, with the state that was set when they were
// encoded; each draw also goes into the command log at encoding time
// (StandIn/Gpu.h).

#include <memory>

#include "CoreFoundation/CFBase.h"
#include "Metal/MTLLibrary.h"
#include "Metal/MTLResource.h"
#include "Metal/MTLTypes.h"
#include "StandIn/Strong.h"

class MTLCommandBuffer;

struct MTLRenderPassColorAttachmentDescriptor
{
  Strong<MTLTexture> texture;
  MTLLoadAction loadAction = MTLLoadActionDontCare;
  MTLStoreAction storeAction = MTLStoreActionStore;
  MTLClearColor clearColor = {0, 0, 0, 1};
};

struct MTLRenderPassStencilAttachmentDescriptor
{
  Strong<MTLTexture> texture;
  MTLLoadAction loadAction = MTLLoadActionDontCare;
  MTLStoreAction storeAction = MTLStoreActionDontCare;
  uint32_t clearStencil = 0;
};

struct MTLRenderPassDescriptor
{
  MTLRenderPassColorAttachmentDescriptor colorAttachments[1];
  MTLRenderPassStencilAttachmentDescriptor stencilAttachment;
};

namespace standin {

struct BufferBinding
{
  Strong<MTLBuffer> buffer;
  NSUInteger offset = 0;
};

// Everything one draw needs, captured when it is encoded.
struct DrawCall
{
  Strong<MTLRenderPipelineState> pipeline;
  Strong<MTLDepthStencilState> depthStencil;
  MTLCullMode cull = MTLCullModeNone;
  MTLWinding frontFace = MTLWindingClockwise;
  uint32_t stencilReference = 0;
  MTLViewport viewport{};
  MTLScissorRect scissor{};
  BufferBinding vertexBuffers[kMaxBufferBindings];
  BufferBinding fragmentBuffers[kMaxBufferBindings];
  Strong<MTLTexture> fragmentTextures[kMaxBufferBindings];
  Strong<MTLSamplerState> fragmentSamplers[kMaxBufferBindings];
  MTLPrimitiveType primitive = MTLPrimitiveTypeTriangle;
  NSUInteger vertexStart = 0, vertexCount = 0;
  BufferBinding indexBuffer; // set for an indexed draw (32-bit indices)
  NSUInteger indexCount = 0;
};

struct RenderPass
{
  MTLRenderPassDescriptor descriptor;
  std::vector<DrawCall> draws;
};

// Runs a pass on the stand-in GPU (the rasteriser); the caller holds the
// memory lock.
void ExecuteRenderPass(const RenderPass& pass);

} // namespace standin

class MTLRenderCommandEncoder : public CFObject
{
public:
  MTLRenderCommandEncoder(MTLCommandBuffer* commandBuffer, const MTLRenderPassDescriptor& descriptor);

  void setRenderPipelineState(MTLRenderPipelineState* pipeline);
  void setDepthStencilState(MTLDepthStencilState* state);
  void setCullMode(MTLCullMode mode) { mState.cull = mode; }
  void setFrontFacingWinding(MTLWinding winding) { mState.frontFace = winding; }
  void setStencilReferenceValue(uint32_t value) { mState.stencilReference = value; }
  void setViewport(MTLViewport viewport) { mState.viewport = viewport; }
  // Clipped to the colour attachment when the pass runs.
  void setScissorRect(MTLScissorRect rect) { mState.scissor = rect; }
  void setVertexBuffer(MTLBuffer* buffer, NSUInteger offset, NSUInteger index);
  void setVertexBufferOffset(NSUInteger offset, NSUInteger index);
  void setFragmentBuffer(MTLBuffer* buffer, NSUInteger offset, NSUInteger index);
  void setFragmentBufferOffset(NSUInteger offset, NSUInteger index);
  void setFragmentTexture(MTLTexture* texture, NSUInteger index);
  void setFragmentSamplerState(MTLSamplerState* sampler, NSUInteger index);

  // Triangle lists and strips; other primitives, out-of-range bindings and
  // draws without pipeline are ignored.
  void drawPrimitives(MTLPrimitiveType type, NSUInteger vertexStart, NSUInteger vertexCount);
  void drawIndexedPrimitives(MTLPrimitiveType type, NSUInteger indexCount, MTLIndexType indexType,
                             MTLBuffer* indexBuffer, NSUInteger indexBufferOffset);
  void endEncoding();

private:
  void Record(standin::DrawCall draw);

  Strong<MTLCommandBuffer> mCommandBuffer;
  std::shared_ptr<standin::RenderPass> mPass;
  standin::DrawCall mState;
  bool mEnded = false;
};
