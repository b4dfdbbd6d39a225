#pragma once

// Mouse cursors: the standard ones as process-wide constants, cursors made
// from an image and a hot spot, and the current one. Private selectors
// (named cursors and the help-cursor state) are answered only when a test
// made them available, since which ones a system has varies.

#include <string>

#include "AppKit/NSImage.h"

class NSCursor : public NSObject
{
public:
  static NSCursor* arrowCursor();
  static NSCursor* IBeamCursor();
  static NSCursor* crosshairCursor();
  static NSCursor* resizeUpCursor();
  static NSCursor* resizeLeftRightCursor();
  static NSCursor* resizeUpDownCursor();
  static NSCursor* operationNotAllowedCursor();
  static NSCursor* pointingHandCursor();

  // Class selectors: "busyButClickableCursor", "_windowResizeNorthCursor",
  // "_helpCursor", "helpCursorShown", "_setHelpCursor:" and the like.
  static bool respondsToSelector(const std::string& selector);
  // The cursor a private class method answers; null when not available.
  static NSCursor* performSelector(const std::string& selector);
  static bool helpCursorShown();
  static void setHelpCursor(bool shown);

  // A cursor of the image (retained) with its hot spot.
  NSCursor(NSImage* image, NSPoint hotSpot);
  explicit NSCursor(std::string name) : mName(std::move(name)) {}
  ~NSCursor() override;

  void set();
  const std::string& name() const { return mName; }
  NSImage* image() const { return mImage; }
  NSPoint hotSpot() const { return mHotSpot; }

private:
  std::string mName;
  NSImage* mImage = nullptr;
  NSPoint mHotSpot;
};

namespace standin {
// The current cursor's name ("arrow", "IBeam", a private selector's name,
// "image" for one made from an image).
std::string CurrentCursorName();
NSCursor* CurrentCursor();
// Makes the private class selectors available, or none with an empty list.
void SetAvailableCursorSelectors(std::vector<std::string> selectors);
void ResetCursors();
} // namespace standin
