#include <fstream>
#include <iterator>

#include "framework/IGEditorDelegate.h"
#include "tests/support/gfx/RecordingGfx.h"

namespace gfxtest {

void* RecordingGfx::OpenWindow(void* pParent)
{
  ++openWindowCalls;
  mWindowOpen = true;
  IGEditorDelegate* dlg = GetDelegate();
  dlg->SetUIReady(IsContextReady());
  dlg->LayoutUI(this);
  dlg->OnUIOpen();
  return this;
}

void RecordingGfx::CloseWindow()
{
  ++closeWindowCalls;
  const bool wasOpen = mWindowOpen;
  mWindowOpen = false;
  // Removing the view tells the delegate, as the platform view does; the
  // delegate ignores that re-entry while it is closing.
  if (wasOpen)
    GetDelegate()->CloseWindow();
}

std::unique_ptr<PlatformFont> RecordingGfx::LoadPlatformFont(const char* fontID, const char* fileNameOrResID)
{
  std::ifstream in(fileNameOrResID ? fileNameOrResID : "", std::ios::binary);
  if (!in)
    return nullptr;
  const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  return std::make_unique<PlatformFont>(bytes.data(), static_cast<int>(bytes.size()));
}

std::unique_ptr<PlatformFont> RecordingGfx::LoadPlatformFont(const char* fontID, const void* pData, int dataSize)
{
  if (!pData || dataSize <= 0)
    return nullptr;
  return std::make_unique<PlatformFont>(pData, dataSize);
}

void RecordingGfx::CachePlatformFont(const char* fontID, const PlatformFont* pFont)
{
  fontsCached.push_back(fontID ? fontID : "");
}

} // namespace gfxtest
