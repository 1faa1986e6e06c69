// A print or preview whose canvas cannot be had fails as a whole: no output file appears, the
// job says why, and the page view keeps its page and draws it on screen as before.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QPrinter>
#include <filesystem>

#include "pageview/CPLIMDispView.h"
#include "platform/PlatformUiScript.h"
#include "platform/framework/CDocument.h"
#include "platform/framework/CPrintInfo.h"
#include "platform/framework/PreviewSheet.h"
#include "platform/framework/PrintJob.h"
#include "platform/system/CDC.h"
#include "reliability/PageFiles.h"
#include "support/CountingNew.h"

namespace {

// Band canvases take megabytes; the page's own buffers and Qt's objects far less.
constexpr std::int64_t kLargestGranted = 256 * 1024;

TEST(PrintAllocation, FailedBandAllocationFailsTheJobAndKeepsThePage) {
  TestApplication();
  TempDir dir;
  PlatformUiScript ui;
  CDocument document;
  CPLIMDispView view(&document);
  ASSERT_TRUE(view.LoadPageFile(WritePageBytes(dir, "page.plim", WritePage(SmallPage()))));
  const std::string pdf = dir.File("out.pdf");
  QPrinter printer(QPrinter::HighResolution);
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName(QString::fromStdString(pdf));
  CPrintInfo preview;
  PreviewSheet sheet(view, preview, printer);
  sheet.resize(800, 600);
  bool previewFailed = false;
  QObject::connect(&sheet, &PreviewSheet::DrawingFailed, [&] { previewFailed = true; });

  FailNewAbove(kLargestGranted);
  CPrintInfo job;
  const PrintResult printed = PrintJob(view, job, printer);
  sheet.viewport()->grab();
  FailNewAbove(-1);
  QCoreApplication::processEvents();

  EXPECT_EQ(printed.failure, PrintFailure::kNoMemory);
  EXPECT_FALSE(std::filesystem::exists(pdf));
  EXPECT_TRUE(previewFailed);
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_EQ(view.lineCount(), 3);
  Canvas screen;
  ASSERT_EQ(screen.Allocate(40, 30), CanvasError::kNone);
  CDC dc(screen);
  EXPECT_TRUE(view.DrawPage(&dc));
  EXPECT_TRUE(PrintJob(view, job, printer).printed()) << "the same job prints once memory is back";
  EXPECT_TRUE(std::filesystem::exists(pdf));
}

}  // namespace
