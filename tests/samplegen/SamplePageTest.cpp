#include "samplegen/SamplePage.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <algorithm>
#include <span>

#include "pagefile/MemorySource.h"
#include "pagefile/PageReader.h"

namespace {

class SamplePageTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    static int argc = 1;
    static char name[] = "samplegen_tests";
    static char* argv[] = {name, nullptr};
    // Lives for the whole test program: destroying it after Qt's own globals at exit crashes.
    if (QGuiApplication::instance() == nullptr) new QGuiApplication(argc, argv);
  }

  static PageDraft Build(std::uint32_t seed, std::optional<std::int32_t> lines = std::nullopt) {
    std::string error;
    std::optional<PageDraft> page = BuildSamplePage({seed, lines}, error);
    EXPECT_TRUE(page) << error;
    return page ? std::move(*page) : PageDraft{};
  }
};

TEST_F(SamplePageTest, SameSeedGivesSameBytesAndOtherSeedsDiffer) {
  const std::string first = WritePage(Build(5));
  EXPECT_EQ(WritePage(Build(5)), first);
  EXPECT_NE(WritePage(Build(6)), first);
}

// The page must be one the viewer reads without complaint, with lines laid out top to bottom
// inside the page, whatever the line count.
TEST_F(SamplePageTest, PagesAreWellFormedForAnyLineCount) {
  struct Case {
    std::uint32_t seed;
    std::optional<std::int32_t> lines;
  };
  for (const Case c : {Case{1, std::nullopt}, Case{2, std::nullopt}, Case{3, std::nullopt},
                       Case{4, kMinSampleLines}, Case{9, kMaxSampleLines}}) {
    SCOPED_TRACE(testing::Message() << "seed " << c.seed);
    const PageDraft page = Build(c.seed, c.lines);
    const auto count = static_cast<std::int32_t>(page.lines.size());
    if (c.lines) {
      EXPECT_EQ(count, *c.lines);
    } else {
      EXPECT_GE(count, 10);
      EXPECT_LE(count, 20);
    }
    EXPECT_GE(page.pageWidth, 1200);
    EXPECT_GE(page.pageHeight, 1600);

    std::int32_t previousBottom = 0;
    for (const LineDraft& line : page.lines) {
      EXPECT_EQ(static_cast<std::int64_t>(line.label.size()),
                std::int64_t{line.charCount} * page.codeLength);
      ASSERT_EQ(static_cast<std::int64_t>(line.pixels.size()),
                std::int64_t{line.height} * line.width);
      EXPECT_GT(line.top, previousBottom);
      EXPECT_GT(line.left, 0);
      EXPECT_LE(line.left + line.width, page.pageWidth);
      EXPECT_LE(line.top + line.height, page.pageHeight);
      previousBottom = line.top + line.height;
      const auto [darkest, lightest] =
          std::minmax_element(line.pixels.begin(), line.pixels.end(), [](char a, char b) {
            return static_cast<unsigned char>(a) < static_cast<unsigned char>(b);
          });
      EXPECT_LT(static_cast<unsigned char>(*darkest), 100) << "no ink";
      EXPECT_GT(static_cast<unsigned char>(*lightest), 240) << "no paper";
    }

    const std::string bytes = WritePage(page);
    MemorySource source(
        std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
    PageHeader header;
    ASSERT_FALSE(ReadPageHeader(source, header));
    EXPECT_EQ(header.codeLength, 2);
    PageBody body;
    const PageFault fault = ReadPageBody(source, header.codeLength, body);
    ASSERT_FALSE(fault) << DescribePageFault(fault);
    EXPECT_EQ(body.lineCount, count);
    EXPECT_EQ(source.Remaining(), 0u);
  }
}

TEST_F(SamplePageTest, RefusesLineCountsOutsideTheLineTable) {
  for (const std::int32_t lines : {0, -1, kMaxSampleLines + 1}) {
    std::string error;
    EXPECT_FALSE(BuildSamplePage({1, lines}, error)) << lines;
    EXPECT_FALSE(error.empty());
  }
}

}  // namespace
