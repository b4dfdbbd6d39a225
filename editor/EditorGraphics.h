// The product's make-graphics function: the editor's context is the macOS
// platform's, at the size, frame rate and scale asked for, finding its
// resources through the plug-in's bundle. Main thread only.
#pragma once

#include "plugin/EditorHooks.h"

namespace tolvane3 {

plugkit::gfx::IGfx* MakeProductGraphics(plugkit::gfx::IGEditorDelegate& plug, const GraphicsRequest& request);

} // namespace tolvane3
