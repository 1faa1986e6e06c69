#include "cli/output/TextFormat.h"

#include <array>
#include <cstdio>
#include <cstring>

#include "cli/output/StandardStreams.h"

namespace {

constexpr char kHexDigits[] = "0123456789abcdef";
constexpr char kUpperHexDigits[] = "0123456789ABCDEF";

void AppendByteEscape(std::string& out, unsigned char byte, std::string_view backslash) {
  out += backslash;
  out += 'x';
  out += kUpperHexDigits[byte >> 4];
  out += kUpperHexDigits[byte & 0x0F];
}

// Walks `text` one character (its UTF-8 bytes) or one stray byte at a time.
template <typename OnChar, typename OnStray>
void ForEachChar(std::string_view text, OnChar onChar, OnStray onStray) {
  while (!text.empty()) {
    const std::size_t length = Utf8CharLength(text);
    if (length == 0) {
      onStray(static_cast<unsigned char>(text[0]));
      text.remove_prefix(1);
      continue;
    }
    onChar(text.substr(0, length));
    text.remove_prefix(length);
  }
}

void AppendUnicodeEscape(std::string& out, char32_t code) {
  out += "\\u";
  for (const int shift : {12, 8, 4, 0}) out += kHexDigits[(code >> shift) & 0x0F];
}

thread_local CapturedOutput* capture = nullptr;

// Writes `text` to stderr or stdout; a lost stdout write is noted for the exit.
void Write(bool toErr, std::string_view text) {
  if (std::fwrite(text.data(), 1, text.size(), toErr ? stderr : stdout) != text.size() && !toErr) {
    NoteStandardOutputError();
  }
}

void Print(bool toErr, std::string_view text) {
  if (capture == nullptr) {
    Write(toErr, text);
  } else if (!capture->empty() && capture->back().first == toErr) {
    capture->back().second += text;
  } else {
    capture->emplace_back(toErr, std::string(text));
  }
}

}  // namespace

std::size_t Utf8CharLength(std::string_view text) {
  if (text.empty()) return 0;
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(0);
  if (lead < 0x80) return 1;
  std::size_t length = 0;
  unsigned char low = 0x80, high = 0xBF;  // range of the second byte
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  if (text.size() < length || byte(1) < low || byte(1) > high) return 0;
  for (std::size_t i = 2; i < length; ++i) {
    if (byte(i) < 0x80 || byte(i) > 0xBF) return 0;
  }
  return length;
}

char32_t Utf8CodePoint(std::string_view character) {
  const auto lead = static_cast<unsigned char>(character[0]);
  if (character.size() == 1) return lead;
  char32_t code = lead & (0x7F >> character.size());
  for (const char byte : character.substr(1)) {
    code = (code << 6) | (static_cast<unsigned char>(byte) & 0x3F);
  }
  return code;
}

bool IsHiddenCharacter(char32_t code) {
  return code < 0x20 || (code >= 0x7F && code < 0xA0) || code == 0x061C ||
         (code >= 0x200B && code <= 0x200F) || (code >= 0x2028 && code <= 0x202E) ||
         (code >= 0x2066 && code <= 0x2069);
}

std::string HexBytes(const std::uint8_t* bytes, std::size_t size) {
  // The two digits of every byte value side by side, so each byte is one two-byte copy.
  static constexpr auto kPairs = [] {
    std::array<char, 512> pairs{};
    for (int value = 0; value < 256; ++value) {
      pairs[2 * value] = kHexDigits[value >> 4];
      pairs[2 * value + 1] = kHexDigits[value & 0x0F];
    }
    return pairs;
  }();
  std::string hex(size * 2, '\0');
  char* out = hex.data();
  for (std::size_t i = 0; i < size; ++i) std::memcpy(out + 2 * i, &kPairs[2 * bytes[i]], 2);
  return hex;
}

std::string JsonEscaped(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  ForEachChar(
      text,
      [&](std::string_view character) {
        const char32_t code = Utf8CodePoint(character);
        if (!IsHiddenCharacter(code)) {
          if (code == '"' || code == '\\') out += '\\';
          out += character;
        } else if (code == '\n') {
          out += "\\n";
        } else if (code == '\r') {
          out += "\\r";
        } else if (code == '\t') {
          out += "\\t";
        } else {
          AppendUnicodeEscape(out, code);
        }
      },
      [&](unsigned char stray) { AppendByteEscape(out, stray, "\\\\"); });
  return out;
}

std::string JsonQuoted(std::string_view text) { return '"' + JsonEscaped(text) + '"'; }

std::string DisplayText(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  ForEachChar(
      text,
      [&](std::string_view character) {
        if (!IsHiddenCharacter(Utf8CodePoint(character))) {
          out += character;
          return;
        }
        for (const char byte : character)
          AppendByteEscape(out, static_cast<unsigned char>(byte), "\\");
      },
      [&](unsigned char stray) { AppendByteEscape(out, stray, "\\"); });
  return out;
}

void PrintOut(std::string_view text) { Print(false, text); }

void PrintErr(std::string_view text) { Print(true, text); }

OutputCapture::OutputCapture(CapturedOutput& into) : previous_(capture) { capture = &into; }

OutputCapture::~OutputCapture() { capture = previous_; }

void WriteCaptured(const CapturedOutput& output) {
  for (const auto& [toErr, text] : output) {
    if (toErr && std::fflush(stdout) != 0) NoteStandardOutputError();
    Write(toErr, text);
  }
}
