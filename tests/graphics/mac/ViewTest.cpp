// The editor view: events as the window delivers them, keys, cursors, the
// redraw timer, backing changes, tool tips and drops.
#include "tests/graphics/mac/MacEditorFixture.h"

#include "QuartzCore/CAMetalLayer.h"
#include "graphics/controls/IPopupMenuControl.h"

namespace mactest {
namespace {

class ViewTest : public MacEditorTest
{
protected:
  void OpenWithRecorder(float drawScale = 1.f)
  {
    Open(drawScale, [this](IGfx& g) { g.AttachControl(new MouseRecorder(mLog, IRECT(40, 40, 140, 140))); });
  }
  std::vector<std::string> mLog;
};

TEST_F(ViewTest, ClicksDragsAndLeavingWhileDragging)
{
  OpenWithRecorder();
  Mouse(NSEventTypeLeftMouseDown, 50, 50, 0, 3);
  Mouse(NSEventTypeLeftMouseDragged, 55, 48);
  Mouse(NSEventTypeLeftMouseDragged, 500, 48); // leaves the view, still captured
  Mouse(NSEventTypeLeftMouseUp, 500, 48);
  Mouse(NSEventTypeLeftMouseDown, 60, 60, 0, 2);
  Mouse(NSEventTypeLeftMouseDown, 70, 70, NSEventModifierFlagCommand | NSEventModifierFlagShift);
  const std::vector<std::string> want = {
    "down 50 50 0 0 L", "drag 55 48 5 -2 L", "drag 500 48 445 0 L", "up 500 48 0 0", "out",
    "dblclick 60 60 0 0 L", "down 70 70 0 0 L R S"};
  EXPECT_EQ(want, mLog);
}

TEST_F(ViewTest, HiddenLockedCursorReportsMotionFromTheHidingPoint)
{
  OpenWithRecorder();
  Mouse(NSEventTypeLeftMouseDown, 50, 50);
  Gfx().HideMouseCursor(true, true);
  mLog.clear();
  Mouse(NSEventTypeLeftMouseDragged, 53, 54);
  Mouse(NSEventTypeLeftMouseDragged, 58, 52);
  EXPECT_EQ((std::vector<std::string>{"drag 53 54 3 4 L", "drag 58 52 8 2 L"}), mLog);
  const NSPoint cursor = NSEventMouseLocation();
  EXPECT_EQ(kWindowX + 50, cursor.x);
}

TEST_F(ViewTest, KeyEventsBecomeKeyRecords)
{
  struct Case
  {
    unsigned short keyCode;
    const char* chars;
    uint64_t mods;
    int32_t vk;
    const char* utf8;
    bool shift;
  };
  constexpr uint64_t kShift = NSEventModifierFlagShift;
  const Case cases[] = {
    {0, "a", 0, 65, "a", false},
    {0, "A", kShift, 65, "A", true},
    {41, ";", kShift, 0, ";", false},
    {76, "\x03", 0, 0x800D, "\x03", false},
    {122, "\xEF\x9C\x84", 0, 112, "\xEF\x9C\x84", false}, // F1 by key code
    {200, "\xEF\x9C\x84", 0, 112, "\xEF\x9C\x84", false}, // F1 by its character
    {63, "", 0, 1087, "", false},
    {48, "\x19", kShift, 9, "\x19", true}, // Shift+Tab
    {36, "\r", 0, 13, "\r", false},
    {51, "\x7f", 0, 8, "\x7f", false},
    {123, "\xEF\x9C\x82", 0, 37, "\xEF\x9C\x82", false},
    {18, "1", 0, '1', "1", false},
    {14, "\xC3\xA9", 0, 0xC9, "\xC3\xA9", false}, // é: a letter beyond ASCII, upper-cased only in ASCII
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.keyCode);
    const IKeyPress k = TranslateKeyEvent(c.keyCode, c.chars, c.mods);
    if (c.keyCode != 14) // the wide class of é depends on the locale
    {
      EXPECT_EQ(c.vk, k.VK);
    }
    EXPECT_STREQ(c.utf8, k.utf8);
    EXPECT_EQ(c.shift, k.S);
  }
  const IKeyPress cmd = TranslateKeyEvent(0, "a", NSEventModifierFlagCommand | NSEventModifierFlagOption);
  EXPECT_TRUE(cmd.C && cmd.A);
}

TEST_F(ViewTest, UnhandledKeysGoOnToTheNextResponder)
{
  struct Catcher : NSView
  {
    int keys = 0;
    void keyDown(NSEvent*) override { ++keys; }
  };
  Open();
  auto* host = new Catcher;
  mView->setNextResponder(host);
  mWindow->makeFirstResponder(mView);
  Key(0, "a");
  EXPECT_EQ(1, host->keys);
  mView->setNextResponder(nullptr);
  host->release();
}

TEST_F(ViewTest, CursorKindsAndTheMoveCursorBuiltOnce)
{
  Open();
  struct Case
  {
    ECursor kind;
    const char* plain;   // without private cursors
    const char* private_; // with them
  };
  const Case cases[] = {
    {kArrowCursor, "arrow", "arrow"},
    {kIBeamCursor, "IBeam", "IBeam"},
    {kWaitCursor, "arrow", "busyButClickableCursor"},
    {kUpArrowCursor, "resizeUp", "_windowResizeNorthCursor"},
    {kSizeNWSECursor, "arrow", "_windowResizeNorthWestSouthEastCursor"},
    {kSizeWECursor, "resizeLeftRight", "_windowResizeEastWestCursor"},
    {kSizeNSCursor, "resizeUpDown", "_windowResizeNorthSouthCursor"},
    {kNoCursor, "operationNotAllowed", "operationNotAllowed"},
    {kHandCursor, "pointingHand", "pointingHand"},
    {kHelpCursor, "arrow", "_helpCursor"},
  };
  for (bool privates : {false, true})
  {
    standin::SetAvailableCursorSelectors(privates ? std::vector<std::string>{"busyButClickableCursor",
      "_windowResizeNorthCursor", "_windowResizeNorthWestSouthEastCursor", "_windowResizeEastWestCursor",
      "_windowResizeNorthSouthCursor", "_helpCursor"} : std::vector<std::string>{});
    for (const Case& c : cases)
    {
      Gfx().SetMouseCursor(c.kind);
      EXPECT_EQ(privates ? c.private_ : c.plain, standin::CurrentCursorName()) << c.kind;
    }
  }
  standin::ForgetPDFs();
  Gfx().SetMouseCursor(kSizeAllCursor);
  Gfx().SetMouseCursor(kSizeAllCursor);
  EXPECT_EQ(1, standin::PDFReadCount());
  EXPECT_EQ("arrow", standin::CurrentCursorName()); // no cursor files here
}

TEST_F(ViewTest, TimerPresentsDirtyFramesOnlyAndBackingChangesDoubleTheDrawable)
{
  OpenWithRecorder();
  CAMetalLayer* layer = mView->layer();
  Tick();
  EXPECT_EQ(1, layer->presentCount());
  Tick();
  EXPECT_EQ(1, layer->presentCount()); // a quiet tick draws nothing
  EXPECT_EQ(400.0, layer->drawableWidth());

  mWindow->setBackingScaleFactor(2.0);
  EXPECT_EQ(2.f, Gfx().GetScreenScale());
  EXPECT_EQ(800.0, layer->drawableWidth());
  EXPECT_EQ(600.0, layer->drawableHeight());
  Tick();
  int w = 0, h = 0;
  layer->lastPresentedImage(&w, &h);
  EXPECT_EQ(800, w);
  EXPECT_EQ(600, h);
}

TEST_F(ViewTest, WindowFocusLossAndTabletInput)
{
  OpenWithRecorder();
  Mouse(NSEventTypeLeftMouseDown, 50, 50);
  EXPECT_TRUE(Gfx().HasMouseCapture());
  mWindow->resignKeyWindow(); // the press can no longer end here
  EXPECT_FALSE(Gfx().HasMouseCapture());

  standin::ClearCursorCalls();
  mWindow->sendEvent([&] {
    auto e = standin::MouseEvent(NSEventTypeMouseMoved, At(10, 10));
    e->subtype = NSEventSubtypeTabletPoint;
    return e;
  }().get());
  EXPECT_TRUE(Gfx().IsTabletInput());
  Gfx().MoveMouseCursor(5, 5);
  EXPECT_TRUE(standin::CursorCalls().empty());
  Mouse(NSEventTypeMouseMoved, 10, 10);
  Gfx().MoveMouseCursor(5, 5);
  // Editor (5, 5) is window (5, 295), screen (105, 495): 1080 - 495 from the top.
  EXPECT_EQ((std::vector<std::string>{"associate 0", "move 105 585", "associate 1"}), standin::CursorCalls());
}

TEST_F(ViewTest, ToolTipsForVisibleControlsOnly)
{
  Open(2.f, [this](IGfx& g) {
    g.AttachControl(new MouseRecorder(mLog, IRECT(10, 10, 20, 20)));
    g.AttachControl(new MouseRecorder(mLog, IRECT(30, 30, 40, 40)))->Hide(true);
    g.AttachControl(new MouseRecorder(mLog, IRECT()));
  });
  Gfx().UpdateTooltips();
  ASSERT_EQ(1u, mView->toolTipRects().size());
  EXPECT_EQ(NSMakeRect(20, 20, 20, 20), mView->toolTipRects()[0]);

  // An open drawn menu covers the controls: no tool tip shows through it.
  Gfx().AttachPopupMenuControl(new IPopupMenuControl);
  IPopupMenu menu;
  menu.AddItem("One");
  ASSERT_TRUE(Gfx().GetPopupMenuControl()->CreatePopupMenu(menu, IRECT(10, 10, 20, 20)));
  Gfx().UpdateTooltips();
  EXPECT_TRUE(mView->toolTipRects().empty());
}

TEST_F(ViewTest, DroppedFileNamesReachTheControlUnderThePoint)
{
  Open(2.f, [this](IGfx& g) { g.AttachControl(new MouseRecorder(mLog, IRECT(40, 40, 140, 140))); });
  NSDraggingInfo drag;
  drag.types = {NSFilenamesPboardType};
  drag.fileNames = {"/tmp/a.wav", "/tmp/b.wav"};
  drag.draggingLocation = At(2 * 100, 2 * 100);
  EXPECT_EQ(NSDragOperationGeneric, mView->draggingEntered(drag));
  EXPECT_TRUE(mWindow->performDrop(drag));
  drag.draggingLocation = At(2 * 150, 2 * 150); // outside the control
  EXPECT_TRUE(mWindow->performDrop(drag));
  EXPECT_EQ(std::vector<std::string>{"drop /tmp/a.wav"}, mLog);
  NSDraggingInfo text;
  text.types = {NSPasteboardTypeString};
  EXPECT_EQ(NSDragOperationNone, mView->draggingEntered(text));
}

} // namespace
} // namespace mactest
