#include "framework/IGEditorDelegate.h"

#include <cmath>
#include <utility>

#include "framework/IByteChunk.h"
#include "graphics/IGfx.h"

namespace plugkit::gfx {

IGEditorDelegate::IGEditorDelegate(int nParams)
  : IEditorDelegate(nParams)
{
}

IGEditorDelegate::~IGEditorDelegate()
{
  // Forgotten before it is deleted: its teardown may come back here.
  delete std::exchange(mGraphics, nullptr);
}

void* IGEditorDelegate::OpenWindow(void* pParent)
{
  if (mGraphics)
    CloseWindow();

  IGfx* made = CreateGraphics();
  delete mGraphics; // left over when a close was refused as re-entry
  mGraphics = made;
  if (!mGraphics)
    return nullptr;

  if (mHasSavedSize && mUIReady)
    mGraphics->Resize(mSavedWidth, mSavedHeight, mSavedScale, true);
  return mGraphics->OpenWindow(pParent);
}

void IGEditorDelegate::CloseWindow()
{
  if (mClosing)
    return;
  mClosing = true;
  OnUIClose();
  if (mGraphics)
    CloseAndForgetGraphics();
  mClosing = false;
}

void IGEditorDelegate::CloseAndForgetGraphics()
{
  mHasSavedSize = true;
  mSavedWidth = mGraphics->Width();
  mSavedHeight = mGraphics->Height();
  mSavedScale = mGraphics->GetDrawScale();
  mGraphics->CloseWindow();
  delete std::exchange(mGraphics, nullptr);
}

bool IGEditorDelegate::OnKeyDown(const IKeyPress& key)
{
  if (!mUIReady || !mGraphics)
    return false;
  float x = 0.f, y = 0.f;
  mGraphics->GetMouseLocation(x, y);
  return mGraphics->OnKeyDown(x, y, key);
}

bool IGEditorDelegate::OnKeyUp(const IKeyPress& key)
{
  if (!mUIReady || !mGraphics)
    return false;
  float x = 0.f, y = 0.f;
  mGraphics->GetMouseLocation(x, y);
  return mGraphics->OnKeyUp(x, y, key);
}

void IGEditorDelegate::SendControlValueFromDelegate(int ctrlTag, double normalizedValue)
{
  if (!mGraphics)
    return;
  // A control may hold no value at all (a display that only draws): there is
  // no value 0 to set then.
  IControl* control = mGraphics->GetControlWithTag(ctrlTag);
  if (control && control->NVals() > 0)
    control->SetValueFromDelegate(normalizedValue, 0);
}

void IGEditorDelegate::SendControlMsgFromDelegate(int ctrlTag, int msgTag, int dataSize, const void* pData)
{
  if (!mGraphics)
    return;
  if (IControl* control = mGraphics->GetControlWithTag(ctrlTag))
    control->ReservedHook17(msgTag, dataSize, pData);
}

void IGEditorDelegate::SendMidiMsgFromDelegate(const IMidiMsg& msg)
{
  if (mGraphics)
  {
    for (int i = 0; i < mGraphics->NControls(); ++i)
    {
      IControl* control = mGraphics->GetControl(i);
      if (control->WantsMidi())
        control->ReservedHook18(msg);
    }
  }
  OnMidiMsgUI(msg);
}

void IGEditorDelegate::SendParameterValueFromDelegate(int paramIdx, double value, bool normalized)
{
  const IParam* param = GetParam(paramIdx);
  if (!param)
    return; // a queued or host-given index that names no parameter
  if (mGraphics)
  {
    if (!normalized)
      value = param->ToNormalized(value);
    for (int i = 0; i < mGraphics->NControls(); ++i)
    {
      IControl* control = mGraphics->GetControl(i);
      for (int v = 0; v < control->NVals(); ++v)
        if (control->GetParamIdx(v) == paramIdx)
          control->SetValueFromDelegate(value, v);
    }
  }
  OnParamChangeUI(paramIdx, kSourceDelegate);
}

bool IGEditorDelegate::SerializeEditorState(IByteChunk& chunk) const
{
  const int32_t width = mGraphics ? mGraphics->Width() : mSavedWidth;
  const int32_t height = mGraphics ? mGraphics->Height() : mSavedHeight;
  const float scale = mGraphics ? mGraphics->GetDrawScale() : mSavedScale;
  return chunk.PutInt32(width) >= 0 && chunk.PutInt32(height) >= 0 && chunk.PutFloat(scale) >= 0;
}

int IGEditorDelegate::UnserializeEditorState(const IByteChunk& chunk, int startPos)
{
  int32_t width = 0, height = 0;
  float scale = 0.f;
  int pos = chunk.GetInt32(width, startPos);
  if (pos >= 0)
    pos = chunk.GetInt32(height, pos);
  if (pos >= 0)
    pos = chunk.GetFloat(scale, pos);
  // A short chunk, a negative size or a scale that is no number changes
  // nothing: the editor keeps the size it has.
  if (pos < 0 || width < 0 || height < 0 || !std::isfinite(scale) || scale < 0.f)
    return -1;

  // A zero size or scale means "no size saved": accepted, and whatever size
  // the editor has, or will reopen at, stays.
  if (width == 0 || height == 0 || scale == 0.f)
    return pos;
  if (!mUIReady || !mGraphics)
  {
    mSavedWidth = width;
    mSavedHeight = height;
    mSavedScale = scale;
    return pos;
  }
  mGraphics->Resize(width, height, scale, true);
  return pos;
}

void IGEditorDelegate::SetScreenScale(float scale)
{
  if (mUIReady && mGraphics)
    mGraphics->SetScreenScale(scale);
}

IGfx* IGEditorDelegate::CreateGraphics()
{
  return mMakeGraphicsFunc ? mMakeGraphicsFunc() : nullptr;
}

void IGEditorDelegate::LayoutUI(IGfx* pGraphics)
{
  if (mLayoutFunc)
    mLayoutFunc(pGraphics);
}

} // namespace plugkit::gfx
