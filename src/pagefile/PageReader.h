#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>

#include "pagefile/PageModel.h"

// Where the reader takes its bytes from. It knows how many bytes are left, so every length
// read from a page can be checked before anything is allocated for it.
class ByteSource {
 public:
  virtual ~ByteSource() = default;
  virtual std::uint64_t Remaining() const = 0;
  // Reads exactly `count` bytes (count <= Remaining()) into `destination`; false on an I/O error.
  virtual bool ReadExactly(void* destination, std::size_t count) = 0;
  // Moves past `count` bytes (count <= Remaining()) without keeping them; false on an I/O
  // error. This one reads them in chunks; sources that can seek do better.
  virtual bool Skip(std::uint64_t count);
  // Where the next byte lies in the underlying file or buffer, counted from its start; -1 when
  // the source cannot say.
  virtual std::int64_t Offset() const { return -1; }
};

// How much of a page a read keeps. A table read makes every check of a whole read, in the same
// order and with the same refusals, but moves past the header note and the pixel blocks instead
// of reading them: they stay empty, nothing is allocated for them, and each line notes where its
// pixels lie (PageLine::pixelOffset) so that they can be read when needed (LinePixelSource).
// A layout read is a table read that moves past the labels too: they stay empty (charCount
// still says how long they are), for pictures that draw none, whatever a label declares.
enum class ReadDepth { kWhole, kTable, kLayout };

// Why a page was refused.
enum class PageError {
  kNone,
  kHeaderTooSmall,  // headerSize below 36
  kEndsInHeader,    // the header (or its note) runs past the end of the file
  kEndsInPageRecord,
  kTooManyLines,         // lineCount above kMaxLines
  kNegativeLabelLength,  // codeLength * charCount below 0
  kLabelLengthOverflow,  // codeLength * charCount beyond int32
  kNegativeImageSize,    // width or height below 0
  kImageSizeOverflow,    // width * height beyond int32
  kEndsInLine,           // a line record runs past the end of the file
  kOutOfMemory,
  kReadFailed,
};

struct PageFault {
  PageError error = PageError::kNone;
  std::int32_t line = -1;      // 0-based index of the line concerned, -1 for none
  std::int32_t lineCount = 0;  // the page's lineCount, for messages about a line
  std::int64_t value = 0;      // the offending value, where there is one

  explicit operator bool() const { return error != PageError::kNone; }
};

// One short English sentence saying what is wrong, e.g. "The file ends inside line 3 of 7."
std::string DescribePageFault(const PageFault& fault);

// Reads the header fields in file order into `header`.
PageFault ReadPageHeader(ByteSource& source, PageHeader& header,
                         ReadDepth depth = ReadDepth::kWhole);

// Told of each label exactly as the file stores it, before its 0 bytes become spaces, with the
// 0-based index of its line. Lets a page checker see what the page model no longer shows.
using RawLabelHook = std::function<void(std::int32_t line, std::span<const std::uint8_t> stored)>;

// Reads the page record and every line record into `body`, which must be empty (fresh).
// On a refusal `body` still satisfies the PageBody invariant and owns only what it read.
// `onRawLabel`, when set, is called for every label read; it does not change what is loaded.
PageFault ReadPageBody(ByteSource& source, std::int16_t codeLength, PageBody& body,
                       const RawLabelHook& onRawLabel = {}, ReadDepth depth = ReadDepth::kWhole);
