// Starts the real viewer natively under a Wayland compositor (weston's headless backend, with a
// keyboard from the module plimdisp_weston_keys) with a page on its command line, checks from
// screenshots that the page is drawn, presses keypad "+" and checks that the page grows, then
// ends it with SIGTERM, which it survives to exit normally. Qt is told to use its Wayland
// platform, so a viewer that could only run through XWayland fails here.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/input-event-codes.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QImage>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <thread>

#include "shell/SmokeSupport.h"
#include "support/RunProgram.h"
#include "support/TempDir.h"

namespace {

using namespace std::chrono_literals;

// A plain grey desktop without panel, lock screen or on-screen keyboard.
constexpr char kWestonConfig[] = R"([core]
idle-time=0
[shell]
background-color=0xff808080
panel-position=none
locking=false
animation=none
startup-animation=none
[input-method]
path=/bin/true
)";

// The compositor's screen, through weston-screenshooter (which writes into its working folder).
QImage Screenshot(const std::string& runtime, const std::string& socket, const std::string& dir) {
  std::error_code error;
  std::filesystem::create_directories(dir, error);
  const pid_t shooter = fork();
  if (shooter == 0) {
    if (chdir(dir.c_str()) != 0) _exit(127);
    setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
    setenv("WAYLAND_DISPLAY", socket.c_str(), 1);
    execlp(PLIMDISP_WESTON_SCREENSHOOTER, PLIMDISP_WESTON_SCREENSHOOTER, nullptr);
    _exit(127);
  }
  int status = 0;
  waitpid(shooter, &status, 0);
  QImage screen;
  for (const auto& entry : std::filesystem::directory_iterator(dir, error)) {
    screen = QImage(QString::fromStdString(entry.path().string()));
    std::filesystem::remove(entry.path(), error);
  }
  return screen;
}

TEST(WaylandSmokeTest, PageIsDrawnNativelyAndPlusEnlargesIt) {
  const std::string viewer = BuiltProgram("plimdisp");
  const std::string keys = BuiltProgram("tests/plimdisp_weston_keys.so");
  ASSERT_TRUE(std::filesystem::exists(viewer)) << viewer;
  ASSERT_TRUE(std::filesystem::exists(keys)) << keys;
  TempDir dir;
  const std::string path = dir.File("smoke.plim");
  ASSERT_TRUE(WriteSmokePage(path));
  const std::string runtime = dir.File("runtime");
  ASSERT_EQ(mkdir(runtime.c_str(), 0700), 0);
  const std::string keyPipe = dir.File("keys");
  ASSERT_EQ(mkfifo(keyPipe.c_str(), 0600), 0);
  std::ofstream(dir.File("weston.ini")) << kWestonConfig;

  const std::string socket = "plimdisp-smoke-" + std::to_string(getpid());
  const pid_t compositor =
      Spawn({PLIMDISP_WESTON, "--backend=headless-backend.so", "--use-pixman", "--width=1024",
             "--height=768", "--debug", "--socket=" + socket, "--config=" + dir.File("weston.ini"),
             "--modules=" + keys, "--log=" + dir.File("weston.log")},
            {"XDG_RUNTIME_DIR=" + runtime, "PLIMDISP_WESTON_KEYS=" + keyPipe});
  for (int attempt = 0; attempt < 100 && !std::filesystem::exists(runtime + "/" + socket);
       ++attempt) {
    std::this_thread::sleep_for(100ms);
  }
  ASSERT_TRUE(std::filesystem::exists(runtime + "/" + socket)) << "weston did not start";

  const pid_t program = Spawn(
      {viewer, path}, {"QT_QPA_PLATFORM=wayland", "WAYLAND_DISPLAY=" + socket,
                       "XDG_RUNTIME_DIR=" + runtime, "XDG_CONFIG_HOME=" + dir.File("config")});
  const auto shoot = [&] { return Screenshot(runtime, socket, dir.File("shots")); };
  const std::optional<Box> before = WaitForInkWidth(shoot, kLineWidth);
  ASSERT_TRUE(before.has_value()) << "the page was not drawn";
  EXPECT_EQ(before->Height(), kLineHeight);

  const std::string plus = std::to_string(KEY_KPPLUS) + "\n";
  const int pipe = open(keyPipe.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
  ASSERT_GE(pipe, 0) << "the keyboard module does not read its pipe";
  EXPECT_EQ(write(pipe, plus.data(), plus.size()), static_cast<ssize_t>(plus.size()));
  close(pipe);
  const std::optional<Box> after = WaitForInkWidth(shoot, kLineWidth * 3 / 2);
  ASSERT_TRUE(after.has_value());
  EXPECT_EQ(after->Width(), kLineWidth * 3 / 2);
  EXPECT_EQ(after->Height(), kLineHeight * 3 / 2);

  const int status = Stop(program);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "wait status " << status;
  Stop(compositor);
}

}  // namespace
