#include "platform/framework/ViewPrinting.h"

#include <QPrintDialog>
#include <QPrinter>

#include "platform/framework/CMDIFrameWnd.h"
#include "platform/framework/CPrintInfo.h"
#include "platform/framework/CView.h"
#include "platform/framework/CWinApp.h"
#include "platform/framework/DialogFrame.h"
#include "platform/framework/PrintJob.h"
#include "platform/framework/PrintPreview.h"

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

}  // namespace

void RunPrintCommand(CView& view, PrintCommand command) {
  CPrintInfo info;
  info.m_bDirect = command == PrintCommand::kDirect;
  info.m_bPreview = command == PrintCommand::kPreview;
  if (!view.OnPreparePrinting(&info) || info.printer == nullptr) return;
  if (command == PrintCommand::kPreview) {
    RunPrintPreview(view, info);
  } else {
    PrintJob(view, info, *info.printer);
  }
}

bool DoPreparePrinting(CPrintInfo* info) {
  if (info == nullptr) return false;
  QPrinter& printer = JobPrinter();
  info->printer = &printer;
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
