#pragma once

#include <cstring>
#include <functional>

#include <gtest/gtest.h>

#include "pagefile/PageModel.h"
#include "platform/system/CDC.h"
#include "raster/LineBitmap.h"

// Fills fresh bitmap buffers with a byte that no test image uses, to show unwritten bytes.
inline constexpr std::uint8_t kSentinel = 0xCD;

inline bool AllocateSentinel(std::size_t size, ByteBuffer& out) {
  if (!ByteBuffer::Allocate(size, out)) return false;
  std::memset(out.data(), kSentinel, size);
  return true;
}

inline bool AllocateNothing(std::size_t, ByteBuffer&) { return false; }

// Installs an allocator for one scope.
class ScopedAllocator {
 public:
  explicit ScopedAllocator(LineBufferAllocator allocator)
      : previous_(SetLineBufferAllocator(allocator)) {}
  ~ScopedAllocator() { SetLineBufferAllocator(previous_); }
  ScopedAllocator(const ScopedAllocator&) = delete;
  ScopedAllocator& operator=(const ScopedAllocator&) = delete;

 private:
  LineBufferAllocator previous_;
};

// A line whose pixel (i, j) is grey(i, j); no pixels when `grey` is empty.
inline PageLine MakeLine(std::int32_t left, std::int32_t top, std::int32_t width,
                         std::int32_t height, const std::function<int(int, int)>& grey) {
  PageLine line;
  line.left = left;
  line.top = top;
  line.width = width;
  line.height = height;
  if (grey && width > 0 && height > 0) {
    EXPECT_TRUE(ByteBuffer::Allocate(static_cast<std::size_t>(width) * height, line.pixels));
    for (int i = 0; i < height; ++i) {
      for (int j = 0; j < width; ++j) line.pixels.data()[i * width + j] = grey(i, j) & 0xFF;
    }
  }
  return line;
}
