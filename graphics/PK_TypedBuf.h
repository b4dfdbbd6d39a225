#pragma once

#include "graphics/PK_HeapBuf.h"

// A typed array on a PK_HeapBuf. T must be trivially copyable: elements are
// moved as bytes when the block grows. Sizes are in elements.
template <class T>
class PK_TypedBuf
{
public:
  explicit PK_TypedBuf(int granularity = 4096) : m_hb(granularity) {}

  T* Get() const { return static_cast<T*>(m_hb.Get()); }
  int GetSize() const { return m_hb.GetSize() / static_cast<int>(sizeof(T)); }

  // Resizes to n elements (negative taken as 0); returns the array, or null
  // when it is empty. When memory runs out the size stays as it was.
  T* Resize(int n, bool resizeDown = true)
  {
    if (n < 0)
      n = 0;
    if (n > INT_MAX_ELEMENTS)
      return Get();
    return static_cast<T*>(m_hb.Resize(n * static_cast<int>(sizeof(T)), resizeDown));
  }

private:
  static constexpr int INT_MAX_ELEMENTS = 0x7fffffff / static_cast<int>(sizeof(T));
  PK_HeapBuf m_hb;
};
