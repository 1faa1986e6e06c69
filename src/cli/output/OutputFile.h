#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

#include "cli/output/ByteSink.h"
#include "cli/output/OutputTarget.h"
#include "cli/output/RunInputs.h"
#include "cli/output/TemporaryCleanup.h"

// Where every command writes its output files, to the target OpenOutputTarget resolves:
//  - standard output and other open streams: written where they stand, flushed at Commit;
//  - an existing device or FIFO: opened without creating or truncating anything, written;
//  - an empty file a caller made to receive the output (ExistingOutput::kFillOrReplace):
//    written in place, and emptied again when the output fails or is aborted;
//  - any other path: a fresh temporary in the same folder, made with O_CREAT|O_EXCL and a
//    random name so nothing planted there is followed, closed and moved onto the path at
//    Commit. A symbolic link at the path is replaced, never written through; a regular
//    file replaced keeps its permission bits (and, where the system allows, its owner).
// Temporaries never outlive a failure, an Abort, the destructor of an uncommitted file, or a
// fatal signal. Every write and close is checked; the first failure makes the rest of the
// writes no-ops and Commit false. An output that has come to be an input of the run since it
// was opened is refused before its first byte (streams, devices, filled files) or before it
// is moved onto the path (temporaries).
class OutputFile {
 public:
  using Existing = ExistingOutput;

  // Opens the output for `path`. On failure returns nothing and sets `error` to the reason,
  // e.g. "No such file or directory", or kOutputIsInput.
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
  // Closes what was written, synced when durable outputs are asked for (SetDurableOutputs),
  // unless `groupSyncs`: then the group makes its files durable together. A temporary then
  // waits, complete, for Publish.
  bool Finish(bool groupSyncs = false);
  // Moves a finished temporary onto the path (kKeep: only when nothing is there).
  bool Publish();
  // Removes a published file again, for groups that are all-or-nothing. Only the file this
  // object wrote is removed: a path that names another file by now is left alone.
  void Withdraw();
  // Drops the output: the temporary is removed, a filled file emptied again; a stream or a
  // device keeps what it got.
  void Abort();

 private:
  using Kind = OutputTarget::Kind;
  OutputFile(std::string path, Existing existing, OutputTarget target);
  bool Fail(std::string reason);
  bool MakeTemporary();
  bool FinishTemporary(bool sync);
  bool CloseDescriptor();

  std::string path_;
  Existing existing_;
  OutputTarget target_;
  int fd_;
  bool written_ = false;                    // a byte went out, so the target was checked again
  bool groupSyncs_ = false;                 // the group, not this file, makes it durable
  std::string temporary_;                   // the temporary's path while it exists
  std::unique_ptr<SignalCleanup> cleanup_;  // what a fatal signal cleans up meanwhile
  std::string error_;
  bool published_ = false;
  // The written file's identity, known after Finish, so Withdraw removes nothing else.
  dev_t device_ = 0;
  ino_t inode_ = 0;
};

// An encoder's bytes going straight into an output file as they are made.
struct OutputFileSink : ByteSink {
  OutputFile& file;
  explicit OutputFileSink(OutputFile& output) : file(output) {}
  bool Write(std::string_view bytes) override { return file.Write(bytes); }
};

// Whether output files are made durable before they are published (--sync): each file's data
// reaches the disk before it appears under its name, and its folder after. Off by default,
// as with cp: a crash of the system may then lose recent outputs, never half-write one.
void SetDurableOutputs(bool durable);
bool DurableOutputs();

// What FlushFolder flushes to the disk: the folder's entries (names just published), or
// everything written to the file system that holds it, in one round (one journal commit for
// all of a group's files rather than one per file).
enum class Flush { kFolderEntries, kFileSystem };
// False, with `reason` set, on failure.
bool FlushFolder(const std::string& path, Flush what, std::string& reason);

// The folder an output at `path` is published in ("." for a bare name).
std::string FolderOf(const std::string& path);
// How much of an output's name a temporary beside it repeats, so that its name stays within
// NAME_MAX however long the output's name is.
inline constexpr std::size_t kMaxNameInTemporary = 200;
