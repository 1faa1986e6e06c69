#include "platform/framework/PrintPreview.h"

#include <QAction>
#include <QCoreApplication>
#include <QEvent>
#include <QGraphicsView>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QToolBar>
#include <algorithm>
#include <cmath>

#include "platform/framework/CMDIFrameWnd.h"
#include "platform/framework/CPrintInfo.h"
#include "platform/framework/CView.h"
#include "platform/framework/PrintJob.h"

namespace {

// The preview keeps every band it is given: the scale of its pages is kept so low that one
// page holds at most this many pixels.
constexpr double kPreviewMaxPixels = 16.0 * (1 << 20);
// A preview is drawn again when the scale it shows its pages at moves by more than this share.
constexpr double kPreviewRedrawChange = 0.02;

std::function<void(QPrinter&, const std::function<void(QPrinter*)>&)>& PreviewOverride() {
  static std::function<void(QPrinter&, const std::function<void(QPrinter*)>&)> preview;
  return preview;
}

// View pixels per printer dot at which `pages` shows the preview's pages; 1 before it exists.
double ShownScale(const QGraphicsView* pages) {
  if (pages == nullptr) return 1.0;
  return pages->transform().m11() * pages->devicePixelRatioF();
}

// The preview's own tool bar gets a close button at its start, with the close prompt and tip.
void AddPreviewCloseButton(QPrintPreviewDialog& dialog) {
  QToolBar* bar = dialog.findChild<QToolBar*>();
  if (bar == nullptr) return;
  auto* close = new QAction(QCoreApplication::translate("QPlatformTheme", "Close"), bar);
  close->setToolTip(CommandTip(AFX_IDS_PREVIEW_CLOSE));
  close->setStatusTip(CommandPrompt(AFX_IDS_PREVIEW_CLOSE));
  QObject::connect(close, &QAction::triggered, &dialog, &QDialog::reject);
  QAction* first = bar->actions().value(0);
  bar->insertAction(first, close);
  bar->insertSeparator(first);
}

// Watches the paints of the preview's page view and has the pages drawn again when the scale
// they are shown at has moved away from the one they were drawn at.
class RedrawOnZoom : public QObject {
 public:
  RedrawOnZoom(const CPrintInfo& info, QGraphicsView& pages, QPrintPreviewWidget& widget)
      : QObject(&widget), info_(info), pages_(pages), widget_(widget) {}

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint && !pending_) {
      const double wanted = PreviewScaleFor(*info_.printer, ShownScale(&pages_));
      if (std::abs(wanted - info_.m_previewScale) > kPreviewRedrawChange * info_.m_previewScale) {
        pending_ = true;
        QMetaObject::invokeMethod(
            &widget_,
            [this] {
              pending_ = false;
              widget_.updatePreview();
            },
            Qt::QueuedConnection);
      }
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  const CPrintInfo& info_;
  QGraphicsView& pages_;
  QPrintPreviewWidget& widget_;
  bool pending_ = false;
};

}  // namespace

double PreviewScaleFor(const QPrinter& printer, double shown) {
  const QSize paper = printer.pageLayout().fullRectPixels(printer.resolution()).size();
  const double pixels = std::max(1.0, static_cast<double>(paper.width()) * paper.height());
  const double bound = std::min(1.0, std::sqrt(kPreviewMaxPixels / pixels));
  return shown > 0.0 && std::isfinite(shown) ? std::min(shown, bound) : bound;
}

void RunPrintPreview(CView& view, CPrintInfo& info) {
  if (PreviewOverride()) {
    PreviewOverride()(*info.printer, [&view, &info](QPrinter* printer) {
      info.m_previewScale = PreviewScaleFor(*printer, 1.0);
      PrintJob(view, info, *printer);
    });
    return;
  }
  QPrintPreviewDialog dialog(info.printer, &view);
  dialog.setWindowTitle(CommandTip(ID_FILE_PRINT_PREVIEW));
  AddPreviewCloseButton(dialog);
  QGraphicsView* pages = dialog.findChild<QGraphicsView*>();
  QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog,
                   [&view, &info, pages](QPrinter* printer) {
                     info.m_previewScale = PreviewScaleFor(*printer, ShownScale(pages));
                     PrintJob(view, info, *printer);
                   });
  // Zooming the preview changes the scale it shows pages at: before the next paint after a
  // zoom, the pages are drawn again to match.
  auto* widget = dialog.findChild<QPrintPreviewWidget*>();
  if (pages != nullptr && widget != nullptr) {
    auto* redraw = new RedrawOnZoom(info, *pages, *widget);
    pages->viewport()->installEventFilter(redraw);
  }
  dialog.exec();
}

void SetPrintPreviewForTesting(
    std::function<void(QPrinter&, const std::function<void(QPrinter*)>&)> preview) {
  PreviewOverride() = std::move(preview);
}
