#include "raster/LineBitmap.h"

#include <algorithm>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

bool AllocateOrdinary(std::size_t size, ByteBuffer& out) { return ByteBuffer::Allocate(size, out); }

LineBufferAllocator gAllocator = AllocateOrdinary;

bool HasImage(const PageLine& line) {
  return line.width > 0 && line.height > 0 &&
         line.pixels.size() >= static_cast<std::uint64_t>(line.width) * line.height;
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

// Writes each of `count` grey bytes three times: 16 pixels at a time while 2 more follow (their
// bytes take the 4 written past the 16), then 4 at a time as three 32-bit words (bytes
// g0 g0 g0 g1 | g1 g1 g2 g2 | g2 g3 g3 g3), then the rest one by one.
void ExpandGreys(const std::uint8_t* grey, std::int32_t count, std::uint8_t* out) {
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
  for (; j < count; ++j, ++grey, out += 3) out[0] = out[1] = out[2] = *grey;
}

// dest[i] = a[i] & b[i] for i < count; plain byte loops that the compiler vectorises.
void AndBytes(std::uint8_t* __restrict dest, const std::uint8_t* __restrict a,
              const std::uint8_t* __restrict b, std::int32_t count) {
  for (std::int32_t i = 0; i < count; ++i) dest[i] = a[i] & b[i];
}
void AndInto(std::uint8_t* __restrict dest, const std::uint8_t* __restrict source,
             std::int32_t count) {
  for (std::int32_t i = 0; i < count; ++i) dest[i] &= source[i];
}

// greys[j] = runs[low[j]] & runs[high[j]] for j < count.
void AndRunPairs(std::uint8_t* __restrict greys, const std::uint8_t* __restrict runs,
                 const std::int32_t* __restrict low, const std::int32_t* __restrict high,
                 std::int32_t count) {
  for (std::int32_t j = 0; j < count; ++j) greys[j] = runs[low[j]] & runs[high[j]];
}

// The largest `level` with 2^level <= max(1, S / D) along `axis`. Every span of the axis is
// then between 2^level and 2^(level + 1) long (spans are S / D or S / D + 1 long when
// shrinking, 1 otherwise), so the AND of a span [first, last) is the AND of the two runs of
// 2^level source pixels that start at first and at last - 2^level.
int RunLevel(const StretchAxis& axis) {
  const std::int64_t shortest = std::max<std::int64_t>(1, axis.sourceLength / axis.destLength);
  int level = 0;
  while ((std::int64_t{2} << level) <= shortest) ++level;
  return level;
}

// greys[j] = merged[index[j]] for j < count.
void PickMerged(std::uint8_t* __restrict greys, const std::uint8_t* __restrict merged,
                const std::int32_t* __restrict index, std::int32_t count) {
  for (std::int32_t j = 0; j < count; ++j) greys[j] = merged[index[j]];
}

// The working memory of a reduced build: two indices per device column (relative to the source
// window's left), three source-row accumulators as wide as the window (the first two adjacent),
// and one grey device row.
struct ReduceScratch {
  ByteBuffer buffer;
  std::int32_t* runLow = nullptr;
  std::int32_t* runHigh = nullptr;
  std::uint8_t* rowA = nullptr;
  std::uint8_t* rowB = nullptr;  // rowA + window width
  std::uint8_t* rowC = nullptr;
  std::uint8_t* greys = nullptr;

  bool Allocate(std::int32_t columns, std::int32_t windowWidth) {
    const std::size_t indexBytes = sizeof(std::int32_t) * static_cast<std::size_t>(columns);
    const std::size_t size = 2 * indexBytes + 3 * static_cast<std::size_t>(windowWidth) +
                             static_cast<std::size_t>(columns);
    if (!gAllocator(size, buffer)) return false;
    std::uint8_t* p = buffer.data();
    runLow = reinterpret_cast<std::int32_t*>(p);
    runHigh = reinterpret_cast<std::int32_t*>(p + indexBytes);
    rowA = p + 2 * indexBytes;
    rowB = rowA + windowWidth;
    rowC = rowB + windowWidth;
    greys = rowC + windowWidth;
    return true;
  }
};

}  // namespace

std::int32_t PaddedWidth(std::int32_t width) {
  if (width <= 0 || width > INT32_MAX - 3) return 0;
  return (width + 3) / 4 * 4;
}

LineBufferAllocator SetLineBufferAllocator(LineBufferAllocator allocator) {
  const LineBufferAllocator previous = gAllocator;
  gAllocator = allocator != nullptr ? allocator : AllocateOrdinary;
  return previous;
}

bool BuildLineBitmap(const PageLine& line, LineBitmap& bitmap) {
  return BuildLineBitmap(line, bitmap, PixelRect{0, 0, line.width, line.height});
}

bool BuildLineBitmap(const PageLine& line, LineBitmap& bitmap, const PixelRect& window) {
  bitmap = LineBitmap{};
  if (line.width <= 0 || line.height <= 0) return true;
  const std::int32_t paddedWidth = PaddedWidth(line.width);
  if (paddedWidth == 0) return false;
  const std::int64_t bytes = std::int64_t{line.height} * paddedWidth * 3;
  if (bytes > kMaxLineBitmapBytes) return false;
  if (!HasImage(line)) return true;  // a line short of its pixels is not read at all
  if (!gAllocator(static_cast<std::size_t>(bytes), bitmap.pixels)) return false;
  bitmap.width = line.width;
  bitmap.height = line.height;
  bitmap.paddedWidth = paddedWidth;
  FillLineBitmap(line, bitmap, window);
  return true;
}

void FillLineBitmap(const PageLine& line, LineBitmap& bitmap, const PixelRect& window) {
  if (bitmap.pixels.empty() || bitmap.width != line.width || bitmap.height != line.height ||
      !HasImage(line)) {
    return;
  }
  const std::int32_t left = std::max(window.left, 0);
  const std::int32_t top = std::max(window.top, 0);
  const std::int32_t right = std::min(window.right, line.width);
  const std::int32_t bottom = std::min(window.bottom, line.height);
  if (left >= right || top >= bottom) return;
  for (std::int32_t i = top; i < bottom; ++i) {
    const std::uint8_t* grey = line.pixels.data() + std::int64_t{i} * line.width + left;
    std::uint8_t* out = bitmap.pixels.data() + i * bitmap.stride() + std::int64_t{left} * 3;
    ExpandGreys(grey, right - left, out);
  }
  bitmap.filled = {left, top, right, bottom};
}

bool BuildLineBitmap(const PageLine& line, LineBitmap& bitmap, const StretchPlan& plan) {
  bitmap = LineBitmap{};
  if (!HasImage(line) || plan.device.Empty()) return true;
  const PixelRect window = plan.SourceWindow();
  if (!PixelRect{0, 0, line.width, line.height}.Contains(window)) return true;
  const std::int32_t columns = plan.device.right - plan.device.left;
  const std::int32_t rows = plan.device.bottom - plan.device.top;
  const std::int32_t paddedWidth = PaddedWidth(columns);
  if (paddedWidth == 0) return false;
  const std::int64_t bytes = std::int64_t{rows} * paddedWidth * 3;
  if (bytes > kMaxLineBitmapBytes) return false;
  const std::int32_t windowWidth = window.right - window.left;
  ReduceScratch scratch;
  if (!scratch.Allocate(columns, windowWidth) ||
      !gAllocator(static_cast<std::size_t>(bytes), bitmap.pixels)) {
    bitmap = LineBitmap{};
    return false;
  }
  bitmap.width = columns;
  bitmap.height = rows;
  bitmap.paddedWidth = paddedWidth;
  bitmap.reducedFor = plan;

  const int level = RunLevel(plan.x);
  const std::int32_t run = std::int32_t{1} << level;
  // When every span is `run` or run + 1 long, the runs of run + 1 pixels are kept right after
  // the runs of `run` (rowB after rowA), and each column picks one byte of the two; otherwise it
  // ANDs its span's first and last run.
  const bool pick = std::max<std::int64_t>(1, plan.x.sourceLength / plan.x.destLength) == run;
  // runHigh holds the span lengths until it is turned into indices.
  plan.x.SourceSpans(plan.device.left, columns, scratch.runLow, scratch.runHigh);
  for (std::int32_t j = 0; j < columns; ++j) {
    const std::int32_t low = scratch.runLow[j] - window.left, length = scratch.runHigh[j];
    scratch.runLow[j] = pick && length > run ? low + windowWidth : low;
    scratch.runHigh[j] = low + length - run;
  }
  for (std::int32_t i = 0; i < rows; ++i) {
    std::int64_t first, last;
    plan.y.SourceSpan(plan.device.top + i, first, last);
    const std::uint8_t* source = line.pixels.data() + first * line.width + window.left;
    // runs[j] becomes the AND of the 2^level pixels from j on of the span's rows, for every run
    // inside the window; a single row is read in place.
    // The levels alternate between rowA and rowC so that the last lands in rowA.
    const std::uint8_t* runs = source;
    if (last - first > 1) {
      std::uint8_t* merged = level % 2 == 0 ? scratch.rowA : scratch.rowC;
      AndBytes(merged, source, source + line.width, windowWidth);
      for (std::int64_t r = first + 2; r < last; ++r) {
        AndInto(merged, source + (r - first) * line.width, windowWidth);
      }
      runs = merged;
    }
    for (int l = 0; l < level; ++l) {
      const std::int32_t step = std::int32_t{1} << l;
      std::uint8_t* next = (level - l) % 2 == 1 ? scratch.rowA : scratch.rowC;
      AndBytes(next, runs, runs + step, windowWidth - (2 * step - 1));
      runs = next;
    }
    if (pick) {
      const std::int32_t valid = windowWidth - (run - 1);
      if (runs != scratch.rowA) std::memcpy(scratch.rowA, runs, static_cast<std::size_t>(valid));
      AndBytes(scratch.rowB, scratch.rowA, scratch.rowA + 1, valid - 1);
      PickMerged(scratch.greys, scratch.rowA, scratch.runLow, columns);
    } else {
      AndRunPairs(scratch.greys, runs, scratch.runLow, scratch.runHigh, columns);
    }
    ExpandGreys(scratch.greys, columns, bitmap.pixels.data() + i * bitmap.stride());
  }
  bitmap.filled = {0, 0, columns, rows};
  return true;
}
