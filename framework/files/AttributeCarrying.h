// A file's extended attributes (its ACL, a user's tags, a security label)
// given to the file that replaces it, so a rename over it changes nothing
// but the content. The framework's saves and the command-line host's
// outputs both carry them so.
//
// A caller that is not root cannot see trusted.* attributes, so they are
// not carried for it. Any thread.
#pragma once

#include <string>
#include <vector>

namespace plugkit {

// An attribute that could not be carried, and the system's code for why;
// an empty name when the attributes could not be listed at all.
struct UncarriedAttribute
{
  std::string name;
  int code;
};

// Gives the file open as `fd` the extended attributes of the file at
// `from` and no others, as far as the caller may. What it could not read,
// set or remove is listed in `uncarried`, the rest carried all the same;
// empty when every attribute is as on `from`. Throws nothing.
std::vector<UncarriedAttribute> CarryAttributes(const std::string& from, int fd);

} // namespace plugkit
