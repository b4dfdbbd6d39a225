// Parameter changes and editor commands: where every new value reaches the
// engines, and every command of the editor acts.
#include <cmath>
#include <climits>
#include <cstring>

#include "framework/NumberText.h"
#include "plugin/Tolvane3.h"
#include "plugin/XMLPresets.h"

namespace tolvane3 {

namespace {

// Enumerations and switches are stored as their value truncated toward
// zero; saturated, so no value makes the conversion undefined.
int32_t Truncated(double v)
{
  if (std::isnan(v))
    return 0;
  if (v >= static_cast<double>(INT32_MAX))
    return INT32_MAX;
  if (v <= static_cast<double>(INT32_MIN))
    return INT32_MIN;
  return static_cast<int32_t>(v);
}

// A NaN on either side counts as a change.
bool Differs(double a, double b)
{
  return a != b || std::isnan(a) || std::isnan(b);
}

// The hosts that hear of a new latency at once.
bool ReportsLatencyAtOnce(int host)
{
  switch (host)
  {
    case plugkit::kHostFruity:
    case plugkit::kHostLogic:
    case plugkit::kHostGarageBand:
    case plugkit::kHostPresonus:
    case plugkit::kHostWaveform:
    case plugkit::kHostSadie:
      return true;
    default:
      return false;
  }
}

// The preset's name from its path: the file name up to its last ".".
void PresetNameOf(const char* path, PK_String& name)
{
  const char* slash = std::strrchr(path, '/');
  const char* base = slash ? slash + 1 : path;
  const char* dot = std::strrchr(base, '.');
  const int length = dot && dot > base ? static_cast<int>(dot - base) : static_cast<int>(std::strlen(base));
  name.SetFormatted(1023, "%.*s", length, base);
}

} // namespace

void Tolvane3::OnParamChange(int paramIdx, plugkit::EParamChangeSource source, int sampleOffset)
{
  switch (source)
  {
    case plugkit::kSourceReset:
    case plugkit::kSourcePresetRecall:
    case plugkit::kSourceUI:
      break;
    case plugkit::kSourceHost:
      // The host may not automate these; the parameter keeps its value but
      // the product does not follow.
      if (const plugkit::IParam* p = GetParam(paramIdx); p && !p->GetCanAutomate())
        return;
      break;
    default:
      return;
  }
  if (paramIdx >= 0 && paramIdx < kNumParams && GetParam(paramIdx))
    OnParameter(paramIdx);
  else
    OnCommand(paramIdx);
  LatencyStep();
}

void Tolvane3::OnParameter(int idx)
{
  const double v = GetParam(idx)->Value();
  const int32_t iv = Truncated(v);
  RideEngineState& s = mEngine.State();
  std::lock_guard<std::recursive_mutex> lock(mDSPMutex);
  // The reference levels the scope draws.
  auto referenceChanged = [this] {
    UpdateControls();
    mScopeRedrawPending.store(true);
  };

  switch (idx)
  {
    case kGUIScale:
      if (Differs(v, mGUIScale.load()))
      {
        mGUIScale.store(v);
        mResizePending.store(true);
      }
      break;
    case kToggleTooltips:
      if (iv != mTooltips.load())
      {
        mTooltips.store(iv);
        UpdateControls();
      }
      break;
    case kCurrentGain:
      if (Truncated(GetParam(kAutomation)->Value()) == RideEngineState::kAutomationRead)
        mEngine.SetCurrentGainDb(v);
      break;
    case kFilterMode:
      if (iv != s.filterMode)
        mEngine.ApplyFilterMode(iv);
      break;
    case kLowCut:
      if (Differs(v, s.lowCutHz))
        mEngine.ApplyLowCut(v);
      break;
    case kHighCut:
      if (Differs(v, s.highCutHz))
        mEngine.ApplyHighCut(v);
      break;
    case kDetectionMode:
      if (iv != s.detectionMode)
        mEngine.ApplyDetectionMode(iv);
      break;
    case kTargetLevel:
      mEngine.ApplyTargetLevel(v);
      referenceChanged();
      break;
    case kSensitivity:
      if (Differs(v, s.sensitivityMs))
        mEngine.ApplySensitivity(v);
      break;
    case kPreDelay:
      if (Differs(v, s.preDelayMs))
        mEngine.ApplyPreDelay(v);
      break;
    case kNoiseLevel:
      mEngine.ApplyNoiseLevel(v);
      referenceChanged();
      break;
    case kRangeMin:
      mEngine.ApplyRangeMin(v);
      referenceChanged();
      break;
    case kRangeMax:
      mEngine.ApplyRangeMax(v);
      referenceChanged();
      break;
    case kIdleGain:
      mEngine.ApplyIdleGain(v);
      referenceChanged();
      break;
    case kVolume:
      mEngine.ApplyVolume(v);
      referenceChanged();
      break;
    case kAB:
      mEngine.ApplyAB(iv);
      break;
    case kAutomation:
      mEngine.ApplyAutomationMode(iv);
      break;
    case kDAWSync:
      mEngine.ApplyDAWSync(iv);
      break;
    case kScopeXScale:
    case kScopeXOffset:
    case kScopeYScale:
    case kScopeYOffset:
    case kScopeInput:
    case kScopeOutput:
    case kScopeGain:
    case kScopeRide:
    case kScopePause:
    case kScopeScreen:
      referenceChanged();
      break;
    case kScopeReset:
      if (iv != mScopeReset)
      {
        mScopeReset = iv;
        if (iv == 1)
          mEngine.Scope().Clear();
        mScopeRedrawPending.store(true);
      }
      break;
    case kGainHold:
      mEngine.ApplyGainHold(iv);
      break;
    case kEnableNoiseDetection:
      mEngine.ApplyNoiseDetection(iv);
      break;
    case kNoiseDetectionTiming:
      if (Differs(v, s.noiseDetectionTimingMs))
        mEngine.ApplyNoiseDetectionTiming(v);
      break;
    case kOnlineUpdateCheck:
      mOnlineUpdateCheck.store(iv);
      break;
    case kV1ClassicMeterMode:
      if (iv != s.classicMode)
      {
        mEngine.ApplyClassicMode(iv);
        UpdateControls();
      }
      break;
    case kV1ClassicITUPreFilter:
      if (iv != s.classicITUPreFilter)
        mEngine.ApplyClassicITUPreFilter(iv);
      break;
    case kPreDelay1:
      if (Differs(v, s.preDelayFractionPct))
        mEngine.ApplyPreDelayFraction(v);
      break;
    default:
      break;
  }
}

void Tolvane3::OnCommand(int tag)
{
  switch (tag)
  {
    case kCmdShowAbout:
      if (EditorPresent())
        mAboutPending.store(true);
      break;
    case kCmdCheckForUpdate:
      if (EditorPresent())
        mUpdateCheckPending.store(true);
      break;
    case kCmdLoadPreset:
    case kCmdSavePreset:
    {
      if (!EditorPresent())
        break;
      const auto* menu = dynamic_cast<const PresetMenuSelection*>(GetUI()->GetControlWithTag(3));
      const char* path = menu ? menu->SelectedPresetPath() : nullptr;
      if (!path || !*path)
        break;
      PK_String name;
      if (tag == kCmdLoadPreset)
        ReadPresetFileWithData(*this, path, name, PresetReadMode::kLoad);
      else
      {
        PresetNameOf(path, name);
        WritePresetFile(*this, path, name.Get());
      }
      break;
    }
    case kCmdSaveDefaultPreset:
      if (EditorPresent())
        WriteDefaultPreset(*this, mFolders.presetFolder.Get());
      break;
    case kCmdRescanPresets:
      if (EditorPresent())
        RescanPresetFiles(*this, mFolders.dataFolder.Get(), mFilePresets);
      break;
    case kCmdScaleFromWindow:
      if (EditorPresent())
        SetGUIScaleFromCommand(GetUI()->GetDrawScale(), false);
      break;
    case kCmdScaleReset:
      SetGUIScaleFromCommand(1.0, true);
      break;
    case kCmdScaleMinimum:
      SetGUIScaleFromCommand(GetParam(kGUIScale)->GetMin(), true);
      break;
    case kCmdFixedGUIScale:
    {
      const plugkit::IParam* list = GetExtraParam(tag);
      const int index = list ? Truncated(list->Value()) : -1;
      SetGUIScaleFromCommand(GUIScaleForIndex(*GetParam(kGUIScale), index), true);
      break;
    }
    default:
      break;
  }
}

void Tolvane3::SetGUIScaleFromCommand(double scale, bool resize)
{
  mGUIScale.store(scale);
  SetParameterFromPlugin(kGUIScale, false, scale);
  if (resize)
    mResizePending.store(true);
}

void Tolvane3::LatencyStep()
{
  const int samples = static_cast<int>(mEngine.UpdateLatency());
  mLatencyWanted.store(samples);
  if (ReportsLatencyAtOnce(GetHost()) && GetLatency() != samples)
    ApplyLatency(samples);
}

} // namespace tolvane3
