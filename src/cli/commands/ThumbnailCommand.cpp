// plimdisp-cli thumbnail FILE -o OUT.png [--size N] [--codepage NAME]: a picture of the page
// whose longer side is N pixels, for file managers: the page drawn as the viewer draws it at
// the zoom that fits it to that size, each device pixel of a line image the AND of the page
// pixels it covers, so thin dark strokes stay dark. Labels keep their 16 pixels at every zoom,
// so on a picture smaller than the page they would cover the lines: they are drawn only when
// the zoom is at least 1.
#include <charconv>
#include <cmath>
#include <memory>
#include <string>

#include "cli/commands/CommandLine.h"
#include "cli/commands/Subcommand.h"
#include "cli/output/OutputFile.h"
#include "cli/output/TextFormat.h"
#include "cli/pages/CliPage.h"
#include "cli/pages/PageRender.h"
#include "platform/canvas/Scale.h"

namespace {

constexpr OptionSpec kThumbnailOptions[] = {{"-o", true}, {"--size", true}, {"--sync"}};
constexpr std::int32_t kDefaultSize = 256;
constexpr std::int32_t kMaxSize = 4096;

bool Fail(const std::string& problem) {
  PrintErr("plimdisp-cli thumbnail: " + DisplayText(problem) + "\n");
  return false;
}

// The zoom at which `longer` page pixels scale to exactly `size` device pixels: size / longer,
// raised by the last float steps that single-precision truncation can take off.
float ZoomToFit(std::int32_t longer, std::int32_t size) {
  float zoom = static_cast<float>(size) / static_cast<float>(longer);
  while (ScaleToDevice(longer, zoom) < size) zoom = std::nextafter(zoom, 2.0f * zoom);
  return zoom;
}

bool MakeThumbnail(const std::string& path, const std::string& output, std::int32_t size,
                   const std::string& codePage) {
  std::string error;
  const std::unique_ptr<OutputFile> file =
      OutputFile::Open(output, OutputFile::Existing::kFillOrReplace, error);
  if (!file) return Fail("cannot write " + output + ": " + error);
  // The note is passed over and only the pixels the picture shows are read from the file; the
  // labels too, unless the thumbnail is large enough to draw them.
  std::optional<CliPage> page = LoadPageOrReport(path, false, ReadDepth::kLayout);
  if (!page) return false;
  if (page->body->pageWidth <= 0 || page->body->pageHeight <= 0) {
    return Fail("the page has no area (" + std::to_string(page->body->pageWidth) + " x " +
                std::to_string(page->body->pageHeight) + " pixels); nothing to draw");
  }
  const float zoom = ZoomToFit(std::max(page->body->pageWidth, page->body->pageHeight), size);
  const bool labels = zoom >= 1.0f;
  if (labels && !(page = LoadPageOrReport(path, false, ReadDepth::kTable))) return false;
  const std::unique_ptr<FilePixelSource> pixels = PixelSourceOf(*page);
  const PageBody& body = *page->body;
  // A side that scales to nothing keeps one pixel.
  const PageExtent extent{std::max(ScaleToDevice(body.pageWidth, zoom), 1),
                          std::max(ScaleToDevice(body.pageHeight, zoom), 1)};
  std::string problem;
  OutputFileSink sink{*file};
  if (!RenderPagePng({&body, zoom, codePage, labels, extent, pixels.get()}, sink, problem)) {
    if (!file->error().empty()) problem = "cannot write " + output + ": " + file->error();
    return Fail(problem);
  }
  if (!file->Commit()) {
    return Fail("cannot write " + output + ": " + file->error());
  }
  return true;
}

int RunThumbnail(Arguments arguments) {
  ParseOutcome outcome = ParseArguments(kThumbnailCommand, arguments, kThumbnailOptions);
  if (const int* exitCode = std::get_if<int>(&outcome)) return *exitCode;
  const ParsedArguments& parsed = std::get<ParsedArguments>(outcome);
  if (parsed.inputs.size() != 1) return UsageError(kThumbnailCommand, "give exactly one FILE");
  if (!parsed.Has("-o")) return UsageError(kThumbnailCommand, "-o OUT.png is missing");
  const std::string sizeText = parsed.Value("--size", std::to_string(kDefaultSize));
  std::int32_t size = 0;
  const auto [end, error] =
      std::from_chars(sizeText.data(), sizeText.data() + sizeText.size(), size);
  if (error != std::errc() || end != sizeText.data() + sizeText.size() || size < 1 ||
      size > kMaxSize) {
    return UsageError(kThumbnailCommand, "--size needs a number of pixels from 1 to " +
                                             std::to_string(kMaxSize) + ", not " + sizeText);
  }
  return MakeThumbnail(parsed.inputs.front(), parsed.Value("-o"), size, parsed.codePage)
             ? kExitOk
             : kExitCannotOpen;
}

}  // namespace

const Subcommand kThumbnailCommand{
    "thumbnail", "thumbnail FILE -o OUT.png [--size N] [--sync] [--codepage NAME]",
    "Draw the page's line images as the viewer does into a PNG whose longer side is N pixels "
    "(default 256), each line pixel the AND of the page pixels it covers, for file managers' "
    "thumbnails: grey, since labels, 16 pixels high at any size, are drawn (in blue) only when "
    "the picture is at least as large as the page. An empty file of yours at OUT (one a "
    "thumbnail service made and holds open) is written in place.",
    RunThumbnail};
