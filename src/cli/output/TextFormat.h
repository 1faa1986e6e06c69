#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// Lowercase hex digits of `size` bytes, two per byte, no separators.
std::string HexBytes(const std::uint8_t* bytes, std::size_t size);

// `text` as a JSON string literal, quotes included, always valid UTF-8: control characters
// (C0, DEL and C1) are escaped as \uXXXX, and every byte that is no part of a valid UTF-8
// character (a file name is any bytes) is written as the four characters \xHH, so the string
// holds a backslash, 'x' and two uppercase hex digits in its place.
std::string JsonQuoted(std::string_view text);

// `text` (a file name, a label) made safe for a terminal: control characters (C0, DEL and
// C1) and bytes that are no part of a valid UTF-8 character become \xHH, one per byte; the
// rest stays as it is.
std::string DisplayText(std::string_view text);

// Writes `text` to stdout as it stands (it may hold 0 bytes); a failure is noted for the exit.
void PrintOut(std::string_view text);
// Writes `text` to stderr as it stands.
void PrintErr(std::string_view text);

// What PrintOut and PrintErr were given on one thread, in order: (true for stderr, text).
using CapturedOutput = std::vector<std::pair<bool, std::string>>;

// While it lives, PrintOut and PrintErr on the constructing thread append to `into` instead of
// writing, so that work done on several threads can be written out in a chosen order.
class OutputCapture {
 public:
  explicit OutputCapture(CapturedOutput& into);
  ~OutputCapture();
  OutputCapture(const OutputCapture&) = delete;
  OutputCapture& operator=(const OutputCapture&) = delete;

 private:
  CapturedOutput* previous_;
};

// Writes captured output to stdout and stderr in its order, stdout flushed before stderr text.
void WriteCaptured(const CapturedOutput& output);
