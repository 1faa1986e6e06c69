#include "pageview/CPLIMDispView.h"

#include <utility>

#include "platform/system/CFileDialog.h"
#include "platform/system/CStringQt.h"
#include "platform/system/MessageBox.h"
#include "platform/system/PageFileLoad.h"

namespace {

constexpr wchar_t kFilterDescription[] = L"Multi-line page image files (*.plim)";
constexpr wchar_t kFilterPattern[] = L"*.plim";

// The refusal message: the fixed first line, a blank line, then why.
void ReportOpenFailure(const std::string& reason) {
  AfxMessageBox(FromUtf8(std::string(kCannotOpenMessage) + "\n\n" + reason));
}

}  // namespace

BEGIN_MESSAGE_MAP(CPLIMDispView, CScrollView)
ON_COMMAND(ID_FILE_PRINT, &CView::OnFilePrint)
ON_COMMAND(ID_FILE_PRINT_DIRECT, &CView::OnFilePrintDirect)
ON_COMMAND(ID_FILE_PRINT_PREVIEW, &CView::OnFilePrintPreview)
ON_COMMAND(ID_FILE_OPEN, &CPLIMDispView::OnFileOpen)
ON_WM_KEYDOWN()
ON_WM_CHAR()
END_MESSAGE_MAP()

CPLIMDispView::CPLIMDispView(CDocument* document, QWidget* parent)
    : CScrollView(document, parent) {}

CPLIMDispView::~CPLIMDispView() { ReleaseFile(); }

void CPLIMDispView::OnFileOpen() {
  CFileDialog dialog(true, {}, {}, OFN_HIDEREADONLY);
  dialog.GetOFN().filters = {FileFilter{kFilterDescription, kFilterPattern}};
  if (dialog.DoModal() != IDOK) return;
  LoadPageFile(dialog.GetPathName());
}

bool CPLIMDispView::LoadPageFile(const std::string& path) {
  ReleaseFile();
  // Read into fresh objects so that a refused file leaves the page on show untouched.
  PageHeader header;
  PageBody body;
  PageLoadFailure failure;
  if (!::LoadPageFile(file_, path, CFile::modeReadWrite, header, body, failure)) {
    ReportOpenFailure(DescribePageLoadFailure(failure));
    return false;
  }
  AdoptPage(std::move(header), std::move(body));
  fileOpen_ = true;
  shownFile_ = path;

  fileTitle_ = FileTitleFromPath(path);
  // The framework's open path finds this window by GetShownFile(), whatever the document's path.
  if (CDocument* document = GetDocument()) document->SetTitle(fileTitle_);
  CRect client;
  GetClientRect(&client);
  InvalidateRect(&client, true);
  return true;
}

void CPLIMDispView::AdoptPage(PageHeader header, PageBody body) {
  header_ = std::move(header);
  page_ = std::move(body);
}

void CPLIMDispView::ReleaseFile() {
  if (!fileOpen_) return;
  file_.Close();
  header_.headerNote.reset();
  fileOpen_ = false;
}
