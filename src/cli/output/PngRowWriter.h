#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "cli/output/ByteSink.h"

class DeflateStream;

// How the pixels of a PNG are stored: one grey byte, or red, green and blue bytes.
enum class PngColour { kGrey, kRgb };

// An 8-bit grey or RGB PNG streamed into a sink row by row, top row first: each row filtered
// (FilterPngRow) straight into the deflate stream, whose compressed bytes go out as IDAT
// chunks, so no more than the last two rows and one chunk are held here. Use: Begin, exactly
// `height` WriteRow or WriteCanvasRow calls, Finish. After any failure every later call
// returns false and error() says why.
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
  // Writes one row of `width` canvas pixels 0xFFRRGGBB: their blue byte as grey (grey pixels
  // have equal channels), or their red, green and blue.
  bool WriteCanvasRow(const std::uint32_t* pixels);
  // Writes the end of the PNG once every row is written.
  bool Finish();

  const std::string& error() const { return error_; }

 private:
  struct ChunkSink;
  bool Failed(const char* reason);
  // Filters the row in current_ into the stream, then keeps it as the row above.
  bool PutCurrentRow();

  ByteSink& sink_;
  std::unique_ptr<ChunkSink> chunks_;
  std::unique_ptr<DeflateStream> deflate_;
  int bytesPerPixel_ = 0;
  std::size_t rowBytes_ = 0;
  std::uint32_t rowsLeft_ = 0;
  std::vector<std::uint8_t> current_, previous_;
  std::vector<std::uint8_t> filtered_;  // rows too long to filter into the stream directly
  std::string error_;
};

// Streams an 8-bit grey PNG of `height` rows of `width` bytes (top row first, no padding; byte
// v is grey level v) into `sink`. False, with `error` set, when it cannot.
bool WriteGreyPng(ByteSink& sink, const std::uint8_t* pixels, std::uint32_t width,
                  std::uint32_t height, std::string& error);
