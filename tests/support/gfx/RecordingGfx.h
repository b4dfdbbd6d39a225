#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "graphics/IGfx.h"
#include "tests/support/gfx/ScriptedPlatform.h"

namespace gfxtest {

using namespace plugkit::gfx;

// An image in memory: RGBA bytes, top row first, with the file it came
// from (empty for a made one).
class MemoryBitmap : public APIBitmap
{
public:
  MemoryBitmap(int width, int height, float scale, float drawScale, std::string source = "")
    : APIBitmap(width, height, scale, drawScale)
    , rgba(static_cast<size_t>(width) * static_cast<size_t>(height) * 4u, 0)
    , source(std::move(source))
  {
  }
  std::vector<uint8_t> rgba;
  std::string source;
};

// One call the context made of the back-end or the platform. Points are
// recorded as given (args) and also mapped through the transform in force
// into editor coordinates (editorPts, x and y alternating).
struct GfxCall
{
  std::string name;
  std::vector<float> args;
  std::vector<float> editorPts;
  std::string text;
  IRECT clip;
  IPattern pattern = IPattern(kColorTransparent);
  IBlend blend;
  IStrokeOptions stroke;
  IFillOptions fill;
};

// A graphics context without a screen: it records every drawing call with
// its arguments, keeps images as RGBA bytes in memory (PNG and JPEG files
// decoded, disk loads counted), measures text deterministically and answers
// every platform question from a script. Opening the window behaves toward
// the delegate as the platform does.
//
// Text measures 0.5 x size per UTF-8 code point wide and size high, placed
// in the bounds by the style's alignments (and rotated by its angle).
class RecordingGfx : public ScriptedPlatform<IGfx>
{
public:
  RecordingGfx(IGEditorDelegate& dlg, int w, int h, int fps = 60, float scale = 1.f);
  ~RecordingGfx() override;

  // Back-end.
  void BeginFrame() override
  {
    IGfx::BeginFrame();
    Log("BeginFrame");
  }
  void EndFrame() override { Log("EndFrame"); }
  const char* GetDrawingAPIStr() override { return "Recording"; }
  bool BitmapExtSupported(const char* ext) override;
  void PathClear() override { Log("PathClear"); }
  void PathClose() override { Log("PathClose"); }
  void PathArc(float cx, float cy, float r, float a1, float a2, EWinding winding) override;
  void PathMoveTo(float x, float y) override { LogPoints("PathMoveTo", {x, y}); }
  void PathLineTo(float x, float y) override { LogPoints("PathLineTo", {x, y}); }
  void PathSetWinding(bool clockwise) override;
  void PathCubicBezierTo(float c1x, float c1y, float c2x, float c2y, float x2, float y2) override
  {
    LogPoints("PathCubicBezierTo", {c1x, c1y, c2x, c2y, x2, y2});
  }
  void PathQuadraticBezierTo(float cx, float cy, float x2, float y2) override
  {
    LogPoints("PathQuadraticBezierTo", {cx, cy, x2, y2});
  }
  void PathStroke(const IPattern& pattern, float thickness, const IStrokeOptions& options,
    const IBlend* pBlend) override;
  void PathFill(const IPattern& pattern, const IFillOptions& options, const IBlend* pBlend) override;
  void PathTransformSetMatrix(const IMatrix& m) override;
  void CompleteControlDraw(const IRECT& clip) override;
  void SetClipRegion(const IRECT& r) override;
  void DrawBitmap(const IBitmap& bitmap, const IRECT& dest, int srcX, int srcY, const IBlend* pBlend) override;
  float DoMeasureText(const IText& text, const char* str, IRECT& bounds) const override;
  void DoDrawText(const IText& text, const char* str, const IRECT& bounds, const IBlend* pBlend) override;
  void GetLayerBitmapData(const ILayerPtr& layer, IRawBitmapData& data) override;
  void ApplyShadowMask(ILayerPtr& layer, IRawBitmapData& mask, const IShadow& shadow) override;
  void SetLayerBitmapData(const ILayerPtr& layer, const IRawBitmapData& data) override;
  void UpdateLayer() override { Log("UpdateLayer"); }
  bool IsBitmapFlipped() const override { return flipped; }
  APIBitmap* LoadAPIBitmap(const char* fileNameOrResID, int scale, EResourceLocation location,
    const char* ext) override;
  APIBitmap* LoadAPIBitmap(const char* name, const void* pData, int dataSize, int scale) override;
  APIBitmap* CreateAPIBitmap(int width, int height, float scale, double drawScale, bool cacheable) override;
  bool LoadAPIFont(const char* fontID, const PlatformFont* pFont) override;

  // Platform: the window and fonts; the rest answers from the script.
  void* OpenWindow(void* pParent) override;
  void CloseWindow() override;
  void* GetWindow() override { return mWindowOpen ? this : nullptr; }
  bool IsContextReady() const override { return script.contextReady; }
  void SetContextReady(bool ready) override { script.contextReady = ready; }
  const char* GetPlatformAPIStr() override { return "Recording"; }
  std::unique_ptr<PlatformFont> LoadPlatformFont(const char* fontID, const char* fileNameOrResID) override;
  std::unique_ptr<PlatformFont> LoadPlatformFont(const char* fontID, const void* pData, int dataSize) override;
  void CachePlatformFont(const char* fontID, const PlatformFont* pFont) override;
  void PlatformResize(bool parentHasResized) override { platformResizes.push_back(parentHasResized); }
  void DrawResize() override { ++drawResizes; }

  // Test seams into the event state a platform view would drive.
  void Capture(ITouchID touch, IControl* pControl) { mCapturedMap[touch] = pControl; }
  void SetMouseOverControl(IControl* pControl) { SetMouseOver(pControl); }
  void SetCallers(IControl* pTextEntryCaller, IControl* pPopupCaller)
  {
    SetPromptCallers(pTextEntryCaller, pTextEntryCaller ? 0 : -1, pPopupCaller, pPopupCaller ? 0 : -1);
  }
  const IMatrix& CurrentMatrix() const { return mRecordedMatrix; }
  const IRECT& CurrentClip() const { return mRecordedClip; }

  // The calls of one name, in order.
  std::vector<GfxCall> CallsNamed(const std::string& name) const;

  bool logging = true;
  bool flipped = false;
  std::vector<GfxCall> calls;

  int diskLoads = 0;
  int drawResizes = 0;
  std::vector<bool> platformResizes;
  std::vector<std::string> fontsRegistered, fontsCached;
  int openWindowCalls = 0;
  int closeWindowCalls = 0;

private:
  void Log(const char* name) { LogPoints(name, {}); }
  void LogPoints(const char* name, std::initializer_list<float> pts);
  GfxCall& Append(const char* name);

  IMatrix mRecordedMatrix;
  IRECT mRecordedClip;
  bool mWindowOpen = false;
};

} // namespace gfxtest
