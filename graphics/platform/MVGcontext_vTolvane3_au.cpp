// The renderer's objects, textures and frame pacing.

#include "MVGcontext_vTolvane3_au.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>

#include "MetalNanoVG.h"
#include "MetalNanoVGShaders.h"

namespace {

Strong<MTLDepthStencilState> MakeStencilState(MTLDevice* device, const char* label,
                                              std::optional<MTLStencilDescriptor> front,
                                              std::optional<MTLStencilDescriptor> back)
{
  MTLDepthStencilDescriptor d;
  d.label = label;
  d.frontFaceStencil = front;
  d.backFaceStencil = back;
  return device->newDepthStencilStateWithDescriptor(d);
}

MTLStencilDescriptor Stencil(MTLCompareFunction compare, MTLStencilOperation fail, MTLStencilOperation depthFail,
                             MTLStencilOperation pass)
{
  MTLStencilDescriptor s;
  s.stencilCompareFunction = compare;
  s.stencilFailureOperation = fail;
  s.depthFailureOperation = depthFail;
  s.depthStencilPassOperation = pass;
  return s;
}

// Grows a capacity by half of itself plus what is needed.
int GrownCapacity(int needed, int minimum, int capacity)
{
  return std::max(minimum, needed) + capacity / 2;
}

} // namespace

MVGcontext_vTolvane3_au::MVGcontext_vTolvane3_au(CAMetalLayer* layer, int flags)
  : mFlags(flags), mMetalLayer(layer) {}

MVGcontext_vTolvane3_au::~MVGcontext_vTolvane3_au() { renderDelete(); }

void MVGcontext_vTolvane3_au::checkError(NSError* error, const char* message) const
{
  if (error && (mFlags & MVG_DEBUG))
    std::printf("Error occurs after %s: %s\n", message, error->localizedDescription().c_str());
}

int MVGcontext_vTolvane3_au::renderCreate()
{
  if (!mMetalLayer)
    return 0;
  if (!mMetalLayer->device())
  {
    Strong<MTLDevice> device = MTLCreateSystemDefaultDevice();
    mMetalLayer->setDevice(device.get());
  }
  mDevice = Strong<MTLDevice>(mMetalLayer->device());
  if (!mDevice)
    return 0;
  mMetalLayer->setOpaque(false);

  const std::vector<uint8_t>& blob = MVGembeddedShaderLibrary();
  dispatch_data_t data = dispatch_data_create(blob.data(), blob.size(), nullptr, DISPATCH_DATA_DESTRUCTOR_DEFAULT);
  Strong<NSError> error;
  Strong<MTLLibrary> library = mDevice->newLibraryWithData(data, &error);
  dispatch_release(data);
  checkError(error.get(), "init library");
  if (!library)
    return 0;

  mVertexFunction = library->newFunctionWithName("vertexShader");
  mFragmentFunction = library->newFunctionWithName((mFlags & MVG_ANTIALIAS) ? "fragmentShaderAA" : "fragmentShader");
  mCommandQueue = mDevice->newCommandQueue();
  if (!mVertexFunction || !mFragmentFunction || !mCommandQueue)
    return 0;

  mMaxBuffers = (mFlags & MVG_TRIPLE_BUFFER) ? 3 : (mFlags & MVG_DOUBLE_BUFFER) ? 2 : 1;
  for (int i = 0; i < mMaxBuffers; ++i)
    mCbuffers.push_back(std::make_unique<MVGbuffers_vTolvane3_au>());
  mClearBufferOnFlush = false;
  mSemaphore = dispatch_semaphore_create(mMaxBuffers);

  mVertexDescriptor.attributes[0] = {MTLVertexFormatFloat2, 0, 0};
  mVertexDescriptor.attributes[1] = {MTLVertexFormatFloat2, 2 * sizeof(float), 0};
  mVertexDescriptor.layouts[0] = {sizeof(NVGvertex), MTLVertexStepFunctionPerVertex};

  mTextureId = 0;
  mTextures.clear();
  mPseudoSampler = mDevice->newSamplerStateWithDescriptor(MTLSamplerDescriptor{});
  mBlendFunc = {MTLBlendFactorOne, MTLBlendFactorOneMinusSourceAlpha, MTLBlendFactorOne,
                MTLBlendFactorOneMinusSourceAlpha};

  MTLDevice* d = mDevice.get();
  const auto keep = MTLStencilOperationKeep, zero = MTLStencilOperationZero;
  mDefaultStencilState = MakeStencilState(d, "default", std::nullopt, std::nullopt);
  mFillShapeStencilState =
    MakeStencilState(d, "fill shape", Stencil(MTLCompareFunctionAlways, keep, keep, MTLStencilOperationIncrementWrap),
                     Stencil(MTLCompareFunctionAlways, keep, keep, MTLStencilOperationDecrementWrap));
  mFillAntiAliasStencilState =
    MakeStencilState(d, "fill antialias", Stencil(MTLCompareFunctionEqual, keep, keep, zero), std::nullopt);
  mFillStencilState = MakeStencilState(d, "fill", Stencil(MTLCompareFunctionNotEqual, zero, zero, zero), std::nullopt);
  mStrokeShapeStencilState = MakeStencilState(
    d, "stroke shape", Stencil(MTLCompareFunctionEqual, keep, keep, MTLStencilOperationIncrementClamp), std::nullopt);
  mStrokeAntiAliasStencilState =
    MakeStencilState(d, "stroke antialias", Stencil(MTLCompareFunctionEqual, keep, keep, keep), std::nullopt);
  mStrokeClearStencilState =
    MakeStencilState(d, "stroke clear", Stencil(MTLCompareFunctionAlways, zero, zero, zero), std::nullopt);
  return 1;
}

void MVGcontext_vTolvane3_au::renderDelete()
{
  // Frames still on the GPU use the sets and call back into this object.
  // A buffer may count as completed before its handler has run, and a
  // handler clears its set before it signals, so neither the buffers nor
  // the sets tell when the handlers are done; the semaphore does: once it
  // has been taken back for every set, every handler has signalled and
  // touches nothing of ours any more.
  if (mSemaphore)
  {
    if (mBuffers)
      renderCancel();
    for (int i = 0; i < mMaxBuffers; ++i)
      dispatch_semaphore_wait(mSemaphore, DISPATCH_TIME_FOREVER);
    // A semaphore must not go while below its starting count.
    for (int i = 0; i < mMaxBuffers; ++i)
      dispatch_semaphore_signal(mSemaphore);
  }
  mCbuffers.clear();
  mBuffers = nullptr;
  for (auto& texture : mTextures)
    if (texture)
      texture->tex = nullptr, texture->sampler = nullptr;
  mTextures.clear();
  mRenderEncoder = nullptr;
  mDefaultStencilState = mFillShapeStencilState = mFillAntiAliasStencilState = mFillStencilState = nullptr;
  mStrokeShapeStencilState = mStrokeAntiAliasStencilState = mStrokeClearStencilState = nullptr;
  mFragmentFunction = mVertexFunction = nullptr;
  mPipelineState = mStencilOnlyPipelineState = nullptr;
  mPseudoSampler = nullptr;
  mCommandQueue = nullptr;
  if (mSemaphore)
    dispatch_release(mSemaphore);
  mSemaphore = nullptr;
  if (mMetalLayer)
    mMetalLayer->setDevice(nullptr);
  mMetalLayer = nullptr;
  mDevice = nullptr;
}

// ---- Textures -------------------------------------------------------------

MVGtexture_vTolvane3_au* MVGcontext_vTolvane3_au::findTexture(int id)
{
  if (id == 0)
    return nullptr;
  for (auto& t : mTextures)
    if (t->id == id)
      return t.get();
  return nullptr;
}

MVGtexture_vTolvane3_au* MVGcontext_vTolvane3_au::allocTexture()
{
  MVGtexture_vTolvane3_au* slot = nullptr;
  for (auto& t : mTextures)
    if (t->id == 0)
    {
      slot = t.get();
      break;
    }
  if (!slot)
  {
    mTextures.push_back(std::make_unique<MVGtexture_vTolvane3_au>());
    slot = mTextures.back().get();
  }
  slot->id = ++mTextureId;
  return slot;
}

bool MVGcontext_vTolvane3_au::uploadPrivate(MTLTexture* texture, const unsigned char* data, int width, int height,
                                            int pixelSize)
{
  NSUInteger pitch = static_cast<NSUInteger>(width) * pixelSize;
  Strong<MTLBuffer> staging = mDevice->newBufferWithBytes(data, pitch * height, MTLResourceStorageModeShared);
  Strong<MTLCommandBuffer> commands = mCommandQueue->commandBuffer();
  if (!staging || !commands)
    return false;
  Strong<MTLBlitCommandEncoder> blit = commands->blitCommandEncoder();
  blit->copyFromBuffer(staging.get(), 0, pitch, pitch * height, MTLSize{NSUInteger(width), NSUInteger(height), 1},
                       texture, 0, 0, MTLOrigin{});
  blit->endEncoding();
  commands->commit();
  commands->waitUntilCompleted();
  return true;
}

static Strong<MTLSamplerState> MakeSampler(MTLDevice* device, int imageFlags, bool mipmapped)
{
  MTLSamplerDescriptor s;
  bool nearest = imageFlags & NVG_IMAGE_NEAREST;
  s.minFilter = s.magFilter = nearest ? MTLSamplerMinMagFilterNearest : MTLSamplerMinMagFilterLinear;
  if (mipmapped)
    s.mipFilter = nearest ? MTLSamplerMipFilterNearest : MTLSamplerMipFilterLinear;
  s.sAddressMode = (imageFlags & NVG_IMAGE_REPEATX) ? MTLSamplerAddressModeRepeat : MTLSamplerAddressModeClampToEdge;
  s.tAddressMode = (imageFlags & NVG_IMAGE_REPEATY) ? MTLSamplerAddressModeRepeat : MTLSamplerAddressModeClampToEdge;
  return device->newSamplerStateWithDescriptor(s);
}

int MVGcontext_vTolvane3_au::renderCreateTexture(int type, int width, int height, int imageFlags,
                                                 const unsigned char* data)
{
  if (!mDevice)
    return 0;
  // Mapped by name: this NanoVG numbers its types ALPHA, BGR, BGRA, RGB,
  // RGBA, and the three-byte ones have no Metal format.
  MTLPixelFormat format;
  int pixelSize;
  switch (type)
  {
  case NVG_TEXTURE_ALPHA: format = MTLPixelFormatR8Unorm, pixelSize = 1; break;
  case NVG_TEXTURE_RGBA: format = MTLPixelFormatRGBA8Unorm, pixelSize = 4; break;
  case NVG_TEXTURE_BGRA: format = MTLPixelFormatBGRA8Unorm, pixelSize = 4; break;
  default: return 0;
  }
  if (width <= 0 || height <= 0)
    return 0;
  bool mipmapped = imageFlags & NVG_IMAGE_GENERATE_MIPMAPS;
  MTLTextureDescriptor d = MTLTextureDescriptor::texture2DDescriptorWithPixelFormat(
    format, static_cast<NSUInteger>(width), static_cast<NSUInteger>(height), mipmapped);
  d.usage = MTLTextureUsageShaderRead | MTLTextureUsageShaderWrite | MTLTextureUsageRenderTarget;
  Strong<MTLTexture> tex = mDevice->newTextureWithDescriptor(d);
  if (!tex)
    return 0;

  if (data)
  {
    NSUInteger pitch = static_cast<NSUInteger>(width) * pixelSize;
    if (tex->storageMode() != MTLStorageModePrivate)
      tex->replaceRegion(MTLRegionMake2D(0, 0, width, height), 0, data, pitch);
    else if (!uploadPrivate(tex.get(), data, width, height, pixelSize))
      return 0;
    if (mipmapped)
    {
      Strong<MTLCommandBuffer> commands = mCommandQueue->commandBuffer();
      Strong<MTLBlitCommandEncoder> blit = commands->blitCommandEncoder();
      blit->generateMipmapsForTexture(tex.get());
      blit->endEncoding();
      commands->commit();
      commands->waitUntilCompleted();
    }
  }

  MVGtexture_vTolvane3_au* slot = allocTexture();
  slot->type = type;
  slot->flags = imageFlags;
  slot->tex = tex;
  slot->sampler = MakeSampler(mDevice.get(), imageFlags, mipmapped);
  return slot->id;
}

int MVGcontext_vTolvane3_au::imageFromTexture(MTLTexture* texture, int imageFlags)
{
  if (!texture || !mDevice)
    return 0;
  MVGtexture_vTolvane3_au* slot = allocTexture();
  slot->type = NVG_TEXTURE_RGBA;
  slot->flags = imageFlags;
  slot->tex = Strong<MTLTexture>(texture);
  slot->sampler = MakeSampler(mDevice.get(), imageFlags, texture->mipmapLevelCount() > 1);
  return slot->id;
}

int MVGcontext_vTolvane3_au::renderDeleteTexture(int image)
{
  MVGtexture_vTolvane3_au* t = findTexture(image);
  if (!t)
    return 0;
  // A texture the caller keeps (NODELETE) stays alive in the caller's hands;
  // the slot lets go of its own reference either way.
  t->tex = nullptr;
  t->sampler = nullptr;
  t->id = 0;
  t->flags = 0;
  return 1;
}

int MVGcontext_vTolvane3_au::renderUpdateTexture(int image, int x, int y, int width, int height,
                                                 const unsigned char* data)
{
  MVGtexture_vTolvane3_au* t = findTexture(image);
  if (!t || !t->tex || !data)
    return 0;
  int pixelSize = t->type == NVG_TEXTURE_ALPHA ? 1 : 4;
  NSUInteger pitch = t->tex->width() * pixelSize;
  // The source is the caller's whole image; the region starts inside it.
  const unsigned char* start = data + static_cast<size_t>(y) * pitch + static_cast<size_t>(x) * pixelSize;
  t->tex->replaceRegion(MTLRegionMake2D(x, y, width, height), 0, start, pitch);
  return 1;
}

int MVGcontext_vTolvane3_au::renderGetTextureSize(int image, int* width, int* height)
{
  MVGtexture_vTolvane3_au* t = findTexture(image);
  if (!t || !t->tex)
    return 0;
  *width = static_cast<int>(t->tex->width());
  *height = static_cast<int>(t->tex->height());
  return 1;
}

void MVGcontext_vTolvane3_au::waitForImage(int image)
{
  Strong<MTLCommandBuffer> drawing;
  {
    std::lock_guard<std::mutex> lock(mSetsLock);
    for (auto& set : mCbuffers)
      if (set->isBusy && set->image == image && set->commandBuffer)
        drawing = set->commandBuffer;
  }
  if (drawing)
    drawing->waitUntilCompleted();
}

void MVGcontext_vTolvane3_au::setClearColor(NVGcolor c)
{
  mClearColor[0] = c.r * c.a;
  mClearColor[1] = c.g * c.a;
  mClearColor[2] = c.b * c.a;
  mClearColor[3] = c.a;
  mClearBufferOnFlush = true;
}

// ---- Frame pacing ---------------------------------------------------------

void MVGcontext_vTolvane3_au::renderViewport(float width, float height, float devicePixelRatio)
{
  if (!mSemaphore)
    return;
  // A frame begun while the previous one was neither flushed nor cancelled
  // gives its set back first, so the semaphore stays balanced.
  if (mBuffers)
    renderCancel();
  mViewPortSize[0] = static_cast<unsigned>(width * devicePixelRatio);
  mViewPortSize[1] = static_cast<unsigned>(height * devicePixelRatio);
  dispatch_semaphore_wait(mSemaphore, DISPATCH_TIME_FOREVER);
  {
    std::lock_guard<std::mutex> lock(mSetsLock);
    for (auto& set : mCbuffers)
      if (!set->isBusy)
      {
        set->isBusy = true;
        mBuffers = set.get();
        break;
      }
  }
  if (!mBuffers)
    return;
  if (!mBuffers->viewSizeBuffer)
    mBuffers->viewSizeBuffer = mDevice->newBufferWithLength(2 * sizeof(float), MTLResourceCPUCacheModeWriteCombined);
  if (mBuffers->viewSizeBuffer)
  {
    float size[2] = {width, height};
    std::memcpy(mBuffers->viewSizeBuffer->contents(), size, sizeof size);
  }
}

// Runs on the GPU's thread for a committed frame: after its signal the
// renderer may be gone at once, so the signal is the last thing it does.
void MVGcontext_vTolvane3_au::releaseBufferSet(MVGbuffers_vTolvane3_au* set)
{
  {
    std::lock_guard<std::mutex> lock(mSetsLock);
    set->isBusy = false;
    set->commandBuffer = nullptr;
    set->image = 0;
    set->ncalls = set->nindexes = set->nverts = set->nuniforms = 0;
  }
  dispatch_semaphore_signal(mSemaphore);
}

void MVGcontext_vTolvane3_au::renderCancel()
{
  // A clear asked for this frame must not wipe whatever is flushed next.
  mClearBufferOnFlush = false;
  if (!mBuffers)
    return; // no frame begun: nothing to give back
  MVGbuffers_vTolvane3_au* set = mBuffers;
  mBuffers = nullptr;
  releaseBufferSet(set);
}

// ---- Per-frame arrays -----------------------------------------------------

int MVGcontext_vTolvane3_au::allocCall()
{
  MVGbuffers_vTolvane3_au* b = mBuffers;
  if (!b)
    return -1;
  if (b->ncalls + 1 > b->ccalls)
  {
    int capacity = GrownCapacity(b->ncalls + 1, 128, b->ccalls);
    MVGcall* calls = new (std::nothrow) MVGcall[capacity];
    if (!calls)
      return -1;
    if (b->ncalls)
      std::memcpy(calls, b->calls.get(), sizeof(MVGcall) * b->ncalls);
    b->calls.reset(calls);
    b->ccalls = capacity;
  }
  int index = b->ncalls++;
  std::memset(&b->calls[index], 0, sizeof(MVGcall));
  return index;
}

namespace {

// Grows a CPU-shared buffer of `elementSize` elements so `count + n` fit;
// the old contents move over. False when no memory.
bool GrowBuffer(MTLDevice* device, Strong<MTLBuffer>& buffer, int& capacity, int count, int n, int minimum,
                int elementSize)
{
  if (count + n <= capacity)
    return true;
  int grown = GrownCapacity(count + n, minimum, capacity);
  Strong<MTLBuffer> bigger =
    device->newBufferWithLength(static_cast<NSUInteger>(grown) * elementSize, MTLResourceCPUCacheModeWriteCombined);
  if (!bigger)
    return false;
  if (buffer && count)
    std::memcpy(bigger->contents(), buffer->contents(), static_cast<size_t>(count) * elementSize);
  buffer = bigger;
  capacity = grown;
  return true;
}

} // namespace

int MVGcontext_vTolvane3_au::allocVerts(int n)
{
  MVGbuffers_vTolvane3_au* b = mBuffers;
  if (!b || n < 0 || !GrowBuffer(mDevice.get(), b->vertBuffer, b->cverts, b->nverts, n, 4096, sizeof(NVGvertex)))
    return -1;
  b->verts = static_cast<NVGvertex*>(b->vertBuffer->contents());
  int first = b->nverts;
  b->nverts += n;
  return first;
}

int MVGcontext_vTolvane3_au::allocIndexes(int n)
{
  MVGbuffers_vTolvane3_au* b = mBuffers;
  if (!b || n < 0 || !GrowBuffer(mDevice.get(), b->indexBuffer, b->cindexes, b->nindexes, n, 4096, mIndexSize))
    return -1;
  b->indexes = static_cast<uint32_t*>(b->indexBuffer->contents());
  int first = b->nindexes;
  b->nindexes += n;
  return first;
}

int MVGcontext_vTolvane3_au::allocFragUniforms(int n)
{
  MVGbuffers_vTolvane3_au* b = mBuffers;
  if (!b || n < 0 || !GrowBuffer(mDevice.get(), b->uniformBuffer, b->cuniforms, b->nuniforms, n, 128, mFragSize))
    return -1;
  b->uniforms = static_cast<unsigned char*>(b->uniformBuffer->contents());
  int first = b->nuniforms * mFragSize;
  b->nuniforms += n;
  return first;
}

Uniforms* MVGcontext_vTolvane3_au::fragUniformAtIndex(int offset)
{
  return reinterpret_cast<Uniforms*>(mBuffers->uniforms + offset);
}
