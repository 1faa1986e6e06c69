#include "platform/canvas/SharedRows.h"

#include <sched.h>
#include <unistd.h>

#include <algorithm>
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

// How long the caller spins for the helper's last run before it sleeps until the run is done:
// about as long as one run of the largest loops of a drawing pass takes, so that waking is the
// exception, and short, so that a helper without a core costs the caller little.
constexpr auto kCallerSpin = std::chrono::microseconds(100);

// Spins on `done` for about `limit`, reading the clock every 64 pauses only (reading it costs
// more than a pause). True as soon as `done` returns true; false when the time is up.
template <typename Done>
bool SpinUntil(std::chrono::microseconds limit, const Done& done) {
  const auto end = std::chrono::steady_clock::now() + limit;
  for (std::uint32_t spins = 1; !done(); ++spins) {
    if (spins % 64 == 0 && std::chrono::steady_clock::now() >= end) return done();
    Pause();
  }
  return true;
}

// Whether this process may run on more than one processor, as its affinity mask says.
bool SeveralCpusAllowed() {
  cpu_set_t allowed;
  CPU_ZERO(&allowed);
  if (sched_getaffinity(0, sizeof(allowed), &allowed) != 0) return false;
  return CPU_COUNT(&allowed) > 1;
}

// A loop is taken in about this many runs of rows, so that neither thread waits long for the
// other at its end.
constexpr std::int32_t kRunsPerLoop = 8;

// One shared loop: its rows are taken a run at a time from `next`.
struct SharedLoop {
  RowRangeFunction run = nullptr;
  void* context = nullptr;
  std::int32_t last = 0;
  std::int32_t runRows = 1;
  std::atomic<std::int64_t> next{0};

  // Runs runs of rows as `part` until none is left.
  void Take(int part) {
    for (;;) {
      const std::int64_t first = next.fetch_add(runRows, std::memory_order_relaxed);
      if (first >= last) return;
      run(context, part, static_cast<std::int32_t>(first),
          static_cast<std::int32_t>(std::min<std::int64_t>(first + runRows, last)));
    }
  }
};

// The helper thread and the loop it is offered. It is never destroyed: it lives as long as the
// process, and sleeps while no drawing is going on.
class RowHelper {
 public:
  // nullptr when the process may run on one processor only (a helper would only take turns
  // with the caller) or when no thread can be started. Decided once, at the first shared loop.
  static RowHelper* Instance() {
    static RowHelper* const helper = SeveralCpusAllowed() ? Start() : nullptr;
    return helper;
  }

  // Runs the loop on the calling thread and offers it to the helper. Returns false, having run
  // nothing, when the helper is busy or belongs to another process.
  bool Share(RowRangeFunction run, void* context, std::int32_t first, std::int32_t last) {
    if (getpid() != owner_ || busy_.exchange(true, std::memory_order_acquire)) return false;
    loop_.run = run;
    loop_.context = context;
    loop_.last = last;
    loop_.runRows = std::max<std::int32_t>(1, (last - first) / kRunsPerLoop);
    loop_.next.store(first, std::memory_order_relaxed);
    state_.store(kOffered, std::memory_order_release);
    {
      const std::lock_guard<std::mutex> lock(mutex_);
      if (sleeping_) wake_.notify_one();
    }
    loop_.Take(0);
    // Withdraw the offer if the helper has not taken it; otherwise wait for its last run.
    std::uint32_t expected = kOffered;
    if (!state_.compare_exchange_strong(expected, kIdle, std::memory_order_acq_rel)) {
      if (!SpinUntil(kCallerSpin, [this] { return Done(); })) {
        std::unique_lock<std::mutex> lock(mutex_);
        callerSleeping_ = true;
        done_.wait(lock, [this] { return Done(); });
        callerSleeping_ = false;
      }
      state_.store(kIdle, std::memory_order_relaxed);
    }
    busy_.store(false, std::memory_order_release);
    return true;
  }

 private:
  // kOffered -> kTaken -> kDone by the helper; kOffered or kDone -> kIdle by the caller.
  enum : std::uint32_t { kIdle, kOffered, kTaken, kDone };

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

  bool Offered() const { return state_.load(std::memory_order_acquire) == kOffered; }
  bool Done() const { return state_.load(std::memory_order_acquire) == kDone; }

  void Serve() {
    for (;;) {
      if (!SpinUntil(kHelperWatch, [this] { return Offered(); })) {
        std::unique_lock<std::mutex> lock(mutex_);
        sleeping_ = true;
        wake_.wait(lock, [this] { return Offered(); });
        sleeping_ = false;
      }
      std::uint32_t expected = kOffered;
      if (!state_.compare_exchange_strong(expected, kTaken, std::memory_order_acq_rel)) {
        continue;  // withdrawn
      }
      loop_.Take(1);
      state_.store(kDone, std::memory_order_release);
      const std::lock_guard<std::mutex> lock(mutex_);
      if (callerSleeping_) done_.notify_one();
    }
  }

  const pid_t owner_ = getpid();
  std::atomic<bool> busy_{false};
  std::atomic<std::uint32_t> state_{kIdle};
  std::mutex mutex_;
  std::condition_variable wake_;  // the helper sleeps on it between drawing passes
  std::condition_variable done_;  // the caller sleeps on it for the helper's last run
  bool sleeping_ = false;         // the helper sleeps; guarded by mutex_
  bool callerSleeping_ = false;   // guarded by mutex_
  SharedLoop loop_;               // set before state_ becomes kOffered
};

std::atomic<std::int64_t> gMinSharedPixels{kMinSharedPixels};

}  // namespace

std::int64_t SetMinSharedPixels(std::int64_t pixels) { return gMinSharedPixels.exchange(pixels); }

void RunSharedRows(std::int32_t first, std::int32_t last, std::int64_t pixels, RowRangeFunction run,
                   void* context) {
  if (first >= last) return;
  if (last - first >= 2 && pixels >= gMinSharedPixels.load(std::memory_order_relaxed)) {
    RowHelper* const helper = RowHelper::Instance();
    if (helper != nullptr && helper->Share(run, context, first, last)) return;
  }
  run(context, 0, first, last);
}
