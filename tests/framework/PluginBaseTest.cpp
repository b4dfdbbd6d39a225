#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/framework/fakes/StandalonePlugin.h"

using fakes::StandalonePlugin;
using plugkit::IByteChunk;
using plugkit::IParam;

namespace {

using Changes = std::vector<std::pair<int, int>>;

// n parameters over -10..10 in steps of 0.25 (or of the given range and
// step) in the groups "even" and "odd", holding the given values.
struct Plug : StandalonePlugin
{
  Plug(int n, std::vector<double> values = {}, double min = -10.0, double max = 10.0, double step = 0.25)
    : StandalonePlugin(n, 0)
  {
    for (int i = 0; i < n; ++i)
      GetParam(i)->InitDouble("p", 0.0, min, max, step, "", 0, i % 2 ? "odd" : "even");
    for (size_t i = 0; i < values.size(); ++i)
      GetParam(static_cast<int>(i))->Set(values[i]);
  }
  std::vector<double> Values() const
  {
    std::vector<double> v;
    for (int i = 0; i < NParams(); ++i)
      v.push_back(GetParam(i)->Value());
    return v;
  }
};

IByteChunk Chunk(std::initializer_list<double> values)
{
  IByteChunk chunk;
  for (double v : values)
    chunk.PutDouble(v);
  return chunk;
}

} // namespace

// Identity --------------------------------------------------------------------------------

TEST(PluginBaseIdentity, VersionsAPIAndBuildInfo)
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
  struct Api { int api; const char* text; };
  for (const Api& a : {Api{plugkit::kAPIAU, "AU"}, Api{plugkit::kAPIWEB, "WEB"}, Api{8, ""}, Api{-1, ""}})
    EXPECT_STREQ(StandalonePlugin(0, 0, static_cast<plugkit::EAPI>(a.api)).GetAPIStr(), a.text);
  EXPECT_STREQ(plug.GetArchStr(), "x64");
  EXPECT_EQ(plug.GetHost(), -1);
  plug.SetPluginName("Tolvane3");
  PK_String info;
  plug.GetBuildInfoStr(info);
  const std::string text = info.Get();
  EXPECT_EQ(text.rfind("Tolvane3 version v3.0.28 AU (x64), built on ", 0), 0u) << text;
  // Only hours and minutes of the build time, then a blank.
  EXPECT_TRUE(text[text.size() - 1] == ' ' && text[text.size() - 4] == ':') << text;
}

// State chunk ---------------------------------------------------------------------------------

TEST(PluginBaseState, ParametersAreLittleEndianDoublesInIndexOrder)
{
  Plug plug(3, {1.0, -2.5, 0.25});
  IByteChunk chunk;
  EXPECT_TRUE(plug.SerializeState(chunk));
  std::vector<uint8_t> expected;
  for (double v : {1.0, -2.5, 0.25})
  {
    uint64_t bits;
    std::memcpy(&bits, &v, 8);
    for (int i = 0; i < 8; ++i)
      expected.push_back(static_cast<uint8_t>(bits >> (8 * i)));
  }
  EXPECT_EQ(std::vector<uint8_t>(chunk.GetData(), chunk.GetData() + chunk.Size()), expected);
  Plug other(3);
  EXPECT_EQ(other.UnserializeState(chunk, 0), 24);
  EXPECT_EQ(other.Values(), (std::vector<double>{1.0, -2.5, 0.25}));
  const int recall = plugkit::kSourcePresetRecall;
  EXPECT_EQ(other.paramChanges, (Changes{{0, recall}, {1, recall}, {2, recall}}));
}

TEST(PluginBaseState, ShortChunksNegativeStartsAndOutOfRangeValues)
{
  // A short chunk leaves the missing values alone; a negative start changes
  // nothing; every parameter is announced either way.
  Plug plug(3, {7.0, 3.5, -4.0});
  EXPECT_EQ(plug.UnserializeParams(Chunk({1.0, 2.0, 5.25}), 16), -1);
  EXPECT_EQ(plug.Values(), (std::vector<double>{5.25, 3.5, -4.0}));
  EXPECT_EQ(plug.UnserializeParams(Chunk({9.0, 9.0, 9.0}), -1), -1);
  EXPECT_EQ(plug.Values(), (std::vector<double>{5.25, 3.5, -4.0}));
  EXPECT_EQ(plug.paramChanges.size(), 6u);
  EXPECT_EQ(plug.paramChangesUI.size(), 6u);
  // Stored values are clamped and NaN becomes the minimum.
  Plug two(2);
  EXPECT_EQ(two.UnserializeParams(Chunk({1e9, std::numeric_limits<double>::quiet_NaN()}), 0), 16);
  EXPECT_EQ(two.Values(), (std::vector<double>{10.0, -10.0}));
}

// Parameter helpers ---------------------------------------------------------------------------

TEST(PluginBaseParams, RangeHelpersActOnlyOnExistingParameters)
{
  Plug plug(3, {1.0, 2.0, 3.0});
  plug.CopyParamValues(1, 2, 5); // only 1 -> 2 exists
  EXPECT_EQ(plug.GetParam(2)->Value(), 2.0);
  plug.CopyParamValues(-2, 0, 3); // only 0 -> 2 exists
  EXPECT_EQ(plug.GetParam(2)->Value(), 1.0);
  std::vector<int> visited;
  plug.ForParamInRange(-5, 10, [&](int idx, IParam&) { visited.push_back(idx); });
  EXPECT_EQ(visited, (std::vector<int>{0, 1, 2}));
  plug.InitParamRange(2, 40, 0, "P%d", 1.0, 0.0, 2.0, 1.0);
  EXPECT_STREQ(plug.GetParam(2)->GetName(), "P0");
  plug.CloneParamRange(0, 2, 2, "", "", "");
  plug.DefaultParamValues(1, 99);
  plug.RandomiseParamValues(-3, 99);
  SUCCEED() << "no access outside the parameter list (ASan watches)";
}

TEST(PluginBaseParams, InitAndCloneParamRangeNameGroupAndInitialise)
{
  StandalonePlugin plug(4, 0);
  plug.InitParamRange(1, 2, 5, "Band %i Gain", 0.5, -12.0, 12.0, 0.5, "dB", 0, "Band 1");
  plug.GetParam(1)->Set(3.0);
  EXPECT_STREQ(plug.GetParam(1)->GetName(), "Band 5 Gain");
  EXPECT_STREQ(plug.GetParam(2)->GetName(), "Band 6 Gain");
  EXPECT_STREQ(plug.GetParam(3)->GetName(), "");
  EXPECT_EQ(plug.GetParam(2)->Value(), 0.5);
  plug.CloneParamRange(1, 1, 3, "Band", "Copy", "Band 2");
  EXPECT_STREQ(plug.GetParam(3)->GetName(), "Copy 5 Gain");
  EXPECT_STREQ(plug.GetParam(3)->GetGroup(), "Band 2");
  EXPECT_EQ(plug.GetParam(3)->Value(), 3.0);
}

TEST(PluginBaseParams, GroupCopiesAndDefaultsByRangeAndGroup)
{
  // Five parameters: 0, 2 and 4 in "even", 1 and 3 in "odd". A group copy
  // pairs only as many as both groups have, in index order.
  struct Case { const char* what; std::function<void(Plug&)> act; std::vector<double> after; };
  const Case cases[] = {
    {"even to odd", [](Plug& p) { p.CopyParamValues("even", "odd"); }, {1, 1, 3, 3, 5}},
    {"odd to even", [](Plug& p) { p.CopyParamValues("odd", "even"); }, {2, 2, 4, 4, 5}},
    {"to no group", [](Plug& p) { p.CopyParamValues("even", "none"); }, {1, 2, 3, 4, 5}},
    {"from no name", [](Plug& p) { p.CopyParamValues(nullptr, "even"); }, {1, 2, 3, 4, 5}},
    {"defaults 2..3", [](Plug& p) { p.DefaultParamValues(2, 3); }, {1, 2, 0, 0, 5}},
    {"defaults -3..1", [](Plug& p) { p.DefaultParamValues(-3, 1); }, {0, 0, 3, 4, 5}},
    {"defaults 3..99", [](Plug& p) { p.DefaultParamValues(3, 99); }, {1, 2, 3, 0, 0}},
    {"defaults odd", [](Plug& p) { p.DefaultParamValues("odd"); }, {1, 0, 3, 0, 5}},
    {"defaults none", [](Plug& p) { p.DefaultParamValues("none"); }, {1, 2, 3, 4, 5}},
    {"defaults all", [](Plug& p) { p.DefaultParamValues(); }, {0, 0, 0, 0, 0}},
  };
  for (const Case& c : cases)
  {
    Plug plug(5, {1, 2, 3, 4, 5});
    c.act(plug);
    EXPECT_EQ(plug.Values(), c.after) << c.what;
  }
}

TEST(PluginBaseParams, RandomValuesStayInRangeOnTheStep)
{
  Plug plug(8);
  for (int i = 0; i < 8; ++i)
    plug.GetParam(i)->InitDouble("p", 0.0, -3.0, 3.0, 0.5, "", IParam::kFlagStepped);
  plug.RandomiseParamValues();
  for (double v : plug.Values())
    EXPECT_TRUE(v >= -3.0 && v <= 3.0 && v * 2.0 == std::round(v * 2.0)) << v;
}
