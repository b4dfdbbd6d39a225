#include <algorithm>
#include <cstdint>
#include <cstring>

#include "framework/audiounit/CFText.h"
#include "framework/audiounit/PluginAU.h"

namespace plugkit {

namespace {

// Preset names are at most 255 bytes long.
constexpr int kMaxPresetNameBytes = 255;

bool PutNumber(CFMutableDictionaryRef dict, const char* key, SInt32 value)
{
  CFNumberRef number = CFNumberCreate(kCFAllocatorDefault, kCFNumberSInt32Type, &value);
  if (!number)
    return false;
  CFDictionarySetValue(dict, CFStringMakeConstant(key), number);
  CFRelease(number);
  return true;
}

// A number stored as 32 bits, or as 64 bits after a property-list round
// trip (where an unsigned code may come back positive above 2^31).
bool GetNumber(CFDictionaryRef dict, const char* key, SInt32& out)
{
  CFTypeRef value = CFDictionaryGetValue(dict, CFStringMakeConstant(key));
  if (!value || CFGetTypeID(value) != CFNumberGetTypeID())
    return false;
  SInt64 wide = 0;
  if (!CFNumberGetValue(static_cast<CFNumberRef>(value), kCFNumberSInt64Type, &wide) || wide < INT32_MIN ||
      wide > static_cast<SInt64>(UINT32_MAX))
    return false;
  out = static_cast<SInt32>(static_cast<UInt32>(wide));
  return true;
}

} // namespace

OSStatus PluginAU::GetState(CFMutableDictionaryRef* ppDict)
{
  if (!ppDict)
    return kAudioUnitErr_InvalidPropertyValue;
  *ppDict = nullptr;
  CFMutableDictionaryRef dict =
    CFDictionaryCreateMutable(kCFAllocatorDefault, 0, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
  if (!dict)
    return coreFoundationUnknownErr;
  bool ok = PutNumber(dict, "version", GetPluginVersion(false)) &&
            PutNumber(dict, "type", static_cast<SInt32>(GetAUComponentType())) &&
            PutNumber(dict, "subtype", GetUniqueID()) && PutNumber(dict, "manufacturer", GetMfrID());
  if (ok)
  {
    CFStringRef name = NewCFStringFromUTF8(GetPresetName(GetCurrentPresetIdx()));
    ok = name != nullptr;
    if (name)
    {
      CFDictionarySetValue(dict, CFSTR("name"), name);
      CFRelease(name);
    }
  }
  IByteChunk chunk;
  if (ok && SerializeState(chunk))
  {
    CFDataRef data = CFDataCreate(kCFAllocatorDefault, chunk.GetData(), chunk.Size());
    ok = data != nullptr;
    if (data)
    {
      CFDictionarySetValue(dict, CFSTR("data"), data);
      CFRelease(data);
    }
  }
  if (!ok)
  {
    CFRelease(dict);
    return coreFoundationUnknownErr;
  }
  *ppDict = dict;
  return noErr;
}

OSStatus PluginAU::SetState(CFDictionaryRef pDict)
{
  constexpr OSStatus kRefused = kAudioUnitErr_InvalidPropertyValue;
  if (!pDict || CFGetTypeID(pDict) != CFDictionaryGetTypeID())
    return kRefused;

  SInt32 version = 0, type = 0, subtype = 0, manufacturer = 0;
  if (!GetNumber(pDict, "version", version) || !GetNumber(pDict, "type", type) ||
      !GetNumber(pDict, "subtype", subtype) || !GetNumber(pDict, "manufacturer", manufacturer))
    return kRefused;
  if (static_cast<UInt32>(type) != GetAUComponentType() || subtype != GetUniqueID() || manufacturer != GetMfrID())
    return kRefused;

  CFTypeRef nameValue = CFDictionaryGetValue(pDict, CFSTR("name"));
  if (!nameValue || CFGetTypeID(nameValue) != CFStringGetTypeID())
    return kRefused;
  // A name that does not convert names no preset; it never refuses a state.
  PK_String name;
  CFStringToUTF8(static_cast<CFStringRef>(nameValue), name, kMaxPresetNameBytes);

  CFTypeRef dataValue = CFDictionaryGetValue(pDict, CFSTR("data"));
  if (!dataValue || CFGetTypeID(dataValue) != CFDataGetTypeID())
    return kRefused;
  const auto data = static_cast<CFDataRef>(dataValue);
  IByteChunk chunk;
  const int length = static_cast<int>(std::min<CFIndex>(CFDataGetLength(data), INT32_MAX));
  if (chunk.Resize(length) != length)
    return kRefused;
  if (length > 0)
    std::memcpy(chunk.GetData(), CFDataGetBytePtr(data), static_cast<size_t>(length));

  int presetIdx = -1;
  for (int i = 0; i < NPresets() && presetIdx < 0 && *name.Get(); ++i)
  {
    if (std::strcmp(GetPresetName(i), name.Get()) == 0)
      presetIdx = i;
  }

  // The named preset is restored first and the state read over it; if the
  // state is then refused, everything goes back as it was.
  IByteChunk before;
  const bool canRollBack = presetIdx >= 0 && SerializeState(before);
  const int currentBefore = GetCurrentPresetIdx();
  if (canRollBack)
    RestorePreset(presetIdx);
  if (UnserializeState(chunk, 0) <= 0)
  {
    if (canRollBack)
    {
      UnserializeState(before, 0);
      mCurrentPresetIdx = currentBefore;
    }
    return kRefused;
  }
  if (presetIdx >= 0)
    mCurrentPresetIdx = presetIdx;
  OnRestoreState();
  return noErr;
}

} // namespace plugkit
