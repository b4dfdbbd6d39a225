// The product under a host's three threads at once: audio blocks, host
// parameter changes and the main thread's idle ticks with an open editor.
// ThreadSanitizer (CI) finds any access to editor controls or engine state
// outside their thread and lock.
#include <atomic>
#include <cmath>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "tests/framework/fakes/FakeGfx.h"
#include "tests/plugin/support/ProductHost.h"
#include "tests/support/TempHome.h"

namespace {

using namespace tolvane3;

class RecordingScope : public fakes::FakeControl, public ScopeView
{
public:
  RecordingScope() : FakeControl(plugkit::gfx::IRECT{0, 0, 100, 100}) {}
  void SetScopeSettings(const ScopeSettings& s) override
  {
    ScopeSnapshot snapshot;
    s.history->ReadSnapshot(snapshot);
    ++updates;
  }
  void SetScopeReferences(const ScopeReferences& r) override { target = r.targetLevelDb; }
  int updates = 0;
  double target = 0.0;
};

class ProductConcurrencyTest : public testsupport::TempHomeTest
{
};

TEST_F(ProductConcurrencyTest, AudioHostAndIdleThreadsRunTogether)
{
  SetEditorFunctions(
    [](plugkit::gfx::IGEditorDelegate& dlg, const GraphicsRequest& r) {
      return new fakes::FakeGfx(dlg, r.width, r.height, r.fps, r.scale);
    },
    [](Tolvane3& plug, plugkit::gfx::IGfx& g) {
      g.AttachControl(new fakes::FakeControl(plugkit::gfx::IRECT{0, 0, 10, 10}));
      g.AttachControl(new fakes::FakeControl(plugkit::gfx::IRECT{0, 0, 10, 10}, kPreDelay));
      g.AttachControl(new fakes::FakeControl(plugkit::gfx::IRECT{0, 0, 10, 10}, kPreDelay1));
      g.AttachControl(new RecordingScope);
      plug.PreDelayControlIndex = 1;
      plug.PreDelayV1ControlIndex = 2;
      plug.ScopeControlIndex = 3;
      plug.LayoutDone();
    });
  {
    testsupport::ProductUnit unit;
    ASSERT_EQ(unit.Initialize("com.apple.logic10"), noErr);
    Tolvane3& plug = unit.Plug();
    plug.OpenWindow(nullptr);

    std::atomic<bool> stop{false};
    std::thread audio([&] {
      std::vector<double> block(512);
      for (size_t i = 0; i < block.size(); ++i)
        block[i] = 0.1 * std::sin(0.01 * static_cast<double>(i));
      while (!stop.load())
        unit.Process(block);
    });
    std::thread host([&] {
      for (int i = 0; i < 300; ++i)
      {
        unit.SetParam(kTargetLevel, -10.0 - i % 20);
        unit.SetParam(kScopeXScale, i % 100);
        unit.SetParam(kSensitivity, 100.0 + i);
        unit.SetParam(kScopeReset, i % 2);
      }
    });
    for (int i = 0; i < 300; ++i)
    {
      plug.OnIdle();
      std::this_thread::yield();
    }
    host.join();
    stop.store(true);
    audio.join();
    plug.OnIdle();
    auto* scope = dynamic_cast<RecordingScope*>(plug.GetUI()->GetControl(3));
    ASSERT_NE(scope, nullptr);
    EXPECT_EQ(scope->target, unit.Param(kTargetLevel));
    plug.CloseWindow();
  }
  SetEditorFunctions(nullptr, nullptr);
}

} // namespace
