#pragma once

#include <QRect>
#include <QSize>
#include <vector>

// Where document windows go inside the frame's client area of size `area` (pixels). `step` is
// the cascade offset between windows, a caption's height.

// The place of the `index`th (0-based) new document window: three quarters of the area,
// below and right of the one before by `step`, starting over at the corner after 8.
QRect NewDocumentWindowRect(QSize area, int index, int step);

// `count` windows cascaded from the top-left corner, each `step` further down and right, all
// of one size: as large as the area allows after the offsets. When that size would fall below
// half the area, the cascade starts again at the corner, so the windows come in runs of the
// same size.
std::vector<QRect> CascadeRects(QSize area, int count, int step);

// `count` windows one above the other, each the full width of the area; the heights differ by
// at most one pixel, the taller ones first.
std::vector<QRect> TileHorizontallyRects(QSize area, int count);

// Minimised document windows (icons) of sizes `icons`, in that order, side by side along the
// bottom edge of the area from the left; an icon that does not fit beside the one before
// starts a row above. Their places, and the height all rows take together.
struct IconRows {
  std::vector<QRect> places;
  int height = 0;
};
IconRows ArrangeIconRows(QSize area, const std::vector<QSize>& icons);
