// Feeds arbitrary bytes to the ".aupreset" reader of the command-line host:
// whatever the file, no read out of bounds, no unbounded recursion, and a
// list it accepts survives a write and a second read unchanged and turns
// into a ClassInfo dictionary (or a refusal) without leaking.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "CoreFoundation/CFBase.h"
#include "tools/PresetFile.h"
#include "tools/PropertyList.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  const std::string text(reinterpret_cast<const char*>(data), size);
  std::string error;
  const auto plist = auhost::ParsePlist(text, error);
  if (!plist)
    return 0;
  const auto again = auhost::ParsePlist(auhost::WritePlist(*plist), error);
  // TinyXML folds runs of white space in strings, so compare the second
  // round with the first rather than with the input.
  if (!again || auhost::WritePlist(*again) != auhost::WritePlist(*plist))
    std::abort();
  if (CFDictionaryRef classInfo = auhost::ClassInfoFromPlist(*plist, error))
  {
    auhost::PlistValue back;
    auhost::PlistFromClassInfo(classInfo, back);
    CFRelease(classInfo);
  }
  return 0;
}
