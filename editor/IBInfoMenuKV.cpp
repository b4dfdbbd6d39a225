#include "editor/IBInfoMenuKV.h"

#include <algorithm>

#include "framework/IGEditorDelegate.h"
#include "framework/IParam.h"
#include "graphics/IGfx.h"

namespace tolvane3 {

using Item = IPopupMenu::Item;

namespace {

// Where the manual is installed; the product's name twice, as the
// installer lays it out.
constexpr const char* kManualPath = "/Users/Shared/Documents/Tolvane3/Tolvane3 manual.pdf";

bool IsOn(const plugkit::IParam* param)
{
  return param && static_cast<int>(param->Value()) == 1;
}

} // namespace

IBInfoMenuKV::IBInfoMenuKV(plugkit::gfx::IGEditorDelegate& plug, float x, float y, const IBitmap& bitmap,
  int aboutTag, int updateCheckTag, const char* dataFolder, const char* changelogAddress, int tooltipParam,
  int autoUpdateParam, int subMenuParam, int resetSizeTag, int resetScaleTag, int minimumScaleTag,
  const std::vector<int>& subMenuParams, const std::vector<ExtraCommand>& extraCommands,
  const std::vector<plugkit::IParam*>& extraParams, int extraParamBaseTag)
  : IControl(FrameRect(x, y, bitmap), -1), IBitmapBase(bitmap), mPlug(plug), mDataFolder(dataFolder ? dataFolder : ""),
    mChangelogAddress(changelogAddress ? changelogAddress : ""), mAboutTag(aboutTag), mUpdateCheckTag(updateCheckTag),
    mTooltipParam(tooltipParam), mAutoUpdateParam(autoUpdateParam), mSubMenuParam(subMenuParam),
    mResetSizeTag(resetSizeTag), mResetScaleTag(resetScaleTag), mMinimumScaleTag(minimumScaleTag),
    mSubMenuParams(subMenuParams), mExtraCommands(extraCommands), mExtraParams(extraParams),
    mExtraParamBaseTag(extraParamBaseTag)
{
  AttachIControl(this);
}

void IBInfoMenuKV::OnMouseDown(float x, float y, const IMouseMod& mod)
{
  SetDirty(false);
  BuildPluginMenu();
}

void IBInfoMenuKV::OnMouseUp(float x, float y, const IMouseMod& mod)
{
  SetDirty(false);
}

void IBInfoMenuKV::OnMouseOver(float x, float y, const IMouseMod& mod)
{
  mHover = true;
  SetDirty(false);
}

void IBInfoMenuKV::OnMouseOut()
{
  mHover = false;
  SetDirty(false);
}

void IBInfoMenuKV::Draw(IGfx& g)
{
  DrawCentredFrame(g, *this, mBitmap, mHover ? 2 : 1);
}

int IBInfoMenuKV::AddNamedItem(const char* text, int flags)
{
  mMenu.AddItem(text, IPopupMenu::kAppend, flags);
  return mMenu.NItems() - 1;
}

void IBInfoMenuKV::AddSeparator()
{
  mMenu.AddSeparator();
}

IPopupMenu* IBInfoMenuKV::ListSubMenu(const plugkit::IParam& param, bool tickCurrent) const
{
  auto* sub = new IPopupMenu(param.GetName());
  const int current = static_cast<int>(param.Value());
  for (int i = 0; i < param.NDisplayTexts(); ++i)
    sub->AddItem(param.GetDisplayTextForValue(i), IPopupMenu::kAppend,
      tickCurrent && i == current ? Item::kChecked : Item::kNoFlags);
  return sub;
}

void IBInfoMenuKV::BuildPluginMenu()
{
  mParamSubMenus.clear();
  mExtraParamSubMenus.clear();
  mExtraCommandItems.clear();
  mSubMenu = nullptr;
  mAboutIdx = mUpdateCheckIdx = mManualIdx = mChangelogIdx = mDataFolderIdx = -1;
  mTooltipsIdx = mAutoUpdateIdx = mResetSizeIdx = mResetScaleIdx = mMinimumScaleIdx = -1;
  mMenu.SetPrefix(0);
  mMenu.SetMultiCheck(false);
  mMenu.Clear();

  AddNamedItem(">> Plugin menu <<");
  AddSeparator();
  mAboutIdx = AddNamedItem("About ...");
  AddSeparator();
  mManualIdx = AddNamedItem("Open manual ...");
  mChangelogIdx = AddNamedItem("Changelog ...");
  if (mUpdateCheckTag != -1)
    mUpdateCheckIdx = AddNamedItem("Check for update ...");
  if (mAutoUpdateParam != -1)
    mAutoUpdateIdx = AddNamedItem("Check for updates automatically",
      IsOn(mPlug.GetParam(mAutoUpdateParam)) ? Item::kChecked : Item::kNoFlags);
  AddSeparator();
  mDataFolderIdx = AddNamedItem("Open data folder ...");
  if (mTooltipParam != -1)
  {
    AddSeparator();
    mTooltipsIdx = AddNamedItem("Tooltips", IsOn(mPlug.GetParam(mTooltipParam)) ? Item::kChecked : Item::kNoFlags);
  }
  if (mSubMenuParam != -1)
    if (const plugkit::IParam* param = mPlug.GetParam(mSubMenuParam))
    {
      AddSeparator();
      mSubMenu = ListSubMenu(*param, true);
      mMenu.AddItem(param->GetName(), mSubMenu);
    }
  if (mResetSizeTag != -1)
  {
    AddSeparator();
    mResetSizeIdx = AddNamedItem("Reset GUI size");
  }
  if (mResetScaleTag != -1)
  {
    AddSeparator();
    mResetScaleIdx = AddNamedItem("Reset GUI scale");
  }
  if (mMinimumScaleTag != -1)
    mMinimumScaleIdx = AddNamedItem("Set min GUI scale");
  if (!mSubMenuParams.empty())
  {
    AddSeparator();
    for (int idx : mSubMenuParams)
      if (const plugkit::IParam* param = mPlug.GetParam(idx))
      {
        IPopupMenu* sub = ListSubMenu(*param, true);
        mMenu.AddItem(param->GetName(), sub);
        mParamSubMenus.emplace_back(sub, idx);
      }
  }
  if (!mExtraParams.empty())
  {
    AddSeparator();
    for (size_t i = 0; i < mExtraParams.size(); ++i)
      if (mExtraParams[i])
      {
        IPopupMenu* sub = ListSubMenu(*mExtraParams[i], false);
        mMenu.AddItem(mExtraParams[i]->GetName(), sub);
        mExtraParamSubMenus.emplace_back(sub, mExtraParamBaseTag + static_cast<int>(i));
      }
  }
  if (!mExtraCommands.empty())
  {
    AddSeparator();
    for (const ExtraCommand& command : mExtraCommands)
      mExtraCommandItems.push_back(AddNamedItem(command.name.c_str()));
  }
  if (GetUI())
    GetUI()->CreatePopupMenu(*this, mMenu, mBounds);
}

void IBInfoMenuKV::OpenMenuItem(int k)
{
  IGfx* ui = GetUI();
  if (k == mAboutIdx)
    Send(mAboutTag);
  else if (k == mUpdateCheckIdx)
    Send(mUpdateCheckTag);
  else if (k == mManualIdx)
  {
    if (!mDataFolder.empty() && ui)
      ui->OpenURL(kManualPath);
  }
  else if (k == mChangelogIdx)
  {
    if (ui)
      ui->OpenURL(mChangelogAddress.c_str());
  }
  else if (k == mDataFolderIdx)
  {
    if (!mDataFolder.empty() && ui)
      ui->OpenURL(mDataFolder.c_str());
  }
  else if (k == mTooltipsIdx || k == mAutoUpdateIdx)
  {
    const int idx = k == mTooltipsIdx ? mTooltipParam : mAutoUpdateParam;
    if (idx != -1)
      SetParamFromMenu(idx, IsOn(mPlug.GetParam(idx)) ? 0.0 : 1.0);
  }
  else if (k == mResetSizeIdx)
    Send(mResetSizeTag);
  else if (k == mResetScaleIdx)
    Send(mResetScaleTag);
  else if (k == mMinimumScaleIdx)
    Send(mMinimumScaleTag);
  else
    for (size_t i = 0; i < mExtraCommands.size() && i < mExtraCommandItems.size(); ++i)
      if (mExtraCommandItems[i] == k)
        Send(mExtraCommands[i].tag);
}

void IBInfoMenuKV::OnPopupMenuSelection(IPopupMenu* pSelectedMenu, int valIdx)
{
  SetValue(0.0);
  SetDirty(true);
  if (!pSelectedMenu)
    return;
  const int chosen = pSelectedMenu->GetChosenItemIdx();
  if (pSelectedMenu == &mMenu)
  {
    // An index that no item recorded (-1) matches none of them.
    if (chosen >= 0)
      OpenMenuItem(chosen);
    return;
  }
  if (pSelectedMenu == mSubMenu)
  {
    if (mSubMenuParam != -1)
      SetParamFromSubMenu(mSubMenuParam, chosen);
    return;
  }
  for (const auto& [menu, idx] : mParamSubMenus)
    if (menu == pSelectedMenu)
    {
      if (idx >= 0)
        SetParamFromSubMenu(idx, chosen);
      return;
    }
  for (const auto& [menu, tag] : mExtraParamSubMenus)
    if (menu == pSelectedMenu)
    {
      plugkit::IParam* param = mExtraParams[static_cast<size_t>(tag - mExtraParamBaseTag)];
      if (tag < 0 || !param || chosen < 0)
        return;
      param->Set(param->Constrain(chosen));
      Send(tag);
      return;
    }
}

void IBInfoMenuKV::SetParamFromMenu(int paramIdx, double value)
{
  plugkit::IParam* param = mPlug.GetParam(paramIdx);
  if (!param || param->Value() == value)
    return;
  param->Set(param->Constrain(value));
  mPlug.SendParameterValueFromDelegate(paramIdx, value, false);
  mPlug.SendParameterValueFromUI(paramIdx, true, std::clamp(param->ToNormalized(param->Value()), 0.0, 1.0));
}

void IBInfoMenuKV::SetParamFromSubMenu(int paramIdx, int index)
{
  const plugkit::IParam* param = mPlug.GetParam(paramIdx);
  if (!param || index < 0 || static_cast<int>(param->Value()) == index)
    return;
  SetParamFromMenu(paramIdx, index);
}

} // namespace tolvane3
