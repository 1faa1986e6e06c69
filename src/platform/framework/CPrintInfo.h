#pragma once

#include "platform/canvas/CRect.h"

class QPrinter;

// One print or preview job as the view's printing hooks see it. The framework prints the pages
// from GetMinPage() to GetMaxPage(); the defaults give one page.
class CPrintInfo {
 public:
  void SetMinPage(unsigned page) { minPage_ = page; }
  void SetMaxPage(unsigned page) { maxPage_ = page; }
  unsigned GetMinPage() const { return minPage_; }
  unsigned GetMaxPage() const { return maxPage_; }

  bool m_bDirect = false;   // print on the chosen printer without the print dialog
  bool m_bPreview = false;  // draw for the preview window
  bool m_bContinuePrinting = true;
  unsigned m_nCurPage = 1;
  CRect m_rectDraw;  // the printable area of the current page, in printer dots

  // The printer the job draws on; set by DoPreparePrinting.
  QPrinter* printer = nullptr;

 private:
  unsigned minPage_ = 1;
  unsigned maxPage_ = 1;
};

// Readies `info` for its job: shows the print dialog for Print, takes the chosen printer for
// direct Print, and sets up the preview printer for Preview. False when the user cancels or no
// printer is available, which ends the job.
bool DoPreparePrinting(CPrintInfo* info);
