#include "cli/output/OutputFile.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <set>
#include <system_error>
#include <utility>

#include "cli/output/StandardStreams.h"
#include "cli/output/SystemReason.h"
#include "cli/output/TemporaryCleanup.h"

namespace {

using Identity = std::pair<unsigned long long, unsigned long long>;  // device, inode

// Keeps a temporary's name within NAME_MAX however long the output's name is.
constexpr std::size_t kMaxNameInTemporary = 200;

std::mutex g_inputsMutex;
std::set<Identity> g_inputs;

Identity IdentityOf(const struct stat& info) {
  return {static_cast<unsigned long long>(info.st_dev),
          static_cast<unsigned long long>(info.st_ino)};
}

bool IsRunInput(const struct stat& info) {
  const std::lock_guard lock(g_inputsMutex);
  return g_inputs.contains(IdentityOf(info));
}

// The mode a plain open(2) with 0666 would give, as careful tools create files.
mode_t NewFileMode() {
  static const mode_t mode = [] {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
      if (line.rfind("Umask:", 0) == 0) {
        return static_cast<mode_t>(0666 & ~std::stoul(line.substr(6), nullptr, 8));
      }
    }
    const mode_t mask = ::umask(022);
    ::umask(mask);
    return static_cast<mode_t>(0666 & ~mask);
  }();
  return mode;
}

// Whether `info` is the file standard output writes to. A guarded closed stdout (see
// GuardStandardStreams) is open for reading only and counts as no file.
bool IsStandardOutput(const struct stat& info) {
  struct stat standardOutput {};
  const int flags = ::fcntl(STDOUT_FILENO, F_GETFL);
  return flags != -1 && (flags & O_ACCMODE) != O_RDONLY &&
         ::fstat(STDOUT_FILENO, &standardOutput) == 0 &&
         IdentityOf(info) == IdentityOf(standardOutput);
}

// A fresh temporary beside `path`, opened O_CREAT|O_EXCL (a planted link makes that fail) and
// registered for removal on a fatal signal. Returns the descriptor, or -1 with errno set.
int MakeTemporary(const std::string& path, std::string& temporary, int& cleanupSlot) {
  const std::filesystem::path target(path);
  const std::string name = target.filename().string().substr(0, kMaxNameInTemporary);
  std::string pattern = (target.parent_path() / ("." + name + ".XXXXXX")).string();
  // Held, no fatal signal falls between the creation and the registration.
  HoldFatalSignals();
  const int fd = ::mkostemp(pattern.data(), O_CLOEXEC);
  const int savedErrno = errno;
  if (fd >= 0) cleanupSlot = RememberTemporary(pattern);
  ReleaseFatalSignals();
  errno = savedErrno;
  if (fd >= 0) temporary = std::move(pattern);
  return fd;
}

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t wrote = ::write(fd, bytes.data(), std::min<std::size_t>(bytes.size(), 1 << 30));
    if (wrote < 0 && errno == EINTR) continue;
    if (wrote <= 0) {
      if (wrote == 0) errno = EIO;
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(wrote));
  }
  return true;
}

}  // namespace

bool MakeOutputFolder(const std::string& path, std::string& reason) {
  std::error_code error;
  std::filesystem::create_directories(path, error);
  if (!error && !std::filesystem::is_directory(path, error) && !error) {
    error = std::make_error_code(std::errc::not_a_directory);
  }
  if (error) reason = SystemReason(error.value());
  return !error;
}

void NoteRunInput(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return;
  const std::lock_guard lock(g_inputsMutex);
  g_inputs.insert(IdentityOf(info));
}

void NoteRunInput(int fd) {
  struct stat info {};
  if (::fstat(fd, &info) != 0) return;
  const std::lock_guard lock(g_inputsMutex);
  g_inputs.insert(IdentityOf(info));
}

std::unique_ptr<OutputFile> OutputFile::Open(const std::string& path, Existing existing,
                                             std::string& error) {
  struct stat linked {};
  struct stat target {};
  const bool exists = ::lstat(path.c_str(), &linked) == 0;
  const bool reaches = ::stat(path.c_str(), &target) == 0;
  if ((exists && IsRunInput(linked)) || (reaches && IsRunInput(target))) {
    error = "it is one of the input files";
    return nullptr;
  }
  const auto make = [&](Kind kind, int fd) {
    return std::unique_ptr<OutputFile>(new OutputFile(path, kind, existing, fd));
  };
  if (path == "-" || (reaches && IsStandardOutput(target))) {
    return make(Kind::kStandardOutput, -1);
  }
  if (reaches && S_ISDIR(target.st_mode)) {
    error = SystemReason(EISDIR);
    return nullptr;
  }
  if (reaches && !S_ISREG(target.st_mode)) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
      error = SystemReason(errno);
      return nullptr;
    }
    return make(Kind::kDirect, fd);
  }
  std::string temporary;
  int cleanupSlot = -1;
  const int fd = MakeTemporary(path, temporary, cleanupSlot);
  if (fd < 0) {
    error = SystemReason(errno);
    return nullptr;
  }
  std::unique_ptr<OutputFile> file = make(Kind::kTemporary, fd);
  file->temporary_ = std::move(temporary);
  file->cleanupSlot_ = cleanupSlot;
  if (exists && S_ISREG(linked.st_mode)) {
    file->replacesFile_ = true;
    file->replacedMode_ = linked.st_mode & 0777;  // no set-id bits on what is written
    file->replacedOwner_ = linked.st_uid;
    file->replacedGroup_ = linked.st_gid;
  }
  return file;
}

OutputFile::OutputFile(std::string path, Kind kind, Existing existing, int fd)
    : path_(std::move(path)), kind_(kind), existing_(existing), fd_(fd) {}

OutputFile::~OutputFile() {
  if (!published_) Abort();
}

bool OutputFile::Fail(std::string reason) {
  if (error_.empty()) error_ = std::move(reason);
  return false;
}

bool OutputFile::Write(std::string_view bytes) {
  if (!error_.empty()) return false;
  if (kind_ == Kind::kStandardOutput) {
    if (std::fwrite(bytes.data(), 1, bytes.size(), stdout) != bytes.size()) {
      NoteStandardOutputError();
      return Fail(SystemReason(errno));
    }
    return true;
  }
  if (fd_ < 0) return Fail(SystemReason(EBADF));
  return WriteAll(fd_, bytes) || Fail(SystemReason(errno));
}

bool OutputFile::CloseDescriptor(bool sync) {
  if (fd_ < 0) return error_.empty();
  bool fine = error_.empty();
  if (fine && sync && ::fsync(fd_) != 0) fine = Fail(SystemReason(errno));
  if (fine && kind_ == Kind::kTemporary) {
    struct stat info {};
    // Giving a file away needs privileges: without them it stays the caller's.
    if (replacesFile_) static_cast<void>(::fchown(fd_, replacedOwner_, replacedGroup_));
    const mode_t mode = replacesFile_ ? static_cast<mode_t>(replacedMode_) : NewFileMode();
    if (::fchmod(fd_, mode) != 0 || ::fstat(fd_, &info) != 0) {
      fine = Fail(SystemReason(errno));
    }
    device_ = static_cast<unsigned long long>(info.st_dev);
    inode_ = static_cast<unsigned long long>(info.st_ino);
  }
  // Closed once whatever close(2) says: after EINTR the descriptor is gone on Linux.
  if (::close(fd_) != 0 && fine) fine = Fail(SystemReason(errno));
  fd_ = -1;
  return fine;
}

bool OutputFile::Finish() {
  if (kind_ == Kind::kStandardOutput) {
    if (!error_.empty()) return false;
    if (std::fflush(stdout) == 0) return true;
    NoteStandardOutputError();
    return Fail(SystemReason(errno));
  }
  // Devices are not synced: many refuse fsync, and what they do with bytes is theirs.
  return CloseDescriptor(kind_ == Kind::kTemporary);
}

bool OutputFile::Publish() {
  if (!error_.empty() || fd_ >= 0) return false;
  if (kind_ == Kind::kTemporary && !temporary_.empty()) {
    int result = -1;
    if (existing_ == Existing::kReplace) {
      result = ::rename(temporary_.c_str(), path_.c_str());
    } else {
      result = ::renameat2(AT_FDCWD, temporary_.c_str(), AT_FDCWD, path_.c_str(), RENAME_NOREPLACE);
      // Folders that cannot rename without replacing can still refuse an existing name.
      if (result != 0 && (errno == EINVAL || errno == ENOSYS)) {
        result = ::link(temporary_.c_str(), path_.c_str());
        if (result == 0) ::unlink(temporary_.c_str());
      }
    }
    if (result != 0) {
      Fail(errno == EEXIST ? "it exists" : SystemReason(errno));
      Abort();
      return false;
    }
    temporary_.clear();
    ForgetTemporary(cleanupSlot_);
    cleanupSlot_ = -1;
  }
  published_ = true;
  return true;
}

bool OutputFile::Commit() { return Finish() && Publish(); }

void OutputFile::Withdraw() {
  if (!published_ || kind_ != Kind::kTemporary) return;
  struct stat info {};
  if (::lstat(path_.c_str(), &info) == 0 && IdentityOf(info) == Identity{device_, inode_}) {
    ::unlink(path_.c_str());
  }
  published_ = false;
}

void OutputFile::Abort() {
  if (fd_ >= 0) {
    ::close(fd_);
    fd_ = -1;
  }
  if (!temporary_.empty()) {
    ::unlink(temporary_.c_str());
    temporary_.clear();
  }
  ForgetTemporary(cleanupSlot_);
  cleanupSlot_ = -1;
  if (error_.empty()) error_ = "aborted";
}
