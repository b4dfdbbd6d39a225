#pragma once

#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "framework/IGEditorDelegate.h"
#include "tests/support/gfx/RecordingGfx.h"

namespace gfxtest {

// An editor delegate with real parameters that records what the editor
// side sends it and makes RecordingGfx contexts.
//
// Parameters: 0 "Bypass" (bool), 1 "Count" (int 0..10), 2 "Mode" (enum
// "Soft", "Medium", "Hard"), 3 "Gain" (-12..12 dB, stepped by 0.5, default
// 1.3), 4 "Freq" (20..20000 Hz on a cubic curve, default 1000).
class FakeEditorDelegate : public IGEditorDelegate
{
public:
  enum EParams { kBypass = 0, kCount, kMode, kGain, kFreq, kNumParams };

  FakeEditorDelegate(int width = 400, int height = 300);

  // Opens the editor through the delegate as a host would; returns the new
  // context (owned by the delegate).
  RecordingGfx* Open();

  void BeginInformHostOfParamChangeFromUI(int paramIdx) override;
  void EndInformHostOfParamChangeFromUI(int paramIdx) override;
  void SendParameterValueFromUI(int paramIdx, bool callOnParamChange, double normalizedValue) override;
  using IGEditorDelegate::SendParameterValueFromUI;
  void OnParamChange(int paramIdx, plugkit::EParamChangeSource source, int sampleOffset) override;
  void SendArbitraryMsgFromUI(int msgTag, int ctrlTag, int dataSize, const void* pData) override;
  void SendMidiMsgFromUI(const plugkit::IMidiMsg& msg) override { midiFromUI.push_back(msg); }
  void OnEditorMouseDown() override { ++editorMouseDowns; }
  void OnEditorMouseUp() override { ++editorMouseUps; }
  bool EditorResizeFromUI(int w, int h, bool needsPlatformResize) override;
  void LayoutUI(IGfx* pGraphics) override;

  // Gestures begun and not yet ended, per parameter: every entry 0 (and no
  // end without its begin) when the editor's gestures balance.
  bool GesturesBalanced() const { return mUnbalancedEnd == false && OpenGestures() == 0; }
  int OpenGestures() const;

  struct ValueFromUI
  {
    int paramIdx;
    double normalized;
    bool callOnParamChange;
    bool operator==(const ValueFromUI& o) const = default;
  };
  std::vector<ValueFromUI> valuesFromUI;
  std::vector<int> gesturesBegun, gesturesEnded;
  std::vector<std::pair<int, int>> commands; // index, source
  std::vector<std::tuple<int, int, std::string>> messages; // msgTag, ctrlTag, data
  std::vector<plugkit::IMidiMsg> midiFromUI;
  std::vector<std::pair<int, int>> editorResizes; // window width, height
  bool resizeAnswer = true;
  int editorMouseDowns = 0;
  int editorMouseUps = 0;
  int layouts = 0;
  float nextScale = 1.f;
  // What the contexts it makes report when their window opens.
  bool nextContextReady = true;

private:
  std::vector<int> mOpenGestures;
  bool mUnbalancedEnd = false;
};

} // namespace gfxtest
