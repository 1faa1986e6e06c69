#pragma once

#include <cstdint>

// The one scaling rule of the display: a page value times the view's zoom, as a
// single-precision product truncated toward zero. Products beyond the int32 range saturate to
// INT32_MIN / INT32_MAX, and a NaN product gives 0.
std::int32_t ScaleToDevice(std::int32_t value, float zoom);

// The zoom after one key: '+' multiplies by 1.5 and '-' by 0.7, both in double precision, and
// the product is rounded to the nearest float. A product that is not a finite, positive, normal
// float leaves the zoom as it is, so every zoom reached can be stepped back. Any other key
// leaves the zoom as it is.
float ZoomStep(float zoom, char key);
