#pragma once

// The platform's answers for graphics contexts without a window. Every
// headless context (the recording one, the NanoVG one) derives from this
// over its drawing back-end, so a test scripts mice, dialogs, menus and the
// clipboard the same way whichever back-end draws.

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "graphics/IGfx.h"
#include "graphics/IPopupMenu.h"

namespace gfxtest {

using namespace plugkit::gfx;

// What the platform answers, as a test scripts it.
struct PlatformScript
{
  float mouseX = 0.f;
  float mouseY = 0.f;
  bool contextReady = true;
  float windowScale = 1.f;
  EMsgBoxResult messageBoxAnswer = kOK;
  // Platform menus: the item chosen (-1: dismissed); asynchronous menus
  // answer only when the test calls AnswerPendingMenu.
  int menuChoice = -1;
  bool menuAsync = false;
  // Clipboard text; none makes reading fail. Writing fails when refused.
  std::optional<std::string> clipboard;
  bool clipboardRefusesWrites = false;
  bool openURLSucceeds = true;
  std::string promptFileName, promptFilePath, promptFolder;
  std::optional<IColor> promptColor;
};

// The platform slots of IGfx answered from `script`, each request recorded.
// Base is the drawing back-end (IGfx itself, or a real one); window, fonts
// and resizing stay with the derived context, since they differ by back-end.
template <class Base>
class ScriptedPlatform : public Base
{
public:
  using Base::Base;

  void GetMouseLocation(float& x, float& y) const override;
  void HideMouseCursor(bool hide, bool lock) override;
  void MoveMouseCursor(float x, float y) override;
  void UpdateTooltips() override { ++tooltipUpdates; }
  EMsgBoxResult ShowMessageBox(const char* text, const char* caption, EMsgBoxType type,
    IMsgBoxCompletionHandlerFunc completionHandler) override;
  void PromptForFile(PK_String& fileName, PK_String& path, EFileDialogAction action, const char* extensions) override;
  void PromptForDirectory(PK_String& path) override;
  bool PromptForColor(IColor& color, const char* prompt, IColorPickerHandlerFunc func) override;
  bool OpenURL(const char* url, const char* msgWindowTitle, const char* confirmMsg,
    const char* errMsgOnFailure) override;
  bool GetTextFromClipboard(PK_String& str) override;
  bool SetTextInClipboard(const char* str) override;
  void CreatePlatformTextEntry(int paramIdx, const IText& text, const IRECT& bounds, int length,
    const char* str) override;
  void EndPlatformTextEntry() override { ++textEntriesEnded; }
  IPopupMenu* CreatePlatformPopupMenu(IPopupMenu& menu, const IRECT& bounds, bool& isAsync) override;
  float GetPlatformWindowScale() const override { return script.windowScale; }

  // Answers an asynchronous platform menu with the scripted choice; false
  // when none is pending.
  bool AnswerPendingMenu();

  PlatformScript script;

  int tooltipUpdates = 0;
  int cursorHides = 0;
  int cursorShows = 0;
  int textEntriesEnded = 0;
  bool cursorLocked = false;
  std::vector<std::string> messageBoxes; // "caption: text"
  std::vector<std::string> urlsOpened;
  std::vector<std::string> textEntryRequests; // initial texts
  std::vector<IRECT> menuRequests;
  std::vector<std::pair<std::string, IColor>> colorPrompts; // title, colour offered
  std::vector<std::pair<float, float>> cursorMoves;

private:
  IPopupMenu* mPendingMenu = nullptr;
};

} // namespace gfxtest
