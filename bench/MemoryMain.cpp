// plimdisp-bench-memory: the memory a load, a screen pass and a print of the large page take.
// Each measurement runs in a child process of its own (this program with --child), so that
// peak RSS belongs to that measurement alone; the parent prints the figures and their goals.
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QPrinter>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "BenchNames.h"
#include "BenchPages.h"
#include "pageview/CPLIMDispView.h"
#include "pageview/PagePass.h"
#include "platform/canvas/Scale.h"
#include "platform/framework/CDocument.h"
#include "platform/framework/CPrintInfo.h"
#include "platform/framework/PrintJob.h"
#include "platform/system/CDC.h"
#include "platform/text/QtLabelText.h"
#include "raster/DrawLineBitmap.h"
#include "raster/LineBitmap.h"
#include "support/CountingNew.h"

extern char** environ;

namespace {

constexpr std::int64_t kMiB = 1 << 20;
constexpr int kPrintDotsPerInch = 600;
// A pass also holds a few fixed objects whatever the page: the bitmap header, the label font and
// one label's text. They are allowed on top of the canvas and the bitmap, and shown in bytes.
constexpr std::int64_t kPassFixedObjects = 1024;

// A field of /proc/self/status in bytes (VmRSS, VmHWM).
std::int64_t StatusBytes(const char* field) {
  std::ifstream status("/proc/self/status");
  std::string key;
  while (status >> key) {
    if (key == std::string(field) + ":") {
      std::int64_t kib = 0;
      status >> kib;
      return kib * 1024;
    }
    status.ignore(1 << 12, '\n');
  }
  return -1;
}

// Starts the peak RSS afresh at the current RSS.
void ResetPeakRss() { std::ofstream("/proc/self/clear_refs") << "5"; }

void Report(const char* key, std::int64_t value) {
  std::printf("%s=%lld\n", key, static_cast<long long>(value));
}

// Loads the page: peak RSS and operator new bytes over the view's idle footprint.
int LoadChild(CPLIMDispView& view, const std::string& path) {
  std::ifstream(path, std::ios::binary).ignore(INT64_MAX);  // warm the page cache
  const std::int64_t idleRss = StatusBytes("VmRSS");
  const std::int64_t idleNew = LiveNewBytes();
  ResetPeakRss();
  ResetPeakNewBytes();
  if (!view.LoadPageFile(path)) return 1;
  Report("load_peak_rss_over_idle", StatusBytes("VmHWM") - idleRss);
  Report("load_peak_new_over_idle", PeakNewBytes() - idleNew);
  Report("file_bytes", static_cast<std::int64_t>(FileBytes(path)));
  return 0;
}

// The largest bitmap among the lines a pass on `dc` builds.
std::int64_t LargestVisibleBitmap(const CDC& dc, const CPLIMDispView& view) {
  std::int64_t largest = 0;
  for (std::int32_t i = 0; i < view.lineCount(); ++i) {
    const PageLine& line = view.lines()[static_cast<std::size_t>(i)];
    PixelRect window;
    if (VisibleSourceWindow(dc, line, view.zoom(), window)) {
      largest = std::max(largest, std::int64_t{line.height} * PaddedWidth(line.width) * 3);
    }
  }
  return largest;
}

// One repaint of a viewport in the middle of the page, its canvas made inside the pass.
int ScreenChild(CPLIMDispView& view, const std::string& keys) {
  for (const char key : keys) view.OnChar(static_cast<unsigned char>(key), 1, 0);
  const auto repaint = [&view](std::int64_t* largestBitmap) {
    Canvas canvas;
    if (canvas.Allocate(kViewportWidth, kViewportHeight) != CanvasError::kNone) return false;
    canvas.FillWhite();
    CDC dc(canvas);
    dc.SetWindowOrg(
        std::max(0, (ScaleToDevice(view.pageWidth(), view.zoom()) - kViewportWidth) / 2),
        std::max(0, (ScaleToDevice(view.pageHeight(), view.zoom()) - kViewportHeight) / 2));
    if (largestBitmap != nullptr) *largestBitmap = LargestVisibleBitmap(dc, view);
    return DrawPagePass(dc, {&view.page(), view.zoom(), view.labelCodePage()}).complete;
  };
  std::int64_t largestBitmap = 0;
  // The first pass fills the font caches that last for the program's life.
  if (!repaint(&largestBitmap)) return 1;
  const std::int64_t before = LiveNewBytes();
  ResetPeakNewBytes();
  if (!repaint(nullptr)) return 1;
  Report("pass_peak_new", PeakNewBytes() - before);
  Report("canvas_bytes", std::int64_t{kViewportWidth} * kViewportHeight * 4);
  Report("largest_visible_bitmap", largestBitmap);
  return 0;
}

int PrintChild(CPLIMDispView& view, const std::string& output, std::int64_t emptyRss) {
  const std::int64_t idleRss = StatusBytes("VmRSS");
  ResetPeakRss();
  QPrinter printer(QPrinter::HighResolution);
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName(QString::fromStdString(output));
  printer.setResolution(kPrintDotsPerInch);
  CPrintInfo info;
  info.printer = &printer;
  if (!PrintJob(view, info, printer).printed()) return 1;
  const std::int64_t peak = StatusBytes("VmHWM");
  Report("print_peak_rss_over_idle", peak - idleRss);
  Report("print_peak_rss_over_empty", peak - emptyRss);
  return 0;
}

int Child(int argc, char** argv) {
  // argv: --child KIND FILE [ARG]
  if (argc < 4) return 2;
  const std::string kind = argv[2], path = argv[3], argument = argc > 4 ? argv[4] : "";
  QApplication application(argc, argv);
  InstallQtLabelText();
  CDocument document;
  CPLIMDispView view(&document);
  view.OnInitialUpdate();
  if (kind == "load") return LoadChild(view, path);
  const std::int64_t emptyRss = StatusBytes("VmRSS");
  if (!view.LoadPageFile(path)) return 1;
  if (kind == "screen") return ScreenChild(view, argument);
  if (kind == "print") return PrintChild(view, argument, emptyRss);
  return 2;
}

// Runs this program as a child and collects its key=value lines.
std::map<std::string, std::int64_t> RunChild(const std::vector<std::string>& arguments) {
  std::vector<char*> argv;
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  int pipeEnds[2];
  std::map<std::string, std::int64_t> values;
  if (pipe(pipeEnds) != 0) return values;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], 1);
  posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);
  pid_t child = 0;
  const int error = posix_spawn(&child, "/proc/self/exe", &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(pipeEnds[1]);
  if (error == 0) {
    FILE* in = fdopen(pipeEnds[0], "r");
    char line[256];
    while (std::fgets(line, sizeof line, in) != nullptr) {
      if (char* equals = std::strchr(line, '=')) {
        *equals = 0;
        values[line] = std::atoll(equals + 1);
      }
    }
    std::fclose(in);
    int status = 0;
    waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) values.clear();
  } else {
    close(pipeEnds[0]);
  }
  return values;
}

void PrintFigure(const std::string& what, std::int64_t value, std::int64_t bound) {
  std::printf("%-58s %9.2f MiB  <= %7.2f MiB  %s (%+lld bytes)\n", what.c_str(),
              static_cast<double>(value) / kMiB, static_cast<double>(bound) / kMiB,
              value <= bound ? "yes" : "NO", static_cast<long long>(value - bound));
}

}  // namespace

int main(int argc, char** argv) {
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  if (argc > 1 && std::strcmp(argv[1], "--child") == 0) return Child(argc, argv);

  char pattern[] = "/tmp/plimdisp-bench-memory-XXXXXX";
  if (mkdtemp(pattern) == nullptr) return 1;
  const std::filesystem::path directory(pattern);
  const std::string page = (directory / "w1.plim").string();
  if (!WriteWorkload(Workload::kLargePage, page)) return 1;

  int missed = 0;
  std::printf("%-58s %13s  %-13s  %s\n", "Figure", "Value", "Goal", "Met");
  const auto load = RunChild({argv[0], "--child", "load", page});
  if (load.empty()) {
    std::printf("load: failed\n");
    ++missed;
  } else {
    const std::int64_t bound = load.at("file_bytes") + 2 * kMiB;
    PrintFigure("6. load W1: peak RSS over idle", load.at("load_peak_rss_over_idle"), bound);
    PrintFigure("6. load W1: operator new peak over idle", load.at("load_peak_new_over_idle"),
                bound);
    missed += load.at("load_peak_rss_over_idle") > bound;
  }
  for (const ZoomCase& zoom : kZoomCases) {
    const auto screen = RunChild({argv[0], "--child", "screen", page, zoom.keys});
    const std::string what =
        std::string("6. screen pass at zoom ") + zoom.name + ": new peak (+1 KiB fixed)";
    if (screen.empty()) {
      std::printf("%s: failed\n", what.c_str());
      ++missed;
      continue;
    }
    const std::int64_t bound =
        screen.at("canvas_bytes") + screen.at("largest_visible_bitmap") + kPassFixedObjects;
    PrintFigure(what, screen.at("pass_peak_new"), bound);
    missed += screen.at("pass_peak_new") > bound;
  }
  const auto print = RunChild({argv[0], "--child", "print", page, (directory / "w1.pdf").string()});
  if (print.empty()) {
    std::printf("print: failed\n");
    ++missed;
  } else {
    PrintFigure("6. print W1 at 600 dpi: peak RSS over idle (page loaded)",
                print.at("print_peak_rss_over_idle"), 256 * kMiB);
    PrintFigure("6. print W1 at 600 dpi: peak RSS over the empty viewer",
                print.at("print_peak_rss_over_empty"), 256 * kMiB);
    missed += print.at("print_peak_rss_over_idle") > 256 * kMiB;
  }
  std::printf("%d goal(s) missed\n", missed);
  std::error_code ignored;
  std::filesystem::remove_all(directory, ignored);
  return 0;
}
