#pragma once

// The stand-in GPU: a device that makes resources, state objects, libraries
// and command queues, and rasterises on the CPU. Each `new...` method
// answers null for what the platform refuses (a zero-sized texture, a
// library whose functions are unknown, a pipeline without vertex function),
// with an NSError where the platform gives one.

#include <string>

#include "CoreFoundation/CFBase.h"
#include "Foundation/NSError.h"
#include "Metal/MTLLibrary.h"
#include "Metal/MTLResource.h"
#include "Metal/MTLTypes.h"
#include "StandIn/Strong.h"
#include "dispatch/dispatch.h"

class MTLCommandQueue;

class MTLDevice : public CFObject
{
public:
  std::string name() const { return "Stand-in software GPU"; }

  Strong<MTLCommandQueue> newCommandQueue();
  Strong<MTLBuffer> newBufferWithLength(NSUInteger length, MTLResourceOptions options);
  Strong<MTLBuffer> newBufferWithBytes(const void* bytes, NSUInteger length, MTLResourceOptions options);
  Strong<MTLTexture> newTextureWithDescriptor(const MTLTextureDescriptor& descriptor);
  Strong<MTLSamplerState> newSamplerStateWithDescriptor(const MTLSamplerDescriptor& descriptor);
  Strong<MTLDepthStencilState> newDepthStencilStateWithDescriptor(const MTLDepthStencilDescriptor& descriptor);
  Strong<MTLLibrary> newLibraryWithData(dispatch_data_t data, Strong<NSError>* error);
  Strong<MTLRenderPipelineState> newRenderPipelineStateWithDescriptor(const MTLRenderPipelineDescriptor& descriptor,
                                                                     Strong<NSError>* error);
};

// The system's GPU, or null when none (standin::SetGpuAvailable).
Strong<MTLDevice> MTLCreateSystemDefaultDevice();
