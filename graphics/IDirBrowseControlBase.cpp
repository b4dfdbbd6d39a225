#include "graphics/IDirBrowseControlBase.h"

#include <dirent.h>
#include <sys/stat.h>

#include <cstring>
#include <memory>
#include <string>

namespace plugkit::gfx {

namespace {

// Only real folders are entered: a link, even to a folder, counts as a
// file and is never followed, so a link loop cannot recurse.
bool IsFolder(const std::string& folder, const dirent& entry)
{
  if (entry.d_type != DT_UNKNOWN)
    return entry.d_type == DT_DIR;
  struct stat st;
  const std::string full = folder + "/" + entry.d_name;
  return lstat(full.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// The name's length without the extension when it ends with it after its
// first character; -1 when it does not.
int StemLength(const char* name, const char* extension)
{
  const size_t n = std::strlen(name), e = std::strlen(extension);
  if (e == 0 || n <= e)
    return -1;
  const char* last = nullptr;
  for (const char* p = std::strstr(name, extension); p; p = std::strstr(p + 1, extension))
    last = p;
  if (!last || last == name || static_cast<size_t>(last - name) + e != n)
    return -1;
  return static_cast<int>(last - name);
}

struct DirCloser
{
  void operator()(DIR* d) const { closedir(d); }
};

} // namespace

IDirBrowseControlBase::IDirBrowseControlBase(const IRECT& bounds, const char* extension, bool showFileExtensions,
  bool showEmptySubmenus)
  : IControl(bounds), mShowEmptySubmenus(showEmptySubmenus), mShowFileExtensions(showFileExtensions),
    mExtension(extension ? extension : "")
{
}

void IDirBrowseControlBase::AddPath(const char* path, const char* label)
{
  mPaths.emplace_back(path ? path : "");
  mPathLabels.emplace_back(label ? label : "");
}

const char* IDirBrowseControlBase::GetFilePath(int tag) const
{
  return tag >= 0 && tag < static_cast<int>(mFiles.size()) ? mFiles[static_cast<size_t>(tag)].Get() : "";
}

IPopupMenu::Item* IDirBrowseControlBase::GetFileItem(int idx) const
{
  return idx >= 0 && idx < NItems() ? mItems[static_cast<size_t>(idx)] : nullptr;
}

void IDirBrowseControlBase::SetUpMenu()
{
  mFiles.clear();
  mItems.clear();
  mMainMenu.Clear();
  mSelectedIndex = -1;
  if (mPaths.size() == 1)
    ScanDirectory(mPaths[0].Get(), mMainMenu);
  else
  {
    for (size_t i = 0; i < mPaths.size(); ++i)
    {
      auto* sub = new IPopupMenu();
      mMainMenu.AddItem(mPathLabels[i].Get(), sub, static_cast<int>(i));
      ScanDirectory(mPaths[i].Get(), *sub);
    }
  }
  CollectSortedItems(&mMainMenu);
}

void IDirBrowseControlBase::ScanDirectory(const char* path, IPopupMenu& menu)
{
  std::string folder(path ? path : "");
  if (!folder.empty() && (folder.back() == '/' || folder.back() == '\\'))
    folder.pop_back();
  std::unique_ptr<DIR, DirCloser> dir(opendir(folder.c_str()));
  if (!dir)
    return;

  while (const dirent* entry = readdir(dir.get()))
  {
    const char* name = entry->d_name;
    if (name[0] == '.')
      continue;
    if (IsFolder(folder, *entry))
    {
      auto* sub = new IPopupMenu();
      menu.AddItem(name, sub, IPopupMenu::kSorted);
      ScanDirectory((folder + "/" + name).c_str(), *sub);
      continue;
    }
    const int stem = StemLength(name, mExtension.Get());
    if (stem < 0)
      continue;
    const std::string text = mShowFileExtensions ? std::string(name) : std::string(name, static_cast<size_t>(stem));
    menu.AddItem(new IPopupMenu::Item(text.c_str(), IPopupMenu::Item::kNoFlags, static_cast<int>(mFiles.size())),
      IPopupMenu::kSorted);
    mFiles.emplace_back((folder + "/" + name).c_str());
  }

  if (mShowEmptySubmenus)
    return;
  for (int i = menu.NItems() - 1; i >= 0; --i)
  {
    const IPopupMenu* sub = menu.GetItem(i)->GetSubmenu();
    if (sub && sub->NItems() == 0)
      menu.RemoveItem(i);
  }
}

void IDirBrowseControlBase::CollectSortedItems(IPopupMenu* pMenu)
{
  if (!pMenu)
    return;
  for (int i = 0; i < pMenu->NItems(); ++i)
  {
    IPopupMenu::Item* item = pMenu->GetItem(i);
    if (IPopupMenu* sub = item->GetSubmenu())
      CollectSortedItems(sub);
    else
      mItems.push_back(item);
  }
}

} // namespace plugkit::gfx
