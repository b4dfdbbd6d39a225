#pragma once

#include <string>
#include <vector>

namespace testsupport {

struct NamedText
{
  const char* name;
  std::string text;
};

// Texts whose last byte opens a multi-byte UTF-8 sequence that never ends:
// the input on which the fuzzer once caught the XML library reading past the
// end of a property list, and short ones of our own that declare UTF-8 and
// end on a four-byte lead (the longest step the library takes).
std::vector<NamedText> TruncatedUtf8Texts();

} // namespace testsupport
