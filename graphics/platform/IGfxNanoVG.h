#pragma once

// The graphics context's drawing on NanoVG, rendered by the Metal renderer.
// Each frame draws into an off-screen main frame buffer of the editor's
// pixel size, which the end of the frame paints onto the view's drawable;
// layers are further frame buffers. Bitmaps are NanoVG images in a cache of
// this instance; font bytes live in a process-wide cache shared by every
// instance. Abstract: a platform class adds the window. Main thread only.

#include <stack>

#include "graphics/IGfx.h"
#include "graphics/PK_Mutex.h"
#include "graphics/StaticStorage.h"
#include "graphics/platform/FontTableInfo.h"
#include "graphics/platform/MetalNanoVG.h"

namespace plugkit::gfx {

class IGfxNanoVG : public IGfx
{
public:
  // A NanoVG image as a back-end bitmap: a loaded or pixel-made image, or a
  // frame buffer (layers) whose deletion waits for the end of the frame.
  class Bitmap : public APIBitmap
  {
  public:
    // An existing image; its size is asked of NanoVG (0 x 0 for image 0).
    Bitmap(NVGcontext* pContext, const char* path, int image, bool shared, float sourceScale);
    // A new, cleared frame buffer of at least 1 x 1 pixel; a frame buffer
    // the renderer cannot make leaves the bitmap without an image.
    Bitmap(IGfxNanoVG* pOwner, NVGcontext* pContext, int width, int height, int scale, float drawScale);
    // An image of straight (imageFlags 0) or premultiplied RGBA pixels.
    Bitmap(NVGcontext* pContext, int width, int height, const uint8_t* pixels, float scale, float drawScale,
      int imageFlags = 0);
    ~Bitmap() override;

    int GetImage() const { return mImage; }
    MVGframebuffer* GetFrameBuffer() const { return mFBO; }

  private:
    int mImage = 0;
    IGfxNanoVG* mOwner = nullptr;
    NVGcontext* mContext = nullptr;
    MVGframebuffer* mFBO = nullptr;
    bool mShared = false;
  };

  IGfxNanoVG(IGEditorDelegate& dlg, int w, int h, int fps = 0, float scale = 1.f);
  ~IGfxNanoVG() override;

  void BeginFrame() override;
  void OnViewInitialized(void* pLayer) override;
  void OnViewDestroyed() override;
  void EndFrame() override;

  IColor GetPointColor(float x, float y) override { return kColorBlack; }
  void* GetDrawContext() override { return mVG; }
  const char* GetDrawingAPIStr() override { return "NanoVG | Metal"; }
  bool BitmapExtSupported(const char* ext) override;

  void PathClear() override;
  void PathClose() override;
  void PathArc(float cx, float cy, float r, float a1, float a2, EWinding winding = kWindingCW) override;
  void PathMoveTo(float x, float y) override;
  void PathLineTo(float x, float y) override;
  void PathSetWinding(bool clockwise) override;
  void PathCubicBezierTo(float c1x, float c1y, float c2x, float c2y, float x2, float y2) override;
  void PathQuadraticBezierTo(float cx, float cy, float x2, float y2) override;
  void PathStroke(const IPattern& pattern, float thickness, const IStrokeOptions& options,
    const IBlend* pBlend) override;
  void PathFill(const IPattern& pattern, const IFillOptions& options, const IBlend* pBlend) override;
  void PathTransformSetMatrix(const IMatrix& m) override;
  void SetClipRegion(const IRECT& r) override;

  void DrawBitmap(const IBitmap& bitmap, const IRECT& dest, int srcX, int srcY, const IBlend* pBlend) override;
  void DrawDottedLine(const IColor& color, float x1, float y1, float x2, float y2, const IBlend* pBlend,
    float thickness, float dashLen) override;
  void DrawDottedRect(const IColor& color, const IRECT& bounds, const IBlend* pBlend, float thickness,
    float dashLen) override;
  void DrawBoxShadow(const IRECT& inner, const IRECT& outer, const IBlend* pBlend, float offset, float cornerRadius,
    float feather) override;

  float DoMeasureText(const IText& text, const char* str, IRECT& bounds) const override;
  void DoDrawText(const IText& text, const char* str, const IRECT& bounds, const IBlend* pBlend) override;

  void GetLayerBitmapData(const ILayerPtr& layer, IRawBitmapData& data) override;
  void ApplyShadowMask(ILayerPtr& layer, IRawBitmapData& mask, const IShadow& shadow) override;
  void SetLayerBitmapData(const ILayerPtr& layer, const IRawBitmapData& data) override;
  void UpdateLayer() override;
  int GetAlphaChannelIndex() const override { return 3; }
  bool IsBitmapFlipped() const override { return false; }

  IBitmap LoadBitmap(const char* name, int nStates = 1, bool framesAreHorizontal = false,
    int targetScale = 0) override;
  using IGfx::LoadBitmap;
  void RetainBitmap(const IBitmap& bitmap, const char* cacheName) override {}
  void ReleaseBitmap(const IBitmap& bitmap) override {}
  APIBitmap* LoadAPIBitmap(const char* fileNameOrResID, int scale, EResourceLocation location,
    const char* ext) override;
  APIBitmap* LoadAPIBitmap(const char* name, const void* pData, int dataSize, int scale) override;
  APIBitmap* CreateAPIBitmap(int width, int height, float scale, double drawScale, bool cacheable = false) override;
  bool LoadAPIFont(const char* fontID, const PlatformFont* pFont) override;

  bool IsContextReady() const override { return mContextReady; }
  void SetContextReady(bool ready) override { mContextReady = ready; }
  void DrawResize() override;

  // Deletes the frame buffer now, or at the end of the frame when drawing.
  void QueueFrameBufferDeletion(MVGframebuffer* pBuffer);

  // The process-wide font data, and how many instances hold it.
  static StaticStorage<IFontFileData>& FontDataStorage();

protected:
  MVGframebuffer* GetMainFrameBuffer() const { return mMainFrameBuffer; }

private:
  void PrepareAndMeasureText(const IText& text, const char* str, IRECT& r, float& x, float& y) const;
  void DeleteQueuedFrameBuffers();
  // The frame's size in NanoVG units (points times the draw scale).
  int FrameWidth() const { return static_cast<int>(Width() * GetDrawScale()); }
  int FrameHeight() const { return static_cast<int>(Height() * GetDrawScale()); }
  void BindAndBeginMainFrame();

  bool mInDraw = false;
  PK_Mutex mFBOMutex;
  std::stack<MVGframebuffer*> mFBOStack;
  StaticStorage<APIBitmap> mBitmapCache;
  NVGcontext* mVG = nullptr;
  MVGframebuffer* mMainFrameBuffer = nullptr;
  bool mContextReady = false;
};

} // namespace plugkit::gfx
