// The AppKit and CoreGraphics stand-ins behave as the platform does where
// the editor relies on it: event routing, coordinates, timers, autorelease
// pools, URLs and the window's picture.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "AppKit/AppKit.h"
#include "CoreGraphics/CGDisplay.h"
#include "QuartzCore/CAMetalLayer.h"
#include "StandIn/AppKitEvents.h"
#include "StandIn/CFObjects.h"
#include "StandIn/Hooks.h"
#include "StandIn/WindowSnapshot.h"
#include "tests/support/ManualClock.h"

namespace {

// A view that journals what reaches it as "<name> <event> x y" (its own
// coordinates).
class JournalView : public NSView
{
public:
  JournalView(std::vector<std::string>& log, std::string name, NSRect frame, bool flipped)
    : NSView(frame), mLog(log), mName(std::move(name)), mFlipped(flipped)
  {
  }
  bool isFlipped() const override { return mFlipped; }
  bool acceptsFirstResponder() override { return mAccepts; }
  void mouseDown(NSEvent* e) override { Note("down", e); }
  void mouseDragged(NSEvent* e) override { Note("drag", e); }
  void mouseUp(NSEvent* e) override { Note("up", e); }
  void mouseEntered(NSEvent* e) override { Note("entered", e); }
  void mouseExited(NSEvent* e) override { Note("exited", e); }
  void scrollWheel(NSEvent* e) override { Note("wheel", e); }
  void keyDown(NSEvent* e) override
  {
    mLog.push_back(mName + " key " + e->characters);
    if (mPassKeys)
      NSView::keyDown(e);
  }
  bool performAction(const std::string& selector, NSObject*) override
  {
    mLog.push_back(mName + " " + selector);
    return true;
  }
  bool mAccepts = false;
  bool mPassKeys = false;

private:
  void Note(const char* what, NSEvent* e)
  {
    const NSPoint p = convertPointFromView(e->locationInWindow, nullptr);
    mLog.push_back(mName + " " + what + " " + std::to_string(int(p.x)) + " " + std::to_string(int(p.y)));
  }
  std::vector<std::string>& mLog;
  std::string mName;
  bool mFlipped;
};

class AppKitTest : public testsupport::ManualClockTest
{
protected:
  void SetUp() override
  {
    ManualClockTest::SetUp();
    live = standin::LiveObjectCount();
    window = new NSWindow(NSMakeRect(50, 60, 200, 100));
    // outer: unflipped at (20, 10) 120 x 80; inner: flipped at its top-left
    // corner (10, 10 from the top) 40 x 30.
    outer = new JournalView(log, "outer", NSMakeRect(20, 10, 120, 80), false);
    inner = new JournalView(log, "inner", NSMakeRect(10, 40, 40, 30), true);
    window->contentView()->addSubview(outer);
    outer->addSubview(inner);
    outer->release();
    inner->release();
  }
  void TearDown() override
  {
    window->release();
    EXPECT_EQ(live, standin::LiveObjectCount());
    ManualClockTest::TearDown();
  }
  void Send(NSEventType type, double x, double y)
  {
    window->sendEvent(standin::MouseEvent(type, NSPoint{x, y}).get());
  }

  std::vector<std::string> log;
  NSWindow* window = nullptr;
  JournalView* outer = nullptr;
  JournalView* inner = nullptr;
  long live = 0;
};

TEST_F(AppKitTest, MouseEventsGoToTheDeepestViewAndStayWithItUntilTheUp)
{
  inner->addTrackingArea(new NSTrackingArea(inner->bounds(), NSTrackingMouseEnteredAndExited, inner));
  inner->trackingAreas()[0]->release();
  Send(NSEventTypeLeftMouseDown, 35, 60); // inner's (5, 20 from its top)
  Send(NSEventTypeLeftMouseDragged, 100, 30); // over outer only, still inner's
  Send(NSEventTypeLeftMouseUp, 100, 30);
  Send(NSEventTypeLeftMouseDown, 100, 30);
  window->sendEvent(standin::WheelEvent(NSPoint{40, 65}, 2).get());
  const std::vector<std::string> want = {"inner entered 5 20", "inner down 5 20", "inner drag 70 50",
    "inner up 70 50", "inner exited 70 50", "outer down 80 20", "inner wheel 10 15"};
  EXPECT_EQ(want, log);
  EXPECT_EQ(50 + 40.0, NSEventMouseLocation().x); // the wheel moved it last
}

TEST_F(AppKitTest, TrackingAreasEnabledDuringDragsReportLeavingWhileAButtonIsDown)
{
  for (unsigned long options : {NSTrackingMouseEnteredAndExited | NSTrackingEnabledDuringMouseDrag,
         NSTrackingMouseEnteredAndExited + 0ul})
  {
    log.clear();
    auto* area = new NSTrackingArea(inner->bounds(), options, inner);
    inner->addTrackingArea(area);
    Send(NSEventTypeLeftMouseDown, 35, 60);
    Send(NSEventTypeLeftMouseDragged, 100, 30);
    const bool reported = std::find(log.begin(), log.end(), "inner exited 70 50") != log.end();
    EXPECT_EQ((options & NSTrackingEnabledDuringMouseDrag) != 0, reported);
    Send(NSEventTypeLeftMouseUp, 100, 30);
    inner->removeTrackingArea(area);
    area->release();
  }
}

TEST_F(AppKitTest, KeysWalkTheResponderChainFromTheFirstResponder)
{
  inner->mAccepts = true;
  inner->mPassKeys = true;
  ASSERT_TRUE(window->makeFirstResponder(inner));
  window->sendEvent(standin::KeyEvent(NSEventTypeKeyDown, 0, "a").get());
  EXPECT_EQ((std::vector<std::string>{"inner key a", "outer key a"}), log);
  outer->mAccepts = false;
  EXPECT_FALSE(window->makeFirstResponder(outer));
  EXPECT_EQ(nullptr, window->firstResponder());
}

TEST_F(AppKitTest, ConversionsBetweenFlippedViewsWindowAndScreen)
{
  struct Case
  {
    NSPoint inWindow;
    const NSView* view;
    NSPoint want;
  };
  const Case cases[] = {
    {{20, 10}, outer, {0, 0}},
    {{30, 90}, outer, {10, 80}},
    {{30, 80}, inner, {0, 0}},
    {{70, 50}, inner, {40, 30}},
  };
  for (const Case& c : cases)
  {
    const NSPoint p = c.view->convertPointFromView(c.inWindow, nullptr);
    EXPECT_EQ(c.want.x, p.x);
    EXPECT_EQ(c.want.y, p.y);
    const NSPoint back = c.view->convertPointToView(p, nullptr);
    EXPECT_EQ(c.inWindow.x, back.x);
    EXPECT_EQ(c.inWindow.y, back.y);
  }
  const NSPoint screen = window->convertRectToScreen(NSPoint{1, 2});
  EXPECT_EQ(51.0, screen.x);
  EXPECT_EQ(62.0, screen.y);
}

TEST_F(AppKitTest, RepeatingTimersRetainTheirTargetUntilInvalidated)
{
  const long before = CFGetRetainCount(outer);
  NSTimer* timer = NSTimer::newScheduledTimer(0.1, outer, "onTimer:", true);
  EXPECT_EQ(before + 1, CFGetRetainCount(outer));
  standin::RunMainLoopFor(0.35);
  EXPECT_EQ(3u, log.size());
  EXPECT_EQ("outer onTimer:", log[0]);
  timer->invalidate();
  EXPECT_EQ(before, CFGetRetainCount(outer));
  standin::RunMainLoopFor(0.3);
  EXPECT_EQ(3u, log.size());
  timer->release();
}

TEST_F(AppKitTest, AutoreleasedObjectsGoWhenTheirPoolDrains)
{
  NSObject* kept = nullptr;
  {
    NSAutoreleasePool outerPool;
    kept = new NSView;
    kept->autorelease();
    {
      NSAutoreleasePool innerPool;
      (new NSView)->autorelease();
      EXPECT_EQ(live + 6, standin::LiveObjectCount()); // window, content, outer, inner, two views
    }
    EXPECT_EQ(live + 5, standin::LiveObjectCount());
    EXPECT_EQ(1, CFGetRetainCount(kept));
  }
  EXPECT_EQ(live + 4, standin::LiveObjectCount());
}

TEST_F(AppKitTest, URLsFromTextAndPaths)
{
  struct Case
  {
    const char* text;
    bool file;       // made as a file URL
    const char* want; // absolute string, "" for none
  };
  const Case cases[] = {
    {"https://example.org/a b", false, ""},
    {"https://example.org/x", false, "https://example.org/x"},
    {"no scheme", false, ""},
    {"~/Desktop", true, "file://~/Desktop"},
    {"", true, ""},
  };
  for (const Case& c : cases)
  {
    NSURL* url = c.file ? NSURL::newFileURLWithPath(c.text) : NSURL::newURLWithString(c.text);
    EXPECT_EQ(c.want, url ? url->absoluteString() : "") << c.text;
    if (url)
      url->release();
  }
}

TEST_F(AppKitTest, SnapshotsShowEachLayerAtItsFrame)
{
  auto layer = MakeStrong<CAMetalLayer>();
  layer->setDevice(MTLCreateSystemDefaultDevice().get());
  layer->setPixelFormat(MTLPixelFormatRGBA8Unorm);
  layer->setDrawableSize(40, 30);
  Strong<CAMetalDrawable> drawable = layer->nextDrawable();
  ASSERT_TRUE(drawable);
  std::vector<uint8_t> red(40 * 30 * 4);
  for (size_t i = 0; i < red.size(); i += 4)
    red[i] = red[i + 3] = 255;
  drawable->texture()->replaceRegion(MTLRegionMake2D(0, 0, 40, 30), 0, red.data(), 40 * 4);
  drawable->present();
  inner->setLayer(layer.get());

  const standin::WindowImage image = standin::SnapshotWindow(*window);
  ASSERT_EQ(200, image.width);
  auto pixel = [&](int x, int y) { return image.rgba[(size_t(y) * 200 + size_t(x)) * 4]; };
  EXPECT_EQ(255, pixel(30, 20));  // inner's top-left corner, from the window's top
  EXPECT_EQ(255, pixel(69, 49));
  EXPECT_EQ(0, pixel(70, 50));
  EXPECT_EQ(0, pixel(29, 19));
}

} // namespace
