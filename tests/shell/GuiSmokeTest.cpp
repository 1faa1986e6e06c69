// Starts the real viewer in a private X server, under a window manager (openbox) when there is
// one, with a page on its command line, and uses it from the keyboard only, as a new user would:
// the page is drawn and the caption is the program's own; keypad "+" enlarges the page; the
// print preview opens from the 文件 menu and closes from its tool bar; Alt+- opens the page
// window's system menu and does not zoom, and its items maximise (the frame's
// caption then carries the title in brackets) and restore; Ctrl+N, Ctrl+F6 and Ctrl+F4 make,
// switch and close page windows; F10 opens the menu bar; Ctrl+O shows Qt's Open dialog in
// Chinese. SIGTERM then ends the viewer, which exits normally.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "shell/SmokeSupport.h"
#include "support/RunProgram.h"
#include "support/TempDir.h"

// Xlib defines macros (None, Bool, Status) that other headers must not see.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

namespace {

using namespace std::chrono_literals;

std::string WindowName(Display* display, Window window) {
  char* name = nullptr;
  if (!XFetchName(display, window, &name) || name == nullptr) return {};
  std::string text(name);
  XFree(name);
  return text;
}

// The whole screen.
QImage Screenshot(Display* display) {
  const Window root = DefaultRootWindow(display);
  XWindowAttributes attributes;
  XGetWindowAttributes(display, root, &attributes);
  XImage* image =
      XGetImage(display, root, 0, 0, attributes.width, attributes.height, AllPlanes, ZPixmap);
  if (image == nullptr) return {};
  const QImage screen = QImage(reinterpret_cast<const uchar*>(image->data), image->width,
                               image->height, image->bytes_per_line, QImage::Format_RGB32)
                            .copy();
  XDestroyImage(image);
  return screen;
}

// Whether `condition` holds within 10 s.
bool WaitFor(const std::function<bool()>& condition) {
  for (int attempt = 0; attempt < 50; ++attempt) {
    if (condition()) return true;
    std::this_thread::sleep_for(200ms);
  }
  return condition();
}

// Whether a menu (a pop-up or a menu bar's drop-down) is on the screen: menus are the
// override-redirect windows right below the root that are mapped and larger than a pixel,
// whatever the window manager.
bool MenuShown(Display* display) {
  Window root, parent, *children = nullptr;
  unsigned count = 0;
  if (!XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count)) {
    return false;
  }
  bool shown = false;
  for (unsigned i = 0; i < count && !shown; ++i) {
    XWindowAttributes attributes;
    shown = XGetWindowAttributes(display, children[i], &attributes) &&
            attributes.override_redirect && attributes.map_state == IsViewable &&
            attributes.width > 1 && attributes.height > 1;
  }
  if (children != nullptr) XFree(children);
  return shown;
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

TEST(GuiSmokeTest, PageWindowsWorkFromTheKeyboard) {
  const std::string viewer = BuiltProgram("plimdisp");
  ASSERT_TRUE(std::filesystem::exists(viewer)) << viewer;
  TempDir dir;
  const std::string path = dir.File("smoke.plim");
  ASSERT_TRUE(WriteSmokePage(path));

  std::string displayName;
  const pid_t server = StartXServer(displayName);
  ASSERT_NE(server, 0) << "the X server did not start";
  Display* display = XOpenDisplay(displayName.c_str());
  ASSERT_NE(display, nullptr) << "the X server takes no clients";
  // Windows come and go while the tree is read (menus, dialogs); a request about one that has
  // just gone is no failure, where Xlib's default handler would end the test.
  XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
  const pid_t windowManager = PLIMDISP_WINDOW_MANAGER[0] != '\0'
                                  ? Spawn({PLIMDISP_WINDOW_MANAGER}, {"DISPLAY=" + displayName})
                                  : 0;
  std::this_thread::sleep_for(500ms);

  const pid_t program = Spawn({viewer, path}, {"DISPLAY=" + displayName, "QT_QPA_PLATFORM=xcb",
                                               "XDG_CONFIG_HOME=" + dir.File("config")});
  const auto shoot = [display] { return Screenshot(display); };
  const std::optional<Box> before = WaitForInkWidth(shoot, kLineWidth);
  ASSERT_TRUE(before.has_value()) << "the page was not drawn";
  EXPECT_EQ(before->Width(), kLineWidth);
  EXPECT_EQ(before->Height(), kLineHeight);

  const Window frame = FindWindowNamed(display, DefaultRootWindow(display), "PLIMDisp");
  ASSERT_NE(frame, 0u);
  const auto caption = [display, frame] { return WindowName(display, frame); };
  EXPECT_EQ(caption(), "PLIMDisp - smoke") << "no name appended by the platform";
  PressKey(display, frame, XK_KP_Add);
  const int zoomed = kLineWidth * 3 / 2;
  const std::optional<Box> after = WaitForInkWidth(shoot, zoomed);
  ASSERT_TRUE(after.has_value());
  EXPECT_EQ(after->Width(), zoomed);
  EXPECT_EQ(after->Height(), kLineHeight * 3 / 2);

  // Print preview by keyboard: 文件 (Alt+F), then 打印预览 (V). At 1200 dpi the page is a speck
  // on the paper. Tab reaches the preview's tool bar, whose first button, 关闭, Space presses.
  PressKey(display, frame, XK_f, Mod1Mask);
  EXPECT_TRUE(WaitFor([display] { return MenuShown(display); })) << "Alt+F opens no menu";
  PressKey(display, frame, XK_v);
  EXPECT_TRUE(WaitFor([&] { return !InkBox(shoot()); })) << "the preview did not replace the page";
  PressKey(display, frame, XK_Tab);
  PressKey(display, frame, XK_space);
  EXPECT_EQ(WaitForInkWidth(shoot, zoomed).value_or(Box{}).Width(), zoomed) << "the preview stayed";

  // Alt+- is the page window's system menu, not a zoom; its items take their mnemonics.
  PressKey(display, frame, XK_minus, Mod1Mask);
  EXPECT_TRUE(WaitFor([display] { return MenuShown(display); })) << "Alt+- shows no menu";
  PressKey(display, frame, XK_Escape);
  EXPECT_TRUE(WaitFor([display] { return !MenuShown(display); }));
  EXPECT_EQ(WaitForInkWidth(shoot, zoomed).value_or(Box{}).Width(), zoomed) << "Alt+- zoomed";
  PressKey(display, frame, XK_minus, Mod1Mask);
  EXPECT_TRUE(WaitFor([display] { return MenuShown(display); }));
  PressKey(display, frame, XK_x);
  EXPECT_TRUE(WaitFor([&] { return caption() == "PLIMDisp - [smoke]"; })) << caption();
  PressKey(display, frame, XK_minus, Mod1Mask);
  EXPECT_TRUE(WaitFor([display] { return MenuShown(display); }));
  PressKey(display, frame, XK_r);
  EXPECT_TRUE(WaitFor([&] { return caption() == "PLIMDisp - smoke"; })) << caption();

  // Ctrl+N makes a window, Ctrl+F6 goes back to the page, Ctrl+F4 closes it.
  PressKey(display, frame, XK_n, ControlMask);
  EXPECT_TRUE(WaitFor([&] { return caption() == "PLIMDisp - PLIMDisp1"; })) << caption();
  PressKey(display, frame, XK_F6, ControlMask);
  EXPECT_TRUE(WaitFor([&] { return caption() == "PLIMDisp - smoke"; })) << caption();
  PressKey(display, frame, XK_F4, ControlMask);
  EXPECT_TRUE(WaitFor([&] { return caption() == "PLIMDisp - PLIMDisp1"; })) << caption();
  EXPECT_TRUE(WaitFor([&] { return !InkBox(shoot()).has_value(); })) << "the page stays";

  // F10 opens the menu bar.
  PressKey(display, frame, XK_F10);
  EXPECT_TRUE(WaitFor([display] { return MenuShown(display); })) << "F10 opens no menu";
  PressKey(display, frame, XK_Escape);
  PressKey(display, frame, XK_Escape);
  EXPECT_TRUE(WaitFor([display] { return !MenuShown(display); }));

  // Qt's own dialogs speak Chinese: Ctrl+O shows the Open dialog titled "打开".
  PressKey(display, frame, XK_o, ControlMask);
  Window open = 0;
  WaitFor(
      [&] { return (open = FindWindowNamed(display, DefaultRootWindow(display), "打开")) != 0; });
  EXPECT_NE(open, 0u) << "no window titled 打开";
  if (open != 0) {
    PressKey(display, open, XK_Escape);
    EXPECT_TRUE(WaitFor([&] {
      XWindowAttributes attributes;
      return !XGetWindowAttributes(display, open, &attributes) ||
             attributes.map_state != IsViewable;
    })) << "the Open dialog stayed";
  }

  // SIGTERM ends the message loop, so the viewer shuts down as at a normal exit.
  const int status = Stop(program);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "wait status " << status;
  XCloseDisplay(display);
  Stop(windowManager);
  Stop(server);
}

}  // namespace
