#pragma once

// Shader libraries, their functions and the render pipelines built from
// them. A library is loaded from a blob that lists entry names (see
// StandIn/Shaders.h); each function points at the registered C++ code.

#include <string>
#include <vector>

#include "CoreFoundation/CFBase.h"
#include "Metal/MTLTypes.h"
#include "StandIn/Shaders.h"
#include "StandIn/Strong.h"

class MTLFunction : public CFObject
{
public:
  MTLFunction(std::string name, const standin::ShaderFunction* code) : mName(std::move(name)), mCode(code) {}
  const std::string& name() const { return mName; }
  const standin::ShaderFunction& code() const { return *mCode; }

private:
  std::string mName;
  const standin::ShaderFunction* mCode;
};

class MTLLibrary : public CFObject
{
public:
  explicit MTLLibrary(std::vector<std::string> names) : mNames(std::move(names)) {}
  // The function of that name, or null when the library has none.
  Strong<MTLFunction> newFunctionWithName(const std::string& name) const;
  const std::vector<std::string>& functionNames() const { return mNames; }

private:
  std::vector<std::string> mNames;
};

struct MTLRenderPipelineDescriptor
{
  Strong<MTLFunction> vertexFunction;
  Strong<MTLFunction> fragmentFunction; // optional: without one only the stencil is written
  MTLVertexDescriptor vertexDescriptor;
  MTLRenderPipelineColorAttachmentDescriptor colorAttachments[1];
  MTLPixelFormat stencilAttachmentPixelFormat = MTLPixelFormatInvalid;
  MTLPixelFormat depthAttachmentPixelFormat = MTLPixelFormatInvalid;
};

class MTLRenderPipelineState : public CFObject
{
public:
  explicit MTLRenderPipelineState(MTLRenderPipelineDescriptor descriptor) : mDescriptor(std::move(descriptor)) {}
  const MTLRenderPipelineDescriptor& descriptor() const { return mDescriptor; }

private:
  MTLRenderPipelineDescriptor mDescriptor;
};
