#include "framework/files/AttributeCarrying.h"

#include <sys/xattr.h>

#include <algorithm>
#include <cerrno>
#include <new>

namespace plugkit {

namespace {

// The names of a file's extended attributes: the open file's where `fd` is
// one, else `path`'s; false when they cannot be read.
bool AttributeNames(const char* path, int fd, std::vector<std::string>& names)
{
  std::string list(65536, '\0'); // the most the kernel lists
  const ssize_t length = fd >= 0 ? flistxattr(fd, list.data(), list.size()) : listxattr(path, list.data(), list.size());
  if (length < 0)
    return errno == ENOTSUP; // a file system without them
  for (size_t at = 0; at < static_cast<size_t>(length); at += names.back().size() + 1)
    names.emplace_back(list.c_str() + at);
  return true;
}

bool AttributeValue(const char* path, int fd, const std::string& name, std::string& value)
{
  value.resize(65536); // the largest value the kernel keeps
  const ssize_t length = fd >= 0 ? fgetxattr(fd, name.c_str(), value.data(), value.size())
                                 : getxattr(path, name.c_str(), value.data(), value.size());
  value.resize(length > 0 ? static_cast<size_t>(length) : 0);
  return length >= 0;
}

} // namespace

std::vector<UncarriedAttribute> CarryAttributes(const std::string& from, int fd)
{
  std::vector<UncarriedAttribute> uncarried;
  try
  {
    std::vector<std::string> wanted, present;
    if (!AttributeNames(from.c_str(), -1, wanted) || !AttributeNames(nullptr, fd, present))
    {
      uncarried.push_back({"", errno});
      return uncarried;
    }
    // What the file got on its own (an ACL its folder gives new files) goes
    // first, unless the old file holds the same: kept at its size while the
    // rest are added, it may fill the room a file system has for
    // attributes, and leave none for them. A wanted one that cannot go is
    // heard of where it is set.
    std::string value, current;
    const auto holdsTheOld = [&](const std::string& name) {
      return AttributeValue(from.c_str(), -1, name, value) && AttributeValue(nullptr, fd, name, current) &&
             current == value;
    };
    for (const std::string& name : present)
      if (!holdsTheOld(name) && fremovexattr(fd, name.c_str()) != 0 &&
          std::find(wanted.begin(), wanted.end(), name) == wanted.end())
        uncarried.push_back({name, errno});
    for (const std::string& name : wanted)
      if (!holdsTheOld(name) && (!AttributeValue(from.c_str(), -1, name, value) ||
                                 fsetxattr(fd, name.c_str(), value.data(), value.size(), 0) != 0))
        uncarried.push_back({name, errno});
  }
  catch (const std::bad_alloc&)
  {
    uncarried.push_back({"", ENOMEM});
  }
  return uncarried;
}

} // namespace plugkit
