// Value prompts: a control asks for a value by menu or text field and the
// answer is routed back to it (or its parameter).
#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "framework/IGEditorDelegate.h"
#include "graphics/IGfx.h"
#include "graphics/controls/IPopupMenuControl.h"
#include "graphics/controls/ITextEntryControl.h"

namespace plugkit::gfx {

void IGfx::PromptUserInput(IControl& control, const IRECT& bounds, int valIdx)
{
  const IParam* param = control.GetParam(valIdx);
  if (!param)
    return;
  const bool menu = param->Type() == IParam::kTypeEnum ||
                    (param->Type() == IParam::kTypeBool && param->NDisplayTexts() > 0);
  if (menu)
  {
    PK_String current;
    param->GetDisplay(current, true);
    mPromptPopupMenu.Clear();
    mPromptPopupMenu.SetPrefix(0);
    mPromptPopupMenu.SetMultiCheck(false);
    for (int i = 0; i < param->NDisplayTexts(); ++i)
    {
      const char* text = param->GetDisplayTextForValue(i);
      const bool checked = std::strcmp(text, current.Get()) == 0;
      mPromptPopupMenu.AddItem(text, IPopupMenu::kAppend,
        checked ? IPopupMenu::Item::kChecked : IPopupMenu::Item::kNoFlags);
    }
    mPromptPopupMenu.SetRootTitle(param->GetName());
    CreatePopupMenu(control, mPromptPopupMenu, bounds, valIdx);
    return;
  }
  PK_String text;
  param->GetDisplay(text, false);
  if (control.GetPromptShowsLabel())
  {
    text.Append(" ");
    text.Append(param->GetLabel());
  }
  CreateTextEntry(control, control.GetText(), bounds, text.Get(), valIdx);
}

void IGfx::CreateTextEntry(IControl& control, const IText& text, const IRECT& bounds, const char* str, int valIdx)
{
  mInTextEntry = &control;
  mTextEntryValIdx = valIdx;
  const int paramIdx = valIdx >= 0 ? control.GetParamIdx(valIdx) : -1;
  if (mTextEntryControl)
    mTextEntryControl->CreateTextEntry(paramIdx, text, bounds, control.GetTextEntryLength(), str ? str : "");
  else
    CreatePlatformTextEntry(paramIdx, text, bounds, control.GetTextEntryLength(), str ? str : "");
  control.SetDirty(false, -1);
}

void IGfx::SetControlValueAfterTextEdit(const char* str)
{
  IControl* caller = mInTextEntry;
  const int valIdx = mTextEntryValIdx;
  if (!caller)
    return;
  mInTextEntry = nullptr;
  mTextEntryValIdx = -1;
  const IParam* param = valIdx >= 0 ? caller->GetParam(valIdx) : nullptr;
  if (param)
  {
    double v = param->StringToValue(str ? str : "");
    // A step of 0 or less has nothing to snap to.
    if (param->GetStepped() && param->GetStep() > 0.0)
      v = std::round(v / param->GetStep()) * param->GetStep();
    v = std::clamp(v, param->GetMin(), param->GetMax());
    caller->SetValueFromUserInput(std::clamp(param->ToNormalized(v), 0.0, 1.0), valIdx);
  }
  else
  {
    caller->OnTextEntryCompletion(str ? str : "", valIdx);
  }
}

void IGfx::OnTextEntryEndedWithoutCommit()
{
  mInTextEntry = nullptr;
  mTextEntryValIdx = -1;
}

void IGfx::CreatePopupMenu(IControl& control, IPopupMenu& menu, const IRECT& bounds, int valIdx, bool isContext)
{
  // Opening a menu ends the press that asked for it: its release will not
  // reach the caller, so the menu's answer ends the gestures the press
  // began. A menu no press led to (a context menu, a key) ends none.
  const bool endGestures = GesturesBegunBy(&control);
  ReleaseMouseCapture();
  if (mPopupControl)
  {
    // Only an accepted request becomes the caller; the open menu keeps its
    // own, and the refused one is answered as dismissed.
    if (mPopupControl->CreatePopupMenu(menu, bounds))
    {
      mInPopupMenu = &control;
      mPopupMenuValIdx = valIdx;
      mIsContextMenu = isContext;
      mPopupEndsGestures = endGestures;
    }
    else
    {
      AnswerPopup(&control, valIdx, isContext, endGestures, nullptr);
    }
    return;
  }
  mInPopupMenu = &control;
  mPopupMenuValIdx = valIdx;
  mIsContextMenu = isContext;
  mPopupEndsGestures = endGestures;
  bool isAsync = false;
  IPopupMenu* result = CreatePlatformPopupMenu(menu, bounds, isAsync);
  if (!isAsync)
    SetControlValueAfterPopupMenu(result);
}

void IGfx::SetControlValueAfterPopupMenu(IPopupMenu* pMenu)
{
  IControl* caller = mInPopupMenu;
  if (!caller)
    return;
  // Cleared first: the handler may open a follow-up menu with a caller of
  // its own.
  const int valIdx = mPopupMenuValIdx;
  const bool isContext = mIsContextMenu;
  const bool endGestures = mPopupEndsGestures;
  mInPopupMenu = nullptr;
  mPopupMenuValIdx = -1;
  mPopupEndsGestures = false;
  AnswerPopup(caller, valIdx, isContext, endGestures, pMenu);
}

void IGfx::AnswerPopup(IControl* pCaller, int valIdx, bool isContext, bool endGestures, IPopupMenu* pMenu)
{
  // The handler may remove the caller; its gestures are read first.
  std::vector<int> params;
  for (int v = 0; endGestures && v < pCaller->NVals(); ++v)
    if (pCaller->GetParamIdx(v) >= 0)
      params.push_back(pCaller->GetParamIdx(v));
  if (isContext)
    pCaller->OnContextSelection(pMenu ? pMenu->GetChosenItemIdx() : -1);
  else
    pCaller->OnPopupMenuSelection(pMenu && pMenu->GetChosenItemIdx() != -1 ? pMenu : nullptr, valIdx);
  for (int paramIdx : params)
    mDelegate->EndInformHostOfParamChangeFromUI(paramIdx);
}

} // namespace plugkit::gfx
