#include "platform/CScrollView.h"

CScrollView::CScrollView(CDocument* document, QWidget* parent) : CView(document, parent) {}
