#pragma once

#include "platform/canvas/CRect.h"

class QPrinter;

// One print or preview job as the view's printing hooks see it. A job prints one page.
class CPrintInfo {
 public:
  bool m_bDirect = false;   // print on the chosen printer without the print dialog
  bool m_bPreview = false;  // draw for the preview window
  CRect m_rectDraw;  // the printable area of the current page, in printer dots
  // Preview pixels per printer dot, in (0, 1]: a preview page is drawn at this scale.
  double m_previewScale = 1.0;

  // The printer the job draws on; set by DoPreparePrinting.
  QPrinter* printer = nullptr;
};

// Readies `info` for its job: shows the print dialog for Print, takes the chosen printer for
// direct Print, and sets up the preview printer for Preview. False when the user cancels or no
// printer is available, which ends the job.
bool DoPreparePrinting(CPrintInfo* info);
