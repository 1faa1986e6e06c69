// The banded renderer: any band height gives the picture of one whole pass, and a failing
// output fails the render.
#include "cli/pages/PageRender.h"

#include <gtest/gtest.h>

#include <QImage>
#include <string>

#include "pagefile/PageLoad.h"
#include "pagewriter/PageWriter.h"
#include "platform/text/QtLabelText.h"
#include "support/PageLines.h"

namespace {

struct MemorySink : ByteSink {
  std::string bytes;
  std::size_t limit = std::string::npos;  // bytes accepted before the output fails
  bool Write(std::string_view more) override {
    if (bytes.size() + more.size() > limit) return false;
    bytes += more;
    return true;
  }
};

// Lines that straddle band edges at every zoom, with labels, an overlap and a line sticking
// out of the page.
std::string BandedPage() {
  PageDraft draft;
  draft.pageWidth = 120;
  draft.pageHeight = 90;
  draft.lines = {
      DraftLine(5, 3, 70, 40, Solid(0x40), "AB"), DraftLine(20, 30, 90, 33, Solid(0x90), "page"),
      DraftLine(100, 60, 30, 45, Solid(0x00)), DraftLine(0, 85, 120, 20, Solid(0xC0), "x")};
  for (LineDraft& line : draft.lines) {
    for (std::size_t i = 0; i < line.pixels.size(); i += 7) line.pixels[i] = '\x10';
  }
  return WritePage(draft);
}

// Labels are drawn by the engine linked into this program.
class PageRenderTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    MakeLabelTextApplication();
    InstallQtLabelText();
  }
};

QImage Render(const PageBody& body, float zoom, std::int64_t bandPixels) {
  MemorySink sink;
  std::string problem;
  EXPECT_TRUE(RenderPagePng(ScrolledFrame(body, zoom, "936"), sink, problem, bandPixels))
      << problem;
  return QImage::fromData(reinterpret_cast<const uchar*>(sink.bytes.data()),
                          static_cast<int>(sink.bytes.size()), "PNG")
      .convertToFormat(QImage::Format_RGB32);
}

TEST_F(PageRenderTest, AnyBandHeightDrawsTheWholePassPicture) {
  const LoadedPage page = LoadFromBytes(BandedPage());
  ASSERT_FALSE(page.fault);
  for (const char* keys : {"", "+", "++", "-", "---"}) {
    const float zoom = ZoomAfterKeys(*page.body, keys);
    const PageExtent extent = ScrolledFrame(*page.body, zoom, "936").extent;
    const QImage whole = Render(*page.body, zoom, kDefaultBandPixels);
    ASSERT_EQ(whole.size(), QSize(extent.width, extent.height)) << keys;
    for (const std::int64_t rows : {1, 2, 7, 16, 33}) {
      EXPECT_EQ(Render(*page.body, zoom, rows * extent.width), whole)
          << "keys '" << keys << "', bands of " << rows << " rows";
    }
  }
}

TEST_F(PageRenderTest, FailedOutputFailsTheRender) {
  const LoadedPage page = LoadFromBytes(BandedPage());
  for (const std::size_t limit : {std::size_t{0}, std::size_t{40}, std::size_t{200}}) {
    MemorySink sink;
    sink.limit = limit;
    std::string problem;
    EXPECT_FALSE(RenderPagePng(ScrolledFrame(*page.body, 1.0f, "936"), sink, problem, 120 * 3))
        << limit;
    EXPECT_NE(problem.find("cannot write"), std::string::npos) << problem;
  }
}

}  // namespace
