// What printing puts out: the preview's Print runs the one print job at the printer's
// resolution, and a PDF rasterised back at its resolution is the drawing pass's picture.
#include <QImage>
#include <QPageLayout>
#include <QPrinter>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "pagewriter/PageWriter.h"
#include "platform/framework/CPrintInfo.h"
#include "platform/framework/ViewPrinting.h"
#include "platform/system/CDC.h"
#include "shell/ShellFixture.h"
#include "support/PageLines.h"
#include "support/RunProgram.h"

namespace {

constexpr char kPdfImages[] = "/usr/bin/pdfimages";  // poppler-utils, from scripts/setup
constexpr char kPdfToPpm[] = "/usr/bin/pdftoppm";
constexpr char kPdfInfo[] = "/usr/bin/pdfinfo";

std::string Contents(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

class PrintOutputTest : public ShellFixture {
 protected:
  void SetUp() override {
    ShellFixture::SetUp();
    for (const char* tool : {kPdfImages, kPdfToPpm, kPdfInfo}) {
      ASSERT_TRUE(std::filesystem::exists(tool)) << tool << " (poppler-utils) is needed";
    }
  }

  // Presses the preview's Print, its print dialog choosing PDF output to `pdf`.
  void PrintFromPreview(const std::string& pdf) {
    ASSERT_TRUE(Frame().ExecuteCommand(ID_FILE_PRINT_PREVIEW));
    SetPrintDialogForTesting([&pdf](QPrinter& printer) {
      printer.setOutputFileName(QString::fromStdString(pdf));
      return true;
    });
    PressPreviewButton("print");
    SetPrintDialogForTesting(nullptr);
    EXPECT_EQ(Preview(), nullptr) << "the preview leaves for the print";
  }
};

TEST_F(PrintOutputTest, ThePreviewsPrintIsThePrintJobAtThePrintersResolution) {
  const std::string page = WritePage("shown.plim");
  const std::string pageBytes = Contents(page);
  ASSERT_TRUE(Start({page}));
  app->Printer().setOutputFormat(QPrinter::PdfFormat);
  app->Printer().setResolution(300);

  PrintFromPreview(page);
  EXPECT_EQ(Contents(page), pageBytes) << "the page on show is never the output";
  ASSERT_EQ(ui.messages.size(), 1u);

  const std::string pdf = dir.File("out.pdf");
  PrintFromPreview(pdf);
  const ProgramResult images = RunProgram(kPdfImages, {"-list", pdf});
  ASSERT_EQ(images.exitCode, 0) << images.err;
  // page num type width height color comp bpc enc interp object ID x-ppi y-ppi ...
  std::istringstream rows(images.out);
  std::string row;
  int seen = 0;
  while (std::getline(rows, row)) {
    std::istringstream fields(row);
    std::string page, num, type, width, height, color, comp, bpc, enc, interp, object, id;
    int xPpi = 0, yPpi = 0;
    if (!(fields >> page >> num >> type >> width >> height >> color >> comp >> bpc >> enc >>
          interp >> object >> id >> xPpi >> yPpi) ||
        type != "image") {
      continue;
    }
    ++seen;
    EXPECT_EQ(xPpi, 300) << row << ": one page pixel per printer dot";
    EXPECT_EQ(yPpi, 300) << row;
    EXPECT_EQ(enc, "image") << row << ": stored without loss, not as JPEG";
  }
  EXPECT_GT(seen, 0) << images.out;
  EXPECT_EQ(Contents(page), pageBytes);
  EXPECT_EQ(ui.messages.size(), 1u);
}

TEST_F(PrintOutputTest, PdfRasterisedAtItsResolutionIsThePassPicture) {
  // Labels with glyphs, greys of every level and lines across the bands' seams.
  PageDraft draft;
  draft.pageWidth = 2400;
  draft.pageHeight = 3150;
  draft.lines = {
      DraftLine(
          40, 30, 2300, 120, [](int row, int column) { return (row * 7 + column) % 256; },
          "\xD6\xD0\xCE\xC4 line"),
      DraftLine(
          900, 1650, 1400, 200, [](int row, int column) { return (row ^ column) & 0xFF; }, "seam"),
      DraftLine(
          0, 3000, 2400, 150, [](int, int column) { return column % 3 == 0 ? 0 : 0xFF; },
          "\xB1\xDF"),
  };
  const std::string page = dir.File("exact.plim");
  ASSERT_TRUE(WritePageFile(page, draft));
  ASSERT_TRUE(Start({page}));
  QPrinter& printer = app->Printer();
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setResolution(300);
  printer.setPageLayout(QPageLayout(QPageSize(QPageSize::Letter), QPageLayout::Portrait,
                                    QMarginsF(0.25, 0.25, 0.25, 0.25), QPageLayout::Inch));
  const QRect printable = printer.pageLayout().paintRectPixels(300);
  ASSERT_EQ(printable, QRect(75, 75, 2400, 3150));

  // Direct Print writes <title>.pdf beside the page, titled after it.
  ASSERT_TRUE(Frame().ExecuteCommand(ID_FILE_PRINT_DIRECT));
  ASSERT_TRUE(ui.messages.empty());
  const ProgramResult properties = RunProgram(kPdfInfo, {dir.File("exact.pdf")});
  EXPECT_NE(properties.out.find("Title:           exact\n"), std::string::npos) << properties.out;
  const ProgramResult raster =
      RunProgram(kPdfToPpm, {"-r", "300", "-singlefile", dir.File("exact.pdf"), dir.File("back")});
  ASSERT_EQ(raster.exitCode, 0) << raster.err;
  const QImage back =
      QImage(QString::fromStdString(dir.File("back.ppm"))).convertToFormat(QImage::Format_RGB32);
  ASSERT_EQ(back.size(), QSize(2550, 3300));

  Canvas canvas;
  ASSERT_EQ(canvas.Allocate(printable.width(), printable.height()), CanvasError::kNone);
  canvas.FillWhite();
  CDC dc(canvas);
  CPrintInfo info;
  ActiveView()->OnPrint(&dc, &info);
  long long differ = 0;
  for (int y = 0; y < back.height(); ++y) {
    const auto* row = reinterpret_cast<const QRgb*>(back.constScanLine(y));
    for (int x = 0; x < back.width(); ++x) {
      const bool inside = printable.contains(x, y);
      const std::uint32_t expected =
          inside ? canvas.Rgb(x - printable.left(), y - printable.top()) : 0xFFFFFF;
      differ += (row[x] & 0xFFFFFF) != expected;
    }
  }
  EXPECT_EQ(differ, 0);
}

}  // namespace
