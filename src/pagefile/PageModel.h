#pragma once

#include <array>
#include <cstdint>

#include "pagefile/ByteBuffer.h"

// In-memory form of one page file. All coordinates and extents are page pixels.

inline constexpr std::int32_t kMaxLines = 100;
inline constexpr std::int32_t kFixedHeaderBytes = 36;  // headerSize of a header without a note
// Where the header note starts in the file: after headerSize and headerTag8.
inline constexpr std::int64_t kHeaderNoteOffset = 4 + 8;

struct PageHeader {
  std::int32_t headerSize = 0;
  std::array<std::uint8_t, 8> headerTag8{};
  ByteBuffer headerNote;  // headerSize - 36 bytes
  std::array<std::uint8_t, 20> headerTag20{};
  std::int16_t codeLength = 0;  // bytes per label character code
  std::int16_t headerWord = 0;
};

struct PageLine {
  std::int32_t charCount = 0;
  // codeLength * charCount bytes with every 0 byte turned into 0x20, then one terminating 0.
  ByteBuffer label;
  // height * width grey bytes, top row first, no row padding. 0 is black, 255 white.
  ByteBuffer pixels;
  // Where those bytes start in the page file when a table read left them there (then `pixels`
  // is empty and all height * width bytes lie in the file); -1 otherwise.
  std::int64_t pixelOffset = -1;
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t height = 0;
  std::int32_t width = 0;
};

// The page record and the line table. Invariant: entries [0, max(lineCount, 0)) are the
// page's lines and lineCount <= kMaxLines; entries above hold nothing. A negative lineCount
// is kept as read and means no lines.
struct PageBody {
  std::int32_t pageWidth = 0;
  std::int32_t pageHeight = 0;
  std::int32_t lineCount = 0;
  std::array<PageLine, kMaxLines> lines;

  std::int32_t UsedLines() const { return lineCount > 0 ? lineCount : 0; }
};
