#include "samplegen/SampleArgs.h"

#include <charconv>
#include <limits>

namespace {

// A whole decimal number in [low, high], nothing else in the text.
std::optional<std::int64_t> ParseNumber(const std::string& text, std::int64_t low,
                                        std::int64_t high) {
  std::int64_t value = 0;
  const char* end = text.data() + text.size();
  const auto [rest, status] = std::from_chars(text.data(), end, value);
  if (text.empty() || status != std::errc() || rest != end || value < low || value > high) {
    return std::nullopt;
  }
  return value;
}

}  // namespace

std::optional<SampleArgs> ParseSampleArgs(const std::vector<std::string>& args,
                                          std::string& error) {
  SampleArgs parsed;
  bool haveSeed = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--help" || arg == "-h") {
      parsed.help = true;
      return parsed;
    }
    if (arg == "--seed" || arg == "--lines") {
      if (i + 1 == args.size()) {
        error = arg + " needs a value";
        return std::nullopt;
      }
      const std::string& text = args[++i];
      if (arg == "--seed") {
        const auto seed = ParseNumber(text, 0, std::numeric_limits<std::uint32_t>::max());
        if (!seed || haveSeed) {
          error = haveSeed ? "--seed given twice" : "bad --seed value: " + text;
          return std::nullopt;
        }
        parsed.options.seed = static_cast<std::uint32_t>(*seed);
        haveSeed = true;
      } else {
        const auto lines = ParseNumber(text, kMinSampleLines, kMaxSampleLines);
        if (!lines || parsed.options.lineCount) {
          error = parsed.options.lineCount ? "--lines given twice" : "bad --lines value: " + text;
          return std::nullopt;
        }
        parsed.options.lineCount = static_cast<std::int32_t>(*lines);
      }
    } else if (arg.starts_with("-")) {
      error = "unknown option: " + arg;
      return std::nullopt;
    } else if (!parsed.outPath.empty()) {
      error = "more than one output file: " + arg;
      return std::nullopt;
    } else {
      parsed.outPath = arg;
    }
  }
  if (parsed.outPath.empty() || !haveSeed) {
    error = parsed.outPath.empty() ? "no output file given" : "no --seed given";
    return std::nullopt;
  }
  return parsed;
}
