#include "tools/OutputReplacement.h"

#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "framework/files/AttributeCarrying.h"
#include "framework/files/LinkFollowing.h"
#include "framework/files/UnnamedFile.h"
#include "tools/SignalsHeld.h"

namespace auhost {

namespace {

// A temporary's name in the target's folder: short, so it fits wherever
// the target's name does.
constexpr char kTemporaryName[] = "/.auhost-XXXXXX";

// The temporaries that exist, where a signal handler can read them: a slot
// is free, taken while its name is being made, or listed once the file
// exists. Lock-free, so the handler may read it at any moment.
constexpr int kMostTemporaries = 16;
enum SlotState : int
{
  kFree,
  kTaken,
  kListed,
};
struct TemporarySlot
{
  std::atomic<int> state{kFree};
  char path[PATH_MAX];
};
TemporarySlot gTemporaries[kMostTemporaries];
static_assert(std::atomic<int>::is_always_lock_free);

// Signals are held off while a temporary and its slot change together, so
// a handler never finds a file that is not listed or a listed name whose
// file is gone.

int TakeSlot()
{
  for (int slot = 0; slot < kMostTemporaries; ++slot)
  {
    int free = kFree;
    if (gTemporaries[slot].state.compare_exchange_strong(free, kTaken))
      return slot;
  }
  return -1;
}

std::string Failure(const std::string& path, const std::string& reason)
{
  return "cannot write " + path + ": " + reason;
}

std::string Failure(const std::string& path, int code)
{
  return Failure(path, std::strerror(code));
}

std::string FolderOf(const std::string& path)
{
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos)
    return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string BaseNameOf(const std::string& path)
{
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The file `path` names once every link in it is followed, as the kernel
// follows them (a link may name a file not made yet); empty, or why not in
// the system's words. Followed here rather than by the kernel, so that the
// file replaced is the one the checks looked at, under the same rules.
std::string FollowLinks(const std::string& path, std::string& target)
{
  std::string refusedLink;
  const int code = plugkit::FollowLinks(path, target, &refusedLink);
  if (code == EACCES && !refusedLink.empty())
    return std::string(std::strerror(EACCES)) + " (the link " + refusedLink +
           " is another user's, in a folder with the sticky bit that others may write, such as /tmp)";
  return code ? std::strerror(code) : std::string();
}

// What a new file gets: read and write for whom the umask allows. Reading
// the umask means setting it, so this runs while no other thread makes
// files (before a render's workers start, or after they end).
mode_t NewFileMode()
{
  const mode_t mask = umask(0);
  umask(mask);
  return 0666 & ~mask;
}

std::string GroupName(gid_t group)
{
  const struct group* entry = getgrgid(group);
  return entry ? std::string(entry->gr_name) : std::to_string(group);
}

std::string UserName(uid_t user)
{
  const struct passwd* entry = getpwuid(user);
  return entry ? std::string(entry->pw_name) : std::to_string(user);
}

// An extended attribute as a user knows it.
std::string AttributeName(const std::string& name)
{
  if (name.empty())
    return "the extended attributes";
  return name == "system.posix_acl_access" ? "the ACL" : "the attribute " + name;
}

// What a replacement must know of the file it replaces.
struct Examined
{
  std::string target;
  bool exists = false;
  mode_t mode = 0;
  uid_t owner = 0;
  gid_t group = 0;
};

// Whether the file `path` names can be replaced, and what its replacement
// keeps of it; false with `error` set.
bool Examine(const std::string& path, Examined& out, std::string& error)
{
  if (const std::string refused = FollowLinks(path, out.target); !refused.empty())
  {
    error = Failure(path, refused);
    return false;
  }
  struct stat status;
  if (stat(out.target.c_str(), &status) == 0)
  {
    if (S_ISDIR(status.st_mode))
      error = Failure(path, EISDIR);
    else if (!S_ISREG(status.st_mode))
      error = Failure(path, "not a plain file, which is all a render replaces");
    out.exists = true;
    out.mode = status.st_mode & 07777;
    out.owner = status.st_uid;
    out.group = status.st_gid;
  }
  else if (errno != ENOENT)
    error = Failure(path, errno);
  else
    out.mode = NewFileMode();
  if (!error.empty())
    return false;
  const std::string folder = FolderOf(out.target);
  struct stat folderStatus;
  if (stat(folder.c_str(), &folderStatus) != 0)
    error = Failure(path, errno);
  else if (!S_ISDIR(folderStatus.st_mode))
    error = Failure(path, ENOTDIR);
  else if (access(folder.c_str(), W_OK | X_OK) != 0)
    error = Failure(path, errno);
  // In a sticky folder (as /tmp) only a file's owner, the folder's owner or
  // root may rename over it; found now, not once the render is done.
  else if (out.exists && (folderStatus.st_mode & S_ISVTX) && geteuid() != 0 && out.owner != geteuid() &&
           folderStatus.st_uid != geteuid())
    error = Failure(path, std::string(std::strerror(EPERM)) +
                            " (the file is another user's, in a folder with the sticky bit, such as /tmp)");
  // Renaming over a file needs only its folder; but a file its user may not
  // write (read-only, or another's) is not one a render should replace.
  else if (out.exists && faccessat(AT_FDCWD, out.target.c_str(), W_OK, AT_EACCESS) != 0)
    error = errno != EACCES ? Failure(path, errno)
                            : Failure(path, std::string(std::strerror(EACCES)) + " (the file is read-only to this user)");
  return error.empty();
}

// A file's identity: its device and inode where it exists, else its
// folder's and its name.
struct Identity
{
  dev_t device = 0;
  ino_t inode = 0;
  std::string name;
  bool operator==(const Identity&) const = default;
};

// The kernel's stat finds the file a read opens; for an output, Check has
// already refused any link FollowLinks would not follow, so it finds the
// file the output replaces.
bool IdentityOf(const std::string& path, Identity& out)
{
  struct stat status;
  if (stat(path.c_str(), &status) == 0)
  {
    out = {status.st_dev, status.st_ino, {}};
    return true;
  }
  std::string target;
  if (!FollowLinks(path, target).empty() || stat(FolderOf(target).c_str(), &status) != 0)
    return false;
  out = {status.st_dev, status.st_ino, BaseNameOf(target)};
  return true;
}

} // namespace

bool CheckReplaceable(const std::string& path, std::string& error)
{
  Examined examined;
  return Examine(path, examined, error);
}

bool SameFile(const std::string& a, const std::string& b)
{
  Identity first, second;
  return IdentityOf(a, first) && IdentityOf(b, second) && first == second;
}

std::unique_ptr<FileReplacement> FileReplacement::Begin(const std::string& path, std::string& error)
{
  Examined examined;
  if (!Examine(path, examined, error))
    return nullptr;
  const std::string temporary = FolderOf(examined.target) + kTemporaryName;
  if (temporary.size() >= PATH_MAX)
  {
    error = Failure(path, ENAMETOOLONG);
    return nullptr;
  }
  std::unique_ptr<FileReplacement> replacement(new FileReplacement);
  replacement->mPath = path;
  replacement->mTarget = examined.target;
  replacement->mReplacesAFile = examined.exists;
  replacement->mMode = examined.mode;
  replacement->mOwner = examined.owner;
  replacement->mGroup = examined.group;
  SignalsHeld held;
  const int slot = TakeSlot();
  if (slot < 0)
  {
    error = Failure(path, "too many files are being replaced at once");
    return nullptr;
  }
  TemporarySlot& taken = gTemporaries[slot];
  std::memcpy(taken.path, temporary.c_str(), temporary.size() + 1);
  // A new output is made as a plain create in its folder would make it (the
  // folder's default ACL, or else the umask), with no name to list until it
  // is whole. Otherwise, or where the file system makes no unnamed file,
  // mkostemp makes a new name until one is free and opens it with O_EXCL,
  // which follows no link and opens nothing that was there.
  replacement->mDescriptor = examined.exists ? -1 : plugkit::OpenUnnamedFile(FolderOf(examined.target));
  replacement->mUnnamed = replacement->mDescriptor >= 0;
  if (!replacement->mUnnamed)
    replacement->mDescriptor = mkostemp(taken.path, O_CLOEXEC);
  if (replacement->mDescriptor < 0)
  {
    error = Failure(path, errno);
    taken.state = kFree;
    return nullptr;
  }
  taken.state = replacement->mUnnamed ? kTaken : kListed;
  replacement->mSlot = slot;
  return replacement;
}

FileReplacement::~FileReplacement()
{
  if (mDescriptor >= 0)
    close(mDescriptor);
  if (mSlot < 0)
    return;
  SignalsHeld held;
  if (gTemporaries[mSlot].state == kListed)
    unlink(gTemporaries[mSlot].path);
  gTemporaries[mSlot].state = kFree;
}

bool FileReplacement::Write(const std::string& bytes, std::string& error)
{
  for (size_t at = 0; at < bytes.size();)
  {
    const ssize_t n = write(mDescriptor, bytes.data() + at, bytes.size() - at);
    if (n < 0 && errno != EINTR)
    {
      error = Failure(mPath, errno);
      return false;
    }
    at += n > 0 ? static_cast<size_t>(n) : 0;
  }
  return true;
}

void FileReplacement::KeepOwnership()
{
  struct stat now;
  if (!mReplacesAFile || fstat(mDescriptor, &now) != 0 || (now.st_uid == mOwner && now.st_gid == mGroup))
    return;
  // The owner too where the system allows it (to root, as in-place editors
  // do); else the group, which its members may give.
  if (fchown(mDescriptor, mOwner, mGroup) == 0)
    return;
  const int ownerRefused = errno;
  const int groupRefused =
    now.st_gid == mGroup || fchown(mDescriptor, static_cast<uid_t>(-1), mGroup) == 0 ? 0 : errno;
  // The reasons are kept before the names are looked up, which may change
  // errno.
  std::string lost;
  if (groupRefused)
    lost = "the group " + GroupName(mGroup) + " cannot be kept (" + std::strerror(groupRefused) +
           "); the new file's group is " + GroupName(now.st_gid);
  if (now.st_uid != mOwner)
    lost += std::string(lost.empty() ? "" : "; ") + "the owner " + UserName(mOwner) + " cannot be kept (" +
            std::strerror(ownerRefused) + "); the new file's owner is " + UserName(now.st_uid);
  if (!lost.empty())
    mWarning = mPath + ": " + lost;
}

void FileReplacement::KeepAttributes()
{
  std::string lost;
  for (const plugkit::UncarriedAttribute& uncarried : plugkit::CarryAttributes(mTarget, mDescriptor))
    lost += std::string(lost.empty() ? "" : "; ") + AttributeName(uncarried.name) + " cannot be kept (" +
            std::strerror(uncarried.code) + ")";
  if (!lost.empty())
    mWarning += (mWarning.empty() ? mPath + ": " : "; ") + lost;
}

bool FileReplacement::Finish(std::string& error)
{
  if (mFinished)
    return true;
  KeepOwnership();
  // After the owner, which a change of owner may clear the set-id bits of.
  // An unnamed new file has its mode from its folder already, and takes a
  // name now that it is whole.
  int failure = mUnnamed ? NameTemporary() : fchmod(mDescriptor, mMode) == 0 ? 0 : errno;
  // After the mode, as an ACL has the last word on the group's bits.
  if (!failure && mReplacesAFile)
    KeepAttributes();
  // A close can be the first to report a write the disk refused.
  if (close(mDescriptor) != 0 && !failure)
    failure = errno;
  mDescriptor = -1;
  if (failure)
  {
    error = Failure(mPath, failure);
    return false;
  }
  mFinished = true;
  return true;
}

int FileReplacement::NameTemporary()
{
  SignalsHeld held;
  TemporarySlot& slot = gTemporaries[mSlot];
  std::string name = slot.path;
  if (!plugkit::NameUnnamedFile(mDescriptor, name))
    return errno;
  std::memcpy(slot.path, name.c_str(), name.size() + 1);
  slot.state = kListed;
  return 0;
}

bool FileReplacement::Commit(std::string& error)
{
  if (!Finish(error))
    return false;
  SignalsHeld held;
  if (std::rename(gTemporaries[mSlot].path, mTarget.c_str()) != 0)
  {
    error = Failure(mPath, errno);
    return false; // the destructor removes the temporary
  }
  gTemporaries[mSlot].state = kFree;
  mSlot = -1;
  return true;
}

void RemoveEveryTemporary()
{
  for (TemporarySlot& slot : gTemporaries)
    if (slot.state.load() == kListed)
      unlink(slot.path);
}

} // namespace auhost
