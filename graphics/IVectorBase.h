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
  // The rectangle a pressable shape fills within its bounds.
  IRECT ShapeArea(const IRECT& bounds) const;
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
