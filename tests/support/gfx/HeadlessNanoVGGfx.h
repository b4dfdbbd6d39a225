#pragma once

// The NanoVG back-end without a window: a stand-in Metal layer in place of
// the view, the platform's answers from a script, fonts through the CoreText
// loaders as the macOS platform loads them. Opening runs what the view
// does (context on the layer, screen scale, resize); tests then draw frames
// and read the drawable the layer presented.

#include <cstdint>
#include <vector>

#include "QuartzCore/CAMetalLayer.h"
#include "graphics/platform/IGfxNanoVG.h"
#include "tests/support/gfx/ScriptedPlatform.h"

namespace gfxtest {

class HeadlessNanoVGGfx : public ScriptedPlatform<IGfxNanoVG>
{
public:
  HeadlessNanoVGGfx(IGEditorDelegate& dlg, int w, int h, float drawScale = 1.f, float screenScale = 1.f);
  ~HeadlessNanoVGGfx() override;

  void* OpenWindow(void* pParent) override;
  void CloseWindow() override;
  void* GetWindow() override { return mLayer ? mLayer.get() : nullptr; }
  const char* GetPlatformAPIStr() override { return "Headless"; }
  void PlatformResize(bool parentHasResized) override;
  using IGfxNanoVG::GetMainFrameBuffer;

  std::unique_ptr<PlatformFont> LoadPlatformFont(const char* fontID, const char* fileNameOrResID) override;
  std::unique_ptr<PlatformFont> LoadPlatformFont(const char* fontID, const void* pData, int dataSize) override;
  std::unique_ptr<PlatformFont> LoadPlatformFont(const char* fontID, const char* fontName, ETextStyle style) override;
  void CachePlatformFont(const char* fontID, const PlatformFont* pFont) override;

  // The last presented drawable as RGBA rows, with its size.
  std::vector<uint8_t> Presented(int& width, int& height) const;
  // One pixel of the presented drawable; all 0 outside.
  IColor PresentedAt(const std::vector<uint8_t>& rgba, int width, int x, int y) const;

private:
  float mOpenScreenScale;
  Strong<CAMetalLayer> mLayer;
};

} // namespace gfxtest
