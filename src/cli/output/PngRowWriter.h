#pragma once

#include <cstdint>
#include <string>

#include "cli/output/ByteSink.h"

// An 8-bit RGB PNG streamed into a sink row by row, top row first, so that no more than one
// row of the picture is ever held here. Use: Begin, exactly `height` WriteRow calls, Finish.
// After any failure every later call returns false and error() says why.
class PngRowWriter {
 public:
  explicit PngRowWriter(ByteSink& sink);
  ~PngRowWriter();
  PngRowWriter(const PngRowWriter&) = delete;
  PngRowWriter& operator=(const PngRowWriter&) = delete;

  // Writes the PNG header of a `width` x `height` picture (both 1 to 2^31 - 1).
  bool Begin(std::uint32_t width, std::uint32_t height);
  // Writes one row of `width` pixels, 3 bytes each: red, green, blue.
  bool WriteRow(const std::uint8_t* rgb);
  // Writes the end of the PNG once every row is written.
  bool Finish();

  const std::string& error() const { return error_; }

 private:
  struct Codec;
  friend struct Codec;

  // Runs one libpng step (header, row, end); false, with the reason kept, when it fails.
  bool Run(int step, std::uint32_t width, std::uint32_t height, const std::uint8_t* row);
  bool Failed(const char* reason);

  ByteSink& sink_;
  Codec* codec_;
  bool sinkFailed_ = false;
  std::string error_;
};
