// Replacing a file without losing it: the new content goes to a temporary
// file beside the one it replaces and takes its name only once complete, so
// a failure or a stop leaves the old file whole and nothing else behind.
//
// The temporary is created under a name nobody can predict, and never over
// anything that exists, so a link planted in the folder cannot turn the
// write onto another file. Its name is short and does not grow with the
// target's, so any name the folder takes can be replaced. An output that is
// a link is written through: the file it names is replaced and the link
// stays a link. Links are followed as the kernel follows them, at most 40
// in a path; and, whatever the system's setting, a link in a folder with
// the sticky bit that others may write (as /tmp) only when it is the
// user's or the folder owner's, so nobody can plant one there to turn a
// render onto another's file.
//
// The new file keeps the old one's permission bits, group and owner, and
// its extended attributes (its ACL, a user's tags), as the framework's
// saves keep them (framework/files/AttributeCarrying.h), where the system
// allows, and says which it could not keep. A new one gets what a plain
// create in its folder gives (the folder's default ACL, or else the
// umask), and has no name at all until it is whole
// (framework/files/UnnamedFile.h); where the file system makes no unnamed
// file, or one could not be named (no /proc, and no right to link the
// descriptor itself), it is made private and gets the umask's mode once
// whole.
//
// Every temporary that exists is listed where a stop signal's handler can
// reach it (RemoveEveryTemporary), so a process ended by a signal leaves
// none behind. Temporaries are made and removed on one thread; the others
// block signals (see tools/WorkerThread.h).
//
// Failures are reported in the system's words ("Permission denied", "Is a
// directory"), after "cannot write PATH: ".
#pragma once

#include <sys/types.h>

#include <memory>
#include <string>

namespace auhost {

// Whether `path` can be replaced: its links may be followed; the file they
// lead to is a plain file its user may write, or does not exist yet; its
// folder exists and takes new files; and, in a sticky folder, the file is
// not another user's. For checks made before any long work; false with
// `error` set.
bool CheckReplaceable(const std::string& path, std::string& error);

// Whether two paths name one file: for a file that exists, the same device
// and inode (links followed); for one not made yet, the same name in the
// same folder. However each is spelled.
bool SameFile(const std::string& a, const std::string& b);

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

  // The temporary, open for reading and writing until Finish; it stays the
  // replacement's to close.
  int Descriptor() const { return mDescriptor; }
  // Appends all of `bytes` to the temporary; false with `error` set.
  bool Write(const std::string& bytes, std::string& error);
  // Gives the temporary the old file's owner, group, permission bits and
  // extended attributes and closes it, so the new content is whole under
  // the temporary's name; false with `error` set (the temporary is removed
  // when the replacement goes).
  bool Finish(std::string& error);
  // Finishes the temporary if that is not done, and renames it over the
  // target; false with `error` set (and the temporary removed) when that
  // fails.
  bool Commit(std::string& error);
  // What a user should hear of a finished replacement (a group, an owner
  // or an attribute that could not be kept, and why); empty when nothing.
  const std::string& Warning() const { return mWarning; }

private:
  FileReplacement() = default;
  // Keeps what the new file should keep of the old one; empty `mWarning`
  // when all of it could be kept.
  void KeepOwnership();
  // Carries the old file's extended attributes over, adding what could not
  // be carried to `mWarning`.
  void KeepAttributes();
  // Gives an unnamed temporary its name and lists it; 0, or the system's
  // code for why not.
  int NameTemporary();
  std::string mPath, mTarget, mWarning;
  int mDescriptor = -1;
  int mSlot = -1; // in the list RemoveEveryTemporary reads
  bool mFinished = false;
  bool mReplacesAFile = false;
  bool mUnnamed = false; // a new file with no name until Finish
  mode_t mMode = 0;
  uid_t mOwner = 0;
  gid_t mGroup = 0;
};

// Removes every temporary a FileReplacement holds now. Safe to call from a
// signal handler, for one that ends the process next.
void RemoveEveryTemporary();

} // namespace auhost
