#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>

#include "pagefile/PageReader.h"
#include "platform/system/FilePixelSource.h"
#include "platform/system/PageFileLoad.h"

// A page file read by the command-line tool with the viewer's reader. A table read (see
// ReadDepth) keeps the file open, so the header note can be read from it when it is shown.
struct CliPage {
  PageHeader header;
  std::unique_ptr<PageBody> body = std::make_unique<PageBody>();
  ReadDepth depth = ReadDepth::kWhole;
  std::shared_ptr<CFile> file;  // set for table reads
};

// Hands the header note's bytes to `chunk` in order, in pieces of at most 1 MiB, from memory
// after a whole read and from the file after a table read. False when the file cannot give
// them any more (then `chunk` got part of them).
bool ForEachNoteChunk(const CliPage& page,
                      const std::function<void(std::span<const std::uint8_t>)>& chunk);

// Where a drawing or an export of `page` reads the pixels a table read left in its file;
// nullptr after a whole read, whose pixels are in memory.
std::unique_ptr<FilePixelSource> PixelSourceOf(const CliPage& page);

// Reads the page at `path`, opened for reading without locking it, so a page the viewer holds
// can still be inspected. `onRawLabel` is handed on to the reader. Only regular files are
// read. The file is noted as an input of the run (see NoteRunInput).
std::optional<CliPage> LoadPage(const std::string& path, PageLoadFailure& failure,
                                const RawLabelHook& onRawLabel = {},
                                ReadDepth depth = ReadDepth::kWhole);

// Reads the page at `path` like LoadPage. On failure prints the viewer's message to stderr and
// returns nothing. Alone, the report is the message, a blank line and the reason; with
// `namePath` (pages in a batch) it is one line "PATH: message: reason".
std::optional<CliPage> LoadPageOrReport(const std::string& path, bool namePath = false,
                                        ReadDepth depth = ReadDepth::kWhole);
