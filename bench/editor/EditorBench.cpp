// The product editor's drawing against its frame budget, on the recording
// back-end with its log off: one scope draw with a full history and all
// four curves (target: 5 % of a 60 fps frame, 0.83 ms), and the editor's
// first full frame after it opens (target: 10 %, 1.7 ms).
#include <cmath>

#include <benchmark/benchmark.h>

#include "editor/ILoudnessScope.h"
#include "tests/editor/ProductEditorSession.h"
#include "tests/support/gfx/HeadlessView.h"

namespace {

using namespace editortest;

void BM_ScopeDrawFullHistory(benchmark::State& state)
{
  ProductEditorSession session;
  ProductGfx& g = *session.G();
  g.logging = false;
  auto& scope = dynamic_cast<tolvane3::ILoudnessScope&>(*g.GetControl(session.Plug().ScopeControlIndex));
  ScopeHistory history;
  for (int i = 0; i < ScopeHistory::kCapacity; ++i)
    history.Push(-30.0 + 20.0 * std::sin(i * 0.05), -18.0 + 3.0 * std::sin(i * 0.03), 6.0 * std::cos(i * 0.02),
      (i / 50) % 2);
  tolvane3::ScopeSettings settings;
  settings.history = &history;
  scope.SetScopeSettings(settings);
  for (auto _ : state)
    scope.Draw(g);
}
BENCHMARK(BM_ScopeDrawFullHistory)->Unit(benchmark::kMicrosecond);

void BM_EditorFirstFullFrame(benchmark::State& state)
{
  ProductEditorSession session;
  for (auto _ : state)
  {
    state.PauseTiming();
    session.Close();
    session.Open();
    session.G()->logging = false;
    gfxtest::HeadlessView view(*session.G());
    state.ResumeTiming();
    view.Tick();
  }
}
// Each iteration reopens the editor (fonts and pictures loaded again) with
// the timing paused, some 60 ms the library does not count: left to itself
// it would run until half a second of frames had been timed, thousands of
// reopenings. A fixed count keeps the program within seconds.
BENCHMARK(BM_EditorFirstFullFrame)->Unit(benchmark::kMicrosecond)->Iterations(200);

} // namespace
