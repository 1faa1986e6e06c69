// plimdisp-cli export FILE... -o DIR [--format lines|page] [--force] [--codepage NAME]: with
// `lines`, every line of each page as a grey PNG of its pixels and a UTF-8 text file of its
// label, plus the page's `info --json` report; with `page`, the page's line images on a white
// page as a grey PNG and its lines as PAGE XML.
#include <cstdio>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "cli/commands/CommandLine.h"
#include "cli/commands/Subcommand.h"
#include "cli/output/OutputGroup.h"
#include "cli/output/PngRowWriter.h"
#include "cli/output/TextFormat.h"
#include "cli/pages/PageBatch.h"
#include "cli/pages/PageInfo.h"
#include "cli/pages/PageRender.h"
#include "cli/pages/PageXml.h"

namespace {

namespace fs = std::filesystem;

constexpr OptionSpec kExportOptions[] = {
    {"-o", true}, {"--format", true}, {"--force"}, {"-j", true}};
constexpr std::string_view kLinesFormat = "lines";
constexpr std::string_view kOldLinesFormat = "png";  // the name `lines` had first
constexpr std::string_view kPageFormat = "page";

// One file to write for a page: its path and how to write its bytes to an output. `write`
// returns false, with `problem` set, when the bytes cannot be made.
struct PlannedFile {
  std::string path;
  std::function<bool(OutputFile& out, std::string& problem)> write;
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
      files.push_back({stem + ".png", [&line](OutputFile& out, std::string& problem) {
                         OutputFileSink sink{out};
                         return WriteGreyPng(sink, line.pixels.data(),
                                             static_cast<std::uint32_t>(line.width),
                                             static_cast<std::uint32_t>(line.height), problem);
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
PageFrame PagePicture(const PageBody& body) {
  return {&body, 1.0f, kDefaultCodePage, false, {body.pageWidth, body.pageHeight}};
}

// TITLE.png and TITLE.xml; `leftOut` receives the lines the XML leaves out.
std::vector<PlannedFile> PlanPageXmlFiles(const CliPage& page, const fs::path& folder,
                                          const std::string& title, const std::string& codePage,
                                          std::vector<std::int32_t>& leftOut) {
  const std::string png = title + ".png";
  std::string xml = PageXmlDocument(page, {png, UtcNowDateTime(), codePage}, leftOut);
  return {
      {(folder / png).string(),
       [&page](OutputFile& out, std::string& problem) {
         OutputFileSink sink{out};
         return RenderPagePng(PagePicture(*page.body), sink, problem);
       }},
      {(folder / (title + ".xml")).string(), [xml = std::move(xml)](OutputFile& out, std::string&) {
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
    const std::optional<CliPage> page = LoadPageOrReport(path, several);
    if (!page) return false;
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
        pageXml_ ? PlanPageXmlFiles(*page, folder_, title, codePage_, leftOut)
                 : PlanFiles(*page, folder_, title, codePage_);
    if (!force_) {
      for (const PlannedFile& file : files) {
        std::error_code error;
        if (fs::symlink_status(file.path, error).type() != fs::file_type::not_found) {
          return Refuse(path, "not exported: " + file.path +
                                  " exists (give --force to overwrite the files of this page)");
        }
      }
    }
    OutputGroup group(folder_.string(),
                      force_ ? OutputFile::Existing::kReplace : OutputFile::Existing::kKeep);
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
  if (format != kLinesFormat && format != kOldLinesFormat && format != kPageFormat) {
    return UsageError(kExportCommand, "unknown format " + format + " (lines or page)");
  }
  const fs::path folder = parsed.Value("-o");
  if (std::string reason; !MakeOutputFolder(folder.string(), reason)) {
    std::fprintf(stderr, "plimdisp-cli export: cannot make the folder %s: %s\n",
                 DisplayText(folder.string()).c_str(), reason.c_str());
    return kExitCannotOpen;
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
    "export", "export FILE... -o DIR [--format lines|page] [--force] [-j N] [--codepage NAME]",
    "lines (the default): write each line as DIR/<title>_<NNN>.png and .gt.txt, and "
    "DIR/<title>.json; page: write DIR/<title>.png, the line images on a white page, and "
    "DIR/<title>.xml in PAGE XML. -j N exports N pages at a time.",
    RunExport};
