#include "tools/AutomationLaneFile.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>

namespace auhost {

std::string LaneToCsv(const std::vector<AutomationPoint>& lane)
{
  std::string csv = "time,value\n";
  char line[64];
  for (const AutomationPoint& p : lane)
  {
    std::snprintf(line, sizeof line, "%.6f,%.6g\n", p.time, static_cast<double>(p.value));
    csv += line;
  }
  return csv;
}

bool LaneFromCsv(const std::string& text, std::vector<AutomationPoint>& lane, std::string& error,
                 const ValueCheck& inRange)
{
  lane.clear();
  std::istringstream in(text);
  std::string line;
  int number = 0;
  while (std::getline(in, line))
  {
    ++number;
    if (!line.empty() && line.back() == '\r')
      line.pop_back();
    if (line.empty() || (number == 1 && line.find_first_of("0123456789") != 0 && line[0] != '-' && line[0] != '.'))
      continue; // a header or a blank line
    const char* p = line.c_str();
    char* end = nullptr;
    const double time = std::strtod(p, &end);
    bool ok = end != p && *end == ',';
    double value = 0.0;
    const char* v = end + 1;
    if (ok)
    {
      value = std::strtod(v, &end);
      ok = end != v && *end == '\0' && std::isfinite(time) && std::isfinite(value) && time >= 0.0;
    }
    if (!ok || (!lane.empty() && time < lane.back().time))
    {
      error = "line " + std::to_string(number) + ": want \"seconds,value\" with times in order, got \"" + line + "\"";
      return false;
    }
    std::string why;
    if (inRange && !inRange(value, v + std::strspn(v, " \t"), why))
    {
      error = "line " + std::to_string(number) + ": " + why;
      return false;
    }
    lane.push_back({time, static_cast<float>(value)});
  }
  return true;
}

} // namespace auhost
