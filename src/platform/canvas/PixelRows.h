#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

// The inner loops of the line bitmaps and their transfers: widening greys to 24-bit pixels,
// ANDing 24-bit pixels onto canvas pixels, picking the pixels of stretched columns and merging
// the greys of shrunk ones. Each set of loops exists in a portable form and, on x86, in
// forms for wider vector units; the widest one the processor offers is chosen once, at first
// use, unless the environment variable PLIMDISP_PORTABLE_KERNELS is 1, which forces the
// portable set (for debugging, and for comparing the vector forms against it). Every set gives
// the same bytes and reads and writes only the bytes its arguments name.
struct PixelRowKernels {
  const char* name;
  // out[3j], out[3j + 1] and out[3j + 2] = grey[j] for j < count.
  void (*expandGreys)(const std::uint8_t* grey, std::int32_t count, std::uint8_t* out);
  // out[i] &= 0xFF000000 | bgr[3i + 2] << 16 | bgr[3i + 1] << 8 | bgr[3i] for i < count.
  void (*andBgrPixels)(std::uint32_t* out, const std::uint8_t* bgr, std::int32_t count);
  // out[i] &= pixels[index[i]] for i < count. `index` must run monotonically (up or down), and
  // `pixels` must hold kPickPadding readable elements after the largest index.
  void (*andPickedPixels)(std::uint32_t* out, const std::uint32_t* pixels,
                          const std::int32_t* index, std::int32_t count);
  // The merge of byte pairs over many rows that share their indices, in two steps. For index
  // runs `low` and `high` of `count` entries, each running monotonically, preparePairs writes a
  // plan of pairPlanBytes(count) bytes (4-byte aligned); andPreparedPairs then sets
  // out[j] = bytes[low[j]] & bytes[high[j]] for j < count, for any row `bytes` of the
  // `readable` bytes the plan was made for (every index must be below it), reading only those.
  std::size_t (*pairPlanBytes)(std::int32_t count);
  void (*preparePairs)(std::uint8_t* plan, const std::int32_t* low, const std::int32_t* high,
                       std::int32_t count, std::int64_t readable);
  void (*andPreparedPairs)(std::uint8_t* out, const std::uint8_t* bytes, const std::uint8_t* plan,
                           const std::int32_t* low, const std::int32_t* high, std::int32_t count);
};

inline constexpr std::int32_t kPickPadding = 7;

// The sets this processor can run, portable first and widest last.
std::span<const PixelRowKernels> SupportedPixelRowKernels();

// The set in use: ChoosePixelRowKernels of the supported sets and the environment.
const PixelRowKernels& PixelRows();

// The portable set (the first of `supported`, which must not be empty) when `portableSetting`
// is "1", otherwise the widest (the last). `portableSetting` is the value of
// PLIMDISP_PORTABLE_KERNELS, or null when it is unset.
const PixelRowKernels& ChoosePixelRowKernels(std::span<const PixelRowKernels> supported,
                                             const char* portableSetting);
