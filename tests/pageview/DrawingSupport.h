#pragma once

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "pageview/CPLIMDispView.h"
#include "platform/PlatformUiScript.h"
#include "platform/canvas/Canvas.h"
#include "platform/framework/CDocument.h"
#include "platform/system/CDC.h"
#include "support/PageLines.h"

inline constexpr std::uint32_t kWhite = 0xFFFFFF;
inline constexpr std::uint32_t kBlack = 0x000000;

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
