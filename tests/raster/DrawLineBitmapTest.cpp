#include "raster/DrawLineBitmap.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "raster/RasterTestSupport.h"

namespace {

using Picture = std::vector<std::vector<std::uint32_t>>;

Picture PictureOf(const Canvas& canvas) {
  Picture rows(canvas.height());
  for (std::int32_t y = 0; y < canvas.height(); ++y) {
    for (std::int32_t x = 0; x < canvas.width(); ++x) rows[y].push_back(canvas.Rgb(x, y));
  }
  return rows;
}

// Greys to a picture, for expectations.
Picture Greys(const std::vector<std::vector<std::uint32_t>>& greys) {
  Picture out = greys;
  for (auto& row : out) {
    for (auto& v : row) v *= 0x010101u;
  }
  return out;
}

// The plain road: a full bitmap, then the transfer.
void DrawFull(CDC& dc, const PageLine& line, float zoom) {
  BITMAPINFOHEADER header;
  InitBitmapHeader(header);
  LineBitmap bitmap;
  ASSERT_TRUE(BuildLineBitmap(line, bitmap));
  DrawLineBitmap(dc, line, bitmap, header, zoom);
  EXPECT_TRUE(bitmap.pixels.empty());  // released by the draw
}

TEST(DrawLineBitmapTest, DestinationIsScaledInSinglePrecision) {
  struct Case {
    std::int32_t left, top, width, height;
    float zoom;
    LineDest expected;
  };
  const Case cases[] = {
      {10, 20, 30, 5, 1.0f, {10, 25, 30, -5}},
      {0, 1, 4, 1, 1.5f, {0, 3, 6, -1}},
      {100, 0, 10, 10, 0.699999988f, {70, 7, 7, -7}},  // a double product would give x 69
      {-3, -3, 3, 3, 1.5f, {-4, 0, 4, -4}},
      {5, 5, 5, 5, 0.1f, {0, 1, 0, 0}},                   // -0.5 truncates to 0: nothing is drawn
      {0, INT32_MAX, 1, 5, 1.0f, {0, INT32_MAX, 1, -5}},  // top + height saturates
      // -INT32_MIN saturates; the line has no rows, so nothing is drawn with it.
      {INT32_MIN, INT32_MIN, 1, INT32_MIN, 1.0f, {INT32_MIN, INT32_MIN, 1, INT32_MAX}},
      {1, 1, 1, 1, 1e30f, {INT32_MAX, INT32_MAX, INT32_MAX, INT32_MIN}},
  };
  for (const Case& c : cases) {
    const LineDest d =
        LineDestination(ModelLine(c.left, c.top, c.width, c.height, nullptr), c.zoom);
    EXPECT_EQ(std::tie(d.x, d.y, d.width, d.height),
              std::tie(c.expected.x, c.expected.y, c.expected.width, c.expected.height))
        << c.left << "," << c.top << "," << c.width << "," << c.height << " at " << c.zoom;
  }
}

TEST(DrawLineBitmapTest, HeaderCarriesTheLineShape) {
  BITMAPINFOHEADER header;
  InitBitmapHeader(header);
  EXPECT_EQ(header.biSize, 40u);
  EXPECT_EQ(header.biPlanes, 1);
  EXPECT_EQ(header.biCompression, BI_RGB);
  EXPECT_EQ(header.biClrUsed, 0u);
  Canvas canvas;
  ASSERT_EQ(canvas.Allocate(4, 4), CanvasError::kNone);
  CDC dc(canvas);
  LineBitmap bitmap;
  const PageLine line = ModelLine(0, 0, 5, 3, [](int, int) { return 0; });
  ASSERT_TRUE(BuildLineBitmap(line, bitmap));
  DrawLineBitmap(dc, line, bitmap, header, 1.0f);
  EXPECT_EQ(header.biBitCount, 24);
  EXPECT_EQ(header.biWidth, 8);
  EXPECT_EQ(header.biHeight, 3);
  EXPECT_TRUE(bitmap.pixels.empty());
}

TEST(DrawLineBitmapTest, PicturesOnAWhitePage) {
  const std::uint32_t W = 255;
  struct Case {
    const char* name;
    std::vector<PageLine> lines;  // drawn in order
    float zoom;
    Picture expected;  // 4 x 3 canvas
  };
  std::vector<Case> cases;
  auto add = [&](const char* name, float zoom, Picture expected, auto... lines) {
    Case c{name, {}, zoom, std::move(expected)};
    (c.lines.push_back(std::move(lines)), ...);
    cases.push_back(std::move(c));
  };
  add("black first row stays on top", 1.0f, Greys({{W, W, W, W}, {W, 0, 0, W}, {W, 9, 9, W}}),
      ModelLine(1, 1, 2, 2, [](int i, int) { return i == 0 ? 0 : 9; }));
  add("0x80 over 0x7F gives 0", 1.0f, Greys({{0x80, 0, 0x7F, W}, {W, W, W, W}, {W, W, W, W}}),
      ModelLine(0, 0, 2, 1, [](int, int) { return 0x80; }),
      ModelLine(1, 0, 2, 1, [](int, int) { return 0x7F; }));
  add("grey 255 shows what lies under it", 1.0f,
      Greys({{0x40, 0x40, W, W}, {W, W, W, W}, {W, W, W, W}}),
      ModelLine(0, 0, 2, 1, [](int, int) { return 0x40; }),
      ModelLine(0, 0, 4, 1, [](int, int) { return 255; }));
  // Width 3 pads to 4; the padding column would show as the sentinel grey.
  add("padding is never drawn", 1.0f, Greys({{1, 2, 3, W}, {W, W, W, W}, {W, W, W, W}}),
      ModelLine(0, 0, 3, 1, [](int, int j) { return j + 1; }));
  add("stretch by 1.5 repeats pixels", 1.5f, Greys({{0, 0, 200, W}, {W, W, W, W}, {W, W, W, W}}),
      ModelLine(0, 0, 2, 1, [](int, int j) { return j * 200; }));
  // top 1 height 1 at 1.5: y = 3, height -1: row 2 (the label's row would be 1).
  add("scaled top edge", 1.5f, Greys({{W, W, W, W}, {W, W, W, W}, {0, W, W, W}}),
      ModelLine(0, 1, 1, 1, [](int, int) { return 0; }));
  add("shrinking keeps the dark stroke", 0.699999988f,
      Greys({{W, W, W, W}, {0, 0, W, W}, {W, W, W, W}}),
      ModelLine(0, 0, 3, 3, [](int i, int) { return i == 1 ? 0 : 255; }));
  add("zero size and zero-zoom size draw nothing", 0.3f,
      Greys({{W, W, W, W}, {W, W, W, W}, {W, W, W, W}}), ModelLine(0, 0, 0, 2, nullptr),
      ModelLine(0, 0, 3, 3, [](int, int) { return 0; }));
  add("huge coordinates", 1e30f, Greys({{W, W, W, W}, {W, W, W, W}, {W, W, W, W}}),
      ModelLine(INT32_MAX, INT32_MAX, 2, 2, [](int, int) { return 0; }),
      ModelLine(INT32_MIN, INT32_MIN, 2, 2, [](int, int) { return 0; }));

  for (const Case& c : cases) {
    ScopedAllocator sentinel(AllocateSentinel);
    Canvas canvas;
    ASSERT_EQ(canvas.Allocate(4, 3), CanvasError::kNone);
    canvas.FillWhite();
    CDC dc(canvas);
    for (const PageLine& line : c.lines) DrawFull(dc, line, c.zoom);
    EXPECT_EQ(PictureOf(canvas), c.expected) << c.name;
  }
}

// Random lines, zooms, origins and clips: drawing only the visible part of the bitmap gives the
// same picture as drawing the whole one.
TEST(DrawLineBitmapTest, VisiblePartDrawsTheSamePictureAsTheWholeLine) {
  std::mt19937 rng(7);
  auto uniform = [&](std::int32_t lo, std::int32_t hi) {
    return std::uniform_int_distribution<std::int32_t>(lo, hi)(rng);
  };
  const float zooms[] = {1.0f, 1.5f, 0.699999988f, 2.25f, 0.48999998f, 3.375f, 0.1f};
  for (int iteration = 0; iteration < 1500; ++iteration) {
    const PageLine line = ModelLine(uniform(-20, 40), uniform(-20, 40), uniform(1, 30),
                                    uniform(1, 30), [&](int, int) { return uniform(0, 255); });
    const float zoom = zooms[uniform(0, 6)];
    Canvas whole, visible;
    ASSERT_EQ(whole.Allocate(32, 24), CanvasError::kNone);
    ASSERT_EQ(visible.Allocate(32, 24), CanvasError::kNone);
    whole.Fill(0x00E0D0C0);
    visible.Fill(0x00E0D0C0);
    CDC wholeDc(whole), visibleDc(visible);
    const std::int32_t ox = uniform(-10, 10), oy = uniform(-10, 10);
    const std::int32_t cl = uniform(0, 32), ct = uniform(0, 24);
    const PixelRect clip{cl, ct, uniform(cl, 32), uniform(ct, 24)};
    for (CDC* dc : {&wholeDc, &visibleDc}) {
      dc->SetWindowOrg(ox, oy);
      dc->SetClipRect(clip);
    }
    DrawFull(wholeDc, line, zoom);
    BITMAPINFOHEADER header;
    InitBitmapHeader(header);
    ASSERT_TRUE(RasterizeLine(visibleDc, line, header, zoom));
    ASSERT_EQ(PictureOf(visible), PictureOf(whole)) << "iteration " << iteration;
  }
}

TEST(DrawLineBitmapTest, VisibleWindowIsOnlyWhatTheClipNeeds) {
  const PageLine line = ModelLine(0, 0, 1000, 800, [](int, int) { return 0; });
  Canvas canvas;
  ASSERT_EQ(canvas.Allocate(64, 64), CanvasError::kNone);
  CDC dc(canvas);
  dc.SetWindowOrg(500, 400);
  dc.SetClipRect({0, 0, 10, 10});
  PixelRect window;
  ASSERT_TRUE(VisibleSourceWindow(dc, line, 1.0f, window));
  EXPECT_EQ(window.left, 500);
  EXPECT_EQ(window.top, 400);
  EXPECT_EQ(window.right, 510);
  EXPECT_EQ(window.bottom, 410);
}

int gAllocations = 0;
bool AllocateCounted(std::size_t size, ByteBuffer& out) {
  ++gAllocations;
  return ByteBuffer::Allocate(size, out);
}

TEST(DrawLineBitmapTest, LinesOutsideTheClipAreSkippedAndFailuresReported) {
  struct Case {
    const char* name;
    std::int32_t left, top;
    LineBufferAllocator allocator;
    bool rasterized;
    int allocations;
    bool drawn;
  };
  const Case cases[] = {
      {"inside", 2, 2, AllocateCounted, true, 1, true},
      {"right of the clip", 40, 2, AllocateCounted, true, 0, false},
      {"above the clip", 2, -40, AllocateCounted, true, 0, false},
      {"allocation fails", 2, 2, AllocateNothing, false, 0, false},
  };
  for (const Case& c : cases) {
    ScopedAllocator scoped(c.allocator);
    gAllocations = 0;
    Canvas canvas;
    ASSERT_EQ(canvas.Allocate(16, 16), CanvasError::kNone);
    canvas.FillWhite();
    CDC dc(canvas);
    BITMAPINFOHEADER header;
    InitBitmapHeader(header);
    const PageLine line = ModelLine(c.left, c.top, 30, 30, [](int, int) { return 0; });
    EXPECT_EQ(RasterizeLine(dc, line, header, 1.0f), c.rasterized) << c.name;
    EXPECT_EQ(gAllocations, c.allocations) << c.name;
    EXPECT_EQ(canvas.Rgb(5, 5) == 0, c.drawn) << c.name;
  }
}

}  // namespace
