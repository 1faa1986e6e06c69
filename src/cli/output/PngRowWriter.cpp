#include "cli/output/PngRowWriter.h"

#include <png.h>

#include <csetjmp>

// The encoder state. libpng reports errors by a long jump back into the call that met them,
// so each call that may fail sets its jump point first and keeps no object with a destructor
// in that frame.
struct PngRowWriter::Codec {
  png_structp png = nullptr;
  png_infop info = nullptr;
  const char* message = nullptr;  // libpng's message of the last error

  static void OnError(png_structp png, png_const_charp message) {
    static_cast<PngRowWriter*>(png_get_error_ptr(png))->codec_->message = message;
    png_longjmp(png, 1);
  }
  static void OnWarning(png_structp, png_const_charp) {}
  static void OnWrite(png_structp png, png_bytep data, png_size_t length) {
    auto* writer = static_cast<PngRowWriter*>(png_get_io_ptr(png));
    if (writer->sinkFailed_ ||
        !writer->sink_.Write({reinterpret_cast<const char*>(data), length})) {
      writer->sinkFailed_ = true;
      png_error(png, "the output cannot be written");
    }
  }
  static void OnFlush(png_structp) {}
};

namespace {

enum Step { kHeader, kRow, kEnd };

// One libpng step behind a jump point; false when libpng raised an error.
bool RunStep(png_structp png, png_infop info, Step step, std::uint32_t width, std::uint32_t height,
             PngColour colour, const std::uint8_t* row) {
  if (setjmp(png_jmpbuf(png))) return false;
  switch (step) {
    case kHeader:
      png_set_IHDR(png, info, width, height, 8,
                   colour == PngColour::kRgb ? PNG_COLOR_TYPE_RGB : PNG_COLOR_TYPE_GRAY,
                   PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
      png_write_info(png, info);
      break;
    case kRow:
      png_write_row(png, row);
      break;
    case kEnd:
      png_write_end(png, nullptr);
      break;
  }
  return true;
}

}  // namespace

PngRowWriter::PngRowWriter(ByteSink& sink) : sink_(sink), codec_(new Codec) {}

PngRowWriter::~PngRowWriter() {
  if (codec_->png != nullptr) png_destroy_write_struct(&codec_->png, &codec_->info);
  delete codec_;
}

bool PngRowWriter::Begin(std::uint32_t width, std::uint32_t height, PngColour colour) {
  if (!error_.empty() || codec_->png != nullptr) return Failed("the PNG was already begun");
  codec_->png =
      png_create_write_struct(PNG_LIBPNG_VER_STRING, this, &Codec::OnError, &Codec::OnWarning);
  if (codec_->png != nullptr) codec_->info = png_create_info_struct(codec_->png);
  if (codec_->info == nullptr) return Failed("not enough memory for the PNG encoder");
  png_set_write_fn(codec_->png, this, &Codec::OnWrite, &Codec::OnFlush);
  return Run(kHeader, width, height, colour, nullptr);
}

bool PngRowWriter::WriteRow(const std::uint8_t* row) {
  if (codec_->png == nullptr) return Failed("the PNG was not begun");
  return Run(kRow, 0, 0, PngColour::kGrey, row);
}

bool PngRowWriter::Finish() {
  if (codec_->png == nullptr) return Failed("the PNG was not begun");
  return Run(kEnd, 0, 0, PngColour::kGrey, nullptr);
}

bool PngRowWriter::Run(int step, std::uint32_t width, std::uint32_t height, PngColour colour,
                       const std::uint8_t* row) {
  if (!error_.empty()) return false;
  if (RunStep(codec_->png, codec_->info, static_cast<Step>(step), width, height, colour, row)) {
    return true;
  }
  return Failed(sinkFailed_ ? "the output cannot be written" : codec_->message);
}

bool PngRowWriter::Failed(const char* reason) {
  if (error_.empty()) error_ = reason != nullptr ? reason : "the PNG cannot be encoded";
  return false;
}

bool WriteGreyPng(ByteSink& sink, const std::uint8_t* pixels, std::uint32_t width,
                  std::uint32_t height, std::string& error) {
  PngRowWriter png(sink);
  bool written = png.Begin(width, height, PngColour::kGrey);
  for (std::uint32_t y = 0; written && y < height; ++y) {
    written = png.WriteRow(pixels + std::size_t{y} * width);
  }
  if (written) written = png.Finish();
  if (!written) error = png.error();
  return written;
}
