#pragma once

#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "framework/audiounit/PluginAU.h"

namespace fakes {

// The shapes of plug-in the wrapper must serve; the product is only the
// first of them.
enum class AUTestKind
{
  Effect,     // the product's channel layouts, six parameters, three preset slots
  Instrument, // no audio input, MIDI input, "0-2"
  Wildcard,   // "*-2 2-2": any input channel count
  TwoOutputs, // "2-2.2"
  WideFirstOutput, // "2-4.2": a first output bus wider than stereo
};

// The kind the next Open builds (the module's instance hook reads it).
void SetNextAUTestKind(AUTestKind kind);

constexpr const char* kAUTestBundleId = "com.kestrova.audiounit.AUTestPlugin";
constexpr const char* kAUTestViewClass = "AUTestPlugin_View";
constexpr int kAUTestUniqueId = ('T' << 24) | ('s' << 16) | ('t' << 8) | '1';
constexpr int kAUTestMfrId = ('K' << 24) | ('V' << 16) | ('R' << 8) | 'A';
constexpr int kAUTestNParams = 6;

// A plug-in on the wrapper that records what the wrapper asks of it. Its
// state is a small container like the product's: the tag "TSTS", a count
// and the values; its reader answers the start position when the tag is
// missing, -1 for every later failure (changing nothing), and the position
// after the values on success.
class AUTestPlugin : public plugkit::PluginAU
{
public:
  explicit AUTestPlugin(AUTestKind kind);
  ~AUTestPlugin() override;

  void OnReset() override
  {
    resets.push_back(GetSampleRate());
    log.push_back("reset");
  }
  void OnActivate(bool active) override
  {
    activations.push_back(active);
    log.push_back(active ? "activate" : "deactivate");
  }
  // A host may set parameters from two threads at once.
  void OnParamChange(int idx, plugkit::EParamChangeSource source, int sampleOffset) override
  {
    std::lock_guard<std::mutex> lock(mChangesMutex);
    paramChanges.push_back({idx, source, sampleOffset});
  }
  void ProcessMidiMsg(const plugkit::IMidiMsg& msg) override { midiIn.push_back(msg); }
  void ProcessSysEx(const plugkit::ISysExMsg& msg) override
  {
    sysExIn.emplace_back(reinterpret_cast<const char*>(msg.mData), static_cast<size_t>(msg.mSize));
  }
  // The test's processing when it set one, else the base's copy.
  void ProcessBlock(double** inputs, double** outputs, int nFrames) override
  {
    if (process)
      process(inputs, outputs, nFrames);
    else
      PluginAU::ProcessBlock(inputs, outputs, nFrames);
  }
  // As "HasUI" in the product's settings file does.
  void SetHasUI(bool hasUI) { mHasUI = hasUI; }
  bool SerializeState(plugkit::IByteChunk& chunk) const override;
  int UnserializeState(const plugkit::IByteChunk& chunk, int startPos) override;

  // What the host queued toward the editor, drained.
  std::vector<plugkit::ParamTuple> DrainToEditor();
  AUTestKind Kind() const { return mKind; }

  struct ParamChange
  {
    int idx;
    int source;
    int offset;
    bool operator==(const ParamChange&) const = default;
  };
  std::vector<double> resets; // the sample rate at each reset
  std::vector<bool> activations;
  std::vector<std::string> log; // resets and activations in order
  std::vector<ParamChange> paramChanges;
  std::vector<plugkit::IMidiMsg> midiIn;
  std::vector<std::string> sysExIn;
  bool failSerialize = false;
  std::function<void(double** inputs, double** outputs, int nFrames)> process;
  // Idle timers running when the constructor body ended.
  int timersWhenBuilt = -1;
  // Idle timers running when the last test plug-in's destructor began.
  static int timersWhenDestroyed;

private:
  AUTestKind mKind;
  std::mutex mChangesMutex;
};

} // namespace fakes
