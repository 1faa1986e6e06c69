#include "platform/framework/CMDIChildWnd.h"

#include <QCloseEvent>

#include "platform/framework/CDocTemplate.h"
#include "platform/framework/CDocument.h"
#include "platform/framework/CView.h"
#include "platform/framework/SystemMenu.h"

BEGIN_MESSAGE_MAP(CMDIChildWnd, CCmdTarget)
END_MESSAGE_MAP()

CMDIChildWnd::CMDIChildWnd() {
  setAttribute(Qt::WA_DeleteOnClose);
  SetUpSystemMenu(*this);
}

CMDIChildWnd::~CMDIChildWnd() { Detach(); }

bool CMDIChildWnd::PreCreateWindow(CREATESTRUCT& /*cs*/) { return true; }

CDocument* CMDIChildWnd::GetActiveDocument() const {
  return view_ != nullptr ? view_->GetDocument() : nullptr;
}

void CMDIChildWnd::Attach(CMultiDocTemplate* docTemplate, CView* view) {
  template_ = docTemplate;
  view_ = view;
  setWidget(view);
}

void CMDIChildWnd::Detach() {
  if (template_ == nullptr) return;
  CMultiDocTemplate* docTemplate = template_;
  template_ = nullptr;
  docTemplate->OnFrameClosed(this);
}

bool CMDIChildWnd::OnCmdMsg(UINT id, Code code, CCmdUI* ui) {
  if (view_ != nullptr && view_->OnCmdMsg(id, code, ui)) return true;
  if (CDocument* document = GetActiveDocument();
      document != nullptr && document->OnCmdMsg(id, code, ui)) {
    return true;
  }
  return CCmdTarget::OnCmdMsg(id, code, ui);
}

void CMDIChildWnd::closeEvent(QCloseEvent* event) {
  QMdiSubWindow::closeEvent(event);
  // The window goes now: its view and, with the last window, its document are released.
  if (event->isAccepted()) Detach();
}
