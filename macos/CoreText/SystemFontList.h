#pragma once

// The system's installed fonts, as far as descriptors need them.

#include <string>

namespace standin {

// The file of the installed font whose family equals `family` (any letter
// case) and whose style is nearest to `style`; "" when no family matches.
std::string FindSystemFontFile(const std::string& family, const std::string& style);

} // namespace standin
