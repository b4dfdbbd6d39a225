#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/framework/fakes/StandalonePlugin.h"

using fakes::StandalonePlugin;
using plugkit::IByteChunk;
using plugkit::IParam;

namespace {

// The bytes of doubles as the state chunk stores them: IEEE, little-endian.
std::vector<uint8_t> DoublesLE(std::initializer_list<double> values)
{
  std::vector<uint8_t> out;
  for (double v : values)
  {
    uint64_t bits;
    std::memcpy(&bits, &v, 8);
    for (int i = 0; i < 8; ++i)
      out.push_back(static_cast<uint8_t>(bits >> (8 * i)));
  }
  return out;
}

std::vector<uint8_t> Bytes(const IByteChunk& c)
{
  return std::vector<uint8_t>(c.GetData(), c.GetData() + c.Size());
}

// Three parameters over -10..10 in steps of 0.25.
void InitThree(StandalonePlugin& plug)
{
  for (int i = 0; i < plug.NParams(); ++i)
    plug.GetParam(i)->InitDouble("p", 0.0, -10.0, 10.0, 0.25, "", 0, i == 1 ? "odd" : "even");
}

} // namespace

// Identity --------------------------------------------------------------------------------

TEST(PluginBaseIdentity, VersionForms)
{
  StandalonePlugin plug(0, 0);
  plug.SetVersion(0x0003001C);
  EXPECT_EQ(plug.GetPluginVersion(false), 0x0003001C);
  EXPECT_EQ(plug.GetPluginVersion(true), 3 * 1000 + 0 * 100 + 28 * 10);
  PK_String s;
  plug.GetPluginVersionStr(s);
  EXPECT_STREQ(s.Get(), "v3.0.28");
  plug.GetHostVersionStr(s);
  EXPECT_STREQ(s.Get(), "v0.0.0");
  plug.SetHostVersion((12 << 16) | (4 << 8) | 1);
  EXPECT_EQ(plug.GetHostVersion(true), 12 * 1000 + 4 * 100 + 1 * 10);
}

TEST(PluginBaseIdentity, APIAndArchitectureTexts)
{
  EXPECT_STREQ(StandalonePlugin(0, 0, plugkit::kAPIAU).GetAPIStr(), "AU");
  EXPECT_STREQ(StandalonePlugin(0, 0, plugkit::kAPIWEB).GetAPIStr(), "WEB");
  EXPECT_STREQ(StandalonePlugin(0, 0, static_cast<plugkit::EAPI>(8)).GetAPIStr(), "");
  EXPECT_STREQ(StandalonePlugin(0, 0, static_cast<plugkit::EAPI>(-1)).GetAPIStr(), "");
  StandalonePlugin plug(0, 0);
  EXPECT_STREQ(plug.GetArchStr(), "x64");
  EXPECT_EQ(plug.GetHost(), -1);

  plug.SetPluginName("Tolvane3");
  plug.SetVersion(0x0003001C);
  PK_String info;
  plug.GetBuildInfoStr(info);
  const std::string text = info.Get();
  EXPECT_EQ(text.rfind("Tolvane3 version v3.0.28 AU (x64), built on ", 0), 0u) << text;
  // Only hours and minutes of the build time, then a blank.
  EXPECT_EQ(text[text.size() - 1], ' ');
  EXPECT_EQ(text[text.size() - 4], ':');
}

// State chunk ---------------------------------------------------------------------------------

TEST(PluginBaseState, ParametersAreLittleEndianDoublesInIndexOrder)
{
  StandalonePlugin plug(3, 0);
  InitThree(plug);
  plug.GetParam(0)->Set(1.0);
  plug.GetParam(1)->Set(-2.5);
  plug.GetParam(2)->Set(0.25);
  IByteChunk chunk;
  EXPECT_TRUE(plug.SerializeState(chunk));
  EXPECT_EQ(Bytes(chunk), DoublesLE({1.0, -2.5, 0.25}));

  StandalonePlugin other(3, 0);
  InitThree(other);
  EXPECT_EQ(other.UnserializeState(chunk, 0), 24);
  EXPECT_EQ(other.GetParam(0)->Value(), 1.0);
  EXPECT_EQ(other.GetParam(1)->Value(), -2.5);
  EXPECT_EQ(other.GetParam(2)->Value(), 0.25);
  ASSERT_EQ(other.paramChanges.size(), 3u);
  EXPECT_EQ(other.paramChanges[2], std::make_pair(2, int(plugkit::kSourcePresetRecall)));
}

TEST(PluginBaseState, AShortChunkLeavesTheMissingValuesAlone)
{
  StandalonePlugin plug(3, 0);
  InitThree(plug);
  plug.GetParam(0)->Set(7.0);
  plug.GetParam(1)->Set(3.5);
  plug.GetParam(2)->Set(-4.0);

  IByteChunk chunk;
  chunk.PutDouble(1.0);
  chunk.PutDouble(2.0);
  chunk.PutDouble(5.25);
  EXPECT_EQ(plug.UnserializeParams(chunk, 16), -1);
  EXPECT_EQ(plug.GetParam(0)->Value(), 5.25);
  EXPECT_EQ(plug.GetParam(1)->Value(), 3.5);
  EXPECT_EQ(plug.GetParam(2)->Value(), -4.0);
  // Every parameter is still announced.
  EXPECT_EQ(plug.paramChanges.size(), 3u);
  EXPECT_EQ(plug.paramChangesUI.size(), 3u);
}

TEST(PluginBaseState, ANegativeStartChangesNothingButIsAnnounced)
{
  StandalonePlugin plug(2, 0);
  InitThree(plug);
  plug.GetParam(0)->Set(1.0);
  IByteChunk chunk;
  chunk.PutDouble(9.0);
  chunk.PutDouble(9.0);
  EXPECT_EQ(plug.UnserializeParams(chunk, -1), -1);
  EXPECT_EQ(plug.GetParam(0)->Value(), 1.0);
  EXPECT_EQ(plug.paramChanges.size(), 2u);
}

TEST(PluginBaseState, StoredValuesAreClampedAndNaNBecomesTheMinimum)
{
  StandalonePlugin plug(2, 0);
  InitThree(plug);
  IByteChunk chunk;
  chunk.PutDouble(1e9);
  chunk.PutDouble(std::numeric_limits<double>::quiet_NaN());
  EXPECT_EQ(plug.UnserializeParams(chunk, 0), 16);
  EXPECT_EQ(plug.GetParam(0)->Value(), 10.0);
  EXPECT_EQ(plug.GetParam(1)->Value(), -10.0);
}

// Parameter helpers ---------------------------------------------------------------------------

TEST(PluginBaseParams, InitParamRangeNamesAndInitialises)
{
  StandalonePlugin plug(4, 0);
  plug.InitParamRange(1, 2, 5, "Band %i", 0.5, 0.0, 1.0, 0.01, "", 0, "Bands");
  EXPECT_STREQ(plug.GetParam(1)->GetName(), "Band 5");
  EXPECT_STREQ(plug.GetParam(2)->GetName(), "Band 6");
  EXPECT_STREQ(plug.GetParam(3)->GetName(), "");
  EXPECT_EQ(plug.GetParam(2)->Value(), 0.5);
}

TEST(PluginBaseParams, CloneParamRangeCopiesDefinitionAndValue)
{
  StandalonePlugin plug(4, 0);
  plug.InitParamRange(0, 1, 1, "Band %i Gain", 0.0, -12.0, 12.0, 0.5, "dB", 0, "Band 1");
  plug.GetParam(1)->Set(3.0);
  plug.CloneParamRange(0, 1, 2, "Band", "Copy", "Band 2");
  EXPECT_STREQ(plug.GetParam(3)->GetName(), "Copy 2 Gain");
  EXPECT_STREQ(plug.GetParam(3)->GetGroup(), "Band 2");
  EXPECT_EQ(plug.GetParam(3)->Value(), 3.0);
}

TEST(PluginBaseParams, RangeHelpersActOnlyOnExistingParameters)
{
  StandalonePlugin plug(3, 0);
  InitThree(plug);
  for (int i = 0; i < 3; ++i)
    plug.GetParam(i)->Set(i + 1.0);

  plug.CopyParamValues(1, 2, 5); // only 1 -> 2 exists
  EXPECT_EQ(plug.GetParam(2)->Value(), 2.0);
  plug.CopyParamValues(-2, 0, 3); // only 0 -> 2 exists
  EXPECT_EQ(plug.GetParam(2)->Value(), 1.0);

  int visited = 0;
  plug.ForParamInRange(-5, 10, [&](int idx, IParam&) {
    EXPECT_GE(idx, 0);
    EXPECT_LT(idx, 3);
    ++visited;
  });
  EXPECT_EQ(visited, 3);

  plug.InitParamRange(2, 40, 0, "P%d", 1.0, 0.0, 2.0, 1.0);
  EXPECT_STREQ(plug.GetParam(2)->GetName(), "P0");
  plug.CloneParamRange(0, 2, 2, "", "", "");
  plug.DefaultParamValues(1, 99);
  plug.RandomiseParamValues(-3, 99);
  SUCCEED() << "no access outside the parameter list (ASan watches)";
}

TEST(PluginBaseParams, GroupCopyPairsOnlyAsManyAsBothGroupsHave)
{
  StandalonePlugin plug(5, 0);
  const char* groups[] = {"A", "B", "A", "A", "C"};
  for (int i = 0; i < 5; ++i)
  {
    plug.GetParam(i)->InitDouble("p", 0.0, 0.0, 100.0, 1.0, "", 0, groups[i]);
    plug.GetParam(i)->Set(10.0 * (i + 1));
  }
  // Three in A, one in B: only the first of A reaches B.
  plug.CopyParamValues("A", "B");
  EXPECT_EQ(plug.GetParam(1)->Value(), 10.0);
  // One in B, three in A: the first of A takes B's value, the others stay.
  plug.GetParam(1)->Set(77.0);
  plug.CopyParamValues("B", "A");
  EXPECT_EQ(plug.GetParam(0)->Value(), 77.0);
  EXPECT_EQ(plug.GetParam(2)->Value(), 30.0);
  EXPECT_EQ(plug.GetParam(3)->Value(), 40.0);
  plug.CopyParamValues("A", "none");
  plug.CopyParamValues(nullptr, "A");
  EXPECT_EQ(plug.GetParam(0)->Value(), 77.0);
}

TEST(PluginBaseParams, DefaultsByRangeAndGroup)
{
  StandalonePlugin plug(6, 0);
  for (int i = 0; i < 6; ++i)
  {
    plug.GetParam(i)->InitDouble("p", 1.0, 0.0, 10.0, 1.0, "", 0, i % 2 ? "odd" : "even");
    plug.GetParam(i)->Set(5.0);
  }
  plug.DefaultParamValues(2, 4);
  const double afterRange[] = {5, 5, 1, 1, 1, 5};
  for (int i = 0; i < 6; ++i)
    EXPECT_EQ(plug.GetParam(i)->Value(), afterRange[i]) << i;

  for (int i = 0; i < 6; ++i)
    plug.GetParam(i)->Set(5.0);
  plug.DefaultParamValues("odd");
  for (int i = 0; i < 6; ++i)
    EXPECT_EQ(plug.GetParam(i)->Value(), i % 2 ? 1.0 : 5.0) << i;
}

TEST(PluginBaseParams, RandomValuesStayInRange)
{
  StandalonePlugin plug(8, 0);
  for (int i = 0; i < 8; ++i)
    plug.GetParam(i)->InitDouble("p", 0.0, -3.0, 3.0, 0.5, "", IParam::kFlagStepped);
  plug.RandomiseParamValues();
  for (int i = 0; i < 8; ++i)
  {
    const double v = plug.GetParam(i)->Value();
    EXPECT_GE(v, -3.0);
    EXPECT_LE(v, 3.0);
    EXPECT_EQ(v * 2.0, std::round(v * 2.0));
  }
}
