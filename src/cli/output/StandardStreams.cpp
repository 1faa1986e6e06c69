#include "cli/output/StandardStreams.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>

#include "cli/output/SystemReason.h"

namespace {

std::atomic<int> g_outputErrno{0};
std::atomic<unsigned> g_guarded{0};  // bit N: descriptor N was closed at start

}  // namespace

void GuardStandardStreams() {
  for (const int fd : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO}) {
    if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
    // The lowest free descriptor is this one.
    const int opened = ::open("/dev/null", fd == STDIN_FILENO ? O_WRONLY : O_RDONLY);
    if (opened >= 0 && opened != fd) ::close(opened);
    if (opened == fd) g_guarded.fetch_or(1U << fd);
  }
}

bool IsWritableDescriptor(int fd) {
  if (fd >= 0 && fd <= STDERR_FILENO && (g_guarded.load() & (1U << fd)) != 0) return false;
  const int flags = ::fcntl(fd, F_GETFL);
  return flags != -1 && (flags & O_ACCMODE) != O_RDONLY;
}

void NoteStandardOutputError() {
  int none = 0;
  g_outputErrno.compare_exchange_strong(none, errno != 0 ? errno : EIO);
}

int FinishStandardStreams(int exitCode, int lostExitCode) {
  if (std::fflush(stdout) != 0 || std::ferror(stdout)) NoteStandardOutputError();
  // A close that fails with EBADF lost nothing when nothing was written.
  if (std::fclose(stdout) != 0 && errno != EBADF) NoteStandardOutputError();
  const int lost = g_outputErrno.load();
  if (lost != 0) {
    std::fprintf(stderr, "plimdisp-cli: write error: %s\n", SystemReason(lost).c_str());
  }
  const bool errorsLost = std::fflush(stderr) != 0 || std::ferror(stderr);
  return lost != 0 || errorsLost ? std::max(exitCode, lostExitCode) : exitCode;
}
