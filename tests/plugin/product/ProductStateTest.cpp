// The product as a host creates, saves and restores it, with its folders,
// settings file and default preset in a temporary home.
#include <fstream>
#include <sstream>
#include <string>

#include <sys/stat.h>

#include <gtest/gtest.h>

#include "CoreFoundation/CoreFoundation.h"
#include "plugin/XMLPresets.h"
#include "tests/plugin/support/ProductHost.h"
#include "tests/support/TempHome.h"

namespace {

using namespace tolvane3;
using testsupport::ProductUnit;

std::string ReadFile(const std::string& path)
{
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

std::string DocumentOf(const plugkit::IByteChunk& chunk)
{
  uint32_t length = 0;
  chunk.GetUInt32(length, 28);
  return std::string(reinterpret_cast<const char*>(chunk.GetData()) + 32, length);
}

class ProductStateTest : public testsupport::TempHomeTest
{
protected:
  std::string PresetFolder() const { return DataHome() + "/Tolvane3/AU"; }

  // The host's saved state (ClassInfo) of a unit.
  static CFMutableDictionaryRef SaveClassInfo(const ProductUnit& unit)
  {
    CFMutableDictionaryRef dict = nullptr;
    UInt32 size = sizeof(dict);
    EXPECT_EQ(AudioUnitGetProperty(unit.Unit(), kAudioUnitProperty_ClassInfo, kAudioUnitScope_Global, 0, &dict, &size),
              noErr);
    return dict;
  }
  static OSStatus RestoreClassInfo(const ProductUnit& unit, CFDictionaryRef dict)
  {
    return AudioUnitSetProperty(unit.Unit(), kAudioUnitProperty_ClassInfo, kAudioUnitScope_Global, 0, &dict,
                                sizeof(dict));
  }
};

TEST_F(ProductStateTest, AFreshInstanceHasItsDefaultsFoldersAndInitPreset)
{
  ProductUnit unit;
  Tolvane3& plug = unit.Plug();
  struct Case
  {
    int idx;
    double want;
  };
  for (const Case& c : {Case{kTargetLevel, -18.0}, {kNoiseLevel, -48.0}, {kRangeMin, -9.0}, {kRangeMax, 9.0},
                        {kSensitivity, 400.0}, {kLowCut, 300.0}, {kHighCut, 3400.0}, {kPreDelay1, 75.0},
                        {kScopeInput, 1.0}, {kScopeOutput, 1.0}, {kScopeGain, 1.0}, {kScopeRide, 1.0}})
  {
    AudioUnitParameterValue value = -999.f;
    EXPECT_EQ(AudioUnitGetParameter(unit.Unit(), c.idx, kAudioUnitScope_Global, 0, &value), noErr);
    EXPECT_EQ(value, static_cast<float>(c.want)) << plug.GetParam(c.idx)->GetName();
  }
  struct stat info;
  EXPECT_EQ(stat(PresetFolder().c_str(), &info), 0);
  EXPECT_TRUE(plug.HasUI());
  EXPECT_EQ(plug.GetUniqueID(), 0x4B563632);  // "KV62"
  EXPECT_EQ(plug.GetMfrID(), 0x4B565241);     // "KVRA"
  EXPECT_EQ(plug.GetPluginVersion(false), 0x0003001C);
  EXPECT_EQ(plug.GetGUIScale(), 1.0);

  // Preset 0, the own "Init" record and the saved state all hold the
  // reviewed default document.
  const std::string expected = ReadFile(TOLVANE3_PLUGIN_TEST_DATA "/expected/default_state.xml");
  EXPECT_STREQ(plug.GetPresetName(0), "Init");
  EXPECT_EQ(DocumentOf(plug.GetPreset(0)->mChunk), expected);
  ASSERT_EQ(plug.XMLPresets().GetSize(), 1);
  EXPECT_EQ(DocumentOf(plug.XMLPresets().Get(0)->mChunk), expected);
  plugkit::IByteChunk state;
  EXPECT_TRUE(plug.SerializeState(state));
  EXPECT_EQ(DocumentOf(state), expected);
  EXPECT_EQ(plug.GetExtraParam(kCmdFixedGUIScale)->Value(), 2.0);
}

TEST_F(ProductStateTest, SettingsFileAndDefaultPresetShapeTheNewInstance)
{
  mTemp.WriteFile("home/.local/share/Tolvane3/plugin.ini", "[Editor]\nHasUI=1\nHasUI=0\n");
  {
    ProductUnit writer;
    writer.SetParam(kTargetLevel, -23.0);
    writer.Plug().GetParam(kGUIScale)->Set(1.5);
    ASSERT_TRUE(WritePresetFile(writer.Plug(), (PresetFolder() + "/default.kps").c_str(), "Studio"));
  }
  ProductUnit unit;
  EXPECT_FALSE(unit.Plug().HasUI());
  EXPECT_EQ(unit.Plug().GetGUIScale(), 1.5);
  EXPECT_EQ(unit.Param(kTargetLevel), -23.0);
  EXPECT_STREQ(unit.Plug().GetPresetName(0), "Studio");
}

TEST_F(ProductStateTest, ClassInfoRoundTripAppliesValuesAndFollowUps)
{
  ProductUnit source;
  ASSERT_EQ(source.Initialize(), noErr);
  source.SetParam(kTargetLevel, -30.0);
  source.SetParam(kSensitivity, 800.0);
  CFMutableDictionaryRef saved = SaveClassInfo(source);
  ASSERT_NE(saved, nullptr);

  ProductUnit target;
  ASSERT_EQ(target.Initialize(), noErr);
  EXPECT_EQ(RestoreClassInfo(target, saved), noErr);
  EXPECT_EQ(target.Param(kTargetLevel), -30.0);
  EXPECT_EQ(target.Plug().Engine().State().targetLevelDb, -30.0);
  EXPECT_EQ(target.Plug().Engine().State().sensitivityMs, 800.0);
  CFRelease(saved);
}

TEST_F(ProductStateTest, ABrokenSavedStateIsRefusedAndChangesNothing)
{
  ProductUnit source;
  source.SetParam(kTargetLevel, -30.0);
  CFMutableDictionaryRef saved = SaveClassInfo(source);
  const auto data = static_cast<CFDataRef>(CFDictionaryGetValue(saved, CFSTR("data")));
  ASSERT_NE(data, nullptr);
  const std::string good(reinterpret_cast<const char*>(CFDataGetBytePtr(data)), CFDataGetLength(data));

  std::string wrongMaker = good;
  wrongMaker[wrongMaker.find("Kestrova")] = 'k';
  plugkit::IByteChunk framework;
  source.Plug().SerializeParams(framework);
  const std::string cases[] = {good.substr(0, 40), good.substr(0, good.size() - 9), wrongMaker,
                               std::string(reinterpret_cast<const char*>(framework.GetData()), framework.Size())};
  for (const std::string& bytes : cases)
  {
    ProductUnit target;
    target.SetParam(kTargetLevel, -20.0);
    CFDataRef broken = CFDataCreate(nullptr, reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    CFDictionarySetValue(saved, CFSTR("data"), broken);
    CFRelease(broken);
    EXPECT_EQ(RestoreClassInfo(target, saved), -10851);
    EXPECT_EQ(target.Param(kTargetLevel), -20.0);
    EXPECT_STREQ(target.Plug().GetPresetName(0), "Init");
  }
  CFRelease(saved);
}

} // namespace
