#pragma once

#include <initializer_list>
#include <string>
#include <vector>

#include "graphics/IControl.h"

namespace gfxtest {

using namespace plugkit::gfx;

// A shared, ordered record of what probes saw: "<name> <event>" entries.
using Journal = std::vector<std::string>;

// A control that journals its hooks, its draws (with the clip the context
// set for them) and its destruction, so tests can read the order in which
// the context drives controls.
class ProbeControl : public IControl
{
public:
  ProbeControl(Journal& journal, std::string name, const IRECT& bounds, int paramIdx = -1,
    IActionFunction action = nullptr);
  ProbeControl(Journal& journal, std::string name, const IRECT& bounds, std::initializer_list<int> params);
  ~ProbeControl() override;

  void Draw(IGfx& g) override;
  void OnInit() override { Note("OnInit"); }
  void OnResize() override { Note("OnResize"); }
  void OnRescale() override { Note("OnRescale"); }
  void OnAttached() override { Note("OnAttached"); }
  void OnMouseDown(float x, float y, const IMouseMod& mod) override;
  void OnMouseUp(float x, float y, const IMouseMod& mod) override;
  void OnMouseDrag(float x, float y, float dX, float dY, const IMouseMod& mod) override;
  void OnMouseOver(float x, float y, const IMouseMod& mod) override;
  void OnMouseOut() override;
  void OnPopupMenuSelection(IPopupMenu* pMenu, int valIdx) override;
  void OnTextEntryCompletion(const char* str, int valIdx) override;

  const std::string& Name() const { return mName; }

private:
  void Note(const std::string& event) { mJournal.push_back(mName + " " + event); }

  Journal& mJournal;
  std::string mName;
};

// The journal entries that end with the event, in order, as probe names.
std::vector<std::string> NamesWith(const Journal& journal, const std::string& event);

} // namespace gfxtest
