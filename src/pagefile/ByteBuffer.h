#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

// An owning block of bytes of a fixed size: the page model's header note, labels and pixel
// blocks. Allocation reports failure instead of throwing, so a loader or a drawing pass can
// refuse cleanly when memory runs out.
class ByteBuffer {
 public:
  ByteBuffer() = default;

  // A buffer of `size` uninitialised bytes; an empty buffer when `size` is 0.
  // Returns false and leaves `out` untouched when the memory cannot be had.
  [[nodiscard]] static bool Allocate(std::size_t size, ByteBuffer& out) noexcept;

  std::uint8_t* data() noexcept { return bytes_.get(); }
  const std::uint8_t* data() const noexcept { return bytes_.get(); }
  std::size_t size() const noexcept { return size_; }
  bool empty() const noexcept { return size_ == 0; }
  void reset() noexcept {
    bytes_.reset();
    size_ = 0;
  }

 private:
  std::unique_ptr<std::uint8_t[]> bytes_;
  std::size_t size_ = 0;
};
