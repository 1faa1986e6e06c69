#include "raster/LineBitmap.h"

#include <algorithm>

namespace {

bool AllocateOrdinary(std::size_t size, ByteBuffer& out) { return ByteBuffer::Allocate(size, out); }

LineBufferAllocator gAllocator = AllocateOrdinary;

bool HasImage(const PageLine& line) {
  return line.width > 0 && line.height > 0 &&
         line.pixels.size() >= static_cast<std::uint64_t>(line.width) * line.height;
}

}  // namespace

std::int32_t PaddedWidth(std::int32_t width) {
  if (width <= 0 || width > INT32_MAX - 3) return 0;
  return (width + 3) / 4 * 4;
}

LineBufferAllocator SetLineBufferAllocator(LineBufferAllocator allocator) {
  const LineBufferAllocator previous = gAllocator;
  gAllocator = allocator != nullptr ? allocator : AllocateOrdinary;
  return previous;
}

bool BuildLineBitmap(const PageLine& line, LineBitmap& bitmap) {
  return BuildLineBitmap(line, bitmap, PixelRect{0, 0, line.width, line.height});
}

bool BuildLineBitmap(const PageLine& line, LineBitmap& bitmap, const PixelRect& window) {
  bitmap = LineBitmap{};
  if (line.width <= 0 || line.height <= 0) return true;
  const std::int32_t paddedWidth = PaddedWidth(line.width);
  if (paddedWidth == 0) return false;
  const std::int64_t bytes = std::int64_t{line.height} * paddedWidth * 3;
  if (bytes > kMaxLineBitmapBytes) return false;
  if (!HasImage(line)) return true;  // a line short of its pixels is not read at all
  if (!gAllocator(static_cast<std::size_t>(bytes), bitmap.pixels)) return false;
  bitmap.width = line.width;
  bitmap.height = line.height;
  bitmap.paddedWidth = paddedWidth;
  FillLineBitmap(line, bitmap, window);
  return true;
}

void FillLineBitmap(const PageLine& line, LineBitmap& bitmap, const PixelRect& window) {
  if (bitmap.pixels.empty() || bitmap.width != line.width || bitmap.height != line.height ||
      !HasImage(line)) {
    return;
  }
  const std::int32_t left = std::max(window.left, 0);
  const std::int32_t top = std::max(window.top, 0);
  const std::int32_t right = std::min(window.right, line.width);
  const std::int32_t bottom = std::min(window.bottom, line.height);
  if (left >= right || top >= bottom) return;
  for (std::int32_t i = top; i < bottom; ++i) {
    const std::uint8_t* grey = line.pixels.data() + std::int64_t{i} * line.width + left;
    std::uint8_t* out = bitmap.pixels.data() + i * bitmap.stride() + std::int64_t{left} * 3;
    for (std::int32_t j = left; j < right; ++j, ++grey, out += 3) {
      out[0] = out[1] = out[2] = *grey;
    }
  }
  bitmap.filled = {left, top, right, bottom};
}
