#include "shell/SmokeSupport.h"

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "pagewriter/PageWriter.h"
#include "support/PageLines.h"

using namespace std::chrono_literals;

bool WriteSmokePage(const std::string& path) {
  PageDraft page;
  page.pageWidth = 300;
  page.pageHeight = 200;
  page.lines.push_back(DraftLine(20, 30, kLineWidth, kLineHeight, Solid(kInk)));
  return WritePageFile(path, page);
}

pid_t Spawn(const std::vector<std::string>& argv, const std::vector<std::string>& env) {
  const pid_t pid = fork();
  if (pid != 0) return pid;
  for (const std::string& entry : env) putenv(const_cast<char*>(entry.c_str()));
  std::vector<char*> args;
  for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);
  execvp(args[0], args.data());
  _exit(127);
}

pid_t StartXServer(std::string& displayName) {
  int report[2];
  if (pipe(report) != 0) return 0;
  const pid_t server = Spawn({"Xvfb", "-displayfd", std::to_string(report[1]), "-screen", "0",
                              "1024x768x24", "-nolisten", "tcp"},
                             {});
  close(report[1]);
  // The server writes its display number and a newline once it accepts clients.
  std::string number;
  pollfd ready{report[0], POLLIN, 0};
  char c = 0;
  while (poll(&ready, 1, 20'000) > 0 && read(report[0], &c, 1) == 1 && c != '\n') number += c;
  close(report[0]);
  if (c != '\n' || number.empty()) {
    Stop(server);
    return 0;
  }
  displayName = ":" + number;
  return server;
}

int Stop(pid_t pid) {
  if (pid <= 0) return 0;
  kill(pid, SIGTERM);
  int status = 0;
  for (int i = 0; i < 50; ++i) {
    if (waitpid(pid, &status, WNOHANG) == pid) return status;
    std::this_thread::sleep_for(100ms);
  }
  kill(pid, SIGKILL);
  waitpid(pid, &status, 0);
  return status;
}

std::optional<Box> InkBox(const QImage& screen) {
  constexpr int kMinRun = 10;
  if (screen.isNull()) return std::nullopt;
  const QImage image = screen.convertToFormat(QImage::Format_RGB32);
  std::vector<int> perRow(image.height()), perColumn(image.width());
  const QRgb ink = qRgb(kInk, kInk, kInk);
  for (int y = 0; y < image.height(); ++y) {
    const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
    for (int x = 0; x < image.width(); ++x) {
      if ((row[x] & 0xFFFFFF) != (ink & 0xFFFFFF)) continue;
      ++perRow[y];
      ++perColumn[x];
    }
  }
  auto span = [](const std::vector<int>& counts, int& first, int& last) {
    for (int i = 0; i < static_cast<int>(counts.size()); ++i) {
      if (counts[i] < kMinRun) continue;
      if (first > last) first = i;
      last = i;
    }
    return first <= last;
  };
  Box found{1, 1, 0, 0};
  if (span(perColumn, found.left, found.right) && span(perRow, found.top, found.bottom)) {
    return found;
  }
  return std::nullopt;
}

std::optional<Box> WaitForInkWidth(const std::function<QImage()>& shoot, int width) {
  std::optional<Box> box;
  for (int attempt = 0; attempt < 100; ++attempt) {
    box = InkBox(shoot());
    if (box && box->Width() == width) return box;
    std::this_thread::sleep_for(200ms);
  }
  return box;
}
