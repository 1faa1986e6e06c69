// The drawing pass on plain canvases, without a view: line images ANDed upright and clipped,
// labels on their white cells, and thin strokes kept when shrinking.
#include "pageview/PassSupport.h"

namespace {

TEST(PagePassTest, LinesAreAndedUprightAndClippedToThePage) {
  std::vector<PageLine> lines;
  // Rows of grey 0x80 over columns of 0x7F: the AND is black where they overlap.
  lines.push_back(ModelLine(10, 10, 6, 4, Solid(0x80)));
  lines.push_back(ModelLine(13, 12, 6, 4, Solid(0x7F)));
  // A black first row stays on top; grey 255 leaves the page white.
  lines.push_back(ModelLine(30, 5, 3, 4, [](int row, int) { return row == 0 ? 0 : 255; }));
  // Partly off the page to the top left, and past the bottom right of a 40 x 30 canvas.
  lines.push_back(ModelLine(-2, -3, 4, 5, Solid(0x20)));
  lines.push_back(ModelLine(38, 28, 9, 9, Solid(0x30)));
  // Images of no size draw nothing.
  lines.push_back(ModelLine(20, 20, 0, 5, Solid(0)));
  lines.push_back(ModelLine(22, 20, 5, 0, Solid(0)));
  PassApplication();
  const PageBody body = Body(40, 30, std::move(lines));
  Page page(40, 30);
  ASSERT_TRUE(page.Draw(body, 1.0f));

  const struct {
    int x, y;
    std::uint32_t colour;
  } expected[] = {
      {10, 10, 0x808080}, {15, 11, 0x808080}, {13, 12, 0x000000}, {15, 13, 0x000000},
      {16, 12, 0x7F7F7F}, {18, 15, 0x7F7F7F}, {16, 16, kWhite},   {9, 10, kWhite},
      {30, 5, kBlack},    {32, 5, kBlack},    {30, 6, kWhite},    {32, 8, kWhite},
      {0, 0, 0x202020},   {1, 1, 0x202020},   {2, 0, kWhite},     {0, 2, kWhite},
      {38, 28, 0x303030}, {39, 29, 0x303030}, {20, 20, kWhite},   {22, 20, kWhite},
  };
  for (const auto& e : expected) {
    EXPECT_EQ(page.At(e.x, e.y), e.colour) << "at " << e.x << "," << e.y;
  }
}

TEST(PagePassTest, LabelIsBlueOnAWhiteCellAtTheScaledCornerAndLaterLinesAndOverIt) {
  std::vector<PageLine> lines;
  lines.push_back(ModelLine(10, 20, 60, 30, Solid(0), "ab"));
  lines.push_back(ModelLine(12, 0, 2, 60, Solid(0x40)));  // columns 18..20 scaled, after the label
  lines.push_back(ModelLine(60, 60, 20, 20, Solid(0)));   // an empty label draws no cell
  PassApplication();
  const PageBody body = Body(200, 200, std::move(lines));
  Page page(200, 200);
  ASSERT_TRUE(page.Draw(body, ZoomAfter("+")));

  // The cell starts at (15, 30); its width is where row 30 turns black again.
  int cellWidth = 0;
  while (page.At(15 + cellWidth, 30) != kBlack && cellWidth < 90) ++cellWidth;
  ASSERT_GT(cellWidth, 6);
  ASSERT_LE(cellWidth, 40);
  bool glyph = false;
  bool greyOverCell = false;
  for (int y = 30; y < 46; ++y) {
    for (int x = 15; x < 15 + cellWidth; ++x) {
      const std::uint32_t c = page.At(x, y);
      const std::uint32_t red = c >> 16, green = (c >> 8) & 0xFF, blue = c & 0xFF;
      const bool underLaterLine = x >= 18 && x < 21;
      EXPECT_EQ(blue, underLaterLine ? 0x40u : 0xFFu) << x << "," << y;
      EXPECT_EQ(red, green) << x << "," << y;
      glyph |= !underLaterLine && red < 0x80;
      greyOverCell |= underLaterLine && c == 0x404040;
    }
    EXPECT_EQ(page.At(14, y), kWhite) << "left of the image";
  }
  EXPECT_TRUE(glyph) << "some glyph pixel is blue";
  EXPECT_TRUE(greyOverCell) << "a later line shows plain grey over the white cell";
  EXPECT_EQ(page.At(15, 46), kBlack) << "the image below the 16-pixel cell";
  EXPECT_EQ(page.At(15 + cellWidth, 45), kBlack) << "the image beside the cell";
  for (int y = 90; y < 120; ++y) {
    for (int x = 90; x < 120; ++x) ASSERT_EQ(page.At(x, y), kBlack) << x << "," << y;
  }
}

TEST(PagePassTest, ThinDarkRowSurvivesTwoZoomOutSteps) {
  std::vector<PageLine> lines;
  lines.push_back(ModelLine(0, 0, 20, 20, [](int row, int) { return row == 10 ? 0 : 255; }));
  const PageBody body = Body(20, 20, std::move(lines));
  const float zoom = ZoomAfter("--");
  Page page(20, 20);
  ASSERT_TRUE(page.Draw(body, zoom));
  const std::int32_t size = ScaleToDevice(20, zoom);
  int blackRows = 0;
  for (int y = 0; y < size; ++y) {
    int black = 0;
    for (int x = 0; x < size; ++x) black += page.At(x, y) == kBlack;
    EXPECT_TRUE(black == 0 || black == size) << y;
    blackRows += black == size;
  }
  EXPECT_EQ(blackRows, 1);
}

}  // namespace
