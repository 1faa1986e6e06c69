#pragma once

#include <span>

#include "pagefile/PageModel.h"
#include "platform/system/CDC.h"

// Passes to measure the page view's drawing pass against. Each draws `lines` at `zoom` onto the
// context's canvas, origin and clip, labels included.

// The pass read literally, sharing none of the view's row kernels: every line's whole 24-bit
// bitmap rebuilt with a plain per-pixel loop and transferred by a plain per-pixel stretched
// transfer (each destination pixel inside the clip ANDs the source pixels of its span onto the
// page, upward and so mirrored), every label written, nothing culled.
void LiteralPass(CDC& dc, std::span<const PageLine> lines, float zoom);

// The obvious Qt way: each line whose destination meets the clip wrapped as a grey QImage,
// converted to RGB32 and drawn by QPainter with a bitwise AND raster operation, scaled with
// fast transformation and clipped; labels drawn by the same painter on an opaque white cell.
void QtPainterPass(CDC& dc, std::span<const PageLine> lines, float zoom);
