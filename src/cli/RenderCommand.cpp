// plimdisp-cli render FILE -o OUT.png [--keys KEYS] [--codepage NAME]: the page as the viewer
// draws it, through the page view's own drawing pass, written as an RGB PNG of the view's
// scroll extent.
#include <QApplication>
#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageWriter>
#include <QString>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <utility>

#include "cli/CliPage.h"
#include "cli/CommandLine.h"
#include "cli/OutputFile.h"
#include "cli/Subcommand.h"
#include "pageview/CPLIMDispView.h"
#include "platform/CDC.h"
#include "platform/CDocument.h"
#include "platform/Canvas.h"

namespace {

constexpr OptionSpec kRenderOptions[] = {{"-o", true}, {"--keys", true}};
constexpr std::int64_t kMaxRenderPixels = 100'000'000;

int Fail(const std::string& problem) {
  std::fprintf(stderr, "plimdisp-cli render: %s\n", problem.c_str());
  return kExitCannotOpen;
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
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  QImageWriter writer(&buffer, "png");
  if (!writer.write(image)) return std::nullopt;
  return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

int RunRender(Arguments arguments) {
  ParseOutcome outcome = ParseArguments(kRenderCommand, arguments, kRenderOptions);
  if (const int* exitCode = std::get_if<int>(&outcome)) return *exitCode;
  const ParsedArguments& parsed = std::get<ParsedArguments>(outcome);
  if (parsed.inputs.size() != 1) return UsageError(kRenderCommand, "give exactly one FILE");
  if (!parsed.Has("-o")) return UsageError(kRenderCommand, "-o OUT.png is missing");
  const std::string output = parsed.Value("-o");

  std::optional<CliPage> page = LoadPageOrReport(parsed.inputs.front());
  if (!page) return kExitCannotOpen;

  const std::unique_ptr<QApplication> application = MakeApplication();
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
    return Fail("the page at this zoom has no area (" + std::to_string(extent.cx) + " x " +
                std::to_string(extent.cy) + " pixels); nothing to write");
  }
  if (std::int64_t{extent.cx} * extent.cy > kMaxRenderPixels) {
    return Fail("the page at this zoom is " + std::to_string(extent.cx) + " x " +
                std::to_string(extent.cy) + " pixels, more than the 100 megapixels written");
  }

  Canvas canvas;
  if (const CanvasError error = canvas.Allocate(extent.cx, extent.cy);
      error != CanvasError::kNone) {
    return Fail(std::string("cannot make the picture: ") + CanvasErrorMessage(error));
  }
  canvas.FillWhite();
  CDC dc(canvas);
  if (!view.DrawPage(&dc)) return Fail("not enough memory to draw every line");
  const std::optional<std::string> png = EncodeRgbPng(canvas);
  if (!png) return Fail("cannot encode the picture as PNG");
  if (!WriteFileReplacing(output, *png)) return Fail("cannot write " + output);
  return kExitOk;
}

}  // namespace

const Subcommand kRenderCommand{
    "render", "render FILE -o OUT.png [--keys KEYS] [--codepage NAME]",
    "Draw the page as the viewer does, after the zoom keys in KEYS ('+', '-'), into an RGB PNG.",
    RunRender};
