#pragma once

#include <QMdiSubWindow>
#include <QPointer>

#include "platform/framework/CCmdTarget.h"
#include "platform/framework/CView.h"

class CDocument;
class CMultiDocTemplate;

// Window-creation parameters a frame may adjust before it is created.
struct CREATESTRUCT {
  unsigned style = 0;
};

// A document window inside the main frame: one view on one document. Commands go to its view,
// then the document, then the window itself.
class CMDIChildWnd : public QMdiSubWindow, public CCmdTarget {
  Q_OBJECT

 public:
  CMDIChildWnd();
  ~CMDIChildWnd() override;

  // Called before the window is made; false cancels it. The base changes nothing.
  virtual bool PreCreateWindow(CREATESTRUCT& cs);

  CView* GetActiveView() const { return view_; }
  CDocument* GetActiveDocument() const;
  CMultiDocTemplate* GetTemplate() const { return template_; }

  bool OnCmdMsg(UINT id, Code code, CCmdUI* ui) override;

 protected:
  void closeEvent(QCloseEvent* event) override;

  DECLARE_MESSAGE_MAP()

 private:
  friend class CMultiDocTemplate;
  // Puts `view` on `document` into this window for `docTemplate`.
  void Attach(CMultiDocTemplate* docTemplate, CView* view);
  void Detach();

  CMultiDocTemplate* template_ = nullptr;
  QPointer<CView> view_;
};
