#pragma once

#include <QAbstractScrollArea>
#include <QPointer>
#include <string>

#include "platform/canvas/CRect.h"
#include "platform/framework/CCmdTarget.h"
#include "platform/framework/CDocument.h"

class CDC;
class CPrintInfo;
class QKeyEvent;

// A view: the widget that shows one document. Its client area is the scroll area's viewport.
// Commands reach it first; key presses reach its table as WM_KEYDOWN, then, for plain and
// shifted keys, one WM_CHAR per character they produce.
class CView : public QAbstractScrollArea, public CCmdTarget {
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

  // Printing: Print (with the print dialog), direct Print (on the chosen printer) and Print
  // Preview run OnPreparePrinting, OnBeginPrinting, OnPrint per page, then OnEndPrinting.
  void OnFilePrint();
  void OnFilePrintDirect();
  void OnFilePrintPreview();
  // Returns DoPreparePrinting(info) in the base; false cancels the job.
  virtual bool OnPreparePrinting(CPrintInfo* info);
  virtual void OnBeginPrinting(CDC* dc, CPrintInfo* info);
  virtual void OnEndPrinting(CDC* dc, CPrintInfo* info);
  // Draws one page (or one band of it) on a printer context; the base calls OnDraw.
  virtual void OnPrint(CDC* dc, CPrintInfo* info);
  // The file whose contents the view shows, empty when none: a print job names its output
  // after it and never writes over it, and the framework's open path brings this view's window
  // to the front rather than open the file again. The base gives the document's path.
  virtual std::string GetShownFile() const;

  // Gives the key message being handled its default processing.
  void Default();

 protected:
  void keyPressEvent(QKeyEvent* event) override;

  DECLARE_MESSAGE_MAP()

 private:
  QPointer<CDocument> document_;
  QKeyEvent* currentKey_ = nullptr;  // the key press being dispatched, for Default()
  bool keyDefaulted_ = false;
};
