#include "tests/support/gfx/HeadlessNanoVGGfx.h"

#include "StandIn/Gpu.h"
#include "graphics/platform/CoreTextFont.h"

namespace gfxtest {

HeadlessNanoVGGfx::HeadlessNanoVGGfx(IGEditorDelegate& dlg, int w, int h, float drawScale, float screenScale)
  : ScriptedPlatform<IGfxNanoVG>(dlg, w, h, 60, drawScale), mOpenScreenScale(screenScale)
{
  auto& descriptors = CoreTextFontDescriptorStorage();
  PK_Mutex::Scope lock(descriptors.Lock());
  descriptors.Retain();
}

HeadlessNanoVGGfx::~HeadlessNanoVGGfx()
{
  CloseWindow();
  auto& descriptors = CoreTextFontDescriptorStorage();
  PK_Mutex::Scope lock(descriptors.Lock());
  descriptors.Release();
}

void* HeadlessNanoVGGfx::OpenWindow(void*)
{
  standin::SetGpuSynchronous(true);
  mLayer = MakeStrong<CAMetalLayer>();
  OnViewInitialized(mLayer.get());
  if (!script.contextReady)
    SetContextReady(false);
  SetScreenScale(mOpenScreenScale);
  return mLayer.get();
}

void HeadlessNanoVGGfx::CloseWindow()
{
  if (!mLayer)
    return;
  OnViewDestroyed();
  mLayer = Strong<CAMetalLayer>();
}

void HeadlessNanoVGGfx::PlatformResize(bool)
{
  // The view's backing is the frame's size in device pixels.
  if (mLayer)
    mLayer->setDrawableSize(int(Width() * GetDrawScale()) * GetScreenScale(),
      int(Height() * GetDrawScale()) * GetScreenScale());
}

std::unique_ptr<PlatformFont> HeadlessNanoVGGfx::LoadPlatformFont(const char* fontID, const char* fileNameOrResID)
{
  return LoadCoreTextFontFromFile(fontID, fileNameOrResID, GetBundleID(), GetSharedResourcesSubPath());
}

std::unique_ptr<PlatformFont> HeadlessNanoVGGfx::LoadPlatformFont(const char* fontID, const void* pData, int size)
{
  return LoadCoreTextFontFromMemory(fontID, pData, size);
}

std::unique_ptr<PlatformFont> HeadlessNanoVGGfx::LoadPlatformFont(const char* fontID, const char* fontName,
  ETextStyle style)
{
  return LoadCoreTextFontFromFamily(fontID, fontName, style);
}

void HeadlessNanoVGGfx::CachePlatformFont(const char* fontID, const PlatformFont* pFont)
{
  CacheCoreTextFontDescriptor(fontID, pFont);
}

std::vector<uint8_t> HeadlessNanoVGGfx::Presented(int& width, int& height) const
{
  width = height = 0;
  return mLayer ? mLayer->lastPresentedImage(&width, &height) : std::vector<uint8_t>();
}

IColor HeadlessNanoVGGfx::PresentedAt(const std::vector<uint8_t>& rgba, int width, int x, int y) const
{
  const size_t i = (size_t(y) * size_t(width) + size_t(x)) * 4;
  if (x < 0 || y < 0 || x >= width || i + 3 >= rgba.size())
    return IColor(0, 0, 0, 0);
  return IColor(rgba[i + 3], rgba[i], rgba[i + 1], rgba[i + 2]);
}

} // namespace gfxtest
