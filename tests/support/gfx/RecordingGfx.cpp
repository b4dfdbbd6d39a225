#include "tests/support/gfx/RecordingGfx.h"

#include <strings.h>

#include <cstring>

#include "graphics/TextRotation.h"
#include "tests/support/gfx/ImageDecoding.h"

namespace gfxtest {

namespace {

int CodePoints(const char* str)
{
  int n = 0;
  for (const char* p = str ? str : ""; *p; ++p)
    if ((static_cast<unsigned char>(*p) & 0xC0) != 0x80)
      ++n;
  return n;
}

MemoryBitmap* MemoryOf(const ILayerPtr& layer)
{
  return layer ? dynamic_cast<MemoryBitmap*>(layer->GetAPIBitmap()) : nullptr;
}

} // namespace

RecordingGfx::RecordingGfx(IGEditorDelegate& dlg, int w, int h, int fps, float scale)
  : ScriptedPlatform<IGfx>(dlg, w, h, fps, scale)
{
}

RecordingGfx::~RecordingGfx() = default;

GfxCall& RecordingGfx::Append(const char* name)
{
  calls.emplace_back();
  calls.back().name = name;
  calls.back().clip = mRecordedClip;
  return calls.back();
}

void RecordingGfx::LogPoints(const char* name, std::initializer_list<float> pts)
{
  if (!logging)
    return;
  GfxCall& call = Append(name);
  call.args.assign(pts);
  for (size_t i = 0; i + 1 < call.args.size(); i += 2)
  {
    double x = call.args[i], y = call.args[i + 1];
    mRecordedMatrix.TransformPoint(x, y);
    call.editorPts.push_back(static_cast<float>(x));
    call.editorPts.push_back(static_cast<float>(y));
  }
}

std::vector<GfxCall> RecordingGfx::CallsNamed(const std::string& name) const
{
  std::vector<GfxCall> out;
  for (const GfxCall& c : calls)
    if (c.name == name)
      out.push_back(c);
  return out;
}

bool RecordingGfx::BitmapExtSupported(const char* ext)
{
  return ext && (!strcasecmp(ext, "png") || !strcasecmp(ext, "jpg") || !strcasecmp(ext, "jpeg"));
}

void RecordingGfx::PathArc(float cx, float cy, float r, float a1, float a2, EWinding winding)
{
  LogPoints("PathArc", {cx, cy});
  if (logging)
    calls.back().args.insert(calls.back().args.end(), {r, a1, a2, static_cast<float>(winding)});
}

void RecordingGfx::PathSetWinding(bool clockwise)
{
  if (!logging)
    return;
  Append("PathSetWinding").args = {clockwise ? 1.f : 0.f};
}

void RecordingGfx::PathStroke(const IPattern& pattern, float thickness, const IStrokeOptions& options,
  const IBlend* pBlend)
{
  if (!logging)
    return;
  GfxCall& call = Append("PathStroke");
  call.args = {thickness};
  call.pattern = pattern;
  call.stroke = options;
  call.blend = pBlend ? *pBlend : IBlend();
}

void RecordingGfx::PathFill(const IPattern& pattern, const IFillOptions& options, const IBlend* pBlend)
{
  if (!logging)
    return;
  GfxCall& call = Append("PathFill");
  call.pattern = pattern;
  call.fill = options;
  call.blend = pBlend ? *pBlend : IBlend();
}

void RecordingGfx::PathTransformSetMatrix(const IMatrix& m)
{
  mRecordedMatrix = m;
  if (logging)
    Append("PathTransformSetMatrix").args = {static_cast<float>(m.mXX), static_cast<float>(m.mYX),
      static_cast<float>(m.mXY), static_cast<float>(m.mYY), static_cast<float>(m.mTX), static_cast<float>(m.mTY)};
}

void RecordingGfx::CompleteControlDraw(const IRECT& clip)
{
  if (logging)
    Append("CompleteControlDraw").args = {clip.L, clip.T, clip.R, clip.B};
}

void RecordingGfx::SetClipRegion(const IRECT& r)
{
  mRecordedClip = r;
  if (logging)
    Append("SetClipRegion").args = {r.L, r.T, r.R, r.B};
}

void RecordingGfx::DrawBitmap(const IBitmap& bitmap, const IRECT& dest, int srcX, int srcY, const IBlend* pBlend)
{
  LogPoints("DrawBitmap", {dest.L, dest.T, dest.R, dest.B});
  if (!logging)
    return;
  GfxCall& call = calls.back();
  call.args.insert(call.args.end(), {static_cast<float>(srcX), static_cast<float>(srcY)});
  call.text = bitmap.GetResourceName();
  call.blend = pBlend ? *pBlend : IBlend();
}

float RecordingGfx::DoMeasureText(const IText& text, const char* str, IRECT& bounds) const
{
  const float w = 0.5f * text.mSize * static_cast<float>(CodePoints(str));
  const float h = text.mSize;
  const IRECT area = bounds;
  const float l = text.mAlign == kNear ? area.L : text.mAlign == kCenter ? area.MW() - 0.5f * w : area.R - w;
  const float t = text.mVAlign == kTop ? area.T : text.mVAlign == kMiddle ? area.MH() - 0.5f * h : area.B - h;
  bounds = IRECT(l, t, l + w, t + h);
  MeasureTextRotation(text, area, bounds);
  return bounds.W();
}

void RecordingGfx::DoDrawText(const IText& text, const char* str, const IRECT& bounds, const IBlend* pBlend)
{
  LogPoints("DoDrawText", {bounds.L, bounds.T, bounds.R, bounds.B});
  if (!logging)
    return;
  calls.back().text = str ? str : "";
  calls.back().pattern = IPattern(text.mFGColor);
  calls.back().blend = pBlend ? *pBlend : IBlend();
}

void RecordingGfx::GetLayerBitmapData(const ILayerPtr& layer, IRawBitmapData& data)
{
  MemoryBitmap* bitmap = MemoryOf(layer);
  if (!bitmap)
    return;
  const int w = bitmap->GetWidth(), h = bitmap->GetHeight();
  data.Resize(w * h * 4);
  if (data.GetSize() != w * h * 4 || !data.Get())
    return;
  // A flipped back-end hands its rows bottom up.
  for (int y = 0; y < h; ++y)
  {
    const int from = flipped ? h - 1 - y : y;
    std::memcpy(data.Get() + y * w * 4, bitmap->rgba.data() + from * w * 4, static_cast<size_t>(w) * 4u);
  }
}

void RecordingGfx::SetLayerBitmapData(const ILayerPtr& layer, const IRawBitmapData& data)
{
  MemoryBitmap* bitmap = MemoryOf(layer);
  if (!bitmap)
    return;
  const int w = bitmap->GetWidth(), h = bitmap->GetHeight();
  if (data.GetSize() < w * h * 4 || !data.Get())
    return;
  for (int y = 0; y < h; ++y)
  {
    const int to = flipped ? h - 1 - y : y;
    std::memcpy(bitmap->rgba.data() + to * w * 4, data.Get() + y * w * 4, static_cast<size_t>(w) * 4u);
  }
}

void RecordingGfx::ApplyShadowMask(ILayerPtr& layer, IRawBitmapData& mask, const IShadow& shadow)
{
  if (!logging)
    return;
  GfxCall& call = Append("ApplyShadowMask");
  call.pattern = shadow.mPattern;
  call.args = {shadow.mBlurSize, shadow.mXOffset, shadow.mYOffset, shadow.mOpacity};
  // The mask's alpha bytes, so a test can read the blur.
  for (int i = GetAlphaChannelIndex(); i < mask.GetSize(); i += 4)
    call.text.push_back(static_cast<char>(mask.Get()[i]));
}

APIBitmap* RecordingGfx::LoadAPIBitmap(const char* fileNameOrResID, int scale, EResourceLocation location,
  const char* ext)
{
  if (location != kAbsolutePath)
    return nullptr;
  ++diskLoads;
  return DecodeImageFile(fileNameOrResID, scale).release();
}

APIBitmap* RecordingGfx::LoadAPIBitmap(const char* name, const void* pData, int dataSize, int scale)
{
  return DecodeImageMemory(pData, dataSize, scale, name).release();
}

APIBitmap* RecordingGfx::CreateAPIBitmap(int width, int height, float scale, double drawScale, bool cacheable)
{
  if (width <= 0 || height <= 0)
    return nullptr;
  return new MemoryBitmap(width, height, scale, static_cast<float>(drawScale));
}

bool RecordingGfx::LoadAPIFont(const char* fontID, const PlatformFont* pFont)
{
  if (!pFont || pFont->GetSize() <= 0)
    return false;
  fontsRegistered.push_back(fontID ? fontID : "");
  return true;
}

} // namespace gfxtest
