#pragma once

#include <string>
#include <vector>

#include "framework/IGEditorDelegate.h"
#include "graphics/IControl.h"
#include "graphics/IGfx.h"

namespace fakes {

using plugkit::gfx::EMsgBoxResult;
using plugkit::gfx::EMsgBoxType;
using plugkit::gfx::IControl;
using plugkit::gfx::IGEditorDelegate;
using plugkit::gfx::IGfx;
using plugkit::gfx::IKeyPress;
using plugkit::gfx::IRECT;

// A graphics context without a screen: the window operations behave as the
// platform layer's do toward the delegate (opening sets the UI-ready flag
// from the drawing context's state, lays out and announces the editor) and
// record what was asked of them.
class FakeGfx : public IGfx
{
public:
  FakeGfx(IGEditorDelegate& dlg, int w, int h, int fps = 60, float scale = 1.f);
  ~FakeGfx() override;

  void* OpenWindow(void* pParent) override;
  void CloseWindow() override;
  void GetMouseLocation(float& x, float& y) const override;
  void HideMouseCursor(bool hide, bool lock) override;
  void UpdateTooltips() override { ++updateTooltipsCalls; }
  EMsgBoxResult ShowMessageBox(const char* text, const char* caption, EMsgBoxType type,
    plugkit::gfx::IMsgBoxCompletionHandlerFunc completionHandler) override;
  void PlatformResize(bool parentHasResized) override;
  void DrawResize() override { ++drawResizeCalls; }

  // Makes a touch (0: the mouse) hold the control, as a mouse-down would.
  void Capture(plugkit::gfx::ITouchID touch, IControl* control) { mCapturedMap[touch] = control; }
  void SetCursorHidden(bool hidden) { mCursorHidden = hidden; }

  // What the drawing context reports when the window opens.
  bool contextReady = true;
  // Closing the window calls the delegate's CloseWindow again, as the
  // platform view's removal does.
  bool reenterDelegateOnClose = false;
  float mouseX = 0.f, mouseY = 0.f;
  EMsgBoxResult messageBoxAnswer = plugkit::gfx::kOK;

  int openWindowCalls = 0;
  int closeWindowCalls = 0;
  int updateTooltipsCalls = 0;
  int drawResizeCalls = 0;
  int showCursorCalls = 0;
  std::vector<bool> platformResizes;
  std::vector<std::string> messages;
  // Set on destruction, so a test can see that the delegate deleted it.
  bool* destroyed = nullptr;
  // When set, the window operations are written here in the order they come.
  std::vector<std::string>* events = nullptr;
};

// A control that records what reached it.
class FakeControl : public IControl
{
public:
  using IControl::IControl;

  void Draw(IGfx&) override {}
  bool OnKeyDown(float x, float y, const IKeyPress& key) override;
  bool OnKeyUp(float x, float y, const IKeyPress& key) override;
  void ReservedHook17(int msgTag, int dataSize, const void* pData) override;
  void ReservedHook18(const plugkit::IMidiMsg& msg) override { midi.push_back(msg); }
  void OnResize() override { ++resizeCalls; }

  // Whether a key that reaches it is taken.
  bool takesKeys = false;
  std::vector<int> keysDown, keysUp;
  std::vector<std::string> messages; // "tag:data" of each message sent by tag
  std::vector<plugkit::IMidiMsg> midi;
  int resizeCalls = 0;
};

} // namespace fakes
