#include <cmath>
#include <limits>
#include <string>

#include <gtest/gtest.h>

#include "framework/IParam.h"
#include "tests/framework/ParamDisplay.h"
#include "tests/support/TempHome.h"

using plugkit::IParam;
using testsupport::Display;

namespace {

std::string JSON(const IParam& p, int idx)
{
  PK_String s;
  p.GetJSON(s, idx);
  return s.Get();
}

} // namespace

// Display text --------------------------------------------------------------------

TEST(IParamDisplay, NegateSignAndPrecisionInThatOrder)
{
  IParam plain;
  plain.InitDouble("x", 0.0, -10.0, 10.0, 0.01);
  EXPECT_EQ(Display(plain, -0.0), "0.00");
  EXPECT_EQ(Display(plain, 1.5), "1.50");

  IParam negated;
  negated.InitDouble("x", 0.0, -10.0, 10.0, 0.01, "", IParam::kFlagNegateDisplay);
  EXPECT_EQ(Display(negated, 1.5), "-1.50");
  EXPECT_EQ(Display(negated, 0.0), "0.00");

  IParam signedP;
  signedP.InitDouble("x", 0.0, -10.0, 10.0, 0.01, "", IParam::kFlagSignDisplay);
  EXPECT_EQ(Display(signedP, 1.5), "+1.50");
  EXPECT_EQ(Display(signedP, -1.5), "-1.50");
  EXPECT_EQ(Display(signedP, 0.0), "0.00");

  IParam both;
  both.InitDouble("x", 0.0, -10.0, 10.0, 0.01, "", IParam::kFlagSignDisplay | IParam::kFlagNegateDisplay);
  EXPECT_EQ(Display(both, 1.5), "-1.50");

  // Precision 0 comes before the sign: whole numbers, halves away from zero.
  IParam whole;
  whole.InitDouble("x", 0.0, -10.0, 10.0, 1.0, "", IParam::kFlagSignDisplay);
  EXPECT_EQ(Display(whole, 2.5), "3");
  EXPECT_EQ(Display(whole, -2.5), "-3");
}

TEST(IParamDisplay, PrecisionZeroSaturatesAndRefusesNaN)
{
  IParam p;
  p.InitDouble("x", 0.0, -1e300, 1e300, 1.0);
  EXPECT_EQ(Display(p, 1e12), std::to_string(std::numeric_limits<int32_t>::max()));
  EXPECT_EQ(Display(p, -1e12), std::to_string(std::numeric_limits<int32_t>::min()));
  EXPECT_EQ(Display(p, std::numeric_limits<double>::infinity()), std::to_string(std::numeric_limits<int32_t>::max()));
  EXPECT_EQ(Display(p, std::numeric_limits<double>::quiet_NaN()), "0");
}

TEST(IParamDisplay, DisplayTextsComeFirstUnlessTurnedOff)
{
  IParam b;
  b.InitBool("On", false, "", 0, "", "Off", "On");
  EXPECT_EQ(Display(b, 0.0), "Off");
  EXPECT_EQ(Display(b, 1.0), "On");
  EXPECT_EQ(Display(b, 0.0, false, false), "0");
  EXPECT_EQ(Display(b, 1.0, false, false), "1");
  // Normalised values go through shape, step and clamp first.
  EXPECT_EQ(Display(b, 0.8, true), "On");
}

TEST(IParamDisplay, DisplayFunctionReplacesEverything)
{
  IParam p;
  p.InitDouble("x", 0.0, 0.0, 1.0, 0.1, "", 0, "", IParam::ShapeLinear(), IParam::kUnitCustom,
               [](double v, PK_String& out) { out.Set(v > 0.5 ? "loud" : "soft"); });
  EXPECT_EQ(Display(p, 0.9), "loud");
  EXPECT_EQ(Display(p, 0.1), "soft");
}

TEST(IParamDisplay, TextIsCutTo32Characters)
{
  IParam p;
  p.InitDouble("x", 0.0, 0.0, 1e300, 0.001);
  EXPECT_EQ(Display(p, 1e40).size(), 32u);
}

// Parsing ----------------------------------------------------------------------------

TEST(IParamParse, DisplayTextsThenNumbers)
{
  IParam b;
  b.InitBool("b", false, "", 0, "", "Off", "On");
  EXPECT_EQ(b.StringToValue("Off"), 0.0);
  EXPECT_EQ(b.StringToValue("On"), 1.0);
  EXPECT_EQ(b.StringToValue("on"), 0.0);
  EXPECT_EQ(b.StringToValue("1"), 0.0);

  IParam hz;
  hz.InitDouble("f", 1000.0, 20.0, 20000.0, 0.01);
  EXPECT_NEAR(hz.StringToValue("1.2k"), 1200.0, 1e-9);
  EXPECT_NEAR(hz.StringToValue("2k2"), 2200.0, 1e-9);
  EXPECT_NEAR(hz.StringToValue("1.5K"), 1500.0, 1e-9);
  EXPECT_EQ(hz.StringToValue("30k"), 20000.0);
  EXPECT_EQ(hz.StringToValue("hello"), 20.0);
  EXPECT_NEAR(hz.StringToValue("  440.5 Hz"), 440.5, 1e-9);

  IParam negated;
  negated.InitDouble("x", 0.0, -10.0, 10.0, 0.5, "", IParam::kFlagNegateDisplay | IParam::kFlagStepped);
  EXPECT_EQ(negated.StringToValue("3.2"), -3.0);
}

// JSON -----------------------------------------------------------------------------------

TEST(IParamJSON, DescribesEachType)
{
  IParam d;
  d.InitDouble("Gain", 0.5, -1.0, 2.0, 0.1);
  EXPECT_EQ(JSON(d, 3),
            "{\"id\":3, \"name\":\"Gain\", \"type\":\"float\", \"min\":-1.000000, \"max\":2.000000, "
            "\"default\":0.500000, \"rate\":\"control\"}");

  IParam b;
  b.InitBool("On", true);
  EXPECT_EQ(JSON(b, 0),
            "{\"id\":0, \"name\":\"On\", \"type\":\"bool\", \"min\":0.000000, \"max\":1.000000, "
            "\"default\":1.000000, \"rate\":\"control\"}");

  IParam none;
  EXPECT_EQ(JSON(none, 7),
            "{\"id\":7, \"name\":\"\", \"min\":0.000000, \"max\":1.000000, \"default\":0.000000, "
            "\"rate\":\"control\"}");

  // JSON has no infinity or NaN.
  IParam unbounded;
  const double inf = std::numeric_limits<double>::infinity();
  unbounded.InitDouble("u", std::nan(""), -inf, inf, 0.0);
  EXPECT_NE(JSON(unbounded, 0).find("\"min\":null, \"max\":null, \"default\":null"), std::string::npos)
    << JSON(unbounded, 0);
}

TEST(IParamJSON, NamesAreEscaped)
{
  IParam p;
  p.InitInt("a\"b\\c\nd\x01", 0, 0, 1);
  EXPECT_EQ(JSON(p, 1),
            "{\"id\":1, \"name\":\"a\\\"b\\\\c\\nd\\u0001\", \"type\":\"int\", \"min\":0.000000, "
            "\"max\":1.000000, \"default\":0.000000, \"rate\":\"control\"}");

  IParam utf8;
  utf8.InitEnum("Gr\xC3\xB6\xC3\x9F" "e", 0, {"a"});
  EXPECT_NE(JSON(utf8, 0).find("\"name\":\"Gr\xC3\xB6\xC3\x9F" "e\""), std::string::npos);
}

// Locale ------------------------------------------------------------------------------------

TEST(IParamLocale, CommaDecimalLocaleChangesNothing)
{
  IParam p;
  p.InitDouble("Gain", 0.5, -1.0, 2.0, 0.01, "", IParam::kFlagSignDisplay);
  const std::string displayC = Display(p, 1.25);
  const std::string jsonC = JSON(p, 0);

  testsupport::LocaleGuard locale("de_DE.UTF-8");
  if (!locale.IsAvailable())
    GTEST_SKIP() << "no comma-decimal locale on this machine";

  EXPECT_EQ(Display(p, 1.25), displayC);
  EXPECT_EQ(Display(p, 1.25), "+1.25");
  EXPECT_EQ(JSON(p, 0), jsonC);
  EXPECT_NE(JSON(p, 0).find("\"min\":-1.000000"), std::string::npos);
  EXPECT_DOUBLE_EQ(p.StringToValue("1.5"), 1.5);
  EXPECT_DOUBLE_EQ(IParam::ParseNumber("1.5k"), 1500.0);
}
