#include "plugin/PresetFiles.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tolvane3 {

namespace {

std::string FolderOf(const std::string& path)
{
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos)
    return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// O_EXCL with a per-process counter: two saves at once never share a file.
int CreateTemporary(const std::string& folder, std::string& tempPath)
{
  static std::atomic<unsigned> counter{0};
  for (int attempt = 0; attempt < 100; ++attempt)
  {
    char name[96];
    std::snprintf(name, sizeof name, "/.tolvane3-save-%ld-%u.tmp", static_cast<long>(getpid()), counter++);
    tempPath = folder + name;
    // 0666 under the user's umask, as any newly saved file.
    const int fd = open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST)
      return fd;
  }
  return -1;
}

bool WriteAll(int fd, const std::string& text)
{
  size_t done = 0;
  while (done < text.size())
  {
    const ssize_t n = write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR)
      continue;
    if (n <= 0)
      return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

} // namespace

bool WriteFileReplacing(const char* path, const std::string& text)
{
  if (!path || !*path)
    return false;
  std::string tempPath;
  const int fd = CreateTemporary(FolderOf(path), tempPath);
  if (fd < 0)
    return false;
  bool ok = WriteAll(fd, text);
  ok = fsync(fd) == 0 && ok;
  ok = close(fd) == 0 && ok;
  if (ok && std::rename(tempPath.c_str(), path) == 0)
    return true;
  unlink(tempPath.c_str());
  return false;
}

std::vector<std::string> ListPresetFileNames(const char* folder)
{
  std::vector<std::string> names;
  if (!folder || !*folder)
    return names;
  dirent** entries = nullptr;
  const int n = scandir(folder, &entries, nullptr, alphasort);
  for (int i = 0; i < n; ++i)
  {
    const std::string name = entries[i]->d_name;
    struct stat info;
    if (name.find(".kps") != std::string::npos && stat((std::string(folder) + "/" + name).c_str(), &info) == 0 &&
        S_ISREG(info.st_mode))
      names.push_back(name);
    std::free(entries[i]);
  }
  std::free(entries);
  return names;
}

} // namespace tolvane3
