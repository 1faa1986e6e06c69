#include "platform/canvas/Scale.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();

TEST(ScaleTest, ScaleToDeviceRoundsToFloatThenTruncates) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  struct Case {
    std::int32_t value;
    float zoom;
    std::int32_t expected;
  };
  const Case cases[] = {
      {100, 0.699999988f, 70},  // the float product rounds up to exactly 70
      {10, 1.5f, 15},
      {-3, 1.5f, -4},  // -4.5 truncates toward zero
      {7, 0.1f, 0},
      {kMax, 1.0f, kMax},  // 2^31 - 1 rounds to the float 2^31: saturates
      {kMax, 2.0f, kMax},
      {kMin, 1.0f, kMin},
      {kMin, 2.0f, kMin},
      {-kMax, 1.0f, kMin},
      {1, inf, kMax},
      {-1, inf, kMin},
      {5, nan, 0},
      {0, inf, 0},  // 0 * inf is NaN
      {1 << 24, 3.0f, 3 << 24},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ScaleToDevice(c.value, c.zoom), c.expected) << c.value << " * " << c.zoom;
  }
  // The same product in double precision would give 69: the rule must not widen.
  EXPECT_EQ(static_cast<std::int32_t>(100.0 * static_cast<double>(0.699999988f)), 69);
}

TEST(ScaleTest, ZoomStepsRoundEachProductToFloat) {
  struct Case {
    const char* keys;
    float expected;
  };
  const Case cases[] = {
      {"", 1.0f},
      {"+", 1.5f},
      {"-", 0.699999988f},
      {"++", 2.25f},
      {"+-", 1.0499999523f},
      {"-+", 1.0499999523f},
      {"++-", 1.5750000477f},
      {"-++", 1.5749999285f},
      {"x=*", 1.0f},
  };
  for (const Case& c : cases) {
    float zoom = 1.0f;
    for (const char* k = c.keys; *k != '\0'; ++k) zoom = ZoomStep(zoom, *k);
    EXPECT_EQ(zoom, c.expected) << '"' << c.keys << '"';
  }
  EXPECT_TRUE(std::isnan(ZoomStep(std::numeric_limits<float>::quiet_NaN(), '+')));
}

}  // namespace
