#include <gtest/gtest.h>

#include <functional>
#include <span>

#include "pagefile/MemorySource.h"
#include "pageview/PageViewFixture.h"
#include "platform/system/CStringQt.h"
#include "support/PageLines.h"

namespace {

// What the reader says about `bytes`, read as the view reads them.
PageFault ReadFault(const std::string& bytes) {
  MemorySource source(std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
  PageHeader header;
  if (PageFault fault = ReadPageHeader(source, header)) return fault;
  PageBody body;
  return ReadPageBody(source, header.codeLength, body);
}

PageDraft WithLine(LineDraft line, std::int16_t codeLength = 1) {
  PageDraft page;
  page.codeLength = codeLength;
  page.lines = {std::move(line)};
  return page;
}

LineDraft LineWith(std::function<void(LineDraft&)> change) {
  LineDraft line = DraftLine(0, 0, 2, 2, {}, "ok");
  change(line);
  return line;
}

TEST_F(PageViewTest, DamagedFilesAreRefusedAndThePageStays) {
  const PageDraft good = ThreeLinePage();
  const std::string goodBytes = WritePage(good);
  PageDraft tooManyLines;
  tooManyLines.lineCount = kMaxLines + 1;
  PageDraft headerTooSmall;
  headerTooSmall.headerSize = 35;
  PageDraft headerTooLarge;
  headerTooLarge.headerSize = 1 << 30;
  PageDraft missingLines = good;
  missingLines.lineCount = 5;

  const struct {
    const char* name;
    std::string bytes;
    PageError error;
  } cases[] = {
      {"two bytes", "\x24\x00", PageError::kEndsInHeader},
      {"header below 36", WritePage(headerTooSmall), PageError::kHeaderTooSmall},
      {"header past the end", WritePage(headerTooLarge), PageError::kEndsInHeader},
      {"cut in page record", goodBytes.substr(0, 36 + good.headerNote.size() + 6),
       PageError::kEndsInPageRecord},
      {"101 lines", WritePage(tooManyLines), PageError::kTooManyLines},
      {"negative label", WritePage(WithLine(DraftLine(0, 0, 1, 1, {}, "abc"), -1)),
       PageError::kNegativeLabelLength},
      {"label beyond int32",
       WritePage(WithLine(LineWith([](LineDraft& l) { l.charCount = 0x40000000; }), 2)),
       PageError::kLabelLengthOverflow},
      {"label past the end",
       WritePage(WithLine(LineWith([](LineDraft& l) { l.charCount = 1000000000; }))),
       PageError::kEndsInLine},
      {"negative width", WritePage(WithLine(LineWith([](LineDraft& l) { l.width = -2; }))),
       PageError::kNegativeImageSize},
      {"negative height", WritePage(WithLine(LineWith([](LineDraft& l) { l.height = -1; }))),
       PageError::kNegativeImageSize},
      {"image beyond int32", WritePage(WithLine(LineWith([](LineDraft& l) {
         l.width = 65536;
         l.height = 65536;
       }))),
       PageError::kImageSizeOverflow},
      {"image past the end", WritePage(WithLine(LineWith([](LineDraft& l) {
         l.width = 1000;
         l.height = 1000;
       }))),
       PageError::kEndsInLine},
      {"cut in last line", goodBytes.substr(0, goodBytes.size() - 1), PageError::kEndsInLine},
      {"fewer records than lineCount", WritePage(missingLines), PageError::kEndsInLine},
  };

  const std::string goodPath = Write("good.plim", good);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const PageFault expected = ReadFault(c.bytes);
    ASSERT_EQ(expected.error, c.error);
    const std::string badPath = WriteBytes("bad.plim", c.bytes);

    // From "Loaded": the page stays, without its file.
    Open(goodPath);
    ui.messages.clear();
    Open(badPath);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text,
              CString(kOpenFailure) + L"\n\n" + FromUtf8(DescribePageFault(expected)));
    EXPECT_FALSE(view.fileOpen());
    EXPECT_FALSE(IsHeld(badPath));
    EXPECT_FALSE(IsHeld(goodPath));
    ExpectShowsPage(view, good, false);
    EXPECT_EQ(view.fileTitle(), L"good");
    EXPECT_EQ(document.GetTitle(), L"good");

    // From "Empty": nothing changes.
    CDocument emptyDocument;
    CPLIMDispView empty(&emptyDocument);
    Open(empty, badPath);
    EXPECT_EQ(empty.lineCount(), 0);
    EXPECT_FALSE(empty.fileOpen());
    EXPECT_EQ(emptyDocument.GetTitle(), L"");
  }
}

}  // namespace
