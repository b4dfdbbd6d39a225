// /proc taken away from the calling process alone, as a chroot, a minimal
// container or a build sandbox that never mounts it leaves a program: a
// mount namespace of its own, shared with no other, where /proc is
// unmounted. For a child process of a test; it needs root.
#pragma once

#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>

namespace testsupport {

// False where the system does not allow it (no privilege to make a mount
// namespace), or /proc is still there.
inline bool HideProc()
{
  return unshare(CLONE_NEWNS) == 0 && mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 &&
         umount2("/proc", MNT_DETACH) == 0 && access("/proc/self", F_OK) != 0;
}

} // namespace testsupport
