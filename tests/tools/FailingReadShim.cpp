// Preloaded (LD_PRELOAD) into a program under test to play a failing disk:
// reads of the file FAIL_READS_OF reach up to its byte FAIL_READS_FROM and
// no further; a read starting there fails with EIO.
#include <dlfcn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>

namespace {

bool IsTheFailingFile(int descriptor)
{
  const char* path = std::getenv("FAIL_READS_OF");
  struct stat failing, read;
  return path && stat(path, &failing) == 0 && fstat(descriptor, &read) == 0 && failing.st_dev == read.st_dev &&
         failing.st_ino == read.st_ino;
}

} // namespace

extern "C" ssize_t read(int descriptor, void* into, size_t count)
{
  using Read = ssize_t (*)(int, void*, size_t);
  static const auto real = reinterpret_cast<Read>(dlsym(RTLD_NEXT, "read"));
  if (IsTheFailingFile(descriptor))
  {
    const char* from = std::getenv("FAIL_READS_FROM");
    const off_t failFrom = from ? std::atoll(from) : 0;
    const off_t at = lseek(descriptor, 0, SEEK_CUR);
    if (at >= failFrom)
    {
      errno = EIO;
      return -1;
    }
    count = std::min<size_t>(count, static_cast<size_t>(failFrom - at));
  }
  return real(descriptor, into, count);
}
