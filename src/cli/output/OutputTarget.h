#pragma once

#include <sys/types.h>

#include <optional>
#include <string>

// How an output treats what is at its path already.
enum class ExistingOutput {
  kKeep,     // leave it alone: publishing fails when the path exists by then
  kReplace,  // replace it with a new file (files published together as one group)
  // Write into an empty regular file of this user that nothing else links to: a caller made
  // it to receive the output and may be holding it open. Replace anything else.
  kFillOrReplace,
};

// Where the bytes of one output go, decided before any is written.
struct OutputTarget {
  enum class Kind {
    kStandardOutput,  // "-", a name of descriptor 1, or the file standard output goes to
    kStream,          // another open descriptor named by /dev/stderr, /dev/fd/N and the like
    kDevice,          // an existing file that is no regular file (a device, a FIFO), in place
    kFill,            // an empty file to fill in place (ExistingOutput::kFillOrReplace)
    kNewFile,         // a new file, moved onto the path once complete
  };
  Kind kind = Kind::kNewFile;
  int fd = -1;  // open for writing for kStream (a duplicate), kDevice and kFill; the caller's
  // kNewFile: the regular file at the path itself (not a link), whose permission bits and
  // owner the new file takes over.
  bool replacesFile = false;
  mode_t replacedMode = 0;
  uid_t replacedOwner = 0;
  gid_t replacedGroup = 0;
};

// The reason an output that reaches an input of the run is refused.
inline constexpr char kOutputIsInput[] = "it is one of the input files";

// The one guard every output passes: resolves `path` to its target and refuses, with `error`
// set to the reason, one that is or leads to an input of the run (through links, other
// names, bind mounts or an open stream), a folder, or a stream that is not open for writing.
// "-" and names that lead through links to this process's descriptor folder (/dev/stdout,
// /dev/stderr, /dev/fd/N, /proc/self/fd/N) are the stream they name, never a path to replace.
std::optional<OutputTarget> OpenOutputTarget(const std::string& path, ExistingOutput existing,
                                             std::string& error);

// Whether `path` names a stream, as OpenOutputTarget takes it, rather than a file or folder.
bool NamesStream(const std::string& path);

// Makes the folder `path` and any missing parents, as mkdir -p does. On failure returns false
// and sets `reason` to the system's reason, e.g. "Not a directory". A stream is no folder.
bool MakeOutputFolder(const std::string& path, std::string& reason);
