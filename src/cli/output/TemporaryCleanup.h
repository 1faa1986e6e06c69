#pragma once

#include <string>

// Temporary files that SIGINT, SIGTERM and SIGHUP remove before the process ends as the signal
// asks. The handlers are installed with the first registration; a signal ignored at start-up
// stays ignored. Paths are kept as given (relative ones against the unchanged working folder).

// Registers `path`; returns a slot number for Forget, or -1 when every slot is taken (then
// only the ordinary clean-up applies).
int RememberTemporary(const std::string& path);
// Unregisters the slot once the temporary is gone or renamed; -1 is ignored.
void ForgetTemporary(int slot);

// Between these two calls, on any thread, SIGINT, SIGTERM and SIGHUP wait: the process ends
// as the signal asks only once no thread holds them any more, so a group of files being
// published is never cut in half. Calls pair up per thread and may nest across threads.
void HoldFatalSignals();
void ReleaseFatalSignals();
