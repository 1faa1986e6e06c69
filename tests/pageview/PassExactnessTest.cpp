// The pass on a viewport, which builds and draws only what meets its clip, gives exactly the
// pixels that a pass over the whole page gives there, and the pixels of a plain pass that
// computes every destination pixel from the line images directly.
#include <algorithm>
#include <random>

#include "pageview/PassSupport.h"
#include "platform/canvas/Scale.h"
#include "platform/system/CFont.h"
#include "platform/system/CodePage.h"
#include "raster/DrawLineBitmap.h"
#include "support/RowSharing.h"

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
    lines.push_back(ModelLine(
        left, top, width, height,
        [seed](int row, int column) {
          const unsigned h = (seed ^ (row * 7919u) ^ (column * 104729u)) * 2654435761u;
          return (h >> 24) < 40 ? 0 : static_cast<int>((h >> 8) | 0x40);  // dark strokes, greys
        },
        RandomLabel(random)));
  }
  return lines;
}

TEST(PassExactnessTest, ViewportPassEqualsTheSameRegionOfTheWholePage) {
  PassApplication();
  std::mt19937 random(20240611);
  const char* const kZooms[] = {"", "+", "-", "--", "---", "+-", "++", "-+-"};
  for (int round = 0; round < 150; ++round) {
    const ScopedRowSharing sharing(round % 2 == 0);
    const PageBody body = Body(400, 300, RandomLines(random));
    const char* zoomKeys = kZooms[random() % std::size(kZooms)];
    const float zoom = ZoomAfter(zoomKeys);

    Page whole(kRegion.right - kRegion.left, kRegion.bottom - kRegion.top, kRegion.left,
               kRegion.top);
    ASSERT_TRUE(whole.Draw(body, zoom));

    const int width = 1 + static_cast<int>(random() % 240);
    const int height = 1 + static_cast<int>(random() % 180);
    // Two thirds of the viewports put their top-left or bottom-right corner near a line's
    // scaled corner, where the image and its label's cell are cut.
    int x = kRegion.left + static_cast<int>(random() % (kRegion.right - kRegion.left - width));
    int y = kRegion.top + static_cast<int>(random() % (kRegion.bottom - kRegion.top - height));
    if (const unsigned anchor = random() % 3; anchor != 0) {
      const PageLine& line = body.lines[random() % static_cast<unsigned>(body.lineCount)];
      const int farSide = anchor == 2 ? 1 : 0;
      x = ScaleToDevice(line.left, zoom) + static_cast<int>(random() % 41) - 20 - farSide * width;
      y = ScaleToDevice(line.top, zoom) + static_cast<int>(random() % 41) - 20 - farSide * height;
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
    ASSERT_TRUE(viewport.Draw(body, zoom, clip));

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

// ANDs the image of `line` at `zoom` onto the clipped canvas of `dc`, one destination pixel at
// a time: pixel k of a destination D long over a source S long merges the source pixels
// [k*S/D, max(k*S/D + 1, (k+1)*S/D)), counted from the top-left corner of the upright image.
void PlainLineImage(CDC& dc, const PageLine& line, float zoom) {
  if (line.width <= 0 || line.height <= 0) return;
  const LineDest dest = LineDestination(line, zoom);
  const std::int64_t width = std::abs(std::int64_t{dest.width});
  const std::int64_t height = std::abs(std::int64_t{dest.height});
  const std::int64_t left = dest.width > 0 ? dest.x : std::int64_t{dest.x} + dest.width;
  const std::int64_t top = dest.height > 0 ? dest.y : std::int64_t{dest.y} + dest.height;
  const ClippedCanvas& target = dc.Target();
  for (std::int32_t py = target.clip.top; py < target.clip.bottom; ++py) {
    for (std::int32_t px = target.clip.left; px < target.clip.right; ++px) {
      std::int64_t kx = px + target.originX - left, ky = py + target.originY - top;
      if (kx < 0 || kx >= width || ky < 0 || ky >= height) continue;
      if (dest.width < 0) kx = width - 1 - kx;
      if (dest.height > 0) ky = height - 1 - ky;  // an upward destination shows row 0 on top
      std::uint32_t merged = 0xFFFFFFFF;
      const std::int64_t row0 = ky * line.height / height, col0 = kx * line.width / width;
      for (std::int64_t i = row0; i < std::max(row0 + 1, (ky + 1) * line.height / height); ++i) {
        for (std::int64_t j = col0; j < std::max(col0 + 1, (kx + 1) * line.width / width); ++j) {
          merged &= 0xFF000000u | line.pixels.data()[i * line.width + j] * 0x010101u;
        }
      }
      target.canvas->Row(py)[px] &= merged;
    }
  }
}

// The pass without culling or partial bitmaps: each line's image, then its label.
void PlainPass(CDC& dc, const PageBody& body, float zoom) {
  CFont font;
  font.CreateFontW(16, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                   CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, L"宋体");
  dc.SelectObject(&font);
  for (std::int32_t i = 0; i < body.lineCount; ++i) {
    const PageLine& line = body.lines[static_cast<std::size_t>(i)];
    PlainLineImage(dc, line, zoom);
    dc.SetTextColor(0x00FF0000);
    const std::wstring text =
        DecodeMultiByte(reinterpret_cast<const char*>(line.label.data())).value_or(L"");
    dc.TextOut(ScaleToDevice(line.left, zoom), ScaleToDevice(line.top, zoom), text.c_str(),
               static_cast<int>(text.size()));
  }
  dc.SelectObject(nullptr);
}

TEST(PassExactnessTest, PassEqualsPlainPerPixelPass) {
  PassApplication();
  std::mt19937 random(7151);
  // Stretching, one to one and shrinking zooms, down to 0.343 and 0.2401.
  const char* const kZooms[] = {"", "+", "++", "-", "--", "---", "----", "+-"};
  for (int round = 0; round < 120; ++round) {
    const ScopedRowSharing sharing(round / 8 % 2 == 0);  // every zoom both ways
    const PageBody body = Body(400, 300, RandomLines(random));
    const char* zoomKeys = kZooms[round % std::size(kZooms)];
    const float zoom = ZoomAfter(zoomKeys);

    // A viewport that cuts lines on every side, clipped to a part of itself half the time.
    const int width = 1 + static_cast<int>(random() % 200);
    const int height = 1 + static_cast<int>(random() % 160);
    const int x = static_cast<int>(random() % 420) - 100;
    const int y = static_cast<int>(random() % 360) - 100;
    PixelRect clip{0, 0, width, height};
    if (random() % 2 == 0) {
      clip.left = static_cast<int>(random() % width);
      clip.top = static_cast<int>(random() % height);
      clip.right = clip.left + 1 + static_cast<int>(random() % (width - clip.left));
      clip.bottom = clip.top + 1 + static_cast<int>(random() % (height - clip.top));
    }
    Page fast(width, height, x, y), plain(width, height, x, y);
    ASSERT_TRUE(fast.Draw(body, zoom, clip));
    {
      CDC dc(plain.canvas);
      dc.SetWindowOrg(x, y);
      dc.SetClipRect(clip);
      PlainPass(dc, body, zoom);
    }
    int mismatches = 0;
    for (int row = 0; row < height; ++row) {
      for (int column = 0; column < width; ++column) {
        mismatches += fast.canvas.Rgb(column, row) != plain.canvas.Rgb(column, row);
      }
    }
    ASSERT_EQ(mismatches, 0) << "round " << round << ", zoom keys '" << zoomKeys << "', viewport "
                             << width << "x" << height << " at " << x << "," << y;
  }
}

}  // namespace
