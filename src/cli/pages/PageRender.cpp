#include "cli/pages/PageRender.h"

#include <QGuiApplication>
#include <cstdlib>
#include <memory>
#include <new>

#include "cli/output/PngRowWriter.h"
#include "platform/canvas/Canvas.h"
#include "platform/canvas/Scale.h"

namespace {

// Canvas pixels 0xFFRRGGBB as PNG bytes red, green, blue.
void ToRgbRow(const std::uint32_t* pixels, std::int32_t width, std::uint8_t* rgb) {
  for (std::int32_t x = 0; x < width; ++x, rgb += 3) {
    rgb[0] = static_cast<std::uint8_t>(pixels[x] >> 16);
    rgb[1] = static_cast<std::uint8_t>(pixels[x] >> 8);
    rgb[2] = static_cast<std::uint8_t>(pixels[x]);
  }
}

// Grey canvas pixels (equal channels) as PNG grey bytes: the blue byte is the level.
void ToGreyRow(const std::uint32_t* pixels, std::int32_t width, std::uint8_t* grey) {
  for (std::int32_t x = 0; x < width; ++x) grey[x] = static_cast<std::uint8_t>(pixels[x]);
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

std::string PictureSizeProblem(PageExtent extent, const std::string& what) {
  if (extent.width <= 0 || extent.height <= 0) {
    return what + " has no area (" + SizeText(extent) + ")";
  }
  if (std::int64_t{extent.width} * extent.height > kMaxPicturePixels ||
      extent.width > Canvas::kMaxSide) {
    return what + " is " + SizeText(extent) + ", more than the 100 megapixels written";
  }
  return "";
}

bool RenderPagePng(const PageFrame& frame, ByteSink& sink, std::string& problem,
                   std::int64_t bandPixels) {
  problem = PictureSizeProblem(frame.extent, "the page at this zoom");
  if (!problem.empty()) return false;
  const bool colour = DrawsLabels(frame);
  const std::int32_t width = frame.extent.width;
  std::unique_ptr<std::uint8_t[]> row(new (std::nothrow)
                                          std::uint8_t[std::size_t{colour ? 3u : 1u} * width]);
  if (row == nullptr) {
    problem = "not enough memory for the picture";
    return false;
  }
  if (colour) PrepareLabelText();
  PngRowWriter png(sink);
  bool written =
      png.Begin(static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(frame.extent.height),
                colour ? PngColour::kRgb : PngColour::kGrey);
  if (!written) {
    problem = "cannot write the PNG: " + png.error();
    return false;
  }
  const BandOutcome outcome = DrawPageInBands(
      frame,
      [&](const Band& band) {
        for (std::int32_t y = 0; written && y < band.rows(); ++y) {
          if (colour) {
            ToRgbRow(band.canvas.Row(y), width, row.get());
          } else {
            ToGreyRow(band.canvas.Row(y), width, row.get());
          }
          written = png.WriteRow(row.get());
        }
        return written;
      },
      bandPixels);
  if (outcome == BandOutcome::kNoCanvas) {
    problem = "cannot make the picture: not enough memory";
    return false;
  }
  if (outcome == BandOutcome::kIncomplete) {
    problem = "not enough memory to draw every line";
    return false;
  }
  if (written) written = png.Finish();
  if (!written) problem = "cannot write the PNG: " + png.error();
  return written;
}
