// Replays every file of tests/data/regressions (hostile pages, and inputs a fuzz target once
// failed on) through its target body; a body that finds its promise broken aborts the program
// with the reason. A folder with nothing to replay of either kind is a failure: the replay
// would pass without checking anything.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "fuzz/FuzzBodies.h"
#include "platform/PlatformUiScript.h"

namespace {

namespace fs = std::filesystem;

std::vector<std::uint8_t> ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(FuzzRegressions, EveryRecordedInputPassesItsTarget) {
  TestApplication();
  const char* source = std::getenv("PLIMDISP_SOURCE_DIR");
  ASSERT_NE(source, nullptr);
  const fs::path folder = fs::path(source) / "tests" / "data" / "regressions";
  ASSERT_TRUE(fs::is_directory(folder));
  int loads = 0;
  int draws = 0;
  int deflates = 0;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
    const std::string kind = entry.path().extension().string();
    const auto body = kind == ".load"      ? &FuzzLoadPage
                      : kind == ".draw"    ? &FuzzDrawPage
                      : kind == ".deflate" ? &FuzzDeflate
                                           : nullptr;
    if (body == nullptr) continue;
    SCOPED_TRACE(entry.path().filename().string());
    const std::vector<std::uint8_t> bytes = ReadBytes(entry.path());
    EXPECT_EQ(body(bytes.data(), bytes.size()), 0);
    ++(kind == ".load" ? loads : kind == ".draw" ? draws : deflates);
  }
  EXPECT_GT(loads, 0) << "no .load file in " << folder;
  EXPECT_GT(draws, 0) << "no .draw file in " << folder;
  EXPECT_GT(deflates, 0) << "no .deflate file in " << folder;
  RecordProperty("replayed", loads + draws + deflates);
}

}  // namespace
