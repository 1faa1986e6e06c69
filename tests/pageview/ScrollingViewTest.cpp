// The page view on screen: repaints through the scroll position, the scroll range after zoom
// keys, key presses as the user makes them, and printing through the same pass.
#include <QImage>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>

#include "pageview/DrawingSupport.h"
#include "platform/framework/CPrintInfo.h"
#include "platform/framework/PrintJob.h"
#include "platform/framework/ViewPrinting.h"

namespace {

class ScrollingViewTest : public DrawingTest {
 protected:
  ScrollingViewTest() {
    std::vector<PageLine> lines;
    for (int i = 0; i < 12; ++i) {
      lines.push_back(ModelLine(
          30 + 13 * i, 40 + 61 * i, 600, 50,
          [i](int row, int column) { return (row * 3 + column + i * 17) % 7 == 0 ? 0 : 0xC0; },
          i % 3 == 0 ? "" : "\xD6\xD0 line"));
    }
    Install(1000, 800, std::move(lines));
    view.resize(320, 240);
    view.show();
    Paint();
  }

  // Paints the client area as the window system asks for it, and lets the scroll bars follow.
  QImage Paint() {
    QImage shown = view.viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    // The new range, then the layout of the bars it shows or hides.
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    return shown;
  }

  // The whole page drawn by one pass, from logical (0, 0).
  QImage WholePage() {
    Page page(view.GetTotalSize().cx, view.GetTotalSize().cy);
    EXPECT_TRUE(Draw(page));
    return QImage(page.canvas.bytes(), page.canvas.width(), page.canvas.height(),
                  static_cast<qsizetype>(page.canvas.strideBytes()), QImage::Format_RGB32)
        .copy();
  }

  CPoint MaxPosition() const {
    return CPoint{view.horizontalScrollBar()->maximum(), view.verticalScrollBar()->maximum()};
  }
};

TEST_F(ScrollingViewTest, RepaintShowsThePageAtTheScrollPosition) {
  ASSERT_EQ(view.viewport()->devicePixelRatio(), 1.0);
  const QSize client = view.viewport()->size();
  EXPECT_EQ(MaxPosition(), (CPoint{1000 - client.width(), 800 - client.height()}));
  EXPECT_EQ(view.horizontalScrollBar()->pageStep(), 100);
  EXPECT_EQ(view.verticalScrollBar()->singleStep(), 8);

  const QImage whole = WholePage();
  for (const CPoint position : {CPoint{0, 0}, CPoint{37, 211}, MaxPosition()}) {
    view.ScrollToPosition(position);
    EXPECT_EQ(view.GetScrollPosition(), position);
    const QImage shown = Paint();
    ASSERT_EQ(shown.size(), client);
    EXPECT_EQ(shown, whole.copy(QRect(QPoint(position.x, position.y), client)))
        << position.x << "," << position.y;
  }
}

TEST_F(ScrollingViewTest, ZoomKeepsTheScrollPositionWhileTheRangeAdmitsIt) {
  view.ScrollToPosition(CPoint{50, 40});
  Keys("+");
  EXPECT_EQ(view.GetTotalSize(), (CSize{1000, 800})) << "until the repaint has run";
  Paint();
  EXPECT_EQ(view.GetTotalSize(), (CSize{1500, 1200}));
  EXPECT_EQ(view.GetScrollPosition(), (CPoint{50, 40})) << "not scaled with the zoom";

  view.ScrollToPosition(MaxPosition());
  Keys("--");
  Paint();
  // 1.5 x 0.7 x 0.7 in float steps is just below 0.735.
  EXPECT_EQ(view.GetTotalSize(), (CSize{734, 587}));
  const QSize client = view.viewport()->size();
  EXPECT_EQ(view.GetScrollPosition(), (CPoint{734 - client.width(), 587 - client.height()}))
      << "moved into the smaller range";
  EXPECT_EQ(Paint(), WholePage().copy(QRect(
                         QPoint(view.GetScrollPosition().x, view.GetScrollPosition().y), client)));
}

TEST_F(ScrollingViewTest, KeyPressesZoomByTheCharacterTheyProduce) {
  const struct {
    const char* name;
    int key;
    Qt::KeyboardModifiers modifiers;
    QString text;
    bool autoRepeat;
    float zoom;
  } cases[] = {
      {"main keyboard +", Qt::Key_Plus, Qt::ShiftModifier, "+", false, 1.5f},
      {"keypad +", Qt::Key_Plus, Qt::KeypadModifier, "+", false, 1.5f},
      {"keypad -", Qt::Key_Minus, Qt::KeypadModifier, "-", false, 0.699999988f},
      {"auto-repeated + is one step", Qt::Key_Plus, Qt::NoModifier, "+", true, 1.5f},
      {"two characters, two steps", Qt::Key_Plus, Qt::NoModifier, "++", false, 2.25f},
      {"= without shift", Qt::Key_Equal, Qt::NoModifier, "=", false, 1.0f},
      {"no text", Qt::Key_Plus, Qt::ControlModifier, "", false, 1.0f},
  };
  for (const auto& c : cases) {
    CPLIMDispView fresh(&document);
    fresh.AdoptPage(PageHeader{}, Body(0, 0, {}, 1));
    QKeyEvent press(QEvent::KeyPress, c.key, c.modifiers, c.text, c.autoRepeat);
    QCoreApplication::sendEvent(&fresh, &press);
    EXPECT_EQ(fresh.zoom(), c.zoom) << c.name;
  }
}

TEST_F(ScrollingViewTest, PrintingDrawsThePassInPrinterDots) {
  std::vector<PageLine> lines;
  lines.push_back(ModelLine(600, 10, 4, 4, Solid(0)));
  Install(2000, 100, std::move(lines));
  view.ScrollToPosition(CPoint{300, 0});
  QImage paper(1000, 40, QImage::Format_RGB32);
  paper.fill(Qt::white);
  CPrintInfo info;
  {
    QPainter painter(&paper);
    ASSERT_TRUE(PrintPageInBands(view, info, painter, paper.rect(), 1000 * 7));
  }
  EXPECT_EQ(paper.pixel(600, 10) & 0xFFFFFF, kBlack) << "six hundred dots from the left";
  EXPECT_EQ(paper.pixel(599, 10) & 0xFFFFFF, kWhite);
  EXPECT_EQ(paper.pixel(603, 13) & 0xFFFFFF, kBlack);
  EXPECT_EQ(paper.pixel(604, 14) & 0xFFFFFF, kWhite);
  EXPECT_EQ(view.GetTotalSize(), (CSize{2000, 100})) << "the pass sets the view's extent";
  SetPrintDialogForTesting([](QPrinter&) { return false; });
  EXPECT_FALSE(view.OnPreparePrinting(&info)) << "a cancelled print dialog cancels the job";
  SetPrintDialogForTesting(nullptr);
}

TEST_F(ScrollingViewTest, PreviewDrawsThePageAtItsScaleWithStrokesDarkAndLabelsAtShownSize) {
  // One-dot dark strokes every fourth column, and a label.
  std::vector<PageLine> lines;
  lines.push_back(ModelLine(
      0, 0, 400, 40, [](int, int column) { return column % 4 == 1 ? 0x20 : 0xFF; }, "ab"));
  Install(400, 40, std::move(lines));
  const struct {
    float scale;
    int strokesAtLeast;  // stroke pixels among those below the label's cell
  } cases[] = {{0.25f, 100 * 5 / 2}, {0.5f, 200 * 10 / 2}, {2.5f, 1000 * 60 / 5}};
  for (const auto& c : cases) {
    // As the preview sheet draws: the page at the scale, labels scaled with it.
    Page paper(static_cast<int>(400 * c.scale), static_cast<int>(40 * c.scale));
    CDC dc(paper.canvas);
    dc.SetPreviewScale(c.scale);
    CPrintInfo info;
    view.OnPrint(&dc, &info);
    const int cellRows = static_cast<int>(std::lround(16 * c.scale));
    int dark = 0, grey = 0, blueBelowCell = 0, lowestBlue = -1;
    for (int y = 0; y < paper.canvas.height(); ++y) {
      for (int x = 0; x < paper.canvas.width(); ++x) {
        const std::uint32_t pixel = paper.At(x, y);
        const bool blue = (pixel & 0xFF) > (pixel >> 16);
        if (blue) lowestBlue = y;
        if (y < cellRows) continue;
        blueBelowCell += blue;
        dark += pixel == 0x202020;
        grey += pixel != 0x202020 && pixel != kWhite;
      }
    }
    EXPECT_EQ(grey, 0) << c.scale << ": no stroke turns grey";
    EXPECT_GE(dark, c.strokesAtLeast) << c.scale;
    EXPECT_EQ(blueBelowCell, 0) << c.scale << ": the label's ink stays in its scaled cell";
    EXPECT_GE(lowestBlue, cellRows / 2) << c.scale << ": glyphs fill the scaled cell";
    EXPECT_EQ(view.GetTotalSize(), (CSize{400, 40})) << "the extent follows the view's own zoom";
  }
}

}  // namespace
