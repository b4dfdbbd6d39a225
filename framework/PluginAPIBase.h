#pragma once

#include <memory>

#include "framework/HostIds.h"
#include "framework/IMidiMsg.h"
#include "framework/PluginBase.h"
#include "framework/PluginConfig.h"
#include "framework/PluginQueue.h"
#include "framework/QueueRecords.h"
#include "framework/Timer.h"

namespace plugkit {

namespace gfx {
class IGfx;
}

// The layer between the plug-in base and a concrete plug-in format: the
// 20 ms idle timer that feeds the editor and runs the idle work, the queues
// between the host's threads and the editor, host identification, and the
// roads of parameter values from the host and from the editor. The format
// wrapper fills the host-notification hooks, which do nothing here.
//
// Threads: the queues toward the editor take entries from any thread (the
// host may set parameters from its audio and its main thread at once) and
// are drained by OnTimer on the main thread; the queues from the editor are
// filled on the main thread and drained by the render road. Everything else
// runs on the main thread. Parameter indices that name no parameter, from the
// host or from a queue, are ignored.
//
// Destruction: the timer must stop before any part of the plug-in goes, or a
// tick could run idle work on a half-destroyed object. C++ destroys the
// derived classes first, so whoever destroys a plug-in calls StopTimer
// before deleting it (DestroyPlugin and PluginDeleter do both); the
// destructor stops it again, which is harmless.
class PluginAPIBase : public PluginBase
{
public:
  static constexpr int kParamChangeQueueSize = 512;
  static constexpr int kMidiQueueSize = 32;
  static constexpr int kSysExQueueSize = 4;
  static constexpr uint32_t kIdleTimerPeriodMs = 20;

  PluginAPIBase(const PluginConfig& config, EAPI api);
  ~PluginAPIBase() override;

  // Starts the idle timer (period 20 ms, OnTimer); a timer that existed is
  // replaced. The format wrapper calls it while it is constructed.
  void CreateTimer();
  // Stops the idle timer for good; calling it again does nothing.
  void StopTimer();
  // Drains the queues toward the editor when the plug-in has an editor, then
  // runs the idle work. Main thread.
  void OnTimer(Timer& timer);

  // Host identification: stores the name (when given), its identity from
  // the host table (kHostUnknown without a name) and the packed version,
  // then calls InitForHost and OnHostIdentified.
  void SetHost(const char* host, int version);
  EHostId LookUpHost(const char* host) const { return LookUpHostId(host); }

  // Parameter roads (normalised values are in 0..1).
  // Sets the parameter from a normalised value, tells the host the value as
  // received and, when asked, runs OnParamChange with the editor as source.
  void SetParameterValue(int paramIdx, bool callOnParamChange, double normalizedValue);
  // The host set a value (normalised or real): queued for the editor;
  // dropped when the queue is full. Any thread.
  virtual void SendParameterValueFromHost(int paramIdx, bool isNormalized, double value);

  // From the editor.
  void DirtyParametersFromUI() override;
  void SendParameterValueFromUI(int paramIdx, bool callOnParamChange, double normalizedValue) override;
  // Keeps the refused argument order visible next to the override.
  using PluginBase::SendParameterValueFromUI;
  void BeginInformHostOfParamChangeFromUI(int paramIdx) override { NotifyHostGestureBegin(paramIdx); }
  void EndInformHostOfParamChangeFromUI(int paramIdx) override { NotifyHostGestureEnd(paramIdx); }
  bool EditorResizeFromUI(int viewWidth, int viewHeight, bool needsPlatformResize) override;
  void SendMidiMsgFromUI(const IMidiMsg& msg) override { QueueMidiMsgFromUI(msg); }
  void SendSysexMsgFromUI(const ISysExMsg& msg) override { QueueSysexMsgFromUI(msg); }
  void SendArbitraryMsgFromUI(int msgTag, int ctrlTag = -1, int dataSize = 0, const void* pData = nullptr) override
  {
    OnMessage(msgTag, ctrlTag, dataSize, pData);
  }
  // Queued for the render road; dropped when the queue is full. A sys-ex
  // message keeps at most 512 bytes, and its size says how many.
  void QueueMidiMsgFromUI(const IMidiMsg& msg) override { mMidiMsgsFromEditor.Push(msg); }
  void QueueSysexMsgFromUI(const ISysExMsg& msg) override { mSysExDataFromEditor.Push(SysExData::From(msg)); }

  // Hooks with their defaults.
  // True when every parameter's value equals values[startIdx + i] in single
  // precision (within 1e-5); true without parameters. values must hold one
  // entry per parameter from startIdx on.
  virtual bool CompareState(const double* values, int startIdx) const;
  virtual void OnHostIdentified() {}
  // Appends the int32 indices 0 .. n - 1 when 1 <= n < NParams().
  virtual void AppendParamIndices(int n, IByteChunk& chunk) const;
  // The editor's context while its window is ready, else null.
  virtual gfx::IGfx* GetOpenGraphics() const;
  virtual void OnIdle() {}
  virtual void PrintDebugInfo() const;
  virtual void InitForHost() {}
  virtual bool RequestHostResize(int viewWidth, int viewHeight) { return false; }
  virtual void NotifyHostGestureBegin(int paramIdx) {}
  virtual void NotifyHostGestureEnd(int paramIdx) {}
  virtual void NotifyHostParamValue(int paramIdx, double normalizedValue) {}

  bool GetHostResize() const { return mHostResize; }

protected:
  // Toward the editor, drained by OnTimer.
  PluginQueue<ParamTuple> mParamChangeToUIQueue{kParamChangeQueueSize};
  PluginQueue<IMidiMsg> mMidiMsgsFromProcessor{kMidiQueueSize};
  PluginQueue<SysExData> mSysExDataFromProcessor{kSysExQueueSize};
  // From the editor, drained by the render road.
  PluginQueue<IMidiMsg> mMidiMsgsFromEditor{kMidiQueueSize};
  PluginQueue<SysExData> mSysExDataFromEditor{kSysExQueueSize};

private:
  std::unique_ptr<Timer> mTimer;
  bool mHostResize = false;
};

// Stops the plug-in's timer, then deletes it: the way to destroy a plug-in.
void DestroyPlugin(PluginAPIBase* plugin);

struct PluginDeleter
{
  void operator()(PluginAPIBase* plugin) const { DestroyPlugin(plugin); }
};

} // namespace plugkit
