#include "platform/framework/DialogFrame.h"

#include <QWidget>

void UseModalDialogFrame(QWidget* dialog) {
  // Naming the buttons (CustomizeWindowHint) keeps the window system from adding its defaults.
  dialog->setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                         Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
}
