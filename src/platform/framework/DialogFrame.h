#pragma once

class QWidget;

// Gives `dialog` a modal dialog frame: caption, system menu and close button, no minimise,
// maximise or help buttons. Call before the dialog is first shown.
void UseModalDialogFrame(QWidget* dialog);
