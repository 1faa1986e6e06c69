// Runs the built plimdisp-cli on pages written to a temporary folder.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "pagewriter/PageWriter.h"
#include "platform/system/CFile.h"
#include "resources/Version.h"
#include "support/PageLines.h"
#include "support/RunProgram.h"
#include "support/TempDir.h"

namespace {

using namespace std::string_literals;

ProgramResult Cli(const std::vector<std::string>& arguments) {
  return RunProgram(BuiltProgram("plimdisp-cli"), arguments);
}

// Two lines: a Chinese label with a quote, a newline, a control byte and a 0 byte in it, and
// an empty one; unusual header values throughout.
PageDraft SmallPage() {
  PageDraft page;
  page.headerTag8 = "\x01\x02\x03\x04\x05\x06\x07\xFF"s;
  page.headerNote = "\xAB\xCD"s;
  page.headerTag20 = std::string(19, 'A') + "\x7F";
  page.codeLength = 1;
  page.headerWord = -1;
  page.pageWidth = 640;
  page.pageHeight = -480;
  page.lines.push_back(DraftLine(-20, 10, 2, 1, Solid(0x80), "\xD6\xD0\"\n\x01\0"s));
  page.lines.push_back(DraftLine(0, 0, 0, 0));
  return page;
}

TEST(CliInfo, PrintsEveryFieldAsText) {
  TempDir dir;
  const std::string path = dir.File("small.plim");
  ASSERT_TRUE(WritePageFile(path, SmallPage()));
  const ProgramResult result = Cli({"info", path});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.out,
            "headerSize: 38\n"
            "headerTag8: 01020304050607ff\n"
            "headerNote: abcd\n"
            "headerTag20: 414141414141414141414141414141414141417f\n"
            "codeLength: 1\n"
            "headerWord: -1\n"
            "pageWidth: 640\n"
            "pageHeight: -480\n"
            "lineCount: 2\n"
            "line 1: charCount 6, top 10, left -20, height 1, width 2, "
            "label \"\u4E2D\\\"\\n\\u0001 \"\n"
            "line 2: charCount 0, top 0, left 0, height 0, width 0, label \"\"\n");
  EXPECT_EQ(result.err, "");
}

TEST(CliInfo, PrintsOneJsonObject) {
  TempDir dir;
  const std::string path = dir.File("small.plim");
  ASSERT_TRUE(WritePageFile(path, SmallPage()));
  const ProgramResult result = Cli({"info", "--json", path});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.out,
            "{\"headerSize\":38,\"headerTag8\":\"01020304050607ff\",\"headerNote\":\"abcd\","
            "\"headerTag20\":\"414141414141414141414141414141414141417f\",\"codeLength\":1,"
            "\"headerWord\":-1,\"pageWidth\":640,\"pageHeight\":-480,\"lineCount\":2,\"lines\":["
            "{\"charCount\":6,\"top\":10,\"left\":-20,\"height\":1,\"width\":2,"
            "\"label\":\"\u4E2D\\\"\\n\\u0001 \"},"
            "{\"charCount\":0,\"top\":0,\"left\":0,\"height\":0,\"width\":0,\"label\":\"\"}]}\n");
}

TEST(CliInfo, KeepsANegativeLineCount) {
  TempDir dir;
  const std::string path = dir.File("negative.plim");
  PageDraft page;
  page.lineCount = -2;
  ASSERT_TRUE(WritePageFile(path, page));
  const ProgramResult result = Cli({"info", path, "--json"});
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_NE(result.out.find("\"lineCount\":-2,\"lines\":[]}"), std::string::npos) << result.out;
}

TEST(CliInfo, ReadsAPageThatTheViewerHolds) {
  TempDir dir;
  const std::string path = dir.File("held.plim");
  ASSERT_TRUE(WritePageFile(path, SmallPage()));
  CFile holder;
  ASSERT_TRUE(holder.Open(path, CFile::modeReadWrite));
  EXPECT_EQ(Cli({"info", path}).exitCode, 0);
}

// The note is read from the file piece by piece: every byte arrives once, in order, across
// the pieces' borders, in the text, the JSON and an export's JSON alike.
TEST(CliInfo, StreamsALargeHeaderNote) {
  TempDir dir;
  PageDraft page;
  for (int i = 0; i < (2 << 20) + 3; ++i) page.headerNote += static_cast<char>(i * 7 + i / 256);
  page.lines = {DraftLine(0, 0, 1, 1, {}, "x")};
  const std::string path = dir.File("note.plim");
  ASSERT_TRUE(WritePageFile(path, page));
  std::string hex;
  for (const char c : page.headerNote) {
    hex += "0123456789abcdef"[static_cast<unsigned char>(c) >> 4];
    hex += "0123456789abcdef"[c & 0x0F];
  }
  EXPECT_NE(Cli({"info", path}).out.find("headerNote: " + hex + "\n"), std::string::npos);
  const std::string json = Cli({"info", "--json", path}).out;
  EXPECT_NE(json.find("\"headerNote\":\"" + hex + "\","), std::string::npos);
  ASSERT_EQ(Cli({"export", path, "-o", dir.File("out")}).exitCode, 0);
  std::ifstream exported(dir.File("out/note.json"), std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(exported), {}), json);
}

TEST(CliInfo, ExitCodesAndMessages) {
  TempDir dir;
  PageDraft tooMany;
  tooMany.lineCount = 101;
  const std::string refused = dir.File("refused.plim");
  ASSERT_TRUE(WritePageFile(refused, tooMany));
  const std::string good = dir.File("good.plim");
  ASSERT_TRUE(WritePageFile(good, SmallPage()));
  std::filesystem::create_directory(dir.File("folder.plim"));

  const struct {
    std::vector<std::string> arguments;
    int exitCode;
    std::string err;  // exact, or "*" for any non-empty text
    std::string outStart;
  } cases[] = {
      {{"info", dir.File("missing.plim")},
       1,
       "Cannot open the PLIM file\n\nNo such file or directory\n",
       ""},
      // A folder stands for the page files in it, even when its name ends in .plim.
      {{"info", dir.File("folder.plim")},
       1,
       dir.File("folder.plim") + ": no .plim files in this folder\n",
       ""},
      {{"info", refused},
       1,
       "Cannot open the PLIM file\n\nIt has 101 lines; at most 100 are supported.\n",
       ""},
      {{}, 2, "*", ""},
      {{"frobnicate"}, 2, "*", ""},
      {{"info"}, 2, "*", ""},
      {{"info", "--xml", good}, 2, "*", ""},
      {{"--version"}, 0, "", PLIMDISP_VERSION "\n"},
      {{"--help"}, 0, "", "Usage: plimdisp-cli"},
      {{"info", "--help"}, 0, "", "Usage: plimdisp-cli info FILE... [--json]"},
  };
  for (const auto& c : cases) {
    const std::string label = c.arguments.empty() ? "(none)" : c.arguments.front();
    SCOPED_TRACE(label + (c.arguments.size() > 1 ? " " + c.arguments[1] : ""));
    const ProgramResult result = Cli(c.arguments);
    EXPECT_EQ(result.exitCode, c.exitCode);
    if (c.err == "*") {
      EXPECT_FALSE(result.err.empty());
    } else {
      EXPECT_EQ(result.err, c.err);
    }
    EXPECT_EQ(result.out.substr(0, c.outStart.size()), c.outStart);
    if (c.exitCode != 0) {
      EXPECT_EQ(result.out, "");
    }
  }
}

}  // namespace
