#pragma once

// The general pasteboard: strings by type. Main thread.

#include <map>
#include <string>

class NSPasteboard
{
public:
  static NSPasteboard& generalPasteboard();
  // Empties it; answers the new change count.
  long clearContents();
  bool setString(const std::string& text, const std::string& type);
  // False when it holds no string of that type.
  bool stringForType(const std::string& type, std::string& text) const;

private:
  std::map<std::string, std::string> mStrings;
  long mChangeCount = 0;
};
