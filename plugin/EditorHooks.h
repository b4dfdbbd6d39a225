// What the product needs of its editor, kept abstract so the product does
// not depend on the editor's controls: the scope takes its settings through
// ScopeView, a preset menu exposes its chosen file through
// PresetMenuSelection, and the context and the layout are made by functions
// the editor installs (GraphicsFactory, LayoutFunction). Until an editor is
// installed the factory makes none and the plug-in runs without one.
//
// Everything here runs on the main thread.
#pragma once

#include <functional>

#include "framework/IGEditorDelegate.h"
#include "graphics/IGfx.h"

class ScopeHistory;

namespace tolvane3 {

class Tolvane3;

// The settings the scope draws with, as fractions and switches.
struct ScopeSettings
{
  // Scale and offset of each axis, 0..1 (the scope derives its view).
  double xScale = 1.0, xOffset = 0.0, yScale = 1.0, yOffset = 1.0;
  int input = 1, output = 1, gain = 1, ride = 1, pause = 0, screen = 1;
  const ScopeHistory* history = nullptr;
};

// The reference levels drawn over the curves.
struct ScopeReferences
{
  double targetLevelDb = -18.0, noiseLevelDb = -48.0, rangeMinDb = -9.0, rangeMaxDb = 9.0, idleGainDb = 0.0;
  int detectionMode = 0;
};

class ScopeView
{
public:
  virtual ~ScopeView() = default;
  virtual void SetScopeSettings(const ScopeSettings& settings) = 0;
  virtual void SetScopeReferences(const ScopeReferences& references) = 0;
};

class PresetMenuSelection
{
public:
  virtual ~PresetMenuSelection() = default;
  // The chosen preset file; "" when none.
  virtual const char* SelectedPresetPath() const = 0;
};

// The values a context is made with.
struct GraphicsRequest
{
  int width = 1008;
  int height = 584;
  int fps = 60;
  float scale = 1.f;
  const char* bundleId = "";      // where the context finds its resources
  const char* resourceSubPath = ""; // the shared resource sub-folder
};
// (plug-in, request) -> a new context, or null.
using GraphicsFactory = std::function<plugkit::gfx::IGfx*(plugkit::gfx::IGEditorDelegate&, const GraphicsRequest&)>;
// Builds the controls; ends by calling Tolvane3::LayoutDone.
using LayoutFunction = std::function<void(Tolvane3& plug, plugkit::gfx::IGfx& graphics)>;

// Installed once per process (tests install fakes). A null factory or
// layout restores the product's own (MakeProductGraphics,
// LayoutPlugControls).
void SetEditorFunctions(GraphicsFactory factory, LayoutFunction layout);
const GraphicsFactory& InstalledGraphicsFactory();
const LayoutFunction& InstalledLayoutFunction();

} // namespace tolvane3
