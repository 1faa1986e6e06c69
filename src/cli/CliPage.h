#pragma once

#include <memory>
#include <optional>
#include <string>

#include "pagefile/PageReader.h"

// A page file read by the command-line tool with the viewer's reader.
struct CliPage {
  PageHeader header;
  std::unique_ptr<PageBody> body = std::make_unique<PageBody>();
};

// The viewer's open-failure text, the first line of every such report.
inline constexpr char kCannotOpenMessage[] = "Cannot open the PLIM file";

// Why a page could not be loaded: it could not be opened at all, or the reader refused it.
struct LoadFailure {
  bool opened = false;
  PageFault fault;  // set when opened
};

// Reads the page at `path`, opened for reading without locking it, so a page the viewer holds
// can still be inspected. `onRawLabel` is handed on to the reader.
std::optional<CliPage> LoadPage(const std::string& path, LoadFailure& failure,
                                const RawLabelHook& onRawLabel = {});

// Reads the page at `path` like LoadPage. On failure prints the viewer's message to stderr and
// returns nothing. Alone, a refused page's report is the message, a blank line and the reason;
// with `namePath` (pages in a batch) it is one line "PATH: message: reason".
std::optional<CliPage> LoadPageOrReport(const std::string& path, bool namePath = false);
