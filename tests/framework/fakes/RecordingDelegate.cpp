#include "tests/framework/fakes/RecordingDelegate.h"

namespace fakes {

RecordingDelegate::RecordingDelegate(int nParams, int width, int height)
  : IGEditorDelegate(nParams)
{
  SetEditorSize(width, height);
  SetSizeConstraints(width / 2, width * 2, height / 2, height * 2);
  SetMakeGraphicsFunc([this]() -> IGfx* {
    events.push_back("make");
    if (makeNothing)
      return nullptr;
    auto* g = new FakeGfx(*this, GetEditorWidth(), GetEditorHeight(), 60, nextScale);
    g->contextReady = nextContextReady;
    g->events = &events;
    made.push_back(g);
    return g;
  });
  SetLayoutFunc([this](IGfx*) { events.push_back("layout"); });
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

void RecordingDelegate::OnUIOpen()
{
  events.push_back("OnUIOpen");
  IGEditorDelegate::OnUIOpen();
}

void RecordingDelegate::OnUIClose()
{
  events.push_back("OnUIClose");
  ++uiCloseCalls;
}

void RecordingDelegate::OnParamChangeUI(int paramIdx, plugkit::EParamChangeSource source)
{
  paramChangesUI.emplace_back(paramIdx, static_cast<int>(source));
}

} // namespace fakes
