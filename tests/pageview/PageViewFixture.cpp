#include "pageview/PageViewFixture.h"

#include <cstring>
#include <fstream>

#include "platform/system/CFile.h"

std::string PageViewTest::WriteBytes(const std::string& name, const std::string& bytes) {
  const std::string path = dir.File(name);
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  EXPECT_TRUE(out.good()) << path;
  return path;
}

bool PageViewTest::IsHeld(const std::string& path) {
  CFile probe;
  return !probe.Open(path, CFile::modeReadWrite);
}

namespace {

std::string Bytes(const ByteBuffer& buffer) {
  return std::string(reinterpret_cast<const char*>(buffer.data()), buffer.size());
}

template <std::size_t N>
std::string Bytes(const std::array<std::uint8_t, N>& bytes) {
  return std::string(reinterpret_cast<const char*>(bytes.data()), N);
}

}  // namespace

void ExpectShowsPage(const CPLIMDispView& view, const PageDraft& page, bool withNote) {
  const PageHeader& header = view.header();
  EXPECT_EQ(header.headerSize,
            page.headerSize.value_or(static_cast<std::int32_t>(36 + page.headerNote.size())));
  EXPECT_EQ(Bytes(header.headerTag8), page.headerTag8);
  EXPECT_EQ(Bytes(header.headerNote), withNote ? page.headerNote : std::string());
  EXPECT_EQ(Bytes(header.headerTag20), page.headerTag20);
  EXPECT_EQ(header.codeLength, page.codeLength);
  EXPECT_EQ(header.headerWord, page.headerWord);
  EXPECT_EQ(view.pageWidth(), page.pageWidth);
  EXPECT_EQ(view.pageHeight(), page.pageHeight);
  ASSERT_EQ(view.lineCount(), static_cast<std::int32_t>(page.lines.size()));
  for (std::size_t i = 0; i < kMaxLines; ++i) {
    const PageLine& line = view.lines()[i];
    if (i >= page.lines.size()) {
      EXPECT_TRUE(line.label.empty() && line.pixels.empty()) << "unused line " << i;
      continue;
    }
    const LineDraft& expected = page.lines[i];
    std::string label = expected.label;
    for (char& c : label) c = c == '\0' ? ' ' : c;
    label += '\0';
    EXPECT_EQ(line.charCount, expected.charCount) << i;
    EXPECT_EQ(Bytes(line.label), label) << i;
    EXPECT_EQ(line.top, expected.top) << i;
    EXPECT_EQ(line.left, expected.left) << i;
    EXPECT_EQ(line.height, expected.height) << i;
    EXPECT_EQ(line.width, expected.width) << i;
    EXPECT_EQ(Bytes(line.pixels), expected.pixels) << i;
  }
}
