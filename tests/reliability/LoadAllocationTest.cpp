// Loading a page never holds more memory than the file holds, plus a small constant, whatever
// lengths its header and records claim; and no load, good or refused, leaves memory behind.
#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

#include "pageview/CPLIMDispView.h"
#include "platform/PlatformUiScript.h"
#include "platform/framework/CDocument.h"
#include "reliability/PageFiles.h"
#include "support/CountingNew.h"
#include "support/PageLines.h"

namespace {

constexpr std::int32_t kInt32Max = std::numeric_limits<std::int32_t>::max();
// What a load may ask for beyond the file's size: a label terminator per line, the refusal
// message and the bookkeeping of the view and its file.
constexpr std::uint64_t kLoadSlack = 4 * 1024;

std::string WithHeaderSize(std::int32_t headerSize) {
  PageDraft page;
  page.headerSize = headerSize;
  return WritePage(page);
}

std::string Lines(std::int32_t count, std::int32_t declared) {
  PageDraft page;
  for (std::int32_t i = 0; i < count; ++i) page.lines.push_back(DraftLine(0, i, 1, 1, {}, "L"));
  page.lineCount = declared;
  return WritePage(page);
}

// One line claiming a label of `charCount` codes of `codeLength` bytes and a `height` x `width`
// image, with no label or pixel bytes.
std::string Claiming(std::int16_t codeLength, std::int32_t charCount, std::int32_t height,
                     std::int32_t width) {
  PageDraft page;
  page.codeLength = codeLength;
  LineDraft line;
  line.charCount = charCount;
  line.height = height;
  line.width = width;
  page.lines.push_back(line);
  return WritePage(page);
}

std::string Cut(std::string bytes, std::size_t dropped) {
  bytes.resize(bytes.size() - dropped);
  return bytes;
}

// A one-line page without its last `dropped` bytes.
std::string OneLineCut(LineDraft line, std::size_t dropped) {
  PageDraft page;
  page.lines.push_back(std::move(line));
  return Cut(WritePage(page), dropped);
}

class LoadAllocation : public testing::Test {
 protected:
  // Loads `bytes` from a file into a fresh view and returns the most memory the load held at
  // once, beyond what was held before.
  std::int64_t PeakOfLoad(const std::string& bytes, bool& loaded) {
    const std::string path = WritePageBytes(dir, "page.plim", bytes);
    CDocument document;
    CPLIMDispView view(&document);
    ResetPeakNewBytes();
    const std::int64_t before = LiveNewBytes();
    loaded = view.LoadPageFile(path);
    return PeakNewBytes() - before;
  }

  QApplication& app = TestApplication();
  TempDir dir;
  PlatformUiScript ui;
};

TEST_F(LoadAllocation, HostilePagesHoldNoMoreThanTheFileHolds) {
  const PageDraft small = SmallPage();
  const struct {
    const char* name;
    std::string bytes;
    bool loads;
  } cases[] = {
      {"header size 35", WithHeaderSize(35), false},
      {"header size 36", WithHeaderSize(36), true},
      {"header size int32 max", WithHeaderSize(kInt32Max), false},
      {"note one byte past the end", WithHeaderSize(36 + 13), false},
      // The label's last byte and the 16 bytes of the fields after it are missing.
      {"label one byte past the end", OneLineCut(DraftLine(0, 0, 0, 0, {}, "abcde"), 17), false},
      {"label codeLength x charCount beyond 32 bits", Claiming(0x7FFF, kInt32Max, 0, 0), false},
      {"label product wraps to a small int32", Claiming(2, 0x40000001, 0, 0), false},
      {"negative codeLength", Claiming(-1, 1 << 20, 0, 0), false},
      {"pixels one byte past the end", OneLineCut(DraftLine(0, 0, 3, 3), 1), false},
      {"width x height beyond 32 bits", Claiming(1, 0, 65536, 65537), false},
      {"width x height wraps to a small int32", Claiming(1, 0, 65536, 65536), false},
      {"image int32 max past the end", Claiming(1, 0, 1, kInt32Max), false},
      {"100 lines", Lines(100, 100), true},
      {"101 lines", Lines(100, 101), false},
      {"int32 max lines", Lines(3, kInt32Max), false},
      {"more lines declared than stored", Lines(3, 100), false},
      {"negative line count", Lines(0, -1), true},
      {"small page cut one byte short", Cut(WritePage(small), 1), false},
      {"small page", WritePage(small), true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    bool loaded = false;
    const std::int64_t peak = PeakOfLoad(c.bytes, loaded);
    EXPECT_EQ(loaded, c.loads);
    EXPECT_LE(peak, static_cast<std::int64_t>(c.bytes.size() + kLoadSlack));
  }
}

// Each prefix of a small page, loaded over a page on show, loads complete (only the whole
// file) or is refused leaving that page as it was; memory afterwards is what it was before.
TEST_F(LoadAllocation, EveryPrefixLoadsCompleteOrIsRefusedWithoutLeaking) {
  const std::string whole = WritePage(SmallPage());
  const std::string shownPath = WritePageBytes(dir, "shown.plim", Lines(2, 2));
  {
    // The first page window fills Qt's one-time caches.
    CDocument document;
    CPLIMDispView view(&document);
    ASSERT_TRUE(view.LoadPageFile(shownPath));
  }
  for (std::size_t length = 0; length <= whole.size(); ++length) {
    SCOPED_TRACE("prefix of " + std::to_string(length) + " bytes");
    const std::string path = WritePageBytes(dir, "prefix.plim", whole.substr(0, length));
    const std::int64_t before = LiveNewBytes();
    {
      CDocument document;
      CPLIMDispView view(&document);
      ASSERT_TRUE(view.LoadPageFile(shownPath));
      ResetPeakNewBytes();
      const std::int64_t held = LiveNewBytes();
      const bool loaded = view.LoadPageFile(path);
      EXPECT_LE(PeakNewBytes() - held, static_cast<std::int64_t>(length + kLoadSlack));
      EXPECT_EQ(loaded, length == whole.size());
      EXPECT_EQ(view.lineCount(), loaded ? 3 : 2);
      EXPECT_EQ(view.fileOpen(), loaded);
    }
    ui.messages.clear();
    ui.messages.shrink_to_fit();
    EXPECT_EQ(LiveNewBytes(), before);
  }
}

}  // namespace
