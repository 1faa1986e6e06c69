#include "cli/output/OutputGroup.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

#include "cli/output/TemporaryCleanup.h"

namespace {

// SIGINT, SIGTERM and SIGHUP held back on every thread while the object lives, so a group
// is never cut in half: a signal that came meanwhile takes effect when it goes.
class FatalSignalsHeld {
 public:
  FatalSignalsHeld() { HoldFatalSignals(); }
  ~FatalSignalsHeld() { ReleaseFatalSignals(); }
  FatalSignalsHeld(const FatalSignalsHeld&) = delete;
  FatalSignalsHeld& operator=(const FatalSignalsHeld&) = delete;
};

// An exclusive flock(2) on a folder, held while the object lives.
class FolderLock {
 public:
  explicit FolderLock(const std::string& folder)
      : fd_(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
    while (fd_ >= 0 && ::flock(fd_, LOCK_EX) != 0 && errno == EINTR) {
    }
  }
  ~FolderLock() {
    if (fd_ >= 0) ::close(fd_);
  }
  FolderLock(const FolderLock&) = delete;
  FolderLock& operator=(const FolderLock&) = delete;

 private:
  int fd_;
};

}  // namespace

OutputFile* OutputGroup::Add(const std::string& path, std::string& error) {
  std::string reason;
  std::unique_ptr<OutputFile> file = OutputFile::Open(path, existing_, reason);
  if (!file) {
    error = path + ": " + reason;
    return nullptr;
  }
  files_.push_back(std::move(file));
  return files_.back().get();
}

bool OutputGroup::Commit(std::string& error) {
  const auto fail = [&](const OutputFile& failed) {
    error = failed.path() + ": " + failed.error();
    for (const std::unique_ptr<OutputFile>& file : files_) {
      file->Withdraw();
      file->Abort();
    }
    return false;
  };
  for (const std::unique_ptr<OutputFile>& file : files_) {
    if (!file->Finish()) return fail(*file);
  }
  const FolderLock lock(folder_);
  const FatalSignalsHeld held;
  for (const std::unique_ptr<OutputFile>& file : files_) {
    if (!file->Publish()) return fail(*file);
  }
  return true;
}
