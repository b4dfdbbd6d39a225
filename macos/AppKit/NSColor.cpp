#include "AppKit/NSColor.h"

#include "StandIn/CFObjects.h"

NSFont* NSFont::newSystemFontOfSize(double size)
{
  return new NSFont(nullptr, size);
}

NSFont* NSFont::newFontWithDescriptor(CTFontDescriptorRef descriptor, double size)
{
  if (!descriptor)
    return nullptr;
  CFRetain(descriptor);
  return new NSFont(descriptor, size);
}

NSFont::~NSFont()
{
  if (mDescriptor)
    CFRelease(mDescriptor);
}

namespace {
NSColorPanel* gPanel = nullptr;
} // namespace

NSColorPanel* NSColorPanel::sharedColorPanel()
{
  if (!gPanel)
  {
    gPanel = new NSColorPanel;
    standin::MakePermanent(gPanel);
  }
  return gPanel;
}

bool NSColorPanel::sharedColorPanelExists()
{
  return gPanel != nullptr;
}

void NSColorPanel::setColor(const NSColor& color)
{
  mRGBA[0] = color.red;
  mRGBA[1] = color.green;
  mRGBA[2] = color.blue;
  mRGBA[3] = color.alpha;
}

void ChangeColor(NSColorPanel& panel, const NSColor& color)
{
  panel.setColor(color);
  if (panel.mVisible && panel.mTarget && !panel.mAction.empty())
    panel.mTarget->performAction(panel.mAction, &panel);
}

namespace standin {
void ChangeColorPanelColor(double r, double g, double b, double a)
{
  if (!gPanel)
    return;
  const NSColor color(r, g, b, a);
  ChangeColor(*gPanel, color);
}
} // namespace standin
