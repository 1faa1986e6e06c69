#include "platform/framework/PrintJob.h"

#include <QImage>
#include <QPainter>
#include <QPrinter>
#include <algorithm>
#include <cmath>
#include <optional>

#include "platform/framework/CPrintInfo.h"
#include "platform/framework/CView.h"
#include "platform/framework/PdfPrintFile.h"
#include "platform/system/CDC.h"

namespace {

// The printable area of the printer's current page in printer dots.
QRect PrintableArea(QPrinter& printer) {
  return QRect(QPoint(0, 0), printer.pageLayout().paintRectPixels(printer.resolution()).size());
}

}  // namespace

bool PrintPageInBands(CView& view, CPrintInfo& info, QPainter& painter, const QRect& page,
                      double previewScale, long long bandPixels) {
  // The canvas covers the page at the preview's scale; printer dots when printing.
  const float scale =
      previewScale > 0.0 && previewScale < 1.0 ? static_cast<float>(previewScale) : 1.0f;
  const auto scaled = [scale](int dots) {
    return scale == 1.0f ? dots : static_cast<int>(std::ceil(dots * double{scale}));
  };
  const int width = std::clamp(scaled(page.width()), 0, static_cast<int>(Canvas::kMaxSide));
  const int height = scaled(page.height());
  if (width == 0 || height <= 0) return true;
  const int bandRows =
      static_cast<int>(std::clamp<long long>(bandPixels / width, 1, Canvas::kMaxSide));
  info.m_rectDraw = CRect{0, 0, page.width(), page.height()};
  Canvas canvas;
  for (int top = 0; top < height; top += bandRows) {
    const int rows = std::min(bandRows, height - top);
    if (canvas.width() != width || canvas.height() != rows) {
      if (canvas.Allocate(width, rows) != CanvasError::kNone) return false;
    }
    canvas.FillWhite();
    CDC dc(canvas);
    dc.SetPreviewScale(scale);
    dc.SetWindowOrg(0, top);
    view.OnPrint(&dc, &info);
    if (dc.Incomplete()) return false;
    const QImage band(canvas.bytes(), width, rows, static_cast<qsizetype>(canvas.strideBytes()),
                      QImage::Format_RGB32);
    // A preview keeps what it is given beyond this band, so it gets its own copy.
    const QImage kept = info.m_bPreview ? band.copy() : band;
    if (scale == 1.0f) {
      painter.drawImage(QPoint(page.left(), page.top() + top), kept);
    } else {
      painter.drawImage(QRectF(page.left(), page.top() + top / double{scale}, width / double{scale},
                               rows / double{scale}),
                        kept);
    }
  }
  return true;
}

bool PrintJob(CView& view, CPrintInfo& info, QPrinter& printer) {
  Canvas noCanvas;
  CDC jobDc(noCanvas);
  view.OnBeginPrinting(&jobDc, &info);
  // Output to a PDF file is written by the job itself, so that a failed job leaves no
  // half-written file.
  std::optional<PdfPrintFile> pdf;
  QPagedPaintDevice* device = &printer;
  if (!info.m_bPreview && printer.outputFormat() == QPrinter::PdfFormat &&
      !printer.outputFileName().isEmpty()) {
    device =
        pdf.emplace(printer.outputFileName()).Begin(printer.pageLayout(), printer.resolution());
  }
  QPainter painter;
  const double previewScale = info.m_bPreview ? info.m_previewScale : 1.0;
  bool printed = device != nullptr && painter.begin(device) &&
                 PrintPageInBands(view, info, painter, PrintableArea(printer), previewScale);
  if (painter.isActive()) printed = painter.end() && printed;
  if (pdf) printed = printed && pdf->Commit();
  view.OnEndPrinting(&jobDc, &info);
  return printed;
}
