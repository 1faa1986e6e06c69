#pragma once

// The interface speaks the language of the program's resources (ResourceLanguage()) whatever
// the user's locale. Qt's own texts (dialog titles and buttons, the page window's system menu,
// the scroll bar's context menu, the preview's tool tips) come from Qt's translations into that
// language, read from Qt's translations folder. Installs them into the running application and
// makes the language's locale the default one, which dates and sizes in the file dialog follow
// too. False when the translations are not installed: Qt's texts then stay English. Needs a
// QCoreApplication; call it before the first window is made.
bool InstallResourceLanguage();
