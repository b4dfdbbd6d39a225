#include <cmath>
#include <deque>
#include <limits>
#include <string>
#include <vector>

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

// A parameter made with InitDouble; kept alive for the test's duration.
IParam& Double(double def, double min, double max, double step, int flags = 0,
  const IParam::Shape& shape = IParam::ShapeLinear())
{
  static std::deque<IParam> made;
  IParam& p = made.emplace_back();
  p.InitDouble("x", def, min, max, step, "", flags, "", shape);
  return p;
}

const double kNaN = std::numeric_limits<double>::quiet_NaN();

} // namespace

// Initialisation ------------------------------------------------------------

TEST(IParamInit, NewParameterHasTheDocumentedValuesAndAStepSetsTheSmallestRangeAndThePrecision)
{
  const IParam fresh;
  EXPECT_TRUE(fresh.Type() == IParam::kTypeNone && fresh.Unit() == IParam::kUnitCustom &&
              fresh.GetDisplayHint() == IParam::kDisplayLinear);
  EXPECT_EQ((std::vector<double>{fresh.Value(), fresh.GetMin(), fresh.GetMax(), fresh.GetStep()}),
    (std::vector<double>{0.0, 0.0, 1.0, 1.0}));
  EXPECT_STREQ(fresh.GetName(), "");
  EXPECT_EQ(Double(0.0, 0.0, 0.5, 1.0).GetMax(), 1.0) << "max is at least min plus a step";
  struct Case { double step; int precision; };
  for (const Case& c : {Case{1.0, 0}, Case{0.5, 1}, Case{0.25, 2}, Case{0.001, 3}, Case{0.3333, 6}, Case{10.0, 0},
         Case{0.00001, 5}})
    EXPECT_EQ(Double(0.0, 0.0, 100.0, c.step).GetDisplayPrecision(), c.precision) << "step " << c.step;
}

TEST(IParamInit, TypedFormsSetTypeStepAndTexts)
{
  IParam b, e, few, some, i, hz, db;
  b.InitBool("Bypass", true, "", 0, "", "Off", "On");
  EXPECT_TRUE(b.Type() == IParam::kTypeBool && b.GetStepped() && b.Value() == 1.0 && b.NDisplayTexts() == 2);
  e.InitEnum("Mode", 1, {"Idle", "Write", "Read"});
  EXPECT_TRUE(e.Type() == IParam::kTypeEnum && e.GetMax() == 2.0);
  double v = -1.0;
  EXPECT_STREQ(e.GetDisplayTextAtIdx(2, &v), "Read");
  EXPECT_EQ(v, 2.0);
  // Texts beyond the count are ignored; values without a text show numbers.
  few.InitEnum("Few", 0, 3, "", 0, "", {"a", "b", "c", "d"});
  EXPECT_EQ(few.NDisplayTexts(), 3);
  some.InitEnum("Some", 0, 3, "", 0, "", {"a"});
  EXPECT_EQ(Display(some, 2.0), "2");
  i.InitInt("Count", 5, 0, 10);
  EXPECT_TRUE(i.Type() == IParam::kTypeInt && i.GetStepped());
  hz.InitFrequency("Freq", 1000.0, 20.0, 20000.0, 1.0);
  EXPECT_STREQ(hz.GetLabel(), "Hz");
  EXPECT_TRUE(hz.Unit() == IParam::kUnitFrequency && hz.GetDisplayHint() == IParam::kDisplayLog);
  db.InitGain("Gain", 0.0, -70.0, 24.0, 0.5);
  EXPECT_STREQ(db.GetLabel(), "dB");
  EXPECT_EQ(db.Unit(), IParam::kUnitDB);
  // A second init keeps the type and appends texts.
  b.InitEnum("e", 0, {"x", "y"});
  EXPECT_TRUE(b.Type() == IParam::kTypeBool && b.NDisplayTexts() == 4);
  IParam note, sharp;
  note.InitNoteNames("Note", 0, 64, 65);
  sharp.InitNoteNames("Note", 0, 60, 61, 0, "", true);
  EXPECT_STREQ(note.GetDisplayTextForValue(0.0), "E 3");
  EXPECT_STREQ(note.GetDisplayTextForValue(1.0), "F 3");
  EXPECT_STREQ(sharp.GetDisplayTextForValue(0.0), "C 4");
  EXPECT_STREQ(sharp.GetDisplayTextForValue(1.0), "C#4");
}

TEST(IParamInit, FromParamRenamesRegroupsAndCopiesTexts)
{
  IParam src;
  src.InitEnum("Band 1 Gain", 1, {"lo", "hi"}, IParam::kFlagMeta, "Band 1");
  src.Set(0.0);
  struct Case { const char* search; const char* replace; const char* group; const char* name; const char* newGroup; };
  for (const Case& c : {Case{"1", "2", "", "Band 2 Gain", "Band 1"}, Case{"", "2", "", "Band 1 Gain", "Band 1"},
         Case{"7", "2", "", "Band 1 Gain", "Band 1"}, Case{"1 ", "", "", "Band Gain", "Band 1"},
         Case{nullptr, nullptr, "Band 2", "Band 1 Gain", "Band 2"}})
  {
    IParam p;
    p.InitFromParam(src, c.search, c.replace, c.group);
    EXPECT_STREQ(p.GetName(), c.name);
    EXPECT_STREQ(p.GetGroup(), c.newGroup);
    EXPECT_TRUE(p.Type() == IParam::kTypeEnum && p.GetFlags() == src.GetFlags() && p.NDisplayTexts() == 2);
    EXPECT_EQ(p.Value(), 1.0); // the source's default, not its value
  }
}

TEST(IParamInit, LongTextsAreCutToTheirFields)
{
  const std::string longText(100, 'n');
  IParam p;
  p.InitDouble(longText.c_str(), 0.0, 0.0, 1.0, 0.1, longText.c_str(), 0, longText.c_str());
  p.SetDisplayText(0.5, longText.c_str());
  for (const char* text : {p.GetName(), p.GetLabel(), p.GetGroup(), p.GetDisplayTextAtIdx(0)})
    EXPECT_EQ(std::string(text), longText.substr(0, 31));
  // A multi-byte character that does not fit whole is left out whole.
  p.InitDouble((std::string(30, 'a') + "\xC3\xA4\xC3\xA4").c_str(), 0.0, 0.0, 1.0, 0.1);
  EXPECT_EQ(std::string(p.GetName()), std::string(30, 'a'));
}

// Values ----------------------------------------------------------------------

TEST(IParamValue, SteppingClampingAndNaN)
{
  IParam& p = Double(3.0, 0.0, 10.0, 2.0, IParam::kFlagStepped);
  p.Set(3.0);
  EXPECT_EQ(p.Value(), 4.0);
  p.Set(11.0);
  EXPECT_EQ(p.Value(), 10.0);
  EXPECT_EQ(p.PreviousValue(), 4.0);
  p.SetToDefault();
  EXPECT_EQ(p.Value(), 3.0);
  p.Set(-5.0);
  EXPECT_EQ(p.Value(), 0.0);
  // NaN becomes the minimum everywhere.
  IParam& q = Double(0.5, -3.0, 7.0, 0.1);
  q.Set(kNaN);
  EXPECT_EQ(q.Value(), -3.0);
  EXPECT_EQ(q.FromNormalized(kNaN), -3.0);
  q.SetNormalized(0.5);
  q.SetNormalized(kNaN);
  EXPECT_EQ(q.Value(), -3.0);
  EXPECT_EQ(q.ToNormalized(kNaN), 0.0);
  IParam stepped;
  stepped.InitInt("i", 2, 1, 5);
  stepped.Set(kNaN);
  EXPECT_EQ(stepped.Value(), 1.0);
}

TEST(IParamValue, ZeroStepOrZeroWidthNeverGivesNaN)
{
  IParam& p = Double(0.25, 0.0, 1.0, 0.0, IParam::kFlagStepped);
  p.Set(0.3);
  EXPECT_EQ(p.Value(), 0.3);
  EXPECT_FALSE(std::isnan(p.GetNormalized()));
  const IParam& flat = Double(2.0, 2.0, 2.0, 0.0);
  EXPECT_TRUE(flat.GetMax() == 2.0 && flat.GetNormalized() == 0.0 && flat.FromNormalized(0.7) == 2.0);
  // The shapes themselves never divide by a zero range.
  EXPECT_EQ(IParam::ShapeLinear().NormalizedFromValue(2.0, flat), 0.0);
  EXPECT_EQ(IParam::ShapePowCurve(2.0).NormalizedFromValue(2.0, flat), 0.0);
  EXPECT_EQ(Double(5.0, 5.0, 5.0, 0.0, 0, IParam::ShapeExp()).GetNormalized(), 0.0);
  EXPECT_EQ(Double(5.0, 5.0, 5.0, 0.0, 0, IParam::ShapePowCurve(2.0)).GetNormalized(), 0.0);
}

TEST(IParamShape, LinearPowerAndExponentialMappings)
{
  const IParam& linear = Double(0.0, -10.0, 30.0, 0.01);
  const IParam& power = Double(0.0, 0.0, 100.0, 0.001, 0, IParam::ShapePowCurve(2.0));
  IParam exp, fromZero;
  exp.InitFrequency("f", 1000.0, 20.0, 20000.0, 0.01);
  fromZero.InitFrequency("f", 1.0, 0.0, 100.0, 0.0);
  struct Case { const IParam* p; double normalized, value, tolerance; };
  for (const Case& c : {Case{&linear, 0.0, -10.0, 1e-9}, Case{&linear, 0.1, -6.0, 1e-9}, Case{&linear, 0.9, 26.0, 1e-9},
         Case{&linear, 1.0, 30.0, 1e-9}, Case{&power, 0.5, 25.0, 1e-9}, Case{&exp, 0.5, std::sqrt(20.0 * 20000.0), 1e-6},
         Case{&fromZero, 1.0, 100.0, 1e-9}})
  {
    EXPECT_NEAR(c.p->FromNormalized(c.normalized), c.value, c.tolerance) << c.value;
    EXPECT_NEAR(c.p->ToNormalized(c.value), c.normalized, 1e-9) << c.value;
  }
  EXPECT_NEAR(fromZero.FromNormalized(0.0), 1e-8, 1e-20);
  EXPECT_TRUE(linear.ToNormalized(100.0) == 1.0 && linear.ToNormalized(-100.0) == 0.0);
  // The display hint of a power shape, at and around each boundary.
  struct Hint { double exponent; IParam::DisplayHint hint; };
  for (const Hint& h : {Hint{3.0, IParam::kDisplayCubeRoot}, Hint{2.5, IParam::kDisplaySquareRoot},
         Hint{2.0, IParam::kDisplaySquareRoot}, Hint{1.5, IParam::kDisplayLinear}, Hint{1.0, IParam::kDisplayLinear},
         Hint{2.0 / 3.0, IParam::kDisplayLinear}, Hint{0.5, IParam::kDisplaySquared},
         Hint{0.4, IParam::kDisplaySquared}, Hint{0.3, IParam::kDisplayCubed}})
    EXPECT_EQ(IParam::ShapePowCurve(h.exponent).GetDisplayHint(), h.hint) << h.exponent;
}
