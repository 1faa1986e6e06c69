// plimdisp-cli export --format lmdb: training code that is not ours reads back what the lines
// export writes, and nothing that is no environment of ours is replaced.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "cli/CliTestSupport.h"
#include "pagewriter/PageWriter.h"
#include "support/PageLines.h"
#include "support/TempDir.h"

namespace {

namespace fs = std::filesystem;

constexpr char kPython[] = "/usr/bin/python3";

std::string ConsumerScript() {
  return std::string(std::getenv("PLIMDISP_SOURCE_DIR")) + "/tests/cli/lmdb_consumer.py";
}

// Pages whose lines are numbered across pages, around lines left out: without pixels, tiny,
// in a refused page. Labels in code page 936 (中 is D6 D0), one with a 0 byte and a newline.
struct TrainingPages {
  TempDir dir;
  std::vector<std::string> titles = {"a", "b", "c"};
  std::vector<std::string> paths;

  TrainingPages() {
    const auto stripes = [](int row, int column) { return (row * 37 + column * 11) % 256; };
    PageDraft a;
    a.lines = {DraftLine(0, 0, 40, 12, stripes, "\xD6\xD0 one"), DraftLine(0, 20, 0, 8, {}, "none"),
               DraftLine(0, 40, 2, 2, Solid(0), "tiny"),
               DraftLine(0, 60, 90, 16, stripes, std::string("a\0b\nc", 5))};
    PageDraft b;
    b.lines = {DraftLine(5, 5, 30, 30, Solid(0x40), "")};
    PageDraft c;
    for (int i = 0; i < 30; ++i) {
      c.lines.push_back(
          DraftLine(0, 10 * i, 20 + i, 3 + i % 5, stripes, "line " + std::to_string(i)));
    }
    for (const auto& [title, page] : {std::pair{"a", &a}, {"b", &b}, {"c", &c}}) {
      paths.push_back(dir.File(std::string(title) + ".plim"));
      EXPECT_TRUE(WritePageFile(paths.back(), *page));
    }
    paths.insert(paths.begin() + 1, dir.File("broken.plim"));
    std::ofstream(paths[1], std::ios::binary) << "xx";
  }
};

TEST(CliLmdbExport, TrainingCodeReadsWhatTheLinesExportWrites) {
  if (RunProgram(kPython, {"-c", "import lmdb, PIL"}).exitCode != 0) {
    GTEST_SKIP() << "python3-lmdb or python3-pil is missing (scripts/setup installs them)";
  }
  const TrainingPages pages;
  std::vector<std::string> lines = {"export", "-o", pages.dir.File("lines")};
  lines.insert(lines.end(), pages.paths.begin(), pages.paths.end());
  EXPECT_EQ(Cli(lines).exitCode, 1);  // the broken page

  const struct {
    std::vector<std::string> options;
    std::string minWidth, minHeight, samples, left;
  } cases[] = {
      {{}, "0", "0", "34", "34 lines written; 1 without pixels and 0 smaller"},
      {{"-j", "3"}, "0", "0", "34", "34 lines written"},
      {{"--min-width", "21", "--min-height", "3"},
       "21",
       "3",
       "32",
       "1 without pixels and 2 smaller"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.options));
    // Each to an environment of its own: one the run was to replace would be kept.
    const std::string environment = pages.dir.File("train" + std::to_string(&c - cases) + ".lmdb");
    std::vector<std::string> arguments = {"export", "--format", "lmdb", "-o", environment};
    arguments.insert(arguments.end(), c.options.begin(), c.options.end());
    arguments.insert(arguments.end(), pages.paths.begin(), pages.paths.end());
    const ProgramResult exported = Cli(arguments);
    EXPECT_EQ(exported.exitCode, 1);
    EXPECT_NE(exported.err.find("broken.plim: Cannot open the PLIM file"), std::string::npos);
    EXPECT_NE(exported.err.find(c.left), std::string::npos) << exported.err;

    std::vector<std::string> check = {ConsumerScript(), environment, pages.dir.File("lines"),
                                      c.minWidth, c.minHeight};
    check.insert(check.end(), pages.titles.begin(), pages.titles.end());
    const ProgramResult read = RunProgram(kPython, check);
    EXPECT_EQ(read.exitCode, 0) << read.err;
    EXPECT_EQ(read.out, c.samples + "\n");
  }
}

// What is at -o: an environment is replaced with --force only, anything else never.
TEST(CliLmdbExport, ReplacesOnlyAnEnvironmentAndOnlyWithForce) {
  TempDir dir;
  PageDraft draft;
  draft.lines = {DraftLine(0, 0, 8, 4, Solid(0x10), "x")};
  const std::string page = dir.File("page.plim");
  ASSERT_TRUE(WritePageFile(page, draft));
  const std::string fresh = dir.File("fresh.lmdb");
  ASSERT_EQ(Cli({"export", "--format", "lmdb", page, "-o", fresh}).exitCode, 0);
  const std::string data = ReadWholeFile(fresh + "/data.mdb");
  // An environment of other lines, to be replaced or kept.
  draft.lines.push_back(DraftLine(0, 8, 8, 4, Solid(0x20), "y"));
  const std::string other = dir.File("other.plim");
  ASSERT_TRUE(WritePageFile(other, draft));
  const std::string original = dir.File("original.lmdb");
  ASSERT_EQ(Cli({"export", "--format", "lmdb", other, "-o", original}).exitCode, 0);

  const struct {
    std::string what;
    std::vector<std::string> options;
    int exitCode;
    std::string err;
  } cases[] = {
      {"environment", {}, 1, "it exists (give --force to replace the environment)"},
      {"environment", {"--force"}, 0, ""},
      {"environment named with a slash", {"--force"}, 0, ""},
      {"environment", {"--force", "missing.plim"}, 1, "the run failed in part"},
      {"empty folder", {}, 1, "it exists"},
      {"empty folder", {"--force"}, 0, ""},
      {"folder of other files", {"--force"}, 1, "it holds other files than"},
      {"link to an environment", {"--force"}, 1, "it is a symbolic link"},
      {"environment holding the input", {"--force"}, 1, "it is one of the input files"},
      {"environment", {"--min-width", "-1"}, 2, "--min-width needs a whole number"},
      {"missing folders on the way", {}, 0, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what + " " + testing::PrintToString(c.options));
    const fs::path target = dir.path() / "target" / "t.lmdb";
    fs::remove_all(dir.path() / "target");
    if (c.what != "missing folders on the way") fs::create_directories(target.parent_path());
    std::string input = page;
    if (c.what.starts_with("environment")) {
      fs::copy(original, target);
    } else if (c.what == "empty folder") {
      fs::create_directory(target);
    } else if (c.what == "folder of other files") {
      fs::create_directory(target);
      std::ofstream(target / "notes.txt") << "mine";
    } else if (c.what == "link to an environment") {
      fs::create_directory_symlink(original, target);
    }
    if (c.what == "environment holding the input") {
      input = (target / "data.mdb").string();
      fs::copy_file(page, input, fs::copy_options::overwrite_existing);
    }
    const std::string before = ReadWholeFile(target / "data.mdb");
    const std::string named = target.string() + (c.what.ends_with("slash") ? "/" : "");
    std::vector<std::string> arguments = {"export", "--format", "lmdb", input, "-o", named};
    arguments.insert(arguments.end(), c.options.begin(), c.options.end());
    const ProgramResult result = Cli(arguments);
    EXPECT_EQ(result.exitCode, c.exitCode) << result.err;
    EXPECT_NE(result.err.find(c.err), std::string::npos) << result.err;
    if (c.exitCode == 0) {
      EXPECT_EQ(ReadWholeFile(target / "data.mdb"), data);
    } else {
      EXPECT_EQ(ReadWholeFile(target / "data.mdb"), before);
      EXPECT_EQ(fs::exists(target / "notes.txt"), c.what == "folder of other files");
    }
    for (const auto& entry : fs::directory_iterator(target.parent_path())) {
      EXPECT_NE(entry.path().filename().string()[0], '.') << entry.path();
    }
  }
}

}  // namespace
