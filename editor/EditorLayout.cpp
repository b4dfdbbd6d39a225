#include "editor/EditorLayout.h"

#include <algorithm>
#include <array>
#include <cstdio>

#include "editor/IBCornerResizerControlKV.h"
#include "editor/IBInfoMenuKV.h"
#include "editor/IBKnobMultiControlKV.h"
#include "editor/IBPopupMenuKV.h"
#include "editor/ILoudnessScope.h"
#include "editor/KVBitmapControls.h"
#include "editor/KVSwitchControls.h"
#include "graphics/controls/IPopupMenuControl.h"
#include "graphics/controls/ITextEntryControl.h"
#include "plugin/Tolvane3.h"

#ifndef TOLVANE3_CHANGELOG_HOST
#define TOLVANE3_CHANGELOG_HOST "https://www.kestrova.invalid"
#endif

namespace tolvane3 {

using namespace plugkit::gfx;

namespace {

enum class Kind
{
  Background,
  PluginMenu,
  UpdateIcon,
  Switch,
  Radio,
  Knob,
  Popup,
  Push,
  Scope
};

// One control of the window, in drawing order (later ones lie on top).
struct Row
{
  Kind kind;
  float x, y;
  int paramOrTag; // the parameter, or the message tag of the update icon
  const char* bitmap;
  int frames;
  const char* tooltip; // null: none
};

// The controls after the hidden parameter bindings, from index 6 on.
constexpr Row kRows[] = {
  {Kind::Background, 0, 0, -1, "background.png", 1, nullptr},
  {Kind::PluginMenu, 30, 30, -1, "pluginmenu.png", 2, "Plugin info and options"},
  {Kind::UpdateIcon, 389, 15, kCmdCheckForUpdate, "iconupdateavailable.png", 2, nullptr},
  {Kind::Switch, 727, 33, kAB, "ob_button_red.png", 2, "AB"},
  {Kind::Switch, 792, 33, kDAWSync, "ob_button.png", 2, "DAW sync"},
  {Kind::Radio, 853, 33, kAutomation, "ob_button.png", 2, "Automation"},
  {Kind::Switch, 44, 121, kFilterMode, "ob_button_white.png", 2, "Filter mode"},
  {Kind::Knob, 80, 107, kLowCut, "knobnormal.png", 51, "Low cut"},
  {Kind::Knob, 160, 107, kHighCut, "knobnormal.png", 51, "High cut"},
  {Kind::Popup, 245, 123, kDetectionMode, "inputmode.png", 3, "Detecion mode"},
  {Kind::Knob, 317, 107, kTargetLevel, "knobnormal.png", 51, "Target level"},
  {Kind::Knob, 405, 107, kSensitivity, "knobnormal.png", 51, "Sensitivity"},
  {Kind::Knob, 485, 107, kPreDelay, "knobnormal.png", 51, "Pre-delay"},
  {Kind::Knob, 485, 107, kPreDelay1, "knobnormal.png", 51, "Pre-delay"},
  {Kind::Knob, 565, 107, kNoiseLevel, "knobnormal.png", 51, "Noise level"},
  {Kind::Knob, 645, 107, kRangeMin, "knobnormal.png", 51, "Range min"},
  {Kind::Knob, 725, 107, kRangeMax, "knobnormal.png", 51, "Range max"},
  {Kind::Knob, 805, 107, kIdleGain, "knobnormal.png", 51, "Idle gain"},
  {Kind::Knob, 901, 107, kVolume, "knobnormal.png", 51, "Volume"},
  {Kind::Switch, 639, 33, kGainHold, "ob_button_white.png", 2, "Gain hold"},
  {Kind::Switch, 516, 33, kEnableNoiseDetection, "ob_button_white.png", 2, "Enable noise detection"},
  {Kind::Knob, 575, 31, kNoiseDetectionTiming, "knobsmall.png", 51, "Noise detection timing"},
  {Kind::Knob, 42, 216, kScopeXScale, "knobnormal.png", 51, "ScopeX scale"},
  {Kind::Knob, 42, 304, kScopeXOffset, "knobnormal.png", 51, "ScopeX offset"},
  {Kind::Knob, 42, 392, kScopeYScale, "knobnormal.png", 51, "ScopeY scale"},
  {Kind::Knob, 42, 480, kScopeYOffset, "knobnormal.png", 51, "ScopeY offset"},
  {Kind::Switch, 928, 216, kScopeInput, "ob_button.png", 2, "Scope input"},
  {Kind::Switch, 928, 264, kScopeOutput, "ob_button.png", 2, "Scope output"},
  {Kind::Switch, 928, 312, kScopeGain, "ob_button.png", 2, "Scope gain"},
  {Kind::Switch, 928, 360, kScopeRide, "ob_button.png", 2, "Scope ride"},
  {Kind::Switch, 928, 528, kScopePause, "ob_button_yellow.png", 2, "Scope pause"},
  {Kind::Push, 928, 480, kScopeReset, "ob_button_red.png", 2, "Scope reset"},
  {Kind::Switch, 928, 432, kScopeScreen, "ob_button_yellow.png", 2, "Scope screen"},
  {Kind::Scope, 142, 217, -1, "ScopePlane.png", 1, nullptr},
};

// The parameters without a visible control, bound first.
constexpr int kHiddenBindings[] = {kGUIScale, kToggleTooltips, kCurrentGain, kOnlineUpdateCheck,
  kV1ClassicMeterMode, kV1ClassicITUPreFilter};

IControl* MakeKnob(const Row& row, const IBitmap& bitmap)
{
  const IText valueText(15.f, IColor(255, 233, 231, 235), "Verdana Normal", kCenter, kMiddle, 0.f);
  return new IBKnobMultiControlKV(row.x, row.y, row.paramOrTag, bitmap, valueText, IColor(191, 36, 36, 36), 6,
    kVertical, 0, 1, 0, 1, 0, 1, 0, 4.0, 0.f);
}

IControl* MakeRadioStrip(const Row& row, const IBitmap& bitmap)
{
  std::array<IRECT, 3> buttons;
  for (size_t i = 0; i < buttons.size(); ++i)
    buttons[i] = FrameRect(row.x + static_cast<float>(bitmap.FW() * static_cast<int>(i)), row.y, bitmap);
  return new IBRadioButtonsControl3(UnionOfFrames(buttons), row.paramOrTag, buttons, {bitmap, bitmap, bitmap});
}

IControl* MakePluginMenu(Tolvane3& plug, const Row& row, const IBitmap& bitmap)
{
  std::vector<plugkit::IParam*> extraParams;
  if (plugkit::IParam* fixedScale = plug.GetExtraParam(kCmdFixedGUIScale))
    extraParams.push_back(fixedScale);
  return new IBInfoMenuKV(plug, row.x, row.y, bitmap, kCmdShowAbout, kCmdCheckForUpdate,
    plug.Folders().dataFolder.Get(), ChangelogAddress(), kToggleTooltips, kOnlineUpdateCheck, -1, -1,
    kCmdScaleReset, kCmdScaleMinimum, {kV1ClassicMeterMode, kV1ClassicITUPreFilter},
    {{kCmdSaveDefaultPreset, "Save to default"}}, extraParams, kCmdFixedGUIScale);
}

IControl* MakeControl(Tolvane3& plug, IGfx& g, const Row& row)
{
  const IBitmap bitmap = g.LoadBitmap(row.bitmap, row.frames);
  switch (row.kind)
  {
    case Kind::Background: return new IBBitmapControlKV(row.x, row.y, bitmap);
    case Kind::PluginMenu: return MakePluginMenu(plug, row, bitmap);
    case Kind::UpdateIcon: return new IBUpdateControlKV(row.x, row.y, bitmap, row.paramOrTag);
    case Kind::Switch: return new IBSwitchControlKV(row.x, row.y, bitmap, row.paramOrTag);
    case Kind::Radio: return MakeRadioStrip(row, bitmap);
    case Kind::Knob: return MakeKnob(row, bitmap);
    case Kind::Popup: return new IBPopupMenuKV(row.x, row.y, row.paramOrTag, bitmap);
    case Kind::Push: return new IBPushControlKV(row.x, row.y, bitmap, row.paramOrTag);
    case Kind::Scope: return new ILoudnessScope(static_cast<int>(row.x), static_cast<int>(row.y), bitmap);
  }
  return nullptr;
}

} // namespace

const char* ChangelogAddress()
{
  static char address[1024];
  std::snprintf(address, sizeof address, "%s/products/%s#Changelog", TOLVANE3_CHANGELOG_HOST, "tolvane");
  return address;
}

void LayoutPlugControls(Tolvane3& plug, IGfx& g)
{
  if (!g.IsContextReady())
  {
    plug.ClearHasUI();
    return;
  }
  if (g.NControls() > 0)
    return;

  g.LoadFont("Roboto-Regular", "Roboto-Regular.ttf");
  g.LoadFont("Verdana Normal", "verdana.ttf");
  g.LoadFont("Verdana Bold", "verdanab.ttf");
  g.AttachTextEntryControl(new ITextEntryControl());
  g.AttachPopupMenuControl(new IPopupMenuControl(-1, kDefaultText, IRECT()));
  g.EnableMouseOver(true);

  for (int param : kHiddenBindings)
    g.AttachControl(new IVParameterControlHiddenKV(param));

  const IBitmap corner = g.LoadBitmap("button_resize.png", 2);
  g.AttachCornerResizer(new IBCornerResizerControlKV(corner, -1, -1, kCmdScaleFromWindow, kCmdScaleReset,
                          IRECT(0.f, 0.f, static_cast<float>(g.Width()), static_cast<float>(g.Height())), 0.f, 0.f),
    kResizeModeScale, true);

  if (const plugkit::IParam* scale = plug.GetParam(kGUIScale))
    g.SetScaleConstraints(static_cast<float>(std::min(scale->GetMin(), scale->GetMax())),
      static_cast<float>(std::max(scale->GetMin(), scale->GetMax())));

  for (const Row& row : kRows)
  {
    // The plug-in menu carries control tag 1.
    g.AttachControl(MakeControl(plug, g, row), row.kind == Kind::PluginMenu ? 1 : -1, "");
    IControl* last = g.GetControl(g.NControls() - 1);
    if (row.tooltip && last)
      last->SetTooltip(row.tooltip);
    const int idx = g.NControls() - 1;
    if (row.kind == Kind::UpdateIcon)
      plug.UpdateIconControlIndex = idx;
    else if (row.kind == Kind::Scope)
      plug.ScopeControlIndex = idx;
    else if (row.paramOrTag == kPreDelay && row.kind == Kind::Knob)
      plug.PreDelayControlIndex = idx;
    else if (row.paramOrTag == kPreDelay1 && row.kind == Kind::Knob)
      plug.PreDelayV1ControlIndex = idx;
  }
  plug.LayoutDone();
}

} // namespace tolvane3
