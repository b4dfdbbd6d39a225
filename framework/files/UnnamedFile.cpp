#include "framework/files/UnnamedFile.h"

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace plugkit {

int OpenUnnamedFile(const std::string& folder)
{
  // The mode is what a plain create asks for; the kernel narrows it by the
  // folder's default ACL or the umask.
  return open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0666);
}

bool NameUnnamedFile(int fd, std::string& path)
{
  static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  if (path.size() < 6)
  {
    errno = EINVAL;
    return false;
  }
  // Linking through /proc needs no privilege, where linking the descriptor
  // itself (AT_EMPTY_PATH) does.
  char self[64];
  std::snprintf(self, sizeof self, "/proc/self/fd/%d", fd);
  for (int attempt = 0; attempt < 100; ++attempt)
  {
    for (size_t at = path.size() - 6; at < path.size(); ++at)
      path[at] = kLetters[arc4random_uniform(sizeof kLetters - 1)];
    if (linkat(AT_FDCWD, self, AT_FDCWD, path.c_str(), AT_SYMLINK_FOLLOW) == 0)
      return true;
    if (errno != EEXIST)
      return false;
  }
  return false;
}

} // namespace plugkit
