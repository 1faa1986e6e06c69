#include "cli/TemporaryCleanup.h"

#include <limits.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cstring>
#include <mutex>

namespace {

constexpr int kSlots = 256;
constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};

// A slot is claimed by one thread, filled, then marked ready; the handler reads only ready
// slots, so it never sees half a path.
struct Slot {
  std::atomic<bool> claimed{false};
  std::atomic<bool> ready{false};
  char path[PATH_MAX];
};

Slot g_slots[kSlots];

extern "C" void RemoveTemporariesAndDie(int signalNumber) {
  for (Slot& slot : g_slots) {
    if (slot.ready.load()) ::unlink(slot.path);
  }
  // SA_RESETHAND restored the default action; the raised signal arrives when this returns.
  ::raise(signalNumber);
}

void InstallHandlers() {
  for (const int signalNumber : kSignals) {
    struct sigaction current {};
    if (::sigaction(signalNumber, nullptr, &current) != 0 || current.sa_handler == SIG_IGN) {
      continue;
    }
    struct sigaction action {};
    action.sa_handler = RemoveTemporariesAndDie;
    action.sa_flags = SA_RESETHAND;
    sigfillset(&action.sa_mask);
    ::sigaction(signalNumber, &action, nullptr);
  }
}

}  // namespace

int RememberTemporary(const std::string& path) {
  static std::once_flag installed;
  std::call_once(installed, InstallHandlers);
  if (path.size() >= PATH_MAX) return -1;
  for (int i = 0; i < kSlots; ++i) {
    bool expected = false;
    if (!g_slots[i].claimed.compare_exchange_strong(expected, true)) continue;
    std::memcpy(g_slots[i].path, path.c_str(), path.size() + 1);
    g_slots[i].ready.store(true);
    return i;
  }
  return -1;
}

void ForgetTemporary(int slot) {
  if (slot < 0 || slot >= kSlots) return;
  g_slots[slot].ready.store(false);
  g_slots[slot].claimed.store(false);
}
