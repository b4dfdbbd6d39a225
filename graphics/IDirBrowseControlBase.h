#pragma once

#include <vector>

#include "graphics/IControl.h"
#include "graphics/IPopupMenu.h"

namespace plugkit::gfx {

// Scans folders for files of one extension into a pop-up menu, one
// sub-menu per sub-folder, every level in case-insensitive order. An
// item's tag indexes the file paths.
class IDirBrowseControlBase : public IControl
{
public:
  // extension: the ending a file needs, e.g. ".kps"; empty accepts none.
  IDirBrowseControlBase(const IRECT& bounds, const char* extension, bool showFileExtensions = false,
    bool showEmptySubmenus = false);

  void AddPath(const char* path, const char* label);
  // Rebuilds the menu from the folders; call it after adding paths and
  // whenever their contents may have changed.
  void SetUpMenu();
  int NItems() const { return static_cast<int>(mItems.size()); }

  const IPopupMenu& GetMenu() const { return mMainMenu; }
  const char* GetFilePath(int tag) const;
  // The file items in displayed order.
  IPopupMenu::Item* GetFileItem(int idx) const;

protected:
  void ScanDirectory(const char* path, IPopupMenu& menu);
  void CollectSortedItems(IPopupMenu* pMenu);

  int mSelectedIndex = -1;
  bool mShowEmptySubmenus;
  bool mShowFileExtensions;
  IPopupMenu mMainMenu;
  std::vector<PK_String> mPaths;
  std::vector<PK_String> mPathLabels;
  std::vector<PK_String> mFiles;
  std::vector<IPopupMenu::Item*> mItems; // borrowed from the menus
  PK_String mExtension;
};

} // namespace plugkit::gfx
