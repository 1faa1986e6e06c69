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
#include "resources/Version.h"
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
  EXPECT_NE(xml.find("<Creator>PLIMDisp " PLIMDISP_VERSION "</Creator>"), std::string::npos);
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

// Page file names hold any bytes; the XML must parse, and imageFilename must name the picture
// written beside it, whatever the name.
TEST(CliExportPage, HostileNamesGiveWellFormedXmlNamingThePicture) {
  const std::string xmllint = XmlLint();
  if (xmllint.empty()) GTEST_SKIP() << "needs xmllint (libxml2-utils)";
  const struct {
    std::string title, written;  // the page file's title, the title of the files written
  } cases[] = {
      {"plain \xE4\xB8\xAD", "plain \xE4\xB8\xAD"},
      {"a&b<c>\"d'", "a&b<c>\"d'"},
      {"latin1-\xE9", "latin1-%E9"},
      {"cut-\xE4\xB8", "cut-%E4%B8"},
      {"ctl-\x01\x1B[2J\x7F", "ctl-%01%1B[2J%7F"},
      {"lines-\t\n\r", "lines-%09%0A%0D"},
      {"c1-\xC2\x85", "c1-%C2%85"},
      {"bidi-\xE2\x80\xAEgpj", "bidi-%E2%80%AEgpj"},
      {"nonchar-\xEF\xBF\xBF", "nonchar-%EF%BF%BF"},
      {"surrogate-\xED\xA0\x80", "surrogate-%ED%A0%80"},
      {"percent-%41", "percent-%2541"},
  };
  TempDir dir;
  PageDraft draft;
  draft.pageWidth = 8;
  draft.pageHeight = 4;
  draft.lines = {DraftLine(0, 0, 2, 2, Solid(0), "x")};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.written);
    const std::string page = dir.File(c.title + ".plim");
    ASSERT_TRUE(WritePageFile(page, draft));
    const fs::path out = dir.path() / "out";
    const ProgramResult result = Cli({"export", "--format", "page", page, "-o", out.string()});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    const fs::path xml = out / (c.written + ".xml");
    ASSERT_TRUE(fs::exists(xml));
    const ProgramResult lint = RunProgram(xmllint, {"--noout", xml.string()});
    EXPECT_EQ(lint.exitCode, 0) << lint.err;
    // The attribute as a parser reads it back names the picture.
    std::string named =
        RunProgram(xmllint,
                   {"--xpath", "string(//*[local-name()='Page']/@imageFilename)", xml.string()})
            .out;
    if (named.ends_with('\n')) named.pop_back();  // xmllint ends what it prints with one
    EXPECT_EQ(named, c.written + ".png");
    EXPECT_TRUE(fs::exists(out / named));
    fs::remove_all(out);
    fs::remove(page);
  }
}

TEST(CliExportPage, PagesWithoutAPictureAreRefused) {
  TempDir dir;
  PageDraft draft;
  draft.pageWidth = 0;
  draft.pageHeight = 10;
  const std::string path = dir.File("flat.plim");
  ASSERT_TRUE(WritePageFile(path, draft));
  const ProgramResult result = Cli({"export", "--format=page", path, "-o", dir.File("out")});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.err, path + ": not exported: the page has no area (0 x 10 pixels)\n");
  EXPECT_FALSE(fs::exists(dir.path() / "out" / "flat.xml"));
}

}  // namespace
