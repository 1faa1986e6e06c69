#pragma once

#include <QString>

#include "platform/system/PlatformUi.h"

// The Qt name filter for one type-list entry: "Description (*.a *.b)". A description that
// already ends with its patterns in parentheses is kept as it stands.
QString QtNameFilter(const FileFilter& filter);
