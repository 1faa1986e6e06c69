#include "platform/framework/ViewPrinting.h"

#include <QImage>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <algorithm>

#include "platform/system/CDC.h"
#include "platform/system/DialogFrame.h"
#include "platform/framework/CMDIFrameWnd.h"
#include "platform/framework/CPrintInfo.h"
#include "platform/framework/CView.h"
#include "platform/framework/CWinApp.h"

namespace {

// The preview keeps every band it is given; shrinking them to this resolution bounds it.
constexpr double kPreviewDotsPerInch = 150.0;

std::function<bool(QPrinter&)>& PrintDialogOverride() {
  static std::function<bool(QPrinter&)> dialog;
  return dialog;
}

std::function<void(QPrinter&, const std::function<void(QPrinter*)>&)>& PreviewOverride() {
  static std::function<void(QPrinter&, const std::function<void(QPrinter*)>&)> preview;
  return preview;
}

QPrinter& JobPrinter() {
  if (CWinApp* app = AfxGetApp()) return app->Printer();
  static QPrinter fallback(QPrinter::HighResolution);
  return fallback;
}

// The printable area of the printer's current page in printer dots.
QRect PrintableArea(QPrinter& printer) {
  return QRect(QPoint(0, 0), printer.pageLayout().paintRectPixels(printer.resolution()).size());
}

enum class PrintMode { kDialog, kDirect, kPreview };

void RunPrint(CView& view, PrintMode mode) {
  CPrintInfo info;
  info.m_bDirect = mode == PrintMode::kDirect;
  info.m_bPreview = mode == PrintMode::kPreview;
  if (!view.OnPreparePrinting(&info) || info.printer == nullptr) return;
  if (mode != PrintMode::kPreview) {
    PrintJob(view, info, *info.printer);
    return;
  }
  const std::function<void(QPrinter*)> paint = [&view, &info](QPrinter* printer) {
    PrintJob(view, info, *printer);
  };
  if (PreviewOverride()) {
    PreviewOverride()(*info.printer, paint);
    return;
  }
  QPrintPreviewDialog dialog(info.printer, &view);
  dialog.setWindowTitle(CommandTip(ID_FILE_PRINT_PREVIEW));
  QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog, paint);
  dialog.exec();
}

}  // namespace

bool DoPreparePrinting(CPrintInfo* info) {
  if (info == nullptr) return false;
  QPrinter& printer = JobPrinter();
  info->printer = &printer;
  if (info->m_bPreview) return true;
  if (info->m_bDirect) return printer.isValid();
  if (PrintDialogOverride()) return PrintDialogOverride()(printer);
  QPrintDialog dialog(&printer, AfxGetApp() != nullptr ? AfxGetApp()->m_pMainWnd : nullptr);
  UseModalDialogFrame(&dialog);
  dialog.setOption(QAbstractPrintDialog::PrintToFile, true);
  return dialog.exec() == QDialog::Accepted;
}

bool PrintPageInBands(CView& view, CPrintInfo& info, QPainter& painter, const QRect& page,
                      double previewScale, long long bandPixels) {
  const int width = std::clamp(page.width(), 0, static_cast<int>(Canvas::kMaxSide));
  if (width == 0 || page.height() <= 0) return true;
  const int bandRows =
      static_cast<int>(std::clamp<long long>(bandPixels / width, 1, Canvas::kMaxSide));
  info.m_rectDraw = CRect{0, 0, page.width(), page.height()};
  Canvas canvas;
  for (int top = 0; top < page.height(); top += bandRows) {
    const int rows = std::min(bandRows, page.height() - top);
    if (canvas.width() != width || canvas.height() != rows) {
      if (canvas.Allocate(width, rows) != CanvasError::kNone) return false;
    }
    canvas.FillWhite();
    CDC dc(canvas);
    dc.SetWindowOrg(0, top);
    view.OnPrint(&dc, &info);
    const QImage band(canvas.bytes(), width, rows, static_cast<qsizetype>(canvas.strideBytes()),
                      QImage::Format_RGB32);
    const QRect target(page.left(), page.top() + top, width, rows);
    if (previewScale < 1.0) {
      const QSize small(std::max(1, static_cast<int>(width * previewScale)),
                        std::max(1, static_cast<int>(rows * previewScale)));
      painter.drawImage(target,
                        band.scaled(small, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    } else {
      painter.drawImage(target, band);
    }
  }
  return true;
}

bool PrintJob(CView& view, CPrintInfo& info, QPrinter& printer) {
  Canvas noCanvas;
  CDC jobDc(noCanvas);
  view.OnBeginPrinting(&jobDc, &info);
  QPainter painter;
  const double previewScale =
      info.m_bPreview ? std::min(1.0, kPreviewDotsPerInch / std::max(1, printer.resolution()))
                      : 1.0;
  const bool printed = painter.begin(&printer) &&
                       PrintPageInBands(view, info, painter, PrintableArea(printer), previewScale);
  if (painter.isActive()) painter.end();
  view.OnEndPrinting(&jobDc, &info);
  return printed;
}

void SetPrintDialogForTesting(std::function<bool(QPrinter&)> dialog) {
  PrintDialogOverride() = std::move(dialog);
}

void SetPrintPreviewForTesting(
    std::function<void(QPrinter&, const std::function<void(QPrinter*)>&)> preview) {
  PreviewOverride() = std::move(preview);
}

void CView::OnFilePrint() { RunPrint(*this, PrintMode::kDialog); }

void CView::OnFilePrintDirect() { RunPrint(*this, PrintMode::kDirect); }

void CView::OnFilePrintPreview() { RunPrint(*this, PrintMode::kPreview); }

bool CView::OnPreparePrinting(CPrintInfo* info) { return DoPreparePrinting(info); }

void CView::OnBeginPrinting(CDC* /*dc*/, CPrintInfo* /*info*/) {}

void CView::OnEndPrinting(CDC* /*dc*/, CPrintInfo* /*info*/) {}

void CView::OnPrint(CDC* dc, CPrintInfo* /*info*/) { OnDraw(dc); }
