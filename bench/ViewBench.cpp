// The view as a window: a "+" key to a finished repaint, and a scroll step against a repaint
// of the whole viewport.
#include <benchmark/benchmark.h>

#include <QScrollBar>

#include "BenchNames.h"
#include "BenchViews.h"

namespace {

void ZoomKeyToFinishedRepaint(benchmark::State& state) {
  std::unique_ptr<LargePageView> fixture;
  for (auto _ : state) {
    state.PauseTiming();
    fixture.reset();
    fixture = MakeLargePageView("");
    if (!fixture || !fixture->ShowAtMiddle()) {
      state.SkipWithError("cannot show the large page");
      break;
    }
    state.ResumeTiming();
    fixture->view.OnChar('+', 1, 0);
    fixture->view.viewport()->repaint();
    FinishPendingWork();
  }
}

struct ShownView {
  std::unique_ptr<LargePageView> fixture = MakeLargePageView("");
  bool ok = fixture && fixture->ShowAtMiddle();
};

// Scrolls down and back up by one line step in turn, so the view stays in the middle.
void ScrollLineStep(benchmark::State& state) {
  ShownView shown;
  if (!shown.ok) {
    state.SkipWithError("cannot show the large page");
    return;
  }
  QScrollBar& bar = *shown.fixture->view.verticalScrollBar();
  const CountingView& view = shown.fixture->view;
  const long long rowsBefore = view.rowsDrawn;
  const double drawBefore = view.drawMilliseconds;
  int direction = 1;
  for (auto _ : state) {
    bar.setValue(bar.value() + direction * bar.singleStep());
    FinishPendingWork();
    direction = -direction;
  }
  state.counters["line_step_rows"] = bar.singleStep();
  const auto perStep = static_cast<double>(state.iterations());
  state.counters["rows_drawn_per_step"] =
      static_cast<double>(view.rowsDrawn - rowsBefore) / perStep;
  state.counters["draw_ms_per_step"] = (view.drawMilliseconds - drawBefore) / perStep;
}

void FullRepaint(benchmark::State& state) {
  ShownView shown;
  if (!shown.ok) {
    state.SkipWithError("cannot show the large page");
    return;
  }
  const double drawBefore = shown.fixture->view.drawMilliseconds;
  for (auto _ : state) {
    shown.fixture->view.viewport()->repaint();
    FinishPendingWork();
  }
  state.counters["draw_ms_per_repaint"] =
      (shown.fixture->view.drawMilliseconds - drawBefore) / static_cast<double>(state.iterations());
}

}  // namespace

void RegisterViewBenchmarks() {
  benchmark::RegisterBenchmark(kZoomKey, ZoomKeyToFinishedRepaint)
      ->Unit(benchmark::kMillisecond)
      ->UseRealTime()
      ->Iterations(8);
  benchmark::RegisterBenchmark(kScrollStep, ScrollLineStep)
      ->Unit(benchmark::kMillisecond)
      ->UseRealTime();
  benchmark::RegisterBenchmark(kScrollFullRepaint, FullRepaint)
      ->Unit(benchmark::kMillisecond)
      ->UseRealTime();
}
