#pragma once

#include <cstddef>
#include <cstdint>

// PNG row filters (None, Sub, Up, Average, Paeth) and the choice among them.

enum class PngFilter : std::uint8_t { kNone = 0, kSub = 1, kUp = 2, kAverage = 3, kPaeth = 4 };

// Writes the type byte of the filter that leaves the smallest sum of residuals taken as signed
// bytes (the usual estimate of what compresses best), then the row filtered by it, to `out`
// (count + 1 bytes), and returns that filter. `row` holds `count` bytes below `previous` (all
// zero for the first row), pixels `bytesPerPixel` apart; a row equal to the one above takes Up
// at once.
PngFilter FilterPngRow(const std::uint8_t* row, const std::uint8_t* previous, std::size_t count,
                       int bytesPerPixel, std::uint8_t* out);
