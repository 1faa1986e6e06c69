#include "platform/system/MessageBox.h"

#include <QApplication>
#include <QMessageBox>

#include "platform/system/CStringQt.h"
#include "platform/system/DialogFrame.h"

CString ApplicationTitle() {
  const QString name =
      QCoreApplication::instance() ? QCoreApplication::applicationName() : QString();
  return name.isEmpty() ? CString(L"PLIMDisp") : FromQString(name);
}

int AfxMessageBox(const CString& text) {
  const CString caption = ApplicationTitle();
  if (PlatformUi* ui = InstalledPlatformUi()) {
    ui->ShowMessage(caption, text);
    return IDOK;
  }
  QMessageBox box(QMessageBox::Warning, ToQString(caption), ToQString(text), QMessageBox::Ok,
                  QApplication::activeWindow());
  UseModalDialogFrame(&box);
  box.exec();
  return IDOK;
}
