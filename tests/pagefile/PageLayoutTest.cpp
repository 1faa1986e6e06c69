// Pages that load: the byte layout read field by field.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "pagefile/MemorySource.h"
#include "pagefile/PageLoad.h"
#include "pagewriter/PageWriter.h"
#include "support/PageLines.h"

namespace {

using namespace std::string_literals;

TEST(PageLayout, HandBuiltOneLinePageOf76Bytes) {
  const std::string bytes =
      "\x24\x00\x00\x00"s                                  // headerSize 36
      "\x01\x02\x03\x04\x05\x06\x07\x08"s                  // headerTag8
      "\xA0\xA1\xA2\xA3\xA4\xA5\xA6\xA7\xA8\xA9"s          // headerTag20 ...
      "\xAA\xAB\xAC\xAD\xAE\xAF\xB0\xB1\xB2\xB3"s          // ... at 12-31
      "\x01\x00"s                                          // codeLength 1 at 32
      "\x34\x12"s                                          // headerWord at 34
      "\x64\x00\x00\x00\x32\x00\x00\x00\x01\x00\x00\x00"s  // 100 x 50, one line
      "\x02\x00\x00\x00"s                                  // charCount 2 at 48
      "ab"                                                 // label at 52
      "\x0A\x00\x00\x00\x14\x00\x00\x00"s                  // top 10, left 20
      "\x02\x00\x00\x00\x03\x00\x00\x00"s                  // height 2, width 3
      "\x00\x40\x80\xC0\xFF\x11"s;                         // two rows of three
  ASSERT_EQ(bytes.size(), 76u);

  const LoadedPage page = LoadFromBytes(bytes);
  ASSERT_FALSE(page.fault) << DescribePageFault(page.fault);
  EXPECT_EQ(page.header.headerSize, 36);
  EXPECT_EQ(page.header.headerTag8[0], 0x01);
  EXPECT_EQ(page.header.headerTag8[7], 0x08);
  EXPECT_TRUE(page.header.headerNote.empty());
  EXPECT_EQ(page.header.headerTag20[0], 0xA0);
  EXPECT_EQ(page.header.headerTag20[19], 0xB3);
  EXPECT_EQ(page.header.codeLength, 1);
  EXPECT_EQ(page.header.headerWord, 0x1234);
  EXPECT_EQ(page.body->pageWidth, 100);
  EXPECT_EQ(page.body->pageHeight, 50);
  ASSERT_EQ(page.body->lineCount, 1);
  const PageLine& line = page.body->lines[0];
  EXPECT_EQ(line.charCount, 2);
  EXPECT_EQ(StoredLabel(line), "ab\0"s);
  EXPECT_EQ(line.top, 10);
  EXPECT_EQ(line.left, 20);
  EXPECT_EQ(line.height, 2);
  EXPECT_EQ(line.width, 3);
  EXPECT_EQ(StoredPixels(line), "\x00\x40\x80\xC0\xFF\x11"s);
}

struct LayoutCase {
  const char* name;
  PageDraft page;
  std::int32_t lineCount;       // as the body must hold it
  std::string firstLabel;       // stored label of line 0, terminator included
  std::size_t firstPixelCount;  // pixel bytes of line 0
  std::int32_t firstTop;
};

PageDraft OneLine(std::int16_t codeLength, LineDraft line) {
  PageDraft page;
  page.codeLength = codeLength;
  page.lines.push_back(std::move(line));
  return page;
}

std::vector<LayoutCase> LayoutCases() {
  std::vector<LayoutCase> cases;
  LineDraft wideLabel = DraftLine(1, 7, 1, 1, {}, "\xD6\xD0\xCE\xC4\xA1\xA3");
  wideLabel.charCount = 3;
  cases.push_back({"CodeLength2TakesSixBytesForThreeCodes", OneLine(2, wideLabel), 1,
                   "\xD6\xD0\xCE\xC4\xA1\xA3\0"s, 1, 7});

  LineDraft ignoredCount = DraftLine(1, 7, 2, 1);
  ignoredCount.charCount = 5;
  cases.push_back({"CodeLength0MakesEveryLabelEmpty", OneLine(0, ignoredCount), 1, "\0"s, 2, 7});

  cases.push_back(
      {"CharCount0HasOnlyTheTerminator", OneLine(1, DraftLine(1, 7, 2, 2)), 1, "\0"s, 4, 7});
  cases.push_back({"ZeroLabelBytesBecomeSpaces", OneLine(1, DraftLine(1, 7, 1, 1, {}, "a\0b\0"s)),
                   1, "a b \0"s, 1, 7});
  cases.push_back(
      {"Width0HasNoPixels", OneLine(1, DraftLine(1, 7, 0, 4, {}, "x")), 1, "x\0"s, 0, 7});
  cases.push_back(
      {"Height0HasNoPixels", OneLine(1, DraftLine(1, 7, 4, 0, {}, "x")), 1, "x\0"s, 0, 7});

  LineDraft bothNegative = DraftLine(1, 7, 1, 1, {}, "xy");
  bothNegative.charCount = -2;
  cases.push_back({"NegativeCodeLengthTimesNegativeCountIsPositive", OneLine(-1, bothNegative), 1,
                   "xy\0"s, 1, 7});

  PageDraft trailing = OneLine(1, DraftLine(-4, -3, 1, 1, {}, "q"));
  trailing.trailing = "garbage after the last record";
  cases.push_back({"TrailingBytesAreIgnored", trailing, 1, "q\0"s, 1, -3});

  PageDraft negativeCount;
  negativeCount.lineCount = -3;
  negativeCount.trailing = "xyz";
  cases.push_back({"NegativeLineCountIsKeptAndMeansNone", negativeCount, -3, "", 0, 0});

  cases.push_back({"NoLinesMayEndAfterThePageRecord", PageDraft{}, 0, "", 0, 0});

  PageDraft full;
  for (int i = 0; i < kMaxLines; ++i) full.lines.push_back(DraftLine(0, i, 1, 1, {}, "L"));
  cases.push_back({"HundredLinesLoad", full, kMaxLines, "L\0"s, 1, 0});
  return cases;
}

class PageLayout : public testing::TestWithParam<LayoutCase> {};

TEST_P(PageLayout, LoadsAsDescribed) {
  const LayoutCase& c = GetParam();
  const LoadedPage page = LoadFromBytes(WritePage(c.page));
  ASSERT_FALSE(page.fault) << DescribePageFault(page.fault);
  ASSERT_EQ(page.body->lineCount, c.lineCount);
  if (c.lineCount > 0) {
    const PageLine& first = page.body->lines[0];
    EXPECT_EQ(StoredLabel(first), c.firstLabel);
    EXPECT_EQ(first.pixels.size(), c.firstPixelCount);
    EXPECT_EQ(first.top, c.firstTop);
    EXPECT_EQ(first.charCount, c.page.lines[0].charCount);
  }
  for (std::size_t i = static_cast<std::size_t>(page.body->UsedLines()); i < kMaxLines; ++i) {
    EXPECT_EQ(page.body->lines[i].label.data(), nullptr) << "entry " << i;
  }
}

void PrintTo(const LayoutCase& c, std::ostream* out) { *out << c.name; }

INSTANTIATE_TEST_SUITE_P(Pages, PageLayout, testing::ValuesIn(LayoutCases()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(PageLayout, HeaderNoteAndTagsAreKept) {
  PageDraft draft;
  draft.headerTag8 = "TAG8tag8";
  draft.headerNote = "note\0with zero"s;
  draft.headerTag20 = "twenty-byte-tag-here";
  draft.codeLength = 2;
  draft.headerWord = -2;
  draft.pageWidth = 2480;
  draft.pageHeight = -1;
  const LoadedPage page = LoadFromBytes(WritePage(draft));
  ASSERT_FALSE(page.fault);
  EXPECT_EQ(page.header.headerSize, 36 + 14);
  const auto* note = reinterpret_cast<const char*>(page.header.headerNote.data());
  EXPECT_EQ(std::string(note, page.header.headerNote.size()), draft.headerNote);
  EXPECT_EQ(std::string(page.header.headerTag8.begin(), page.header.headerTag8.end()), "TAG8tag8");
  EXPECT_EQ(std::string(page.header.headerTag20.begin(), page.header.headerTag20.end()),
            draft.headerTag20);
  EXPECT_EQ(page.header.codeLength, 2);
  EXPECT_EQ(page.header.headerWord, -2);
  EXPECT_EQ(page.body->pageWidth, 2480);
  EXPECT_EQ(page.body->pageHeight, -1);
}

TEST(PageLayout, ReadingIntoAUsedBodyReleasesItsOldLines) {
  PageDraft three;
  for (int i = 0; i < 3; ++i) three.lines.push_back(DraftLine(0, i, 2, 2, {}, "old"));
  PageDraft one;
  one.lines.push_back(DraftLine(0, 9, 1, 1, {}, "new"));

  LoadedPage page = LoadFromBytes(WritePage(three));
  ASSERT_EQ(page.body->lineCount, 3);
  const std::string bytes = WritePage(one);
  MemorySource source(std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
  ASSERT_FALSE(ReadPageHeader(source, page.header));
  ASSERT_FALSE(ReadPageBody(source, page.header.codeLength, *page.body));
  EXPECT_EQ(page.body->lineCount, 1);
  EXPECT_EQ(StoredLabel(page.body->lines[0]), "new\0"s);
  EXPECT_EQ(page.body->lines[1].label.data(), nullptr);
  EXPECT_EQ(page.body->lines[2].pixels.size(), 0u);
}

TEST(PageLayout, RawLabelHookSeesStoredLabelsAndChangesNothing) {
  PageDraft draft;
  draft.codeLength = 2;
  draft.lines.push_back({2, "a\0\0b"s, 0, 0, 1, 1, "x"});
  draft.lines.push_back({0, "", 1, 0, 0, 0, ""});
  draft.lines.push_back({1, "\0\0"s, 2, 0, 0, 0, ""});
  const std::string bytes = WritePage(draft);

  std::vector<std::pair<std::int32_t, std::string>> seen;
  MemorySource source(std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
  LoadedPage hooked;
  ASSERT_FALSE(ReadPageHeader(source, hooked.header));
  ASSERT_FALSE(ReadPageBody(source, hooked.header.codeLength, *hooked.body,
                            [&](std::int32_t line, std::span<const std::uint8_t> stored) {
                              seen.emplace_back(line, std::string(stored.begin(), stored.end()));
                            }));
  const std::vector<std::pair<std::int32_t, std::string>> expected = {
      {0, "a\0\0b"s}, {1, ""}, {2, "\0\0"s}};
  EXPECT_EQ(seen, expected);

  const LoadedPage plain = LoadFromBytes(bytes);
  for (std::size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(StoredLabel(hooked.body->lines[i]), StoredLabel(plain.body->lines[i])) << i;
  }
  EXPECT_EQ(StoredLabel(hooked.body->lines[0]), "a  b\0"s);
}

}  // namespace
