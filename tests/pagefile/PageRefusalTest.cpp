// Pages that are refused: every length read from the file is checked before it is used.
#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

#include "pagefile/MemorySource.h"
#include "pagefile/PageLoad.h"
#include "pagewriter/PageWriter.h"
#include "support/PageLines.h"

namespace {

using namespace std::string_literals;

constexpr std::int32_t kInt32Max = std::numeric_limits<std::int32_t>::max();

struct RefusalCase {
  const char* name;
  std::string bytes;
  PageError error;
  std::string message;
  std::int32_t completeLines = 0;  // lines the body must still own after the refusal
};

std::string Cut(const std::string& bytes, std::size_t dropped) {
  return bytes.substr(0, bytes.size() - dropped);
}

std::string WithHeaderSize(std::int32_t headerSize) {
  PageDraft page;
  page.headerSize = headerSize;
  return WritePage(page);
}

// A page whose second of three lines is `bad`; the first loads, the third is never reached.
std::string SecondLineIs(LineDraft bad, std::int16_t codeLength = 1) {
  PageDraft page;
  page.codeLength = codeLength;
  page.lines = {DraftLine(0, 0, 2, 2), std::move(bad), DraftLine(0, 0, 1, 1)};
  return WritePage(page);
}

// A line record that claims a label of `charCount` codes and a `height` x `width` image but
// carries no label or pixel bytes.
LineDraft Claiming(std::int32_t charCount, std::int32_t height, std::int32_t width) {
  LineDraft line;
  line.charCount = charCount;
  line.height = height;
  line.width = width;
  return line;
}

std::string OneLineCut(LineDraft line, std::size_t dropped) {
  PageDraft page;
  page.lines.push_back(std::move(line));
  return Cut(WritePage(page), dropped);
}

std::vector<RefusalCase> RefusalCases() {
  PageDraft tooMany;
  tooMany.lineCount = kMaxLines + 1;
  PageDraft farTooMany;
  farTooMany.lineCount = kInt32Max;

  return {
      {"EmptyFile", "", PageError::kEndsInHeader, "The file ends inside the header."},
      {"HeaderSize35", WithHeaderSize(35), PageError::kHeaderTooSmall,
       "The header size 35 is below the minimum of 36 bytes."},
      {"NegativeHeaderSize", WithHeaderSize(-1), PageError::kHeaderTooSmall,
       "The header size -1 is below the minimum of 36 bytes."},
      {"HeaderSizeInt32Max", WithHeaderSize(kInt32Max), PageError::kEndsInHeader,
       "The file ends inside the header."},
      {"HeaderOneByteShort", Cut(WithHeaderSize(36), 13), PageError::kEndsInHeader,
       "The file ends inside the header."},
      {"NoteOneByteLongerThanFile", WithHeaderSize(36 + 13), PageError::kEndsInHeader,
       "The file ends inside the header."},
      {"PageRecordOneByteShort", Cut(WritePage({}), 1), PageError::kEndsInPageRecord,
       "The file ends inside the page record."},
      {"Lines101", WritePage(tooMany), PageError::kTooManyLines,
       "It has 101 lines; at most 100 are supported."},
      {"LinesInt32Max", WritePage(farTooMany), PageError::kTooManyLines,
       "It has 2147483647 lines; at most 100 are supported."},
      {"NegativeLabel", SecondLineIs(Claiming(-3, 0, 0), 2), PageError::kNegativeLabelLength,
       "Line 2 of 3 has a label of -6 bytes.", 1},
      {"LabelProductOverflows", SecondLineIs(Claiming(kInt32Max, 0, 0), 0x7FFF),
       PageError::kLabelLengthOverflow,
       "Line 2 of 3 has a label of 70366596661249 bytes, more than can be held.", 1},
      {"LabelJustPastInt32", SecondLineIs(Claiming(0x40000000, 0, 0), 2),
       PageError::kLabelLengthOverflow,
       "Line 2 of 3 has a label of 2147483648 bytes, more than can be held.", 1},
      {"LabelInt32MaxPastEnd", SecondLineIs(Claiming(kInt32Max, 0, 0)), PageError::kEndsInLine,
       "The file ends inside line 2 of 3.", 1},
      {"LabelOneBytePastEnd", OneLineCut(DraftLine(0, 0, 0, 0, {}, "abc"), 17),
       PageError::kEndsInLine, "The file ends inside line 1 of 1."},
      {"CharCountOneByteShort", OneLineCut(DraftLine(0, 0, 0, 0), 17), PageError::kEndsInLine,
       "The file ends inside line 1 of 1."},
      {"WidthOneByteShort", OneLineCut(DraftLine(0, 0, 0, 0, {}, "ab"), 1), PageError::kEndsInLine,
       "The file ends inside line 1 of 1."},
      {"NegativeWidth", SecondLineIs(DraftLine(0, 0, -5, 0, {}, "x")),
       PageError::kNegativeImageSize, "Line 2 of 3 has an image side of -5 pixels.", 1},
      {"NegativeHeight", SecondLineIs(DraftLine(0, 0, 0, -7, {}, "x")),
       PageError::kNegativeImageSize, "Line 2 of 3 has an image side of -7 pixels.", 1},
      {"BothNegativeIsNotAPositiveArea", SecondLineIs(DraftLine(0, 0, -3, -2, {}, "x")),
       PageError::kNegativeImageSize, "Line 2 of 3 has an image side of -3 pixels.", 1},
      {"ImageJustPastInt32", SecondLineIs(Claiming(0, 32768, 65536)), PageError::kImageSizeOverflow,
       "Line 2 of 3 has an image of 2147483648 pixels, more than can be held.", 1},
      {"ImageInt32MaxPastEnd", SecondLineIs(Claiming(0, 1, kInt32Max)), PageError::kEndsInLine,
       "The file ends inside line 2 of 3.", 1},
      {"PixelsOneByteShort", OneLineCut(DraftLine(0, 0, 3, 2, {}, "ab"), 1), PageError::kEndsInLine,
       "The file ends inside line 1 of 1."},
  };
}

class PageRefusal : public testing::TestWithParam<RefusalCase> {};

// Table and layout reads refuse exactly as a whole read does.
TEST_P(PageRefusal, IsRefusedWithItsReasonAndKeepsOnlyCompleteLines) {
  const RefusalCase& c = GetParam();
  for (const ReadDepth depth : {ReadDepth::kWhole, ReadDepth::kTable, ReadDepth::kLayout}) {
    SCOPED_TRACE("depth " + std::to_string(static_cast<int>(depth)));
    const LoadedPage page = LoadFromBytes(c.bytes, depth);
    ASSERT_EQ(page.fault.error, c.error);
    EXPECT_EQ(DescribePageFault(page.fault), c.message);
    EXPECT_EQ(page.body->lineCount, c.completeLines);
    for (std::size_t i = 0; i < kMaxLines; ++i) {
      const bool owned = static_cast<std::int32_t>(i) < c.completeLines;
      const bool labelRead = owned && depth != ReadDepth::kLayout;
      EXPECT_EQ(page.body->lines[i].label.data() != nullptr, labelRead) << "entry " << i;
      if (depth != ReadDepth::kWhole) {
        EXPECT_TRUE(page.body->lines[i].pixels.empty());
      }
    }
  }
}

void PrintTo(const RefusalCase& c, std::ostream* out) { *out << c.name; }

INSTANTIATE_TEST_SUITE_P(Pages, PageRefusal, testing::ValuesIn(RefusalCases()),
                         [](const auto& info) { return std::string(info.param.name); });

// Every cut of a valid page is refused as ending in the record the cut falls in; only the
// whole page loads.
TEST(PageRefusal, EveryPrefixIsRefusedAtItsRecord) {
  PageDraft draft;
  draft.headerNote = "note";
  draft.codeLength = 2;
  draft.lines = {DraftLine(2, 1, 3, 2, {}, "abcd"), DraftLine(4, 3, 5, 0),
                 DraftLine(6, 5, 1, 1, {}, "ef")};
  draft.lines[0].charCount = 2;
  draft.lines[2].charCount = 1;
  const std::string bytes = WritePage(draft);
  const std::size_t headerEnd = 40, pageRecordEnd = 52, firstLineEnd = 52 + 20 + 4 + 6,
                    secondLineEnd = firstLineEnd + 20;
  ASSERT_EQ(bytes.size(), secondLineEnd + 20 + 2 + 1);

  for (std::size_t cut = 0; cut <= 2 * bytes.size() + 1; ++cut) {
    // Every prefix twice: read whole, then as a table only.
    const std::size_t length = cut % (bytes.size() + 1);
    const ReadDepth depth = cut <= bytes.size() ? ReadDepth::kWhole : ReadDepth::kTable;
    SCOPED_TRACE("prefix of " + std::to_string(length) + " bytes, table " +
                 std::to_string(depth == ReadDepth::kTable));
    const LoadedPage page = LoadFromBytes(bytes.substr(0, length), depth);
    if (length == bytes.size()) {
      EXPECT_FALSE(page.fault);
      EXPECT_EQ(page.body->lineCount, 3);
    } else if (length < headerEnd) {
      EXPECT_EQ(page.fault.error, PageError::kEndsInHeader);
    } else if (length < pageRecordEnd) {
      EXPECT_EQ(page.fault.error, PageError::kEndsInPageRecord);
    } else {
      const std::int32_t expectedLine = length < firstLineEnd ? 0 : length < secondLineEnd ? 1 : 2;
      EXPECT_EQ(page.fault.error, PageError::kEndsInLine);
      EXPECT_EQ(page.fault.line, expectedLine);
      EXPECT_EQ(page.body->lineCount, expectedLine);
    }
  }
}

// A page whose device fails after `goodBytes`, as a file on a failing disk does.
class FailingSource : public ByteSource {
 public:
  FailingSource(const std::string& bytes, std::uint64_t goodBytes)
      : inner_(std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size())),
        good_(goodBytes) {}
  std::uint64_t Remaining() const override { return inner_.Remaining(); }
  bool ReadExactly(void* destination, std::size_t count) override {
    if (count > good_) return false;
    good_ -= count;
    return inner_.ReadExactly(destination, count);
  }

 private:
  MemorySource inner_;
  std::uint64_t good_;
};

TEST(PageRefusal, ReadErrorsAreReportedAsSuch) {
  PageDraft draft;
  draft.headerNote = "note";
  draft.lines = {DraftLine(0, 0, 2, 2, {}, "ab"), DraftLine(0, 0, 2, 2, {}, "cd")};
  const std::string bytes = WritePage(draft);
  // Failures inside the header, the note, the page record, a label, a pixel block and the
  // second line, after the first line is complete.
  const struct {
    std::uint64_t goodBytes;
    std::int32_t completeLines;
  } cases[] = {{0, 0}, {4, 0}, {14, 0}, {44, 0}, {56, 0}, {76, 0}, {90, 1}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.goodBytes);
    FailingSource source(bytes, c.goodBytes);
    PageHeader header;
    PageBody body;
    PageFault fault = ReadPageHeader(source, header);
    if (!fault) fault = ReadPageBody(source, header.codeLength, body);
    EXPECT_EQ(fault.error, PageError::kReadFailed);
    EXPECT_EQ(body.lineCount, c.completeLines);
  }
}

TEST(PageRefusal, DescribesFaultsThatNoSmallPageProduces) {
  const struct {
    PageFault fault;
    const char* message;
  } cases[] = {
      {{PageError::kOutOfMemory, -1, 0, 0}, "There is not enough memory for the header."},
      {{PageError::kOutOfMemory, 6, 9, 0}, "There is not enough memory for line 7 of 9."},
      {{PageError::kReadFailed, 0, 1, 0}, "The file could not be read."},
  };
  for (const auto& c : cases) EXPECT_EQ(DescribePageFault(c.fault), c.message);
}

}  // namespace
