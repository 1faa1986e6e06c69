#include "platform/framework/InterfaceLanguage.h"

#include <QAction>
#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QMenu>
#include <QTranslator>
#include <array>

#include "platform/framework/CMDIFrameWnd.h"

namespace {

constexpr UINT kNoPrompt = 0;
// The prompts of the system menu's items in Qt's order.
constexpr std::array<UINT, 7> kSystemMenuPrompts = {0xEF12, 0xEF01,    0xEF00, 0xEF02,
                                                    0xEF03, kNoPrompt, 0xEF06};

}  // namespace

bool InstallChineseQtTexts() {
  QCoreApplication* application = QCoreApplication::instance();
  if (application == nullptr) return false;
  const QLocale chinese(QLocale::Chinese, QLocale::China);
  QLocale::setDefault(chinese);
  // Owned by the application, so the texts last as long as it does.
  auto* translator = new QTranslator(application);
  if (!translator->load(chinese, QStringLiteral("qtbase"), QStringLiteral("_"),
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    delete translator;
    return false;
  }
  return QCoreApplication::installTranslator(translator);
}

void SetSystemMenuPrompts(QMenu& systemMenu, QWidget& window) {
  // The menu pops up on its own, so its prompts would stop at it; they go to the window, whose
  // frame shows them in the status bar.
  QObject::connect(&systemMenu, &QMenu::hovered, &window,
                   [&window](QAction* action) { action->showStatusText(&window); });
  std::size_t item = 0;
  for (QAction* action : systemMenu.actions()) {
    if (action->isSeparator()) continue;
    if (item >= kSystemMenuPrompts.size()) break;
    if (const UINT id = kSystemMenuPrompts[item++]; id != kNoPrompt) {
      action->setStatusTip(LoadQString(id));
    }
  }
}
