// The pass on a viewport, which builds and draws only what meets its clip, gives exactly the
// pixels that a pass over the whole page gives there.
#include <algorithm>
#include <random>

#include "pageview/DrawingSupport.h"
#include "platform/Scale.h"

namespace {

// Everything a random page can draw at the zooms used lands in this logical region.
constexpr PixelRect kRegion{-80, -80, 700, 600};

std::string RandomLabel(std::mt19937& random) {
  static const std::string kPieces[] = {"a", "Zy", "12", "\xD6\xD0", "\xCE\xC4", "\xFF", " "};
  std::string label;
  const int pieces = static_cast<int>(random() % 5);
  for (int i = 0; i < pieces; ++i) label += kPieces[random() % std::size(kPieces)];
  return label;
}

std::vector<PageLine> RandomLines(std::mt19937& random) {
  std::vector<PageLine> lines;
  const int count = 1 + static_cast<int>(random() % 12);
  for (int i = 0; i < count; ++i) {
    const int left = static_cast<int>(random() % 360) - 40;
    const int top = static_cast<int>(random() % 300) - 40;
    const int width = static_cast<int>(random() % 90);
    const int height = static_cast<int>(random() % 70);
    const unsigned seed = random();
    lines.push_back(Line(
        left, top, width, height,
        [seed](int row, int column) {
          const unsigned h = (seed ^ (row * 7919u) ^ (column * 104729u)) * 2654435761u;
          return (h >> 24) < 40 ? 0 : static_cast<int>((h >> 8) | 0x40);  // dark strokes, greys
        },
        RandomLabel(random)));
  }
  return lines;
}

TEST_F(DrawingTest, ViewportPassEqualsTheSameRegionOfTheWholePage) {
  std::mt19937 random(20240611);
  const char* const kZooms[] = {"", "+", "-", "--", "---", "+-", "++", "-+-"};
  for (int round = 0; round < 150; ++round) {
    CPLIMDispView fresh(&document);
    fresh.AdoptPage(PageHeader{}, Body(400, 300, RandomLines(random)));
    const char* zoomKeys = kZooms[random() % std::size(kZooms)];
    for (const char* key = zoomKeys; *key != 0; ++key) fresh.OnChar(*key, 1, 0);

    Page whole(kRegion.right - kRegion.left, kRegion.bottom - kRegion.top, kRegion.left,
               kRegion.top);
    {
      CDC dc(whole.canvas);
      dc.SetWindowOrg(whole.originX, whole.originY);
      ASSERT_TRUE(fresh.DrawPage(&dc));
    }

    const int width = 1 + static_cast<int>(random() % 240);
    const int height = 1 + static_cast<int>(random() % 180);
    // Two thirds of the viewports put their top-left or bottom-right corner near a line's
    // scaled corner, where the image and its label's cell are cut.
    int x = kRegion.left + static_cast<int>(random() % (kRegion.right - kRegion.left - width));
    int y = kRegion.top + static_cast<int>(random() % (kRegion.bottom - kRegion.top - height));
    if (const unsigned anchor = random() % 3; anchor != 0) {
      const PageLine& line = fresh.lines()[random() % static_cast<unsigned>(fresh.lineCount())];
      const int farSide = anchor == 2 ? 1 : 0;
      x = ScaleToDevice(line.left, fresh.zoom()) + static_cast<int>(random() % 41) - 20 -
          farSide * width;
      y = ScaleToDevice(line.top, fresh.zoom()) + static_cast<int>(random() % 41) - 20 -
          farSide * height;
      x = std::clamp(x, kRegion.left, kRegion.right - width);
      y = std::clamp(y, kRegion.top, kRegion.bottom - height);
    }
    Page viewport(width, height, x, y);
    const int clipLeft = static_cast<int>(random() % width);
    const int clipTop = static_cast<int>(random() % height);
    const PixelRect clip =
        random() % 2 == 0
            ? PixelRect{0, 0, width, height}
            : PixelRect{clipLeft, clipTop,
                        clipLeft + 1 + static_cast<int>(random() % (width - clipLeft)),
                        clipTop + 1 + static_cast<int>(random() % (height - clipTop))};
    {
      CDC dc(viewport.canvas);
      dc.SetWindowOrg(x, y);
      dc.SetClipRect(clip);
      ASSERT_TRUE(fresh.DrawPage(&dc));
    }

    int mismatches = 0;
    for (int row = 0; row < height; ++row) {
      for (int column = 0; column < width; ++column) {
        const bool inClip =
            column >= clip.left && column < clip.right && row >= clip.top && row < clip.bottom;
        const std::uint32_t expected = inClip ? whole.At(x + column, y + row) : kWhite;
        mismatches += viewport.canvas.Rgb(column, row) != expected;
      }
    }
    ASSERT_EQ(mismatches, 0) << "round " << round << ", zoom keys '" << zoomKeys << "', viewport "
                             << width << "x" << height << " at " << x << "," << y;
  }
}

}  // namespace
