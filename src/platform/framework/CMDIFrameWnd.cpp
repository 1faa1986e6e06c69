#include "platform/framework/CMDIFrameWnd.h"

#include <QAction>
#include <QCloseEvent>
#include <QDropEvent>
#include <QFile>
#include <QGuiApplication>
#include <QLayout>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QScreen>
#include <QStyle>
#include <QUrl>
#include <algorithm>

#include "platform/framework/AcceleratorKeys.h"
#include "platform/framework/CDocTemplate.h"
#include "platform/framework/CStatusBar.h"
#include "platform/framework/CToolBar.h"
#include "platform/framework/CWinApp.h"
#include "platform/framework/MdiLayout.h"
#include "platform/framework/ResourceImages.h"
#include "platform/framework/ResourceTypes.h"
#include "platform/system/CStringQt.h"

namespace {

constexpr char kCommandProperty[] = "commandId";

QString CommandStringPart(UINT id, int part) {
  const QStringList parts = LoadQString(id).split(QLatin1Char('\n'));
  return part < parts.size() ? parts[part] : QString();
}

}  // namespace

QString LoadQString(UINT id) {
  const wchar_t* text = FindStringResource(id);
  return text != nullptr ? QString::fromWCharArray(text) : QString();
}

std::vector<std::string> DroppedPageFiles(const QMimeData* data) {
  std::vector<std::string> paths;
  if (data == nullptr) return paths;
  for (const QUrl& url : data->urls()) {
    const QString path = url.toLocalFile();
    if (path.endsWith(QStringLiteral(".plim"), Qt::CaseInsensitive)) {
      paths.push_back(QFile::encodeName(path).toStdString());
    }
  }
  return paths;
}

QString CommandPrompt(UINT id) { return CommandStringPart(id, 0); }
QString CommandTip(UINT id) { return CommandStringPart(id, 1); }

BEGIN_MESSAGE_MAP(CMDIFrameWnd, CCmdTarget)
ON_COMMAND(ID_WINDOW_NEW, &CMDIFrameWnd::OnWindowNew)
ON_COMMAND(ID_WINDOW_CASCADE, &CMDIFrameWnd::OnWindowCascade)
ON_COMMAND(ID_WINDOW_TILE_HORZ, &CMDIFrameWnd::OnWindowTile)
ON_COMMAND(ID_WINDOW_ARRANGE, &CMDIFrameWnd::OnWindowArrange)
ON_COMMAND_RANGE(ID_VIEW_TOOLBAR, ID_VIEW_STATUS_BAR, &CMDIFrameWnd::OnBarCheck)
ON_UPDATE_COMMAND_UI_RANGE(ID_VIEW_TOOLBAR, ID_VIEW_STATUS_BAR,
                           &CMDIFrameWnd::OnUpdateControlBarMenu)
END_MESSAGE_MAP()

CMDIFrameWnd::CMDIFrameWnd() { setAcceptDrops(true); }

CMDIFrameWnd::~CMDIFrameWnd() {
  // A preview on show goes with the frame's widgets; it gets no more commands.
  previewTarget_ = nullptr;
  // Document windows go before the frame's members so they can still reach their template.
  if (mdiArea_ != nullptr) {
    for (QMdiSubWindow* child : mdiArea_->subWindowList()) delete child;
  }
  // Actions outlive this part of the frame; they must not report their end to it.
  for (const auto& [id, action] : commandActions_) action->disconnect(this);
}

bool CMDIFrameWnd::PreCreateWindow(CREATESTRUCT& /*cs*/) { return true; }

bool CMDIFrameWnd::LoadFrame(UINT resourceId, unsigned style, QWidget* parent, void* /*context*/) {
  CREATESTRUCT cs{style};
  if (!PreCreateWindow(cs)) return false;
  if (parent != nullptr) setParent(parent, windowFlags());
  style_ = cs.style;
  frameResourceId_ = resourceId;
  frameTitle_ = FromQString(LoadQString(resourceId));
  setWindowIcon(LoadIconResource(resourceId));
  CreateAccelerators(resourceId);
  ShowMenu(resourceId);

  // A new frame takes three quarters of the screen, as overlapped windows do by default.
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    resize(screen->availableSize() * 3 / 4);
  }

  int created = 0;
  if (!DispatchWindowMessage(WM_CREATE, 0, 0, 0, &created)) created = OnCreate(nullptr);
  if (created == -1) return false;
  UpdateFrameTitle();
  return true;
}

int CMDIFrameWnd::OnCreate(LPCREATESTRUCT /*createStruct*/) {
  mdiArea_ = new QMdiArea(this);
  mdiArea_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  mdiArea_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setCentralWidget(mdiArea_);
  connect(mdiArea_, &QMdiArea::subWindowActivated, this, [this] { OnActiveChildChanged(); });
  return 0;
}

void CMDIFrameWnd::DockControlBar(CToolBar* bar) {
  if (bar == nullptr || bar->Bar() == nullptr) return;
  bar->Bar()->setAllowedAreas((dockingSides_ & CBRS_ALIGN_ANY) != 0 ? Qt::AllToolBarAreas
                                                                    : Qt::TopToolBarArea);
  addToolBar(Qt::TopToolBarArea, bar->Bar());
}

void CMDIFrameWnd::RegisterToolBar(CToolBar* bar) { toolBars_.push_back(bar); }

void CMDIFrameWnd::RegisterStatusBar(CStatusBar* bar) { statusBar_ = bar; }

CMDIChildWnd* CMDIFrameWnd::MDIGetActive() const {
  if (mdiArea_ == nullptr) return nullptr;
  QMdiSubWindow* active = mdiArea_->activeSubWindow();
  if (active == nullptr) {
    // Without focus (headless, or while another program is in front) the area reports no
    // active window; the most recent one still receives commands.
    // A window that is closing is hidden before it goes.
    for (QMdiSubWindow* window : mdiArea_->subWindowList(QMdiArea::ActivationHistoryOrder)) {
      if (!window->isHidden()) active = window;
    }
  }
  return dynamic_cast<CMDIChildWnd*>(active);
}

void CMDIFrameWnd::AddChild(CMDIChildWnd* child) {
  mdiArea_->addSubWindow(child);
  const QSize area = ClientAreaSize();
  if (area.width() > 0 && area.height() > 0) {
    const int index = static_cast<int>(mdiArea_->subWindowList().size() - 1);
    child->setGeometry(NewDocumentWindowRect(area, index, CascadeStep()));
  }
  connect(child, &QWidget::windowTitleChanged, this, [this] { UpdateFrameTitle(); });
  connect(child, &QMdiSubWindow::windowStateChanged, this, [this] { UpdateFrameTitle(); });
  child->show();
  MDIActivate(child);
}

void CMDIFrameWnd::MDIActivate(CMDIChildWnd* child) {
  if (child == nullptr) return;
  if (child->isMinimized()) child->showNormal();
  mdiArea_->setActiveSubWindow(child);
  OnActiveChildChanged();
}

void CMDIFrameWnd::BeginPreviewMode(QWidget* preview, CCmdTarget* target) {
  EndPreviewMode();
  for (CToolBar* bar : toolBars_) {
    if (bar->Bar() == nullptr || bar->Bar()->isHidden()) continue;
    bar->Bar()->hide();
    barsHiddenForPreview_.push_back(bar);
  }
  // The document windows' area stays the frame's, hidden, while the preview shows.
  takeCentralWidget();
  mdiArea_->setParent(this);
  mdiArea_->hide();
  setCentralWidget(preview);
  previewTarget_ = target;
  UpdateCommandUi();
}

void CMDIFrameWnd::EndPreviewMode() {
  if (previewTarget_ == nullptr) return;
  previewTarget_ = nullptr;
  if (QWidget* preview = takeCentralWidget()) {
    preview->setParent(this);
    preview->hide();
    preview->deleteLater();
  }
  setCentralWidget(mdiArea_);
  mdiArea_->show();
  for (CToolBar* bar : barsHiddenForPreview_) {
    if (bar->Bar() != nullptr) bar->Bar()->show();
  }
  barsHiddenForPreview_.clear();
  if (CMDIChildWnd* child = MDIGetActive()) {
    MDIActivate(child);
    child->setFocus();
  }
  UpdateCommandUi();
}

bool CMDIFrameWnd::OnCmdMsg(UINT id, Code code, CCmdUI* ui) {
  if (previewTarget_ != nullptr && previewTarget_->OnCmdMsg(id, code, ui)) return true;
  if (CMDIChildWnd* child = MDIGetActive(); child != nullptr && child->OnCmdMsg(id, code, ui)) {
    return true;
  }
  if (CWinApp* app = AfxGetApp(); app != nullptr && app->OnCmdMsg(id, code, ui)) return true;
  return CCmdTarget::OnCmdMsg(id, code, ui);
}

CCmdUI CMDIFrameWnd::QueryCommand(UINT id) {
  CCmdUI ui(id);
  OnCmdMsg(id, CN_UPDATE_COMMAND_UI, &ui);
  return ui;
}

bool CMDIFrameWnd::ExecuteCommand(UINT id) {
  if (!QueryCommand(id).enabled()) return false;
  const bool handled = OnCmdMsg(id, CN_COMMAND, nullptr);
  UpdateCommandUi();
  return handled;
}

void CMDIFrameWnd::UpdateCommandUi() {
  auto apply = [this](QAction* action) {
    const QVariant id = action->property(kCommandProperty);
    if (!id.isValid()) return;
    const CCmdUI ui = QueryCommand(id.toUInt());
    action->setEnabled(ui.enabled());
    action->setChecked(ui.checked());
  };
  for (QMenu* menu : menuBar()->findChildren<QMenu*>()) {
    for (QAction* action : menu->actions()) apply(action);
  }
  for (const auto& [id, action] : commandActions_) apply(action);
  UpdateFrameTitle();
}

QAction* CMDIFrameWnd::MakeCommandAction(UINT id, const QString& text, QObject* owner) {
  auto* action = new QAction(text, owner);
  action->setProperty(kCommandProperty, id);
  action->setStatusTip(CommandPrompt(id));
  connect(action, &QAction::triggered, this, [this, id] { ExecuteCommand(id); });
  return action;
}

QAction* CMDIFrameWnd::AddCommandAction(UINT id, const QString& text, QObject* owner) {
  QAction* action = MakeCommandAction(id, text, owner);
  commandActions_.emplace(id, action);
  connect(action, &QObject::destroyed, this, [this, action] {
    std::erase_if(commandActions_, [action](const auto& entry) { return entry.second == action; });
  });
  return action;
}

void CMDIFrameWnd::CreateAccelerators(UINT resourceId) {
  const AcceleratorResource* table = FindAcceleratorResource(resourceId);
  if (table == nullptr) return;
  for (const ACCEL& accel : table->entries) {
    QAction* action = AddCommandAction(accel.cmd, QString(), this);
    action->setShortcut(KeySequenceOf(accel));
    action->setShortcutContext(Qt::WindowShortcut);
    addAction(action);
  }
}

void CMDIFrameWnd::ShowMenu(UINT menuId) {
  if (menuId == currentMenuId_) return;
  const MenuResource* resource = FindMenuResource(menuId);
  if (resource == nullptr) return;
  currentMenuId_ = menuId;
  // Menus are released later: a command chosen from one of them may be what changed the menu.
  for (QMenu* old : menuBar()->findChildren<QMenu*>(Qt::FindDirectChildrenOnly)) {
    menuBar()->removeAction(old->menuAction());
    old->deleteLater();
  }
  for (const MenuPopup& popup : resource->popups) {
    QMenu* menu = menuBar()->addMenu(QString::fromWCharArray(popup.text));
    auto fill = [this, menu, &popup] {
      menu->clear();
      for (const MenuItem& item : popup.items) {
        if (item.kind == MenuItemKind::kSeparator) {
          menu->addSeparator();
        } else if (item.id == ID_FILE_MRU_FILE1 && AfxGetApp() != nullptr &&
                   AfxGetApp()->RecentFiles() != nullptr &&
                   !AfxGetApp()->RecentFiles()->Entries().empty()) {
          FillRecentFiles(menu);
        } else {
          QAction* action = MakeCommandAction(item.id, QString::fromWCharArray(item.text), menu);
          action->setCheckable(item.id == ID_VIEW_TOOLBAR || item.id == ID_VIEW_STATUS_BAR);
          if (item.kind == MenuItemKind::kGrayed) action->setEnabled(false);
          menu->addAction(action);
        }
      }
      if (popup.items.size() > 0 && popup.items.front().id == ID_WINDOW_NEW) FillWindowList(menu);
    };
    fill();
    // Recent files, the window list and enabled states are brought up to date on opening.
    connect(menu, &QMenu::aboutToShow, this, [this, fill] {
      fill();
      UpdateCommandUi();
    });
  }
  UpdateCommandUi();
}

void CMDIFrameWnd::FillRecentFiles(QMenu* menu) {
  const std::vector<std::string>& entries = AfxGetApp()->RecentFiles()->Entries();
  for (std::size_t index = 0; index < entries.size(); ++index) {
    const QString text =
        QStringLiteral("&%1 %2").arg(index + 1).arg(QString::fromStdString(entries[index]));
    menu->addAction(MakeCommandAction(ID_FILE_MRU_FILE1 + static_cast<UINT>(index), text, menu));
  }
}

void CMDIFrameWnd::FillWindowList(QMenu* menu) {
  const QList<QMdiSubWindow*> windows =
      mdiArea_ != nullptr ? mdiArea_->subWindowList() : QList<QMdiSubWindow*>();
  if (windows.isEmpty()) return;
  menu->addSeparator();
  CMDIChildWnd* active = MDIGetActive();
  for (int index = 0; index < windows.size(); ++index) {
    QMdiSubWindow* window = windows[index];
    QAction* action =
        menu->addAction(QStringLiteral("&%1 %2").arg(index + 1).arg(window->windowTitle()));
    action->setCheckable(true);
    action->setChecked(window == active);
    action->setStatusTip(LoadQString(0xEF1F));
    connect(action, &QAction::triggered, this,
            [this, window] { mdiArea_->setActiveSubWindow(window); });
  }
}

void CMDIFrameWnd::OnActiveChildChanged() {
  CMDIChildWnd* child = MDIGetActive();
  const UINT menuId = child != nullptr && child->GetTemplate() != nullptr
                          ? child->GetTemplate()->GetResourceId()
                          : frameResourceId_;
  ShowMenu(menuId);
  UpdateCommandUi();
}

void CMDIFrameWnd::UpdateFrameTitle() {
  QString title = ToQString(frameTitle_);
  CMDIChildWnd* child = MDIGetActive();
  if ((style_ & FWS_ADDTOTITLE) != 0 && child != nullptr && !child->windowTitle().isEmpty()) {
    title += QStringLiteral(" - ") + child->windowTitle();
  }
  // A maximised document window has no caption of its own; the frame's carries it.
  if (child != nullptr && child->isMaximized()) {
    title += QStringLiteral(" - [") + child->windowTitle() + QLatin1Char(']');
  }
  setWindowTitle(title);
}

void CMDIFrameWnd::OnWindowNew() {
  CMDIChildWnd* child = MDIGetActive();
  if (child == nullptr || child->GetTemplate() == nullptr) return;
  child->GetTemplate()->CreateNewFrame(child->GetActiveDocument());
}

QSize CMDIFrameWnd::ClientAreaSize() {
  if (mdiArea_->isVisible()) return mdiArea_->viewport()->size();
  // Before the frame is first shown its layout has not run: run it now, so the first window
  // gets the size later ones get.
  layout()->invalidate();
  layout()->activate();
  return mdiArea_->contentsRect().size();
}

int CMDIFrameWnd::CascadeStep() const {
  return mdiArea_->style()->pixelMetric(QStyle::PM_TitleBarHeight);
}

std::vector<QMdiSubWindow*> CMDIFrameWnd::ArrangeableWindows(bool topFirst) const {
  std::vector<QMdiSubWindow*> windows;
  for (QMdiSubWindow* window : mdiArea_->subWindowList(QMdiArea::StackingOrder)) {
    if (window->isHidden() || window->isMinimized()) continue;
    if (window->isMaximized()) window->showNormal();
    windows.push_back(window);
  }
  if (topFirst) std::reverse(windows.begin(), windows.end());
  return windows;
}

void CMDIFrameWnd::OnWindowCascade() {
  // The window on top stays on top, at the last offset.
  const std::vector<QMdiSubWindow*> windows = ArrangeableWindows(false);
  const std::vector<QRect> rects =
      CascadeRects(mdiArea_->viewport()->size(), static_cast<int>(windows.size()), CascadeStep());
  for (std::size_t index = 0; index < windows.size(); ++index) {
    windows[index]->setGeometry(rects[index]);
    windows[index]->raise();
  }
}

void CMDIFrameWnd::OnWindowTile() {
  const std::vector<QMdiSubWindow*> windows = ArrangeableWindows(true);
  const std::vector<QRect> rects =
      TileHorizontallyRects(mdiArea_->viewport()->size(), static_cast<int>(windows.size()));
  for (std::size_t index = 0; index < windows.size(); ++index) {
    windows[index]->setGeometry(rects[index]);
  }
}

void CMDIFrameWnd::OnWindowArrange() {
  // Minimised windows line up along the bottom edge of the area, left to right.
  int x = 0;
  for (QMdiSubWindow* window : mdiArea_->subWindowList()) {
    if (!window->isMinimized()) continue;
    const QSize size = window->size();
    window->move(x, mdiArea_->viewport()->height() - size.height());
    x += size.width();
  }
}

void CMDIFrameWnd::OnBarCheck(UINT id) {
  if (id == ID_VIEW_STATUS_BAR && statusBar_ != nullptr) {
    statusBar_->Bar()->setVisible(!statusBar_->Bar()->isVisible());
    return;
  }
  for (CToolBar* bar : toolBars_) {
    if (bar->GetDlgCtrlID() == id) bar->Bar()->setVisible(!bar->Bar()->isVisible());
  }
}

void CMDIFrameWnd::OnUpdateControlBarMenu(CCmdUI* ui) {
  if (ui->m_nID == ID_VIEW_STATUS_BAR && statusBar_ != nullptr) {
    ui->Enable(true);
    ui->SetCheck(!statusBar_->Bar()->isHidden());
    return;
  }
  for (CToolBar* bar : toolBars_) {
    if (bar->GetDlgCtrlID() == ui->m_nID) {
      ui->Enable(true);
      ui->SetCheck(!bar->Bar()->isHidden());
      return;
    }
  }
  ui->Enable(false);
}

void CMDIFrameWnd::dragEnterEvent(QDragEnterEvent* event) {
  if (!DroppedPageFiles(event->mimeData()).empty()) event->acceptProposedAction();
}

void CMDIFrameWnd::dragMoveEvent(QDragMoveEvent* event) {
  if (!DroppedPageFiles(event->mimeData()).empty()) event->acceptProposedAction();
}

void CMDIFrameWnd::dropEvent(QDropEvent* event) {
  const std::vector<std::string> paths = DroppedPageFiles(event->mimeData());
  CWinApp* app = AfxGetApp();
  if (paths.empty() || app == nullptr) return;
  event->acceptProposedAction();
  activateWindow();
  for (const std::string& path : paths) app->OpenDocumentFile(path);
}

void CMDIFrameWnd::closeEvent(QCloseEvent* event) {
  if (mdiArea_ != nullptr) mdiArea_->closeAllSubWindows();
  QMainWindow::closeEvent(event);
}
