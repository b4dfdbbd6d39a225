#pragma once

#include <cstddef>
#include <string_view>

namespace testsupport {

// Readable memory whose end meets an unreadable page. Bytes placed here end
// exactly where reading one byte further faults, so a reader that strays
// past the text it was given crashes the test at once instead of reading
// whatever happens to follow.
class GuardPage
{
public:
  // Room for at least `capacity` bytes before the unreadable page.
  explicit GuardPage(size_t capacity = 64 * 1024);
  ~GuardPage();
  GuardPage(const GuardPage&) = delete;
  GuardPage& operator=(const GuardPage&) = delete;

  // Copies bytes so that their last one is the last readable byte; the view
  // is the copy, valid until the next Place.
  std::string_view Place(std::string_view bytes);

private:
  char* mBase = nullptr;
  size_t mReadable = 0;
  size_t mMapped = 0;
};

} // namespace testsupport
