#pragma once

#include <cstdint>
#include <type_traits>

// Runs a loop over rows on two cores: the calling thread and one long-lived helper thread take
// runs of rows in turn until none is left, so that row loops which write disjoint rows finish
// in about half the time on a machine with memory bandwidth to spare. The picture is the same
// either way, since every row is still written by exactly one call. The calling thread never
// waits for a helper that has not started: rows the helper has not taken are run by the caller.
//
// Small loops, loops that arrive while the helper is busy with another caller, loops in a
// process forked from the one that started the helper, and every loop of a process whose
// affinity mask allows one processor only run entirely on the calling thread.
//
// Threads: the helper is started at the first shared loop and lives as long as the process.
// Between loops it spins for a few hundred microseconds (the gap between the loops of one
// drawing pass), then sleeps on a condition variable until a loop is offered. A caller that
// runs out of rows while the helper is still in its last run spins for about 100 microseconds,
// then sleeps until the helper wakes it. Every row range is written by one thread, and the
// caller sees all the helper's writes when RunSharedRows returns. Any thread may call; calls
// from several threads at once are safe (one of them gets the helper).

// Loops of fewer pixels than this run on the calling thread: waking the helper costs more.
inline constexpr std::int64_t kMinSharedPixels = 32 * 1024;

// Replaces the smallest loop that is shared (kMinSharedPixels to begin with; tests share every
// loop of two rows or more with 0) and returns the value it replaces.
std::int64_t SetMinSharedPixels(std::int64_t pixels);

using RowRangeFunction = void (*)(void* context, int part, std::int32_t first, std::int32_t last);

// Calls run(context, part, a, b) for ranges [a, b) that together cover [first, last) exactly
// once, and returns when every call has returned. `part` is 0 on the calling thread and 1 on
// the helper; calls with the same part never overlap, so each part can have its own working
// memory. `pixels` is the work of the whole loop. `run` must not throw.
void RunSharedRows(std::int32_t first, std::int32_t last, std::int64_t pixels, RowRangeFunction run,
                   void* context);

// The same for any callable taking (part, first, last).
template <typename Function>
void ForSharedRows(std::int32_t first, std::int32_t last, std::int64_t pixels,
                   Function&& function) {
  RunSharedRows(
      first, last, pixels,
      [](void* context, int part, std::int32_t a, std::int32_t b) {
        (*static_cast<std::remove_reference_t<Function>*>(context))(part, a, b);
      },
      const_cast<void*>(static_cast<const void*>(&function)));
}
