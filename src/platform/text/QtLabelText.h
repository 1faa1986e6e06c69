#pragma once

#include <QFont>

#include "platform/system/LabelText.h"

// The label text engine on Qt Gui: faces through Qt's font database (fontconfig), glyphs
// painted onto the canvas wrapped as a QImage. Text is made and drawn only while a
// QGuiApplication exists.

LabelTextEngine& QtLabelText();

// Makes QtLabelText() the engine of CFont and CDC (programs that link this library).
inline void InstallQtLabelText() { InstallLabelText(&QtLabelText()); }

// For programs without windows: makes the GUI application that text needs when there is none,
// on the offscreen platform whatever the environment names, without making a runtime folder.
void MakeLabelTextApplication();

// The Qt font behind a font of this engine (its made fonts and its default font).
QFont QtFontOf(const LabelFont& font);
