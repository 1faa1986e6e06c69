#pragma once

#include <cstdint>

#include "platform/canvas/SharedRows.h"

// While it lives, every row loop of two rows or more is split between the calling thread and
// the helper (when `everyLoop`), or only loops of the usual size are.
class ScopedRowSharing {
 public:
  explicit ScopedRowSharing(bool everyLoop)
      : previous_(SetMinSharedPixels(everyLoop ? 0 : kMinSharedPixels)) {}
  ~ScopedRowSharing() { SetMinSharedPixels(previous_); }
  ScopedRowSharing(const ScopedRowSharing&) = delete;
  ScopedRowSharing& operator=(const ScopedRowSharing&) = delete;

 private:
  std::int64_t previous_;
};
