// plimdisp-cli export FILE... -o DIR [--format lines|page|lmdb] [--force] [--codepage NAME]:
// with `lines`, every line of each page as a grey PNG of its pixels and a UTF-8 text file of
// its label, plus the page's `info --json` report; with `page`, the page's line images on a
// white page as a grey PNG and its lines as PAGE XML; with `lmdb`, the lines' PNGs and labels
// in one LMDB environment (LmdbExport.h).
#include <charconv>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "cli/commands/CommandLine.h"
#include "cli/commands/LmdbExport.h"
#include "cli/commands/Subcommand.h"
#include "cli/output/OutputGroup.h"
#include "cli/output/PngRowWriter.h"
#include "cli/output/SystemReason.h"
#include "cli/output/TextFormat.h"
#include "cli/pages/PageBatch.h"
#include "cli/pages/PageInfo.h"
#include "cli/pages/PageRender.h"
#include "cli/pages/PageXml.h"

namespace {

namespace fs = std::filesystem;

constexpr OptionSpec kExportOptions[] = {{"-o", true},
                                         {"--format", true},
                                         {"--force"},
                                         {"-j", true},
                                         {"--sync"},
                                         {kMinWidthOption, true},
                                         {kMinHeightOption, true}};
constexpr std::string_view kLinesFormat = "lines";
constexpr std::string_view kOldLinesFormat = "png";  // the name `lines` had first
constexpr std::string_view kPageFormat = "page";
constexpr std::string_view kLmdbFormat = "lmdb";

// One file to write for a page: its path and how to write its bytes to an output. `write`
// returns false, with `problem` set, when the bytes cannot be made.
struct PlannedFile {
  std::string path;
  std::function<bool(OutputFile& out, std::string& problem)> write;
};

// "_<line number, at least 3 digits>"; lines are numbered from 1, as `info` numbers them.
std::string LineNumberSuffix(std::int64_t number) {
  char suffix[24];
  std::snprintf(suffix, sizeof suffix, "_%03lld", static_cast<long long>(number));
  return suffix;
}

std::string LineStem(const fs::path& folder, const std::string& title, std::int32_t index) {
  return (folder / (title + LineNumberSuffix(index + 1))).string();
}

// Whether `name` is the name of a line file that LineStem and PlanFiles give some line of a
// page titled `title`: "<title>_<NNN>.png" or "<title>_<NNN>.gt.txt".
bool IsLineFileOf(std::string_view name, std::string_view title) {
  if (!name.starts_with(title)) return false;
  name.remove_prefix(title.size());
  for (const std::string_view extension : {".png", ".gt.txt"}) {
    if (!name.ends_with(extension)) continue;
    const std::string_view suffix = name.substr(0, name.size() - extension.size());
    std::int64_t number = 0;
    const char* end = suffix.data() + suffix.size();
    if (suffix.size() > 1 && std::from_chars(suffix.data() + 1, end, number).ptr == end &&
        number >= 1 && LineNumberSuffix(number) == suffix) {
      return true;
    }
  }
  return false;
}

std::vector<PlannedFile> PlanFiles(const CliPage& page, const LinePixelSource* pixels,
                                   const fs::path& folder, const std::string& title,
                                   const std::string& codePage) {
  std::vector<PlannedFile> files;
  for (std::int32_t i = 0; i < page.body->UsedLines(); ++i) {
    const PageLine& line = page.body->lines[static_cast<std::size_t>(i)];
    const std::string stem = LineStem(folder, title, i);
    if (HasAllPixels(line, pixels)) {
      files.push_back({stem + ".png", [&line, pixels](OutputFile& out, std::string& problem) {
                         OutputFileSink sink{out};
                         return WriteLinePng(line, pixels, sink, problem);
                       }});
    }
    files.push_back({stem + ".gt.txt", [&line, &codePage](OutputFile& out, std::string&) {
                       out.Write(LabelText(line, codePage));
                       return true;
                     }});
  }
  files.push_back({(folder / (title + ".json")).string(),
                   [&page, &codePage](OutputFile& out, std::string& problem) {
                     problem = "the header note can no longer be read from the page file";
                     return WritePageInfoJson(page, codePage, {},
                                              [&out](std::string_view text) { out.Write(text); });
                   }});
  return files;
}

// The picture of a page's line images on a white page at zoom 1, without labels.
PageFrame PagePicture(const PageBody& body, const LinePixelSource* pixels = nullptr) {
  return {&body, 1.0f, kDefaultCodePage, false, {body.pageWidth, body.pageHeight}, pixels};
}

// NAME.png and NAME.xml, NAME the title as PageXmlTitle writes it; `leftOut` receives the lines
// the XML leaves out.
std::vector<PlannedFile> PlanPageXmlFiles(const CliPage& page, const LinePixelSource* pixels,
                                          const fs::path& folder, const std::string& title,
                                          const std::string& codePage,
                                          std::vector<std::int32_t>& leftOut) {
  const std::string name = PageXmlTitle(title);
  const std::string png = name + ".png";
  std::string xml = PageXmlDocument(page, {png, UtcNowDateTime(), codePage}, leftOut);
  return {
      {(folder / png).string(),
       [&page, pixels](OutputFile& out, std::string& problem) {
         OutputFileSink sink{out};
         return RenderPagePng(PagePicture(*page.body, pixels), sink, problem);
       }},
      {(folder / (name + ".xml")).string(), [xml = std::move(xml)](OutputFile& out, std::string&) {
         out.Write(xml);
         return true;
       }}};
}

class Exporter {
 public:
  // Pages named in `titleClashes` (TitleClashes) are refused.
  Exporter(fs::path folder, std::string codePage, bool force, bool pageXml,
           std::map<std::string, std::string> titleClashes)
      : folder_(std::move(folder)),
        codePage_(std::move(codePage)),
        force_(force),
        pageXml_(pageXml),
        titleClashes_(std::move(titleClashes)) {}

  // Writes the files of the page at `path`; false, with a report on stderr, when it fails. Safe
  // to call for different pages at once.
  bool Export(const std::string& path, bool several) const {
    // The note and the pixels stay in the file, read as each file is written.
    const std::optional<CliPage> page = LoadPageOrReport(path, several, ReadDepth::kTable);
    if (!page) return false;
    const std::unique_ptr<FilePixelSource> pixels = PixelSourceOf(*page);
    const std::string title = fs::path(path).stem().string();
    if (const auto clash = titleClashes_.find(path); clash != titleClashes_.end()) {
      return Refuse(path, "not exported: its title '" + title + "' is that of " + clash->second +
                              ", earlier in this run");
    }
    std::vector<std::int32_t> leftOut;
    if (pageXml_) {
      if (const std::string problem =
              PictureSizeProblem(PagePicture(*page->body).extent, "the page");
          !problem.empty()) {
        return Refuse(path, "not exported: " + problem);
      }
    }
    const std::vector<PlannedFile> files =
        pageXml_ ? PlanPageXmlFiles(*page, pixels.get(), folder_, title, codePage_, leftOut)
                 : PlanFiles(*page, pixels.get(), folder_, title, codePage_);
    if (!force_) {
      for (const PlannedFile& file : files) {
        std::error_code error;
        const fs::file_type type = fs::symlink_status(file.path, error).type();
        if (type == fs::file_type::not_found) continue;
        if (error) {
          return Refuse(path, "not exported: " + file.path + ": " + SystemReason(error.value()));
        }
        return Refuse(path, "not exported: " + file.path +
                                " exists (give --force to overwrite the files of this page)");
      }
    }
    OutputGroup group(folder_.string(),
                      force_ ? OutputFile::Existing::kReplace : OutputFile::Existing::kKeep);
    // Forced, the page's files replace the title's whole set, so no line of a longer page of
    // the same title stays beside them.
    if (force_ && !pageXml_) {
      group.ReplaceSet([title](std::string_view name) { return IsLineFileOf(name, title); });
    }
    std::string error;
    for (const PlannedFile& file : files) {
      OutputFile* output = group.Add(file.path, error);
      if (output == nullptr) return Refuse(path, "not exported: " + error);
      std::string problem;
      const bool written = file.write(*output, problem);
      // The output's own reason says more than the encoder's.
      if (!output->error().empty()) {
        return Refuse(path, "not exported: " + file.path + ": " + output->error());
      }
      if (!written) return Refuse(path, "not exported: " + file.path + ": " + problem);
    }
    if (!group.Commit(error)) return Refuse(path, "not exported: " + error);
    for (const std::int32_t line : leftOut) {
      PrintErr(DisplayText(path) + ":" + std::to_string(line + 1) +
               ": left out of the PAGE XML: no pixels on the page\n");
    }
    return true;
  }

 private:
  static bool Refuse(const std::string& path, const std::string& problem) {
    PrintErr(DisplayText(path) + ": " + DisplayText(problem) + "\n");
    return false;
  }

  fs::path folder_;
  std::string codePage_;
  bool force_;
  bool pageXml_;
  std::map<std::string, std::string> titleClashes_;
};

int RunExport(Arguments arguments) {
  ParseOutcome outcome = ParseArguments(kExportCommand, arguments, kExportOptions);
  if (const int* exitCode = std::get_if<int>(&outcome)) return *exitCode;
  const ParsedArguments& parsed = std::get<ParsedArguments>(outcome);
  if (!parsed.Has("-o")) return UsageError(kExportCommand, "-o DIR is missing");
  const std::string format = parsed.Value("--format", kLinesFormat);
  if (format == kLmdbFormat) return RunLmdbExport(parsed);
  if (format != kLinesFormat && format != kOldLinesFormat && format != kPageFormat) {
    return UsageError(kExportCommand, "unknown format " + format + " (lines, page or lmdb)");
  }
  for (const std::string_view option : {kMinWidthOption, kMinHeightOption}) {
    if (parsed.Has(option)) {
      return UsageError(kExportCommand, std::string(option) + " goes with --format lmdb only");
    }
  }
  const fs::path folder = parsed.Value("-o");
  if (const std::optional<int> failed = MakeFolderForOutputs(kExportCommand, folder.string())) {
    return *failed;
  }
  const PageInputs inputs = ExpandPageInputs(parsed.inputs);
  const Exporter exporter(folder, parsed.codePage, parsed.Has("--force"), format == kPageFormat,
                          TitleClashes(inputs.pages));
  return ForEachPage(
      inputs,
      [&](const std::string& path, std::size_t, bool several) {
        return exporter.Export(path, several);
      },
      parsed.jobs);
}

}  // namespace

const Subcommand kExportCommand{
    "export",
    "export FILE... -o DIR [--format lines|page|lmdb] [--force] [-j N] [--sync] "
    "[--min-width N] [--min-height N] [--codepage NAME]",
    "lines (the default): write each line as DIR/<title>_<NNN>.png and .gt.txt, and "
    "DIR/<title>.json; page: write DIR/<title>.png, the line images on a white page, and "
    "DIR/<title>.xml in PAGE XML; lmdb: write the LMDB environment DIR (data.mdb, lock.mdb) "
    "holding image-%09d (the line's PNG) and label-%09d (its label in UTF-8) for the n-th line "
    "with pixels, from 1 in page-then-line order, and num-samples; lines narrower than "
    "--min-width or lower than --min-height pixels are left out. --force replaces the files "
    "of a title, and removes its line files that this export does not write; with lmdb, it "
    "replaces an existing environment. -j N exports N pages at a time; --sync makes each "
    "page's files durable (one flush per page) before they are published.",
    RunExport};
