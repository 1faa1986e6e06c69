#pragma once

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

// The block layer of a deflate stream (RFC 1951): LZ77 symbols in, the smallest of a stored,
// a fixed-code and a dynamic-code block out.

// One LZ77 symbol: the next `count` (1 to kMaxLiterals) input bytes as literals (length 0,
// the bytes themselves read from the input), or a match of `length` (3 to 258) bytes
// `distance` (1 to 32768) bytes back; packed as length << 16 | distance, or the count.
using LzSymbol = std::uint32_t;
inline constexpr std::uint32_t kMaxLiterals = 0xFFFF;
inline constexpr LzSymbol Literals(std::uint32_t count) { return count; }
inline constexpr LzSymbol Match(std::uint32_t length, std::uint32_t distance) {
  return length << 16 | distance;
}

inline constexpr std::uint32_t kMinMatch = 3;
inline constexpr std::uint32_t kMaxMatch = 258;
inline constexpr std::uint32_t kMaxDistance = 32768;

// Bits gathered least significant first, as deflate packs them, into whole bytes.
class BitWriter {
 public:
  // Makes room for `count` more bytes (and the 8 that Put may write beyond them), so that Put
  // never has to.
  void Reserve(std::size_t count) {
    if (size_ + count + 8 > capacity_) Grow(size_ + count + 8);
  }
  // The writer's state held apart (in registers) for long runs of Put.
  struct Cursor {
    std::uint64_t bits;
    int used;
    std::uint8_t* at;
    // Appends the low `count` bits of `value` (count <= 56, the rest of `value` zero); room for
    // them must have been reserved. Whole bytes are stored at once, without a
    // branch: the 8 bytes at `at` are written every time and `at` moves past the whole ones.
    void Put(std::uint64_t value, int count) {
      bits |= value << used;
      used += count;
      if constexpr (std::endian::native == std::endian::little) {
        std::memcpy(at, &bits, 8);
      } else {
        for (int i = 0; i < 8; ++i) at[i] = static_cast<std::uint8_t>(bits >> (8 * i));
      }
      const int whole = used >> 3;
      at += whole;
      bits >>= 8 * whole;
      used &= 7;
    }
  };
  Cursor Open() { return {bits_, used_, bytes_.get() + size_}; }
  void Close(const Cursor& cursor) {
    bits_ = cursor.bits;
    used_ = cursor.used;
    size_ = static_cast<std::size_t>(cursor.at - bytes_.get());
  }

  // Put of one value: room for it must have been reserved.
  void Put(std::uint32_t value, int count) {
    Cursor cursor = Open();
    cursor.Put(value, count);
    Close(cursor);
  }
  // Pads with zero bits to the next byte boundary and moves every pending bit into the bytes.
  void Align();
  // Appends bytes; the writer must be at a byte boundary (after Align).
  void PutBytes(const std::uint8_t* data, std::size_t count);
  // Moves the whole bytes among the pending bits into the bytes.
  void FlushWholeBytes();
  // The bit position within the current byte, 0 to 7.
  int BitInByte() const { return used_ % 8; }

  // The bytes complete so far, and dropping them once they have been handed on.
  const std::uint8_t* data() const { return bytes_.get(); }
  std::size_t size() const { return size_; }
  void ClearBytes() { size_ = 0; }
  // Drops every byte and pending bit.
  void Reset() {
    size_ = 0;
    bits_ = 0;
    used_ = 0;
  }

 private:
  void Grow(std::size_t needed);

  std::unique_ptr<std::uint8_t[]> bytes_;  // left uninitialised: only written bytes are read
  std::size_t capacity_ = 0;
  std::size_t size_ = 0;
  std::uint64_t bits_ = 0;
  int used_ = 0;
};

// Writes the block of `symbols`, which stand for the `count` input bytes at `source` (the
// literals are read from there), with the block header's final bit as given: stored, fixed or
// dynamic codes, whichever is smallest.
void WriteDeflateBlock(BitWriter& out, const LzSymbol* symbols, std::size_t symbolCount,
                       const std::uint8_t* source, std::size_t count, bool final);
