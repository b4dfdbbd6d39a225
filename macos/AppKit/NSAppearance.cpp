#include "AppKit/NSAppearance.h"

const char* const NSAppearanceNameAqua = "NSAppearanceNameAqua";
const char* const NSAppearanceNameDarkAqua = "NSAppearanceNameDarkAqua";

namespace {
const NSAppearance kAqua(NSAppearanceNameAqua);
const NSAppearance kDarkAqua(NSAppearanceNameDarkAqua);
const NSAppearance* gApplication = &kAqua;
} // namespace

const NSAppearance* NSAppearance::appearanceNamed(const std::string& name)
{
  if (name == NSAppearanceNameAqua)
    return &kAqua;
  if (name == NSAppearanceNameDarkAqua)
    return &kDarkAqua;
  return nullptr;
}

namespace standin {
void SetApplicationAppearance(const NSAppearance* appearance)
{
  gApplication = appearance ? appearance : &kAqua;
}
const NSAppearance* ApplicationAppearance()
{
  return gApplication;
}
} // namespace standin
