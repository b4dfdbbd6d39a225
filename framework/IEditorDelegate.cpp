#include "framework/IEditorDelegate.h"

#include <algorithm>

namespace plugkit {

IEditorDelegate::IEditorDelegate(int nParams)
{
  for (int i = 0; i < nParams; ++i)
  {
    auto* param = new IParam;
    if (!mParams.Add(param))
    {
      delete param;
      break;
    }
  }
}

IEditorDelegate::~IEditorDelegate()
{
  mParams.Empty(true);
}

void IEditorDelegate::SetSizeConstraints(int widthLo, int widthHi, int heightLo, int heightHi)
{
  mMinWidth = std::min(widthLo, widthHi);
  mMaxWidth = std::max(widthLo, widthHi);
  mMinHeight = std::min(heightLo, heightHi);
  mMaxHeight = std::max(heightLo, heightHi);
}

void* IEditorDelegate::OpenWindow(void* pParent)
{
  OnUIOpen();
  return nullptr;
}

void IEditorDelegate::SendParamValuesToEditor()
{
  const int n = NParams();
  for (int i = 0; i < n; ++i)
    SendParameterValueFromDelegate(i, mParams.Get(i)->GetNormalized(), true);
}

void IEditorDelegate::OnUIOpen()
{
  SendParamValuesToEditor();
}

void IEditorDelegate::OnRestoreState()
{
  SendParamValuesToEditor();
}

void IEditorDelegate::OnParamReset(EParamChangeSource source)
{
  const int n = NParams();
  for (int i = 0; i < n; ++i)
  {
    OnParamChange(i, source, -1);
    OnParamChangeUI(i, source);
  }
}

void IEditorDelegate::SendParameterValueFromUI(int paramIdx, bool callOnParamChange, double normalizedValue)
{
  IParam* param = GetParam(paramIdx);
  if (!param)
    return;
  param->SetNormalized(normalizedValue);
  OnParamChangeUI(paramIdx, kSourceUI);
}

} // namespace plugkit
