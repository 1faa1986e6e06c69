// plimdisp-samplegen: writes one deterministic sample page file for trying out the viewer.

#include <QString>
#include <QtGlobal>
#include <cstdio>
#include <cstdlib>

#include "pagewriter/PageWriter.h"
#include "platform/text/QtLabelText.h"
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

  // Text is rendered off screen, with no display and no runtime folder. Qt's complaints about
  // the folder it is denied while the application is made are not the generator's to show.
  const QtMessageHandler qtMessages =
      qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& message) {
        if (type == QtFatalMsg) {
          std::fprintf(stderr, "plimdisp-samplegen: %s\n", qPrintable(message));
        }
      });
  MakeLabelTextApplication();
  qInstallMessageHandler(qtMessages);

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
