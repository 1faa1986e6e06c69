#pragma once

#include <cstdint>

#include "platform/RowHalves.h"

// While it lives, every row loop of two rows or more is split between the calling thread and
// the helper (when `everyLoop`), or only loops of the usual size are.
class ScopedRowSplitting {
 public:
  explicit ScopedRowSplitting(bool everyLoop)
      : previous_(SetMinSplitPixels(everyLoop ? 0 : kMinSplitPixels)) {}
  ~ScopedRowSplitting() { SetMinSplitPixels(previous_); }
  ScopedRowSplitting(const ScopedRowSplitting&) = delete;
  ScopedRowSplitting& operator=(const ScopedRowSplitting&) = delete;

 private:
  std::int64_t previous_;
};
