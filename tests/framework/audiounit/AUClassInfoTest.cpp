#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "StandIn/AudioUnitEvents.h"
#include "StandIn/CFObjects.h"
#include "tests/framework/audiounit/fakes/TestHost.h"

namespace {

using namespace fakes;

class AUClassInfo : public HostedUnitTest
{
protected:
  // A saved state with values that differ from the defaults.
  void SetValues(const std::vector<float>& values)
  {
    for (size_t i = 0; i < values.size(); ++i)
      AudioUnitSetParameter(Host().Unit(), static_cast<UInt32>(i), kAudioUnitScope_Global, 0, values[i], 0);
  }
  CFMutableDictionaryRef Save(const std::vector<float>& values)
  {
    SetValues(values);
    CFMutableDictionaryRef dict = nullptr;
    EXPECT_EQ(Host().Get(kAudioUnitProperty_ClassInfo, kAudioUnitScope_Global, 0, dict), noErr);
    return dict;
  }
  OSStatus Restore(CFTypeRef dict) { return Host().Set(kAudioUnitProperty_ClassInfo, kAudioUnitScope_Global, 0, dict); }
  std::vector<float> Values()
  {
    std::vector<float> v;
    for (UInt32 i = 0; i < kAUTestNParams; ++i)
      v.push_back(Host().Param(i));
    return v;
  }
  // A copy of dict with key set to value, or removed when value is null.
  static CFMutableDictionaryRef CopyWith(CFDictionaryRef dict, const char* key, CFTypeRef value)
  {
    auto copy = static_cast<CFMutableDictionaryRef>(const_cast<void*>(standin::PropertyListRoundTrip(dict)));
    if (value)
      CFDictionarySetValue(copy, CFStringMakeConstant(key), value);
    else
      CFDictionaryRemoveValue(copy, CFStringMakeConstant(key));
    return copy;
  }
  static CFDataRef Bytes(const std::string& bytes)
  {
    return CFDataCreate(kCFAllocatorDefault, reinterpret_cast<const uint8_t*>(bytes.data()),
                        static_cast<CFIndex>(bytes.size()));
  }
  static std::string DataOf(CFDictionaryRef dict)
  {
    auto data = static_cast<CFDataRef>(CFDictionaryGetValue(dict, CFSTR("data")));
    return std::string(reinterpret_cast<const char*>(CFDataGetBytePtr(data)), static_cast<size_t>(CFDataGetLength(data)));
  }
  static SInt32 NumberOf(CFDictionaryRef dict, const char* key)
  {
    SInt32 v = 0;
    CFNumberGetValue(static_cast<CFNumberRef>(CFDictionaryGetValue(dict, CFStringMakeConstant(key))),
                     kCFNumberSInt32Type, &v);
    return v;
  }

  const std::vector<float> kSaved = {-3.5f, 2.0f, 7.0f, 1.0f, 440.0f, 25.0f};
};

TEST_F(AUClassInfo, SavesIdentityPresetNameAndStateAndRestoresThem)
{
  for (Road road : {Road::Factory, Road::Entry})
  {
    Open(road);
    CFMutableDictionaryRef saved = Save(kSaved);
    ASSERT_NE(saved, nullptr);
    EXPECT_EQ(NumberOf(saved, "version"), 0x0003001C);
    EXPECT_EQ(NumberOf(saved, "type"), static_cast<SInt32>(kAudioUnitType_Effect));
    EXPECT_EQ(NumberOf(saved, "subtype"), kAUTestUniqueId);
    EXPECT_EQ(NumberOf(saved, "manufacturer"), kAUTestMfrId);
    EXPECT_STREQ(CFStringGetCStringPtr(static_cast<CFStringRef>(CFDictionaryGetValue(saved, CFSTR("name"))),
                                       kCFStringEncodingUTF8),
                 "Init");
    EXPECT_EQ(DataOf(saved).substr(0, 4), "TSTS");

    // As saved, and as a property-list file brings it back (64-bit numbers,
    // fresh data): the same values, and saving again gives the same bytes.
    CFTypeRef reloaded = standin::PropertyListRoundTrip(saved);
    for (CFTypeRef dict : {static_cast<CFTypeRef>(saved), reloaded})
    {
      SetValues({0, 0, 0, 0, 1000, 50});
      Plugin().paramChanges.clear();
      ASSERT_EQ(Restore(dict), noErr);
      EXPECT_EQ(Values(), kSaved);
      EXPECT_FALSE(Plugin().paramChanges.empty()); // the reader told the plug-in
      CFMutableDictionaryRef again = Save({});
      EXPECT_EQ(DataOf(again), DataOf(saved));
      CFRelease(again);
    }
    // Any version number is taken.
    SInt32 zero = 0;
    CFNumberRef version = CFNumberCreate(kCFAllocatorDefault, kCFNumberSInt32Type, &zero);
    CFMutableDictionaryRef versionZero = CopyWith(saved, "version", version);
    EXPECT_EQ(Restore(versionZero), noErr);
    for (CFTypeRef o : {static_cast<CFTypeRef>(version), static_cast<CFTypeRef>(versionZero), reloaded,
                        static_cast<CFTypeRef>(saved)})
      CFRelease(o);
  }
}

TEST_F(AUClassInfo, ARefusedStateChangesNeitherValuesNorThePreset)
{
  Open();
  CFMutableDictionaryRef saved = Save(kSaved);
  const std::string data = DataOf(saved);
  SInt32 other = 0x41424344;
  CFNumberRef otherCode = CFNumberCreate(kCFAllocatorDefault, kCFNumberSInt32Type, &other);
  SInt64 tooWide = 1ll << 40;
  CFNumberRef wideCode = CFNumberCreate(kCFAllocatorDefault, kCFNumberSInt64Type, &tooWide);
  CFDataRef untagged = Bytes("XXXX" + data.substr(4));
  CFDataRef truncated = Bytes(data.substr(0, data.size() - 3));
  CFDataRef tagOnly = Bytes("TSTS");
  CFDataRef empty = Bytes("");
  std::string wrongCount = data;
  wrongCount[4] = 5;
  CFDataRef miscounted = Bytes(wrongCount);
  CFStringRef loud = CFSTR("Loud");

  struct Case
  {
    const char* name;
    const char* key;
    CFTypeRef value; // null removes the key
  };
  const Case cases[] = {
    {"no version", "version", nullptr},
    {"no type", "type", nullptr},
    {"no subtype", "subtype", nullptr},
    {"no manufacturer", "manufacturer", nullptr},
    {"no name", "name", nullptr},
    {"no data", "data", nullptr},
    {"another plug-in", "subtype", otherCode},
    {"another maker", "manufacturer", otherCode},
    {"another type", "type", otherCode},
    {"a code beyond 32 bits", "subtype", wideCode},
    {"type as text", "type", CFSTR("aufx")},
    {"name as number", "name", otherCode},
    {"data as text", "data", CFSTR("TSTS")},
    {"data without the tag", "data", untagged},
    {"data cut short after the tag", "data", truncated},
    {"only the tag", "data", tagOnly},
    {"empty data", "data", empty},
    {"a count of other values", "data", miscounted},
  };
  const std::vector<float> current = {1.5f, 1.0f, 4.0f, 0.0f, 2000.0f, 75.0f};
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.name);
    for (bool namedPreset : {false, true})
    {
      // With the name of a preset, that preset would be restored first.
      CFMutableDictionaryRef named = namedPreset ? CopyWith(saved, "name", loud) : CopyWith(saved, "name", CFSTR("Init"));
      CFMutableDictionaryRef bad = CopyWith(named, c.key, c.value);
      SetValues(current);
      EXPECT_EQ(Restore(bad), kAudioUnitErr_InvalidPropertyValue);
      EXPECT_EQ(Values(), current);
      EXPECT_EQ(Plugin().GetCurrentPresetIdx(), 0);
      CFRelease(bad);
      CFRelease(named);
    }
  }
  EXPECT_EQ(Restore(CFSTR("not a dictionary")), kAudioUnitErr_InvalidPropertyValue);
  for (CFTypeRef o : {static_cast<CFTypeRef>(otherCode), static_cast<CFTypeRef>(wideCode),
                      static_cast<CFTypeRef>(untagged), static_cast<CFTypeRef>(truncated),
                      static_cast<CFTypeRef>(tagOnly), static_cast<CFTypeRef>(empty),
                      static_cast<CFTypeRef>(miscounted), static_cast<CFTypeRef>(saved)})
    CFRelease(o);
}

TEST_F(AUClassInfo, PresetNamesOfAnyLengthAndScriptNeverRefuseAState)
{
  Open();
  CFMutableDictionaryRef saved = Save(kSaved);
  Plugin().ModifyCurrentPreset("\xC3\x89t\xC3\xA9 \xE2\x84\xA6 \xE2\x99\xAB"); // "Été Ω ♫" in slot 0
  AudioUnitSetParameter(Host().Unit(), 0, kAudioUnitScope_Global, 0, 0.0f, 0);
  AudioUnitSetParameter(Host().Unit(), 0, kAudioUnitScope_Global, 0, 0.0f, 0);
  const AUPreset loud{1, nullptr};
  Host().Set(kAudioUnitProperty_PresentPreset, kAudioUnitScope_Global, 0, loud);
  ASSERT_EQ(Plugin().GetCurrentPresetIdx(), 1);

  const std::string longName(300, 'n');
  const std::string longUnicode = std::string(62, 'a') + "\xE2\x84\xA6\xE2\x84\xA6";
  struct Case
  {
    const char* name;
    std::string text;
    int presetAfter;
  };
  const Case cases[] = {
    {"a preset's non-ASCII name", "\xC3\x89t\xC3\xA9 \xE2\x84\xA6 \xE2\x99\xAB", 0},
    {"300 bytes", longName, 1},
    {"multi-byte characters past 63 bytes", longUnicode, 1},
    {"empty", "", 1},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.name);
    Host().Set(kAudioUnitProperty_PresentPreset, kAudioUnitScope_Global, 0, loud);
    CFStringRef name = CFStringCreateWithCString(kCFAllocatorDefault, c.text.c_str(), kCFStringEncodingUTF8);
    CFMutableDictionaryRef dict = CopyWith(saved, "name", name);
    EXPECT_EQ(Restore(dict), noErr);
    EXPECT_EQ(Values(), kSaved); // the data wins over the named preset
    EXPECT_EQ(Plugin().GetCurrentPresetIdx(), c.presetAfter);
    CFRelease(dict);
    CFRelease(name);
  }

  // A longer name is cut at 255 bytes without splitting a character: here
  // it then names preset 0.
  const AUPreset init{0, nullptr};
  Host().Set(kAudioUnitProperty_PresentPreset, kAudioUnitScope_Global, 0, init);
  const std::string kept(254, 'a');
  Plugin().ModifyCurrentPreset(kept.c_str());
  Host().Set(kAudioUnitProperty_PresentPreset, kAudioUnitScope_Global, 0, loud);
  CFStringRef longer =
    CFStringCreateWithCString(kCFAllocatorDefault, (kept + "\xE2\x84\xA6").c_str(), kCFStringEncodingUTF8);
  CFMutableDictionaryRef dict = CopyWith(saved, "name", longer);
  EXPECT_EQ(Restore(dict), noErr);
  EXPECT_EQ(Plugin().GetCurrentPresetIdx(), 0);
  CFRelease(dict);
  CFRelease(longer);
  CFRelease(saved);
}

TEST_F(AUClassInfo, AStateThatCannotBeMadeLeavesOutTheDataOrFails)
{
  Open();
  Plugin().failSerialize = true;
  CFMutableDictionaryRef dict = Save({});
  ASSERT_NE(dict, nullptr);
  EXPECT_EQ(CFDictionaryGetValue(dict, CFSTR("data")), nullptr);
  EXPECT_EQ(CFDictionaryGetCount(dict), 5);
  EXPECT_EQ(Restore(dict), kAudioUnitErr_InvalidPropertyValue);
  CFRelease(dict);
  Plugin().failSerialize = false;

  for (long allowed : {0L, 1L, 3L, 5L, 6L})
  {
    SCOPED_TRACE(allowed);
    standin::FailCreationsAfter(allowed);
    dict = nullptr;
    EXPECT_EQ(Host().Get(kAudioUnitProperty_ClassInfo, kAudioUnitScope_Global, 0, dict), coreFoundationUnknownErr);
    EXPECT_EQ(dict, nullptr);
    standin::FailCreationsAfter(-1);
  }
}

TEST_F(AUClassInfo, ANameTwoPresetsShareSelectsTheFirstOfThem)
{
  Open();
  CFMutableDictionaryRef saved = Save(kSaved);
  ASSERT_EQ(Host().Set(kAudioUnitProperty_PresentPreset, kAudioUnitScope_Global, 0, AUPreset{1, nullptr}), noErr);
  Plugin().ModifyCurrentPreset("Init"); // slots 0 and 1 are both "Init" now
  ASSERT_EQ(Plugin().GetCurrentPresetIdx(), 1);
  EXPECT_EQ(Restore(saved), noErr);
  EXPECT_EQ(Plugin().GetCurrentPresetIdx(), 0);
  EXPECT_EQ(Values(), kSaved);
  CFRelease(saved);
}

TEST_F(AUClassInfo, ARefusedRestoreTellsTheHostOfNoChange)
{
  // Its named preset is restored first and rolled back when the data is
  // refused: nothing of that may reach the host.
  Open();
  CFMutableDictionaryRef saved = Save(kSaved);
  CFMutableDictionaryRef named = CopyWith(saved, "name", CFSTR("Loud"));
  CFDataRef untagged = Bytes("XXXX");
  CFMutableDictionaryRef refused = CopyWith(named, "data", untagged);
  int user = 0;
  for (AudioUnitPropertyID id : {kAudioUnitProperty_ClassInfo, kAudioUnitProperty_PresentPreset,
                                 kAudioUnitProperty_CurrentPreset, kAudioUnitProperty_ParameterList})
    AudioUnitAddPropertyListener(Host().Unit(), id, RecordingListener, &user);
  ListenerCalls().clear();
  standin::ClearRecordedAudioUnitEvents();
  EXPECT_EQ(Restore(refused), kAudioUnitErr_InvalidPropertyValue);
  EXPECT_TRUE(ListenerCalls().empty());
  EXPECT_TRUE(standin::RecordedAudioUnitEvents().empty());
  EXPECT_EQ(Plugin().GetCurrentPresetIdx(), 0);
  EXPECT_EQ(Values(), kSaved);
  for (CFTypeRef o : {static_cast<CFTypeRef>(refused), static_cast<CFTypeRef>(untagged),
                      static_cast<CFTypeRef>(named), static_cast<CFTypeRef>(saved)})
    CFRelease(o);
}

} // namespace
