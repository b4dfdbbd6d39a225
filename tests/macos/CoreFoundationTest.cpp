#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "AudioToolbox/AudioUnitUtilities.h"
#include "CoreFoundation/CoreFoundation.h"
#include "CoreServices/Components.h"
#include "StandIn/AudioUnitEvents.h"
#include "StandIn/Bundles.h"
#include "StandIn/CFObjects.h"
#include "StandIn/Hooks.h"

namespace {

// Every test starts and ends with the same number of live objects.
class CoreFoundation : public testing::Test
{
protected:
  void SetUp() override { mLive = standin::LiveObjectCount(); }
  void TearDown() override
  {
    standin::FailCreationsAfter(-1);
    standin::FailArrayCreation(false);
    EXPECT_EQ(standin::LiveObjectCount(), mLive);
    EXPECT_EQ(standin::OverReleaseCount(), 0);
  }
  long mLive = 0;
};

TEST_F(CoreFoundation, StringsCountUTF16UnitsAndRefuseShortBuffers)
{
  struct Case
  {
    const char* text;
    CFIndex length;
  };
  const Case cases[] = {{"", 0}, {"abc", 3}, {"\xC3\x89t\xC3\xA9", 3}, {"\xE2\x99\xAB", 1}, {"\xF0\x9F\x98\x80!", 3}};
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.text);
    CFStringRef s = CFStringCreateWithCString(kCFAllocatorDefault, c.text, kCFStringEncodingUTF8);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(CFStringGetLength(s), c.length);
    const CFIndex bytes = static_cast<CFIndex>(std::strlen(c.text));
    EXPECT_LE(bytes, CFStringGetMaximumSizeForEncoding(c.length, kCFStringEncodingUTF8));
    std::vector<char> buffer(static_cast<size_t>(bytes) + 1);
    EXPECT_TRUE(CFStringGetCString(s, buffer.data(), bytes + 1, kCFStringEncodingUTF8));
    EXPECT_STREQ(buffer.data(), c.text);
    EXPECT_FALSE(CFStringGetCString(s, buffer.data(), bytes, kCFStringEncodingUTF8));
    EXPECT_EQ(CFStringGetCString(s, buffer.data(), bytes + 1, kCFStringEncodingASCII), bytes == c.length);
    CFRelease(s);
  }
  for (const char* invalid : {"\xC3", "\xC0\xAF", "\xED\xA0\x80", "a\xFF"})
    EXPECT_EQ(CFStringCreateWithCString(kCFAllocatorDefault, invalid, kCFStringEncodingUTF8), nullptr);

  CFStringRef name = CFStringCreateWithCString(kCFAllocatorDefault, "Init", kCFStringEncodingUTF8);
  CFStringRef formatted =
    CFStringCreateWithFormat(kCFAllocatorDefault, nullptr, CFSTR("n = %d, %@, %s, %u%%"), -7, name, "x", 3u);
  EXPECT_STREQ(CFStringGetCStringPtr(formatted, kCFStringEncodingUTF8), "n = -7, Init, x, 3%");
  EXPECT_EQ(CFStringCompare(name, CFSTR("Init"), 0), kCFCompareEqualTo);
  EXPECT_EQ(CFStringCompare(name, CFSTR("J"), 0), kCFCompareLessThan);
  EXPECT_TRUE(CFEqual(name, CFSTR("Init")));
  EXPECT_EQ(CFGetTypeID(name), CFStringGetTypeID());
  CFRelease(formatted);
  CFRelease(name);
}

TEST_F(CoreFoundation, NumbersConvertWhereTheValueFits)
{
  const SInt32 small = -5;
  const SInt64 big = 1ll << 40;
  const double half = 1.5;
  CFNumberRef n32 = CFNumberCreate(kCFAllocatorDefault, kCFNumberSInt32Type, &small);
  CFNumberRef n64 = CFNumberCreate(kCFAllocatorDefault, kCFNumberSInt64Type, &big);
  CFNumberRef f64 = CFNumberCreate(kCFAllocatorDefault, kCFNumberFloat64Type, &half);
  SInt64 wide = 0;
  SInt32 narrow = 0;
  EXPECT_TRUE(CFNumberGetValue(n32, kCFNumberSInt64Type, &wide));
  EXPECT_EQ(wide, -5);
  EXPECT_FALSE(CFNumberGetValue(n64, kCFNumberSInt32Type, &narrow));
  EXPECT_FALSE(CFNumberGetValue(f64, kCFNumberSInt32Type, &narrow));
  EXPECT_EQ(narrow, 1);
  EXPECT_TRUE(CFEqual(n32, n32));
  EXPECT_FALSE(CFNumberGetValue(reinterpret_cast<CFNumberRef>(CFSTR("5")), kCFNumberSInt32Type, &narrow));
  for (CFTypeRef o : {static_cast<CFTypeRef>(n32), static_cast<CFTypeRef>(n64), static_cast<CFTypeRef>(f64)})
    CFRelease(o);
}

struct CallbackLog
{
  static std::vector<std::string> calls;
  static const void* Retain(CFAllocatorRef, const void* v)
  {
    calls.push_back("retain");
    return v;
  }
  static void Release(CFAllocatorRef, const void*) { calls.push_back("release"); }
};
std::vector<std::string> CallbackLog::calls;

TEST_F(CoreFoundation, ArraysAndDictionariesHonourTheirCallbacks)
{
  CFArrayCallBacks custom{0, CallbackLog::Retain, CallbackLog::Release, nullptr, nullptr};
  int a = 0, b = 0;
  CFMutableArrayRef array = CFArrayCreateMutable(kCFAllocatorDefault, 0, &custom);
  CFArrayAppendValue(array, &a);
  CFArrayAppendValue(array, &b);
  EXPECT_EQ(CFArrayGetCount(array), 2);
  EXPECT_EQ(CFArrayGetValueAtIndex(array, 1), &b);
  EXPECT_EQ(CFArrayGetValueAtIndex(array, 2), nullptr);
  CFRelease(array);
  EXPECT_EQ(CallbackLog::calls, (std::vector<std::string>{"retain", "retain", "release", "release"}));

  CFStringRef text = CFStringCreateWithCString(kCFAllocatorDefault, "v", kCFStringEncodingUTF8);
  const void* values[] = {text};
  CFArrayRef typed = CFArrayCreate(kCFAllocatorDefault, values, 1, &kCFTypeArrayCallBacks);
  CFArrayRef plain = CFArrayCreate(kCFAllocatorDefault, values, 1, nullptr);
  EXPECT_EQ(CFGetRetainCount(text), 2);
  CFRelease(typed);
  CFRelease(plain);
  EXPECT_EQ(CFGetRetainCount(text), 1);

  CFMutableDictionaryRef dict =
    CFDictionaryCreateMutable(kCFAllocatorDefault, 0, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
  CFStringRef key = CFStringCreateWithCString(kCFAllocatorDefault, "k", kCFStringEncodingUTF8);
  CFDictionarySetValue(dict, key, text);
  EXPECT_EQ(CFDictionaryGetValue(dict, CFSTR("k")), text); // keys compare by content
  CFDictionarySetValue(dict, CFSTR("k"), CFSTR("w"));
  EXPECT_EQ(CFDictionaryGetCount(dict), 1);
  EXPECT_EQ(CFGetRetainCount(text), 1);
  CFDictionaryRemoveValue(dict, key);
  EXPECT_EQ(CFDictionaryGetValue(dict, key), nullptr);
  CFRelease(dict);
  CFRelease(key);
  CFRelease(text);
}

TEST_F(CoreFoundation, CreationsFailOnRequestAndPropertyListsComeBackWide)
{
  standin::FailCreationsAfter(1);
  CFStringRef first = CFStringCreateWithCString(kCFAllocatorDefault, "a", kCFStringEncodingUTF8);
  EXPECT_NE(first, nullptr);
  EXPECT_EQ(CFStringCreateWithCString(kCFAllocatorDefault, "b", kCFStringEncodingUTF8), nullptr);
  EXPECT_EQ(CFAllocatorAllocate(kCFAllocatorDefault, 16, 0), nullptr);
  standin::FailCreationsAfter(-1);
  standin::FailArrayCreation(true);
  EXPECT_EQ(CFArrayCreateMutable(kCFAllocatorDefault, 0, nullptr), nullptr);
  standin::FailArrayCreation(false);

  CFMutableDictionaryRef dict =
    CFDictionaryCreateMutable(kCFAllocatorDefault, 0, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
  const SInt32 code = -42;
  CFNumberRef number = CFNumberCreate(kCFAllocatorDefault, kCFNumberSInt32Type, &code);
  const uint8_t bytes[] = {1, 2, 3};
  CFDataRef data = CFDataCreate(kCFAllocatorDefault, bytes, 3);
  CFDictionarySetValue(dict, CFSTR("n"), number);
  CFDictionarySetValue(dict, CFSTR("d"), data);
  CFDictionarySetValue(dict, CFSTR("s"), first);
  auto copy = static_cast<CFDictionaryRef>(standin::PropertyListRoundTrip(dict));
  auto n = static_cast<CFNumberRef>(CFDictionaryGetValue(copy, CFSTR("n")));
  EXPECT_EQ(CFNumberGetType(n), kCFNumberSInt64Type);
  EXPECT_TRUE(CFEqual(n, number));
  auto d = static_cast<CFDataRef>(CFDictionaryGetValue(copy, CFSTR("d")));
  EXPECT_NE(d, data);
  EXPECT_TRUE(CFEqual(d, data));
  EXPECT_TRUE(CFEqual(CFDictionaryGetValue(copy, CFSTR("s")), first));
  for (CFTypeRef o : {static_cast<CFTypeRef>(copy), static_cast<CFTypeRef>(dict), static_cast<CFTypeRef>(number),
                      static_cast<CFTypeRef>(data), static_cast<CFTypeRef>(first)})
    CFRelease(o);
}

TEST_F(CoreFoundation, BundlesAnswerIdentifierVersionAndLocation)
{
  standin::ResetBundles();
  EXPECT_EQ(CFBundleGetMainBundle(), nullptr);
  standin::SetMainBundle({"com.example.host", "10.4", "", ""});
  standin::RegisterBundle({"com.example.plug", "1.0", "/tmp/Plug.component", "Plug"});
  CFBundleRef main = CFBundleGetMainBundle();
  ASSERT_NE(main, nullptr);
  EXPECT_STREQ(CFStringGetCStringPtr(CFBundleGetIdentifier(main), kCFStringEncodingUTF8), "com.example.host");
  EXPECT_TRUE(CFEqual(CFBundleGetValueForInfoDictionaryKey(main, kCFBundleVersionKey), CFSTR("10.4")));
  EXPECT_EQ(CFBundleCopyBundleURL(main), nullptr); // the host has no folder
  CFBundleRef plug = CFBundleGetBundleWithIdentifier(CFSTR("com.example.plug"));
  CFURLRef url = CFBundleCopyBundleURL(plug);
  CFStringRef path = CFURLCopyFileSystemPath(url, kCFURLPOSIXPathStyle);
  EXPECT_TRUE(CFEqual(path, CFSTR("/tmp/Plug.component")));
  CFRelease(path);
  CFRelease(url);
  EXPECT_EQ(CFBundleGetBundleWithIdentifier(CFSTR("com.example.none")), nullptr);
  standin::ResetBundles();
}

TEST(ComponentWords, HoldIntegersFloatsAndPointersOneWay)
{
  for (int32_t v : {0, 1, -1, INT32_MIN, INT32_MAX})
    EXPECT_EQ(IntFromComponentWord(ComponentWordFromInt(v)), v);
  for (uint32_t v : {0u, 0x80000000u, 0xFFFFFFFFu})
    EXPECT_EQ(UIntFromComponentWord(ComponentWordFromUInt(v)), v);
  EXPECT_EQ(ComponentWordFromInt(-1), ~0ull);
  for (float f : {0.0f, -0.0f, 1.5f, -1e30f, 3.4e38f})
    EXPECT_EQ(FloatFromComponentWord(ComponentWordFromFloat(f)), f);
  EXPECT_EQ(ComponentWordFromFloat(1.0f) >> 32, 0u);
  int x = 0;
  EXPECT_EQ(PointerFromComponentWord<int>(ComponentWordFromPointer(&x)), &x);
}

TEST(AudioUnitEvents, AreRecordedInOrder)
{
  standin::ClearRecordedAudioUnitEvents();
  for (AudioUnitEventType type : {kAudioUnitEvent_BeginParameterChangeGesture, kAudioUnitEvent_ParameterValueChange,
                                  kAudioUnitEvent_EndParameterChangeGesture})
  {
    AudioUnitEvent e{};
    e.mEventType = type;
    e.mArgument.mParameter.mParameterID = 7;
    EXPECT_EQ(AUEventListenerNotify(nullptr, nullptr, &e), noErr);
  }
  EXPECT_EQ(AUEventListenerNotify(nullptr, nullptr, nullptr), -50);
  const std::vector<AudioUnitEvent> events = standin::RecordedAudioUnitEvents();
  ASSERT_EQ(events.size(), 3u);
  EXPECT_EQ(events[0].mEventType, kAudioUnitEvent_BeginParameterChangeGesture);
  EXPECT_EQ(events[2].mEventType, kAudioUnitEvent_EndParameterChangeGesture);
  EXPECT_EQ(events[1].mArgument.mParameter.mParameterID, 7u);
  standin::ClearRecordedAudioUnitEvents();
}

} // namespace
