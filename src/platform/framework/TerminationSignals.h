#pragma once

#include <memory>

class QSocketNotifier;

// While one exists, SIGTERM, SIGINT and SIGHUP end the application's message loop (the
// outermost and any nested one) instead of the process, so the code after the loop still runs.
// The handler only writes a byte to a pipe; the loop reads it and quits. Make at most one at a
// time, on the thread that runs the loop, after the QCoreApplication; the previous dispositions
// come back when it goes.
class TerminationSignalsQuit {
 public:
  TerminationSignalsQuit();
  ~TerminationSignalsQuit();
  TerminationSignalsQuit(const TerminationSignalsQuit&) = delete;
  TerminationSignalsQuit& operator=(const TerminationSignalsQuit&) = delete;

  // Whether the handlers are in place (false when the pipe could not be made).
  bool Active() const { return notifier_ != nullptr; }

 private:
  std::unique_ptr<QSocketNotifier> notifier_;
};
