#pragma once

#include <cstdint>

#include "platform/canvas/Bitmap.h"
#include "platform/canvas/Canvas.h"

// Half-open rectangle [left, right) x [top, bottom).
struct PixelRect {
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t right = 0;
  std::int32_t bottom = 0;

  bool Empty() const { return right <= left || bottom <= top; }
  bool operator==(const PixelRect&) const = default;
  bool Contains(const PixelRect& other) const {
    return other.Empty() || (left <= other.left && top <= other.top && other.right <= right &&
                             other.bottom <= bottom);
  }
};

// Where a transfer draws: a canvas, the logical point that lands on its pixel (0, 0), and the
// clip rectangle in canvas pixels (which must lie within the canvas).
struct ClippedCanvas {
  Canvas* canvas = nullptr;
  std::int32_t originX = 0;
  std::int32_t originY = 0;
  PixelRect clip;
};

// One axis of a stretched transfer. Destination pixel k (counted from the low device end when
// not reversed, from the high end when reversed) takes the source indices
//   [S*k/D, max(S*k/D + 1, S*(k+1)/D))   (integer division, D = destLength, S = sourceLength)
// offset by sourceStart. When shrinking, the spans partition the source, so every source pixel
// is merged into exactly one destination pixel; when stretching, each destination pixel
// repeats one source pixel.
struct StretchAxis {
  std::int64_t deviceStart = 0;  // device coordinate of the destination's low end
  std::int64_t destLength = 0;   // D >= 1
  std::int64_t sourceStart = 0;
  std::int64_t sourceLength = 0;  // S >= 1
  bool reversed = false;

  // The source indices [first, last) merged into the destination pixel at `device`, which must
  // lie within [deviceStart, deviceStart + destLength).
  void SourceSpan(std::int64_t device, std::int64_t& first, std::int64_t& last) const;

  // The spans of the `count` device positions from `low` on, all within the destination:
  // position low + i merges the source indices [first[i], first[i] + length[i]). Steps the
  // quotient k * S / D along the axis, so no position needs a division.
  void SourceSpans(std::int64_t low, std::int32_t count, std::int32_t* first,
                   std::int32_t* length) const;

  bool operator==(const StretchAxis&) const = default;
};

// The geometry of one transfer from a bottom-up bitmap, clipped to its target.
struct StretchPlan {
  PixelRect device;  // the canvas pixels written; empty when the transfer draws nothing
  StretchAxis x;     // source indices are bitmap columns
  StretchAxis y;     // source indices are buffer rows (row 0 first in memory, the bottom row)

  // The bitmap columns (left, right) and buffer rows (top, bottom) that the transfer reads;
  // empty when it draws nothing.
  PixelRect SourceWindow() const;

  bool operator==(const StretchPlan&) const = default;
};

// Plans the transfer of the source rectangle (xSrc, ySrc, wSrc, hSrc) of a bottom-up bitmap to
// the logical destination (xDest, yDest, wDest, hDest), following the conventions of
// StretchDIBits below. Returns false (and an empty plan) when nothing would be drawn.
bool PlanStretch(const ClippedCanvas& target, std::int32_t xDest, std::int32_t yDest,
                 std::int32_t wDest, std::int32_t hDest, std::int32_t xSrc, std::int32_t ySrc,
                 std::int32_t wSrc, std::int32_t hSrc, StretchPlan& plan);

// Transfers the source rectangle of a 24-bit, uncompressed, bottom-up bitmap (biHeight > 0,
// rows Dib24Stride(biWidth) bytes apart, bytes blue, green, red) onto the target, ANDing each
// colour channel with the canvas (SRCAND), clipped to the target's clip rectangle.
//  - Source coordinates count rows from the bitmap's bottom row (the first row in memory).
//    The source extents must be positive and the rectangle must lie within the bitmap.
//  - A positive destination extent covers [start, start + extent); a negative one covers
//    [start + extent, start). A destination height of the opposite sign to hSrc mirrors the
//    picture vertically, so a bottom-up bitmap drawn with a negative height shows its first
//    row in memory at the top; a negative width mirrors it horizontally.
//  - Shrinking ANDs together all source pixels that map to one destination pixel, so thin
//    dark strokes survive; stretching repeats pixels (see StretchAxis).
// Cost is proportional to the clipped destination area plus the source pixels it merges.
// Returns the number of destination rows written; 0 when nothing is drawn, including for a
// zero extent, an unsupported header, usage or raster operation, or a rectangle outside the
// bitmap.
int StretchDIBits(const ClippedCanvas& target, std::int32_t xDest, std::int32_t yDest,
                  std::int32_t wDest, std::int32_t hDest, std::int32_t xSrc, std::int32_t ySrc,
                  std::int32_t wSrc, std::int32_t hSrc, const void* bits,
                  const BITMAPINFOHEADER* header, std::uint32_t usage, std::uint32_t rop);

// Draws a transfer planned by PlanStretch against `target` (ANDing, as StretchDIBits does)
// from `bits`, laid out as `header` describes; the planned source rectangle must lie within
// the bitmap. Returns the number of destination rows written (0 for an unsupported header).
int TransferPlanned(const ClippedCanvas& target, const StretchPlan& plan, const void* bits,
                    const BITMAPINFOHEADER& header);
