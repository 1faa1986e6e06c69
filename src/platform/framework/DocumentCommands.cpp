// The document's part in command routing and the framework's new and open paths.
#include "platform/framework/CDocTemplate.h"
#include "platform/framework/CDocument.h"

BEGIN_MESSAGE_MAP(CDocument, CCmdTarget)
ON_COMMAND(ID_FILE_CLOSE, &CDocument::OnFileClose)
// Save and Save As have no handler: a document holds nothing to store, so they show disabled
// and never write a file.
END_MESSAGE_MAP()

bool CDocument::OnNewDocument() { return true; }

bool CDocument::OnOpenDocument(const std::string& /*path*/) { return true; }

void CDocument::OnFileClose() { AfxCloseDocumentWindows(this); }
