#pragma once

#include <cstdint>

#include "pagefile/PageModel.h"
#include "platform/canvas/Bitmap.h"
#include "platform/canvas/DrawingTarget.h"
#include "raster/LineBitmap.h"

// Where a line's bitmap is transferred, in logical coordinates: every value is the page value
// scaled by ScaleToDevice. The height is negative (or 0): the destination runs upward from y,
// which mirrors the bottom-up bitmap so that the image stands upright.
struct LineDest {
  std::int32_t x = 0;       // left * zoom
  std::int32_t y = 0;       // (top + height) * zoom, the sum formed first (saturated)
  std::int32_t width = 0;   // width * zoom
  std::int32_t height = 0;  // (-height) * zoom
};

LineDest LineDestination(const PageLine& line, float zoom);

// Fills the header fields that stay fixed over a drawing pass: size 40, one plane,
// uncompressed, no colour table. The per-line fields are zeroed.
void InitBitmapHeader(BITMAPINFOHEADER& header);

// The image columns and rows of `line` that its transfer at `zoom` reads within the clip of
// `dc`. Returns false when the transfer draws nothing there (the line can be skipped).
bool VisibleSourceWindow(const DrawingTarget& dc, const PageLine& line, float zoom,
                         PixelRect& window);

// Writes the bitmap's shape into `header` (24 bits, paddedWidth, height), ANDs the bitmap onto
// `dc` at the line's scaled place, and releases the bitmap's buffer. A bitmap of the line image
// goes in one transfer of source (0, 0, width, height); parts of the image that the transfer
// needs but the bitmap lacks are filled first. A reduced bitmap goes one to one onto its
// device rectangle, after being reduced again if it was made for another transfer (nothing is
// drawn if that cannot be done). A bitmap that is empty or not built from `line` transfers
// nothing.
void DrawLineBitmap(DrawingTarget& dc, const PageLine& line, LineBitmap& bitmap,
                    BITMAPINFOHEADER& header, float zoom);

// ANDs a reduced bitmap one to one onto its device rectangle of `target`, mirrored so that its
// first buffer row lands on the rectangle's top, as every line image stands. Writes the
// bitmap's shape into `header`.
void DrawReducedBitmap(const ClippedCanvas& target, const LineBitmap& bitmap,
                       BITMAPINFOHEADER& header);

// One line of a drawing pass: builds a bitmap of only the part of its image that lands in the
// clip of `dc` (at a shrinking zoom, already reduced to the destination's pixels) and draws it,
// leaving the same picture as a full build. The line's destination and transfer are planned
// once. A line whose pixels were left in the file is read from `source`, only as far as the
// clip needs. Leaves the whole image's shape in `header`. Returns false when the bitmap buffer
// cannot be had; nothing is drawn then.
[[nodiscard]] bool RasterizeLine(DrawingTarget& dc, const PageLine& line, BITMAPINFOHEADER& header,
                                 float zoom, const LinePixelSource* source = nullptr);
