#include "platform/framework/CDocument.h"

#include "platform/framework/CDocTemplate.h"
#include "platform/system/CStringQt.h"

BEGIN_MESSAGE_MAP(CDocument, CCmdTarget)
ON_COMMAND(ID_FILE_CLOSE, &CDocument::OnFileClose)
// Save and Save As have no handler: a document holds nothing to store, so they show disabled
// and never write a file.
END_MESSAGE_MAP()

CDocument::CDocument(QObject* parent) : QObject(parent) {}

void CDocument::SetTitle(const CString& title) {
  title_ = title;
  emit TitleChanged(ToQString(title_));
}

bool CDocument::OnNewDocument() { return true; }

bool CDocument::OnOpenDocument(const std::string& /*path*/) { return true; }

void CDocument::OnFileClose() { AfxCloseDocumentWindows(this); }
