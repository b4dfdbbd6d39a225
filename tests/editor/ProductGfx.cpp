#include "tests/editor/ProductGfx.h"

#include "StandIn/Bundles.h"
#include "framework/PathHelpers.h"

namespace editortest {

ProductGfx::ProductGfx(IGEditorDelegate& dlg, const tolvane3::GraphicsRequest& request)
  : RecordingGfx(dlg, request.width, request.height, request.fps, request.scale), mBundleId(request.bundleId)
{
}

std::unique_ptr<PlatformFont> ProductGfx::LoadPlatformFont(const char* fontID, const char* fileNameOrResID)
{
  PK_String path;
  if (!plugkit::LocateResource(fileNameOrResID, "ttf", path, GetBundleID(), GetSharedResourcesSubPath()))
    return nullptr;
  loadedFontPath = path.Get();
  return RecordingGfx::LoadPlatformFont(fontID, path.Get());
}

std::string BundleRoot()
{
  return TOLVANE3_BUNDLE_ROOT;
}

void RegisterProductBundle()
{
  standin::RegisterBundle({"com.kestrova.audiounit.Tolvane3", "3.0.28", BundleRoot(), "Tolvane3"});
}

void InstallProductGfx(std::function<void(const tolvane3::GraphicsRequest&)> made)
{
  tolvane3::SetEditorFunctions(
    [made](IGEditorDelegate& dlg, const tolvane3::GraphicsRequest& r) -> IGfx* {
      if (made)
        made(r);
      return new ProductGfx(dlg, r);
    },
    nullptr);
}

} // namespace editortest
