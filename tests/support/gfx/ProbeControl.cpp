#include "tests/support/gfx/ProbeControl.h"

#include <cstdio>

#include "graphics/IGfx.h"
#include "tests/support/gfx/RecordingGfx.h"

namespace gfxtest {

ProbeControl::ProbeControl(Journal& journal, std::string name, const IRECT& bounds, int paramIdx,
  IActionFunction action)
  : IControl(bounds, paramIdx, std::move(action)), mJournal(journal), mName(std::move(name))
{
}

ProbeControl::ProbeControl(Journal& journal, std::string name, const IRECT& bounds, std::initializer_list<int> params)
  : IControl(bounds, params), mJournal(journal), mName(std::move(name))
{
}

ProbeControl::~ProbeControl()
{
  Note("destroyed");
}

void ProbeControl::Draw(IGfx& g)
{
  IRECT clip;
  if (auto* recording = dynamic_cast<RecordingGfx*>(&g))
    clip = recording->CurrentClip();
  char text[96];
  std::snprintf(text, sizeof text, "Draw %g %g %g %g", clip.L, clip.T, clip.R, clip.B);
  Note(text);
}

void ProbeControl::OnMouseDown(float x, float y, const IMouseMod& mod)
{
  Note(mod.R ? "OnMouseDown right" : "OnMouseDown");
  IControl::OnMouseDown(x, y, mod);
}

void ProbeControl::OnMouseUp(float x, float y, const IMouseMod& mod)
{
  Note("OnMouseUp");
}

void ProbeControl::OnMouseDrag(float x, float y, float dX, float dY, const IMouseMod& mod)
{
  Note("OnMouseDrag");
}

void ProbeControl::OnMouseOver(float x, float y, const IMouseMod& mod)
{
  Note("OnMouseOver");
  IControl::OnMouseOver(x, y, mod);
}

void ProbeControl::OnMouseOut()
{
  Note("OnMouseOut");
  IControl::OnMouseOut();
}

void ProbeControl::OnPopupMenuSelection(IPopupMenu* pMenu, int valIdx)
{
  Note("OnPopupMenuSelection");
  IControl::OnPopupMenuSelection(pMenu, valIdx);
}

void ProbeControl::OnTextEntryCompletion(const char* str, int valIdx)
{
  Note(std::string("OnTextEntryCompletion ") + (str ? str : ""));
}

std::vector<std::string> NamesWith(const Journal& journal, const std::string& event)
{
  std::vector<std::string> names;
  const std::string suffix = " " + event;
  for (const std::string& entry : journal)
    if (entry.size() > suffix.size() && entry.compare(entry.size() - suffix.size(), suffix.size(), suffix) == 0)
      names.push_back(entry.substr(0, entry.size() - suffix.size()));
  return names;
}

} // namespace gfxtest
