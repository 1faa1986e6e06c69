#pragma once

#include <QRect>
#include <functional>

class CPrintInfo;
class CView;
class QPainter;
class QPrinter;

// Printing in bands: a page is drawn strip by strip on canvases of at most kBandPixels
// pixels, each strip through the view's OnPrint in printer dots, so memory does not grow with
// the printer's resolution.
inline constexpr long long kBandPixels = 4LL << 20;

// Draws `info`'s current page of `view` onto `painter` over `page` (device pixels, origin at
// the printable area's top-left corner). `previewScale` below 1 shrinks each band before it is
// handed over, for a preview that keeps every band. `bandPixels` bounds each band's canvas.
// False when a band canvas cannot be made.
bool PrintPageInBands(CView& view, CPrintInfo& info, QPainter& painter, const QRect& page,
                      double previewScale = 1.0, long long bandPixels = kBandPixels);

// Runs a whole job of `view` on `printer`: its one page, in bands.
bool PrintJob(CView& view, CPrintInfo& info, QPrinter& printer);

// Replaces the print dialog: the function gets the printer and returns whether to print.
// nullptr restores the real dialog. The preview window is replaced the same way: its function
// gets the printer and paints the preview pages through the given callback.
void SetPrintDialogForTesting(std::function<bool(QPrinter&)> dialog);
void SetPrintPreviewForTesting(
    std::function<void(QPrinter&, const std::function<void(QPrinter*)>&)> preview);
