#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <utility>

#include "pagefile/PageModel.h"
#include "pagefile/PageReader.h"
#include "platform/framework/CScrollView.h"
#include "platform/system/CFile.h"
#include "platform/system/CString.h"
#include "platform/system/CodePage.h"

// The page view: owns one page model, the page file it was loaded from, and the display scale.
//
// States: Empty (no file, no lines), Loaded (file held exclusively, its lines in the table),
// Page without file (an open failed after a load: the last page stays, no file is held).
// Invariants: fileOpen() is true exactly while the file is held and the header owns its note;
// lines()[0, max(lineCount(), 0)) are the page's lines and lineCount() <= kMaxLines.
class CPLIMDispView : public CScrollView {
  Q_OBJECT

 public:
  explicit CPLIMDispView(CDocument* document = nullptr, QWidget* parent = nullptr);
  ~CPLIMDispView() override;

  // The Open command: asks for a page file and loads it into this view. A file that cannot be
  // opened or read is reported in a message box and the page on show stays.
  void OnFileOpen();
  // Loads the page file at `path` as a confirmed Open does: the held file is closed first; a
  // file that cannot be opened or read is reported and the page on show stays (false).
  bool LoadPageFile(const std::string& path);

  // Replaces the page model with a page read elsewhere; the previous lines are released.
  // The held file, the title and zoom are left alone.
  void AdoptPage(PageHeader header, PageBody body);

  // The drawing pass (DrawPagePass) of the page at `zoom` onto the context, then the scroll
  // extent set to the one the pass returns. A line whose bitmap cannot be had ends the pass
  // there, and the scroll extent then stays as it was. Without a document nothing is drawn.
  void OnDraw(CDC* dc) override;
  // The drawing pass of OnDraw; false when it ended early for want of memory.
  bool DrawPage(CDC* dc);
  // Sets the first scroll extent, kInitialExtent.
  void OnInitialUpdate() override;
  bool OnPreparePrinting(CPrintInfo* info) override;
  void OnBeginPrinting(CDC* dc, CPrintInfo* info) override;
  void OnEndPrinting(CDC* dc, CPrintInfo* info) override;
  // The file the page on show was loaded from, held or not (empty before the first load).
  std::string GetShownFile() const override { return shownFile_; }
  // The zoom keys: with lines loaded, each '+' multiplies zoom by 1.5 and each '-' by 0.7
  // (ZoomStep) and repaints; one call is one step, whatever the repeat count.
  void OnChar(UINT nChar, UINT nRepCnt, UINT nFlags);
  void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);

  // The code page labels are decoded from when drawn; kDefaultCodePage unless set.
  void SetLabelCodePage(std::string codePage) { labelCodePage_ = std::move(codePage); }

  bool fileOpen() const { return fileOpen_; }
  const CString& fileTitle() const { return fileTitle_; }
  float zoom() const { return zoom_; }
  const PageHeader& header() const { return header_; }
  std::int32_t pageWidth() const { return page_.pageWidth; }
  std::int32_t pageHeight() const { return page_.pageHeight; }
  // As read: 0 or less means no lines.
  std::int32_t lineCount() const { return page_.lineCount; }
  const std::array<PageLine, kMaxLines>& lines() const { return page_.lines; }
  const PageBody& page() const { return page_; }
  const std::string& labelCodePage() const { return labelCodePage_; }

 protected:
  DECLARE_MESSAGE_MAP()

 private:
  // Closes the held file and releases the header note; the lines stay.
  void ReleaseFile();

  CFile file_;
  bool fileOpen_ = false;
  CString fileTitle_;
  std::string shownFile_;
  float zoom_ = 1.0f;
  std::string labelCodePage_{kDefaultCodePage};
  PageHeader header_;
  PageBody page_;  // page extents, lineCount and the line table
};
