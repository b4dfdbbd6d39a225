#pragma once

// The system's light or dark look. Appearances are constants of the process.

#include <string>

extern const char* const NSAppearanceNameAqua;
extern const char* const NSAppearanceNameDarkAqua;

class NSAppearance
{
public:
  // The appearance of that name (aqua or dark aqua), or null.
  static const NSAppearance* appearanceNamed(const std::string& name);
  const std::string& name() const { return mName; }

  explicit NSAppearance(std::string name) : mName(std::move(name)) {}

private:
  std::string mName;
};

namespace standin {
// The application's appearance, which views without one of their own
// have (aqua unless set).
void SetApplicationAppearance(const NSAppearance* appearance);
const NSAppearance* ApplicationAppearance();
} // namespace standin
