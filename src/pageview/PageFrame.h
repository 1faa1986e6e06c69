#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "pagefile/LinePixels.h"
#include "pagefile/PageModel.h"
#include "platform/system/CodePage.h"

// What one drawing of a page is: which page, at which zoom, how its labels are drawn, and the
// picture it fills when it is drawn whole (a file, a thumbnail) rather than into a window.

// A size in device pixels: a scroll extent or a picture.
struct PageExtent {
  std::int32_t width = 0;
  std::int32_t height = 0;
  bool operator==(const PageExtent&) const = default;
};

// The extent a view has before any pass sets one.
inline constexpr PageExtent kInitialExtent{100, 100};

// The page at `zoom`: its width and height each scaled by ScaleToDevice.
PageExtent ZoomedExtent(const PageBody& page, float zoom);

// The scroll extent a complete pass at `zoom` sets: the zoomed page. Nothing when the page's
// lineCount is 0, since such a pass draws nothing and leaves the extent as it was.
std::optional<PageExtent> PassExtent(const PageBody& page, float zoom);

// One drawing of a page. `page` and the text `labelCodePage` refers to must outlive it.
struct PageFrame {
  const PageBody* page = nullptr;
  float zoom = 1.0f;
  // Labels are decoded from this code page, up to their first 0 byte.
  std::string_view labelCodePage = kDefaultCodePage;
  // Off: only the line images are drawn, and no text machinery is touched.
  bool labels = true;
  // The picture in device pixels, logical (0, 0) at its top-left corner, when the page is drawn
  // whole; a window's drawing leaves it unused.
  PageExtent extent{};
  // Where lines whose pixels a table read left in the file are read from, as far as the
  // picture needs them; nullptr when the page is in memory whole.
  const LinePixelSource* pixels = nullptr;
};

// The picture the view shows after a pass at `zoom`: its scroll extent, which is
// kInitialExtent when the page's lineCount is 0.
PageFrame ScrolledFrame(const PageBody& page, float zoom, std::string_view labelCodePage);

// Whether drawing `frame` writes any label text (labels on and a label with a first byte that
// is not 0): only then is the picture more than grey.
bool DrawsLabels(const PageFrame& frame);
