#include "platform/system/FilePixelSource.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "support/TempDir.h"

namespace {

constexpr std::uint64_t kHole = std::uint64_t{1} << 20;

// Bytes 0..8191 and kHole + 8192 .. kHole + 16383 hold a pattern; between them lies a hole
// where the file system makes one.
std::string Pattern(std::uint64_t at) { return std::string(1, static_cast<char>('a' + at % 26)); }

std::shared_ptr<CFile> OpenSparseFile(const TempDir& dir) {
  const std::string path = dir.File("sparse");
  {
    std::ofstream out(path, std::ios::binary);
    for (std::uint64_t at = 0; at < 8192; ++at) out << Pattern(at);
    out.seekp(static_cast<std::streamoff>(kHole + 8192));
    for (std::uint64_t at = kHole + 8192; at < kHole + 16384; ++at) out << Pattern(at);
  }
  auto file = std::make_shared<CFile>();
  EXPECT_TRUE(file->Open(path, CFile::modeRead | CFile::shareDenyNone));
  return file;
}

// Every byte of the file comes out as stored, holes as zeros, data in bounded pieces; a file that
// shrinks after the source is made fails the reads past its new end, and the source says so.
TEST(FilePixelSource, ReadsDataPassesHolesAndNotesFailures) {
  TempDir dir;
  const std::shared_ptr<CFile> file = OpenSparseFile(dir);
  const FilePixelSource source(file);
  const std::uint64_t length = kHole + 16384;
  const bool sparse = ::lseek(file->Descriptor(), 0, SEEK_HOLE) < static_cast<off_t>(length);

  std::string bytes;
  int holes = 0;
  ASSERT_TRUE(source.ReadBytes(0, length, [&](const FilePixelSource::Span& span) {
    ASSERT_EQ(span.start, bytes.size());
    if (span.bytes == nullptr) {
      ++holes;
      bytes.append(span.end - span.start, '\0');
    } else {
      ASSERT_LE(span.end - span.start, std::uint64_t{FilePixelSource::kPieceBytes});
      bytes.append(reinterpret_cast<const char*>(span.bytes), span.end - span.start);
    }
  }));
  ASSERT_EQ(bytes.size(), length);
  for (const std::uint64_t at : {std::uint64_t{0}, std::uint64_t{8191}, kHole + 8192, length - 1}) {
    EXPECT_EQ(bytes.substr(at, 1), Pattern(at)) << at;
  }
  EXPECT_EQ(bytes.find_first_not_of('\0', 8192), kHole + 8192);
  if (sparse) {
    EXPECT_GE(holes, 1);
  }

  // A row of a line whose pixels start at byte 100, 3000 pixels wide: row 2, columns 5..2995,
  // bytes 6105..9095.
  PageLine line;
  line.width = 3000;
  line.height = 3;
  line.pixelOffset = 100;
  std::int32_t next = 5;
  EXPECT_TRUE(source.ReadRow(line, 2, 5, 2995, [&](const LinePixelSource::Piece& piece) {
    EXPECT_EQ(piece.left, next);
    if (piece.bytes == nullptr) {  // the row runs into the hole at byte 8192
      EXPECT_GE(6100 + piece.left, 8192);
    } else {
      EXPECT_EQ(piece.bytes[0], static_cast<std::uint8_t>(Pattern(6100 + piece.left)[0]));
    }
    next = piece.right;
  }));
  EXPECT_EQ(next, 2995);
  EXPECT_FALSE(source.Failed());

  EXPECT_FALSE(source.ReadBytes(length - 1, 2, [](const FilePixelSource::Span&) {}));
  EXPECT_TRUE(source.Failed());
  const FilePixelSource shrunk(file);
  std::filesystem::resize_file(dir.File("sparse"), 4096);
  EXPECT_FALSE(shrunk.ReadBytes(0, 8192, [](const FilePixelSource::Span&) {}));
  EXPECT_TRUE(shrunk.Failed());
}

}  // namespace
