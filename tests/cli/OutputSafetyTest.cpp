// plimdisp-cli output safety: inputs are never written over, devices are written to and never
// replaced, temporaries never outlive a failure or a fatal signal, lost output fails the run,
// and names reach JSON and the terminal safely.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "cli/CliTestSupport.h"
#include "pagewriter/PageWriter.h"
#include "support/PageLines.h"
#include "support/TempDir.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

PageDraft SmallPage() {
  PageDraft page;
  page.pageWidth = 40;
  page.pageHeight = 20;
  page.lines = {DraftLine(3, 2, 5, 4, Solid(0x20), "ab"),
                DraftLine(3, 10, 5, 4, Solid(0x80), "cd")};
  return page;
}

// Starts plimdisp-cli with stdout on `stdoutPath` (closed when empty) and stderr on
// `errPath`; returns its process id.
pid_t Start(const std::vector<std::string>& arguments, const std::string& stdoutPath,
            const std::string& errPath) {
  const std::string program = BuiltProgram("plimdisp-cli");
  std::vector<char*> argv{const_cast<char*>(program.c_str())};
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (stdoutPath.empty()) {
    posix_spawn_file_actions_addclose(&actions, STDOUT_FILENO);
  } else {
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, stdoutPath.c_str(), O_WRONLY, 0);
  }
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errPath.c_str(),
                                   O_WRONLY | O_CREAT | O_TRUNC, 0600);
  pid_t pid = -1;
  EXPECT_EQ(posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ), 0);
  posix_spawn_file_actions_destroy(&actions);
  return pid;
}

int Wait(pid_t pid) {
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  return status;
}

// Names in `folder` that were not there before: what a run left behind.
std::vector<std::string> Entries(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

TEST(CliOutputSafety, AnInputIsNeverAnOutput) {
  TempDir dir;
  fs::create_directory(dir.path() / "sub");
  const std::string page = dir.File("page01.plim");
  ASSERT_TRUE(WritePageFile(page, SmallPage()));
  const std::string original = ReadWholeFile(page);
  fs::create_symlink(page, dir.path() / "link.png");
  fs::create_hard_link(page, dir.path() / "hard.png");
  const fs::path cwd = fs::current_path();
  fs::current_path(dir.path() / "sub");
  const std::vector<std::string> outputs = {page, "../page01.plim", "./../sub/../page01.plim",
                                            dir.File("link.png"), dir.File("hard.png")};
  for (const std::string& output : outputs) {
    SCOPED_TRACE(output);
    const ProgramResult result = Cli({"render", page, "-o", output});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_NE(result.err.find("it is one of the input files"), std::string::npos) << result.err;
    EXPECT_EQ(ReadWholeFile(page), original);
  }
  fs::current_path(cwd);
  EXPECT_TRUE(fs::is_symlink(dir.path() / "link.png"));

  // A page named like an export's JSON, exported into its own folder.
  const std::string json = dir.File("page01.json");
  fs::copy_file(page, json);
  const ProgramResult exported = Cli({"export", "--force", json, "-o", dir.path().string()});
  EXPECT_EQ(exported.exitCode, 1);
  EXPECT_EQ(ReadWholeFile(json), original);
  EXPECT_FALSE(fs::exists(dir.path() / "page01_001.png"));  // none of the page's files
}

TEST(CliOutputSafety, DevicesAndStandardOutputAreWrittenInPlace) {
  TempDir dir;
  const std::string page = dir.File("page.plim");
  ASSERT_TRUE(WritePageFile(page, SmallPage()));
  const struct {
    std::string output;
    int exitCode;
    std::string err;
  } cases[] = {
      {"/dev/null", 0, ""},
      {"/dev/full", 1, "plimdisp-cli render: cannot write /dev/full: No space left on device\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.output);
    const ProgramResult result = Cli({"render", page, "-o", c.output});
    EXPECT_EQ(result.exitCode, c.exitCode);
    EXPECT_EQ(result.err.find("plimdisp-cli") == std::string::npos, c.err.empty()) << result.err;
    EXPECT_NE(result.err.find(c.err), std::string::npos) << result.err;
    struct stat info {};
    ASSERT_EQ(stat(c.output.c_str(), &info), 0);
    EXPECT_TRUE(S_ISCHR(info.st_mode));
  }
  const ProgramResult toFile = Cli({"render", page, "-o", dir.File("page.png")});
  ASSERT_EQ(toFile.exitCode, 0) << toFile.err;
  const std::string png = ReadWholeFile(dir.File("page.png"));
  for (const std::string stdoutName : {"-", "/dev/stdout"}) {
    const ProgramResult result = Cli({"render", page, "-o", stdoutName});
    EXPECT_EQ(result.exitCode, 0) << stdoutName;
    EXPECT_EQ(result.out, png) << stdoutName;
  }
  EXPECT_EQ(Entries(dir.path()), (std::vector<std::string>{"page.plim", "page.png"}));

  // A file replaced keeps its permissions; a new one gets 0666 less the umask.
  ASSERT_EQ(chmod(dir.File("page.png").c_str(), 0640), 0);
  ASSERT_EQ(Cli({"render", page, "-o", dir.File("page.png")}).exitCode, 0);
  EXPECT_EQ(fs::status(dir.File("page.png")).permissions(),
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  const mode_t mask = umask(022);
  ASSERT_EQ(Cli({"render", page, "-o", dir.File("new.png")}).exitCode, 0);
  umask(mask);
  EXPECT_EQ(fs::status(dir.File("new.png")).permissions(),
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                fs::perms::others_read);
}

TEST(CliOutputSafety, LostStandardOutputFailsTheRun) {
  TempDir dir;
  const std::string page = dir.File("page.plim");
  ASSERT_TRUE(WritePageFile(page, SmallPage()));
  const std::string err = dir.File("err");
  const struct {
    std::vector<std::string> arguments;
    std::string stdoutPath;
    std::string reason;
  } cases[] = {
      {{"info", "--json", page}, "/dev/full", "No space left on device"},
      {{"check", "--json", dir.path().string()}, "/dev/full", "No space left on device"},
      {{"info", page}, "", "Bad file descriptor"},
      {{"render", page, "-o", "-"}, "", "Bad file descriptor"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.arguments.front() + " > " + c.stdoutPath);
    const int status = Wait(Start(c.arguments, c.stdoutPath, err));
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);
    EXPECT_NE(ReadWholeFile(err).find("write error: " + c.reason), std::string::npos)
        << ReadWholeFile(err);
  }
  // Nothing written to a closed stdout is no loss, and /dev/null is still a device.
  for (const std::string& output : {dir.File("p.png"), std::string("/dev/null")}) {
    EXPECT_EQ(WEXITSTATUS(Wait(Start({"render", page, "-o", output}, "", err))), 0) << output;
  }
}

TEST(CliOutputSafety, FailedPagesAndSignalsLeaveNoTemporaries) {
  TempDir dir;
  const std::string page = dir.File("big.plim");
  PageDraft big = SmallPage();
  big.pageWidth = 3000;
  big.pageHeight = 3000;
  big.lines.push_back(DraftLine(0, 0, 3000, 3000, Solid(0x10), "x"));
  ASSERT_TRUE(WritePageFile(page, big));
  const fs::path out = dir.path() / "out";
  fs::create_directory(out);
  // A folder where the second line's label file goes fails the page after its first files.
  fs::create_directory(out / "big_002.gt.txt");
  const ProgramResult failed = Cli({"export", "--force", page, "-o", out.string()});
  EXPECT_EQ(failed.exitCode, 1);
  EXPECT_EQ(Entries(out), std::vector<std::string>{"big_002.gt.txt"});

  fs::remove(out / "big_002.gt.txt");
  const std::string small = dir.File("small.plim");
  ASSERT_TRUE(WritePageFile(small, SmallPage()));
  const std::string err = dir.File("err");
  // Killed at different moments, an export on two threads leaves each page whole or absent.
  const std::map<std::string, std::size_t> filesOfPage = {{"big", 7}, {"small", 5}};
  for (const int signalNumber : {SIGINT, SIGTERM, SIGHUP}) {
    for (const bool render : {true, false}) {
      SCOPED_TRACE(std::to_string(signalNumber) + (render ? " render" : " export"));
      const pid_t pid =
          render ? Start({"render", page, "-o", (out / "big.png").string()}, "/dev/null", err)
                 : Start({"export", "-j", "2", small, page, small, "-o", out.string(), "--force"},
                         "/dev/null", err);
      std::this_thread::sleep_for(std::chrono::milliseconds(render ? 150 : 50 * signalNumber));
      kill(pid, signalNumber);
      const int status = Wait(pid);
      // A fast machine may have finished; then the output is there, whole.
      if (WIFSIGNALED(status)) {
        EXPECT_EQ(WTERMSIG(status), signalNumber);
      }
      std::map<std::string, std::size_t> found;
      for (const std::string& name : Entries(out)) {
        EXPECT_NE(name[0], '.') << name;
        if (!render) ++found[name.substr(0, name.find_first_of("_."))];
      }
      for (const auto& [title, count] : found) EXPECT_EQ(count, filesOfPage.at(title)) << title;
      fs::remove_all(out);
      fs::create_directory(out);
    }
  }
}

TEST(CliOutputSafety, ExportsOfOneTitleNeverMix) {
  TempDir dir;
  fs::create_directory(dir.path() / "a");
  fs::create_directory(dir.path() / "b");
  PageDraft other = SmallPage();
  other.lines[0].pixels = std::string(20, '\x7F');
  const std::string one = (dir.path() / "a" / "same.plim").string();
  const std::string two = (dir.path() / "b" / "same.plim").string();
  ASSERT_TRUE(WritePageFile(one, SmallPage()));
  ASSERT_TRUE(WritePageFile(two, other));
  const fs::path out = dir.path() / "out";
  fs::create_directory(out);
  const std::string errOne = dir.File("err1"), errTwo = dir.File("err2");
  for (int round = 0; round < 5; ++round) {
    for (const auto& entry : fs::directory_iterator(out)) fs::remove(entry.path());
    const pid_t first = Start({"export", one, "-o", out.string()}, "/dev/null", errOne);
    const pid_t second = Start({"export", two, "-o", out.string()}, "/dev/null", errTwo);
    const int exitOne = WEXITSTATUS(Wait(first)), exitTwo = WEXITSTATUS(Wait(second));
    // Exactly one wins, and all the files are the winner's; the other names a file in the way.
    EXPECT_EQ(exitOne + exitTwo, 1);
    const std::string loserErr = ReadWholeFile(exitOne == 0 ? errTwo : errOne);
    EXPECT_TRUE(loserErr.find(" exists") != std::string::npos) << loserErr;
    const std::string winner = exitOne == 0 ? one : two;
    EXPECT_EQ(ReadWholeFile(out / "same.json"), Cli({"info", "--json", winner}).out);
    ASSERT_EQ(Cli({"export", "--force", winner, "-o", dir.File("check")}).exitCode, 0);
    for (const std::string& name : Entries(dir.path() / "check")) {
      EXPECT_EQ(ReadWholeFile(out / name), ReadWholeFile(dir.path() / "check" / name)) << name;
    }
  }
}

TEST(CliOutputSafety, NamesReachJsonAndTerminalEscaped) {
  TempDir dir;
  // Name part, as JSON writes it, as text output shows it.
  const struct {
    std::string name, json, text;
  } cases[] = {
      {"caf\xE9\x1b[2J", "caf\\\\xE9\\u001b[2J", "caf\\xE9\\x1B[2J"},
      {"over\xC0\xAF", "over\\\\xC0\\\\xAF", "over\\xC0\\xAF"},                  // overlong '/'
      {"surr\xED\xA0\x80", "surr\\\\xED\\\\xA0\\\\x80", "surr\\xED\\xA0\\x80"},  // a surrogate
      {"cut\xE2\x82", "cut\\\\xE2\\\\x82", "cut\\xE2\\x82"},                     // a cut character
      {"c1\xC2\x9B", "c1\\u009b", "c1\\xC2\\x9B"},                               // C1 control CSI
      {"ok\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80", "ok\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80",
       "ok\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    const std::string page = dir.File(c.name + ".plim");
    ASSERT_TRUE(WritePageFile(page, SmallPage()));
    const ProgramResult info = Cli({"info", "--json", page, page});
    EXPECT_NE(info.out.find("\"file\":\"" + dir.File(c.json + ".plim") + "\""), std::string::npos)
        << info.out;
    const ProgramResult check = Cli({"check", "--json", page});
    EXPECT_NE(check.out.find(c.json + ".plim"), std::string::npos) << check.out;
    const ProgramResult text = Cli({"info", page, page});
    EXPECT_NE(text.out.find("file: " + dir.File(c.text + ".plim") + "\n"), std::string::npos)
        << text.out;
    fs::remove(page);
  }

  const ProgramResult emptyCodePage = Cli({"info", dir.path().string(), "--codepage="});
  EXPECT_EQ(emptyCodePage.exitCode, 2);
  EXPECT_NE(emptyCodePage.err.find("--codepage needs a value"), std::string::npos);
}

TEST(CliOutputSafety, SystemReasonsAreNamed) {
  TempDir dir;
  const std::string locked = dir.File("locked");
  fs::create_directory(locked);
  const std::string page = (fs::path(locked) / "page.plim").string();
  ASSERT_TRUE(WritePageFile(page, SmallPage()));
  chmod(page.c_str(), 0);
  chmod(locked.c_str(), 0);
  if (geteuid() == 0) {
    chmod(locked.c_str(), 0700);
    GTEST_SKIP() << "permissions do not bind root";
  }
  const ProgramResult file = Cli({"info", (fs::path(locked) / "page.plim").string()});
  EXPECT_EQ(file.err, "Cannot open the PLIM file\n\nPermission denied\n");
  const ProgramResult folder = Cli({"check", locked});
  EXPECT_EQ(folder.exitCode, 1);
  EXPECT_EQ(folder.err, locked + ": cannot read this folder: Permission denied\n");
  chmod(locked.c_str(), 0700);
}

}  // namespace
