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

// Reads the page at `path`, opened for reading without locking it, so a page the viewer holds
// can still be inspected. On failure prints the viewer's message to stderr (for a refused page
// followed by a blank line and the reason) and returns nothing.
std::optional<CliPage> LoadPageOrReport(const std::string& path);
