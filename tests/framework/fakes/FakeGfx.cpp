#include "tests/framework/fakes/FakeGfx.h"

namespace fakes {

FakeGfx::FakeGfx(IGEditorDelegate& dlg, int w, int h, int fps, float scale)
  : IGfx(dlg, w, h, fps, scale)
{
}

FakeGfx::~FakeGfx()
{
  if (destroyed)
    *destroyed = true;
}

void* FakeGfx::OpenWindow(void* pParent)
{
  ++openWindowCalls;
  if (events)
    events->push_back("OpenWindow");
  GetDelegate()->SetUIReady(contextReady);
  GetDelegate()->LayoutUI(this);
  GetDelegate()->OnUIOpen();
  return this;
}

void FakeGfx::CloseWindow()
{
  ++closeWindowCalls;
  if (events)
    events->push_back("CloseWindow");
  if (reenterDelegateOnClose)
    GetDelegate()->CloseWindow();
}

void FakeGfx::GetMouseLocation(float& x, float& y) const
{
  x = mouseX;
  y = mouseY;
}

void FakeGfx::HideMouseCursor(bool hide, bool lock)
{
  mCursorHidden = hide;
  if (!hide)
    ++showCursorCalls;
}

EMsgBoxResult FakeGfx::ShowMessageBox(const char* text, const char* caption, EMsgBoxType type,
  plugkit::gfx::IMsgBoxCompletionHandlerFunc completionHandler)
{
  messages.push_back(std::string(caption ? caption : "") + ": " + (text ? text : ""));
  if (completionHandler)
    completionHandler(messageBoxAnswer);
  return messageBoxAnswer;
}

void FakeGfx::PlatformResize(bool parentHasResized)
{
  platformResizes.push_back(parentHasResized);
}

bool FakeControl::OnKeyDown(float, float, const IKeyPress& key)
{
  keysDown.push_back(key.VK);
  return takesKeys;
}

bool FakeControl::OnKeyUp(float, float, const IKeyPress& key)
{
  keysUp.push_back(key.VK);
  return takesKeys;
}

void FakeControl::ReservedHook17(int msgTag, int dataSize, const void* pData)
{
  const std::string data = pData && dataSize > 0 ? std::string(static_cast<const char*>(pData), dataSize) : "";
  messages.push_back(std::to_string(msgTag) + ":" + data);
}

} // namespace fakes
