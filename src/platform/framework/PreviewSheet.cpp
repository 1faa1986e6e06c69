#include "platform/framework/PreviewSheet.h"

#include <QKeyEvent>
#include <QMetaObject>
#include <QPaintEvent>
#include <QPainter>
#include <QPrinter>
#include <QScrollBar>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

#include "platform/framework/CView.h"
#include "platform/system/BandDrawing.h"
#include "platform/system/CDC.h"

namespace {

constexpr int kGround = 0x808080;    // around the paper
constexpr int kShadow = 0x404040;    // the paper's shadow, bottom right
constexpr int kMarginPixels = 16;    // ground around the paper, window pixels
constexpr int kShadowPixels = 3;     // window pixels
constexpr int kLineStepPixels = 20;  // one arrow key or wheel step, window pixels

int Scaled(int dots, double scale) { return static_cast<int>(std::ceil(dots * scale)); }

}  // namespace

PreviewSheet::PreviewSheet(CView& view, const CPrintInfo& info, QPrinter& printer, QWidget* parent)
    : QAbstractScrollArea(parent), view_(&view), info_(info), printer_(printer) {
  info_.m_bPreview = true;
  setFocusPolicy(Qt::StrongFocus);
  viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
}

QSize PreviewSheet::DeviceSize() const {
  const qreal ratio = viewport()->devicePixelRatio();
  return QSize(static_cast<int>(std::ceil(viewport()->width() * ratio)),
               static_cast<int>(std::ceil(viewport()->height() * ratio)));
}

QSize PreviewSheet::PaperDots() const {
  return printer_.pageLayout().fullRectPixels(printer_.resolution()).size();
}

double PreviewSheet::FitScale() const {
  const QSize paper = PaperDots();
  const QSize device = DeviceSize();
  // One pixel more, so that rounding the shown paper up never asks for a scroll bar.
  const double margin = 2.0 * kMarginPixels * viewport()->devicePixelRatio() + 1.0;
  if (paper.isEmpty()) return 1.0;
  const double fit = std::min((device.width() - margin) / paper.width(),
                              (device.height() - margin) / paper.height());
  return std::clamp(fit, 1.0 / (1 << 16), kMaxScale);
}

double PreviewSheet::Scale() const { return fitting_ ? FitScale() : scale_; }

int PreviewSheet::ZoomPercent() const {
  const double devicePerInch = viewport()->logicalDpiX() * viewport()->devicePixelRatio();
  const double realSize = devicePerInch / std::max(1, printer_.resolution());
  return static_cast<int>(std::lround(Scale() / realSize * 100.0));
}

QRect PreviewSheet::PaperRect() const {
  const QSize device = DeviceSize();
  const QSize paper = PaperDots();
  const double scale = Scale();
  const int margin = static_cast<int>(std::lround(kMarginPixels * viewport()->devicePixelRatio()));
  const QSize shown(Scaled(paper.width(), scale), Scaled(paper.height(), scale));
  const auto place = [margin](int shownLength, int windowLength, int scrolled) {
    return shownLength + 2 * margin <= windowLength ? (windowLength - shownLength) / 2
                                                    : margin - scrolled;
  };
  return QRect(QPoint(place(shown.width(), device.width(), horizontalScrollBar()->value()),
                      place(shown.height(), device.height(), verticalScrollBar()->value())),
               shown);
}

void PreviewSheet::UpdateBars() {
  const QSize device = DeviceSize();
  const QSize paper = PaperRect().size();
  const qreal ratio = viewport()->devicePixelRatio();
  const int margin = static_cast<int>(std::lround(kMarginPixels * ratio));
  const int step = static_cast<int>(std::lround(kLineStepPixels * ratio));
  horizontalScrollBar()->setRange(0, std::max(0, paper.width() + 2 * margin - device.width()));
  verticalScrollBar()->setRange(0, std::max(0, paper.height() + 2 * margin - device.height()));
  horizontalScrollBar()->setPageStep(std::max(1, device.width()));
  verticalScrollBar()->setPageStep(std::max(1, device.height()));
  horizontalScrollBar()->setSingleStep(step);
  verticalScrollBar()->setSingleStep(step);
}

void PreviewSheet::CentreOn(QPointF dots) {
  const QSize device = DeviceSize();
  const double scale = Scale();
  const double margin = kMarginPixels * viewport()->devicePixelRatio();
  horizontalScrollBar()->setValue(
      static_cast<int>(std::lround(margin + dots.x() * scale - device.width() / 2.0)));
  verticalScrollBar()->setValue(
      static_cast<int>(std::lround(margin + dots.y() * scale - device.height() / 2.0)));
}

void PreviewSheet::ZoomTo(double scale, bool fitting) {
  const QSize device = DeviceSize();
  const QRect paper = PaperRect();
  const double before = Scale();
  const QPointF centre((device.width() / 2.0 - paper.left()) / before,
                       (device.height() / 2.0 - paper.top()) / before);
  fitting_ = fitting;
  scale_ = std::min(scale, kMaxScale);
  UpdateBars();
  CentreOn(centre);
  viewport()->update();
  emit ZoomChanged();
}

void PreviewSheet::ZoomIn() {
  if (CanZoomIn()) ZoomTo(Scale() * kZoomStep, false);
}

void PreviewSheet::ZoomOut() {
  if (!CanZoomOut()) return;
  const double scale = Scale() / kZoomStep;
  ZoomTo(scale, scale <= FitScale());
}

void PreviewSheet::PrinterChanged() { ZoomTo(FitScale(), true); }

void PreviewSheet::resizeEvent(QResizeEvent* /*event*/) {
  if (!fitting_ && scale_ <= FitScale()) fitting_ = true;
  UpdateBars();
  emit ZoomChanged();
}

void PreviewSheet::scrollContentsBy(int /*dx*/, int /*dy*/) { viewport()->update(); }

void PreviewSheet::keyPressEvent(QKeyEvent* event) {
  const bool plain = (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) == 0;
  if (plain && event->text() == QStringLiteral("+")) {
    ZoomIn();
  } else if (plain && event->text() == QStringLiteral("-")) {
    ZoomOut();
  } else if (event->key() == Qt::Key_Home) {
    horizontalScrollBar()->setValue(0);
    verticalScrollBar()->setValue(0);
  } else if (event->key() == Qt::Key_End) {
    verticalScrollBar()->setValue(verticalScrollBar()->maximum());
  } else {
    QAbstractScrollArea::keyPressEvent(event);
  }
}

void PreviewSheet::wheelEvent(QWheelEvent* event) {
  if ((event->modifiers() & Qt::ControlModifier) == 0 || event->angleDelta().y() == 0) {
    QAbstractScrollArea::wheelEvent(event);
    return;
  }
  if (event->angleDelta().y() > 0) {
    ZoomIn();
  } else {
    ZoomOut();
  }
  event->accept();
}

void PreviewSheet::ReportFailure() {
  if (failed_) return;
  failed_ = true;
  QMetaObject::invokeMethod(
      this, [this] { emit DrawingFailed(); }, Qt::QueuedConnection);
}

void PreviewSheet::paintEvent(QPaintEvent* event) {
  QWidget& client = *viewport();
  const qreal ratio = client.devicePixelRatio();
  const QSize device = DeviceSize();
  const QRect exposed = event->rect();
  const QRect area = QRect(QPoint(static_cast<int>(std::floor(exposed.left() * ratio)),
                                  static_cast<int>(std::floor(exposed.top() * ratio))),
                           QPoint(static_cast<int>(std::ceil((exposed.right() + 1) * ratio)) - 1,
                                  static_cast<int>(std::ceil((exposed.bottom() + 1) * ratio)) - 1))
                         .intersected(QRect(QPoint(0, 0), device));
  if (area.isEmpty()) return;
  const auto toWindow = [ratio](const QRect& rect) {
    return QRectF(QPointF(rect.topLeft()) / ratio, QSizeF(rect.size()) / ratio);
  };

  const double scale = Scale();
  const QRect paper = PaperRect();
  const QRect printableDots = printer_.pageLayout().paintRectPixels(printer_.resolution());
  const QRect printable(paper.left() + static_cast<int>(std::floor(printableDots.left() * scale)),
                        paper.top() + static_cast<int>(std::floor(printableDots.top() * scale)),
                        Scaled(printableDots.width(), scale),
                        Scaled(printableDots.height(), scale));
  QPainter painter(&client);
  painter.setClipRect(toWindow(area));
  painter.fillRect(toWindow(area), QColor(kGround));
  const int shadow = static_cast<int>(std::lround(kShadowPixels * ratio));
  painter.fillRect(toWindow(paper.translated(shadow, shadow)), QColor(kShadow));
  painter.fillRect(toWindow(paper), Qt::white);

  // The page in bands over the part of the printable area on show, in logical units of the
  // pass: preview pixels from the printable area's top-left corner.
  const QRect shown = area.intersected(printable).translated(-printable.topLeft());
  if (shown.isEmpty() || view_ == nullptr) return;
  info_.m_rectDraw = CRect{0, 0, printableDots.width(), printableDots.height()};
  const auto draw = [this, scale](CDC& dc) {
    dc.SetPreviewScale(static_cast<float>(scale));
    view_->OnPrint(&dc, &info_);
    return true;
  };
  const auto take = [&](const Band& band) {
    const QImage image(reinterpret_cast<const uchar*>(band.canvas.Row(0)), band.canvas.width(),
                       band.rows(), static_cast<qsizetype>(band.canvas.strideBytes()),
                       QImage::Format_RGB32);
    const QRect placed(printable.left() + band.area.left, printable.top() + band.area.top,
                       band.canvas.width(), band.rows());
    painter.drawImage(toWindow(placed), image);
    return true;
  };
  const PixelRect region{shown.left(), shown.top(), shown.right() + 1, shown.bottom() + 1};
  if (DrawInBands(region, kDefaultBandPixels, draw, take) != BandOutcome::kDone) ReportFailure();
}
