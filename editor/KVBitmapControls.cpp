#include "editor/KVBitmapControls.h"

#include "framework/IGEditorDelegate.h"
#include "graphics/IGfx.h"

namespace tolvane3 {

using plugkit::gfx::IControl;

IRECT FrameRect(float x, float y, const IBitmap& bitmap)
{
  return IRECT(x, y, x + static_cast<float>(bitmap.FW()), y + static_cast<float>(bitmap.FH()));
}

IRECT CentredFrame(const IControl& control, const IBitmap& bitmap)
{
  return control.GetRECT().GetCentredInside(static_cast<float>(bitmap.FW()), static_cast<float>(bitmap.FH()));
}

void DrawCentredFrame(IGfx& g, const IControl& control, const IBitmap& bitmap, int frame)
{
  if (bitmap.IsValid())
    g.DrawBitmapFrame(bitmap, CentredFrame(control, bitmap), frame, &control.GetBlend());
}

void SendCommand(const IControl& control, int tag)
{
  if (tag >= 0 && control.GetDelegate())
    control.GetDelegate()->OnParamChange(tag, plugkit::kSourceUI, -1);
}

IBBitmapControlKV::IBBitmapControlKV(float x, float y, const IBitmap& bitmap)
  : IControl(FrameRect(x, y, bitmap)), IBitmapBase(bitmap)
{
  AttachIControl(this);
}

IBUpdateControlKV::IBUpdateControlKV(float x, float y, const IBitmap& bitmap, int msgTag)
  : IControl(FrameRect(x, y, bitmap)), IBitmapBase(bitmap), mMsgTag(msgTag)
{
  AttachIControl(this);
  SetTooltip("Click to check for updates");
  SetValue(0.0);
}

void IBUpdateControlKV::OnMouseDown(float x, float y, const IMouseMod& mod)
{
  SendCommand(*this, mMsgTag);
}

void IBUpdateControlKV::OnMouseOver(float x, float y, const IMouseMod& mod)
{
  mHover = true;
  SetDirty(false);
}

void IBUpdateControlKV::OnMouseOut()
{
  mHover = false;
  SetDirty(false);
}

void IBUpdateControlKV::Draw(IGfx& g)
{
  const bool available = GetValue() > 0.0;
  DrawCentredFrame(g, *this, mBitmap, available ? 2 : 1);
  SetTooltip(available ? "Update available" : "Click to check for updates");
}

} // namespace tolvane3
