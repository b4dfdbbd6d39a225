// Automation lanes as CSV files: a header line "time,value", then one point
// per line (seconds, the parameter's value), times not decreasing.
#pragma once

#include <string>
#include <vector>

#include "tools/HostRender.h"

namespace auhost {

std::string LaneToCsv(const std::vector<AutomationPoint>& lane);
// False with `error` naming the line for anything but numbers in order.
bool LaneFromCsv(const std::string& text, std::vector<AutomationPoint>& lane, std::string& error);

} // namespace auhost
