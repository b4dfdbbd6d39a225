#include "AppKit/NSAnimationContext.h"

#include <memory>

#include "StandIn/AnimationGroups.h"

namespace {

struct OpenGroup
{
  NSAnimationContext context;
  standin::AnimationGroupRecord record;
};

struct Groups
{
  std::vector<std::unique_ptr<OpenGroup>> open; // innermost last
  std::vector<standin::AnimationGroupRecord> closed;
  NSAnimationContext outside;
};

Groups& TheGroups()
{
  static Groups groups;
  return groups;
}

} // namespace

void NSAnimationContext::beginGrouping() { TheGroups().open.push_back(std::make_unique<OpenGroup>()); }

void NSAnimationContext::endGrouping()
{
  Groups& g = TheGroups();
  if (g.open.empty())
    return;
  OpenGroup& group = *g.open.back();
  group.record.duration = group.context.duration();
  g.closed.push_back(std::move(group.record));
  g.open.pop_back();
}

NSAnimationContext* NSAnimationContext::currentContext()
{
  Groups& g = TheGroups();
  return g.open.empty() ? &g.outside : &g.open.back()->context;
}

namespace standin {

std::vector<AnimationGroupRecord> AnimationGroups() { return TheGroups().closed; }
void ClearAnimationGroups() { TheGroups().closed.clear(); }

void NoteFrameChange(const NSView* view, NSRect frame)
{
  Groups& g = TheGroups();
  if (!g.open.empty())
    g.open.back()->record.frames.push_back({view, frame});
}

} // namespace standin
