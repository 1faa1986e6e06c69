#include "cli/pages/PageRender.h"

#include <QGuiApplication>
#include <algorithm>
#include <cstdlib>
#include <memory>
#include <new>

#include "cli/output/PngRowWriter.h"
#include "platform/canvas/Canvas.h"
#include "platform/canvas/Scale.h"
#include "platform/system/CDC.h"

namespace {

bool HasLabels(const PageBody& page) {
  for (std::int32_t i = 0; i < page.UsedLines(); ++i) {
    const ByteBuffer& label = page.lines[static_cast<std::size_t>(i)].label;
    if (label.size() > 0 && label.data()[0] != 0) return true;
  }
  return false;
}

// Without a platform chosen by the caller, the offscreen one makes the picture independent of
// any display.
void EnsureTextCanBeDrawn(const PageBody& page) {
  if (QCoreApplication::instance() == nullptr && HasLabels(page)) PrepareLabelText();
}

// Canvas pixels 0xFFRRGGBB as PNG bytes red, green, blue.
void ToRgbRow(const std::uint32_t* pixels, std::int32_t width, std::uint8_t* rgb) {
  for (std::int32_t x = 0; x < width; ++x, rgb += 3) {
    rgb[0] = static_cast<std::uint8_t>(pixels[x] >> 16);
    rgb[1] = static_cast<std::uint8_t>(pixels[x] >> 8);
    rgb[2] = static_cast<std::uint8_t>(pixels[x]);
  }
}

std::string SizeText(const PageExtent& extent) {
  return std::to_string(extent.width) + " x " + std::to_string(extent.height) + " pixels";
}

}  // namespace

void PrepareLabelText() {
  if (QCoreApplication::instance() != nullptr) return;
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  static int argc = 1;
  static char name[] = "plimdisp-cli";
  static char* argv[] = {name, nullptr};
  static QGuiApplication application(argc, argv);
}

float ZoomAfterKeys(const PageBody& page, std::string_view keys) {
  float zoom = 1.0f;
  if (page.lineCount == 0) return zoom;
  for (const char key : keys) zoom = ZoomStep(zoom, key);
  return zoom;
}

PageExtent RenderExtent(const PageBody& page, float zoom) {
  return page.lineCount != 0 ? ZoomedExtent(page, zoom) : kInitialExtent;
}

bool RenderPagePng(const PageBody& page, float zoom, std::string_view labelCodePage,
                   ByteSink& sink, std::string& problem, std::int64_t bandPixels) {
  return RenderPagePngSized(page, zoom, RenderExtent(page, zoom), labelCodePage, sink, problem,
                            bandPixels);
}

bool RenderPagePngSized(const PageBody& page, float zoom, PageExtent extent,
                        std::string_view labelCodePage, ByteSink& sink, std::string& problem,
                        std::int64_t bandPixels) {
  if (extent.width <= 0 || extent.height <= 0) {
    problem = "the page at this zoom has no area (" + SizeText(extent) + "); nothing to write";
    return false;
  }
  if (std::int64_t{extent.width} * extent.height > kMaxRenderPixels) {
    problem = "the page at this zoom is " + SizeText(extent) +
              ", more than the 100 megapixels written";
    return false;
  }
  const std::int32_t bandRows = static_cast<std::int32_t>(
      std::clamp<std::int64_t>(bandPixels / extent.width, 1, extent.height));
  Canvas canvas;
  std::unique_ptr<std::uint8_t[]> rgb(new (std::nothrow)
                                          std::uint8_t[std::size_t{3} * extent.width]);
  if (const CanvasError error = canvas.Allocate(extent.width, bandRows);
      error != CanvasError::kNone || rgb == nullptr) {
    problem = std::string("cannot make the picture: ") +
              CanvasErrorMessage(rgb == nullptr ? CanvasError::kOutOfMemory : error);
    return false;
  }
  EnsureTextCanBeDrawn(page);
  PngRowWriter png(sink);
  bool written = png.Begin(static_cast<std::uint32_t>(extent.width),
                           static_cast<std::uint32_t>(extent.height));
  for (std::int32_t top = 0; written && top < extent.height; top += bandRows) {
    const std::int32_t rows = std::min(bandRows, extent.height - top);
    canvas.FillWhite();
    CDC dc(canvas);
    dc.SetWindowOrg(0, top);
    dc.SetClipRect({0, 0, extent.width, rows});
    if (!DrawPagePass(dc, page, zoom, labelCodePage).complete) {
      problem = "not enough memory to draw every line";
      return false;
    }
    for (std::int32_t y = 0; written && y < rows; ++y) {
      ToRgbRow(canvas.Row(y), extent.width, rgb.get());
      written = png.WriteRow(rgb.get());
    }
  }
  if (written) written = png.Finish();
  if (!written) problem = "cannot write the PNG: " + png.error();
  return written;
}
