// Reading back the JSON of CorpusStats::Json, so that runs over parts of a corpus merge.
#include <string>

#include "cli/output/TextFormat.h"
#include "cli/pages/CorpusStats.h"
#include "cli/pages/JsonValue.h"

namespace {

// A count or size as JSON holds it: a whole number from 0 to `limit`.
std::optional<std::int64_t> WholeNumber(const JsonValue& value, std::int64_t limit = INT64_MAX) {
  const std::optional<std::int64_t> number = value.Integer();
  if (!number || *number < 0 || *number > limit) return std::nullopt;
  return number;
}

// Fills `sizes` from {"min","median","max","histogram"} of `lines` lines; false, with `problem`
// set, when they are missing or do not agree.
bool ReadSizes(const JsonValue& object, const char* name, std::uint64_t lines,
               ValueHistogram& sizes, std::string& problem) {
  problem = std::string(name) + ": ";
  if (!object["histogram"].IsArray()) {
    problem += "no histogram (written by an older plimdisp-cli: run stats --json again)";
    return false;
  }
  std::int64_t previous = -1;
  for (const JsonValue& bin : object["histogram"].Elements()) {
    const std::vector<JsonValue>& pair = bin.Elements();
    const bool isPair = pair.size() == 2;
    const std::optional<std::int64_t> start =
        isPair ? WholeNumber(pair[0], INT32_MAX) : std::nullopt;
    const std::optional<std::int64_t> count = isPair ? WholeNumber(pair[1]) : std::nullopt;
    if (!start || !count || *count == 0 || *start <= previous ||
        !sizes.AddToBin(static_cast<std::int32_t>(*start), static_cast<std::uint64_t>(*count))) {
      problem += "a histogram bin is no [start,count] in ascending order";
      return false;
    }
    previous = *start;
  }
  if (sizes.count() != lines) {
    problem += "the histogram counts " + std::to_string(sizes.count()) + " lines, not " +
               std::to_string(lines);
    return false;
  }
  const JsonValue &min = object["min"], &median = object["median"], &max = object["max"];
  if (lines == 0) {
    if (min.IsNull() && median.IsNull() && max.IsNull()) return true;
    problem += "sizes without lines";
    return false;
  }
  const std::optional<std::int64_t> low = WholeNumber(min, INT32_MAX);
  const std::optional<std::int64_t> high = WholeNumber(max, INT32_MAX);
  if (!low || !high ||
      !sizes.SetExtremes(static_cast<std::int32_t>(*low), static_cast<std::int32_t>(*high))) {
    problem += "min and max do not lie at the ends of the histogram";
    return false;
  }
  if (WholeNumber(median, INT32_MAX) != sizes.Median()) {
    problem += "the median is not the histogram's";
    return false;
  }
  return true;
}

}  // namespace

std::unique_ptr<CorpusStats> CorpusStats::FromJson(std::string_view json, std::string& problem) {
  // The values of the largest run: three for each Unicode character and each bin of the two
  // histograms (an object or array and its two members), and a few dozen around them.
  constexpr std::size_t kHistogramBins =
      ValueHistogram::kExactLimit + (std::size_t{1} << 31) / ValueHistogram::kExactLimit;
  constexpr std::size_t kMaxRunValues = 3 * (0x110000 + 2 * kHistogramBins) + 64;
  const std::optional<JsonValue> document = JsonValue::Parse(json, problem, kMaxRunValues);
  if (!document) {
    problem = "no JSON: " + problem;
    return nullptr;
  }
  const JsonValue& object = *document;
  auto stats = std::make_unique<CorpusStats>();
  std::uint64_t* const figures[] = {&stats->pages_, &stats->refused_, &stats->lines_,
                                    &stats->characters_};
  const char* const names[] = {"pages", "refused", "lines", "characters"};
  for (std::size_t i = 0; i < std::size(figures); ++i) {
    const std::optional<std::int64_t> figure = WholeNumber(object[names[i]]);
    if (!figure) {
      problem = std::string(names[i]) + ": no whole number";
      return nullptr;
    }
    *figures[i] = static_cast<std::uint64_t>(*figure);
  }
  if (!object["charset"].IsArray()) {
    problem = "charset: no list";
    return nullptr;
  }
  std::uint64_t characters = 0;
  for (const JsonValue& entry : object["charset"].Elements()) {
    const std::string& character = entry["char"].Text();
    const std::optional<std::int64_t> count = WholeNumber(entry["count"]);
    if (character.empty() || Utf8CharLength(character) != character.size() || !count ||
        *count == 0) {
      problem = "charset: an entry is no {\"char\":one character,\"count\":a count}";
      return nullptr;
    }
    stats->charset_[Utf8CodePoint(character)] += static_cast<std::uint64_t>(*count);
    characters += static_cast<std::uint64_t>(*count);
  }
  if (characters != stats->characters_) {
    problem = "charset: counts " + std::to_string(characters) + " characters, not " +
              std::to_string(stats->characters_);
    return nullptr;
  }
  if (!ReadSizes(object["lineHeight"], "lineHeight", stats->lines_, stats->heights_, problem) ||
      !ReadSizes(object["lineWidth"], "lineWidth", stats->lines_, stats->widths_, problem)) {
    return nullptr;
  }
  problem.clear();
  return stats;
}
