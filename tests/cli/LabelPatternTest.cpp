// LabelPattern: extended regular expressions over characters as grep -E reads them, searches
// that stay within their step bound on long texts, and patterns refused with a reason.
#include "cli/pages/LabelPattern.h"

#include <gtest/gtest.h>

#include <clocale>
#include <string>

namespace {

using Outcome = LabelPattern::Outcome;

class LabelPatternTest : public testing::Test {
 protected:
  void SetUp() override { ASSERT_NE(std::setlocale(LC_CTYPE, "C.UTF-8"), nullptr); }

  static Outcome Search(const std::string& pattern, const std::string& text) {
    std::string problem;
    const std::optional<LabelPattern> compiled = LabelPattern::Compile(pattern, problem);
    EXPECT_TRUE(compiled.has_value()) << pattern << ": " << problem;
    return compiled ? compiled->Search(text) : Outcome::kGaveUp;
  }
};

TEST_F(LabelPatternTest, MatchesLikeGrepE) {
  const struct {
    const char* pattern;
    const char* text;
    bool matches;
  } cases[] = {
      {"^.\u6587$", "\u4E2D\u6587", true},  // one character, not one byte
      {"^.{2}$", "\u4E2D\u6587\u4E2D", false},
      {"[\u4E2D\u6587]+$", "x\u6587\u4E2D", true},
      {"[^\u4E2D]", "\u4E2D", false},
      {"[[:alpha:]][[:digit:]]", "\u4E2D7", true},
      {"[[:space:]]", "a\tb", true},
      {"[]a]", "]", true},
      {"[a-]", "-", true},
      {"[\\d]", "\\", true},  // a backslash is itself in a bracket expression
      {"\\d", "d", true},     // and escapes an ordinary character outside one
      {"[[.-.]x]", "-", true},
      {"[[=a=]]", "a", true},
      {"a|b|^$", "", true},
      {"(|a)+b", "b", true},
      {"^x{2,3}$", "xxx", true},
      {"^x{2,3}$", "xxxx", false},
      {"x{,2}y", "y", true},
      {"a{2}{3}", "aaaaa", false},
      {"a**", "", true},
      {")", ")", true},  // an unmatched ) is an ordinary character
      {"a}", "a}", true},
      {"a^", "a", false},  // ^ and $ are anchors wherever they stand
      {"$a", "a", false},
      {"\\bb", "a b", true},
      {"\\Bb", "a b", false},
      {"\\<\u4E2D", "x \u4E2D", true},
      {"a\\>", "ab", false},
      {"\\`a", "ba", false},
      {"a\\'", "ab", false},
      {"\\w\\W\\s\\S", "_ \tx", true},
      {"\\s", "_x", false},
      {"(.)\\1", "\u4E2D\u4E2D", true},
      {"(.)\\1", "\u4E2D\u6587", false},
      {"(a)(b)\\2\\1", "abba", true},
      {"((a)|b)*\\2", "aba", true},  // the last iteration that set group 2
      {"((a)|b)*\\2", "abb", false},
      {"(a){0}\\1", "a", false},  // a group that never matched matches nothing
      {"(a|)*\\1", "b", true},    // one empty iteration sets the group
      {"(a*)*\\1x", "x", true},
      {"(|a){2,}\\1x", "x", true},
      {"\\W(\\b[^a]){2}", " xc", false},  // the C library's regexec says yes here
      {"()\\1{1,2}*", "ab", true},        // the C library's regexec overflows its stack here
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.pattern) + " on '" + c.text + "'");
    EXPECT_EQ(Search(c.pattern, c.text), c.matches ? Outcome::kMatch : Outcome::kNoMatch);
  }
}

// Searches without back-references take linear steps, so a long text is no reason to give up;
// backtracking gives up at the bound instead of running for minutes.
TEST_F(LabelPatternTest, GivesUpOnlyAtTheStepBound) {
  const std::string as(60'000, 'a');
  const struct {
    const char* pattern;
    std::string text;
    Outcome outcome;
  } cases[] = {
      {"a.*b", as, Outcome::kNoMatch},  // quadratic when retried from every place
      {"(a|aa)*c", as, Outcome::kNoMatch},
      {"[[:alpha:]]{100}$", as, Outcome::kMatch},
      {"(.)\\1b", as, Outcome::kNoMatch},
      {"(a*)\\1b", as, Outcome::kNoMatch},  // no b at all: ruled out without backtracking
      {"(a+)\\1b", as + "cb", Outcome::kGaveUp},
      {"(a+)\\1b", std::string(30, 'a') + "cb", Outcome::kNoMatch},
      {"(.+)(.+)\\2\\1x", as.substr(0, 2000) + "bx", Outcome::kGaveUp},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.pattern) + " on " + std::to_string(c.text.size()) + " bytes");
    EXPECT_EQ(Search(c.pattern, c.text), c.outcome);
  }

  // Taking the text in pieces ends once a match is known, with the character after it.
  std::string problem;
  const std::optional<LabelPattern> pattern = LabelPattern::Compile("b", problem);
  ASSERT_TRUE(pattern && !pattern->NeedsWholeText());
  PatternScan scan(*pattern);
  EXPECT_TRUE(scan.Add(U'a'));
  EXPECT_TRUE(scan.Add(U'b'));
  EXPECT_FALSE(scan.Add(U'c'));
  EXPECT_EQ(scan.Finish(), Outcome::kMatch);
}

TEST_F(LabelPatternTest, RefusesWithAReason) {
  const std::string deep = std::string(600, '(') + "a" + std::string(600, ')');
  const struct {
    std::string pattern;
    const char* reason;
  } cases[] = {
      {"(", "Unmatched ( or \\("},  // the C library's words where it refuses
      {"a{1,0}", "Invalid content of \\{\\}"},
      {"*a", "Invalid preceding regular expression"},
      {"(a)|b\\1", "Invalid back reference"},
      {"a\\", "Trailing backslash"},
      {"a{32768}", "Regular expression too big"},
      {deep, "groups and repetitions nested more than 500 deep"},  // the C library crashes
      {"a" + std::string(600, '*'), "groups and repetitions nested more than 500 deep"},
      {"(x{1000}){1000}", "the pattern is too large (more than 200000 instructions)"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.pattern.substr(0, 20));
    std::string problem;
    EXPECT_FALSE(LabelPattern::Compile(c.pattern, problem).has_value());
    EXPECT_EQ(problem, c.reason);
  }
}

}  // namespace
