#include "pagefile/ByteBuffer.h"

#include <new>

bool ByteBuffer::Allocate(std::size_t size, ByteBuffer& out) noexcept {
  ByteBuffer fresh;
  if (size > 0) {
    fresh.bytes_.reset(new (std::nothrow) std::uint8_t[size]);
    if (!fresh.bytes_) return false;
  }
  fresh.size_ = size;
  out = std::move(fresh);
  return true;
}
