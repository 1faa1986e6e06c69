#pragma once

#include <cstdint>

// Replaces the global operator new and delete of the test program that links
// CountingAllocator.cpp with versions that count bytes. Allocations by malloc (most of Qt's
// own data) are not seen.

// Bytes currently held through operator new, over the whole program.
std::int64_t LiveAllocatedBytes();

// Sums the sizes of every operator new request, granted or refused, while it lives.
class AllocationTally {
 public:
  AllocationTally();
  ~AllocationTally();
  AllocationTally(const AllocationTally&) = delete;
  AllocationTally& operator=(const AllocationTally&) = delete;

  std::uint64_t RequestedBytes() const;
  // The largest single request.
  std::uint64_t LargestRequest() const;
};
