#include "graphics/PK_HeapBuf.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace {
constexpr int kPage = 4096;
constexpr int kAllocatorOverhead = 96;
constexpr int kMaxPageStep = 0x400000;
} // namespace

PK_HeapBuf::~PK_HeapBuf()
{
  Release();
}

PK_HeapBuf::PK_HeapBuf(const PK_HeapBuf& other) : m_granul(other.m_granul)
{
  if (other.m_size > 0 && Resize(other.m_size))
    std::memcpy(m_buf, other.m_buf, static_cast<size_t>(other.m_size));
}

PK_HeapBuf& PK_HeapBuf::operator=(const PK_HeapBuf& other)
{
  if (this != &other)
  {
    PK_HeapBuf copy(other);
    *this = std::move(copy);
  }
  return *this;
}

PK_HeapBuf::PK_HeapBuf(PK_HeapBuf&& other) noexcept
  : m_buf(std::exchange(other.m_buf, nullptr))
  , m_alloc(std::exchange(other.m_alloc, 0))
  , m_size(std::exchange(other.m_size, 0))
  , m_granul(other.m_granul)
{
}

PK_HeapBuf& PK_HeapBuf::operator=(PK_HeapBuf&& other) noexcept
{
  if (this != &other)
  {
    Release();
    m_buf = std::exchange(other.m_buf, nullptr);
    m_alloc = std::exchange(other.m_alloc, 0);
    m_size = std::exchange(other.m_size, 0);
    m_granul = other.m_granul;
  }
  return *this;
}

void PK_HeapBuf::Release()
{
  std::free(m_buf);
  m_buf = nullptr;
  m_alloc = m_size = 0;
}

int PK_HeapBuf::AllocationFor(int newSize) const
{
  if (newSize < 1)
    return 0;
  // 64-bit arithmetic: a size near INT_MAX must not wrap into a small block.
  const int64_t size = newSize;
  int64_t alloc;
  if (m_granul < kPage)
  {
    alloc = size + std::max<int64_t>(size / 2, m_granul);
  }
  else
  {
    const int64_t g = std::max<int64_t>(size / 2, m_granul) / kPage * kPage;
    const int64_t step = g ? std::min<int64_t>(g, kMaxPageStep) : kPage;
    alloc = (size + step + kAllocatorOverhead) / kPage * kPage - kAllocatorOverhead;
  }
  return alloc > INT32_MAX ? -1 : static_cast<int>(alloc);
}

void* PK_HeapBuf::Resize(int newSize, bool resizeDown)
{
  newSize = std::max(newSize, 0);
  if (newSize == m_size)
    return Get();

  int threshold = 0;
  if (resizeDown && newSize < m_size)
    threshold = std::max(1, std::min(m_alloc - 4 * m_granul, m_alloc / 2));

  if (newSize < threshold || newSize > m_alloc)
  {
    const int alloc = AllocationFor(newSize);
    if (alloc < 0)
      return Get(); // larger than any block we can describe: refuse
    if (alloc != m_alloc)
    {
      if (alloc < 1)
      {
        Release();
        return nullptr;
      }
      void* grown = std::realloc(m_buf, static_cast<size_t>(alloc));
      if (!grown)
      {
        grown = std::malloc(static_cast<size_t>(alloc));
        if (!grown)
          return Get();
        if (m_buf)
          std::memcpy(grown, m_buf, static_cast<size_t>(std::min(newSize, m_size)));
        std::free(m_buf);
      }
      m_buf = grown;
      m_alloc = alloc;
    }
  }
  m_size = newSize;
  return Get();
}
