#pragma once

class QMenu;
class QWidget;

// The interface speaks simplified Chinese whatever the user's locale. Qt's own texts (dialog
// titles and buttons, the page window's system menu, the scroll bar's context menu, the
// preview's tool tips) come from Qt's simplified-Chinese translations, read from Qt's
// translations folder. Installs them into the running application and makes Chinese (China)
// the default locale. False when the translations are not installed: Qt's texts then stay
// English. Needs a QCoreApplication; call it before the first window is made.
bool InstallChineseQtTexts();

// Gives the items of the system menu of page window `window` their status-bar prompts (strings
// 0xEF00-0xEF1F), shown in the frame's status bar while an item is under the pointer. Items are
// known by their place in Qt's menu: restore, move, size, minimise, maximise, stay-on-top (no
// prompt), close; separators do not count.
void SetSystemMenuPrompts(QMenu& systemMenu, QWidget& window);
