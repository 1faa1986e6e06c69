#pragma once

#include <QAbstractScrollArea>
#include <QPointer>

#include "platform/CDocument.h"
#include "platform/CRect.h"

class CDC;

// A view: the widget that shows one document. Its client area is the scroll area's viewport.
class CView : public QAbstractScrollArea {
  Q_OBJECT

 public:
  explicit CView(CDocument* document = nullptr, QWidget* parent = nullptr);

  // The document shown; nullptr when there is none or it has been destroyed.
  CDocument* GetDocument() const { return document_.data(); }

  // The client area in window pixels, origin at its top-left corner.
  void GetClientRect(CRect* rect) const;
  // Schedules a repaint of `rect` of the client area (all of it when nullptr). Every repaint
  // starts from a white background, so the area is always erased.
  void InvalidateRect(const CRect* rect, bool erase = true);

  // Draws the document; the base draws nothing.
  virtual void OnDraw(CDC* dc);
  // Called once the view is attached to its document, before it is first shown.
  virtual void OnInitialUpdate();

 private:
  QPointer<CDocument> document_;
};
