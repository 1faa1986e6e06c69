// plimdisp-cli check: every seeded problem found exactly once, refusals and exit codes.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "cli/CliTestSupport.h"
#include "pagewriter/PageWriter.h"
#include "support/PageLines.h"
#include "support/TempDir.h"

namespace {

using namespace std::string_literals;

// A 100x50 page, codeLength 1, with one problem per line from line 2 on; line 1 is sound.
PageDraft SeededPage() {
  PageDraft page;
  page.pageWidth = 100;
  page.pageHeight = 50;
  page.lines = {
      DraftLine(0, 0, 10, 2, {}, "ok"),                   // 1: sound
      DraftLine(95, 45, 10, 10, {}, "p"),                 // 2: partly outside (right and bottom)
      DraftLine(0, 200, 2, 2, {}, "w"),                   // 3: wholly outside, below the page
      DraftLine(0, 10, 1, 1),                             // 4: empty label
      DraftLine(0, 20, 5, 0, {}, "e"),                    // 5: empty image
      DraftLine(0, 25, 1, 1, {}, "a\xFF"),                // 6: a byte that is no character in 936
      DraftLine(0, 30, 1, 1, {}, "a\0b"s),                // 7: a 0 byte in the label
      DraftLine(5, 1, 1, 1, {}, "o"),                     // 8: overlaps line 1
      DraftLine(0, 40, 100, 1, Solid(0x80), "\xD6\xD0"),  // 9: touches the right edge only: sound
      DraftLine(50, -1, 1, 1, {}, "z"),                   // 10: just above the page
  };
  return page;
}

TEST(CliCheck, FindsEachSeededProblemExactlyOnce) {
  TempDir dir;
  const std::string path = dir.File("seeded.plim");
  ASSERT_TRUE(WritePageFile(path, SeededPage()));
  const ProgramResult result = Cli({"check", path});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.err, "");
  const std::string p = path + ":";
  EXPECT_EQ(result.out,
            p + "2: the image at (95, 45) of 10x10 lies partly outside the 100x50 page\n" +  //
                p + "3: the image at (0, 200) of 2x2 lies wholly outside the 100x50 page\n" + p +
                "4: the label is empty\n" +  //
                p + "5: the image of 5x0 is empty\n" + p +
                "6: the label holds 1 byte(s) invalid in code page 936\n" + p +
                "7: the label holds 1 byte(s) 0, shown as spaces\n" + p +
                "8: the image overlaps that of line 1\n" + p +
                "10: the image at (50, -1) of 1x1 lies wholly outside the 100x50 page\n");
}

TEST(CliCheck, CharCountAgainstDecodedCharactersForTwoByteCodes) {
  TempDir dir;
  const std::string path = dir.File("wide.plim");
  PageDraft page;
  page.codeLength = 2;
  page.pageWidth = 10;
  page.pageHeight = 10;
  const struct {
    std::int32_t charCount;
    std::string label;
  } lines[] = {
      {2, "\xD6\xD0\xCE\xC4"},  // 1: two Chinese characters: sound
      {1, "ab"},                // 2: two characters in one code
      {2, "\xD6\xD0 a"},        // 3: three characters in two codes
      {1, "\xD6\x00"s},         // 4: a 0 byte shown as a space leaves a cut-off lead byte
  };
  std::int32_t top = 0;
  for (const auto& line : lines) {
    page.lines.push_back({line.charCount, line.label, top++, 0, 1, 1, "\x80"});
  }
  ASSERT_TRUE(WritePageFile(path, page));
  const ProgramResult result = Cli({"check", path});
  EXPECT_EQ(result.exitCode, 0);
  const std::string p = path + ":";
  EXPECT_EQ(result.out, p + "2: charCount is 1 but the label decodes to 2 character(s)\n" + p +
                            "3: charCount is 2 but the label decodes to 3 character(s)\n" + p +
                            "4: the label holds 1 byte(s) 0, shown as spaces\n" + p +
                            "4: the label holds 1 byte(s) invalid in code page 936\n" + p +
                            "4: charCount is 1 but the label decodes to 2 character(s)\n");
}

TEST(CliCheck, RefusalsGiveTheLoadersReasonAndExitOne) {
  TempDir dir;
  const std::string good = dir.File("a_good.plim");
  ASSERT_TRUE(WritePageFile(good, SeededPage()));
  PageDraft cut;
  cut.lines = {DraftLine(0, 0, 1, 1, {}, "x"), DraftLine(0, 0, 4, 4, {}, "y")};
  std::string bytes = WritePage(cut);
  bytes.resize(bytes.size() - 3);
  const std::string cutPath = dir.File("b_cut.plim");
  { std::ofstream(cutPath, std::ios::binary) << bytes; }
  PageDraft tooMany;
  tooMany.lineCount = 101;
  const std::string tooManyPath = dir.File("c_many.plim");
  ASSERT_TRUE(WritePageFile(tooManyPath, tooMany));
  const std::string missing = dir.File("d_missing.plim");

  const ProgramResult result = Cli({"check", cutPath, missing, tooManyPath, good});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(CountOf(result.out, cutPath + ":"), 1u);
  EXPECT_NE(result.out.find(cutPath +
                            ":2: Cannot open the PLIM file: The file ends inside line 2 of 2.\n"),
            std::string::npos)
      << result.out;
  EXPECT_NE(result.out.find(missing + ": Cannot open the PLIM file: No such file or directory\n"),
            std::string::npos);
  EXPECT_NE(result.out.find(tooManyPath +
                            ": Cannot open the PLIM file: It has 101 lines; at most 100 are "
                            "supported.\n"),
            std::string::npos);
  // The pages after the refused ones are still checked.
  EXPECT_EQ(CountOf(result.out, good + ":"), 8u) << result.out;

  EXPECT_EQ(Cli({"check", good}).exitCode, 0);
}

TEST(CliCheck, JsonReport) {
  TempDir dir;
  PageDraft page;
  page.pageWidth = 10;
  page.pageHeight = 10;
  page.lines = {DraftLine(0, 0, 1, 1)};
  const std::string path = dir.File("one.plim");
  ASSERT_TRUE(WritePageFile(path, page));
  const std::string missing = dir.File("missing.plim");
  const ProgramResult result = Cli({"check", "--json", path, missing});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(
      result.out,
      "{\"pages\":[{\"file\":\"" + path +
          "\",\"refused\":false,\"findings\":[{\"line\":1,\"kind\":\"empty-"
          "label\",\"message\":\"the label is empty\"}]},{\"file\":\"" +
          missing +
          "\",\"refused\":true,\"findings\":[{\"line\":null,\"kind\":\"cannot-"
          "open\",\"message\":\"Cannot open the PLIM file: No such file or directory\"}]}]}\n");
}

TEST(CliCheck, CodePageOption) {
  TempDir dir;
  PageDraft page;
  page.pageWidth = 10;
  page.pageHeight = 10;
  page.lines = {DraftLine(0, 0, 1, 1, {}, "\xE4\xB8\xAD")};  // valid UTF-8, not valid in 936
  const std::string path = dir.File("utf8.plim");
  ASSERT_TRUE(WritePageFile(path, page));
  EXPECT_NE(Cli({"check", path}).out.find("invalid in code page 936"), std::string::npos);
  EXPECT_EQ(Cli({"check", "--codepage", "UTF-8", path}).out, "");
  EXPECT_EQ(Cli({"check", "--codepage", "no-such-page", path}).exitCode, 2);
}

}  // namespace
