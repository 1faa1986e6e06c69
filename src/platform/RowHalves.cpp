#include "platform/RowHalves.h"

#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <new>
#include <thread>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

namespace {

void Pause() {
#if defined(__x86_64__) || defined(__i386__)
  _mm_pause();
#else
  std::this_thread::yield();
#endif
}

// How long the helper watches for the next loop before it sleeps: long enough to stay awake
// between the loops of one drawing pass.
constexpr auto kHelperWatch = std::chrono::microseconds(300);

// The helper thread and the one loop half it is given at a time. It is never destroyed: it
// lives as long as the process, and sleeps while no drawing is going on.
class RowHelper {
 public:
  // nullptr when no thread can be started.
  static RowHelper* Instance() {
    static RowHelper* const helper = Start();
    return helper;
  }

  // Runs run(context, 1, first, last) on the helper while `own` runs on the calling thread.
  // Returns false, having run nothing, when the helper is busy or belongs to another process.
  bool Share(RowRangeFunction run, void* context, std::int32_t first, std::int32_t last,
             std::int32_t ownFirst, std::int32_t ownLast) {
    if (getpid() != owner_ || busy_.exchange(true, std::memory_order_acquire)) return false;
    run_ = run;
    context_ = context;
    first_ = first;
    last_ = last;
    state_.store(kPosted, std::memory_order_release);
    {
      const std::lock_guard<std::mutex> lock(mutex_);
      if (sleeping_) wake_.notify_one();
    }
    run(context, 0, ownFirst, ownLast);
    // The halves take about as long, so the helper is usually done or nearly; yield now and
    // then in case it was not given a core.
    for (std::uint32_t spins = 1; state_.load(std::memory_order_acquire) != kDone; ++spins) {
      if (spins % 4096 == 0) {
        std::this_thread::yield();
      } else {
        Pause();
      }
    }
    state_.store(kIdle, std::memory_order_relaxed);
    busy_.store(false, std::memory_order_release);
    return true;
  }

 private:
  enum : std::uint32_t { kIdle, kPosted, kDone };

  static RowHelper* Start() {
    auto* helper = new (std::nothrow) RowHelper;
    if (helper == nullptr) return nullptr;
    try {
      std::thread(&RowHelper::Serve, helper).detach();
    } catch (...) {
      delete helper;
      return nullptr;
    }
    return helper;
  }

  bool Posted() const { return state_.load(std::memory_order_acquire) == kPosted; }

  void Serve() {
    for (;;) {
      const auto watchEnd = std::chrono::steady_clock::now() + kHelperWatch;
      // The clock is read every 64 pauses only: reading it costs more than a pause.
      for (std::uint32_t spins = 1; !Posted(); ++spins) {
        if (spins % 64 == 0 && std::chrono::steady_clock::now() >= watchEnd) break;
        Pause();
      }
      if (!Posted()) {
        std::unique_lock<std::mutex> lock(mutex_);
        sleeping_ = true;
        wake_.wait(lock, [this] { return Posted(); });
        sleeping_ = false;
      }
      run_(context_, 1, first_, last_);
      state_.store(kDone, std::memory_order_release);
    }
  }

  const pid_t owner_ = getpid();
  std::atomic<bool> busy_{false};
  std::atomic<std::uint32_t> state_{kIdle};
  std::mutex mutex_;
  std::condition_variable wake_;
  bool sleeping_ = false;  // guarded by mutex_
  // The posted half, written before state_ becomes kPosted.
  RowRangeFunction run_ = nullptr;
  void* context_ = nullptr;
  std::int32_t first_ = 0;
  std::int32_t last_ = 0;
};

std::atomic<std::int64_t> gMinSplitPixels{kMinSplitPixels};

}  // namespace

std::int64_t SetMinSplitPixels(std::int64_t pixels) { return gMinSplitPixels.exchange(pixels); }

void RunRowHalves(std::int32_t first, std::int32_t last, std::int64_t pixels, RowRangeFunction run,
                  void* context) {
  if (first >= last) return;
  if (last - first >= 2 && pixels >= gMinSplitPixels.load(std::memory_order_relaxed)) {
    const std::int32_t middle = first + (last - first) / 2;
    RowHelper* const helper = RowHelper::Instance();
    if (helper != nullptr && helper->Share(run, context, middle, last, first, middle)) return;
  }
  run(context, 0, first, last);
}
