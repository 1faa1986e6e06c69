#include "cli/output/PngRowWriter.h"

#include <zlib.h>

#include <algorithm>
#include <string_view>

#include "cli/output/Deflate.h"
#include "cli/output/PngFilters.h"

namespace {

constexpr std::size_t kChunkBytes = std::size_t{256} << 10;
constexpr std::uint32_t kMaxSide = 0x7FFFFFFF;

void PutBigEndian(std::string& out, std::uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<char>(value >> shift));
}

// A PNG chunk: length, type, data, and the CRC of type and data.
std::string Chunk(std::string_view type, std::string_view data) {
  std::string chunk;
  chunk.reserve(12 + data.size());
  PutBigEndian(chunk, static_cast<std::uint32_t>(data.size()));
  chunk.append(type).append(data);
  const auto* bytes = reinterpret_cast<const Bytef*>(chunk.data() + 4);
  PutBigEndian(chunk,
               static_cast<std::uint32_t>(crc32(0, bytes, static_cast<uInt>(4 + data.size()))));
  return chunk;
}

}  // namespace

// The compressed stream cut into IDAT chunks of kChunkBytes (the last one shorter). Whole
// chunks before an IDAT chunk are held and go out with it, so a small PNG is one write.
struct PngRowWriter::ChunkSink final : ByteSink {
  ByteSink& out;
  std::string held;
  std::string pending;
  bool failed = false;
  explicit ChunkSink(ByteSink& sink) : out(sink) {}

  bool Write(std::string_view bytes) override {
    while (!failed && !bytes.empty()) {
      const std::size_t take = std::min(bytes.size(), kChunkBytes - pending.size());
      pending.append(bytes.substr(0, take));
      bytes.remove_prefix(take);
      if (pending.size() == kChunkBytes) Flush();
    }
    return !failed;
  }
  // Writes the held chunks, the pending bytes as an IDAT chunk and `last`, a whole chunk.
  bool Flush(std::string_view last = {}) {
    if (!pending.empty()) held += Chunk("IDAT", pending);
    held += last;
    if (!failed && !held.empty()) failed = !out.Write(held);
    pending.clear();
    held.clear();
    return !failed;
  }
};

PngRowWriter::PngRowWriter(ByteSink& sink) : sink_(sink) {}

PngRowWriter::~PngRowWriter() = default;

bool PngRowWriter::Begin(std::uint32_t width, std::uint32_t height, PngColour colour) {
  if (!error_.empty() || deflate_ != nullptr) return Failed("the PNG was already begun");
  bytesPerPixel_ = colour == PngColour::kRgb ? 3 : 1;
  rowBytes_ = std::size_t{width} * static_cast<std::size_t>(bytesPerPixel_);
  if (width == 0 || height == 0 || width > kMaxSide || height > kMaxSide) {
    return Failed("the picture's size cannot be written as a PNG");
  }
  current_.assign(rowBytes_, 0);
  previous_.assign(rowBytes_, 0);
  rowsLeft_ = height;
  chunks_ = std::make_unique<ChunkSink>(sink_);
  deflate_ = std::make_unique<DeflateStream>(
      *chunks_, colour == PngColour::kRgb ? LzSearch::kRepeats : LzSearch::kRuns,
      std::uint64_t{height} * (rowBytes_ + 1));
  std::string header;
  PutBigEndian(header, width);
  PutBigEndian(header, height);
  header += {8, static_cast<char>(colour == PngColour::kRgb ? 2 : 0), 0, 0, 0};
  chunks_->held = "\x89PNG\r\n\x1A\n" + Chunk("IHDR", header);
  return true;
}

bool PngRowWriter::WriteRow(const std::uint8_t* row) {
  if (deflate_ == nullptr || !error_.empty()) return Failed("the PNG was not begun");
  std::copy_n(row, rowBytes_, current_.begin());
  return PutCurrentRow();
}

bool PngRowWriter::WriteCanvasRow(const std::uint32_t* pixels) {
  if (deflate_ == nullptr || !error_.empty()) return Failed("the PNG was not begun");
  std::uint8_t* out = current_.data();
  const std::size_t width = rowBytes_ / static_cast<std::size_t>(bytesPerPixel_);
  if (bytesPerPixel_ == 1) {
    for (std::size_t x = 0; x < width; ++x) out[x] = static_cast<std::uint8_t>(pixels[x]);
  } else {
    for (std::size_t x = 0; x < width; ++x, out += 3) {
      out[0] = static_cast<std::uint8_t>(pixels[x] >> 16);
      out[1] = static_cast<std::uint8_t>(pixels[x] >> 8);
      out[2] = static_cast<std::uint8_t>(pixels[x]);
    }
  }
  return PutCurrentRow();
}

bool PngRowWriter::PutCurrentRow() {
  if (rowsLeft_ == 0) return Failed("more rows than the PNG's height");
  // A row is filtered straight into the stream, or, when it is longer than the stream takes
  // at once, through a row of its own.
  const bool direct = rowBytes_ + 1 <= kDeflateChunk;
  if (!direct) filtered_.resize(rowBytes_ + 1);
  std::uint8_t* room = direct ? deflate_->Reserve(rowBytes_ + 1) : filtered_.data();
  if (room == nullptr) return Failed("the output cannot be written");
  FilterPngRow(current_.data(), previous_.data(), rowBytes_, bytesPerPixel_, room);
  if (!(direct ? deflate_->Commit(rowBytes_ + 1) : deflate_->Write(room, rowBytes_ + 1))) {
    return Failed("the output cannot be written");
  }
  current_.swap(previous_);
  --rowsLeft_;
  return true;
}

bool PngRowWriter::Finish() {
  if (deflate_ == nullptr || !error_.empty()) return Failed("the PNG was not begun");
  if (rowsLeft_ != 0) return Failed("fewer rows than the PNG's height");
  if (!deflate_->Finish() || !chunks_->Flush(Chunk("IEND", {}))) {
    return Failed("the output cannot be written");
  }
  return true;
}

bool PngRowWriter::Failed(const char* reason) {
  if (error_.empty()) error_ = reason;
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
