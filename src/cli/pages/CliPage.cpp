#include "cli/pages/CliPage.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <vector>

#include "cli/output/OutputFile.h"
#include "cli/output/SystemReason.h"
#include "cli/output/TextFormat.h"

namespace {

constexpr std::size_t kNoteChunk = std::size_t{1} << 20;
constexpr std::size_t kMaxReadStep = std::size_t{1} << 30;
// The note follows headerSize and headerTag8.
constexpr off_t kNoteOffset = 4 + 8;

// The reader's source over an open file from its current position, seeking over skipped bytes.
class FileSource : public ByteSource {
 public:
  FileSource(int fd, std::uint64_t length) : fd_(fd), remaining_(length) {}
  std::uint64_t Remaining() const override { return remaining_; }

  bool ReadExactly(void* destination, std::size_t count) override {
    if (count > remaining_) return false;
    auto* out = static_cast<unsigned char*>(destination);
    for (std::size_t done = 0; done < count;) {
      const ssize_t got = ::read(fd_, out + done, std::min(count - done, kMaxReadStep));
      if (got < 0 && errno == EINTR) continue;
      if (got <= 0) return false;
      done += static_cast<std::size_t>(got);
      remaining_ -= static_cast<std::size_t>(got);
    }
    return true;
  }

  bool Skip(std::uint64_t count) override {
    if (count > remaining_ || ::lseek(fd_, static_cast<off_t>(count), SEEK_CUR) < 0) return false;
    remaining_ -= count;
    return true;
  }

 private:
  int fd_;
  std::uint64_t remaining_;
};

// Opens a regular file for reading; -1 with `reason` set otherwise. O_NONBLOCK keeps a FIFO
// from hanging the open; it is cleared once the file is known to be regular.
int OpenRegularFile(const std::string& path, std::string& reason, std::uint64_t& length) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) {
    reason = SystemReason(errno);
    return -1;
  }
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) ||
      ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) {
    reason = S_ISDIR(info.st_mode) ? SystemReason(EISDIR) : "Not a regular file";
    ::close(fd);
    return -1;
  }
  length = static_cast<std::uint64_t>(info.st_size);
  return fd;
}

}  // namespace

PageFileHandle::~PageFileHandle() {
  if (fd_ >= 0) ::close(fd_);
}

bool ForEachNoteChunk(const CliPage& page,
                      const std::function<void(std::span<const std::uint8_t>)>& chunk) {
  const ByteBuffer& note = page.header.headerNote;
  if (page.depth == ReadDepth::kWhole || !page.file) {
    for (std::size_t at = 0; at < note.size(); at += kNoteChunk) {
      chunk({note.data() + at, std::min(kNoteChunk, note.size() - at)});
    }
    return true;
  }
  const auto noteBytes = static_cast<std::uint64_t>(page.header.headerSize - kFixedHeaderBytes);
  std::vector<std::uint8_t> buffer(
      static_cast<std::size_t>(std::min<std::uint64_t>(noteBytes, kNoteChunk)));
  for (std::uint64_t at = 0; at < noteBytes;) {
    const auto step = static_cast<std::size_t>(std::min<std::uint64_t>(noteBytes - at, kNoteChunk));
    const ssize_t got =
        ::pread(page.file->fd(), buffer.data(), step, kNoteOffset + static_cast<off_t>(at));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return false;
    chunk({buffer.data(), static_cast<std::size_t>(got)});
    at += static_cast<std::uint64_t>(got);
  }
  return true;
}

std::string DescribeLoadFailure(const LoadFailure& failure) {
  return failure.opened ? DescribePageFault(failure.fault) : failure.systemReason;
}

std::optional<CliPage> LoadPage(const std::string& path, LoadFailure& failure,
                                const RawLabelHook& onRawLabel, ReadDepth depth) {
  failure = LoadFailure{};
  std::uint64_t length = 0;
  const int fd = OpenRegularFile(path, failure.systemReason, length);
  if (fd < 0) return std::nullopt;
  auto file = std::make_shared<PageFileHandle>(fd);
  failure.opened = true;
  NoteRunInput(fd);
  FileSource source(fd, length);
  CliPage page;
  page.depth = depth;
  failure.fault = ReadPageHeader(source, page.header, depth);
  if (!failure.fault) {
    failure.fault = ReadPageBody(source, page.header.codeLength, *page.body, onRawLabel, depth);
  }
  if (failure.fault) return std::nullopt;
  if (depth == ReadDepth::kTable) page.file = std::move(file);
  return page;
}

std::optional<CliPage> LoadPageOrReport(const std::string& path, bool namePath, ReadDepth depth) {
  LoadFailure failure;
  std::optional<CliPage> page = LoadPage(path, failure, {}, depth);
  if (page) return page;
  const std::string reason = DescribeLoadFailure(failure);
  std::string report =
      namePath ? DisplayText(path) + ": " + kCannotOpenMessage : kCannotOpenMessage;
  if (!reason.empty()) report += (namePath ? ": " : "\n\n") + reason;
  PrintErr(report + "\n");
  return std::nullopt;
}
