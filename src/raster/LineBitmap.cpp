#include "raster/LineBitmap.h"

#include <algorithm>
#include <cstring>

namespace {

bool AllocateOrdinary(std::size_t size, ByteBuffer& out) { return ByteBuffer::Allocate(size, out); }

LineBufferAllocator gAllocator = AllocateOrdinary;

bool HasImage(const PageLine& line) {
  return line.width > 0 && line.height > 0 &&
         line.pixels.size() >= static_cast<std::uint64_t>(line.width) * line.height;
}

// Writes each of `count` grey bytes three times: 4 pixels at a time as three 32-bit words
// (bytes g0 g0 g0 g1 | g1 g1 g2 g2 | g2 g3 g3 g3), then the rest one by one.
void ExpandGreys(const std::uint8_t* grey, std::int32_t count, std::uint8_t* out) {
  std::int32_t j = 0;
  for (; j + 4 <= count; j += 4, grey += 4, out += 12) {
    std::uint32_t v;
    std::memcpy(&v, grey, sizeof v);
    const std::uint32_t g0 = v & 0xFF, g1 = (v >> 8) & 0xFF, g2 = (v >> 16) & 0xFF, g3 = v >> 24;
    const std::uint32_t w0 = g0 * 0x010101u | g1 << 24;
    const std::uint32_t w1 = g1 * 0x0101u | g2 * 0x01010000u;
    const std::uint32_t w2 = g2 | g3 * 0x01010100u;
    std::memcpy(out, &w0, 4);
    std::memcpy(out + 4, &w1, 4);
    std::memcpy(out + 8, &w2, 4);
  }
  for (; j < count; ++j, ++grey, out += 3) out[0] = out[1] = out[2] = *grey;
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
    ExpandGreys(grey, right - left, out);
  }
  bitmap.filled = {left, top, right, bottom};
}
