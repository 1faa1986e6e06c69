#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "pagefile/PageReader.h"

// Shared by the fuzz targets: reads a page from bytes as the viewer does and aborts the run
// (so the fuzzer keeps the input) as soon as the page model breaks one of its invariants.

// Reads the header and the body from `bytes`. `body` must be fresh.
PageFault LoadFuzzPage(std::span<const std::uint8_t> bytes, PageHeader& header, PageBody& body);

// Aborts unless the line table keeps its invariants: lineCount <= kMaxLines, the lines in use
// own a label of codeLength * charCount + 1 bytes ending in 0 with no other 0 byte and a pixel
// block of width * height bytes, and the entries above own nothing.
void CheckPageInvariants(std::int16_t codeLength, std::int32_t lineCount,
                         const std::array<PageLine, kMaxLines>& lines);

// Aborts with `what` on stderr when `condition` is false.
void FuzzCheck(bool condition, const char* what);
