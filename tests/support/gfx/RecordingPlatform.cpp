#include <fstream>
#include <iterator>

#include "framework/IGEditorDelegate.h"
#include "tests/support/gfx/RecordingGfx.h"

namespace gfxtest {

void* RecordingGfx::OpenWindow(void* pParent)
{
  ++openWindowCalls;
  mWindowOpen = true;
  IGEditorDelegate* dlg = GetDelegate();
  dlg->SetUIReady(IsContextReady());
  dlg->LayoutUI(this);
  dlg->OnUIOpen();
  return this;
}

void RecordingGfx::CloseWindow()
{
  ++closeWindowCalls;
  const bool wasOpen = mWindowOpen;
  mWindowOpen = false;
  // Removing the view tells the delegate, as the platform view does; the
  // delegate ignores that re-entry while it is closing.
  if (wasOpen)
    GetDelegate()->CloseWindow();
}

void RecordingGfx::GetMouseLocation(float& x, float& y) const
{
  x = script.mouseX;
  y = script.mouseY;
}

void RecordingGfx::HideMouseCursor(bool hide, bool lock)
{
  if (mCursorHidden == hide)
    return;
  mCursorHidden = hide;
  cursorLocked = hide && lock;
  ++(hide ? cursorHides : cursorShows);
}

void RecordingGfx::MoveMouseCursor(float x, float y)
{
  cursorMoves.emplace_back(x, y);
  script.mouseX = x;
  script.mouseY = y;
}

int RecordingGfx::SetMouseCursor(ECursor cursorType)
{
  return IGfx::SetMouseCursor(cursorType);
}

EMsgBoxResult RecordingGfx::ShowMessageBox(const char* text, const char* caption, EMsgBoxType type,
  IMsgBoxCompletionHandlerFunc completionHandler)
{
  messageBoxes.push_back(std::string(caption ? caption : "") + ": " + (text ? text : ""));
  if (completionHandler)
    completionHandler(script.messageBoxAnswer);
  return script.messageBoxAnswer;
}

void RecordingGfx::PromptForFile(PK_String& fileName, PK_String& path, EFileDialogAction action,
  const char* extensions)
{
  fileName.Set(script.promptFileName.c_str());
  path.Set(script.promptFilePath.c_str());
}

void RecordingGfx::PromptForDirectory(PK_String& path)
{
  path.Set(script.promptFolder.c_str());
}

bool RecordingGfx::PromptForColor(IColor& color, const char* prompt, IColorPickerHandlerFunc func)
{
  colorPrompts.emplace_back(prompt ? prompt : "", color);
  if (!script.promptColor)
    return false;
  color = *script.promptColor;
  if (func)
    func(color);
  return true;
}

bool RecordingGfx::OpenURL(const char* url, const char* msgWindowTitle, const char* confirmMsg,
  const char* errMsgOnFailure)
{
  urlsOpened.push_back(url ? url : "");
  return script.openURLSucceeds;
}

bool RecordingGfx::GetTextFromClipboard(PK_String& str)
{
  str.Set(script.clipboard ? script.clipboard->c_str() : "");
  return script.clipboard.has_value();
}

bool RecordingGfx::SetTextInClipboard(const char* str)
{
  if (script.clipboardRefusesWrites)
    return false;
  script.clipboard = str ? str : "";
  return true;
}

void RecordingGfx::CreatePlatformTextEntry(int paramIdx, const IText& text, const IRECT& bounds, int length,
  const char* str)
{
  textEntryRequests.push_back(str ? str : "");
}

IPopupMenu* RecordingGfx::CreatePlatformPopupMenu(IPopupMenu& menu, const IRECT& bounds, bool& isAsync)
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

bool RecordingGfx::AnswerPendingMenu()
{
  IPopupMenu* menu = mPendingMenu;
  mPendingMenu = nullptr;
  if (!menu)
    return false;
  menu->SetChosenItemIdx(script.menuChoice);
  menu->ExecFunction();
  // The platform hands the answer to the context, as a finished menu does.
  SetControlValueAfterPopupMenu(script.menuChoice < 0 ? nullptr : menu);
  return true;
}

std::unique_ptr<PlatformFont> RecordingGfx::LoadPlatformFont(const char* fontID, const char* fileNameOrResID)
{
  std::ifstream in(fileNameOrResID ? fileNameOrResID : "", std::ios::binary);
  if (!in)
    return nullptr;
  const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  return std::make_unique<PlatformFont>(bytes.data(), static_cast<int>(bytes.size()));
}

std::unique_ptr<PlatformFont> RecordingGfx::LoadPlatformFont(const char* fontID, const void* pData, int dataSize)
{
  if (!pData || dataSize <= 0)
    return nullptr;
  return std::make_unique<PlatformFont>(pData, dataSize);
}

void RecordingGfx::CachePlatformFont(const char* fontID, const PlatformFont* pFont)
{
  fontsCached.push_back(fontID ? fontID : "");
}

} // namespace gfxtest
