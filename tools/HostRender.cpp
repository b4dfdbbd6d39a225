#include "tools/HostRender.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>

#include "AudioToolbox/AudioUnitUtilities.h"
#include "StandIn/AudioUnitEvents.h"
#include "StandIn/Hooks.h"
#include "tools/RenderSpan.h"

namespace auhost {

namespace {

// What a bus's input callback hands over: the audio of a source, the
// stretch of the current slice read ahead by the host, so a unit that pulls
// each slice once (as units do) is served without another read; any other
// stretch it asks for is read on request.
class BusFeed
{
public:
  BusFeed(AudioSource* source, long blockSize) : mSource(source)
  {
    if (source)
      Reserve(blockSize);
  }

  // Makes frames [start, start + count) the current stretch; false when
  // the source cannot give them.
  bool Load(long start, long count)
  {
    Reserve(count);
    mStart = start;
    mCount = count;
    if (!mSource->ReadAt(start, count, mPointers.data()))
    {
      mFailed = true;
      mCount = 0;
      return false;
    }
    return true;
  }

  const float* const* Channels() const { return mPointers.data(); }
  bool Failed() const { return mFailed; }
  std::string Error() const { return mSource->Error(); }

  static OSStatus Feed(void* refCon, AudioUnitRenderActionFlags*, const AudioTimeStamp* ts, UInt32, UInt32 nFrames,
                       AudioBufferList* list)
  {
    auto* feed = static_cast<BusFeed*>(refCon);
    const long start = ts ? static_cast<long>(ts->mSampleTime) : 0;
    UInt32 wanted = 0;
    for (UInt32 b = 0; b < list->mNumberBuffers; ++b)
      if (list->mBuffers[b].mData)
        wanted = std::max(wanted, std::min<UInt32>(nFrames, list->mBuffers[b].mDataByteSize / sizeof(float)));
    if (start < feed->mStart || start + static_cast<long>(wanted) > feed->mStart + feed->mCount)
      if (!feed->Load(start, wanted))
        return kAudioUnitErr_NoConnection;
    for (UInt32 b = 0; b < list->mNumberBuffers; ++b)
    {
      auto* out = static_cast<float*>(list->mBuffers[b].mData);
      if (!out)
        continue;
      const UInt32 capacity = std::min<UInt32>(nFrames, list->mBuffers[b].mDataByteSize / sizeof(float));
      // A mono file feeds every channel the bus has.
      const size_t channel = std::min<size_t>(b, feed->mChannels.size() - 1);
      std::memcpy(out, feed->mChannels[channel].data() + (start - feed->mStart), capacity * sizeof(float));
    }
    return noErr;
  }

private:
  void Reserve(long frames)
  {
    if (!mChannels.empty() && static_cast<long>(mChannels[0].size()) >= frames)
      return;
    mChannels.assign(static_cast<size_t>(mSource->NumChannels()), std::vector<float>(static_cast<size_t>(frames)));
    mPointers.clear();
    for (auto& channel : mChannels)
      mPointers.push_back(channel.data());
  }

  AudioSource* mSource;
  std::vector<std::vector<float>> mChannels;
  std::vector<float*> mPointers;
  long mStart = 0, mCount = 0;
  bool mFailed = false;
};

// The transport: playing from sample 0 at 120 beats per minute.
struct Transport
{
  double sampleRate = 48000.0;
  double samplePosition = 0.0;
  bool started = false;
};

OSStatus BeatAndTempo(void* user, Float64* beat, Float64* tempo)
{
  const auto* t = static_cast<const Transport*>(user);
  if (tempo)
    *tempo = 120.0;
  if (beat)
    *beat = t->samplePosition / t->sampleRate * 2.0;
  return noErr;
}

OSStatus TransportState(void* user, Boolean* playing, Boolean* changed, Float64* position, Boolean* cycling,
                        Float64* cycleStart, Float64* cycleEnd)
{
  auto* t = static_cast<Transport*>(user);
  if (playing)
    *playing = true;
  if (changed)
    *changed = !t->started;
  t->started = true;
  if (position)
    *position = t->samplePosition;
  if (cycling)
    *cycling = false;
  if (cycleStart)
    *cycleStart = 0.0;
  if (cycleEnd)
    *cycleEnd = 0.0;
  return noErr;
}

AudioStreamBasicDescription FloatFormat(int channels, double rate)
{
  AudioStreamBasicDescription d{};
  d.mSampleRate = rate;
  d.mFormatID = kAudioFormatLinearPCM;
  d.mFormatFlags = kAudioFormatFlagsCanonical;
  d.mBytesPerPacket = 4;
  d.mFramesPerPacket = 1;
  d.mBytesPerFrame = 4;
  d.mChannelsPerFrame = static_cast<UInt32>(channels);
  d.mBitsPerChannel = 32;
  return d;
}

std::string Refusal(const char* what, OSStatus status)
{
  return std::string("the unit refused ") + what + " (status " + std::to_string(status) + ")";
}

// Points for the automated parameter from the events the unit sent since
// the last call.
void CollectLanePoints(AudioUnit unit, AudioUnitParameterID param, double time, std::vector<AutomationPoint>& lane)
{
  for (const AudioUnitEvent& e : standin::RecordedAudioUnitEvents())
  {
    if (e.mEventType != kAudioUnitEvent_ParameterValueChange || e.mArgument.mParameter.mAudioUnit != unit ||
        e.mArgument.mParameter.mParameterID != param)
      continue;
    AudioUnitParameterValue value = 0.0f;
    // A gain given to frames before the programme (those dropped for the
    // latency) is no point of its lane.
    if (time >= 0.0 && AudioUnitGetParameter(unit, param, kAudioUnitScope_Global, 0, &value) == noErr)
      lane.push_back({time, value});
  }
  standin::ClearRecordedAudioUnitEvents();
}

// Formats, input callbacks, slice size and the host's callbacks, then the
// unit initialised with them; the reason when the unit refuses any of them.
std::string ConnectUnit(AudioUnit unit, const RenderSetup& setup, BusFeed& mainFeed, BusFeed& sideFeed,
                        Transport& transport)
{
  const int channels = setup.main->NumChannels();
  const double rate = setup.main->SampleRate();
  const AudioStreamBasicDescription mainFormat = FloatFormat(channels, rate);
  OSStatus status = AudioUnitSetProperty(unit, kAudioUnitProperty_StreamFormat, kAudioUnitScope_Input, 0,
                                         &mainFormat, sizeof(mainFormat));
  if (status == noErr)
    status = AudioUnitSetProperty(unit, kAudioUnitProperty_StreamFormat, kAudioUnitScope_Output, 0, &mainFormat,
                                  sizeof(mainFormat));
  if (status != noErr)
  {
    const std::string layout =
      std::to_string(channels) + " channels at " + std::to_string(static_cast<int>(rate)) + " Hz";
    return Refusal(layout.c_str(), status);
  }
  if (setup.sidechain)
  {
    const AudioStreamBasicDescription sideFormat = FloatFormat(setup.sidechain->NumChannels(), rate);
    if ((status = AudioUnitSetProperty(unit, kAudioUnitProperty_StreamFormat, kAudioUnitScope_Input, 1, &sideFormat,
                                       sizeof(sideFormat))) != noErr)
      return Refusal("the side-chain's format", status);
    const AURenderCallbackStruct sideCallback{BusFeed::Feed, &sideFeed};
    if ((status = AudioUnitSetProperty(unit, kAudioUnitProperty_SetRenderCallback, kAudioUnitScope_Input, 1,
                                       &sideCallback, sizeof(sideCallback))) != noErr)
      return Refusal("the side-chain input", status);
  }
  const UInt32 maxFrames = static_cast<UInt32>(setup.blockSize);
  const AURenderCallbackStruct mainCallback{BusFeed::Feed, &mainFeed};
  const HostCallbackInfo callbacks{&transport, BeatAndTempo, nullptr, TransportState, nullptr};
  if ((status = AudioUnitSetProperty(unit, kAudioUnitProperty_MaximumFramesPerSlice, kAudioUnitScope_Global, 0,
                                     &maxFrames, sizeof(maxFrames))) != noErr ||
      (status = AudioUnitSetProperty(unit, kAudioUnitProperty_SetRenderCallback, kAudioUnitScope_Input, 0,
                                     &mainCallback, sizeof(mainCallback))) != noErr ||
      (status = AudioUnitSetProperty(unit, kAudioUnitProperty_HostCallbacks, kAudioUnitScope_Global, 0, &callbacks,
                                     sizeof(callbacks))) != noErr)
    return Refusal("the host's set-up", status);
  if ((status = AudioUnitInitialize(unit)) != noErr)
    return "the unit failed to initialise with this layout (status " + std::to_string(status) + ")";
  return {};
}

// The latency the unit reports in frames, after one idle tick lets it
// report what its settings ask for.
long ReportedLatency(AudioUnit unit, double rate)
{
  standin::RunMainLoopFor(kIdlePeriodSeconds);
  Float64 latencySeconds = 0.0;
  UInt32 size = sizeof(latencySeconds);
  AudioUnitGetProperty(unit, kAudioUnitProperty_Latency, kAudioUnitScope_Global, 0, &latencySeconds, &size);
  return std::max(0L, std::lround(latencySeconds * rate));
}

} // namespace

float LaneValueAt(const std::vector<AutomationPoint>& lane, double time, float fallback)
{
  if (lane.empty())
    return fallback;
  if (time <= lane.front().time)
    return lane.front().value;
  if (time >= lane.back().time)
    return lane.back().value;
  const auto next = std::upper_bound(lane.begin(), lane.end(), time,
                                     [](double t, const AutomationPoint& p) { return t < p.time; });
  const AutomationPoint& b = *next;
  const AutomationPoint& a = *(next - 1);
  const double span = b.time - a.time;
  const double w = span > 0.0 ? (time - a.time) / span : 1.0;
  return static_cast<float>(a.value + (b.value - a.value) * w);
}

RenderOutcome RenderThrough(AudioUnit unit, const RenderSetup& setup)
{
  RenderOutcome result;
  AudioSource& main = *setup.main;
  const int channels = main.NumChannels();
  const double rate = main.SampleRate();
  const UInt32 block = static_cast<UInt32>(setup.blockSize);
  BusFeed mainFeed(&main, block), sideFeed(setup.sidechain, block);
  Transport transport{rate, 0.0, false};
  if (!(result.error = ConnectUnit(unit, setup, mainFeed, sideFeed, transport)).empty())
    return result;

  const long latency = ReportedLatency(unit, rate);
  result.latencySamples = static_cast<int>(latency);
  standin::ClearRecordedAudioUnitEvents();
  // A programme over before the unit's first write (a unit writes a period
  // apart) still gets a lane that plays: the parameter's value at its start.
  AudioUnitParameterValue atStart = 0.0f;
  const bool knowsStart =
    setup.recordLane && AudioUnitGetParameter(unit, setup.automatedParam, kAudioUnitScope_Global, 0, &atStart) == noErr;

  const RenderSpan span(main, latency);
  // The unit reports the gain it gave a frame a latency after rendering
  // it: a lane is recorded to the programme's end by rendering a further
  // latency, whose output nobody keeps.
  const RenderSpan reach(main, setup.recordLane ? 2 * latency : latency);
  // One slice of output; the first `latency` frames rendered are dropped.
  std::vector<std::vector<float>> rendered(channels, std::vector<float>(block));
  std::vector<const float*> kept(channels);
  std::vector<float*> given(channels); // the buffers handed to the unit
  struct
  {
    UInt32 mNumberBuffers;
    AudioBuffer mBuffers[2];
  } buffers{};
  auto fail = [&](const std::string& why) {
    AudioUnitUninitialize(unit);
    result.error = why;
    return result;
  };
  for (long pos = 0;;)
  {
    // The input is read before the slice's length is settled: the read may
    // find where a programme of unknown length ends.
    const long wanted = reach.SliceFrom(pos, block);
    if (wanted > 0 && !mainFeed.Load(pos, wanted))
      return fail(mainFeed.Error());
    const UInt32 n = static_cast<UInt32>(reach.SliceFrom(pos, wanted));
    if (n == 0)
      break;
    // The frames of the slice the output takes, the dropped ones included.
    const long out = span.SliceFrom(pos, n);
    if (setup.tap && span.InputIn(pos, n) > 0)
      setup.tap->Input(mainFeed.Channels(), span.InputIn(pos, n));
    if (setup.sidechain && !sideFeed.Load(pos, n))
      return fail(sideFeed.Error());
    // A lane's point gives the gain of the output frame at its time on the
    // programme's timeline. The slice's output is the programme from `pos`
    // less the latency, and it plays one value: the lane's at its middle.
    if (setup.playLane)
      AudioUnitSetParameter(unit, setup.automatedParam, kAudioUnitScope_Global, 0,
                            LaneValueAt(*setup.playLane, (pos - latency + (n - 1) / 2.0) / rate, 0.0f), 0);
    // Once no frame of the slice is dropped for latency, the unit renders
    // straight into the output's room where it has some, which saves a copy
    // of every frame.
    const long skip = std::clamp(latency - pos, 0L, out);
    float* const* space = skip == 0 && out == n ? setup.output->Space(n) : nullptr;
    buffers.mNumberBuffers = static_cast<UInt32>(channels);
    for (int c = 0; c < channels; ++c)
    {
      given[c] = space ? space[c] : rendered[c].data();
      // What a unit leaves unwritten stays silent.
      std::fill(given[c], given[c] + n, 0.0f);
      buffers.mBuffers[c] = {1, n * static_cast<UInt32>(sizeof(float)), given[c]};
    }
    AudioTimeStamp ts{};
    ts.mSampleTime = static_cast<Float64>(pos);
    ts.mFlags = kAudioTimeStampSampleTimeValid;
    transport.samplePosition = static_cast<double>(pos);
    AudioUnitRenderActionFlags flags = 0;
    const OSStatus status = AudioUnitRender(unit, &flags, &ts, 0, n, reinterpret_cast<AudioBufferList*>(&buffers));
    if (mainFeed.Failed() || sideFeed.Failed())
      return fail(mainFeed.Failed() ? mainFeed.Error() : sideFeed.Error());
    if (status != noErr)
      return fail("the unit failed to render at frame " + std::to_string(pos) + " (status " + std::to_string(status) +
                  ")");
    // A unit may hand back its own buffers.
    bool inSpace = space != nullptr;
    for (int c = 0; c < channels; ++c)
    {
      const auto* data = static_cast<const float*>(buffers.mBuffers[c].mData);
      kept[c] = (data ? data : given[c]) + skip;
      inSpace = inSpace && kept[c] == space[c];
    }
    if (skip < out)
    {
      // The tap reads the output before the sink takes it over.
      if (setup.tap)
        setup.tap->Output(kept.data(), out - skip);
      if (!(inSpace ? setup.output->Written(n) : setup.output->Append(kept.data(), out - skip)))
        return fail(setup.output->Error());
    }
    standin::RunMainLoopFor(static_cast<double>(n) / rate);
    // The unit reports, once the slice is rendered, the gain it gave the
    // output a latency before the slice's last frame: the programme's frame
    // two latencies before it.
    if (setup.recordLane)
      CollectLanePoints(unit, setup.automatedParam, (pos + n - 1 - 2 * latency) / rate, result.recordedLane);
    pos += n;
    if (setup.progress && span.KnownFromTheStart())
      setup.progress(reach.FractionDone(pos));
  }
  if (span.FoundEmpty())
    return fail("no audio in the input");
  if (knowsStart && result.recordedLane.empty())
    result.recordedLane.push_back({0.0, atStart});
  if (!setup.output->Flush())
    return fail(setup.output->Error());
  AudioUnitUninitialize(unit);
  result.ok = true;
  return result;
}

RenderOutcome RenderInMemory(AudioUnit unit, RenderSetup setup, const AudioData& main, const AudioData* sidechain,
                             AudioData& output)
{
  AudioDataSource mainSource(main);
  std::unique_ptr<AudioDataSource> sideSource(sidechain ? new AudioDataSource(*sidechain) : nullptr);
  AudioDataSink sink(output, main.NumChannels(), main.sampleRate);
  setup.main = &mainSource;
  setup.sidechain = sideSource.get();
  setup.output = &sink;
  return RenderThrough(unit, setup);
}

} // namespace auhost
