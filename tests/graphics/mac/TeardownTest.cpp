// Every road by which an open editor is taken down: each context deleted
// once, no view used after it is gone, no platform object left behind.
#include "tests/graphics/mac/MacEditorFixture.h"

namespace mactest {
namespace {

class TeardownTest : public MacEditorTest
{
protected:
  void ExpectCleanEnd(int contexts = 1)
  {
    Close();
    standin::DrainOutermostPool();
    standin::ResetMainLoop();
    EXPECT_EQ(contexts, CountedGfxMac::deletions);
    EXPECT_EQ(0, standin::OverReleaseCount());
    EXPECT_EQ(mLiveBefore, standin::LiveObjectCount());
  }
  void SetUp() override
  {
    MacEditorTest::SetUp();
    standin::ResetOverReleaseCount();
  }
};

// (a) The host removes the view: the close comes back through the view
// while its own removal runs.
TEST_F(TeardownTest, HostRemovingTheView)
{
  Open();
  Tick();
  mView->removeFromSuperview();
  EXPECT_EQ(nullptr, mDelegate->GetGraphicsContext());
  mView = nullptr;
  ExpectCleanEnd();
}

// (b) The plug-in goes while its editor is open.
TEST_F(TeardownTest, DestroyingThePluginWithTheEditorOpen)
{
  Open();
  Tick();
  mView = nullptr;
  mDelegate.reset();
  ExpectCleanEnd();
}

// (c) Opening again while a window is open closes the old view first.
TEST_F(TeardownTest, ReopeningTheContextThatIsOpen)
{
  Open();
  IGfx& g = Gfx();
  mView = static_cast<IGfxView_vTolvane3_au*>(g.OpenWindow(mWindow->contentView()));
  EXPECT_EQ(&g, mDelegate->GetGraphicsContext());
  EXPECT_EQ(0, CountedGfxMac::deletions);
  Tick();
  ExpectCleanEnd();
}

// (d) The host keeps the view and removes it after the editor closed.
TEST_F(TeardownTest, HostRemovingAViewWhoseContextIsGone)
{
  Open();
  mView->retain();
  mView->removeFromSuperview();
  mDelegate->OpenWindow(mWindow->contentView()); // a second context, left open
  IGfxView_vTolvane3_au* stale = mView;
  mView = static_cast<IGfxView_vTolvane3_au*>(mDelegate->GetGraphicsContext()->GetWindow());
  mWindow->contentView()->addSubview(stale);
  stale->removeFromSuperview(); // must not reach the second context
  EXPECT_NE(nullptr, mDelegate->GetGraphicsContext());
  stale->release();
  ExpectCleanEnd(2);
}

} // namespace
} // namespace mactest
