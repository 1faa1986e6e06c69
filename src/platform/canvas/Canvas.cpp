#include "platform/canvas/Canvas.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "platform/canvas/SharedRows.h"

const char* CanvasErrorMessage(CanvasError error) {
  switch (error) {
    case CanvasError::kNone:
      return "no error";
    case CanvasError::kNegativeSize:
      return "canvas size is negative";
    case CanvasError::kTooLarge:
      return "canvas size exceeds the limit";
    case CanvasError::kOutOfMemory:
      return "not enough memory for the canvas";
  }
  return "unknown canvas error";
}

CanvasError Canvas::Allocate(std::int32_t width, std::int32_t height) noexcept {
  pixels_.reset();
  width_ = 0;
  height_ = 0;
  if (width < 0 || height < 0) return CanvasError::kNegativeSize;
  if (width > kMaxSide || height > kMaxSide) return CanvasError::kTooLarge;
  const std::int64_t count = std::int64_t{width} * height;
  if (count > kMaxPixels) return CanvasError::kTooLarge;
  if (count == 0) return CanvasError::kNone;
  pixels_.reset(new (std::nothrow) std::uint32_t[static_cast<std::size_t>(count)]);
  if (!pixels_) return CanvasError::kOutOfMemory;
  width_ = width;
  height_ = height;
  return CanvasError::kNone;
}

void Canvas::Fill(std::uint32_t pixel) noexcept {
  const std::uint32_t value = pixel | ~kCanvasRgbMask;
  ForSharedRows(0, height_, std::int64_t{width_} * height_,
                [this, value](int, std::int32_t first, std::int32_t last) {
                  const auto count =
                      static_cast<std::size_t>(std::int64_t{width_} * (last - first));
                  // White, the usual fill, is one byte repeated: the C library's fill is fastest.
                  if (value == kCanvasWhite) {
                    std::memset(Row(first), 0xFF, count * sizeof(std::uint32_t));
                  } else {
                    std::fill_n(Row(first), count, value);
                  }
                });
}
