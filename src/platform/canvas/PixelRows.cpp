#include "platform/canvas/PixelRows.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#define PLIMDISP_X86_DISPATCH 1
#endif

namespace {

constexpr std::uint32_t kOpaque = 0xFF000000u;

// The scalar tails that every set finishes its rows with.
void ExpandGreysOneByOne(const std::uint8_t* grey, std::int32_t count, std::uint8_t* out) {
  for (std::int32_t j = 0; j < count; ++j, out += 3) out[0] = out[1] = out[2] = grey[j];
}
void AndBgrOneByOne(std::uint32_t* out, const std::uint8_t* bgr, std::int32_t count) {
  for (std::int32_t i = 0; i < count; ++i, bgr += 3) {
    out[i] &= kOpaque | std::uint32_t{bgr[2]} << 16 | std::uint32_t{bgr[1]} << 8 | bgr[0];
  }
}
void AndPickedOneByOne(std::uint32_t* out, const std::uint32_t* pixels, const std::int32_t* index,
                       std::int32_t count) {
  for (std::int32_t i = 0; i < count; ++i) out[i] &= pixels[index[i]];
}
// Pairs merged one by one need no plan.
std::size_t NoPairPlanBytes(std::int32_t) { return 0; }
void PrepareNoPairs(std::uint8_t*, const std::int32_t*, const std::int32_t*, std::int32_t,
                    std::int64_t) {}
void AndPairsOneByOne(std::uint8_t* out, const std::uint8_t* bytes, const std::uint8_t* /*plan*/,
                      const std::int32_t* low, const std::int32_t* high, std::int32_t count) {
  for (std::int32_t j = 0; j < count; ++j) out[j] = bytes[low[j]] & bytes[high[j]];
}

#if defined(__SSE2__)
// Four pixels, each a 32-bit lane of one grey byte repeated, packed into the low 12 bytes.
__m128i PackGreyLanes(__m128i lanes) {
  // Shifting each 64-bit lane down by a byte leaves its two pixels' 6 bytes at its bytes 0..5.
  const __m128i sixes = _mm_srli_epi64(lanes, 8);
  const __m128i firstSix = _mm_set_epi32(0, 0, 0x0000FFFF, -1);
  return _mm_or_si128(_mm_and_si128(sixes, firstSix),
                      _mm_andnot_si128(firstSix, _mm_srli_si128(sixes, 2)));
}

// Writes 16 pixels as four 16-byte stores 12 bytes apart; the last writes 4 bytes past them.
void ExpandSixteen(const std::uint8_t* grey, std::uint8_t* out) {
  const __m128i g = _mm_loadu_si128(reinterpret_cast<const __m128i*>(grey));
  const __m128i pairsLow = _mm_unpacklo_epi8(g, g), pairsHigh = _mm_unpackhi_epi8(g, g);
  const __m128i quads[] = {
      _mm_unpacklo_epi16(pairsLow, pairsLow), _mm_unpackhi_epi16(pairsLow, pairsLow),
      _mm_unpacklo_epi16(pairsHigh, pairsHigh), _mm_unpackhi_epi16(pairsHigh, pairsHigh)};
  for (int n = 0; n < 4; ++n) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 12 * n), PackGreyLanes(quads[n]));
  }
}
#endif

// 16 pixels at a time while 2 more follow (their bytes take the 4 written past the 16), then 4
// at a time as three 32-bit words (bytes g0 g0 g0 g1 | g1 g1 g2 g2 | g2 g3 g3 g3).
void ExpandGreysPortable(const std::uint8_t* grey, std::int32_t count, std::uint8_t* out) {
  std::int32_t j = 0;
#if defined(__SSE2__)
  for (; j + 18 <= count; j += 16, grey += 16, out += 48) ExpandSixteen(grey, out);
#endif
  for (; j + 4 <= count; j += 4, grey += 4, out += 12) {
    std::uint32_t v;
    std::memcpy(&v, grey, sizeof v);
    const std::uint32_t g0 = v & 0xFF, g1 = (v >> 8) & 0xFF, g2 = (v >> 16) & 0xFF, g3 = v >> 24;
    const std::uint32_t w0 = g0 * 0x010101u | g1 << 24;
    const std::uint32_t w1 = g1 * 0x0101u | g2 * 0x01010000u;
    const std::uint32_t w2 = g2 | g3 * 0x01010100u;
    std::memcpy(out, &w0, 4);
    std::memcpy(out + 4, &w1, 4);
    std::memcpy(out + 8, &w2, 4);
  }
  ExpandGreysOneByOne(grey, count - j, out);
}

// Groups of 4 pixels read with one 16-byte load, while the load stays within the row.
void AndBgrPixelsPortable(std::uint32_t* out, const std::uint8_t* bgr, std::int32_t count) {
  std::int32_t i = 0;
#if defined(__SSE2__)
  // Each 64-bit lane takes two pixels, the first at bytes 0..2 and the second moved from 3..5 to
  // 4..6; every other byte is set in each half, so the halves ANDed give the opaque pixels.
  const __m128i keepFirst = _mm_set1_epi64x(static_cast<long long>(0xFFFFFFFFFF000000ull));
  const __m128i keepSecond = _mm_set1_epi64x(static_cast<long long>(0xFF000000FFFFFFFFull));
  for (; i + 6 <= count; i += 4, bgr += 12) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bgr));
    const __m128i pairs = _mm_unpacklo_epi64(v, _mm_srli_si128(v, 6));
    const __m128i rgb = _mm_and_si128(_mm_or_si128(pairs, keepFirst),
                                      _mm_or_si128(_mm_slli_epi64(pairs, 8), keepSecond));
    auto* target = reinterpret_cast<__m128i*>(out + i);
    _mm_storeu_si128(target, _mm_and_si128(_mm_loadu_si128(target), rgb));
  }
#endif
  AndBgrOneByOne(out + i, bgr, count - i);
}

#if defined(PLIMDISP_X86_DISPATCH)
using Shuffle = std::array<std::uint8_t, 16>;

// Byte shuffles of 16 greys into the 48 bytes of their pixels, 16 output bytes each: output
// byte k is grey k / 3.
constexpr std::array<Shuffle, 3> MakeGreyShuffles() {
  std::array<Shuffle, 3> shuffles{};
  for (int k = 0; k < 48; ++k) shuffles[k / 16][k % 16] = static_cast<std::uint8_t>(k / 3);
  return shuffles;
}
alignas(16) constexpr std::array<Shuffle, 3> kGreyShuffles = MakeGreyShuffles();

// Spreads 4 packed 24-bit pixels (bytes 0..11) to 4 32-bit lanes; 0x80 makes a top byte 0.
alignas(16) constexpr Shuffle kBgrToLanes = {0, 1, 2, 0x80, 3, 4,  5,  0x80,
                                             6, 7, 8, 0x80, 9, 10, 11, 0x80};

__m128i Load16(const std::uint8_t* bytes) {
  return _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes));
}

__attribute__((target("ssse3"))) void ExpandGreysSsse3(const std::uint8_t* grey, std::int32_t count,
                                                       std::uint8_t* out) {
  const __m128i s0 = Load16(kGreyShuffles[0].data()), s1 = Load16(kGreyShuffles[1].data()),
                s2 = Load16(kGreyShuffles[2].data());
  std::int32_t j = 0;
  for (; j + 16 <= count; j += 16, grey += 16, out += 48) {
    const __m128i g = Load16(grey);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_shuffle_epi8(g, s0));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 16), _mm_shuffle_epi8(g, s1));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 32), _mm_shuffle_epi8(g, s2));
  }
  ExpandGreysOneByOne(grey, count - j, out);
}

// ANDs 4 pixels from a 16-byte load whose last 4 bytes are not used.
__attribute__((target("ssse3"))) void AndFourBgr(std::uint32_t* out, const std::uint8_t* bgr) {
  const __m128i lanes = _mm_shuffle_epi8(Load16(bgr), Load16(kBgrToLanes.data()));
  auto* target = reinterpret_cast<__m128i*>(out);
  const __m128i opaque = _mm_set1_epi32(static_cast<int>(kOpaque));
  _mm_storeu_si128(target, _mm_and_si128(_mm_loadu_si128(target), _mm_or_si128(lanes, opaque)));
}

// A 16-byte load at pixel i reads 3i + 16 bytes, within the row while i + 6 <= count.
__attribute__((target("ssse3"))) void AndBgrPixelsSsse3(std::uint32_t* out, const std::uint8_t* bgr,
                                                        std::int32_t count) {
  std::int32_t i = 0;
  for (; i + 6 <= count; i += 4, bgr += 12) AndFourBgr(out + i, bgr);
  AndBgrOneByOne(out + i, bgr, count - i);
}

__attribute__((target("avx2"))) __m256i LoadHalves(const std::uint8_t* low,
                                                   const std::uint8_t* high) {
  return _mm256_inserti128_si256(_mm256_castsi128_si256(Load16(low)), Load16(high), 1);
}

// 32 pixels per step: the two 16-grey halves a and b, shuffled lane by lane into 96 bytes.
__attribute__((target("avx2"))) void ExpandGreysAvx2(const std::uint8_t* grey, std::int32_t count,
                                                     std::uint8_t* out) {
  const auto& s = kGreyShuffles;
  const __m256i s01 = LoadHalves(s[0].data(), s[1].data());
  const __m256i s20 = LoadHalves(s[2].data(), s[0].data());
  const __m256i s12 = LoadHalves(s[1].data(), s[2].data());
  std::int32_t j = 0;
  for (; j + 32 <= count; j += 32, grey += 32, out += 96) {
    const __m256i aa = LoadHalves(grey, grey), ab = LoadHalves(grey, grey + 16),
                  bb = LoadHalves(grey + 16, grey + 16);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out), _mm256_shuffle_epi8(aa, s01));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + 32), _mm256_shuffle_epi8(ab, s20));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + 64), _mm256_shuffle_epi8(bb, s12));
  }
  ExpandGreysSsse3(grey, count - j, out);
}

// 8 pixels per step from loads at bytes 3i and 3i + 12, which end at 3i + 28: within the row
// while i + 10 <= count.
__attribute__((target("avx2"))) void AndBgrPixelsAvx2(std::uint32_t* out, const std::uint8_t* bgr,
                                                      std::int32_t count) {
  const __m256i toLanes = LoadHalves(kBgrToLanes.data(), kBgrToLanes.data());
  const __m256i opaque = _mm256_set1_epi32(static_cast<int>(kOpaque));
  std::int32_t i = 0;
  for (; i + 10 <= count; i += 8, bgr += 24) {
    const __m256i lanes = _mm256_shuffle_epi8(LoadHalves(bgr, bgr + 12), toLanes);
    auto* target = reinterpret_cast<__m256i*>(out + i);
    _mm256_storeu_si256(
        target, _mm256_and_si256(_mm256_loadu_si256(target), _mm256_or_si256(lanes, opaque)));
  }
  AndBgrPixelsSsse3(out + i, bgr, count - i);
}

// 8 pixels per step: a monotone run of 8 indices within 8 of each other picks from one 8-pixel
// load with a lane permutation.
__attribute__((target("avx2"))) void AndPickedPixelsAvx2(std::uint32_t* out,
                                                         const std::uint32_t* pixels,
                                                         const std::int32_t* index,
                                                         std::int32_t count) {
  std::int32_t i = 0;
  for (; i + 8 <= count; i += 8) {
    const std::int32_t low = std::min(index[i], index[i + 7]);
    if (std::max(index[i], index[i + 7]) - low > kPickPadding) {
      AndPickedOneByOne(out + i, pixels, index + i, 8);
      continue;
    }
    const __m256i lanes = _mm256_sub_epi32(
        _mm256_loadu_si256(reinterpret_cast<const __m256i*>(index + i)), _mm256_set1_epi32(low));
    const __m256i picked = _mm256_permutevar8x32_epi32(
        _mm256_loadu_si256(reinterpret_cast<const __m256i*>(pixels + low)), lanes);
    auto* target = reinterpret_cast<__m256i*>(out + i);
    _mm256_storeu_si256(target, _mm256_and_si256(_mm256_loadu_si256(target), picked));
  }
  AndPickedOneByOne(out + i, pixels, index + i, count - i);
}

// The plan of 8 merged bytes: where the 32-byte windows of their low and high indices start
// (lowStart -1: the indices do not fit windows, and the bytes are merged one by one), and each
// index less its window's start.
struct PairGroup {
  std::int32_t lowStart;
  std::int32_t highStart;
  std::uint8_t lowOffsets[8];
  std::uint8_t highOffsets[8];
};
constexpr std::int32_t kPairGroup = 8;

std::size_t PairGroupBytes(std::int32_t count) {
  return sizeof(PairGroup) * static_cast<std::size_t>(count / kPairGroup);
}

// Whether the 8 indices index[0..8), which run monotonically, lie within 32 bytes that can be
// read: spans of up to 4 bytes per index fit, as far shrinking zooms make them. Sets the
// window's start and the offsets within it.
bool FitWindow(const std::int32_t* index, std::int64_t readable, std::int32_t& start,
               std::uint8_t (&offsets)[8]) {
  start = std::min(index[0], index[kPairGroup - 1]);
  if (std::max(index[0], index[kPairGroup - 1]) - start > 31 ||
      start + std::int64_t{32} > readable) {
    return false;
  }
  for (int k = 0; k < kPairGroup; ++k) offsets[k] = static_cast<std::uint8_t>(index[k] - start);
  return true;
}

void PrepareGroupPairs(std::uint8_t* plan, const std::int32_t* low, const std::int32_t* high,
                       std::int32_t count, std::int64_t readable) {
  auto* groups = reinterpret_cast<PairGroup*>(plan);
  for (std::int32_t g = 0; g < count / kPairGroup; ++g) {
    PairGroup& group = groups[g];
    const std::int32_t first = g * kPairGroup;
    if (!FitWindow(low + first, readable, group.lowStart, group.lowOffsets) ||
        !FitWindow(high + first, readable, group.highStart, group.highOffsets)) {
      group.lowStart = -1;
    }
  }
}

// The bytes of the 32 at `window` that `offsets` (byte values 0..31) name: values 0..15 pick
// from the first 16-byte load and 16..31 from the second, the other load's shuffle giving 0 (a
// shuffle index with its top bit set).
__attribute__((target("avx2"))) __m128i PickFromWindow(const std::uint8_t* window,
                                                       __m128i offsets) {
  const __m128i fromFirst =
      _mm_shuffle_epi8(Load16(window), _mm_adds_epu8(offsets, _mm_set1_epi8(0x70)));
  const __m128i fromSecond =
      _mm_shuffle_epi8(Load16(window + 16), _mm_sub_epi8(offsets, _mm_set1_epi8(16)));
  return _mm_or_si128(fromFirst, fromSecond);
}

// 8 bytes per planned group with two window shuffles each, one by one elsewhere.
__attribute__((target("avx2"))) void AndGroupPairsAvx2(std::uint8_t* out, const std::uint8_t* bytes,
                                                       const std::uint8_t* plan,
                                                       const std::int32_t* low,
                                                       const std::int32_t* high,
                                                       std::int32_t count) {
  const auto* groups = reinterpret_cast<const PairGroup*>(plan);
  const std::int32_t planned = count / kPairGroup * kPairGroup;
  for (std::int32_t j = 0; j < planned; j += kPairGroup) {
    const PairGroup& group = groups[j / kPairGroup];
    if (group.lowStart < 0) {
      AndPairsOneByOne(out + j, bytes, nullptr, low + j, high + j, kPairGroup);
      continue;
    }
    const __m128i lows =
        PickFromWindow(bytes + group.lowStart,
                       _mm_loadl_epi64(reinterpret_cast<const __m128i*>(group.lowOffsets)));
    const __m128i highs =
        PickFromWindow(bytes + group.highStart,
                       _mm_loadl_epi64(reinterpret_cast<const __m128i*>(group.highOffsets)));
    _mm_storel_epi64(reinterpret_cast<__m128i*>(out + j), _mm_and_si128(lows, highs));
  }
  AndPairsOneByOne(out + planned, bytes, nullptr, low + planned, high + planned, count - planned);
}
#endif

struct KernelTable {
  std::array<PixelRowKernels, 3> sets{};
  std::size_t count = 0;

  KernelTable() {
    sets[count++] = {"portable",      ExpandGreysPortable, AndBgrPixelsPortable, AndPickedOneByOne,
                     NoPairPlanBytes, PrepareNoPairs,      AndPairsOneByOne};
#if defined(PLIMDISP_X86_DISPATCH)
    __builtin_cpu_init();
    if (__builtin_cpu_supports("ssse3")) {
      sets[count++] = {"ssse3",         ExpandGreysSsse3, AndBgrPixelsSsse3, AndPickedOneByOne,
                       NoPairPlanBytes, PrepareNoPairs,   AndPairsOneByOne};
    }
    if (__builtin_cpu_supports("avx2")) {
      sets[count++] = {"avx2",         ExpandGreysAvx2,   AndBgrPixelsAvx2, AndPickedPixelsAvx2,
                       PairGroupBytes, PrepareGroupPairs, AndGroupPairsAvx2};
    }
#endif
  }
};

const KernelTable& Kernels() {
  static const KernelTable table;
  return table;
}

}  // namespace

std::span<const PixelRowKernels> SupportedPixelRowKernels() {
  return {Kernels().sets.data(), Kernels().count};
}

const PixelRowKernels& ChoosePixelRowKernels(std::span<const PixelRowKernels> supported,
                                             const char* portableSetting) {
  const bool portable = portableSetting != nullptr && std::strcmp(portableSetting, "1") == 0;
  return portable ? supported.front() : supported.back();
}

const PixelRowKernels& PixelRows() {
  static const PixelRowKernels& chosen =
      ChoosePixelRowKernels(SupportedPixelRowKernels(), std::getenv("PLIMDISP_PORTABLE_KERNELS"));
  return chosen;
}
