#include "platform/system/MessageBox.h"

#include <QGuiApplication>

#include "platform/system/CStringQt.h"

CString ApplicationTitle() {
  const QString name =
      QCoreApplication::instance() ? QCoreApplication::applicationName() : QString();
  return name.isEmpty() ? CString(L"PLIMDisp") : FromQString(name);
}

int AfxMessageBox(const CString& text) {
  if (PlatformUi* ui = ActivePlatformUi()) ui->ShowMessage(ApplicationTitle(), text);
  return IDOK;
}
