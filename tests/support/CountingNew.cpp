#include "support/CountingNew.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

// Each block carries its size in front, padded to keep the caller's data 16-byte aligned.
constexpr std::size_t kPrefix = 16;

std::atomic<std::int64_t> gLive{0};
std::atomic<std::int64_t> gPeak{0};
std::atomic<std::int64_t> gFailAbove{-1};

void* Take(std::size_t size) noexcept {
  if (const std::int64_t limit = gFailAbove.load();
      limit >= 0 && size > static_cast<std::uint64_t>(limit)) {
    return nullptr;
  }
  void* block = std::malloc(size + kPrefix);
  if (block == nullptr) return nullptr;
  *static_cast<std::size_t*>(block) = size;
  const std::int64_t live =
      gLive.fetch_add(static_cast<std::int64_t>(size)) + static_cast<std::int64_t>(size);
  std::int64_t peak = gPeak.load();
  while (live > peak && !gPeak.compare_exchange_weak(peak, live)) {
  }
  return static_cast<char*>(block) + kPrefix;
}

void Give(void* data) noexcept {
  if (data == nullptr) return;
  void* block = static_cast<char*>(data) - kPrefix;
  gLive.fetch_sub(static_cast<std::int64_t>(*static_cast<std::size_t*>(block)));
  std::free(block);
}

void* TakeOrThrow(std::size_t size) {
  if (void* data = Take(size)) return data;
  throw std::bad_alloc();
}

}  // namespace

std::int64_t LiveNewBytes() { return gLive.load(); }
std::int64_t PeakNewBytes() { return gPeak.load(); }
void ResetPeakNewBytes() { gPeak.store(gLive.load()); }
void FailNewAbove(std::int64_t bytes) { gFailAbove.store(bytes); }

void* operator new(std::size_t size) { return TakeOrThrow(size); }
void* operator new[](std::size_t size) { return TakeOrThrow(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return Take(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return Take(size); }
void operator delete(void* data) noexcept { Give(data); }
void operator delete[](void* data) noexcept { Give(data); }
void operator delete(void* data, std::size_t) noexcept { Give(data); }
void operator delete[](void* data, std::size_t) noexcept { Give(data); }
void operator delete(void* data, const std::nothrow_t&) noexcept { Give(data); }
void operator delete[](void* data, const std::nothrow_t&) noexcept { Give(data); }
