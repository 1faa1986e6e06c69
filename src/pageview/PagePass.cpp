#include "pageview/PagePass.h"

#include <algorithm>
#include <memory>
#include <new>
#include <optional>
#include <string>
#include <string_view>

#include "platform/canvas/Scale.h"
#include "platform/system/CDC.h"
#include "platform/system/CodePage.h"
#include "raster/DrawLineBitmap.h"

namespace {

// Whether the text cell with its top-left corner at logical (x, y), `cellHeight` high and at
// most as wide as the text's advance, surely lies outside the target's clip. Only the far side
// of the width can be judged without measuring the text.
bool CellMissesClip(const ClippedCanvas& target, std::int32_t x, std::int32_t y, int cellHeight) {
  const std::int64_t left = std::int64_t{x} - target.originX;
  const std::int64_t top = std::int64_t{y} - target.originY;
  return target.clip.Empty() || left >= target.clip.right || top >= target.clip.bottom ||
         top + cellHeight <= target.clip.top;
}

// Characters whose order on screen may differ from their order in the text.
bool MayRunRightToLeft(wchar_t c) {
  return (c >= 0x0590 && c <= 0x08FF) || (c >= 0xFB1D && c <= 0xFDFF) ||
         (c >= 0xFE70 && c <= 0xFEFF) || c == 0x200E || c == 0x200F ||
         (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069) ||
         (c >= 0x10800 && c <= 0x10FFF) || (c >= 0x1E800 && c <= 0x1EFFF);
}

// The label text as far as a cell starting `width` pixels left of the clip's right edge can
// show it, plus a margin for glyphs that reach back. Advances are positive, so the text is
// decoded from ever longer byte prefixes (each at least twice the last) and measured until it
// reaches past the clip; the last characters of a prefix are dropped, since a character cut
// off by the prefix decodes differently. Text that may run right to left is decoded whole.
// Nothing when the code page is unknown.
std::optional<std::wstring> VisibleLabelText(DrawingTarget& target, std::string_view bytes,
                                             std::string_view codePage, std::int64_t width) {
  constexpr std::size_t kCutCharacters = 4;  // a cut character becomes at most 4 U+FFFD
  const std::int64_t reach = width + 2 * std::int64_t{kLabelStyle.cellHeight};
  bytes = bytes.substr(0, bytes.find('\0'));
  std::size_t taken = static_cast<std::size_t>(std::clamp<std::int64_t>(4 * reach, 64, 1 << 20));
  for (;;) {
    if (taken >= bytes.size()) return DecodeMultiByte(bytes, codePage);
    std::optional<std::wstring> text = DecodeMultiByte(bytes.substr(0, taken), codePage);
    if (!text) return text;
    if (std::any_of(text->begin(), text->end(), MayRunRightToLeft)) {
      return DecodeMultiByte(bytes, codePage);
    }
    if (text->size() > kCutCharacters) {
      text->resize(text->size() - kCutCharacters);
      if (target.TextAdvance(text->c_str(), static_cast<int>(text->size())) >= reach) return text;
    }
    taken = taken > bytes.size() / 2 ? bytes.size() : 2 * taken;
  }
}

// Writes the label of `line` at its scaled top-left corner, decoded up to its first 0 byte and
// only as far as the clip can show it.
void DrawLabel(DrawingTarget& target, const PageLine& line, float zoom, std::string_view codePage) {
  const std::int32_t x = ScaleToDevice(line.left, zoom);
  const std::int32_t y = ScaleToDevice(line.top, zoom);
  const int cellHeight = target.TextCellHeight();
  const ClippedCanvas& canvas = target.Target();
  if (cellHeight == 0 || CellMissesClip(canvas, x, y, cellHeight)) return;
  const std::string_view bytes(reinterpret_cast<const char*>(line.label.data()), line.label.size());
  const std::int64_t width = canvas.clip.right - (std::int64_t{x} - canvas.originX);
  const std::optional<std::wstring> text = VisibleLabelText(target, bytes, codePage, width);
  if (!text || text->empty()) return;
  target.TextOut(x, y, text->c_str(), static_cast<int>(text->size()));
}

}  // namespace

PassResult DrawPagePass(DrawingTarget& target, const PageFrame& frame) {
  PassResult result;
  const PageBody& page = *frame.page;
  if (page.lineCount == 0) return result;
  if (frame.labels) target.SelectTextStyle(kLabelStyle);
  const std::unique_ptr<BITMAPINFOHEADER> header(new (std::nothrow) BITMAPINFOHEADER);
  result.complete = header != nullptr;
  if (result.complete) InitBitmapHeader(*header);
  const std::int32_t lines = std::min(page.UsedLines(), kMaxLines);
  for (std::int32_t i = 0; result.complete && i < lines; ++i) {
    const PageLine& line = page.lines[static_cast<std::size_t>(i)];
    result.complete = RasterizeLine(target, line, *header, frame.zoom, frame.pixels);
    if (result.complete && frame.labels) DrawLabel(target, line, frame.zoom, frame.labelCodePage);
  }
  if (result.complete) result.extent = PassExtent(page, frame.zoom);
  return result;
}

BandOutcome DrawPageInBands(const PageFrame& frame, const std::function<bool(const Band&)>& take,
                            std::int64_t bandPixels) {
  return DrawInBands(
      {0, 0, frame.extent.width, frame.extent.height}, bandPixels,
      [&frame](CDC& dc) { return DrawPagePass(dc, frame).complete; }, take);
}
