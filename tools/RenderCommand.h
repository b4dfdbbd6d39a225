// `auhost render IN OUT [options]`: rides a file through the unit and
// prints what it did. Every failure is reported before anything is
// written, or leaves every old output whole and no file behind (but for a
// rename that fails once an output is in place: the outputs are renamed one
// after another).
#pragma once

#include <string>
#include <vector>

#include "tools/AudioFile.h"
#include "tools/ComponentBundle.h"

namespace auhost {

struct RenderOptions
{
  std::string input, output;
  std::vector<std::string> sets; // NAME=VALUE, in order
  std::string sidechain, presetIn, presetOut, automationIn, automationOut;
  int blockSize = 512;
  SampleFormat format = SampleFormat::Float32;
  bool quiet = false;
};

// The options after "render"; false with `error` set.
bool ParseRenderOptions(const std::vector<std::string>& args, RenderOptions& options, std::string& error);
// 0 on success, 1 on failure (the message on standard error). Stopped by
// Ctrl-C, SIGTERM, SIGHUP or SIGQUIT before its outputs are committed, it
// ends the process by that signal at once, every old output whole and
// nothing left behind; stopped later, it finishes.
int RunRender(const ComponentBundle& bundle, const RenderOptions& options);

} // namespace auhost
