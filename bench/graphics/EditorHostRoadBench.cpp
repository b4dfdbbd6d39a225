// The product's editor as a host shows it: the unit's view factory, the view
// in a headless window, its timer, the NanoVG back-end, the Metal renderer
// on the stand-in GPU in its synchronous mode (one core) and the window's
// picture. The first full frame at both scales, a tick during a knob drag
// and a tick with nothing to draw.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "StandIn/AppKitEvents.h"
#include "StandIn/Gpu.h"
#include "StandIn/Hooks.h"
#include "tools/ComponentBundle.h"
#include "tools/EditorSession.h"

namespace {

constexpr double kTick = 1.0 / 60.0;

const auhost::ComponentBundle& Bundle()
{
  static std::unique_ptr<auhost::ComponentBundle> bundle = [] {
    std::string error;
    standin::UseManualClock();
    return auhost::ComponentBundle::Load(TOLVANE3_BUNDLE, error);
  }();
  return *bundle;
}

// Opening the unit is not the editor's cost; opening the view up to its
// first presented frame is.
void BM_EditorFirstFrame(benchmark::State& state)
{
  const double scale = static_cast<double>(state.range(0));
  for (auto _ : state)
  {
    state.PauseTiming();
    std::string error;
    auto unit = auhost::OpenedUnit::Open(Bundle(), error);
    state.ResumeTiming();
    auto session = auhost::EditorSession::Open(unit->Unit(), scale, error);
    benchmark::DoNotOptimize(session.get());
    state.PauseTiming();
    session.reset();
    unit.reset();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_EditorFirstFrame)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

struct OpenEditor
{
  std::unique_ptr<auhost::OpenedUnit> unit;
  std::unique_ptr<auhost::EditorSession> session;
  OpenEditor()
  {
    std::string error;
    unit = auhost::OpenedUnit::Open(Bundle(), error);
    session = auhost::EditorSession::Open(unit->Unit(), 1.0, error);
    standin::RunMainLoopFor(0.5); // settles what the first frames start
  }
  NSPoint At(double x, double y) const { return NSPoint{x, session->Window().frame().size.height - y}; }
};

void BM_KnobDragTick(benchmark::State& state)
{
  OpenEditor editor;
  NSWindow& window = editor.session->Window();
  constexpr double kX = 930, kY = 137; // the volume knob, which the scope does not show
  window.sendEvent(standin::MouseEvent(NSEventTypeLeftMouseDown, editor.At(kX, kY)).get());
  double dy = 0;
  for (auto _ : state)
  {
    dy = dy > 30 ? 0 : dy + 1;
    window.sendEvent(standin::MouseEvent(NSEventTypeLeftMouseDragged, editor.At(kX, kY - dy)).get());
    standin::RunMainLoopFor(kTick);
  }
  window.sendEvent(standin::MouseEvent(NSEventTypeLeftMouseUp, editor.At(kX, kY - dy)).get());
}
BENCHMARK(BM_KnobDragTick)->Unit(benchmark::kMillisecond);

void BM_QuietTick(benchmark::State& state)
{
  OpenEditor editor;
  for (auto _ : state)
    standin::RunMainLoopFor(kTick);
}
BENCHMARK(BM_QuietTick)->Unit(benchmark::kMicrosecond);

} // namespace
