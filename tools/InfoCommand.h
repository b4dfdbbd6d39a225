// `auhost info`: what a host learns of the component before it renders:
// identity, channel configurations, latency and tail, every parameter with
// its range, default, unit and value texts, and the factory presets.
#pragma once

#include <string>

#include "tools/ComponentBundle.h"

namespace auhost {

// The report as text; false with `error` set when the unit does not open.
bool DescribeComponent(const ComponentBundle& bundle, std::string& report, std::string& error);

} // namespace auhost
