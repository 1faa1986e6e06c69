#include "raster/LineBitmap.h"

#include <gtest/gtest.h>

#include <cstring>
#include <tuple>
#include <vector>

#include "raster/RasterTestSupport.h"

namespace {

TEST(LineBitmapTest, PaddedWidthRoundsUpToFourPixels) {
  struct Case {
    std::int32_t width, padded;
    std::int64_t stride;
  };
  const Case cases[] = {
      {5, 8, 24},
      {4, 4, 12},
      {1, 4, 12},
      {0, 0, 0},
      {-5, 0, 0},
      {INT32_MAX - 3, INT32_MAX - 3, std::int64_t{INT32_MAX - 3} * 3},
      {INT32_MAX - 2, 0, 0},  // 2^31 does not fit
      {INT32_MAX, 0, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(PaddedWidth(c.width), c.padded) << c.width;
    LineBitmap bitmap;
    bitmap.paddedWidth = PaddedWidth(c.width);
    EXPECT_EQ(bitmap.stride(), c.stride) << c.width;
  }
}

TEST(LineBitmapTest, RowsKeepImageOrderAndPaddingIsNeverWritten) {
  ScopedAllocator sentinel(AllocateSentinel);
  const PageLine line = ModelLine(0, 0, 5, 3, [](int i, int j) { return 10 * i + j; });
  LineBitmap bitmap;
  ASSERT_TRUE(BuildLineBitmap(line, bitmap));
  ASSERT_EQ(bitmap.pixels.size(), 72u);
  EXPECT_EQ(bitmap.stride(), 24);
  EXPECT_TRUE((PixelRect{0, 0, 5, 3}.Contains(bitmap.filled)));
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 8; ++j) {
      for (int b = 0; b < 3; ++b) {
        EXPECT_EQ(bitmap.pixels.data()[i * 24 + j * 3 + b], j < 5 ? 10 * i + j : kSentinel)
            << "row " << i << " pixel " << j << " byte " << b;
      }
    }
  }
}

TEST(LineBitmapTest, WindowedBuildWritesOnlyTheWindow) {
  ScopedAllocator sentinel(AllocateSentinel);
  // Nine columns: rows are written four pixels at a time and then one by one, so the windows
  // start and end at every offset of that grouping.
  const PageLine line = ModelLine(0, 0, 9, 4, [](int i, int j) { return 1 + 16 * i + j; });
  struct Case {
    PixelRect window, filled;
  };
  const Case cases[] = {
      {{2, 1, 12, 3}, {2, 1, 9, 3}},  // cut to the image
      {{0, 0, 9, 4}, {0, 0, 9, 4}},  {{1, 0, 8, 4}, {1, 0, 8, 4}},   {{3, 2, 7, 3}, {3, 2, 7, 3}},
      {{5, 0, 6, 4}, {5, 0, 6, 4}},  {{-4, -1, 3, 1}, {0, 0, 3, 1}},
  };
  for (const Case& c : cases) {
    LineBitmap bitmap;
    ASSERT_TRUE(BuildLineBitmap(line, bitmap, c.window));
    EXPECT_EQ(
        std::tie(bitmap.filled.left, bitmap.filled.top, bitmap.filled.right, bitmap.filled.bottom),
        std::tie(c.filled.left, c.filled.top, c.filled.right, c.filled.bottom));
    EXPECT_EQ(bitmap.pixels.size(), 4u * 36u);  // the buffer keeps the whole line's shape
    for (int i = 0; i < 4; ++i) {
      for (int j = 0; j < 12; ++j) {
        const bool inWindow =
            i >= c.filled.top && i < c.filled.bottom && j >= c.filled.left && j < c.filled.right;
        for (int b = 0; b < 3; ++b) {
          EXPECT_EQ(bitmap.pixels.data()[i * 36 + j * 3 + b], inWindow ? 1 + 16 * i + j : kSentinel)
              << "window from " << c.window.left << "," << c.window.top << ": " << i << "," << j;
        }
      }
    }
  }
}

bool gAllocatorCalled = false;
bool AllocateNoted(std::size_t size, ByteBuffer& out) {
  gAllocatorCalled = true;
  return ByteBuffer::Allocate(size, out);
}

TEST(LineBitmapTest, EmptyOversizedAndUnallocatableLines) {
  struct Case {
    const char* name;
    PageLine line;
    LineBufferAllocator allocator;
    bool built, allocates;
  };
  PageLine shortOfPixels = ModelLine(0, 0, 4, 4, [](int, int) { return 0; });
  shortOfPixels.height = 5;
  PageLine oversized;  // 3 GB of bitmap: beyond a 32-bit size
  oversized.width = 100000;
  oversized.height = 10000;
  PageLine widest;
  widest.width = INT32_MAX;
  widest.height = 1;
  Case cases[] = {
      {"zero width", ModelLine(0, 0, 0, 3, nullptr), AllocateNoted, true, false},
      {"zero height", ModelLine(0, 0, 3, 0, nullptr), AllocateNoted, true, false},
      {"negative height", ModelLine(0, 0, 3, -2, nullptr), AllocateNoted, true, false},
      {"short of pixels", std::move(shortOfPixels), AllocateNoted, true, false},
      {"oversized", std::move(oversized), AllocateNoted, false, false},
      {"unpaddable width", std::move(widest), AllocateNoted, false, false},
      {"allocation fails", ModelLine(0, 0, 2, 2, [](int, int) { return 0; }), AllocateNothing,
       false, false},
  };
  for (Case& c : cases) {
    ScopedAllocator scoped(c.allocator);
    gAllocatorCalled = false;
    LineBitmap bitmap;
    EXPECT_EQ(BuildLineBitmap(c.line, bitmap), c.built) << c.name;
    EXPECT_EQ(gAllocatorCalled, c.allocates) << c.name;
    EXPECT_TRUE(bitmap.pixels.empty()) << c.name;
  }
}

}  // namespace
