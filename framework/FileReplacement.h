#pragma once

#include <cstddef>

// Saving a file without ever losing the one it replaces.
//
// The bytes go to a new temporary file in the target's own folder (so the
// rename never crosses file systems), named as a hidden file that holds no
// part of the target's name (so a listing by extension never picks it up).
// Only once every write, the flush to disk and the close have succeeded is
// it renamed over the target. On any failure (a full disk, a file-size
// limit, a folder that takes no new files) the temporary is removed and the
// old file stays as it was.
//
// Otherwise the save acts as writing the file in place would: a path that
// is a link replaces the file the link names and the link stays; the new
// file keeps the old one's permission bits (a new one gets what the umask
// gives); a file the caller may not write is refused. Something that exists
// and is not a plain file (a device, a pipe) holds nothing to lose and
// cannot be renamed over, so it is written directly.
//
// Main thread, or any thread that owns the target; two saves at once never
// share a temporary.

namespace plugkit {

// Writes `size` bytes to `path`; true when the file now holds exactly them.
bool WriteFileReplacing(const char* path, const void* bytes, size_t size);

} // namespace plugkit
