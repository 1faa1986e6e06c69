#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "cli/output/ByteSink.h"
#include "pagefile/PageModel.h"
#include "pageview/PagePass.h"

// Pictures of pages as PNG files, for every command that makes them: the frame's picture drawn
// band by band through the page's drawing pass (DrawPageInBands), each band's rows streamed
// into the PNG encoder, so memory stays bounded whatever the picture's size.

// Largest picture written, in pixels; no side may be wider than Canvas::kMaxSide either.
inline constexpr std::int64_t kMaxPicturePixels = 100'000'000;

// The zoom after the zoom keys `keys` ('+', '-'; other characters do nothing), as the view
// takes them: only while the page's lineCount is not 0.
float ZoomAfterKeys(const PageBody& page, std::string_view keys);

// Why no picture of `extent` is made, as a phrase about `what` ("the page at this zoom"):
// "<what> has no area (W x H pixels)" or "<what> is W x H pixels, more than the 100
// megapixels written"; empty when it can be made.
std::string PictureSizeProblem(PageExtent extent, const std::string& what);

// Streams the grey PNG of `line`'s image, its exact pixels, into `sink`, from memory or, when a
// table read left them in the file, row by row from `pixels`. False with `problem` set when the
// line has no pixels to write, they cannot be read from the file or the output fails; the sink
// may then hold part of a PNG.
bool WriteLinePng(const PageLine& line, const LinePixelSource* pixels, ByteSink& sink,
                  std::string& problem);

// Streams the PNG of the frame's picture into `sink`, in bands of at most `bandPixels` pixels:
// 8-bit grey when it draws no label (DrawsLabels), 8-bit RGB otherwise. False on failure, with
// `problem` set to a sentence for the user (no area, too large, out of memory, the output
// failed, label text cannot be had, the frame's pixels cannot be read from the file); the sink may
// then hold part of a PNG. Label text is loaded (LoadLabelText) only for a picture that draws
// labels.
bool RenderPagePng(const PageFrame& frame, ByteSink& sink, std::string& problem,
                   std::int64_t bandPixels = kDefaultBandPixels);
