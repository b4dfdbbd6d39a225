// `auhost editor --snapshot OUT.png [--scale 1|2] [--events FILE]`: opens
// the unit's editor as a host does (the CocoaUI factory's view in a window
// on a screen of that backing scale), plays the event script on the manual
// clock and writes what the window shows. A script that cannot be read is
// reported before anything opens, and no PNG is ever left half-written.
#pragma once

#include <string>
#include <vector>

#include "tools/ComponentBundle.h"

namespace auhost {

struct EditorOptions
{
  std::string snapshot;
  std::string events;
  double scale = 1.0;
};

// The options after "editor"; false with `error` set.
bool ParseEditorOptions(const std::vector<std::string>& args, EditorOptions& options, std::string& error);
// 0 on success, 1 on failure (the message on standard error).
int RunEditor(const ComponentBundle& bundle, const EditorOptions& options);

} // namespace auhost
