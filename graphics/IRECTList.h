#pragma once

#include "graphics/IRECT.h"
#include "graphics/PK_TypedBuf.h"

namespace plugkit::gfx {

// A list of rectangles: the dirty regions of a frame, tool-tip and gesture
// regions. An index outside the list reads the empty rectangle.
struct IRECTList
{
  PK_TypedBuf<IRECT> mRects;

  int Size() const { return mRects.GetSize(); }
  bool Add(const IRECT& r)
  {
    const int n = Size();
    mRects.Resize(n + 1);
    if (Size() != n + 1)
      return false; // out of memory: the list stays as it was
    mRects.Get()[n] = r;
    return true;
  }
  IRECT Get(int idx) const { return idx >= 0 && idx < Size() ? mRects.Get()[idx] : IRECT(); }
  void Clear() { mRects.Resize(0); }
  void Set(int idx, const IRECT& r)
  {
    if (idx >= 0 && idx < Size())
      mRects.Get()[idx] = r;
  }
  void Remove(int idx);
  IRECT Bounds() const
  {
    IRECT u;
    for (int i = 0; i < Size(); ++i)
      u = u.Union(mRects.Get()[i]);
    return u;
  }

  // Cuts r by x (a part of r): appends all but the first piece of r's
  // exact difference with x and returns that first piece, so r's area
  // outside x stays covered with nothing overlapping x.
  IRECT Split(const IRECT& r, const IRECT& x);
  // Rewrites the list so that no two rectangles overlap, contained ones are
  // gone and neighbours that form a rectangle are merged, covering the same
  // area as before.
  void Optimize();
};

} // namespace plugkit::gfx
