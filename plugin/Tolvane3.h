// The product: one Tolvane3 per plug-in instance a host opens. An Audio
// Unit plug-in of the framework that owns both riding engines (the riding
// engine with its state and the classic engine), the 36 parameters, the
// "Init" preset, its own XML preset lists and the editor hooks.
//
// Threads and locks:
// - ProcessBlock runs on the host's audio thread and holds the recursive DSP
//   mutex for the whole block; OnReset and every parameter follow-up that
//   writes engine state take the same mutex, so a block never sees half of
//   a change.
// - Parameter changes arrive on whatever thread the host, the editor or a
//   state restore uses. They update the engines at once; editor controls
//   are only ever touched on the main thread: a change that concerns the
//   editor sets a flag that the idle work (or the layout) serves.
// - The pending flags are atomics written on any thread and cleared by the
//   idle work on the main thread.
//
// Bad input: stored states and preset files are checked whole before
// anything applies (XMLPresets.h); an unknown parameter index or change
// source is ignored.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>

#include "dsp/CMTolvaneV1.h"
#include "dsp/RideEngine.h"
#include "framework/audiounit/PluginAU.h"
#include "plugin/EditorHooks.h"
#include "plugin/ProductMixins.h"
#include "plugin/Tolvane3Params.h"

namespace tolvane3 {

class Tolvane3 : public plugkit::PluginAU,
                 private IMPlugPaths,
                 private IExtPDCHandler,
                 private IXMLPreset,
                 public IXMLParameters,
                 private ICMessageBox
{
public:
  explicit Tolvane3(const plugkit::PluginInstanceInfo& info);
  ~Tolvane3() override;

  // Framework overrides ------------------------------------------------------------
  // Sends every parameter's normalised value to the editor, then marks it
  // open. Main thread.
  void OnUIOpen() override;
  void OnUIClose() override;
  // The one place a new value reaches the product (see the .cpp for each
  // parameter's follow-up); indices above the parameters are commands.
  void OnParamChange(int paramIdx, plugkit::EParamChangeSource source, int sampleOffset) override;
  // The "PresetXMLTree" document inside the state container.
  bool SerializeState(plugkit::IByteChunk& chunk) const override;
  // The start position when no container is there, -1 when the state was
  // refused (nothing changed), the position after the container on success.
  int UnserializeState(const plugkit::IByteChunk& chunk, int startPos) override;
  // The main thread's work every 20 ms: reports a changed latency (except to
  // the host whose latency block processing reports), writes "Current Gain"
  // to the host's automation in Write mode, and, while an editor is open,
  // serves what could only be requested elsewhere: the resize, the update
  // checks and icon, the About box, a message box and the scope.
  void OnIdle() override;
  // Re-initialises the engines only when the sample rate or block size
  // changed.
  void OnReset() override;
  void ProcessBlock(double** inputs, double** outputs, int nFrames) override;

  // Product operations -------------------------------------------------------------------
  // folder/default.kps applied in start-up mode; false when absent or refused.
  bool LoadDefaultPreset(const char* folder);
  // The latency the settings ask for, in samples.
  int GetLatencySamples() const;
  // Hands a latency to the host, once a host has been identified.
  void ApplyLatency(int samples);
  // Sets a parameter from the plug-in's own code: the host hears of it and
  // the editor shows it, but OnParamChange does not run. Nothing happens
  // when the value is already set. Main thread.
  void SetParameterFromPlugin(int paramIdx, bool normalized, double value);
  // Asks for the editor's controls to follow the settings; served on the
  // main thread by the idle work. Any thread.
  void UpdateControls() { mEditorSyncPending.store(true); }
  // Brings the editor's controls in line with the settings now: tool tips,
  // the pre-delay knob of the current mode, the scope's settings and its
  // reference levels. Main thread; nothing without an editor.
  void SyncEditor();
  // The scope's reference levels, and a redraw. Main thread.
  void PushScopeSettings();
  // Called by the layout once every control exists.
  void LayoutDone();
  // Called by the layout when the context cannot draw: the plug-in then
  // reports that it has no editor.
  void ClearHasUI() { mHasUI = false; }
  // The report about the plug-in and its host, and the box that shows it.
  void AboutText(PK_String& text) const;
  void ShowAboutBox();

  // Positions of four controls in the editor's control list, set by the
  // layout.
  int PreDelayControlIndex = -1;
  int PreDelayV1ControlIndex = -1;
  int ScopeControlIndex = -1;
  int UpdateIconControlIndex = -1;

  // Read-outs for the idle work, the editor and tests ----------------------------
  const RideEngine& Engine() const { return mEngine; }
  const CMTolvaneV1& ClassicEngine() const { return mClassic; }
  const ScopeHistory& GetScopeHistory() const { return mEngine.Scope(); }
  double GetGUIScale() const { return mGUIScale.load(); }
  int GetTooltips() const { return mTooltips.load(); }
  int GetOnlineUpdateCheck() const { return mOnlineUpdateCheck.load(); }
  int GetLatencyWanted() const { return mLatencyWanted.load(); }
  bool IsResizePending() const { return mResizePending.load(); }
  bool IsScopeRedrawPending() const { return mScopeRedrawPending.load(); }
  bool IsAboutPending() const { return mAboutPending.load(); }
  bool IsUpdateCheckPending() const { return mUpdateCheckPending.load(); }
  bool IsEditorSyncPending() const { return mEditorSyncPending.load(); }
  bool IsEditorOpen() const { return mEditorOpen; }
  bool IsLayoutDone() const { return mLayoutDone; }
  const PluginFolders& Folders() const { return mFolders; }
  plugkit::IParam* GetExtraParam(int tag) const { return mExtraParams.Get(tag - mFirstExtraParamTag); }
  const PK_PtrList<plugkit::IPreset>& FilePresets() const { return mFilePresets; }
  const PK_PtrList<plugkit::IPreset>& XMLPresets() const { return mXMLPresets; }

private:
  void InitParams();
  int AddInitPreset();
  void InitPlugControls();
  ::ProcessorFormat CurrentFormat() const;
  void OnParameter(int paramIdx);
  void OnCommand(int tag);
  void LatencyStep();
  void SetGUIScaleFromCommand(double scale, bool resize);
  // An editor whose window is ready.
  bool EditorPresent() const { return GetUI() != nullptr; }
  void FeedScope(int nFrames, bool riding);
  void WriteAutomation();
  void ServeResize();
  void AutomaticUpdateCheck();
  // The manual check: runs it and shows its result; true when a newer
  // version exists.
  bool ShowUpdateResult(const char* productKey, const char* version);
  void ServeUpdateIcon();

  std::atomic<bool> mAboutPending{false};
  std::atomic<bool> mUpdateCheckPending{false};
  std::recursive_mutex mDSPMutex;
  std::atomic<bool> mScopeRedrawPending{false};
  std::atomic<bool> mResizePending{false};
  std::atomic<bool> mEditorSyncPending{false};
  std::atomic<double> mGUIScale{1.0};
  std::atomic<int32_t> mTooltips{1};
  std::atomic<int32_t> mOnlineUpdateCheck{1};
  int32_t mScopeReset = 0;
  CMTolvaneV1 mClassic;
  RideEngine mEngine{mDSPMutex, mClassic};
  PK_PtrList<plugkit::IParam> mExtraParams;
  int mFirstExtraParamTag = -1;
  bool mLayoutDone = false;
  PK_PtrList<plugkit::IPreset> mXMLPresets;
  PK_PtrList<plugkit::IPreset> mFilePresets;
  plugkit::IPreset mInitPreset;
  bool mUseXMLPresets = false;
  bool mEditorOpen = false;
};

} // namespace tolvane3
