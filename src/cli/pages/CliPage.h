#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>

#include "pagefile/PageReader.h"

// An open page file, read-only; closed with the object.
class PageFileHandle {
 public:
  explicit PageFileHandle(int fd) : fd_(fd) {}
  ~PageFileHandle();
  PageFileHandle(const PageFileHandle&) = delete;
  PageFileHandle& operator=(const PageFileHandle&) = delete;
  int fd() const { return fd_; }

 private:
  int fd_;
};

// A page file read by the command-line tool with the viewer's reader. A table read (see
// ReadDepth) keeps the file open, so the header note can be read from it when it is shown.
struct CliPage {
  PageHeader header;
  std::unique_ptr<PageBody> body = std::make_unique<PageBody>();
  ReadDepth depth = ReadDepth::kWhole;
  std::shared_ptr<PageFileHandle> file;  // set for table reads
};

// Hands the header note's bytes to `chunk` in order, in pieces of at most 1 MiB, from memory
// after a whole read and from the file after a table read. False when the file cannot give
// them any more (then `chunk` got part of them).
bool ForEachNoteChunk(const CliPage& page,
                      const std::function<void(std::span<const std::uint8_t>)>& chunk);

// The viewer's open-failure text, the first line of every such report.
inline constexpr char kCannotOpenMessage[] = "Cannot open the PLIM file";

// Why a page could not be loaded: it could not be opened at all, or the reader refused it.
struct LoadFailure {
  bool opened = false;
  std::string systemReason;  // when not opened, e.g. "Permission denied"
  PageFault fault;           // set when opened
};

// The reason of `failure` in one sentence: the system's reason or the reader's.
std::string DescribeLoadFailure(const LoadFailure& failure);

// Reads the page at `path`, opened for reading without locking it, so a page the viewer holds
// can still be inspected. `onRawLabel` is handed on to the reader. Only regular files are
// read. The file is noted as an input of the run (see NoteRunInput).
std::optional<CliPage> LoadPage(const std::string& path, LoadFailure& failure,
                                const RawLabelHook& onRawLabel = {},
                                ReadDepth depth = ReadDepth::kWhole);

// Reads the page at `path` like LoadPage. On failure prints the viewer's message to stderr and
// returns nothing. Alone, the report is the message, a blank line and the reason; with
// `namePath` (pages in a batch) it is one line "PATH: message: reason".
std::optional<CliPage> LoadPageOrReport(const std::string& path, bool namePath = false,
                                        ReadDepth depth = ReadDepth::kWhole);
