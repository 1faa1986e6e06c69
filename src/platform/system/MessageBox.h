#pragma once

#include "platform/system/CString.h"
#include "platform/system/PlatformUi.h"

// The application's title for captions: the display name the application set, or "PLIMDisp".
CString ApplicationTitle();

// Shows `text` in a modal box with the application's title as caption, a warning icon and an
// OK button, and returns IDOK once the user closes it.
int AfxMessageBox(const CString& text);
