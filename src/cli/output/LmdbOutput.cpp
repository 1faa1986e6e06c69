#include "cli/output/LmdbOutput.h"

#include <fcntl.h>
#include <lmdb.h>
#include <stdio.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <random>

#include "cli/output/OutputFile.h"
#include "cli/output/RunInputs.h"
#include "cli/output/SystemReason.h"

namespace {

namespace fs = std::filesystem;

// The files LMDB makes in an environment's folder.
constexpr const char* kEnvironmentFiles[] = {"data.mdb", "lock.mdb"};
constexpr std::size_t kInitialMapBytes = std::size_t{64} << 20;
// Room asked beyond a transaction's own bytes, for the tree's pages that it copies.
constexpr std::size_t kSpareMapBytes = std::size_t{1} << 20;

// What lies at `path` for a new environment to go there: nothing (false), or a folder that
// `replace` allows it to replace (true, `mode` its permission bits). Otherwise the problem is
// set in `error`.
bool ExaminePath(const std::string& path, bool replace, mode_t& mode, std::string& error) {
  if (IsRunInputAt(path)) {
    error = kOutputIsInput;
    return false;
  }
  struct stat info {};
  if (::lstat(path.c_str(), &info) != 0) {
    if (errno != ENOENT) error = SystemReason(errno);
    return false;
  }
  if (S_ISLNK(info.st_mode)) {
    error = "it is a symbolic link; name the folder itself";
    return false;
  }
  if (!S_ISDIR(info.st_mode)) {
    error = SystemReason(ENOTDIR);
    return false;
  }
  std::error_code listError;
  for (fs::directory_iterator it(path, listError), end; !listError && it != end;
       it.increment(listError)) {
    const std::string name = it->path().filename().string();
    if (std::none_of(std::begin(kEnvironmentFiles), std::end(kEnvironmentFiles),
                     [&](const char* file) { return name == file; })) {
      error = "it holds other files than an LMDB environment's data.mdb and lock.mdb";
      return false;
    }
    if (IsRunInputAt(it->path().string())) {
      error = kOutputIsInput;
      return false;
    }
  }
  if (listError) {
    error = SystemReason(listError.value());
  } else if (!replace) {
    error = "it exists (give --force to replace the environment)";
  }
  mode = info.st_mode & 0777;
  return error.empty();
}

// Whether the file system of `folder` has next to no room left for this user: a write cut short
// fills it up to the last block or so.
bool FolderIsFull(const std::string& folder) {
  struct statvfs space {};
  return ::statvfs(folder.c_str(), &space) == 0 && space.f_bavail * space.f_frsize < kSpareMapBytes;
}

// Removes the folder of an environment with the files LMDB made in it. A link put in the
// folder's place is left alone, so that nothing is removed through it.
void RemoveEnvironmentFolder(const std::string& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return;
  for (const char* file : kEnvironmentFiles) ::unlinkat(fd, file, 0);
  ::close(fd);
  ::rmdir(folder.c_str());
}

bool Succeeded(int result, std::string& error) {
  if (result != MDB_SUCCESS) error = mdb_strerror(result);
  return result == MDB_SUCCESS;
}

}  // namespace

std::unique_ptr<LmdbOutput> LmdbOutput::Open(const std::string& path, bool replace,
                                             std::string& error) {
  std::unique_ptr<LmdbOutput> output(new LmdbOutput(path, replace));
  ExaminePath(path, replace, output->mode_, error);
  if (!error.empty()) return nullptr;
  if (!output->MakeTemporaryFolder() || !output->OpenEnvironment()) {
    error = output->error_;
    return nullptr;
  }
  return output;
}

LmdbOutput::~LmdbOutput() {
  if (env_ != nullptr) mdb_env_close(env_);
  RemoveTemporary();
}

bool LmdbOutput::Fail(std::string reason) {
  if (error_.empty()) error_ = std::move(reason);
  return false;
}

// A fresh folder beside the path, made by mkdir (which never follows a planted link), with the
// files LMDB makes in it registered for removal on a fatal signal before they exist.
bool LmdbOutput::MakeTemporaryFolder() {
  const fs::path target(path_);
  const std::string base = (target.parent_path() /
                            ("." + target.filename().string().substr(0, kMaxNameInTemporary) + "."))
                               .string();
  static constexpr char kLetters[] =
      "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  std::random_device random;
  std::uniform_int_distribution<std::size_t> pick(0, sizeof kLetters - 2);
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string folder = base;
    for (int i = 0; i < 6; ++i) folder += kLetters[pick(random)];
    std::vector<std::unique_ptr<SignalCleanup>> cleanup;
    cleanup.push_back(std::make_unique<SignalCleanup>(folder, true));
    for (const char* file : kEnvironmentFiles) {
      cleanup.push_back(std::make_unique<SignalCleanup>((fs::path(folder) / file).string()));
    }
    // Held, no fatal signal falls between the creation and the registration.
    const FatalSignalsHeld held;
    if (::mkdir(folder.c_str(), 0777) != 0) {
      if (errno == EEXIST) continue;
      return Fail(SystemReason(errno));
    }
    for (const std::unique_ptr<SignalCleanup>& entry : cleanup) entry->Register();
    temporary_ = std::move(folder);
    cleanup_ = std::move(cleanup);
    return true;
  }
  return Fail(SystemReason(EEXIST));
}

bool LmdbOutput::OpenEnvironment() {
  std::string reason;
  // Each commit is left unflushed: until Publish the environment is a temporary, and a
  // durable run flushes it once at the end.
  if (!Succeeded(mdb_env_create(&env_), reason) ||
      !Succeeded(mdb_env_set_mapsize(env_, kInitialMapBytes), reason) ||
      !Succeeded(mdb_env_open(env_, temporary_.c_str(), MDB_NOSYNC, 0666), reason)) {
    return Fail(reason);
  }
  return true;
}

bool LmdbOutput::MakeRoom(std::size_t bytes) {
  MDB_envinfo info{};
  MDB_stat stat{};
  std::string reason;
  if (!Succeeded(mdb_env_info(env_, &info), reason) ||
      !Succeeded(mdb_env_stat(env_, &stat), reason)) {
    return Fail(reason);
  }
  // Copied pages of the tree and overflow pages may take twice the bytes put.
  const std::size_t needed =
      (info.me_last_pgno + 1) * std::size_t{stat.ms_psize} + 2 * bytes + kSpareMapBytes;
  if (info.me_mapsize >= needed) return true;
  return Succeeded(mdb_env_set_mapsize(env_, std::max(needed, 2 * info.me_mapsize)), reason) ||
         Fail(reason);
}

bool LmdbOutput::Write(std::span<const LmdbRecord> records) {
  if (!error_.empty()) return false;
  std::size_t bytes = 0;
  for (const auto& [key, value] : records) bytes += key.size() + value.size() + 64;
  for (;;) {
    if (!MakeRoom(bytes)) return false;
    MDB_txn* transaction = nullptr;
    MDB_dbi table = 0;
    int result = mdb_txn_begin(env_, nullptr, 0, &transaction);
    if (result == MDB_SUCCESS) result = mdb_dbi_open(transaction, nullptr, 0, &table);
    for (auto record = records.begin(); result == MDB_SUCCESS && record != records.end();
         ++record) {
      MDB_val key{record->first.size(), const_cast<char*>(record->first.data())};
      MDB_val value{record->second.size(), const_cast<char*>(record->second.data())};
      result = mdb_put(transaction, table, &key, &value, 0);
    }
    if (result == MDB_SUCCESS) {
      result = mdb_txn_commit(transaction);
    } else if (transaction != nullptr) {
      mdb_txn_abort(transaction);
    }
    if (result == MDB_MAP_FULL) {
      // More pages than foreseen were copied: twice the map, and the transaction again.
      MDB_envinfo info{};
      mdb_env_info(env_, &info);
      bytes = std::max(bytes, info.me_mapsize);
      continue;
    }
    // LMDB reports a write cut short, as on a full disk, as EIO.
    if (result == EIO && FolderIsFull(temporary_)) result = ENOSPC;
    std::string reason;
    return (Succeeded(result, reason) && ReleaseMappedPages(reason)) || Fail(reason);
  }
}

// Pages of the file that reads fault in stay mapped, each with its neighbours (the kernel maps
// pages around a fault), so the resident size would grow with the environment. Setting the map
// size maps the file afresh; the pages stay in the page cache for the next read.
bool LmdbOutput::ReleaseMappedPages(std::string& reason) {
  MDB_envinfo info{};
  return Succeeded(mdb_env_info(env_, &info), reason) &&
         Succeeded(mdb_env_set_mapsize(env_, info.me_mapsize), reason);
}

bool LmdbOutput::Publish(bool complete) {
  if (!error_.empty()) return false;
  std::string reason;
  if (DurableOutputs() && !Succeeded(mdb_env_sync(env_, 1), reason)) return Fail(reason);
  mdb_env_close(env_);
  env_ = nullptr;
  // The path is looked at again: it may have changed while the pages were written.
  const bool exists = ExaminePath(path_, replace_, mode_, reason);
  if (!reason.empty()) return Fail(reason);
  if (exists && !complete) {
    return Fail("the run failed in part, so the environment there is kept as it was");
  }
  if (mode_ != 0 && ::chmod(temporary_.c_str(), mode_) != 0) return Fail(SystemReason(errno));
  if (!MoveIntoPlace(exists)) return false;
  if (DurableOutputs() && !FlushFolder(FolderOf(path_), Flush::kFolderEntries, reason)) {
    return Fail(reason);
  }
  return true;
}

// Renames the finished temporary onto the path: onto nothing, or swapped with the environment
// there, which then goes with the temporary's name. File systems that cannot swap (network
// ones) get the old environment moved aside first.
bool LmdbOutput::MoveIntoPlace(bool exists) {
  // Held, no fatal signal comes between the rename and the removal of what it moved aside.
  const FatalSignalsHeld held;
  const unsigned how = exists ? RENAME_EXCHANGE : RENAME_NOREPLACE;
  int result = ::renameat2(AT_FDCWD, temporary_.c_str(), AT_FDCWD, path_.c_str(), how);
  if (result != 0 && errno == EINVAL && !exists) {
    // A folder renamed onto anything but an empty folder fails, so this replaces nothing.
    result = ::rename(temporary_.c_str(), path_.c_str());
  } else if (result != 0 && errno == EINVAL) {
    const std::string aside = temporary_ + ".old";
    result = ::rename(path_.c_str(), aside.c_str());
    if (result == 0 && ::rename(temporary_.c_str(), path_.c_str()) != 0) {
      const int error = errno;
      static_cast<void>(::rename(aside.c_str(), path_.c_str()));
      errno = error;
      result = -1;
    }
    if (result == 0) RemoveEnvironmentFolder(aside);
  }
  if (result != 0) {
    return Fail(errno == EEXIST || errno == ENOTEMPTY ? "it exists by now" : SystemReason(errno));
  }
  // The temporary's name now holds the replaced environment, or nothing.
  RemoveTemporary();
  return true;
}

void LmdbOutput::RemoveTemporary() {
  if (temporary_.empty()) return;
  RemoveEnvironmentFolder(temporary_);
  temporary_.clear();
  cleanup_.clear();
}
