#include "tools/OutputReplacement.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace auhost {

namespace {

// Links followed before giving up, as the kernel does.
constexpr int kMaxLinkHops = 40;

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

// The file `path` names once links are followed (a link may name a file not
// made yet); 0, or the system's code for why not.
int FollowLinks(const std::string& path, std::string& target)
{
  target = path;
  for (int hop = 0; hop < kMaxLinkHops; ++hop)
  {
    struct stat status;
    if (lstat(target.c_str(), &status) != 0 || !S_ISLNK(status.st_mode))
      return 0;
    char named[PATH_MAX];
    const ssize_t length = readlink(target.c_str(), named, sizeof named);
    if (length < 0)
      return errno;
    if (static_cast<size_t>(length) == sizeof named)
      return ENAMETOOLONG;
    const std::string next(named, static_cast<size_t>(length));
    const size_t slash = target.rfind('/');
    target = next[0] == '/' || slash == std::string::npos ? next : target.substr(0, slash + 1) + next;
  }
  return ELOOP;
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

// The target `path` names, and the permission bits its replacement gets;
// false with `error` set when it cannot be replaced.
bool Examine(const std::string& path, std::string& target, mode_t& mode, std::string& error)
{
  if (const int code = FollowLinks(path, target))
  {
    error = Failure(path, code);
    return false;
  }
  struct stat status;
  if (stat(target.c_str(), &status) == 0)
  {
    if (S_ISDIR(status.st_mode))
      error = Failure(path, EISDIR);
    else if (!S_ISREG(status.st_mode))
      error = Failure(path, "not a plain file, which is all a render replaces");
    mode = status.st_mode & 07777;
  }
  else if (errno != ENOENT)
    error = Failure(path, errno);
  else
    mode = NewFileMode();
  if (!error.empty())
    return false;
  const std::string folder = FolderOf(target);
  if (stat(folder.c_str(), &status) != 0)
    error = Failure(path, errno);
  else if (!S_ISDIR(status.st_mode))
    error = Failure(path, ENOTDIR);
  else if (access(folder.c_str(), W_OK | X_OK) != 0)
    error = Failure(path, errno);
  return error.empty();
}

} // namespace

bool CheckReplaceable(const std::string& path, std::string& error)
{
  std::string target;
  mode_t mode = 0;
  return Examine(path, target, mode, error);
}

std::unique_ptr<FileReplacement> FileReplacement::Begin(const std::string& path, std::string& error)
{
  std::unique_ptr<FileReplacement> replacement(new FileReplacement);
  if (!Examine(path, replacement->mTarget, replacement->mMode, error))
    return nullptr;
  replacement->mPath = path;
  // mkostemp makes a new name until one is free and opens it with O_EXCL,
  // which follows no link and opens nothing that was there.
  std::string temporary = replacement->mTarget + ".auhost-XXXXXX";
  replacement->mDescriptor = mkostemp(temporary.data(), O_CLOEXEC);
  if (replacement->mDescriptor < 0)
  {
    error = Failure(path, errno);
    return nullptr;
  }
  replacement->mTemporary = temporary;
  return replacement;
}

FileReplacement::~FileReplacement()
{
  if (mDescriptor >= 0)
    close(mDescriptor);
  if (!mTemporary.empty())
    unlink(mTemporary.c_str());
}

bool FileReplacement::Commit(std::string& error)
{
  // A close can be the first to report a write the disk refused.
  int failure = fchmod(mDescriptor, mMode) == 0 ? 0 : errno;
  if (close(mDescriptor) != 0 && !failure)
    failure = errno;
  mDescriptor = -1;
  if (!failure && std::rename(mTemporary.c_str(), mTarget.c_str()) != 0)
    failure = errno;
  if (failure)
  {
    error = Failure(mPath, failure);
    return false; // the destructor removes the temporary
  }
  mTemporary.clear();
  return true;
}

} // namespace auhost
