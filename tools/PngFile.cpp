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
  std::string png;
  if (!stbi_write_png_to_func(Append, &png, width, height, 4, rgba.data(), width * 4))
    return error = Failure(path, "the picture could not be encoded"), false;

  // Renaming over a device or a FIFO would put a picture where the system
  // had its device; where links lead is found as a replacement finds it,
  // which refuses, in its own words, a link it will not follow.
  std::string target;
  struct stat status;
  if (plugkit::FollowLinks(path, target) == 0)
  {
    const bool found = stat(target.c_str(), &status) == 0;
    // A descriptor's link (/dev/stdout, /dev/fd/N, a shell's process
    // substitution) that leads to a pipe reads "pipe:[N]", a name nothing
    // on disk has: only the kernel can follow it.
    if (!found && stat(path.c_str(), &status) == 0 && Streamed(status.st_mode))
      return WriteInto(path, path, true, png, error);
    if (found && Streamed(status.st_mode))
      return WriteInto(path, target, false, png, error);
    if (found && !S_ISREG(status.st_mode) && !S_ISDIR(status.st_mode))
      return error = Failure(path, "not a plain file (a picture is written only to a plain file, a FIFO or a "
                                   "character device)"),
             false;
  }
  auto replacement = FileReplacement::Begin(path, error);
  if (!replacement || !replacement->Write(png, error) || !replacement->Commit(error))
    return false;
  if (!replacement->Warning().empty())
    std::fprintf(stderr, "auhost: warning: %s\n", replacement->Warning().c_str());
  return true;
}

} // namespace auhost
