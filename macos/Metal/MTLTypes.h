#pragma once

// The value types of the stand-in Metal layer: enumerations with the
// platform's values, and the plain descriptor records that resources are
// made from. Descriptors are copied into what they describe, so a caller
// may change or drop one after use.

#include <cstdint>
#include <optional>
#include <string>

typedef unsigned long NSUInteger;
typedef long NSInteger;

enum MTLPixelFormat : NSUInteger {
  MTLPixelFormatInvalid = 0,
  MTLPixelFormatR8Unorm = 10,
  MTLPixelFormatRGBA8Unorm = 70,
  MTLPixelFormatBGRA8Unorm = 80,
  MTLPixelFormatStencil8 = 253,
};

enum MTLBlendFactor : NSUInteger {
  MTLBlendFactorZero = 0,
  MTLBlendFactorOne = 1,
  MTLBlendFactorSourceColor = 2,
  MTLBlendFactorOneMinusSourceColor = 3,
  MTLBlendFactorSourceAlpha = 4,
  MTLBlendFactorOneMinusSourceAlpha = 5,
  MTLBlendFactorDestinationColor = 6,
  MTLBlendFactorOneMinusDestinationColor = 7,
  MTLBlendFactorDestinationAlpha = 8,
  MTLBlendFactorOneMinusDestinationAlpha = 9,
  MTLBlendFactorSourceAlphaSaturated = 10,
};

enum MTLBlendOperation : NSUInteger { MTLBlendOperationAdd = 0 };

enum MTLColorWriteMask : NSUInteger {
  MTLColorWriteMaskNone = 0,
  MTLColorWriteMaskRed = 8,
  MTLColorWriteMaskGreen = 4,
  MTLColorWriteMaskBlue = 2,
  MTLColorWriteMaskAlpha = 1,
  MTLColorWriteMaskAll = 15,
};

enum MTLCompareFunction : NSUInteger {
  MTLCompareFunctionNever = 0,
  MTLCompareFunctionLess = 1,
  MTLCompareFunctionEqual = 2,
  MTLCompareFunctionLessEqual = 3,
  MTLCompareFunctionGreater = 4,
  MTLCompareFunctionNotEqual = 5,
  MTLCompareFunctionGreaterEqual = 6,
  MTLCompareFunctionAlways = 7,
};

enum MTLStencilOperation : NSUInteger {
  MTLStencilOperationKeep = 0,
  MTLStencilOperationZero = 1,
  MTLStencilOperationReplace = 2,
  MTLStencilOperationIncrementClamp = 3,
  MTLStencilOperationDecrementClamp = 4,
  MTLStencilOperationInvert = 5,
  MTLStencilOperationIncrementWrap = 6,
  MTLStencilOperationDecrementWrap = 7,
};

enum MTLCullMode : NSUInteger { MTLCullModeNone = 0, MTLCullModeFront = 1, MTLCullModeBack = 2 };
enum MTLWinding : NSUInteger { MTLWindingClockwise = 0, MTLWindingCounterClockwise = 1 };

enum MTLPrimitiveType : NSUInteger {
  MTLPrimitiveTypePoint = 0,
  MTLPrimitiveTypeLine = 1,
  MTLPrimitiveTypeLineStrip = 2,
  MTLPrimitiveTypeTriangle = 3,
  MTLPrimitiveTypeTriangleStrip = 4,
};

enum MTLIndexType : NSUInteger { MTLIndexTypeUInt16 = 0, MTLIndexTypeUInt32 = 1 };

enum MTLLoadAction : NSUInteger { MTLLoadActionDontCare = 0, MTLLoadActionLoad = 1, MTLLoadActionClear = 2 };
enum MTLStoreAction : NSUInteger { MTLStoreActionDontCare = 0, MTLStoreActionStore = 1 };

enum MTLStorageMode : NSUInteger {
  MTLStorageModeShared = 0,
  MTLStorageModeManaged = 1,
  MTLStorageModePrivate = 2,
};

enum MTLCPUCacheMode : NSUInteger { MTLCPUCacheModeDefaultCache = 0, MTLCPUCacheModeWriteCombined = 1 };

// Resource options pack the CPU cache mode in bits 0-3 and the storage mode
// in bits 4-7.
typedef NSUInteger MTLResourceOptions;
constexpr MTLResourceOptions MTLResourceCPUCacheModeWriteCombined = MTLCPUCacheModeWriteCombined;
constexpr MTLResourceOptions MTLResourceStorageModeShared = MTLStorageModeShared << 4;
constexpr MTLResourceOptions MTLResourceStorageModeManaged = MTLStorageModeManaged << 4;
constexpr MTLResourceOptions MTLResourceStorageModePrivate = MTLStorageModePrivate << 4;

enum MTLTextureType : NSUInteger { MTLTextureType2D = 2 };

typedef NSUInteger MTLTextureUsage;
constexpr MTLTextureUsage MTLTextureUsageUnknown = 0;
constexpr MTLTextureUsage MTLTextureUsageShaderRead = 1;
constexpr MTLTextureUsage MTLTextureUsageShaderWrite = 2;
constexpr MTLTextureUsage MTLTextureUsageRenderTarget = 4;

enum MTLSamplerMinMagFilter : NSUInteger { MTLSamplerMinMagFilterNearest = 0, MTLSamplerMinMagFilterLinear = 1 };
enum MTLSamplerMipFilter : NSUInteger {
  MTLSamplerMipFilterNotMipmapped = 0,
  MTLSamplerMipFilterNearest = 1,
  MTLSamplerMipFilterLinear = 2,
};
enum MTLSamplerAddressMode : NSUInteger { MTLSamplerAddressModeClampToEdge = 0, MTLSamplerAddressModeRepeat = 2 };

enum MTLVertexFormat : NSUInteger { MTLVertexFormatInvalid = 0, MTLVertexFormatFloat2 = 29 };
enum MTLVertexStepFunction : NSUInteger { MTLVertexStepFunctionPerVertex = 1 };

enum MTLCommandBufferStatus : NSUInteger {
  MTLCommandBufferStatusNotEnqueued = 0,
  MTLCommandBufferStatusEnqueued = 1,
  MTLCommandBufferStatusCommitted = 2,
  MTLCommandBufferStatusScheduled = 3,
  MTLCommandBufferStatusCompleted = 4,
};

struct MTLOrigin { NSUInteger x = 0, y = 0, z = 0; };
struct MTLSize { NSUInteger width = 0, height = 0, depth = 1; };
struct MTLRegion { MTLOrigin origin; MTLSize size; };
inline MTLRegion MTLRegionMake2D(NSUInteger x, NSUInteger y, NSUInteger width, NSUInteger height)
{
  return MTLRegion{{x, y, 0}, {width, height, 1}};
}

struct MTLViewport { double originX, originY, width, height, znear, zfar; };
struct MTLScissorRect { NSUInteger x, y, width, height; };
struct MTLClearColor { double red = 0, green = 0, blue = 0, alpha = 1; };
inline MTLClearColor MTLClearColorMake(double r, double g, double b, double a) { return {r, g, b, a}; }

struct MTLTextureDescriptor
{
  MTLTextureType textureType = MTLTextureType2D;
  MTLPixelFormat pixelFormat = MTLPixelFormatRGBA8Unorm;
  NSUInteger width = 1, height = 1;
  NSUInteger mipmapLevelCount = 1;
  MTLStorageMode storageMode = MTLStorageModeManaged;
  MTLTextureUsage usage = MTLTextureUsageShaderRead;

  // As on the platform: a mipmapped texture gets every level down to 1 x 1.
  static MTLTextureDescriptor texture2DDescriptorWithPixelFormat(MTLPixelFormat format, NSUInteger width,
                                                                 NSUInteger height, bool mipmapped);
};

struct MTLSamplerDescriptor
{
  MTLSamplerMinMagFilter minFilter = MTLSamplerMinMagFilterNearest;
  MTLSamplerMinMagFilter magFilter = MTLSamplerMinMagFilterNearest;
  MTLSamplerMipFilter mipFilter = MTLSamplerMipFilterNotMipmapped;
  MTLSamplerAddressMode sAddressMode = MTLSamplerAddressModeClampToEdge;
  MTLSamplerAddressMode tAddressMode = MTLSamplerAddressModeClampToEdge;
};

struct MTLStencilDescriptor
{
  MTLCompareFunction stencilCompareFunction = MTLCompareFunctionAlways;
  MTLStencilOperation stencilFailureOperation = MTLStencilOperationKeep;
  MTLStencilOperation depthFailureOperation = MTLStencilOperationKeep;
  MTLStencilOperation depthStencilPassOperation = MTLStencilOperationKeep;
  uint32_t readMask = 0xff;
  uint32_t writeMask = 0xff;
  bool operator==(const MTLStencilDescriptor&) const = default;
};

// A face without a stencil descriptor neither tests nor writes the stencil.
struct MTLDepthStencilDescriptor
{
  MTLCompareFunction depthCompareFunction = MTLCompareFunctionAlways;
  bool depthWriteEnabled = false;
  std::optional<MTLStencilDescriptor> frontFaceStencil;
  std::optional<MTLStencilDescriptor> backFaceStencil;
  std::string label;
};

struct MTLVertexAttributeDescriptor
{
  MTLVertexFormat format = MTLVertexFormatInvalid;
  NSUInteger offset = 0;
  NSUInteger bufferIndex = 0;
};

struct MTLVertexBufferLayoutDescriptor
{
  NSUInteger stride = 0;
  MTLVertexStepFunction stepFunction = MTLVertexStepFunctionPerVertex;
};

struct MTLVertexDescriptor
{
  static constexpr int kMaxAttributes = 4;
  static constexpr int kMaxLayouts = 4;
  MTLVertexAttributeDescriptor attributes[kMaxAttributes];
  MTLVertexBufferLayoutDescriptor layouts[kMaxLayouts];
};

struct MTLRenderPipelineColorAttachmentDescriptor
{
  MTLPixelFormat pixelFormat = MTLPixelFormatInvalid;
  bool blendingEnabled = false;
  MTLBlendOperation rgbBlendOperation = MTLBlendOperationAdd;
  MTLBlendOperation alphaBlendOperation = MTLBlendOperationAdd;
  MTLBlendFactor sourceRGBBlendFactor = MTLBlendFactorOne;
  MTLBlendFactor destinationRGBBlendFactor = MTLBlendFactorZero;
  MTLBlendFactor sourceAlphaBlendFactor = MTLBlendFactorOne;
  MTLBlendFactor destinationAlphaBlendFactor = MTLBlendFactorZero;
  MTLColorWriteMask writeMask = MTLColorWriteMaskAll;
};
