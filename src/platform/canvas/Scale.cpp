#include "platform/canvas/Scale.h"

#include <cmath>
#include <limits>

std::int32_t ScaleToDevice(std::int32_t value, float zoom) {
  // volatile forces the product to be rounded to a float before it is truncated, whatever
  // precision or contraction the compiler would otherwise choose.
  volatile float product = static_cast<float>(value) * zoom;
  const float p = product;
  if (std::isnan(p)) return 0;
  constexpr float kTwoTo31 = 2147483648.0f;
  if (p >= kTwoTo31) return std::numeric_limits<std::int32_t>::max();
  if (p <= -kTwoTo31) return std::numeric_limits<std::int32_t>::min();
  return static_cast<std::int32_t>(p);
}

float ZoomStep(float zoom, char key) {
  switch (key) {
    case '+':
      return static_cast<float>(static_cast<double>(zoom) * 1.5);
    case '-':
      return static_cast<float>(static_cast<double>(zoom) * 0.7);
    default:
      return zoom;
  }
}
