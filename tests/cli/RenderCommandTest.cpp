// Runs `plimdisp-cli render` on sample and generated pages and reads back the PNG it writes.
#include <gtest/gtest.h>

#include <QImage>
#include <QRect>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "pagefile/MemorySource.h"
#include "pagewriter/PageWriter.h"
#include "support/PageLines.h"
#include "support/RunProgram.h"
#include "support/TempDir.h"

namespace {

constexpr QRgb kWhitePixel = 0xFFFFFFFF;
constexpr QRgb kMaskPixel = 0xFFFF00FF;  // masked label cells, in the golden image and the render

ProgramResult Render(const std::vector<std::string>& arguments) {
  std::vector<std::string> all{"render"};
  all.insert(all.end(), arguments.begin(), arguments.end());
  return RunProgram(BuiltProgram("plimdisp-cli"), all);
}

std::string SourcePath(const std::string& relative) {
  return std::string(std::getenv("PLIMDISP_SOURCE_DIR")) + "/" + relative;
}

bool AllWhite(const QImage& image) {
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      if (image.pixel(x, y) != kWhitePixel) return false;
    }
  }
  return true;
}

// Paints over each label's cell: 16 rows from the line's top-left corner and, for labels of
// full-width characters in a 16-pixel font, at most 16 pixels per character (one to spare).
// Label glyphs depend on the installed fonts; the line images do not.
void MaskLabels(const PageBody& page, QImage& image) {
  for (std::int32_t i = 0; i < page.UsedLines(); ++i) {
    const PageLine& line = page.lines[static_cast<std::size_t>(i)];
    if (line.charCount <= 0) continue;
    const QRect cell(line.left, line.top, 16 * (line.charCount + 1), 16);
    for (int y = cell.top(); y <= cell.bottom(); ++y) {
      for (int x = cell.left(); x <= cell.right(); ++x) {
        if (image.valid(x, y)) image.setPixel(x, y, kMaskPixel);
      }
    }
  }
}

std::unique_ptr<PageBody> ReadBody(const std::string& pagePath) {
  std::ifstream in(pagePath, std::ios::binary);
  const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), {}};
  MemorySource source(bytes);
  PageHeader header;
  auto body = std::make_unique<PageBody>();
  EXPECT_FALSE(ReadPageHeader(source, header));
  EXPECT_FALSE(ReadPageBody(source, header.codeLength, *body));
  return body;
}

// The page at zoom 1.0 drawn the plain way: each line's grey bytes ANDed in at its place.
QImage ReferencePage(const PageBody& body) {
  QImage image(body.pageWidth, body.pageHeight, QImage::Format_RGB32);
  image.fill(kWhitePixel);
  for (std::int32_t i = 0; i < body.UsedLines(); ++i) {
    const PageLine& line = body.lines[static_cast<std::size_t>(i)];
    for (int row = 0; row < line.height; ++row) {
      for (int column = 0; column < line.width; ++column) {
        const int x = line.left + column;
        const int y = line.top + row;
        if (!image.valid(x, y)) continue;
        const int grey = line.pixels.data()[row * line.width + column] & qRed(image.pixel(x, y));
        image.setPixel(x, y, qRgb(grey, grey, grey));
      }
    }
  }
  return image;
}

TEST(CliRender, SamplePageMatchesItsGoldenImageOutsideTheLabels) {
  const std::string page = SourcePath("samples/page01.plim");
  const std::string golden = SourcePath("tests/data/page01_zoom1_masked.png");
  TempDir dir;
  const std::string out = dir.File("page01.png");
  const ProgramResult result = Render({page, "-o", out});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  QImage rendered(QString::fromStdString(out));
  ASSERT_EQ(rendered.format(), QImage::Format_RGB32) << "an RGB PNG without alpha";
  ASSERT_EQ(rendered.size(), QSize(1200, 1600));
  const std::unique_ptr<PageBody> body = ReadBody(page);
  MaskLabels(*body, rendered);
  QImage reference = ReferencePage(*body);
  MaskLabels(*body, reference);
  ASSERT_EQ(rendered, reference) << "the plain AND of the lines at their places";
  for (int y = 0; y < rendered.height(); ++y) {
    for (int x = 0; x < rendered.width(); ++x) {
      const QRgb c = rendered.pixel(x, y);
      ASSERT_TRUE(c == kMaskPixel || (qRed(c) == qGreen(c) && qGreen(c) == qBlue(c)))
          << "a label pixel outside its mask at " << x << "," << y;
    }
  }
  if (std::getenv("PLIMDISP_UPDATE_GOLDEN") != nullptr) {
    ASSERT_TRUE(rendered.save(QString::fromStdString(golden)));
    GTEST_SKIP() << "wrote " << golden;
  }
  const QImage expected(QString::fromStdString(golden));
  ASSERT_FALSE(expected.isNull()) << golden;
  EXPECT_EQ(rendered, expected.convertToFormat(QImage::Format_RGB32));
}

PageDraft Page(std::int32_t width, std::int32_t height, std::optional<std::int32_t> lineCount,
               std::vector<LineDraft> lines = {}) {
  PageDraft page;
  page.pageWidth = width;
  page.pageHeight = height;
  page.lineCount = lineCount;
  page.lines = std::move(lines);
  return page;
}

TEST(CliRender, PictureIsTheScrollExtentAfterTheKeys) {
  const struct {
    const char* name;
    PageDraft page;
    std::vector<std::string> options;
    QSize size;
    bool white;
  } cases[] = {
      {"no lines: the first extent", Page(500, 400, 0), {"--keys", "+"}, {100, 100}, true},
      {"negative lineCount: the zoomed page",
       Page(200, 120, -2, {DraftLine(0, 0, 4, 4)}),
       {"--keys", "+"},
       {300, 180},
       true},
      {"two keys: 1000 x 1.0499999523 rounds up in float",
       Page(1000, 10, {}, {DraftLine(0, 0, 4, 4)}),
       {"--keys=+-"},
       {1050, 10},
       false},
      {"a lone minus as the keys",
       Page(100, 50, {}, {DraftLine(0, 0, 4, 4)}),
       {"--keys", "-"},
       {70, 35},
       false},
      // The '+' past the largest float are refused, so the '-' bring the page back.
      {"zoom keys beyond the float range",
       Page(1000, 100, {}, {DraftLine(0, 0, 4, 4)}),
       {"--keys", std::string(300, '+') + std::string(248, '-')},
       {938, 93},
       false},
  };
  for (const auto& c : cases) {
    TempDir dir;
    const std::string page = dir.File("page.plim");
    const std::string out = dir.File("out.png");
    ASSERT_TRUE(WritePageFile(page, c.page));
    std::vector<std::string> arguments{page, "-o", out};
    arguments.insert(arguments.end(), c.options.begin(), c.options.end());
    const ProgramResult result = Render(arguments);
    ASSERT_EQ(result.exitCode, 0) << c.name << ": " << result.err;
    const QImage image(QString::fromStdString(out));
    EXPECT_EQ(image.size(), c.size) << c.name;
    EXPECT_EQ(AllWhite(image), c.white) << c.name;
  }
}

TEST(CliRender, RefusalsAndUsageErrors) {
  TempDir dir;
  const std::string good = dir.File("good.plim");
  ASSERT_TRUE(WritePageFile(good, Page(10, 10, {}, {DraftLine(0, 0, 2, 2)})));
  const std::string huge = dir.File("huge.plim");
  ASSERT_TRUE(WritePageFile(huge, Page(10001, 10000, {}, {DraftLine(0, 0, 2, 2)})));
  const std::string flat = dir.File("flat.plim");
  ASSERT_TRUE(WritePageFile(flat, Page(-10, 10, {}, {DraftLine(0, 0, 2, 2)})));
  const std::string cut = dir.File("cut.plim");
  { std::ofstream(cut, std::ios::binary) << WritePage(Page(10, 10, 3)).substr(0, 40); }
  const std::string out = dir.File("out.png");
  const struct {
    const char* name;
    std::vector<std::string> arguments;
    int exitCode;
    const char* message;  // expected in stderr (stdout for --help)
  } cases[] = {
      {"beyond 100 megapixels", {huge, "-o", out}, 1, "100 megapixels"},
      {"shrunk below the limit", {huge, "-o", out, "--keys", "------"}, 0, ""},
      {"no area", {flat, "-o", out}, 1, "no area"},
      {"zoomed to nothing", {good, "-o", out, "--keys", "-------"}, 1, "no area"},
      {"missing file", {dir.File("none.plim"), "-o", out}, 1, "Cannot open the PLIM file"},
      {"cut page", {cut, "-o", out}, 1, "Cannot open the PLIM file\n\n"},
      {"unwritable output", {good, "-o", dir.File("no/such/folder/out.png")}, 1, "cannot write"},
      {"no output", {good}, 2, "-o OUT.png is missing"},
      {"two pages into one PNG", {good, good, "-o", out}, 2, "takes exactly one FILE"},
      {"unknown option", {good, "-o", out, "--zoom", "2"}, 2, "unknown option"},
      {"help", {"--help"}, 0, "render FILE -o OUT.png"},
  };
  for (const auto& c : cases) {
    std::filesystem::remove(out);
    const ProgramResult result = Render(c.arguments);
    EXPECT_EQ(result.exitCode, c.exitCode) << c.name << ": " << result.err;
    EXPECT_NE((c.exitCode == 0 ? result.out + result.err : result.err).find(c.message),
              std::string::npos)
        << c.name << ": " << result.err;
    if (c.exitCode != 0) {
      EXPECT_FALSE(std::filesystem::exists(out)) << c.name;
    }
  }
}

}  // namespace
