#pragma once

#include <QRect>

class CPrintInfo;
class CView;
class QPainter;
class QPrinter;

// Printing in bands: a page is drawn strip by strip on canvases of at most kBandPixels
// pixels, each strip through the view's OnPrint in printer dots, so memory does not grow with
// the printer's resolution.
inline constexpr long long kBandPixels = 4LL << 20;

// Draws `info`'s current page of `view` onto `painter` over `page` (device pixels, origin at
// the printable area's top-left corner). `previewScale` below 1 draws the page that much
// smaller, for a preview: each band covers preview pixels, the view's pass draws at its zoom
// times the scale (line images shrink by the transfer's AND, so dark strokes stay dark), and
// the band is handed over stretched back onto its printer dots. `bandPixels` bounds each band's
// canvas. False when a band canvas cannot be made or the view's pass marks a band incomplete;
// the bands drawn before it stay.
bool PrintPageInBands(CView& view, CPrintInfo& info, QPainter& painter, const QRect& page,
                      double previewScale = 1.0, long long bandPixels = kBandPixels);

// Runs a whole job of `view` on `printer`: its one page, in bands, a preview's at
// `info.m_previewScale`. False when the printer cannot be drawn on or the page fails.
bool PrintJob(CView& view, CPrintInfo& info, QPrinter& printer);
