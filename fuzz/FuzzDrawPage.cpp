// Load a page, press the zoom keys the input asks for as the view takes them, and draw a
// viewport the input places with the page's drawing pass. Every pass must terminate and stay
// inside its buffers, and clipping must not change the picture:
// - the pass drawn in two clipped halves leaves what one unclipped pass leaves;
// - each line drawn through its clipped, partly built bitmap leaves what its fully built
//   bitmap leaves.
//
// Input, kDrawParameterBytes in front of the page file: a key pattern (4 bytes, bit i % 32 of
// press i set for '+', clear for '-'), the number of presses (2 bytes, modulo kMaxPresses),
// viewport width and height (1 byte each, plus 1), the viewport's origin x and y (int32 each).
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "fuzz/FuzzBodies.h"
#include "fuzz/FuzzPage.h"
#include "pageview/PagePass.h"
#include "platform/canvas/Scale.h"
#include "platform/system/CDC.h"
#include "platform/system/CodePage.h"
#include "platform/text/QtLabelText.h"
#include "raster/DrawLineBitmap.h"

namespace {

constexpr std::uint32_t kMaxPresses = 1024;

template <typename T>
T Take(const std::uint8_t*& data) {
  T value;
  std::memcpy(&value, data, sizeof value);
  data += sizeof value;
  return value;
}

struct DrawInput {
  std::uint32_t keyPattern = 0;
  std::uint32_t presses = 0;
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::int32_t originX = 0;
  std::int32_t originY = 0;
};

DrawInput ReadDrawInput(const std::uint8_t* data) {
  DrawInput input;
  input.keyPattern = Take<std::uint32_t>(data);
  input.presses = Take<std::uint16_t>(data) % kMaxPresses;
  input.width = 1 + Take<std::uint8_t>(data);
  input.height = 1 + Take<std::uint8_t>(data);
  input.originX = Take<std::int32_t>(data);
  input.originY = Take<std::int32_t>(data);
  return input;
}

// The application object and engine labels need (unless the program has made them already).
void EnsureApplication() {
  MakeLabelTextApplication();
  if (InstalledLabelText() == nullptr) InstallQtLabelText();
}

struct Viewport {
  Canvas canvas;
  std::unique_ptr<CDC> dc;

  explicit Viewport(const DrawInput& input) {
    FuzzCheck(canvas.Allocate(input.width, input.height) == CanvasError::kNone,
              "a small canvas can be had");
    canvas.FillWhite();
    dc = std::make_unique<CDC>(canvas);
    dc->SetWindowOrg(input.originX, input.originY);
  }

  bool SameAs(const Viewport& other) const {
    for (std::int32_t y = 0; y < canvas.height(); ++y) {
      for (std::int32_t x = 0; x < canvas.width(); ++x) {
        if (canvas.Rgb(x, y) != other.canvas.Rgb(x, y)) return false;
      }
    }
    return true;
  }
};

void CheckPass(const PageBody& page, float zoom, const DrawInput& input) {
  Viewport whole(input), halves(input);
  const PageFrame frame{&page, zoom};
  const PassResult result = DrawPagePass(*whole.dc, frame);
  FuzzCheck(result.complete, "a small page draws completely");
  const std::int32_t split = input.height / 2;
  halves.dc->SetClipRect({0, 0, input.width, split});
  FuzzCheck(DrawPagePass(*halves.dc, frame).complete, "the top half draws completely");
  halves.dc->SetClipRect({0, split, input.width, input.height});
  FuzzCheck(DrawPagePass(*halves.dc, frame).complete, "the bottom half draws completely");
  FuzzCheck(whole.SameAs(halves), "two clipped halves draw what one pass draws");
  FuzzCheck(result.extent == PassExtent(page, zoom), "a complete pass sets the zoomed extent");
}

void CheckLineBitmaps(const PageBody& page, float zoom, const DrawInput& input) {
  Viewport clipped(input), full(input);
  BITMAPINFOHEADER header;
  InitBitmapHeader(header);
  for (std::int32_t i = 0; i < page.UsedLines(); ++i) {
    const PageLine& line = page.lines[static_cast<std::size_t>(i)];
    FuzzCheck(RasterizeLine(*clipped.dc, line, header, zoom),
              "a line of a small page can be drawn");
    LineBitmap bitmap;
    if (BuildLineBitmap(line, bitmap)) DrawLineBitmap(*full.dc, line, bitmap, header, zoom);
  }
  FuzzCheck(clipped.SameAs(full), "a partly built bitmap draws what a full one draws");
}

}  // namespace

int FuzzDrawPage(const std::uint8_t* data, std::size_t size) {
  if (size < kDrawParameterBytes) return 0;
  const DrawInput input = ReadDrawInput(data);
  PageHeader header;
  auto body = std::make_unique<PageBody>();
  if (LoadFuzzPage({data + kDrawParameterBytes, size - kDrawParameterBytes}, header, *body)) {
    return 0;
  }
  CheckPageInvariants(header.codeLength, body->lineCount, body->lines);

  EnsureApplication();
  // The view takes zoom keys only while it shows lines.
  float zoom = 1.0f;
  for (std::uint32_t press = 0; body->lineCount != 0 && press < input.presses; ++press) {
    zoom = ZoomStep(zoom, (input.keyPattern >> (press % 32)) & 1 ? '+' : '-');
  }
  CheckPass(*body, zoom, input);
  CheckLineBitmaps(*body, zoom, input);
  CheckPageInvariants(header.codeLength, body->lineCount, body->lines);
  return 0;
}
