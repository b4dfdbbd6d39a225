#include "tools/PresetFile.h"

#include "CoreFoundation/CFData.h"
#include "CoreFoundation/CFNumber.h"
#include "CoreFoundation/CFString.h"
#include "tools/ComponentBundle.h"
#include "tools/OutputReplacement.h"

namespace auhost {

namespace {

struct Releaser
{
  CFTypeRef object;
  ~Releaser()
  {
    if (object)
      CFRelease(object);
  }
};

// A new object for a value; null with `error` set.
CFTypeRef ObjectOf(const PlistValue& v, int depth, std::string& error)
{
  switch (v.kind)
  {
    case PlistValue::Kind::String:
      return CFStringCreateWithCString(nullptr, v.text.c_str(), kCFStringEncodingUTF8);
    case PlistValue::Kind::Integer: return CFNumberCreate(nullptr, kCFNumberSInt64Type, &v.integer);
    case PlistValue::Kind::Real: return CFNumberCreate(nullptr, kCFNumberFloat64Type, &v.real);
    case PlistValue::Kind::Data:
      return CFDataCreate(nullptr, v.data.empty() ? nullptr : v.data.data(), static_cast<CFIndex>(v.data.size()));
    case PlistValue::Kind::Dict:
    {
      if (depth > kMaxPlistDepth)
        break;
      CFMutableDictionaryRef dict =
        CFDictionaryCreateMutable(nullptr, 0, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
      if (!dict)
        return nullptr;
      for (const auto& [key, value] : v.dict)
      {
        CFStringRef k = CFStringCreateWithCString(nullptr, key.c_str(), kCFStringEncodingUTF8);
        CFTypeRef object = ObjectOf(value, depth + 1, error);
        if (k && object)
          CFDictionarySetValue(dict, k, object);
        if (k)
          CFRelease(k);
        if (!object)
        {
          CFRelease(dict);
          if (error.empty())
            error = "cannot hold the value of \"" + key + "\"";
          return nullptr;
        }
        CFRelease(object);
      }
      return dict;
    }
    default: break;
  }
  error = "a ClassInfo holds only strings, numbers, data and dictionaries";
  return nullptr;
}

bool ValueOf(CFTypeRef object, int depth, PlistValue& out)
{
  if (!object || depth > kMaxPlistDepth)
    return false;
  const CFTypeID type = CFGetTypeID(object);
  if (type == CFStringGetTypeID())
  {
    out = PlistValue::String(TextOf(static_cast<CFStringRef>(object)));
    return true;
  }
  if (type == CFNumberGetTypeID())
  {
    const auto number = static_cast<CFNumberRef>(object);
    const CFNumberType t = CFNumberGetType(number);
    if (t == kCFNumberFloat32Type || t == kCFNumberFloat64Type)
    {
      double r = 0.0;
      CFNumberGetValue(number, kCFNumberFloat64Type, &r);
      out = PlistValue::Real(r);
    }
    else
    {
      int64_t i = 0;
      CFNumberGetValue(number, kCFNumberSInt64Type, &i);
      out = PlistValue::Integer(i);
    }
    return true;
  }
  if (type == CFDataGetTypeID())
  {
    const auto data = static_cast<CFDataRef>(object);
    const uint8_t* bytes = CFDataGetBytePtr(data);
    const CFIndex length = CFDataGetLength(data);
    out = PlistValue::Data(bytes && length > 0 ? std::vector<uint8_t>(bytes, bytes + length) : std::vector<uint8_t>{});
    return true;
  }
  if (type == CFDictionaryGetTypeID())
  {
    const auto dict = static_cast<CFDictionaryRef>(object);
    const CFIndex count = CFDictionaryGetCount(dict);
    std::vector<const void*> keys(static_cast<size_t>(count)), values(static_cast<size_t>(count));
    if (count > 0)
      CFDictionaryGetKeysAndValues(dict, keys.data(), values.data());
    out = PlistValue::Dict();
    for (CFIndex i = 0; i < count; ++i)
    {
      PlistValue value;
      if (CFGetTypeID(keys[i]) != CFStringGetTypeID() || !ValueOf(values[i], depth + 1, value))
        return false;
      out.dict.emplace_back(TextOf(static_cast<CFStringRef>(keys[i])), std::move(value));
    }
    return true;
  }
  return false;
}

} // namespace

CFDictionaryRef ClassInfoFromPlist(const PlistValue& plist, std::string& error)
{
  if (plist.kind != PlistValue::Kind::Dict)
  {
    error = "the preset is not a dictionary";
    return nullptr;
  }
  return static_cast<CFDictionaryRef>(ObjectOf(plist, 1, error));
}

bool PlistFromClassInfo(CFDictionaryRef classInfo, PlistValue& out)
{
  return classInfo && CFGetTypeID(classInfo) == CFDictionaryGetTypeID() && ValueOf(classInfo, 1, out);
}

bool WriteTextFile(const std::string& path, const std::string& text, std::string& error)
{
  auto replacement = FileReplacement::Begin(path, error);
  return replacement && replacement->Write(text, error) && replacement->Commit(error);
}

bool LoadPresetFile(AudioUnit unit, const std::string& path, std::string& error)
{
  std::string text, why;
  if (!ReadTextFile(path, kMaxPlistBytes, text, error))
    return false;
  const auto plist = ParsePlist(text, why);
  CFDictionaryRef classInfo = plist ? ClassInfoFromPlist(*plist, why) : nullptr;
  if (!classInfo)
  {
    error = path + ": not a preset file: " + why;
    return false;
  }
  Releaser keep{classInfo};
  const OSStatus status =
    AudioUnitSetProperty(unit, kAudioUnitProperty_ClassInfo, kAudioUnitScope_Global, 0, &classInfo, sizeof(classInfo));
  if (status != noErr)
  {
    error = path + ": the unit refused this preset (status " + std::to_string(status) +
            "; a preset of another plug-in or a damaged one)";
    return false;
  }
  return true;
}

bool PresetText(AudioUnit unit, std::string& text, std::string& error)
{
  CFDictionaryRef classInfo = nullptr;
  UInt32 size = sizeof(classInfo);
  const OSStatus status =
    AudioUnitGetProperty(unit, kAudioUnitProperty_ClassInfo, kAudioUnitScope_Global, 0, &classInfo, &size);
  if (status != noErr || !classInfo)
  {
    error = "the unit gave no state to save (status " + std::to_string(status) + ")";
    return false;
  }
  Releaser keep{classInfo};
  PlistValue plist;
  if (!PlistFromClassInfo(classInfo, plist))
  {
    error = "the unit's state holds values a preset file cannot";
    return false;
  }
  text = WritePlist(plist);
  return true;
}

bool SavePresetFile(AudioUnit unit, const std::string& path, std::string& error)
{
  std::string text;
  return PresetText(unit, text, error) && WriteTextFile(path, text, error);
}

} // namespace auhost
