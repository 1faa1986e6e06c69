// plimdisp-cli render FILE -o OUT.png | FILE... -o DIR [--keys KEYS] [-j N] [--codepage NAME]:
// each page as the viewer draws it, through the page's drawing pass, written as a PNG of the
// view's scroll extent (RGB, or grey when no label is drawn). One page file goes to OUT itself;
// several, or a folder, go to OUT/<title>.png, N pages at a time.
#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "cli/commands/CommandLine.h"
#include "cli/commands/Subcommand.h"
#include "cli/output/OutputFile.h"
#include "cli/output/TextFormat.h"
#include "cli/pages/CliPage.h"
#include "cli/pages/LabelTextLoader.h"
#include "cli/pages/PageBatch.h"
#include "cli/pages/PageRender.h"

namespace {

constexpr OptionSpec kRenderOptions[] = {{"-o", true}, {"--keys", true}, {"-j", true}, {"--sync"}};

// Reports a page that cannot be rendered, named by its file in a batch; returns false.
bool Fail(const std::string& path, bool several, const std::string& problem) {
  PrintErr((several ? DisplayText(path) : std::string("plimdisp-cli render")) + ": " +
           DisplayText(problem) + "\n");
  return false;
}

// Draws the page at `path` into the PNG file `output`; false, with a report, on failure.
bool RenderPage(const std::string& path, const std::string& output, const ParsedArguments& parsed,
                bool several) {
  // Opened first, so an output that cannot be written is known before any drawing.
  std::string error;
  const std::unique_ptr<OutputFile> file =
      OutputFile::Open(output, OutputFile::Existing::kFillOrReplace, error);
  if (!file) return Fail(path, several, "cannot write " + output + ": " + error);
  // The note is passed over and only the pixels the picture shows are read from the file.
  const std::optional<CliPage> page = LoadPageOrReport(path, several, ReadDepth::kTable);
  if (!page) return false;
  const std::unique_ptr<FilePixelSource> pixels = PixelSourceOf(*page);
  const float zoom = ZoomAfterKeys(*page->body, parsed.Value("--keys"));
  std::string problem;
  OutputFileSink sink{*file};
  PageFrame frame = ScrolledFrame(*page->body, zoom, parsed.codePage);
  frame.pixels = pixels.get();
  if (!RenderPagePng(frame, sink, problem)) {
    // The output's own reason says more than the encoder's.
    if (!file->error().empty()) problem = "cannot write " + output + ": " + file->error();
    return Fail(path, several, problem);
  }
  if (!file->Commit()) return Fail(path, several, "cannot write " + output + ": " + file->error());
  return true;
}

int RunRender(Arguments arguments) {
  ParseOutcome outcome = ParseArguments(kRenderCommand, arguments, kRenderOptions);
  if (const int* exitCode = std::get_if<int>(&outcome)) return *exitCode;
  const ParsedArguments& parsed = std::get<ParsedArguments>(outcome);
  if (!parsed.Has("-o")) {
    return UsageError(kRenderCommand, "-o OUT.png is missing (-o DIR for several pages)");
  }
  const std::filesystem::path output = parsed.Value("-o");
  std::error_code error;
  const bool toFolder =
      parsed.inputs.size() > 1 || std::filesystem::is_directory(parsed.inputs.front(), error);
  if (toFolder && output.extension() == ".png") {
    // Surely a slip: several pictures cannot go into one PNG, and a folder so named surprises.
    return UsageError(kRenderCommand, "-o OUT.png takes exactly one FILE; give -o DIR for several");
  }
  if (toFolder) {
    if (const std::optional<int> failed = MakeFolderForOutputs(kRenderCommand, output.string())) {
      return *failed;
    }
  }

  const PageInputs inputs = ExpandPageInputs(parsed.inputs);
  const std::map<std::string, std::string> titleClashes = TitleClashes(inputs.pages);
  // Qt's application belongs on the main thread, not on the first worker that meets a label;
  // a batch on several workers pays for loading it once, whether or not a page has labels. A
  // failure is reported by each page that needs the labels.
  if (std::string ignored; parsed.jobs > 1) LoadLabelText(ignored);
  return ForEachPage(
      inputs,
      [&](const std::string& path, std::size_t, bool several) {
        if (!toFolder) return RenderPage(path, output.string(), parsed, several);
        const std::string title = std::filesystem::path(path).stem().string();
        if (const auto clash = titleClashes.find(path); clash != titleClashes.end()) {
          return Fail(path, several,
                      "not rendered: its title '" + title + "' is that of " + clash->second +
                          ", earlier in this run");
        }
        return RenderPage(path, (output / (title + ".png")).string(), parsed, several);
      },
      parsed.jobs);
}

}  // namespace

const Subcommand kRenderCommand{
    "render",
    "render FILE -o OUT.png | FILE... -o DIR [--keys KEYS] [-j N] [--sync] [--codepage NAME]",
    "Draw pages as the viewer does, after the zoom keys in KEYS ('+', '-'), into PNGs (RGB, "
    "grey when the page has no label): "
    "OUT for one file (- for standard output), OUT/<title>.png for several or a folder. A "
    "picture is at most 100 megapixels and 65536 pixels wide; it is drawn and written in bands, "
    "so memory does not grow with it. -j N renders N pages at a time; --sync makes each picture "
    "durable before it is published.",
    RunRender};
