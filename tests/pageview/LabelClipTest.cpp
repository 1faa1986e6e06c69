// Labels are decoded and drawn only as far as the clip shows them; what shows is what drawing
// the whole label shows.
#include <gtest/gtest.h>

#include <string>

#include "pageview/PagePass.h"
#include "pageview/PassSupport.h"
#include "platform/system/CodePage.h"

namespace {

// `count` repetitions of a GBK text of two-byte and one-byte characters.
std::string LongLabel(std::size_t count) {
  std::string label;
  for (std::size_t i = 0; i < count; ++i) label += "\xD2\xB3\xC3\xE6 page ";
  return label;
}

TEST(LabelClipTest, ClippedLabelsDrawWhatWholeLabelsDraw) {
  PassApplication();
  const struct {
    const char* name;
    std::string label;
    std::int32_t left;       // the label's cell corner, page pixels
    std::int32_t originX;    // logical point on the canvas's left edge
    std::int32_t clipRight;  // the clip's right edge, canvas pixels
  } cases[] = {
      {"short label", "\xD2\xB3\xC3\xE6", 5, 0, 200},
      {"ends near the clip", LongLabel(4), 10, 0, 120},
      {"long label", LongLabel(5000), 10, 0, 200},
      {"starts left of the canvas", LongLabel(5000), 0, 300, 200},
      {"narrow clip", LongLabel(5000), 3, 0, 7},
      {"cut multibyte character", LongLabel(3000) + "\xD2", 10, 0, 150},
      {"invalid bytes", std::string(3000, '\xFF'), 10, 0, 150},
  };
  for (const auto& c : cases) {
    const PageBody body = Body(400, 60, [&] {
      std::vector<PageLine> lines;
      lines.push_back(ModelLine(c.left, 20, 0, 0, Solid(0), c.label));
      return lines;
    }());
    Canvas drawn, expected;
    ASSERT_EQ(drawn.Allocate(220, 60), CanvasError::kNone);
    ASSERT_EQ(expected.Allocate(220, 60), CanvasError::kNone);
    drawn.FillWhite();
    expected.FillWhite();
    CDC dc(drawn), whole(expected);
    for (CDC* context : {&dc, &whole}) {
      context->SetWindowOrg(c.originX, 0);
      context->SetClipRect({0, 0, c.clipRight, 60});
    }
    ASSERT_TRUE(DrawPagePass(dc, PageFrame{&body}).complete) << c.name;
    const std::wstring text = *DecodeMultiByte(c.label, kDefaultCodePage);
    whole.SelectTextStyle(kLabelStyle);
    whole.TextOut(c.left, 20, text.c_str(), static_cast<int>(text.size()));
    for (std::int32_t y = 0; y < 60; ++y) {
      for (std::int32_t x = 0; x < 220; ++x) {
        ASSERT_EQ(drawn.Rgb(x, y), expected.Rgb(x, y)) << c.name << " at " << x << ", " << y;
      }
    }
  }
}

}  // namespace
