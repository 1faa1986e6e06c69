// A page file held by a page view cannot be opened by a second viewer process, and a file that
// a second process holds cannot be opened here; closing frees it, and a failed open leaves the
// page on show, drawn as before, without its file.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <optional>
#include <string>
#include <vector>

#include "pageview/CPLIMDispView.h"
#include "platform/PlatformUiScript.h"
#include "platform/framework/CDocument.h"
#include "platform/system/CDC.h"
#include "reliability/PageFiles.h"
#include "support/PageLines.h"
#include "support/RunProgram.h"

extern char** environ;

namespace {

constexpr wchar_t kOpenFailure[] = L"Cannot open the PLIM file";
constexpr int kProbeAnswerMs = 60'000;  // a bound on a stuck probe, not a speed expectation

const std::string& Probe() {
  static const std::string path = BuiltProgram("plimdisp-hold-probe");
  return path;
}

// The probe in "hold" mode: a second viewer process that keeps `path` loaded until Finish().
class HoldingProcess {
 public:
  explicit HoldingProcess(const std::string& path) {
    int input[2], output[2];
    if (pipe2(input, O_CLOEXEC) != 0 || pipe2(output, O_CLOEXEC) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, input[0], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, output[1], STDOUT_FILENO);
    const char* argv[] = {Probe().c_str(), "hold", path.c_str(), nullptr};
    if (posix_spawn(&pid_, Probe().c_str(), &actions, nullptr, const_cast<char**>(argv), environ) !=
        0) {
      pid_ = -1;
    }
    posix_spawn_file_actions_destroy(&actions);
    close(input[0]);
    close(output[1]);
    toProbe_ = input[1];
    fromProbe_ = output[0];
  }
  ~HoldingProcess() { Finish(); }
  HoldingProcess(const HoldingProcess&) = delete;
  HoldingProcess& operator=(const HoldingProcess&) = delete;

  // The probe's first line: "held" once it holds the file, or why it could not.
  std::string FirstLine() {
    std::string line;
    char c = 0;
    pollfd ready{fromProbe_, POLLIN, 0};
    while (poll(&ready, 1, kProbeAnswerMs) == 1 && read(fromProbe_, &c, 1) == 1 && c != '\n') {
      line += c;
    }
    return line;
  }

  // Ends the probe's input, so it closes its view, and returns its exit code.
  int Finish() {
    if (toProbe_ >= 0) close(toProbe_);
    if (fromProbe_ >= 0) close(fromProbe_);
    toProbe_ = fromProbe_ = -1;
    if (pid_ < 0) return exitCode_;
    int status = 0;
    while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
    }
    pid_ = -1;
    exitCode_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return exitCode_;
  }

 private:
  pid_t pid_ = -1;
  int toProbe_ = -1;
  int fromProbe_ = -1;
  int exitCode_ = -1;
};

PageDraft PageOfLines(std::int32_t count) {
  PageDraft page;
  page.pageWidth = 40;
  page.pageHeight = 40;
  for (std::int32_t i = 0; i < count; ++i) {
    page.lines.push_back(DraftLine(i * 3, i * 4, 5, 3, Solid(static_cast<std::uint8_t>(i * 40))));
  }
  return page;
}

// The page `view` draws on a 40 x 40 canvas, pixel by pixel.
std::vector<std::uint32_t> Picture(CPLIMDispView& view) {
  Canvas canvas;
  EXPECT_EQ(canvas.Allocate(40, 40), CanvasError::kNone);
  canvas.FillWhite();
  CDC dc(canvas);
  EXPECT_TRUE(view.DrawPage(&dc));
  std::vector<std::uint32_t> pixels;
  for (std::int32_t y = 0; y < canvas.height(); ++y) {
    for (std::int32_t x = 0; x < canvas.width(); ++x) pixels.push_back(canvas.Rgb(x, y));
  }
  return pixels;
}

class ExclusiveHold : public testing::Test {
 protected:
  QApplication& app = TestApplication();
  TempDir dir;
  PlatformUiScript ui;
};

TEST_F(ExclusiveHold, SecondProcessCannotOpenAPageThisViewHoldsUntilItCloses) {
  const std::string path = WritePageBytes(dir, "held.plim", WritePage(PageOfLines(3)));
  {
    CDocument document;
    CPLIMDispView view(&document);
    ASSERT_TRUE(view.LoadPageFile(path));
    const ProgramResult refused = RunProgram(Probe(), {"open", path});
    EXPECT_EQ(refused.exitCode, 1) << refused.err;
    EXPECT_EQ(refused.out,
              "Cannot open the PLIM file\n\nAnother page window or program holds this file.\n");
  }
  const ProgramResult loaded = RunProgram(Probe(), {"open", path});
  EXPECT_EQ(loaded.exitCode, 0) << loaded.err;
  EXPECT_EQ(loaded.out, "loaded 3\n");
}

TEST_F(ExclusiveHold, PageHeldBySecondProcessIsRefusedAndThePageOnShowStaysDrawn) {
  const std::string shownPath = WritePageBytes(dir, "shown.plim", WritePage(PageOfLines(3)));
  const std::string heldPath = WritePageBytes(dir, "other.plim", WritePage(PageOfLines(5)));
  CDocument document;
  CPLIMDispView view(&document);
  ASSERT_TRUE(view.LoadPageFile(shownPath));
  const std::vector<std::uint32_t> shown = Picture(view);

  HoldingProcess holder(heldPath);
  ASSERT_EQ(holder.FirstLine(), "held");
  EXPECT_FALSE(view.LoadPageFile(heldPath));
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text,
            CString(kOpenFailure) + L"\n\nAnother page window or program holds this file.");
  EXPECT_FALSE(view.fileOpen());
  EXPECT_EQ(view.lineCount(), 3);
  EXPECT_EQ(Picture(view), shown);
  const ProgramResult againFromThird = RunProgram(Probe(), {"open", shownPath});
  EXPECT_EQ(againFromThird.out, "loaded 3\n") << "the page on show no longer holds its file";

  EXPECT_EQ(holder.Finish(), 0);
  EXPECT_TRUE(view.LoadPageFile(heldPath));
  EXPECT_EQ(view.lineCount(), 5);
}

}  // namespace
