#include "pageview/PagePass.h"

#include <algorithm>
#include <memory>
#include <new>
#include <optional>
#include <string>

#include "platform/canvas/Scale.h"
#include "platform/system/CodePage.h"
#include "raster/DrawLineBitmap.h"

namespace {

constexpr TextStyle kLabelStyle{16, L"宋体", 0x00FF0000};  // 16-pixel cell at every zoom, blue

// Whether the text cell with its top-left corner at logical (x, y), `cellHeight` high and at
// most as wide as the text's advance, surely lies outside the target's clip. Only the far side
// of the width can be judged without measuring the text.
bool CellMissesClip(const ClippedCanvas& target, std::int32_t x, std::int32_t y,
                    int cellHeight) {
  const std::int64_t left = std::int64_t{x} - target.originX;
  const std::int64_t top = std::int64_t{y} - target.originY;
  return target.clip.Empty() || left >= target.clip.right || top >= target.clip.bottom ||
         top + cellHeight <= target.clip.top;
}

// Writes the label of `line` at its scaled top-left corner, decoded up to its first 0 byte.
void DrawLabel(DrawingTarget& target, const PageLine& line, float zoom,
               std::string_view codePage) {
  const std::int32_t x = ScaleToDevice(line.left, zoom);
  const std::int32_t y = ScaleToDevice(line.top, zoom);
  const int cellHeight = target.TextCellHeight();
  if (cellHeight == 0 || CellMissesClip(target.Target(), x, y, cellHeight)) return;
  const std::string_view bytes(reinterpret_cast<const char*>(line.label.data()), line.label.size());
  const std::optional<std::wstring> text = DecodeMultiByte(bytes, codePage);
  if (!text || text->empty()) return;
  target.TextOut(x, y, text->c_str(), static_cast<int>(text->size()));
}

}  // namespace

PageExtent ZoomedExtent(const PageBody& page, float zoom) {
  return {ScaleToDevice(page.pageWidth, zoom), ScaleToDevice(page.pageHeight, zoom)};
}

PassResult DrawPagePass(DrawingTarget& target, const PageBody& page, float zoom,
                        std::string_view labelCodePage) {
  PassResult result;
  if (page.lineCount == 0) return result;
  target.SelectTextStyle(kLabelStyle);
  const std::unique_ptr<BITMAPINFOHEADER> header(new (std::nothrow) BITMAPINFOHEADER);
  result.complete = header != nullptr;
  if (result.complete) InitBitmapHeader(*header);
  const std::int32_t lines = std::min(page.UsedLines(), kMaxLines);
  for (std::int32_t i = 0; result.complete && i < lines; ++i) {
    const PageLine& line = page.lines[static_cast<std::size_t>(i)];
    result.complete = RasterizeLine(target, line, *header, zoom);
    if (result.complete) DrawLabel(target, line, zoom, labelCodePage);
  }
  if (result.complete) result.extent = ZoomedExtent(page, zoom);
  return result;
}
