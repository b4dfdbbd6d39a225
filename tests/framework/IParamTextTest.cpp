#include <cmath>
#include <cstring>
#include <limits>
#include <string>

#include <gtest/gtest.h>

#include "framework/IParam.h"
#include "framework/NumberText.h"
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

const int kSign = IParam::kFlagSignDisplay, kNegate = IParam::kFlagNegateDisplay;

} // namespace

// Display text --------------------------------------------------------------------

TEST(IParamDisplay, NegateSignAndPrecisionInThatOrder)
{
  // Precision 0 comes before the sign: whole numbers, halves away from zero;
  // it saturates and refuses NaN.
  struct Case { int flags; double step, value; const char* text; };
  const double inf = std::numeric_limits<double>::infinity(), nan = std::numeric_limits<double>::quiet_NaN();
  for (const Case& c : {Case{0, 0.01, -0.0, "0.00"}, Case{0, 0.01, 1.5, "1.50"}, Case{kNegate, 0.01, 1.5, "-1.50"},
         Case{kNegate, 0.01, 0.0, "0.00"}, Case{kSign, 0.01, 1.5, "+1.50"}, Case{kSign, 0.01, -1.5, "-1.50"},
         Case{kSign, 0.01, 0.0, "0.00"}, Case{kSign | kNegate, 0.01, 1.5, "-1.50"}, Case{kSign, 1.0, 2.5, "3"},
         Case{kSign, 1.0, -2.5, "-3"}, Case{0, 1.0, 1e12, "2147483647"}, Case{0, 1.0, -1e12, "-2147483648"},
         Case{0, 1.0, inf, "2147483647"}, Case{0, 1.0, nan, "0"}})
  {
    IParam p;
    p.InitDouble("x", 0.0, -1e300, 1e300, c.step, "", c.flags);
    EXPECT_EQ(Display(p, c.value), c.text) << c.value << " flags " << c.flags;
  }
  IParam big;
  big.InitDouble("x", 0.0, 0.0, 1e300, 0.001);
  EXPECT_EQ(Display(big, 1e40).size(), 32u) << "the text is cut to 32 characters";
}

TEST(IParamDisplay, DisplayTextsComeFirstUnlessTurnedOffAndADisplayFunctionReplacesEverything)
{
  IParam b;
  b.InitBool("On", false, "", 0, "", "Off", "On");
  EXPECT_EQ(Display(b, 0.0) + Display(b, 1.0), "OffOn");
  EXPECT_EQ(Display(b, 0.0, false, false) + Display(b, 1.0, false, false), "01");
  // Normalised values go through shape, step and clamp first.
  EXPECT_EQ(Display(b, 0.8, true), "On");
  IParam p;
  p.InitDouble("x", 0.0, 0.0, 1.0, 0.1, "", 0, "", IParam::ShapeLinear(), IParam::kUnitCustom,
    [](double v, PK_String& out) { out.Set(v > 0.5 ? "loud" : "soft"); });
  EXPECT_EQ(Display(p, 0.9) + Display(p, 0.1), "loudsoft");
}

TEST(CopyToField, CutsLosingAtMostOneSplitCharacterAndNeverLeavesALoneLeadByte)
{
  // Bytes that are not UTF-8 are cut at the limit.
  const std::string a24(24, 'a');
  struct Case { size_t field; std::string text, want; };
  for (const Case& c : {Case{8, "short", "short"}, Case{4, "abcdef", "abc"}, Case{4, "a\xC3\xA4\xC3\xA4", "a\xC3\xA4"},
         Case{3, "a\xC3\xA4", "a"}, Case{2, "\xC3\xA4", ""}, Case{3, "\xE2\x82\xAC", ""}, Case{1, "abc", ""},
         Case{28, std::string(400, 'x'), std::string(27, 'x')}, Case{28, std::string(40, '\xB0'), std::string(27, '\xB0')},
         Case{28, "Pad " + std::string(30, '\xB2'), "Pad " + std::string(23, '\xB2')},
         Case{28, "2" + std::string(16, '\x94') + std::string(16, '\xFF'),
           "2" + std::string(16, '\x94') + std::string(10, '\xFF')},
         Case{28, a24 + "ab\xE2\x82\xAC", a24 + "ab"}, Case{28, a24 + "\xF0\x9F\x8E\xB5", a24},
         Case{28, a24 + "a\xC3\xA9\x80", a24 + "a\xC3\xA9"}})
  {
    char field[32];
    std::memset(field, 'X', sizeof(field));
    plugkit::CopyToField(field, c.field, c.text.c_str());
    EXPECT_EQ(std::string(field), c.want) << "field of " << c.field << ": " << c.text;
  }
  char field[4] = "XXX";
  plugkit::CopyToField(field, sizeof(field), nullptr);
  EXPECT_STREQ(field, "");
}

// Parsing ----------------------------------------------------------------------------

TEST(IParamParse, DisplayTextsThenNumbers)
{
  IParam b, hz, negated;
  b.InitBool("b", false, "", 0, "", "Off", "On");
  hz.InitDouble("f", 1000.0, 20.0, 20000.0, 0.01);
  negated.InitDouble("x", 0.0, -10.0, 10.0, 0.5, "", kNegate | IParam::kFlagStepped);
  struct Case { const IParam* p; const char* text; double value; };
  for (const Case& c : {Case{&b, "Off", 0.0}, Case{&b, "On", 1.0}, Case{&b, "on", 0.0}, Case{&b, "1", 0.0},
         Case{&hz, "1.2k", 1200.0}, Case{&hz, "2k2", 2200.0}, Case{&hz, "1.5K", 1500.0}, Case{&hz, "30k", 20000.0},
         Case{&hz, "hello", 20.0}, Case{&hz, "  440.5 Hz", 440.5}, Case{&negated, "3.2", -3.0}})
    EXPECT_NEAR(c.p->StringToValue(c.text), c.value, 1e-9) << c.text;
}

// JSON -----------------------------------------------------------------------------------

TEST(IParamJSON, DescribesEachTypeWithEscapedNames)
{
  IParam d, b, none, p, utf8;
  d.InitDouble("Gain", 0.5, -1.0, 2.0, 0.1);
  b.InitBool("On", true);
  p.InitInt("a\"b\\c\nd\x01", 0, 0, 1);
  utf8.InitEnum("Gr\xC3\xB6\xC3\x9F" "e", 0, {"a"});
  const std::string tail = ", \"rate\":\"control\"}";
  EXPECT_EQ(JSON(d, 3), "{\"id\":3, \"name\":\"Gain\", \"type\":\"float\", \"min\":-1.000000, \"max\":2.000000, "
                        "\"default\":0.500000" + tail);
  EXPECT_EQ(JSON(b, 0), "{\"id\":0, \"name\":\"On\", \"type\":\"bool\", \"min\":0.000000, \"max\":1.000000, "
                        "\"default\":1.000000" + tail);
  EXPECT_EQ(JSON(none, 7), "{\"id\":7, \"name\":\"\", \"min\":0.000000, \"max\":1.000000, \"default\":0.000000" + tail);
  EXPECT_EQ(JSON(p, 1), "{\"id\":1, \"name\":\"a\\\"b\\\\c\\nd\\u0001\", \"type\":\"int\", \"min\":0.000000, "
                        "\"max\":1.000000, \"default\":0.000000" + tail);
  EXPECT_NE(JSON(utf8, 0).find("\"name\":\"Gr\xC3\xB6\xC3\x9F" "e\""), std::string::npos);
  // JSON has no infinity or NaN.
  IParam unbounded;
  const double inf = std::numeric_limits<double>::infinity();
  unbounded.InitDouble("u", std::nan(""), -inf, inf, 0.0);
  EXPECT_NE(JSON(unbounded, 0).find("\"min\":null, \"max\":null, \"default\":null"), std::string::npos)
    << JSON(unbounded, 0);
}

// Locale ------------------------------------------------------------------------------------

TEST(IParamLocale, CommaDecimalLocaleChangesNothing)
{
  IParam p;
  p.InitDouble("Gain", 0.5, -1.0, 2.0, 0.01, "", kSign);
  const std::string jsonC = JSON(p, 0);
  testsupport::LocaleGuard locale("de_DE.UTF-8");
  if (!locale.IsAvailable())
    GTEST_SKIP() << "no comma-decimal locale on this machine";
  EXPECT_EQ(Display(p, 1.25), "+1.25");
  EXPECT_EQ(JSON(p, 0), jsonC);
  EXPECT_NE(JSON(p, 0).find("\"min\":-1.000000"), std::string::npos);
  EXPECT_DOUBLE_EQ(p.StringToValue("1.5"), 1.5);
  EXPECT_DOUBLE_EQ(IParam::ParseNumber("1.5k"), 1500.0);
}
