#pragma once

#include <utility>
#include <vector>

#include "framework/PluginBase.h"
#include "framework/PluginProcessor.h"

namespace fakes {

// A plug-in base with nothing of a host behind it: it records the change
// notifications and the values pushed toward the editor, so tests can see
// what state and preset reads announce.
class StandalonePlugin : public plugkit::PluginBase
{
public:
  StandalonePlugin(int nParams, int nPresets, plugkit::EAPI api = plugkit::kAPIAU)
    : PluginBase(nParams, nPresets, api)
  {
  }

  void BeginInformHostOfParamChangeFromUI(int) override {}
  void EndInformHostOfParamChangeFromUI(int) override {}
  void OnParamChange(int paramIdx, plugkit::EParamChangeSource source, int sampleOffset) override
  {
    paramChanges.emplace_back(paramIdx, source);
  }
  void OnParamChangeUI(int paramIdx, plugkit::EParamChangeSource source) override
  {
    paramChangesUI.emplace_back(paramIdx, source);
  }
  void SendParameterValueFromDelegate(int paramIdx, double value, bool normalized) override
  {
    valuesToEditor.emplace_back(paramIdx, value);
    PluginBase::SendParameterValueFromDelegate(paramIdx, value, normalized);
  }

  void SetVersion(int packed) { mVersion = packed; }
  void SetHostVersion(int packed) { mHostVersion = packed; }
  void SetPluginName(const char* name) { mPluginName.Set(name); }

  std::vector<std::pair<int, int>> paramChanges;   // index, source
  std::vector<std::pair<int, int>> paramChangesUI; // index, source
  std::vector<std::pair<int, double>> valuesToEditor;
};

// A processor whose MIDI output is a list, for the default routes.
class RecordingProcessor : public plugkit::PluginProcessor
{
public:
  explicit RecordingProcessor(const plugkit::PluginConfig& config) : PluginProcessor(config) {}
  bool SendMidiMsg(const plugkit::IMidiMsg& msg) override
  {
    sentMidi.push_back(msg);
    return failEveryOther ? (sentMidi.size() % 2 == 1) : true;
  }

  std::vector<plugkit::IMidiMsg> sentMidi;
  bool failEveryOther = false;
};

} // namespace fakes
