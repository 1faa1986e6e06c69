#pragma once

// What the smoke tests of the real viewer share: programs started and ended by process id, the
// smoke page, and finding its ink on a screenshot.
#include <sys/types.h>

#include <QImage>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

// The line image's grey, which nothing else on the screen uses, and its size at zoom 1.
inline constexpr std::uint8_t kInk = 0x37;
inline constexpr int kLineWidth = 120;
inline constexpr int kLineHeight = 40;

// A 300 x 200 page with one kLineWidth x kLineHeight line of ink at (20, 30).
bool WriteSmokePage(const std::string& path);

struct Box {
  int left = 0, top = 0, right = -1, bottom = -1;
  int Width() const { return right - left + 1; }
  int Height() const { return bottom - top + 1; }
};

// Starts `argv` with `env` added to this process's environment.
pid_t Spawn(const std::vector<std::string>& argv, const std::vector<std::string>& env);
// Starts Xvfb on a display number it picks itself among the free ones, so that tests run at
// the same time never share a server. Returns its process id and sets `displayName` (":N"), or
// returns 0 when no server reported a display within 20 s.
pid_t StartXServer(std::string& displayName);
// Ends `pid` with SIGTERM (SIGKILL after 5 s) and returns its wait status.
int Stop(pid_t pid);

// The bounding box of the rows and columns of `screen` that hold at least 10 pixels of the ink
// grey, so that stray pixels of that grey elsewhere (smoothed text) do not count.
std::optional<Box> InkBox(const QImage& screen);
// Takes screenshots with `shoot` for up to 20 s until the ink covers `width` columns; the last
// box seen.
std::optional<Box> WaitForInkWidth(const std::function<QImage()>& shoot, int width);
