// Load a page, then draw every line at a zoom and onto a viewport taken from the
// input. The clipped drawing must terminate, stay inside its buffers and leave exactly the
// picture that a full build of every line bitmap leaves.
//
// Input: float zoom (4 bytes, any bit pattern), viewport width and height (2 bytes each, taken
// modulo kMaxViewportSide), viewport origin x and y (int32 each), then the page file.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

#include "fuzz/FuzzBodies.h"
#include "fuzz/FuzzPage.h"
#include "platform/CDC.h"
#include "raster/DrawLineBitmap.h"

namespace {

constexpr std::int32_t kMaxViewportSide = 256;

template <typename T>
T Take(const std::uint8_t*& data) {
  T value;
  std::memcpy(&value, data, sizeof value);
  data += sizeof value;
  return value;
}

struct Viewport {
  float zoom = 1.0f;
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::int32_t originX = 0;
  std::int32_t originY = 0;
};

void PrepareCanvas(Canvas& canvas, const Viewport& viewport) {
  FuzzCheck(canvas.Allocate(viewport.width, viewport.height) == CanvasError::kNone,
            "a small canvas can be had");
  canvas.FillWhite();
}

}  // namespace

int FuzzDrawPage(const std::uint8_t* data, std::size_t size) {
  if (size < kDrawParameterBytes) return 0;
  Viewport viewport;
  viewport.zoom = Take<float>(data);
  viewport.width = 1 + Take<std::uint16_t>(data) % kMaxViewportSide;
  viewport.height = 1 + Take<std::uint16_t>(data) % kMaxViewportSide;
  viewport.originX = Take<std::int32_t>(data);
  viewport.originY = Take<std::int32_t>(data);

  PageHeader header;
  auto body = std::make_unique<PageBody>();
  if (LoadFuzzPage({data, size - kDrawParameterBytes}, header, *body)) return 0;
  CheckPageInvariants(header, *body);

  Canvas clipped, full;
  PrepareCanvas(clipped, viewport);
  PrepareCanvas(full, viewport);
  CDC clippedDc(clipped), fullDc(full);
  clippedDc.SetWindowOrg(viewport.originX, viewport.originY);
  fullDc.SetWindowOrg(viewport.originX, viewport.originY);
  BITMAPINFOHEADER bitmapHeader;
  InitBitmapHeader(bitmapHeader);

  for (std::int32_t i = 0; i < body->UsedLines(); ++i) {
    const PageLine& line = body->lines[static_cast<std::size_t>(i)];
    FuzzCheck(RasterizeLine(clippedDc, line, bitmapHeader, viewport.zoom),
              "a line of a small page can be drawn");
    LineBitmap bitmap;
    if (BuildLineBitmap(line, bitmap)) {
      DrawLineBitmap(fullDc, line, bitmap, bitmapHeader, viewport.zoom);
    }
  }
  for (std::int32_t y = 0; y < viewport.height; ++y) {
    FuzzCheck(std::memcmp(clipped.Row(y), full.Row(y),
                          static_cast<std::size_t>(viewport.width) * sizeof(std::uint32_t)) == 0,
              "the clipped pass draws what a full build draws");
  }
  CheckPageInvariants(header, *body);
  return 0;
}
