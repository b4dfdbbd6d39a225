// auhost: a command-line Audio Unit host. It loads a component bundle and
// talks to the plug-in only through the exported factory and the Audio
// Unit calls, as a host on macOS would.

#include <fcntl.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <new>
#include <string>
#include <vector>

#include "StandIn/Hooks.h"
#include "tools/AudioFile.h"
#include "tools/EditorCommand.h"
#include "tools/ExampleProgramme.h"
#include "tools/InfoCommand.h"
#include "tools/RenderCommand.h"
#include "tools/ValidateCommand.h"

namespace {

constexpr const char* kUsage =
  "usage: auhost [--bundle DIR.component] COMMAND ...   (-h, --help: this text)\n"
  "  info                      the component's identity, layouts, parameters and presets\n"
  "  render IN OUT [options]   rides IN (WAV, AIFF or FLAC) through the plug-in into OUT\n"
  "      --set NAME=VALUE      a parameter by name, the value as the plug-in shows it\n"
  "      --sidechain FILE      side-chain audio at the input's rate\n"
  "      --block N             frames per slice (default 512); the output depends on it only\n"
  "                            with --automation-in\n"
  "      --format float|16|24  output samples (default float)\n"
  "      --preset FILE.aupreset / --save-preset FILE.aupreset\n"
  "      --automation-in FILE.csv   plays a \"Current Gain\" lane in Automation Read, one value a\n"
  "                                 slice, so the output depends on --block\n"
  "      --automation-out FILE.csv  records the lane the plug-in writes in Automation Write\n"
  "      --quiet               no summary\n"
  "  validate                  checks the component as an Audio Unit validator does\n"
  "  example OUT.wav           writes the built-in voice-like example programme\n"
  "  editor --snapshot OUT.png [--scale 1|2] [--events FILE]\n"
  "                            shows the editor in a window and writes what it shows;\n"
  "                            FILE plays events first, one a line: TIME_MS KIND ARGS [shift cmd alt ctrl],\n"
  "                            points from the window's top-left: move|down|drag|up|rdown|rup X Y,\n"
  "                            down X Y clicks N, wheel X Y DY, key down|up CODE [TEXT], drop X Y PATH,\n"
  "                            focus lost, scale 1|2, snapshot FILE; a comment starts at a '#' at a line's\n"
  "                            start or after a blank\n";

int Usage(const std::string& problem)
{
  if (!problem.empty())
    std::fprintf(stderr, "auhost: %s\n", problem.c_str());
  std::fprintf(stderr, "%s", kUsage);
  return 2;
}

// A report is the command's answer: where it did not reach standard output
// whole (a full disk), the command failed, whatever the report says.
int Reported(int status)
{
  errno = 0;
  if (std::fflush(stdout) == 0 && !std::ferror(stdout))
    return status;
  std::fprintf(stderr, "auhost: the report was not written to standard output%s%s\n", errno ? ": " : "",
               errno ? std::strerror(errno) : "");
  return 1;
}

std::unique_ptr<auhost::ComponentBundle> LoadBundle(const std::string& root)
{
  std::string error;
  auto bundle = auhost::ComponentBundle::Load(root, error);
  if (!bundle)
    std::fprintf(stderr, "auhost: %s\n", error.c_str());
  return bundle;
}

int RunCommand(int argc, char** argv)
{
  std::vector<std::string> args(argv + 1, argv + argc);
  std::string bundleRoot = AUHOST_DEFAULT_BUNDLE;
  if (!args.empty() && args[0] == "--bundle")
  {
    if (args.size() < 2)
      return Usage("--bundle wants a folder (DIR.component)");
    bundleRoot = args[1];
    args.erase(args.begin(), args.begin() + 2);
  }
  if (args.empty())
    return Usage("");
  const std::string command = args[0];
  args.erase(args.begin());
  // Asked for, the usage is the answer, not a complaint.
  if (command == "--help" || command == "-h")
  {
    std::printf("%s", kUsage);
    return Reported(0);
  }
  // Timers follow audio time, not the wall clock: the render drives them.
  standin::UseManualClock();

  if (command == "example")
  {
    if (args.size() != 1)
      return Usage("example wants one output file");
    std::string error;
    if (!auhost::WriteAudioFile(args[0], auhost::MakeExampleProgramme(), auhost::SampleFormat::Float32, error))
    {
      std::fprintf(stderr, "auhost: %s\n", error.c_str());
      return 1;
    }
    return 0;
  }
  if (command == "render")
  {
    auhost::RenderOptions options;
    std::string error;
    if (!auhost::ParseRenderOptions(args, options, error))
      return Usage(error);
    auto bundle = LoadBundle(bundleRoot);
    return bundle ? auhost::RunRender(*bundle, options) : 1;
  }
  if (command == "editor")
  {
    auhost::EditorOptions options;
    std::string error;
    if (!auhost::ParseEditorOptions(args, options, error))
      return Usage(error);
    auto bundle = LoadBundle(bundleRoot);
    return bundle ? auhost::RunEditor(*bundle, options) : 1;
  }
  if (command == "info" || command == "validate")
  {
    if (!args.empty())
      return Usage(command + " takes no arguments");
    auto bundle = LoadBundle(bundleRoot);
    if (!bundle)
      return 1;
    if (command == "validate")
      return Reported(auhost::RunValidation(*bundle) ? 0 : 1);
    std::string report, error;
    if (!auhost::DescribeComponent(*bundle, report, error))
    {
      std::fprintf(stderr, "auhost: %s\n", error.c_str());
      return 1;
    }
    std::printf("%s", report.c_str());
    return Reported(0);
  }
  return Usage("unknown command \"" + command + "\"");
}
} // namespace

int main(int argc, char** argv)
{
  // A standard stream closed at the start (a daemon's, a script's
  // `>&- 2>&-`) leaves its number to the next file opened, and what is
  // printed would land there, in an output. Each closed one is /dev/null,
  // before anything is opened; without /dev/null nothing is safe to open.
  for (int stream = 0; stream <= 2; ++stream)
    if (fcntl(stream, F_GETFD) < 0 && errno == EBADF && open("/dev/null", O_RDWR) != stream)
      return 1;
  // Caught so that the stack unwinds whatever is thrown: a render's
  // temporary output is removed on the way, and the user is told why.
  try
  {
    return RunCommand(argc, argv);
  }
  catch (const std::bad_alloc&)
  {
    std::fprintf(stderr, "auhost: out of memory\n");
    return 1;
  }
  catch (const std::exception& e)
  {
    std::fprintf(stderr, "auhost: %s\n", e.what());
    return 1;
  }
}
