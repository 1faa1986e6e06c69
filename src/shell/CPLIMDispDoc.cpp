#include "shell/CPLIMDispDoc.h"

#include "pageview/CPLIMDispView.h"
#include "platform/framework/CDocTemplate.h"

BEGIN_MESSAGE_MAP(CPLIMDispDoc, CDocument)
END_MESSAGE_MAP()

bool CPLIMDispDoc::OnNewDocument() { return CDocument::OnNewDocument(); }

bool CPLIMDispDoc::OnOpenDocument(const std::string& path) {
  for (CView* view : AfxViewsOf(this)) {
    if (auto* page = dynamic_cast<CPLIMDispView*>(view)) return page->LoadPageFile(path);
  }
  return false;
}
