#pragma once

#include <cstdint>
#include <functional>

#include "pagefile/PageModel.h"

// Pixels of lines that a table read left in the page file (PageLine::pixelOffset), handed out
// row by row as drawing or exporting needs them, so that a picture reads only the pixels it
// shows and memory follows the picture, not the page.
class LinePixelSource {
 public:
  // Columns [left, right) of one image row, or a part of them. `bytes` holds their greys; it is
  // nullptr when they are all 0 (black) and were not read, being known without reading (a hole
  // of a sparse file).
  struct Piece {
    std::int32_t left = 0;
    std::int32_t right = 0;
    const std::uint8_t* bytes = nullptr;
  };

  // Hands columns [left, right) of image row `row` of `line` (0 <= left < right <= width,
  // 0 <= row < height) to `take` in pieces, left to right, each no wider than it must be to
  // stay in bounded memory. False, after handing out what could be read, when the file could not
  // give them all (it shrank, or a read failed). Safe to call from several threads at once.
  virtual bool ReadRow(const PageLine& line, std::int32_t row, std::int32_t left,
                       std::int32_t right, const std::function<void(const Piece&)>& take) const = 0;

  // Whether any ReadRow of this source failed.
  virtual bool Failed() const = 0;

 protected:
  ~LinePixelSource() = default;
};

// Whether `line` has every pixel its size declares: in memory, or left in the file and
// `source` is there to read them.
inline bool HasAllPixels(const PageLine& line, const LinePixelSource* source) {
  if (line.width <= 0 || line.height <= 0) return false;
  if (line.pixels.size() >= static_cast<std::uint64_t>(line.width) * line.height) return true;
  return line.pixelOffset >= 0 && source != nullptr;
}
