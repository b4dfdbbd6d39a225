#pragma once

#include <cstddef>

// Saving a file as writing it in place would, except that a save that fails
// leaves the old file as it was.
//
// A path that is a link saves into the file the link names and the link
// stays. Links, in the last name or in a folder on the way, are followed as
// the kernel follows them (framework/files/LinkFollowing.h): in a sticky
// folder that others may write (such as /tmp), only the caller's or the
// folder owner's, whatever the system's own setting; the save is refused
// otherwise, so nobody can turn it onto a file of the caller's. A
// file the caller may not write is refused. Something that exists and is not
// a plain file (a device, a pipe) holds nothing to lose and is written
// directly.
//
// Two roads, both leaving the old file as it was on a failure they see (a
// full disk, a file-size limit):
// - Where a new file would differ from the old one in its content only (a
//   file not made yet, or one with no other link, in a folder that takes
//   new files, whose owner and group are those the caller's new file gets,
//   and whose extended attributes, an ACL or a security label among them,
//   the caller can give the new file), the bytes go to a temporary beside
//   it and are renamed over the target once written, flushed and closed;
//   a process stopped mid-save leaves the old file whole. A new file gets
//   what a plain create in its folder gives it (the folder's default ACL,
//   or else the umask) and has no name until it is whole
//   (framework/files/UnnamedFile.h). A file replaced gets the old one's
//   permission bits and attributes (framework/files/AttributeCarrying.h:
//   a save by a user who is not root cannot see trusted.* attributes, so
//   a file it renames cannot carry them); its temporary is private to its
//   owner until it is whole, named as a hidden file that holds no part of
//   the target's name (so a listing by extension never picks it up),
//   removed on a failure and left beside the old file by a stop. Where the
//   file system makes no unnamed file, or one could not be named (no /proc
//   and no right to link the descriptor itself), a new file is made so too
//   and gets what the umask gives (read from /proc/self/status; where that
//   does not show it, the file is private to its owner).
// - Otherwise the file itself is rewritten, so its other links, owner, group
//   and attributes stay, and its old content and length are put back when
//   the new one cannot be written whole. Only what the new content
//   overwrites is held for that, so the road holds no more than the save's
//   own size; the rest of a longer old file is cut only once the new
//   content is on the disk. Saves of one file on this road take turns (an
//   advisory lock), so two at once leave one or the other; where the file
//   system refuses locks (NFS without its lock service), saves that share
//   a network namespace take turns all the same (a save in another one,
//   such as another container's, does not wait for them), and a save that
//   can have no turn, or does not get it within a few seconds (another
//   process holds it), is refused (ENOLCK) with the file untouched. The
//   road needs a file the caller may read as well as write; a
//   process stopped in the middle of it leaves the file part written.
//
// Under a file-size limit, a save the limit would cut is refused (EFBIG)
// before anything is written, unless the process ignores SIGXFSZ (the
// write then fails and is undone); a rewrite in place is refused too when
// the old content could not be put back within the limit. The limit and
// the signal are only read, so other threads are not affected.
//
// Main thread, or any thread that owns the target; two saves at once never
// share a temporary.

namespace plugkit {

// Writes `size` bytes to `path`; true when the file now holds exactly them.
// Throws nothing: memory that runs out fails the save (ENOMEM).
bool WriteFileReplacing(const char* path, const void* bytes, size_t size);

} // namespace plugkit
