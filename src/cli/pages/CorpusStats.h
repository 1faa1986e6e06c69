#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "cli/pages/CliPage.h"

// Counts of non-negative int32 values with a fixed memory footprint (under 1 MiB), whatever
// how many values are added. Values below kExactLimit are counted one by one; larger values
// are counted in spans of kExactLimit, so a median among them is the lower end of its span.
// The minimum and maximum are always exact.
class ValueHistogram {
 public:
  static constexpr std::int32_t kExactLimit = 1 << 16;

  void Add(std::int32_t value);  // value >= 0
  std::uint64_t count() const { return count_; }
  // Nothing when no value was added. The median of an even count is the lower middle value.
  std::optional<std::int32_t> Min() const;
  std::optional<std::int32_t> Median() const;
  std::optional<std::int32_t> Max() const;

 private:
  std::array<std::uint64_t, kExactLimit> exact_{};
  std::array<std::uint64_t, (std::int64_t{1} << 31) / kExactLimit> spans_{};
  std::uint64_t count_ = 0;
  std::int32_t min_ = INT32_MAX;
  std::int32_t max_ = 0;
};

// Statistics over the pages of a corpus: pages read and refused, lines, label characters and
// how often each occurs, and the line image sizes. Memory is bounded by the number of distinct
// characters (at most the Unicode code points), not by the corpus. About 1.5 MiB: keep it on
// the heap.
class CorpusStats {
 public:
  // Counts the lines of `page`, labels decoded from `codePage` (one the converter knows).
  void AddPage(const CliPage& page, std::string_view codePage);
  void AddRefused() { ++refused_; }

  // A summary, a blank line, then one "CHAR<TAB>COUNT" line per character, most frequent first
  // (ties in code point order). Hidden characters (IsHiddenCharacter) are written as U+XXXX.
  std::string Text() const;
  // {"pages","refused","lines","characters","charset":[{"char","count"}...],
  //  "lineHeight":{"min","median","max"},"lineWidth":{...}}, one line; null sizes when no line.
  std::string Json() const;

 private:
  std::uint64_t pages_ = 0;
  std::uint64_t refused_ = 0;
  std::uint64_t lines_ = 0;
  std::uint64_t characters_ = 0;
  std::unordered_map<char32_t, std::uint64_t> charset_;
  ValueHistogram heights_;
  ValueHistogram widths_;
};
