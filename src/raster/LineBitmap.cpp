#include "raster/LineBitmap.h"

#include <algorithm>
#include <cstring>

#include "platform/canvas/PixelRows.h"
#include "platform/canvas/SharedRows.h"

namespace {

bool AllocateOrdinary(std::size_t size, ByteBuffer& out) { return ByteBuffer::Allocate(size, out); }

LineBufferAllocator gAllocator = AllocateOrdinary;

bool HasImage(const PageLine& line) { return HasAllPixels(line, nullptr); }

// The bitmap's shape for `columns` x `rows` pixels and its buffer; false when the buffer cannot
// be had or would exceed kMaxLineBitmapBytes.
bool AllocateBitmap(std::int32_t columns, std::int32_t rows, LineBitmap& bitmap) {
  const std::int32_t paddedWidth = PaddedWidth(columns);
  if (paddedWidth == 0) return false;
  const std::int64_t bytes = std::int64_t{rows} * paddedWidth * 3;
  if (bytes > kMaxLineBitmapBytes || !gAllocator(static_cast<std::size_t>(bytes), bitmap.pixels)) {
    return false;
  }
  bitmap.width = columns;
  bitmap.height = rows;
  bitmap.paddedWidth = paddedWidth;
  return true;
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

// The working memory of a reduced build: two indices per device column (relative to the source
// window's left) and the row kernels' plan for merging by them, and for each of the two threads
// that share the rows two source-row accumulators as wide as the window and one grey device row.
struct ReduceScratch {
  struct Rows {
    std::uint8_t* runsA = nullptr;
    std::uint8_t* runsB = nullptr;
    std::uint8_t* greys = nullptr;
  };
  ByteBuffer buffer;
  std::int32_t* runLow = nullptr;
  std::int32_t* runHigh = nullptr;
  std::uint8_t* pairPlan = nullptr;  // 4-byte aligned, after the indices
  Rows parts[2];                     // by ForSharedRows part

  bool Allocate(std::int32_t columns, std::int32_t windowWidth, std::size_t pairPlanBytes) {
    const std::size_t indexBytes = sizeof(std::int32_t) * static_cast<std::size_t>(columns);
    const std::size_t rowBytes =
        2 * static_cast<std::size_t>(windowWidth) + static_cast<std::size_t>(columns);
    if (!gAllocator(2 * indexBytes + pairPlanBytes + 2 * rowBytes, buffer)) return false;
    std::uint8_t* p = buffer.data();
    runLow = reinterpret_cast<std::int32_t*>(p);
    runHigh = reinterpret_cast<std::int32_t*>(p + indexBytes);
    pairPlan = p + 2 * indexBytes;
    p = pairPlan + pairPlanBytes;
    for (Rows& rows : parts) {
      rows.runsA = p;
      rows.runsB = p + windowWidth;
      rows.greys = p + 2 * windowWidth;
      p += rowBytes;
    }
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
  const auto widen = PixelRows().expandGreys;
  ForSharedRows(
      top, bottom, std::int64_t{bottom - top} * (right - left),
      [&](int, std::int32_t first, std::int32_t last) {
        for (std::int32_t i = first; i < last; ++i) {
          const std::uint8_t* grey = line.pixels.data() + std::int64_t{i} * line.width + left;
          std::uint8_t* out = bitmap.pixels.data() + i * bitmap.stride() + std::int64_t{left} * 3;
          widen(grey, right - left, out);
        }
      });
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
  const PixelRowKernels& kernels = PixelRows();
  if (!scratch.Allocate(columns, windowWidth, kernels.pairPlanBytes(columns)) ||
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
  // Each column ANDs its span's first and last run. runHigh holds the span lengths until it is
  // turned into indices.
  plan.x.SourceSpans(plan.device.left, columns, scratch.runLow, scratch.runHigh);
  for (std::int32_t j = 0; j < columns; ++j) {
    scratch.runLow[j] -= window.left;
    scratch.runHigh[j] = scratch.runLow[j] + scratch.runHigh[j] - run;
  }
  kernels.preparePairs(scratch.pairPlan, scratch.runLow, scratch.runHigh, columns, windowWidth);
  const auto reduceRows = [&](int part, std::int32_t firstRow, std::int32_t lastRow) {
    const ReduceScratch::Rows& work = scratch.parts[part];
    for (std::int32_t i = firstRow; i < lastRow; ++i) {
      std::int64_t first, last;
      plan.y.SourceSpan(plan.device.top + i, first, last);
      const std::uint8_t* source = line.pixels.data() + first * line.width + window.left;
      // runs[j] becomes the AND of the 2^level pixels from j on of the span's rows, for every
      // run inside the window; a single row is read in place.
      const std::uint8_t* runs = source;
      if (last - first > 1) {
        AndBytes(work.runsA, source, source + line.width, windowWidth);
        for (std::int64_t r = first + 2; r < last; ++r) {
          AndInto(work.runsA, source + (r - first) * line.width, windowWidth);
        }
        runs = work.runsA;
      }
      for (int l = 0; l < level; ++l) {
        const std::int32_t step = std::int32_t{1} << l;
        std::uint8_t* next = runs == work.runsA ? work.runsB : work.runsA;
        AndBytes(next, runs, runs + step, windowWidth - (2 * step - 1));
        runs = next;
      }
      kernels.andPreparedPairs(work.greys, runs, scratch.pairPlan, scratch.runLow, scratch.runHigh,
                               columns);
      kernels.expandGreys(work.greys, columns, bitmap.pixels.data() + i * bitmap.stride());
    }
  };
  // The source pixels read bound the work.
  ForSharedRows(0, rows, std::int64_t{window.bottom - window.top} * windowWidth, reduceRows);
  bitmap.filled = {0, 0, columns, rows};
  return true;
}

bool BuildWindowBitmap(const PageLine& line, const LinePixelSource* source, const PixelRect& window,
                       LineBitmap& bitmap) {
  bitmap = LineBitmap{};
  // Refused as a build of the whole image would be, so that a window of a huge line draws as
  // it did when every build held the whole image.
  const std::int32_t wholeWidth = PaddedWidth(line.width);
  if (line.width > 0 && line.height > 0 &&
      (wholeWidth == 0 || std::int64_t{line.height} * wholeWidth * 3 > kMaxLineBitmapBytes)) {
    return false;
  }
  if (!HasAllPixels(line, source) || window.Empty() ||
      !PixelRect{0, 0, line.width, line.height}.Contains(window)) {
    return true;
  }
  const std::int32_t columns = window.right - window.left;
  const std::int32_t rows = window.bottom - window.top;
  if (!AllocateBitmap(columns, rows, bitmap)) {
    bitmap = LineBitmap{};
    return false;
  }
  const auto widen = PixelRows().expandGreys;
  const bool inMemory = HasImage(line);
  ForSharedRows(
      0, rows, std::int64_t{rows} * columns, [&](int, std::int32_t first, std::int32_t last) {
        for (std::int32_t i = first; i < last; ++i) {
          std::uint8_t* out = bitmap.pixels.data() + i * bitmap.stride();
          const std::int32_t row = window.top + i;
          if (inMemory) {
            widen(line.pixels.data() + std::int64_t{row} * line.width + window.left, columns, out);
            continue;
          }
          const bool read = source->ReadRow(
              line, row, window.left, window.right, [&](const LinePixelSource::Piece& piece) {
                std::uint8_t* at = out + std::int64_t{piece.left - window.left} * 3;
                const std::int32_t count = piece.right - piece.left;
                if (piece.bytes != nullptr) {
                  widen(piece.bytes, count, at);
                } else {
                  std::memset(at, 0, static_cast<std::size_t>(count) * 3);
                }
              });
          // The source notes the failure; the row is black rather than undefined.
          if (!read) std::memset(out, 0, static_cast<std::size_t>(columns) * 3);
        }
      });
  bitmap.filled = {0, 0, columns, rows};
  return true;
}

bool BuildLineBitmap(const PageLine& line, const LinePixelSource& source, LineBitmap& bitmap,
                     const StretchPlan& plan) {
  bitmap = LineBitmap{};
  if (!HasAllPixels(line, &source) || plan.device.Empty()) return true;
  const PixelRect window = plan.SourceWindow();
  if (!PixelRect{0, 0, line.width, line.height}.Contains(window)) return true;
  const std::int32_t columns = plan.device.right - plan.device.left;
  const std::int32_t rows = plan.device.bottom - plan.device.top;
  // Each device column's first source column and span length, and for each of the two threads
  // that share the rows one row of merged greys.
  ByteBuffer scratch;
  const std::size_t indexBytes = sizeof(std::int32_t) * static_cast<std::size_t>(columns);
  if (!gAllocator(2 * indexBytes + 2 * static_cast<std::size_t>(columns), scratch) ||
      !AllocateBitmap(columns, rows, bitmap)) {
    bitmap = LineBitmap{};
    return false;
  }
  auto* const first = reinterpret_cast<std::int32_t*>(scratch.data());
  auto* const length = reinterpret_cast<std::int32_t*>(scratch.data() + indexBytes);
  std::uint8_t* const merged[2] = {scratch.data() + 2 * indexBytes,
                                   scratch.data() + 2 * indexBytes + columns};
  plan.x.SourceSpans(plan.device.left, columns, first, length);
  bitmap.reducedFor = plan;
  // Spans run along the device in one direction; k counts them in ascending source order.
  const bool descending = first[0] > first[columns - 1];
  const auto column = [&](std::int32_t k) { return descending ? columns - 1 - k : k; };
  const auto spanEnd = [&](std::int32_t k) { return first[column(k)] + length[column(k)]; };

  const auto mergeRows = [&](int part, std::int32_t firstRow, std::int32_t lastRow) {
    std::uint8_t* const greys = merged[part];
    // ANDs a piece of a source row into the device columns whose spans it meets.
    const auto mergePiece = [&](const LinePixelSource::Piece& piece) {
      std::int32_t k = 0, high = columns;
      while (k < high) {  // the first span that ends after the piece's left
        const std::int32_t middle = k + (high - k) / 2;
        if (spanEnd(middle) <= piece.left) {
          k = middle + 1;
        } else {
          high = middle;
        }
      }
      for (; k < columns && first[column(k)] < piece.right; ++k) {
        const std::int32_t j = column(k);
        if (piece.bytes == nullptr) {
          greys[j] = 0;
          continue;
        }
        const std::int32_t from = std::max(first[j], piece.left);
        const std::int32_t to = std::min(first[j] + length[j], piece.right);
        std::uint8_t value = greys[j];
        for (std::int32_t c = from; c < to; ++c) value &= piece.bytes[c - piece.left];
        greys[j] = value;
      }
    };
    for (std::int32_t i = firstRow; i < lastRow; ++i) {
      std::fill_n(greys, columns, std::uint8_t{0xFF});
      std::int64_t top, bottom;
      plan.y.SourceSpan(plan.device.top + i, top, bottom);
      for (std::int64_t r = top; r < bottom; ++r) {
        if (!source.ReadRow(line, static_cast<std::int32_t>(r), window.left, window.right,
                            mergePiece)) {
          std::fill_n(greys, columns, std::uint8_t{0});  // the source notes the failure
        }
        if (std::all_of(greys, greys + columns, [](std::uint8_t g) { return g == 0; })) break;
      }
      PixelRows().expandGreys(greys, columns, bitmap.pixels.data() + i * bitmap.stride());
    }
  };
  ForSharedRows(0, rows, std::int64_t{window.bottom - window.top} * (window.right - window.left),
                mergeRows);
  bitmap.filled = {0, 0, columns, rows};
  return true;
}
