#include "platform/framework/CToolBar.h"

#include <QAction>

#include "platform/framework/CMDIFrameWnd.h"
#include "platform/framework/ResourceImages.h"
#include "platform/framework/ResourceStrings.h"
#include "platform/framework/ResourceTypes.h"

// Qt's tool bars draw their buttons flat already, so the control style needs nothing more.
bool CToolBar::CreateEx(CMDIFrameWnd* parent, unsigned /*controlStyle*/, unsigned style,
                        CRect /*borders*/, UINT id) {
  if (parent == nullptr || bar_ != nullptr) return false;
  frame_ = parent;
  id_ = id;
  bar_ = new QToolBar(parent);
  bar_->setObjectName(QStringLiteral("toolbar%1").arg(id, 0, 16));
  bar_->setMovable((style & CBRS_GRIPPER) != 0);
  bar_->setFloatable((style & CBRS_SIZE_DYNAMIC) != 0);
  bar_->setToolButtonStyle(Qt::ToolButtonIconOnly);
  bar_->setVisible((style & WS_VISIBLE) != 0);
  parent->RegisterToolBar(this);
  return true;
}

bool CToolBar::LoadToolBar(UINT id) {
  const ToolBarResource* resource = FindToolBarResource(id);
  const QImage strip = LoadToolBarBitmap(id);
  if (bar_ == nullptr || resource == nullptr || strip.isNull()) return false;
  bar_->setIconSize(QSize(resource->buttonWidth, resource->buttonHeight));
  int slot = 0;
  for (UINT command : resource->buttons) {
    if (command == ID_SEPARATOR) {
      bar_->addSeparator();
      continue;
    }
    const QImage image =
        strip.copy(slot * resource->buttonWidth, 0, resource->buttonWidth, resource->buttonHeight);
    ++slot;
    QAction* action = frame_->AddCommandAction(command, QString(), bar_);
    action->setIcon(QIcon(QPixmap::fromImage(image)));
    action->setToolTip(CommandTip(command));
    bar_->addAction(action);
  }
  frame_->UpdateCommandUi();
  return true;
}

void CToolBar::EnableDocking(unsigned sides) {
  if (bar_ != nullptr) {
    bar_->setAllowedAreas(sides != 0 ? Qt::AllToolBarAreas : Qt::NoToolBarArea);
  }
}
