#pragma once

#include <cstdint>

// The device-independent bitmap header and transfer constants, with the field names and
// widths of the window system's drawing interface. Plain C++ so that the rasteriser can fill
// a header without seeing Qt.

struct BITMAPINFOHEADER {
  std::uint32_t biSize;
  std::int32_t biWidth;   // pixels per row
  std::int32_t biHeight;  // rows; positive means bottom-up (the first row in memory is the bottom)
  std::uint16_t biPlanes;
  std::uint16_t biBitCount;
  std::uint32_t biCompression;
  std::uint32_t biSizeImage;
  std::int32_t biXPelsPerMeter;
  std::int32_t biYPelsPerMeter;
  std::uint32_t biClrUsed;
  std::uint32_t biClrImportant;
};
static_assert(sizeof(BITMAPINFOHEADER) == 40, "the header is 40 bytes, as biSize says");

inline constexpr std::uint32_t BI_RGB = 0;           // uncompressed
inline constexpr std::uint32_t DIB_RGB_COLORS = 0;   // colour table (if any) holds RGB values
inline constexpr std::uint32_t SRCAND = 0x008800C6;  // destination = destination AND source

// Bytes per row of a 24-bit bitmap: 3 bytes per pixel, rounded up to a multiple of 4.
// Computed in 64 bits so that no width overflows; negative widths give 0.
constexpr std::int64_t Dib24Stride(std::int32_t width) {
  return width <= 0 ? 0 : (std::int64_t{width} * 3 + 3) & ~std::int64_t{3};
}
