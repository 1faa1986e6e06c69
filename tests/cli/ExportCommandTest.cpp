// plimdisp-cli export: line crops read back equal the line pixels, labels round-trip, the JSON is
// the page's `info --json`, and existing files are kept unless --force.
#include <gtest/gtest.h>

#include <QImage>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "cli/CliTestSupport.h"
#include "pagefile/PageReader.h"
#include "pagewriter/PageWriter.h"
#include "platform/system/CFile.h"
#include "platform/system/CodePage.h"
#include "support/PageLines.h"
#include "support/TempDir.h"

namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;

struct ReadPage {
  PageHeader header;
  std::unique_ptr<PageBody> body = std::make_unique<PageBody>();
};

ReadPage ReadPageFile(const std::string& path) {
  ReadPage page;
  CFile file;
  EXPECT_TRUE(file.Open(path, CFile::modeRead | CFile::shareDenyNone)) << path;
  CFileSource source(file);
  EXPECT_FALSE(ReadPageHeader(source, page.header)) << path;
  EXPECT_FALSE(ReadPageBody(source, page.header.codeLength, *page.body)) << path;
  return page;
}

// Grey bytes of the PNG at `path`, row by row without padding; "" when it is no grey PNG.
std::string PngGreyBytes(const fs::path& path, int width, int height) {
  QImage image;
  if (!image.load(QString::fromStdString(path.string()), "PNG")) return "";
  if (image.format() != QImage::Format_Grayscale8 || image.width() != width ||
      image.height() != height) {
    return "";
  }
  std::string bytes;
  for (int row = 0; row < height; ++row) {
    bytes.append(reinterpret_cast<const char*>(image.constScanLine(row)),
                 static_cast<std::size_t>(width));
  }
  return bytes;
}

std::string Name(const std::string& title, int number, const std::string& extension) {
  char digits[16];
  std::snprintf(digits, sizeof digits, "_%03d", number);
  return title + digits + extension;
}

// A page with a Chinese label, a 0 byte in a label, an empty label and an empty image, and
// pixels covering every grey level in odd sizes.
PageDraft MixedPage() {
  PageDraft page;
  page.pageWidth = 300;
  page.pageHeight = 100;
  std::string ramp;
  for (int v = 0; v < 256; ++v) ramp += static_cast<char>(v);
  page.lines.push_back({4, "\xD6\xD0\xCE\xC4", 0, 0, 2, 128, ramp});
  page.lines.push_back(DraftLine(0, 10, 7, 3, Solid(0x40), "a\0b\n"s));
  page.lines.push_back(DraftLine(0, 20, 1, 1, Solid(0xFF)));
  page.lines.push_back(DraftLine(0, 30, 9, 0, {}, "no image"));
  return page;
}

TEST(CliExport, WritesPixelsLabelsAndInfoJson) {
  TempDir dir;
  const std::string path = dir.File("mixed.plim");
  ASSERT_TRUE(WritePageFile(path, MixedPage()));
  const fs::path out = dir.path() / "out" / "nested";
  const ProgramResult result = Cli({"export", path, "-o", out.string()});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.out, "");

  const ReadPage page = ReadPageFile(path);
  const std::string labels[] = {"\u4E2D\u6587", "a b\n", "", "no image"};
  for (int i = 0; i < 4; ++i) {
    SCOPED_TRACE(i);
    const PageLine& line = page.body->lines[static_cast<std::size_t>(i)];
    EXPECT_EQ(ReadWholeFile(out / Name("mixed", i + 1, ".gt.txt")), labels[i]);
    const fs::path png = out / Name("mixed", i + 1, ".png");
    if (line.pixels.empty()) {
      EXPECT_FALSE(fs::exists(png));
      continue;
    }
    EXPECT_EQ(PngGreyBytes(png, line.width, line.height),
              std::string(reinterpret_cast<const char*>(line.pixels.data()), line.pixels.size()));
  }
  EXPECT_EQ(ReadWholeFile(out / "mixed.json"), Cli({"info", "--json", path}).out);
  // Nothing else, and no temporary files left behind.
  EXPECT_EQ(std::distance(fs::directory_iterator(out), fs::directory_iterator()), 8);
}

TEST(CliExport, SampleFolderExportedAndCheckedEndToEnd) {
  const char* source = std::getenv("PLIMDISP_SOURCE_DIR");
  ASSERT_NE(source, nullptr);
  TempDir dir;
  // The samples plus a bad file: the bad file is reported and the rest still exported.
  const fs::path pages = dir.path() / "pages";
  fs::create_directory(pages);
  std::vector<std::string> titles;
  for (const auto& entry : fs::directory_iterator(fs::path(source) / "samples")) {
    if (entry.path().extension() != ".plim") continue;
    fs::copy_file(entry.path(), pages / entry.path().filename());
    titles.push_back(entry.path().stem().string());
  }
  ASSERT_FALSE(titles.empty());
  std::ofstream(pages / "broken.plim", std::ios::binary) << "\x10\x00"s;

  const fs::path out = dir.path() / "out";
  const ProgramResult exported = Cli({"export", pages.string(), "-o", out.string()});
  EXPECT_EQ(exported.exitCode, 1);
  EXPECT_EQ(exported.err, (pages / "broken.plim").string() +
                              ": Cannot open the PLIM file: The file ends inside the header.\n");
  const ProgramResult checked = Cli({"check", pages.string()});
  EXPECT_EQ(checked.exitCode, 1);
  EXPECT_EQ(checked.out, (pages / "broken.plim").string() +
                             ": Cannot open the PLIM file: The file ends inside the header.\n");

  for (const std::string& title : titles) {
    SCOPED_TRACE(title);
    const ReadPage page = ReadPageFile((pages / (title + ".plim")).string());
    ASSERT_GT(page.body->lineCount, 0);
    for (std::int32_t i = 0; i < page.body->lineCount; ++i) {
      const PageLine& line = page.body->lines[static_cast<std::size_t>(i)];
      const std::string stored(reinterpret_cast<const char*>(line.label.data()));
      EXPECT_EQ(ReadWholeFile(out / Name(title, i + 1, ".gt.txt")),
                WideToUtf8(DecodeMultiByte(stored).value()));
      EXPECT_EQ(PngGreyBytes(out / Name(title, i + 1, ".png"), line.width, line.height),
                std::string(reinterpret_cast<const char*>(line.pixels.data()), line.pixels.size()));
    }
    EXPECT_TRUE(fs::exists(out / (title + ".json")));
  }
}

TEST(CliExport, KeepsExistingFilesUnlessForced) {
  TempDir dir;
  const std::string first = dir.File("first.plim");
  const std::string second = dir.File("second.plim");
  ASSERT_TRUE(WritePageFile(first, MixedPage()));
  ASSERT_TRUE(WritePageFile(second, MixedPage()));
  const fs::path out = dir.path() / "out";
  fs::create_directory(out);
  std::ofstream(out / "first_002.gt.txt") << "kept";

  const ProgramResult refused = Cli({"export", first, second, "-o", out.string()});
  EXPECT_EQ(refused.exitCode, 1);
  EXPECT_EQ(refused.err, first + ": not exported: " + (out / "first_002.gt.txt").string() +
                             " exists (give --force to overwrite the files of this page)\n");
  EXPECT_EQ(ReadWholeFile(out / "first_002.gt.txt"), "kept");
  EXPECT_FALSE(fs::exists(out / "first_001.png"));  // nothing of the refused page is written
  EXPECT_TRUE(fs::exists(out / "second.json"));     // the next page is exported

  // Forced, the title's line files that this page does not have go; look-alikes stay.
  const std::vector<std::string> stale = {"first_004.png", "first_005.gt.txt", "first_1000.png"};
  const std::vector<std::string> others = {"first_0005.png", "first_005.txt", "firsts_005.png",
                                           "first_005_001.png"};
  for (const std::string& name : stale) std::ofstream(out / name) << "stale";
  for (const std::string& name : others) std::ofstream(out / name) << "other";
  const ProgramResult forced = Cli({"export", "--force", first, second, "-o", out.string()});
  EXPECT_EQ(forced.exitCode, 0) << forced.err;
  EXPECT_EQ(ReadWholeFile(out / "first_002.gt.txt"), "a b\n");
  EXPECT_TRUE(fs::exists(out / "first_001.png"));
  for (const std::string& name : stale) EXPECT_FALSE(fs::exists(out / name)) << name;
  for (const std::string& name : others) EXPECT_EQ(ReadWholeFile(out / name), "other") << name;
}

TEST(CliExport, SecondPageOfTheSameTitleDoesNotReplaceTheFirst) {
  TempDir dir;
  fs::create_directory(dir.path() / "a");
  fs::create_directory(dir.path() / "b");
  const std::string one = (dir.path() / "a" / "same.plim").string();
  const std::string two = (dir.path() / "b" / "same.plim").string();
  PageDraft other = MixedPage();
  other.pageWidth = 1;
  ASSERT_TRUE(WritePageFile(one, MixedPage()));
  ASSERT_TRUE(WritePageFile(two, other));
  const fs::path out = dir.path() / "out";
  const ProgramResult result = Cli({"export", "--force", one, two, "-o", out.string()});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_NE(result.err.find(two + ": not exported: its title 'same' is that of " + one),
            std::string::npos)
      << result.err;
  EXPECT_EQ(ReadWholeFile(out / "same.json"), Cli({"info", "--json", one}).out);
}

TEST(CliExport, CodePageAndUsage) {
  TempDir dir;
  PageDraft page;
  page.lines = {DraftLine(0, 0, 1, 1, {}, "caf\xE9")};
  const std::string path = dir.File("latin.plim");
  ASSERT_TRUE(WritePageFile(path, page));
  const std::string out = dir.File("out");
  ASSERT_EQ(Cli({"export", path, "-o", out, "--codepage", "1252"}).exitCode, 0);
  EXPECT_EQ(ReadWholeFile(fs::path(out) / "latin_001.gt.txt"), "caf\u00E9");

  const std::vector<std::string> usageErrors[] = {
      {"export", path},
      {"export", path, "-o"},
      {"export", path, "-o", out, "--format", "tiff"},
      {"export", path, "-o", out, "--codepage", "no-such-page"},
      {"export", "-o", out},
      {"export", path, "-o", out, "--force=yes"},
  };
  for (const auto& arguments : usageErrors) {
    const ProgramResult result = Cli(arguments);
    EXPECT_EQ(result.exitCode, 2) << arguments.back();
    EXPECT_NE(result.err.find("Usage: plimdisp-cli export"), std::string::npos);
  }
  std::ofstream(dir.File("plain")) << "x";
  const ProgramResult notAFolder = Cli({"export", path, "-o", dir.File("plain")});
  EXPECT_EQ(notAFolder.exitCode, 1);
  EXPECT_EQ(notAFolder.err, "plimdisp-cli export: cannot make the folder " + dir.File("plain") +
                                ": Not a directory\n");
}

}  // namespace
