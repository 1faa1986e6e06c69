#include "cli/PageBatch.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <new>
#include <system_error>

#include "cli/OutputFile.h"
#include "cli/StandardStreams.h"
#include "cli/Subcommand.h"
#include "cli/TextFormat.h"

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kPageExtension = ".plim";

bool HasPageExtension(const fs::path& path) {
  const std::string extension = path.extension().string();
  return std::equal(
      extension.begin(), extension.end(), kPageExtension.begin(), kPageExtension.end(),
      [](char a, char b) { return std::tolower(static_cast<unsigned char>(a)) == b; });
}

std::vector<std::string> PagesInFolder(const fs::path& folder, std::error_code& error) {
  std::vector<std::string> pages;
  for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    std::error_code typeError;
    if (HasPageExtension(it->path()) && it->is_regular_file(typeError)) {
      pages.push_back(it->path().string());
    }
  }
  std::sort(pages.begin(), pages.end());
  return pages;
}

}  // namespace

PageInputs ExpandPageInputs(const std::vector<std::string>& arguments) {
  PageInputs inputs;
  for (const std::string& argument : arguments) {
    std::error_code error;
    if (!fs::is_directory(argument, error)) {
      inputs.pages.push_back(argument);
      continue;
    }
    std::vector<std::string> pages = PagesInFolder(argument, error);
    if (error) {
      inputs.unreadableFolders.emplace_back(argument, SystemReason(error.value()));
      continue;
    }
    if (pages.empty()) inputs.emptyFolders.push_back(argument);
    inputs.pages.insert(inputs.pages.end(), pages.begin(), pages.end());
  }
  return inputs;
}

std::optional<std::string> OutputTitles::Claim(const std::string& title, const std::string& path) {
  const auto [owner, claimed] = owners_.emplace(title, path);
  if (claimed) return std::nullopt;
  return owner->second;
}

void ProgressLine::Show(std::size_t done, std::size_t total, const std::string& file) {
  if (!enabled_) return;
  // Carriage return, then erase to the end of the line, so a shorter text leaves no tail.
  std::fprintf(out_, "\r[%zu/%zu] %s\x1b[K", done, total, DisplayText(file).c_str());
  std::fflush(out_);
  shown_ = true;
}

void ProgressLine::Clear() {
  if (!shown_) return;
  std::fprintf(out_, "\r\x1b[K");
  std::fflush(out_);
  shown_ = false;
}

int ForEachPage(const std::vector<std::string>& arguments,
                const std::function<bool(const std::string& path, bool several)>& perPage) {
  const PageInputs inputs = ExpandPageInputs(arguments);
  for (const std::string& page : inputs.pages) NoteRunInput(page);
  bool allDone = inputs.emptyFolders.empty() && inputs.unreadableFolders.empty();
  for (const auto& [folder, reason] : inputs.unreadableFolders) {
    std::fprintf(stderr, "%s: cannot read this folder: %s\n", DisplayText(folder).c_str(),
                 reason.c_str());
  }
  for (const std::string& folder : inputs.emptyFolders) {
    std::fprintf(stderr, "%s: no .plim files in this folder\n", DisplayText(folder).c_str());
  }
  const std::size_t total = inputs.pages.size();
  const bool several = total > 1;
  ProgressLine progress(stderr, several && isatty(fileno(stderr)) != 0);
  for (std::size_t i = 0; i < total; ++i) {
    progress.Clear();
    bool done = false;
    try {
      done = perPage(inputs.pages[i], several);
    } catch (const std::bad_alloc&) {
      std::fprintf(stderr, "%s: %s\n", DisplayText(inputs.pages[i]).c_str(), kNotEnoughMemory);
    }
    if (!done) allDone = false;
    if (std::fflush(stdout) != 0) NoteStandardOutputError();
    if (i + 1 < total) progress.Show(i + 1, total, inputs.pages[i + 1]);
  }
  return allDone ? kExitOk : kExitCannotOpen;
}
