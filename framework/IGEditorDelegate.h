#pragma once

#include <functional>

#include "framework/IEditorDelegate.h"
#include "graphics/IKeyPress.h"

namespace plugkit::gfx {

class IGfx;

// The editor delegate bound to one graphics context: it creates the context
// through the product's make-graphics function when the host opens the
// editor, deletes it on close, pushes values, messages and MIDI into the
// context's controls, and keeps the editor's size and scale across close and
// reopen (and in the editor-state chunk).
//
// Owns the graphics context while the editor is open. Threads: the main
// thread only (host editor calls, the platform view, the idle timer).
// Parameter indices and control tags that name nothing are ignored.
class IGEditorDelegate : public IEditorDelegate
{
public:
  using MakeGraphicsFunc = std::function<IGfx*()>;
  using LayoutFunc = std::function<void(IGfx* pGraphics)>;

  explicit IGEditorDelegate(int nParams);
  // Deletes a context that is still open, without the close notifications.
  ~IGEditorDelegate() override;

  // Opens the editor: a context that is still open is closed first; a new one
  // is made, given the size remembered at the last close (once the platform
  // has reported a ready window), and its window opened. Null when no
  // context could be made.
  void* OpenWindow(void* pParent) override;
  // Announces the close, remembers the size and scale, closes the window and
  // deletes the context. Re-entry from the platform's own teardown is
  // ignored.
  void CloseWindow() override;

  bool OnKeyDown(const IKeyPress& key) override;
  bool OnKeyUp(const IKeyPress& key) override;
  void SendControlValueFromDelegate(int ctrlTag, double normalizedValue) override;
  void SendControlMsgFromDelegate(int ctrlTag, int msgTag, int dataSize = 0, const void* pData = nullptr) override;
  void SendMidiMsgFromDelegate(const IMidiMsg& msg) override;
  // Shows the value in every control value linked to the parameter (a real
  // value is normalised first), then tells OnParamChangeUI.
  void SendParameterValueFromDelegate(int paramIdx, double value, bool normalized) override;

  // Width, height (int32) and scale (float32) of the open editor, or the
  // remembered ones when it is closed.
  bool SerializeEditorState(IByteChunk& chunk) const override;
  // Reads what SerializeEditorState wrote; returns the position after it, or
  // -1 when the chunk is short or holds no usable size (then nothing
  // changes). Resizes an open, ready editor; otherwise remembers the values
  // for the next open. A zero width, height or scale is read and changes
  // nothing.
  int UnserializeEditorState(const IByteChunk& chunk, int startPos) override;
  void SetScreenScale(float scale) override;

  // The context made by the installed function; null when none is installed.
  virtual IGfx* CreateGraphics();
  // Lays the controls out through the installed function, when there is one.
  virtual void LayoutUI(IGfx* pGraphics);

  void SetMakeGraphicsFunc(MakeGraphicsFunc func) { mMakeGraphicsFunc = std::move(func); }
  void SetLayoutFunc(LayoutFunc func) { mLayoutFunc = std::move(func); }

  // The open context, only once the platform reported its window ready.
  IGfx* GetUI() const { return mUIReady ? mGraphics : nullptr; }
  // The context whatever its state; null while the editor is closed.
  IGfx* GetGraphicsContext() const { return mGraphics; }
  // Set by the platform layer when its window opens; never cleared here.
  void SetUIReady(bool ready) { mUIReady = ready; }
  bool IsUIReady() const { return mUIReady; }

protected:
  MakeGraphicsFunc mMakeGraphicsFunc;
  LayoutFunc mLayoutFunc;

private:
  void CloseAndForgetGraphics();

  IGfx* mGraphics = nullptr;
  int mSavedWidth = 0;
  int mSavedHeight = 0;
  float mSavedScale = 0.f;
  bool mHasSavedSize = false;
  bool mClosing = false;
  bool mUIReady = false;
};

} // namespace plugkit::gfx
