#include "framework/audiounit/CFText.h"

#include <cstddef>
#include <vector>

namespace plugkit {

bool CFStringToUTF8(CFStringRef string, PK_String& out, int maxBytes)
{
  out.Set("");
  if (!string || CFGetTypeID(string) != CFStringGetTypeID())
    return false;
  const CFIndex size = CFStringGetMaximumSizeForEncoding(CFStringGetLength(string), kCFStringEncodingUTF8) + 1;
  std::vector<char> buffer(static_cast<size_t>(size));
  if (!CFStringGetCString(string, buffer.data(), size, kCFStringEncodingUTF8))
    return false;
  int n = 0;
  while (buffer[static_cast<size_t>(n)])
    ++n;
  if (maxBytes >= 0 && n > maxBytes)
  {
    n = maxBytes;
    // Back off continuation bytes so no character is cut in half.
    while (n > 0 && (static_cast<unsigned char>(buffer[static_cast<size_t>(n)]) & 0xC0) == 0x80)
      --n;
  }
  if (n > 0)
    out.Set(buffer.data(), n);
  return true;
}

CFStringRef NewCFStringFromUTF8(const char* text)
{
  CFStringRef s = CFStringCreateWithCString(kCFAllocatorDefault, text ? text : "", kCFStringEncodingUTF8);
  return s ? s : CFStringCreateWithCString(kCFAllocatorDefault, "", kCFStringEncodingUTF8);
}

} // namespace plugkit
