#pragma once

// The Metal renderer behind NanoVG: NanoVG hands it tessellated fills,
// strokes and triangle lists through its render callbacks; it records them
// per frame into a buffer set and encodes them into one command buffer at
// the frame's end.
//
// Threads: everything runs on the UI thread but for each frame's completion
// handler, which runs on the GPU's thread and frees that frame's buffer set.
// The sets' busy flags, command buffers and images are shared between the
// two, under `mSetsLock`; a set's CPU-side arrays belong to the UI thread
// from `renderViewport` until its commit, and to nobody while in flight.
// At most `maxBuffers` frames are in flight: a frame that begins while all
// sets are busy waits for the GPU to finish one.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "Metal/Metal.h"
#include "QuartzCore/CAMetalLayer.h"
#include "dispatch/dispatch.h"
#include "nanovg.h"

// The four blend factors of a call's composite operation.
struct MVGblend
{
  MTLBlendFactor srcRGB, dstRGB, srcAlpha, dstAlpha;
  bool operator==(const MVGblend&) const = default;
};

enum MVGcallType { MVG_NONE = 0, MVG_FILL = 1, MVG_CONVEXFILL = 2, MVG_STROKE = 3, MVG_TRIANGLES = 4 };

// One recorded draw call; a new record starts zeroed.
struct MVGcall
{
  int type;
  int image;
  int triangleOffset;
  int triangleCount;
  int indexOffset;
  int indexCount;
  int strokeOffset;
  int strokeCount;
  int uniformOffset; // bytes
  MVGblend blendFunc;
};

// The fragment shaders' uniform record, one per 256-byte slot. Matrices are
// three columns of four floats (the fourth unused).
struct Uniforms
{
  float scissorMat[12];
  float paintMat[12];
  float innerCol[4];
  float outerCol[4];
  float scissorExt[2];
  float scissorScale[2];
  float extent[2];
  float radius;
  float feather;
  float strokeMult;
  float strokeThr;
  int texType; // 0 premultiplied RGBA, 1 straight RGBA, 2 alpha texture
  int type;    // 0 gradient, 1 image pattern, 2 image by texture coordinate
};
static_assert(offsetof(Uniforms, scissorMat) == 0);
static_assert(offsetof(Uniforms, paintMat) == 48);
static_assert(offsetof(Uniforms, innerCol) == 96);
static_assert(offsetof(Uniforms, outerCol) == 112);
static_assert(offsetof(Uniforms, scissorExt) == 128);
static_assert(offsetof(Uniforms, scissorScale) == 136);
static_assert(offsetof(Uniforms, extent) == 144);
static_assert(offsetof(Uniforms, radius) == 152);
static_assert(offsetof(Uniforms, feather) == 156);
static_assert(offsetof(Uniforms, strokeMult) == 160);
static_assert(offsetof(Uniforms, strokeThr) == 164);
static_assert(offsetof(Uniforms, texType) == 168);
static_assert(offsetof(Uniforms, type) == 172);
static_assert(sizeof(Uniforms) == 176);

// One NanoVG image. `id` 0 marks a free slot.
struct MVGtexture_vTolvane3_au
{
  int id = 0;
  int type = 0; // NanoVG texture type (NVG_TEXTURE_ALPHA, NVG_TEXTURE_RGBA, NVG_TEXTURE_BGRA)
  int flags = 0;
  Strong<MTLTexture> tex;
  Strong<MTLSamplerState> sampler;
};

// One in-flight frame: its command buffer and the CPU-shared buffers its
// calls draw from.
struct MVGbuffers_vTolvane3_au
{
  Strong<MTLCommandBuffer> commandBuffer;
  bool isBusy = false;
  int image = 0; // the off-screen target this frame draws into, 0 for the screen
  Strong<MTLBuffer> viewSizeBuffer;
  Strong<MTLTexture> stencilTexture;
  std::unique_ptr<MVGcall[]> calls;
  int ccalls = 0, ncalls = 0;
  Strong<MTLBuffer> indexBuffer;
  uint32_t* indexes = nullptr;
  int cindexes = 0, nindexes = 0;
  Strong<MTLBuffer> vertBuffer;
  NVGvertex* verts = nullptr;
  int cverts = 0, nverts = 0;
  Strong<MTLBuffer> uniformBuffer;
  unsigned char* uniforms = nullptr;
  int cuniforms = 0, nuniforms = 0; // in slots
};

// An off-screen target: a NanoVG image that flushes draw into while bound.
struct MVGframebuffer
{
  NVGcontext* ctx = nullptr;
  int image = 0;
};

class MVGcontext_vTolvane3_au
{
public:
  MVGcontext_vTolvane3_au(CAMetalLayer* layer, int flags);
  ~MVGcontext_vTolvane3_au();

  // NanoVG's render callbacks.
  int renderCreate();
  int renderCreateTexture(int type, int width, int height, int imageFlags, const unsigned char* data);
  int renderDeleteTexture(int image);
  int renderUpdateTexture(int image, int x, int y, int width, int height, const unsigned char* data);
  int renderGetTextureSize(int image, int* width, int* height);
  void renderViewport(float width, float height, float devicePixelRatio);
  void renderCancel();
  void renderFlush();
  void renderFill(NVGpaint* paint, NVGcompositeOperationState op, NVGscissor* scissor, float fringe,
                  const float* bounds, const NVGpath* paths, int npaths);
  void renderStroke(NVGpaint* paint, NVGcompositeOperationState op, NVGscissor* scissor, float fringe,
                    float strokeWidth, const NVGpath* paths, int npaths);
  void renderTriangles(NVGpaint* paint, NVGcompositeOperationState op, NVGscissor* scissor, const NVGvertex* verts,
                       int nverts, float fringe);
  // Waits for the frames in flight, then lets go of every resource.
  void renderDelete();

  // For the function interface.
  MVGtexture_vTolvane3_au* findTexture(int id);
  int imageFromTexture(MTLTexture* texture, int imageFlags);
  void waitForImage(int image);
  void setClearColor(NVGcolor color);
  MTLCommandQueue* commandQueue() const { return mCommandQueue.get(); }
  CAMetalLayer* metalLayer() const { return mMetalLayer.get(); }
  NVGcontext* nvgContext() const { return mNanoVG; }
  void setNvgContext(NVGcontext* ctx) { mNanoVG = ctx; }
  int flags() const { return mFlags; }
  int maxBuffers() const { return mMaxBuffers; }
  const std::vector<std::unique_ptr<MVGtexture_vTolvane3_au>>& textures() const { return mTextures; }

private:
  int allocCall();
  // A new call of `type` with the paint's image and the operation's blend;
  // its index, or -1 when out of memory.
  int newCall(int type, const NVGpaint* paint, NVGcompositeOperationState op);
  int allocVerts(int n);
  int allocIndexes(int n);
  int allocFragUniforms(int n);
  Uniforms* fragUniformAtIndex(int offset);
  MVGtexture_vTolvane3_au* allocTexture();
  int convertPaint(Uniforms* frag, const NVGpaint* paint, const NVGscissor* scissor, float width, float fringe,
                   float strokeThr);
  MVGblend blendCompositeOperation(NVGcompositeOperationState op) const;
  void updateRenderPipelineStates(const MVGblend& blend, MTLPixelFormat format);
  void setUniforms(int uniformOffset, int image);
  void encodeFill(const MVGcall& call);
  void encodeConvexFill(const MVGcall& call);
  void encodeStroke(const MVGcall& call);
  void encodeTriangles(const MVGcall& call);
  void releaseBufferSet(MVGbuffers_vTolvane3_au* set);
  void checkError(NSError* error, const char* message) const;
  bool uploadPrivate(MTLTexture* texture, const unsigned char* data, int width, int height, int pixelSize);

  NVGcontext* mNanoVG = nullptr;
  bool mClearBufferOnFlush = false;
  int mFragSize = 256;
  int mIndexSize = 4;
  int mFlags = 0;
  int mTextureId = 0;
  int mMaxBuffers = 0;
  Strong<MTLDevice> mDevice;
  Strong<MTLCommandQueue> mCommandQueue;
  Strong<CAMetalLayer> mMetalLayer;
  Strong<MTLRenderCommandEncoder> mRenderEncoder;
  unsigned mViewPortSize[2] = {0, 0};
  std::vector<std::unique_ptr<MVGtexture_vTolvane3_au>> mTextures;
  MVGbuffers_vTolvane3_au* mBuffers = nullptr;
  std::vector<std::unique_ptr<MVGbuffers_vTolvane3_au>> mCbuffers;
  std::mutex mSetsLock;
  dispatch_semaphore_t mSemaphore = nullptr;
  MVGblend mBlendFunc{};
  Strong<MTLDepthStencilState> mDefaultStencilState, mFillShapeStencilState, mFillAntiAliasStencilState,
    mFillStencilState, mStrokeShapeStencilState, mStrokeAntiAliasStencilState, mStrokeClearStencilState;
  Strong<MTLFunction> mFragmentFunction, mVertexFunction;
  MTLPixelFormat mPipelinePixelFormat = MTLPixelFormatInvalid;
  Strong<MTLRenderPipelineState> mPipelineState, mStencilOnlyPipelineState;
  Strong<MTLSamplerState> mPseudoSampler;
  Strong<MTLTexture> mPseudoTexture; // never made: calls without image bind no texture
  MTLVertexDescriptor mVertexDescriptor{};
  double mClearColor[4] = {0, 0, 0, 0};
};
