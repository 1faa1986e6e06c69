#pragma once

#include <cstddef>
#include <cstdio>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// The page files that FILE and folder arguments name. A folder stands for the regular files
// directly inside it whose names end in ".plim" (any letter case), sorted by name; any other
// argument is taken as a file, so a missing one is reported when it is opened. A folder
// without page files is kept in `emptyFolders`, one that cannot be listed in
// `unreadableFolders` with the system's reason.
struct PageInputs {
  std::vector<std::string> pages;
  std::vector<std::string> emptyFolders;
  std::vector<std::pair<std::string, std::string>> unreadableFolders;  // folder, reason
};
PageInputs ExpandPageInputs(const std::vector<std::string>& arguments);

// The titles that pages have given to output files in one run. Two pages of one title would
// write the same files, so the second is refused instead of replacing the first one's output.
class OutputTitles {
 public:
  // Claims `title` for the page at `path`; returns the page that holds it already, if any.
  std::optional<std::string> Claim(const std::string& title, const std::string& path);

 private:
  std::map<std::string, std::string> owners_;
};

// "[done/total] file" on one terminal line, redrawn in place and wiped before anything else is
// printed. Disabled, it prints nothing.
class ProgressLine {
 public:
  ProgressLine(std::FILE* out, bool enabled) : out_(out), enabled_(enabled) {}
  ~ProgressLine() { Clear(); }
  ProgressLine(const ProgressLine&) = delete;
  ProgressLine& operator=(const ProgressLine&) = delete;

  void Show(std::size_t done, std::size_t total, const std::string& file);
  void Clear();

 private:
  std::FILE* out_;
  bool enabled_;
  bool shown_ = false;
};

// For each page of `pages` whose title (file name without extension) an earlier page of
// `pages` has, that earlier page. Output files are named by title, so such a page is refused.
std::map<std::string, std::string> TitleClashes(const std::vector<std::string>& pages);

// Most workers a batch takes (-j).
inline constexpr unsigned kMaxJobs = 64;

// The work for one page of a batch: its path, its 0-based place among `inputs.pages`, and
// whether it is one of several (then its reports should name the file). Returns false when the
// page failed. It prints through PrintOut and PrintErr only.
using PageTask = std::function<bool(const std::string& path, std::size_t index, bool several)>;

// Runs `task` on every page of `inputs` and carries on after pages that fail, as the overload
// below does, on `jobs` worker threads (1: on the calling thread). With several workers each
// page's output is held until the pages before it are written, so the output is the same as
// with one; the task must then guard whatever it shares with other pages. Pages are taken in
// order and at most 2 x jobs of them are done or under way ahead of the output.
int ForEachPage(const PageInputs& inputs, const PageTask& task, unsigned jobs);

// Runs `perPage` on every page that `arguments` name, in order, and carries on after pages
// that fail. A progress line shows on stderr when it is a terminal and there is more than one
// page. `perPage` gets the page's path and whether it is one of several (then its reports
// should name the file); it returns false when the page failed. Returns kExitOk when every page
// succeeded and every folder could be listed and held pages, kExitCannotOpen otherwise. Every
// page is noted as an input of the run before the first one is handled.
int ForEachPage(const std::vector<std::string>& arguments,
                const std::function<bool(const std::string& path, bool several)>& perPage);
