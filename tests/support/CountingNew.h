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

// From now on every single request of more than `bytes` fails, as when memory runs out: new
// (nothrow) returns null and the others throw std::bad_alloc. A negative value lifts the limit.
void FailNewAbove(std::int64_t bytes);
