// The riding engine: its state, RideEngineState, and its four
// operations DspInit, RecomputeFilters, RideEngineProcess and RouteChannels,
// with the parameter follow-ups that touch it.
//
// The product class owns one RideEngine, the classic engine it keeps in
// step, and the recursive DSP mutex (mDSPMutex); the engine is given both.
// Until the product exists the processor base's sample rate, block size and
// channel counts are handed in as a ProcessorFormat.
//
// Locking: RideEngineProcess runs with the caller holding the DSP mutex
// (block processing holds it for the whole block); DspInit,
// RecomputeFilters and every Apply... follow-up take it themselves (it is
// recursive). The current gain, the latency and the automation-write
// pending flag may be read on any thread without it.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>

#include "dsp/AutomationSmoother.h"
#include "dsp/CMTolvaneV1.h"
#include "dsp/DelayRing.h"
#include "dsp/DetectorSection.h"
#include "dsp/FilterStage.h"
#include "dsp/ScopeHistory.h"

namespace ride_detail
{
struct ProcessScratch;
}

// What the engine reads of the processor base.
struct ProcessorFormat
{
  double sampleRate = 44100.0;
  int32_t blockSize = 0;
  int32_t numInputs = 2;   // input channels of the processor base
  int32_t numOutputs = 2;  // output channels of the processor base
};

// A periodic counter of block processing (scope and automation periods).
struct PeriodCounter
{
  int32_t period = 1;  // samples
  int32_t count = 0;
  double sampleRate = 44100.0;
  double samplesPerMs = 44.1;
};

// The six channel pointers RouteChannels gives.
struct RoutedChannels
{
  double* mainL = nullptr;
  double* mainR = nullptr;
  double* sideL = nullptr;
  double* sideR = nullptr;
  double* outL = nullptr;
  double* outR = nullptr;
};

struct RideEngineState
{
  // Roles of the twelve cut-filter stages.
  enum EFilter : int32_t
  {
    kMainHighPassL, kMainHighPassR, kMainLowPassL, kMainLowPassR,
    kSideHighPassL, kSideHighPassR, kSideLowPassL, kSideLowPassR,
    kOutHighPassL, kOutHighPassR, kOutLowPassL, kOutLowPassR,
    kNumFilters
  };
  // Roles of the six delay rings.
  enum ERing : int32_t
  {
    kRingMainL, kRingMainR, kRingDetectionL, kRingDetectionR, kRingGain, kRingRide, kNumRings
  };
  // Roles of the five detector sections.
  enum ESection : int32_t
  {
    kMainDetection, kOutput, kSideChainDetection, kDelayedDetection, kNoise, kNumSections
  };
  // Automation modes.
  enum EAutomation : int32_t
  {
    kAutomationIdle = 0, kAutomationWrite = 1, kAutomationRead = 2
  };

  // 1. Parameter mirrors (initial values: the parameter defaults).
  int32_t ab = 0;
  int32_t automationMode = 0;
  int32_t dawSync = 0;
  int32_t filterMode = 0;
  double lowCutHz = 300.0;
  double highCutHz = 3400.0;
  int32_t detectionMode = 0;  // 0 Internal, 1 SideChain1, 2 SideChain2
  double targetLevelDb = -18.0;
  double sensitivityMs = 400.0;
  double preDelayMs = 0.0;
  double preDelayFractionPct = 75.0;
  double noiseLevelDb = -48.0;
  double rangeMinDb = -9.0;
  double rangeMaxDb = 9.0;
  double idleGainDb = 0.0;
  double volumeDb = 0.0;
  int32_t gainHold = 0;
  int32_t noiseDetection = 0;
  double noiseDetectionTimingMs = 100.0;
  int32_t classicMode = 0;
  int32_t classicITUPreFilter = 0;

  // 2. Rates and counts.
  double sampleRate = 44100.0;  // the rate of the last reset
  int32_t blockSize = 0;
  int32_t classicInputs = 2;
  int32_t classicOutputs = 2;
  std::atomic<uint32_t> latencySamples{0};
  bool engineActive = false;  // cleared by DspInit, set by block processing

  // 3. Periodic counters of block processing.
  PeriodCounter scopePeriod;
  PeriodCounter automationPeriod;
  double scopePeriodMs = 100.0;
  double automationPeriodMs = 50.0;

  // 4.
  std::atomic<bool> automationWritePending{false};

  // 5.
  double sensitivityCopyMs = 400.0;

  // 6. Detector modes (only DspInit writes them).
  int32_t detectionSectionMode = 2;  // main detection and side-chain
  int32_t outputSectionMode = 2;     // output and delayed detection
  int32_t noiseSectionMode = 4;

  // 7. Engine values.
  std::atomic<double> currentGainDb{0.0};
  double outputLevelDb = -144.0;
  double inputLevelDb = -140.0;
  int32_t rideFlag = 0;
  double neededGainDb = 0.0;
  double maxPreDelayMs = 3000.0;

  // 8.-10.
  FilterStage filters[kNumFilters];
  DelayRing rings[kNumRings];
  DetectorSection sections[kNumSections];

  // 11.
  double smoothedGainDb = 0.0;
  double targetGainDb = 0.0;
  double gainCoefficient = 0.0;

  // 12.
  AutomationSmoother automation;

  // Engine bookkeeping: the last gain-ring output of a block (its dB is the
  // current gain), and the volume factor cached across samples.
  double lastGainRingOutput = 1.0;
  double cachedVolumeDb = 0.0;
  double cachedVolumeFactor = 1.0;
};

class RideEngine
{
public:
  // Both must be constructed before the engine and outlive it (declare them
  // first among the owner's members). Runs DspInit for the default format.
  RideEngine(std::recursive_mutex& dspMutex, CMTolvaneV1& classic);
  ~RideEngine();
  RideEngine(const RideEngine&) = delete;
  RideEngine& operator=(const RideEngine&) = delete;

  // --- Processor base ----------------------------------------------------
  // Stores the processor base's rate, block size and channel counts (what
  // DspInit, RouteChannels and the periods read of it). Changes nothing else.
  void SetProcessorFormat(const ProcessorFormat& format);
  const ProcessorFormat& GetProcessorFormat() const { return mFormat; }
  // The engine's side of the product's reset: stores the format; when its sample rate or
  // block size differs from the engine's, copies both into the engine and
  // runs DspInit. Returns true when it did. Takes the mutex.
  bool ResetIfFormatChanged(const ProcessorFormat& format);

  // --- The four operations ----------------------------------------------
  void DspInit();
  void RecomputeFilters();
  void RideEngineProcess(double** inputs, double** outputs, int32_t frames, int32_t connectedInputs,
                         int32_t connectedOutputs);
  // The side-chain rows may read up to inputs[3] (with two output channels
  // on the processor base, a connected count of 2 or 3 reads the side-chain
  // from inputs 2 and 3), so inputs must hold a pointer for every input
  // channel of the processor base, null for an unconnected one;
  // RideEngineProcess does nothing when a routed pointer is null.
  RoutedChannels RouteChannels(double** inputs, int32_t connectedInputs, double** outputs,
                               int32_t connectedOutputs, bool sideChainMode) const;

  // --- Follow-ups of parameter changes -----------------------------------
  // Each writes the mirror and performs the follow-up unconditionally (the
  // product compares old and new values first where it must) and
  // takes the mutex. None recomputes the latency: call UpdateLatency.
  void ResetDetectors();  // the "detector reset"
  void ApplyFilterMode(int32_t value);
  void ApplyLowCut(double hz);
  void ApplyHighCut(double hz);
  void ApplyDetectionMode(int32_t value);
  void ApplyTargetLevel(double db);
  void ApplySensitivity(double ms);
  void ApplyPreDelay(double ms);
  void ApplyNoiseLevel(double db);
  void ApplyRangeMin(double db);
  void ApplyRangeMax(double db);
  void ApplyIdleGain(double db);
  void ApplyVolume(double db);
  void ApplyAB(int32_t value);
  void ApplyAutomationMode(int32_t value);
  void ApplyDAWSync(int32_t value);
  void ApplyGainHold(int32_t value);
  void ApplyNoiseDetection(int32_t value);
  void ApplyNoiseDetectionTiming(double ms);
  void ApplyClassicMode(int32_t value);
  void ApplyClassicITUPreFilter(int32_t value);
  void ApplyPreDelayFraction(double percent);
  // The host's "Current Gain" (the product calls it in Automation Read
  // only). A non-finite value is ignored.
  void SetCurrentGainDb(double db);
  // Latency step: recomputes the latency in samples, stores and returns it.
  uint32_t UpdateLatency();

  // --- Read-outs -----------------------------------------------------------
  double CurrentGainDb() const { return mState.currentGainDb.load(std::memory_order_relaxed); }
  uint32_t LatencySamples() const { return mState.latencySamples.load(std::memory_order_relaxed); }
  double InputLevelDb() const { return mState.inputLevelDb; }
  double OutputLevelDb() const { return mState.outputLevelDb; }
  int32_t RideFlag() const { return mState.rideFlag; }
  double SmoothedGainDb() const { return mState.smoothedGainDb; }
  double NeededGainDb() const { return mState.neededGainDb; }
  double TargetGainDb() const { return mState.targetGainDb; }
  // The delay of the main signal in samples (what the rings apply).
  int32_t PreDelaySamples() const;
  // The latency the settings ask for: the classic engine's delay in classic
  // mode, else the rings' pre-delay. The one function both use.
  uint32_t ComputeLatencySamples() const;

  // The pre-delay in samples of ms at fs: trunc(ms × fs / 1000), exact for
  // whole milliseconds at whole sample rates (9 ms at 48 kHz is 432), within
  // 0..RingCapacityFor(fs).
  static int32_t PreDelaySamplesFor(double ms, double fs);
  // The capacity of the rings: max(trunc(3 × fs), 1).
  static int32_t RingCapacityFor(double fs);

  RideEngineState& State() { return mState; }
  const RideEngineState& State() const { return mState; }
  ScopeHistory& Scope() { return mScope; }
  const ScopeHistory& Scope() const { return mScope; }
  CMTolvaneV1& Classic() { return mClassic; }
  std::recursive_mutex& Mutex() { return mMutex; }

private:
  void SyncClassicFilterMode();
  void ApplyRingDelays();
  void SetupSections(double sensitivityMs);
  void PreDelayFollowUp();

  std::recursive_mutex& mMutex;
  CMTolvaneV1& mClassic;
  ProcessorFormat mFormat;
  RideEngineState mState;
  ScopeHistory mScope;  // allocated once, with the engine
  std::unique_ptr<ride_detail::ProcessScratch> mScratch;  // block processing's work space, likewise
};
