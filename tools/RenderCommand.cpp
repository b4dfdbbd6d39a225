#include "tools/RenderCommand.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

#include "tools/AudioPipeline.h"
#include "tools/AutomationLaneFile.h"
#include "tools/HostRender.h"
#include "tools/PresetFile.h"
#include "tools/ProgrammeSummary.h"
#include "tools/RenderInterruption.h"
#include "tools/RenderOutputs.h"
#include "tools/RenderSummary.h"
#include "tools/TextFile.h"
#include "tools/UnitParameters.h"

namespace auhost {

namespace {

constexpr int kMaxBlockSize = 8192;
constexpr const char* kAutomatedParam = "Current Gain";
constexpr const char* kAutomationModeParam = "Automation";
constexpr const char* kDetectionModeParam = "Detecion Mode"; // the unit's own spelling
constexpr const char* kClassicModeParam = "V1 Classic Meter Mode";
constexpr const char* kCompareParam = "AB";

bool ParseBlockSize(const std::string& text, int& out)
{
  char* end = nullptr;
  const long v = std::strtol(text.c_str(), &end, 10);
  if (end == text.c_str() || *end || v < 1 || v > kMaxBlockSize)
    return false;
  out = static_cast<int>(v);
  return true;
}

bool ParseSampleFormat(const std::string& text, SampleFormat& out)
{
  if (text == "float")
    out = SampleFormat::Float32;
  else if (text == "16")
    out = SampleFormat::Pcm16;
  else if (text == "24")
    out = SampleFormat::Pcm24;
  else
    return false;
  return true;
}

int Fail(const std::string& message)
{
  std::fprintf(stderr, "auhost: %s\n", message.c_str());
  return 1;
}

// What a reader found that does not stop the render but that the user
// should know of.
void WarnOf(const AudioFileReader& reader)
{
  if (!reader.Warning().empty())
    std::fprintf(stderr, "auhost: warning: %s\n", reader.Warning().c_str());
}

// The text of a setting's value as the unit has it; empty when the unit has
// no such setting.
std::string SettingText(AudioUnit unit, const std::vector<ParameterDescription>& params, const char* name)
{
  const ParameterDescription* p = FindParameter(params, name);
  float value = 0.0f;
  if (!p || AudioUnitGetParameter(unit, p->id, kAudioUnitScope_Global, 0, &value) != noErr)
    return std::string();
  return ValueText(unit, *p, value);
}

// Settings that listen for a signal the render was not given, or that ride
// nothing at all: the render goes on, but not as the user may have asked.
void WarnOfRidesNotAsAsked(AudioUnit unit, const std::vector<ParameterDescription>& params,
                           const RenderOptions& options)
{
  const auto setting = [&](const char* name) { return SettingText(unit, params, name); };
  const std::string detection = setting(kDetectionModeParam);
  if (options.sidechain.empty() && (detection == "SideChain1" || detection == "SideChain2"))
    std::fprintf(stderr, "auhost: warning: \"%s\" %s wants a side-chain and no --sidechain is given: %s\n",
                 kDetectionModeParam, detection.c_str(),
                 detection == "SideChain1" ? "it rides on the main signal"
                                           : "the main signal is its own reference, so nothing is ridden");
  if (options.automationIn.empty() && setting(kAutomationModeParam) == "Read")
    std::fprintf(stderr,
                 "auhost: warning: \"%s\" Read wants a lane and no --automation-in is given: nothing is ridden, "
                 "whatever \"%s\" is set to\n",
                 kAutomationModeParam, kAutomatedParam);
  // A preset saved while comparing carries the switch with it.
  if (setting(kCompareParam) == "On")
    std::fprintf(stderr, "auhost: warning: \"%s\" On compares at unity gain: the output is not ridden\n",
                 kCompareParam);
}

// Why a lane given would not be played, or one asked for would not be the
// gain the output was given, with the settings as they end up (a --set or a
// preset may have moved them); empty when the lane is what it says.
std::string LaneRefusal(AudioUnit unit, const std::vector<ParameterDescription>& params,
                        const RenderOptions& options)
{
  const bool reading = !options.automationIn.empty();
  if (!reading && options.automationOut.empty())
    return {};
  const char* option = reading ? "--automation-in" : "--automation-out";
  const char* wanted = reading ? "Read" : "Write";
  const std::string mode = SettingText(unit, params, kAutomationModeParam);
  if (mode != wanted)
    return std::string(option) + " wants \"" + kAutomationModeParam + "\" " + wanted + ", and it is set to " + mode +
           (reading ? ": the unit would not play the lane" : ": the unit would write no lane");
  // Switches that give a gain other than "Current Gain", which then is
  // neither followed nor written: the classic engine rides with a gain of
  // its own, and comparing gives unity gain whatever the lane says.
  const struct
  {
    const char* name;
    const char* gain;
  } otherGains[] = {{kClassicModeParam, "rides with a gain of its own"}, {kCompareParam, "compares at unity gain"}};
  for (const auto& other : otherGains)
    if (SettingText(unit, params, other.name) == "On")
      return std::string("\"") + other.name + "\" On " + other.gain + ", which " +
             (reading ? "does not follow the lane of --automation-in" : "--automation-out would not record") +
             ": set it Off for a lane";
  return {};
}

// The highest rate rendered, twice the highest a real file uses: the
// unit's delay lines and meters, and the summary's windows, hold seconds
// of audio, so memory grows with the rate (some 800 MB at this one), and a
// header giving an absurd rate would have them allocate until the system
// stops the render.
constexpr int kHighestRate = 1536000;

// A bar on the terminal for programmes longer than a minute.
struct ProgressBar
{
  bool shown = false;
  int lastPercent = -1;
  void Update(double fraction)
  {
    const int percent = static_cast<int>(fraction * 100.0);
    if (percent == lastPercent)
      return;
    lastPercent = percent;
    const int filled = percent * 40 / 100;
    std::fprintf(stderr, "\r[%.*s%*s] %3d%%", filled, "########################################", 40 - filled, "",
                 percent);
    std::fflush(stderr);
    shown = true;
  }
  // Ends the bar's line, once the render is through: what is printed next
  // (the summary, a warning, an error) starts a line of its own.
  void End()
  {
    if (shown)
      std::fprintf(stderr, "\n");
    shown = false;
  }
  ~ProgressBar() { End(); }
};

// True when both names open the same stream that can be read only once
// (one pipe, a terminal): two readers would each take part of it.
bool SameOneWayStream(const std::string& a, const std::string& b)
{
  struct stat sa, sb;
  if (stat(a.c_str(), &sa) != 0 || stat(b.c_str(), &sb) != 0)
    return false;
  return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino && !S_ISREG(sa.st_mode) && !S_ISBLK(sa.st_mode);
}

} // namespace

bool ParseRenderOptions(const std::vector<std::string>& args, RenderOptions& options, std::string& error)
{
  std::vector<std::string> positional;
  for (size_t i = 0; i < args.size(); ++i)
  {
    const std::string& a = args[i];
    auto value = [&](std::string& into) {
      if (i + 1 >= args.size())
      {
        error = a + " wants a value";
        return false;
      }
      into = args[++i];
      return true;
    };
    std::string v;
    if (a == "--set")
    {
      if (!value(v))
        return false;
      options.sets.push_back(v);
    }
    else if (a == "--sidechain")
    {
      if (!value(options.sidechain))
        return false;
    }
    else if (a == "--preset")
    {
      if (!value(options.presetIn))
        return false;
    }
    else if (a == "--save-preset")
    {
      if (!value(options.presetOut))
        return false;
    }
    else if (a == "--automation-in")
    {
      if (!value(options.automationIn))
        return false;
    }
    else if (a == "--automation-out")
    {
      if (!value(options.automationOut))
        return false;
    }
    else if (a == "--block")
    {
      if (!value(v))
        return false;
      if (!ParseBlockSize(v, options.blockSize))
      {
        error = "--block wants a whole number from 1 to " + std::to_string(kMaxBlockSize) + ", got \"" + v + "\"";
        return false;
      }
    }
    else if (a == "--format")
    {
      if (!value(v))
        return false;
      if (!ParseSampleFormat(v, options.format))
      {
        error = "--format wants float, 16 or 24, got \"" + v + "\"";
        return false;
      }
    }
    else if (a == "--quiet")
      options.quiet = true;
    else if (a.size() > 1 && a[0] == '-')
    {
      error = "unknown option " + a;
      return false;
    }
    else
      positional.push_back(a);
  }
  if (positional.size() != 2)
  {
    error = "render wants an input and an output file";
    return false;
  }
  options.input = positional[0];
  options.output = positional[1];
  if (!IsKnownAudioExtension(options.output))
  {
    error = options.output + ": unknown file type (use .wav, .aif, .aiff or .flac)";
    return false;
  }
  if (!options.automationIn.empty() && !options.automationOut.empty())
  {
    error = "--automation-in and --automation-out exclude each other (Automation Read or Write)";
    return false;
  }
  return true;
}

namespace {

// Check, render, commit: every output is checked before anything is read,
// the audio is written into a temporary as it is rendered, the side files
// are written once it is done, and only when all are whole does any of
// them take its name.
int RenderFile(const ComponentBundle& bundle, const RenderOptions& options, RenderInterruption& interruption)
{
  std::string error;
  RenderOutputs outputs(options);
  if (!outputs.Check(error))
    return Fail(error);
  if (!options.sidechain.empty() && SameOneWayStream(options.input, options.sidechain))
    return Fail("the side-chain " + options.sidechain + " is the input's own stream, which can be read only once: " +
                "give the side-chain a file of its own");
  auto input = AudioFileReader::Open(options.input, error);
  if (!input)
    return Fail(error);
  if (input->SampleRate() > kHighestRate)
    return Fail(options.input + ": " + std::to_string(static_cast<long long>(input->SampleRate())) +
                " Hz is above the highest rate rendered, " + std::to_string(kHighestRate) + " Hz");
  WarnOf(*input);
  std::unique_ptr<AudioFileReader> sidechain;
  if (!options.sidechain.empty())
  {
    if (!(sidechain = AudioFileReader::Open(options.sidechain, error)))
      return Fail(error);
    WarnOf(*sidechain);
    if (sidechain->SampleRate() != input->SampleRate())
      return Fail("the side-chain runs at " + std::to_string(static_cast<int>(sidechain->SampleRate())) +
                  " Hz and the input at " + std::to_string(static_cast<int>(input->SampleRate())) + " Hz");
  }

  auto opened = OpenedUnit::Open(bundle, error);
  if (!opened)
    return Fail(error);
  const AudioUnit unit = opened->Unit();
  if (!options.presetIn.empty() && !LoadPresetFile(unit, options.presetIn, error))
    return Fail(error);
  const std::vector<ParameterDescription> params = ReadParameters(unit);
  const ParameterDescription* automated = FindParameter(params, kAutomatedParam);
  const bool automating = !options.automationIn.empty() || !options.automationOut.empty();
  if (automating && !automated)
    return Fail(std::string("the unit has no \"") + kAutomatedParam + "\" to automate");
  std::vector<AutomationPoint> lane;
  if (!options.automationIn.empty())
  {
    // A point is refused as --set refuses its value: the unit would clamp it.
    const ValueCheck inRange = [&](double value, const std::string& text, std::string& why) {
      return WithinRange(unit, *automated, value, text, why);
    };
    std::string text;
    if (!ReadTextFile(options.automationIn, kMaxLaneFileBytes, text, error))
      return Fail(error);
    if (!LaneFromCsv(text, lane, error, inRange))
      return Fail(options.automationIn + ": " + error);
  }
  if (!options.automationIn.empty() &&
      !SetParameterFromAssignment(unit, params, std::string(kAutomationModeParam) + "=Read", error))
    return Fail(error);
  if (!options.automationOut.empty() &&
      !SetParameterFromAssignment(unit, params, std::string(kAutomationModeParam) + "=Write", error))
    return Fail(error);
  for (const std::string& set : options.sets)
    if (!SetParameterFromAssignment(unit, params, set, error))
      return Fail(error);
  if (!(error = LaneRefusal(unit, params, options)).empty())
    return Fail(error);
  WarnOfRidesNotAsAsked(unit, params, options);

  AudioFileWriter* output = outputs.BeginAudio(input->NumChannels(), input->SampleRate(), input->Frames(), error);
  if (!output)
    return Fail(error);
  std::unique_ptr<RenderSummary> summary;
  if (!options.quiet)
    summary = std::make_unique<RenderSummary>(input->NumChannels(), input->SampleRate());

  // The files are read ahead and written behind on threads of their own,
  // which end (whatever happens) before the writer commits or discards.
  // The summary takes its copies of the input and the output there too,
  // off the render's thread.
  BlockObserver toSummaryInput, toSummaryOutput;
  if (summary)
  {
    toSummaryInput = [&summary](const float* const* channels, long count) { summary->Input(channels, count); };
    toSummaryOutput = [&summary](const float* const* channels, long count) { summary->Output(channels, count); };
  }
  ReadAheadSource mainAhead(*input, toSummaryInput);
  std::unique_ptr<ReadAheadSource> sideAhead(sidechain ? new ReadAheadSource(*sidechain) : nullptr);
  WriteBehindSink outputBehind(*output, input->NumChannels(), toSummaryOutput);
  RenderSetup setup;
  setup.main = &mainAhead;
  setup.sidechain = sideAhead.get();
  setup.output = &outputBehind;
  setup.blockSize = options.blockSize;
  setup.automatedParam = automated ? automated->id : 0;
  setup.playLane = options.automationIn.empty() ? nullptr : &lane;
  setup.recordLane = !options.automationOut.empty();
  ProgressBar bar;
  if (!options.quiet && isatty(STDERR_FILENO) && input->Frames() > 60 * input->SampleRate())
    setup.progress = [&bar](double fraction) { bar.Update(fraction); };
  RenderOutcome outcome = RenderThrough(unit, setup);
  bar.End();
  if (!outcome.ok)
    return Fail(outcome.error);
  // Whether a pipe held what its header promised is known once it has been
  // read to its end (the side-chain's, once its reader has stopped).
  sideAhead.reset();
  for (const AudioFileReader* reader : {input.get(), sidechain.get()})
    if (reader && reader->Frames() == kUnknownLength)
      WarnOf(*reader);

  std::string preset;
  if (!options.presetOut.empty() && !PresetText(unit, preset, error))
    return Fail(error);
  if (!outputs.Finish(preset, LaneToCsv(outcome.recordedLane), error))
    return Fail(error);
  // Once one output has taken its name, the others follow whatever comes.
  interruption.FinishFromHere();
  if (!outputs.Commit(error))
    return Fail(error);
  for (const std::string& warning : outputs.Warnings())
    std::fprintf(stderr, "auhost: warning: %s\n", warning.c_str());

  if (summary)
  {
    summary->Finish();
    const std::string text = FormatSummary(summary->InputLoudness(), summary->OutputLoudness(), summary->Gain(),
                                           outcome.latencySamples, input->SampleRate());
    std::printf("%s -> %s\n%s", options.input.c_str(), options.output.c_str(), text.c_str());
    // Written while SIGPIPE is let go: a pipe nobody reads any more fails
    // the write, not the committed render.
    std::fflush(stdout);
  }
  return 0;
}

} // namespace

int RunRender(const ComponentBundle& bundle, const RenderOptions& options)
{
  RenderInterruption interruption;
  return RenderFile(bundle, options, interruption);
}

} // namespace auhost
