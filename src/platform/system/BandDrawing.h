#pragma once

#include <cstdint>
#include <functional>

#include "platform/canvas/Canvas.h"
#include "platform/canvas/StretchDIBits.h"

class CDC;

// Drawing a picture strip by strip, so that memory is bounded by the strip, not the picture:
// files, printers and previews all draw through this one loop.

// Band size when the caller has no reason to choose another, in pixels (4 bytes each).
inline constexpr std::int64_t kDefaultBandPixels = std::int64_t{1} << 22;

// One drawn strip: rows [0, area.bottom - area.top) of `canvas` hold the logical rectangle
// `area`, one canvas pixel per logical unit (further rows of the canvas are no part of it).
struct Band {
  const Canvas& canvas;
  PixelRect area;
  std::int32_t rows() const { return area.bottom - area.top; }
};

enum class BandOutcome {
  kDone,        // every band drawn and taken
  kNoCanvas,    // a band's canvas could not be had (out of memory, wider than Canvas::kMaxSide)
  kIncomplete,  // `draw` returned false
  kNotTaken,    // `take` returned false
};

// Covers the logical rectangle `region` top to bottom in bands of whole rows, each at most
// `bandPixels` pixels (but at least one row). For each band a canvas is cleared white and
// `draw` draws on a context whose logical origin is the band's top-left corner and whose clip
// is the band; then `take` gets the band. Stops at the first failure; the bands before it have
// been taken. An empty region draws nothing and is done.
BandOutcome DrawInBands(const PixelRect& region, std::int64_t bandPixels,
                        const std::function<bool(CDC& dc)>& draw,
                        const std::function<bool(const Band& band)>& take);
