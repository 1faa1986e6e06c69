#pragma once

#include <cstdint>
#include <span>

#include "pagefile/PageReader.h"

// The page reader's byte source over bytes already in memory (tests, fuzzing, tools).
// The bytes must outlive the source.
class MemorySource : public ByteSource {
 public:
  explicit MemorySource(std::span<const std::uint8_t> bytes)
      : bytes_(bytes), start_(bytes.data()) {}

  std::uint64_t Remaining() const override { return bytes_.size(); }
  bool ReadExactly(void* destination, std::size_t count) override;
  bool Skip(std::uint64_t count) override;
  std::int64_t Offset() const override { return bytes_.data() - start_; }

 private:
  std::span<const std::uint8_t> bytes_;
  const std::uint8_t* start_;
};
