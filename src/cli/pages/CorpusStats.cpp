#include "cli/pages/CorpusStats.h"

#include <algorithm>
#include <vector>

#include "cli/output/TextFormat.h"
#include "cli/pages/PageInfo.h"
#include "platform/system/CodePage.h"

namespace {

std::string CharText(char32_t c) {
  if (IsHiddenCharacter(c)) {
    char name[16];
    std::snprintf(name, sizeof name, "U+%04X", static_cast<unsigned>(c));
    return name;
  }
  return WideToUtf8(std::wstring(1, static_cast<wchar_t>(c)));
}

std::string OrNull(std::optional<std::int32_t> value, const char* none) {
  return value ? std::to_string(*value) : none;
}

std::string SizesJson(const ValueHistogram& sizes) {
  std::string bins;
  sizes.ForEachBin([&](std::int32_t start, std::uint64_t count) {
    bins += (bins.empty() ? "[" : ",[") + std::to_string(start) + "," + std::to_string(count) + "]";
  });
  return "{\"min\":" + OrNull(sizes.Min(), "null") +
         ",\"median\":" + OrNull(sizes.Median(), "null") +
         ",\"max\":" + OrNull(sizes.Max(), "null") + ",\"histogram\":[" + bins + "]}";
}

std::string SizesText(const ValueHistogram& sizes) {
  return "min " + OrNull(sizes.Min(), "-") + ", median " + OrNull(sizes.Median(), "-") + ", max " +
         OrNull(sizes.Max(), "-");
}

// The charset, most frequent first, ties in code point order.
std::vector<std::pair<char32_t, std::uint64_t>> ByFrequency(
    const std::unordered_map<char32_t, std::uint64_t>& charset) {
  std::vector<std::pair<char32_t, std::uint64_t>> sorted(charset.begin(), charset.end());
  std::sort(sorted.begin(), sorted.end(), [](const auto& a, const auto& b) {
    return a.second != b.second ? a.second > b.second : a.first < b.first;
  });
  return sorted;
}

}  // namespace

void ValueHistogram::Reserve(std::int32_t value) {
  if (value < kExactLimit) {
    if (exact_.size() <= static_cast<std::size_t>(value)) {
      exact_.resize(static_cast<std::size_t>(value) + 1);
    }
  } else if (spans_.size() <= SpanOf(value)) {
    spans_.resize(SpanOf(value) + 1);
  }
}

void ValueHistogram::Add(std::int32_t value) {
  Reserve(value);
  if (value < kExactLimit) {
    ++exact_[static_cast<std::size_t>(value)];
  } else {
    ++spans_[SpanOf(value)];
  }
  ++count_;
  min_ = std::min(min_, value);
  max_ = std::max(max_, value);
}

std::optional<std::int32_t> ValueHistogram::Min() const {
  return count_ > 0 ? std::optional(min_) : std::nullopt;
}

std::optional<std::int32_t> ValueHistogram::Max() const {
  return count_ > 0 ? std::optional(max_) : std::nullopt;
}

std::optional<std::int32_t> ValueHistogram::Median() const {
  if (count_ == 0) return std::nullopt;
  const std::uint64_t rank = (count_ - 1) / 2;  // 0-based rank of the lower middle value
  std::uint64_t seen = 0;
  for (std::size_t value = 0; value < exact_.size(); ++value) {
    seen += exact_[value];
    if (seen > rank) return static_cast<std::int32_t>(value);
  }
  for (std::size_t span = 1; span < spans_.size(); ++span) {
    seen += spans_[span];
    if (seen > rank) return std::max(min_, static_cast<std::int32_t>(span * kExactLimit));
  }
  return max_;
}

void ValueHistogram::ForEachBin(
    const std::function<void(std::int32_t start, std::uint64_t count)>& bin) const {
  for (std::size_t value = 0; value < exact_.size(); ++value) {
    if (exact_[value] != 0) bin(static_cast<std::int32_t>(value), exact_[value]);
  }
  for (std::size_t span = 1; span < spans_.size(); ++span) {
    if (spans_[span] != 0) bin(static_cast<std::int32_t>(span * kExactLimit), spans_[span]);
  }
}

bool ValueHistogram::AddToBin(std::int32_t start, std::uint64_t count) {
  if (start < 0 || (start >= kExactLimit && start % kExactLimit != 0)) return false;
  Reserve(start);
  (start < kExactLimit ? exact_[static_cast<std::size_t>(start)] : spans_[SpanOf(start)]) += count;
  count_ += count;
  return true;
}

bool ValueHistogram::SetExtremes(std::int32_t min, std::int32_t max) {
  std::optional<std::int32_t> lowest;
  std::int32_t highest = 0;
  ForEachBin([&](std::int32_t start, std::uint64_t) {
    if (!lowest) lowest = start;
    highest = start;
  });
  const auto inBin = [](std::int32_t value, std::int32_t start) {
    return start < kExactLimit ? value == start : SpanOf(value) == SpanOf(start);
  };
  if (!lowest || min > max || !inBin(min, *lowest) || !inBin(max, highest)) return false;
  min_ = min;
  max_ = max;
  return true;
}

void ValueHistogram::Merge(const ValueHistogram& other) {
  if (other.count_ == 0) return;
  if (!other.exact_.empty()) Reserve(static_cast<std::int32_t>(other.exact_.size() - 1));
  if (!other.spans_.empty()) {
    Reserve(static_cast<std::int32_t>((other.spans_.size() - 1) * kExactLimit));
  }
  for (std::size_t i = 0; i < other.exact_.size(); ++i) exact_[i] += other.exact_[i];
  for (std::size_t i = 0; i < other.spans_.size(); ++i) spans_[i] += other.spans_[i];
  count_ += other.count_;
  min_ = std::min(min_, other.min_);
  max_ = std::max(max_, other.max_);
}

void CorpusStats::Merge(const CorpusStats& other) {
  pages_ += other.pages_;
  refused_ += other.refused_;
  lines_ += other.lines_;
  characters_ += other.characters_;
  for (const auto& [c, count] : other.charset_) charset_[c] += count;
  heights_.Merge(other.heights_);
  widths_.Merge(other.widths_);
}

PageCharacters CountPageCharacters(const CliPage& page, std::string_view codePage) {
  PageCharacters characters;
  for (std::int32_t i = 0; i < page.body->UsedLines(); ++i) {
    DecodeLabel(page.body->lines[static_cast<std::size_t>(i)], codePage,
                [&](std::wstring_view piece) {
                  for (const wchar_t c : piece) ++characters.counts[static_cast<char32_t>(c)];
                  characters.total += piece.size();
                  return true;
                });
  }
  return characters;
}

void CorpusStats::AddPage(const CliPage& page, PageCharacters characters) {
  // The only steps that allocate come first; with room for every new character and for the
  // largest sizes made, moving the page's entries over and counting allocate nothing.
  const PageBody& body = *page.body;
  std::int32_t tallest = 0, widest = 0;
  for (std::int32_t i = 0; i < body.UsedLines(); ++i) {
    const PageLine& line = body.lines[static_cast<std::size_t>(i)];
    tallest = std::max(tallest, line.height);
    widest = std::max(widest, line.width);
  }
  heights_.Reserve(tallest);
  widths_.Reserve(widest);
  charset_.reserve(charset_.size() + characters.counts.size());
  for (auto next = characters.counts.begin(); next != characters.counts.end();) {
    const auto entry = next++;
    if (const auto found = charset_.find(entry->first); found != charset_.end()) {
      found->second += entry->second;
    } else {
      charset_.insert(characters.counts.extract(entry));
    }
  }
  characters_ += characters.total;
  ++pages_;
  for (std::int32_t i = 0; i < body.UsedLines(); ++i) {
    const PageLine& line = body.lines[static_cast<std::size_t>(i)];
    ++lines_;
    heights_.Add(line.height);
    widths_.Add(line.width);
  }
}

std::string CorpusStats::Text() const {
  std::string out =
      "pages: " + std::to_string(pages_) + "\nrefused: " + std::to_string(refused_) +
      "\nlines: " + std::to_string(lines_) + "\ncharacters: " + std::to_string(characters_) +
      "\ndistinct characters: " + std::to_string(charset_.size()) +
      "\nline height: " + SizesText(heights_) + "\nline width: " + SizesText(widths_) + "\n\n";
  for (const auto& [c, count] : ByFrequency(charset_)) {
    out += CharText(c) + "\t" + std::to_string(count) + "\n";
  }
  return out;
}

std::string CorpusStats::Json() const {
  std::string out = "{\"pages\":" + std::to_string(pages_) +
                    ",\"refused\":" + std::to_string(refused_) +
                    ",\"lines\":" + std::to_string(lines_) +
                    ",\"characters\":" + std::to_string(characters_) + ",\"charset\":[";
  bool first = true;
  for (const auto& [c, count] : ByFrequency(charset_)) {
    out += std::string(first ? "" : ",") +
           "{\"char\":" + JsonQuoted(WideToUtf8(std::wstring(1, static_cast<wchar_t>(c)))) +
           ",\"count\":" + std::to_string(count) + "}";
    first = false;
  }
  return out + "],\"lineHeight\":" + SizesJson(heights_) + ",\"lineWidth\":" + SizesJson(widths_) +
         "}\n";
}
