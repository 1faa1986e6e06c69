// plimdisp-cli render FILE -o OUT.png | FILE... -o DIR [--keys KEYS] [--codepage NAME]: each
// page as the viewer
// draws it, through the page view's own drawing pass, written as an RGB PNG of the view's
// scroll extent. One page file goes to OUT itself; several, or a folder, go to OUT/<title>.png.
#include <QApplication>
#include <QImage>
#include <QString>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <utility>

#include "cli/CliPage.h"
#include "cli/CommandLine.h"
#include "cli/OutputFile.h"
#include "cli/PageBatch.h"
#include "cli/PngEncoder.h"
#include "cli/Subcommand.h"
#include "cli/TextFormat.h"
#include "pageview/CPLIMDispView.h"
#include "platform/canvas/Canvas.h"
#include "platform/framework/CDocument.h"
#include "platform/system/CDC.h"

namespace {

constexpr OptionSpec kRenderOptions[] = {{"-o", true}, {"--keys", true}};
constexpr std::int64_t kMaxRenderPixels = 100'000'000;

// Reports a page that cannot be rendered, named by its file in a batch; returns false.
bool Fail(const std::string& path, bool several, const std::string& problem) {
  std::fprintf(stderr, "%s: %s\n", several ? DisplayText(path).c_str() : "plimdisp-cli render",
               DisplayText(problem).c_str());
  return false;
}

// The page view is a widget, so a widget application must exist; without a platform chosen by
// the caller, the offscreen one makes the picture independent of any display.
std::unique_ptr<QApplication> MakeApplication() {
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  static int argc = 1;
  static char name[] = "plimdisp-cli";
  static char* argv[] = {name, nullptr};
  return std::make_unique<QApplication>(argc, argv);
}

std::optional<std::string> EncodeRgbPng(const Canvas& canvas) {
  // RGB32 has no alpha channel, so the PNG is written as 8-bit RGB.
  const QImage image(const_cast<Canvas&>(canvas).bytes(), canvas.width(), canvas.height(),
                     static_cast<qsizetype>(canvas.strideBytes()), QImage::Format_RGB32);
  return EncodePng(image);
}

// Draws the page at `path` into the PNG file `output`; false, with a report, on failure.
bool RenderPage(const std::string& path, const std::string& output, const ParsedArguments& parsed,
                bool several) {
  // Opened first, so an output that cannot be written is known before any drawing.
  std::string error;
  const std::unique_ptr<OutputFile> file =
      OutputFile::Open(output, OutputFile::Existing::kReplace, error);
  if (!file) return Fail(path, several, "cannot write " + output + ": " + error);
  std::optional<CliPage> page = LoadPageOrReport(path, several);
  if (!page) return false;

  CDocument document;
  CPLIMDispView view(&document);
  view.SetLabelCodePage(parsed.codePage);
  view.AdoptPage(std::move(page->header), std::move(*page->body));
  view.OnInitialUpdate();
  for (const QChar key : QString::fromUtf8(parsed.Value("--keys")))
    view.OnChar(key.unicode(), 1, 0);

  // A pass on an empty canvas draws nothing and sets the scroll extent.
  Canvas scratch;
  CDC scratchDc(scratch);
  view.OnDraw(&scratchDc);
  const CSize extent = view.GetTotalSize();
  if (extent.cx <= 0 || extent.cy <= 0) {
    return Fail(path, several,
                "the page at this zoom has no area (" + std::to_string(extent.cx) + " x " +
                    std::to_string(extent.cy) + " pixels); nothing to write");
  }
  if (std::int64_t{extent.cx} * extent.cy > kMaxRenderPixels) {
    return Fail(path, several,
                "the page at this zoom is " + std::to_string(extent.cx) + " x " +
                    std::to_string(extent.cy) + " pixels, more than the 100 megapixels written");
  }

  Canvas canvas;
  if (const CanvasError error = canvas.Allocate(extent.cx, extent.cy);
      error != CanvasError::kNone) {
    return Fail(path, several,
                std::string("cannot make the picture: ") + CanvasErrorMessage(error));
  }
  canvas.FillWhite();
  CDC dc(canvas);
  if (!view.DrawPage(&dc)) return Fail(path, several, "not enough memory to draw every line");
  const std::optional<std::string> png = EncodeRgbPng(canvas);
  if (!png) return Fail(path, several, "cannot encode the picture as PNG");
  if (!file->Write(*png) || !file->Commit()) {
    return Fail(path, several, "cannot write " + output + ": " + file->error());
  }
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
  if (std::string reason; toFolder && !MakeOutputFolder(output.string(), reason)) {
    std::fprintf(stderr, "plimdisp-cli render: cannot make the folder %s: %s\n",
                 DisplayText(output.string()).c_str(), reason.c_str());
    return kExitCannotOpen;
  }

  const std::unique_ptr<QApplication> application = MakeApplication();
  OutputTitles titles;
  return ForEachPage(parsed.inputs, [&](const std::string& path, bool several) {
    if (!toFolder) return RenderPage(path, output.string(), parsed, several);
    const std::string title = std::filesystem::path(path).stem().string();
    if (const std::optional<std::string> earlier = titles.Claim(title, path)) {
      return Fail(
          path, several,
          "not rendered: its title '" + title + "' is that of " + *earlier + ", rendered before");
    }
    return RenderPage(path, (output / (title + ".png")).string(), parsed, several);
  });
}

}  // namespace

const Subcommand kRenderCommand{
    "render", "render FILE -o OUT.png | FILE... -o DIR [--keys KEYS] [--codepage NAME]",
    "Draw pages as the viewer does, after the zoom keys in KEYS ('+', '-'), into RGB PNGs: "
    "OUT for one file (- for standard output), OUT/<title>.png for several or a folder.",
    RunRender};
