#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "cli/output/OutputFile.h"

// The output files of one page in one folder: all of them appear, or none does. Publishing
// holds an exclusive lock on the folder, so two runs writing the same names into it never
// leave a mix of both.
class OutputGroup {
 public:
  OutputGroup(std::string folder, OutputFile::Existing existing)
      : folder_(std::move(folder)), existing_(existing) {}

  // Opens one more file of the group; nullptr, with `error` set to "PATH: reason", on failure.
  OutputFile* Add(const std::string& path, std::string& error);
  // Makes the group a complete set: at Commit, under the same lock, the files of the folder
  // whose names `belongs` accepts and that the group does not write are removed before the
  // group is published. Folders and inputs of the run are left alone.
  void ReplaceSet(std::function<bool(std::string_view name)> belongs) {
    belongs_ = std::move(belongs);
  }
  // Finishes every file, then publishes them all under the folder's lock; with durable
  // outputs, their data is flushed in one round before and the folder after. On any failure
  // the files already published are withdrawn, the rest aborted, and `error` says
  // "PATH: reason" of the first failure.
  bool Commit(std::string& error);

 private:
  bool RemoveOutsideSet(std::string& error) const;

  std::string folder_;
  OutputFile::Existing existing_;
  std::vector<std::unique_ptr<OutputFile>> files_;
  std::function<bool(std::string_view name)> belongs_;
};
