// Long random runs of the zoom keys on random pages, repainted through the scrolling view now
// and then: zoom climbs to the largest float or falls to the smallest normal one, coordinates
// saturate, and still every repaint finishes, the scroll extent and position stay in range, a
// repaint whose bitmaps cannot be had keeps the page for the next one, and the keys go on
// working.
#include <gtest/gtest.h>

#include <QImage>
#include <QScrollBar>
#include <algorithm>
#include <limits>
#include <memory>
#include <random>
#include <vector>

#include "pageview/CPLIMDispView.h"
#include "platform/PlatformUiScript.h"
#include "platform/canvas/Scale.h"
#include "platform/framework/CDocument.h"
#include "raster/LineBitmap.h"

namespace {

constexpr int kTrials = 12;
constexpr int kMaxPresses = 10'000;
constexpr int kPressesPerRepaint = 97;
constexpr std::int32_t kInt32Min = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t kInt32Max = std::numeric_limits<std::int32_t>::max();

// A page coordinate: mostly near the origin, sometimes at or near the ends of int32.
std::int32_t RandomCoordinate(std::mt19937& random) {
  switch (random() % 6) {
    case 0:
      return kInt32Max - static_cast<std::int32_t>(random() % 64);
    case 1:
      return kInt32Min + static_cast<std::int32_t>(random() % 64);
    default:
      return static_cast<std::int32_t>(random() % 400) - 100;
  }
}

PageBody RandomPage(std::mt19937& random) {
  PageBody body;
  body.pageWidth = RandomCoordinate(random);
  body.pageHeight = RandomCoordinate(random);
  body.lineCount = 1 + static_cast<std::int32_t>(random() % kMaxLines);
  for (std::int32_t i = 0; i < body.lineCount; ++i) {
    PageLine& line = body.lines[static_cast<std::size_t>(i)];
    line.left = RandomCoordinate(random);
    line.top = RandomCoordinate(random);
    line.width = static_cast<std::int32_t>(random() % 40);
    line.height = static_cast<std::int32_t>(random() % 40);
    line.charCount = static_cast<std::int32_t>(random() % 3);
    EXPECT_TRUE(ByteBuffer::Allocate(static_cast<std::size_t>(line.charCount) + 1, line.label));
    std::fill_n(line.label.data(), line.charCount, 'a' + i % 26);
    line.label.data()[line.charCount] = 0;
    EXPECT_TRUE(
        ByteBuffer::Allocate(static_cast<std::size_t>(line.width * line.height), line.pixels));
    std::generate_n(line.pixels.data(), line.pixels.size(), [&] { return random() & 0xFF; });
  }
  return body;
}

int g_refusedBuffers = 0;

bool RefuseLineBuffer(std::size_t, ByteBuffer&) {
  ++g_refusedBuffers;
  return false;
}

class ExtremeZoom : public testing::Test {
 protected:
  // A new page window at zoom 1.0 showing `page`.
  void ShowInNewView(PageBody page) {
    view = std::make_unique<CPLIMDispView>(&document);
    view->OnInitialUpdate();
    view->AdoptPage(PageHeader{}, std::move(page));
    view->resize(96, 72);
    view->show();
  }

  // Paints the client area as the window system asks for it, then lets the bars follow: their
  // new range, then the layout of the bars it shows or hides.
  QImage Paint() {
    QImage shown = view->viewport()->grab().toImage();
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    return shown;
  }

  void ExpectScrollStateValid() {
    const CSize extent = view->GetTotalSize();
    EXPECT_GE(extent.cx, 0);
    EXPECT_GE(extent.cy, 0);
    const CPoint position = view->GetScrollPosition();
    const QSize client = view->viewport()->size();
    EXPECT_GE(position.x, 0);
    EXPECT_GE(position.y, 0);
    EXPECT_LE(position.x, std::max(0, extent.cx - client.width()));
    EXPECT_LE(position.y, std::max(0, extent.cy - client.height()));
  }

  QApplication& app = TestApplication();
  CDocument document;
  std::unique_ptr<CPLIMDispView> view;
};

TEST_F(ExtremeZoom, RandomKeyRunsOnRandomPagesKeepEveryRepaintSound) {
  std::mt19937 random(20240611);
  g_refusedBuffers = 0;
  for (int trial = 0; trial < kTrials; ++trial) {
    SCOPED_TRACE("trial " + std::to_string(trial));
    ShowInNewView(RandomPage(random));
    const std::int32_t lineCount = view->lineCount();
    // How often a press is '+': from all '-' to all '+', so some runs end at 0 or infinity.
    const double plusShare = (random() % 5) / 4.0;
    const int presses = static_cast<int>(random() % (kMaxPresses + 1));
    for (int press = 0; press < presses; ++press) {
      const float before = view->zoom();
      const char key = random() % 50 == 0                                        ? 'x'
                       : std::generate_canonical<double, 32>(random) < plusShare ? '+'
                                                                                 : '-';
      view->OnChar(static_cast<unsigned char>(key), 1, 0);
      ASSERT_EQ(view->zoom(), ZoomStep(before, key)) << "press " << press;
      if (press % kPressesPerRepaint != 0) continue;

      view->ScrollToPosition(CPoint{RandomCoordinate(random), RandomCoordinate(random)});
      Paint();  // sets the extent, which may move the position into the new range
      const QImage drawn = Paint();
      ExpectScrollStateValid();
      if (press % (kPressesPerRepaint * 5) == 0) {
        // Without line bitmaps the pass stops early; the page stays for the next repaint.
        const LineBufferAllocator previous = SetLineBufferAllocator(&RefuseLineBuffer);
        view->viewport()->update();
        Paint();
        SetLineBufferAllocator(previous);
        EXPECT_EQ(view->lineCount(), lineCount);
        ExpectScrollStateValid();
        const QImage redrawn = Paint();
        EXPECT_EQ(redrawn.size(), drawn.size()) << "press " << press;
        EXPECT_TRUE(redrawn == drawn) << "press " << press;
      }
    }
    Paint();
    ExpectScrollStateValid();
    for (const char key : {'+', '-'}) {
      const float before = view->zoom();
      view->OnChar(static_cast<unsigned char>(key), 1, 0);
      EXPECT_EQ(view->zoom(), ZoomStep(before, key)) << "the keys still work";
    }
  }
  EXPECT_GT(g_refusedBuffers, 0) << "some repaint met a refused bitmap buffer";
}

}  // namespace
