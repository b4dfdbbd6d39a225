#include <cmath>
#include <limits>
#include <string>

#include <gtest/gtest.h>

#include "framework/IParam.h"
#include "tests/framework/ParamDisplay.h"

using plugkit::IParam;
using testsupport::Display;

namespace {

// A text where the bool default belongs must not compile.
template <class P>
concept TakesTextAsBoolDefault = requires(P& p) { p.InitBool("Bypass", "On"); };
static_assert(!TakesTextAsBoolDefault<IParam>);

} // namespace

// Initialisation ------------------------------------------------------------

TEST(IParamInit, ANewParameterIsANamelessZeroToOneValueAtZero)
{
  IParam p;
  EXPECT_EQ(p.Type(), IParam::kTypeNone);
  EXPECT_EQ(p.Unit(), IParam::kUnitCustom);
  EXPECT_EQ(p.Value(), 0.0);
  EXPECT_EQ(p.GetMin(), 0.0);
  EXPECT_EQ(p.GetMax(), 1.0);
  EXPECT_EQ(p.GetStep(), 1.0);
  EXPECT_STREQ(p.GetName(), "");
  EXPECT_EQ(p.GetDisplayHint(), IParam::kDisplayLinear);
}

TEST(IParamInit, MaxIsAtLeastMinPlusStep)
{
  IParam p;
  p.InitDouble("x", 0.0, 0.0, 0.5, 1.0);
  EXPECT_EQ(p.GetMax(), 1.0);
  EXPECT_EQ(p.Type(), IParam::kTypeDouble);
}

TEST(IParamInit, DisplayPrecisionFollowsTheStep)
{
  const struct { double step; int precision; } cases[] = {
    {1.0, 0}, {0.5, 1}, {0.25, 2}, {0.001, 3}, {0.3333, 6}, {10.0, 0}, {0.00001, 5},
  };
  for (const auto& c : cases)
  {
    IParam p;
    p.InitDouble("x", 0.0, 0.0, 100.0, c.step);
    EXPECT_EQ(p.GetDisplayPrecision(), c.precision) << "step " << c.step;
  }
}

TEST(IParamInit, TypedFormsSetTypeStepAndTexts)
{
  IParam b;
  b.InitBool("Bypass", true, "", 0, "", "Off", "On");
  EXPECT_EQ(b.Type(), IParam::kTypeBool);
  EXPECT_TRUE(b.GetStepped());
  EXPECT_EQ(b.Value(), 1.0);
  EXPECT_EQ(b.NDisplayTexts(), 2);

  IParam e;
  e.InitEnum("Mode", 1, {"Idle", "Write", "Read"});
  EXPECT_EQ(e.Type(), IParam::kTypeEnum);
  EXPECT_EQ(e.GetMax(), 2.0);
  double v = -1.0;
  EXPECT_STREQ(e.GetDisplayTextAtIdx(2, &v), "Read");
  EXPECT_EQ(v, 2.0);

  // Texts beyond the count are ignored; values without a text show numbers.
  IParam f;
  f.InitEnum("Few", 0, 3, "", 0, "", {"a", "b", "c", "d"});
  EXPECT_EQ(f.NDisplayTexts(), 3);
  IParam g;
  g.InitEnum("Some", 0, 3, "", 0, "", {"a"});
  EXPECT_EQ(Display(g, 2.0), "2");

  IParam i;
  i.InitInt("Count", 5, 0, 10);
  EXPECT_EQ(i.Type(), IParam::kTypeInt);
  EXPECT_TRUE(i.GetStepped());

  IParam hz;
  hz.InitFrequency("Freq", 1000.0, 20.0, 20000.0, 1.0);
  EXPECT_STREQ(hz.GetLabel(), "Hz");
  EXPECT_EQ(hz.Unit(), IParam::kUnitFrequency);
  EXPECT_EQ(hz.GetDisplayHint(), IParam::kDisplayLog);

  IParam db;
  db.InitGain("Gain", 0.0, -70.0, 24.0, 0.5);
  EXPECT_STREQ(db.GetLabel(), "dB");
  EXPECT_EQ(db.Unit(), IParam::kUnitDB);
}

TEST(IParamInit, ASecondInitKeepsTheTypeAndAppendsTexts)
{
  IParam p;
  p.InitBool("b", false, "", 0, "", "no", "yes");
  p.InitEnum("e", 0, {"x", "y"});
  EXPECT_EQ(p.Type(), IParam::kTypeBool);
  EXPECT_EQ(p.NDisplayTexts(), 4);
}

TEST(IParamInit, NoteNames)
{
  IParam p;
  p.InitNoteNames("Note", 0, 64, 65);
  EXPECT_STREQ(p.GetDisplayTextForValue(0.0), "E 3");
  EXPECT_STREQ(p.GetDisplayTextForValue(1.0), "F 3");
  IParam q;
  q.InitNoteNames("Note", 0, 60, 61, 0, "", true);
  EXPECT_STREQ(q.GetDisplayTextForValue(0.0), "C 4");
  EXPECT_STREQ(q.GetDisplayTextForValue(1.0), "C#4");
}

TEST(IParamInit, FromParamRenamesRegroupsAndCopiesTexts)
{
  IParam src;
  src.InitEnum("Band 1 Gain", 1, {"lo", "hi"}, IParam::kFlagMeta, "Band 1");
  src.Set(0.0);

  const struct { const char* search; const char* replace; const char* name; } cases[] = {
    {"1", "2", "Band 2 Gain"}, {"", "2", "Band 1 Gain"}, {"7", "2", "Band 1 Gain"}, {"1 ", "", "Band Gain"},
  };
  for (const auto& c : cases)
  {
    IParam p;
    p.InitFromParam(src, c.search, c.replace, "");
    EXPECT_STREQ(p.GetName(), c.name);
    EXPECT_STREQ(p.GetGroup(), "Band 1");
    EXPECT_EQ(p.Type(), IParam::kTypeEnum);
    EXPECT_EQ(p.GetFlags(), src.GetFlags());
    EXPECT_EQ(p.Value(), 1.0); // the source's default, not its value
    EXPECT_EQ(p.NDisplayTexts(), 2);
  }
  IParam p;
  p.InitFromParam(src, nullptr, nullptr, "Band 2");
  EXPECT_STREQ(p.GetGroup(), "Band 2");
}

TEST(IParamInit, LongTextsAreCutToTheirFields)
{
  const std::string longText(100, 'n');
  IParam p;
  p.InitDouble(longText.c_str(), 0.0, 0.0, 1.0, 0.1, longText.c_str(), 0, longText.c_str());
  p.SetDisplayText(0.5, longText.c_str());
  EXPECT_EQ(std::string(p.GetName()), longText.substr(0, 31));
  EXPECT_EQ(std::string(p.GetLabel()), longText.substr(0, 31));
  EXPECT_EQ(std::string(p.GetGroup()), longText.substr(0, 31));
  EXPECT_EQ(std::string(p.GetDisplayTextAtIdx(0)), longText.substr(0, 31));

  // A multi-byte character that does not fit whole is left out whole.
  const std::string umlauts = std::string(30, 'a') + "\xC3\xA4\xC3\xA4";
  p.InitDouble(umlauts.c_str(), 0.0, 0.0, 1.0, 0.1);
  EXPECT_EQ(std::string(p.GetName()), std::string(30, 'a'));
}

// Values ----------------------------------------------------------------------

TEST(IParamValue, SteppingAndClamping)
{
  IParam p;
  p.InitDouble("x", 3.0, 0.0, 10.0, 2.0, "", IParam::kFlagStepped);
  p.Set(3.0);
  EXPECT_EQ(p.Value(), 4.0);
  p.Set(11.0);
  EXPECT_EQ(p.Value(), 10.0);
  EXPECT_EQ(p.PreviousValue(), 4.0);
  p.SetToDefault();
  EXPECT_EQ(p.Value(), 3.0);
  p.Set(-5.0);
  EXPECT_EQ(p.Value(), 0.0);
}

TEST(IParamValue, NaNBecomesTheMinimumEverywhere)
{
  const double nan = std::numeric_limits<double>::quiet_NaN();
  IParam p;
  p.InitDouble("x", 0.5, -3.0, 7.0, 0.1);
  p.Set(nan);
  EXPECT_EQ(p.Value(), -3.0);
  EXPECT_EQ(p.FromNormalized(nan), -3.0);
  p.SetNormalized(nan);
  EXPECT_EQ(p.Value(), -3.0);
  EXPECT_EQ(p.ToNormalized(nan), 0.0);

  IParam stepped;
  stepped.InitInt("i", 2, 1, 5);
  stepped.Set(nan);
  EXPECT_EQ(stepped.Value(), 1.0);
}

TEST(IParamValue, ZeroStepOrZeroWidthNeverGivesNaN)
{
  IParam p;
  p.InitDouble("x", 0.25, 0.0, 1.0, 0.0, "", IParam::kFlagStepped);
  p.Set(0.3);
  EXPECT_EQ(p.Value(), 0.3);
  EXPECT_FALSE(std::isnan(p.GetNormalized()));

  IParam flat;
  flat.InitDouble("flat", 2.0, 2.0, 2.0, 0.0);
  EXPECT_EQ(flat.GetMax(), 2.0);
  EXPECT_EQ(flat.GetNormalized(), 0.0);
  EXPECT_EQ(flat.FromNormalized(0.7), 2.0);
  // The shapes themselves never divide by a zero range.
  EXPECT_EQ(IParam::ShapeLinear().NormalizedFromValue(2.0, flat), 0.0);
  EXPECT_EQ(IParam::ShapePowCurve(2.0).NormalizedFromValue(2.0, flat), 0.0);

  IParam flatExp;
  flatExp.InitDouble("flat", 5.0, 5.0, 5.0, 0.0, "", 0, "", IParam::ShapeExp());
  EXPECT_EQ(flatExp.GetNormalized(), 0.0);

  IParam flatPow;
  flatPow.InitDouble("flat", 5.0, 5.0, 5.0, 0.0, "", 0, "", IParam::ShapePowCurve(2.0));
  EXPECT_EQ(flatPow.GetNormalized(), 0.0);
}

TEST(IParamShape, LinearRoundTrip)
{
  IParam p;
  p.InitDouble("x", 0.0, -10.0, 30.0, 0.01);
  for (double x : {0.0, 0.1, 0.5, 0.9, 1.0})
  {
    const double v = p.FromNormalized(x);
    EXPECT_NEAR(v, -10.0 + 40.0 * x, 1e-9);
    EXPECT_NEAR(p.ToNormalized(v), x, 1e-9);
  }
  EXPECT_EQ(p.ToNormalized(100.0), 1.0);
  EXPECT_EQ(p.ToNormalized(-100.0), 0.0);
}

TEST(IParamShape, PowCurveValuesAndHints)
{
  IParam p;
  p.InitDouble("x", 0.0, 0.0, 100.0, 0.001, "", 0, "", IParam::ShapePowCurve(2.0));
  EXPECT_NEAR(p.FromNormalized(0.5), 25.0, 1e-9);
  EXPECT_NEAR(p.ToNormalized(25.0), 0.5, 1e-9);

  const struct { double exponent; IParam::DisplayHint hint; } hints[] = {
    {3.0, IParam::kDisplayCubeRoot}, {2.0, IParam::kDisplaySquareRoot}, {1.0, IParam::kDisplayLinear},
    {0.5, IParam::kDisplaySquared},  {0.3, IParam::kDisplayCubed},
  };
  for (const auto& h : hints)
    EXPECT_EQ(IParam::ShapePowCurve(h.exponent).GetDisplayHint(), h.hint) << h.exponent;
}

TEST(IParamShape, ExpIsGeometric)
{
  IParam p;
  p.InitFrequency("f", 1000.0, 20.0, 20000.0, 0.01);
  EXPECT_NEAR(p.FromNormalized(0.5), std::sqrt(20.0 * 20000.0), 1e-6);
  EXPECT_NEAR(p.ToNormalized(std::sqrt(20.0 * 20000.0)), 0.5, 1e-9);

  IParam fromZero;
  fromZero.InitFrequency("f", 1.0, 0.0, 100.0, 0.0);
  EXPECT_NEAR(fromZero.FromNormalized(0.0), 1e-8, 1e-20);
  EXPECT_NEAR(fromZero.FromNormalized(1.0), 100.0, 1e-9);
}
