#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// Length of the valid UTF-8 character at the start of `text` (shortest form, no surrogates, at
// most U+10FFFF), or 0 when `text` is empty or its first byte starts none.
std::size_t Utf8CharLength(std::string_view text);
// The code point of `character`, one valid UTF-8 character (see Utf8CharLength).
char32_t Utf8CodePoint(std::string_view character);

// Whether `code` is a character a terminal acts on or shows as nothing, so text holding it can
// look other than it is: the controls (C0, DEL, C1), the zero-width and direction marks
// (U+061C, U+200B-U+200F), the line and paragraph separators (U+2028, U+2029) and the
// direction embeddings, overrides and isolates (U+202A-U+202E, U+2066-U+2069).
bool IsHiddenCharacter(char32_t code);

// Lowercase hex digits of `size` bytes, two per byte, no separators.
std::string HexBytes(const std::uint8_t* bytes, std::size_t size);

// `text` as a JSON string literal, quotes included, always valid UTF-8: hidden characters
// (IsHiddenCharacter) are escaped as \uXXXX (\n, \r and \t as such), and every byte that is no part
// of a valid UTF-8 character (a file name is any bytes) is written as the four characters \xHH, so
// the string holds a backslash, 'x' and two uppercase hex digits in its place.
std::string JsonQuoted(std::string_view text);
// JsonQuoted without the quotes. Valid UTF-8 escapes piece by piece as it does whole, when the
// pieces are cut between characters.
std::string JsonEscaped(std::string_view text);

// `text` (a file name, a label, an argument) made safe for a terminal: hidden characters
// (IsHiddenCharacter) and bytes that are no part of a valid UTF-8 character become \xHH, one
// per byte of their UTF-8 form; the rest stays as it is. Its own result comes back unchanged.
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
