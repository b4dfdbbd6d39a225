// A new file made as a plain create in its folder would make it (the
// folder's default ACL, or else the umask, gives its permissions, as they
// give those of a file `cp` or a shell's redirection makes), but with no
// name while it is written: nobody can open it before it is whole, and
// nothing is left of it when the process ends first. It takes a name once
// whole, from where it can be renamed over the file it replaces.
//
// Needs a file system that makes such files (O_TMPFILE), and a way to name
// one: /proc, or else the right to link the descriptor itself. Where there
// is no such file or no way to name it, the caller makes a named private
// temporary instead, known when the file is opened rather than once it is
// written. Any thread.
#pragma once

#include <string>

namespace plugkit {

// A new unnamed file in `folder`, open for reading and writing, that
// NameUnnamedFile can name; -1 with errno set where it cannot be made or
// could not be named.
int OpenUnnamedFile(const std::string& folder);

// Gives the unnamed file open as `fd` a fresh name in the form of `path`,
// whose last six characters ("XXXXXX") are made anew until the name is
// free, as mkostemp makes them; `path` then holds the name. False with
// errno set.
bool NameUnnamedFile(int fd, std::string& path);

} // namespace plugkit
