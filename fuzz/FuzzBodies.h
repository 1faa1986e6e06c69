#pragma once

#include <cstddef>
#include <cstdint>

// The bodies of the fuzz targets, callable from the fuzzers and from the regression tests that
// replay the inputs the fuzzers once failed on. Each returns 0 and aborts the process when an
// input breaks what the code promises.

// The page loader on arbitrary bytes.
int FuzzLoadPage(const std::uint8_t* data, std::size_t size);

// Load then draw: the first kDrawParameterBytes choose the zoom and the viewport, the rest is
// the page file.
inline constexpr std::size_t kDrawParameterBytes = 16;
int FuzzDrawPage(const std::uint8_t* data, std::size_t size);

// The deflate encoder: the first kDeflateParameterBytes choose the search, the pieces and how
// often the rest is repeated as input; the stream must inflate to exactly that input.
inline constexpr std::size_t kDeflateParameterBytes = 4;
int FuzzDeflate(const std::uint8_t* data, std::size_t size);
