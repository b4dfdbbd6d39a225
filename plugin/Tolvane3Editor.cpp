// The product's side of its editor: how the context and the layout are
// made, and how the controls follow the settings. Main thread only.
#include "plugin/Tolvane3.h"

#include "editor/EditorGraphics.h"
#include "editor/EditorLayout.h"

namespace tolvane3 {

namespace {

GraphicsFactory& Factory()
{
  static GraphicsFactory factory = MakeProductGraphics;
  return factory;
}

LayoutFunction& Layout()
{
  static LayoutFunction layout = LayoutPlugControls;
  return layout;
}

} // namespace

void SetEditorFunctions(GraphicsFactory factory, LayoutFunction layout)
{
  Factory() = factory ? std::move(factory) : GraphicsFactory(MakeProductGraphics);
  Layout() = layout ? std::move(layout) : LayoutFunction(LayoutPlugControls);
}

const GraphicsFactory& InstalledGraphicsFactory()
{
  return Factory();
}

const LayoutFunction& InstalledLayoutFunction()
{
  return Layout();
}

void Tolvane3::InitPlugControls()
{
  SetMakeGraphicsFunc([this]() -> plugkit::gfx::IGfx* {
    const GraphicsFactory& factory = InstalledGraphicsFactory();
    if (!factory)
      return nullptr;
    GraphicsRequest request;
    request.scale = static_cast<float>(mGUIScale.load());
    request.bundleId = GetBundleID();
    request.resourceSubPath = "Tolvane3";
    plugkit::gfx::IGfx* graphics = factory(*this, request);
    if (graphics)
      graphics->SetSharedResourcesSubPath(request.resourceSubPath);
    return graphics;
  });
  SetLayoutFunc([this](plugkit::gfx::IGfx* graphics) {
    const LayoutFunction& layout = InstalledLayoutFunction();
    if (layout && graphics)
      layout(*this, *graphics);
  });
}

void Tolvane3::LayoutDone()
{
  mLayoutDone = true;
  SyncEditor();
}

void Tolvane3::SyncEditor()
{
  plugkit::gfx::IGfx* graphics = GetGraphicsContext();
  if (!graphics || !mLayoutDone || graphics->NControls() < 1)
    return;
  graphics->EnableTooltips(mTooltips.load() > 0);

  plugkit::gfx::IControl* preDelay = graphics->GetControl(PreDelayControlIndex);
  plugkit::gfx::IControl* preDelayV1 = graphics->GetControl(PreDelayV1ControlIndex);
  bool classic = false;
  {
    std::lock_guard<std::recursive_mutex> lock(mDSPMutex);
    classic = mEngine.State().classicMode != 0;
  }
  if (preDelay)
    preDelay->Hide(classic);
  if (preDelayV1)
    preDelayV1->Hide(!classic);

  auto* scope = dynamic_cast<ScopeView*>(graphics->GetControl(ScopeControlIndex));
  if (!scope)
    return;
  auto value = [this](int idx) { return GetParam(idx)->Value(); };
  auto on = [&](int idx) { return static_cast<int>(value(idx)); };
  ScopeSettings settings;
  settings.xScale = value(kScopeXScale) / 100.0;
  settings.xOffset = value(kScopeXOffset) / 100.0;
  settings.yScale = value(kScopeYScale) / 100.0;
  settings.yOffset = value(kScopeYOffset) / 100.0;
  settings.input = on(kScopeInput);
  settings.output = on(kScopeOutput);
  settings.gain = on(kScopeGain);
  settings.ride = on(kScopeRide);
  settings.pause = on(kScopePause);
  settings.screen = on(kScopeScreen);
  settings.history = &mEngine.Scope();
  scope->SetScopeSettings(settings);
  PushScopeSettings();
}

void Tolvane3::PushScopeSettings()
{
  plugkit::gfx::IGfx* graphics = GetGraphicsContext();
  if (!graphics || !mLayoutDone)
    return;
  plugkit::gfx::IControl* control = graphics->GetControl(ScopeControlIndex);
  auto* scope = dynamic_cast<ScopeView*>(control);
  if (!scope)
    return;
  ScopeReferences refs;
  std::unique_lock<std::recursive_mutex> lock(mDSPMutex);
  const RideEngineState& s = mEngine.State();
  refs.targetLevelDb = s.targetLevelDb;
  refs.noiseLevelDb = s.noiseLevelDb;
  refs.rangeMinDb = s.rangeMinDb;
  refs.rangeMaxDb = s.rangeMaxDb;
  refs.idleGainDb = s.idleGainDb;
  refs.detectionMode = s.detectionMode;
  lock.unlock();
  scope->SetScopeReferences(refs);
  control->SetDirty(true, -1);
}

void Tolvane3::OnUIOpen()
{
  for (int i = 0; i < NParams(); ++i)
    SendParameterValueFromDelegate(i, GetParam(i)->GetNormalized(), true);
  mEditorOpen = true;
}

void Tolvane3::OnUIClose()
{
  mEditorOpen = false;
}

} // namespace tolvane3
