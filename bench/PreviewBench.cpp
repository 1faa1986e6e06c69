// Print preview in the viewer itself: the preview command to the preview on show, beside Qt's
// own print preview dialog showing the same page on the same printer (what a program gets from
// Qt without a preview of its own), and a zoom step of the preview to its finished repaint at
// each step from the whole paper up.
#include <benchmark/benchmark.h>

#include <QEvent>
#include <QGraphicsView>
#include <QPainter>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <memory>

#include "BenchNames.h"
#include "BenchViews.h"
#include "platform/framework/CPrintInfo.h"
#include "platform/framework/PreviewSheet.h"
#include "platform/framework/PrintJob.h"
#include "shell/CMainFrame.h"
#include "shell/CPLIMDispApp.h"

namespace {

// The frame's size: its preview sheet gets about the benchmark's viewport.
constexpr int kFrameWidth = kViewportWidth;
constexpr int kFrameHeight = kViewportHeight + 120;

// Counts the paints of the widgets it watches.
struct PaintCounter : QObject {
  bool eventFilter(QObject* watched, QEvent* event) override {
    count += event->type() == QEvent::Paint;
    return QObject::eventFilter(watched, event);
  }
  int count = 0;
};

// Delivers the pending events, which paint the sheet once; paints it when they did not.
void FinishPaints(PreviewSheet& sheet) {
  PaintCounter paints;
  sheet.viewport()->installEventFilter(&paints);
  FinishPendingWork();
  if (paints.count == 0) sheet.viewport()->repaint();
  sheet.viewport()->removeEventFilter(&paints);
}

// The viewer with `page` open in its page window, its frame shown offscreen.
class Viewer {
 public:
  explicit Viewer(const std::string& page) {
    app_.SetArguments({"plimdisp", page});
    ok_ = app_.InitInstance() && app_.m_pMainWnd != nullptr;
    if (!ok_) return;
    Frame().resize(kFrameWidth, kFrameHeight);
    Frame().show();
    FinishPendingWork();
  }
  ~Viewer() {
    delete app_.m_pMainWnd;
    app_.m_pMainWnd = nullptr;
    app_.ExitInstance();
    FinishPendingWork();
  }
  Viewer(const Viewer&) = delete;
  Viewer& operator=(const Viewer&) = delete;

  bool ok() const { return ok_; }
  CMDIFrameWnd& Frame() { return *app_.m_pMainWnd; }
  QPrinter& Printer() { return app_.Printer(); }
  CView* View() {
    CMDIChildWnd* child = Frame().MDIGetActive();
    return child != nullptr ? child->GetActiveView() : nullptr;
  }
  // The preview on show, drawn: the command, then the events it causes (its layout and the
  // sheet's first paint; one more paint if those brought none).
  PreviewSheet* ShowPreview() {
    Frame().ExecuteCommand(ID_FILE_PRINT_PREVIEW);
    auto* sheet = Frame().centralWidget()->findChild<PreviewSheet*>();
    if (sheet == nullptr) return nullptr;
    FinishPaints(*sheet);
    return sheet;
  }

 private:
  CPLIMDispApp app_;
  bool ok_ = false;
};

const std::string& PageOf(bool large) { return large ? Files().largePage : Files().samplePage; }

void PreviewOpen(benchmark::State& state, bool large) {
  Viewer viewer(PageOf(large));
  if (!viewer.ok()) {
    state.SkipWithError("the viewer did not start");
    return;
  }
  for (auto _ : state) {
    PreviewSheet* sheet = viewer.ShowPreview();
    state.PauseTiming();
    if (sheet == nullptr) {
      state.SkipWithError("no preview");
      break;
    }
    state.counters["sheet_width"] = sheet->viewport()->width();
    state.counters["sheet_height"] = sheet->viewport()->height();
    viewer.Frame().EndPreviewMode();
    FinishPendingWork();
    state.ResumeTiming();
  }
}

// Qt's preview dialog at the frame's size, drawing the page as printing does, until its page
// view has painted.
void QtPreviewDialogOpen(benchmark::State& state, bool large) {
  Viewer viewer(PageOf(large));
  CView* view = viewer.ok() ? viewer.View() : nullptr;
  if (view == nullptr) {
    state.SkipWithError("the viewer did not start");
    return;
  }
  QPrinter& printer = viewer.Printer();
  for (auto _ : state) {
    auto dialog = std::make_unique<QPrintPreviewDialog>(&printer, &viewer.Frame());
    QObject::connect(dialog.get(), &QPrintPreviewDialog::paintRequested, [view](QPrinter* target) {
      QPainter painter(target);
      CPrintInfo info;
      const QSize printable = target->pageLayout().paintRectPixels(target->resolution()).size();
      PrintPageInBands(*view, info, painter, QRect(QPoint(0, 0), printable));
    });
    dialog->resize(kFrameWidth, kFrameHeight);
    dialog->show();
    FinishPendingWork();
    if (auto* pages = dialog->findChild<QGraphicsView*>()) pages->viewport()->repaint();
    state.PauseTiming();
    dialog.reset();
    FinishPendingWork();
    state.ResumeTiming();
  }
}

// Zoom step `step` from the whole paper, the sheet centred on a point inside the page's lines
// (2000 dots from the printable area's corner each way).
void PreviewZoomStep(benchmark::State& state, int step) {
  Viewer viewer(Files().largePage);
  PreviewSheet* sheet = viewer.ok() ? viewer.ShowPreview() : nullptr;
  if (sheet == nullptr) {
    state.SkipWithError("no preview");
    return;
  }
  const QPointF inside =
      viewer.Printer().pageLayout().paintRectPixels(viewer.Printer().resolution()).topLeft() +
      QPointF(2000, 2000);
  for (auto _ : state) {
    state.PauseTiming();
    while (sheet->CanZoomOut()) sheet->ZoomOut();
    for (int before = 1; before < step; ++before) sheet->ZoomIn();
    sheet->CentreOn(inside);
    FinishPaints(*sheet);
    if (!sheet->CanZoomIn()) {
      state.SkipWithError("beyond the largest scale");
      break;
    }
    state.ResumeTiming();
    sheet->ZoomIn();
    sheet->CentreOn(inside);
    FinishPaints(*sheet);
  }
  state.counters["scale"] = sheet->Scale();
  state.counters["percent"] = sheet->ZoomPercent();
}

}  // namespace

void RegisterPreviewBenchmarks() {
  for (const bool large : {false, true}) {
    const char* ours = large ? kPreviewOpenLarge : kPreviewOpenSample;
    const char* qt = large ? kQtPreviewOpenLarge : kQtPreviewOpenSample;
    benchmark::RegisterBenchmark(ours, PreviewOpen, large)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime()
        ->Iterations(5);
    benchmark::RegisterBenchmark(qt, QtPreviewDialogOpen, large)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime()
        ->Iterations(3);
  }
  for (int step = 1; step <= kPreviewZoomSteps; ++step) {
    benchmark::RegisterBenchmark(PreviewZoomStepName(step).c_str(), PreviewZoomStep, step)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime()
        ->Iterations(5);
  }
}
