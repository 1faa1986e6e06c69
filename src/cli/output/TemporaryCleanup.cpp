#include "cli/output/TemporaryCleanup.h"

#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <mutex>

// The list of registered files is changed only by threads that hold the fatal signals, under
// a mutex among themselves; it is read only by the one thread that ends the process, once it
// has marked the state dying while no thread held. So the reader never meets a list being
// changed, never takes a lock, and no thread changes the list after it.

// Removes or empties every registered file; run only by the thread that ends the process.
void CleanUpRegistered();

namespace {

constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGPIPE};

// The number of threads holding the fatal signals, or kDying once one thread ends the process.
constexpr unsigned kDying = 1U << 31;
std::atomic<unsigned> g_state{0};
std::atomic<int> g_pending{0};  // the signal to end with, noted by the handler

std::mutex g_listMutex;
SignalCleanup* g_first = nullptr;

// Ends the process as `signalNumber` does by default, from a handler or from a release.
[[noreturn]] void DieOf(int signalNumber) {
  struct sigaction fallback {};
  fallback.sa_handler = SIG_DFL;
  ::sigaction(signalNumber, &fallback, nullptr);
  ::raise(signalNumber);
  // Inside a handler the signal is blocked until now.
  sigset_t only;
  sigemptyset(&only);
  sigaddset(&only, signalNumber);
  ::pthread_sigmask(SIG_UNBLOCK, &only, nullptr);
  ::_exit(128 + signalNumber);
}

// Cleans up and ends the process, unless a thread holds the signals (the last release then
// does it) or another thread is doing it already.
void EndIfUnheld(int signalNumber) {
  unsigned unheld = 0;
  if (!g_state.compare_exchange_strong(unheld, kDying)) return;
  CleanUpRegistered();
  DieOf(signalNumber);
}

extern "C" void OnFatalSignal(int signalNumber) {
  // Noted first, looked at the holds second, while a release drops its hold first and looks at
  // the note second: whichever runs last sees the other, so no signal is lost.
  g_pending.store(signalNumber);
  EndIfUnheld(signalNumber);
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

void CleanUpRegistered() {
  for (const SignalCleanup* entry = g_first; entry != nullptr; entry = entry->next_) {
    if (entry->fd_ >= 0) {
      static_cast<void>(::ftruncate(entry->fd_, 0));
    } else if (entry->folder_) {
      ::rmdir(entry->path_.c_str());
    } else {
      ::unlink(entry->path_.c_str());
    }
  }
}

void SignalCleanup::Register() {
  const FatalSignalsHeld held;
  const std::lock_guard lock(g_listMutex);
  if (registered_) return;
  next_ = g_first;
  if (g_first != nullptr) g_first->previous_ = this;
  g_first = this;
  registered_ = true;
}

void SignalCleanup::Unregister() {
  if (!registered_) return;
  const FatalSignalsHeld held;
  const std::lock_guard lock(g_listMutex);
  (previous_ != nullptr ? previous_->next_ : g_first) = next_;
  if (next_ != nullptr) next_->previous_ = previous_;
  previous_ = next_ = nullptr;
  registered_ = false;
}

void HoldFatalSignals() {
  InstallHandlersOnce();
  unsigned state = g_state.load();
  for (;;) {
    // The process is ending on another thread; this one waits for the end.
    while ((state & kDying) != 0) {
      ::pause();
      state = g_state.load();
    }
    if (g_state.compare_exchange_weak(state, state + 1)) return;
  }
}

void ReleaseFatalSignals() {
  if (g_state.fetch_sub(1) == 1) {
    if (const int signalNumber = g_pending.load(); signalNumber != 0) EndIfUnheld(signalNumber);
  }
}
