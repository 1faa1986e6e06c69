// plimdisp-cli on a terminal: characters that act on a terminal or hide there (controls,
// direction overrides, zero-width marks, line separators) never reach it raw, from labels or
// from arguments; JSON stays valid; code page names with conversion suffixes are refused.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "cli/CliTestSupport.h"
#include "pagewriter/PageWriter.h"
#include "support/PageLines.h"
#include "support/TempDir.h"

namespace {

// The first hidden character in `text` (its UTF-8 bytes), or "" when there is none: controls
// but newline and tab (the tool's own), the C1 controls, U+061C, U+200B-U+200F, U+2028-U+202E and
// U+2066-U+2069.
std::string FirstHidden(const std::string& text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto byte = [&](std::size_t at) {
      return at < text.size() ? static_cast<unsigned char>(text[at]) : 0;
    };
    const unsigned char b = byte(i), next = byte(i + 1), third = byte(i + 2);
    if ((b < 0x20 && b != '\n' && b != '\t') || b == 0x7F) return text.substr(i, 1);
    if ((b == 0xC2 && next >= 0x80 && next < 0xA0) || (b == 0xD8 && next == 0x9C)) {
      return text.substr(i, 2);
    }
    if ((b == 0xE2 && next == 0x80 &&
         ((third >= 0x8B && third <= 0x8F) || (third >= 0xA8 && third <= 0xAE))) ||
        (b == 0xE2 && next == 0x81 && third >= 0xA6 && third <= 0xA9)) {
      return text.substr(i, 3);
    }
  }
  return "";
}

TEST(CliTextEscaping, HiddenCharactersNeverReachTheTerminalRaw) {
  TempDir dir;
  PageDraft draft;
  draft.pageWidth = 10;
  draft.pageHeight = 10;
  draft.lines = {DraftLine(0, 0, 1, 1, {},
                           "rtl\xE2\x80\xAE"
                           "cba"),  // U+202E
                 DraftLine(0, 0, 1, 1, {},
                           "sep\xE2\x80\xA8"
                           "x"),  // U+2028
                 DraftLine(0, 0, 1, 1, {},
                           "zw\xE2\x80\x8B"
                           "j\xD8\x9C"),  // U+200B, U+061C
                 DraftLine(0, 0, 1, 1, {},
                           "nel\xC2\x85"
                           "bell\x07")};  // U+0085, BEL
  const std::string page = dir.File("page.plim");
  ASSERT_TRUE(WritePageFile(page, draft));
  const std::string raw = "x\x1B]0;title\x07\xE2\x81\xA6y";  // an OSC sequence and U+2066

  const struct {
    std::vector<std::string> arguments;
    int exitCode;
    std::string shown;  // a part of stdout and stderr together
  } cases[] = {
      {{"grep", "r", page}, 0, ":1: rtl\\xE2\\x80\\xAEcba\n"},
      {{"grep", "s", page}, 0, ":2: sep\\xE2\\x80\\xA8x\n"},
      {{"grep", "z", page}, 0, ":3: zw\\xE2\\x80\\x8Bj\\xD8\\x9C\n"},
      {{"grep", "n", page}, 0, ":4: nel\\xC2\\x85bell\\x07\n"},
      {{"grep", "--json", "z", page}, 0, "\"label\":\"zw\\u200bj\\u061c\""},
      {{"info", page}, 0, "label \"rtl\\u202ecba\""},
      {{"info", "--json", page}, 0, "\"label\":\"nel\\u0085bell\\u0007\""},
      {{"stats", page}, 0, "U+2028\t1\n"},
      {{"info", "--" + raw, page}, 2, "unknown option --x\\x1B]0;title\\x07\\xE2\\x81\\xA6y"},
      {{raw}, 2, "unknown command 'x\\x1B]0;title\\x07\\xE2\\x81\\xA6y'"},
      {{"stats", "-j", raw, page}, 2, "not x\\x1B]0;title\\x07\\xE2\\x81\\xA6y"},
      {{"grep", "(" + raw, page}, 2, "'(x\\x1B]0;title\\x07\\xE2\\x81\\xA6y'"},
      {{"export", "--format", raw, page, "-o", dir.File("out")}, 2, "unknown format x\\x1B]0"},
      {{"info", "--codepage", raw, page}, 2, "unknown code page x\\x1B]0"},
      {{"info", "--codepage", "//", page}, 2, "without //IGNORE"},
      {{"grep", "--codepage", "UTF-8//IGNORE", "x", page}, 2, "without //IGNORE"},
      {{"stats", "--codepage=936//TRANSLIT", page}, 2, "without //IGNORE"},
  };
  for (const auto& c : cases) {
    std::vector<std::string> arguments = c.arguments;
    const bool codePageGiven = std::any_of(arguments.begin(), arguments.end(), [](const auto& a) {
      return a.starts_with("--codepage");
    });
    if (!codePageGiven && arguments.back() == page) {
      arguments.insert(arguments.end() - 1, {"--codepage", "UTF-8"});
    }
    SCOPED_TRACE(c.shown);
    const ProgramResult result = Cli(arguments);
    EXPECT_EQ(result.exitCode, c.exitCode) << result.err;
    const std::string all = result.out + result.err;
    EXPECT_NE(all.find(c.shown), std::string::npos) << all;
    EXPECT_EQ(FirstHidden(all), "") << all;
  }
}

}  // namespace
