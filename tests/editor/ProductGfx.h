// The product's editor on the recording back-end, for the editor's tests,
// its benchmark and the snapshot tool: a recording context that finds its
// resources in the built bundle, installed as the product's factory.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "plugin/EditorHooks.h"
#include "tests/support/gfx/RecordingGfx.h"

namespace editortest {

using namespace plugkit::gfx;

// The recording context with what the product's factory gives a context:
// the bundle it finds its resources in. Fonts are found as the platform
// finds them, through the bundle.
class ProductGfx : public gfxtest::RecordingGfx
{
public:
  ProductGfx(IGEditorDelegate& dlg, const tolvane3::GraphicsRequest& request);
  const char* GetBundleID() override { return mBundleId.c_str(); }
  std::unique_ptr<PlatformFont> LoadPlatformFont(const char* fontID, const char* fileNameOrResID) override;
  using RecordingGfx::LoadPlatformFont;

  std::string loadedFontPath;

private:
  std::string mBundleId;
};

// The built bundle's folder, and its registration with the stand-in layer
// under the product's identifier.
std::string BundleRoot();
void RegisterProductBundle();

// Makes the product open its editor on a ProductGfx; made (may be null) is
// told the values of every context made. The layout is the product's own.
void InstallProductGfx(std::function<void(const tolvane3::GraphicsRequest&)> made = nullptr);

} // namespace editortest
