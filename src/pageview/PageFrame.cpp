#include "pageview/PageFrame.h"

#include "platform/canvas/Scale.h"

PageExtent ZoomedExtent(const PageBody& page, float zoom) {
  return {ScaleToDevice(page.pageWidth, zoom), ScaleToDevice(page.pageHeight, zoom)};
}

std::optional<PageExtent> PassExtent(const PageBody& page, float zoom) {
  if (page.lineCount == 0) return std::nullopt;
  return ZoomedExtent(page, zoom);
}

PageFrame ScrolledFrame(const PageBody& page, float zoom, std::string_view labelCodePage) {
  return {&page, zoom, labelCodePage, true, PassExtent(page, zoom).value_or(kInitialExtent)};
}

bool DrawsLabels(const PageFrame& frame) {
  if (!frame.labels) return false;
  for (std::int32_t i = 0; i < frame.page->UsedLines(); ++i) {
    const ByteBuffer& label = frame.page->lines[static_cast<std::size_t>(i)].label;
    if (label.size() > 0 && label.data()[0] != 0) return true;
  }
  return false;
}
