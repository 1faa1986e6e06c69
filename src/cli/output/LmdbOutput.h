#pragma once

#include <sys/types.h>

#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "cli/output/TemporaryCleanup.h"

struct MDB_env;

// One key and its value for an LMDB environment.
using LmdbRecord = std::pair<std::string_view, std::string_view>;

// An LMDB environment, the folder of data.mdb and lock.mdb that LMDB makes, written as a whole:
// made in a fresh temporary folder beside its path, filled in write transactions, and moved
// onto the path complete at Publish, so the path holds either what was there before or the
// whole new environment. The temporary never outlives a failure, the object or a fatal signal.
// The map grows with the data, so no size has to be guessed. Used by one thread at a time.
class LmdbOutput {
 public:
  // Makes the temporary environment for `path`. The path must hold nothing, or with `replace`
  // an environment (a folder holding data.mdb and lock.mdb and nothing else), which Publish
  // replaces. On failure returns nothing and sets `error`: kOutputIsInput for an input of the
  // run or a folder holding one, "it exists (...)" for an environment without `replace`, or
  // another reason (a link, no folder, a folder holding other files, the system's reason).
  static std::unique_ptr<LmdbOutput> Open(const std::string& path, bool replace,
                                          std::string& error);
  ~LmdbOutput();
  LmdbOutput(const LmdbOutput&) = delete;
  LmdbOutput& operator=(const LmdbOutput&) = delete;

  // Puts `records` in one write transaction, growing the map when they need more room. False,
  // with error() set, when it fails; the environment is then of no use.
  bool Write(std::span<const LmdbRecord> records);
  // Closes the environment, flushed first when outputs are durable (SetDurableOutputs), and
  // moves it onto the path under the same rules as Open. An environment that is not
  // `complete` (some of what was to go in failed) goes only where nothing is, so a failed run
  // never costs the environment it was to replace.
  bool Publish(bool complete);
  const std::string& error() const { return error_; }

 private:
  LmdbOutput(std::string path, bool replace) : path_(std::move(path)), replace_(replace) {}
  bool Fail(std::string reason);
  bool MakeTemporaryFolder();
  bool OpenEnvironment();
  bool MakeRoom(std::size_t bytes);
  bool ReleaseMappedPages(std::string& reason);
  bool MoveIntoPlace(bool exists);
  void RemoveTemporary();

  std::string path_;
  bool replace_;
  mode_t mode_ = 0;  // of the folder replaced, kept by the new one; 0 for a new folder
  std::string temporary_;
  // What a fatal signal removes meanwhile: the temporary folder and the files LMDB makes in it.
  std::vector<std::unique_ptr<SignalCleanup>> cleanup_;
  MDB_env* env_ = nullptr;
  std::string error_;
};
