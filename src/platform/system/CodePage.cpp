#include "platform/system/CodePage.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <memory>

namespace {

constexpr wchar_t kReplacement = 0xFFFD;
constexpr std::size_t kChunkChars = 256;

std::string ConverterName(std::string_view codePage) {
  const bool numeric =
      std::all_of(codePage.begin(), codePage.end(), [](char c) { return c >= '0' && c <= '9'; });
  return numeric ? "CP" + std::string(codePage) : std::string(codePage);
}

struct ConverterCloser {
  void operator()(void* converter) const { iconv_close(static_cast<iconv_t>(converter)); }
};
using Converter = std::unique_ptr<void, ConverterCloser>;

Converter OpenConverter(std::string_view codePage) {
  // An empty name would silently mean the process locale's code set, and a suffix such as
  // "//IGNORE" or "//TRANSLIT" would change what becomes of invalid bytes.
  if (codePage.empty() || codePage.find('/') != std::string_view::npos) return nullptr;
  iconv_t converter = iconv_open("WCHAR_T", ConverterName(codePage).c_str());
  if (converter == reinterpret_cast<iconv_t>(-1)) return nullptr;
  return Converter(converter);
}

}  // namespace

void AppendUtf8(char32_t code, std::string& out) {
  if (code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) code = kReplacement;
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (code >> 18));
    out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

bool DecodeMultiByteInPieces(std::string_view bytes, std::string_view codePage,
                             const std::function<bool(std::wstring_view piece)>& piece,
                             std::size_t* invalidBytes) {
  Converter converter = OpenConverter(codePage);
  if (!converter) return false;
  auto* handle = static_cast<iconv_t>(converter.get());

  bytes = bytes.substr(0, bytes.find('\0'));
  // iconv takes a non-const input pointer but never writes through it.
  char* in = const_cast<char*>(bytes.data());
  std::size_t inLeft = bytes.size();
  std::size_t invalid = 0;
  // One place more than iconv is offered, for the replacement of an invalid sequence.
  wchar_t chunk[kChunkChars + 1];
  for (bool flushed = false, going = true; !flushed && going;) {
    auto* out = reinterpret_cast<char*>(chunk);
    std::size_t outLeft = kChunkChars * sizeof(wchar_t);
    // With no input left, one more call writes out whatever a stateful converter holds back.
    flushed = inLeft == 0;
    const std::size_t result = flushed ? iconv(handle, nullptr, nullptr, &out, &outLeft)
                                       : iconv(handle, &in, &inLeft, &out, &outLeft);
    std::size_t produced = kChunkChars - outLeft / sizeof(wchar_t);
    if (result == static_cast<std::size_t>(-1) && !flushed && errno != E2BIG) {
      // An invalid or cut-off sequence: mark it and go on after its first byte.
      chunk[produced++] = kReplacement;
      ++invalid;
      ++in;
      --inLeft;
      iconv(handle, nullptr, nullptr, nullptr, nullptr);
    }
    if (produced > 0) going = piece(std::wstring_view(chunk, produced));
  }
  if (invalidBytes) *invalidBytes = invalid;
  return true;
}

std::optional<std::wstring> DecodeMultiByte(std::string_view bytes, std::string_view codePage,
                                            std::size_t* invalidBytes) {
  std::wstring text;
  const bool known = DecodeMultiByteInPieces(
      bytes, codePage,
      [&text](std::wstring_view piece) {
        text += piece;
        return true;
      },
      invalidBytes);
  if (!known) return std::nullopt;
  return text;
}

std::string WideToUtf8(std::wstring_view text) {
  std::string out;
  out.reserve(text.size());
  for (wchar_t c : text) AppendUtf8(static_cast<char32_t>(c), out);
  return out;
}
