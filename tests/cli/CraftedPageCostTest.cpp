// Small sparse files that declare a huge header note or huge line images cost the commands that
// draw or export them no more than the pixels they show: each command runs under a 256 MiB
// address-space limit. Holes read as black, exactly as if the zero bytes had been read.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "cli/CliTestSupport.h"
#include "support/TempDir.h"

namespace {

// A sanitizer's shadow memory needs far more address space than the limit; there the commands
// run without it.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool kLimitAddressSpace = false;
#else
constexpr bool kLimitAddressSpace = true;
#endif

struct SparsePage {
  std::int64_t noteBytes;
  std::int32_t pageWidth, pageHeight;
  std::int32_t lineWidth, lineHeight;
  std::int32_t dataRows;        // the line's first rows, written; the rest is a hole (or zeros)
  std::int32_t labelBytes = 1;  // "a", then a hole
};

void PutInt(std::ofstream& out, std::int32_t value) {
  for (int i = 0; i < 4; ++i) out.put(static_cast<char>((value >> (8 * i)) & 0xFF));
}

// Writes `page` with one line at (10, 10): white rows with a dark dot every 7 pixels, then
// holes. `dense` writes the holes' zero bytes instead.
void WriteSparsePage(const std::string& path, const SparsePage& page, bool dense) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  PutInt(out, static_cast<std::int32_t>(36 + page.noteBytes));
  out << std::string(8, '\0');
  out.seekp(page.noteBytes, std::ios::cur);
  out << std::string(20, '\0');
  out.put(1).put(0).put(0).put(0);  // codeLength 1, headerWord 0
  for (const std::int32_t value : {page.pageWidth, page.pageHeight, 1, page.labelBytes}) {
    PutInt(out, value);
  }
  out.put('a');
  out.seekp(page.labelBytes - 1, std::ios::cur);
  for (const std::int32_t value : {10, 10, page.lineHeight, page.lineWidth}) PutInt(out, value);
  std::string row(static_cast<std::size_t>(page.lineWidth), '\xff');
  for (std::size_t x = 0; x < row.size(); x += 7) row[x] = '\x20';
  for (std::int32_t y = 0; y < page.dataRows; ++y) out << row;
  const std::int64_t holeBytes = std::int64_t{page.lineHeight - page.dataRows} * page.lineWidth;
  if (dense) {
    const std::string zeros(static_cast<std::size_t>(page.lineWidth), '\0');
    for (std::int32_t y = page.dataRows; y < page.lineHeight; ++y) out << zeros;
  }
  const auto end = static_cast<std::uintmax_t>(out.tellp()) + (dense ? 0 : holeBytes);
  out.close();
  std::filesystem::resize_file(path, end);
}

ProgramResult BoundedCli(const std::vector<std::string>& arguments) {
  std::vector<std::string> shell = {
      "-c", kLimitAddressSpace ? "ulimit -v 262144 && exec \"$@\"" : "exec \"$@\"", "sh",
      BuiltProgram("plimdisp-cli")};
  shell.insert(shell.end(), arguments.begin(), arguments.end());
  return RunProgram("/bin/sh", shell);
}

TEST(CliCraftedPageCost, HugeNotesAndImagesInSmallFiles) {
  struct Case {
    const char* name;
    SparsePage page;
  };
  const Case cases[] = {
      {"a 1 GiB note", {std::int64_t{1} << 30, 400, 300, 200, 100, 100}},
      {"a 400-megapixel image, mostly holes", {0, 3000, 2000, 20000, 20000, 64}},
      {"a column 150 million pixels tall", {0, 40, 30000, 1, 150'000'000, 4096}},
  };
  TempDir dir;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string page = dir.File("page.plim");
    WriteSparsePage(page, c.page, false);
    const std::vector<std::vector<std::string>> commands = {
        {"thumbnail", page, "-o", dir.File("thumb.png")},
        {"render", page, "--keys=----", "-o", dir.File("small.png")},
        {"export", page, "--format", "page", "--force", "-o", dir.path().string()},
        {"check", page},
    };
    for (const auto& command : commands) {
      const ProgramResult result = BoundedCli(command);
      EXPECT_EQ(result.exitCode, 0) << command.front() << ": " << result.err;
    }
  }
}

// File managers ask for thumbnails of every file they show; one smaller than the page draws no
// labels, so it reads none, however long they say they are.
TEST(CliCraftedPageCost, ThumbnailsReadNoLabelTheyDoNotDraw) {
  TempDir dir;
  const std::string page = dir.File("page.plim");
  WriteSparsePage(page, {0, 400, 300, 200, 100, 100, std::int32_t{1} << 30}, false);
  const ProgramResult result =
      BoundedCli({"thumbnail", page, "--size=64", "-o", dir.File("t.png")});
  EXPECT_EQ(result.exitCode, 0) << result.err;
}

TEST(CliCraftedPageCost, HolesDrawAsTheZerosTheyHold) {
  const SparsePage page{0, 2000, 1500, 3001, 2500, 700};
  TempDir dir;
  const std::string sparse = dir.File("sparse.plim"), dense = dir.File("dense.plim");
  WriteSparsePage(sparse, page, false);
  WriteSparsePage(dense, page, true);
  for (const std::vector<std::string>& options : {std::vector<std::string>{"render"},
                                                  {"render", "--keys=-"},
                                                  {"render", "--keys=+"},
                                                  {"thumbnail", "--size=300"}}) {
    SCOPED_TRACE(options.back());
    std::vector<std::string> pictures;
    for (const std::string& input : {sparse, dense}) {
      std::vector<std::string> arguments = options;
      arguments.insert(arguments.begin() + 1, input);
      arguments.insert(arguments.end(), {"-o", dir.File("out.png")});
      const ProgramResult result = BoundedCli(arguments);
      ASSERT_EQ(result.exitCode, 0) << result.err;
      pictures.push_back(ReadWholeFile(dir.File("out.png")));
    }
    EXPECT_EQ(pictures[0], pictures[1]);
  }
}

}  // namespace
