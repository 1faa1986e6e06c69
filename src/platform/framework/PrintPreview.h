#pragma once

#include <functional>

class CPrintInfo;
class CView;
class QPrinter;

// Shows the print preview of `view` on `info.printer`: Qt's preview window with the tool bar's
// close button added ("取消预览"). Each page is drawn by the view's pass at the scale the
// preview shows it at (PreviewScaleFor), and drawn again when the user zooms the preview.
void RunPrintPreview(CView& view, CPrintInfo& info);

// The scale, in preview pixels per printer dot, at which a preview on `printer` draws a page
// shown at `shown`: `shown`, but at most 1 and so low that the printer's whole paper holds at
// most 16 Mi pixels, which bounds what the preview keeps. A `shown` that is not a positive
// number gives that bound.
double PreviewScaleFor(const QPrinter& printer, double shown);

// Replaces the preview window: the function gets the printer and paints the preview pages
// through the given callback. nullptr restores the real window.
void SetPrintPreviewForTesting(
    std::function<void(QPrinter&, const std::function<void(QPrinter*)>&)> preview);
