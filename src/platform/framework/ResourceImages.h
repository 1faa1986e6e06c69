#pragma once

#include <QIcon>
#include <QImage>

#include "platform/framework/CommandIds.h"

// The program's pictures, which the framework looks up by id and the program's resources
// define (drawn in code).

// The toolbar strip of resource `id`: one buttonWidth x buttonHeight image per button, side by
// side, on a transparent ground. Null for an unknown id.
QImage LoadToolBarBitmap(UINT id);

// The icon group `id` (IDR_MAINFRAME for the program, IDR_PAGETYPE for page windows) at the
// usual sizes. Null for an unknown id.
QIcon LoadIconResource(UINT id);
