#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "framework/PluginAPIBase.h"

namespace fakes {

// The configuration of a small plug-in: three parameters, two presets, an
// editor, and identity texts like the product's.
plugkit::PluginConfig ApiTestConfig(bool hasUI = true, bool stateChunks = false);

// A plug-in on the API base that records every hook the base calls, and lets
// a test reach the queues the format wrapper would fill or drain.
class ApiTestPlugin : public plugkit::PluginAPIBase
{
public:
  explicit ApiTestPlugin(const plugkit::PluginConfig& config = ApiTestConfig());

  // Hooks, recorded in order as "name(args)".
  void OnIdle() override
  {
    calls.push_back("OnIdle");
    if (duringIdle)
      duringIdle();
  }
  void InitForHost() override { calls.push_back("InitForHost"); }
  void OnHostIdentified() override { calls.push_back("OnHostIdentified"); }
  void NotifyHostGestureBegin(int idx) override { calls.push_back("GestureBegin(" + std::to_string(idx) + ")"); }
  void NotifyHostGestureEnd(int idx) override { calls.push_back("GestureEnd(" + std::to_string(idx) + ")"); }
  void NotifyHostParamValue(int idx, double value) override { hostValues.emplace_back(idx, value); }
  void OnParamChange(int idx, plugkit::EParamChangeSource source, int sampleOffset) override;
  void OnParamChangeUI(int idx, plugkit::EParamChangeSource source) override;
  void SendParameterValueFromDelegate(int idx, double value, bool normalized) override;
  void SendMidiMsgFromDelegate(const plugkit::IMidiMsg& msg) override { midiToEditor.push_back(msg); }
  void SendSysexMsgFromDelegate(const plugkit::ISysExMsg& msg) override;
  bool OnMessage(int msgTag, int ctrlTag, int dataSize, const void* pData) override;

  // The wrapper's side of the queues.
  bool PushToEditor(const plugkit::ParamTuple& change) { return mParamChangeToUIQueue.Push(change); }
  bool PushMidiToEditor(const plugkit::IMidiMsg& msg) { return mMidiMsgsFromProcessor.Push(msg); }
  bool PushSysExToEditor(const plugkit::SysExData& data) { return mSysExDataFromProcessor.Push(data); }
  bool PopMidiFromEditor(plugkit::IMidiMsg& msg) { return mMidiMsgsFromEditor.Pop(msg); }
  bool PopSysExFromEditor(plugkit::SysExData& data) { return mSysExDataFromEditor.Pop(data); }
  size_t PendingToEditor() const { return mParamChangeToUIQueue.ElementsAvailable(); }
  void SetHasUI(bool hasUI) { mHasUI = hasUI; }

  std::vector<std::string> calls;
  std::vector<std::pair<int, double>> hostValues;
  std::vector<std::pair<int, int>> paramChanges;   // index, source
  std::vector<std::pair<int, int>> paramChangesUI; // index, source
  std::vector<plugkit::ParamTuple> valuesToEditor; // index, value as sent
  std::vector<plugkit::IMidiMsg> midiToEditor;
  std::vector<std::string> sysexToEditor;
  std::vector<int> messages;
  // Called from OnIdle when set.
  std::function<void()> duringIdle;
};

} // namespace fakes
