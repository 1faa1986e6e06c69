#include "platform/framework/CScrollView.h"

#include <QImage>
#include <QMetaObject>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>
#include <cmath>

#include "platform/system/CDC.h"

namespace {

int ToDevice(qreal windowPixels, qreal ratio) {
  return static_cast<int>(std::ceil(windowPixels * ratio));
}

// Steps of sizeDefault: a tenth of the larger size, per direction.
CSize StepOrDefault(const CSize& step, const CSize& larger) {
  return CSize{step.cx != 0 ? step.cx : larger.cx / 10, step.cy != 0 ? step.cy : larger.cy / 10};
}

void FillWhite(Canvas& canvas, const PixelRect& area) {
  for (std::int32_t y = area.top; y < area.bottom; ++y) {
    std::fill(canvas.Row(y) + area.left, canvas.Row(y) + area.right, kCanvasWhite);
  }
}

}  // namespace

CScrollView::CScrollView(CDocument* document, QWidget* parent) : CView(document, parent) {}

void CScrollView::SetScrollSizes(int /*mapMode*/, CSize total, const CSize& page,
                                 const CSize& line) {
  total_ = CSize{std::max(total.cx, 0), std::max(total.cy, 0)};
  page_ = StepOrDefault(page, total_);
  line_ = StepOrDefault(line, page_);
  // Moving the scroll position from inside a repaint would scroll the widget being painted.
  if (painting_) {
    barsPending_ = true;
  } else {
    UpdateBars();
  }
}

CPoint CScrollView::GetScrollPosition() const {
  return CPoint{horizontalScrollBar()->value(), verticalScrollBar()->value()};
}

void CScrollView::ScrollToPosition(CPoint position) {
  horizontalScrollBar()->setValue(position.x);
  verticalScrollBar()->setValue(position.y);
}

qreal CScrollView::DeviceRatio() const { return viewport()->devicePixelRatio(); }

void CScrollView::UpdateBars() {
  const qreal ratio = DeviceRatio();
  const QSize client = viewport()->size();
  QScrollBar& horizontal = *horizontalScrollBar();
  QScrollBar& vertical = *verticalScrollBar();
  // setRange moves a value outside the new range into it, which scrolls the view.
  horizontal.setRange(0, std::max(0, total_.cx - ToDevice(client.width(), ratio)));
  vertical.setRange(0, std::max(0, total_.cy - ToDevice(client.height(), ratio)));
  horizontal.setPageStep(std::max(1, page_.cx));
  vertical.setPageStep(std::max(1, page_.cy));
  horizontal.setSingleStep(std::max(1, line_.cx));
  vertical.setSingleStep(std::max(1, line_.cy));
}

void CScrollView::resizeEvent(QResizeEvent* /*event*/) { UpdateBars(); }

void CScrollView::scrollContentsBy(int dx, int dy) {
  // The shown pixels can only be moved by whole window pixels.
  const qreal ratio = DeviceRatio();
  const qreal windowDx = dx / ratio;
  const qreal windowDy = dy / ratio;
  if (windowDx == std::trunc(windowDx) && windowDy == std::trunc(windowDy)) {
    viewport()->scroll(static_cast<int>(windowDx), static_cast<int>(windowDy));
  } else {
    viewport()->update();
  }
}

void CScrollView::paintEvent(QPaintEvent* event) {
  QWidget& client = *viewport();
  const qreal ratio = DeviceRatio();
  const int width = ToDevice(client.width(), ratio);
  const int height = ToDevice(client.height(), ratio);
  if ((canvas_.width() != width || canvas_.height() != height) &&
      canvas_.Allocate(width, height) != CanvasError::kNone) {
    QPainter(&client).fillRect(event->rect(), Qt::white);
    return;
  }
  if (canvas_.empty()) return;

  const QRect exposed = event->rect();
  CDC dc(canvas_);
  dc.SetClipRect(PixelRect{static_cast<std::int32_t>(std::floor(exposed.left() * ratio)),
                           static_cast<std::int32_t>(std::floor(exposed.top() * ratio)),
                           ToDevice(exposed.left() + exposed.width(), ratio),
                           ToDevice(exposed.top() + exposed.height(), ratio)});
  const PixelRect clip = dc.GetClipRect();
  if (clip.Empty()) return;
  FillWhite(canvas_, clip);
  const CPoint position = GetScrollPosition();
  dc.SetWindowOrg(position.x, position.y);

  painting_ = true;
  OnDraw(&dc);
  painting_ = false;

  const QImage image(canvas_.bytes(), width, height, static_cast<qsizetype>(canvas_.strideBytes()),
                     QImage::Format_RGB32);
  const QRectF source(clip.left, clip.top, clip.right - clip.left, clip.bottom - clip.top);
  QPainter painter(&client);
  painter.drawImage(QRectF(source.topLeft() / ratio, source.size() / ratio), image, source);

  if (barsPending_) {
    barsPending_ = false;
    QMetaObject::invokeMethod(
        this, [this] { UpdateBars(); }, Qt::QueuedConnection);
  }
}
