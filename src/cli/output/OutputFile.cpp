#include "cli/output/OutputFile.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <utility>

#include "cli/output/StandardStreams.h"
#include "cli/output/SystemReason.h"

namespace {

std::atomic<bool> g_durable{false};

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

void SetDurableOutputs(bool durable) { g_durable.store(durable); }

bool DurableOutputs() { return g_durable.load(); }

bool FlushFolder(const std::string& path, Flush what, std::string& reason) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  const bool flushed = fd >= 0 && (what == Flush::kFileSystem ? ::syncfs(fd) : ::fsync(fd)) == 0;
  if (!flushed) reason = SystemReason(errno);
  if (fd >= 0) ::close(fd);
  return flushed;
}

std::unique_ptr<OutputFile> OutputFile::Open(const std::string& path, Existing existing,
                                             std::string& error) {
  std::optional<OutputTarget> target = OpenOutputTarget(path, existing, error);
  if (!target) return nullptr;
  std::unique_ptr<OutputFile> file(new OutputFile(path, existing, *target));
  if (target->kind == Kind::kNewFile && !file->MakeTemporary()) {
    error = file->error_;
    return nullptr;
  }
  if (target->kind == Kind::kFill) {
    file->cleanup_ = std::make_unique<SignalCleanup>(file->fd_);
    file->cleanup_->Register();
  }
  return file;
}

OutputFile::OutputFile(std::string path, Existing existing, OutputTarget target)
    : path_(std::move(path)), existing_(existing), target_(target), fd_(target.fd) {}

OutputFile::~OutputFile() {
  if (!published_) Abort();
}

bool OutputFile::Fail(std::string reason) {
  if (error_.empty()) error_ = std::move(reason);
  return false;
}

// A fresh temporary beside the path, opened O_CREAT|O_EXCL (a planted link makes that fail)
// and registered for removal on a fatal signal.
bool OutputFile::MakeTemporary() {
  const std::filesystem::path target(path_);
  const std::string name = target.filename().string().substr(0, kMaxNameInTemporary);
  // Made before the file, so registering it needs no memory.
  cleanup_ =
      std::make_unique<SignalCleanup>((target.parent_path() / ("." + name + ".XXXXXX")).string());
  // Held, no fatal signal falls between the creation and the registration.
  const FatalSignalsHeld held;
  fd_ = ::mkostemp(cleanup_->path(), O_CLOEXEC);
  if (fd_ < 0) return Fail(SystemReason(errno));
  cleanup_->Register();
  temporary_ = cleanup_->path();
  return true;
}

bool OutputFile::Write(std::string_view bytes) {
  if (!error_.empty()) return false;
  if (!written_) {
    written_ = true;
    // An input noted since the target was opened is still never written over.
    const bool input = target_.kind == Kind::kStandardOutput
                           ? IsWritableDescriptor(STDOUT_FILENO) && IsRunInputOpen(STDOUT_FILENO)
                           : target_.kind != Kind::kNewFile && IsRunInputOpen(fd_);
    if (input) return Fail(kOutputIsInput);
  }
  if (target_.kind == Kind::kStandardOutput) {
    if (std::fwrite(bytes.data(), 1, bytes.size(), stdout) != bytes.size()) {
      NoteStandardOutputError();
      return Fail(SystemReason(errno));
    }
    return true;
  }
  if (fd_ < 0) return Fail(SystemReason(EBADF));
  return WriteAll(fd_, bytes) || Fail(SystemReason(errno));
}

bool OutputFile::CloseDescriptor() {
  if (fd_ < 0) return error_.empty();
  // Closed once whatever close(2) says: after EINTR the descriptor is gone on Linux.
  const bool closed = ::close(fd_) == 0;
  fd_ = -1;
  return (closed || Fail(SystemReason(errno))) && error_.empty();
}

bool OutputFile::FinishTemporary(bool sync) {
  if (fd_ < 0 || !error_.empty()) return CloseDescriptor();
  // Giving a file away needs privileges: without them it stays the caller's.
  if (target_.replacesFile) {
    static_cast<void>(::fchown(fd_, target_.replacedOwner, target_.replacedGroup));
  }
  const mode_t mode = target_.replacesFile ? target_.replacedMode : NewFileMode();
  struct stat info {};
  if (::fchmod(fd_, mode) != 0 || (sync && ::fsync(fd_) != 0) || ::fstat(fd_, &info) != 0) {
    Fail(SystemReason(errno));
  }
  device_ = info.st_dev;
  inode_ = info.st_ino;
  return CloseDescriptor();
}

bool OutputFile::Finish(bool groupSyncs) {
  groupSyncs_ = groupSyncs;
  const bool sync = DurableOutputs() && !groupSyncs;
  switch (target_.kind) {
    case Kind::kStandardOutput:
      if (!error_.empty()) return false;
      if (std::fflush(stdout) == 0) return true;
      NoteStandardOutputError();
      return Fail(SystemReason(errno));
    case Kind::kStream:
    case Kind::kDevice:
      // Not synced: many devices refuse fsync, and what they do with bytes is theirs.
      return CloseDescriptor();
    case Kind::kFill:
      // Stays open, so a failure until Publish can still empty it.
      if (error_.empty() && sync && ::fsync(fd_) != 0) return Fail(SystemReason(errno));
      return error_.empty();
    case Kind::kNewFile:
      return FinishTemporary(sync);
  }
  return false;
}

bool OutputFile::Publish() {
  if (!error_.empty()) return false;
  if (target_.kind == Kind::kFill) {
    cleanup_.reset();
    if (!CloseDescriptor()) return false;
  } else if (target_.kind == Kind::kNewFile) {
    if (fd_ >= 0 || temporary_.empty()) return false;
    // An input noted since the target was opened is still never replaced.
    if (IsRunInputAt(path_)) {
      Fail(kOutputIsInput);
      Abort();
      return false;
    }
    int result = -1;
    if (existing_ != Existing::kKeep) {
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
    cleanup_.reset();
  }
  published_ = true;
  std::string reason;
  if (target_.kind == Kind::kNewFile && DurableOutputs() && !groupSyncs_ &&
      !FlushFolder(FolderOf(path_), Flush::kFolderEntries, reason)) {
    return Fail(reason);
  }
  return true;
}

bool OutputFile::Commit() { return Finish() && Publish(); }

void OutputFile::Withdraw() {
  if (!published_ || target_.kind != Kind::kNewFile) return;
  struct stat info {};
  if (::lstat(path_.c_str(), &info) == 0 && info.st_dev == device_ && info.st_ino == inode_) {
    ::unlink(path_.c_str());
  }
  published_ = false;
}

void OutputFile::Abort() {
  if (target_.kind == Kind::kFill && fd_ >= 0) {
    // Back as it was found: empty.
    static_cast<void>(::ftruncate(fd_, 0));
    cleanup_.reset();  // before the descriptor's number can be reused
  }
  if (fd_ >= 0) {
    ::close(fd_);
    fd_ = -1;
  }
  if (!temporary_.empty()) {
    ::unlink(temporary_.c_str());
    temporary_.clear();
  }
  cleanup_.reset();
  if (error_.empty()) error_ = "aborted";
}

std::string FolderOf(const std::string& path) {
  const std::filesystem::path folder = std::filesystem::path(path).parent_path();
  return folder.empty() ? "." : folder.string();
}
