#include "platform/system/FilePixelSource.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <memory>

namespace {

// Data extents beyond this many are not looked for: the rest of the file is taken as data,
// which reads the same, so a file of countless tiny holes costs no more than reading it.
constexpr std::size_t kMaxExtents = std::size_t{1} << 16;

std::atomic<std::uint64_t> gSources{0};

// The bytes [start, end) of the source numbered `source`, as last read on this thread.
struct ReadAhead {
  std::uint64_t source = 0;
  std::uint64_t start = 0;
  std::uint64_t end = 0;
  std::unique_ptr<std::uint8_t[]> bytes;
};
thread_local ReadAhead tReadAhead;

}  // namespace

FilePixelSource::FilePixelSource(std::shared_ptr<CFile> file)
    : file_(std::move(file)), id_(++gSources), length_(file_->GetLength()) {
  const int fd = file_->Descriptor();
  std::uint64_t at = 0;
  while (at < length_) {
    if (data_.size() == kMaxExtents) {
      data_.push_back({at, length_});
      break;
    }
    const off_t data = ::lseek(fd, static_cast<off_t>(at), SEEK_DATA);
    if (data < 0) {
      // ENXIO: nothing but a hole up to the end. Any other error: take it all as data.
      if (errno != ENXIO) data_.push_back({at, length_});
      break;
    }
    const off_t hole = ::lseek(fd, data, SEEK_HOLE);
    const std::uint64_t end =
        hole < 0 ? length_ : std::min<std::uint64_t>(static_cast<std::uint64_t>(hole), length_);
    if (end <= static_cast<std::uint64_t>(data)) break;
    data_.push_back({static_cast<std::uint64_t>(data), end});
    at = end;
  }
}

std::vector<FilePixelSource::Extent>::const_iterator FilePixelSource::ExtentAtOrAfter(
    std::uint64_t offset) const {
  return std::upper_bound(
      data_.begin(), data_.end(), offset,
      [](std::uint64_t value, const Extent& extent) { return value < extent.end; });
}

bool FilePixelSource::Fail() const {
  failed_.store(true);
  return false;
}

bool FilePixelSource::ReadBytes(std::uint64_t offset, std::uint64_t count,
                                const std::function<void(const Span&)>& take) const {
  const std::uint64_t end = offset + count;
  if (end < offset || end > length_) return Fail();
  auto extent = ExtentAtOrAfter(offset);
  for (std::uint64_t at = offset; at < end;) {
    if (extent == data_.end() || extent->start > at) {
      // A hole: zeros up to the next data or the end.
      const std::uint64_t stop = extent == data_.end() ? end : std::min(end, extent->start);
      take({at, stop, nullptr});
      at = stop;
      continue;
    }
    const std::uint64_t stop = std::min({end, extent->end, at + kPieceBytes});
    if (!TakeData(at, stop, extent->end, take)) return Fail();
    at = stop;
    if (at == extent->end) ++extent;
  }
  return true;
}

bool FilePixelSource::TakeData(std::uint64_t at, std::uint64_t stop, std::uint64_t extentEnd,
                               const std::function<void(const Span&)>& take) const {
  ReadAhead& ahead = tReadAhead;
  if (ahead.source != id_ || at < ahead.start || stop > ahead.end) {
    // Only a caller that reads on from where the last read ended (the rows of a line in turn)
    // is read ahead for; one that skips (a narrow window of wide rows) gets just what it asks.
    const bool readingOn = ahead.source == id_ && at >= ahead.start && at <= ahead.end;
    if (!ahead.bytes) ahead.bytes = std::make_unique<std::uint8_t[]>(kReadAheadBytes);
    ahead.source = 0;
    const std::uint64_t wanted =
        readingOn ? std::min<std::uint64_t>(extentEnd - at, kReadAheadBytes) : stop - at;
    const std::int64_t got = file_->ReadAt(ahead.bytes.get(), static_cast<std::size_t>(wanted), at);
    if (got < static_cast<std::int64_t>(stop - at)) return false;
    ahead.source = id_;
    ahead.start = at;
    ahead.end = at + static_cast<std::uint64_t>(got);
  }
  take({at, stop, ahead.bytes.get() + (at - ahead.start)});
  return true;
}

bool FilePixelSource::ReadRow(const PageLine& line, std::int32_t row, std::int32_t left,
                              std::int32_t right,
                              const std::function<void(const Piece&)>& take) const {
  if (line.pixelOffset < 0 || left >= right) return true;
  const std::uint64_t base =
      static_cast<std::uint64_t>(line.pixelOffset) +
      static_cast<std::uint64_t>(row) * static_cast<std::uint64_t>(line.width) +
      static_cast<std::uint64_t>(left);
  return ReadBytes(base, static_cast<std::uint64_t>(right - left), [&](const Span& span) {
    take({left + static_cast<std::int32_t>(span.start - base),
          left + static_cast<std::int32_t>(span.end - base), span.bytes});
  });
}
