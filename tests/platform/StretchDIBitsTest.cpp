#include "platform/canvas/StretchDIBits.h"
#include "support/RowSharing.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <random>
#include <vector>

namespace {

constexpr std::uint32_t kWhite = 0x00FFFFFF;

// A 24-bit bottom-up bitmap. `rows` lists buffer rows (the first is the bottom row as the
// bitmap declares it) of grey values; stride padding is filled with 0 so that reading it shows.
struct GreyDib {
  BITMAPINFOHEADER header{};
  std::vector<std::uint8_t> bits;

  GreyDib(std::int32_t width, std::int32_t height) {
    header.biSize = sizeof(BITMAPINFOHEADER);
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = BI_RGB;
    bits.assign(static_cast<std::size_t>(Dib24Stride(width) * height), 0);
  }
  explicit GreyDib(const std::vector<std::vector<std::uint8_t>>& rows)
      : GreyDib(static_cast<std::int32_t>(rows[0].size()), static_cast<std::int32_t>(rows.size())) {
    for (std::size_t r = 0; r < rows.size(); ++r) {
      for (std::size_t c = 0; c < rows[r].size(); ++c) SetRgb(r, c, rows[r][c] * 0x010101u);
    }
  }
  void SetRgb(std::size_t row, std::size_t col, std::uint32_t rgb) {
    std::uint8_t* p = &bits[row * Dib24Stride(header.biWidth) + col * 3];
    p[0] = rgb & 0xFF;
    p[1] = (rgb >> 8) & 0xFF;
    p[2] = (rgb >> 16) & 0xFF;
  }
  std::uint32_t Rgb(std::int64_t row, std::int64_t col) const {
    const std::uint8_t* p = &bits[row * Dib24Stride(header.biWidth) + col * 3];
    return std::uint32_t{p[2]} << 16 | std::uint32_t{p[1]} << 8 | p[0];
  }
};

struct Target {
  Canvas canvas;
  ClippedCanvas target;
  Target(std::int32_t width, std::int32_t height, std::uint32_t fill = kWhite) {
    EXPECT_EQ(canvas.Allocate(width, height), CanvasError::kNone);
    canvas.Fill(fill);
    target.canvas = &canvas;
    target.clip = {0, 0, width, height};
  }
  // The canvas as rows of 0x00RRGGBB, to compare whole pictures.
  std::vector<std::vector<std::uint32_t>> Picture() const {
    std::vector<std::vector<std::uint32_t>> rows(canvas.height());
    for (std::int32_t y = 0; y < canvas.height(); ++y) {
      for (std::int32_t x = 0; x < canvas.width(); ++x) rows[y].push_back(canvas.Rgb(x, y));
    }
    return rows;
  }
};

int Draw(Target& t, const GreyDib& dib, std::int32_t x, std::int32_t y, std::int32_t w,
         std::int32_t h, std::int32_t xs, std::int32_t ys, std::int32_t ws, std::int32_t hs) {
  return StretchDIBits(t.target, x, y, w, h, xs, ys, ws, hs, dib.bits.data(), &dib.header,
                       DIB_RGB_COLORS, SRCAND);
}

using Grid = std::vector<std::vector<std::uint32_t>>;

// Greys (0..255) to canvas colours.
Grid Greys(const std::vector<std::vector<std::uint32_t>>& greys) {
  Grid out = greys;
  for (auto& row : out) {
    for (auto& v : row) v *= 0x010101u;
  }
  return out;
}

TEST(StretchDIBitsTest, OrientationScalingAndAnd) {
  // Buffer rows: the first in memory is [0, 10], the second [20, 30]; padding bytes are 0.
  const GreyDib dib({{0, 10}, {20, 30}});
  struct Case {
    const char* name;
    std::int32_t x, y, w, h;
    Grid expected;  // 3 x 4 canvas
  };
  const std::uint32_t W = 255;
  const Case cases[] = {
      // A negative height mirrors the bottom-up bitmap: its first row in memory is on top.
      {"mirrored", 0, 2, 2, -2, Greys({{0, 10, W}, {20, 30, W}, {W, W, W}, {W, W, W}})},
      {"upright", 0, 0, 2, 2, Greys({{20, 30, W}, {0, 10, W}, {W, W, W}, {W, W, W}})},
      {"mirrored horizontally", 3, 2, -2, -2,
       Greys({{W, 10, 0}, {W, 30, 20}, {W, W, W}, {W, W, W}})},
      // Stretching by 1.5 repeats pixels: columns 0,0,1 and rows 0,0,1.
      {"stretch", 0, 3, 3, -3, Greys({{0, 0, 10}, {0, 0, 10}, {20, 20, 30}, {W, W, W}})},
      // Shrinking to one pixel ANDs all four: 0.
      {"shrink", 1, 2, 1, -1, Greys({{W, W, W}, {W, 0, W}, {W, W, W}, {W, W, W}})},
  };
  for (const Case& c : cases) {
    Target t(3, 4);
    Draw(t, dib, c.x, c.y, c.w, c.h, 0, 0, 2, 2);
    EXPECT_EQ(t.Picture(), c.expected) << c.name;
  }
}

TEST(StretchDIBitsTest, AndsChannelsAndNeverDrawsPadding) {
  GreyDib dib(1, 1);
  dib.SetRgb(0, 0, 0x7F7F7F);
  Target t(2, 1, 0x808080);
  EXPECT_EQ(Draw(t, dib, 0, 1, 1, -1, 0, 0, 1, 1), 1);
  EXPECT_EQ(t.canvas.Rgb(0, 0), 0u);  // 0x80 AND 0x7F, not the darker of the two
  // The padded row holds a black padding pixel; a 1-pixel source must not reach it.
  EXPECT_EQ(t.canvas.Rgb(1, 0), 0x808080u);

  GreyDib colour(1, 1);
  colour.SetRgb(0, 0, 0x123456);
  Target blue(1, 1, 0x0000FF);
  Draw(blue, colour, 0, 1, 1, -1, 0, 0, 1, 1);
  EXPECT_EQ(blue.canvas.Rgb(0, 0), 0x000056u);
}

TEST(StretchDIBitsTest, ThinDarkRowSurvivesShrinking) {
  // Ten white rows with one black row; 0.7 x 0.7 leaves 7 x 7 pixels.
  for (std::int32_t blackRow = 0; blackRow < 10; ++blackRow) {
    GreyDib dib(10, 10);
    for (std::size_t r = 0; r < 10; ++r) {
      for (std::size_t c = 0; c < 10; ++c)
        dib.SetRgb(r, c, r == std::size_t(blackRow) ? 0 : kWhite);
    }
    Target t(7, 7);
    Draw(t, dib, 0, 7, 7, -7, 0, 0, 10, 10);
    int blackRows = 0;
    for (std::int32_t y = 0; y < 7; ++y) {
      bool black = true;
      for (std::int32_t x = 0; x < 7; ++x) black = black && t.canvas.Rgb(x, y) == 0;
      blackRows += black;
    }
    EXPECT_EQ(blackRows, 1) << "black row " << blackRow;
  }
}

TEST(StretchDIBitsTest, DrawsNothingForEmptyOrInvalidTransfers) {
  GreyDib dib({{0, 0}, {0, 0}});
  BITMAPINFOHEADER bad8 = dib.header;
  bad8.biBitCount = 8;
  BITMAPINFOHEADER topDown = dib.header;
  topDown.biHeight = -2;
  struct Case {
    const char* name;
    std::int32_t x, y, w, h, xs, ys, ws, hs;
    const BITMAPINFOHEADER* header;
    std::uint32_t rop;
  };
  const Case cases[] = {
      {"zero width", 0, 2, 0, -2, 0, 0, 2, 2, &dib.header, SRCAND},
      {"zero height", 0, 2, 2, 0, 0, 0, 2, 2, &dib.header, SRCAND},
      {"zero source", 0, 2, 2, -2, 0, 0, 0, 2, &dib.header, SRCAND},
      {"negative source", 0, 2, 2, -2, 0, 0, 2, -2, &dib.header, SRCAND},
      {"source beyond bitmap", 0, 2, 2, -2, 1, 0, 2, 2, &dib.header, SRCAND},
      {"source below bitmap", 0, 2, 2, -2, 0, -1, 2, 2, &dib.header, SRCAND},
      {"8-bit header", 0, 2, 2, -2, 0, 0, 2, 2, &bad8, SRCAND},
      {"top-down header", 0, 2, 2, -2, 0, 0, 2, 2, &topDown, SRCAND},
      {"no header", 0, 2, 2, -2, 0, 0, 2, 2, nullptr, SRCAND},
      {"other raster operation", 0, 2, 2, -2, 0, 0, 2, 2, &dib.header, 0x00CC0020},
      {"off the canvas", 5, 2, 2, -2, 0, 0, 2, 2, &dib.header, SRCAND},
  };
  for (const Case& c : cases) {
    Target t(4, 4);
    EXPECT_EQ(StretchDIBits(t.target, c.x, c.y, c.w, c.h, c.xs, c.ys, c.ws, c.hs, dib.bits.data(),
                            c.header, DIB_RGB_COLORS, c.rop),
              0)
        << c.name;
    EXPECT_EQ(t.Picture(), Target(4, 4).Picture()) << c.name;
  }
}

// The transfer written plainly: for every canvas pixel inside the clip and the destination,
// AND together every source pixel of its spans.
void ReferenceStretch(Canvas& canvas, std::int32_t originX, std::int32_t originY,
                      const PixelRect& clip, std::int64_t x, std::int64_t y, std::int64_t w,
                      std::int64_t h, std::int64_t xs, std::int64_t ys, std::int64_t ws,
                      std::int64_t hs, const GreyDib& dib) {
  const std::int64_t left = w > 0 ? x : x + w, width = w > 0 ? w : -w;
  const std::int64_t top = h > 0 ? y : y + h, height = h > 0 ? h : -h;
  for (std::int64_t py = std::max(clip.top, 0); py < std::min(clip.bottom, canvas.height()); ++py) {
    for (std::int64_t px = std::max(clip.left, 0); px < std::min(clip.right, canvas.width());
         ++px) {
      std::int64_t kx = px + originX - left, ky = py + originY - top;
      if (kx < 0 || kx >= width || ky < 0 || ky >= height) continue;
      if (w < 0) kx = width - 1 - kx;
      // Upright, the bottom-up bitmap's last buffer row is the top row.
      if (h > 0) ky = height - 1 - ky;
      std::uint32_t v = 0xFFFFFFFF;
      for (std::int64_t j = ky * hs / height;
           j < std::max(ky * hs / height + 1, (ky + 1) * hs / height); ++j) {
        for (std::int64_t i = kx * ws / width;
             i < std::max(kx * ws / width + 1, (kx + 1) * ws / width); ++i) {
          v &= dib.Rgb(ys + j, xs + i) | 0xFF000000;
        }
      }
      canvas.Row(static_cast<std::int32_t>(py))[px] &= v;
    }
  }
}

TEST(StretchDIBitsTest, MatchesPlainReferenceOverRandomTransfers) {
  std::mt19937 rng(20240611);
  auto uniform = [&](std::int32_t lo, std::int32_t hi) {
    return std::uniform_int_distribution<std::int32_t>(lo, hi)(rng);
  };
  for (int iteration = 0; iteration < 3000; ++iteration) {
    const ScopedRowSharing sharing(iteration % 2 == 0);
    GreyDib dib(uniform(1, 17), uniform(1, 17));
    for (auto& b : dib.bits) b = static_cast<std::uint8_t>(uniform(0, 255));
    const std::int32_t xs = uniform(0, dib.header.biWidth - 1);
    const std::int32_t ys = uniform(0, dib.header.biHeight - 1);
    const std::int32_t ws = uniform(1, dib.header.biWidth - xs);
    const std::int32_t hs = uniform(1, dib.header.biHeight - ys);
    std::int32_t w = uniform(-45, 45), h = uniform(-45, 45);
    if (w == 0) w = 1;
    if (h == 0) h = -1;
    const std::int32_t x = uniform(-30, 50), y = uniform(-30, 50);

    Target actual(24, 20, 0x00A5C3F0);
    actual.target.originX = uniform(-8, 8);
    actual.target.originY = uniform(-8, 8);
    const std::int32_t cl = uniform(0, 24), ct = uniform(0, 20);
    actual.target.clip = {cl, ct, uniform(cl, 24), uniform(ct, 20)};
    Target expected(24, 20, 0x00A5C3F0);
    ReferenceStretch(expected.canvas, actual.target.originX, actual.target.originY,
                     actual.target.clip, x, y, w, h, xs, ys, ws, hs, dib);

    StretchPlan plan;
    const bool planned = PlanStretch(actual.target, x, y, w, h, xs, ys, ws, hs, plan);
    const int rows = Draw(actual, dib, x, y, w, h, xs, ys, ws, hs);
    ASSERT_EQ(actual.Picture(), expected.Picture())
        << "iteration " << iteration << ": dest " << x << "," << y << "," << w << "," << h
        << " src " << xs << "," << ys << "," << ws << "," << hs;
    EXPECT_EQ(rows, planned ? plan.device.bottom - plan.device.top : 0);

    // The source window is exactly the union of the spans the transfer merges.
    if (planned) {
      const PixelRect window = plan.SourceWindow();
      EXPECT_TRUE((PixelRect{xs, ys, xs + ws, ys + hs}.Contains(window)));
      PixelRect spans{INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN};
      std::int64_t first, last;
      for (std::int32_t py = plan.device.top; py < plan.device.bottom; ++py) {
        plan.y.SourceSpan(py, first, last);
        spans.top = std::min<std::int32_t>(spans.top, first);
        spans.bottom = std::max<std::int32_t>(spans.bottom, last);
      }
      for (std::int32_t px = plan.device.left; px < plan.device.right; ++px) {
        plan.x.SourceSpan(px, first, last);
        spans.left = std::min<std::int32_t>(spans.left, first);
        spans.right = std::max<std::int32_t>(spans.right, last);
      }
      EXPECT_EQ(std::tie(window.left, window.top, window.right, window.bottom),
                std::tie(spans.left, spans.top, spans.right, spans.bottom));
    }
  }
}

TEST(StretchDIBitsTest, ExtremeCoordinatesStayClippedAndExact) {
  constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
  constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
  GreyDib dib({{0, 40, 80}, {120, 160, 200}});
  struct Case {
    std::int32_t x, y, w, h, originX, originY;
  };
  // Destinations billions of pixels wide: a cost proportional to the unclipped area would
  // never finish, and 32-bit arithmetic would wrap.
  const Case cases[] = {
      {0, 0, kMax, kMax, 0, 0},         {0, kMax, kMax, -kMax, 0, kMax - 8},
      {kMin, kMin, kMax, kMax, -8, -8}, {kMax, kMax, kMin, kMin, kMax - 8, kMax - 8},
      {kMax, 0, kMax, 5, 0, 0},         {kMin, 0, 5, kMin, kMin, kMin},
      {-4, 6, 16, kMin, 0, 0},
  };
  for (const Case& c : cases) {
    Target actual(8, 8);
    actual.target.originX = c.originX;
    actual.target.originY = c.originY;
    Target expected(8, 8);
    ReferenceStretch(expected.canvas, c.originX, c.originY, expected.target.clip, c.x, c.y, c.w,
                     c.h, 0, 0, 3, 2, dib);
    Draw(actual, dib, c.x, c.y, c.w, c.h, 0, 0, 3, 2);
    EXPECT_EQ(actual.Picture(), expected.Picture())
        << c.x << "," << c.y << "," << c.w << "," << c.h;
  }
}

TEST(StretchDIBitsTest, ClipOnEverySideAndClipOutsideTheCanvas) {
  GreyDib dib({{0, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 0}});
  struct Case {
    PixelRect clip;
    PixelRect black;  // expected black area; the rest stays white
  };
  const Case cases[] = {
      {{0, 0, 6, 6}, {1, 1, 5, 5}}, {{2, 0, 6, 6}, {2, 1, 5, 5}},     {{0, 3, 6, 6}, {1, 3, 5, 5}},
      {{0, 0, 4, 6}, {1, 1, 4, 5}}, {{0, 0, 6, 2}, {1, 1, 5, 2}},     {{2, 2, 3, 3}, {2, 2, 3, 3}},
      {{5, 5, 6, 6}, {0, 0, 0, 0}}, {{-9, -9, 99, 99}, {1, 1, 5, 5}}, {{4, 4, 2, 2}, {0, 0, 0, 0}},
  };
  for (const Case& c : cases) {
    Target t(6, 6);
    t.target.clip = c.clip;
    Draw(t, dib, 1, 5, 4, -4, 0, 0, 4, 4);
    for (std::int32_t y = 0; y < 6; ++y) {
      for (std::int32_t x = 0; x < 6; ++x) {
        const bool black =
            x >= c.black.left && x < c.black.right && y >= c.black.top && y < c.black.bottom;
        EXPECT_EQ(t.canvas.Rgb(x, y), black ? 0u : kWhite)
            << "clip " << c.clip.left << "," << c.clip.top << "," << c.clip.right << ","
            << c.clip.bottom << " at " << x << "," << y;
      }
    }
  }
}

TEST(StretchDIBitsTest, WindowOriginShiftsTheDestination) {
  const GreyDib dib(std::vector<std::vector<std::uint8_t>>{{0}});
  Target t(4, 4);
  t.target.originX = 100;
  t.target.originY = -50;
  Draw(t, dib, 102, -48, 1, -1, 0, 0, 1, 1);  // covers logical row -49
  EXPECT_EQ(t.canvas.Rgb(2, 1), 0u);
}

TEST(StretchDIBitsTest, LongRowsAtViewZoomsMatchPlainReference) {
  // Rows hundreds of pixels long at the view's zoom factors: each destination column's span is
  // stepped along the row, so an error would grow with the column.
  std::mt19937 rng(5309);
  auto uniform = [&](std::int32_t lo, std::int32_t hi) {
    return std::uniform_int_distribution<std::int32_t>(lo, hi)(rng);
  };
  const double kFactors[] = {1.0, 1.5, 2.25, 0.7, 0.49, 0.343, 0.2401};
  for (int iteration = 0; iteration < 120; ++iteration) {
    const ScopedRowSharing sharing(iteration % 2 == 0);
    GreyDib dib(uniform(200, 700), uniform(1, 4));
    for (auto& b : dib.bits) b = static_cast<std::uint8_t>(uniform(0, 255));
    const std::int32_t ws = dib.header.biWidth - uniform(0, 3);
    const double factor = kFactors[iteration % std::size(kFactors)];
    std::int32_t w = std::max(1, static_cast<std::int32_t>(ws * factor)) + uniform(-1, 1);
    if (w == 0) w = 1;
    if (iteration % 3 == 0) w = -w;  // mirrored
    const std::int32_t h = -uniform(1, 6);
    const std::int32_t x = uniform(-100, 100) + (w < 0 ? -w : 0), y = uniform(0, 10);

    Target actual(640, 12, 0x00F0C3A5);
    const std::int32_t cl = uniform(0, 200), ct = uniform(0, 4);
    actual.target.clip = {cl, ct, uniform(cl, 640), uniform(ct, 12)};
    Target expected(640, 12, 0x00F0C3A5);
    ReferenceStretch(expected.canvas, 0, 0, actual.target.clip, x, y, w, h, 0, 0, ws,
                     dib.header.biHeight, dib);
    Draw(actual, dib, x, y, w, h, 0, 0, ws, dib.header.biHeight);
    ASSERT_EQ(actual.Picture(), expected.Picture())
        << "iteration " << iteration << ": source " << ws << " wide to " << w;
  }
}

}  // namespace
