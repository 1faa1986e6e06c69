#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "pageview/CPLIMDispView.h"
#include "platform/system/CDC.h"
#include "platform/framework/CDocument.h"
#include "platform/canvas/Canvas.h"
#include "platform/PlatformUiScript.h"

inline constexpr std::uint32_t kWhite = 0xFFFFFF;
inline constexpr std::uint32_t kBlack = 0x000000;

// A line of the page model whose pixel (row i, column j) is grey(i, j), labelled with the
// bytes of `label` (code page 936) and their terminating 0.
inline PageLine Line(std::int32_t left, std::int32_t top, std::int32_t width, std::int32_t height,
                     const std::function<int(int, int)>& grey, const std::string& label = "") {
  PageLine line;
  line.left = left;
  line.top = top;
  line.width = width;
  line.height = height;
  line.charCount = static_cast<std::int32_t>(label.size());
  EXPECT_TRUE(ByteBuffer::Allocate(label.size() + 1, line.label));
  std::memcpy(line.label.data(), label.c_str(), label.size() + 1);
  if (width > 0 && height > 0) {
    EXPECT_TRUE(ByteBuffer::Allocate(static_cast<std::size_t>(width) * height, line.pixels));
    for (int i = 0; i < height; ++i) {
      for (int j = 0; j < width; ++j) line.pixels.data()[i * width + j] = grey(i, j) & 0xFF;
    }
  }
  return line;
}

inline PageLine SolidLine(std::int32_t left, std::int32_t top, std::int32_t width,
                          std::int32_t height, int grey, const std::string& label = "") {
  return Line(
      left, top, width, height, [grey](int, int) { return grey; }, label);
}

// A page record and line table with the given extents and lines; lineCount is the number of
// lines unless given.
inline PageBody Body(std::int32_t pageWidth, std::int32_t pageHeight,
                     std::vector<PageLine> lines = {}, std::optional<std::int32_t> lineCount = {}) {
  PageBody body;
  body.pageWidth = pageWidth;
  body.pageHeight = pageHeight;
  body.lineCount = lineCount.value_or(static_cast<std::int32_t>(lines.size()));
  for (std::size_t i = 0; i < lines.size(); ++i) body.lines[i] = std::move(lines[i]);
  return body;
}

// A white canvas of width x height whose pixel (0, 0) shows logical point (originX, originY).
struct Page {
  Canvas canvas;
  std::int32_t originX = 0;
  std::int32_t originY = 0;

  Page(std::int32_t width, std::int32_t height, std::int32_t x = 0, std::int32_t y = 0)
      : originX(x), originY(y) {
    EXPECT_EQ(canvas.Allocate(width, height), CanvasError::kNone);
    canvas.FillWhite();
  }
  // The colour 0x00RRGGBB at logical point (x, y), which must lie on the canvas.
  std::uint32_t At(std::int32_t x, std::int32_t y) const {
    return canvas.Rgb(x - originX, y - originY);
  }
};

// A page view on a document with lines installed straight into its page model.
class DrawingTest : public ::testing::Test {
 protected:
  DrawingTest() { view.OnInitialUpdate(); }

  // Installs a page of the given extents and lines; lineCount is the number of lines unless
  // given.
  void Install(std::int32_t pageWidth, std::int32_t pageHeight, std::vector<PageLine> lines,
               std::optional<std::int32_t> lineCount = {}) {
    view.AdoptPage(PageHeader{}, Body(pageWidth, pageHeight, std::move(lines), lineCount));
  }

  void Keys(const std::string& keys) {
    for (const char key : keys) view.OnChar(static_cast<unsigned char>(key), 1, 0);
  }

  // Runs the drawing pass on `page`, optionally clipped to `clip` (canvas pixels).
  bool Draw(Page& page, std::optional<PixelRect> clip = {}) {
    CDC dc(page.canvas);
    dc.SetWindowOrg(page.originX, page.originY);
    if (clip) dc.SetClipRect(*clip);
    return view.DrawPage(&dc);
  }

  QApplication& app = TestApplication();
  CDocument document;
  CPLIMDispView view{&document};
};
