#include "platform/framework/CStatusBar.h"

#include <QCoreApplication>
#include <QEvent>
#include <QLabel>

#include "platform/framework/CMDIFrameWnd.h"
#include "platform/framework/LockKeys.h"
#include "platform/framework/ResourceStrings.h"

namespace {

// Refreshes the indicators after every key event anywhere in the program and whenever one of
// its windows becomes active: a lock key changes either while the program has the keyboard,
// or while another has it, and then the program learns of it on activation. No timer, so an
// idle program stays asleep.
class LockKeyWatcher : public QObject {
 public:
  LockKeyWatcher(QObject* parent, std::function<void()> refresh)
      : QObject(parent), refresh_(std::move(refresh)) {
    QCoreApplication::instance()->installEventFilter(this);
  }

  bool eventFilter(QObject* watched, QEvent* event) override {
    switch (event->type()) {
      case QEvent::KeyPress:
      case QEvent::KeyRelease:
      case QEvent::WindowActivate:
      case QEvent::ApplicationActivate:
        refresh_();
        break;
      default:
        break;
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  std::function<void()> refresh_;
};

std::function<bool(UINT)>& LockStateOverride() {
  static std::function<bool(UINT)> state;
  return state;
}

}  // namespace

bool IsLockKeyOn(UINT indicatorId) {
  if (LockStateOverride()) return LockStateOverride()(indicatorId);
  return WindowSystemLockKeyOn(indicatorId);
}

void SetLockKeyStateForTesting(std::function<bool(UINT)> state) {
  LockStateOverride() = std::move(state);
}

CStatusBar::~CStatusBar() { delete lockKeyWatcher_; }

bool CStatusBar::Create(CMDIFrameWnd* parent, unsigned /*style*/, UINT id) {
  if (parent == nullptr || bar_ != nullptr) return false;
  id_ = id;
  bar_ = new QStatusBar(parent);
  parent->setStatusBar(bar_);
  parent->RegisterStatusBar(this);
  if (QCoreApplication::instance() != nullptr) {
    lockKeyWatcher_ = new LockKeyWatcher(bar_, [this] { UpdateIndicators(); });
  }
  return true;
}

bool CStatusBar::SetIndicators(const UINT* ids, int count) {
  if (bar_ == nullptr || ids == nullptr || count < 0) return false;
  for (const Pane& pane : panes_) delete pane.label;
  panes_.clear();
  for (int index = 0; index < count; ++index) {
    const UINT id = ids[index];
    auto* label = new QLabel(bar_);
    if (id == ID_SEPARATOR) {
      // The message pane: the idle text, hidden while the bar shows a command's prompt.
      label->setText(LoadQString(AFX_IDS_IDLEMESSAGE));
      bar_->addWidget(label, 1);
    } else {
      // An indicator keeps the width of its text whether it shows or not.
      const QString text = LoadQString(id);
      label->setMinimumWidth(label->fontMetrics().horizontalAdvance(text) + 8);
      label->setAlignment(Qt::AlignCenter);
      label->setFrameShape(QFrame::Panel);
      label->setFrameShadow(QFrame::Sunken);
      bar_->addPermanentWidget(label);
    }
    panes_.push_back({id, label});
  }
  UpdateIndicators();
  return true;
}

QString CStatusBar::GetPaneText(int index) const {
  if (index < 0 || index >= PaneCount()) return {};
  if (panes_[index].id == ID_SEPARATOR && !bar_->currentMessage().isEmpty()) {
    return bar_->currentMessage();
  }
  return panes_[index].label->text();
}

void CStatusBar::UpdateIndicators() {
  for (const Pane& pane : panes_) {
    if (pane.id == ID_SEPARATOR) continue;
    pane.label->setText(IsLockKeyOn(pane.id) ? LoadQString(pane.id) : QString());
  }
}
