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
// Searching does bounded work: at most kBaseSteps plus kStepsPerCharacter steps per character
// of the text, where a step is one instruction tried at one place, one backtrack or one
// character compared by a back-reference. A pattern without back-references is searched in
// one pass over the text with every alternative at once (time the text's length times the
// pattern's size, memory the pattern's size), so it only gives up on huge patterns; one with
// back-references is searched by trying alternatives in turn, which can take time
// exponential in the text's length, so the bound is what ends it.
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

  // Whether Search needs the whole text at once; when not, a PatternScan takes it in pieces.
  bool NeedsWholeText() const;

 private:
  explicit LabelPattern(std::shared_ptr<const PatternProgram> program);
  friend class PatternScan;

  std::shared_ptr<const PatternProgram> program_;
};

// A search of one text handed over in pieces, for patterns that do not need the whole text
// (LabelPattern::NeedsWholeText). Holds memory for the pattern, never for the text.
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
