#include "framework/files/UnnamedFile.h"

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace plugkit {

namespace {

// Links the unnamed file open as `fd` at `path`. Through /proc, which needs
// no privilege; where /proc is not mounted (a chroot, a minimal container),
// the descriptor itself, which the kernel allows to a process with the
// privilege to (CAP_DAC_READ_SEARCH) or, on recent kernels, to the one that
// opened it.
int LinkUnnamedFile(int fd, const char* path)
{
  char self[64];
  std::snprintf(self, sizeof self, "/proc/self/fd/%d", fd);
  if (linkat(AT_FDCWD, self, AT_FDCWD, path, AT_SYMLINK_FOLLOW) == 0)
    return 0;
  if (errno != ENOENT)
    return -1;
  return linkat(fd, "", AT_FDCWD, path, AT_EMPTY_PATH);
}

} // namespace

int OpenUnnamedFile(const std::string& folder)
{
  // The mode is what a plain create asks for; the kernel narrows it by the
  // folder's default ACL or the umask.
  const int fd = open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0666);
  if (fd < 0)
    return -1;
  // Whether it can be named once whole is asked now, not after the work
  // that fills it: a link at the folder's "." is refused as existing only
  // once the file itself was found, and makes no name.
  const std::string dot = folder + "/.";
  if (LinkUnnamedFile(fd, dot.c_str()) != 0 && errno == EEXIST)
    return fd;
  close(fd);
  errno = EOPNOTSUPP;
  return -1;
}

bool NameUnnamedFile(int fd, std::string& path)
{
  static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  if (path.size() < 6)
  {
    errno = EINVAL;
    return false;
  }
  for (int attempt = 0; attempt < 100; ++attempt)
  {
    for (size_t at = path.size() - 6; at < path.size(); ++at)
      path[at] = kLetters[arc4random_uniform(sizeof kLetters - 1)];
    if (LinkUnnamedFile(fd, path.c_str()) == 0)
      return true;
    if (errno != EEXIST)
      return false;
  }
  return false;
}

} // namespace plugkit
