#pragma once

// What the stand-in's animation groups saw (AppKit/NSAnimationContext.h):
// each closed group with its duration and the view frames set inside it.

#include <vector>

#include "Foundation/NSGeometry.h"

class NSView;

namespace standin {

struct AnimationGroupRecord
{
  double duration = 0;
  struct FrameChange
  {
    const NSView* view;
    NSRect frame;
  };
  std::vector<FrameChange> frames;
};

// Closed groups, oldest first.
std::vector<AnimationGroupRecord> AnimationGroups();
void ClearAnimationGroups();
// Used by NSView: a frame set while a group is open joins the innermost.
void NoteFrameChange(const NSView* view, NSRect frame);

} // namespace standin
