#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "cli/pages/CliPage.h"

// Counts of non-negative int32 values in bounded memory (768 KiB at most), whatever how many
// values are added: its tables grow to the largest value counted, so the sizes of ordinary
// lines take a few KiB. Values below kExactLimit are counted one by one; larger values are
// counted in spans of kExactLimit, so a median among them is the lower end of its span. The
// minimum and maximum are always exact.
class ValueHistogram {
 public:
  static constexpr std::int32_t kExactLimit = 1 << 16;

  // Makes room for values up to `value` (>= 0), so that adding them allocates nothing. Throws
  // std::bad_alloc when memory runs out.
  void Reserve(std::int32_t value);
  void Add(std::int32_t value);  // value >= 0; allocates (Reserve) only when not reserved
  std::uint64_t count() const { return count_; }
  // Nothing when no value was added. The median of an even count is the lower middle value.
  std::optional<std::int32_t> Min() const;
  std::optional<std::int32_t> Median() const;
  std::optional<std::int32_t> Max() const;

  // Hands every bin that counts values to `bin` in ascending order: its first value (the
  // value itself below kExactLimit, the start of its span above) and its count.
  void ForEachBin(const std::function<void(std::int32_t start, std::uint64_t count)>& bin) const;
  // Counts `count` values more in the bin that starts at `start`, leaving the minimum and the
  // maximum to SetExtremes. False when `start` starts no bin.
  bool AddToBin(std::int32_t start, std::uint64_t count);
  // Sets the exact minimum and maximum of the values counted by AddToBin. False when they do
  // not lie in the lowest and the highest bin that counts values.
  bool SetExtremes(std::int32_t min, std::int32_t max);
  // Adds the values of `other`, as if each had been added here.
  void Merge(const ValueHistogram& other);

 private:
  static std::size_t SpanOf(std::int32_t value) {
    return static_cast<std::size_t>(value / kExactLimit);
  }

  std::vector<std::uint64_t> exact_;  // counts of values 0..size-1; size <= kExactLimit
  std::vector<std::uint64_t> spans_;  // counts of spans 1..size-1 (span 0 is exact_'s)
  std::uint64_t count_ = 0;
  std::int32_t min_ = INT32_MAX;
  std::int32_t max_ = 0;
};

// The characters of one page's labels and how often each occurs.
struct PageCharacters {
  std::unordered_map<char32_t, std::uint64_t> counts;
  std::uint64_t total = 0;
};

// Counts the label characters of `page`, decoded from `codePage` (one the converter knows) a
// piece at a time. Throws std::bad_alloc when memory runs out.
PageCharacters CountPageCharacters(const CliPage& page, std::string_view codePage);

// Statistics over the pages of a corpus: pages read and refused, lines, label characters and
// how often each occurs, and the line image sizes. Memory is bounded by the number of distinct
// characters (at most the Unicode code points) and the largest line sizes, not by the
// corpus.
class CorpusStats {
 public:
  // Adds `page`, whose label characters are `characters` (CountPageCharacters). Throws
  // std::bad_alloc, having added nothing, when memory runs out.
  void AddPage(const CliPage& page, PageCharacters characters);
  void AddRefused() { ++refused_; }

  // A summary, a blank line, then one "CHAR<TAB>COUNT" line per character, most frequent first
  // (ties in code point order). Hidden characters (IsHiddenCharacter) are written as U+XXXX.
  std::string Text() const;
  // {"pages","refused","lines","characters","charset":[{"char","count"}...],
  //  "lineHeight":{"min","median","max","histogram":[[start,count]...]},"lineWidth":{...}},
  // one line; null sizes when no line. The histogram is ValueHistogram::ForEachBin's, so
  // figures of separate runs merge exactly.
  std::string Json() const;

  // The figures of `json`, the Json() of a run; nothing, with `problem` set, when it is no
  // such JSON or its figures do not agree with each other.
  static std::unique_ptr<CorpusStats> FromJson(std::string_view json, std::string& problem);
  // Adds the figures of `other`, as if its pages had been counted here.
  void Merge(const CorpusStats& other);

 private:
  std::uint64_t pages_ = 0;
  std::uint64_t refused_ = 0;
  std::uint64_t lines_ = 0;
  std::uint64_t characters_ = 0;
  std::unordered_map<char32_t, std::uint64_t> charset_;
  ValueHistogram heights_;
  ValueHistogram widths_;
};
