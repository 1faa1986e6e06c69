#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cli/output/ByteSink.h"

// Where every command writes its output files. Bytes go to one of three places:
//  - "-": standard output, written through stdio and flushed at Commit;
//  - an existing path that is no regular file (a device, a FIFO, or the file standard output
//    already goes to, as /dev/stdout): opened without creating or truncating anything and
//    written directly;
//  - any other path: a fresh temporary in the same folder, made with O_CREAT|O_EXCL and a
//    random name so nothing planted there is followed, then synced, closed and moved onto the
//    path at Commit. A symbolic link at the path is replaced, never written through; a regular
//    file replaced keeps its permission bits (and, where the system allows, its owner).
// A temporary never outlives a failure, an Abort, the destructor of an uncommitted file, or
// SIGINT, SIGTERM or SIGHUP. Every write, sync and close is checked; the first failure makes
// the rest of the writes no-ops and Commit false.
class OutputFile {
 public:
  // What Commit does when the path exists by then: replace it, or fail and leave it alone.
  enum class Existing { kReplace, kKeep };

  // Opens the output for `path`. On failure returns nothing and sets `error` to the reason,
  // e.g. "No such file or directory", or "it is one of the input files".
  static std::unique_ptr<OutputFile> Open(const std::string& path, Existing existing,
                                          std::string& error);

  ~OutputFile();
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  const std::string& path() const { return path_; }
  // The reason of the first failure, empty while all went well.
  const std::string& error() const { return error_; }

  bool Write(std::string_view bytes);
  // Finish then Publish.
  bool Commit();
  // Syncs and closes what was written. A temporary then waits, complete, for Publish.
  bool Finish();
  // Moves a finished temporary onto the path (kKeep: only when nothing is there).
  bool Publish();
  // Removes a published file again, for groups that are all-or-nothing. Only the file this
  // object wrote is removed: a path that names another file by now is left alone.
  void Withdraw();
  // Drops the output: the temporary is removed; a device keeps what it got.
  void Abort();

 private:
  enum class Kind { kStandardOutput, kDirect, kTemporary };
  OutputFile(std::string path, Kind kind, Existing existing, int fd);
  bool Fail(std::string reason);
  bool CloseDescriptor(bool sync);

  std::string path_;
  Kind kind_;
  Existing existing_;
  int fd_;
  std::string temporary_;  // the temporary's path while it exists
  int cleanupSlot_ = -1;   // its registration for removal on a fatal signal
  // The regular file the temporary replaces: its mode and owner carry over, as when a file is
  // written in place; without one a new file gets 0666 less the umask.
  bool replacesFile_ = false;
  unsigned replacedMode_ = 0, replacedOwner_ = 0, replacedGroup_ = 0;
  std::string error_;
  bool published_ = false;
  // The written file's identity, known after Finish, so Withdraw removes nothing else.
  unsigned long long device_ = 0, inode_ = 0;
};

// An encoder's bytes going straight into an output file as they are made.
struct OutputFileSink : ByteSink {
  OutputFile& file;
  explicit OutputFileSink(OutputFile& output) : file(output) {}
  bool Write(std::string_view bytes) override { return file.Write(bytes); }
};

// Records a file the run reads, so that no output is ever written over it. Files that cannot
// be looked at (missing ones) are not recorded. Safe to call from several threads.
void NoteRunInput(const std::string& path);
void NoteRunInput(int fd);

// Makes the folder `path` and any missing parents, as mkdir -p does. On failure returns false
// and sets `reason` to the system's reason, e.g. "Not a directory".
bool MakeOutputFolder(const std::string& path, std::string& reason);
