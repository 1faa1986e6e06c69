// plimdisp-samplegen: writes one deterministic sample page file for trying out the viewer.

#include <QGuiApplication>
#include <cstdio>
#include <cstdlib>

#include "pagewriter/PageWriter.h"
#include "samplegen/SampleArgs.h"
#include "samplegen/SamplePage.h"

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  std::string error;
  const std::optional<SampleArgs> parsed = ParseSampleArgs(args, error);
  if (!parsed) {
    std::fprintf(stderr, "plimdisp-samplegen: %s\n%s", error.c_str(), kSampleUsage);
    return 2;
  }
  if (parsed->help) {
    std::fputs(kSampleUsage, stdout);
    return 0;
  }

  // Text is rendered off screen; no display is needed.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  int qtArgc = 1;
  QGuiApplication app(qtArgc, argv);

  const std::optional<PageDraft> page = BuildSamplePage(parsed->options, error);
  if (!page) {
    std::fprintf(stderr, "plimdisp-samplegen: %s\n", error.c_str());
    return 1;
  }
  if (!WritePageFile(parsed->outPath, *page)) {
    std::fprintf(stderr, "plimdisp-samplegen: cannot write %s\n", parsed->outPath.c_str());
    return 1;
  }
  std::printf("%s: %zu lines, page %d x %d\n", parsed->outPath.c_str(), page->lines.size(),
              page->pageWidth, page->pageHeight);
  return 0;
}
