// Starts the real viewer in a private X server with a page on its command line, checks from
// screenshots that the page is drawn, that the caption is the program's own, presses the keypad
// "+" and checks that the page grows, opens the Open dialog and the print preview by keyboard
// and leaves the preview through its tool bar, then ends it with SIGTERM, which it survives to
// exit normally.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "pagewriter/PageWriter.h"
#include "support/PageLines.h"
#include "support/RunProgram.h"
#include "support/TempDir.h"

// Xlib defines macros (None, Bool, Status) that other headers must not see.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

namespace {

using namespace std::chrono_literals;

// The line image's grey, which nothing else on the screen uses.
constexpr std::uint8_t kInk = 0x37;
constexpr int kLineWidth = 120;
constexpr int kLineHeight = 40;

struct Box {
  int left = 0, top = 0, right = -1, bottom = -1;
  int Width() const { return right - left + 1; }
  int Height() const { return bottom - top + 1; }
};

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

// Ends `pid` with SIGTERM (SIGKILL after 5 s) and returns its wait status.
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

std::string WindowName(Display* display, Window window) {
  char* name = nullptr;
  if (!XFetchName(display, window, &name) || name == nullptr) return {};
  std::string text(name);
  XFree(name);
  return text;
}

// The bounding box of the rows and columns that hold at least kMinRun pixels of the ink grey,
// so that stray pixels of that grey elsewhere (smoothed text) do not count.
constexpr int kMinRun = 10;

std::optional<Box> InkBox(Display* display) {
  const Window root = DefaultRootWindow(display);
  XWindowAttributes attributes;
  XGetWindowAttributes(display, root, &attributes);
  XImage* image =
      XGetImage(display, root, 0, 0, attributes.width, attributes.height, AllPlanes, ZPixmap);
  if (image == nullptr) return std::nullopt;
  std::vector<int> perRow(attributes.height), perColumn(attributes.width);
  const unsigned long ink = (kInk << 16) | (kInk << 8) | kInk;
  for (int y = 0; y < attributes.height; ++y) {
    for (int x = 0; x < attributes.width; ++x) {
      if ((XGetPixel(image, x, y) & 0xFFFFFF) != ink) continue;
      ++perRow[y];
      ++perColumn[x];
    }
  }
  XDestroyImage(image);
  std::optional<Box> box;
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
    box = found;
  }
  return box;
}

// Waits up to 20 s for the ink to cover `width` columns.
std::optional<Box> WaitForInkWidth(Display* display, int width) {
  std::optional<Box> box;
  for (int attempt = 0; attempt < 100; ++attempt) {
    box = InkBox(display);
    if (box && box->Width() == width) return box;
    std::this_thread::sleep_for(200ms);
  }
  return box;
}

// Waits up to 20 s for `window` to leave the screen.
bool WaitForUnmapped(Display* display, Window window) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(display, window, &attributes) || attributes.map_state != IsViewable) {
      return true;
    }
    std::this_thread::sleep_for(200ms);
  }
  return false;
}

// Waits up to 20 s for a popup (a menu): a mapped window that bypasses the window manager.
bool WaitForPopup(Display* display) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    Window root, parent, *children = nullptr;
    unsigned count = 0;
    bool shown = false;
    if (XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count)) {
      for (unsigned i = 0; i < count && !shown; ++i) {
        XWindowAttributes attributes;
        shown = XGetWindowAttributes(display, children[i], &attributes) &&
                attributes.override_redirect && attributes.map_state == IsViewable;
      }
      if (children != nullptr) XFree(children);
    }
    if (shown) return true;
    std::this_thread::sleep_for(200ms);
  }
  return false;
}

// Waits up to 20 s for the ink to go from the screen.
bool WaitForNoInk(Display* display) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    if (!InkBox(display)) return true;
    std::this_thread::sleep_for(200ms);
  }
  return false;
}

// The window's UTF-8 title (_NET_WM_NAME), which carries the Chinese ones.
std::string Utf8WindowName(Display* display, Window window) {
  Atom type = 0;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  if (XGetWindowProperty(display, window, XInternAtom(display, "_NET_WM_NAME", False), 0, 256,
                         False, XInternAtom(display, "UTF8_STRING", False), &type, &format, &count,
                         &after, &data) != Success ||
      data == nullptr) {
    return {};
  }
  std::string text(reinterpret_cast<const char*>(data), count);
  XFree(data);
  return text;
}

Window FindWindowNamed(Display* display, Window window, const std::string& prefix) {
  if (WindowName(display, window).rfind(prefix, 0) == 0 ||
      Utf8WindowName(display, window).rfind(prefix, 0) == 0) {
    return window;
  }
  Window root, parent, *children = nullptr;
  unsigned count = 0;
  Window found = 0;
  if (XQueryTree(display, window, &root, &parent, &children, &count)) {
    for (unsigned i = 0; i < count && found == 0; ++i) {
      found = FindWindowNamed(display, children[i], prefix);
    }
    if (children != nullptr) XFree(children);
  }
  return found;
}

void PressKey(Display* display, Window window, KeySym symbol, unsigned state = 0) {
  XSetInputFocus(display, window, RevertToParent, CurrentTime);
  XSync(display, False);
  std::this_thread::sleep_for(300ms);
  for (int type : {KeyPress, KeyRelease}) {
    XKeyEvent event{};
    event.type = type;
    event.display = display;
    event.window = window;
    event.root = DefaultRootWindow(display);
    event.subwindow = None;
    event.time = CurrentTime;
    event.same_screen = True;
    event.keycode = XKeysymToKeycode(display, symbol);
    event.state = state;
    XSendEvent(display, window, True, type == KeyPress ? KeyPressMask : KeyReleaseMask,
               reinterpret_cast<XEvent*>(&event));
  }
  XFlush(display);
}

TEST(GuiSmokeTest, PageIsDrawnAndPlusEnlargesIt) {
  const std::string viewer = BuiltProgram("plimdisp");
  ASSERT_TRUE(std::filesystem::exists(viewer)) << viewer;
  TempDir dir;
  PageDraft page;
  page.pageWidth = 300;
  page.pageHeight = 200;
  page.lines.push_back(DraftLine(20, 30, kLineWidth, kLineHeight, Solid(kInk)));
  const std::string path = dir.File("smoke.plim");
  ASSERT_TRUE(WritePageFile(path, page));

  const std::string displayName = ":" + std::to_string(90 + getpid() % 100);
  const pid_t server =
      Spawn({"Xvfb", displayName, "-screen", "0", "1024x768x24", "-nolisten", "tcp"}, {});
  Display* display = nullptr;
  for (int attempt = 0; attempt < 100 && display == nullptr; ++attempt) {
    std::this_thread::sleep_for(100ms);
    display = XOpenDisplay(displayName.c_str());
  }
  ASSERT_NE(display, nullptr) << "the X server did not start";
  // Windows come and go while the test looks at them: one gone meanwhile is no error.
  XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });

  const pid_t program = Spawn({viewer, path}, {"DISPLAY=" + displayName, "QT_QPA_PLATFORM=xcb",
                                               "XDG_CONFIG_HOME=" + dir.File("config")});
  const std::optional<Box> before = WaitForInkWidth(display, kLineWidth);
  ASSERT_TRUE(before.has_value()) << "the page was not drawn";
  EXPECT_EQ(before->Width(), kLineWidth);
  EXPECT_EQ(before->Height(), kLineHeight);

  const Window frame = FindWindowNamed(display, DefaultRootWindow(display), "PLIMDisp");
  ASSERT_NE(frame, 0u);
  EXPECT_EQ(WindowName(display, frame), "PLIMDisp - smoke") << "no name appended by the platform";
  PressKey(display, frame, XK_KP_Add);
  const std::optional<Box> after = WaitForInkWidth(display, kLineWidth * 3 / 2);
  ASSERT_TRUE(after.has_value());
  EXPECT_EQ(after->Width(), kLineWidth * 3 / 2);
  EXPECT_EQ(after->Height(), kLineHeight * 3 / 2);

  // Qt's own dialogs speak Chinese: Ctrl+O shows the Open dialog titled "打开".
  PressKey(display, frame, XK_o, ControlMask);
  Window open = 0;
  for (int attempt = 0; attempt < 50 && open == 0; ++attempt) {
    std::this_thread::sleep_for(200ms);
    open = FindWindowNamed(display, DefaultRootWindow(display), "打开");
  }
  EXPECT_NE(open, 0u) << "no window titled 打开";
  if (open != 0) {
    PressKey(display, open, XK_Escape);
    EXPECT_TRUE(WaitForUnmapped(display, open)) << "the Open dialog stayed";
  }

  // Print preview by keyboard: 文件 (Alt+F), then 打印预览 (V). At 1200 dpi the page is a speck
  // on the paper. Tab reaches the preview's tool bar, whose first button, 关闭, Space presses.
  PressKey(display, frame, XK_f, Mod1Mask);
  EXPECT_TRUE(WaitForPopup(display)) << "Alt+F did not open the 文件 menu";
  PressKey(display, frame, XK_v);
  EXPECT_TRUE(WaitForNoInk(display)) << "the preview did not replace the page window";
  PressKey(display, frame, XK_Tab);
  PressKey(display, frame, XK_space);
  const std::optional<Box> back = WaitForInkWidth(display, kLineWidth * 3 / 2);
  EXPECT_TRUE(back.has_value() && back->Width() == kLineWidth * 3 / 2) << "the preview stayed";

  // SIGTERM ends the message loop, so the viewer shuts down as at a normal exit.
  const int status = Stop(program);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "wait status " << status;
  XCloseDisplay(display);
  Stop(server);
}

}  // namespace
