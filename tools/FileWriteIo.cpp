#include "tools/FileWriteIo.h"

#include <sndfile.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace auhost {

struct FileWriteCallbacks
{
  static sf_count_t Length(void* io)
  {
    struct stat status;
    return fstat(static_cast<FileWriteIo*>(io)->mDescriptor, &status) == 0 ? status.st_size : -1;
  }
  static sf_count_t Seek(sf_count_t offset, int whence, void* io)
  {
    return static_cast<FileWriteIo*>(io)->Seek(offset, whence);
  }
  static sf_count_t Read(void* into, sf_count_t count, void* io)
  {
    ssize_t n;
    while ((n = read(static_cast<FileWriteIo*>(io)->mDescriptor, into, static_cast<size_t>(count))) < 0 &&
           errno == EINTR)
    {
    }
    return n;
  }
  static sf_count_t Write(const void* bytes, sf_count_t count, void* io)
  {
    return static_cast<FileWriteIo*>(io)->Write(static_cast<const char*>(bytes), count);
  }
  static sf_count_t Tell(void* io) { return lseek(static_cast<FileWriteIo*>(io)->mDescriptor, 0, SEEK_CUR); }
};

SNDFILE* FileWriteIo::Open(SF_INFO& info)
{
  SF_VIRTUAL_IO io{FileWriteCallbacks::Length, FileWriteCallbacks::Seek, FileWriteCallbacks::Read,
                   FileWriteCallbacks::Write, FileWriteCallbacks::Tell};
  return sf_open_virtual(&io, SFM_WRITE, &info, this);
}

long long FileWriteIo::Write(const char* bytes, long long count)
{
  // All of it, in as few calls as the system allows: a write that falls
  // short is tried again for the rest, which reports why it cannot go on.
  long long done = 0;
  while (done < count)
  {
    const ssize_t n = write(mDescriptor, bytes + done, static_cast<size_t>(count - done));
    if (n < 0 && errno == EINTR)
      continue;
    if (n <= 0)
    {
      Failed(n < 0 ? errno : EIO);
      break;
    }
    done += n;
  }
  return done;
}

long long FileWriteIo::Seek(long long offset, int whence)
{
  // A seek that failed would send the next write to the wrong place.
  const off_t at = lseek(mDescriptor, offset, whence);
  if (at < 0)
    Failed(errno);
  return at;
}

void FileWriteIo::Failed(int code)
{
  if (!mFailure)
    mFailure = code;
}

} // namespace auhost
