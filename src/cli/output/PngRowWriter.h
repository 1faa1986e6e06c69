#pragma once

#include <cstdint>
#include <string>

#include "cli/output/ByteSink.h"

// How the pixels of a PNG are stored: one grey byte, or red, green and blue bytes.
enum class PngColour { kGrey, kRgb };

// An 8-bit grey or RGB PNG streamed into a sink row by row, top row first, so that no more than one
// row of the picture is ever held here. Use: Begin, exactly `height` WriteRow calls, Finish.
// After any failure every later call returns false and error() says why.
class PngRowWriter {
 public:
  explicit PngRowWriter(ByteSink& sink);
  ~PngRowWriter();
  PngRowWriter(const PngRowWriter&) = delete;
  PngRowWriter& operator=(const PngRowWriter&) = delete;

  // Writes the PNG header of a `width` x `height` picture (both 1 to 2^31 - 1).
  bool Begin(std::uint32_t width, std::uint32_t height, PngColour colour);
  // Writes one row of `width` pixels: a grey byte each, or red, green and blue.
  bool WriteRow(const std::uint8_t* row);
  // Writes the end of the PNG once every row is written.
  bool Finish();

  const std::string& error() const { return error_; }

 private:
  struct Codec;
  friend struct Codec;

  // Runs one libpng step (header, row, end); false, with the reason kept, when it fails.
  bool Run(int step, std::uint32_t width, std::uint32_t height, PngColour colour,
           const std::uint8_t* row);
  bool Failed(const char* reason);

  ByteSink& sink_;
  Codec* codec_;
  bool sinkFailed_ = false;
  std::string error_;
};

// Streams an 8-bit grey PNG of `height` rows of `width` bytes (top row first, no padding; byte
// v is grey level v) into `sink`. False, with `error` set, when it cannot.
bool WriteGreyPng(ByteSink& sink, const std::uint8_t* pixels, std::uint32_t width,
                  std::uint32_t height, std::string& error);
