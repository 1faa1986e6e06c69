#include "platform/framework/WindowMenu.h"

#include <QAction>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QMdiArea>
#include <QMenu>
#include <QPointer>
#include <QVBoxLayout>

#include "platform/framework/CMDIFrameWnd.h"
#include "platform/framework/DialogFrame.h"
#include "platform/framework/MenuText.h"
#include "platform/framework/ResourceStrings.h"

namespace {

// Entries with a single-digit mnemonic; the rest are reached through the dialog.
constexpr int kListedWindows = 9;

// The dialog of AFX_IDS_MORE_WINDOWS: the shown ones of `windows` by title, `current`
// selected. The chosen window, or null when the dialog is cancelled or the window is gone.
QMdiSubWindow* ChooseWindow(QWidget* parent, const QList<QMdiSubWindow*>& windows,
                            QMdiSubWindow* current) {
  QDialog dialog(parent);
  UseModalDialogFrame(&dialog);
  dialog.setWindowTitle(ResourceStringPart(AFX_IDS_SELECT_WINDOW, 0));
  auto* list = new QListWidget;
  QList<QPointer<QMdiSubWindow>> listed;
  for (QMdiSubWindow* window : windows) {
    if (window->isHidden()) continue;
    list->addItem(window->windowTitle());
    listed << window;
  }
  list->setCurrentRow(std::max<qsizetype>(listed.indexOf(current), 0));
  auto* label = new QLabel(ResourceStringPart(AFX_IDS_SELECT_WINDOW, 1));
  label->setBuddy(list);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  QObject::connect(list, &QListWidget::itemActivated, &dialog, &QDialog::accept);
  auto* layout = new QVBoxLayout(&dialog);
  layout->addWidget(label);
  layout->addWidget(list);
  layout->addWidget(buttons);
  list->setFocus();
  if (dialog.exec() != QDialog::Accepted || list->currentRow() < 0) return nullptr;
  // Null when the window closed while the dialog was open.
  return listed[list->currentRow()];
}

}  // namespace

void AppendWindowList(QMenu& menu, CMDIFrameWnd& frame) {
  QList<QMdiSubWindow*> windows;
  for (QMdiSubWindow* window : frame.MdiArea()->subWindowList()) {
    if (!window->isHidden()) windows << window;
  }
  if (windows.isEmpty()) return;
  menu.addSeparator();
  QMdiSubWindow* active = frame.MDIGetActive();
  // A window may close between the menu's showing and the choice.
  auto activate = [&frame](const QPointer<QMdiSubWindow>& window) {
    if (window != nullptr) frame.MDIActivate(dynamic_cast<CMDIChildWnd*>(window.data()));
  };
  for (int index = 0; index < windows.size() && index < kListedWindows; ++index) {
    const QPointer<QMdiSubWindow> window = windows[index];
    QAction* action = menu.addAction(NumberedMenuText(index + 1, window->windowTitle()));
    action->setCheckable(true);
    action->setChecked(window == active);
    action->setStatusTip(LoadQString(AFX_IDS_MDICHILD));
    QObject::connect(action, &QAction::triggered, &frame, [activate, window] { activate(window); });
  }
  if (windows.size() <= kListedWindows) return;
  QAction* more = menu.addAction(ResourceStringPart(AFX_IDS_MORE_WINDOWS, 0));
  more->setStatusTip(ResourceStringPart(AFX_IDS_MORE_WINDOWS, 1));
  QObject::connect(more, &QAction::triggered, &frame, [&frame, activate] {
    activate(ChooseWindow(&frame, frame.MdiArea()->subWindowList(), frame.MDIGetActive()));
  });
}
