// Following the links in a path by hand, as the kernel follows them, for
// code that must know which file a path names before it writes there (a
// save that renames a temporary over its target, a check made before a
// long render).
//
// Every name of the path is looked at, a folder on the way as well as the
// last one, and at most 40 links are followed, as the kernel follows them.
// In a folder with the sticky bit that others may write (such as /tmp), a
// link is followed only when it is the follower's (the effective user's)
// or the folder owner's: the kernel's own rule for shared folders, kept
// here whatever the system's setting and for root too, so that nobody can
// plant a link there that turns a write onto another user's file.
//
// Reads the file system only (lstat, stat, readlink); any thread.
#pragma once

#include <string>
#include <vector>

namespace plugkit {

// The links followed in one path before it counts as a loop.
inline constexpr int kMostLinksFollowed = 40;

// Sets `target` to the file `path` names once every link in it is followed
// (a link may name a file not made yet: the name it gives is the target).
// 0, or the system's code for why not: ELOOP past kMostLinksFollowed links,
// EACCES for a link the shared-folder rule refuses (named in `refusedLink`
// when that is given), or what lstat, stat or readlink reported. Each link
// followed is added to `followedLinks`, when that is given, in the order
// followed and named with every link before it followed (/dev/stdin's
// last is /proc/PID/fd/0).
int FollowLinks(const std::string& path, std::string& target, std::string* refusedLink = nullptr,
  std::vector<std::string>* followedLinks = nullptr);

} // namespace plugkit
