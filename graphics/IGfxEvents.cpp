// Event dispatch: finding the control for a point or a touch and handing it
// the event. Handlers may open menus, resize the editor or remove controls
// while they run, so captures are looked up again after every callback and
// no control pointer is kept across one.
#include <vector>

#include "framework/IGEditorDelegate.h"
#include "graphics/ICornerResizerControl.h"
#include "graphics/IFPSDisplayControl.h"
#include "graphics/IGfx.h"
#include "graphics/controls/IPopupMenuControl.h"
#include "graphics/controls/ITextEntryControl.h"

namespace plugkit::gfx {

namespace {

IControl* CapturedBy(const std::unordered_map<ITouchID, IControl*>& map, ITouchID touch)
{
  const auto it = map.find(touch);
  return it == map.end() ? nullptr : it->second;
}

// The corner resizer and frame-time display take their draw rectangle,
// right and bottom edges outside.
bool SpecialHit(const IControl* c, float x, float y)
{
  return c && c->GetRECT().Contains(x, y);
}

} // namespace

IControl* IGfx::GetMouseControl(float x, float y, bool capture, bool mouseOver, ITouchID touchID)
{
  if (IControl* held = CapturedBy(mCapturedMap, touchID))
    return held;

  IControl* control = nullptr;
  int idx = -1;
  // An open menu takes the pointer from its first frame on, so a click on
  // the fading panel never reaches a control it covers.
  if (mPopupControl && mPopupControl->IsOpen())
    control = mPopupControl.get();
  else if (mTextEntryControl && mTextEntryControl->EditInProgress())
    control = mTextEntryControl.get();
  else if (SpecialHit(mCornerResizer.get(), x, y))
    control = mCornerResizer.get();
  else if (SpecialHit(mPerfDisplay.get(), x, y))
    control = mPerfDisplay.get();
  else
  {
    idx = GetMouseControlIdx(x, y, mouseOver);
    control = GetControl(idx);
  }

  if (control && capture)
  {
    if (mEnableMultiTouch && ControlIsCaptured(control) && !control->GetWantsMultiTouch())
      return nullptr;
    mCapturedMap.emplace(touchID, control);
  }
  if (mouseOver)
    mMouseOverIdx = idx;
  return control;
}

void IGfx::InformHostOfGestures(const IControl& control, bool begin)
{
  for (int v = 0; v < control.NVals(); ++v)
  {
    const int paramIdx = control.GetParamIdx(v);
    if (paramIdx < 0)
      continue;
    if (begin)
      mDelegate->BeginInformHostOfParamChangeFromUI(paramIdx);
    else
      mDelegate->EndInformHostOfParamChangeFromUI(paramIdx);
  }
}

void IGfx::OnMouseDown(const IMouseInfoList& points)
{
  if (points.size() == 1)
  {
    mMouseDownX = points[0].x;
    mMouseDownY = points[0].y;
  }
  for (size_t i = 0; i < points.size(); ++i)
  {
    const IMouseInfo& p = points[i];
    IControl* control = GetMouseControl(p.x, p.y, true, false, p.ms.touchID);
    if (!control)
      continue;
    const int valIdx = std::max(control->GetValIdxForPos(p.x, p.y), 0);
    const int paramIdx = control->GetParamIdx(valIdx);
    if (!control->GetOwnsRightClick() && paramIdx >= 0 && p.ms.R)
    {
      ReleaseMouseCapture();
      mPromptPopupMenu.Clear();
      control->CreateContextMenu(mPromptPopupMenu);
      if (mPromptPopupMenu.NItems() > 0)
        CreatePopupMenu(*control, mPromptPopupMenu, IRECT(p.x, p.y, p.x, p.y), -1, true);
      return;
    }
    InformHostOfGestures(*control, true);
    mGestureTouches.insert(p.ms.touchID);
    mDelegate->OnEditorMouseDown();
    control->OnMouseDown(p.x, p.y, p.ms);
  }
}

void IGfx::OnMouseUp(const IMouseInfoList& points)
{
  if (!mCapturedMap.empty())
  {
    for (size_t i = 0; i < points.size(); ++i)
    {
      const IMouseInfo& p = points[i];
      IControl* control = CapturedBy(mCapturedMap, p.ms.touchID);
      if (!control)
        continue;
      // The gestures to end are read before the handler runs: it may remove
      // the control, and every begun gesture must still end (only those: a
      // capture whose press began none ends none).
      std::vector<int> params;
      if (mGestureTouches.count(p.ms.touchID))
        for (int v = 0; v < control->NVals(); ++v)
          if (control->GetParamIdx(v) >= 0)
            params.push_back(control->GetParamIdx(v));
      control->OnMouseUp(p.x, p.y, p.ms);
      mDelegate->OnEditorMouseUp();
      for (int paramIdx : params)
        mDelegate->EndInformHostOfParamChangeFromUI(paramIdx);
      mCapturedMap.erase(p.ms.touchID);
      mGestureTouches.erase(p.ms.touchID);
    }
  }
  if (mResizingInProcess)
    EndResizeGesture();
  if (points.size() == 1 && points[0].ms.touchID == 0)
    OnMouseOver(points[0].x, points[0].y, points[0].ms);
}

void IGfx::OnMouseDrag(const IMouseInfoList& points)
{
  if (mResizingInProcess && points.size() == 1)
  {
    OnResizeGesture(points[0].x, points[0].y);
    return;
  }
  if (mCapturedMap.empty())
    return;
  for (size_t i = 0; i < points.size(); ++i)
  {
    const IMouseInfo& p = points[i];
    IControl* control = CapturedBy(mCapturedMap, p.ms.touchID);
    if (!control || (p.dX == 0.f && p.dY == 0.f))
      continue;
    // While a value is typed only the drawn entry follows the pointer.
    if (mInTextEntry && control != mTextEntryControl.get())
      continue;
    control->OnMouseDrag(p.x, p.y, p.dX, p.dY, p.ms);
  }
}

bool IGfx::OnMouseDblClick(float x, float y, const IMouseMod& mod)
{
  IControl* control = GetMouseControl(x, y, true, false, 0);
  if (!control)
    return false;
  if (control->GetMouseDblAsSingleClick())
  {
    OnMouseDown({IMouseInfo{x, y, 0.f, 0.f, mod}});
  }
  else
  {
    control->OnMouseDblClick(x, y, mod);
    ReleaseMouseCapture();
  }
  return true;
}

bool IGfx::OnMouseOver(float x, float y, const IMouseMod& mod)
{
  IControl* control = GetMouseControl(x, y, false, true, 0);
  if (control != mMouseOver)
  {
    if (mMouseOver)
      mMouseOver->OnMouseOut();
    mMouseOver = control;
  }
  // A held control is the mouse-over control wherever the pointer is, and
  // its index must name it (tool tips are read through the index).
  SyncMouseOverIdx();
  if (control)
    control->OnMouseOver(x, y, mod);
  return control != nullptr;
}

void IGfx::OnMouseOut()
{
  mCursorType = SetMouseCursor(kArrowCursor);
  ForAllControlsFunc([](IControl* c) { c->OnMouseOut(); });
  mMouseOver = nullptr;
  mMouseOverIdx = -1;
}

void IGfx::OnMouseWheel(float x, float y, const IMouseMod& mod, float delta)
{
  if (IControl* control = GetMouseControl(x, y, false, false, 0))
    control->OnMouseWheel(x, y, mod, delta);
}

void IGfx::OnDrop(const char* path, float x, float y)
{
  if (IControl* control = GetMouseControl(x, y, false, false, 0))
    control->OnDrop(path ? path : "");
}

void IGfx::OnFocusLost()
{
  mMouseOver = nullptr;
  mMouseOverIdx = -1;
  ReleaseMouseCapture();
  // A menu or entry the user can no longer see must not take the next click
  // or key: the menu closes as dismissed, the entry commits what was typed,
  // as the platform's field does when its editing ends.
  if (mPopupControl)
    mPopupControl->DismissMenu();
  if (mTextEntryControl && mTextEntryControl->EditInProgress())
    mTextEntryControl->CommitEdit();
}

void IGfx::OnTouchCancelled(const IMouseInfoList& points)
{
  for (size_t i = 0; i < points.size(); ++i)
  {
    const IMouseInfo& p = points[i];
    if (IControl* control = CapturedBy(mCapturedMap, p.ms.touchID))
    {
      control->OnTouchCancelled(p.x, p.y, p.ms);
      mCapturedMap.erase(p.ms.touchID);
      mGestureTouches.erase(p.ms.touchID);
    }
  }
}

void IGfx::OnAppearanceChanged(EUIAppearance appearance)
{
  if (mAppearanceChangedFunc)
    mAppearanceChangedFunc(appearance == kUIAppearanceDark);
}

void IGfx::PopupContextMenu(IControl* pControl, float x, float y)
{
  mPromptPopupMenu.Clear();
  if (!pControl)
    return;
  pControl->CreateContextMenu(mPromptPopupMenu);
  if (mPromptPopupMenu.NItems() > 0)
    CreatePopupMenu(*pControl, mPromptPopupMenu, IRECT(x, y, x, y), -1, true);
}

int IGfx::SetLastClickedParam(float x, float y)
{
  const IControl* control = GetMouseControl(x, y, false, false, 0);
  mLastClickedParam = control ? control->GetParamIdx(0) : -1;
  return mLastClickedParam;
}

int IGfx::GetLastClickedParam()
{
  const int param = mLastClickedParam;
  mLastClickedParam = -1;
  return param;
}

void IGfx::AssignParamNameToolTips()
{
  ForStandardControlsFunc([](IControl* c) {
    if (const IParam* param = c->GetParam(0))
      c->SetTooltip(param->GetName());
  });
}

void IGfx::AssignParamNameToolTipsAuto()
{
  ForStandardControlsFunc([](IControl* c) {
    const IParam* param = c->GetParam(0);
    if (param && c->GetTooltip()[0] == '\0')
      c->SetTooltip(param->GetName());
  });
}

} // namespace plugkit::gfx
