#pragma once

// A growable block of bytes with a growth granularity, the base of every
// container of the framework (strings, typed arrays, pointer lists, state
// chunks).
//
// Growth: a small granularity (below 4096) grows by half the new size or the
// granularity, whichever is larger; a page granularity (4096 and up) rounds
// the block so that it plus 96 bytes of allocator overhead fills whole 4 KB
// pages, growing by at most 4 MB at a time. Shrinking releases memory only
// when the block has become much too large, so that alternating sizes do not
// reallocate.
//
// Out of memory never throws: Resize leaves the buffer as it was and
// reports it through its result. Not thread-safe; the owner serialises use.
class PK_HeapBuf
{
public:
  explicit PK_HeapBuf(int granularity = 4096) : m_granul(granularity > 0 ? granularity : 1) {}
  ~PK_HeapBuf();

  PK_HeapBuf(const PK_HeapBuf& other);
  PK_HeapBuf& operator=(const PK_HeapBuf& other);
  PK_HeapBuf(PK_HeapBuf&& other) noexcept;
  PK_HeapBuf& operator=(PK_HeapBuf&& other) noexcept;

  // The block when the logical size is non-zero, else null.
  void* Get() const { return m_size ? m_buf : nullptr; }
  int GetSize() const { return m_size; }
  int GetAllocated() const { return m_alloc; }
  int GetGranularity() const { return m_granul; }

  // Sets the logical size (negative taken as 0), keeping the content.
  // Returns the block; null when the new size is below 1. When memory runs
  // out nothing changes and the old block (or null when the buffer was empty)
  // is returned: compare GetSize() to know whether the call took effect.
  void* Resize(int newSize, bool resizeDown = true);

private:
  int AllocationFor(int newSize) const;
  void Release();

  void* m_buf = nullptr;
  int m_alloc = 0;
  int m_size = 0;
  int m_granul;
};
