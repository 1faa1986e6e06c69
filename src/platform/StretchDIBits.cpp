#include "platform/StretchDIBits.h"

#include <algorithm>
#include <memory>
#include <new>

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

bool PlanStretch(const DrawTarget& target, std::int32_t xDest, std::int32_t yDest,
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

// Source pixel spans per destination column of the plan, as offsets into the source window.
struct ColumnSpans {
  std::unique_ptr<std::int32_t[]> first;
  std::unique_ptr<std::int32_t[]> last;
};

bool MakeColumnSpans(const StretchPlan& plan, std::int32_t windowLeft, ColumnSpans& spans) {
  const std::int32_t count = plan.device.right - plan.device.left;
  spans.first.reset(new (std::nothrow) std::int32_t[count]);
  spans.last.reset(new (std::nothrow) std::int32_t[count]);
  if (!spans.first || !spans.last) return false;
  for (std::int32_t i = 0; i < count; ++i) {
    std::int64_t first, last;
    plan.x.SourceSpan(plan.device.left + i, first, last);
    spans.first[i] = static_cast<std::int32_t>(first - windowLeft);
    spans.last[i] = static_cast<std::int32_t>(last - windowLeft);
  }
  return true;
}

// ANDs buffer row `row`, columns [left, left + count), into `acc` as opaque RGB pixels.
void AndSourceRow(const std::uint8_t* bits, std::int64_t stride, std::int64_t row,
                  std::int32_t left, std::int32_t count, std::uint32_t* acc) {
  const std::uint8_t* p = bits + row * stride + std::int64_t{left} * 3;
  for (std::int32_t i = 0; i < count; ++i, p += 3) {
    acc[i] &= kOpaque | std::uint32_t{p[2]} << 16 | std::uint32_t{p[1]} << 8 | p[0];
  }
}

}  // namespace

int StretchDIBits(const DrawTarget& target, std::int32_t xDest, std::int32_t yDest,
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

  const PixelRect window = plan.SourceWindow();
  const std::int32_t windowWidth = window.right - window.left;
  ColumnSpans spans;
  std::unique_ptr<std::uint32_t[]> rowAnd(new (std::nothrow) std::uint32_t[windowWidth]);
  if (!rowAnd || !MakeColumnSpans(plan, window.left, spans)) return 0;

  const auto* source = static_cast<const std::uint8_t*>(bits);
  const std::int64_t stride = Dib24Stride(header->biWidth);
  const std::int32_t columns = plan.device.right - plan.device.left;
  std::int64_t cachedFirst = -1, cachedLast = -1;
  for (std::int32_t y = plan.device.top; y < plan.device.bottom; ++y) {
    std::int64_t first, last;
    plan.y.SourceSpan(y, first, last);
    // Stretched rows repeat the same source rows: merge them once.
    if (first != cachedFirst || last != cachedLast) {
      std::fill_n(rowAnd.get(), windowWidth, ~std::uint32_t{0});
      for (std::int64_t row = first; row < last; ++row) {
        AndSourceRow(source, stride, row, window.left, windowWidth, rowAnd.get());
      }
      cachedFirst = first;
      cachedLast = last;
    }
    std::uint32_t* out = target.canvas->Row(y) + plan.device.left;
    for (std::int32_t i = 0; i < columns; ++i) {
      std::uint32_t merged = ~std::uint32_t{0};
      for (std::int32_t s = spans.first[i]; s < spans.last[i]; ++s) merged &= rowAnd[s];
      out[i] &= merged;
    }
  }
  return plan.device.bottom - plan.device.top;
}
