#include "framework/files/LinkFollowing.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>

namespace plugkit {

namespace {

// Whether a link found in `folder` may be followed under the shared-folder
// rule; 0, or the system's code for why not.
int LinkRefused(const struct stat& link, const std::string& folder)
{
  struct stat status;
  if (stat(folder.c_str(), &status) != 0)
    return errno;
  const bool shared = (status.st_mode & (S_ISVTX | S_IWOTH)) == (S_ISVTX | S_IWOTH);
  return !shared || link.st_uid == geteuid() || link.st_uid == status.st_uid ? 0 : EACCES;
}

} // namespace

int FollowLinks(const std::string& path, std::string& target, std::string* refusedLink,
  std::vector<std::string>* followedLinks)
{
  // `target` is what is followed so far, none of its names a link; `rest`
  // what is left of the path, empty or from a slash.
  target = path.starts_with('/') ? "/" : "";
  std::string rest = path;
  int links = 0;
  for (size_t start; (start = rest.find_first_not_of('/')) != std::string::npos;)
  {
    const size_t end = std::min(rest.find('/', start), rest.size());
    const std::string next =
      (target.empty() || target.ends_with('/') ? target : target + "/") + rest.substr(start, end - start);
    rest.erase(0, end);
    struct stat status;
    if (lstat(next.c_str(), &status) != 0)
    {
      // Nothing more to follow: what is missing is the file to make, or
      // the kernel's to report.
      target = next + rest;
      return 0;
    }
    if (!S_ISLNK(status.st_mode))
    {
      target = next;
      continue;
    }
    if (++links > kMostLinksFollowed)
      return ELOOP;
    if (const int refused = LinkRefused(status, target.empty() ? "." : target))
    {
      if (refusedLink)
        *refusedLink = next;
      return refused;
    }
    if (followedLinks)
      followedLinks->push_back(next);
    char named[PATH_MAX];
    const ssize_t length = readlink(next.c_str(), named, sizeof named);
    if (length <= 0)
      return length < 0 ? errno : ENOENT;
    if (static_cast<size_t>(length) == sizeof named)
      return ENAMETOOLONG;
    rest.insert(0, named, static_cast<size_t>(length));
    if (named[0] == '/')
      target = "/";
  }
  // A slash at the end asks for a folder, as it does of the kernel.
  if (!rest.empty() && !target.ends_with('/'))
    target += '/';
  return 0;
}

} // namespace plugkit
