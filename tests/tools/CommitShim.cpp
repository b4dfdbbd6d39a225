// Preloaded (LD_PRELOAD) into auhost to play what may happen while a render
// puts its outputs in place: SIGNAL_AT_RENAME=N sends the process signal N
// just after the first of its temporaries has been renamed over its target;
// SIGNAL_AT_FCHMOD=N sends it signal N in its first fchmod, as a
// temporary, whole, is given its target's mode (in the one after the first
// K, with FCHMODS_BEFORE_SIGNAL=K); SHORT_WRITES=N makes every
// write take at most N bytes, as a signal or a full pipe may cut one short;
// REFUSE_FCHOWN=1 makes every fchown fail with EPERM, as the system refuses
// a group its user is not in; REFUSE_FSETXATTR=1 makes every fsetxattr fail
// so, as a file system refuses an attribute its user may not give;
// ATTRIBUTE_SPACE=N gives a file's extended attributes room for N bytes
// of names and values, past which fsetxattr fails with ENOSPC, as a file
// system keeps them in one block; UNLISTABLE_ATTRIBUTES=1 makes every
// listxattr of a path fail with EIO, as a damaged disk does;
// REFUSE_DESCRIPTOR_LINKS=1 refuses to link a descriptor itself
// (AT_EMPTY_PATH), as a kernel refuses a process without the privilege.
#include <dlfcn.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/types.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

extern "C" int rename(const char* from, const char* to)
{
  using Rename = int (*)(const char*, const char*);
  static const auto real = reinterpret_cast<Rename>(dlsym(RTLD_NEXT, "rename"));
  static std::atomic<bool> sent{false};
  const int result = real(from, to);
  const char* signal = std::getenv("SIGNAL_AT_RENAME");
  if (result == 0 && signal && std::strstr(from, ".auhost-") && !sent.exchange(true))
    kill(getpid(), std::atoi(signal));
  return result;
}

extern "C" int fchmod(int descriptor, mode_t mode)
{
  using Chmod = int (*)(int, mode_t);
  static const auto real = reinterpret_cast<Chmod>(dlsym(RTLD_NEXT, "fchmod"));
  static std::atomic<int> calls{0};
  const int result = real(descriptor, mode);
  const char* signal = std::getenv("SIGNAL_AT_FCHMOD");
  const char* before = std::getenv("FCHMODS_BEFORE_SIGNAL");
  if (signal && calls++ == (before ? std::atoi(before) : 0))
    kill(getpid(), std::atoi(signal));
  return result;
}

extern "C" ssize_t write(int descriptor, const void* bytes, size_t count)
{
  using Write = ssize_t (*)(int, const void*, size_t);
  static const auto real = reinterpret_cast<Write>(dlsym(RTLD_NEXT, "write"));
  if (const char* most = std::getenv("SHORT_WRITES"))
    count = std::min<size_t>(count, std::strtoul(most, nullptr, 10));
  return real(descriptor, bytes, count);
}

extern "C" int fchown(int descriptor, uid_t owner, gid_t group)
{
  if (std::getenv("REFUSE_FCHOWN"))
  {
    errno = EPERM;
    return -1;
  }
  using Chown = int (*)(int, uid_t, gid_t);
  static const auto real = reinterpret_cast<Chown>(dlsym(RTLD_NEXT, "fchown"));
  return real(descriptor, owner, group);
}

extern "C" int linkat(int fromFolder, const char* from, int toFolder, const char* to, int flags)
{
  if (std::getenv("REFUSE_DESCRIPTOR_LINKS") && (flags & AT_EMPTY_PATH))
  {
    errno = ENOENT;
    return -1;
  }
  using Link = int (*)(int, const char*, int, const char*, int);
  static const auto real = reinterpret_cast<Link>(dlsym(RTLD_NEXT, "linkat"));
  return real(fromFolder, from, toFolder, to, flags);
}

namespace {

// The bytes of names and values the file open as `descriptor` would hold
// with `name` set to a value of `size` bytes.
size_t AttributeSpaceWith(int descriptor, const char* name, size_t size)
{
  std::string names(65536, '\0');
  const ssize_t length = flistxattr(descriptor, names.data(), names.size());
  size_t used = std::strlen(name) + size;
  for (ssize_t at = 0; at < length; at += static_cast<ssize_t>(std::strlen(names.c_str() + at)) + 1)
    if (std::strcmp(names.c_str() + at, name) != 0)
    {
      const ssize_t value = fgetxattr(descriptor, names.c_str() + at, nullptr, 0);
      used += std::strlen(names.c_str() + at) + static_cast<size_t>(value > 0 ? value : 0);
    }
  return used;
}

} // namespace

extern "C" ssize_t listxattr(const char* path, char* names, size_t size)
{
  if (std::getenv("UNLISTABLE_ATTRIBUTES"))
  {
    errno = EIO;
    return -1;
  }
  using List = ssize_t (*)(const char*, char*, size_t);
  static const auto real = reinterpret_cast<List>(dlsym(RTLD_NEXT, "listxattr"));
  return real(path, names, size);
}

extern "C" int fsetxattr(int descriptor, const char* name, const void* value, size_t size, int flags)
{
  if (std::getenv("REFUSE_FSETXATTR"))
  {
    errno = EPERM;
    return -1;
  }
  if (const char* space = std::getenv("ATTRIBUTE_SPACE");
      space && AttributeSpaceWith(descriptor, name, size) > std::strtoul(space, nullptr, 10))
  {
    errno = ENOSPC;
    return -1;
  }
  using Set = int (*)(int, const char*, const void*, size_t, int);
  static const auto real = reinterpret_cast<Set>(dlsym(RTLD_NEXT, "fsetxattr"));
  return real(descriptor, name, value, size, flags);
}
