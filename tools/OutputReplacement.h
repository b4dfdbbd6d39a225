// Replacing a file without losing it: the new content goes to a temporary
// file beside the one it replaces and takes its name only once complete, so
// a failure or a stop leaves the old file whole and nothing else behind.
//
// The temporary is created under a name nobody can predict, and never over
// anything that exists, so a link planted in the folder cannot turn the
// write onto another file. An output that is a link is written through: the
// file it names is replaced and the link stays a link. The new file keeps
// the old one's permission bits (a new one gets what the umask gives).
//
// Failures are reported in the system's words ("Permission denied", "Is a
// directory"), after "cannot write PATH: ".
#pragma once

#include <sys/types.h>

#include <memory>
#include <string>

namespace auhost {

// Whether `path` can be replaced: the file it names (links followed) is a
// plain file or does not exist yet, and its folder exists and takes new
// files. For checks made before any long work; false with `error` set.
bool CheckReplaceable(const std::string& path, std::string& error);

// One replacement under way. Destroyed without a successful Commit, it
// removes the temporary and leaves the target as it was.
class FileReplacement
{
public:
  // Null with `error` set when CheckReplaceable refuses or the temporary
  // cannot be made.
  static std::unique_ptr<FileReplacement> Begin(const std::string& path, std::string& error);
  ~FileReplacement();
  FileReplacement(const FileReplacement&) = delete;
  FileReplacement& operator=(const FileReplacement&) = delete;

  // The temporary, open for reading and writing; it stays the
  // replacement's to close.
  int Descriptor() const { return mDescriptor; }
  // Closes the temporary and renames it over the target; false with
  // `error` set (and the temporary removed) when that fails.
  bool Commit(std::string& error);

private:
  FileReplacement() = default;
  std::string mPath, mTarget, mTemporary;
  int mDescriptor = -1;
  mode_t mMode = 0;
};

} // namespace auhost
