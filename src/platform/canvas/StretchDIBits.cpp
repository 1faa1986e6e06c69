#include "platform/canvas/StretchDIBits.h"

#include <algorithm>
#include <cstring>

#include "platform/canvas/PixelRows.h"
#include "platform/canvas/SharedRows.h"

namespace {

constexpr std::uint32_t kOpaque = ~kCanvasRgbMask;

// Fills one axis for a destination (start, extent) and a source (start, positive length),
// clipped to device coordinates [clipLow, clipHigh). Returns the clipped device range, empty
// when the destination misses the clip.
bool PlanAxis(std::int32_t destStart, std::int32_t destExtent, std::int32_t origin,
              std::int32_t sourceStart, std::int32_t sourceLength, bool reverseWhenUpright,
              std::int32_t clipLow, std::int32_t clipHigh, StretchAxis& axis,
              std::int32_t& deviceLow, std::int32_t& deviceHigh) {
  const std::int64_t low =
      destExtent > 0 ? std::int64_t{destStart} : std::int64_t{destStart} + destExtent;
  axis.deviceStart = low - origin;
  axis.destLength = destExtent > 0 ? std::int64_t{destExtent} : -std::int64_t{destExtent};
  axis.sourceStart = sourceStart;
  axis.sourceLength = sourceLength;
  const bool mirrored = destExtent < 0;
  axis.reversed = mirrored != reverseWhenUpright;
  const std::int64_t first = std::max<std::int64_t>(axis.deviceStart, clipLow);
  const std::int64_t last = std::min<std::int64_t>(axis.deviceStart + axis.destLength, clipHigh);
  if (first >= last) return false;
  deviceLow = static_cast<std::int32_t>(first);  // within the clip, so within int32
  deviceHigh = static_cast<std::int32_t>(last);
  return true;
}

}  // namespace

void StretchAxis::SourceSpan(std::int64_t device, std::int64_t& first, std::int64_t& last) const {
  std::int64_t k = device - deviceStart;
  if (reversed) k = destLength - 1 - k;
  // k < destLength <= 2^31 and sourceLength < 2^31, so the products stay below 2^62.
  const std::int64_t lo = k * sourceLength / destLength;
  const std::int64_t hi = std::max(lo + 1, (k + 1) * sourceLength / destLength);
  first = sourceStart + lo;
  last = sourceStart + hi;
}

void StretchAxis::SourceSpans(std::int64_t low, std::int32_t count, std::int32_t* first,
                              std::int32_t* length) const {
  if (count <= 0) return;
  // Axis positions k of the device positions, lowest first; reversed axes run k downward.
  const std::int64_t lowOffset = low - deviceStart;
  const std::int64_t kLow = reversed ? destLength - 1 - (lowOffset + count - 1) : lowOffset;
  const std::int64_t S = sourceLength, D = destLength;
  std::int64_t quotient = kLow * S / D, remainder = kLow * S % D;  // k * S = quotient * D + rem
  const std::int64_t quotientStep = S / D, remainderStep = S % D;
  for (std::int32_t n = 0; n < count; ++n) {
    const std::int64_t lo = quotient;
    quotient += quotientStep;
    remainder += remainderStep;
    if (remainder >= D) {
      remainder -= D;
      ++quotient;
    }
    const std::int32_t index = reversed ? count - 1 - n : n;
    first[index] = static_cast<std::int32_t>(sourceStart + lo);
    length[index] = static_cast<std::int32_t>(std::max<std::int64_t>(1, quotient - lo));
  }
}

PixelRect StretchPlan::SourceWindow() const {
  if (device.Empty()) return {};
  std::int64_t a0, a1, b0, b1;
  // Spans are monotone along each axis, so the window is bounded by the two end pixels.
  x.SourceSpan(device.left, a0, a1);
  x.SourceSpan(device.right - 1, b0, b1);
  PixelRect window;
  window.left = static_cast<std::int32_t>(std::min(a0, b0));
  window.right = static_cast<std::int32_t>(std::max(a1, b1));
  y.SourceSpan(device.top, a0, a1);
  y.SourceSpan(device.bottom - 1, b0, b1);
  window.top = static_cast<std::int32_t>(std::min(a0, b0));
  window.bottom = static_cast<std::int32_t>(std::max(a1, b1));
  return window;
}

bool PlanStretch(const ClippedCanvas& target, std::int32_t xDest, std::int32_t yDest,
                 std::int32_t wDest, std::int32_t hDest, std::int32_t xSrc, std::int32_t ySrc,
                 std::int32_t wSrc, std::int32_t hSrc, StretchPlan& plan) {
  plan = StretchPlan{};
  if (target.canvas == nullptr || wDest == 0 || hDest == 0 || wSrc <= 0 || hSrc <= 0) {
    return false;
  }
  // The clip is kept within the canvas, whatever the caller gave.
  PixelRect clip = target.clip;
  clip.left = std::max(clip.left, 0);
  clip.top = std::max(clip.top, 0);
  clip.right = std::min(clip.right, target.canvas->width());
  clip.bottom = std::min(clip.bottom, target.canvas->height());
  PixelRect device;
  // A bottom-up bitmap drawn upright puts its highest buffer row at the destination's top.
  if (!PlanAxis(xDest, wDest, target.originX, xSrc, wSrc, false, clip.left, clip.right, plan.x,
                device.left, device.right) ||
      !PlanAxis(yDest, hDest, target.originY, ySrc, hSrc, true, clip.top, clip.bottom, plan.y,
                device.top, device.bottom)) {
    plan = StretchPlan{};
    return false;
  }
  plan.device = device;
  return true;
}

namespace {

bool HeaderSupported(const BITMAPINFOHEADER& h) {
  return h.biSize >= sizeof(BITMAPINFOHEADER) && h.biPlanes == 1 && h.biBitCount == 24 &&
         h.biCompression == BI_RGB && h.biWidth > 0 && h.biHeight > 0;
}

// Destination columns are drawn in chunks of this many, so the transfer needs no heap.
constexpr std::int32_t kChunkColumns = 1024;

// Where each destination column of a chunk takes its source pixels: the first bitmap column of
// its span and the span's length. Built by stepping the quotient k * S / D along the axis, so
// no column needs a division.
struct ColumnMap {
  std::int32_t first[kChunkColumns];
  std::int32_t count[kChunkColumns];
  bool single = true;     // every span is one column (the source is not shrunk)
  bool identity = false;  // column i takes source column first[0] + i
  // When single: the source columns [sourceLeft, sourceLeft + sourceCount) that the chunk
  // reads, and column i's source column counted from sourceLeft.
  std::int32_t sourceLeft = 0;
  std::int32_t sourceCount = 0;
  std::int32_t picked[kChunkColumns];
};

// Maps the device columns [left, left + columns), columns <= kChunkColumns.
void MakeColumnMap(const StretchAxis& axis, std::int32_t left, std::int32_t columns,
                   ColumnMap& map) {
  axis.SourceSpans(left, columns, map.first, map.count);
  map.single = axis.sourceLength <= axis.destLength;
  map.identity = axis.sourceLength == axis.destLength && !axis.reversed;
  if (!map.single) return;
  // Spans move monotonically along the axis, so the ends bound the columns read; a stretched
  // chunk reads at most as many source columns as it has.
  map.sourceLeft = std::min(map.first[0], map.first[columns - 1]);
  map.sourceCount = std::max(map.first[0], map.first[columns - 1]) - map.sourceLeft + 1;
  for (std::int32_t i = 0; i < columns; ++i) map.picked[i] = map.first[i] - map.sourceLeft;
}

// A source pixel as an opaque canvas pixel. The wide form loads 4 bytes and so may only be used
// where a byte follows the pixel in the buffer.
struct NarrowPixel {
  static std::uint32_t Load(const std::uint8_t* p) {
    return kOpaque | std::uint32_t{p[2]} << 16 | std::uint32_t{p[1]} << 8 | p[0];
  }
};
struct WidePixel {
  static std::uint32_t Load(const std::uint8_t* p) {
    std::uint32_t v;
    std::memcpy(&v, p, sizeof v);
    return kOpaque | v;
  }
};

// out[i] &= pixels[i] for i < count, a loop the compiler vectorises.
void AndRow(std::uint32_t* __restrict out, const std::uint32_t* __restrict pixels,
            std::int32_t count) {
  for (std::int32_t i = 0; i < count; ++i) out[i] &= pixels[i];
}

// Draws one destination row of a chunk from buffer rows [first, last) of `source`, whose rows
// are `stride` bytes apart.
template <typename Pixel>
void DrawRow(std::uint32_t* out, const std::uint8_t* source, std::int64_t stride,
             std::int64_t first, std::int64_t last, const ColumnMap& map, std::int32_t columns) {
  const std::uint8_t* row = source + first * stride;
  if (last - first == 1 && map.identity) {
    PixelRows().andBgrPixels(out, row + std::int64_t{map.first[0]} * 3, columns);
  } else if (last - first == 1 && map.single) {
    // The source columns are widened once, then each column picks its pixel.
    std::uint32_t widened[kChunkColumns + kPickPadding];
    std::fill_n(widened, map.sourceCount + kPickPadding, ~std::uint32_t{0});
    PixelRows().andBgrPixels(widened, row + std::int64_t{map.sourceLeft} * 3, map.sourceCount);
    PixelRows().andPickedPixels(out, widened, map.picked, columns);
  } else {
    // Shrunk: every source pixel of the column's rows and span is merged.
    for (std::int32_t i = 0; i < columns; ++i) {
      std::uint32_t merged = ~std::uint32_t{0};
      const std::uint8_t* span = row + std::int64_t{map.first[i]} * 3;
      for (std::int64_t r = first; r < last; ++r, span += stride) {
        for (std::int32_t s = 0; s < map.count[i]; ++s) merged &= Pixel::Load(span + 3 * s);
      }
      out[i] &= merged;
    }
  }
}

}  // namespace

int StretchDIBits(const ClippedCanvas& target, std::int32_t xDest, std::int32_t yDest,
                  std::int32_t wDest, std::int32_t hDest, std::int32_t xSrc, std::int32_t ySrc,
                  std::int32_t wSrc, std::int32_t hSrc, const void* bits,
                  const BITMAPINFOHEADER* header, std::uint32_t usage, std::uint32_t rop) {
  if (bits == nullptr || header == nullptr || usage != DIB_RGB_COLORS || rop != SRCAND ||
      !HeaderSupported(*header)) {
    return 0;
  }
  if (xSrc < 0 || ySrc < 0 || wSrc <= 0 || hSrc <= 0 ||
      std::int64_t{xSrc} + wSrc > header->biWidth || std::int64_t{ySrc} + hSrc > header->biHeight) {
    return 0;
  }
  StretchPlan plan;
  if (!PlanStretch(target, xDest, yDest, wDest, hDest, xSrc, ySrc, wSrc, hSrc, plan)) return 0;
  return TransferPlanned(target, plan, bits, *header);
}

int TransferPlanned(const ClippedCanvas& target, const StretchPlan& plan, const void* bits,
                    const BITMAPINFOHEADER& bitmap) {
  if (bits == nullptr || !HeaderSupported(bitmap) || plan.device.Empty()) return 0;
  const BITMAPINFOHEADER* header = &bitmap;
  const auto* source = static_cast<const std::uint8_t*>(bits);
  const std::int64_t stride = Dib24Stride(header->biWidth);
  // A 4-byte load of the last pixel read stays in the buffer unless that pixel ends it.
  const std::int64_t wideRowsEnd = std::int64_t{plan.SourceWindow().right} * 3 < stride
                                       ? header->biHeight
                                       : header->biHeight - 1;
  // When the source is stretched vertically, neighbouring destination rows show the same
  // source row: its pixels are merged once per chunk and ANDed onto each of them.
  const bool rowsRepeat = plan.y.sourceLength < plan.y.destLength;
  const auto drawRows = [&](int, std::int32_t top, std::int32_t bottom) {
    ColumnMap map;
    std::uint32_t merged[kChunkColumns];
    for (std::int32_t left = plan.device.left; left < plan.device.right; left += kChunkColumns) {
      const std::int32_t columns = std::min(kChunkColumns, plan.device.right - left);
      MakeColumnMap(plan.x, left, columns, map);
      std::int64_t mergedRow = -1;
      for (std::int32_t y = top; y < bottom; ++y) {
        std::int64_t first, last;
        plan.y.SourceSpan(y, first, last);
        std::uint32_t* out = target.canvas->Row(y) + left;
        std::uint32_t* row = out;
        if (rowsRepeat) {
          if (first == mergedRow) {
            AndRow(out, merged, columns);
            continue;
          }
          std::fill_n(merged, columns, ~std::uint32_t{0});
          row = merged;
          mergedRow = first;
        }
        if (last <= wideRowsEnd) {
          DrawRow<WidePixel>(row, source, stride, first, last, map, columns);
        } else {
          DrawRow<NarrowPixel>(row, source, stride, first, last, map, columns);
        }
        if (rowsRepeat) AndRow(out, merged, columns);
      }
    }
  };
  ForSharedRows(
      plan.device.top, plan.device.bottom,
      std::int64_t{plan.device.bottom - plan.device.top} * (plan.device.right - plan.device.left),
      drawRows);
  return plan.device.bottom - plan.device.top;
}
