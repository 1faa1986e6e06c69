#include "cli/OutputFile.h"

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <system_error>

namespace {

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

}  // namespace

bool WriteFileReplacing(const std::string& path, std::string_view bytes) {
  const std::filesystem::path target(path);
  // Hidden, and named after the process, so concurrent runs never share a temporary file.
  const std::filesystem::path temporary =
      target.parent_path() /
      ("." + target.filename().string() + ".part" + std::to_string(static_cast<long>(getpid())));
  bool written = false;
  {
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(temporary.c_str(), "wb"));
    if (!file) return false;
    written = std::fwrite(bytes.data(), 1, bytes.size(), file.get()) == bytes.size() &&
              std::fflush(file.get()) == 0;
    written = std::fclose(file.release()) == 0 && written;
  }
  std::error_code error;
  if (written) std::filesystem::rename(temporary, target, error);
  if (!written || error) {
    std::filesystem::remove(temporary, error);
    return false;
  }
  return true;
}
