#pragma once

#include <memory>
#include <span>
#include <string>

#include "BenchNames.h"
#include "pageview/CPLIMDispView.h"
#include "platform/framework/CDocument.h"

// The files the benchmarks work on, made once per run.
struct BenchFiles {
  std::string largePage;   // W1
  std::string samplePage;  // W2
  std::string cli;         // the plimdisp-cli program
};
const BenchFiles& Files();
void SetFiles(BenchFiles files);

// A page view that also counts the device rows its passes were asked to draw and the time its
// passes took.
class CountingView : public CPLIMDispView {
 public:
  using CPLIMDispView::CPLIMDispView;
  void OnDraw(CDC* dc) override;
  long long rowsDrawn = 0;
  double drawMilliseconds = 0;
};

// A page view on its own document holding the large page, zoomed by the keys `zoomKeys`.
struct LargePageView {
  CDocument document;
  CountingView view{&document};

  std::span<const PageLine> Lines() const;
  // The scroll position that puts the viewport in the middle of the zoomed page.
  CPoint MiddleOfPage() const;
  // Shows the view offscreen with a kViewportWidth x kViewportHeight viewport, paints it and
  // scrolls to the middle of the page. False when the viewport cannot get that size.
  bool ShowAtMiddle();
};
std::unique_ptr<LargePageView> MakeLargePageView(const std::string& zoomKeys);

// Delivers pending events until none is left, so that every repaint asked for has run.
void FinishPendingWork();
