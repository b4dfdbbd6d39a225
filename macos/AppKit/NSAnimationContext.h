#pragma once

// Animation groups: view changes made between beginGrouping and
// endGrouping animate together over the group's duration (a quarter of a
// second unless set). The stand-in animates nothing, every change takes
// effect at once, but it keeps a record of each group and the frame
// changes made in it (StandIn/AnimationGroups.h). Main thread.

class NSAnimationContext
{
public:
  static void beginGrouping();
  // Closes the innermost open group; nothing when none is open.
  static void endGrouping();
  // The innermost open group's context; outside any group, one whose
  // settings apply to nothing.
  static NSAnimationContext* currentContext();

  double duration() const { return mDuration; }
  void setDuration(double seconds) { mDuration = seconds; }

private:
  double mDuration = 0.25;
};
