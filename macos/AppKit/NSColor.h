#pragma once

// Colours in device RGB, fonts and the shared colour panel.

#include <string>

#include "CoreText/CTFontDescriptor.h"
#include "Foundation/NSObject.h"

class NSColor : public NSObject
{
public:
  NSColor(double r, double g, double b, double a) : red(r), green(g), blue(b), alpha(a) {}
  const double red, green, blue, alpha;
};

// A font of a point size, from a CoreText descriptor or the system's. Its
// line height, which sizes a text cell, is 1.2 times the point size.
class NSFont : public NSObject
{
public:
  static NSFont* newSystemFontOfSize(double size);
  // The descriptor is retained; null gives null.
  static NSFont* newFontWithDescriptor(CTFontDescriptorRef descriptor, double size);
  ~NSFont() override;
  double pointSize() const { return mSize; }
  bool isSystemFont() const { return !mDescriptor; }
  CTFontDescriptorRef descriptor() const { return mDescriptor; }
  double lineHeight() const { return mSize * 1.2; }

private:
  NSFont(CTFontDescriptorRef descriptor, double size) : mDescriptor(descriptor), mSize(size) {}
  CTFontDescriptorRef mDescriptor;
  double mSize;
};

// The process's one colour panel, made on first use. It sends its action to
// its target (not retained) whenever its colour changes while it is shown;
// without a user the changes are scripted (standin::ChangeColorPanelColor).
class NSColorPanel : public NSObject
{
public:
  static NSColorPanel* sharedColorPanel();
  static bool sharedColorPanelExists();

  void setTarget(NSObject* target) { mTarget = target; }
  NSObject* target() const { return mTarget; }
  void setAction(const std::string& action) { mAction = action; }
  void setShowsAlpha(bool shows) { mShowsAlpha = shows; }
  bool showsAlpha() const { return mShowsAlpha; }
  // The panel keeps the components, not the object.
  void setColor(const NSColor& color);
  // A new colour of the panel's components.
  NSColor* newColor() const { return new NSColor(mRGBA[0], mRGBA[1], mRGBA[2], mRGBA[3]); }
  void orderFront() { mVisible = true; }
  void close() { mVisible = false; }
  bool isVisible() const { return mVisible; }

private:
  NSColorPanel() = default;
  friend void ChangeColor(NSColorPanel&, const NSColor&);
  NSObject* mTarget = nullptr;
  std::string mAction;
  bool mShowsAlpha = false;
  bool mVisible = false;
  double mRGBA[4] = {1, 1, 1, 1};
};

namespace standin {
// The user picks a colour in the shown panel; nothing when it is not shown.
void ChangeColorPanelColor(double r, double g, double b, double a);
} // namespace standin
