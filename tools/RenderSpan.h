// How far a render goes: the main input, then its latency tail. A source
// whose length only reading finds (a stream whose header gives none) is
// read a slice ahead of the choice of the slice's length, so the last slice
// ends where the tail does, exactly as it would had the length been known.
// No count past the programme is formed, so no length overflows.
#pragma once

#include <algorithm>
#include <climits>

#include "tools/AudioFile.h"

namespace auhost {

class RenderSpan
{
public:
  RenderSpan(const AudioSource& main, long latency)
    : mMain(main), mLatency(latency), mKnownFromTheStart(main.Frames() != kUnknownLength)
  {
  }

  // Frames of the slice from `pos`, at most `most`: fewer where the
  // render's end is known to fall inside it, none past it.
  long SliceFrom(long pos, long most) const
  {
    const long end = mMain.End();
    return end == kUnknownLength ? most : std::clamp(TailEnd(end) - pos, 0L, most);
  }
  // Of the `n` frames of a slice from `pos`, those of the main input.
  long InputIn(long pos, long n) const
  {
    const long end = mMain.End();
    return end == kUnknownLength ? n : std::clamp(end - pos, 0L, n);
  }
  bool KnownFromTheStart() const { return mKnownFromTheStart; }
  // How much of a render whose length was known from the start is done
  // once `pos` frames are rendered.
  double FractionDone(long pos) const
  {
    return static_cast<double>(pos) / static_cast<double>(TailEnd(mMain.Frames()));
  }
  // Whether a programme of unknown length turned out to hold nothing.
  bool FoundEmpty() const { return !mKnownFromTheStart && mMain.End() == 0; }

private:
  long TailEnd(long end) const { return end > LONG_MAX - mLatency ? LONG_MAX : end + mLatency; }

  const AudioSource& mMain;
  const long mLatency;
  const bool mKnownFromTheStart;
};

} // namespace auhost
