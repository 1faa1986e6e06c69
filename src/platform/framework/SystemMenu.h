#pragma once

class QMdiSubWindow;

// Fits the system menu of document window `window` to the framework's prompts: restore, move,
// size, minimise, maximise, then close (Ctrl+F4) and next window (Ctrl+F6), each with its
// status-bar prompt (strings 0xEF00-0xEF1F), shown in the frame's status bar while the item is
// under the pointer and cleared when the menu closes. Items without a prompt (Qt's stay-on-top)
// are left out. Call once, when the window is made.
void SetUpSystemMenu(QMdiSubWindow& window);
