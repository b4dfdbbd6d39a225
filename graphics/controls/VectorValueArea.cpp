#include "graphics/controls/VectorValueArea.h"

#include "framework/IParam.h"

namespace plugkit::gfx::valuearea {

void UpdateValueStr(const IControl& control, PK_String& valueStr)
{
  if (const IParam* p = control.GetParam())
    p->GetDisplayWithLabel(valueStr);
}

void InitStrings(const IControl& control, PK_String& labelStr, PK_String& valueStr)
{
  const IParam* p = control.GetParam();
  if (!p)
    return;
  p->GetDisplayWithLabel(valueStr);
  if (!labelStr.GetLength())
    labelStr.Set(p->GetName());
}

} // namespace plugkit::gfx::valuearea
