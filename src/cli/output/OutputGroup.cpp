#include "cli/output/OutputGroup.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <set>

#include "cli/output/SystemReason.h"

namespace {

namespace fs = std::filesystem;

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

bool OutputGroup::RemoveOutsideSet(std::string& error) const {
  std::set<std::string> written;
  for (const std::unique_ptr<OutputFile>& file : files_) {
    written.insert(fs::path(file->path()).filename().string());
  }
  std::error_code listError;
  for (fs::directory_iterator it(folder_, listError), end; !listError && it != end;
       it.increment(listError)) {
    const std::string name = it->path().filename().string();
    std::error_code typeError;
    if (!belongs_(name) || written.contains(name) || it->is_directory(typeError) ||
        IsRunInputAt(it->path().string())) {
      continue;
    }
    if (::unlink(it->path().c_str()) != 0 && errno != ENOENT) {
      error = it->path().string() + ": cannot remove it: " + SystemReason(errno);
      return false;
    }
  }
  if (listError) error = folder_ + ": " + SystemReason(listError.value());
  return !listError;
}

bool OutputGroup::Commit(std::string& error) {
  const auto withdraw = [&] {
    for (const std::unique_ptr<OutputFile>& file : files_) {
      file->Withdraw();
      file->Abort();
    }
    return false;
  };
  const auto fail = [&](const OutputFile& failed) {
    error = failed.path() + ": " + failed.error();
    return withdraw();
  };
  for (const std::unique_ptr<OutputFile>& file : files_) {
    if (!file->Finish(true)) return fail(*file);
  }
  std::string reason;
  if (DurableOutputs() && !FlushFolder(folder_, Flush::kFileSystem, reason)) {
    error = folder_ + ": " + reason;
    return withdraw();
  }
  {
    const FolderLock lock(folder_);
    // Held, no fatal signal cuts the group in half.
    const FatalSignalsHeld held;
    if (belongs_ && !RemoveOutsideSet(error)) return withdraw();
    for (const std::unique_ptr<OutputFile>& file : files_) {
      if (!file->Publish()) return fail(*file);
    }
  }
  if (DurableOutputs() && !FlushFolder(folder_, Flush::kFolderEntries, reason)) {
    error = folder_ + ": " + reason;
    return false;
  }
  return true;
}
