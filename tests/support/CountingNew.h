#pragma once

#include <cstdint>

// Programs that measure memory (the memory benchmark, the allocation tests) link this to replace
// the global operator new and delete with versions that count the bytes held. Memory Qt takes
// with malloc is not seen; peak RSS covers that.

// Bytes held through operator new now.
std::int64_t LiveNewBytes();
// The most bytes held at once since the last ResetPeakNewBytes().
std::int64_t PeakNewBytes();
void ResetPeakNewBytes();
