// The loudness scope drawn from a history of our own, read back from the
// recording back-end as lines (colour and end points) and labels.
#include <cmath>
#include <limits>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "editor/ILoudnessScope.h"
#include "tests/editor/ProductEditorFixture.h"

namespace editortest {
namespace {

using namespace tolvane3;

struct Line
{
  IColor colour;
  float x1, y1, x2, y2;
};

struct Label
{
  std::string text;
  float x, y;
};

// What one draw of the scope put on screen.
struct Picture
{
  std::vector<Line> lines;
  std::vector<Label> labels;
  int bitmaps = 0;

  std::vector<Line> Coloured(const IColor& c) const
  {
    std::vector<Line> out;
    for (const Line& l : lines)
      if (l.colour == c)
        out.push_back(l);
    return out;
  }
  std::vector<Line> Horizontal(const IColor& c, float y) const
  {
    std::vector<Line> out;
    for (const Line& l : Coloured(c))
      if (l.y1 == y && l.y2 == y)
        out.push_back(l);
    return out;
  }
  const Label* Text(const std::string& t) const
  {
    for (const Label& l : labels)
      if (l.text == t)
        return &l;
    return nullptr;
  }
};

const IColor kWhite(255, 255, 255, 255), kDark(255, 63, 63, 63), kGrey(255, 127, 127, 127),
  kGreen(255, 0, 255, 0), kInput(255, 255, 127, 127), kRide(255, 255, 255, 127);

// The plot's level-to-pixel rule, worked out on its own: 330 pixels of
// plot, bottom at 552.
float ModelY(double v, double lo, double hi)
{
  return static_cast<float>(552 - static_cast<int>(330 * ((v - lo) / (hi - lo))));
}

class ScopeDrawing : public ProductEditorTest
{
protected:
  void SetUp() override
  {
    ProductEditorTest::SetUp();
    scope = dynamic_cast<ILoudnessScope*>(G().GetControl(39));
    ASSERT_NE(scope, nullptr);
    settings.history = &history;
    Apply();
  }
  void Apply()
  {
    scope->SetScopeSettings(settings);
    scope->SetScopeReferences(refs);
  }
  // n samples of each curve from the functions of the sample index.
  template <class F>
  void Fill(int n, F value)
  {
    history.Clear();
    for (int i = 0; i < n; ++i)
      history.Push(value(i, 0), value(i, 1), value(i, 2), value(i, 3));
  }
  Picture Draw()
  {
    G().calls.clear();
    scope->Draw(G());
    Picture p;
    float x = 0.f, y = 0.f, lx = 0.f, ly = 0.f;
    for (const gfxtest::GfxCall& c : G().calls)
    {
      if (c.name == "PathMoveTo")
        x = lx = c.editorPts[0], y = ly = c.editorPts[1];
      else if (c.name == "PathLineTo")
        lx = c.editorPts[0], ly = c.editorPts[1];
      else if (c.name == "PathStroke")
        p.lines.push_back({c.pattern.GetStop(0).mColor, x, y, lx, ly});
      else if (c.name == "DoDrawText")
        p.labels.push_back({c.text, c.editorPts[0], c.editorPts[1]});
      else if (c.name == "DrawBitmap")
        ++p.bitmaps;
    }
    return p;
  }

  ILoudnessScope* scope = nullptr;
  ScopeHistory history;
  ScopeSettings settings;
  ScopeReferences refs{50.0, 50.0, 50.0, 50.0, 50.0, 0}; // all outside the view
};

TEST_F(ScopeDrawing, DrawsNothingWithoutHistoryOrWithTheScreenOff)
{
  EXPECT_GT(Draw().bitmaps, 0);
  settings.screen = 0;
  Apply();
  EXPECT_TRUE(G().calls.empty() || Draw().lines.empty());
  EXPECT_EQ(Draw().bitmaps, 0);
  settings.screen = 1;
  settings.history = nullptr;
  Apply();
  const Picture p = Draw();
  EXPECT_EQ(p.bitmaps + p.lines.size() + p.labels.size(), 0u);
}

TEST_F(ScopeDrawing, TheDefaultViewHasItsGridLabelsAndZeroLine)
{
  const Picture p = Draw();
  std::set<float> dark, grey;
  for (const Line& l : p.Coloured(kDark))
    dark.insert(l.y1);
  for (const Line& l : p.Coloured(kGrey))
    grey.insert(l.y1);
  std::set<float> want3, want6;
  for (int d = -90; d <= 30; d += 3)
    (d % 6 == 0 ? want6 : want3).insert(ModelY(d, -90, 30));
  std::set<float> wantAll = want3;
  wantAll.insert(want6.begin(), want6.end());
  EXPECT_EQ(dark, wantAll);
  EXPECT_EQ(grey, want6);
  for (const Line& l : p.Coloured(kDark))
    EXPECT_TRUE(l.x1 == 162.f && l.x2 == 868.f);

  std::vector<std::string> left, seconds;
  for (const Label& l : p.labels)
    (l.x == 151.f ? left : seconds).push_back(l.text);
  EXPECT_EQ(left, (std::vector<std::string>{"-84", "-72", "-60", "-48", "-36", "-24", "-12", "12", "24", "0"}));
  EXPECT_EQ(seconds.front(), "0");
  EXPECT_EQ(seconds.back(), "70");
  ASSERT_EQ(p.Horizontal(kWhite, 305.f).size(), 1u);
  ASSERT_NE(p.Text("0"), nullptr);
  EXPECT_EQ(p.Text("0")->x, 151.f);
  EXPECT_EQ(p.Text("0")->y, 300.f);
}

TEST_F(ScopeDrawing, ReferenceLinesPairUpWithALabelOnTheRight)
{
  refs.targetLevelDb = -18.0;
  Apply();
  Picture p = Draw();
  EXPECT_EQ(p.Horizontal(kWhite, 354.f).size(), 1u);
  EXPECT_EQ(p.Horizontal(kGreen, 355.f).size(), 1u);
  const Label* label = p.Text("-18");
  ASSERT_NE(label, nullptr);
  EXPECT_EQ(label->x, 873.f);
  EXPECT_EQ(label->y, 349.f);

  // At the view's end, or the target in detection mode 2: nothing.
  struct Case
  {
    double target;
    int mode;
  };
  for (const Case c : {Case{30.0, 0}, Case{-90.0, 0}, Case{-18.0, 2}})
  {
    refs.targetLevelDb = c.target;
    refs.detectionMode = c.mode;
    Apply();
    p = Draw();
    EXPECT_TRUE(p.Coloured(kGreen).empty()) << c.target;
    EXPECT_EQ(p.Text("-18"), nullptr);
  }
}

TEST_F(ScopeDrawing, CurvesSpanThePlotAndKeepToItsEdges)
{
  settings.output = settings.gain = 0;
  Apply();
  // Input alternates far above and far below the view; ride is 1.
  Fill(706, [](int i, int curve) { return curve == 0 ? (i % 2 ? 100.0 : -200.0) : 1.0; });
  Picture p = Draw();
  const std::vector<Line> input = p.Coloured(kInput), ride = p.Coloured(kRide);
  ASSERT_EQ(input.size(), 705u);
  EXPECT_EQ(input.front().x1, 162.f);
  EXPECT_EQ(input.back().x2, 868.f);
  std::set<float> ys;
  for (const Line& l : input)
    ys.insert({l.y1, l.y2});
  EXPECT_EQ(ys, (std::set<float>{222.f, 552.f}));
  ASSERT_EQ(ride.size(), 705u);
  EXPECT_EQ(ride[0].y1, ModelY(10.0, -90, 30));

  // A history of one sample draws no curve.
  Fill(1, [](int, int) { return 0.0; });
  EXPECT_TRUE(Draw().Coloured(kInput).empty());
}

TEST_F(ScopeDrawing, OnlyFiniteValuesBecomePixels)
{
  const double nan = std::numeric_limits<double>::quiet_NaN(), inf = std::numeric_limits<double>::infinity();
  Fill(10, [&](int i, int curve) { return i == 4 ? nan : i == 7 ? -inf : -20.0; });
  const Picture p = Draw();
  // Of the nine segments, those touching samples 4 and 7 are left out.
  EXPECT_EQ(p.Coloured(kInput).size(), 5u);
  for (const Line& l : p.lines)
    EXPECT_TRUE(std::isfinite(l.x1) && std::isfinite(l.y1) && std::isfinite(l.x2) && std::isfinite(l.y2));
}

TEST_F(ScopeDrawing, ScaleAndOffsetChooseTheWindow)
{
  settings.yScale = 0.0;
  settings.yOffset = 1.0;
  Apply();
  EXPECT_DOUBLE_EQ(scope->LevelAxis().viewLow, 21.0);
  EXPECT_DOUBLE_EQ(scope->LevelAxis().viewHigh, 30.0);

  // One second of time with the default levels: a tick at each end, one
  // label.
  settings.yScale = 1.0;
  settings.xScale = 0.0;
  settings.xOffset = 0.0;
  Apply();
  const Picture p = Draw();
  std::vector<float> ticks;
  for (const Line& l : p.Coloured(kWhite))
    if (l.x1 == l.x2)
      ticks.push_back(l.x1);
  EXPECT_EQ(ticks, (std::vector<float>{162.f, 868.f}));
  int seconds = 0;
  for (const Label& l : p.labels)
    seconds += l.y == 305.f - 5.f - 11.f;
  EXPECT_EQ(seconds, 1);
}

TEST_F(ScopeDrawing, GridLinesAndLabelsLieOnTheLevelTheyName)
{
  // -12.3 .. -3.3 dB: the line and label "-12" belong where -12 dB is drawn.
  settings.yScale = 0.0;
  settings.yOffset = 0.7;
  refs.targetLevelDb = -12.0;
  Apply();
  const Picture p = Draw();
  const float y = p.Horizontal(kGreen, 542.f).empty() ? -1.f : 541.f; // the exact target line
  EXPECT_EQ(y, 541.f);
  EXPECT_EQ(p.Horizontal(kGrey, 541.f).size(), 1u);
  EXPECT_TRUE(p.Horizontal(kDark, 552.f).empty());
  const Label* label = p.Text("-12");
  ASSERT_NE(label, nullptr);
  EXPECT_EQ(label->y, 541.f - 5.f);
}

// Time ticks fall on whole seconds when the window starts between two. They
// are drawn on the 0 dB line, so the level window holds 0 dB.
TEST_F(ScopeDrawing, TimeTicksFallOnWholeSeconds)
{
  settings.yScale = 1.0;
  for (double xScale : {0.0, 0.3})
    for (double xOffset : {0.5, 0.37})
    {
      SCOPED_TRACE(testing::Message() << "scale " << xScale << ", offset " << xOffset);
      settings.xScale = xScale;
      settings.xOffset = xOffset;
      Apply();
      const double lo = scope->TimeAxis().viewLow, hi = scope->TimeAxis().viewHigh;
      ASSERT_LT(scope->LevelAxis().viewLow, 0.0);
      ASSERT_GT(scope->LevelAxis().viewHigh, 0.0);
      ASSERT_NE(std::fmod(lo, 1000.0), 0.0);
      std::vector<float> expected;
      for (double t = 1000.0 * std::ceil(lo / 1000.0); t <= hi; t += 1000.0)
        expected.push_back(static_cast<float>(162 + static_cast<int>(706 * (t - lo) / (hi - lo))));
      ASSERT_FALSE(expected.empty());
      std::vector<float> ticks;
      for (const Line& l : Draw().Coloured(kWhite))
        if (l.x1 == l.x2)
          ticks.push_back(l.x1);
      EXPECT_EQ(ticks, expected);
    }
}

} // namespace
} // namespace editortest
