// One axis of the loudness scope: its full range and the window of it
// that the view shows, chosen by a scale (how much of the range) and an
// offset (where in the range).
#pragma once

namespace tolvane3 {

struct ScopeAxis
{
  double maximum = 0.0, minimum = 0.0, span = 0.0, minimumSpan = 0.0;
  double scale = 1.0;  // 0..1: 1 shows the whole span, 0 only the minimum span
  double offset = 0.0; // 0..1: from the bottom of the range to its top
  double viewHigh = 0.0, viewLow = 0.0;

  static ScopeAxis Make(double lo, double hi, double minimumSpan)
  {
    return ScopeAxis{hi, lo, hi - lo, minimumSpan, 1.0, 0.0, hi, lo};
  }

  // New scale and offset, and the view they give.
  void SetView(double newScale, double newOffset)
  {
    scale = newScale;
    offset = newOffset;
    const double width = (span - minimumSpan) * scale + minimumSpan;
    viewLow = minimum + (span - width) * offset;
    viewHigh = viewLow + width;
  }
};

} // namespace tolvane3
