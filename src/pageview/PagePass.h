#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "pagefile/PageModel.h"
#include "platform/canvas/DrawingTarget.h"

// The one drawing pass of a page, shared by the view (screen, printing, preview), the
// command-line renderer, the benchmarks and the fuzz targets. Free of any widget or document.

// A scroll extent in device pixels.
struct PageExtent {
  std::int32_t width = 0;
  std::int32_t height = 0;
  bool operator==(const PageExtent&) const = default;
};

// Labels: a 16-pixel cell at every zoom, in the face "宋体", blue.
inline constexpr TextStyle kLabelStyle{16, L"宋体", 0x00FF0000};

// The extent a view has before any pass sets one.
inline constexpr PageExtent kInitialExtent{100, 100};

// The page at `zoom`: its width and height each scaled by ScaleToDevice.
PageExtent ZoomedExtent(const PageBody& page, float zoom);

// What a pass did.
struct PassResult {
  // False when a line's bitmap could not be had (out of memory): the pass ended at that line.
  bool complete = true;
  // The extent the pass sets: the zoomed page, when it completed on a page whose lineCount is
  // not 0. Nothing otherwise (the extent stays as it was).
  std::optional<PageExtent> extent;
};

// Draws the page onto `target` at `zoom`: every line image ANDed onto the target in order, each
// followed by its label, decoded from `labelCodePage` up to its first 0 byte, in kLabelStyle on
// a white cell at the line's scaled top-left corner. Only lines and labels that meet the
// target's clip are built and drawn, and a label is decoded and measured only as far as the
// clip can show it. A page whose lineCount is 0 draws nothing.
PassResult DrawPagePass(DrawingTarget& target, const PageBody& page, float zoom,
                        std::string_view labelCodePage);
