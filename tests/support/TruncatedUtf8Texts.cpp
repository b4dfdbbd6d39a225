#include "tests/support/TruncatedUtf8Texts.h"

#include <fstream>
#include <iterator>
#include <stdexcept>

namespace testsupport {

std::vector<NamedText> TruncatedUtf8Texts()
{
  const char* const finding = TOLVANE3_FUZZ_SEEDS "/aupreset_fuzz/utf8-at-end.aupreset";
  std::ifstream file(finding, std::ios::binary);
  std::string found{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  if (!file || found.empty())
    throw std::runtime_error(std::string("cannot read ") + finding);
  const std::string declaration = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>";
  return {
    {"fuzz finding", found},
    {"attribute value", declaration + "<a b='\xF0"},
    {"element text", declaration + "<plist><string>\xF0"},
  };
}

} // namespace testsupport
