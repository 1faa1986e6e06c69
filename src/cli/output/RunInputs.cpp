#include "cli/output/RunInputs.h"

#include <sys/stat.h>

#include <mutex>
#include <set>
#include <utility>

namespace {

using Identity = std::pair<dev_t, ino_t>;

std::mutex g_mutex;
std::set<Identity> g_inputs;

// Only regular files are read as pages, so only they are inputs: a device named as an input
// (/dev/stdin on a terminal) stays usable as an output.
void Note(const struct stat& info) {
  if (!S_ISREG(info.st_mode)) return;
  const std::lock_guard lock(g_mutex);
  g_inputs.insert({info.st_dev, info.st_ino});
}

bool IsInput(const struct stat& info) {
  const std::lock_guard lock(g_mutex);
  return g_inputs.contains({info.st_dev, info.st_ino});
}

}  // namespace

void NoteRunInput(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) == 0) Note(info);
}

void NoteRunInput(int fd) {
  struct stat info {};
  if (::fstat(fd, &info) == 0) Note(info);
}

bool IsRunInputAt(const std::string& path) {
  struct stat info {};
  // Following the name can only reach something else when it is a link; where lstat finds
  // nothing, stat finds nothing either.
  if (::lstat(path.c_str(), &info) != 0) return false;
  if (IsInput(info)) return true;
  return S_ISLNK(info.st_mode) && ::stat(path.c_str(), &info) == 0 && IsInput(info);
}

bool IsRunInputOpen(int fd) {
  struct stat info {};
  return ::fstat(fd, &info) == 0 && IsInput(info);
}
