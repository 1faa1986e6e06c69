#include "cli/output/TemporaryCleanup.h"

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
std::atomic<int> g_holds{0};    // threads between HoldFatalSignals and ReleaseFatalSignals
std::atomic<int> g_pending{0};  // a signal that came during a hold

void RemoveTemporariesAndDie(int signalNumber) {
  for (Slot& slot : g_slots) {
    if (slot.ready.load()) ::unlink(slot.path);
  }
  struct sigaction fallback {};
  fallback.sa_handler = SIG_DFL;
  ::sigaction(signalNumber, &fallback, nullptr);
  // Delivered to this thread once the handler (if this is one) returns.
  ::raise(signalNumber);
}

// Notes the signal first and looks at the holds second, while a release drops its hold first
// and looks at the note second: whichever runs last sees the other, so none is lost.
extern "C" void OnFatalSignal(int signalNumber) {
  g_pending.store(signalNumber);
  if (g_holds.load() == 0) RemoveTemporariesAndDie(signalNumber);
}

void InstallHandlers() {
  for (const int signalNumber : kSignals) {
    struct sigaction current {};
    if (::sigaction(signalNumber, nullptr, &current) != 0 || current.sa_handler == SIG_IGN) {
      continue;
    }
    struct sigaction action {};
    action.sa_handler = OnFatalSignal;
    sigfillset(&action.sa_mask);
    ::sigaction(signalNumber, &action, nullptr);
  }
}

void InstallHandlersOnce() {
  static std::once_flag installed;
  std::call_once(installed, InstallHandlers);
}

}  // namespace

int RememberTemporary(const std::string& path) {
  InstallHandlersOnce();
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

void HoldFatalSignals() {
  InstallHandlersOnce();
  g_holds.fetch_add(1);
}

void ReleaseFatalSignals() {
  if (g_holds.fetch_sub(1) == 1) {
    if (const int signalNumber = g_pending.load(); signalNumber != 0) {
      RemoveTemporariesAndDie(signalNumber);
    }
  }
}
