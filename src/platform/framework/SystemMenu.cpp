#include "platform/framework/SystemMenu.h"

#include <QAction>
#include <QCoreApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QStatusTipEvent>
#include <array>

#include "platform/framework/ResourceStrings.h"

namespace {

constexpr UINT kNoPrompt = 0;
// The prompts of the items Qt makes, in Qt's order: restore, move, size, minimise, maximise,
// stay on top, close.
constexpr std::array<UINT, 7> kQtItemPrompts = {0xEF12, 0xEF01,    0xEF00, 0xEF02,
                                                0xEF03, kNoPrompt, 0xEF06};

void ShowPrompt(QWidget& window, const QString& prompt) {
  QStatusTipEvent tip(prompt);
  QCoreApplication::sendEvent(&window, &tip);
}

}  // namespace

void SetUpSystemMenu(QMdiSubWindow& window) {
  QMenu* menu = window.systemMenu();
  if (menu == nullptr) return;
  std::size_t item = 0;
  for (QAction* action : menu->actions()) {
    if (action->isSeparator()) continue;
    if (item >= kQtItemPrompts.size()) break;
    if (const UINT id = kQtItemPrompts[item++]; id != kNoPrompt) {
      action->setStatusTip(LoadQString(id));
    } else {
      menu->removeAction(action);
    }
  }
  // The frame's Ctrl+F4 closes the window; the menu names it in place of the platform's close
  // key, which Qt gives the item and which would make Ctrl+F4 ambiguous.
  if (QAction* close = menu->actions().constLast(); !close->isSeparator()) {
    close->setShortcuts({});
    close->setText(close->text() + QStringLiteral("\tCtrl+F4"));
  }
  menu->addSeparator();
  QAction* next = menu->addAction(LoadQString(AFX_IDS_NEXT_WINDOW));
  next->setStatusTip(LoadQString(AFX_IDS_SCNEXTWINDOW));
  QObject::connect(next, &QAction::triggered, &window, [&window] {
    if (QMdiArea* area = window.mdiArea()) area->activateNextSubWindow();
  });
  // The menu pops up on its own, so its prompts would stop at it; they go to the window, whose
  // frame shows them in the status bar, and leave with the menu.
  QObject::connect(menu, &QMenu::hovered, &window,
                   [&window](QAction* action) { ShowPrompt(window, action->statusTip()); });
  QObject::connect(menu, &QMenu::aboutToHide, &window, [&window] { ShowPrompt(window, {}); });
}
