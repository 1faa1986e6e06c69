// A picture drawn band by band is the picture of one pass over the same rectangle, whatever
// the band height and wherever the rectangle lies; bands stay within their bound, and a failure
// stops the bands.
#include <gtest/gtest.h>

#include "pageview/PassSupport.h"

namespace {

PageBody LabelledPage() {
  std::vector<PageLine> lines;
  lines.push_back(ModelLine(5, 3, 70, 40, Solid(0x40), "AB"));
  lines.push_back(ModelLine(
      20, 30, 90, 33, [](int row, int) { return row % 5 == 0 ? 0 : 0x90; }, "page"));
  lines.push_back(ModelLine(100, 60, 30, 45, Solid(0x00)));
  return Body(120, 90, std::move(lines));
}

TEST(PageBandsTest, BandsOfAnyHeightOverAnyRectangleGiveOnePassPicture) {
  PassApplication();
  const PageBody page = LabelledPage();
  const struct {
    const char* name;
    PixelRect region;  // logical
    float zoom;
    bool labels;
    std::int64_t bandPixels;
  } cases[] = {
      {"whole page, bands of 7 rows", {0, 0, 120, 90}, 1.0f, true, 7 * 120},
      {"one row a band", {0, 0, 120, 90}, 1.0f, true, 1},
      {"one band", {0, 0, 120, 90}, 1.0f, true, 1 << 20},
      {"a visible part, shrunk", {13, 9, 70, 50}, 0.7f, true, 11 * 57},
      {"a visible part, enlarged", {40, 25, 230, 160}, 2.25f, true, 13 * 190},
      {"off the page to the top left", {-30, -20, 50, 40}, 1.5f, true, 80 * 9},
      {"labels off", {0, 0, 120, 90}, 1.0f, false, 5 * 120},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const PageFrame frame{&page, c.zoom, kDefaultCodePage, c.labels};
    const std::int32_t width = c.region.right - c.region.left;
    const std::int32_t height = c.region.bottom - c.region.top;
    Page whole(width, height, c.region.left, c.region.top);
    {
      CDC dc(whole.canvas);
      dc.SetWindowOrg(c.region.left, c.region.top);
      ASSERT_TRUE(DrawPagePass(dc, frame).complete);
    }
    Page banded(width, height, c.region.left, c.region.top);
    std::int32_t nextTop = c.region.top;
    const BandOutcome outcome = DrawInBands(
        c.region, c.bandPixels, [&frame](CDC& dc) { return DrawPagePass(dc, frame).complete; },
        [&](const Band& band) {
          EXPECT_EQ(band.area.top, nextTop);
          EXPECT_EQ(band.area.left, c.region.left);
          EXPECT_LE(std::int64_t{band.canvas.width()} * band.canvas.height(),
                    std::max<std::int64_t>(c.bandPixels, width));
          for (std::int32_t y = 0; y < band.rows(); ++y) {
            std::copy_n(band.canvas.Row(y), width,
                        banded.canvas.Row(band.area.top - c.region.top + y));
          }
          nextTop = band.area.bottom;
          return true;
        });
    ASSERT_EQ(outcome, BandOutcome::kDone);
    EXPECT_EQ(nextTop, c.region.bottom);
    for (std::int32_t y = 0; y < height; ++y) {
      for (std::int32_t x = 0; x < width; ++x) {
        ASSERT_EQ(banded.canvas.Rgb(x, y), whole.canvas.Rgb(x, y)) << x << "," << y;
      }
    }
  }
}

TEST(PageBandsTest, FailuresStopTheBands) {
  int taken = 0;
  const auto take = [&taken](const Band&) { return ++taken < 2; };
  const auto draws = [](CDC&) { return true; };
  EXPECT_EQ(DrawInBands({0, 0, 10, 10}, 10, draws, take), BandOutcome::kNotTaken);
  EXPECT_EQ(taken, 2);
  EXPECT_EQ(DrawInBands(
                {0, 0, 10, 10}, 10, [](CDC&) { return false; }, take),
            BandOutcome::kIncomplete);
  EXPECT_EQ(DrawInBands(
                {0, 0, 10, 10}, 10,
                [](CDC& dc) {
                  dc.SetIncomplete();
                  return true;
                },
                take),
            BandOutcome::kIncomplete);
  EXPECT_EQ(DrawInBands({0, 0, Canvas::kMaxSide + 1, 1}, 1, draws, take), BandOutcome::kNoCanvas);
  taken = 0;
  EXPECT_EQ(DrawInBands({5, 5, 5, 9}, 10, draws, take), BandOutcome::kDone);
  EXPECT_EQ(taken, 0) << "an empty region has no band";
}

}  // namespace
