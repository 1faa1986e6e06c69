#pragma once

#include <cstdint>
#include <functional>
#include <optional>

#include "pageview/PageFrame.h"
#include "platform/canvas/DrawingTarget.h"
#include "platform/system/BandDrawing.h"

// The one drawing pass of a page, shared by the view (screen, printing, preview), the
// command-line pictures, the benchmarks and the fuzz targets. Free of any widget or document.

// Labels: a 16-pixel cell at every zoom, in the face "宋体", blue.
inline constexpr TextStyle kLabelStyle{16, L"宋体", 0x00FF0000};

// What a pass did.
struct PassResult {
  // False when a line's bitmap could not be had (out of memory): the pass ended at that line.
  bool complete = true;
  // The extent the pass sets (PassExtent of the frame's page and zoom) when it completed.
  // Nothing otherwise (the extent stays as it was).
  std::optional<PageExtent> extent;
};

// Draws the frame's page onto `target` at its zoom: every line image ANDed onto the target in
// order, each followed (with labels on) by its label in kLabelStyle on a white cell at the
// line's scaled top-left corner. Only lines and labels that meet the target's clip are built
// and drawn, and a label is decoded and measured only as far as the clip can show it. A page
// whose lineCount is 0 draws nothing. The frame's extent is not used.
PassResult DrawPagePass(DrawingTarget& target, const PageFrame& frame);

// Draws the frame's whole picture, [0, extent) in device pixels, band by band (DrawInBands):
// each band through DrawPagePass, then handed to `take`.
BandOutcome DrawPageInBands(const PageFrame& frame, const std::function<bool(const Band&)>& take,
                            std::int64_t bandPixels = kDefaultBandPixels);
