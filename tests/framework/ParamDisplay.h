#pragma once

#include <string>

#include "framework/IParam.h"

namespace testsupport {

// The text a parameter shows for a value, as a std::string the checks can
// compare.
inline std::string Display(const plugkit::IParam& p, double value, bool normalized = false, bool withText = true)
{
  PK_String s;
  p.GetDisplay(value, normalized, s, withText);
  return s.Get();
}

} // namespace testsupport
