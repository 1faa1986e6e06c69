#include "platform/canvas/SharedRows.h"

#include <gtest/gtest.h>
#include <sched.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

#include "support/RowSharing.h"
#include "support/RunProgram.h"

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

bool OneCpuOnly() {
  cpu_set_t allowed;
  return sched_getaffinity(0, sizeof(allowed), &allowed) == 0 && CPU_COUNT(&allowed) == 1;
}

// How often the calling thread has given up its processor by waiting.
long VoluntarySwitches() {
  rusage usage{};
  getrusage(RUSAGE_THREAD, &usage);
  return usage.ru_nvcsw;
}

// Runs that take a while leave the helper time to wake: it takes some of them.
TEST(SharedRows, TheHelperTakesRunsOfSlowLoops) {
  if (OneCpuOnly()) GTEST_SKIP() << "this process may run on one processor only";
  const ScopedRowSharing sharing(true);
  bool helped = false;
  for (int loop = 0; loop < 50 && !helped; ++loop) {
    const std::vector<Call> calls = RunLoop(0, 64, 64, std::chrono::microseconds(200));
    ExpectSoundCalls(calls, 0, 64);
    for (const Call& call : calls) helped = helped || call.part == 1;
  }
  EXPECT_TRUE(helped);
}

// While the helper is in a long run, the caller sleeps instead of spinning: it gives up its
// processor at least once (a spinning caller never does).
TEST(SharedRows, TheCallerSleepsWhileTheHelperFinishesALongRun) {
  if (OneCpuOnly()) GTEST_SKIP() << "this process may run on one processor only";
  const ScopedRowSharing sharing(true);
  for (int loop = 0; loop < 50; ++loop) {
    std::atomic<bool> helping{false};
    const long switchesBefore = VoluntarySwitches();
    ForSharedRows(0, 64, 64, [&helping](int part, std::int32_t, std::int32_t) {
      if (part == 1 && !helping.exchange(true)) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
      }
      // The caller's first run lasts until the helper is in its long run, or 1 s at most.
      const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(1);
      while (part == 0 && !helping && std::chrono::steady_clock::now() < end) {
      }
    });
    const long switches = VoluntarySwitches() - switchesBefore;
    if (!helping) continue;
    EXPECT_GE(switches, 1);
    return;
  }
  ADD_FAILURE() << "the helper never took a run";
}

// Run only in a process that may use one processor (see the test below): no loop is shared.
TEST(SharedRowsOnOneCpu, DISABLED_EveryLoopRunsOnTheCaller) {
  ASSERT_TRUE(OneCpuOnly());
  const ScopedRowSharing sharing(true);
  for (int loop = 0; loop < 10; ++loop) {
    const std::vector<Call> calls = RunLoop(0, 64, 64, std::chrono::microseconds(200));
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].part, 0);
  }
}

TEST(SharedRows, AProcessBoundToOneCpuStartsNoHelper) {
  cpu_set_t before;
  ASSERT_EQ(sched_getaffinity(0, sizeof(before), &before), 0);
  int cpu = 0;
  while (!CPU_ISSET(cpu, &before)) ++cpu;
  cpu_set_t one;
  CPU_ZERO(&one);
  CPU_SET(cpu, &one);
  ASSERT_EQ(sched_setaffinity(0, sizeof(one), &one), 0);
  // The child inherits this thread's mask.
  std::string self(4096, '\0');
  const ssize_t length = readlink("/proc/self/exe", self.data(), self.size());
  ASSERT_GT(length, 0);
  self.resize(static_cast<std::size_t>(length));
  const ProgramResult result =
      RunProgram(self, {"--gtest_also_run_disabled_tests", "--gtest_filter=SharedRowsOnOneCpu.*"});
  ASSERT_EQ(sched_setaffinity(0, sizeof(before), &before), 0);
  EXPECT_EQ(result.exitCode, 0) << result.out << result.err;
  EXPECT_NE(result.out.find("[  PASSED  ] 1 test"), std::string::npos) << result.out;
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
