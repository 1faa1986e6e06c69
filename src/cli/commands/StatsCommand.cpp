// plimdisp-cli stats PATH... [--json] [--codepage NAME]: statistics over all pages: pages read
// and refused, lines, label characters with the count of each, and line image sizes.
#include <memory>
#include <mutex>

#include "cli/commands/CommandLine.h"
#include "cli/pages/CorpusStats.h"
#include "cli/pages/PageBatch.h"
#include "cli/commands/Subcommand.h"
#include "cli/output/TextFormat.h"

namespace {

constexpr OptionSpec kStatsOptions[] = {{"--json"}, {"-j", true}};

int RunStats(Arguments arguments) {
  ParseOutcome outcome = ParseArguments(kStatsCommand, arguments, kStatsOptions);
  if (const int* exitCode = std::get_if<int>(&outcome)) return *exitCode;
  const ParsedArguments& parsed = std::get<ParsedArguments>(outcome);

  const auto stats = std::make_unique<CorpusStats>();
  std::mutex statsMutex;
  const auto perPage = [&](const std::string& path, std::size_t, bool several) {
    const std::optional<CliPage> page = LoadPageOrReport(path, several, ReadDepth::kTable);
    const std::lock_guard lock(statsMutex);
    if (page) {
      stats->AddPage(*page, parsed.codePage);
    } else {
      stats->AddRefused();
    }
    return page.has_value();
  };
  const int exitCode = ForEachPage(ExpandPageInputs(parsed.inputs), perPage, parsed.jobs);
  PrintOut(parsed.Has("--json") ? stats->Json() : stats->Text());
  return exitCode;
}

}  // namespace

const Subcommand kStatsCommand{
    "stats", "stats PATH... [--json] [-j N] [--codepage NAME]",
    "Count pages, refused pages, lines and label characters, list each character with its "
    "count (most frequent first), and give the smallest, median and largest line height and "
    "width. -j N reads N pages at a time.",
    RunStats};
