#include "platform/canvas/PixelRows.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ostream>
#include <random>
#include <span>
#include <string>
#include <vector>

#include "platform/canvas/StretchDIBits.h"

void PrintTo(const PixelRowKernels& kernels, std::ostream* out) { *out << kernels.name; }

// Every kernel set this processor runs against plain loops. Buffers are exactly as long as the
// kernels may read or write, so that a sanitised build reports any access past them.
namespace {

constexpr std::int32_t kCounts[] = {0,  1,  2,  3,  5,  6,  9,  10, 15,  16,
                                    17, 18, 31, 32, 33, 47, 48, 65, 100, 1023};

std::vector<std::uint8_t> RandomBytes(std::size_t count, std::mt19937& random) {
  std::vector<std::uint8_t> bytes(count);
  for (auto& b : bytes) b = static_cast<std::uint8_t>(random());
  return bytes;
}

std::vector<std::uint32_t> RandomPixels(std::size_t count, std::mt19937& random) {
  std::vector<std::uint32_t> pixels(count);
  for (auto& p : pixels) p = random() | 0xFF000000u;
  return pixels;
}

// The source columns that device columns [0, destLength) of a stretched or shrunk axis take,
// as the transfer computes them: first columns and span lengths.
struct Spans {
  std::vector<std::int32_t> first, length;
};
Spans AxisSpans(std::int64_t sourceLength, std::int64_t destLength, bool reversed) {
  StretchAxis axis;
  axis.destLength = destLength;
  axis.sourceLength = sourceLength;
  axis.reversed = reversed;
  Spans spans;
  spans.first.resize(static_cast<std::size_t>(destLength));
  spans.length.resize(static_cast<std::size_t>(destLength));
  axis.SourceSpans(0, static_cast<std::int32_t>(destLength), spans.first.data(),
                   spans.length.data());
  return spans;
}

class PixelRowsTest : public ::testing::TestWithParam<PixelRowKernels> {};

TEST_P(PixelRowsTest, ExpandGreysRepeatsEachGreyThreeTimes) {
  std::mt19937 random(1);
  for (const std::int32_t count : kCounts) {
    const std::vector<std::uint8_t> grey = RandomBytes(static_cast<std::size_t>(count), random);
    std::vector<std::uint8_t> out(3 * grey.size()), expected(out.size());
    for (std::size_t j = 0; j < grey.size(); ++j) {
      expected[3 * j] = expected[3 * j + 1] = expected[3 * j + 2] = grey[j];
    }
    GetParam().expandGreys(grey.data(), count, out.data());
    EXPECT_EQ(out, expected) << "count " << count;
  }
}

TEST_P(PixelRowsTest, AndBgrPixelsAndsEachChannelAndKeepsPixelsOpaque) {
  std::mt19937 random(2);
  for (const std::int32_t count : kCounts) {
    const std::vector<std::uint8_t> bgr = RandomBytes(3 * static_cast<std::size_t>(count), random);
    std::vector<std::uint32_t> out = RandomPixels(static_cast<std::size_t>(count), random);
    std::vector<std::uint32_t> expected = out;
    for (std::size_t i = 0; i < expected.size(); ++i) {
      expected[i] &= 0xFF000000u | std::uint32_t{bgr[3 * i + 2]} << 16 |
                     std::uint32_t{bgr[3 * i + 1]} << 8 | bgr[3 * i];
    }
    GetParam().andBgrPixels(out.data(), bgr.data(), count);
    EXPECT_EQ(out, expected) << "count " << count;
  }
}

// Stretches by various factors, either way round, and index runs whose neighbours lie more
// than the padding apart.
TEST_P(PixelRowsTest, AndPickedPixelsFollowsMonotoneIndices) {
  struct Case {
    std::int64_t source, dest;
    bool reversed;
  };
  const Case cases[] = {{1, 1, false},     {7, 9, false},      {100, 150, false}, {100, 150, true},
                        {333, 1000, true}, {512, 1023, false}, {40, 40, true},    {1, 64, false}};
  std::mt19937 random(3);
  for (const Case& c : cases) {
    const Spans spans = AxisSpans(c.source, c.dest, c.reversed);
    const std::vector<std::uint32_t> pixels =
        RandomPixels(static_cast<std::size_t>(c.source + kPickPadding), random);
    std::vector<std::uint32_t> out = RandomPixels(spans.first.size(), random), expected = out;
    for (std::size_t i = 0; i < out.size(); ++i) expected[i] &= pixels[spans.first[i]];
    GetParam().andPickedPixels(out.data(), pixels.data(), spans.first.data(),
                               static_cast<std::int32_t>(out.size()));
    EXPECT_EQ(out, expected) << c.source << " onto " << c.dest;
  }
  std::vector<std::int32_t> jumps(40);
  for (std::size_t i = 0; i < jumps.size(); ++i) jumps[i] = static_cast<std::int32_t>(3 * i);
  const std::vector<std::uint32_t> pixels = RandomPixels(3 * 40 + kPickPadding, random);
  std::vector<std::uint32_t> out = RandomPixels(jumps.size(), random), expected = out;
  for (std::size_t i = 0; i < out.size(); ++i) expected[i] &= pixels[jumps[i]];
  GetParam().andPickedPixels(out.data(), pixels.data(), jumps.data(), 40);
  EXPECT_EQ(out, expected);
}

// Shrinks by various factors: each device column ANDs the first and last byte of its span, the
// way a reduced line build merges its runs, reading no byte past the row.
TEST_P(PixelRowsTest, AndPreparedPairsAndsTheTwoPickedBytesOfEveryRow) {
  struct Case {
    std::int64_t source, dest;
    bool reversed;
  };
  const Case cases[] = {{1, 1, false},      {10, 7, false},      {1000, 700, false},
                        {1000, 700, true},  {2000, 1999, false}, {1000, 343, false},
                        {4000, 1000, true}, {97, 96, false},     {64, 16, false}};
  std::mt19937 random(4);
  for (const Case& c : cases) {
    const Spans spans = AxisSpans(c.source, c.dest, c.reversed);
    std::vector<std::int32_t> high(spans.first.size());
    for (std::size_t j = 0; j < high.size(); ++j) {
      high[j] = spans.first[j] + spans.length[j] - 1;
    }
    const std::vector<std::uint8_t> bytes = RandomBytes(static_cast<std::size_t>(c.source), random);
    std::vector<std::uint8_t> out(high.size()), expected(high.size());
    for (std::size_t j = 0; j < out.size(); ++j) {
      expected[j] = bytes[spans.first[j]] & bytes[high[j]];
    }
    // One plan for two rows: the plan holds no bytes of the row.
    std::vector<std::uint8_t> plan(GetParam().pairPlanBytes(static_cast<std::int32_t>(out.size())));
    GetParam().preparePairs(plan.data(), spans.first.data(), high.data(),
                            static_cast<std::int32_t>(out.size()), c.source);
    GetParam().andPreparedPairs(out.data(), bytes.data(), plan.data(), spans.first.data(),
                                high.data(), static_cast<std::int32_t>(out.size()));
    EXPECT_EQ(out, expected) << c.source << " onto " << c.dest;
    const std::vector<std::uint8_t> other = RandomBytes(bytes.size(), random);
    for (std::size_t j = 0; j < out.size(); ++j) {
      expected[j] = other[spans.first[j]] & other[high[j]];
    }
    GetParam().andPreparedPairs(out.data(), other.data(), plan.data(), spans.first.data(),
                                high.data(), static_cast<std::int32_t>(out.size()));
    EXPECT_EQ(out, expected) << c.source << " onto " << c.dest;
  }
}

INSTANTIATE_TEST_SUITE_P(EverySupportedSet, PixelRowsTest,
                         ::testing::ValuesIn(SupportedPixelRowKernels().begin(),
                                             SupportedPixelRowKernels().end()),
                         [](const ::testing::TestParamInfo<PixelRowKernels>& info) {
                           return std::string(info.param.name);
                         });

// Only "1" forces the portable set; anything else leaves the widest one.
TEST(PixelRows, TheWidestSetIsChosenUnlessThePortableOneIsForced) {
  const std::span<const PixelRowKernels> sets = SupportedPixelRowKernels();
  const struct {
    const char* setting;
    const char* chosen;
  } cases[] = {{nullptr, sets.back().name},
               {"1", "portable"},
               {"0", sets.back().name},
               {"", sets.back().name},
               {"11", sets.back().name}};
  for (const auto& c : cases) {
    EXPECT_STREQ(ChoosePixelRowKernels(sets, c.setting).name, c.chosen)
        << (c.setting ? c.setting : "unset");
  }
  const char* setting = std::getenv("PLIMDISP_PORTABLE_KERNELS");
  EXPECT_STREQ(PixelRows().name, ChoosePixelRowKernels(sets, setting).name);
}

}  // namespace
