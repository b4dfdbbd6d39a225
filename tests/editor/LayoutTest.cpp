// The editor window as the layout builds it: size and scale, the control
// list, positions, tool tips, the stored indices and the layout's guards.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "editor/EditorLayout.h"
#include "editor/ILoudnessScope.h"
#include "graphics/ICornerResizerControl.h"
#include "graphics/controls/IPopupMenuControl.h"
#include "graphics/controls/ITextEntryControl.h"
#include "tests/editor/ProductEditorFixture.h"

namespace editortest {
namespace {

using namespace tolvane3;

void ExpectRect(const IRECT& r, float l, float t, float rr, float b)
{
  EXPECT_EQ(r.L, l);
  EXPECT_EQ(r.T, t);
  EXPECT_EQ(r.R, rr);
  EXPECT_EQ(r.B, b);
}

class EditorAtScale : public ProductEditorTest
{
  void SetUp() override
  {
    openingGUIScale = 1.5;
    ProductEditorTest::SetUp();
  }
};

TEST_F(EditorAtScale, OpensAtTheGUIScaleWithFortyControlsAndTheSpecialOnes)
{
  EXPECT_EQ(G().Width(), 1008);
  EXPECT_EQ(G().Height(), 584);
  EXPECT_EQ(madeWith.scale, 1.5f);
  EXPECT_EQ(G().GetDrawScale(), 1.5f);
  EXPECT_EQ(madeWith.fps, 60);
  EXPECT_STREQ(G().GetSharedResourcesSubPath(), "Tolvane3");
  EXPECT_EQ(G().NControls(), 40);
  EXPECT_NE(G().GetTextEntryControl(), nullptr);
  EXPECT_NE(G().GetPopupMenuControl(), nullptr);
  ASSERT_NE(G().GetCornerResizer(), nullptr);
  EXPECT_EQ(G().GetMinScale(), 0.5f);
  EXPECT_EQ(G().GetMaxScale(), 3.0f);
  EXPECT_TRUE(Plug().IsLayoutDone());
}

TEST_F(ProductEditorTest, ControlsSitWhereTheWindowPutsThem)
{
  ExpectRect(G().GetControl(9)->GetRECT(), 727, 33, 759, 65);
  ExpectRect(G().GetControl(11)->GetRECT(), 853, 33, 949, 65);
  ExpectRect(G().GetControl(39)->GetRECT(), 142, 217, 888, 557);
  ExpectRect(static_cast<ILoudnessScope*>(G().GetControl(39))->PlotRect(), 162, 222, 868, 552);
  ExpectRect(G().GetCornerResizer()->GetRECT(), 992, 568, 1008, 584);
  ExpectRect(G().GetControl(13)->GetRECT(), 80, 107, 140, 167);
  EXPECT_EQ(G().GetControlWithTag(1), G().GetControl(7));

  // Nothing visible overlaps anything else (the background aside), and all
  // lies inside the window.
  const IRECT window = G().GetBounds();
  for (int i = 7; i < G().NControls(); ++i)
  {
    const IControl* a = G().GetControl(i);
    EXPECT_TRUE(window.ContainsRect(a->GetRECT())) << i;
    for (int j = i + 1; j < G().NControls(); ++j)
    {
      const IControl* b = G().GetControl(j);
      if (a->IsHidden() || b->IsHidden())
        continue;
      EXPECT_TRUE(a->GetRECT().Intersect(b->GetRECT()).Empty()) << i << " and " << j;
    }
  }
  for (int i = 0; i < 6; ++i)
    EXPECT_TRUE(G().GetControl(i)->GetRECT().Empty()) << i;
}

TEST_F(ProductEditorTest, ToolTipsReadExactlyAsWritten)
{
  const std::vector<std::string> want = {"", "", "", "", "", "", "", "Plugin info and options",
    "Click to check for updates", "AB", "DAW sync", "Automation", "Filter mode", "Low cut", "High cut",
    "Detecion mode", "Target level", "Sensitivity", "Pre-delay", "Pre-delay", "Noise level", "Range min",
    "Range max", "Idle gain", "Volume", "Gain hold", "Enable noise detection", "Noise detection timing",
    "ScopeX scale", "ScopeX offset", "ScopeY scale", "ScopeY offset", "Scope input", "Scope output", "Scope gain",
    "Scope ride", "Scope pause", "Scope reset", "Scope screen", ""};
  std::vector<std::string> got;
  for (int i = 0; i < G().NControls(); ++i)
    got.emplace_back(G().GetControl(i)->GetTooltip());
  EXPECT_EQ(got, want);
}

TEST_F(ProductEditorTest, StoresTheIndicesThePlugInTouchesLater)
{
  EXPECT_EQ(Plug().UpdateIconControlIndex, 8);
  EXPECT_EQ(Plug().PreDelayControlIndex, 18);
  EXPECT_EQ(Plug().PreDelayV1ControlIndex, 19);
  EXPECT_EQ(Plug().ScopeControlIndex, 39);
  EXPECT_EQ(G().GetControlParamIdx(18), kPreDelay);
  EXPECT_EQ(G().GetControlParamIdx(19), kPreDelay1);
}

TEST_F(ProductEditorTest, ASecondLayoutChangesNothing)
{
  std::vector<IControl*> before;
  for (int i = 0; i < G().NControls(); ++i)
    before.push_back(G().GetControl(i));
  G().Resize(1008, 584, 2.f); // lays out again
  LayoutPlugControls(Plug(), G());
  ASSERT_EQ(G().NControls(), static_cast<int>(before.size()));
  for (int i = 0; i < G().NControls(); ++i)
    EXPECT_EQ(G().GetControl(i), before[static_cast<size_t>(i)]);
  EXPECT_EQ(G().GetDrawScale(), 2.f);
}

TEST_F(ProductEditorTest, AContextThatCannotDrawGetsNoControlAndThePlugInNoEditor)
{
  ProductGfx blind(Plug(), madeWith);
  blind.script.contextReady = false;
  EXPECT_TRUE(Plug().HasUI());
  LayoutPlugControls(Plug(), blind);
  EXPECT_EQ(blind.NControls(), 0);
  EXPECT_EQ(blind.GetPopupMenuControl(), nullptr);
  EXPECT_FALSE(Plug().HasUI());
}

TEST_F(ProductEditorTest, ThePreDelayKnobFollowsTheEngine)
{
  EXPECT_STREQ(At(485, 107)->GetParam()->GetName(), "Pre-Delay");
  mUnit->FromEditor(kV1ClassicMeterMode, 1.0);
  Plug().SyncEditor();
  EXPECT_STREQ(At(485, 107)->GetParam()->GetName(), "PreDelay1");
}

} // namespace
} // namespace editortest
