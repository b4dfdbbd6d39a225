#include "tools/TextFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace auhost {

bool ReadTextFile(const std::string& path, std::string& text, std::string& error)
{
  // Read by hand: through a stream, a folder reads as an empty file and a
  // failing disk as a short one.
  const int descriptor = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (descriptor < 0)
  {
    error = "cannot read " + path + ": " + std::strerror(errno);
    return false;
  }
  struct stat status{};
  if (fstat(descriptor, &status) == 0 && S_ISDIR(status.st_mode))
  {
    close(descriptor);
    error = path + " is a folder, not a file";
    return false;
  }
  text.clear();
  char buffer[65536];
  for (ssize_t n; (n = read(descriptor, buffer, sizeof buffer)) != 0;)
  {
    if (n > 0)
      text.append(buffer, static_cast<size_t>(n));
    else if (errno != EINTR)
    {
      error = "cannot read " + path + ": " + std::strerror(errno);
      close(descriptor);
      return false;
    }
  }
  close(descriptor);
  return true;
}

} // namespace auhost
