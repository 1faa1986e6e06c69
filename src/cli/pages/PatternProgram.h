#pragma once

// The compiled form of a LabelPattern, shared by its compiler and its two searches.

#include <array>
#include <cstdint>
#include <cwctype>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// Where a zero-width assertion holds, between the character before (if any) and the one after.
enum class PatternAssertion : std::uint8_t {
  kTextStart,        // ^ and \`
  kTextEnd,          // $ and \'
  kWordBoundary,     // \b: a word character on one side only
  kNotWordBoundary,  // \B
  kWordStart,        // \<
  kWordEnd,          // \>
};

enum class PatternOp : std::uint8_t {
  kChar,       // the character `a`
  kAny,        // any character
  kSet,        // a character of sets[a]
  kSplit,      // go on at `a`, else at `b`
  kJump,       // go on at `a`
  kSave,       // the place goes into capture slot `a` (2 g: start of group g, 2 g + 1: end)
  kLoopStart,  // the place goes into loop register `a`
  kLoopEnd,    // like kSplit to `b` (the loop's body) and the next instruction, but when the
               // place is that of loop register `a` (the body matched nothing) only the next
  kAssert,     // PatternAssertion `a` holds here
  kBackref,    // the text group `a` matched, again
  kMatch,
};

struct PatternInstruction {
  PatternOp op;
  std::int32_t a = 0;
  std::int32_t b = 0;
};

// A bracket expression, or \w \W \s \S: ranges of code points and character classes.
struct PatternSet {
  bool negated = false;
  std::vector<std::pair<char32_t, char32_t>> ranges;  // inclusive
  std::vector<std::wctype_t> classes;
  std::array<std::uint64_t, 2> ascii{};  // the answer for U+0000-U+007F, negation applied

  // Fills `ascii`; call once the ranges and classes are complete.
  void Seal();
  bool Contains(char32_t c) const {
    if (c < 128) return ((ascii[c >> 6] >> (c & 63)) & 1) != 0;
    return ContainsSlowly(c);
  }

 private:
  bool ContainsSlowly(char32_t c) const;
};

struct PatternProgram {
  std::vector<PatternInstruction> code;  // starts at 0
  std::vector<PatternSet> sets;
  int captureSlots = 0;  // 2 x (highest group a back-reference names + 1); 0 without any
  int loopRegisters = 0;
};

// Whether `c` is a word character for \w, \b, \< and \>: alphanumeric, or '_'.
inline bool IsPatternWordChar(char32_t c) {
  return c == U'_' || std::iswalnum(static_cast<std::wint_t>(c)) != 0;
}

enum class PatternCompilation {
  kDone,
  kInvalid,       // no valid extended regular expression
  kBeyondBounds,  // nested too deep or too large (LabelPattern::kMaxNesting, kMaxInstructions)
};

// Compiles `pattern` (UTF-8) into `program`; on failure `problem` gets the reason.
PatternCompilation CompilePatternProgram(std::string_view pattern, PatternProgram& program,
                                         std::string& problem);
