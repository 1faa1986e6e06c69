#pragma once

#include "platform/framework/CommandIds.h"

// Whether the window system reports the lock of indicator `indicatorId` (ID_INDICATOR_CAPS,
// _NUM, _SCRL) as on. False on window systems that do not report it.
bool WindowSystemLockKeyOn(UINT indicatorId);
