#include "cli/pages/PageBatch.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>

#include "cli/commands/Subcommand.h"
#include "cli/output/OutputFile.h"
#include "cli/output/StandardStreams.h"
#include "cli/output/SystemReason.h"
#include "cli/output/TextFormat.h"

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

std::map<std::string, std::string> TitleClashes(const std::vector<std::string>& pages) {
  OutputTitles titles;
  std::map<std::string, std::string> clashes;
  for (const std::string& page : pages) {
    if (std::optional<std::string> earlier = titles.Claim(fs::path(page).stem().string(), page)) {
      clashes.emplace(page, std::move(*earlier));
    }
  }
  return clashes;
}

namespace {

// One page's captured output and result, waiting for the pages before it to be written.
struct DonePage {
  CapturedOutput output;
  bool succeeded = false;
};

// Pages handed to workers in order and their results handed back in order.
class PageQueue {
 public:
  PageQueue(std::size_t total, std::size_t ahead) : total_(total), ahead_(ahead) {}

  // The next page to work on, or nothing when every page is taken. Waits while `ahead_` pages
  // are done or under way beyond the next one to write.
  std::optional<std::size_t> Take() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return next_ >= total_ || next_ < written_ + ahead_; });
    if (next_ >= total_) return std::nullopt;
    return next_++;
  }
  void Finish(std::size_t index, DonePage page) {
    const std::lock_guard lock(mutex_);
    done_.emplace(index, std::move(page));
    changed_.notify_all();
  }
  // Waits for the result of the next page to write, in order.
  DonePage NextToWrite() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return done_.contains(written_); });
    DonePage page = std::move(done_.extract(written_).mapped());
    ++written_;
    changed_.notify_all();
    return page;
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  const std::size_t total_;
  const std::size_t ahead_;
  std::size_t next_ = 0;
  std::size_t written_ = 0;
  std::map<std::size_t, DonePage> done_;
};

// Runs `task` on one page; running out of memory fails the page alone.
bool RunTask(const PageTask& task, const std::string& path, std::size_t index, bool several) {
  try {
    return task(path, index, several);
  } catch (const std::bad_alloc&) {
    PrintErr(DisplayText(path) + ": " + kNotEnoughMemory + "\n");
    return false;
  }
}

}  // namespace

int ForEachPage(const PageInputs& inputs, const PageTask& task, unsigned jobs) {
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
  const auto finishPage = [&](std::size_t i, bool succeeded) {
    if (!succeeded) allDone = false;
    if (std::fflush(stdout) != 0) NoteStandardOutputError();
    if (i + 1 < total) progress.Show(i + 1, total, inputs.pages[i + 1]);
  };
  const unsigned workers = static_cast<unsigned>(std::min<std::size_t>(jobs, total));
  if (workers <= 1) {
    for (std::size_t i = 0; i < total; ++i) {
      progress.Clear();
      finishPage(i, RunTask(task, inputs.pages[i], i, several));
    }
    return allDone ? kExitOk : kExitCannotOpen;
  }

  PageQueue queue(total, 2 * std::size_t{workers});
  std::vector<std::jthread> threads;
  for (unsigned w = 0; w < workers; ++w) {
    threads.emplace_back([&] {
      while (const std::optional<std::size_t> index = queue.Take()) {
        DonePage page;
        {
          const OutputCapture capture(page.output);
          page.succeeded = RunTask(task, inputs.pages[*index], *index, several);
        }
        queue.Finish(*index, std::move(page));
      }
    });
  }
  for (std::size_t i = 0; i < total; ++i) {
    const DonePage page = queue.NextToWrite();
    progress.Clear();
    WriteCaptured(page.output);
    finishPage(i, page.succeeded);
  }
  return allDone ? kExitOk : kExitCannotOpen;
}

int ForEachPage(const std::vector<std::string>& arguments,
                const std::function<bool(const std::string& path, bool several)>& perPage) {
  return ForEachPage(
      ExpandPageInputs(arguments),
      [&](const std::string& path, std::size_t, bool several) { return perPage(path, several); },
      1);
}
