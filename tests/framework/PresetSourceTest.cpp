#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "framework/PresetSource.h"
#include "tests/framework/presetsource/SourcePresetPlugin.h"
#include "tests/framework/fakes/ApiTestPlugin.h"
#include "tests/support/TempHome.h"

namespace {

using fakes::ApiTestConfig;
using fakes::ApiTestPlugin;
using namespace plugkit;

std::string ReadText(const std::string& path)
{
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// Standard base64 decoding, written apart from the encoder under test.
std::vector<uint8_t> DecodeBase64(const std::string& text)
{
  const std::string alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::vector<uint8_t> out;
  uint32_t bits = 0;
  int count = 0;
  for (char c : text)
  {
    const size_t v = alphabet.find(c);
    if (v == std::string::npos)
      break;
    bits = (bits << 6) | static_cast<uint32_t>(v);
    count += 6;
    if (count >= 8)
    {
      count -= 8;
      out.push_back(static_cast<uint8_t>(bits >> count));
    }
  }
  return out;
}

class PresetSource : public testing::Test
{
protected:
  PresetSource() : plugin(ApiTestConfig(), kAPIAU)
  {
    plugin.GetParam(0)->InitBool("Bypass", false);
    plugin.GetParam(1)->InitEnum("Mode", 0, {"A", "B", "C"});
    plugin.GetParam(2)->InitDouble("Mix", 0.0, 0.0, 1.0, 0.0);
    plugin.GetParam(0)->Set(1.0);
    plugin.GetParam(1)->Set(2.0);
    plugin.GetParam(2)->Set(0.25);
    plugin.MakeDefaultPreset("Bright");
  }

  std::string Path() const { return mTemp.Join("presets.txt"); }

  testsupport::TempFolder mTemp;
  PluginAPIBase plugin; // parameters not yet defined

};

TEST_F(PresetSource, NumbersDoNotFollowTheProcessLocale)
{
  testsupport::LocaleGuard comma("de_DE.UTF-8");
  if (!comma.IsAvailable())
    GTEST_SKIP() << "no comma-decimal locale on this machine";
  ASSERT_TRUE(WritePresetSource(plugin, Path().c_str()));
  EXPECT_EQ(ReadText(Path()), "MakePreset(\"Bright\", {true, 2, 0.250000});\n");
}

TEST_F(PresetSource, AppendsANamedParamsStatement)
{
  const char* names[] = {"kBypass", "kMode", "kMix"};
  ASSERT_TRUE(WriteNamedPresetSource(plugin, Path().c_str(), names, 3));
  EXPECT_EQ(ReadText(Path()),
    "  MakePresetFromNamedParams(\"Bright\", {\n    {kBypass, true},\n    {kMode, 2},\n    {kMix, 0.250000}});\n");
  EXPECT_FALSE(WriteNamedPresetSource(plugin, Path().c_str(), names, 2)) << "one name per parameter";
  EXPECT_FALSE(WriteNamedPresetSource(plugin, Path().c_str(), nullptr, 3));
}

TEST_F(PresetSource, ABlobStatementHoldsTheStoredChunkWhole)
{
  // A chunk whose text exceeds 2047 characters is still written whole.
  IByteChunk big;
  for (int i = 0; i < 2000; ++i)
    big.PutBytes(&i, 1);
  ApiTestPlugin other(ApiTestConfig());
  other.MakePresetFromChunk("Big", big);
  ASSERT_TRUE(WritePresetBlobSource(other, Path().c_str()));

  const std::string text = ReadText(Path());
  const std::string head = "MakePresetFromBlob(\"Big\", \"";
  const std::string tail = "\", 2000);\n";
  ASSERT_EQ(text.compare(0, head.size(), head), 0) << text.substr(0, 40);
  ASSERT_GE(text.size(), head.size() + tail.size());
  EXPECT_EQ(text.substr(text.size() - tail.size()), tail);
  const std::string encoded = text.substr(head.size(), text.size() - head.size() - tail.size());
  EXPECT_EQ(encoded.size(), 4u * ((2000 + 2) / 3));
  const std::vector<uint8_t> decoded = DecodeBase64(encoded);
  ASSERT_EQ(decoded.size(), 2000u);
  for (int i = 0; i < 2000; ++i)
    ASSERT_EQ(decoded[static_cast<size_t>(i)], static_cast<uint8_t>(i)) << i;
}

TEST_F(PresetSource, ABlobEndsInPaddingWhereTheLengthAsks)
{
  IByteChunk four;
  four.PutBytes("\xfb\xff\x00\x01", 4);
  ApiTestPlugin other(ApiTestConfig());
  other.MakePresetFromChunk("P", four);
  ASSERT_TRUE(WritePresetBlobSource(other, Path().c_str()));
  EXPECT_EQ(ReadText(Path()), "MakePresetFromBlob(\"P\", \"+/8AAQ==\", 4);\n");
}

// The statements the writers wrote during the build for the original preset
// of SourcePresetPlugin.h, compiled here as a plug-in's own code would hold
// them.
class RecreatedPresets : public fakes::StandalonePlugin
{
public:
  RecreatedPresets() : StandalonePlugin(presetsource::kNumParams, 3)
  {
    using namespace presetsource;
    DefineParams(*this);
#include "WrittenPresetSources.inc"
  }
};

TEST(PresetSourceCompiled, TheWrittenStatementsRecreateTheOriginalPreset)
{
  fakes::StandalonePlugin original(presetsource::kNumParams, 1);
  presetsource::MakeOriginal(original);
  const IPreset& expected = *original.GetPreset(0);
  const RecreatedPresets recreated;
  for (int i = 0; i < 3; ++i)
  {
    const IPreset& preset = *recreated.GetPreset(i);
    EXPECT_TRUE(preset.mInitialized) << i;
    EXPECT_STREQ(preset.mName, presetsource::kPresetName) << i;
    ASSERT_EQ(preset.mChunk.Size(), expected.mChunk.Size()) << i;
    EXPECT_EQ(std::memcmp(preset.mChunk.GetData(), expected.mChunk.GetData(),
                static_cast<size_t>(expected.mChunk.Size())),
      0)
      << i;
  }
}

TEST_F(PresetSource, NothingIsWrittenWhereNoFileCanBeOpened)
{
  EXPECT_FALSE(WritePresetSource(plugin, mTemp.Join("no/such/folder/p.txt").c_str()));
  EXPECT_FALSE(WritePresetSource(plugin, nullptr));
  EXPECT_FALSE(WritePresetBlobSource(plugin, ""));
}

} // namespace
