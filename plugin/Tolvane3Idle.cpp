// The product's idle work: what must run on the main thread, every 20 ms.
#include <algorithm>
#include <cmath>

#include "graphics/controls/IPopupMenuControl.h"
#include "plugin/Tolvane3.h"
#include "plugin/UpdateCheck.h"

namespace tolvane3 {

namespace {

constexpr const char* kVersionText = "3.0.28";

// Hosts that record a parameter's automation only between gestures.
bool FramesAutomationWithGestures(int host)
{
  return host == plugkit::kHostCakewalk || host == plugkit::kHostLogic || host == plugkit::kHostGarageBand ||
         host == plugkit::kHostBitwig;
}

} // namespace

void Tolvane3::OnIdle()
{
  // Block processing reports the latency to one host; the others hear of it
  // here.
  if (GetHost() != plugkit::kHostProTools && mLatencyWanted.load() != GetLatency())
    ApplyLatency(mLatencyWanted.load());
  WriteAutomation();
  if (mEditorSyncPending.exchange(false))
    SyncEditor();
  if (!mEditorOpen)
    return;

  ServeResize();
  AutomaticUpdateCheck();
  if (mAboutPending.exchange(false))
    ShowAboutBox();
  if (mUpdateCheckPending.exchange(false))
  {
    char key[1024];
    ProductKey(GetProductName(), key, sizeof(key));
    UpdateState().UpdateAvailable = ShowUpdateResult(key, kVersionText);
  }
  ServeUpdateIcon();
  if (mMessagePending.exchange(false))
    if (plugkit::gfx::IGfx* graphics = GetUI())
      graphics->ShowMessageBox(mMessageText.Get(), mMessageCaption.Get(), plugkit::gfx::kMB_OK, nullptr);
  // The flag is served even when the scope is missing.
  if (mScopeRedrawPending.exchange(false))
    PushScopeSettings();
}

// Block processing asks for a point every automation period; in Idle and
// Read the request waits, so the first tick in Write sends at once.
void Tolvane3::WriteAutomation()
{
  RideEngineState& s = mEngine.State();
  if (!s.automationWritePending.load())
    return;
  {
    // The mode is a plain field that parameter changes write under the lock.
    std::lock_guard<std::recursive_mutex> lock(mDSPMutex);
    if (s.automationMode != RideEngineState::kAutomationWrite)
      return;
  }
  s.automationWritePending.store(false);
  const plugkit::IParam* param = GetParam(kCurrentGain);
  double g = mEngine.CurrentGainDb();
  if (param->GetStepped())
    g = std::round(g / 0.01) * 0.01;
  g = std::clamp(g, -24.0, 24.0);
  const double normalized = std::clamp(param->ToNormalized(g), 0.0, 1.0);

  const bool gestures = FramesAutomationWithGestures(GetHost());
  if (gestures)
    NotifyHostGestureBegin(kCurrentGain);
  SendParameterValueFromUI(kCurrentGain, false, normalized);
  if (gestures)
    NotifyHostGestureEnd(kCurrentGain);
}

// A resize under an open drawn menu would move it away from its anchor: it
// waits until the menu has closed.
void Tolvane3::ServeResize()
{
  plugkit::gfx::IGfx* graphics = GetUI();
  if (!graphics || !mResizePending.load())
    return;
  if (const plugkit::gfx::IPopupMenuControl* menu = graphics->GetPopupMenuControl(); menu && menu->GetState() > 0)
    return;
  mResizePending.store(false);
  graphics->Resize(1008, 584, static_cast<float>(mGUIScale.load()), true);
}

// Once per process, silently: its only trace is the update icon.
void Tolvane3::AutomaticUpdateCheck()
{
  ProcessUpdateState& state = UpdateState();
  if (mOnlineUpdateCheck.load() < 1 || state.UpdateCheckDone)
    return;
  state.UpdateCheckDone = true;
  char key[1024];
  ProductKey(GetProductName(), key, sizeof(key));
  PK_String url;
  VersionCheckAddress(key, url);
  mPathText.Set("");
  int code = -1;
  state.UpdateAvailable = CheckForUpdate(kVersionText, url.Get(), mPathText, code) == kUpdateAvailable;
}

bool Tolvane3::ShowUpdateResult(const char* productKey, const char* version)
{
  PK_String url;
  VersionCheckAddress(productKey, url);
  mPathText.Set("");
  int code = -1;
  const UpdateCheckResult result = CheckForUpdate(version, url.Get(), mPathText, code);
  if (plugkit::gfx::IGfx* graphics = GetUI())
    graphics->ShowMessageBox(UpdateResultText(result), "Check for update", plugkit::gfx::kMB_OK, nullptr);
  return result == kUpdateAvailable;
}

// Lights or clears the icon to follow the last check of any instance. Until
// the layout is done the icon's index may name another control, or none.
void Tolvane3::ServeUpdateIcon()
{
  plugkit::gfx::IGfx* graphics = GetUI();
  plugkit::gfx::IControl* icon =
    graphics && mLayoutDone ? graphics->GetControl(UpdateIconControlIndex) : nullptr;
  if (!icon)
    return;
  const bool available = UpdateState().UpdateAvailable;
  const double v = icon->GetValue(0);
  if ((v == 0.0 && available) || (v == 1.0 && !available))
  {
    icon->SetValue(available ? 1.0 : 0.0, 0);
    icon->SetDirty(true, -1);
  }
}

} // namespace tolvane3
