#include "AppKit/NSPanels.h"

long NSAlertPanel::runModal() const
{
  standin::Panels().alerts.push_back(*this);
  return standin::Panels().alertAnswer;
}

long NSSavePanel::runModal()
{
  mChosen = standin::Panels().chosenPath;
  standin::Panels().panels.push_back(*this);
  return mChosen.empty() ? NSModalResponseCancel : NSModalResponseOK;
}

namespace standin {
PanelScript& Panels()
{
  static PanelScript script;
  return script;
}
void ResetPanels()
{
  Panels() = PanelScript();
}
} // namespace standin
