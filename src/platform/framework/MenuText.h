#pragma once

#include <QString>

// Names longer than this many characters are elided in menus.
inline constexpr int kMenuNameLength = 60;

// The text of a numbered menu entry: "&<number> " and `name` (a path or a window title), with
// '&' doubled so it shows as itself, control characters (a tab would start the shortcut column)
// shown as U+FFFD, and a name longer than kMenuNameLength characters cut in the middle to that
// length, its end (the file name) kept. Costs O(kMenuNameLength) beyond reading `name`.
QString NumberedMenuText(int number, const QString& name);
