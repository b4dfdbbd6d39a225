#include "editor/EditorGraphics.h"

#include "graphics/platform/IGfxMac.h"

namespace tolvane3 {

plugkit::gfx::IGfx* MakeProductGraphics(plugkit::gfx::IGEditorDelegate& plug, const GraphicsRequest& request)
{
  auto* graphics = new plugkit::gfx::IGfxMac(plug, request.width, request.height, request.fps, request.scale);
  graphics->SetBundleID(request.bundleId);
  return graphics;
}

} // namespace tolvane3
