#include "tools/AutomationLaneFile.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "tools/TextFile.h"

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
  const std::vector<std::string> lines = TextLines(text);
  for (size_t i = 0; i < lines.size(); ++i)
  {
    const std::string where = "line " + std::to_string(i + 1) + ": ";
    const size_t first = lines[i].find_first_not_of(" \t");
    if (first == std::string::npos)
      continue;
    const std::string line = lines[i].substr(first, lines[i].find_last_not_of(" \t") + 1 - first);
    if (i == 0 && std::string("0123456789+-.").find(line[0]) == std::string::npos)
      continue; // a header
    const char* p = line.c_str();
    char* end = nullptr;
    const double time = std::strtod(p, &end);
    while (*end == ' ' || *end == '\t')
      ++end;
    bool ok = end != p && *end == ',';
    double value = 0.0;
    const char* v = end + 1;
    if (ok)
    {
      value = std::strtod(v, &end);
      ok = end != v && end == p + line.size() && std::isfinite(time) && std::isfinite(value) && time >= 0.0;
    }
    if (!ok || (!lane.empty() && time < lane.back().time))
    {
      error = where + "want \"seconds,value\" with times in order, got \"" + Excerpt(line) + "\"";
      return false;
    }
    std::string why;
    if (inRange && !inRange(value, Excerpt(v + std::strspn(v, " \t")), why))
    {
      error = where + why;
      return false;
    }
    lane.push_back({time, static_cast<float>(value)});
  }
  if (lane.empty())
  {
    error = "no points in the lane: want a \"seconds,value\" line for each";
    return false;
  }
  return true;
}

} // namespace auhost
