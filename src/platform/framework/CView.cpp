#include "platform/framework/CView.h"

#include <QKeyEvent>
#include <QRect>

#include "platform/framework/CPrintInfo.h"
#include "platform/framework/ViewPrinting.h"

BEGIN_MESSAGE_MAP(CView, CCmdTarget)
END_MESSAGE_MAP()

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

void CView::keyPressEvent(QKeyEvent* event) {
  QKeyEvent* outer = currentKey_;
  currentKey_ = event;
  keyDefaulted_ = false;
  const UINT repeat = 1;  // each press or auto-repeat arrives as its own event
  const UINT flags = event->isAutoRepeat() ? 0x4000u : 0u;  // previous key state: down
  const bool keyBound = DispatchWindowMessage(
      WM_KEYDOWN,
      event->nativeVirtualKey() != 0 ? event->nativeVirtualKey() : static_cast<UINT>(event->key()),
      repeat, flags);
  // Only plain and shifted keys type characters (AltGr and the keypad count as plain); Ctrl
  // and Alt combinations are commands and menu keys, never characters.
  const Qt::KeyboardModifiers typing =
      Qt::ShiftModifier | Qt::KeypadModifier | Qt::GroupSwitchModifier;
  bool charBound = false;
  if ((event->modifiers() & ~typing) == 0) {
    for (const QChar character : event->text()) {
      charBound |= DispatchWindowMessage(WM_CHAR, character.unicode(), repeat, flags);
    }
  }
  if (!keyBound && !charBound) Default();
  currentKey_ = outer;
}

// The key-down and the character messages of one press share one Qt event, which gets the
// scroll area's handling once.
void CView::Default() {
  if (currentKey_ == nullptr || keyDefaulted_) return;
  keyDefaulted_ = true;
  QAbstractScrollArea::keyPressEvent(currentKey_);
}
