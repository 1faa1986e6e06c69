#include "platform/system/BandDrawing.h"

#include <algorithm>

#include "platform/system/CDC.h"

BandOutcome DrawInBands(const PixelRect& region, std::int64_t bandPixels,
                        const std::function<bool(CDC& dc)>& draw,
                        const std::function<bool(const Band& band)>& take) {
  if (region.Empty()) return BandOutcome::kDone;
  const std::int64_t width = std::int64_t{region.right} - region.left;
  const std::int64_t height = std::int64_t{region.bottom} - region.top;
  if (width > Canvas::kMaxSide) return BandOutcome::kNoCanvas;
  const auto bandRows =
      static_cast<std::int32_t>(std::clamp<std::int64_t>(bandPixels / width, 1, height));
  Canvas canvas;
  if (canvas.Allocate(static_cast<std::int32_t>(width), bandRows) != CanvasError::kNone) {
    return BandOutcome::kNoCanvas;
  }
  for (std::int64_t top = region.top; top < region.bottom; top += bandRows) {
    const auto rows =
        static_cast<std::int32_t>(std::min<std::int64_t>(bandRows, region.bottom - top));
    canvas.FillWhite();
    CDC dc(canvas);
    dc.SetWindowOrg(region.left, static_cast<std::int32_t>(top));
    dc.SetClipRect({0, 0, static_cast<std::int32_t>(width), rows});
    if (!draw(dc) || dc.Incomplete()) return BandOutcome::kIncomplete;
    const Band band{canvas,
                    {region.left, static_cast<std::int32_t>(top), region.right,
                     static_cast<std::int32_t>(top + rows)}};
    if (!take(band)) return BandOutcome::kNotTaken;
  }
  return BandOutcome::kDone;
}
