#include "platform/framework/PrintPreview.h"

#include <QAction>
#include <QCoreApplication>
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
#include "platform/framework/ViewPrinting.h"

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

// The preview's own tool bar gets a close button at its end, with the close prompt and tip.
void AddPreviewCloseButton(QPrintPreviewDialog& dialog) {
  QToolBar* bar = dialog.findChild<QToolBar*>();
  if (bar == nullptr) return;
  bar->addSeparator();
  QAction* close = bar->addAction(QCoreApplication::translate("QPlatformTheme", "Close"));
  close->setToolTip(CommandTip(AFX_IDS_PREVIEW_CLOSE));
  close->setStatusTip(CommandPrompt(AFX_IDS_PREVIEW_CLOSE));
  QObject::connect(close, &QAction::triggered, &dialog, &QDialog::reject);
}

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
  // Zooming the preview changes the scale it shows pages at: they are drawn again to match.
  if (auto* widget = dialog.findChild<QPrintPreviewWidget*>()) {
    QObject::connect(widget, &QPrintPreviewWidget::previewChanged, &dialog, [&info, pages, widget] {
      const double wanted = PreviewScaleFor(*info.printer, ShownScale(pages));
      if (std::abs(wanted - info.m_previewScale) > kPreviewRedrawChange * info.m_previewScale) {
        QMetaObject::invokeMethod(widget, &QPrintPreviewWidget::updatePreview,
                                  Qt::QueuedConnection);
      }
    });
  }
  dialog.exec();
}

void SetPrintPreviewForTesting(
    std::function<void(QPrinter&, const std::function<void(QPrinter*)>&)> preview) {
  PreviewOverride() = std::move(preview);
}
