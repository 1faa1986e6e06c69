#include "cli/pages/PagePicture.h"

#include <QImage>
#include <algorithm>

#include "cli/output/PngEncoder.h"
#include "platform/system/CDC.h"
#include "raster/DrawLineBitmap.h"

bool DrawLineImages(const PageBody& body, float zoom, Canvas& canvas) {
  CDC dc(canvas);
  dc.SetMapMode(MM_TEXT);
  BITMAPINFOHEADER header{};
  InitBitmapHeader(header);
  const std::int32_t lines = std::min(body.UsedLines(), kMaxLines);
  for (std::int32_t i = 0; i < lines; ++i) {
    if (!RasterizeLine(dc, body.lines[static_cast<std::size_t>(i)], header, zoom)) return false;
  }
  return true;
}

std::optional<std::string> EncodeGreyCanvasPng(const Canvas& canvas) {
  if (canvas.empty()) return std::nullopt;
  QImage image(canvas.width(), canvas.height(), QImage::Format_Grayscale8);
  if (image.isNull()) return std::nullopt;
  for (std::int32_t y = 0; y < canvas.height(); ++y) {
    const std::uint32_t* source = canvas.Row(y);
    std::uint8_t* target = image.scanLine(y);
    // Grey pixels have equal channels, so the blue byte is the grey level.
    for (std::int32_t x = 0; x < canvas.width(); ++x) target[x] = source[x] & 0xFF;
  }
  return EncodePng(image);
}
