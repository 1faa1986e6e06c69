// A bitmap reduced for a transfer, drawn one to one, gives exactly the picture of the stretched
// transfer of the whole line bitmap.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "raster/DrawLineBitmap.h"
#include "raster/RasterTestSupport.h"
#include "support/RowSharing.h"

namespace {

using Picture = std::vector<std::uint32_t>;

Picture PictureOf(const Canvas& canvas) {
  Picture pixels;
  for (std::int32_t y = 0; y < canvas.height(); ++y) {
    for (std::int32_t x = 0; x < canvas.width(); ++x) pixels.push_back(canvas.Rgb(x, y));
  }
  return pixels;
}

struct Surface {
  Canvas canvas;
  ClippedCanvas target;
  Surface(std::int32_t width, std::int32_t height, const PixelRect& clip, std::int32_t originX,
          std::int32_t originY) {
    EXPECT_EQ(canvas.Allocate(width, height), CanvasError::kNone);
    canvas.Fill(0x00E0D0C0);
    target = {&canvas, originX, originY, clip};
  }
};

// Any transfer of a part of the line image: mirrored either way, shrunk by up to 13 times or
// stretched, clipped on every side; widths odd and even, rows long enough for the column spans
// to be stepped far.
TEST(ReducedLineBitmapTest, OneToOneDrawEqualsTheStretchedTransfer) {
  std::mt19937 rng(4242);
  auto uniform = [&](std::int32_t lo, std::int32_t hi) {
    return std::uniform_int_distribution<std::int32_t>(lo, hi)(rng);
  };
  for (int iteration = 0; iteration < 2000; ++iteration) {
    const ScopedRowSharing sharing(iteration % 2 == 0);
    const std::int32_t width = uniform(1, iteration % 4 == 0 ? 400 : 60);
    const std::int32_t height = uniform(1, 60);
    // Mostly light pixels with dark strokes, so that a missed source pixel shows.
    const PageLine line = ModelLine(0, 0, width, height, [&](int, int) {
      return uniform(0, 9) == 0 ? uniform(0, 60) : uniform(180, 255);
    });
    const std::int32_t xs = uniform(0, width - 1), ys = uniform(0, height - 1);
    const std::int32_t ws = uniform(1, width - xs), hs = uniform(1, height - ys);
    auto extent = [&](std::int32_t source) {
      const std::int32_t divisor = uniform(1, 13);
      const std::int32_t e = std::max(1, source / divisor + uniform(-1, 2));
      return uniform(0, 1) == 0 ? e : -e;
    };
    const std::int32_t w = extent(ws), h = extent(hs);
    const std::int32_t originX = uniform(-20, 20), originY = uniform(-20, 20);
    const std::int32_t cl = uniform(0, 48), ct = uniform(0, 40);
    const PixelRect clip{cl, ct, uniform(cl, 48), uniform(ct, 40)};
    const std::int32_t x = uniform(-20, 50) + originX, y = uniform(-20, 40) + originY;

    Surface expected(48, 40, clip, originX, originY), actual(48, 40, clip, originX, originY);
    LineBitmap whole;
    ASSERT_TRUE(BuildLineBitmap(line, whole));
    BITMAPINFOHEADER header;
    InitBitmapHeader(header);
    header.biBitCount = 24;
    header.biWidth = whole.paddedWidth;
    header.biHeight = whole.height;
    StretchDIBits(expected.target, x, y, w, h, xs, ys, ws, hs, whole.pixels.data(), &header,
                  DIB_RGB_COLORS, SRCAND);

    StretchPlan plan;
    LineBitmap reduced;
    if (PlanStretch(actual.target, x, y, w, h, xs, ys, ws, hs, plan)) {
      ScopedAllocator sentinel(AllocateSentinel);
      ASSERT_TRUE(BuildLineBitmap(line, reduced, plan));
      ASSERT_TRUE(reduced.Reduced());
      EXPECT_EQ(reduced.width, plan.device.right - plan.device.left);
      EXPECT_EQ(reduced.height, plan.device.bottom - plan.device.top);
      DrawReducedBitmap(actual.target, reduced, header);
    }
    ASSERT_EQ(PictureOf(actual.canvas), PictureOf(expected.canvas))
        << "iteration " << iteration << ": " << width << "x" << height << " source " << xs << ","
        << ys << "," << ws << "," << hs << " to " << x << "," << y << "," << w << "," << h;
  }
}

// The pass's shrinking road at zooms between the key steps, with lines overlapping each other
// and the clip cutting them anywhere: the same picture as full bitmaps.
TEST(ReducedLineBitmapTest, RasterizedShrinkingLinesEqualFullBitmaps) {
  std::mt19937 rng(911);
  auto uniform = [&](std::int32_t lo, std::int32_t hi) {
    return std::uniform_int_distribution<std::int32_t>(lo, hi)(rng);
  };
  for (int iteration = 0; iteration < 300; ++iteration) {
    const ScopedRowSharing sharing(iteration % 2 == 0);
    const float zoom = std::uniform_real_distribution<float>(0.05f, 1.0f)(rng);
    const std::int32_t cl = uniform(0, 64), ct = uniform(0, 48);
    const PixelRect clip{cl, ct, uniform(cl, 64), uniform(ct, 48)};
    const std::int32_t originX = uniform(-30, 30), originY = uniform(-30, 30);
    Surface expected(64, 48, clip, originX, originY), actual(64, 48, clip, originX, originY);
    CDC expectedDc(expected.canvas), actualDc(actual.canvas);
    for (CDC* dc : {&expectedDc, &actualDc}) {
      dc->SetWindowOrg(originX, originY);
      dc->SetClipRect(clip);
    }
    for (int n = uniform(1, 4); n > 0; --n) {
      const PageLine line =
          ModelLine(uniform(-40, 60), uniform(-40, 50), uniform(1, 151), uniform(1, 97),
                    [&](int, int) { return uniform(0, 7) == 0 ? 0 : uniform(100, 255); });
      BITMAPINFOHEADER header;
      InitBitmapHeader(header);
      LineBitmap whole;
      ASSERT_TRUE(BuildLineBitmap(line, whole));
      DrawLineBitmap(expectedDc, line, whole, header, zoom);
      ASSERT_TRUE(RasterizeLine(actualDc, line, header, zoom));
    }
    ASSERT_EQ(PictureOf(actual.canvas), PictureOf(expected.canvas))
        << "iteration " << iteration << " at zoom " << zoom;
  }
}

TEST(ReducedLineBitmapTest, BitmapReducedForAnotherTransferIsReducedAgain) {
  const PageLine line = ModelLine(0, 0, 40, 30, [](int i, int j) { return (i * 7 + j * 3) % 256; });
  Canvas canvas, expected;
  ASSERT_EQ(canvas.Allocate(16, 16), CanvasError::kNone);
  ASSERT_EQ(expected.Allocate(16, 16), CanvasError::kNone);
  canvas.FillWhite();
  expected.FillWhite();
  CDC dc(canvas), expectedDc(expected);
  dc.SetWindowOrg(3, 2);
  expectedDc.SetWindowOrg(3, 2);
  BITMAPINFOHEADER header;
  InitBitmapHeader(header);
  LineBitmap whole;
  ASSERT_TRUE(BuildLineBitmap(line, whole));
  DrawLineBitmap(expectedDc, line, whole, header, 0.49f);

  // Reduced for the same line at another zoom and origin.
  Canvas other;
  ASSERT_EQ(other.Allocate(16, 16), CanvasError::kNone);
  CDC otherDc(other);
  StretchPlan otherPlan;
  const LineDest dest = LineDestination(line, 0.343f);
  ASSERT_TRUE(PlanStretch(otherDc.Target(), dest.x, dest.y, dest.width, dest.height, 0, 0,
                          line.width, line.height, otherPlan));
  LineBitmap reduced;
  ASSERT_TRUE(BuildLineBitmap(line, reduced, otherPlan));
  DrawLineBitmap(dc, line, reduced, header, 0.49f);
  EXPECT_TRUE(reduced.pixels.empty());
  EXPECT_EQ(PictureOf(canvas), PictureOf(expected));
}

TEST(ReducedLineBitmapTest, FailedOrRefusedReductions) {
  const PageLine line = ModelLine(0, 0, 30, 30, [](int, int) { return 0; });
  Canvas canvas;
  ASSERT_EQ(canvas.Allocate(16, 16), CanvasError::kNone);
  canvas.FillWhite();
  CDC dc(canvas);
  BITMAPINFOHEADER header;
  InitBitmapHeader(header);
  {
    ScopedAllocator none(AllocateNothing);
    EXPECT_FALSE(RasterizeLine(dc, line, header, 0.5f));
    EXPECT_EQ(canvas.Rgb(3, 3), 0x00FFFFFFu);
  }
  // A plan that reads beyond the image, and a line short of its pixels, get no buffer.
  StretchPlan plan;
  ASSERT_TRUE(PlanStretch(dc.Target(), 0, 10, 10, -10, 0, 0, 31, 30, plan));
  LineBitmap bitmap;
  EXPECT_TRUE(BuildLineBitmap(line, bitmap, plan));
  EXPECT_TRUE(bitmap.pixels.empty());
  PageLine shortLine = ModelLine(0, 0, 30, 30, nullptr);
  ASSERT_TRUE(PlanStretch(dc.Target(), 0, 10, 10, -10, 0, 0, 30, 30, plan));
  EXPECT_TRUE(BuildLineBitmap(shortLine, bitmap, plan));
  EXPECT_TRUE(bitmap.pixels.empty());
  EXPECT_TRUE(RasterizeLine(dc, shortLine, header, 0.5f));
  EXPECT_EQ(canvas.Rgb(3, 3), 0x00FFFFFFu);
}

}  // namespace
