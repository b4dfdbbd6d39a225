#include "tools/PngFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "framework/files/LinkFollowing.h"
#include "tools/OutputReplacement.h"

#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STB_IMAGE_WRITE_STATIC
#include <stb_image_write.h>

namespace auhost {

namespace {

void Append(void* png, void* bytes, int size)
{
  static_cast<std::string*>(png)->append(static_cast<const char*>(bytes), static_cast<size_t>(size));
}

bool Streamed(mode_t mode)
{
  return S_ISFIFO(mode) || S_ISCHR(mode);
}

std::string Failure(const std::string& path, const std::string& reason)
{
  return "cannot write " + path + ": " + reason;
}

std::string NotAPlainFile(mode_t mode)
{
  const char* what = S_ISSOCK(mode) ? "it is a socket" : S_ISBLK(mode) ? "it is a block device" : "not a plain file";
  return std::string(what) + " (a picture is written only to a plain file, a FIFO or a character device)";
}

// The descriptor of this process that a path leads to, among the links
// followed in it (/dev/stdin, /dev/fd/N, /proc/self/fd/N: the kernel names
// this process's descriptors /proc/PID/fd/N, or /proc/PID/task/TID/fd/N),
// or -1 where it leads to none.
int OwnDescriptorAmong(const std::vector<std::string>& followedLinks)
{
  const std::string own = "/proc/" + std::to_string(getpid()) + "/";
  for (const std::string& link : followedLinks)
  {
    const size_t slash = link.rfind('/');
    const std::string folder = link.substr(0, slash), number = link.substr(slash + 1);
    if (folder.starts_with(own) && folder.ends_with("/fd") && !number.empty() && number.size() < 10 &&
        number.find_first_not_of("0123456789") == std::string::npos)
      return std::stoi(number);
  }
  return -1;
}

// Writes the picture into the FIFO or character device at `target`, whose
// links are followed already unless `throughALink` (a descriptor's link,
// which only the kernel can follow). Opened without O_CREAT and looked at
// once open, so that a plain file put there meanwhile is never written
// over in place.
bool WriteInto(const std::string& path, const std::string& target, bool throughALink, const std::string& png,
  std::string& error)
{
  const int fd = open(target.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC | (throughALink ? 0 : O_NOFOLLOW));
  if (fd < 0)
    return error = Failure(path, std::strerror(errno)), false;
  struct stat status;
  int failure = fstat(fd, &status) != 0 ? errno : 0;
  if (!failure && !Streamed(status.st_mode))
  {
    close(fd);
    return error = Failure(path, "it changed while it was being opened"), false;
  }
  for (size_t at = 0; !failure && at < png.size();)
  {
    const ssize_t n = write(fd, png.data() + at, png.size() - at);
    if (n < 0 && errno != EINTR)
      failure = errno;
    at += n > 0 ? static_cast<size_t>(n) : 0;
  }
  if (close(fd) != 0 && !failure && errno != EINTR)
    failure = errno;
  if (failure)
    error = Failure(path, std::strerror(failure));
  return !failure;
}

} // namespace

bool WritePng(const std::string& path, int width, int height, const std::vector<uint8_t>& rgba, std::string& error)
{
  if (width <= 0 || height <= 0 || rgba.size() < static_cast<size_t>(width) * static_cast<size_t>(height) * 4)
    return error = "nothing to write to " + path, false;
  // Renaming over a device or a FIFO would put a picture where the system
  // had its device; where links lead is found as a replacement finds it,
  // which refuses, in its own words, a link it will not follow.
  std::string target;
  std::vector<std::string> followedLinks;
  const bool followed = plugkit::FollowLinks(path, target, nullptr, &followedLinks) == 0;
  // Opened anew for writing, a pipe this process reads (a process
  // substitution typed the wrong way) would fill with a picture only this
  // process could read, and wait for ever.
  if (const int descriptor = followed ? OwnDescriptorAmong(followedLinks) : -1; descriptor >= 0)
    if (const int flags = fcntl(descriptor, F_GETFL); flags >= 0 && (flags & O_ACCMODE) == O_RDONLY)
      return error = Failure(path, "descriptor " + std::to_string(descriptor) + " is open only for reading"), false;
  std::string png;
  if (!stbi_write_png_to_func(Append, &png, width, height, 4, rgba.data(), width * 4))
    return error = Failure(path, "the picture could not be encoded"), false;

  struct stat status;
  if (followed)
  {
    const bool found = stat(target.c_str(), &status) == 0;
    // A descriptor's link (/dev/stdout, /dev/fd/N, a shell's process
    // substitution) that leads to a pipe or a socket reads "pipe:[N]" or
    // "socket:[N]", a name nothing on disk has: only the kernel can follow
    // it.
    const bool byTheKernel = !found && stat(path.c_str(), &status) == 0;
    if ((found || byTheKernel) && Streamed(status.st_mode))
      return WriteInto(path, found ? target : path, byTheKernel, png, error);
    if ((found || byTheKernel) && !S_ISREG(status.st_mode) && !S_ISDIR(status.st_mode))
      return error = Failure(path, NotAPlainFile(status.st_mode)), false;
  }
  auto replacement = FileReplacement::Begin(path, error);
  if (!replacement || !replacement->Write(png, error) || !replacement->Commit(error))
    return false;
  if (!replacement->Warning().empty())
    std::fprintf(stderr, "auhost: warning: %s\n", replacement->Warning().c_str());
  return true;
}

} // namespace auhost
