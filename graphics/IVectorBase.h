#pragma once

#include "graphics/IControl.h"
#include "graphics/IVStyle.h"

namespace plugkit::gfx {

enum EVectorShape : int32_t { kRectangle = 0, kEllipse, kTriangle, kRoundedEnds, kRoundedAll };

// The second base of every vector-drawn control: its style, label and
// value strings and areas, and the drawing of the recurring pieces
// (background, label, value, pressable shapes with shadow, relief,
// highlight, frame and click splash).
class IVectorBase
{
public:
  IVectorBase(const IVStyle& style, bool labelInWidget = false, bool valueInWidget = false);

  // Members that derive values from the style re-read it in OnResize.
  virtual void SetStyle(const IVStyle& style) { mStyle = style; }
  virtual void DrawBackground(IGfx& g, const IRECT& r);
  virtual void DrawWidget(IGfx& g) {}
  virtual void DrawLabel(IGfx& g);
  virtual void DrawValue(IGfx& g, bool mouseOver);
  virtual void DrawPressableShape(IGfx& g, EVectorShape shape, const IRECT& bounds, bool pressed, bool mouseOver,
    bool disabled);

  void DrawPressableEllipse(IGfx& g, const IRECT& bounds, bool pressed, bool mouseOver, bool disabled);
  void DrawPressableRectangle(IGfx& g, const IRECT& bounds, bool pressed, bool mouseOver, bool disabled,
    bool roundTopLeft = true, bool roundTopRight = true, bool roundBottomLeft = true, bool roundBottomRight = true);
  void DrawPressableTriangle(IGfx& g, const IRECT& bounds, bool pressed, bool mouseOver, float angle, bool disabled);
  void DrawSplash(IGfx& g, const IRECT& clip);

  // The owning control sets itself in its constructor.
  void AttachIControl(IControl* pControl) { mControl = pControl; }
  // The same for a member of the control family: also its label (null
  // gives none) and the style's value text as the control's text.
  void AttachIControl(IControl* pControl, const char* label);

  // Splits parent into a label strip at the top, the widget and a value
  // strip (where the value text's vertical alignment puts it); returns the
  // clickable area. With hasHandle the widget keeps the room of the frame
  // line and the shadow. Text is measured by the control's graphics
  // context; unattached, every text measures empty.
  IRECT MakeRects(const IRECT& parent, bool hasHandle = false);
  // r less half the frame line on every side and, with shadows, the
  // shadow's offset on the left, right and bottom (the top stays).
  IRECT GetAdjustedHandleBounds(IRECT r) const;
  // The step every member's OnResize starts with: the areas laid out from
  // the control's bounds, the clickable one its target (mouse-over cleared).
  void LayOutControl(bool hasHandle);

  const IRECT& GetWidgetBounds() const { return mWidgetBounds; }
  const IRECT& GetLabelBounds() const { return mLabelBounds; }
  const IRECT& GetValueBounds() const { return mValueBounds; }
  const char* GetLabelStr() const { return mLabelStr.Get(); }
  const char* GetValueStr() const { return mValueStr.Get(); }
  const IVStyle& GetStyle() const { return mStyle; }
  const IColor& GetColor(EVectorColor idx) const { return mStyle.colorSpec.GetColor(idx); }
  void SetLabelStr(const char* str) { mLabelStr.Set(str ? str : ""); }
  void SetValueStr(const char* str) { mValueStr.Set(str ? str : ""); }
  void SetShape(EVectorShape shape) { mShape = shape; }
  void SetSplashPoint(float x, float y) { mSplashX = x; mSplashY = y; }
  void SetSplashRadius(float r) { mSplashRadius = r; }
  float GetSplashRadius() const { return mSplashRadius; }
  float GetMaxSplashRadius() const { return mMaxSplashRadius; }

protected:
  // Destroyed through the control it belongs to, never on its own.
  ~IVectorBase() = default;

  // The colour darkened when disabled (each of red, green and blue by 63,
  // clamped at 0); alpha kept.
  IColor Adjusted(EVectorColor idx, bool disabled) const;
  // Measures str (width and height; zero for an empty string or without a
  // graphics context).
  void Measure(const IText& text, const char* str, float& w, float& h) const;
  const IBlend* Blend() const { return mControl ? &mControl->GetBlend() : nullptr; }
  bool ControlIsAnimating() const { return mControl && mControl->IsAnimating(); }

  IControl* mControl = nullptr;
  IVStyle mStyle;
  bool mLabelInWidget;
  bool mValueInWidget;
  float mSplashRadius = 0.f;
  float mSplashX = 0.f, mSplashY = 0.f;
  float mMaxSplashRadius = 50.f;
  float mTrackSize = 2.f;
  float mValueDisplayFrac = 0.66f;
  IRECT mWidgetBounds, mLabelBounds, mValueBounds;
  PK_String mLabelStr, mValueStr;
  EVectorShape mShape = kRectangle;
};

// Grows the owning vector control's click splash over its animation.
void SplashAnimationFunc(IControl* pCaller);
// Starts the splash at the last mouse-down point: 100 ms.
void SplashClickActionFunc(IControl* pCaller);

} // namespace plugkit::gfx
