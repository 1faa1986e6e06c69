#include "cli/pages/PageRender.h"

#include <cstring>
#include <vector>

#include "cli/output/PngRowWriter.h"
#include "cli/pages/LabelTextLoader.h"
#include "platform/canvas/Canvas.h"
#include "platform/canvas/Scale.h"

namespace {

constexpr char kUnreadablePixels[] = "the page file's pixels can no longer be read";

std::string SizeText(const PageExtent& extent) {
  return std::to_string(extent.width) + " x " + std::to_string(extent.height) + " pixels";
}

}  // namespace

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

bool WriteLinePng(const PageLine& line, const LinePixelSource* pixels, ByteSink& sink,
                  std::string& problem) {
  const auto width = static_cast<std::uint32_t>(line.width);
  const auto height = static_cast<std::uint32_t>(line.height);
  if (HasAllPixels(line, nullptr)) {
    return WriteGreyPng(sink, line.pixels.data(), width, height, problem);
  }
  if (!HasAllPixels(line, pixels)) {
    problem = "the line image has no pixels to write";
    return false;
  }
  PngRowWriter png(sink);
  std::vector<std::uint8_t> row(width);
  bool written = png.Begin(width, height, PngColour::kGrey);
  for (std::int32_t y = 0; written && y < line.height; ++y) {
    if (!pixels->ReadRow(line, y, 0, line.width, [&](const LinePixelSource::Piece& piece) {
          std::uint8_t* at = row.data() + piece.left;
          const auto count = static_cast<std::size_t>(piece.right - piece.left);
          if (piece.bytes != nullptr) {
            std::memcpy(at, piece.bytes, count);
          } else {
            std::memset(at, 0, count);
          }
        })) {
      problem = kUnreadablePixels;
      return false;
    }
    written = png.WriteRow(row.data());
  }
  if (written) written = png.Finish();
  if (!written) problem = png.error();
  return written;
}

bool RenderPagePng(const PageFrame& frame, ByteSink& sink, std::string& problem,
                   std::int64_t bandPixels) {
  problem = PictureSizeProblem(frame.extent, "the page at this zoom");
  if (!problem.empty()) return false;
  const bool colour = DrawsLabels(frame);
  if (std::string reason; colour && !LoadLabelText(reason)) {
    problem = "cannot draw the labels: " + reason;
    return false;
  }
  PngRowWriter png(sink);
  if (!png.Begin(static_cast<std::uint32_t>(frame.extent.width),
                 static_cast<std::uint32_t>(frame.extent.height),
                 colour ? PngColour::kRgb : PngColour::kGrey)) {
    problem = "cannot write the PNG: " + png.error();
    return false;
  }
  bool written = true;
  const BandOutcome outcome = DrawPageInBands(
      frame,
      [&](const Band& band) {
        for (std::int32_t y = 0; written && y < band.rows(); ++y) {
          written = png.WriteCanvasRow(band.canvas.Row(y));
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
  if (frame.pixels != nullptr && frame.pixels->Failed()) {
    problem = kUnreadablePixels;
    return false;
  }
  if (written) written = png.Finish();
  if (!written) problem = "cannot write the PNG: " + png.error();
  return written;
}
