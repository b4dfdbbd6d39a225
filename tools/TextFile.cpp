#include "tools/TextFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace auhost {

namespace {

std::string SizeWords(size_t bytes)
{
  return bytes % (1u << 20) == 0 ? std::to_string(bytes >> 20) + " MiB" : std::to_string(bytes) + " bytes";
}

// The encoding of text in 16- or 32-bit units, or null. A spreadsheet's
// "Unicode text" is UTF-16: read as UTF-8 it would be refused for a NUL
// between its letters, which tells the user nothing. Without a byte-order
// mark, such text in Latin letters has a NUL in every other byte and none
// between them.
const char* WideEncoding(std::string_view text)
{
  if (text.starts_with(std::string_view("\xFF\xFE\0\0", 4)) || text.starts_with(std::string_view("\0\0\xFE\xFF", 4)))
    return "UTF-32";
  if (text.starts_with("\xFF\xFE") || text.starts_with("\xFE\xFF"))
    return "UTF-16";
  const size_t looked = std::min<size_t>(text.size(), 32) & ~size_t{1};
  for (size_t nulAt : {0, 1})
  {
    bool everyOther = looked >= 4;
    for (size_t i = 0; i < looked && everyOther; ++i)
      everyOther = (text[i] == '\0') == (i % 2 == nulAt);
    if (everyOther)
      return "UTF-16";
  }
  return nullptr;
}

} // namespace

bool ReadTextFile(const std::string& path, size_t largest, std::string& text, std::string& error)
{
  // Read by hand: through a stream, a folder reads as an empty file and a
  // failing disk as a short one.
  const int descriptor = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (descriptor < 0)
  {
    error = "cannot read " + path + ": " + std::strerror(errno);
    return false;
  }
  const std::string tooLarge = path + " is too large: more than the " + SizeWords(largest) + " the host reads";
  struct stat status{};
  if (fstat(descriptor, &status) == 0 && S_ISDIR(status.st_mode))
  {
    close(descriptor);
    error = path + " is a folder, not a file";
    return false;
  }
  // A file's size is known before reading; a device's or a pipe's only as
  // it is read, so the bound is kept while reading too.
  if (S_ISREG(status.st_mode) && static_cast<uint64_t>(status.st_size) > largest)
  {
    close(descriptor);
    error = tooLarge;
    return false;
  }
  text.clear();
  char buffer[65536];
  for (ssize_t n; (n = read(descriptor, buffer, sizeof buffer)) != 0;)
  {
    if (n > 0 && text.size() + static_cast<size_t>(n) > largest)
    {
      error = tooLarge;
      close(descriptor);
      text.clear();
      return false;
    }
    if (n > 0)
      text.append(buffer, static_cast<size_t>(n));
    else if (errno != EINTR)
    {
      error = "cannot read " + path + ": " + std::strerror(errno);
      close(descriptor);
      return false;
    }
  }
  close(descriptor);
  if (const char* encoding = WideEncoding(text))
  {
    error = path + " is " + encoding + " text: the host reads text in UTF-8";
    text.clear();
    return false;
  }
  return true;
}

std::vector<std::string> TextLines(const std::string& text)
{
  std::string_view rest(text);
  if (rest.starts_with("\xEF\xBB\xBF"))
    rest.remove_prefix(3);
  std::vector<std::string> lines;
  while (!rest.empty())
  {
    const size_t end = std::min(rest.find_first_of("\r\n"), rest.size());
    lines.emplace_back(rest.substr(0, end));
    const bool crlf = rest.substr(end).starts_with("\r\n");
    rest.remove_prefix(std::min(rest.size(), end + (crlf ? 2 : 1)));
  }
  return lines;
}

std::string Excerpt(const std::string& line)
{
  constexpr size_t kLongest = 40;
  std::string out;
  for (size_t i = 0; i < line.size() && i < kLongest; ++i)
  {
    const unsigned char c = static_cast<unsigned char>(line[i]);
    if (c >= 0x20 && c < 0x7f)
    {
      out += static_cast<char>(c);
      continue;
    }
    char escaped[8];
    std::snprintf(escaped, sizeof escaped, "\\x%02X", c);
    out += escaped;
  }
  if (line.size() > kLongest)
    out += "...";
  return out;
}

} // namespace auhost
