#pragma once

#include <cstddef>
#include <cstdint>

#include "pagefile/ByteBuffer.h"
#include "pagefile/LinePixels.h"
#include "pagefile/PageModel.h"
#include "platform/canvas/StretchDIBits.h"

// The 24-bit bitmap made from one page line for one drawing pass.

// Largest bitmap buffer, in bytes: its size is a 32-bit quantity.
inline constexpr std::int64_t kMaxLineBitmapBytes = INT32_MAX;

// `width` rounded up to a multiple of 4 pixels: (width + 3) / 4 * 4 in int32. 0 for a width of
// 0 or less, and for widths whose rounded value does not fit in int32 (no bitmap can be built
// for those).
std::int32_t PaddedWidth(std::int32_t width);

// Buffer row i holds picture row i (the top row first); pixel j of a row is bytes 3j..3j+2, all
// equal to the grey byte. Rows are PaddedWidth(width) * 3 bytes apart; padding columns are never
// written. Only the part `filled` (columns left..right, rows top..bottom, half-open) has been
// written; the rest of the buffer is undefined.
// The picture is the line image itself, or, when `reducedFor` is set, the line already reduced
// for that transfer: pixel (j, i) is the AND of the source pixels that device pixel
// (device.left + j, device.top + i) of the plan merges, and width and height are the plan's
// device rectangle's.
struct LineBitmap {
  ByteBuffer pixels;
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::int32_t paddedWidth = 0;
  PixelRect filled;
  StretchPlan reducedFor;  // empty device rectangle: the bitmap holds the line image

  std::int64_t stride() const { return std::int64_t{paddedWidth} * 3; }
  bool Reduced() const { return !reducedFor.device.Empty(); }
};

// Builds the bitmap of `line`: a buffer of height * paddedWidth * 3 bytes with the whole image,
// or with only the part `window` (image columns and rows) that a clipped transfer reads. A line
// with a width or height of 0 or less, or with fewer pixels than its size declares, gets no
// buffer and draws nothing. Returns false when the buffer cannot be had (out of memory, or a
// size beyond kMaxLineBitmapBytes); the bitmap is then empty.
[[nodiscard]] bool BuildLineBitmap(const PageLine& line, LineBitmap& bitmap);
[[nodiscard]] bool BuildLineBitmap(const PageLine& line, LineBitmap& bitmap,
                                   const PixelRect& window);

// Builds the bitmap of `line` reduced for the transfer `plan` of its image (source columns and
// buffer rows are image columns and rows): the AND of the source pixels of each device pixel is
// taken on the greys, before they are widened to 24 bits, so the bitmap is as large as the
// clipped destination and transferring it one to one onto plan.device gives the picture of the
// stretched transfer. Reads each source pixel the plan merges once. A line short of its pixels,
// or a plan that draws nothing or reads outside the image, gets no buffer. Returns false when
// the buffers cannot be had; the bitmap is then empty.
[[nodiscard]] bool BuildLineBitmap(const PageLine& line, LineBitmap& bitmap,
                                   const StretchPlan& plan);

// Writes the image part `window` of `line` into an already allocated bitmap of that line.
void FillLineBitmap(const PageLine& line, LineBitmap& bitmap, const PixelRect& window);

// Builds a bitmap of the image part `window` (columns and rows of the image) of `line` alone,
// as large as the window and filled whole: buffer row i holds image row window.top + i from
// column window.left on. Pixels come from memory, or from `source` when they were left in the
// file (known black stretches are not read). A transfer planned for the whole image reads it
// once its source indices are moved by the window's corner. Nothing is built for a line without
// all its pixels or a window outside the image; false when the buffer cannot be had.
[[nodiscard]] bool BuildWindowBitmap(const PageLine& line, const LinePixelSource* source,
                                     const PixelRect& window, LineBitmap& bitmap);

// BuildLineBitmap(line, bitmap, plan) for a line whose pixels were left in the file: the same
// reduced bitmap, each source row the plan merges read from `source` once, in pieces, and
// merged into one row of device pixels, so memory follows the device rectangle however wide
// the line. Once a device row is black through, the rest of its span is not read, so the holes
// of a sparse file cost no reading. False when the buffers cannot be had.
[[nodiscard]] bool BuildLineBitmap(const PageLine& line, const LinePixelSource& source,
                                   LineBitmap& bitmap, const StretchPlan& plan);

// The allocation of bitmap buffers, replaceable so that tests can make it fail. The function
// returns false when it cannot provide `size` bytes.
using LineBufferAllocator = bool (*)(std::size_t size, ByteBuffer& out);
// Installs `allocator` (nullptr: the ordinary allocation) and returns the one it replaces.
LineBufferAllocator SetLineBufferAllocator(LineBufferAllocator allocator);
