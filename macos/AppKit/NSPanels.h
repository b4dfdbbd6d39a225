#pragma once

// Modal panels: the alert and the open and save panels. Without a screen the
// user's answer is scripted (StandIn: standin::Panels()), and each panel
// run is recorded with its settings, so tests see what was asked.

#include <string>
#include <vector>

enum : long
{
  NSAlertDefaultReturn = 1,
  NSAlertAlternateReturn = 0,
  NSAlertOtherReturn = -1,
  NSModalResponseCancel = 0,
  NSModalResponseOK = 1,
};

// An alert with up to three buttons; the answer says which was pressed.
struct NSAlertPanel
{
  std::string title, message, defaultButton, alternateButton, otherButton;
  long runModal() const;
};

// The open panel is a save panel that chooses existing files or folders.
struct NSSavePanel
{
  std::string title;
  bool canChooseFiles = true;
  bool canChooseDirectories = false;
  bool resolvesAliases = true;
  bool canCreateDirectories = false;
  bool floating = false;
  bool allowsOtherFileTypes = true;
  bool isOpenPanel = false;
  std::vector<std::string> allowedFileTypes;
  std::string directory; // directory URL's path; empty for none
  std::string fileName;  // proposed name; empty for none

  long runModal();
  // The chosen file or folder after OK.
  std::string URLPath() const { return mChosen; }

private:
  std::string mChosen;
};

namespace standin {
struct PanelScript
{
  // Which alert button is pressed: NSAlertDefaultReturn and the like.
  long alertAnswer = NSAlertDefaultReturn;
  // Open and save panels: OK with this path, or cancelled when empty.
  std::string chosenPath;
  // Recorded runs.
  std::vector<NSAlertPanel> alerts;
  std::vector<NSSavePanel> panels;
};
PanelScript& Panels();
void ResetPanels();
} // namespace standin
