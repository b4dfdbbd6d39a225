// The product's editor window: 1008 x 584 points of film-strip knobs and
// switches, the plug-in menu, the update icon, the loudness scope and the
// resize corner, with the fonts and pictures of the plug-in's bundle.
//
// Main thread only. The graphics context owns every control made here.
#pragma once

#include "graphics/IGfx.h"

namespace tolvane3 {

class Tolvane3;

// Fills a new context with the editor's controls. Does nothing but clear
// the plug-in's has-UI flag when the context cannot draw, and nothing at
// all when the context already holds controls (the call after a resize).
// Ends by telling the plug-in, which then hands the controls its settings.
void LayoutPlugControls(Tolvane3& plug, plugkit::gfx::IGfx& graphics);

// Where the plug-in menu's "Changelog ..." leads.
const char* ChangelogAddress();

} // namespace tolvane3
