#include "platform/framework/ViewPrinting.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPrintDialog>
#include <QPrinter>

#include "platform/framework/CMDIFrameWnd.h"
#include "platform/framework/CPrintInfo.h"
#include "platform/framework/CView.h"
#include "platform/framework/CWinApp.h"
#include "platform/framework/DialogFrame.h"
#include "platform/framework/PrintJob.h"
#include "platform/framework/PrintPreview.h"
#include "platform/system/CStringQt.h"
#include "platform/system/MessageBox.h"

namespace {

std::function<bool(QPrinter&)>& PrintDialogOverride() {
  static std::function<bool(QPrinter&)> dialog;
  return dialog;
}

QPrinter& JobPrinter() {
  if (CWinApp* app = AfxGetApp()) return app->Printer();
  static QPrinter fallback(QPrinter::HighResolution);
  return fallback;
}

// Names the job after the document; PDF output goes to `<title>.pdf` beside the page on show
// (in the current folder when there is none) unless the user picks another file.
void NameJob(const CPrintInfo& info, QPrinter& printer) {
  const QString title = ToQString(info.m_strDocTitle);
  printer.setDocName(title);
  if (printer.outputFormat() != QPrinter::PdfFormat || title.isEmpty()) return;
  const QDir folder =
      info.m_strShownFile.empty()
          ? QDir::current()
          : QFileInfo(QFile::decodeName(QByteArray::fromStdString(info.m_strShownFile)))
                .absoluteDir();
  printer.setOutputFileName(folder.absoluteFilePath(title + QStringLiteral(".pdf")));
}

}  // namespace

void RunPrintCommand(CView& view, PrintCommand command) {
  CPrintInfo info;
  info.m_bDirect = command == PrintCommand::kDirect;
  info.m_bPreview = command == PrintCommand::kPreview;
  if (const CDocument* document = view.GetDocument()) info.m_strDocTitle = document->GetTitle();
  info.m_strShownFile = view.GetShownFile();
  if (!view.OnPreparePrinting(&info) || info.printer == nullptr) return;
  if (command == PrintCommand::kPreview) {
    RunPrintPreview(view, info);
    return;
  }
  const PrintResult result = PrintJob(view, info, *info.printer);
  if (!result.printed()) {
    AfxMessageBox(FromQString(PrintFailureMessage(result, info.printer->outputFileName())));
  }
}

bool DoPreparePrinting(CPrintInfo* info) {
  if (info == nullptr) return false;
  QPrinter& printer = JobPrinter();
  info->printer = &printer;
  NameJob(*info, printer);
  if (info->m_bPreview) return true;
  if (info->m_bDirect) return printer.isValid();
  if (PrintDialogOverride()) return PrintDialogOverride()(printer);
  QPrintDialog dialog(&printer, AfxGetApp() != nullptr ? AfxGetApp()->m_pMainWnd : nullptr);
  UseModalDialogFrame(&dialog);
  dialog.setOption(QAbstractPrintDialog::PrintToFile, true);
  return dialog.exec() == QDialog::Accepted;
}

void SetPrintDialogForTesting(std::function<bool(QPrinter&)> dialog) {
  PrintDialogOverride() = std::move(dialog);
}
