#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

struct PatternProgram;

// A POSIX extended regular expression (the dialect of `grep -E`, with the GNU operators \w \W
// \s \S \b \B \< \> \` \' and the back-references \1 to \9) for searching labels, one character
// per code point. Character classes follow the process's LC_CTYPE, which must be a UTF-8 one.
//
// Searching does bounded work. A scan passes over the text once with every alternative at once
// (time the text's length times the pattern's size, memory the pattern's size), taking each
// back-reference for any text, so its "no match" is certain. A pattern with back-references
// that the scan cannot rule out is then searched by trying alternatives in turn, which can
// take time exponential in the text's length. Each of the two stops after kBaseSteps plus
// kStepsPerCharacter steps per character of the text, a step being one instruction tried at
// one place, one backtrack or one byte compared by a back-reference: so a scan only gives up
// on huge patterns, and the bound is what ends a long backtracking search.
class LabelPattern {
 public:
  static constexpr std::uint64_t kBaseSteps = 1'000'000;
  static constexpr std::uint64_t kStepsPerCharacter = 256;
  // Deepest nesting of groups and repetitions, and most instructions, a pattern may make.
  static constexpr int kMaxNesting = 500;
  static constexpr std::size_t kMaxInstructions = 200'000;

  enum class Outcome { kMatch, kNoMatch, kGaveUp };

  // Compiles `pattern` (UTF-8). Nothing, with the reason in `problem`, when it is no valid
  // extended regular expression or is too large or too deeply nested.
  static std::optional<LabelPattern> Compile(std::string_view pattern, std::string& problem);

  // Whether some part of `text` (valid UTF-8) matches; kGaveUp when the step bound came first,
  // and at once for a text of 2 GiB or more when the pattern has back-references. Safe to call
  // from several threads at once.
  Outcome Search(std::string_view text) const;

  // Whether a scan's kMatch must be confirmed by Confirm on the whole text: the pattern has
  // back-references, which a scan takes for any text. Otherwise a scan decides alone.
  bool NeedsWholeText() const;
  // Search without its scan, for a text whose scan (PatternScan) gave kMatch.
  Outcome Confirm(std::string_view text) const;

 private:
  explicit LabelPattern(std::shared_ptr<const PatternProgram> program);
  friend class PatternScan;

  std::shared_ptr<const PatternProgram> program_;
};

// A scan of one text handed over in pieces (see LabelPattern): decides for a pattern without
// back-references, and rules a text out (kNoMatch) for one with them. Holds memory for the
// pattern, never for the text.
class PatternScan {
 public:
  explicit PatternScan(const LabelPattern& pattern);
  ~PatternScan();
  PatternScan(const PatternScan&) = delete;
  PatternScan& operator=(const PatternScan&) = delete;

  // Takes the next character of the text. False once the outcome is known: a match (known
  // with the character after it, or at Finish) or the step bound reached; later characters
  // change nothing.
  bool Add(char32_t character);
  // The outcome, once every character has been added.
  LabelPattern::Outcome Finish();

 private:
  class Run;
  std::unique_ptr<Run> run_;
};
