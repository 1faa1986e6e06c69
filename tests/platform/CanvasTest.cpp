#include "platform/canvas/Canvas.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

TEST(CanvasTest, AllocateChecksSizesBeforeAllocating) {
  struct Case {
    std::int32_t width, height;
    CanvasError expected;
  };
  const Case cases[] = {
      {3, 2, CanvasError::kNone},
      {0, 5, CanvasError::kNone},
      {-1, 1, CanvasError::kNegativeSize},
      {1, -1, CanvasError::kNegativeSize},
      {Canvas::kMaxSide + 1, 1, CanvasError::kTooLarge},
      {1, Canvas::kMaxSide + 1, CanvasError::kTooLarge},
      // Each side is allowed but the product exceeds the pixel limit (and would overflow int32).
      {Canvas::kMaxSide, Canvas::kMaxSide, CanvasError::kTooLarge},
  };
  for (const Case& c : cases) {
    Canvas canvas;
    EXPECT_EQ(canvas.Allocate(c.width, c.height), c.expected) << c.width << "x" << c.height;
    if (c.expected != CanvasError::kNone) {
      EXPECT_TRUE(canvas.empty());
      EXPECT_EQ(canvas.width(), 0);
    }
    EXPECT_NE(std::strlen(CanvasErrorMessage(c.expected)), 0u);
  }
}

TEST(CanvasTest, FillKeepsTheOpaqueByteAndStrideMatchesQtLayout) {
  Canvas canvas;
  ASSERT_EQ(canvas.Allocate(3, 2), CanvasError::kNone);
  EXPECT_EQ(canvas.strideBytes(), 12);
  canvas.Fill(0x00123456);
  EXPECT_EQ(canvas.Row(1)[2], 0xFF123456u);
  EXPECT_EQ(canvas.Rgb(2, 1), 0x00123456u);
  canvas.FillWhite();
  EXPECT_EQ(canvas.Rgb(0, 0), 0x00FFFFFFu);
  EXPECT_EQ(reinterpret_cast<std::uint32_t*>(canvas.bytes() + 12), canvas.Row(1));
}

}  // namespace
