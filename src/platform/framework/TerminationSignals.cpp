#include "platform/framework/TerminationSignals.h"

#include <fcntl.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QSocketNotifier>
#include <array>
#include <cerrno>
#include <csignal>

namespace {

constexpr std::array kSignals{SIGTERM, SIGINT, SIGHUP};

// The pipe's ends; -1 while no TerminationSignalsQuit exists.
int g_readEnd = -1;
int g_writeEnd = -1;
std::array<struct sigaction, kSignals.size()> g_previous{};

extern "C" void WakeMessageLoop(int /*signal*/) {
  const int savedErrno = errno;
  const char byte = 1;
  // A full pipe already holds a wake-up; the result is of no interest.
  [[maybe_unused]] const ssize_t written = ::write(g_writeEnd, &byte, 1);
  errno = savedErrno;
}

void DrainPipe() {
  char bytes[64];
  while (::read(g_readEnd, bytes, sizeof bytes) > 0) {
  }
}

}  // namespace

TerminationSignalsQuit::TerminationSignalsQuit() {
  int ends[2];
  if (g_readEnd >= 0 || ::pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0) return;
  g_readEnd = ends[0];
  g_writeEnd = ends[1];
  notifier_ = std::make_unique<QSocketNotifier>(g_readEnd, QSocketNotifier::Read);
  QObject::connect(notifier_.get(), &QSocketNotifier::activated, [] {
    DrainPipe();
    QCoreApplication::exit(0);
  });
  struct sigaction action {};
  action.sa_handler = WakeMessageLoop;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (std::size_t index = 0; index < kSignals.size(); ++index) {
    ::sigaction(kSignals[index], &action, &g_previous[index]);
  }
}

TerminationSignalsQuit::~TerminationSignalsQuit() {
  if (notifier_ == nullptr) return;
  for (std::size_t index = 0; index < kSignals.size(); ++index) {
    ::sigaction(kSignals[index], &g_previous[index], nullptr);
  }
  notifier_.reset();
  ::close(g_readEnd);
  ::close(g_writeEnd);
  g_readEnd = g_writeEnd = -1;
}
