#include <gtest/gtest.h>

#include <cmath>

#include "graphics/IBitmap.h"
#include "graphics/IMatrix.h"
#include "graphics/IPaintOptions.h"
#include "graphics/IRECT.h"
#include "graphics/IRECTList.h"
#include "graphics/IVStyle.h"
#include "graphics/TextRotation.h"

namespace {

using namespace plugkit::gfx;

void ExpectRect(const IRECT& got, const IRECT& want)
{
  EXPECT_FLOAT_EQ(got.L, want.L);
  EXPECT_FLOAT_EQ(got.T, want.T);
  EXPECT_FLOAT_EQ(got.R, want.R);
  EXPECT_FLOAT_EQ(got.B, want.B);
}

TEST(Rectangles, IntersectUnionAndPixelAlignment)
{
  struct Case { const char* name; IRECT got; IRECT want; };
  const IRECT a(0, 0, 10, 10);
  const Case cases[] = {
    {"apart", a.Intersect(IRECT(20, 20, 30, 30)), IRECT()},
    {"overlap", a.Intersect(IRECT(5, 5, 15, 15)), IRECT(5, 5, 10, 10)},
    {"touching edges do not overlap", a.Intersect(IRECT(10, 0, 20, 10)), IRECT()},
    {"with empty", a.Intersect(IRECT()), IRECT()},
    {"empty union", IRECT().Union(IRECT(1, 2, 3, 4)), IRECT(1, 2, 3, 4)},
    {"union with empty", IRECT(1, 2, 3, 4).Union(IRECT()), IRECT(1, 2, 3, 4)},
    {"union", IRECT(1, 2, 3, 4).Union(IRECT(-1, 3, 2, 9)), IRECT(-1, 2, 3, 9)},
    {"aligned at 2", IRECT(0.3f, 0.3f, 10.2f, 10.2f).GetPixelAligned(2), IRECT(0, 0, 10.5f, 10.5f)},
    {"padded", a.GetPadded(2), IRECT(-2, -2, 12, 12)},
    {"translated", a.GetTranslated(1, -1), IRECT(1, -1, 11, 9)},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.name);
    ExpectRect(c.got, c.want);
  }
}

TEST(Rectangles, AListOffersItsUnionAndReadsEmptyOutsideItself)
{
  IRECTList list;
  EXPECT_TRUE(list.Add(IRECT(0, 0, 1, 1)));
  EXPECT_TRUE(list.Add(IRECT(5, 5, 6, 8)));
  EXPECT_EQ(list.Size(), 2);
  ExpectRect(list.Bounds(), IRECT(0, 0, 6, 8));
  EXPECT_TRUE(list.Get(2).Empty());
  EXPECT_TRUE(list.Get(-1).Empty());
}

TEST(Colours, ASetFillsWhatTheListLeavesWithEachIndexsDefault)
{
  const IVColorSet set{kColorRed, kColorYellow};
  EXPECT_EQ(set.GetColor(kBackground), kColorRed);
  EXPECT_EQ(set.GetColor(kForeground), kColorYellow);
  for (int i = kPressed; i < kNumVectorColors; ++i)
    EXPECT_EQ(set.mColors[i], DefaultVectorColor(i)) << i;
  EXPECT_EQ(DefaultVectorColor(kShadow), IColor(60, 0, 0, 0));
  EXPECT_EQ(IColor(), kColorBlack);
  EXPECT_EQ(kDefaultStyle.colorSpec.GetColor(kExtra3), kColorBlue);
}

// An independent model of the transform: 3 x 3 matrices, product on the right.
struct Mat3
{
  double m[3][3];
  static Mat3 FromI(const IMatrix& i) { return {{{i.mXX, i.mXY, i.mTX}, {i.mYX, i.mYY, i.mTY}, {0, 0, 1}}}; }
  Mat3 operator*(const Mat3& o) const
  {
    Mat3 r{};
    for (int a = 0; a < 3; ++a)
      for (int b = 0; b < 3; ++b)
        for (int k = 0; k < 3; ++k)
          r.m[a][b] += m[a][k] * o.m[k][b];
    return r;
  }
};

TEST(Transforms, EachOperationMultipliesOnTheRight)
{
  const double pi = 3.1415927f;
  const double r = 30.0 / 180.0 * pi;
  const double t1 = std::tan(10.0 / 180.0 * pi), t2 = std::tan(20.0 / 180.0 * pi);
  const Mat3 translate{{{1, 0, 3}, {0, 1, -2}, {0, 0, 1}}};
  const Mat3 scale{{{3, 0, 0}, {0, 0.5, 0}, {0, 0, 1}}};
  const Mat3 rotate{{{std::cos(r), -std::sin(r), 0}, {std::sin(r), std::cos(r), 0}, {0, 0, 1}}};
  const Mat3 skew{{{1, t1, 0}, {t2, 1, 0}, {0, 0, 1}}}; // x skew 10, y skew 20
  const IMatrix other(1, 2, 3, 4, 5, 6);

  IMatrix m(0.5, -1, 2, 1.5, 7, 8);
  Mat3 want = Mat3::FromI(m);
  m.Translate(3, -2).Scale(3, 0.5f).Rotate(30).Skew(10, 20).Transform(other);
  want = want * translate * scale * rotate * skew * Mat3::FromI(other);
  const Mat3 got = Mat3::FromI(m);
  for (int a = 0; a < 2; ++a)
    for (int b = 0; b < 3; ++b)
      EXPECT_NEAR(got.m[a][b], want.m[a][b], 1e-6) << a << b;
}

TEST(Transforms, RotationTurnsClockwiseOnScreen)
{
  IMatrix m;
  m.Rotate(90);
  double x = 1, y = 0;
  m.TransformPoint(x, y);
  EXPECT_NEAR(x, 0.0, 1e-6);
  EXPECT_NEAR(y, 1.0, 1e-6);
}

TEST(Texts, ARotatedBoxIsAlignedInItsBounds)
{
  struct Case { EAlign h; EVAlign v; IRECT want; };
  const IRECT bounds(0, 0, 20, 30);
  const Case cases[] = {
    {kNear, kTop, IRECT(0, 0, 2, 10)},
    {kCenter, kMiddle, IRECT(9, 10, 11, 20)},
    {kFar, kBottom, IRECT(18, 20, 20, 30)},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.h * 3 + c.v);
    IText text(14.f, kColorBlack, nullptr, c.h, c.v, 90.f);
    IRECT box(0, 0, 10, 2);
    MeasureTextRotation(text, bounds, box);
    EXPECT_NEAR(box.W(), 2.f, 1e-5);
    EXPECT_NEAR(box.H(), 10.f, 1e-5);
    EXPECT_NEAR(box.L, c.want.L, 1e-5);
    EXPECT_NEAR(box.T, c.want.T, 1e-5);
  }
  IRECT flat(1, 2, 3, 4);
  MeasureTextRotation(IText(), bounds, flat);
  ExpectRect(flat, IRECT(1, 2, 3, 4));
}

TEST(Paints, PatternsKeepAtMostSixteenStopsAndBitmapsNeverDivideByZero)
{
  IPattern p(kLinearPattern);
  for (int i = 0; i < 20; ++i)
    p.AddStop(kColorRed, i / 20.f);
  EXPECT_EQ(p.NStops(), 16);
  EXPECT_EQ(IPattern(kColorBlue).NStops(), 1);
  EXPECT_EQ(IPattern(kColorBlue).mType, kSolidPattern);

  APIBitmap image(100, 40, 2.f, 1.f);
  const IBitmap strip(&image, 0, true, "strip.png");
  EXPECT_EQ(strip.W(), 50);
  EXPECT_EQ(strip.N(), 1) << "a frame count of 0 counts as 1";
  EXPECT_EQ(IBitmap(&image, 5, true).FW(), 10);
  EXPECT_EQ(IBitmap(&image, 5, false).FH(), 4);
  EXPECT_FALSE(IBitmap().IsValid());
  EXPECT_FLOAT_EQ(BlendWeight(nullptr), 1.f);
}

} // namespace
