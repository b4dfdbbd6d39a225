// The transform stack, the clip, off-screen layers and their drop shadows.
#include <algorithm>
#include <cmath>

#include "graphics/IGfx.h"
#include "graphics/ShadowBlur.h"

namespace plugkit::gfx {

void IGfx::PathTransformSave()
{
  mTransformStates.push(mTransform);
}

void IGfx::PathTransformRestore()
{
  if (mTransformStates.empty())
    return;
  mTransform = mTransformStates.top();
  mTransformStates.pop();
  PathTransformSetMatrix(mTransform);
}

void IGfx::PathTransformReset(bool clearStates)
{
  if (clearStates)
    mTransformStates = std::stack<IMatrix>();
  mTransform = IMatrix();
  PathTransformSetMatrix(mTransform);
}

void IGfx::PathTransformTranslate(float x, float y)
{
  mTransform.Translate(x, y);
  PathTransformSetMatrix(mTransform);
}

void IGfx::PathTransformScale(float x, float y)
{
  mTransform.Scale(x, y);
  PathTransformSetMatrix(mTransform);
}

void IGfx::PathTransformScale(float scale)
{
  PathTransformScale(scale, scale);
}

void IGfx::PathTransformRotate(float angle)
{
  mTransform.Rotate(angle);
  PathTransformSetMatrix(mTransform);
}

void IGfx::PathTransformSkew(float xAngle, float yAngle)
{
  mTransform.Skew(xAngle, yAngle);
  PathTransformSetMatrix(mTransform);
}

void IGfx::PathTransformMatrix(const IMatrix& matrix)
{
  mTransform.Transform(matrix);
  PathTransformSetMatrix(mTransform);
}

void IGfx::PathClipRegion(const IRECT& r)
{
  const IRECT area = mLayers.empty() ? mClipRECT : mLayers.top()->Bounds();
  const IRECT clip = r.Empty() ? area : r.Intersect(area);
  // Clip rectangles are in untransformed points.
  PathTransformSetMatrix(IMatrix());
  SetClipRegion(clip);
  PathTransformSetMatrix(mTransform);
}

void IGfx::PushLayer(ILayer* pLayer)
{
  mLayers.push(pLayer);
  UpdateLayer();
  PathTransformReset();
  PathClipRegion(pLayer->Bounds());
  PathClear();
}

ILayer* IGfx::PopLayer()
{
  ILayer* pLayer = nullptr;
  if (!mLayers.empty())
  {
    pLayer = mLayers.top();
    mLayers.pop();
  }
  UpdateLayer();
  PathTransformReset();
  PathClipRegion();
  PathClear();
  return pLayer;
}

void IGfx::StartLayer(IControl* pControl, const IRECT& r, bool cacheable)
{
  const float s = GetTotalScale();
  const IRECT aligned = r.GetPixelAligned(s);
  const int w = static_cast<int>(std::ceil(std::ceil(aligned.W()) * s));
  const int h = static_cast<int>(std::ceil(std::ceil(aligned.H()) * s));
  std::unique_ptr<APIBitmap> bitmap(CreateAPIBitmap(w, h, GetScreenScale(), GetDrawScale(), cacheable));
  PushLayer(new ILayer(std::move(bitmap), aligned, pControl, pControl ? pControl->GetRECT() : IRECT()));
}

ILayerPtr IGfx::EndLayer()
{
  return ILayerPtr(PopLayer());
}

void IGfx::ResumeLayer(ILayerPtr& layer)
{
  if (layer)
    PushLayer(layer.release());
}

bool IGfx::CheckLayer(const ILayerPtr& layer)
{
  if (!layer || !layer->GetAPIBitmap())
    return false;
  if (layer->mControl && layer->mControl->GetRECT() != layer->mControlRECT)
  {
    layer->mControlRECT = layer->mControl->GetRECT();
    layer->Invalidate();
  }
  const APIBitmap* bitmap = layer->GetAPIBitmap();
  return !layer->mInvalid && bitmap->GetDrawScale() == GetDrawScale() && bitmap->GetScale() == GetScreenScale();
}

void IGfx::DrawLayer(const ILayerPtr& layer, const IBlend* pBlend)
{
  if (!layer || !layer->GetAPIBitmap())
    return;
  PathTransformSave();
  PathTransformReset();
  DrawBitmap(IBitmap(layer->GetAPIBitmap(), 1, false), layer->Bounds(), 0, 0, pBlend);
  PathTransformRestore();
}

void IGfx::DrawFittedLayer(const ILayerPtr& layer, const IRECT& bounds, const IBlend* pBlend)
{
  if (!layer || !layer->GetAPIBitmap())
    return;
  const float w = layer->Bounds().W(), h = layer->Bounds().H();
  if (!(w > 0.f) || !(h > 0.f))
    return;
  PathTransformSave();
  PathTransformTranslate(bounds.L, bounds.T);
  PathTransformScale(bounds.W() / w, bounds.H() / h);
  DrawBitmap(IBitmap(layer->GetAPIBitmap(), 1, false), IRECT(0.f, 0.f, w, h), 0, 0, pBlend);
  PathTransformRestore();
}

void IGfx::DrawRotatedLayer(const ILayerPtr& layer, double angle)
{
  if (!layer || !layer->GetAPIBitmap())
    return;
  PathTransformSave();
  PathTransformReset();
  DrawRotatedBitmap(IBitmap(layer->GetAPIBitmap(), 1, false), layer->Bounds().MW(), layer->Bounds().MH(),
    static_cast<float>(angle), nullptr);
  PathTransformRestore();
}

void IGfx::ApplyLayerDropShadow(ILayerPtr& layer, const IShadow& shadow)
{
  if (!layer || !layer->GetAPIBitmap())
    return;
  const APIBitmap* bitmap = layer->GetAPIBitmap();
  IRawBitmapData pixels;
  GetLayerBitmapData(layer, pixels);
  const int w = bitmap->GetWidth(), h = bitmap->GetHeight();
  if (pixels.GetSize() == 0 || w <= 0 || h <= 0 || pixels.GetSize() / 4 / w < h)
    return;
  IRawBitmapData scratch;
  if (!scratch.Resize(pixels.GetSize()) || scratch.GetSize() != pixels.GetSize())
    return;
  // The back-end's rows may be padded: they lie size / h apart, and the
  // transposed rows of the intermediate image size / w apart.
  const long rowBytes = pixels.GetSize() / h, scratchRowBytes = pixels.GetSize() / w;
  const float s = std::max(1.f, bitmap->GetScale() * bitmap->GetDrawScale() * shadow.mBlurSize + 1.f);
  BlurAlpha(pixels.Get(), rowBytes, scratch.Get(), scratchRowBytes, w, h, IsBitmapFlipped(), GetAlphaChannelIndex(),
    MakeShadowKernel(s));
  ApplyShadowMask(layer, pixels, shadow);
}

} // namespace plugkit::gfx
