// The PNG encoder: zlib inflates its deflate streams to exactly their input, and PNGs of grey
// and RGB pictures decode to exactly their pixels, whatever their size and content.
#include <gtest/gtest.h>
#include <zlib.h>

#include <QImage>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "cli/output/Deflate.h"
#include "cli/output/PngRowWriter.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Generated(std::size_t size,
                const std::function<std::uint8_t(std::size_t, std::mt19937&)>& f) {
  std::mt19937 random(static_cast<unsigned>(size));
  Bytes bytes(size);
  for (std::size_t i = 0; i < size; ++i) bytes[i] = f(i, random);
  return bytes;
}

TEST(PngEncoderTest, DeflateStreamsInflateToTheirInput) {
  const struct {
    const char* name;
    Bytes input;
    std::size_t piece;
  } cases[] = {
      {"nothing", {}, 1},
      {"one byte", {42}, 1},
      {"a long run across chunks", Bytes(3 * kDeflateChunk + 5, 0), 1000},
      {"noise, kept stored",
       Generated(700000,
                 [](std::size_t, std::mt19937& r) { return static_cast<std::uint8_t>(r()); }),
       kDeflateChunk},
      {"coded literals, no byte equal to the one before",
       Generated(300000,
                 [](std::size_t i, std::mt19937& r) {
                   return static_cast<std::uint8_t>(i % 2 * 32 + r() % 32);
                 }),
       kDeflateChunk},
      {"a period of three",
       Generated(600000,
                 [](std::size_t i, std::mt19937&) { return static_cast<std::uint8_t>(i / 3 * 7); }),
       4093},
      {"runs of every length among noise",
       Generated(400000,
                 [](std::size_t i, std::mt19937& r) {
                   return static_cast<std::uint8_t>(i % 300 < i % 7 * 40 ? 9 : r() % 5);
                 }),
       17},
      {"a repeat just within reach",
       Generated(100000,
                 [](std::size_t i, std::mt19937&) {
                   return static_cast<std::uint8_t>((i % kMaxDistance) * 2654435761u >> 24);
                 }),
       65536},
  };
  for (const auto& c : cases) {
    for (const LzSearch search : {LzSearch::kRuns, LzSearch::kRepeats}) {
      for (const std::uint64_t expected : {std::uint64_t{0}, std::uint64_t{c.input.size()}}) {
        SCOPED_TRACE(std::string(c.name) + (search == LzSearch::kRuns ? ", runs" : ", repeats") +
                     (expected == 0 ? "" : ", sized"));
        StringSink sink;
        {
          DeflateStream stream(sink, search, expected);
          for (std::size_t at = 0; at < c.input.size(); at += c.piece) {
            ASSERT_TRUE(stream.Write(c.input.data() + at, std::min(c.piece, c.input.size() - at)));
          }
          ASSERT_TRUE(stream.Finish());
        }
        Bytes output(c.input.size() + 1);
        uLongf length = static_cast<uLongf>(output.size());
        ASSERT_EQ(
            uncompress(output.data(), &length, reinterpret_cast<const Bytef*>(sink.bytes.data()),
                       static_cast<uLong>(sink.bytes.size())),
            Z_OK);
        output.resize(length);
        EXPECT_TRUE(output == c.input);
        // What does not compress is stored: 5 bytes in 65535 and the wrapper's 6 more.
        EXPECT_LE(sink.bytes.size(), c.input.size() + c.input.size() / 1000 + 16);
      }
    }
  }
}

// The picture `width` x `height` of `pattern`'s bytes, as PNG bytes and as the QImage they
// should decode to.
QImage Encode(std::uint32_t width, std::uint32_t height, PngColour colour,
              const std::function<std::uint8_t(int x, int y, int channel)>& pattern,
              std::string& png) {
  const int channels = colour == PngColour::kRgb ? 3 : 1;
  QImage expected(static_cast<int>(width), static_cast<int>(height),
                  colour == PngColour::kRgb ? QImage::Format_RGB888 : QImage::Format_Grayscale8);
  StringSink sink;
  PngRowWriter writer(sink);
  EXPECT_TRUE(writer.Begin(width, height, colour));
  std::vector<std::uint8_t> row(std::size_t{width} * static_cast<std::size_t>(channels));
  for (int y = 0; y < static_cast<int>(height); ++y) {
    for (std::size_t i = 0; i < row.size(); ++i) {
      row[i] = pattern(static_cast<int>(i) / channels, y, static_cast<int>(i) % channels);
    }
    std::copy(row.begin(), row.end(), expected.scanLine(y));
    EXPECT_TRUE(writer.WriteRow(row.data())) << writer.error();
  }
  EXPECT_TRUE(writer.Finish()) << writer.error();
  png = std::move(sink.bytes);
  return expected;
}

TEST(PngEncoderTest, PicturesDecodeToTheirPixels) {
  const auto white = [](int, int, int) -> std::uint8_t { return 255; };
  const auto noise = [](int x, int y, int c) {
    return static_cast<std::uint8_t>((x * 7919u ^ y * 104729u ^ c * 31u) * 2654435761u >> 24);
  };
  const auto text = [](int x, int y, int) {  // dark strokes on white, grey pixels
    return static_cast<std::uint8_t>((x / 3 + y / 5) % 7 == 0 ? (x * y) % 90 : 255);
  };
  const auto labelled = [&text](int x, int y, int c) {  // grey with blue cells
    return (x / 40 + y / 20) % 5 == 0 && c == 2 ? std::uint8_t{255} : text(x, y, c);
  };
  const struct {
    const char* name;
    std::uint32_t width, height;
    PngColour colour;
    std::function<std::uint8_t(int, int, int)> pattern;
  } cases[] = {
      {"one pixel", 1, 1, PngColour::kGrey, noise},
      {"narrower than a vector", 15, 9, PngColour::kRgb, noise},
      {"one vector wide", 16, 5, PngColour::kGrey, text},
      {"a tail past the vectors", 17, 33, PngColour::kRgb, labelled},
      {"a page of text", 1200, 700, PngColour::kGrey, text},
      {"a labelled page, several chunks", 900, 400, PngColour::kRgb, labelled},
      {"noise, several chunks", 700, 600, PngColour::kGrey, noise},
      {"the widest band", 65536, 3, PngColour::kRgb, text},
      {"rows longer than a chunk", 300000, 2, PngColour::kGrey, noise},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::string png;
    const QImage expected = Encode(c.width, c.height, c.colour, c.pattern, png);
    QImage decoded;
    ASSERT_TRUE(decoded.loadFromData(reinterpret_cast<const uchar*>(png.data()),
                                     static_cast<int>(png.size()), "PNG"));
    EXPECT_EQ(decoded.format(),
              c.colour == PngColour::kRgb ? QImage::Format_RGB32 : QImage::Format_Grayscale8);
    EXPECT_EQ(decoded.convertToFormat(expected.format()), expected);
  }
  // A white page is a few runs: its PNG stays tiny.
  std::string page;
  Encode(2000, 2000, PngColour::kGrey, white, page);
  EXPECT_LT(page.size(), 8000u);
}

TEST(PngEncoderTest, UnwritableSizesAndMisuseAreRefused) {
  StringSink sink;
  for (const auto& [width, colour] :
       {std::pair{0u, PngColour::kGrey}, std::pair{0x80000000u, PngColour::kGrey}}) {
    PngRowWriter writer(sink);
    EXPECT_FALSE(writer.Begin(width, 1, colour)) << width;
    EXPECT_FALSE(writer.error().empty());
  }
  PngRowWriter writer(sink);
  ASSERT_TRUE(writer.Begin(2, 1, PngColour::kGrey));
  EXPECT_FALSE(writer.Finish()) << "a row is missing";
  const std::uint8_t row[2] = {};
  EXPECT_FALSE(writer.WriteRow(row)) << "an error stays";
}

}  // namespace
