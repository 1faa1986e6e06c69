#pragma once

#include <optional>
#include <string>

#include "pagefile/PageModel.h"
#include "platform/canvas/Canvas.h"

// Pictures of a page's line images without their labels, for files made from a page.

// ANDs every line image of `body` onto `canvas` at `zoom`, in table order, through the drawing
// pass's line step (so a shrinking zoom ANDs the pixels each device pixel merges). Labels are
// not drawn. Returns false when a line bitmap cannot be had; the lines before it are drawn.
[[nodiscard]] bool DrawLineImages(const PageBody& body, float zoom, Canvas& canvas);

// An 8-bit grey PNG of `canvas`, whose pixels must be grey (red = green = blue); nothing when
// it cannot be encoded.
std::optional<std::string> EncodeGreyCanvasPng(const Canvas& canvas);
