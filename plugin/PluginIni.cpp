#include "plugin/PluginIni.h"

#include <climits>
#include <cstdio>
#include <cstring>

#include "graphics/PK_String.h"

namespace tolvane3 {

bool ParseIniLine(const char* line, const char* key, int& value)
{
  const size_t keyLength = std::strlen(key);
  if (keyLength == 0 || std::strncmp(line, key, keyLength) != 0 || line[keyLength] != '=')
    return false;
  const char* p = line + keyLength + 1;
  while (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\r' || *p == '\v' || *p == '\f')
    ++p;
  const bool negative = *p == '-';
  if (*p == '-' || *p == '+')
    ++p;
  if (*p < '0' || *p > '9')
    return false;
  // Accumulated as a magnitude that stops once it leaves the i32 range, so
  // no overflow can happen however many digits follow.
  long long magnitude = 0;
  for (; *p >= '0' && *p <= '9'; ++p)
  {
    magnitude = magnitude * 10 + (*p - '0');
    if (magnitude > static_cast<long long>(INT_MAX) + 1)
      return false;
  }
  const long long result = negative ? -magnitude : magnitude;
  if (result > INT_MAX)
    return false;
  value = static_cast<int>(result);
  return true;
}

int ReadPluginIni(const char* dataFolder, const char* key, int defaultValue)
{
  if (!dataFolder || !*dataFolder)
    return defaultValue;
  PK_String path;
  path.SetFormatted(4096, "%s/%s", dataFolder, "plugin.ini");
  FILE* file = std::fopen(path.Get(), "rb");
  if (!file)
    return defaultValue;
  int result = defaultValue;
  char line[2048];
  while (std::fgets(line, sizeof line, file))
  {
    int value = 0;
    if (ParseIniLine(line, key, value))
      result = value;
  }
  std::fclose(file);
  return result;
}

} // namespace tolvane3
