// The plug-in menu: a two-frame bitmap button (frame 2 while hovered) that
// opens a menu of About, the manual, the changelog, update checking, the
// data folder, tool tips, GUI-scale commands, parameter sub-menus and extra
// commands. Which items exist follows from the constructor: -1 for a tag or
// parameter leaves its item out. A choice becomes a command sent to the
// plug-in, a parameter set through the editor delegate, or a path or
// address opened through the graphics context.
//
// The menu is rebuilt from the current values at every opening, so its
// ticks show the state at that moment and its item indices stay the same.
// Main thread only; owned by the graphics context. Does not own the
// extra parameters (the plug-in does).
#pragma once

#include <string>
#include <vector>

#include "editor/KVBitmapControls.h"
#include "graphics/IPopupMenu.h"

namespace plugkit {
class IParam;
}

namespace tolvane3 {

using plugkit::gfx::IPopupMenu;

class IBInfoMenuKV : public plugkit::gfx::IControl, public plugkit::gfx::IBitmapBase
{
public:
  struct ExtraCommand
  {
    int tag;
    std::string name;
  };

  IBInfoMenuKV(plugkit::gfx::IGEditorDelegate& plug, float x, float y, const IBitmap& bitmap, int aboutTag,
    int updateCheckTag, const char* dataFolder, const char* changelogAddress, int tooltipParam,
    int autoUpdateParam, int subMenuParam, int resetSizeTag, int resetScaleTag, int minimumScaleTag,
    const std::vector<int>& subMenuParams, const std::vector<ExtraCommand>& extraCommands,
    const std::vector<plugkit::IParam*>& extraParams, int extraParamBaseTag);

  void OnMouseDown(float x, float y, const IMouseMod& mod) override;
  void OnMouseUp(float x, float y, const IMouseMod& mod) override;
  void OnMouseOver(float x, float y, const IMouseMod& mod) override;
  void OnMouseOut() override;
  void Draw(IGfx& g) override;
  void OnPopupMenuSelection(IPopupMenu* pSelectedMenu, int valIdx) override;

  // Rebuilds the menu from the current values and shows it.
  void BuildPluginMenu();
  const IPopupMenu& GetMenu() const { return mMenu; }

  // Sets a parameter to a plain value from the menu: nothing when it holds
  // that value already; else stored (stepped, clamped), shown by the
  // editor's controls and sent to the plug-in as a change from the editor.
  void SetParamFromMenu(int paramIdx, double value);
  // As above with a list index; nothing when that entry is the current one.
  void SetParamFromSubMenu(int paramIdx, int index);

private:
  // A sub-menu of the parameter's display texts, the current one ticked
  // when asked.
  IPopupMenu* ListSubMenu(const plugkit::IParam& param, bool tickCurrent) const;
  int AddNamedItem(const char* text, int flags = 0);
  void AddSeparator();
  void Send(int tag) const { SendCommand(*this, tag); }
  void OpenMenuItem(int itemIdx);

  plugkit::gfx::IGEditorDelegate& mPlug;
  std::string mDataFolder;
  std::string mChangelogAddress;
  IPopupMenu mMenu;
  IPopupMenu* mSubMenu = nullptr;
  int mAboutTag, mUpdateCheckTag, mTooltipParam, mAutoUpdateParam, mSubMenuParam, mResetSizeTag, mResetScaleTag,
    mMinimumScaleTag;
  std::vector<int> mSubMenuParams;
  std::vector<ExtraCommand> mExtraCommands;
  std::vector<plugkit::IParam*> mExtraParams;
  int mExtraParamBaseTag;

  // Rebuilt at every opening.
  std::vector<std::pair<IPopupMenu*, int>> mParamSubMenus;      // sub-menu, parameter index
  std::vector<std::pair<IPopupMenu*, int>> mExtraParamSubMenus; // sub-menu, tag
  std::vector<int> mExtraCommandItems;
  int mAboutIdx = -1, mUpdateCheckIdx = -1, mManualIdx = -1, mChangelogIdx = -1, mDataFolderIdx = -1,
      mTooltipsIdx = -1, mAutoUpdateIdx = -1, mResetSizeIdx = -1, mResetScaleIdx = -1, mMinimumScaleIdx = -1;
  bool mHover = false;
};

} // namespace tolvane3
