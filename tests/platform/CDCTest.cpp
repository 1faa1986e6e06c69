#include "platform/system/CDC.h"

#include <gtest/gtest.h>

#include <QFontInfo>
#include <QFontMetrics>
#include <QGuiApplication>
#include <cmath>

#include "platform/system/CFont.h"
#include "platform/text/QtLabelText.h"

namespace {

constexpr std::uint32_t kWhite = 0x00FFFFFF;
constexpr std::uint32_t kGrey = 0x00404040;
constexpr COLORREF kBlue = 0x00FF0000;

class CDCTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (QGuiApplication::instance() == nullptr) {
      static int argc = 1;
      static char name[] = "platform_drawing_tests";
      static char* argv[] = {name, nullptr};
      new QGuiApplication(argc, argv);  // lives for the whole test program
    }
    InstallQtLabelText();
  }

  void SetUp() override {
    ASSERT_EQ(canvas.Allocate(120, 60), CanvasError::kNone);
    canvas.Fill(kGrey);
  }

  static bool CreateLabelFont(CFont& font) {
    return font.CreateFontW(16, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                            CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS,
                            L"宋体");
  }

  static bool BlueIsh(std::uint32_t rgb) {
    const int r = (rgb >> 16) & 0xFF, g = (rgb >> 8) & 0xFF, b = rgb & 0xFF;
    return b >= 128 && r < b - 64 && g < b - 64;
  }

  // The pixels that differ from the grey fill.
  PixelRect ChangedArea() const {
    PixelRect area{canvas.width(), canvas.height(), 0, 0};
    for (std::int32_t y = 0; y < canvas.height(); ++y) {
      for (std::int32_t x = 0; x < canvas.width(); ++x) {
        if (canvas.Rgb(x, y) == kGrey) continue;
        area.left = std::min(area.left, x);
        area.top = std::min(area.top, y);
        area.right = std::max(area.right, x + 1);
        area.bottom = std::max(area.bottom, y + 1);
      }
    }
    return area.Empty() ? PixelRect{} : area;
  }

  Canvas canvas;
};

TEST_F(CDCTest, LabelFontHasASixteenPixelCellThatShowsChinese) {
  CFont font;
  ASSERT_TRUE(CreateLabelFont(font));
  EXPECT_EQ(font.CellHeight(), 16);
  const QFontMetrics metrics(QtFontOf(*font.Font()));
  EXPECT_LE(metrics.ascent() + metrics.descent(), 16);
  EXPECT_GE(metrics.ascent() + metrics.descent(), 12);  // not needlessly small
  EXPECT_TRUE(metrics.inFont(QChar(0x4E2D)));           // 中
}

TEST_F(CDCTest, LabelFaceIsAMingFaceWhoseGlyphsFillTheCell) {
  CFont font;
  ASSERT_TRUE(CreateLabelFont(font));
  EXPECT_EQ(QFontInfo(QtFontOf(*font.Font())).family(), QStringLiteral("AR PL UMing CN"));
  CDC dc(canvas);
  dc.SelectObject(&font);
  dc.SetTextColor(kBlue);
  ASSERT_TRUE(dc.TextOut(4, 20, L"测试文字", 4));
  PixelRect ink{canvas.width(), canvas.height(), 0, 0};
  for (std::int32_t y = 0; y < canvas.height(); ++y) {
    for (std::int32_t x = 0; x < canvas.width(); ++x) {
      if (!BlueIsh(canvas.Rgb(x, y))) continue;
      ink = {std::min(ink.left, x), std::min(ink.top, y), std::max(ink.right, x + 1),
             std::max(ink.bottom, y + 1)};
    }
  }
  EXPECT_GE(ink.bottom - ink.top, 14) << "glyphs fill the 16-pixel cell";
  EXPECT_GE(ink.right - ink.left, 56);
  EXPECT_LE(ink.bottom, 36);
}

TEST_F(CDCTest, PreviewScaleShrinksOrEnlargesTheCellAndItsGlyphs) {
  CFont font;
  ASSERT_TRUE(CreateLabelFont(font));
  const wchar_t text[] = L"中文";
  const int advance =
      QFontMetrics(QtFontOf(*font.Font())).horizontalAdvance(QString::fromWCharArray(text));
  for (const float scale : {0.5f, 2.0f}) {
    canvas.Fill(kGrey);
    CDC dc(canvas);
    dc.SelectObject(&font);
    dc.SetPreviewScale(scale);
    ASSERT_TRUE(dc.TextOut(15, 10, text, 2));
    EXPECT_EQ(ChangedArea(), (PixelRect{15, 10, 15 + static_cast<int>(std::lround(advance * scale)),
                                        10 + static_cast<int>(16 * scale)}))
        << scale;
  }
}

TEST_F(CDCTest, TextOutFillsAWhiteCellAndDrawsBlueGlyphsAtItsCorner) {
  CFont font;
  ASSERT_TRUE(CreateLabelFont(font));
  CDC dc(canvas);
  EXPECT_EQ(dc.SelectObject(&font), nullptr);
  dc.SetTextColor(kBlue);
  const wchar_t text[] = L"中文";
  const int advance =
      QFontMetrics(QtFontOf(*font.Font())).horizontalAdvance(QString::fromWCharArray(text));
  ASSERT_GT(advance, 0);
  ASSERT_TRUE(dc.TextOut(15, 30, text, 2));

  const PixelRect changed = ChangedArea();
  EXPECT_EQ(changed.left, 15);
  EXPECT_EQ(changed.top, 30);
  EXPECT_EQ(changed.right, 15 + advance);
  EXPECT_EQ(changed.bottom, 46);
  int blue = 0;
  for (std::int32_t y = 30; y < 46; ++y) {
    for (std::int32_t x = 15; x < 15 + advance; ++x) {
      const std::uint32_t rgb = canvas.Rgb(x, y);
      EXPECT_NE(rgb, kGrey) << "the cell must hide what lies under it at " << x << "," << y;
      blue += BlueIsh(rgb);
    }
  }
  EXPECT_GT(blue, 20);
  EXPECT_EQ(canvas.Rgb(15, 30), kWhite);  // the corner of a CJK cell is background
}

TEST_F(CDCTest, TextOutFollowsOriginAndClipAndSkipsEmptyText) {
  CFont font;
  ASSERT_TRUE(CreateLabelFont(font));
  struct Case {
    const char* name;
    std::int32_t originX, originY;
    PixelRect clip;
    int x, y, length;
    PixelRect expected;  // changed area; empty when nothing is drawn
  };
  const int a =
      QFontMetrics(QtFontOf(*font.Font())).horizontalAdvance(QString::fromWCharArray(L"  "));
  const Case cases[] = {
      {"plain", 0, 0, {0, 0, 120, 60}, 4, 6, 2, {4, 6, 4 + a, 22}},
      {"origin", 100, -20, {0, 0, 120, 60}, 104, -14, 2, {4, 6, 4 + a, 22}},
      {"clipped", 0, 0, {6, 10, 8, 12}, 4, 6, 2, {6, 10, 8, 12}},
      {"off canvas", 0, 0, {0, 0, 120, 60}, -2000000000, 6, 2, {}},
      {"far origin", -2147483647 - 1, 0, {0, 0, 120, 60}, 2147483647, 6, 2, {}},
      {"empty", 0, 0, {0, 0, 120, 60}, 4, 6, 0, {}},
      {"negative length", 0, 0, {0, 0, 120, 60}, 4, 6, -1, {}},
  };
  for (const Case& c : cases) {
    canvas.Fill(kGrey);
    CDC dc(canvas);
    dc.SelectObject(&font);
    dc.SetWindowOrg(c.originX, c.originY);
    dc.SetClipRect(c.clip);
    EXPECT_TRUE(dc.TextOut(c.x, c.y, L"  ", c.length)) << c.name;
    const PixelRect changed = ChangedArea();
    EXPECT_EQ(std::tie(changed.left, changed.top, changed.right, changed.bottom),
              std::tie(c.expected.left, c.expected.top, c.expected.right, c.expected.bottom))
        << c.name;
    // Spaces leave a plain white cell.
    if (!changed.Empty()) {
      EXPECT_EQ(canvas.Rgb(changed.left, changed.top), kWhite) << c.name;
    }
  }
}

TEST_F(CDCTest, StateSettersReturnThePreviousValue) {
  CDC dc(canvas);
  CFont first, second;
  EXPECT_EQ(dc.SelectObject(&first), nullptr);
  EXPECT_EQ(dc.SelectObject(&second), &first);
  EXPECT_EQ(dc.SelectObject(nullptr), &second);
  EXPECT_EQ(dc.SetTextColor(kBlue), 0u);
  EXPECT_EQ(dc.SetTextColor(0x000000FF), kBlue);
  EXPECT_EQ(dc.SetMapMode(MM_TEXT), MM_TEXT);
  EXPECT_EQ(dc.SetMapMode(8), 0);
  dc.SetClipRect({-5, 10, 500, 5});
  EXPECT_EQ(dc.GetClipRect().left, 0);
  EXPECT_EQ(dc.GetClipRect().right, 120);
  EXPECT_TRUE(dc.GetClipRect().Empty());
}

TEST_F(CDCTest, StretchDIBitsDrawsThroughOriginAndClip) {
  BITMAPINFOHEADER header{};
  header.biSize = sizeof header;
  header.biWidth = 4;
  header.biHeight = 1;
  header.biPlanes = 1;
  header.biBitCount = 24;
  const std::uint8_t bits[12] = {};  // four black pixels
  CDC dc(canvas);
  dc.SetWindowOrg(10, 10);
  dc.SetClipRect({0, 0, 2, 60});
  EXPECT_EQ(dc.StretchDIBits(10, 11, 4, -1, 0, 0, 4, 1, bits, &header, DIB_RGB_COLORS, SRCAND), 1);
  EXPECT_EQ(ChangedArea().left, 0);
  EXPECT_EQ(ChangedArea().right, 2);
  EXPECT_EQ(canvas.Rgb(1, 0), 0u);
}

}  // namespace
