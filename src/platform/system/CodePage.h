#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

// Conversion of labels from a multibyte code page to wide text, and of wide text to UTF-8.

// The code page labels are written in when nothing else is said.
inline constexpr std::string_view kDefaultCodePage = "936";

// Decodes `bytes` up to the first 0 byte. A code page given as a number N means the converter
// "CP<N>"; any other name is handed to the converter as it stands. Each byte that does not
// start a valid character (including a character cut off at the end) becomes U+FFFD.
// Returns nothing when the code page is unknown or its name holds a '/' (a suffix such as
// "//IGNORE"). `invalidBytes`, when given, receives the number
// of bytes that became U+FFFD.
std::optional<std::wstring> DecodeMultiByte(std::string_view bytes,
                                            std::string_view codePage = kDefaultCodePage,
                                            std::size_t* invalidBytes = nullptr);

// Decodes `bytes` as DecodeMultiByte does, but hands the text to `piece` a few hundred
// characters at a time, in order, instead of holding it whole; `piece` returns false to stop
// the decoding (then `invalidBytes` counts the bytes decoded so far). False when the code page
// is unknown.
bool DecodeMultiByteInPieces(std::string_view bytes, std::string_view codePage,
                             const std::function<bool(std::wstring_view piece)>& piece,
                             std::size_t* invalidBytes = nullptr);

// Appends the UTF-8 form of `code` to `out`; a value that is no Unicode scalar value becomes
// U+FFFD.
void AppendUtf8(char32_t code, std::string& out);
// UTF-8 form of `text`; values that are not Unicode scalar values become U+FFFD.
std::string WideToUtf8(std::wstring_view text);
