#include "tools/UnitParameters.h"

#include <cctype>
#include <cstdlib>
#include <cstring>

#include "CoreFoundation/CFArray.h"
#include "tools/ComponentBundle.h"

namespace auhost {

namespace {

std::string Trimmed(const std::string& s)
{
  size_t a = 0, b = s.size();
  while (a < b && std::isspace(static_cast<unsigned char>(s[a])))
    ++a;
  while (b > a && std::isspace(static_cast<unsigned char>(s[b - 1])))
    --b;
  return s.substr(a, b - a);
}

bool EqualIgnoringCase(const std::string& a, const std::string& b)
{
  if (a.size() != b.size())
    return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

// The number a user typed, "1.2k" and "1k2" meaning 1200; false when the
// text holds anything but the number and, optionally, the unit.
bool ParseUserNumber(const std::string& text, const std::string& unitLabel, double& value)
{
  std::string t = Trimmed(text);
  double scale = 1.0;
  const size_t k = t.find_first_of("kK");
  if (k != std::string::npos && k > 0 && std::isdigit(static_cast<unsigned char>(t[k - 1])))
  {
    scale = 1000.0;
    t[k] = t.find('.') < k ? ' ' : '.';
    if (t[k] == ' ')
      t.erase(k, 1);
  }
  const char* begin = t.c_str();
  char* end = nullptr;
  value = std::strtod(begin, &end) * scale;
  if (end == begin)
    return false;
  const std::string rest = Trimmed(end);
  return rest.empty() || (!unitLabel.empty() && EqualIgnoringCase(rest, unitLabel));
}

} // namespace

std::vector<ParameterDescription> ReadParameters(AudioUnit unit)
{
  std::vector<ParameterDescription> params;
  UInt32 size = 0;
  Boolean writable = false;
  if (AudioUnitGetPropertyInfo(unit, kAudioUnitProperty_ParameterList, kAudioUnitScope_Global, 0, &size, &writable) !=
      noErr)
    return params;
  std::vector<AudioUnitParameterID> ids(size / sizeof(AudioUnitParameterID));
  if (ids.empty() ||
      AudioUnitGetProperty(unit, kAudioUnitProperty_ParameterList, kAudioUnitScope_Global, 0, ids.data(), &size) !=
        noErr)
    return params;
  ids.resize(size / sizeof(AudioUnitParameterID));
  for (AudioUnitParameterID id : ids)
  {
    AudioUnitParameterInfo info{};
    UInt32 infoSize = sizeof(info);
    if (AudioUnitGetProperty(unit, kAudioUnitProperty_ParameterInfo, kAudioUnitScope_Global, id, &info, &infoSize) !=
        noErr)
      continue;
    ParameterDescription p;
    p.id = id;
    p.name = (info.flags & kAudioUnitParameterFlag_HasCFNameString) ? TextOf(info.cfNameString)
                                                                      : std::string(info.name, strnlen(info.name, 52));
    if ((info.flags & kAudioUnitParameterFlag_CFNameRelease) && info.cfNameString)
      CFRelease(info.cfNameString);
    if (info.unit == kAudioUnitParameterUnit_CustomUnit && info.unitName)
    {
      p.unitLabel = TextOf(info.unitName);
      if (info.flags & kAudioUnitParameterFlag_CFNameRelease)
        CFRelease(info.unitName);
    }
    p.unit = info.unit;
    p.flags = info.flags;
    p.minValue = info.minValue;
    p.maxValue = info.maxValue;
    p.defaultValue = info.defaultValue;
    if (info.flags & kAudioUnitParameterFlag_ValuesHaveStrings)
    {
      CFArrayRef texts = nullptr;
      UInt32 arraySize = sizeof(texts);
      if (AudioUnitGetProperty(unit, kAudioUnitProperty_ParameterValueStrings, kAudioUnitScope_Global, id, &texts,
                               &arraySize) == noErr &&
          texts)
      {
        for (CFIndex i = 0; i < CFArrayGetCount(texts); ++i)
          p.valueTexts.push_back(TextOf(static_cast<CFStringRef>(CFArrayGetValueAtIndex(texts, i))));
        CFRelease(texts);
      }
    }
    params.push_back(std::move(p));
  }
  return params;
}

const ParameterDescription* FindParameter(const std::vector<ParameterDescription>& params, const std::string& name)
{
  for (const ParameterDescription& p : params)
    if (p.name == name)
      return &p;
  for (const ParameterDescription& p : params)
    if (EqualIgnoringCase(p.name, name))
      return &p;
  return nullptr;
}

std::string ValueText(AudioUnit unit, const ParameterDescription& p, float value)
{
  AudioUnitParameterStringFromValue record{p.id, &value, nullptr};
  UInt32 size = sizeof(record);
  if (AudioUnitGetProperty(unit, kAudioUnitProperty_ParameterStringFromValue, kAudioUnitScope_Global, 0, &record,
                           &size) != noErr ||
      !record.outString)
    return std::to_string(value);
  std::string text = TextOf(record.outString);
  CFRelease(record.outString);
  return text;
}

bool WithinRange(AudioUnit unit, const ParameterDescription& p, double number, const std::string& text,
                 std::string& error)
{
  // Asked this way round so that NaN, which compares false, is outside.
  if (number >= p.minValue - 1e-6 && number <= p.maxValue + 1e-6)
    return true;
  error = "\"" + p.name + "\" = " + text + " lies outside " + ValueText(unit, p, p.minValue) + " .. " +
          ValueText(unit, p, p.maxValue);
  return false;
}

bool ValueFromText(AudioUnit unit, const ParameterDescription& p, const std::string& text, float& value,
                   std::string& error)
{
  if (!p.valueTexts.empty())
  {
    for (size_t i = 0; i < p.valueTexts.size(); ++i)
      if (EqualIgnoringCase(p.valueTexts[i], Trimmed(text)))
      {
        value = p.minValue + static_cast<float>(i);
        return true;
      }
    error = "\"" + text + "\" is not a value of \"" + p.name + "\"; it takes:";
    for (const std::string& t : p.valueTexts)
      error += " \"" + t + "\"";
    return false;
  }
  double number = 0.0;
  if (!ParseUserNumber(text, p.unitLabel.empty() ? UnitName(p.unit) : p.unitLabel, number))
  {
    error = "\"" + text + "\" is not a number for \"" + p.name + "\"";
    return false;
  }
  if (!WithinRange(unit, p, number, text, error))
    return false;
  // The unit has the last word on its own texts.
  CFStringRef string = CFStringCreateWithCString(nullptr, Trimmed(text).c_str(), kCFStringEncodingUTF8);
  AudioUnitParameterValueFromString record{p.id, string, 0.0f};
  UInt32 size = sizeof(record);
  const OSStatus status = AudioUnitGetProperty(unit, kAudioUnitProperty_ParameterValueFromString,
                                               kAudioUnitScope_Global, 0, &record, &size);
  if (string)
    CFRelease(string);
  value = status == noErr ? record.outValue : static_cast<float>(number);
  return true;
}

bool SetParameterFromAssignment(AudioUnit unit, const std::vector<ParameterDescription>& params,
                                const std::string& assignment, std::string& error)
{
  const size_t eq = assignment.find('=');
  if (eq == std::string::npos || eq == 0)
  {
    error = "--set wants NAME=VALUE, got \"" + assignment + "\"";
    return false;
  }
  const std::string name = Trimmed(assignment.substr(0, eq));
  const ParameterDescription* p = FindParameter(params, name);
  if (!p)
  {
    error = "no parameter named \"" + name + "\" (auhost info lists them)";
    return false;
  }
  float value = 0.0f;
  if (!ValueFromText(unit, *p, assignment.substr(eq + 1), value, error))
    return false;
  if (AudioUnitSetParameter(unit, p->id, kAudioUnitScope_Global, 0, value, 0) != noErr)
  {
    error = "the unit refused \"" + name + "\" = " + assignment.substr(eq + 1);
    return false;
  }
  return true;
}

const char* UnitName(UInt32 unit)
{
  switch (unit)
  {
    case kAudioUnitParameterUnit_Generic: return "generic";
    case kAudioUnitParameterUnit_Indexed: return "indexed";
    case kAudioUnitParameterUnit_Boolean: return "boolean";
    case kAudioUnitParameterUnit_Percent: return "%";
    case kAudioUnitParameterUnit_Seconds: return "s";
    case kAudioUnitParameterUnit_Hertz: return "Hz";
    case kAudioUnitParameterUnit_Decibels: return "dB";
    case kAudioUnitParameterUnit_Milliseconds: return "ms";
    case kAudioUnitParameterUnit_CustomUnit: return "custom";
    default: return "other";
  }
}

} // namespace auhost
