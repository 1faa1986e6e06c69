// plimdisp-bench: generates the workloads, runs every benchmark and prints the figures (ratios
// of benchmarks of this same run) with their goals. Google Benchmark's flags apply, e.g.
// --benchmark_repetitions=5 for medians, --benchmark_filter=REGEX.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "BenchNames.h"
#include "BenchPages.h"
#include "BenchViews.h"
#include "RatioReport.h"
#include "platform/text/QtLabelText.h"

namespace {

std::vector<Figure> Figures() {
  using Goal = Figure::Goal;
  std::vector<Figure> figures{{"1. load W1 into a view / raw read of the file", kLoadView,
                               kLoadRawRead, Goal::kAtMost, 1.3}};
  for (const ZoomCase& zoom : kZoomCases) {
    const std::string ours = RepaintName(kPassOurs, zoom);
    figures.push_back({std::string("2a. literal pass / ours, zoom ") + zoom.name,
                       RepaintName(kPassLiteral, zoom), ours, Goal::kAtLeast, 10});
    figures.push_back({std::string("2b. Qt painter pass / ours, zoom ") + zoom.name,
                       RepaintName(kPassQt, zoom), ours, Goal::kAtLeast, 3});
    figures.push_back({std::string("2c. ours / clear and copy the canvas, zoom ") + zoom.name, ours,
                       kCanvasFloor, zoom.atLeastOne ? Goal::kAtMost : Goal::kNone, 4});
  }
  figures.push_back({"3. '+' key to a finished repaint (ms)", kZoomKey, "", Goal::kAtMost, 16});
  figures.push_back({"4. scroll one line step / full repaint", kScrollStep, kScrollFullRepaint});
  figures.push_back({"5. plimdisp-cli render of W2 at zoom 1.0 (ms)", kRenderSample, ""});
  figures.push_back(
      {"7. plimdisp-cli info of W1, end to end (ms)", kInfoLarge, "", Goal::kAtMost, 150});
  figures.push_back({"8a. plimdisp-cli thumbnail of W2, 256 pixels, end to end (ms)",
                     kThumbnailSample, "", Goal::kAtMost, 300});
  figures.push_back({"8b. plimdisp-cli thumbnail of W1, 256 pixels, end to end (ms)",
                     kThumbnailLarge, "", Goal::kAtMost, 1000});
  figures.push_back({"9a. preview command to the preview on show, W2 (ms)", kPreviewOpenSample, "",
                     Goal::kAtMost, 300});
  figures.push_back({"9b. preview command to the preview on show, W1 (ms)", kPreviewOpenLarge, "",
                     Goal::kAtMost, 300});
  figures.push_back(
      {"9c. Qt's preview dialog / ours, W2", kQtPreviewOpenSample, kPreviewOpenSample});
  figures.push_back({"9d. Qt's preview dialog / ours, W1", kQtPreviewOpenLarge, kPreviewOpenLarge});
  for (int step = 1; step <= kPreviewZoomSteps; ++step) {
    figures.push_back({"10. preview zoom step " + std::to_string(step) + " of W1 (ms)",
                       PreviewZoomStepName(step), "", Goal::kAtMost, 50});
  }
  return figures;
}

std::string ProgramDirectory() {
  std::error_code error;
  const auto self = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? std::string(".") : self.parent_path().string();
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 2;
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication application(argc, argv);
  InstallQtLabelText();

  char pattern[] = "/tmp/plimdisp-bench-XXXXXX";
  if (mkdtemp(pattern) == nullptr) {
    std::perror("mkdtemp");
    return 1;
  }
  const std::filesystem::path directory(pattern);
  BenchFiles files{(directory / "w1.plim").string(), (directory / "w2.plim").string(),
                   ProgramDirectory() + "/plimdisp-cli"};
  if (!WriteWorkload(Workload::kLargePage, files.largePage) ||
      !WriteWorkload(Workload::kSamplePage, files.samplePage)) {
    std::fprintf(stderr, "cannot write the workloads in %s\n", pattern);
    return 1;
  }
  std::fprintf(stderr, "W1: %llu bytes, W2: %llu bytes\n",
               static_cast<unsigned long long>(FileBytes(files.largePage)),
               static_cast<unsigned long long>(FileBytes(files.samplePage)));
  SetFiles(files);
  // The viewer's settings (its recent files) go to the run's folder, not the user's.
  setenv("XDG_CONFIG_HOME", (directory / "config").c_str(), 1);

  RegisterLoadBenchmarks();
  RegisterPassBenchmarks();
  RegisterViewBenchmarks();
  RegisterRenderBenchmarks();
  RegisterPreviewBenchmarks();
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  const int missed = reporter.PrintFigures(stdout, Figures());
  std::printf("%d goal(s) missed\n", missed);
  benchmark::Shutdown();

  std::error_code ignored;
  std::filesystem::remove_all(directory, ignored);
  return 0;
}
