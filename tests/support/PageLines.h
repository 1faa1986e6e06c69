#pragma once

#include <cstdint>
#include <cstring>
#include <functional>
#include <new>
#include <string>

#include "pagefile/PageModel.h"
#include "pagewriter/PageWriter.h"

// Lines for test pages, built in one argument order: where the image stands (left, top), its
// size (width, height), its greys, then its label. ModelLine makes a line of the page model,
// DraftLine a line record for a page file; the same arguments describe the same line.

// The grey of pixel (row, column), of which the low 8 bits are used.
using GreyPattern = std::function<int(int row, int column)>;

// Every pixel `grey`.
inline GreyPattern Solid(int grey) {
  return [grey](int, int) { return grey; };
}

// A line of the page model with the label bytes and their terminating 0 (charCount is the
// number of bytes, one per code) and pixel (i, j) = grey(i, j); no pixels when `grey` is empty
// or a side is not positive. Throws std::bad_alloc when a buffer cannot be had.
inline PageLine ModelLine(std::int32_t left, std::int32_t top, std::int32_t width,
                          std::int32_t height, const GreyPattern& grey = {},
                          const std::string& label = "") {
  PageLine line;
  line.left = left;
  line.top = top;
  line.width = width;
  line.height = height;
  line.charCount = static_cast<std::int32_t>(label.size());
  if (!ByteBuffer::Allocate(label.size() + 1, line.label)) throw std::bad_alloc();
  std::memcpy(line.label.data(), label.c_str(), label.size() + 1);
  if (grey && width > 0 && height > 0) {
    if (!ByteBuffer::Allocate(static_cast<std::size_t>(width) * height, line.pixels)) {
      throw std::bad_alloc();
    }
    for (int i = 0; i < height; ++i) {
      for (int j = 0; j < width; ++j) line.pixels.data()[i * width + j] = grey(i, j) & 0xFF;
    }
  }
  return line;
}

// A line record with the label bytes as they stand (charCount is their number, one byte per
// code) and pixel (i, j) = grey(i, j), or 0 when `grey` is empty; no pixel bytes when a side
// is not positive.
inline LineDraft DraftLine(std::int32_t left, std::int32_t top, std::int32_t width,
                           std::int32_t height, const GreyPattern& grey = {},
                           std::string label = "") {
  LineDraft line;
  line.charCount = static_cast<std::int32_t>(label.size());
  line.label = std::move(label);
  line.left = left;
  line.top = top;
  line.width = width;
  line.height = height;
  if (width > 0 && height > 0) {
    line.pixels.reserve(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    for (int i = 0; i < height; ++i) {
      for (int j = 0; j < width; ++j)
        line.pixels.push_back(static_cast<char>(grey ? grey(i, j) : 0));
    }
  }
  return line;
}
