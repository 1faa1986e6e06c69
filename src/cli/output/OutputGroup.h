#pragma once

#include <memory>
#include <string>
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
  // Finishes every file, then publishes them all under the folder's lock. On any failure the
  // files already published are withdrawn, the rest aborted, and `error` says
  // "PATH: reason" of the first failure.
  bool Commit(std::string& error);

 private:
  std::string folder_;
  OutputFile::Existing existing_;
  std::vector<std::unique_ptr<OutputFile>> files_;
};
