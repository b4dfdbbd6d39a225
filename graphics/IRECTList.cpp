#include "graphics/IRECTList.h"

#include <cstring>

namespace plugkit::gfx {

namespace {

float Area(const IRECT& r)
{
  return r.W() * r.H();
}

// Only an overlap with area counts: cutting along a shared edge would split
// a rectangle into pieces that touch that edge again, for ever.
bool Overlap(const IRECT& a, const IRECT& b, IRECT& x)
{
  if (a.Empty() || b.Empty())
    return false;
  x = IRECT(std::max(a.L, b.L), std::max(a.T, b.T), std::min(a.R, b.R), std::min(a.B, b.B));
  return x.L < x.R && x.T < x.B;
}

} // namespace

void IRECTList::Remove(int idx)
{
  const int n = Size();
  if (idx < 0 || idx >= n)
    return;
  IRECT* p = mRects.Get();
  std::memmove(p + idx, p + idx + 1, static_cast<size_t>(n - idx - 1) * sizeof(IRECT));
  mRects.Resize(n - 1, false);
}

IRECT IRECTList::Split(const IRECT& r, const IRECT& x)
{
  // Full-width bands above and below, then the parts left and right of x
  // within its band.
  IRECT pieces[4];
  int n = 0;
  if (x.T > r.T)
    pieces[n++] = IRECT(r.L, r.T, r.R, x.T);
  if (x.B < r.B)
    pieces[n++] = IRECT(r.L, x.B, r.R, r.B);
  if (x.L > r.L)
    pieces[n++] = IRECT(r.L, x.T, x.L, x.B);
  if (x.R < r.R)
    pieces[n++] = IRECT(x.R, x.T, r.R, x.B);
  for (int k = 1; k < n; ++k)
    Add(pieces[k]);
  return n > 0 ? pieces[0] : IRECT();
}

void IRECTList::Optimize()
{
  for (int i = 0; i < Size(); ++i)
  {
    for (int j = i + 1; j < Size();)
    {
      const IRECT a = Get(i), b = Get(j);
      IRECT x;
      if (a.ContainsRect(b))
      {
        Remove(j);
        continue;
      }
      if (b.ContainsRect(a))
      {
        Remove(i);
        j = i + 1;
        continue;
      }
      if (Overlap(a, b, x))
      {
        // The rectangle that x spans fully across is cut first (one piece
        // may do); otherwise the smaller one.
        const bool cutA = IRECT::Mergeable(a, x) || (!IRECT::Mergeable(b, x) && Area(b) > Area(a));
        if (cutA)
          Set(i, Split(a, x));
        else
          Set(j, Split(b, x));
      }
      ++j;
    }
  }

  for (int i = 0; i < Size(); ++i)
    for (int j = i + 1; j < Size(); ++j)
      if (IRECT::Mergeable(Get(i), Get(j)))
      {
        Set(j, Get(i).Union(Get(j)));
        Remove(i);
        i = -1;
        break;
      }
}

} // namespace plugkit::gfx
