// Loading a preset file into the current preset, as the editor's load
// command does, seen by the host afterwards.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "CoreFoundation/CoreFoundation.h"
#include "plugin/XMLPresets.h"
#include "tests/plugin/support/ProductHost.h"
#include "tests/support/TempHome.h"

namespace {

using namespace tolvane3;
using testsupport::ProductUnit;

using ProductPresetFileLoadTest = testsupport::TempHomeTest;

// The state bytes the host would save, and the current preset as the host
// reads it.
struct HostView
{
  std::vector<uint8_t> state;
  std::string presetName;
  SInt32 presetNumber = -1;
  bool operator==(const HostView&) const = default;
};

std::string TakeText(CFStringRef text)
{
  std::string out = text ? CFStringGetCStringPtr(text, kCFStringEncodingUTF8) : "";
  if (text)
    CFRelease(text);
  return out;
}

HostView ViewOf(const ProductUnit& unit)
{
  HostView view;
  CFMutableDictionaryRef dict = nullptr;
  UInt32 size = sizeof(dict);
  EXPECT_EQ(AudioUnitGetProperty(unit.Unit(), kAudioUnitProperty_ClassInfo, kAudioUnitScope_Global, 0, &dict, &size),
            noErr);
  if (dict)
  {
    const auto data = static_cast<CFDataRef>(CFDictionaryGetValue(dict, CFSTR("data")));
    view.state.assign(CFDataGetBytePtr(data), CFDataGetBytePtr(data) + CFDataGetLength(data));
    CFRelease(dict);
  }
  AUPreset preset{};
  size = sizeof(preset);
  EXPECT_EQ(AudioUnitGetProperty(unit.Unit(), kAudioUnitProperty_PresentPreset, kAudioUnitScope_Global, 0, &preset,
                                 &size),
            noErr);
  view.presetNumber = preset.presetNumber;
  view.presetName = TakeText(preset.presetName);
  return view;
}

TEST_F(ProductPresetFileLoadTest, LoadingAFileTwiceGivesOneStateThatKeepsTheFilesName)
{
  ProductUnit unit;
  ASSERT_EQ(unit.Initialize(), noErr);
  const std::string path = mTemp.Join("Xname.kps");
  unit.SetParam(kVolume, -3.0);
  ASSERT_TRUE(WritePresetFile(unit.Plug(), path.c_str(), "Xname"));
  unit.SetParam(kVolume, 4.0);

  // After each load the host selects the preset again, which reads back
  // the state the load stored in it: that state names the file and holds
  // its values, the same after the second load as after the first.
  std::vector<HostView> seen;
  for (int load = 0; load < 2; ++load)
  {
    PK_String name;
    ASSERT_TRUE(ReadPresetFileWithData(unit.Plug(), path.c_str(), name, PresetReadMode::kLoad));
    EXPECT_EQ(ViewOf(unit).presetName, "Xname");
    unit.SetParam(kVolume, 4.0);
    const AUPreset again{0, nullptr};
    ASSERT_EQ(AudioUnitSetProperty(unit.Unit(), kAudioUnitProperty_PresentPreset, kAudioUnitScope_Global, 0, &again,
                                   sizeof(again)),
              noErr);
    EXPECT_EQ(unit.Param(kVolume), -3.0);
    seen.push_back(ViewOf(unit));
    EXPECT_EQ(seen.back().presetName, "Xname");
  }
  EXPECT_EQ(seen[1], seen[0]);
}

} // namespace
