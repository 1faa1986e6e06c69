// plimdisp-cli grep PATTERN PATH... [-c] [--json] [--codepage NAME]: the lines whose labels,
// decoded to UTF-8, match a POSIX extended regular expression (the dialect of `grep -E`, with
// characters, not bytes, as its units). Exit status as grep's: 0 something matched, 1 nothing
// did, 2 an error (a page refused, a bad pattern, wrong usage).
#include <regex.h>

#include <atomic>
#include <clocale>
#include <memory>
#include <string>

#include "cli/commands/CommandLine.h"
#include "cli/commands/Subcommand.h"
#include "cli/output/TextFormat.h"
#include "cli/pages/PageBatch.h"
#include "cli/pages/PageInfo.h"

namespace {

constexpr OptionSpec kGrepOptions[] = {{"-c"}, {"--json"}, {"-j", true}};
constexpr int kExitNoMatch = 1;
constexpr int kExitError = 2;

// A compiled pattern, freed with it.
class Pattern {
 public:
  Pattern() = default;
  ~Pattern() {
    if (compiled_) regfree(&regex_);
  }
  Pattern(const Pattern&) = delete;
  Pattern& operator=(const Pattern&) = delete;

  // Compiles `pattern`; on failure returns the reason.
  std::optional<std::string> Compile(const std::string& pattern) {
    const int error = regcomp(&regex_, pattern.c_str(), REG_EXTENDED | REG_NOSUB);
    if (error == 0) {
      compiled_ = true;
      return std::nullopt;
    }
    char reason[256];
    regerror(error, &regex_, reason, sizeof reason);
    return std::string(reason);
  }
  bool Matches(const std::string& text) const {
    return regexec(&regex_, text.c_str(), 0, nullptr, 0) == 0;
  }

 private:
  regex_t regex_{};
  bool compiled_ = false;
};

// Matching works on characters only under a UTF-8 character type; the C library's UTF-8 locale
// is always there on the systems this runs on, the others are tried after it.
bool UseUtf8Characters() {
  for (const char* name : {"C.UTF-8", "C.utf8", "en_US.UTF-8"}) {
    if (std::setlocale(LC_CTYPE, name) != nullptr) return true;
  }
  return false;
}

std::string MatchText(const std::string& path, std::int32_t line, const std::string& label,
                      bool json) {
  if (json) {
    return "{\"file\":" + JsonQuoted(path) + ",\"line\":" + std::to_string(line) +
           ",\"label\":" + JsonQuoted(label) + "}\n";
  }
  return DisplayText(path) + ":" + std::to_string(line) + ": " + DisplayText(label) + "\n";
}

std::string CountText(const std::string& path, std::size_t count, bool json) {
  if (json) return "{\"file\":" + JsonQuoted(path) + ",\"count\":" + std::to_string(count) + "}\n";
  return DisplayText(path) + ":" + std::to_string(count) + "\n";
}

int RunGrep(Arguments arguments) {
  ParseOutcome outcome = ParseArguments(kGrepCommand, arguments, kGrepOptions);
  if (const int* exitCode = std::get_if<int>(&outcome)) return *exitCode;
  ParsedArguments& parsed = std::get<ParsedArguments>(outcome);
  if (parsed.inputs.size() < 2) return UsageError(kGrepCommand, "PATH is missing");
  const std::string pattern = parsed.inputs.front();
  parsed.inputs.erase(parsed.inputs.begin());
  const bool counts = parsed.Has("-c");
  const bool json = parsed.Has("--json");

  if (!UseUtf8Characters()) {
    std::fprintf(stderr, "plimdisp-cli grep: no UTF-8 locale to match characters in\n");
    return kExitError;
  }
  Pattern regex;
  if (const std::optional<std::string> problem = regex.Compile(pattern)) {
    std::fprintf(stderr, "plimdisp-cli grep: bad pattern '%s': %s\n", DisplayText(pattern).c_str(),
                 problem->c_str());
    return kExitError;
  }

  std::atomic<bool> matched = false;
  const auto perPage = [&](const std::string& path, std::size_t, bool several) {
    const std::optional<CliPage> page = LoadPageOrReport(path, several, ReadDepth::kTable);
    if (!page) return false;
    std::size_t count = 0;
    std::string out;
    for (std::int32_t i = 0; i < page->body->UsedLines(); ++i) {
      const std::string label =
          LabelText(page->body->lines[static_cast<std::size_t>(i)], parsed.codePage);
      if (!regex.Matches(label)) continue;
      ++count;
      if (!counts) out += MatchText(path, i + 1, label, json);
    }
    if (counts) out = CountText(path, count, json);
    if (count > 0) matched = true;
    PrintOut(out);
    return true;
  };
  const int exitCode = ForEachPage(ExpandPageInputs(parsed.inputs), perPage, parsed.jobs);
  if (exitCode != kExitOk) return kExitError;
  return matched ? kExitOk : kExitNoMatch;
}

}  // namespace

const Subcommand kGrepCommand{
    "grep", "grep PATTERN PATH... [-c] [--json] [-j N] [--codepage NAME]",
    "Print FILE:LINE: LABEL for every line whose label matches PATTERN, a POSIX extended "
    "regular expression (as grep -E) over characters; -c counts matches per file. Exit 0 when "
    "something matched, 1 when nothing did, 2 on errors. -j N reads N pages at a time.",
    RunGrep};
