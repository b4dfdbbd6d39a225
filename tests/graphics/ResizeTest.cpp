#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <limits>

#include "graphics/ICornerResizerControl.h"
#include "tests/graphics/EditorFixture.h"

namespace {

using namespace gfxtest;
using Size = std::pair<int, int>;

class Resize : public EditorTest
{
protected:
  void SetUp() override
  {
    EditorTest::SetUp();
    dlg.SetSizeConstraints(10, 2000, 10, 2000);
  }
  // Everything the delegate and the platform were told so far, forgotten.
  void Forget()
  {
    dlg.editorResizes.clear();
    g->platformResizes.clear();
    journal.clear();
  }
};

TEST_F(Resize, ScaleIsClampedToHalfAndTwiceTheInitialOne)
{
  struct Case { float asked, got; };
  for (const Case& c : {Case{3.f, 2.f}, Case{0.1f, 0.5f}, Case{1.25f, 1.25f},
         Case{std::numeric_limits<float>::quiet_NaN(), 1.25f}})
  {
    g->Resize(400, 300, c.asked);
    EXPECT_EQ(g->GetDrawScale(), c.got) << c.asked;
  }
}

TEST_F(Resize, NothingChangedMeansNothingHappens)
{
  ProbeControl* c = Probe("c", IRECT(0, 0, 100, 100));
  g->Capture(0, c);
  Forget();
  g->Resize(400, 300, 1.f);
  EXPECT_TRUE(g->ControlIsCaptured(c));
  EXPECT_TRUE(dlg.editorResizes.empty());
  EXPECT_EQ(g->drawResizes, 0);
}

TEST_F(Resize, ScaleChangeReleasesLaysOutAndDirtiesInOrder)
{
  ProbeControl* c = Probe("c", IRECT(0, 0, 100, 100));
  g->SetLayoutOnResize(true);
  dlg.resizeAnswer = false;
  dlg.SetLayoutFunc([this](IGfx*) {
    journal.push_back("layout after " + std::to_string(dlg.editorResizes.size()) + " " +
                      std::to_string(g->platformResizes.size()) + " " + std::to_string(g->drawResizes));
  });
  Settle();
  g->Capture(0, c);
  g->Resize(400, 300, 1.5f);
  EXPECT_FALSE(g->ControlIsCaptured(c));
  EXPECT_EQ(dlg.editorResizes, (std::vector<Size>{{600, 450}}));
  EXPECT_EQ(g->platformResizes, (std::vector<bool>{false}));
  EXPECT_EQ(journal, (Journal{"c OnResize", "layout after 1 1 1"}));
  EXPECT_TRUE(c->IsDirty());
}

// A probe that notes, when it is resized, how many window resizes the
// delegate, the platform and the back-end had been told of.
class Witness : public ProbeControl
{
public:
  Witness(Journal& journal, std::string name, const IRECT& r, std::function<std::string()> progress)
    : ProbeControl(journal, name, r), mJournal(journal), mProgress(std::move(progress))
  {
  }
  void OnResize() override { mJournal.push_back(Name() + " OnResize after " + mProgress()); }

private:
  Journal& mJournal;
  std::function<std::string()> mProgress;
};

TEST_F(Resize, DelegatePlatformEveryControlThenBackEndAndLayout)
{
  const auto progress = [this] {
    return std::to_string(dlg.editorResizes.size()) + " " + std::to_string(g->platformResizes.size()) + " " +
           std::to_string(g->drawResizes);
  };
  g->AttachControl(new Witness(journal, "a", IRECT(0, 0, 100, 100), progress));
  g->AttachControl(new Witness(journal, "b", IRECT(100, 0, 200, 100), progress));
  g->SetLayoutOnResize(true);
  dlg.resizeAnswer = false; // the platform hears the delegate's answer
  dlg.SetLayoutFunc([&](IGfx*) { journal.push_back("layout after " + progress()); });
  struct Case { const char* name; int w, h; float scale; };
  const Case cases[] = {{"scale", 400, 300, 1.5f}, {"size", 500, 350, 1.5f}, {"both", 450, 320, 1.f}};
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.name);
    Forget();
    const int drawn = g->drawResizes;
    g->Resize(c.w, c.h, c.scale);
    const std::string before = "1 1 " + std::to_string(drawn);
    const std::string after = "1 1 " + std::to_string(drawn + 1);
    EXPECT_EQ(journal, (Journal{"a OnResize after " + before, "b OnResize after " + before, "layout after " + after}));
    EXPECT_EQ(g->platformResizes, (std::vector<bool>{false}));
  }
}

TEST_F(Resize, WindowPixelsAndLimits)
{
  g->Resize(1008, 584, 1.5f);
  EXPECT_EQ(dlg.editorResizes.back(), Size(1512, 876));
  dlg.SetSizeConstraints(100, 800, 100, 800);
  // Limits on the points: the size is clamped as given.
  g->Resize(900, 300, 1.5f);
  EXPECT_EQ(Size(g->Width(), g->Height()), Size(800, 300));
  // Limits on the window's pixels: 700 x 1.5 = 1050 pixels, at most 800.
  g->Resize(700, 300, 1.5f, true, false);
  EXPECT_EQ(Size(g->Width(), g->Height()), Size(533, 300));
}

TEST_F(Resize, CornerDragFollowsThePointerInEitherMode)
{
  // Scale mode: relative to the press, the nearer axis wins.
  g->OnMouseDown(MouseAction().Press(400.f, 300.f));
  g->StartResizeGesture();
  g->OnMouseDrag(MouseAction().Drag(600.f, 600.f));
  EXPECT_FLOAT_EQ(g->GetDrawScale(), 1.5f);
  g->OnMouseUp(MouseAction().Release(600.f, 600.f));
  EXPECT_FALSE(g->IsResizing());

  g->AttachCornerResizer(new ICornerResizerControl(g->GetBounds(), 20.f), kResizeModeSize);
  g->StartResizeGesture();
  g->OnMouseDrag(MouseAction().Drag(50.7f, 80.2f));
  EXPECT_EQ(Size(g->Width(), g->Height()), Size(50, 80));
}

TEST_F(Resize, ScaleDragWithoutAPressIsNoStep)
{
  g->StartResizeGesture();
  g->OnMouseDrag(MouseAction().Drag(600.f, 600.f));
  EXPECT_EQ(g->GetDrawScale(), 1.f);
  EXPECT_TRUE(dlg.editorResizes.empty());
}

TEST_F(Resize, ScreenScaleDoublesPixelsOnly)
{
  Probe("c", IRECT(0, 0, 100, 100));
  g->Resize(400, 300, 1.5f);
  Forget();
  g->SetScreenScale(2.f);
  EXPECT_EQ(Size(g->Width(), g->Height()), Size(400, 300));
  EXPECT_EQ(g->GetDrawScale(), 1.5f);
  EXPECT_EQ(g->GetTotalScale(), 3.f);
  EXPECT_EQ(journal, (Journal{"c OnRescale"}));
  EXPECT_EQ(dlg.editorResizes, (std::vector<Size>{{600, 450}}));

  // A scale the pixel alignment cannot divide by is ignored.
  Forget();
  for (float bad : {0.f, -1.f, std::numeric_limits<float>::infinity(), std::numeric_limits<float>::quiet_NaN()})
    g->SetScreenScale(bad);
  EXPECT_EQ(g->GetScreenScale(), 2.f);
  EXPECT_TRUE(dlg.editorResizes.empty());
}

} // namespace
