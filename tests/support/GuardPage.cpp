#include "tests/support/GuardPage.h"

#include <cstring>
#include <stdexcept>

#include <sys/mman.h>
#include <unistd.h>

namespace testsupport {

GuardPage::GuardPage(size_t capacity)
{
  const size_t page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
  mReadable = (capacity + page - 1) / page * page;
  mMapped = mReadable + page;
  void* base = mmap(nullptr, mMapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (base == MAP_FAILED)
    throw std::runtime_error("GuardPage: mmap failed");
  mBase = static_cast<char*>(base);
  if (mprotect(mBase + mReadable, page, PROT_NONE) != 0)
  {
    munmap(mBase, mMapped);
    throw std::runtime_error("GuardPage: mprotect failed");
  }
}

GuardPage::~GuardPage()
{
  munmap(mBase, mMapped);
}

std::string_view GuardPage::Place(std::string_view bytes)
{
  if (bytes.size() > mReadable)
    throw std::length_error("GuardPage: text larger than the room");
  char* at = mBase + mReadable - bytes.size();
  std::memcpy(at, bytes.data(), bytes.size());
  return {at, bytes.size()};
}

} // namespace testsupport
