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
  double factor = 0.0;
  switch (key) {
    case '+':
      factor = 1.5;
      break;
    case '-':
      factor = 0.7;
      break;
    default:
      return zoom;
  }
  const float product = static_cast<float>(static_cast<double>(zoom) * factor);
  // A zoom of infinity or 0 (or a subnormal one on its way there) could never be undone by
  // the other key, so such a step is refused.
  const bool usable = std::isnormal(product) && product > 0.0f;
  return usable ? product : zoom;
}
