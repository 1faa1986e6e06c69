#include "platform/system/CFile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <limits>
#include <system_error>

namespace {

// One read(2) call moves at most this much, well below SSIZE_MAX on every platform.
constexpr std::size_t kMaxReadChunk = std::size_t{1} << 30;

constexpr mode_t kAnyWriteBit = S_IWUSR | S_IWGRP | S_IWOTH;

// Opening without O_NONBLOCK could hang on a FIFO; only regular files are page files.
CFile::OpenFailure UsabilityOf(int fd, bool forWriting, int& systemError) {
  struct stat info {};
  if (fstat(fd, &info) != 0) {
    systemError = errno;
    return CFile::OpenFailure::kOther;
  }
  if (!S_ISREG(info.st_mode)) {
    systemError = S_ISDIR(info.st_mode) ? EISDIR : 0;
    return CFile::OpenFailure::kNotAFile;
  }
  // A file nobody may write counts as read-only even for a caller who could override it.
  if (forWriting && (info.st_mode & kAnyWriteBit) == 0) return CFile::OpenFailure::kReadOnly;
  return CFile::OpenFailure::kNone;
}

CFile::OpenFailure FailureOfOpen(int error, const std::string& path) {
  switch (error) {
    case ENOENT:
    case ENOTDIR:
      return CFile::OpenFailure::kMissing;
    case EROFS:
    case ETXTBSY:
      return CFile::OpenFailure::kReadOnly;
    case EISDIR:
    case ENXIO:
    case ENODEV:
      return CFile::OpenFailure::kNotAFile;
    case EACCES:
    case EPERM:
      // Refused for writing but still readable: the file is read-only to this user.
      return ::access(path.c_str(), R_OK) == 0 ? CFile::OpenFailure::kReadOnly
                                               : CFile::OpenFailure::kNoPermission;
    default:
      return CFile::OpenFailure::kOther;
  }
}

}  // namespace

std::string DescribeOpenFailure(CFile::OpenFailure failure, int systemError) {
  switch (failure) {
    case CFile::OpenFailure::kNone:
      return "";
    case CFile::OpenFailure::kReadOnly:
      return "The file is read-only: page files are opened for reading and writing.";
    case CFile::OpenFailure::kHeld:
      return "Another page window or program holds this file.";
    case CFile::OpenFailure::kNotAFile:
      if (systemError != EISDIR) return "Not a regular file";
      break;
    case CFile::OpenFailure::kMissing:
    case CFile::OpenFailure::kNoPermission:
    case CFile::OpenFailure::kOther:
      if (systemError == 0) return "The system refused to open the file.";
      break;
  }
  return std::error_code(systemError, std::generic_category()).message();
}

CFile::~CFile() { Close(); }

bool CFile::Open(const std::string& path, unsigned flags) {
  Close();
  lastError_ = 0;
  const bool forWriting = (flags & modeReadWrite) != 0;
  const int access = forWriting ? O_RDWR : O_RDONLY;
  const int fd = ::open(path.c_str(), access | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) {
    lastError_ = errno;
    lastFailure_ = FailureOfOpen(lastError_, path);
    return false;
  }

  const bool exclusive = (flags & shareDenyNone) == 0;
  lastFailure_ = UsabilityOf(fd, forWriting, lastError_);
  if (lastFailure_ == OpenFailure::kNone && exclusive && ::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    lastError_ = errno;
    lastFailure_ = lastError_ == EWOULDBLOCK ? OpenFailure::kHeld : OpenFailure::kOther;
  }
  if (lastFailure_ == OpenFailure::kNone &&
      ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) {
    lastError_ = errno;
    lastFailure_ = OpenFailure::kOther;
  }
  if (lastFailure_ != OpenFailure::kNone) {
    ::close(fd);
    return false;
  }
  fd_ = fd;
  return true;
}

std::size_t CFile::Read(void* buffer, std::size_t count) {
  if (fd_ < 0) return 0;
  auto* out = static_cast<unsigned char*>(buffer);
  std::size_t done = 0;
  while (done < count) {
    const ssize_t got = ::read(fd_, out + done, std::min(count - done, kMaxReadChunk));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    done += static_cast<std::size_t>(got);
  }
  return done;
}

bool CFile::SkipForward(std::uint64_t count) {
  return fd_ >= 0 && count <= static_cast<std::uint64_t>(std::numeric_limits<off_t>::max()) &&
         ::lseek(fd_, static_cast<off_t>(count), SEEK_CUR) >= 0;
}

std::int64_t CFile::ReadAt(void* buffer, std::size_t count, std::uint64_t offset) const {
  if (fd_ < 0) return -1;
  for (;;) {
    const ssize_t got =
        ::pread(fd_, buffer, std::min(count, kMaxReadChunk), static_cast<off_t>(offset));
    if (got >= 0 || errno != EINTR) return got;
  }
}

void CFile::Close() {
  if (fd_ < 0) return;
  // Closing the only descriptor of the open file releases its lock as well.
  ::close(fd_);
  fd_ = -1;
}

std::uint64_t CFile::GetLength() const {
  struct stat info {};
  if (fd_ < 0 || fstat(fd_, &info) != 0 || info.st_size < 0) return 0;
  return static_cast<std::uint64_t>(info.st_size);
}

std::uint64_t CFile::GetPosition() const {
  if (fd_ < 0) return 0;
  const off_t position = ::lseek(fd_, 0, SEEK_CUR);
  return position < 0 ? 0 : static_cast<std::uint64_t>(position);
}

CFileSource::CFileSource(CFile& file) : file_(file) {
  const std::uint64_t length = file.GetLength();
  const std::uint64_t position = file.GetPosition();
  remaining_ = length > position ? length - position : 0;
  offset_ = position;
}

std::uint64_t CFileSource::Remaining() const { return remaining_; }

bool CFileSource::Skip(std::uint64_t count) {
  if (count > remaining_ || !file_.SkipForward(count)) return false;
  remaining_ -= count;
  offset_ += count;
  return true;
}

bool CFileSource::ReadExactly(void* destination, std::size_t count) {
  if (count > remaining_) return false;
  const std::size_t got = file_.Read(destination, count);
  remaining_ -= got;
  offset_ += got;
  return got == count;
}
