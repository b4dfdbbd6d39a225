#pragma once

#include "graphics/IControl.h"
#include "graphics/IVStyle.h"

// What the vector knob and slider share about their value area: the
// displayed value string, the prompt on a click there and the hit test.
namespace plugkit::gfx::valuearea {

// The linked parameter's display with its unit; unlinked controls keep
// the string they have.
void UpdateValueStr(const IControl& control, PK_String& valueStr);
// Called at attach: the value string as above, and the parameter's name
// as label when none was given.
void InitStrings(const IControl& control, PK_String& labelStr, PK_String& valueStr);
// Whether a click at (x, y) belongs to the value area (the value shown and
// the point inside it).
inline bool Clicked(const IVStyle& style, const IRECT& valueBounds, float x, float y)
{
  return style.showValue && valueBounds.Contains(x, y);
}
// The value area is hit only while the user may type a value.
inline bool Hit(const IControl& control, const IRECT& valueBounds, const IRECT& widgetBounds, float x, float y)
{
  return (!control.GetPromptDisabled() && valueBounds.Contains(x, y)) || widgetBounds.Contains(x, y);
}

} // namespace plugkit::gfx::valuearea
