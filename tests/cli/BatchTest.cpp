// Several files and folders on one command line: expansion, carrying on after bad files, and
// the progress line that only a terminal gets.
#include <gtest/gtest.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QImage>

#include <filesystem>
#include <string>
#include <vector>

#include "cli/CliTestSupport.h"
#include "pagewriter/PageWriter.h"
#include "support/PageLines.h"
#include "support/TempDir.h"

namespace {

namespace fs = std::filesystem;

// A page of `width` x 10 with one line, so that it is drawn at its own size.
PageDraft PageOfWidth(std::int32_t width) {
  PageDraft page;
  page.pageWidth = width;
  page.pageHeight = 10;
  page.lines = {DraftLine(0, 0, 1, 1, {}, "x")};
  return page;
}

// Runs plimdisp-cli on a pseudo-terminal and returns everything it wrote there.
std::string RunOnTerminal(const std::vector<std::string>& arguments) {
  const std::string program = BuiltProgram("plimdisp-cli");
  std::vector<char*> argv{const_cast<char*>(program.c_str())};
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  int terminal = -1;
  const pid_t pid = forkpty(&terminal, nullptr, nullptr, nullptr);
  if (pid == 0) {
    execv(program.c_str(), argv.data());
    _exit(127);
  }
  if (pid < 0) return "";
  std::string output;
  char chunk[4096];
  for (ssize_t got; (got = read(terminal, chunk, sizeof chunk)) > 0;) output.append(chunk, got);
  close(terminal);
  waitpid(pid, nullptr, 0);
  return output;
}

TEST(CliBatch, FoldersGiveTheirPageFilesSortedAndBadFilesDoNotStopTheRest) {
  TempDir dir;
  const fs::path folder = dir.path() / "pages";
  fs::create_directories(folder / "inner");
  ASSERT_TRUE(WritePageFile((folder / "b.plim").string(), PageOfWidth(2)));
  ASSERT_TRUE(WritePageFile((folder / "a.PLIM").string(), PageOfWidth(1)));
  ASSERT_TRUE(WritePageFile((folder / "c.plim").string(), PageOfWidth(3)));
  ASSERT_TRUE(WritePageFile((folder / "notes.txt").string(), PageOfWidth(9)));
  ASSERT_TRUE(WritePageFile((folder / "inner" / "d.plim").string(), PageOfWidth(9)));
  std::ofstream(folder / "b2.plim") << "bad";
  const std::string missing = dir.File("missing.plim");

  const ProgramResult result = Cli({"info", "--json", missing, folder.string()});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.err, missing + ": Cannot open the PLIM file: No such file or directory\n" +
                            (folder / "b2.plim").string() +
                            ": Cannot open the PLIM file: The file ends inside the header.\n");
  std::vector<std::string> widths;
  for (auto at = result.out.find("\"pageWidth\":"); at != std::string::npos;
       at = result.out.find("\"pageWidth\":", at + 1)) {
    widths.push_back(result.out.substr(at + 12, 1));
  }
  EXPECT_EQ(widths, (std::vector<std::string>{"1", "2", "3"}));
  EXPECT_EQ(CountOf(result.out, "{\"file\":\"" + folder.string()), 3u);
  EXPECT_EQ(CountOf(result.out, "\n"), 3u);
  EXPECT_EQ(result.err.find('\r'), std::string::npos);  // no progress line into a file
}

TEST(CliBatch, TextInfoNamesEachPageOnlyInABatch) {
  TempDir dir;
  const std::string one = dir.File("one.plim");
  const std::string two = dir.File("two.plim");
  ASSERT_TRUE(WritePageFile(one, PageOfWidth(1)));
  ASSERT_TRUE(WritePageFile(two, PageOfWidth(2)));
  const std::string single = Cli({"info", one}).out;
  EXPECT_EQ(single.rfind("headerSize: 36\n", 0), 0u) << single;
  const ProgramResult both = Cli({"info", one, two});
  EXPECT_EQ(both.exitCode, 0);
  EXPECT_EQ(both.out,
            "file: " + one + "\n" + single + "\nfile: " + two + "\n" + Cli({"info", two}).out);
}

TEST(CliBatch, FolderWithoutPagesIsReported) {
  TempDir dir;
  const ProgramResult result = Cli({"check", dir.path().string()});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.err, dir.path().string() + ": no .plim files in this folder\n");
}

TEST(CliBatch, ProgressLineOnlyOnATerminalAndWipedAtTheEnd) {
  TempDir dir;
  for (const char* name : {"a.plim", "b.plim", "c.plim"}) {
    ASSERT_TRUE(WritePageFile(dir.File(name), PageOfWidth(1)));
  }
  const std::string shown = RunOnTerminal({"check", dir.path().string()});
  EXPECT_NE(shown.find("\r[1/3] " + dir.File("b.plim")), std::string::npos) << shown;
  EXPECT_NE(shown.find("\r[2/3] " + dir.File("c.plim")), std::string::npos) << shown;
  EXPECT_EQ(shown.substr(shown.size() - 4), "\r\x1b[K");

  const std::string single = RunOnTerminal({"check", dir.File("a.plim")});
  EXPECT_EQ(single.find('\r'), std::string::npos) << single;
}

TEST(CliBatch, EverySubcommandHasHelpAndTheCodePageOption) {
  TempDir dir;
  const std::string path = dir.File("p.plim");
  ASSERT_TRUE(WritePageFile(path, PageOfWidth(1)));
  for (const std::string command : {"info", "export", "check", "render"}) {
    SCOPED_TRACE(command);
    const ProgramResult help = Cli({command, "--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_EQ(help.out.rfind("Usage: plimdisp-cli " + command + " FILE", 0), 0u) << help.out;
    EXPECT_NE(help.out.find("FILE..."), std::string::npos) << help.out;
    EXPECT_NE(help.out.find("--codepage NAME"), std::string::npos);
    const ProgramResult unknown = Cli({command, "--codepage", "bogus", path});
    EXPECT_EQ(unknown.exitCode, 2);
    EXPECT_NE(unknown.err.find("unknown code page bogus"), std::string::npos) << unknown.err;
    EXPECT_EQ(Cli({command, "--codepage"}).exitCode, 2);
  }
}

TEST(CliBatch, RenderWritesOnePictureForEachPageOfAFolder) {
  TempDir dir;
  const fs::path folder = dir.path() / "pages";
  fs::create_directory(folder);
  ASSERT_TRUE(WritePageFile((folder / "a.plim").string(), PageOfWidth(4)));
  ASSERT_TRUE(WritePageFile((folder / "c.plim").string(), PageOfWidth(6)));
  std::ofstream(folder / "b.plim") << "bad";
  const std::string elsewhere = dir.File("a.plim");  // same title as a page in the folder
  ASSERT_TRUE(WritePageFile(elsewhere, PageOfWidth(5)));
  const fs::path out = dir.path() / "out";

  const ProgramResult result = Cli({"render", folder.string(), elsewhere, "-o", out.string()});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_NE(result.err.find((folder / "b.plim").string() + ": Cannot open the PLIM file: "),
            std::string::npos)
      << result.err;
  EXPECT_NE(result.err.find(elsewhere + ": not rendered: its title 'a' is that of " +
                            (folder / "a.plim").string()),
            std::string::npos)
      << result.err;
  EXPECT_EQ(QImage(QString::fromStdString((out / "a.png").string())).width(), 4);
  EXPECT_EQ(QImage(QString::fromStdString((out / "c.png").string())).width(), 6);
  EXPECT_FALSE(fs::exists(out / "b.png"));

  const std::string picture = dir.File("two.png");
  const ProgramResult twoIntoOne = Cli({"render", elsewhere, folder.string(), "-o", picture});
  EXPECT_EQ(twoIntoOne.exitCode, 2);
  EXPECT_FALSE(fs::exists(picture));
}

}  // namespace
