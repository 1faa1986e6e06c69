#include "cli/pages/PageInfo.h"

#include <array>

#include "cli/output/TextFormat.h"
#include "platform/system/CodePage.h"

namespace {

template <std::size_t N>
std::string Hex(const std::array<std::uint8_t, N>& bytes) {
  return HexBytes(bytes.data(), bytes.size());
}

// The header note in hex, a piece at a time.
bool WriteNoteHex(const CliPage& page, const TextSink& out) {
  return ForEachNoteChunk(page, [&](std::span<const std::uint8_t> bytes) {
    out(HexBytes(bytes.data(), bytes.size()));
  });
}

// The numeric fields of a line and the key of its label, as text ("charCount 3, ..., label ")
// or as JSON members ("\"charCount\":3,...,\"label\":").
std::string LineFields(const PageLine& line, std::string_view separator, bool quoteKeys) {
  const auto key = [&](std::string_view name) {
    return quoteKeys ? JsonQuoted(name) + ":" : std::string(name) + " ";
  };
  return key("charCount") + std::to_string(line.charCount) + std::string(separator) + key("top") +
         std::to_string(line.top) + std::string(separator) + key("left") +
         std::to_string(line.left) + std::string(separator) + key("height") +
         std::to_string(line.height) + std::string(separator) + key("width") +
         std::to_string(line.width) + std::string(separator) + key("label");
}

}  // namespace

void DecodeLabel(const PageLine& line, std::string_view codePage, const LabelPieces& piece,
                 std::size_t* invalidBytes) {
  const auto* bytes = reinterpret_cast<const char*>(line.label.data());
  const std::string_view stored(bytes, line.label.empty() ? 0 : line.label.size() - 1);
  DecodeMultiByteInPieces(stored, codePage, piece, invalidBytes);
}

std::string LabelText(const PageLine& line, std::string_view codePage) {
  std::string text;
  DecodeLabel(line, codePage, [&](std::wstring_view piece) {
    text += WideToUtf8(piece);
    return true;
  });
  return text;
}

bool WritePageInfoText(const CliPage& page, std::string_view codePage, const TextSink& out) {
  const PageHeader& h = page.header;
  const PageBody& body = *page.body;
  out("headerSize: " + std::to_string(h.headerSize) + "\n" + "headerTag8: " + Hex(h.headerTag8) +
      "\n" + "headerNote: ");
  if (!WriteNoteHex(page, out)) return false;
  out("\nheaderTag20: " + Hex(h.headerTag20) + "\n" + "codeLength: " +
      std::to_string(h.codeLength) + "\n" + "headerWord: " + std::to_string(h.headerWord) + "\n" +
      "pageWidth: " + std::to_string(body.pageWidth) + "\n" +
      "pageHeight: " + std::to_string(body.pageHeight) + "\n" +
      "lineCount: " + std::to_string(body.lineCount) + "\n");
  for (std::int32_t i = 0; i < body.UsedLines(); ++i) {
    const PageLine& line = body.lines[static_cast<std::size_t>(i)];
    out("line " + std::to_string(i + 1) + ": " + LineFields(line, ", ", false));
    WriteQuotedLabel(line, codePage, out);
    out("\n");
  }
  return true;
}

bool WritePageInfoJson(const CliPage& page, std::string_view codePage, std::string_view file,
                       const TextSink& out) {
  const PageHeader& h = page.header;
  const PageBody& body = *page.body;
  out((file.empty() ? "{" : "{\"file\":" + JsonQuoted(file) + ",") +
      "\"headerSize\":" + std::to_string(h.headerSize) +
      ",\"headerTag8\":" + JsonQuoted(Hex(h.headerTag8)) + ",\"headerNote\":\"");
  if (!WriteNoteHex(page, out)) return false;
  out("\",\"headerTag20\":" + JsonQuoted(Hex(h.headerTag20)) + ",\"codeLength\":" +
      std::to_string(h.codeLength) + ",\"headerWord\":" + std::to_string(h.headerWord) +
      ",\"pageWidth\":" + std::to_string(body.pageWidth) +
      ",\"pageHeight\":" + std::to_string(body.pageHeight) +
      ",\"lineCount\":" + std::to_string(body.lineCount) + ",\"lines\":[");
  for (std::int32_t i = 0; i < body.UsedLines(); ++i) {
    const PageLine& line = body.lines[static_cast<std::size_t>(i)];
    out((i > 0 ? ",{" : "{") + LineFields(line, ",", true));
    WriteQuotedLabel(line, codePage, out);
    out("}");
  }
  out("]}\n");
  return true;
}

void WriteQuotedLabel(const PageLine& line, std::string_view codePage, const TextSink& out) {
  out("\"");
  DecodeLabel(line, codePage, [&](std::wstring_view piece) {
    out(JsonEscaped(WideToUtf8(piece)));
    return true;
  });
  out("\"");
}
