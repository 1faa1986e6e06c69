// plimdisp-cli stats and grep over a small corpus: exact figures and charset order, medians
// beyond the exactly counted sizes, matches by character, counts, JSON, and grep's exit codes.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "cli/CliTestSupport.h"
#include "pagewriter/PageWriter.h"
#include "support/PageLines.h"
#include "support/TempDir.h"

namespace {

namespace fs = std::filesystem;

// Two pages (labels in code page 936: 中 is D6 D0, 文 is CE C4) and a broken file.
struct Corpus {
  TempDir dir;
  std::string one = dir.File("one.plim");
  std::string two = dir.File("two.plim");
  std::string broken = dir.File("zz-broken.plim");

  Corpus() {
    PageDraft first;
    first.lines = {DraftLine(0, 0, 4, 10, {}, "\xD6\xD0\xCE\xC4\xD6\xD0"),  // 中文中
                   DraftLine(0, 0, 100'000, 30, {}, "ab"), DraftLine(0, 0, 80'000, 0)};
    PageDraft second;
    second.lines = {DraftLine(0, 0, 70'000, 40, {}, "b\xD6\xD0")};  // b中
    EXPECT_TRUE(WritePageFile(one, first));
    EXPECT_TRUE(WritePageFile(two, second));
    std::ofstream(broken, std::ios::binary) << "x";
  }
};

TEST(CliStats, FiguresCharsetAndSizes) {
  Corpus corpus;
  const ProgramResult json = Cli({"stats", "--json", corpus.dir.path().string()});
  EXPECT_EQ(json.exitCode, 1);  // the broken page
  EXPECT_EQ(json.out,
            "{\"pages\":2,\"refused\":1,\"lines\":4,\"characters\":7,\"charset\":["
            "{\"char\":\"\u4E2D\",\"count\":3},{\"char\":\"b\",\"count\":2},"
            "{\"char\":\"a\",\"count\":1},{\"char\":\"\u6587\",\"count\":1}],"
            "\"lineHeight\":{\"min\":0,\"median\":10,\"max\":40,"
            "\"histogram\":[[0,1],[10,1],[30,1],[40,1]]},"
            // the median, 70000, lies in the span counted from 65536
            "\"lineWidth\":{\"min\":4,\"median\":65536,\"max\":100000,"
            "\"histogram\":[[4,1],[65536,3]]}}\n");
  EXPECT_NE(json.err.find("zz-broken.plim: Cannot open the PLIM file"), std::string::npos);

  const ProgramResult text = Cli({"stats", corpus.one});
  EXPECT_EQ(text.exitCode, 0) << text.err;
  EXPECT_EQ(text.out,
            "pages: 1\nrefused: 0\nlines: 3\ncharacters: 5\ndistinct characters: 4\n"
            "line height: min 0, median 10, max 30\nline width: min 4, median 65536, max 100000\n\n"
            "\u4E2D\t2\na\t1\nb\t1\n\u6587\t1\n");
}

// The JSON of runs over three parts of a corpus merges into the JSON of one run over all of
// it: a refused page, a page without lines and sizes beyond the exactly counted ones included,
// two of the runs in one file as xargs leaves them.
TEST(CliStats, MergedPartsAreOneRun) {
  Corpus corpus;
  const std::string empty = corpus.dir.File("empty.plim");
  ASSERT_TRUE(WritePageFile(empty, PageDraft{}));
  const std::vector<std::vector<std::string>> parts = {
      {corpus.one}, {corpus.two, corpus.broken}, {empty}};
  std::vector<std::string> merge = {"stats", "--merge", corpus.dir.File("runs.json"),
                                    corpus.dir.File("last.json")};
  std::string runs;
  for (const std::vector<std::string>& part : parts) {
    std::vector<std::string> arguments = {"stats", "--json"};
    arguments.insert(arguments.end(), part.begin(), part.end());
    runs += Cli(arguments).out;
  }
  // The last line to a file of its own.
  const std::size_t last = runs.rfind('\n', runs.size() - 2) + 1;
  std::ofstream(merge[2]) << runs.substr(0, last);
  std::ofstream(merge[3]) << runs.substr(last);
  const ProgramResult whole =
      Cli({"stats", "--json", corpus.one, corpus.two, corpus.broken, empty});
  const ProgramResult merged = Cli(merge);
  EXPECT_EQ(merged.exitCode, 0) << merged.err;
  EXPECT_EQ(merged.out, whole.out);

  // JSON without the histogram cannot give exact medians: refused, the rest still merged.
  const std::string old = corpus.dir.File("old.json");
  std::ofstream(old) << "{\"pages\":1,\"refused\":0,\"lines\":1,\"characters\":0,\"charset\":[],"
                        "\"lineHeight\":{\"min\":5,\"median\":5,\"max\":5},"
                        "\"lineWidth\":{\"min\":5,\"median\":5,\"max\":5}}\n";
  merge.push_back(old);
  const ProgramResult refused = Cli(merge);
  EXPECT_EQ(refused.exitCode, 1);
  EXPECT_EQ(refused.out, whole.out);
  EXPECT_NE(refused.err.find("old.json: not merged: lineHeight: no histogram"), std::string::npos)
      << refused.err;
}

TEST(CliGrep, MatchesCountsAndExitCodes) {
  Corpus corpus;
  struct Case {
    std::vector<std::string> arguments;
    int exitCode;
    std::string out;
  };
  const Case cases[] = {
      {{"grep", "^.\u6587", corpus.one, corpus.two}, 0, corpus.one + ":1: \u4E2D\u6587\u4E2D\n"},
      {{"grep", "b", corpus.one, corpus.two},
       0,
       corpus.one + ":2: ab\n" + corpus.two + ":1: b\u4E2D\n"},
      {{"grep", "-c", "\u4E2D", corpus.one, corpus.two},
       0,
       corpus.one + ":1\n" + corpus.two + ":1\n"},
      {{"grep", "--json", "^b.$", corpus.two},
       0,
       "{\"file\":\"" + corpus.two + "\",\"line\":1,\"label\":\"b\u4E2D\"}\n"},
      {{"grep", "-c", "--json", "x", corpus.two},
       1,
       "{\"file\":\"" + corpus.two + "\",\"count\":0}\n"},
      {{"grep", "^$", corpus.one}, 0, corpus.one + ":3: \n"},
      {{"grep", "nothing", corpus.one}, 1, ""},
      {{"grep", "b", corpus.two, corpus.broken}, 2, corpus.two + ":1: b\u4E2D\n"},
      {{"grep", "(", corpus.one}, 2, ""},
      {{"grep", "b"}, 2, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.arguments[1] + " " + c.arguments[c.arguments.size() - 1]);
    const ProgramResult result = Cli(c.arguments);
    EXPECT_EQ(result.exitCode, c.exitCode) << result.err;
    EXPECT_EQ(result.out, c.out);
  }
}

// Searches that fail are errors, never misses: a pattern refused, a label whose search gave up
// at its bound (the other lines are still searched), output that was lost.
TEST(CliGrep, FailuresAreErrors) {
  TempDir dir;
  const std::string page = dir.File("page.plim");
  PageDraft draft;
  draft.lines = {DraftLine(0, 0, 1, 1, {}, "aab"),
                 DraftLine(0, 0, 1, 1, {}, std::string(3000, 'a') + "cb"),
                 DraftLine(0, 0, 1, 1, {}, "xaab")};
  ASSERT_TRUE(WritePageFile(page, draft));
  const std::string cli = BuiltProgram("plimdisp-cli");
  const std::string gaveUp = page + ":2: the search gave up at its bound";
  const struct {
    std::vector<std::string> arguments;
    std::string out, err;  // err: a part of it
  } cases[] = {
      {{"grep", "(a+)\\1b", page}, page + ":1: aab\n" + page + ":3: xaab\n", gaveUp},
      {{"grep", "-c", "(a+)\\1b", page}, page + ":2\n", gaveUp},
      {{"grep", "(", page}, "", "bad pattern '(': Unmatched ( or \\("},
      {{"grep", std::string(600, '(') + std::string(600, ')'), page}, "", "nested more than 500"},
      {{"-c", "exec \"$0\" grep b \"$1\" >/dev/full", cli, page}, "", "write error"},
      {{"-c", "exec \"$0\" grep -c x \"$1\" >/dev/full", cli, page}, "", "write error"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.arguments[1]);
    const bool shell = c.arguments.front() == "-c";
    const ProgramResult result = shell ? RunProgram("/bin/sh", c.arguments) : Cli(c.arguments);
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_EQ(result.out, c.out);
    EXPECT_NE(result.err.find(c.err), std::string::npos) << result.err;
  }
}

}  // namespace

namespace {

// -j N gives every batch command the output and exit code of -j 1, bad pages and title clashes
// included.
TEST(CliParallel, SameOutputAsOneWorker) {
  Corpus corpus;
  const fs::path folder = corpus.dir.path() / "more";
  fs::create_directory(folder);
  for (int i = 0; i < 12; ++i) {
    PageDraft page;
    page.pageWidth = 20;
    page.pageHeight = 20;
    page.lines = {DraftLine(0, i, 5 + i, 3, {}, i % 3 == 0 ? "ab" : "b")};
    ASSERT_TRUE(WritePageFile((folder / ("p" + std::to_string(i) + ".plim")).string(), page));
  }
  ASSERT_TRUE(WritePageFile((folder / "one.plim").string(), PageDraft{}));  // clashes with one
  const std::string out = corpus.dir.File("out");
  const std::vector<std::vector<std::string>> commands = {
      {"stats", "--json"},   {"grep", "a"},
      {"grep", "-c", "b"},   {"check"},
      {"check", "--json"},   {"export", "--format", "page", "-o", out},
      {"render", "-o", out}, {"export", "--format", "lmdb", "-o", out}};
  // The files render wrote, or the data of the LMDB environment, by name.
  const auto pictures = [&out] {
    std::map<std::string, std::string> files;
    for (const fs::directory_entry& entry : fs::directory_iterator(out)) {
      if (entry.path().filename() == "lock.mdb") continue;
      std::ifstream in(entry.path(), std::ios::binary);
      files[entry.path().filename().string()].assign(std::istreambuf_iterator<char>(in), {});
    }
    return files;
  };
  for (const auto& command : commands) {
    std::vector<std::string> arguments = command;
    SCOPED_TRACE(arguments.front() + " " + arguments.back());
    arguments.insert(arguments.end(), {corpus.dir.path().string(), folder.string()});
    const bool writesFiles = arguments.front() == "render" || arguments[2] == "lmdb";
    const ProgramResult one = Cli(arguments);
    const auto onePictures = writesFiles ? pictures() : std::map<std::string, std::string>{};
    fs::remove_all(out);
    arguments.insert(arguments.end(), {"-j", "3"});
    const ProgramResult three = Cli(arguments);
    if (writesFiles) {
      EXPECT_EQ(pictures(), onePictures);
    }
    fs::remove_all(out);
    EXPECT_EQ(three.exitCode, one.exitCode);
    EXPECT_EQ(three.out, one.out);
    EXPECT_EQ(three.err, one.err);
  }
  EXPECT_EQ(Cli({"stats", "-j", "0", corpus.one}).exitCode, 2);
  EXPECT_EQ(Cli({"grep", "a", "-j=x", corpus.one}).exitCode, 2);
}

}  // namespace
