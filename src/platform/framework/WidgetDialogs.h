#pragma once

#include <QString>

#include "platform/system/PlatformUi.h"

// The dialog seam on Qt widgets: a real file dialog and a real message box. The application
// makes it the fallback seam (SetFallbackPlatformUi) when it starts.
PlatformUi& WidgetDialogs();

// The Qt name filter for one type-list entry: "Description (*.a *.b)". A description that
// already ends with its patterns in parentheses is kept as it stands.
QString QtNameFilter(const FileFilter& filter);
