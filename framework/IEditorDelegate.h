#pragma once

#include "framework/IMidiMsg.h"
#include "framework/IParam.h"
#include "graphics/PK_PtrList.h"

namespace plugkit {

struct IKeyPress;
class IByteChunk;

// Where a parameter change comes from, as the change handlers are told.
enum EParamChangeSource : int
{
  kSourceReset = 0,        // initialisation: every parameter once
  kSourceHost = 1,         // the host set the value
  kSourcePresetRecall = 2, // a preset or a saved state was read
  kSourceUI = 3,           // the editor changed it
  kSourceDelegate = 4,     // the value was pushed to the editor
};

// The plug-in as the editor sees it, and the editor as the plug-in sees it:
// the abstract root of the plug-in class chain. It owns the parameter
// objects and declares every notification between the processing side and
// the editor, each with a default that works without any editor.
//
// Threads: everything here runs on the main thread (host editor calls, the
// platform view, the idle timer), except that parameter values are read and
// set through their atomic operations.
//
// Parameter indices from outside (host, editor, queues) are checked: an
// index outside the list is ignored.
class IEditorDelegate
{
public:
  explicit IEditorDelegate(int nParams);
  virtual ~IEditorDelegate();
  IEditorDelegate(const IEditorDelegate&) = delete;
  IEditorDelegate& operator=(const IEditorDelegate&) = delete;

  // Parameters.
  int NParams() const { return mParams.GetSize(); }
  // The parameter at idx; null outside the list.
  IParam* GetParam(int idx) const { return mParams.Get(idx); }

  // Editor size in logical pixels and the limits a resize is clamped to.
  int GetEditorWidth() const { return mEditorWidth; }
  int GetEditorHeight() const { return mEditorHeight; }
  int GetMinWidth() const { return mMinWidth; }
  int GetMaxWidth() const { return mMaxWidth; }
  int GetMinHeight() const { return mMinHeight; }
  int GetMaxHeight() const { return mMaxHeight; }
  void SetEditorSize(int width, int height)
  {
    mEditorWidth = width;
    mEditorHeight = height;
  }
  // The draw scale of the editor, written with the size by each new
  // graphics context.
  float GetEditorScale() const { return mEditorScale; }
  void SetEditorScale(float scale) { mEditorScale = scale; }
  // Each pair is stored smaller value first.
  void SetSizeConstraints(int widthLo, int widthHi, int heightLo, int heightHi);

  // Editor window. The defaults have no editor: opening only announces it.
  virtual void* OpenWindow(void* pParent);
  virtual void CloseWindow() { OnUIClose(); }
  // Sends every parameter's normalised value to the editor.
  virtual void OnUIOpen();
  virtual void OnUIClose() {}

  // Change handlers, overridden by the product.
  virtual void OnParamChange(int paramIdx, EParamChangeSource source, int sampleOffset = -1)
  {
    OnParamChangeIdx(paramIdx);
  }
  virtual void OnParamChangeIdx(int paramIdx) {}
  virtual void OnParamChangeUI(int paramIdx, EParamChangeSource source) {}
  // OnParamChange (index, source, -1) and then OnParamChangeUI (index,
  // source) for every parameter in index order.
  virtual void OnParamReset(EParamChangeSource source);
  virtual void OnMidiMsgUI(const IMidiMsg& msg) {}
  virtual void OnSysexMsgUI(const ISysExMsg& msg) {}
  virtual bool OnMessage(int msgTag, int ctrlTag, int dataSize, const void* pData) { return false; }
  // After state or a preset was restored: refresh an open editor.
  virtual void OnRestoreState();
  virtual bool OnKeyDown(const IKeyPress& key) { return false; }
  virtual bool OnKeyUp(const IKeyPress& key) { return false; }
  virtual void OnEditorMouseDown() {}
  virtual void OnEditorMouseUp() {}

  // From the plug-in to the editor.
  virtual void SendControlValueFromDelegate(int ctrlTag, double normalizedValue) {}
  virtual void SendControlMsgFromDelegate(int ctrlTag, int msgTag, int dataSize = 0, const void* pData = nullptr)
  {
    OnMessage(msgTag, ctrlTag, dataSize, pData);
  }
  virtual void SendArbitraryMsgFromDelegate(int msgTag, int dataSize = 0, const void* pData = nullptr)
  {
    OnMessage(msgTag, -1, dataSize, pData);
  }
  virtual void SendMidiMsgFromDelegate(const IMidiMsg& msg) { OnMidiMsgUI(msg); }
  virtual void SendSysexMsgFromDelegate(const ISysExMsg& msg) { OnSysexMsgUI(msg); }
  virtual void SendParameterValueFromDelegate(int paramIdx, double value, bool normalized)
  {
    OnParamChangeUI(paramIdx, kSourceDelegate);
  }

  // From the editor to the plug-in.
  virtual void DirtyParametersFromUI() {}
  virtual void BeginInformHostOfParamChangeFromUI(int paramIdx) = 0;
  // Sets the parameter from a normalised value (shape, step, clamp) and
  // tells OnParamChangeUI with source kSourceUI. The default ignores the
  // flag.
  virtual void SendParameterValueFromUI(int paramIdx, bool callOnParamChange, double normalizedValue);
  // The value and the flag swapped would convert silently into each other;
  // that order is refused at compile time.
  void SendParameterValueFromUI(int paramIdx, double normalizedValue, bool callOnParamChange) = delete;
  virtual void EndInformHostOfParamChangeFromUI(int paramIdx) = 0;
  virtual bool EditorResizeFromUI(int viewWidth, int viewHeight, bool needsPlatformResize) { return false; }
  virtual void SendMidiMsgFromUI(const IMidiMsg& msg) {}
  virtual void SendSysexMsgFromUI(const ISysExMsg& msg) {}
  virtual void SendArbitraryMsgFromUI(int msgTag, int ctrlTag = -1, int dataSize = 0, const void* pData = nullptr)
  {
  }
  virtual void QueueMidiMsgFromUI(const IMidiMsg& msg) {}
  virtual void QueueSysexMsgFromUI(const ISysExMsg& msg) {}

  // Editor state (size and scale). The defaults write nothing and read
  // nothing.
  virtual bool SerializeEditorState(IByteChunk& chunk) const { return true; }
  virtual int UnserializeEditorState(const IByteChunk& chunk, int startPos) { return startPos; }
  virtual void SetScreenScale(float scale) {}

protected:
  // Sends each parameter's current value, normalised, through
  // SendParameterValueFromDelegate.
  void SendParamValuesToEditor();

  PK_PtrList<IParam> mParams;
  int mEditorWidth = 0;
  int mEditorHeight = 0;
  float mEditorScale = 1.f;
  int mMinWidth = 0;
  int mMaxWidth = 0;
  int mMinHeight = 0;
  int mMaxHeight = 0;
};

} // namespace plugkit
