#include "tests/support/gfx/FakeEditorDelegate.h"

#include <algorithm>

namespace gfxtest {

using plugkit::IParam;

FakeEditorDelegate::FakeEditorDelegate(int width, int height)
  : IGEditorDelegate(kNumParams)
  , mOpenGestures(kNumParams, 0)
{
  GetParam(kBypass)->InitBool("Bypass", false);
  GetParam(kCount)->InitInt("Count", 2, 0, 10);
  GetParam(kMode)->InitEnum("Mode", 1, {"Soft", "Medium", "Hard"});
  GetParam(kGain)->InitDouble("Gain", 1.3, -12.0, 12.0, 0.5, "dB", IParam::kFlagStepped);
  GetParam(kFreq)->InitDouble("Freq", 1000.0, 20.0, 20000.0, 1.0, "Hz", 0, "", IParam::ShapePowCurve(3.0));
  for (int i = 0; i < kNumParams; ++i)
    GetParam(i)->SetToDefault();
  SetEditorSize(width, height);
  SetSizeConstraints(width / 2, width * 2, height / 2, height * 2);
  SetMakeGraphicsFunc([this]() -> IGfx* {
    auto* g = new RecordingGfx(*this, GetEditorWidth(), GetEditorHeight(), 60, nextScale);
    g->script.contextReady = nextContextReady;
    return g;
  });
}

RecordingGfx* FakeEditorDelegate::Open()
{
  OpenWindow(nullptr);
  return static_cast<RecordingGfx*>(GetGraphicsContext());
}

void FakeEditorDelegate::BeginInformHostOfParamChangeFromUI(int paramIdx)
{
  gesturesBegun.push_back(paramIdx);
  // Parameters a test adds count too.
  if (paramIdx >= 0 && paramIdx < NParams())
  {
    mOpenGestures.resize(std::max(mOpenGestures.size(), static_cast<size_t>(NParams())), 0);
    ++mOpenGestures[static_cast<size_t>(paramIdx)];
  }
}

void FakeEditorDelegate::EndInformHostOfParamChangeFromUI(int paramIdx)
{
  gesturesEnded.push_back(paramIdx);
  if (paramIdx < 0 || paramIdx >= static_cast<int>(mOpenGestures.size()) ||
      mOpenGestures[static_cast<size_t>(paramIdx)] == 0)
    mUnbalancedEnd = true;
  else
    --mOpenGestures[static_cast<size_t>(paramIdx)];
}

int FakeEditorDelegate::OpenGestures() const
{
  int open = 0;
  for (int n : mOpenGestures)
    open += n;
  return open;
}

void FakeEditorDelegate::SendParameterValueFromUI(int paramIdx, bool callOnParamChange, double normalizedValue)
{
  valuesFromUI.push_back({paramIdx, normalizedValue, callOnParamChange});
  IGEditorDelegate::SendParameterValueFromUI(paramIdx, callOnParamChange, normalizedValue);
}

void FakeEditorDelegate::OnParamChange(int paramIdx, plugkit::EParamChangeSource source, int sampleOffset)
{
  commands.emplace_back(paramIdx, source);
}

void FakeEditorDelegate::SendArbitraryMsgFromUI(int msgTag, int ctrlTag, int dataSize, const void* pData)
{
  messages.emplace_back(msgTag, ctrlTag,
    pData && dataSize > 0 ? std::string(static_cast<const char*>(pData), static_cast<size_t>(dataSize)) : "");
}

bool FakeEditorDelegate::EditorResizeFromUI(int w, int h, bool needsPlatformResize)
{
  editorResizes.emplace_back(w, h);
  return resizeAnswer;
}

void FakeEditorDelegate::LayoutUI(IGfx* pGraphics)
{
  ++layouts;
  IGEditorDelegate::LayoutUI(pGraphics);
}

} // namespace gfxtest
