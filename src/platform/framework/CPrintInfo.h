#pragma once

#include <string>

#include "platform/canvas/CRect.h"
#include "platform/system/CString.h"

class QPrinter;

// One print or preview job as the view's printing hooks see it. A job prints one page.
class CPrintInfo {
 public:
  bool m_bDirect = false;   // print on the chosen printer without the print dialog
  bool m_bPreview = false;  // show the page in print preview
  CRect m_rectDraw;         // the printable area of the current page, in printer dots

  // The document's title, which names the job (and its PDF file), and the file of the page on
  // show (empty when none), beside which a PDF goes unless the user chooses another file. The
  // job never writes over that file.
  CString m_strDocTitle;
  std::string m_strShownFile;

  // The printer the job draws on; set by DoPreparePrinting.
  QPrinter* printer = nullptr;
};

// Readies `info` for its job: names the job after the document and, for PDF output, proposes
// `<title>.pdf` beside the page on show; then shows the print dialog for Print, takes the
// chosen printer for direct Print, and takes it for Preview. False when the user cancels or
// no printer is available, which ends the job.
bool DoPreparePrinting(CPrintInfo* info);
