#include "platform/framework/PrintJob.h"

#include <QImage>
#include <QPainter>
#include <QPrinter>
#include <algorithm>
#include <cerrno>
#include <optional>

#include "platform/framework/CPrintInfo.h"
#include "platform/framework/CView.h"
#include "platform/framework/PdfPrintFile.h"
#include "platform/framework/ResourceStrings.h"
#include "platform/system/BandDrawing.h"
#include "platform/system/CDC.h"

namespace {

// A band's image is placed this much short of its far edges, in device pixels. Rasterisers
// that sample pixel centres draw it pixel for pixel all the same; those that widen an image
// whose far edge lies exactly on a pixel boundary by one pixel (and so resample all of it)
// then keep it at its own size. Far too little to show as a seam between bands.
constexpr double kFarEdgeInset = 1.0 / 1024;

// The printable area of the printer's current page in printer dots.
QRect PrintableArea(QPrinter& printer) {
  return QRect(QPoint(0, 0), printer.pageLayout().paintRectPixels(printer.resolution()).size());
}

bool WhiteRow(const Canvas& canvas, std::int32_t y) {
  const std::uint32_t* row = canvas.Row(y);
  return std::all_of(row, row + canvas.width(), [](std::uint32_t p) { return p == kCanvasWhite; });
}

// The smallest rectangle of the first `rows` rows of `canvas` holding every pixel that is not
// white; empty when all are. Paper is white, so the rest need not be sent.
QRect DrawnPart(const Canvas& canvas, std::int32_t rows) {
  std::int32_t top = 0;
  std::int32_t bottom = rows;
  while (top < bottom && WhiteRow(canvas, top)) ++top;
  while (bottom > top && WhiteRow(canvas, bottom - 1)) --bottom;
  if (top == bottom) return {};
  std::int32_t left = canvas.width();
  std::int32_t right = 0;
  for (std::int32_t y = top; y < bottom; ++y) {
    const std::uint32_t* row = canvas.Row(y);
    std::int32_t x = 0;
    while (x < left && row[x] == kCanvasWhite) ++x;
    left = x;
    std::int32_t end = canvas.width();
    while (end > right && row[end - 1] == kCanvasWhite) --end;
    right = end;
  }
  return QRect(left, top, right - left, bottom - top);
}

PrintFailure FromFileError(PrintFileError error) {
  switch (error) {
    case PrintFileError::kHeldPage:
      return PrintFailure::kTargetIsPage;
    case PrintFileError::kNotAFile:
      return PrintFailure::kTargetNotFile;
    case PrintFileError::kNoSpace:
      return PrintFailure::kNoSpace;
    case PrintFileError::kCannotWrite:
    case PrintFileError::kNone:
      break;
  }
  return PrintFailure::kCannotWrite;
}

// Why a file cannot be written, in words, for the common causes.
QString WriteReason(int systemError) {
  switch (systemError) {
    case EACCES:
    case EPERM:
      return LoadQString(IDP_PRINT_NO_PERMISSION);
    case EROFS:
      return LoadQString(IDP_PRINT_READ_ONLY);
    case ENOENT:
    case ENOTDIR:
      return LoadQString(IDP_PRINT_NO_FOLDER);
    default:
      return LoadQString(IDP_PRINT_WRITE_ERROR);
  }
}

}  // namespace

bool PrintPageInBands(CView& view, CPrintInfo& info, QPainter& painter, const QRect& page,
                      long long bandPixels) {
  info.m_rectDraw = CRect{0, 0, page.width(), page.height()};
  painter.setRenderHint(QPainter::LosslessImageRendering);
  const auto draw = [&view, &info](CDC& dc) {
    view.OnPrint(&dc, &info);
    return true;
  };
  const auto take = [&painter, &page](const Band& band) {
    const QRect drawn = DrawnPart(band.canvas, band.rows());
    if (drawn.isEmpty()) return true;
    const QImage part(reinterpret_cast<const uchar*>(band.canvas.Row(drawn.top()) + drawn.left()),
                      drawn.width(), drawn.height(),
                      static_cast<qsizetype>(band.canvas.strideBytes()), QImage::Format_RGB32);
    painter.drawImage(QRectF(page.left() + band.area.left + drawn.left(),
                             page.top() + band.area.top + drawn.top(),
                             drawn.width() - kFarEdgeInset, drawn.height() - kFarEdgeInset),
                      part);
    return true;
  };
  return DrawInBands(PixelRect{0, 0, page.width(), page.height()}, bandPixels, draw, take) ==
         BandOutcome::kDone;
}

PrintResult PrintJob(CView& view, CPrintInfo& info, QPrinter& printer) {
  Canvas noCanvas;
  CDC jobDc(noCanvas);
  view.OnBeginPrinting(&jobDc, &info);
  // Output to a PDF file is written by the job itself, so that a failed job leaves no
  // half-written file.
  std::optional<PdfPrintFile> pdf;
  QPagedPaintDevice* device = &printer;
  if (printer.outputFormat() == QPrinter::PdfFormat && !printer.outputFileName().isEmpty()) {
    device = pdf.emplace(printer.outputFileName(), info.m_strShownFile)
                 .Begin(printer.pageLayout(), printer.resolution(), printer.docName());
  }
  PrintResult result;
  QPainter painter;
  if (device == nullptr) {
    result.failure = FromFileError(pdf->Error());
    result.systemError = pdf->SystemError();
  } else if (!painter.begin(device)) {
    result.failure = PrintFailure::kPrinterError;
  } else {
    if (!PrintPageInBands(view, info, painter, PrintableArea(printer))) {
      result.failure = PrintFailure::kNoMemory;
    }
    if (!painter.end() && result.printed()) result.failure = PrintFailure::kPrinterError;
    if (pdf && result.printed() && !pdf->Commit()) {
      result.failure = FromFileError(pdf->Error());
      result.systemError = pdf->SystemError();
    }
    if (!pdf && result.printed() && printer.printerState() == QPrinter::Error) {
      result.failure = PrintFailure::kPrinterError;
    }
  }
  view.OnEndPrinting(&jobDc, &info);
  return result;
}

QString PrintFailureMessage(const PrintResult& result, const QString& target) {
  switch (result.failure) {
    case PrintFailure::kNone:
      break;
    case PrintFailure::kTargetIsPage:
      return LoadQString(IDP_PRINT_TARGET_IS_PAGE).arg(target);
    case PrintFailure::kTargetNotFile:
      return LoadQString(IDP_PRINT_TARGET_NOT_FILE).arg(target);
    case PrintFailure::kNoSpace:
      return LoadQString(IDP_PRINT_NO_SPACE).arg(target);
    case PrintFailure::kCannotWrite:
      return LoadQString(IDP_PRINT_CANNOT_WRITE).arg(target, WriteReason(result.systemError));
    case PrintFailure::kNoMemory:
      return LoadQString(IDP_PRINT_NO_MEMORY);
    case PrintFailure::kPrinterError:
      return LoadQString(IDP_PRINT_PRINTER_ERROR);
  }
  return {};
}
