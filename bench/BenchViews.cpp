#include "BenchViews.h"

#include <QApplication>
#include <QScrollBar>
#include <algorithm>
#include <chrono>
#include <cstdio>

#include "BenchPages.h"
#include "platform/canvas/Scale.h"
#include "platform/system/CDC.h"

namespace {

BenchFiles& MutableFiles() {
  static BenchFiles files;
  return files;
}

}  // namespace

const BenchFiles& Files() { return MutableFiles(); }
void SetFiles(BenchFiles files) { MutableFiles() = std::move(files); }

void CountingView::OnDraw(CDC* dc) {
  const PixelRect& clip = dc->GetClipRect();
  rowsDrawn += clip.bottom - clip.top;
  const auto start = std::chrono::steady_clock::now();
  CPLIMDispView::OnDraw(dc);
  drawMilliseconds +=
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

std::span<const PageLine> LargePageView::Lines() const {
  return {view.lines().data(), static_cast<std::size_t>(std::max(view.lineCount(), 0))};
}

CPoint LargePageView::MiddleOfPage() const {
  const int width = ScaleToDevice(view.pageWidth(), view.zoom());
  const int height = ScaleToDevice(view.pageHeight(), view.zoom());
  return CPoint{std::max(0, (width - kViewportWidth) / 2),
                std::max(0, (height - kViewportHeight) / 2)};
}

bool LargePageView::ShowAtMiddle() {
  view.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  view.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  view.resize(kViewportWidth, kViewportHeight);
  view.show();
  FinishPendingWork();
  // The frame and the bars take their share; grow the widget by what the viewport lacks.
  const QSize missing = QSize(kViewportWidth, kViewportHeight) - view.viewport()->size();
  view.resize(view.size() + missing);
  FinishPendingWork();
  view.viewport()->repaint();
  FinishPendingWork();
  view.ScrollToPosition(MiddleOfPage());
  FinishPendingWork();
  const QSize viewport = view.viewport()->size();
  if (viewport != QSize(kViewportWidth, kViewportHeight)) {
    std::fprintf(stderr, "the viewport is %dx%d, not %dx%d\n", viewport.width(), viewport.height(),
                 kViewportWidth, kViewportHeight);
    return false;
  }
  return true;
}

std::unique_ptr<LargePageView> MakeLargePageView(const std::string& zoomKeys) {
  LoadedPage page;
  if (!ReadPageShared(Files().largePage, page)) return nullptr;
  auto fixture = std::make_unique<LargePageView>();
  fixture->view.OnInitialUpdate();
  fixture->view.AdoptPage(std::move(page.header), std::move(page.body));
  for (const char key : zoomKeys) fixture->view.OnChar(static_cast<unsigned char>(key), 1, 0);
  return fixture;
}

void FinishPendingWork() {
  QApplication::sendPostedEvents();
  QApplication::processEvents();
}
