// Frames in flight on the GPU's own thread: the renderer never has more
// than its buffer sets in flight, and whoever needs a frame's result waits
// for that frame.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "MetalCanvas.h"

namespace {

void Square(NVGcontext* vg)
{
  nvgBeginPath(vg);
  nvgRect(vg, 4, 4, 16, 16);
  nvgFillColor(vg, nvgRGBAf(1, 1, 1, 1));
  nvgFill(vg);
}

// Runs `work` on a thread, checks that it is still blocked while the GPU's
// gate is closed, then opens the gate and waits for it.
void ExpectBlockedUntilGateOpens(const std::function<void()>& work)
{
  std::atomic<bool> done{false};
  std::thread t([&] {
    work();
    done = true;
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_FALSE(done) << "finished although the GPU has not run";
  standin::SetGpuGateOpen(true);
  t.join();
  EXPECT_TRUE(done);
}

class MetalFramePacingTest : public MetalTest
{
protected:
  void SetUp() override
  {
    MetalTest::SetUp();
    standin::SetGpuSynchronous(false);
    standin::SetGpuGateOpen(false);
  }
};

} // namespace

TEST_F(MetalFramePacingTest, TheFourthFrameWaitsForTheFirstWithThreeBufferSets)
{
  MetalCanvas canvas(0x2001);
  for (int i = 0; i < 3; ++i)
    canvas.DrawToScreen(Square);
  EXPECT_EQ(0, canvas.layer->presentCount());
  ExpectBlockedUntilGateOpens([&] { canvas.DrawToScreen(Square); });
  mvgDeleteTarget(canvas.target);
  canvas.target = nullptr;
  mvgDeleteContext(canvas.vg); // waits for every frame in flight
  canvas.vg = nullptr;
  EXPECT_EQ(4, canvas.layer->presentCount());
}

TEST_F(MetalFramePacingTest, ReadingAnImageWaitsForTheFrameDrawingIntoIt)
{
  MetalCanvas canvas(0x2001);
  mvgBindTarget(canvas.target);
  nvgBeginFrame(canvas.vg, 64, 48, 1);
  Square(canvas.vg);
  nvgEndFrame(canvas.vg);
  mvgBindTarget(nullptr);
  std::vector<uint8_t> pixels;
  ExpectBlockedUntilGateOpens([&] { pixels = canvas.Pixels(); });
  EXPECT_EQ(255, MetalCanvas::At(pixels, 10, 10, 3));
}

TEST_F(MetalFramePacingTest, DeletingTheContextWaitsForFramesInFlight)
{
  MetalCanvas canvas(0x2001);
  canvas.DrawToScreen(Square);
  mvgDeleteTarget(canvas.target);
  canvas.target = nullptr;
  ExpectBlockedUntilGateOpens([&] { mvgDeleteContext(canvas.vg); });
  canvas.vg = nullptr;
  EXPECT_EQ(1, canvas.layer->presentCount());
  EXPECT_EQ(nullptr, canvas.layer->device());
}

// The platform may wake a buffer's waiters before its completion handler
// has run, and the handler clears its set before its last step (the
// signal): the renderer must outlive every handler all the same. Closing
// right after a frame, with the handler held between its steps, the delete
// waits; AddressSanitizer sees a handler that reaches a freed renderer.
TEST_F(MetalFramePacingTest, DeletingTheContextWaitsForEveryCompletionHandler)
{
  for (bool lateHandlers : {false, true})
  {
    SCOPED_TRACE(lateHandlers ? "handlers after completion" : "handlers before completion");
    standin::SetGpuGateOpen(false);
    standin::SetLateCompletionHandlers(lateHandlers);
    standin::HoldNextCompletionSignal();
    MetalCanvas canvas(0x2001);
    mvgDeleteTarget(canvas.target);
    canvas.target = nullptr;
    canvas.DrawToScreen(Square);
    standin::SetGpuGateOpen(true);
    ASSERT_TRUE(standin::WaitForHeldCompletionSignal()) << "the frame's handler never signalled";

    std::atomic<bool> deleted{false};
    std::thread closer([&] {
      mvgDeleteContext(canvas.vg);
      deleted = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(deleted) << "the renderer went while a completion handler was still running";
    standin::ReleaseHeldCompletionSignal();
    closer.join();
    canvas.vg = nullptr;
    EXPECT_EQ(1, canvas.layer->presentCount());
  }
}
