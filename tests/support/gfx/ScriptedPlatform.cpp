#include "tests/support/gfx/ScriptedPlatform.h"

#include "graphics/platform/IGfxNanoVG.h"

namespace gfxtest {

template <class Base>
void ScriptedPlatform<Base>::GetMouseLocation(float& x, float& y) const
{
  x = script.mouseX;
  y = script.mouseY;
}

template <class Base>
void ScriptedPlatform<Base>::HideMouseCursor(bool hide, bool lock)
{
  if (this->mCursorHidden == hide)
    return;
  this->mCursorHidden = hide;
  cursorLocked = hide && lock;
  ++(hide ? cursorHides : cursorShows);
}

template <class Base>
void ScriptedPlatform<Base>::MoveMouseCursor(float x, float y)
{
  cursorMoves.emplace_back(x, y);
  script.mouseX = x;
  script.mouseY = y;
}

template <class Base>
EMsgBoxResult ScriptedPlatform<Base>::ShowMessageBox(const char* text, const char* caption, EMsgBoxType,
  IMsgBoxCompletionHandlerFunc completionHandler)
{
  messageBoxes.push_back(std::string(caption ? caption : "") + ": " + (text ? text : ""));
  if (completionHandler)
    completionHandler(script.messageBoxAnswer);
  return script.messageBoxAnswer;
}

template <class Base>
void ScriptedPlatform<Base>::PromptForFile(PK_String& fileName, PK_String& path, EFileDialogAction, const char*)
{
  fileName.Set(script.promptFileName.c_str());
  path.Set(script.promptFilePath.c_str());
}

template <class Base>
void ScriptedPlatform<Base>::PromptForDirectory(PK_String& path)
{
  path.Set(script.promptFolder.c_str());
}

template <class Base>
bool ScriptedPlatform<Base>::PromptForColor(IColor& color, const char* prompt, IColorPickerHandlerFunc func)
{
  colorPrompts.emplace_back(prompt ? prompt : "", color);
  if (!script.promptColor)
    return false;
  color = *script.promptColor;
  if (func)
    func(color);
  return true;
}

template <class Base>
bool ScriptedPlatform<Base>::OpenURL(const char* url, const char*, const char*, const char*)
{
  urlsOpened.push_back(url ? url : "");
  return script.openURLSucceeds;
}

template <class Base>
bool ScriptedPlatform<Base>::GetTextFromClipboard(PK_String& str)
{
  str.Set(script.clipboard ? script.clipboard->c_str() : "");
  return script.clipboard.has_value();
}

template <class Base>
bool ScriptedPlatform<Base>::SetTextInClipboard(const char* str)
{
  if (script.clipboardRefusesWrites)
    return false;
  script.clipboard = str ? str : "";
  return true;
}

template <class Base>
void ScriptedPlatform<Base>::CreatePlatformTextEntry(int, const IText&, const IRECT&, int, const char* str)
{
  textEntryRequests.push_back(str ? str : "");
}

template <class Base>
IPopupMenu* ScriptedPlatform<Base>::CreatePlatformPopupMenu(IPopupMenu& menu, const IRECT& bounds, bool& isAsync)
{
  menuRequests.push_back(bounds);
  isAsync = script.menuAsync;
  if (isAsync)
  {
    mPendingMenu = &menu;
    return nullptr;
  }
  if (script.menuChoice < 0)
    return nullptr;
  menu.SetChosenItemIdx(script.menuChoice);
  menu.ExecFunction();
  return &menu;
}

template <class Base>
bool ScriptedPlatform<Base>::AnswerPendingMenu()
{
  IPopupMenu* menu = mPendingMenu;
  mPendingMenu = nullptr;
  if (!menu)
    return false;
  menu->SetChosenItemIdx(script.menuChoice);
  menu->ExecFunction();
  // The platform hands the answer to the context, as a finished menu does.
  this->SetControlValueAfterPopupMenu(script.menuChoice < 0 ? nullptr : menu);
  return true;
}

template class ScriptedPlatform<IGfx>;
template class ScriptedPlatform<IGfxNanoVG>;

} // namespace gfxtest
