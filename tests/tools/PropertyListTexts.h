// Property lists the reader must refuse, shared by the reader's tests and
// the tests of auhost reading presets, bundles and other text files.
#pragma once

#include <string>

namespace toolstest {

// A property list whose dictionaries nest `levels` deep, each holding the
// next under one key, as a crafted file would.
inline std::string DictsNested(int levels)
{
  std::string text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n";
  for (int i = 0; i < levels; ++i)
    text += "<dict><key>k</key>";
  text += "<string>v</string>";
  for (int i = 0; i < levels; ++i)
    text += "</dict>";
  return text + "\n</plist>\n";
}

// An integer of 5,000 digits behind terminal escapes, as a damaged or a
// crafted preset may hold.
inline std::string EscapesAndDigitsInAnInteger()
{
  return "<?xml version=\"1.0\"?>\n<plist version=\"1.0\"><integer>\x1b[2J\x1b]0;" + std::string(5000, '9') +
         "</integer></plist>\n";
}

// ASCII text as a spreadsheet's "Unicode text" export writes it: UTF-16,
// little-endian unless asked, behind its byte-order mark unless asked.
inline std::string Utf16(const std::string& ascii, bool bigEndian = false, bool byteOrderMark = true)
{
  std::string text = !byteOrderMark ? "" : bigEndian ? "\xFE\xFF" : "\xFF\xFE";
  for (char c : ascii)
    text += bigEndian ? std::string{'\0', c} : std::string{c, '\0'};
  return text;
}

// The same in UTF-32, behind its byte-order mark.
inline std::string Utf32(const std::string& ascii, bool bigEndian = false)
{
  std::string text = bigEndian ? std::string("\0\0\xFE\xFF", 4) : std::string("\xFF\xFE\0\0", 4);
  for (char c : ascii)
    text += bigEndian ? std::string{'\0', '\0', '\0', c} : std::string{c, '\0', '\0', '\0'};
  return text;
}

// {"name": "x"} in the binary form of property lists.
inline std::string BinaryPropertyList()
{
  static const char bytes[] = "bplist00\xd1\x01\x02TnameQx\x08\x0b\x10\x00\x00\x00\x00\x00\x00\x01\x01\x00\x00\x00\x00"
                              "\x00\x00\x00\x03\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x12";
  return std::string(bytes, sizeof bytes - 1);
}

} // namespace toolstest
