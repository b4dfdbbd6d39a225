#include "tools/ValidateCommand.h"

#include <cstdio>

namespace auhost {

bool RunValidation(const ComponentBundle&)
{
  std::printf("validate: not built yet\n");
  return false;
}

} // namespace auhost
