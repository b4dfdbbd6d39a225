// Automation lanes as CSV files: a header line "time,value", then one point
// per line (seconds, the parameter's value), times not decreasing.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "tools/HostRender.h"

namespace auhost {

// The most of a lane file the host reads: a point each 50 ms of ten hours
// takes some 15 MB.
inline constexpr size_t kMaxLaneFileBytes = 32u << 20;

std::string LaneToCsv(const std::vector<AutomationPoint>& lane);
// Whether a point's value (given as `text` in the file) may stand; false with
// `why` set when not.
using ValueCheck = std::function<bool(double value, const std::string& text, std::string& why)>;
// False with `error` naming the line for anything but numbers in order and
// for a value `inRange` refuses; false too for a lane without points. Line 1
// is a header when it does not begin as a number does.
bool LaneFromCsv(const std::string& text, std::vector<AutomationPoint>& lane, std::string& error,
                 const ValueCheck& inRange = {});

} // namespace auhost
