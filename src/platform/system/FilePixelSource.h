#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "pagefile/LinePixels.h"
#include "platform/system/CFile.h"

// The pixels of a page that a table read left in its file, or any other bytes of it, read with
// pread as they are asked for, in pieces of at most kPieceBytes. Stretches of the file that hold no
// data (the holes of a sparse file, which read as 0) are handed out as black without being read, so
// a small file with huge holes costs what its data costs. The file's data extents are found once,
// when the source is made (SEEK_DATA and SEEK_HOLE; a file system without them is all data). Bytes
// past the file's end then, or that a read cannot give, fail the read. A thread that reads on
// from where its last read ended is read ahead for, up to kReadAheadBytes in one call, so the
// rows of a line, asked for one by one, cost two reads rather than one each; reads that skip
// ahead get only the bytes they ask for.
class FilePixelSource final : public LinePixelSource {
 public:
  static constexpr std::int32_t kPieceBytes = 16384;
  static constexpr std::int32_t kReadAheadBytes = 65536;

  // `file` must stay open; its position is moved.
  explicit FilePixelSource(std::shared_ptr<CFile> file);

  // Bytes [start, end) of the file; `bytes` is nullptr for a stretch of a hole (all 0).
  struct Span {
    std::uint64_t start = 0;
    std::uint64_t end = 0;
    const std::uint8_t* bytes = nullptr;
  };

  // Hands bytes [offset, offset + count) of the file to `take` in order: holes as one Span
  // each, however long, without reading them, data in Spans of at most kPieceBytes. False,
  // after handing out what could be read, when the file cannot give them all (it is shorter, or
  // a read failed). Safe to call from several threads at once.
  bool ReadBytes(std::uint64_t offset, std::uint64_t count,
                 const std::function<void(const Span&)>& take) const;

  bool ReadRow(const PageLine& line, std::int32_t row, std::int32_t left, std::int32_t right,
               const std::function<void(const Piece&)>& take) const override;
  bool Failed() const override { return failed_.load(); }

 private:
  struct Extent {
    std::uint64_t start;
    std::uint64_t end;
  };
  // The data extent holding `offset`, or the first one after it; data_.end() when none.
  std::vector<Extent>::const_iterator ExtentAtOrAfter(std::uint64_t offset) const;
  bool Fail() const;

  // Hands out data bytes [at, stop) (at most kPieceBytes, within one data extent ending at
  // `extentEnd`) from this thread's read-ahead, reading it anew when they are not in it.
  bool TakeData(std::uint64_t at, std::uint64_t stop, std::uint64_t extentEnd,
                const std::function<void(const Span&)>& take) const;

  std::shared_ptr<CFile> file_;
  std::uint64_t id_;  // names this source's bytes in the threads' read-aheads
  std::uint64_t length_ = 0;
  std::vector<Extent> data_;  // ascending, disjoint
  mutable std::atomic<bool> failed_{false};
};
