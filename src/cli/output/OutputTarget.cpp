#include "cli/output/OutputTarget.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <filesystem>
#include <system_error>

#include "cli/output/RunInputs.h"
#include "cli/output/StandardStreams.h"
#include "cli/output/SystemReason.h"

namespace {

namespace fs = std::filesystem;

// Links followed before a name counts as leading nowhere special, as the system's own limit.
constexpr int kMaxLinkHops = 40;

bool SameFile(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// The descriptor a folder entry of /proc/self/fd is named for: canonical decimal digits only.
std::optional<int> DescriptorNumber(const std::string& name) {
  int number = -1;
  const char* end = name.data() + name.size();
  if (name.empty() || (name.size() > 1 && name.front() == '0') ||
      std::from_chars(name.data(), end, number).ptr != end) {
    return std::nullopt;
  }
  return number;
}

// The descriptor `path` names when it leads, directly or through links, to an entry of this
// process's descriptor folder. Those entries are links too, to whatever the descriptor is
// open on; they are not followed, since the descriptor itself is the output.
std::optional<int> NamedDescriptor(std::string path) {
  // Looked up at every call: procfs may give a folder a new inode number once its entry has
  // been dropped from the cache.
  struct stat ownFolder {};
  struct stat threadFolder {};
  const bool haveOwn = ::stat("/proc/self/fd", &ownFolder) == 0;
  const bool haveThread = ::stat("/proc/thread-self/fd", &threadFolder) == 0;
  if (!haveOwn && !haveThread) return std::nullopt;
  for (int hop = 0; hop < kMaxLinkHops; ++hop) {
    const fs::path named(path);
    const fs::path parent = named.has_parent_path() ? named.parent_path() : fs::path(".");
    struct stat folder {};
    if (::stat(parent.c_str(), &folder) == 0 && ((haveOwn && SameFile(folder, ownFolder)) ||
                                                 (haveThread && SameFile(folder, threadFolder)))) {
      return DescriptorNumber(named.filename().string());
    }
    std::error_code error;
    const fs::path target = fs::read_symlink(named, error);
    if (error) return std::nullopt;
    path = (target.is_absolute() ? target : parent / target).string();
  }
  return std::nullopt;
}

// Whether the file `info` is what standard output writes to.
bool IsStandardOutput(const struct stat& info) {
  struct stat standardOutput {};
  return IsWritableDescriptor(STDOUT_FILENO) && ::fstat(STDOUT_FILENO, &standardOutput) == 0 &&
         SameFile(info, standardOutput);
}

std::optional<OutputTarget> Refuse(std::string& error, std::string reason) {
  error = std::move(reason);
  return std::nullopt;
}

std::optional<OutputTarget> StreamTarget(int fd, std::string& error) {
  // Standard output goes through stdio, in order with the tool's other output; a closed one
  // fails at the first write, as every write to it does.
  if (fd == STDOUT_FILENO) {
    if (IsWritableDescriptor(fd) && IsRunInputOpen(fd)) return Refuse(error, kOutputIsInput);
    return OutputTarget{OutputTarget::Kind::kStandardOutput};
  }
  if (!IsWritableDescriptor(fd)) return Refuse(error, SystemReason(EBADF));
  if (IsRunInputOpen(fd)) return Refuse(error, kOutputIsInput);
  const int duplicate = ::fcntl(fd, F_DUPFD_CLOEXEC, STDERR_FILENO + 1);
  if (duplicate < 0) return Refuse(error, SystemReason(errno));
  return OutputTarget{OutputTarget::Kind::kStream, duplicate};
}

// Opens an existing file that is no regular file where it is, without creating or truncating.
std::optional<OutputTarget> DeviceTarget(const std::string& path, std::string& error) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return Refuse(error, SystemReason(errno));
  struct stat info {};
  std::string reason;
  if (::fstat(fd, &info) != 0) {
    reason = SystemReason(errno);
  } else if (IsRunInputOpen(fd)) {
    reason = kOutputIsInput;
  } else if (S_ISREG(info.st_mode)) {
    // Swapped in under the name since it was looked at: a regular file is not written in place.
    reason = "it changed while it was opened";
  }
  if (!reason.empty()) {
    ::close(fd);
    return Refuse(error, std::move(reason));
  }
  return OutputTarget{OutputTarget::Kind::kDevice, fd};
}

// The empty file `found` at `path`, opened to be filled where it is; nothing when it is no
// longer that file, or no longer empty, once open.
std::optional<OutputTarget> FillTarget(const std::string& path, const struct stat& found) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_NOFOLLOW | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || !SameFile(info, found) ||
      info.st_size != 0 || IsRunInputOpen(fd)) {
    ::close(fd);
    return std::nullopt;
  }
  return OutputTarget{OutputTarget::Kind::kFill, fd};
}

bool IsFillable(const struct stat& linked) {
  return S_ISREG(linked.st_mode) && linked.st_size == 0 && linked.st_nlink == 1 &&
         linked.st_uid == ::geteuid();
}

}  // namespace

bool NamesStream(const std::string& path) {
  return path == "-" || NamedDescriptor(path).has_value();
}

std::optional<OutputTarget> OpenOutputTarget(const std::string& path, ExistingOutput existing,
                                             std::string& error) {
  if (path == "-") return StreamTarget(STDOUT_FILENO, error);
  if (const std::optional<int> fd = NamedDescriptor(path)) return StreamTarget(*fd, error);
  if (IsRunInputAt(path)) return Refuse(error, kOutputIsInput);
  struct stat linked {};
  struct stat reached {};
  const bool exists = ::lstat(path.c_str(), &linked) == 0;
  // Only a link reaches something other than itself; nothing at the name reaches nothing.
  if (exists && !S_ISLNK(linked.st_mode)) reached = linked;
  const bool reaches = exists && (!S_ISLNK(linked.st_mode) || ::stat(path.c_str(), &reached) == 0);
  if (reaches && IsStandardOutput(reached)) return StreamTarget(STDOUT_FILENO, error);
  if (reaches && S_ISDIR(reached.st_mode)) return Refuse(error, SystemReason(EISDIR));
  if (reaches && !S_ISREG(reached.st_mode)) return DeviceTarget(path, error);
  if (existing == ExistingOutput::kFillOrReplace && exists && IsFillable(linked)) {
    if (std::optional<OutputTarget> fill = FillTarget(path, linked)) return fill;
  }
  OutputTarget target;
  if (exists && S_ISREG(linked.st_mode)) {
    target.replacesFile = true;
    target.replacedMode = linked.st_mode & 0777;  // no set-id bits on what is written
    target.replacedOwner = linked.st_uid;
    target.replacedGroup = linked.st_gid;
  }
  return target;
}

bool MakeOutputFolder(const std::string& path, std::string& reason) {
  std::error_code error;
  if (NamesStream(path)) {
    error = std::make_error_code(std::errc::not_a_directory);
  } else {
    fs::create_directories(path, error);
    if (!error && !fs::is_directory(path, error) && !error) {
      error = std::make_error_code(std::errc::not_a_directory);
    }
  }
  if (error) reason = SystemReason(error.value());
  return !error;
}
