#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "StandIn/AudioUnits.h"
#include "StandIn/Bundles.h"
#include "StandIn/CFObjects.h"
#include "framework/audiounit/AUPresetRecords.h"
#include "tests/framework/audiounit/fakes/TestHost.h"

namespace {

using namespace fakes;

constexpr OSStatus kAny = 1; // any size

using AUPropertyRead = HostedUnitTest;

TEST_F(AUPropertyRead, InformationCallsAnswerSizeAndWritability)
{
  struct Case
  {
    AudioUnitPropertyID id;
    AudioUnitScope scope;
    AudioUnitElement element;
    OSStatus status;
    UInt32 size;
    bool writable;
  };
  constexpr AudioUnitScope G = kAudioUnitScope_Global, I = kAudioUnitScope_Input, O = kAudioUnitScope_Output;
  const Case cases[] = {
    {kAudioUnitProperty_ClassInfo, G, 0, 0, 8, true},
    {kAudioUnitProperty_MakeConnection, I, 0, 0, 16, true},
    {kAudioUnitProperty_MakeConnection, O, 0, kAudioUnitErr_InvalidProperty, kAny, false},
    {kAudioUnitProperty_SampleRate, O, 0, 0, 8, true},
    {kAudioUnitProperty_ParameterList, G, 0, 0, 4 * kAUTestNParams, false},
    {kAudioUnitProperty_ParameterList, I, 0, 0, 0, false},
    {kAudioUnitProperty_ParameterInfo, G, 5, 0, 104, false},
    {kAudioUnitProperty_ParameterInfo, G, 6, kAudioUnitErr_InvalidElement, kAny, false},
    {kAudioUnitProperty_ParameterInfo, I, 0, kAudioUnitErr_InvalidProperty, kAny, false},
    {kAudioUnitProperty_FastDispatch, G, 14, kAudioUnitErr_InvalidElement, kAny, false},
    {kAudioUnitProperty_StreamFormat, I, 1, 0, 40, true},
    {kAudioUnitProperty_StreamFormat, I, 2, kAudioUnitErr_InvalidProperty, kAny, false},
    {kAudioUnitProperty_StreamFormat, G, 0, 0, 40, true},
    {kAudioUnitProperty_StreamFormat, O, 1, kAudioUnitErr_InvalidProperty, kAny, false},
    {kAudioUnitProperty_ElementCount, I, 0, 0, 4, false},
    {kAudioUnitProperty_Latency, G, 0, 0, 8, false},
    {kAudioUnitProperty_Latency, I, 0, kAudioUnitErr_InvalidProperty, kAny, false},
    {kAudioUnitProperty_SupportedNumChannels, G, 0, 0, 24, false},
    {kAudioUnitProperty_MaximumFramesPerSlice, G, 0, 0, 4, true},
    {kAudioUnitProperty_ParameterValueStrings, G, 1, 0, 8, false},
    {kAudioUnitProperty_ParameterValueStrings, G, 0, kAudioUnitErr_InvalidProperty, 0, false},
    {kAudioUnitProperty_ParameterValueStrings, G, 6, kAudioUnitErr_InvalidElement, kAny, false},
    {kAudioUnitProperty_AudioChannelLayout, I, 0, kAudioUnitErr_InvalidPropertyValue, kAny, false},
    {kAudioUnitProperty_TailTime, G, 0, 0, 8, false},
    {kAudioUnitProperty_BypassEffect, G, 0, 0, 4, true},
    {kAudioUnitProperty_LastRenderError, G, 0, 0, 4, false},
    {kAudioUnitProperty_SetRenderCallback, I, 1, 0, 16, true},
    {kAudioUnitProperty_SetRenderCallback, I, 2, kAudioUnitErr_InvalidProperty, kAny, false},
    {kAudioUnitProperty_FactoryPresets, G, 0, 0, 8, false},
    {kAudioUnitProperty_HostCallbacks, G, 0, 0, 40, true},
    {kAudioUnitProperty_CurrentPreset, G, 0, 0, 16, true},
    {kAudioUnitProperty_PresentPreset, G, 0, 0, 16, true},
    {kAudioUnitProperty_ElementName, I, 0, kAudioUnitErr_InvalidProperty, 8, false},
    {kAudioUnitProperty_CocoaUI, G, 0, 0, 16, false},
    {kAudioUnitProperty_SupportedChannelLayoutTags, I, 1, 0, 8, true},
    {kAudioUnitProperty_SupportedChannelLayoutTags, G, 0, 0, 0, false},
    {kAudioUnitProperty_ParameterStringFromValue, G, 0, 0, 24, false},
    {kAudioUnitProperty_ParameterIDName, G, 0, 0, 16, false},
    {kAudioUnitProperty_ParameterClumpName, G, 0, 0, 16, false},
    {kAudioUnitProperty_OfflineRender, G, 0, 0, 4, true},
    {kAudioUnitProperty_ParameterValueFromString, G, 0, 0, 24, false},
    {kAudioUnitProperty_MIDIOutputCallbackInfo, G, 0, 0, 8, false},
    {kAudioUnitProperty_MIDIOutputCallback, G, 0, 0, 16, true},
    {kMusicDeviceProperty_InstrumentCount, G, 0, kAudioUnitErr_InvalidProperty, kAny, false},
    {9999, G, 0, kAudioUnitErr_InvalidProperty, kAny, false},
  };
  for (Road road : {Road::Factory, Road::Entry})
  {
    Open(road);
    for (const Case& c : cases)
    {
      SCOPED_TRACE(testing::Message() << "property " << c.id << " scope " << c.scope << " element " << c.element);
      const HostedUnit::Info info = Host().GetInfo(c.id, c.scope, c.element);
      EXPECT_EQ(info.status, c.status);
      if (c.size != static_cast<UInt32>(kAny))
      {
        EXPECT_EQ(info.size, c.size);
      }
      EXPECT_EQ(info.writable, c.writable);
    }
  }
}

TEST_F(AUPropertyRead, BusesFormatsAndLayoutsFollowTheChannelConfigurations)
{
  Open();
  AudioStreamBasicDescription format{};
  ASSERT_EQ(Host().Get(kAudioUnitProperty_StreamFormat, kAudioUnitScope_Output, 0, format), noErr);
  const AudioStreamBasicDescription want = FloatFormat(2, 44100.0, 0x29);
  EXPECT_EQ(std::memcmp(&format, &want, sizeof(want)), 0);

  UInt32 count = 0;
  const std::pair<AudioUnitScope, UInt32> counts[] = {{kAudioUnitScope_Global, 1}, {kAudioUnitScope_Input, 2},
                                                      {kAudioUnitScope_Output, 1}, {kAudioUnitScope_Group, 0}};
  for (auto [scope, n] : counts)
  {
    ASSERT_EQ(Host().Get(kAudioUnitProperty_ElementCount, scope, 0, count), noErr);
    EXPECT_EQ(count, n);
  }

  AUChannelInfo infos[6] = {};
  UInt32 size = sizeof(infos);
  ASSERT_EQ(AudioUnitGetProperty(Host().Unit(), kAudioUnitProperty_SupportedNumChannels, kAudioUnitScope_Global, 0,
                                 infos, &size),
            noErr);
  const SInt16 want6[6][2] = {{1, 1}, {2, 1}, {3, 1}, {2, 2}, {3, 2}, {4, 2}};
  for (int i = 0; i < 6; ++i)
    EXPECT_EQ((std::pair{infos[i].inChannels, infos[i].outChannels}), (std::pair{want6[i][0], want6[i][1]}));

  for (AudioUnitElement bus : {0u, 1u})
  {
    AudioChannelLayoutTag tags[2] = {};
    size = sizeof(tags);
    ASSERT_EQ(AudioUnitGetProperty(Host().Unit(), kAudioUnitProperty_SupportedChannelLayoutTags, kAudioUnitScope_Input,
                                   bus, tags, &size),
              noErr);
    EXPECT_EQ(tags[0], kAudioChannelLayoutTag_Mono);
    EXPECT_EQ(tags[1], kAudioChannelLayoutTag_Stereo);
  }
  AudioChannelLayoutTag tag = 0;
  EXPECT_EQ(Host().Get(kAudioUnitProperty_SupportedChannelLayoutTags, kAudioUnitScope_Global, 0, tag),
            kAudioUnitErr_InvalidProperty);

  const std::tuple<AudioUnitScope, AudioUnitElement, OSStatus, const char*> names[] = {
    {kAudioUnitScope_Input, 0, noErr, "Main"},
    {kAudioUnitScope_Input, 1, noErr, "Aux"},
    {kAudioUnitScope_Output, 0, noErr, "Output"},
    {kAudioUnitScope_Input, 2, kAudioUnitErr_InvalidElement, ""},
    {kAudioUnitScope_Global, 0, kAudioUnitErr_InvalidScope, ""},
  };
  for (auto [scope, element, status, text] : names)
  {
    CFStringRef name = nullptr;
    EXPECT_EQ(Host().Get(kAudioUnitProperty_ElementName, scope, element, name), status);
    if (status == noErr)
    {
      EXPECT_EQ(TakeText(name), text);
    }
  }
}

TEST_F(AUPropertyRead, ChannelLayoutTagsCoverEveryCount)
{
  // The plug-ins' layouts reach counts 1 and 2; the other counts come from
  // the same table through a two-output plug-in's second bus and the
  // wildcard's input.
  Open(Road::Factory, AUTestKind::TwoOutputs);
  EXPECT_EQ(Plugin().GetChannelLayoutTags(kAudioUnitScope_Output, 1, nullptr), 1);
  AudioChannelLayoutTag tag = 0;
  EXPECT_EQ(Plugin().GetChannelLayoutTags(kAudioUnitScope_Output, 1, &tag), 1);
  EXPECT_EQ(tag, kAudioChannelLayoutTag_Stereo);
  EXPECT_EQ(Plugin().GetChannelLayoutTags(kAudioUnitScope_Output, 2, nullptr), 0);
  Open(Road::Factory, AUTestKind::Wildcard);
  std::vector<AudioChannelLayoutTag> tags(static_cast<size_t>(Plugin().GetChannelLayoutTags(kAudioUnitScope_Input, 0, nullptr)));
  Plugin().GetChannelLayoutTags(kAudioUnitScope_Input, 0, tags.data());
  EXPECT_EQ(tags, (std::vector<AudioChannelLayoutTag>{kAudioChannelLayoutTag_DiscreteInOrder | 0xFFFFFFC0u,
                                                       kAudioChannelLayoutTag_Stereo}));
}

TEST_F(AUPropertyRead, ParameterInfosCarryFlagsUnitsRangesAndClumps)
{
  constexpr UInt32 kBase = 0xC8800010;
  constexpr UInt32 kClump = kAudioUnitParameterFlag_HasClump;
  struct Case
  {
    const char* name;
    UInt32 flags;
    UInt32 unit;
    UInt32 clump;
    float min, max, def;
    const char* unitName;
  };
  const Case cases[kAUTestNParams] = {
    {"Gain", kBase | kClump, kAudioUnitParameterUnit_Decibels, 1, -12, 12, 0, nullptr},
    {"Mode", kBase | kClump | kAudioUnitParameterFlag_ValuesHaveStrings, kAudioUnitParameterUnit_Indexed, 1, 0, 2, 0,
     nullptr},
    {"Steps", kBase | kClump, kAudioUnitParameterUnit_Indexed, 2, 0, 10, 2, nullptr},
    {"Bypass", kBase | kAudioUnitParameterFlag_ValuesHaveStrings | kAudioUnitParameterFlag_NonRealTime,
     kAudioUnitParameterUnit_Boolean, 0, 0, 1, 0, nullptr},
    {"Frequency", kBase | kClump | kAudioUnitParameterFlag_DisplayLogarithmic, kAudioUnitParameterUnit_Hertz, 2, 20,
     20000, 1000, nullptr},
    {"Width Of The Stereo Image",
     kBase | kClump | kAudioUnitParameterFlag_IsElementMeta | kAudioUnitParameterFlag_NonRealTime |
       kAudioUnitParameterFlag_DisplaySquareRoot,
     kAudioUnitParameterUnit_CustomUnit, 3, 0, 100, 50, "widgets"},
  };
  Open();
  // Clump names are known before any parameter description was asked for.
  AudioUnitParameterNameInfo clump{3, kAudioUnitParameterName_Full, nullptr};
  ASSERT_EQ(Host().Get(kAudioUnitProperty_ParameterClumpName, kAudioUnitScope_Global, 0, clump), noErr);
  EXPECT_EQ(TakeText(clump.outName), "Scope");

  for (int i = 0; i < kAUTestNParams; ++i)
  {
    const Case& c = cases[i];
    SCOPED_TRACE(c.name);
    AudioUnitParameterInfo info{};
    ASSERT_EQ(Host().Get(kAudioUnitProperty_ParameterInfo, kAudioUnitScope_Global, static_cast<UInt32>(i), info), noErr);
    EXPECT_STREQ(info.name, c.name);
    EXPECT_EQ(TakeText(info.cfNameString), c.name);
    EXPECT_EQ(info.flags, c.flags);
    EXPECT_EQ(info.unit, c.unit);
    EXPECT_EQ(info.clumpID, c.clump);
    EXPECT_EQ((std::tuple{info.minValue, info.maxValue, info.defaultValue}), (std::tuple{c.min, c.max, c.def}));
    if (c.unitName)
    {
      EXPECT_EQ(TakeText(info.unitName), c.unitName);
    }
    else
    {
      EXPECT_EQ(info.unitName, nullptr);
    }
  }
  const std::pair<SInt32, const char*> clumps[] = {{1, "Main"}, {2, "Setup"}, {3, "Scope"}};
  for (auto [id, name] : clumps)
  {
    clump = {static_cast<UInt32>(id), kAudioUnitParameterName_Full, nullptr};
    ASSERT_EQ(Host().Get(kAudioUnitProperty_ParameterClumpName, kAudioUnitScope_Global, 0, clump), noErr);
    EXPECT_EQ(TakeText(clump.outName), name);
  }
  for (SInt32 bad : {0, -1, 4, 1000})
  {
    clump = {static_cast<UInt32>(bad), kAudioUnitParameterName_Full, nullptr};
    EXPECT_EQ(Host().Get(kAudioUnitProperty_ParameterClumpName, kAudioUnitScope_Global, 0, clump),
              kAudioUnitErr_PropertyNotInUse);
    EXPECT_EQ(clump.outName, nullptr);
  }
}

TEST_F(AUPropertyRead, ValueTextsConvertBothWaysAndNamesAreCut)
{
  Open();
  auto strings = [&](AudioUnitElement id) {
    CFArrayRef array = nullptr;
    std::vector<std::string> out;
    if (Host().Get(kAudioUnitProperty_ParameterValueStrings, kAudioUnitScope_Global, id, array) != noErr)
      return out;
    for (CFIndex i = 0; i < CFArrayGetCount(array); ++i)
      out.push_back(CFStringGetCStringPtr(static_cast<CFStringRef>(CFArrayGetValueAtIndex(array, i)),
                                          kCFStringEncodingUTF8));
    CFRelease(array);
    return out;
  };
  EXPECT_EQ(strings(1), (std::vector<std::string>{"Soft", "Hard", "Auto"}));
  EXPECT_EQ(strings(3), (std::vector<std::string>{"off", "on"}));

  // Every value's text reads back as the value the parameter would store.
  for (int id = 0; id < kAUTestNParams; ++id)
  {
    const plugkit::IParam& param = *Plugin().GetParam(id);
    for (double x : {0.0, 0.13, 0.5, 0.77, 1.0})
    {
      const float value = static_cast<float>(param.Constrain(param.FromNormalized(x)));
      AudioUnitParameterStringFromValue toText{static_cast<AudioUnitParameterID>(id), &value, nullptr};
      ASSERT_EQ(Host().Get(kAudioUnitProperty_ParameterStringFromValue, kAudioUnitScope_Global, 0, toText), noErr);
      AudioUnitParameterValueFromString toValue{static_cast<AudioUnitParameterID>(id), toText.outString, -1.0f};
      ASSERT_EQ(Host().Get(kAudioUnitProperty_ParameterValueFromString, kAudioUnitScope_Global, 0, toValue), noErr);
      const std::string text = TakeText(toText.outString);
      EXPECT_NEAR(toValue.outValue, value, std::fabs(value) * 1e-3 + 0.05) << param.GetName() << " " << text;
    }
  }
  AudioUnitParameterValueFromString nonAscii{1, CFSTR("\xC3\xA9t\xC3\xA9"), -1.0f};
  EXPECT_EQ(Host().Get(kAudioUnitProperty_ParameterValueFromString, kAudioUnitScope_Global, 0, nonAscii), noErr);

  const std::tuple<UInt32, SInt32, OSStatus, const char*> names[] = {
    {5, 8, noErr, "Width Of"},
    {5, kAudioUnitParameterName_Full, noErr, "Width Of The Stereo Image"},
    {5, 300, noErr, "Width Of The Stereo Image"},
    {0, 0, noErr, ""},
    {5, -2, kAudioUnitErr_InvalidPropertyValue, nullptr},
    {6, 8, kAudioUnitErr_InvalidElement, nullptr},
  };
  for (auto [id, length, status, text] : names)
  {
    AudioUnitParameterIDName name{id, length, nullptr};
    EXPECT_EQ(Host().Get(kAudioUnitProperty_ParameterIDName, kAudioUnitScope_Global, 0, name), status);
    if (text)
    {
      EXPECT_EQ(TakeText(name.outName), text);
    }
  }
  const float value = 1.0f;
  AudioUnitParameterStringFromValue badId{kAUTestNParams, &value, nullptr};
  EXPECT_EQ(Host().Get(kAudioUnitProperty_ParameterStringFromValue, kAudioUnitScope_Global, 0, badId),
            kAudioUnitErr_InvalidElement);
  AudioUnitParameterStringFromValue noValue{0, nullptr, nullptr};
  EXPECT_EQ(Host().Get(kAudioUnitProperty_ParameterStringFromValue, kAudioUnitScope_Global, 0, noValue),
            kAudioUnitErr_InvalidPropertyValue);
  AudioUnitParameterValueFromString noText{0, nullptr, 0.0f};
  EXPECT_EQ(Host().Get(kAudioUnitProperty_ParameterValueFromString, kAudioUnitScope_Global, 0, noText),
            kAudioUnitErr_InvalidPropertyValue);
}

TEST_F(AUPropertyRead, FactoryPresetsAreCountedRecordsTheHostReleases)
{
  Open();
  CFArrayRef presets = nullptr;
  ASSERT_EQ(Host().Get(kAudioUnitProperty_FactoryPresets, kAudioUnitScope_Global, 0, presets), noErr);
  ASSERT_EQ(CFArrayGetCount(presets), 2);
  const char* names[] = {"Init", "Loud"};
  for (CFIndex i = 0; i < 2; ++i)
  {
    const auto* preset = static_cast<const AUPreset*>(CFArrayGetValueAtIndex(presets, i));
    EXPECT_EQ(preset->presetNumber, i);
    EXPECT_STREQ(CFStringGetCStringPtr(preset->presetName, kCFStringEncodingUTF8), names[i]);
  }
  CFArrayCallBacks callBacks = CFArrayGetCallBacks(presets);
  EXPECT_EQ(TakeText(callBacks.copyDescription(CFArrayGetValueAtIndex(presets, 0))),
            "AUPreset:\npreset number = 0\npreset name = Init");
  EXPECT_TRUE(callBacks.equal(CFArrayGetValueAtIndex(presets, 0), CFArrayGetValueAtIndex(presets, 0)));
  EXPECT_FALSE(callBacks.equal(CFArrayGetValueAtIndex(presets, 0), CFArrayGetValueAtIndex(presets, 1)));
  CFRelease(presets);

  // Equal records need the same number and the same name.
  plugkit::AUPresetRecord* a = plugkit::CreateAUPresetRecord(kCFAllocatorDefault, 0, CFSTR("A"));
  plugkit::AUPresetRecord* b = plugkit::CreateAUPresetRecord(kCFAllocatorDefault, 0, CFSTR("B"));
  EXPECT_FALSE(plugkit::AUPresetRecordEqual(a, b));
  plugkit::ReleaseAUPresetRecord(a);
  plugkit::ReleaseAUPresetRecord(b);

  // A record lives until its last release.
  plugkit::AUPresetRecord* record = plugkit::CreateAUPresetRecord(kCFAllocatorDefault, 4, CFSTR("Four"));
  plugkit::RetainAUPresetRecord(record);
  plugkit::RetainAUPresetRecord(record);
  plugkit::ReleaseAUPresetRecord(record);
  plugkit::ReleaseAUPresetRecord(record);
  EXPECT_EQ(record->mRefCount, 1);
  EXPECT_EQ(CFGetRetainCount(record->mPreset.presetName), 1);
  plugkit::ReleaseAUPresetRecord(record);

  standin::FailArrayCreation(true);
  EXPECT_EQ(Host().Get(kAudioUnitProperty_FactoryPresets, kAudioUnitScope_Global, 0, presets),
            coreFoundationUnknownErr);
  standin::FailArrayCreation(false);
  // The array and one name are made, the first record fails: fewer records.
  standin::FailCreationsAfter(2);
  ASSERT_EQ(Host().Get(kAudioUnitProperty_FactoryPresets, kAudioUnitScope_Global, 0, presets), noErr);
  standin::FailCreationsAfter(-1);
  EXPECT_LT(CFArrayGetCount(presets), 2);
  CFRelease(presets);
}

TEST_F(AUPropertyRead, CocoaViewNeedsAnEditorAndTheBundle)
{
  Open();
  AudioUnitCocoaViewInfo view{};
  ASSERT_EQ(Host().Get(kAudioUnitProperty_CocoaUI, kAudioUnitScope_Global, 0, view), noErr);
  EXPECT_EQ(TakeText(CFURLCopyFileSystemPath(view.mCocoaAUViewBundleLocation, kCFURLPOSIXPathStyle)),
            AU_TEST_BUNDLE_ROOT);
  CFRelease(view.mCocoaAUViewBundleLocation);
  EXPECT_EQ(TakeText(view.mCocoaAUViewClass[0]), kAUTestViewClass);

  standin::UnregisterBundle(kAUTestBundleId);
  EXPECT_EQ(Host().GetInfo(kAudioUnitProperty_CocoaUI).status, kAudioUnitErr_InvalidProperty);
  view = {};
  EXPECT_EQ(Host().Get(kAudioUnitProperty_CocoaUI, kAudioUnitScope_Global, 0, view), kAudioUnitErr_InvalidProperty);
  EXPECT_EQ(view.mCocoaAUViewBundleLocation, nullptr);
}

TEST_F(AUPropertyRead, SmallValuesAndHandedOutObjects)
{
  Open(Road::Entry, AUTestKind::Instrument);
  UInt32 n = 0;
  EXPECT_EQ(Host().Get(kMusicDeviceProperty_InstrumentCount, kAudioUnitScope_Global, 0, n), noErr);
  EXPECT_EQ(n, 1u);
  CFArrayRef outputs = nullptr;
  ASSERT_EQ(Host().Get(kAudioUnitProperty_MIDIOutputCallbackInfo, kAudioUnitScope_Global, 0, outputs), noErr);
  ASSERT_EQ(CFArrayGetCount(outputs), 1);
  EXPECT_STREQ(CFStringGetCStringPtr(static_cast<CFStringRef>(CFArrayGetValueAtIndex(outputs, 0)),
                                     kCFStringEncodingUTF8),
               "midiOut");
  CFRelease(outputs);
  AUPreset current{};
  ASSERT_EQ(Host().Get(kAudioUnitProperty_PresentPreset, kAudioUnitScope_Global, 0, current), noErr);
  EXPECT_EQ(current.presetNumber, 0);
  EXPECT_EQ(TakeText(current.presetName), "Init");
  AUMIDIOutputCallbackStruct callback{};
  EXPECT_EQ(Host().Get(kAudioUnitProperty_MIDIOutputCallback, kAudioUnitScope_Global, 0, callback),
            kAudioUnitErr_InvalidProperty);
  UInt32 error = 99;
  EXPECT_EQ(Host().Get(kAudioUnitProperty_LastRenderError, kAudioUnitScope_Global, 0, error), noErr);
  EXPECT_EQ(error, 0u);
  // Parameter texts of other scopes are answered with nothing.
  AudioUnitParameterIDName name{0, kAudioUnitParameterName_Full, nullptr};
  EXPECT_EQ(Host().Get(kAudioUnitProperty_ParameterIDName, kAudioUnitScope_Input, 0, name), noErr);
  EXPECT_EQ(name.outName, nullptr);
  Float64 seconds = -1.0;
  Plugin().PluginProcessor::SetLatency(441);
  ASSERT_EQ(Host().Get(kAudioUnitProperty_Latency, kAudioUnitScope_Global, 0, seconds), noErr);
  EXPECT_DOUBLE_EQ(seconds, 0.01);
}

TEST_F(AUPropertyRead, AReadIntoTooLittleRoomIsRefusedAndWritesNothing)
{
  const std::pair<AudioUnitPropertyID, AudioUnitScope> reads[] = {
    {kAudioUnitProperty_ClassInfo, kAudioUnitScope_Global},
    {kAudioUnitProperty_SampleRate, kAudioUnitScope_Global},
    {kAudioUnitProperty_ParameterList, kAudioUnitScope_Global},
    {kAudioUnitProperty_ParameterInfo, kAudioUnitScope_Global},
    {kAudioUnitProperty_StreamFormat, kAudioUnitScope_Output},
    {kAudioUnitProperty_ElementCount, kAudioUnitScope_Input},
    {kAudioUnitProperty_Latency, kAudioUnitScope_Global},
    {kAudioUnitProperty_SupportedNumChannels, kAudioUnitScope_Global},
    {kAudioUnitProperty_MaximumFramesPerSlice, kAudioUnitScope_Global},
    {kAudioUnitProperty_ParameterValueStrings, kAudioUnitScope_Global},
    {kAudioUnitProperty_FactoryPresets, kAudioUnitScope_Global},
    {kAudioUnitProperty_PresentPreset, kAudioUnitScope_Global},
    {kAudioUnitProperty_ElementName, kAudioUnitScope_Input},
    {kAudioUnitProperty_CocoaUI, kAudioUnitScope_Global},
    {kAudioUnitProperty_SupportedChannelLayoutTags, kAudioUnitScope_Input},
    {kAudioUnitProperty_ParameterIDName, kAudioUnitScope_Global},
    {kAudioUnitProperty_MIDIOutputCallbackInfo, kAudioUnitScope_Global},
    {plugkit::PluginAU::kPrivatePropertyPluginObject, kAudioUnitScope_Global},
  };
  for (Road road : {Road::Factory, Road::Entry})
  {
    Open(road);
    for (auto [id, scope] : reads)
    {
      SCOPED_TRACE(testing::Message() << "property " << id);
      const AudioUnitElement element = id == kAudioUnitProperty_ParameterValueStrings ? 1 : 0;
      const UInt32 need = Host().GetInfo(id, scope, element).size;
      ASSERT_GT(need, 0u);
      std::vector<unsigned char> buffer(need, 0xAB);
      UInt32 size = need - 1;
      EXPECT_EQ(AudioUnitGetProperty(Host().Unit(), id, scope, element, buffer.data(), &size),
                kAudioUnitErr_InvalidPropertyValue);
      EXPECT_EQ(buffer, std::vector<unsigned char>(need, 0xAB));
    }
  }
}

TEST_F(AUPropertyRead, TheVeryFirstParameterInfoAlreadyCarriesItsClump)
{
  // Nothing asked before: no clump name, no other description.
  const std::pair<AudioUnitParameterID, UInt32> firsts[] = {{5, 3}, {2, 2}, {0, 1}};
  for (auto [id, clump] : firsts)
  {
    SCOPED_TRACE(testing::Message() << "parameter " << id);
    Open();
    AudioUnitParameterInfo info{};
    ASSERT_EQ(Host().Get(kAudioUnitProperty_ParameterInfo, kAudioUnitScope_Global, id, info), noErr);
    TakeText(info.cfNameString);
    if (info.unitName)
      TakeText(info.unitName);
    EXPECT_EQ(info.flags & kAudioUnitParameterFlag_HasClump, kAudioUnitParameterFlag_HasClump);
    EXPECT_EQ(info.clumpID, clump);
  }
}

TEST_F(AUPropertyRead, AReadWithoutASizeHasRoomForThePropertysOwnSize)
{
  for (Road road : {Road::Factory, Road::Entry})
  {
    Open(road);
    const AudioUnit unit = Host().Unit();
    Float64 rate = 0.0;
    EXPECT_EQ(AudioUnitGetProperty(unit, kAudioUnitProperty_SampleRate, kAudioUnitScope_Global, 0, &rate, nullptr), noErr);
    EXPECT_EQ(rate, 44100.0);
    AudioUnitParameterInfo info{};
    EXPECT_EQ(AudioUnitGetProperty(unit, kAudioUnitProperty_ParameterInfo, kAudioUnitScope_Global, 1, &info, nullptr),
              noErr);
    EXPECT_STREQ(info.name, "Mode");
    EXPECT_EQ(TakeText(info.cfNameString), "Mode");
    UInt32 ids[kAUTestNParams] = {};
    EXPECT_EQ(AudioUnitGetProperty(unit, kAudioUnitProperty_ParameterList, kAudioUnitScope_Global, 0, ids, nullptr),
              noErr);
    EXPECT_EQ(ids[kAUTestNParams - 1], kAUTestNParams - 1u);
    // The information call refuses this one, yet tells its size.
    CFStringRef name = nullptr;
    EXPECT_EQ(AudioUnitGetProperty(unit, kAudioUnitProperty_ElementName, kAudioUnitScope_Input, 0, &name, nullptr),
              noErr);
    EXPECT_FALSE(TakeText(name).empty());
    // What the read itself refuses stays refused.
    EXPECT_EQ(AudioUnitGetProperty(unit, kAudioUnitProperty_ParameterInfo, kAudioUnitScope_Global, kAUTestNParams,
                                   &info, nullptr),
              kAudioUnitErr_InvalidElement);
  }
}

} // namespace
