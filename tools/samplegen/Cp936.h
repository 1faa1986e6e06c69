#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// A label in code page 936 where every character takes exactly two bytes, so the page can
// declare codeLength 2 and charCount = number of characters.
struct Cp936Label {
  std::string bytes;  // 2 * charCount bytes
  std::int32_t charCount = 0;
};

// Converts UTF-8 text to code page 936. Fails with a message in `error` when the text is not
// valid UTF-8, holds a character code page 936 cannot express, or holds a character that
// becomes a single byte (ASCII; use the full-width forms instead).
std::optional<Cp936Label> EncodeCp936Label(std::string_view utf8, std::string& error);
