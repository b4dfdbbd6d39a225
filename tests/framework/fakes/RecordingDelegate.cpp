#include "tests/framework/fakes/RecordingDelegate.h"

namespace fakes {

RecordingDelegate::RecordingDelegate(int nParams, int width, int height)
  : IGEditorDelegate(nParams)
{
  SetEditorSize(width, height);
  SetSizeConstraints(width / 2, width * 2, height / 2, height * 2);
  SetMakeGraphicsFunc([this]() -> IGfx* {
    auto* g = new FakeGfx(*this, GetEditorWidth(), GetEditorHeight(), 60, nextScale);
    g->contextReady = nextContextReady;
    made.push_back(g);
    return g;
  });
  SetLayoutFunc([this](IGfx*) { ++layoutCalls; });
}

void RecordingDelegate::SendParameterValueFromUI(int paramIdx, bool callOnParamChange, double normalizedValue)
{
  valuesFromUI.emplace_back(paramIdx, normalizedValue);
  IGEditorDelegate::SendParameterValueFromUI(paramIdx, callOnParamChange, normalizedValue);
}

bool RecordingDelegate::EditorResizeFromUI(int w, int h, bool needsPlatformResize)
{
  editorResizes.emplace_back(w, h);
  return true;
}

void RecordingDelegate::OnParamChangeUI(int paramIdx, plugkit::EParamChangeSource source)
{
  paramChangesUI.emplace_back(paramIdx, static_cast<int>(source));
}

} // namespace fakes
