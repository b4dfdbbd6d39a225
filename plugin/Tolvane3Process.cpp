// Block processing and reset: the audio thread's side of the product.
#include "dsp/BufferHelpers.h"
#include "plugin/Tolvane3.h"

namespace tolvane3 {

void Tolvane3::ProcessBlock(double** inputs, double** outputs, int nFrames)
{
  std::lock_guard<std::recursive_mutex> lock(mDSPMutex);
  if (GetHost() == plugkit::kHostProTools && mLatencyWanted.load() != GetLatency())
    ApplyLatency(mLatencyWanted.load());

  const int nIn = NChannelsConnected(plugkit::kInput);
  const int nOut = NChannelsConnected(plugkit::kOutput);
  RideEngineState& s = mEngine.State();

  // DAW Sync: ride only while the transport runs, from a clean start.
  if (s.dawSync == 0)
    s.engineActive = true;
  else if (!GetTimeInfo().mTransportIsRunning)
    s.engineActive = false;
  else
  {
    if (!s.engineActive)
    {
      mEngine.ResetDetectors();
      mEngine.Scope().Clear();
      mClassic.Reset();
    }
    s.engineActive = true;
  }

  if (s.classicMode != 0)
    mClassic.ProcessFrames(inputs, outputs, nFrames, nIn, nOut, nullptr, this);
  else if (s.engineActive)
    mEngine.RideEngineProcess(inputs, outputs, nFrames, nIn, nOut);
  else
    CopyChannelBuffers(inputs, outputs, nFrames, nOut, 0);

  FeedScope(nFrames, s.engineActive);
}

void Tolvane3::FeedScope(int nFrames, bool riding)
{
  RideEngineState& s = mEngine.State();
  if (nFrames <= 0)
    return;

  // The counters run whatever the transport does; a block that spans several
  // periods adds one entry only.
  PeriodCounter& scope = s.scopePeriod;
  scope.count += nFrames;
  if (scope.count >= scope.period)
  {
    scope.count %= scope.period;
    if (riding && static_cast<int>(GetParam(kScopePause)->Value()) < 1)
    {
      if (s.classicMode != 0)
        mEngine.Scope().Push(mClassic.DelayedDetectionMeter.GetLevelDb(), mClassic.OutputMeter.GetLevelDb(),
                             mClassic.GainDb, static_cast<double>(mClassic.RideFlag));
      else
        mEngine.Scope().Push(s.inputLevelDb, s.outputLevelDb, mEngine.CurrentGainDb(),
                             static_cast<double>(s.rideFlag));
    }
    mScopeRedrawPending.store(true);
  }

  PeriodCounter& automation = s.automationPeriod;
  automation.count += nFrames;
  if (automation.count >= automation.period)
  {
    automation.count %= automation.period;
    if (s.automationMode != 0 && riding)
      s.automationWritePending.store(true);
  }
}

void Tolvane3::OnReset()
{
  std::lock_guard<std::recursive_mutex> lock(mDSPMutex);
  if (!mEngine.ResetIfFormatChanged(CurrentFormat()))
    return;
  const int latency = static_cast<int>(mEngine.UpdateLatency());
  mLatencyWanted.store(latency);
  if (latency != GetLatency())
    ApplyLatency(latency);
  UpdateControls();
}

} // namespace tolvane3
