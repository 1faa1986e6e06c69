// Every command runs without Qt unless it draws labels: the label text module is loaded only
// then, nothing of Qt reaches stderr, and no runtime folder is left in the temporary folder.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "cli/CliTestSupport.h"
#include "support/TempDir.h"

namespace {

namespace fs = std::filesystem;

// Whether the dynamic loader's log files in `folder` name the label text module.
bool LoggedModuleLoad(const fs::path& folder) {
  for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
    if (ReadWholeFile(entry.path()).find("plimdisp-labeltext.so") != std::string::npos) {
      return true;
    }
  }
  return false;
}

TEST(CliLabelText, LoadedOnlyForLabelsAndLeavesNothingBehind) {
  const std::string sample =
      std::string(std::getenv("PLIMDISP_SOURCE_DIR")) + "/samples/page01.plim";
  struct Case {
    std::vector<std::string> arguments;  // OUT stands for a fresh output path
    bool labels;
  };
  const Case cases[] = {
      {{"info", sample}, false},
      {{"check", sample}, false},
      {{"stats", sample}, false},
      {{"grep", "小", sample}, false},
      {{"export", sample, "-o", "OUT"}, false},
      {{"export", "--format", "page", sample, "-o", "OUT"}, false},
      {{"thumbnail", sample, "-o", "OUT"}, false},  // smaller than the page: grey
      {{"render", sample, "-o", "OUT"}, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.arguments.front() + " " + c.arguments[1]);
    TempDir temporary, log, out;
    // XDG_RUNTIME_DIR unset is where Qt would make a runtime folder in TMPDIR.
    std::vector<std::string> command = {"-u",
                                        "XDG_RUNTIME_DIR",
                                        "TMPDIR=" + temporary.path().string(),
                                        "LD_DEBUG=files",
                                        "LD_DEBUG_OUTPUT=" + log.File("ld"),
                                        BuiltProgram("plimdisp-cli")};
    for (const std::string& argument : c.arguments) {
      command.push_back(argument == "OUT" ? out.File("out.png") : argument);
    }
    const ProgramResult result = RunProgram("/usr/bin/env", command);
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(LoggedModuleLoad(log.path()), c.labels);
    EXPECT_TRUE(fs::is_empty(temporary.path()));
  }
}

}  // namespace
