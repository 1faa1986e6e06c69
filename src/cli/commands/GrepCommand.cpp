// plimdisp-cli grep PATTERN PATH... [-c] [--json] [--codepage NAME]: the lines whose labels,
// decoded from the code page, match a POSIX extended regular expression (the dialect of
// `grep -E`, with characters, not bytes, as its units; see LabelPattern). Exit status as
// grep's: 0 something matched, 1 nothing did, 2 an error (a page refused, a bad pattern, a
// label whose search was given up, lost output, wrong usage).
#include <atomic>
#include <clocale>
#include <string>

#include "cli/commands/CommandLine.h"
#include "cli/commands/Subcommand.h"
#include "cli/output/TextFormat.h"
#include "cli/pages/LabelPattern.h"
#include "cli/pages/PageBatch.h"
#include "cli/pages/PageInfo.h"
#include "platform/system/CodePage.h"

namespace {

constexpr OptionSpec kGrepOptions[] = {{"-c"}, {"--json"}, {"-j", true}};
constexpr int kExitNoMatch = 1;
constexpr int kExitError = 2;

// Character classes work on characters only under a UTF-8 character type; the C library's
// UTF-8 locale is always there on the systems this runs on, the others are tried after it.
bool UseUtf8Characters() {
  for (const char* name : {"C.UTF-8", "C.utf8", "en_US.UTF-8"}) {
    if (std::setlocale(LC_CTYPE, name) != nullptr) return true;
  }
  return false;
}

// Searches the label of `line`, scanned as it is decoded, a piece at a time, up to the first
// match; only a label the scan cannot rule out for a pattern with back-references is decoded
// whole and searched by backtracking.
LabelPattern::Outcome SearchLabel(const LabelPattern& pattern, const PageLine& line,
                                  std::string_view codePage) {
  PatternScan scan(pattern);
  DecodeLabel(line, codePage, [&](std::wstring_view piece) {
    for (const wchar_t c : piece) {
      if (!scan.Add(static_cast<char32_t>(c))) return false;
    }
    return true;
  });
  const LabelPattern::Outcome outcome = scan.Finish();
  if (outcome != LabelPattern::Outcome::kMatch || !pattern.NeedsWholeText()) return outcome;
  return pattern.Confirm(LabelText(line, codePage));
}

// Prints a matching line, its label decoded again a piece at a time rather than held whole.
void PrintMatch(const std::string& path, std::int32_t number, const PageLine& line,
                std::string_view codePage, bool json) {
  const std::string where = std::to_string(number);
  if (json) {
    PrintOut("{\"file\":" + JsonQuoted(path) + ",\"line\":" + where + ",\"label\":");
    WriteQuotedLabel(line, codePage, PrintOut);
    PrintOut("}\n");
    return;
  }
  PrintOut(DisplayText(path) + ":" + where + ": ");
  DecodeLabel(line, codePage, [&](std::wstring_view piece) {
    PrintOut(DisplayText(WideToUtf8(piece)));
    return true;
  });
  PrintOut("\n");
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
  const std::string patternText = parsed.inputs.front();
  parsed.inputs.erase(parsed.inputs.begin());
  const bool counts = parsed.Has("-c");
  const bool json = parsed.Has("--json");

  if (!UseUtf8Characters()) {
    PrintErr("plimdisp-cli grep: no UTF-8 locale to match characters in\n");
    return kExitError;
  }
  std::string problem;
  const std::optional<LabelPattern> pattern = LabelPattern::Compile(patternText, problem);
  if (!pattern) {
    PrintErr("plimdisp-cli grep: bad pattern '" + DisplayText(patternText) +
             "': " + DisplayText(problem) + "\n");
    return kExitError;
  }

  std::atomic<bool> matched = false;
  const auto perPage = [&](const std::string& path, std::size_t, bool several) {
    const std::optional<CliPage> page = LoadPageOrReport(path, several, ReadDepth::kTable);
    if (!page) return false;
    std::size_t count = 0;
    bool decided = true;
    for (std::int32_t i = 0; i < page->body->UsedLines(); ++i) {
      const PageLine& line = page->body->lines[static_cast<std::size_t>(i)];
      switch (SearchLabel(*pattern, line, parsed.codePage)) {
        case LabelPattern::Outcome::kNoMatch:
          break;
        case LabelPattern::Outcome::kGaveUp:
          // Neither a match nor a miss: the run fails rather than pass it over in silence.
          decided = false;
          PrintErr(DisplayText(path) + ":" + std::to_string(i + 1) +
                   ": the search gave up at its bound (" +
                   std::to_string(LabelPattern::kBaseSteps) + " steps and " +
                   std::to_string(LabelPattern::kStepsPerCharacter) +
                   " per character of the label), so the line is neither a match nor a miss\n");
          break;
        case LabelPattern::Outcome::kMatch:
          ++count;
          if (!counts) PrintMatch(path, i + 1, line, parsed.codePage, json);
          break;
      }
    }
    if (counts) PrintOut(CountText(path, count, json));
    if (count > 0) matched = true;
    return decided;
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
    "something matched, 1 when nothing did, 2 on errors (a search given up at its step bound "
    "among them). -j N reads N pages at a time.",
    RunGrep, kExitError};
