#include "platform/framework/CView.h"

#include <QRect>

#include "platform/framework/CPrintInfo.h"
#include "platform/framework/ViewPrinting.h"

CView::CView(CDocument* document, QWidget* parent)
    : QAbstractScrollArea(parent), document_(document) {}

void CView::GetClientRect(CRect* rect) const {
  const QWidget* client = viewport();
  *rect = CRect{0, 0, client->width(), client->height()};
}

void CView::InvalidateRect(const CRect* rect, bool /*erase*/) {
  if (rect == nullptr) {
    viewport()->update();
    return;
  }
  if (!rect->IsRectEmpty()) {
    viewport()->update(QRect(rect->left, rect->top, rect->Width(), rect->Height()));
  }
}

void CView::OnDraw(CDC* /*dc*/) {}

void CView::OnInitialUpdate() {}

void CView::OnFilePrint() { RunPrintCommand(*this, PrintCommand::kDialog); }

void CView::OnFilePrintDirect() { RunPrintCommand(*this, PrintCommand::kDirect); }

void CView::OnFilePrintPreview() { RunPrintCommand(*this, PrintCommand::kPreview); }

bool CView::OnPreparePrinting(CPrintInfo* info) { return DoPreparePrinting(info); }

void CView::OnBeginPrinting(CDC* /*dc*/, CPrintInfo* /*info*/) {}

void CView::OnEndPrinting(CDC* /*dc*/, CPrintInfo* /*info*/) {}

void CView::OnPrint(CDC* dc, CPrintInfo* /*info*/) { OnDraw(dc); }

std::string CView::GetShownFile() const {
  return document_ != nullptr ? document_->GetPathName() : std::string();
}
