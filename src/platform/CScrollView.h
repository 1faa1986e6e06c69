#pragma once

#include "platform/CView.h"

// A view whose client area scrolls over a larger drawing.
class CScrollView : public CView {
  Q_OBJECT

 public:
  explicit CScrollView(CDocument* document = nullptr, QWidget* parent = nullptr);
};
