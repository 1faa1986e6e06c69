#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <array>
#include <vector>

#include "platform/PlatformUiScript.h"
#include "platform/framework/CPrintInfo.h"
#include "platform/framework/CView.h"
#include "platform/framework/PrintJob.h"
#include "platform/system/CDC.h"

namespace {

struct DrawnBox {
  int left, top, width, height;
};

// Draws black boxes through the drawing context, as a page view draws its lines, and records
// the size of every canvas it is given.
class BoxView : public CView {
 public:
  explicit BoxView(std::vector<DrawnBox> boxes) : boxes_(std::move(boxes)) {}

  void OnDraw(CDC* dc) override {
    const Canvas* canvas = dc->Target().canvas;
    canvasPixels.push_back(static_cast<long long>(canvas->width()) * canvas->height());
    BITMAPINFOHEADER header{};
    header.biSize = sizeof(header);
    header.biWidth = 1;
    header.biHeight = 1;
    header.biPlanes = 1;
    header.biBitCount = 24;
    const std::array<unsigned char, 4> blackPixel{};
    for (const DrawnBox& box : boxes_) {
      dc->StretchDIBits(box.left, box.top + box.height, box.width, -box.height, 0, 0, 1, 1,
                        blackPixel.data(), &header, DIB_RGB_COLORS, SRCAND);
    }
  }

  std::vector<long long> canvasPixels;

 private:
  std::vector<DrawnBox> boxes_;
};

QImage WholePage(BoxView& view, int width, int height) {
  Canvas canvas;
  EXPECT_EQ(canvas.Allocate(width, height), CanvasError::kNone);
  canvas.FillWhite();
  CDC dc(canvas);
  view.OnDraw(&dc);
  return QImage(canvas.bytes(), width, height, static_cast<qsizetype>(canvas.strideBytes()),
                QImage::Format_RGB32)
      .copy();
}

TEST(BandPrintingTest, BandsTogetherGiveTheWholePageWithinTheirBound) {
  TestApplication();
  struct Case {
    int width, height;
    long long bandPixels;
  };
  const Case cases[] = {
      {64, 45, 64 * 10},  // four full bands and a short one
      {64, 40, 64 * 10},  // bands meet the page end exactly
      {64, 45, 1},        // at least one row per band
      {64, 45, 1 << 20},  // one band
  };
  const std::vector<DrawnBox> boxes{
      {3, 2, 20, 30}, {30, 9, 10, 2}, {50, 38, 30, 30}, {-5, 19, 8, 1}};
  for (const Case& c : cases) {
    BoxView reference(boxes);
    const QImage expected = WholePage(reference, c.width, c.height);

    BoxView view(boxes);
    // Paper is white: the bands send only their drawn parts.
    QImage printed(c.width, c.height, QImage::Format_RGB32);
    printed.fill(Qt::white);
    CPrintInfo info;
    {
      QPainter painter(&printed);
      ASSERT_TRUE(
          PrintPageInBands(view, info, painter, QRect(0, 0, c.width, c.height), c.bandPixels));
    }
    EXPECT_EQ(printed, expected) << c.height << " " << c.bandPixels;
    for (long long pixels : view.canvasPixels) {
      EXPECT_LE(pixels, std::max<long long>(c.bandPixels, c.width)) << c.bandPixels;
    }
    EXPECT_EQ(info.m_rectDraw.Width(), c.width);
    EXPECT_EQ(info.m_rectDraw.Height(), c.height);
  }
}

}  // namespace
