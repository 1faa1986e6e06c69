#include "reliability/CountingAllocator.h"

#include <atomic>
#include <cstddef>
#include <cstdlib>
#include <new>

namespace {

// Room in front of every block for its size, keeping the alignment of operator new.
constexpr std::size_t kPrefix = __STDCPP_DEFAULT_NEW_ALIGNMENT__;

constinit std::atomic<std::int64_t> live{0};
constinit std::atomic<bool> tallying{false};
constinit std::atomic<std::uint64_t> requested{0};
constinit std::atomic<std::uint64_t> largest{0};

void* Allocate(std::size_t size) noexcept {
  if (tallying.load(std::memory_order_relaxed)) {
    requested.fetch_add(size, std::memory_order_relaxed);
    std::uint64_t seen = largest.load(std::memory_order_relaxed);
    while (size > seen && !largest.compare_exchange_weak(seen, size)) {
    }
  }
  if (size > SIZE_MAX - kPrefix) return nullptr;
  auto* block = static_cast<unsigned char*>(std::malloc(size + kPrefix));
  if (block == nullptr) return nullptr;
  *reinterpret_cast<std::size_t*>(block) = size;
  live.fetch_add(static_cast<std::int64_t>(size), std::memory_order_relaxed);
  return block + kPrefix;
}

void Release(void* pointer) noexcept {
  if (pointer == nullptr) return;
  auto* block = static_cast<unsigned char*>(pointer) - kPrefix;
  live.fetch_sub(static_cast<std::int64_t>(*reinterpret_cast<std::size_t*>(block)),
                 std::memory_order_relaxed);
  std::free(block);
}

void* AllocateOrThrow(std::size_t size) {
  void* pointer = Allocate(size);
  if (pointer == nullptr) throw std::bad_alloc();
  return pointer;
}

}  // namespace

std::int64_t LiveAllocatedBytes() { return live.load(); }

AllocationTally::AllocationTally() {
  requested = 0;
  largest = 0;
  tallying = true;
}
AllocationTally::~AllocationTally() { tallying = false; }
std::uint64_t AllocationTally::RequestedBytes() const { return requested.load(); }
std::uint64_t AllocationTally::LargestRequest() const { return largest.load(); }

void* operator new(std::size_t size) { return AllocateOrThrow(size); }
void* operator new[](std::size_t size) { return AllocateOrThrow(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void operator delete(void* pointer) noexcept { Release(pointer); }
void operator delete[](void* pointer) noexcept { Release(pointer); }
void operator delete(void* pointer, std::size_t) noexcept { Release(pointer); }
void operator delete[](void* pointer, std::size_t) noexcept { Release(pointer); }
void operator delete(void* pointer, const std::nothrow_t&) noexcept { Release(pointer); }
void operator delete[](void* pointer, const std::nothrow_t&) noexcept { Release(pointer); }
