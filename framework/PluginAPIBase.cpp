#include "framework/PluginAPIBase.h"

#include <algorithm>
#include <cmath>

namespace plugkit {

namespace {

constexpr int kIdentityTextLimit = 128;

} // namespace

PluginAPIBase::PluginAPIBase(const PluginConfig& config, EAPI api)
  : PluginBase(config.paramCount, config.presetCount, api)
  , mHostResize(config.hostResize)
{
  mPluginName.Set(config.pluginName, kIdentityTextLimit);
  mProductName.Set(config.productName, kIdentityTextLimit);
  mMfrName.Set(config.vendorName, kIdentityTextLimit);
  mUniqueID = config.uniqueId;
  mMfrID = config.vendorId;
  mVersion = config.vendorVersion;
  mHasUI = config.hasUI;
  mStateChunks = config.stateChunks;
  SetEditorSize(config.width, config.height);
  SetSizeConstraints(config.minWidth, config.maxWidth, config.minHeight, config.maxHeight);
  mBundleID.Set(config.bundleId);
  mHostName.Set("Unknown");
}

PluginAPIBase::~PluginAPIBase()
{
  StopTimer();
  mTimer.reset();
}

void PluginAPIBase::CreateTimer()
{
  std::unique_ptr<Timer> previous = std::move(mTimer);
  mTimer.reset(Timer::Create([this](Timer& t) { OnTimer(t); }, kIdleTimerPeriodMs));
  previous.reset();
}

void PluginAPIBase::StopTimer()
{
  if (mTimer)
    mTimer->Stop();
}

void PluginAPIBase::OnTimer(Timer&)
{
  if (HasUI())
  {
    // The count is looked at again before each entry, so entries pushed
    // while draining arrive in this tick; a failed pop (an entry still being
    // written) ends the drain until the next tick.
    ParamTuple change;
    while (mParamChangeToUIQueue.ElementsAvailable() && mParamChangeToUIQueue.Pop(change))
    {
      if (GetParam(change.idx))
        SendParameterValueFromDelegate(change.idx, change.value, false);
    }

    IMidiMsg msg;
    while (mMidiMsgsFromProcessor.ElementsAvailable() && mMidiMsgsFromProcessor.Pop(msg))
      SendMidiMsgFromDelegate(msg);

    SysExData data;
    while (mSysExDataFromProcessor.ElementsAvailable() && mSysExDataFromProcessor.Pop(data))
      SendSysexMsgFromDelegate(data.AsMsg());
  }
  OnIdle();
}

void PluginAPIBase::SetHost(const char* host, int version)
{
  if (host)
    mHostName.Set(host);
  mHost = host ? LookUpHost(host) : kHostUnknown;
  mHostVersion = version;
  InitForHost();
  OnHostIdentified();
}

void PluginAPIBase::SetParameterValue(int paramIdx, bool callOnParamChange, double normalizedValue)
{
  IParam* param = GetParam(paramIdx);
  if (!param)
    return;
  param->Set(param->FromNormalized(normalizedValue));
  NotifyHostParamValue(paramIdx, normalizedValue);
  if (callOnParamChange)
    OnParamChange(paramIdx, kSourceUI, -1);
}

void PluginAPIBase::SendParameterValueFromHost(int paramIdx, bool isNormalized, double value)
{
  const IParam* param = GetParam(paramIdx);
  if (!param)
    return;
  if (isNormalized)
    value = std::min(param->GetMax(), std::max(param->GetMin(), param->FromNormalized(value)));
  mParamChangeToUIQueue.Push(ParamTuple{paramIdx, value});
}

void PluginAPIBase::DirtyParametersFromUI()
{
  for (int i = 0; i < NParams(); ++i)
    NotifyHostParamValue(i, GetParam(i)->GetNormalized());
}

void PluginAPIBase::SendParameterValueFromUI(int paramIdx, bool callOnParamChange, double normalizedValue)
{
  IParam* param = GetParam(paramIdx);
  if (!param)
    return;
  SetParameterValue(paramIdx, callOnParamChange, normalizedValue);
  // Set once more, so that the previous value equals the new one: the
  // editor's own change is not a change to be smoothed from.
  param->Set(param->FromNormalized(normalizedValue));
  OnParamChangeUI(paramIdx, kSourceUI);
}

bool PluginAPIBase::EditorResizeFromUI(int viewWidth, int viewHeight, bool needsPlatformResize)
{
  return needsPlatformResize ? RequestHostResize(viewWidth, viewHeight) : true;
}

bool PluginAPIBase::CompareState(const double* values, int startIdx) const
{
  const int n = NParams();
  if (n == 0)
    return true;
  if (!values)
    return false;
  bool equal = true;
  for (int i = 0; i < n; ++i)
  {
    const float current = static_cast<float>(GetParam(i)->Value());
    const float other = static_cast<float>(values[startIdx + i]);
    equal = equal && std::fabs(current - other) < 1e-5f;
  }
  return equal;
}

void PluginAPIBase::AppendParamIndices(int n, IByteChunk& chunk) const
{
  if (n < 1 || n >= NParams())
    return;
  for (int32_t i = 0; i < n; ++i)
    chunk.PutInt32(i);
}

gfx::IGfx* PluginAPIBase::GetOpenGraphics() const
{
  return GetUI();
}

void PluginAPIBase::PrintDebugInfo() const
{
  PK_String buildInfo;
  GetBuildInfoStr(buildInfo);
}

void DestroyPlugin(PluginAPIBase* plugin)
{
  if (!plugin)
    return;
  plugin->StopTimer();
  delete plugin;
}

} // namespace plugkit
