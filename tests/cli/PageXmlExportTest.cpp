// plimdisp-cli export --format page: the page picture holds the line images ANDed on white,
// the PAGE XML keeps the lines on the page with their clipped boxes and labels, reports the
// others, and validates against the published schema.
#include <gtest/gtest.h>

#include <QImage>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "cli/CliTestSupport.h"
#include "pagewriter/PageWriter.h"
#include "support/PageLines.h"
#include "support/TempDir.h"

namespace {

namespace fs = std::filesystem;

// The schema beside the repository, as CI lays it out; empty when absent.
fs::path PageSchema() {
  const char* source = std::getenv("PLIMDISP_SOURCE_DIR");
  if (source == nullptr) return {};
  const fs::path schema =
      fs::path(source).parent_path() / "shared" / "schemas" / "pagecontent-2019-07-15.xsd";
  return fs::exists(schema) ? schema : fs::path();
}

std::string XmlLint() {
  for (const char* folder : {"/usr/bin", "/usr/local/bin", "/bin"}) {
    const fs::path program = fs::path(folder) / "xmllint";
    if (fs::exists(program)) return program.string();
  }
  return "";
}

struct LineCase {
  const char* what;
  LineDraft line;
  const char* expected;  // the TextLine's XML, or nullptr when the line is left out
};

TEST(CliExportPage, LinesClippedReportedAndSchemaValid) {
  const LineCase cases[] = {
      {"inside", DraftLine(20, 10, 30, 5, Solid(0x80), "ab"),
       "<TextLine id=\"l1\">\n        <Coords points=\"20,10 50,10 50,15 20,15\"/>\n"
       "        <TextEquiv><Unicode>ab</Unicode></TextEquiv>"},
      {"over the top left corner", DraftLine(-4, -3, 8, 6, Solid(0x40), "<&>\""),
       "<TextLine id=\"l2\">\n        <Coords points=\"0,0 4,0 4,3 0,3\"/>\n"
       "        <TextEquiv><Unicode>&lt;&amp;&gt;&quot;</Unicode></TextEquiv>"},
      {"over the bottom right corner", DraftLine(95, 45, 10, 10, Solid(0x20), "x\x01y"),
       "<TextLine id=\"l3\">\n        <Coords points=\"95,45 100,45 100,50 95,50\"/>\n"
       "        <TextEquiv><Unicode>x\xEF\xBF\xBDy</Unicode></TextEquiv>"},
      {"right of the page", DraftLine(100, 0, 2, 2, {}, "gone"), nullptr},
      {"no pixels", DraftLine(0, 0, 7, 0, {}, "empty"), nullptr},
  };
  PageDraft draft;
  draft.pageWidth = 100;
  draft.pageHeight = 50;
  for (const LineCase& c : cases) draft.lines.push_back(c.line);
  TempDir dir;
  const std::string path = dir.File("lines.plim");
  ASSERT_TRUE(WritePageFile(path, draft));
  const fs::path out = dir.path() / "out";

  const ProgramResult result = Cli({"export", "--format", "page", path, "-o", out.string()});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.err, path + ":4: left out of the PAGE XML: no pixels on the page\n" + path +
                            ":5: left out of the PAGE XML: no pixels on the page\n");
  const std::string xml = ReadWholeFile(out / "lines.xml");
  for (const LineCase& c : cases) {
    SCOPED_TRACE(c.what);
    if (c.expected != nullptr) {
      EXPECT_NE(xml.find(c.expected), std::string::npos) << xml;
    }
  }
  EXPECT_EQ(CountOf(xml, "<TextLine "), 3u);
  EXPECT_NE(xml.find("<Creator>PLIMDisp 1.0.0.1</Creator>"), std::string::npos);
  EXPECT_NE(xml.find("<Page imageFilename=\"lines.png\" imageWidth=\"100\" imageHeight=\"50\">"),
            std::string::npos);
  EXPECT_NE(xml.find("<Coords points=\"0,0 100,0 100,50 0,50\"/>\n      <TextLine"),
            std::string::npos);  // the region holds its lines

  // The picture: white page, line greys ANDed where they lie, nothing of the labels.
  QImage picture;
  ASSERT_TRUE(picture.load(QString::fromStdString((out / "lines.png").string()), "PNG"));
  EXPECT_EQ(picture.format(), QImage::Format_Grayscale8);
  EXPECT_EQ(picture.size(), QSize(100, 50));
  EXPECT_EQ(qGray(picture.pixel(20, 10)), 0x80);
  EXPECT_EQ(qGray(picture.pixel(0, 0)), 0x40);
  EXPECT_EQ(qGray(picture.pixel(99, 49)), 0x20);
  EXPECT_EQ(qGray(picture.pixel(60, 30)), 0xFF);

  const fs::path schema = PageSchema();
  const std::string xmllint = XmlLint();
  if (schema.empty() || xmllint.empty()) {
    GTEST_SKIP() << "schema validation skipped: needs ../shared/schemas/"
                    "pagecontent-2019-07-15.xsd beside the repository and xmllint "
                    "(libxml2-utils)";
  }
  const ProgramResult valid =
      RunProgram(xmllint, {"--noout", "--schema", schema.string(), (out / "lines.xml").string()});
  EXPECT_EQ(valid.exitCode, 0) << valid.err;
}

TEST(CliExportPage, PagesWithoutAPictureAreRefused) {
  TempDir dir;
  PageDraft draft;
  draft.pageWidth = 0;
  draft.pageHeight = 10;
  const std::string path = dir.File("flat.plim");
  ASSERT_TRUE(WritePageFile(path, draft));
  const ProgramResult result =
      Cli({"export", "--format=page", path, "-o", dir.File("out")});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.err, path + ": not exported: the page has no area (0 x 10 pixels)\n");
  EXPECT_FALSE(fs::exists(dir.path() / "out" / "flat.xml"));
}

}  // namespace
