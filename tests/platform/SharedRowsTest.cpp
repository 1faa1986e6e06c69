#include "platform/canvas/SharedRows.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

#include "support/RowSharing.h"

namespace {

struct Call {
  int part;
  std::int32_t first, last;
  std::thread::id thread;
};

// Runs one loop and returns its calls in row order.
std::vector<Call> RunLoop(std::int32_t first, std::int32_t last, std::int64_t pixels,
                          std::chrono::microseconds perRun = {}) {
  std::mutex mutex;
  std::vector<Call> calls;
  ForSharedRows(first, last, pixels, [&](int part, std::int32_t a, std::int32_t b) {
    std::this_thread::sleep_for(perRun);
    const std::lock_guard<std::mutex> lock(mutex);
    calls.push_back({part, a, b, std::this_thread::get_id()});
  });
  std::sort(calls.begin(), calls.end(),
            [](const Call& x, const Call& y) { return x.first < y.first; });
  return calls;
}

// The calls cover [first, last) once, in non-empty ranges, each part on its own thread.
void ExpectSoundCalls(const std::vector<Call>& calls, std::int32_t first, std::int32_t last) {
  std::int32_t next = first;
  for (const Call& call : calls) {
    EXPECT_EQ(call.first, next);
    EXPECT_LT(call.first, call.last);
    EXPECT_EQ(call.part == 0, call.thread == std::this_thread::get_id()) << "part " << call.part;
    next = call.last;
  }
  EXPECT_EQ(next, std::max(first, last));
}

TEST(SharedRows, EveryRowIsRunOnceAndOnlyBigLoopsAreShared) {
  struct Case {
    std::int32_t first, last;
    std::int64_t pixels;
    bool everyLoop;
    bool shared;
  };
  const Case cases[] = {
      {0, 0, 1 << 20, true, false},                   // no rows
      {5, 3, 1 << 20, true, false},                   // reversed range
      {7, 8, 1 << 20, true, false},                   // one row is not shared
      {0, 2, 1, true, true},                          // two rows, shared on demand
      {-3, 10, 13, true, true},                       // odd count, negative start
      {0, 1080, kMinSharedPixels - 1, false, false},  // below the usual size
      {0, 1080, kMinSharedPixels, false, true},       // at the usual size
  };
  for (const Case& c : cases) {
    const ScopedRowSharing sharing(c.everyLoop);
    const std::vector<Call> calls = RunLoop(c.first, c.last, c.pixels);
    ExpectSoundCalls(calls, c.first, c.last);
    if (!c.shared) {
      EXPECT_LE(calls.size(), 1u) << c.first << ".." << c.last;
    }
  }
}

// Runs that take a while leave the helper time to wake: it takes some of them.
TEST(SharedRows, TheHelperTakesRunsOfSlowLoops) {
  const ScopedRowSharing sharing(true);
  bool helped = false;
  for (int loop = 0; loop < 50 && !helped; ++loop) {
    const std::vector<Call> calls = RunLoop(0, 64, 64, std::chrono::microseconds(200));
    ExpectSoundCalls(calls, 0, 64);
    for (const Call& call : calls) helped = helped || call.part == 1;
  }
  EXPECT_TRUE(helped);
}

// Two threads loop at once: the helper serves one of them at a time, the other runs its loops
// alone, and no row is lost or run twice.
TEST(SharedRows, CallersOnSeveralThreadsEachGetEveryRowOnce) {
  const ScopedRowSharing sharing(true);
  constexpr std::int32_t kRows = 64;
  std::atomic<bool> sound{true};
  const auto caller = [&sound] {
    for (int loop = 0; loop < 2000; ++loop) {
      std::vector<std::atomic<int>> runs(kRows);
      ForSharedRows(0, kRows, kRows, [&runs](int, std::int32_t a, std::int32_t b) {
        for (std::int32_t row = a; row < b; ++row) runs[static_cast<std::size_t>(row)]++;
      });
      for (const auto& count : runs) {
        if (count != 1) sound = false;
      }
    }
  };
  std::thread other(caller);
  caller();
  other.join();
  EXPECT_TRUE(sound);
}

// A process forked from one whose helper is running has no helper thread: its loops run alone.
TEST(SharedRows, ForkedChildRunsItsLoopsOnItsOwnThread) {
  const ScopedRowSharing sharing(true);
  RunLoop(0, 10, 10, std::chrono::microseconds(100));  // the helper is running
  const pid_t child = fork();
  ASSERT_NE(child, -1);
  if (child == 0) {
    alarm(10);  // a loop waiting for a helper that does not exist ends the child
    const std::vector<Call> calls = RunLoop(0, 10, 10);
    const bool alone =
        calls.size() == 1 && calls[0].first == 0 && calls[0].last == 10 && calls[0].part == 0;
    _exit(alone ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
}

}  // namespace
