#include "platform/framework/MdiLayout.h"

#include <algorithm>

namespace {

constexpr int kNewWindowSteps = 8;

}  // namespace

QRect NewDocumentWindowRect(QSize area, int index, int step) {
  const int offset = index % kNewWindowSteps * step;
  return {QPoint(offset, offset), area * 3 / 4};
}

std::vector<QRect> CascadeRects(QSize area, int count, int step) {
  std::vector<QRect> rects;
  if (count <= 0) return rects;
  step = std::max(step, 1);
  // How many offsets fit before a window would be smaller than half the area.
  const int room = std::min(area.width() - area.width() / 2, area.height() - area.height() / 2);
  const int run = std::clamp(room / step + 1, 1, count);
  const QSize size(std::max(area.width() - (run - 1) * step, 1),
                   std::max(area.height() - (run - 1) * step, 1));
  for (int index = 0; index < count; ++index) {
    const int offset = index % run * step;
    rects.emplace_back(QPoint(offset, offset), size);
  }
  return rects;
}

std::vector<QRect> TileHorizontallyRects(QSize area, int count) {
  std::vector<QRect> rects;
  if (count <= 0) return rects;
  const int base = area.height() / count;
  const int taller = area.height() % count;
  int top = 0;
  for (int index = 0; index < count; ++index) {
    const int height = std::max(base + (index < taller ? 1 : 0), 1);
    rects.emplace_back(0, top, area.width(), height);
    top += height;
  }
  return rects;
}

IconRows ArrangeIconRows(QSize area, const std::vector<QSize>& icons) {
  IconRows rows;
  // Rows are filled left to right first; each row's top is known once the rows below are.
  std::vector<std::size_t> rowStarts;
  int x = 0;
  for (std::size_t index = 0; index < icons.size(); ++index) {
    if (index == 0 || (x > 0 && x + icons[index].width() > area.width())) {
      rowStarts.push_back(index);
      x = 0;
    }
    rows.places.emplace_back(QPoint(x, 0), icons[index]);
    x += icons[index].width();
  }
  rowStarts.push_back(icons.size());
  for (std::size_t row = 0; row + 1 < rowStarts.size(); ++row) {
    int rowHeight = 0;
    for (std::size_t index = rowStarts[row]; index < rowStarts[row + 1]; ++index) {
      rowHeight = std::max(rowHeight, icons[index].height());
    }
    rows.height += rowHeight;
    for (std::size_t index = rowStarts[row]; index < rowStarts[row + 1]; ++index) {
      rows.places[index].moveBottom(area.height() - 1 - (rows.height - rowHeight));
    }
  }
  return rows;
}
