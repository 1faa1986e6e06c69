#include "pagewriter/PageWriter.h"

#include <fstream>
#include <type_traits>

namespace {

template <typename Int>
void PutLittleEndian(std::string& out, Int value) {
  using Unsigned = std::make_unsigned_t<Int>;
  auto bits = static_cast<Unsigned>(value);
  for (std::size_t i = 0; i < sizeof(Int); ++i) {
    out += static_cast<char>(bits & 0xFF);
    bits = static_cast<Unsigned>(bits >> 8);
  }
}

}  // namespace

std::string WritePage(const PageDraft& page) {
  std::string out;
  const auto defaultHeaderSize = static_cast<std::int32_t>(36 + page.headerNote.size());
  PutLittleEndian(out, page.headerSize.value_or(defaultHeaderSize));
  out += page.headerTag8;
  out += page.headerNote;
  out += page.headerTag20;
  PutLittleEndian(out, page.codeLength);
  PutLittleEndian(out, page.headerWord);

  PutLittleEndian(out, page.pageWidth);
  PutLittleEndian(out, page.pageHeight);
  PutLittleEndian(out, page.lineCount.value_or(static_cast<std::int32_t>(page.lines.size())));
  for (const LineDraft& line : page.lines) {
    PutLittleEndian(out, line.charCount);
    out += line.label;
    PutLittleEndian(out, line.top);
    PutLittleEndian(out, line.left);
    PutLittleEndian(out, line.height);
    PutLittleEndian(out, line.width);
    out += line.pixels;
  }
  out += page.trailing;
  return out;
}

bool WritePageFile(const std::string& path, const PageDraft& page) {
  const std::string bytes = WritePage(page);
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  file.close();
  return static_cast<bool>(file);
}
