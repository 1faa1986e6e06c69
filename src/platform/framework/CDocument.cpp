#include "platform/framework/CDocument.h"

#include "platform/system/CStringQt.h"

CDocument::CDocument(QObject* parent) : QObject(parent) {}

void CDocument::SetTitle(const CString& title) {
  title_ = title;
  emit TitleChanged(ToQString(title_));
}
