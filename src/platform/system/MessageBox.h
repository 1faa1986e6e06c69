#pragma once

#include "platform/system/CString.h"
#include "platform/system/PlatformUi.h"

// The application's title for captions: the application name, empty before there is an
// application. (A display name is never set: the window system would append it to every
// caption.)
CString ApplicationTitle();

// Shows `text` through the active dialog seam (ActivePlatformUi): a modal box with the
// application's title as caption, a warning icon and an OK button. Returns IDOK once the user
// closes it.
int AfxMessageBox(const CString& text);
