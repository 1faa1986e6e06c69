#include "platform/system/MessageBox.h"

#include <QGuiApplication>

#include "platform/system/CStringQt.h"

CString ApplicationTitle() {
  return QCoreApplication::instance() ? FromQString(QCoreApplication::applicationName())
                                      : CString();
}

int AfxMessageBox(const CString& text) {
  if (PlatformUi* ui = ActivePlatformUi()) ui->ShowMessage(ApplicationTitle(), text);
  return IDOK;
}
