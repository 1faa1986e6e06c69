#include "pagefile/MemorySource.h"

#include <cstring>

bool MemorySource::ReadExactly(void* destination, std::size_t count) {
  if (count > bytes_.size()) return false;
  if (count > 0) std::memcpy(destination, bytes_.data(), count);
  bytes_ = bytes_.subspan(count);
  return true;
}

bool MemorySource::Skip(std::uint64_t count) {
  if (count > bytes_.size()) return false;
  bytes_ = bytes_.subspan(static_cast<std::size_t>(count));
  return true;
}
