// A file libsndfile writes, through its virtual I/O so that no write can
// fail unseen.
//
// libsndfile reports a write of audio that fails, but not every write it
// makes as it closes a file: a FLAC's last frame and the length in its
// header go out then, and sf_close succeeds whatever became of them. Here
// every write goes to the descriptor as libsndfile would make it, byte for
// byte and block for block, and the first that fails or falls short is kept
// for the writer to ask after, before and after closing.
//
// One thread uses a FileWriteIo; it must outlive the SNDFILE it opens.
#pragma once

struct sf_private_tag; // libsndfile's SNDFILE
struct SF_INFO;

namespace auhost {

class FileWriteIo
{
public:
  // Writes to `descriptor` from where it stands, and leaves it open.
  explicit FileWriteIo(int descriptor) : mDescriptor(descriptor) {}
  FileWriteIo(const FileWriteIo&) = delete;
  FileWriteIo& operator=(const FileWriteIo&) = delete;

  // libsndfile's handle on the file, opened for writing as `info` says;
  // null when libsndfile refuses (sf_strerror(nullptr) says why).
  sf_private_tag* Open(SF_INFO& info);
  // The system's code for the first write or seek that failed or wrote
  // less than it was given; 0 while none has.
  int Failure() const { return mFailure; }

private:
  friend struct FileWriteCallbacks;
  long long Write(const char* bytes, long long count);
  long long Seek(long long offset, int whence);
  void Failed(int code);
  int mDescriptor;
  int mFailure = 0;
};

} // namespace auhost
