#pragma once

#include <cstring>

#include <gtest/gtest.h>

#include "pagefile/PageModel.h"
#include "platform/system/CDC.h"
#include "raster/LineBitmap.h"
#include "support/PageLines.h"

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
