// plimdisp-cli output safety: inputs are never written over, devices are written to and never
// replaced, temporaries never outlive a failure or a fatal signal, lost output fails the run,
// and names reach JSON and the terminal safely.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "cli/CliTestSupport.h"
#include "cli/commands/Subcommand.h"
#include "cli/output/OutputTarget.h"
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

// The shell's arguments that run plimdisp-cli with `arguments` in `folder`, its streams
// redirected as `redirections` says (e.g. ">&- 2>err"), leaving no core file.
std::vector<std::string> InShell(const std::string& folder, const std::string& redirections,
                                 const std::vector<std::string>& arguments) {
  std::vector<std::string> shell = {"-c", "ulimit -c 0; cd \"$0\" && exec \"$@\" " + redirections,
                                    folder, BuiltProgram("plimdisp-cli")};
  shell.insert(shell.end(), arguments.begin(), arguments.end());
  return shell;
}

// Starts that shell with the fatal signals at their defaults, whatever the test runner
// ignores; returns its process id, which the tool takes over.
pid_t Start(const std::string& folder, const std::string& redirections,
            const std::vector<std::string>& arguments) {
  std::vector<std::string> shell = InShell(folder, redirections, arguments);
  shell.insert(shell.begin(), "sh");
  std::vector<char*> argv;
  for (std::string& argument : shell) argv.push_back(argument.data());
  argv.push_back(nullptr);
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  sigset_t defaults;
  sigemptyset(&defaults);
  for (const int signalNumber : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGPIPE}) {
    sigaddset(&defaults, signalNumber);
  }
  posix_spawnattr_setsigdefault(&attributes, &defaults);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF);
  pid_t pid = -1;
  EXPECT_EQ(posix_spawn(&pid, "/bin/sh", nullptr, &attributes, argv.data(), environ), 0);
  posix_spawnattr_destroy(&attributes);
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

// A writing command as the hostile-output table runs it: its arguments before the pages, and
// whether its -o names one file or a folder of files.
struct WritingCommand {
  std::vector<std::string> arguments;
  bool writesFolder = false;
};

// Every subcommand that takes -o, in each of its forms, found by running it with a fresh
// output: a command that refuses -o as unknown writes nothing, any other must succeed. So a
// writing command added later is tried without being named here.
std::vector<WritingCommand> WritingCommands(const TempDir& dir, const std::string& page) {
  const std::map<std::string_view, std::vector<std::vector<std::string>>> forms = {
      {"export", {{}, {"--format", "page"}, {"--format", "lmdb"}}}};
  std::vector<WritingCommand> commands;
  for (const Subcommand* command : AllSubcommands()) {
    const auto found = forms.find(command->name);
    for (const std::vector<std::string>& form :
         found == forms.end() ? std::vector<std::vector<std::string>>{{}} : found->second) {
      WritingCommand writing{{std::string(command->name)}};
      writing.arguments.insert(writing.arguments.end(), form.begin(), form.end());
      const std::string out = dir.File("probe" + std::to_string(commands.size()));
      std::vector<std::string> arguments = writing.arguments;
      arguments.insert(arguments.end(), {page, "-o", out});
      const ProgramResult result = Cli(arguments);
      if (result.exitCode == 2 && result.err.find("unknown option -o") != std::string::npos) {
        continue;
      }
      EXPECT_EQ(result.exitCode, 0) << command->name << ": " << result.err;
      writing.writesFolder = fs::is_directory(out);
      commands.push_back(writing);
    }
  }
  return commands;
}

// What a hostile output is tried among: the page and a second one, a link and a hard link to
// it, where the system allows a bind mount of it, an empty file made for the output, a planted
// link to another file, a file for redirected streams, and links as /dev/stderr and /dev/stdin
// are.
class HostileFolder {
 public:
  HostileFolder() {
    EXPECT_TRUE(WritePageFile(dir_.File("page.plim"), SmallPage()));
    fs::copy_file(dir_.File("page.plim"), dir_.File("page2.plim"));
    fs::create_symlink("page.plim", dir_.path() / "link.png");
    fs::create_hard_link(dir_.File("page.plim"), dir_.path() / "hard.png");
    std::ofstream(dir_.File("made.png")).flush();
    std::ofstream(dir_.File("stream.out")).flush();
    std::ofstream(dir_.File("victim")) << "victim";
    fs::create_symlink("victim", dir_.path() / "planted.png");
    fs::create_symlink("/proc/self/fd/2", dir_.path() / "err-link");
    fs::create_symlink("/proc/self/fd/0", dir_.path() / "in-link");
    std::ofstream(dir_.File("bound.png")).flush();
    bound_ = mount(dir_.File("page.plim").c_str(), dir_.File("bound.png").c_str(), nullptr, MS_BIND,
                   nullptr) == 0;
    page_ = ReadWholeFile(dir_.File("page.plim"));
    madeInode_ = fs::status(dir_.path() / "made.png").type() == fs::file_type::regular
                     ? InodeOf("made.png")
                     : 0;
  }
  ~HostileFolder() {
    if (bound_) umount2(dir_.File("bound.png").c_str(), MNT_DETACH);
  }

  const fs::path& path() const { return dir_.path(); }
  bool bound() const { return bound_; }

  // What no output may do, whatever the command and its outcome; `receiver` alone may have
  // got a picture.
  void ExpectNothingElseWritten(const std::string& receiver) const {
    EXPECT_EQ(ReadWholeFile(dir_.File("page.plim")), page_);
    EXPECT_EQ(ReadWholeFile(dir_.File("victim")), "victim");
    EXPECT_EQ(InodeOf("made.png"), madeInode_);
    for (const char* link : {"link.png", "err-link", "in-link"}) {
      EXPECT_TRUE(fs::is_symlink(dir_.path() / link)) << link;
    }
    for (const char* file : {"stream.out", "made.png", "planted.png"}) {
      EXPECT_EQ(ReadWholeFile(dir_.File(file)).starts_with("\x89PNG"), receiver == file) << file;
    }
    for (const std::string& name : Entries(dir_.path())) {
      EXPECT_TRUE(name[0] != '.' && name != "-") << name;
    }
  }

 private:
  ino_t InodeOf(const char* name) const {
    struct stat info {};
    return lstat(dir_.File(name).c_str(), &info) == 0 ? info.st_ino : 0;
  }

  TempDir dir_;
  bool bound_ = false;
  std::string page_;
  ino_t madeInode_ = 0;
};

struct HostileOutput {
  std::string what;
  std::string output;        // -o, in the folder
  std::string redirections;  // of the command's streams
  int pages;                 // 2: several pages to one output
  int fileExit;              // exit status of a command writing one file
  int folderExit;            // exit status of a command writing a folder
  std::string fileError;     // part of a one-file command's stderr
  std::string receiver;      // what gets the picture when a one-file command succeeds
};

const HostileOutput kHostileOutputs[] = {
    {"the input", "page.plim", "", 1, 1, 1, kOutputIsInput, ""},
    {"a link to the input", "link.png", "", 1, 1, 1, kOutputIsInput, ""},
    {"a hard link to the input", "hard.png", "", 1, 1, 1, kOutputIsInput, ""},
    {"a bind mount of the input", "bound.png", "", 1, 1, 1, kOutputIsInput, ""},
    {"-, standard output on the input", "-", "1<>page.plim", 1, 1, 2, kOutputIsInput, ""},
    {"/dev/stdout on the input", "/dev/stdout", "1<>page.plim", 1, 1, 2, kOutputIsInput, ""},
    {"/dev/fd/1 on a file", "/dev/fd/1", ">stream.out", 1, 0, 2, "", "stream.out"},
    {"a link as /dev/stderr, stderr on a file", "err-link", "2>stream.out", 1, 0, 2, "",
     "stream.out"},
    {"a link as /dev/stdin, stdin read-only", "in-link", "<stream.out", 1, 1, 2,
     "Bad file descriptor", ""},
    {"/dev/stdout closed", "/dev/stdout", ">&-", 1, 1, 2, "write error: Bad file descriptor", ""},
    {"/dev/null", "/dev/null", "", 1, 0, 1, "", ""},
    {"/dev/full", "/dev/full", "", 1, 1, 1, "No space left on device", ""},
    {"a name too long", std::string(300, 'n') + ".png", "", 1, 1, 1, "File name too long", ""},
    {"an empty file made for the output", "made.png", "", 1, 0, 1, "", "made.png"},
    {"a planted link to another file", "planted.png", "", 1, 0, 1, "", "planted.png"},
    {"several pages to one stream", "-", "", 2, 2, 2, "", ""},
};

TEST(CliOutputSafety, EveryWritingCommandResistsHostileOutputs) {
  TempDir probes;
  ASSERT_TRUE(WritePageFile(probes.File("probe.plim"), SmallPage()));
  const std::vector<WritingCommand> commands = WritingCommands(probes, probes.File("probe.plim"));
  ASSERT_GE(commands.size(), 5U);  // render, thumbnail, export in its three formats
  for (const WritingCommand& command : commands) {
    for (const HostileOutput& hostile : kHostileOutputs) {
      std::string trace;
      for (const std::string& argument : command.arguments) trace += argument + " ";
      SCOPED_TRACE(trace + "-o " + hostile.what);
      const HostileFolder folder;
      if (hostile.output == "bound.png" && !folder.bound()) continue;
      std::vector<std::string> arguments = command.arguments;
      arguments.insert(arguments.end(), {"page.plim", "-o", hostile.output});
      if (hostile.pages == 2) arguments.push_back("page2.plim");
      const ProgramResult result =
          RunProgram("/bin/sh", InShell(folder.path().string(), hostile.redirections, arguments));
      const bool oneFile = !command.writesFolder && hostile.pages == 1;
      EXPECT_EQ(result.exitCode, command.writesFolder ? hostile.folderExit : hostile.fileExit)
          << result.err;
      if (oneFile) {
        EXPECT_NE(result.err.find(hostile.fileError), std::string::npos) << result.err;
      }
      EXPECT_EQ(result.err.find(" exists"), std::string::npos) << result.err;
      folder.ExpectNothingElseWritten(oneFile && result.exitCode == 0 ? hostile.receiver : "");
    }
  }
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
    const std::string streams = c.stdoutPath.empty() ? ">&-" : ">" + c.stdoutPath;
    const int status = Wait(Start(".", streams + " 2>" + err, c.arguments));
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);
    EXPECT_NE(ReadWholeFile(err).find("write error: " + c.reason), std::string::npos)
        << ReadWholeFile(err);
  }
  // Nothing written to a closed stdout is no loss, and /dev/null is still a device.
  for (const std::string& output : {dir.File("p.png"), std::string("/dev/null")}) {
    const int status = Wait(Start(".", ">&- 2>" + err, {"render", page, "-o", output}));
    EXPECT_EQ(WEXITSTATUS(status), 0) << output;
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
  // Pages of 100 lines: each has 201 temporaries open before it is published, so pages on four
  // workers outnumber any fixed table of them.
  PageDraft many;
  many.pageWidth = 100;
  many.pageHeight = 2000;
  for (int i = 0; i < 100; ++i) many.lines.push_back(DraftLine(0, 8 * i, 30, 6, Solid(i), "l"));
  std::vector<std::string> exported = {"export", "-j", "4", "--force", "-o", out.string()};
  for (int i = 1; i <= 8; ++i) {
    exported.push_back(dir.File("many" + std::to_string(i) + ".plim"));
    ASSERT_TRUE(WritePageFile(exported.back(), many));
  }
  const auto temporaries = [&] {
    const std::vector<std::string> names = Entries(out);
    return std::count_if(names.begin(), names.end(),
                         [](const std::string& n) { return n[0] == '.'; });
  };
  // Signalled once its temporaries are out, a run leaves each page whole or absent, no
  // temporary, and ends by the signal.
  for (const int signalNumber : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGPIPE}) {
    for (const bool render : {true, false}) {
      SCOPED_TRACE(std::to_string(signalNumber) + (render ? " render" : " export"));
      const pid_t pid =
          Start(".", ">/dev/null 2>/dev/null",
                render ? std::vector<std::string>{"render", page, "-o", (out / "big.png").string()}
                       : exported);
      int status = 0;
      const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
      while (temporaries() <= (render ? 0 : 300) && waitpid(pid, &status, WNOHANG) == 0 &&
             std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::microseconds(500));
      }
      kill(pid, signalNumber);
      status = Wait(pid);
      EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signalNumber) << status;
      std::map<std::string, std::size_t> found;
      for (const std::string& name : Entries(out)) {
        EXPECT_NE(name[0], '.') << name;
        ++found[name.substr(0, name.find_first_of("_."))];
      }
      for (const auto& [title, count] : found) EXPECT_EQ(count, render ? 1 : 201) << title;
      fs::remove_all(out);
      fs::create_directory(out);
    }
  }
}

// Signalled while its pages are written, an LMDB export leaves the environment it was to
// replace as it was, and no temporary folder.
TEST(CliOutputSafety, InterruptedLmdbExportKeepsThePreviousEnvironment) {
  TempDir dir;
  PageDraft many;
  many.pageWidth = 400;
  many.pageHeight = 2000;
  for (int i = 0; i < 100; ++i) {
    many.lines.push_back(DraftLine(
        0, 20 * i, 400, 18, [i](int r, int c) { return r * c + i; }, "l"));
  }
  std::vector<std::string> exported = {"export", "--format", "lmdb", "--force",
                                       "-j",     "2",        "-o",   dir.File("t.lmdb")};
  for (int i = 1; i <= 40; ++i) {
    exported.push_back(dir.File("many" + std::to_string(i) + ".plim"));
    ASSERT_TRUE(WritePageFile(exported.back(), many));
  }
  ASSERT_EQ(Cli({"export", "--format", "lmdb", exported.back(), "-o", dir.File("t.lmdb")}).exitCode,
            0);
  const std::string before = ReadWholeFile(dir.File("t.lmdb/data.mdb"));
  for (const int signalNumber : {SIGINT, SIGTERM}) {
    SCOPED_TRACE(signalNumber);
    const pid_t pid = Start(".", ">/dev/null 2>/dev/null", exported);
    int status = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    const auto temporary = [&] {
      const std::vector<std::string> names = Entries(dir.path());
      return std::any_of(names.begin(), names.end(), [](const auto& n) { return n[0] == '.'; });
    };
    while (!temporary() && waitpid(pid, &status, WNOHANG) == 0 &&
           std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    kill(pid, signalNumber);
    status = Wait(pid);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signalNumber) << status;
    EXPECT_FALSE(temporary());
    EXPECT_EQ(ReadWholeFile(dir.File("t.lmdb/data.mdb")), before);
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
    const pid_t first = Start(".", ">/dev/null 2>" + errOne, {"export", one, "-o", out.string()});
    const pid_t second = Start(".", ">/dev/null 2>" + errTwo, {"export", two, "-o", out.string()});
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
