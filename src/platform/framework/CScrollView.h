#pragma once

#include "platform/canvas/Canvas.h"
#include "platform/framework/CView.h"

class QPaintEvent;
class QResizeEvent;

// A size or a point in device pixels.
struct CSize {
  int cx = 0;
  int cy = 0;
  friend bool operator==(const CSize&, const CSize&) = default;
};
struct CPoint {
  int x = 0;
  int y = 0;
  friend bool operator==(const CPoint&, const CPoint&) = default;
};

// Asks SetScrollSizes for its default page or line step.
inline constexpr CSize sizeDefault{0, 0};

// A view whose client area scrolls over a larger drawing. Sizes and the scroll position are in
// device pixels: one drawing unit (MM_TEXT) is one device pixel, also on scaled displays, where
// a window pixel holds devicePixelRatio device pixels per side.
//
// Each repaint draws the invalidated part of the client area onto a canvas of the viewport's
// device size, cleared white, through OnDraw with the window origin at the scroll position; a
// scroll step moves the pixels already shown and repaints only the strip it exposes.
class CScrollView : public CView {
  Q_OBJECT

 public:
  explicit CScrollView(CDocument* document = nullptr, QWidget* parent = nullptr);

  // Sets the scrolled drawing's size. A page step of sizeDefault is a tenth of the total size,
  // a line step of sizeDefault a tenth of the page step, each per direction. Negative totals
  // count as 0. A scroll position the new range no longer admits is moved into it. Only
  // MM_TEXT exists, so `mapMode` does not change anything.
  void SetScrollSizes(int mapMode, CSize total, const CSize& page = sizeDefault,
                      const CSize& line = sizeDefault);

  CSize GetTotalSize() const { return total_; }
  CSize GetPageSize() const { return page_; }
  CSize GetLineSize() const { return line_; }
  // The device pixel of the drawing at the client area's top-left corner.
  CPoint GetScrollPosition() const;
  // Scrolls so that `position` (moved into the scroll range) is at the top-left corner.
  void ScrollToPosition(CPoint position);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void scrollContentsBy(int dx, int dy) override;

 private:
  // Fits the scroll bars' ranges and steps to the total size and the viewport.
  void UpdateBars();
  qreal DeviceRatio() const;

  CSize total_;
  CSize page_;
  CSize line_;
  bool painting_ = false;  // SetScrollSizes from a repaint updates the bars after it
  bool barsPending_ = false;
  Canvas canvas_;  // the viewport in device pixels, reused while its size stays
};
