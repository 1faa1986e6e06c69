// plimdisp-cli info FILE... [--json] [--codepage NAME]: the header fields, the page record and
// every line record of each page.
#include <cstdio>
#include <new>
#include <string>

#include "cli/commands/CommandLine.h"
#include "cli/commands/Subcommand.h"
#include "cli/output/TextFormat.h"
#include "cli/pages/PageBatch.h"
#include "cli/pages/PageInfo.h"

namespace {

constexpr OptionSpec kInfoOptions[] = {{"--json"}};

int RunInfo(Arguments arguments) {
  ParseOutcome outcome = ParseArguments(kInfoCommand, arguments, kInfoOptions);
  if (const int* exitCode = std::get_if<int>(&outcome)) return *exitCode;
  const ParsedArguments& parsed = std::get<ParsedArguments>(outcome);
  const bool json = parsed.Has("--json");

  bool first = true;
  return ForEachPage(parsed.inputs, [&](const std::string& path, bool several) {
    // The report shows no pixels, so they are skipped, and the note is read as it is written.
    const std::optional<CliPage> page = LoadPageOrReport(path, several, ReadDepth::kTable);
    if (!page) return false;
    bool whole = true;
    std::string problem = DescribePageFault({.error = PageError::kReadFailed});
    try {
      if (json) {
        // One object per line; in a batch each names its file.
        whole = WritePageInfoJson(*page, parsed.codePage, several ? path : std::string(), PrintOut);
      } else {
        if (several) {
          PrintOut(std::string(first ? "" : "\n") + "file: " + DisplayText(path) + "\n");
        }
        whole = WritePageInfoText(*page, parsed.codePage, PrintOut);
      }
    } catch (const std::bad_alloc&) {
      whole = false;
      problem = kNotEnoughMemory;
    }
    first = false;
    if (!whole) {
      // The report stops where it failed; its line is ended, so the next page's starts afresh.
      PrintOut("\n");
      PrintErr(DisplayText(path) + ": " + kCannotOpenMessage + ": " + problem + "\n");
    }
    return whole;
  });
}

}  // namespace

const Subcommand kInfoCommand{
    "info", "info FILE... [--json] [--codepage NAME]",
    "Show the header, the page record and every line of page files (folders: their *.plim).",
    RunInfo};
