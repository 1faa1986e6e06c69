// A weston module for the viewer's Wayland smoke test. Weston's headless backend has no input
// devices; this gives it a seat with a keyboard, fed from the named pipe that the environment
// variable PLIMDISP_WESTON_KEYS names. Each line written there is a list of evdev key codes
// separated by spaces: they are pressed in order, then released in reverse, so "29 78" is
// Ctrl+keypad plus. The shell gives the keyboard to the window it activates, as for any seat.
#include <fcntl.h>
#include <libweston/libweston.h>
#include <unistd.h>
#include <wayland-server-core.h>

#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

// Exported by libweston, declared by its internal header only.
extern "C" {
void weston_seat_init(weston_seat* seat, weston_compositor* compositor, const char* name);
int weston_seat_init_keyboard(weston_seat* seat, xkb_keymap* keymap);
void notify_key(weston_seat* seat, const timespec* time, uint32_t key, wl_keyboard_key_state state,
                weston_key_state_update update);
WL_EXPORT int wet_module_init(weston_compositor* compositor, int* argc, char* argv[]);
}

namespace {

// Lives as long as the compositor.
struct KeyFeeder {
  weston_seat seat;
  std::string pending;
};

void Type(KeyFeeder& feeder, const std::vector<uint32_t>& keys) {
  timespec now{};
  weston_compositor_get_time(&now);
  for (const uint32_t key : keys) {
    notify_key(&feeder.seat, &now, key, WL_KEYBOARD_KEY_STATE_PRESSED, STATE_UPDATE_AUTOMATIC);
  }
  for (auto key = keys.rbegin(); key != keys.rend(); ++key) {
    notify_key(&feeder.seat, &now, *key, WL_KEYBOARD_KEY_STATE_RELEASED, STATE_UPDATE_AUTOMATIC);
  }
}

int OnReadable(int fd, uint32_t /*mask*/, void* data) {
  auto& feeder = *static_cast<KeyFeeder*>(data);
  char buffer[256];
  const ssize_t count = read(fd, buffer, sizeof buffer);
  if (count <= 0) return 0;
  feeder.pending.append(buffer, static_cast<std::size_t>(count));
  for (std::size_t end; (end = feeder.pending.find('\n')) != std::string::npos;) {
    std::istringstream line(feeder.pending.substr(0, end));
    feeder.pending.erase(0, end + 1);
    std::vector<uint32_t> keys;
    for (uint32_t key; line >> key;) keys.push_back(key);
    Type(feeder, keys);
  }
  return 0;
}

}  // namespace

int wet_module_init(weston_compositor* compositor, int* /*argc*/, char* /*argv*/[]) {
  const char* path = std::getenv("PLIMDISP_WESTON_KEYS");
  if (path == nullptr) return -1;
  // Opened for writing too, so the pipe never reports a hang-up between the test's writes.
  const int fd = open(path, O_RDWR | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return -1;
  auto* feeder = new KeyFeeder{};
  weston_seat_init(&feeder->seat, compositor, "plimdisp-keys");
  if (weston_seat_init_keyboard(&feeder->seat, nullptr) < 0) return -1;
  wl_event_loop_add_fd(wl_display_get_event_loop(compositor->wl_display), fd, WL_EVENT_READABLE,
                       OnReadable, feeder);
  return 0;
}
