// Repaints of a viewport in the middle of the large page: the view's pass against the literal
// pass, the Qt painter pass and the cost of clearing and copying the canvas once.
#include <benchmark/benchmark.h>

#include <cstring>
#include <string>

#include "BaselinePasses.h"
#include "BenchNames.h"
#include "BenchViews.h"
#include "pageview/PagePass.h"
#include "platform/system/CDC.h"

namespace {

enum class Pass { kOurs, kLiteral, kQt };

// One view at a time: each holds the whole page.
LargePageView* ViewAt(const ZoomCase& zoom) {
  static std::unique_ptr<LargePageView> current;
  static std::string currentKeys;
  if (!current || currentKeys != zoom.keys) {
    current.reset();
    current = MakeLargePageView(zoom.keys);
    currentKeys = zoom.keys;
  }
  return current.get();
}

void DrawViewport(Canvas& canvas, LargePageView& fixture, Pass pass) {
  canvas.FillWhite();
  CDC dc(canvas);
  const CPoint origin = fixture.MiddleOfPage();
  dc.SetWindowOrg(origin.x, origin.y);
  switch (pass) {
    case Pass::kOurs:
      DrawPagePass(dc, {&fixture.view.page(), fixture.view.zoom(), fixture.view.labelCodePage()});
      break;
    case Pass::kLiteral:
      LiteralPass(dc, fixture.Lines(), fixture.view.zoom());
      break;
    case Pass::kQt:
      QtPainterPass(dc, fixture.Lines(), fixture.view.zoom());
      break;
  }
}

bool SamePicture(const Canvas& a, const Canvas& b) {
  return std::memcmp(const_cast<Canvas&>(a).bytes(), const_cast<Canvas&>(b).bytes(),
                     static_cast<std::size_t>(a.strideBytes() * a.height())) == 0;
}

void Repaint(benchmark::State& state, const ZoomCase& zoom, Pass pass) {
  LargePageView* fixture = ViewAt(zoom);
  Canvas canvas;
  if (fixture == nullptr ||
      canvas.Allocate(kViewportWidth, kViewportHeight) != CanvasError::kNone) {
    state.SkipWithError("cannot set up the large page");
    return;
  }
  // The literal pass draws the same picture as the view's pass; the Qt pass samples and merges
  // differently, so it is only timed.
  if (pass == Pass::kLiteral) {
    Canvas ours;
    if (ours.Allocate(kViewportWidth, kViewportHeight) != CanvasError::kNone) return;
    DrawViewport(ours, *fixture, Pass::kOurs);
    DrawViewport(canvas, *fixture, Pass::kLiteral);
    state.counters["same_picture"] = SamePicture(ours, canvas);
  }
  for (auto _ : state) {
    DrawViewport(canvas, *fixture, pass);
    benchmark::DoNotOptimize(canvas.bytes());
    benchmark::ClobberMemory();
  }
}

// Clears the viewport canvas and copies it once, as a repaint hands it to the window.
void ClearAndCopy(benchmark::State& state) {
  Canvas canvas, shown;
  if (canvas.Allocate(kViewportWidth, kViewportHeight) != CanvasError::kNone ||
      shown.Allocate(kViewportWidth, kViewportHeight) != CanvasError::kNone) {
    state.SkipWithError("no canvas");
    return;
  }
  const auto bytes = static_cast<std::size_t>(canvas.strideBytes() * canvas.height());
  for (auto _ : state) {
    canvas.FillWhite();
    benchmark::ClobberMemory();
    std::memcpy(shown.bytes(), canvas.bytes(), bytes);
    benchmark::DoNotOptimize(shown.bytes());
    benchmark::ClobberMemory();
  }
}

}  // namespace

void RegisterPassBenchmarks() {
  benchmark::RegisterBenchmark(kCanvasFloor, ClearAndCopy)
      ->Unit(benchmark::kMillisecond)
      ->UseRealTime();
  for (const ZoomCase& zoom : kZoomCases) {
    const std::pair<const char*, Pass> passes[] = {
        {kPassOurs, Pass::kOurs}, {kPassLiteral, Pass::kLiteral}, {kPassQt, Pass::kQt}};
    for (const auto& [name, pass] : passes) {
      benchmark::RegisterBenchmark(
          RepaintName(name, zoom).c_str(),
          [&zoom, pass = pass](benchmark::State& state) { Repaint(state, zoom, pass); })
          ->Unit(benchmark::kMillisecond)
          ->UseRealTime();
    }
  }
}
