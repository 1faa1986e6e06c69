#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// Lowercase hex digits of `size` bytes, two per byte, no separators.
std::string HexBytes(const std::uint8_t* bytes, std::size_t size);

// `text` (UTF-8) as a JSON string literal, quotes included; control characters escaped.
std::string JsonQuoted(std::string_view text);

// Writes `text` to stdout as it stands (it may hold 0 bytes).
void PrintOut(std::string_view text);
