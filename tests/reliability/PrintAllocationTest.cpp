// A print or preview whose band canvas cannot be had fails as a whole: no output file appears,
// no message is shown, and the page view keeps its page and draws it on screen as before.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <QPrinter>
#include <filesystem>

#include "pageview/CPLIMDispView.h"
#include "platform/PlatformUiScript.h"
#include "platform/framework/CDocument.h"
#include "platform/framework/CPrintInfo.h"
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
  QImage paper(2000, 2000, QImage::Format_RGB32);

  FailNewAbove(kLargestGranted);
  CPrintInfo job;
  const bool printed = PrintJob(view, job, printer);
  CPrintInfo preview;
  preview.m_bPreview = true;
  QPainter painter(&paper);
  const bool previewed = PrintPageInBands(view, preview, painter, paper.rect(), 0.5);
  painter.end();
  FailNewAbove(-1);

  EXPECT_FALSE(printed);
  EXPECT_FALSE(std::filesystem::exists(pdf));
  EXPECT_FALSE(previewed);
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_EQ(view.lineCount(), 3);
  Canvas screen;
  ASSERT_EQ(screen.Allocate(40, 30), CanvasError::kNone);
  CDC dc(screen);
  EXPECT_TRUE(view.DrawPage(&dc));
  EXPECT_TRUE(PrintJob(view, job, printer)) << "the same job prints once memory is back";
  EXPECT_TRUE(std::filesystem::exists(pdf));
}

}  // namespace
