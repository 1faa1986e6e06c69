#include "cli/output/PngFilters.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

constexpr int kFilters = 5;

std::uint8_t PaethPredictor(int a, int b, int c) {
  const int pa = std::abs(b - c), pb = std::abs(a - c), pc = std::abs(a + b - 2 * c);
  return static_cast<std::uint8_t>(pa <= pb && pa <= pc ? a : pb <= pc ? b : c);
}

// The residual of byte i under each filter; a, b and c are the bytes left, above and above
// left (0 where there is none).
std::array<std::uint8_t, kFilters> Residuals(const std::uint8_t* row, const std::uint8_t* previous,
                                             std::size_t i, int bytesPerPixel) {
  const bool left = i >= static_cast<std::size_t>(bytesPerPixel);
  const int x = row[i], b = previous[i];
  const int a = left ? row[i - bytesPerPixel] : 0;
  const int c = left ? previous[i - bytesPerPixel] : 0;
  return {static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(x - a),
          static_cast<std::uint8_t>(x - b), static_cast<std::uint8_t>(x - ((a + b) >> 1)),
          static_cast<std::uint8_t>(x - PaethPredictor(a, b, c))};
}

// |r| of a residual taken as a signed byte.
int SignedSize(std::uint8_t r) { return r < 128 ? r : 256 - r; }

#if defined(__SSE2__)
struct Lanes {
  __m128i none, sub, up, average, paeth;
};

__m128i PaethHalf(__m128i a, __m128i b, __m128i c) {
  const __m128i zero = _mm_setzero_si128();
  const auto abs16 = [zero](__m128i v) { return _mm_max_epi16(v, _mm_sub_epi16(zero, v)); };
  const __m128i pa = abs16(_mm_sub_epi16(b, c));
  const __m128i pb = abs16(_mm_sub_epi16(a, c));
  const __m128i pc = abs16(_mm_sub_epi16(_mm_add_epi16(a, b), _mm_add_epi16(c, c)));
  // a where pa <= pb and pa <= pc; else b where pb <= pc; else c.
  const __m128i takeA = _mm_andnot_si128(
      _mm_or_si128(_mm_cmpgt_epi16(pa, pb), _mm_cmpgt_epi16(pa, pc)), _mm_set1_epi16(-1));
  const __m128i takeB = _mm_andnot_si128(_mm_cmpgt_epi16(pb, pc), _mm_set1_epi16(-1));
  const __m128i bOrC = _mm_or_si128(_mm_and_si128(takeB, b), _mm_andnot_si128(takeB, c));
  return _mm_or_si128(_mm_and_si128(takeA, a), _mm_andnot_si128(takeA, bOrC));
}

// The residuals of the 16 bytes at i, which must be at least bytesPerPixel.
Lanes ResidualLanes(const std::uint8_t* row, const std::uint8_t* previous, std::size_t i,
                    int bytesPerPixel) {
  const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + i));
  const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + i - bytesPerPixel));
  const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(previous + i));
  const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(previous + i - bytesPerPixel));
  const __m128i zero = _mm_setzero_si128();
  const __m128i floorAverage =
      _mm_sub_epi8(_mm_avg_epu8(a, b), _mm_and_si128(_mm_xor_si128(a, b), _mm_set1_epi8(1)));
  const __m128i paeth = _mm_packus_epi16(
      PaethHalf(_mm_unpacklo_epi8(a, zero), _mm_unpacklo_epi8(b, zero), _mm_unpacklo_epi8(c, zero)),
      PaethHalf(_mm_unpackhi_epi8(a, zero), _mm_unpackhi_epi8(b, zero),
                _mm_unpackhi_epi8(c, zero)));
  return {x, _mm_sub_epi8(x, a), _mm_sub_epi8(x, b), _mm_sub_epi8(x, floorAverage),
          _mm_sub_epi8(x, paeth)};
}

// Whether the 16 bytes at i equal those left, above and above left: then every filter leaves
// 0 there. Blank paper is mostly such bytes, and Paeth need not be worked out for them.
bool Flat(const std::uint8_t* row, const std::uint8_t* previous, std::size_t i, int bytesPerPixel) {
  const auto load = [](const std::uint8_t* at) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
  };
  const __m128i x = load(row + i);
  const __m128i same = _mm_and_si128(_mm_and_si128(_mm_cmpeq_epi8(x, load(row + i - bytesPerPixel)),
                                                   _mm_cmpeq_epi8(x, load(previous + i))),
                                     _mm_cmpeq_epi8(x, load(previous + i - bytesPerPixel)));
  return _mm_movemask_epi8(same) == 0xFFFF;
}

// Sum of the 16 residuals taken as signed bytes, in two 64-bit halves.
__m128i SignedSizes(__m128i r) {
  const __m128i zero = _mm_setzero_si128();
  return _mm_sad_epu8(_mm_min_epu8(r, _mm_sub_epi8(zero, r)), zero);
}
#endif

// The filter that leaves the smallest sum of residuals. The Paeth residuals, the dearest to
// work out and the filter most rows take, are written to `paethOut` on the way (count bytes),
// unless the row equals the one above.
PngFilter ChooseFilter(const std::uint8_t* row, const std::uint8_t* previous, std::size_t count,
                       int bytesPerPixel, std::uint8_t* paethOut) {
  if (std::memcmp(row, previous, count) == 0) return PngFilter::kUp;
  std::array<std::uint64_t, kFilters> sums{};
  std::size_t i = 0;
  const auto addScalar = [&](std::size_t end) {
    for (; i < end; ++i) {
      const auto r = Residuals(row, previous, i, bytesPerPixel);
      for (int f = 0; f < kFilters; ++f) sums[f] += static_cast<std::uint64_t>(SignedSize(r[f]));
      paethOut[i] = r[static_cast<int>(PngFilter::kPaeth)];
    }
  };
  addScalar(std::min<std::size_t>(count, static_cast<std::size_t>(bytesPerPixel)));
#if defined(__SSE2__)
  __m128i none = _mm_setzero_si128(), sub = none, up = none, average = none, paeth = none;
  for (; i + 16 <= count; i += 16) {
    if (Flat(row, previous, i, bytesPerPixel)) {
      none = _mm_add_epi64(none,
                           SignedSizes(_mm_loadu_si128(reinterpret_cast<const __m128i*>(row + i))));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(paethOut + i), _mm_setzero_si128());
      continue;
    }
    const Lanes lanes = ResidualLanes(row, previous, i, bytesPerPixel);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(paethOut + i), lanes.paeth);
    none = _mm_add_epi64(none, SignedSizes(lanes.none));
    sub = _mm_add_epi64(sub, SignedSizes(lanes.sub));
    up = _mm_add_epi64(up, SignedSizes(lanes.up));
    average = _mm_add_epi64(average, SignedSizes(lanes.average));
    paeth = _mm_add_epi64(paeth, SignedSizes(lanes.paeth));
  }
  const __m128i totals[kFilters] = {none, sub, up, average, paeth};
  for (int f = 0; f < kFilters; ++f) {
    std::uint64_t halves[2];
    _mm_storeu_si128(reinterpret_cast<__m128i*>(halves), totals[f]);
    sums[f] += halves[0] + halves[1];
  }
#endif
  addScalar(count);
  int best = 0;
  for (int f = 1; f < kFilters; ++f) {
    if (sums[f] < sums[best]) best = f;
  }
  return static_cast<PngFilter>(best);
}

// Writes the row filtered by `filter` (not Paeth, which ChooseFilter writes) to `out`.
void ApplyFilter(PngFilter filter, const std::uint8_t* row, const std::uint8_t* previous,
                 std::size_t count, int bytesPerPixel, std::uint8_t* out) {
  const int f = static_cast<int>(filter);
  if (filter == PngFilter::kNone) {
    std::memcpy(out, row, count);
    return;
  }
  std::size_t i = 0;
  const auto scalar = [&](std::size_t end) {
    for (; i < end; ++i) out[i] = Residuals(row, previous, i, bytesPerPixel)[f];
  };
  scalar(std::min<std::size_t>(count, static_cast<std::size_t>(bytesPerPixel)));
#if defined(__SSE2__)
  const auto load = [](const std::uint8_t* at) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
  };
  for (; i + 16 <= count; i += 16) {
    __m128i residual;
    if (filter == PngFilter::kSub) {
      residual = _mm_sub_epi8(load(row + i), load(row + i - bytesPerPixel));
    } else if (filter == PngFilter::kUp) {
      residual = _mm_sub_epi8(load(row + i), load(previous + i));
    } else if (Flat(row, previous, i, bytesPerPixel)) {
      residual = _mm_setzero_si128();
    } else {
      residual = ResidualLanes(row, previous, i, bytesPerPixel).average;
    }
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), residual);
  }
#endif
  scalar(count);
}

}  // namespace

PngFilter FilterPngRow(const std::uint8_t* row, const std::uint8_t* previous, std::size_t count,
                       int bytesPerPixel, std::uint8_t* out) {
  const PngFilter filter = ChooseFilter(row, previous, count, bytesPerPixel, out + 1);
  out[0] = static_cast<std::uint8_t>(filter);
  if (filter != PngFilter::kPaeth)
    ApplyFilter(filter, row, previous, count, bytesPerPixel, out + 1);
  return filter;
}
