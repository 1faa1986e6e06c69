// plimdisp-cli check FILE... [--json] [--codepage NAME]: loads each page with the viewer's
// checks and reports what is questionable in it, one finding per line.
#include <algorithm>
#include <cstdio>
#include <new>
#include <string>
#include <vector>

#include "cli/commands/CommandLine.h"
#include "cli/commands/Subcommand.h"
#include "cli/output/TextFormat.h"
#include "cli/pages/PageBatch.h"
#include "cli/pages/PageChecks.h"

namespace {

constexpr OptionSpec kCheckOptions[] = {{"--json"}, {"-j", true}};

// "FILE:LINE: message", or "FILE: message" for the whole page.
std::string AsText(const std::string& path, const Finding& finding) {
  const std::string where = finding.line > 0 ? ":" + std::to_string(finding.line) : "";
  return DisplayText(path) + where + ": " + finding.message + "\n";
}

std::string AsJson(const std::string& path, bool refused, const std::vector<Finding>& findings) {
  std::string out = "{\"file\":" + JsonQuoted(path) +
                    ",\"refused\":" + (refused ? "true" : "false") + ",\"findings\":[";
  for (std::size_t i = 0; i < findings.size(); ++i) {
    const Finding& finding = findings[i];
    out += std::string(i > 0 ? "," : "") +
           "{\"line\":" + (finding.line > 0 ? std::to_string(finding.line) : "null") +
           ",\"kind\":" + JsonQuoted(FindingKindName(finding.kind)) +
           ",\"message\":" + JsonQuoted(finding.message) + "}";
  }
  return out + "]}";
}

int RunCheck(Arguments arguments) {
  ParseOutcome outcome = ParseArguments(kCheckCommand, arguments, kCheckOptions);
  if (const int* exitCode = std::get_if<int>(&outcome)) return *exitCode;
  const ParsedArguments& parsed = std::get<ParsedArguments>(outcome);
  const bool json = parsed.Has("--json");

  // The JSON report is written as the pages come, each page's object after a comma but the
  // first's.
  if (json) PrintOut("{\"pages\":[");
  const auto perPage = [&](const std::string& path, std::size_t index, bool) {
    std::vector<Finding> findings;
    bool read = false;
    try {
      ZeroLabelBytes zeroLabelBytes{};
      PageLoadFailure failure;
      const std::optional<CliPage> page = LoadPage(
          path, failure,
          [&](std::int32_t line, std::span<const std::uint8_t> stored) {
            zeroLabelBytes[static_cast<std::size_t>(line)] =
                static_cast<std::int32_t>(std::count(stored.begin(), stored.end(), 0));
          },
          ReadDepth::kTable);
      read = page.has_value();
      findings = page ? CheckPage(*page, zeroLabelBytes, parsed.codePage)
                      : std::vector<Finding>{LoadFailureFinding(failure)};
    } catch (const std::bad_alloc&) {
      // Still one entry for the page, so the JSON report keeps its shape.
      read = false;
      findings = {
          {FindingKind::kRefused, 0, std::string(kCannotOpenMessage) + ": " + kNotEnoughMemory}};
    }
    if (json) {
      PrintOut((index > 0 ? "," : "") + AsJson(path, !read, findings));
    } else {
      for (const Finding& finding : findings) PrintOut(AsText(path, finding));
    }
    return read;
  };
  const int exitCode = ForEachPage(ExpandPageInputs(parsed.inputs), perPage, parsed.jobs);
  if (json) PrintOut("]}\n");
  return exitCode;
}

}  // namespace

const Subcommand kCheckCommand{
    "check", "check FILE... [--json] [-j N] [--codepage NAME]",
    "Report refused pages and questionable lines; exit 1 when a page is refused. -j N checks N "
    "pages at a time.",
    RunCheck};
