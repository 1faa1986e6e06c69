#pragma once

#include <cstdint>
#include <memory>

// A 32-bit RGB picture in device pixels, laid out as QImage::Format_RGB32 so that Qt can wrap
// it without copying: one uint32 per pixel, 0xFFRRGGBB (the top byte is always 0xFF, which
// that format requires), rows top first, `strideBytes()` apart. Sizes are bounded by the named
// limits below, so width * height * 4 never overflows.

enum class CanvasError {
  kNone,
  kNegativeSize,
  kTooLarge,
  kOutOfMemory,
};

const char* CanvasErrorMessage(CanvasError error);

inline constexpr std::uint32_t kCanvasWhite = 0xFFFFFFFFu;
// Keeps the colour channels of a stored pixel: 0x00RRGGBB.
inline constexpr std::uint32_t kCanvasRgbMask = 0x00FFFFFFu;

class Canvas {
 public:
  static constexpr std::int32_t kMaxSide = 1 << 16;                  // pixels per side
  static constexpr std::int64_t kMaxPixels = std::int64_t{1} << 28;  // 1 GiB of pixels

  Canvas() = default;

  // Replaces the picture with one of width x height pixels, contents undefined. A zero side
  // gives an empty canvas. On failure the canvas is left empty and the cause is returned.
  [[nodiscard]] CanvasError Allocate(std::int32_t width, std::int32_t height) noexcept;

  // Sets every pixel to the colour 0x00RRGGBB of `pixel` (its top byte is ignored).
  void Fill(std::uint32_t pixel) noexcept;
  void FillWhite() noexcept { Fill(kCanvasWhite); }

  std::int32_t width() const noexcept { return width_; }
  std::int32_t height() const noexcept { return height_; }
  std::int64_t strideBytes() const noexcept { return std::int64_t{width_} * 4; }
  bool empty() const noexcept { return width_ == 0 || height_ == 0; }

  std::uint32_t* Row(std::int32_t y) noexcept { return pixels_.get() + std::int64_t{y} * width_; }
  const std::uint32_t* Row(std::int32_t y) const noexcept {
    return pixels_.get() + std::int64_t{y} * width_;
  }
  std::uint8_t* bytes() noexcept { return reinterpret_cast<std::uint8_t*>(pixels_.get()); }

  // The colour at (x, y) as 0x00RRGGBB. The point must lie inside the canvas.
  std::uint32_t Rgb(std::int32_t x, std::int32_t y) const noexcept {
    return Row(y)[x] & kCanvasRgbMask;
  }

 private:
  std::unique_ptr<std::uint32_t[]> pixels_;
  std::int32_t width_ = 0;
  std::int32_t height_ = 0;
};
