#pragma once

#include <string>

// What a fatal signal (SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGPIPE) cleans up before the process
// ends as the signal asks: temporaries are removed, files being written in place are emptied
// again. Any number of files may be registered at once, from any thread; the handlers are
// installed with the first registration, and a signal ignored at start-up stays ignored.

// One file to clean up while it is registered. Not copyable: the clean-up list links it.
class SignalCleanup {
 public:
  // Removes `path` (relative paths against the unchanged working folder): a file, or with
  // `folder` an empty folder. Entries are cleaned up newest first, so a folder registered
  // before its files is removed after them.
  explicit SignalCleanup(std::string path, bool folder = false)
      : path_(std::move(path)), folder_(folder) {}
  // Truncates the open file `fd` to nothing; the descriptor stays the caller's.
  explicit SignalCleanup(int fd) : fd_(fd) {}
  ~SignalCleanup() { Unregister(); }
  SignalCleanup(const SignalCleanup&) = delete;
  SignalCleanup& operator=(const SignalCleanup&) = delete;

  // The path, which may still be filled in (mkostemp) while the entry is not registered.
  char* path() { return path_.data(); }

  // Registration needs no memory, so a file created between HoldFatalSignals and Register
  // is never left behind.
  void Register();
  // Safe to call when not registered.
  void Unregister();

 private:
  friend void CleanUpRegistered();
  std::string path_;
  bool folder_ = false;
  int fd_ = -1;
  SignalCleanup* previous_ = nullptr;
  SignalCleanup* next_ = nullptr;
  bool registered_ = false;
};

// Between these two calls, on any thread, the fatal signals wait: the process ends as the
// signal asks only once no thread holds them any more, so a group of files being published is
// never cut in half. Calls pair up per thread and may nest across threads.
void HoldFatalSignals();
void ReleaseFatalSignals();

// HoldFatalSignals for the life of the object.
class FatalSignalsHeld {
 public:
  FatalSignalsHeld() { HoldFatalSignals(); }
  ~FatalSignalsHeld() { ReleaseFatalSignals(); }
  FatalSignalsHeld(const FatalSignalsHeld&) = delete;
  FatalSignalsHeld& operator=(const FatalSignalsHeld&) = delete;
};
