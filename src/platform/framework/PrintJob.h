#pragma once

#include <QRect>
#include <QString>

#include "platform/system/BandDrawing.h"

class CPrintInfo;
class CView;
class QPainter;
class QPrinter;

// Draws `info`'s current page of `view` onto `painter` over `page` (device pixels, origin at
// the printable area's top-left corner), one page pixel per device pixel at zoom 1, in bands
// of at most `bandPixels` (DrawInBands), each through the view's OnPrint, so memory does not
// grow with the printer's resolution. Each band is handed over as an image of its drawn (not
// white) part only, without loss where the device encodes images (PDF). False when a band
// canvas cannot be had or the view's pass marks a band incomplete; the bands drawn before it
// stay.
bool PrintPageInBands(CView& view, CPrintInfo& info, QPainter& painter, const QRect& page,
                      long long bandPixels = kDefaultBandPixels);

// Why a print job did not print.
enum class PrintFailure {
  kNone,
  kTargetIsPage,   // the output file is the page on show or a file a page window holds
  kTargetNotFile,  // the output's name is a symbolic link or something other than a file
  kNoSpace,        // the disk, the quota or the file size limit is full
  kCannotWrite,    // the output file cannot be made, written or put in place
  kNoMemory,       // a band canvas or a line's bitmap could not be had
  kPrinterError,   // the printer cannot be drawn on or reported an error
};

struct PrintResult {
  PrintFailure failure = PrintFailure::kNone;
  int systemError = 0;  // errno behind kCannotWrite, when known
  bool printed() const { return failure == PrintFailure::kNone; }
};

// The one print job behind Print, direct Print and the preview's Print: `view`'s page on
// `printer` at the printer's resolution, in bands. PDF output to a file goes through
// PdfPrintFile (refusing the page on show, `info.m_strShownFile`), so a failed job leaves every
// file as it was. Nothing is printed unless the result says so.
PrintResult PrintJob(CView& view, CPrintInfo& info, QPrinter& printer);

// The message box text for a job that failed, in the interface's language; `target` is the
// output file, if any.
QString PrintFailureMessage(const PrintResult& result, const QString& target);
