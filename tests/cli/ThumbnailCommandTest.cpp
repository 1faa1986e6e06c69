// plimdisp-cli thumbnail: the longer side is exactly --size pixels whatever the float rounding,
// shrinking ANDs so a one-pixel stroke stays black, labels are drawn only where the picture is
// no smaller than the page, and bad sizes or pages are refused.
#include <gtest/gtest.h>

#include <QImage>
#include <string>
#include <vector>

#include "cli/CliTestSupport.h"
#include "pagewriter/PageWriter.h"
#include "support/PageLines.h"
#include "support/TempDir.h"

namespace {

TEST(CliThumbnail, SizesStrokesAndRefusals) {
  struct SizeCase {
    std::int32_t pageWidth, pageHeight;
    const char* size;  // nullptr: the default
    int width, height;
    int corner;  // grey at (0, 0): the stroke's, or white where the line scales to no rows
  };
  const SizeCase sizes[] = {
      {1200, 1600, nullptr, 192, 256, 0},  // 256/1600 as a float scales 1600 to 255.99...
      {300, 100, "100", 100, 33, 0},
      {1000, 3, "10", 10, 1, 0xFF},  // a side that scales to nothing keeps one pixel
      {7, 5, "70", 70, 50, 0},       // a small page grows
  };
  TempDir dir;
  for (const SizeCase& c : sizes) {
    SCOPED_TRACE(std::to_string(c.pageWidth) + " x " + std::to_string(c.pageHeight));
    PageDraft page;
    page.pageWidth = c.pageWidth;
    page.pageHeight = c.pageHeight;
    // A one-pixel black stroke in a white line image over the whole page: ANDed shrinking
    // keeps it black. No label, whose white cell would cover the stroke.
    LineDraft line = DraftLine(0, 0, c.pageWidth, c.pageHeight, Solid(0xFF), "");
    line.pixels[0] = '\0';
    page.lines = {line};
    const std::string path = dir.File("page.plim");
    const std::string out = dir.File("thumb.png");
    ASSERT_TRUE(WritePageFile(path, page));
    std::vector<std::string> arguments = {"thumbnail", path, "-o", out};
    if (c.size != nullptr) arguments.insert(arguments.end(), {"--size", c.size});
    const ProgramResult result = Cli(arguments);
    ASSERT_EQ(result.exitCode, 0) << result.err;
    QImage image;
    ASSERT_TRUE(image.load(QString::fromStdString(out), "PNG"));
    EXPECT_EQ(image.size(), QSize(c.width, c.height));
    EXPECT_EQ(qGray(image.pixel(0, 0)), c.corner);
    EXPECT_EQ(qGray(image.pixel(c.width - 1, c.height - 1)), 0xFF);
  }

  // Labels keep their 16 pixels: drawn only where the thumbnail is no smaller than the page.
  const struct {
    std::int32_t pageWidth, pageHeight;
    const char* size;
    bool inked;
  } labelCases[] = {{1200, 1600, "256", false}, {1200, 1600, "1600", true}, {60, 40, "120", true}};
  for (const auto& c : labelCases) {
    SCOPED_TRACE(std::string("label at --size ") + c.size);
    PageDraft labelled;
    labelled.pageWidth = c.pageWidth;
    labelled.pageHeight = c.pageHeight;
    labelled.lines = {DraftLine(0, 0, c.pageWidth, c.pageHeight, Solid(0xFF), "HH")};
    const std::string labelledPath = dir.File("labelled.plim");
    const std::string labelledOut = dir.File("labelled.png");
    ASSERT_TRUE(WritePageFile(labelledPath, labelled));
    ASSERT_EQ(Cli({"thumbnail", labelledPath, "-o", labelledOut, "--size", c.size}).exitCode, 0);
    QImage labelImage;
    ASSERT_TRUE(labelImage.load(QString::fromStdString(labelledOut), "PNG"));
    EXPECT_EQ(labelImage.format() == QImage::Format_Grayscale8, !c.inked);
    bool inked = false;
    for (int y = 0; y < 16; ++y) {
      for (int x = 0; x < 32; ++x) inked = inked || qGray(labelImage.pixel(x, y)) < 0x80;
    }
    EXPECT_EQ(inked, c.inked);
  }

  PageDraft flat;
  flat.pageWidth = 10;
  const std::string flatPath = dir.File("flat.plim");
  ASSERT_TRUE(WritePageFile(flatPath, flat));
  const std::string out = dir.File("bad.png");
  EXPECT_EQ(Cli({"thumbnail", flatPath, "-o", out}).exitCode, 1);
  for (const char* size : {"0", "4097", "12x", ""}) {
    EXPECT_EQ(Cli({"thumbnail", flatPath, "-o", out, "--size", size}).exitCode, 2) << size;
  }
  EXPECT_EQ(Cli({"thumbnail", flatPath, flatPath, "-o", out}).exitCode, 2);
  EXPECT_EQ(Cli({"thumbnail", flatPath}).exitCode, 2);
  EXPECT_FALSE(std::filesystem::exists(out));
}

}  // namespace
