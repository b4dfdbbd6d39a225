// `auhost validate`: checks a component the way an Audio Unit validator
// does, prints each check with PASS or FAIL and a final verdict.
#pragma once

#include "tools/ComponentBundle.h"

namespace auhost {

// True when every check passed.
bool RunValidation(const ComponentBundle& bundle);

} // namespace auhost
