#include "IGfxNanoVG.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <memory>
#include <string>

#include "graphics/TextRotation.h"

namespace plugkit::gfx {

namespace {

constexpr float kPi = 3.1415927f;

NVGcolor NanoVGColor(const IColor& c, const IBlend* pBlend = nullptr)
{
  return nvgRGBAf(c.R / 255.f, c.G / 255.f, c.B / 255.f, c.A * BlendWeight(pBlend) / 255.f);
}

void NanoVGSetBlendMode(NVGcontext* vg, const IBlend* pBlend)
{
  if (!pBlend)
  {
    nvgGlobalCompositeOperation(vg, NVG_SOURCE_OVER);
    return;
  }
  switch (pBlend->mMethod)
  {
    case kBlendDefault: nvgGlobalCompositeOperation(vg, NVG_SOURCE_OVER); break;
    case kBlendSourceIn: nvgGlobalCompositeOperation(vg, NVG_SOURCE_IN); break;
    case kBlendSourceOut: nvgGlobalCompositeOperation(vg, NVG_SOURCE_OUT); break;
    case kBlendSourceAtop: nvgGlobalCompositeOperation(vg, NVG_ATOP); break;
    case kBlendDestOver: nvgGlobalCompositeOperation(vg, NVG_DESTINATION_OVER); break;
    case kBlendDestIn: nvgGlobalCompositeOperation(vg, NVG_DESTINATION_IN); break;
    case kBlendDestOut: nvgGlobalCompositeOperation(vg, NVG_DESTINATION_OUT); break;
    case kBlendDestAtop: nvgGlobalCompositeOperation(vg, NVG_DESTINATION_ATOP); break;
    case kBlendAdd: nvgGlobalCompositeBlendFunc(vg, NVG_SRC_ALPHA, NVG_DST_ALPHA); break;
    case kBlendXOR: nvgGlobalCompositeOperation(vg, NVG_XOR); break;
  }
}

NVGpaint NanoVGPaint(NVGcontext* vg, const IPattern& pattern, const IBlend* pBlend)
{
  const IMatrix& m = pattern.mTransform;
  const double d = 1.0 / (m.mXX * m.mYY - m.mYX * m.mXY);
  const float a = float(m.mYY * d), b = float(-m.mYX * d), c = float(-m.mXY * d), dd = float(m.mXX * d);
  const float tx = float((m.mXY * m.mTY - m.mYY * m.mTX) * d);
  const float ty = float((m.mYX * m.mTX - m.mXX * m.mTY) * d);
  (void)b;
  const int last = std::max(0, pattern.mNStops - 1);
  const NVGcolor inner = NanoVGColor(pattern.mStops[0].mColor, pBlend);
  const NVGcolor outer = NanoVGColor(pattern.mStops[last].mColor, pBlend);
  if (pattern.mType == kRadialPattern)
    return nvgRadialGradient(vg, tx, ty, pattern.mStops[0].mOffset * a, a, inner, outer);
  return nvgLinearGradient(vg, tx, ty, tx + c, ty + dd, inner, outer);
}

// A dash length that is not a finite number above 0 strokes the whole line.
bool UsableDash(float dashLen) { return std::isfinite(dashLen) && dashLen > 0.f; }

} // namespace

// Bitmaps -----------------------------------------------------------------------

IGfxNanoVG::Bitmap::Bitmap(NVGcontext* pContext, const char*, int image, bool shared, float sourceScale)
  : mImage(image), mContext(pContext), mShared(shared)
{
  if (image > 0)
    nvgImageSize(pContext, image, &mWidth, &mHeight);
  mScale = sourceScale;
  mDrawScale = 1.f;
}

IGfxNanoVG::Bitmap::Bitmap(IGfxNanoVG* pOwner, NVGcontext* pContext, int width, int height, int scale,
  float drawScale)
  : mOwner(pOwner), mContext(pContext)
{
  // The renderer makes no frame buffer of zero pixels.
  width = std::max(1, width);
  height = std::max(1, height);
  mFBO = pContext ? mvgCreateTarget(pContext, width, height, 0) : nullptr;
  if (mFBO)
  {
    mvgBindTarget(mFBO);
    mvgSetClearColor(pContext, nvgRGBAf(0.f, 0.f, 0.f, 0.f));
    nvgBeginFrame(pContext, float(width), float(height), 1.f);
    nvgEndFrame(pContext);
    mImage = mvgTargetImage(mFBO);
    mWidth = width;
    mHeight = height;
  }
  mScale = float(scale);
  mDrawScale = drawScale;
}

IGfxNanoVG::Bitmap::Bitmap(NVGcontext* pContext, int width, int height, const uint8_t* pixels, float scale,
  float drawScale, int imageFlags)
  : mContext(pContext)
{
  mImage = nvgCreateImageRGBA(pContext, width, height, imageFlags, pixels);
  if (mImage > 0)
  {
    mWidth = width;
    mHeight = height;
  }
  mScale = scale;
  mDrawScale = drawScale;
}

IGfxNanoVG::Bitmap::~Bitmap()
{
  if (mShared)
    return;
  if (mFBO)
    mOwner->QueueFrameBufferDeletion(mFBO);
  else if (mImage > 0 && mContext)
    nvgDeleteImage(mContext, mImage);
}

// Life ----------------------------------------------------------------------------

StaticStorage<IFontFileData>& IGfxNanoVG::FontDataStorage()
{
  static StaticStorage<IFontFileData> storage;
  return storage;
}

IGfxNanoVG::IGfxNanoVG(IGEditorDelegate& dlg, int w, int h, int fps, float scale) : IGfx(dlg, w, h, fps, scale)
{
  PK_Mutex::Scope lock(FontDataStorage().Lock());
  FontDataStorage().Retain();
}

IGfxNanoVG::~IGfxNanoVG()
{
  {
    PK_Mutex::Scope lock(FontDataStorage().Lock());
    FontDataStorage().Release();
    DeleteQueuedFrameBuffers();
  }
  PK_Mutex::Scope lock(mBitmapCache.Lock());
  mBitmapCache.Clear();
}

void IGfxNanoVG::OnViewInitialized(void* pLayer)
{
  mVG = mvgCreateContext(static_cast<CAMetalLayer*>(pLayer), MVG_ANTIALIAS | MVG_TRIPLE_BUFFER);
  SetContextReady(false);
  if (mVG)
    SetContextReady(true);
}

void IGfxNanoVG::OnViewDestroyed()
{
  RemoveAllControls();
  {
    PK_Mutex::Scope lock(mBitmapCache.Lock());
    mBitmapCache.Clear();
    if (mMainFrameBuffer)
      mvgDeleteTarget(mMainFrameBuffer);
    mMainFrameBuffer = nullptr;
    // Frame buffers still waiting (a frame that never ended) go before the
    // context they belong to.
    mInDraw = false;
    DeleteQueuedFrameBuffers();
    if (mVG)
      mvgDeleteContext(mVG);
  }
  mVG = nullptr;
}

void IGfxNanoVG::DrawResize()
{
  ActivateDrawContext();
  if (mMainFrameBuffer)
    mvgDeleteTarget(mMainFrameBuffer);
  mMainFrameBuffer = nullptr;
  if (mVG)
  {
    const float sigma = GetScreenScale();
    mMainFrameBuffer = mvgCreateTarget(mVG, std::max(1, int(FrameWidth() * sigma)),
      std::max(1, int(FrameHeight() * sigma)), 0);
  }
  DeactivateDrawContext();
}

// Frames ---------------------------------------------------------------------------

void IGfxNanoVG::BindAndBeginMainFrame()
{
  mvgBindTarget(mMainFrameBuffer);
  nvgBeginFrame(mVG, float(FrameWidth()), float(FrameHeight()), GetScreenScale());
}

void IGfxNanoVG::BeginFrame()
{
  mInDraw = true;
  IGfx::BeginFrame();
  if (mVG)
    BindAndBeginMainFrame();
}

void IGfxNanoVG::EndFrame()
{
  if (!mVG)
    return;
  nvgEndFrame(mVG);
  mvgBindTarget(nullptr);
  const float wd = float(FrameWidth()), hd = float(FrameHeight());
  nvgBeginFrame(mVG, wd, hd, GetScreenScale());
  if (!mMainFrameBuffer)
  {
    // Nothing to show, but the frame is over all the same: frame buffers
    // dropped during it go now, and later ones at once.
    nvgEndFrame(mVG);
    mInDraw = false;
    DeleteQueuedFrameBuffers();
    return;
  }
  const NVGpaint paint = nvgImagePattern(mVG, 0, 0, wd, hd, 0, mvgTargetImage(mMainFrameBuffer), 1.f);
  nvgSave(mVG);
  nvgResetTransform(mVG);
  nvgTranslate(mVG, mXTranslation, mYTranslation);
  nvgBeginPath(mVG);
  nvgRect(mVG, 0, 0, wd, hd);
  nvgFillPaint(mVG, paint);
  nvgFill(mVG);
  nvgRestore(mVG);
  nvgEndFrame(mVG);
  mInDraw = false;
  DeleteQueuedFrameBuffers();
}

void IGfxNanoVG::UpdateLayer()
{
  if (!mVG)
    return;
  nvgEndFrame(mVG);
  if (mLayers.empty())
  {
    BindAndBeginMainFrame();
    return;
  }
  const ILayer* pLayer = mLayers.top();
  const auto* pBitmap = static_cast<const Bitmap*>(pLayer->GetAPIBitmap());
  MVGframebuffer* pTarget = pBitmap ? pBitmap->GetFrameBuffer() : nullptr;
  mvgBindTarget(pTarget);
  // Without a target the frame would go to the screen: a frame of no size
  // makes the renderer drop what is drawn into the layer.
  const float s = pTarget ? GetDrawScale() : 0.f;
  const IRECT& r = pLayer->Bounds();
  nvgBeginFrame(mVG, r.W() * s, r.H() * s, GetScreenScale());
}

void IGfxNanoVG::QueueFrameBufferDeletion(MVGframebuffer* pBuffer)
{
  if (!mInDraw)
  {
    mvgDeleteTarget(pBuffer);
    return;
  }
  PK_Mutex::Scope lock(mFBOMutex);
  mFBOStack.push(pBuffer);
}

void IGfxNanoVG::DeleteQueuedFrameBuffers()
{
  PK_Mutex::Scope lock(mFBOMutex);
  while (!mFBOStack.empty())
  {
    mvgDeleteTarget(mFBOStack.top());
    mFBOStack.pop();
  }
}

// Paths ------------------------------------------------------------------------------

void IGfxNanoVG::PathClear() { nvgBeginPath(mVG); }
void IGfxNanoVG::PathClose() { nvgClosePath(mVG); }

void IGfxNanoVG::PathArc(float cx, float cy, float r, float a1, float a2, EWinding winding)
{
  nvgArc(mVG, cx, cy, r, (a1 - 90.f) / 180.f * kPi, (a2 - 90.f) / 180.f * kPi,
    winding == kWindingCW ? NVG_CW : NVG_CCW);
}

void IGfxNanoVG::PathMoveTo(float x, float y) { nvgMoveTo(mVG, x, y); }
void IGfxNanoVG::PathLineTo(float x, float y) { nvgLineTo(mVG, x, y); }
void IGfxNanoVG::PathSetWinding(bool clockwise) { nvgPathWinding(mVG, clockwise ? NVG_CW : NVG_CCW); }

void IGfxNanoVG::PathCubicBezierTo(float c1x, float c1y, float c2x, float c2y, float x2, float y2)
{
  nvgBezierTo(mVG, c1x, c1y, c2x, c2y, x2, y2);
}

void IGfxNanoVG::PathQuadraticBezierTo(float cx, float cy, float x2, float y2) { nvgQuadTo(mVG, cx, cy, x2, y2); }

void IGfxNanoVG::PathStroke(const IPattern& pattern, float thickness, const IStrokeOptions& options,
  const IBlend* pBlend)
{
  if (options.mCapOption < 3)
    nvgLineCap(mVG, options.mCapOption);
  if (options.mJoinOption < 3)
    nvgLineJoin(mVG, options.mJoinOption == kJoinMiter ? NVG_MITER
                     : options.mJoinOption == kJoinRound ? NVG_ROUND
                                                         : NVG_BEVEL);
  nvgMiterLimit(mVG, options.mMiterLimit);
  nvgStrokeWidth(mVG, thickness);
  if (pattern.mType == kSolidPattern)
    nvgStrokeColor(mVG, NanoVGColor(pattern.mStops[0].mColor, pBlend));
  else
    nvgStrokePaint(mVG, NanoVGPaint(mVG, pattern, pBlend));
  nvgPathWinding(mVG, NVG_CCW);
  NanoVGSetBlendMode(mVG, pBlend);
  nvgStroke(mVG);
  nvgGlobalCompositeOperation(mVG, NVG_SOURCE_OVER);
  if (!options.mPreserve)
    nvgBeginPath(mVG);
}

void IGfxNanoVG::PathFill(const IPattern& pattern, const IFillOptions& options, const IBlend* pBlend)
{
  if (options.mFillRule == kFillWinding)
    nvgPathWinding(mVG, NVG_CCW);
  else if (options.mFillRule == kFillEvenOdd)
    nvgPathWinding(mVG, NVG_CW);
  if (pattern.mType == kSolidPattern)
    nvgFillColor(mVG, NanoVGColor(pattern.mStops[0].mColor, pBlend));
  else
    nvgFillPaint(mVG, NanoVGPaint(mVG, pattern, pBlend));
  NanoVGSetBlendMode(mVG, pBlend);
  nvgFill(mVG);
  nvgGlobalCompositeOperation(mVG, NVG_SOURCE_OVER);
  if (!options.mPreserve)
    nvgBeginPath(mVG);
}

void IGfxNanoVG::PathTransformSetMatrix(const IMatrix& m)
{
  if (!mVG)
    return;
  nvgResetTransform(mVG);
  nvgScale(mVG, GetDrawScale(), GetDrawScale());
  if (!mLayers.empty())
  {
    const IRECT& r = mLayers.top()->Bounds();
    nvgTranslate(mVG, -r.L, -r.T);
  }
  nvgTransform(mVG, float(m.mXX), float(m.mYX), float(m.mXY), float(m.mYY), float(m.mTX), float(m.mTY));
}

void IGfxNanoVG::SetClipRegion(const IRECT& r) { nvgScissor(mVG, r.L, r.T, r.W(), r.H()); }

// Shapes -----------------------------------------------------------------------------

void IGfxNanoVG::DrawBitmap(const IBitmap& bitmap, const IRECT& dest, int srcX, int srcY, const IBlend* pBlend)
{
  const auto* pAPI = static_cast<const Bitmap*>(bitmap.GetAPIBitmap());
  if (!pAPI || pAPI->GetImage() <= 0)
    return;
  const float k = 1.f / (pAPI->GetScale() * pAPI->GetDrawScale());
  NVGpaint paint;
  nvgTransformIdentity(paint.xform);
  paint.xform[0] = k;
  paint.xform[3] = k;
  paint.xform[4] = dest.L - float(srcX);
  paint.xform[5] = dest.T - float(srcY);
  paint.extent[0] = float(bitmap.W()) * pAPI->GetScale();
  paint.extent[1] = float(bitmap.H()) * pAPI->GetScale();
  paint.radius = 0.f;
  paint.feather = 0.f;
  paint.innerColor = paint.outerColor = nvgRGBAf(1, 1, 1, BlendWeight(pBlend));
  paint.image = pAPI->GetImage();
  nvgBeginPath(mVG);
  nvgRect(mVG, dest.L, dest.T, dest.W(), dest.H());
  nvgFillPaint(mVG, paint);
  NanoVGSetBlendMode(mVG, pBlend);
  nvgFill(mVG);
  nvgGlobalCompositeOperation(mVG, NVG_SOURCE_OVER);
  nvgBeginPath(mVG);
}

void IGfxNanoVG::DrawDottedLine(const IColor& color, float x1, float y1, float x2, float y2, const IBlend* pBlend,
  float thickness, float dashLen)
{
  const float dx = x2 - x1, dy = y2 - y1;
  PathMoveTo(x1, y1);
  if (!UsableDash(dashLen))
    PathLineTo(x2, y2);
  else
  {
    const float n = std::round(std::sqrt(dx * dx + dy * dy) / dashLen);
    if (std::isfinite(n) && n >= 2.f && n < 1e6f)
    {
      const int count = int(n);
      for (int i = 1; i < count; i += 2)
      {
        const float t = float(i) / n, u = t + 1.f / n;
        PathLineTo(x1 + t * dx, y1 + t * dy);
        PathMoveTo(x1 + u * dx, y1 + u * dy);
      }
    }
  }
  PathStroke(IPattern(color), thickness, IStrokeOptions(), pBlend);
}

void IGfxNanoVG::DrawDottedRect(const IColor& color, const IRECT& bounds, const IBlend* pBlend, float thickness,
  float dashLen)
{
  if (!UsableDash(dashLen))
  {
    PathRect(bounds);
    PathStroke(IPattern(color), thickness, IStrokeOptions(), pBlend);
    return;
  }
  const float xsF = std::ceil(bounds.W() / (2.f * dashLen)), ysF = std::ceil(bounds.H() / (2.f * dashLen));
  const int xs = std::isfinite(xsF) ? int(std::clamp(xsF, 0.f, 1e6f)) : 0;
  const int ys = std::isfinite(ysF) ? int(std::clamp(ysF, 0.f, 1e6f)) : 0;
  float x = bounds.L, y = bounds.T;
  PathMoveTo(x, y);
  auto run = [&](float& v, float step, float lo, float hi, int count, bool horizontal) {
    for (int i = 0; i < count; ++i)
    {
      v = std::clamp(v + step, lo, hi);
      horizontal ? PathLineTo(v, y) : PathLineTo(x, v);
      v = std::clamp(v + step, lo, hi);
      horizontal ? PathMoveTo(v, y) : PathMoveTo(x, v);
    }
  };
  run(x, dashLen, bounds.L, bounds.R, xs, true);
  run(y, dashLen, bounds.T, bounds.B, ys, false);
  run(x, -dashLen, bounds.L, bounds.R, xs, true);
  run(y, -dashLen, bounds.T, bounds.B, ys, false);
  PathStroke(IPattern(color), thickness, IStrokeOptions(), pBlend);
}

void IGfxNanoVG::DrawBoxShadow(const IRECT& inner, const IRECT& outer, const IBlend* pBlend, float offset,
  float cornerRadius, float feather)
{
  const NVGpaint paint = nvgBoxGradient(mVG, inner.L + offset, inner.T + offset, inner.W(), inner.H(), cornerRadius,
    feather, NanoVGColor(IColor(128, 0, 0, 0), pBlend), NanoVGColor(IColor(0, 0, 0, 0)));
  nvgBeginPath(mVG);
  nvgRect(mVG, outer.L, outer.T, outer.W(), outer.H());
  nvgFillPaint(mVG, paint);
  nvgGlobalCompositeOperation(mVG, NVG_SOURCE_OVER);
  nvgFill(mVG);
  nvgBeginPath(mVG);
}

// Layer pixels -------------------------------------------------------------------------

void IGfxNanoVG::GetLayerBitmapData(const ILayerPtr& layer, IRawBitmapData& data)
{
  const auto* pBitmap = layer ? static_cast<const Bitmap*>(layer->GetAPIBitmap()) : nullptr;
  if (!pBitmap || pBitmap->GetImage() <= 0)
    return;
  const int size = pBitmap->GetWidth() * pBitmap->GetHeight() * 4;
  if (!data.Resize(size) || data.GetSize() != size)
    return;
  PushLayer(layer.get());
  mvgReadImagePixels(mVG, pBitmap->GetImage(), 0, 0, pBitmap->GetWidth(), pBitmap->GetHeight(), data.Get());
  PopLayer();
}

void IGfxNanoVG::SetLayerBitmapData(const ILayerPtr& layer, const IRawBitmapData& data)
{
  const APIBitmap* pLayerBitmap = layer ? layer->GetAPIBitmap() : nullptr;
  if (!pLayerBitmap)
    return;
  const int w = pLayerBitmap->GetWidth(), h = pLayerBitmap->GetHeight();
  if (data.GetSize() < w * h * 4)
    return;
  // The layer's bytes are premultiplied: uploading them as straight alpha
  // would darken every semi-transparent pixel on the way back.
  Bitmap image(mVG, w, h, data.Get(), pLayerBitmap->GetScale(), pLayerBitmap->GetDrawScale(),
    NVG_IMAGE_PREMULTIPLIED);
  PushLayer(layer.get());
  nvgGlobalCompositeBlendFunc(mVG, NVG_ZERO, NVG_ZERO);
  PathRect(layer->Bounds());
  nvgFillColor(mVG, nvgRGBAf(0, 0, 0, 0));
  nvgFill(mVG);
  nvgGlobalCompositeOperation(mVG, NVG_SOURCE_OVER);
  nvgBeginPath(mVG);
  DrawBitmap(IBitmap(&image, 1, false), layer->Bounds(), 0, 0, nullptr);
  PopLayer();
}

void IGfxNanoVG::ApplyShadowMask(ILayerPtr& layer, IRawBitmapData& mask, const IShadow& shadow)
{
  const APIBitmap* pLayerBitmap = layer ? layer->GetAPIBitmap() : nullptr;
  if (!pLayerBitmap)
    return;
  const int w = pLayerBitmap->GetWidth(), h = pLayerBitmap->GetHeight();
  if (mask.GetSize() < w * h * 4)
    return;
  const IRECT bounds = layer->Bounds();
  if (!shadow.mDrawForeground)
  {
    PushLayer(layer.get());
    nvgGlobalCompositeBlendFunc(mVG, NVG_ZERO, NVG_ZERO);
    PathRect(bounds);
    nvgFillColor(mVG, nvgRGBAf(0, 0, 0, 0));
    nvgFill(mVG);
    nvgGlobalCompositeOperation(mVG, NVG_SOURCE_OVER);
    PopLayer();
  }
  Bitmap maskImage(mVG, w, h, mask.Get(), pLayerBitmap->GetScale(), pLayerBitmap->GetDrawScale());
  ILayer shadowLayer(std::unique_ptr<APIBitmap>(CreateAPIBitmap(w, h, pLayerBitmap->GetScale(),
                       pLayerBitmap->GetDrawScale())),
    bounds, nullptr, IRECT());
  const IBitmap maskBitmap(&maskImage, 1, false);
  const IBitmap shadowBitmap(shadowLayer.GetAPIBitmap(), 1, false);

  PathTransformSave();
  PushLayer(layer.get());
  PushLayer(&shadowLayer);
  DrawBitmap(maskBitmap, bounds, 0, 0, nullptr);
  PathRect(bounds);
  PathTransformTranslate(-shadow.mXOffset, -shadow.mYOffset);
  const IBlend sourceIn(kBlendSourceIn, 1.f);
  PathFill(shadow.mPattern, IFillOptions(), &sourceIn);
  PopLayer();
  const IBlend destOver(kBlendDestOver, std::clamp(shadow.mOpacity, 0.f, 1.f));
  DrawBitmap(shadowBitmap, bounds.GetTranslated(shadow.mXOffset, shadow.mYOffset), 0, 0, &destOver);
  PopLayer();
  PathTransformRestore();
}

// Bitmap loading -------------------------------------------------------------------------

bool IGfxNanoVG::BitmapExtSupported(const char* ext)
{
  std::string lower(ext ? ext : "");
  std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return char(std::tolower(c)); });
  return lower.find("png") != std::string::npos || lower.find("jpg") != std::string::npos ||
         lower.find("jpeg") != std::string::npos;
}

IBitmap IGfxNanoVG::LoadBitmap(const char* name, int nStates, bool framesAreHorizontal, int targetScale)
{
  if (!name)
    return IBitmap();
  if (targetScale == 0)
    targetScale = int(GetScreenScale());
  PK_Mutex::Scope lock(mBitmapCache.Lock());
  APIBitmap* pAPI = mBitmapCache.Find(name, targetScale);
  if (!pAPI)
  {
    const char* dot = strrchr(name, '.');
    const char* ext = dot ? dot + 1 : name;
    PK_String fullPath;
    int sourceScale = 0;
    const EResourceLocation location = SearchScaledResource(name, ext, fullPath, targetScale, sourceScale);
    if (location == kNotFound || !BitmapExtSupported(ext))
      return IBitmap();
    pAPI = mBitmapCache.Find(name, sourceScale);
    if (!pAPI)
    {
      std::unique_ptr<APIBitmap> loaded(LoadAPIBitmap(fullPath.Get(), sourceScale, location, ext));
      if (!loaded)
        return IBitmap();
      if (!mBitmapCache.Add(loaded.get(), name, sourceScale))
        return IBitmap();
      pAPI = loaded.release();
    }
  }
  return IBitmap(pAPI, nStates, framesAreHorizontal, name);
}

APIBitmap* IGfxNanoVG::LoadAPIBitmap(const char* fileNameOrResID, int scale, EResourceLocation location,
  const char* ext)
{
  int image = 0;
  if (location == kAbsolutePath && mVG)
  {
    ActivateDrawContext();
    image = nvgCreateImage(mVG, fileNameOrResID, 0);
    DeactivateDrawContext();
  }
  // A file that does not decode gives no bitmap, never one of unknown size.
  if (image <= 0)
    return nullptr;
  return new Bitmap(mVG, fileNameOrResID, image, location == kPreloadedTexture, float(scale));
}

APIBitmap* IGfxNanoVG::LoadAPIBitmap(const char* name, const void* pData, int dataSize, int scale)
{
  PK_Mutex::Scope lock(mBitmapCache.Lock());
  if (APIBitmap* pCached = mBitmapCache.Find(name, scale))
    return pCached;
  if (!mVG || !pData || dataSize <= 0)
    return nullptr;
  ActivateDrawContext();
  const int image =
    nvgCreateImageMem(mVG, 0, static_cast<unsigned char*>(const_cast<void*>(pData)), dataSize);
  DeactivateDrawContext();
  if (image <= 0)
    return nullptr;
  auto bitmap = std::make_unique<Bitmap>(mVG, name, image, false, float(scale));
  if (!mBitmapCache.Add(bitmap.get(), name, scale))
    return nullptr;
  return bitmap.release();
}

APIBitmap* IGfxNanoVG::CreateAPIBitmap(int width, int height, float scale, double drawScale, bool)
{
  if (!mVG)
    return nullptr;
  if (mInDraw)
    nvgEndFrame(mVG);
  auto* pBitmap = new Bitmap(this, mVG, width, height, int(scale), float(drawScale));
  if (mInDraw)
    BindAndBeginMainFrame();
  return pBitmap;
}

// Text and fonts ---------------------------------------------------------------------------

void IGfxNanoVG::PrepareAndMeasureText(const IText& text, const char* str, IRECT& r, float& x, float& y) const
{
  nvgFontBlur(mVG, 0.f);
  nvgFontSize(mVG, text.mSize);
  nvgFontFace(mVG, text.mFont);
  int align = 0;
  switch (text.mAlign)
  {
    case kNear: align = NVG_ALIGN_LEFT; x = r.L; break;
    case kCenter: align = NVG_ALIGN_CENTER; x = r.MW(); break;
    case kFar: align = NVG_ALIGN_RIGHT; x = r.R; break;
  }
  switch (text.mVAlign)
  {
    case kTop: align |= NVG_ALIGN_TOP; y = r.T; break;
    case kMiddle: align |= NVG_ALIGN_MIDDLE; y = r.MH(); break;
    case kBottom: align |= NVG_ALIGN_BOTTOM; y = r.B; break;
  }
  nvgTextAlign(mVG, align);
  // NanoVG writes nothing for a font it does not know: such text measures
  // as the anchor point.
  float bounds[4] = {x, y, x, y};
  nvgTextBounds(mVG, x, y, str, nullptr, bounds);
  r = IRECT(bounds[0], bounds[1], bounds[2], bounds[3]);
}

float IGfxNanoVG::DoMeasureText(const IText& text, const char* str, IRECT& bounds) const
{
  if (!mVG)
    return 0.f;
  float x = 0.f, y = 0.f;
  const IRECT area = bounds;
  PrepareAndMeasureText(text, str, bounds, x, y);
  MeasureTextRotation(text, area, bounds);
  return bounds.W();
}

void IGfxNanoVG::DoDrawText(const IText& text, const char* str, const IRECT& bounds, const IBlend* pBlend)
{
  if (!mVG)
    return;
  IRECT measured = bounds;
  float x = 0.f, y = 0.f;
  PrepareAndMeasureText(text, str, measured, x, y);
  PathTransformSave();
  if (text.mAngle != 0.f)
  {
    float tx = 0.f, ty = 0.f;
    CalculateTextRotation(text, bounds, measured, tx, ty);
    PathTransformTranslate(tx, ty);
    PathTransformRotate(text.mAngle);
  }
  nvgFillColor(mVG, NanoVGColor(text.mFGColor, pBlend));
  NanoVGSetBlendMode(mVG, pBlend);
  nvgText(mVG, x, y, str, nullptr);
  nvgGlobalCompositeOperation(mVG, NVG_SOURCE_OVER);
  PathTransformRestore();
}

bool IGfxNanoVG::LoadAPIFont(const char* fontID, const PlatformFont* pFont)
{
  if (!mVG || !fontID)
    return false;
  StaticStorage<IFontFileData>& storage = FontDataStorage();
  PK_Mutex::Scope lock(storage.Lock());
  if (IFontFileData* pCached = storage.Find(fontID))
  {
    nvgCreateFontMemAtIndex(mVG, fontID, pCached->GetSize() ? const_cast<uint8_t*>(pCached->Bytes()) : nullptr,
      pCached->GetSize(), 0, pCached->GetFaceIdx());
    return true;
  }
  std::unique_ptr<IFontFileData> data(pFont ? pFont->GetFontData() : nullptr);
  if (!data || data->GetSize() == 0 || data->GetFaceIdx() < 0 || !data->IsValid())
    return false;
  const int handle = nvgCreateFontMemAtIndex(mVG, fontID, const_cast<uint8_t*>(data->Bytes()), data->GetSize(), 0,
    data->GetFaceIdx());
  if (handle == -1 || !storage.Add(data.get(), fontID))
    return false;
  data.release();
  return true;
}

} // namespace plugkit::gfx
