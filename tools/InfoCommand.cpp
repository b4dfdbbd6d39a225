#include "tools/InfoCommand.h"

#include <cstdarg>
#include <cstdio>
#include <vector>

#include "CoreFoundation/CFArray.h"
#include "tools/UnitParameters.h"

namespace auhost {

namespace {

std::string Line(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string Line(const char* format, ...)
{
  char buffer[1024];
  va_list args;
  va_start(args, format);
  std::vsnprintf(buffer, sizeof buffer, format, args);
  va_end(args);
  return std::string(buffer) + "\n";
}

Float64 SecondsProperty(AudioUnit unit, AudioUnitPropertyID id)
{
  Float64 value = 0.0;
  UInt32 size = sizeof(value);
  AudioUnitGetProperty(unit, id, kAudioUnitScope_Global, 0, &value, &size);
  return value;
}

} // namespace

bool DescribeComponent(const ComponentBundle& bundle, std::string& report, std::string& error)
{
  auto opened = OpenedUnit::Open(bundle, error);
  if (!opened)
    return false;
  const AudioUnit unit = opened->Unit();
  const ComponentIdentity& id = bundle.Identity();
  report = Line("%s (%s) version %s", id.name.c_str(), id.bundleId.c_str(), id.version.c_str());
  report += Line("type %s  subtype %s  manufacturer %s", id.type.c_str(), id.subtype.c_str(),
                 id.manufacturer.c_str());

  UInt32 size = 0;
  Boolean writable = false;
  std::string configs;
  if (AudioUnitGetPropertyInfo(unit, kAudioUnitProperty_SupportedNumChannels, kAudioUnitScope_Global, 0, &size,
                               &writable) == noErr)
  {
    std::vector<AUChannelInfo> infos(size / sizeof(AUChannelInfo));
    if (!infos.empty() && AudioUnitGetProperty(unit, kAudioUnitProperty_SupportedNumChannels, kAudioUnitScope_Global,
                                               0, infos.data(), &size) == noErr)
      for (const AUChannelInfo& c : infos)
        configs += " " + std::to_string(c.inChannels) + "-" + std::to_string(c.outChannels);
  }
  UInt32 inputs = 0, outputs = 0;
  size = sizeof(UInt32);
  AudioUnitGetProperty(unit, kAudioUnitProperty_ElementCount, kAudioUnitScope_Input, 0, &inputs, &size);
  size = sizeof(UInt32);
  AudioUnitGetProperty(unit, kAudioUnitProperty_ElementCount, kAudioUnitScope_Output, 0, &outputs, &size);
  report += Line("channels (in-out):%s; %u input buses, %u output buses", configs.c_str(), inputs, outputs);
  report += Line("latency %.6f s, tail %.6f s", SecondsProperty(unit, kAudioUnitProperty_Latency),
                 SecondsProperty(unit, kAudioUnitProperty_TailTime));

  const std::vector<ParameterDescription> params = ReadParameters(unit);
  report += Line("\n%zu parameters:", params.size());
  for (const ParameterDescription& p : params)
  {
    float value = p.defaultValue;
    AudioUnitGetParameter(unit, p.id, kAudioUnitScope_Global, 0, &value);
    report += Line("  %3u  %-26s %s .. %s, default %s (%s)%s", p.id, ("\"" + p.name + "\"").c_str(),
                   ValueText(unit, p, p.minValue).c_str(), ValueText(unit, p, p.maxValue).c_str(),
                   ValueText(unit, p, p.defaultValue).c_str(),
                   p.unitLabel.empty() ? UnitName(p.unit) : p.unitLabel.c_str(),
                   (p.flags & kAudioUnitParameterFlag_IsWritable) ? "" : " read-only");
    if (!p.valueTexts.empty())
    {
      std::string texts;
      for (const std::string& t : p.valueTexts)
        texts += " \"" + t + "\"";
      report += Line("       values:%s", texts.c_str());
    }
  }

  CFArrayRef presets = nullptr;
  size = sizeof(presets);
  report += Line("\nfactory presets:");
  if (AudioUnitGetProperty(unit, kAudioUnitProperty_FactoryPresets, kAudioUnitScope_Global, 0, &presets, &size) ==
        noErr &&
      presets)
  {
    for (CFIndex i = 0; i < CFArrayGetCount(presets); ++i)
    {
      const auto* preset = static_cast<const AUPreset*>(CFArrayGetValueAtIndex(presets, i));
      if (preset)
        report += Line("  %d  \"%s\"", preset->presetNumber, TextOf(preset->presetName).c_str());
    }
    CFRelease(presets);
  }
  return true;
}

} // namespace auhost
