#include "CoreText/SystemFontList.h"

#include <fontconfig/fontconfig.h>
#include <strings.h>

#include <cstdlib>

namespace standin {

namespace {

bool HasFamily(FcPattern* font, const std::string& family)
{
  FcChar8* name = nullptr;
  for (int i = 0; FcPatternGetString(font, FC_FAMILY, i, &name) == FcResultMatch; ++i)
  {
    if (strcasecmp(reinterpret_cast<const char*>(name), family.c_str()) == 0)
      return true;
  }
  return false;
}

} // namespace

std::string FindSystemFontFile(const std::string& family, const std::string& style)
{
  // The font list is read once; it is given back at exit so that leak
  // checkers see nothing of it.
  static const bool ready = [] {
    const bool ok = FcInit();
    if (ok)
      std::atexit(FcFini);
    return ok;
  }();
  if (family.empty() || !ready)
    return {};
  FcPattern* pattern = FcPatternCreate();
  if (!pattern)
    return {};
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
  if (!style.empty())
    FcPatternAddString(pattern, FC_STYLE, reinterpret_cast<const FcChar8*>(style.c_str()));
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  // The nearest face wins; a fallback of another family does not count.
  FcPattern* match = FcFontMatch(nullptr, pattern, &result);
  std::string path;
  FcChar8* file = nullptr;
  if (match && HasFamily(match, family) && FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch)
    path = reinterpret_cast<const char*>(file);
  if (match)
    FcPatternDestroy(match);
  FcPatternDestroy(pattern);
  return path;
}

} // namespace standin
