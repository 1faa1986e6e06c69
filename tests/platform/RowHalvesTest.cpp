#include "platform/RowHalves.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

#include "support/RowSplitting.h"

namespace {

struct Call {
  int part;
  std::int32_t first, last;
  std::thread::id thread;
};

// Runs one loop and returns its calls in part order.
std::vector<Call> RunLoop(std::int32_t first, std::int32_t last, std::int64_t pixels) {
  std::mutex mutex;
  std::vector<Call> calls;
  ForRowHalves(first, last, pixels, [&](int part, std::int32_t a, std::int32_t b) {
    const std::lock_guard<std::mutex> lock(mutex);
    calls.push_back({part, a, b, std::this_thread::get_id()});
  });
  std::sort(calls.begin(), calls.end(),
            [](const Call& x, const Call& y) { return x.part < y.part; });
  return calls;
}

TEST(RowHalves, EveryRowIsRunOnceAndBigLoopsShareTheWork) {
  struct Case {
    std::int32_t first, last;
    std::int64_t pixels;
    bool everyLoop;
    int expectedCalls;
  };
  const Case cases[] = {
      {0, 0, 1 << 20, true, 0},                  // no rows
      {5, 3, 1 << 20, true, 0},                  // reversed range
      {7, 8, 1 << 20, true, 1},                  // one row cannot be split
      {0, 2, 1, true, 2},                        // two rows, split on demand
      {-3, 10, 13, true, 2},                     // odd count, negative start
      {0, 1080, kMinSplitPixels - 1, false, 1},  // below the usual size
      {0, 1080, kMinSplitPixels, false, 2},      // at the usual size
  };
  for (const Case& c : cases) {
    const ScopedRowSplitting splitting(c.everyLoop);
    const std::vector<Call> calls = RunLoop(c.first, c.last, c.pixels);
    ASSERT_EQ(static_cast<int>(calls.size()), c.expectedCalls) << c.first << ".." << c.last;
    if (calls.empty()) continue;
    EXPECT_EQ(calls.front().first, c.first);
    EXPECT_EQ(calls.back().last, c.last);
    EXPECT_EQ(calls.front().thread, std::this_thread::get_id());
    if (calls.size() == 2) {
      EXPECT_EQ(calls[0].part, 0);
      EXPECT_EQ(calls[1].part, 1);
      EXPECT_EQ(calls[0].last, calls[1].first);
      EXPECT_LT(calls[0].first, calls[0].last);
      EXPECT_LT(calls[1].first, calls[1].last);
      EXPECT_NE(calls[1].thread, std::this_thread::get_id());
    }
  }
}

// Two threads loop at once: the helper serves one of them at a time, the other runs its loops
// alone, and no row is lost or run twice.
TEST(RowHalves, CallersOnSeveralThreadsEachGetEveryRowOnce) {
  const ScopedRowSplitting splitting(true);
  constexpr std::int32_t kRows = 64;
  std::atomic<bool> sound{true};
  const auto caller = [&sound] {
    for (int loop = 0; loop < 2000; ++loop) {
      std::vector<std::atomic<int>> runs(kRows);
      ForRowHalves(0, kRows, kRows, [&runs](int, std::int32_t a, std::int32_t b) {
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
TEST(RowHalves, ForkedChildRunsItsLoopsOnItsOwnThread) {
  const ScopedRowSplitting splitting(true);
  ASSERT_EQ(RunLoop(0, 10, 10).size(), 2u);  // the helper is running
  const pid_t child = fork();
  ASSERT_NE(child, -1);
  if (child == 0) {
    alarm(10);  // a loop waiting for a helper that does not exist ends the child
    const std::vector<Call> calls = RunLoop(0, 10, 10);
    const bool alone = calls.size() == 1 && calls[0].first == 0 && calls[0].last == 10;
    _exit(alone ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
}

}  // namespace
