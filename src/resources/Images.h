#pragma once

#include <QIcon>
#include <QImage>

#include "platform/framework/CommandIds.h"

// The program's pictures, drawn in code: the toolbar strip and the icons.

// The toolbar strip of resource `id`: one buttonWidth x buttonHeight image per button, side by
// side, on a transparent ground. Null for an unknown id.
QImage LoadToolBarBitmap(UINT id);

// The icon group `id` (IDR_MAINFRAME for the program, IDR_PAGETYPE for page windows) at the
// usual sizes. Null for an unknown id.
QIcon LoadIconResource(UINT id);
