// plimdisp-cli export FILE... -o DIR [--format png] [--force] [--codepage NAME]: every line of
// each page as a grey PNG of its pixels and a UTF-8 text file of its label, plus the page's
// `info --json` report.
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "cli/CommandLine.h"
#include "cli/OutputFile.h"
#include "cli/PageBatch.h"
#include "cli/PageInfo.h"
#include "cli/PngEncoder.h"
#include "cli/Subcommand.h"

namespace {

namespace fs = std::filesystem;

constexpr OptionSpec kExportOptions[] = {{"-o", true}, {"--format", true}, {"--force"}};
constexpr std::string_view kOnlyFormat = "png";

// One file to write for a page: its path and how to make its bytes (nothing on failure).
struct PlannedFile {
  std::string path;
  std::function<std::optional<std::string>()> bytes;
};

// "<title>_<line number, 3 digits>"; lines are numbered from 1, as `info` numbers them.
std::string LineStem(const fs::path& folder, const std::string& title, std::int32_t index) {
  char number[16];
  std::snprintf(number, sizeof number, "_%03d", static_cast<int>(index + 1));
  return (folder / (title + number)).string();
}

std::vector<PlannedFile> PlanFiles(const CliPage& page, const fs::path& folder,
                                   const std::string& title, const std::string& codePage) {
  std::vector<PlannedFile> files;
  for (std::int32_t i = 0; i < page.body->UsedLines(); ++i) {
    const PageLine& line = page.body->lines[static_cast<std::size_t>(i)];
    const std::string stem = LineStem(folder, title, i);
    if (!line.pixels.empty()) {
      files.push_back({stem + ".png", [&line] {
                         return EncodeGreyPng(line.pixels.data(), line.width, line.height);
                       }});
    }
    files.push_back({stem + ".gt.txt", [&line, &codePage] {
                       return std::optional<std::string>(LabelText(line, codePage));
                     }});
  }
  files.push_back({(folder / (title + ".json")).string(),
                   [&page, &codePage] { return std::optional(PageInfoJson(page, codePage)); }});
  return files;
}

class Exporter {
 public:
  Exporter(fs::path folder, std::string codePage, bool force)
      : folder_(std::move(folder)), codePage_(std::move(codePage)), force_(force) {}

  // Writes the files of the page at `path`; false, with a report on stderr, when it fails.
  bool Export(const std::string& path, bool several) {
    const std::optional<CliPage> page = LoadPageOrReport(path, several);
    if (!page) return false;
    const std::string title = fs::path(path).stem().string();
    if (const std::optional<std::string> earlier = titles_.Claim(title, path)) {
      return Refuse(path, "not exported: its title '" + title + "' is that of " + *earlier +
                              ", exported before");
    }
    const std::vector<PlannedFile> files = PlanFiles(*page, folder_, title, codePage_);
    if (!force_) {
      for (const PlannedFile& file : files) {
        std::error_code error;
        if (fs::symlink_status(file.path, error).type() != fs::file_type::not_found) {
          return Refuse(path, "not exported: " + file.path +
                                  " exists (give --force to overwrite the files of this page)");
        }
      }
    }
    for (const PlannedFile& file : files) {
      const std::optional<std::string> bytes = file.bytes();
      if (!bytes) return Refuse(path, "not exported: " + file.path + " cannot be encoded");
      if (!WriteFileReplacing(file.path, *bytes)) {
        return Refuse(path, "not exported completely: " + file.path + " cannot be written");
      }
    }
    return true;
  }

 private:
  static bool Refuse(const std::string& path, const std::string& problem) {
    std::fprintf(stderr, "%s: %s\n", path.c_str(), problem.c_str());
    return false;
  }

  fs::path folder_;
  std::string codePage_;
  bool force_;
  OutputTitles titles_;
};

int RunExport(Arguments arguments) {
  ParseOutcome outcome = ParseArguments(kExportCommand, arguments, kExportOptions);
  if (const int* exitCode = std::get_if<int>(&outcome)) return *exitCode;
  const ParsedArguments& parsed = std::get<ParsedArguments>(outcome);
  if (!parsed.Has("-o")) return UsageError(kExportCommand, "-o DIR is missing");
  const std::string format = parsed.Value("--format", kOnlyFormat);
  if (format != kOnlyFormat) {
    return UsageError(kExportCommand, "unknown format " + format + " (only png is written)");
  }
  const fs::path folder = parsed.Value("-o");
  std::error_code error;
  fs::create_directories(folder, error);
  if (!fs::is_directory(folder, error)) {
    std::fprintf(stderr, "plimdisp-cli export: cannot make the folder %s\n", folder.c_str());
    return kExitCannotOpen;
  }
  Exporter exporter(folder, parsed.codePage, parsed.Has("--force"));
  return ForEachPage(parsed.inputs, [&](const std::string& path, bool several) {
    return exporter.Export(path, several);
  });
}

}  // namespace

const Subcommand kExportCommand{
    "export", "export FILE... -o DIR [--format png] [--force] [--codepage NAME]",
    "Write each line as DIR/<title>_<NNN>.png and .gt.txt, and DIR/<title>.json.", RunExport};
