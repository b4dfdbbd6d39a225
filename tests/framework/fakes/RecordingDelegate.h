#pragma once

#include <string>
#include <utility>
#include <vector>

#include "framework/IByteChunk.h"
#include "framework/IGEditorDelegate.h"
#include "tests/framework/fakes/FakeGfx.h"

namespace fakes {

// An editor delegate that makes FakeGfx contexts and records the
// notifications the editor side sends it.
class RecordingDelegate : public IGEditorDelegate
{
public:
  explicit RecordingDelegate(int nParams, int width = 1008, int height = 584);

  void BeginInformHostOfParamChangeFromUI(int) override {}
  void EndInformHostOfParamChangeFromUI(int) override {}
  void SendParameterValueFromUI(int paramIdx, bool callOnParamChange, double normalizedValue) override;
  using IGEditorDelegate::SendParameterValueFromUI;
  bool EditorResizeFromUI(int w, int h, bool needsPlatformResize) override;
  void OnUIOpen() override;
  void OnUIClose() override;
  void OnParamChangeUI(int paramIdx, plugkit::EParamChangeSource source) override;
  void OnMidiMsgUI(const plugkit::IMidiMsg& msg) override { midiToUI.push_back(msg); }

  // The contexts made so far, in order; owned by the delegate while open.
  std::vector<FakeGfx*> made;
  float nextScale = 1.f;
  bool nextContextReady = true;
  // The make function gives no context, as a platform without one would.
  bool makeNothing = false;

  std::vector<std::pair<int, double>> valuesFromUI;
  std::vector<std::pair<int, int>> paramChangesUI; // index, source
  std::vector<std::pair<int, int>> editorResizes;  // window width, height
  std::vector<plugkit::IMidiMsg> midiToUI;
  // The editor's life in order: "make", "layout", "OnUIOpen", "OnUIClose",
  // and the contexts' "OpenWindow" and "CloseWindow".
  std::vector<std::string> events;
  int uiCloseCalls = 0;
};

// An editor state as the delegate writes it: width, height, scale.
inline plugkit::IByteChunk EditorStateChunk(int32_t w, int32_t h, float scale)
{
  plugkit::IByteChunk chunk;
  chunk.PutInt32(w);
  chunk.PutInt32(h);
  chunk.PutFloat(scale);
  return chunk;
}

} // namespace fakes
