#include "platform/framework/CView.h"

#include <QRect>

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
