// plimdisp-cli stats PATH... [--json] [--codepage NAME]: statistics over all pages: pages read
// and refused, lines, label characters with the count of each, and line image sizes.
// stats --merge FILE...: the JSON of one run over the pages of the runs whose JSON the files
// hold.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <memory>
#include <mutex>
#include <new>

#include "cli/commands/CommandLine.h"
#include "cli/commands/Subcommand.h"
#include "cli/output/SystemReason.h"
#include "cli/output/TextFormat.h"
#include "cli/pages/CorpusStats.h"
#include "cli/pages/PageBatch.h"

namespace {

constexpr OptionSpec kStatsOptions[] = {{"--json"}, {"-j", true}, {"--merge"}};

// Larger than the JSON of any run: every Unicode character and every size counted.
constexpr std::size_t kMaxStatsJsonBytes = std::size_t{256} << 20;

// The content of the file at `path`; false, with `problem` set, when it cannot be read or is
// larger than kMaxStatsJsonBytes.
bool ReadStatsFile(const std::string& path, std::string& text, std::string& problem) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    problem = SystemReason(errno);
    return false;
  }
  char buffer[1 << 16];
  ssize_t got = 0;
  while ((got = ::read(fd, buffer, sizeof buffer)) != 0) {
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) problem = SystemReason(errno);
    if (got < 0 || text.size() + static_cast<std::size_t>(got) > kMaxStatsJsonBytes) break;
    text.append(buffer, static_cast<std::size_t>(got));
  }
  ::close(fd);
  if (problem.empty() && got != 0) problem = "larger than the JSON of any stats run";
  return problem.empty();
}

// Adds the figures of the runs in `text`, the content of `file`: one run's JSON, or one per
// line (xargs may hand a list to several runs, each printing its line). False, with the
// problems reported, when a run's JSON is not right.
bool MergeRuns(const std::string& file, std::string_view text, CorpusStats& merged) {
  std::string problem;
  if (const std::unique_ptr<CorpusStats> run = CorpusStats::FromJson(text, problem)) {
    merged.Merge(*run);
    return true;
  }
  // Something after the first line break: a run per line.
  if (text.find_first_not_of(" \t\r\n", text.find('\n')) == std::string_view::npos) {
    PrintErr(DisplayText(file) + ": not merged: " + DisplayText(problem) + "\n");
    return false;
  }
  bool merges = true;
  std::size_t number = 0;
  for (std::size_t start = 0; start < text.size();) {
    const std::size_t end = std::min(text.find('\n', start), text.size());
    const std::string_view line = text.substr(start, end - start);
    start = end + 1;
    ++number;
    if (line.find_first_not_of(" \t\r") == std::string_view::npos) continue;
    if (const std::unique_ptr<CorpusStats> run = CorpusStats::FromJson(line, problem)) {
      merged.Merge(*run);
    } else {
      PrintErr(DisplayText(file) + ":" + std::to_string(number) +
               ": not merged: " + DisplayText(problem) + "\n");
      merges = false;
    }
  }
  return merges;
}

// Merges the JSON of the runs in `files` and prints it; what is no such JSON is reported and
// left out.
int MergeStats(const std::vector<std::string>& files) {
  const auto merged = std::make_unique<CorpusStats>();
  int exitCode = kExitOk;
  for (const std::string& file : files) {
    std::string text, problem;
    if (!ReadStatsFile(file, text, problem)) {
      PrintErr(DisplayText(file) + ": not merged: " + DisplayText(problem) + "\n");
      exitCode = kExitCannotOpen;
    } else if (!MergeRuns(file, text, *merged)) {
      exitCode = kExitCannotOpen;
    }
  }
  PrintOut(merged->Json());
  return exitCode;
}

int RunStats(Arguments arguments) {
  ParseOutcome outcome = ParseArguments(kStatsCommand, arguments, kStatsOptions);
  if (const int* exitCode = std::get_if<int>(&outcome)) return *exitCode;
  const ParsedArguments& parsed = std::get<ParsedArguments>(outcome);
  if (parsed.Has("--merge")) return MergeStats(parsed.inputs);

  const auto stats = std::make_unique<CorpusStats>();
  std::mutex statsMutex;
  const auto perPage = [&](const std::string& path, std::size_t, bool several) {
    try {
      const std::optional<CliPage> page = LoadPageOrReport(path, several, ReadDepth::kTable);
      if (page) {
        PageCharacters characters = CountPageCharacters(*page, parsed.codePage);
        const std::lock_guard lock(statsMutex);
        stats->AddPage(*page, std::move(characters));
        return true;
      }
    } catch (const std::bad_alloc&) {
      // Nothing of the page was added: it counts as refused, like one the reader refused.
      PrintErr(DisplayText(path) + ": " + kNotEnoughMemory + "\n");
    }
    const std::lock_guard lock(statsMutex);
    stats->AddRefused();
    return false;
  };
  const int exitCode = ForEachPage(ExpandPageInputs(parsed.inputs), perPage, parsed.jobs);
  PrintOut(parsed.Has("--json") ? stats->Json() : stats->Text());
  return exitCode;
}

}  // namespace

const Subcommand kStatsCommand{
    "stats", "stats PATH... [--json] [-j N] [--codepage NAME] | stats --merge FILE.json...",
    "Count pages, refused pages, lines and label characters, list each character with its "
    "count (most frequent first), and give the smallest, median and largest line height and "
    "width. -j N reads N pages at a time. --json adds a histogram of the line sizes, so that "
    "--merge can add up the JSON of several runs into the JSON of one run over all their "
    "pages.",
    RunStats};
