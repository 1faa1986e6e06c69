#include "platform/framework/CMDIFrameWnd.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDropEvent>
#include <QFile>
#include <QLayout>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QRegularExpression>
#include <QScreen>
#include <QStyle>
#include <QTimer>
#include <QUrl>
#include <algorithm>
#include <functional>

#include "platform/framework/AcceleratorKeys.h"
#include "platform/framework/CDocTemplate.h"
#include "platform/framework/CStatusBar.h"
#include "platform/framework/CToolBar.h"
#include "platform/framework/CWinApp.h"
#include "platform/framework/MdiLayout.h"
#include "platform/framework/MenuText.h"
#include "platform/framework/ResourceImages.h"
#include "platform/framework/ResourceStrings.h"
#include "platform/framework/ResourceTypes.h"
#include "platform/framework/WindowMenu.h"
#include "platform/system/CStringQt.h"

namespace {

constexpr char kCommandProperty[] = "commandId";

}  // namespace

std::vector<std::string> DroppedFiles(const QMimeData* data) {
  std::vector<std::string> paths;
  if (data == nullptr) return paths;
  std::vector<QRegularExpression> patterns;
  for (const QString& pattern :
       LoadQString(AFX_IDS_DROP_FILES).split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
    patterns.push_back(QRegularExpression::fromWildcard(pattern.trimmed(), Qt::CaseInsensitive));
  }
  for (const QUrl& url : data->urls()) {
    const QString path = url.toLocalFile();
    const QString name = path.section(QLatin1Char('/'), -1);
    if (std::any_of(patterns.begin(), patterns.end(), [&name](const QRegularExpression& pattern) {
          return pattern.match(name).hasMatch();
        })) {
      paths.push_back(QFile::encodeName(path).toStdString());
    }
  }
  return paths;
}

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
  // The frame's icon is the application's: message boxes and dialogs carry it too.
  QApplication::setWindowIcon(LoadIconResource(resourceId));
  setWindowIcon(QApplication::windowIcon());
  CreateAccelerators(resourceId);
  CreateWindowKeys();
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

void CMDIFrameWnd::AddChild(CMDIChildWnd* child, bool show) {
  mdiArea_->addSubWindow(child);
  child->hide();
  const QSize area = ClientAreaSize();
  if (area.width() > 0 && area.height() > 0) {
    const int index = static_cast<int>(mdiArea_->subWindowList().size() - 1);
    child->setGeometry(NewDocumentWindowRect(area, index, CascadeStep()));
  }
  connect(child, &QWidget::windowTitleChanged, this, [this] { UpdateFrameTitle(); });
  connect(child, &QMdiSubWindow::windowStateChanged, this,
          [this](Qt::WindowStates before, Qt::WindowStates now) {
            UpdateFrameTitle();
            // Qt gives a minimised window its small size as the state changes: place it after.
            if ((now & ~before & Qt::WindowMinimized) != 0) {
              QTimer::singleShot(0, this, [this] { OnChildMinimised(); });
            }
          });
  if (show) ShowChild(child);
}

void CMDIFrameWnd::ShowChild(CMDIChildWnd* child) {
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

void CMDIFrameWnd::CreateWindowKeys() {
  const std::pair<QKeySequence, std::function<void()>> keys[] = {
      // F10 opens the menu bar at its first popup.
      {QKeySequence(Qt::Key_F10),
       [this] { menuBar()->setActiveAction(menuBar()->actions().value(0)); }},
      // The keys that act on the document windows leave a print preview first.
      {QKeySequence(Qt::CTRL | Qt::Key_F6),
       [this] {
         EndPreviewMode();
         mdiArea_->activateNextSubWindow();
       }},
      {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F6),
       [this] {
         EndPreviewMode();
         mdiArea_->activatePreviousSubWindow();
       }},
      {QKeySequence(Qt::CTRL | Qt::Key_F4),
       [this] {
         if (CMDIChildWnd* child = MDIGetActive()) child->close();
       }},
      // Alt+- opens the active document window's system menu, as Alt+Space opens the frame's.
      {QKeySequence(Qt::ALT | Qt::Key_Minus),
       [this] {
         EndPreviewMode();
         if (CMDIChildWnd* child = MDIGetActive()) child->showSystemMenu();
       }},
  };
  for (const auto& [sequence, run] : keys) {
    auto* action = new QAction(this);
    action->setShortcut(sequence);
    action->setShortcutContext(Qt::WindowShortcut);
    connect(action, &QAction::triggered, this, run);
    addAction(action);
  }
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
      if (!popup.items.empty() && popup.items.front().id == ID_WINDOW_NEW) {
        AppendWindowList(*menu, *this);
      }
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
        NumberedMenuText(static_cast<int>(index) + 1, QString::fromStdString(entries[index]));
    menu->addAction(MakeCommandAction(ID_FILE_MRU_FILE1 + static_cast<UINT>(index), text, menu));
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
  if (child != nullptr && child->isMaximized()) {
    // A maximised document window has no caption of its own; the frame's carries it.
    title += QStringLiteral(" - [") + child->windowTitle() + QLatin1Char(']');
  } else if ((style_ & FWS_ADDTOTITLE) != 0 && child != nullptr &&
             !child->windowTitle().isEmpty()) {
    title += QStringLiteral(" - ") + child->windowTitle();
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

int CMDIFrameWnd::ArrangeIcons() {
  std::vector<QMdiSubWindow*> icons;
  std::vector<QSize> sizes;
  for (QMdiSubWindow* window : mdiArea_->subWindowList()) {
    if (window->isHidden() || !window->isMinimized()) continue;
    icons.push_back(window);
    sizes.push_back(window->size());
  }
  const IconRows rows = ArrangeIconRows(mdiArea_->viewport()->size(), sizes);
  for (std::size_t index = 0; index < icons.size(); ++index) {
    icons[index]->move(rows.places[index].topLeft());
    icons[index]->raise();
  }
  return rows.height;
}

void CMDIFrameWnd::OnChildMinimised() {
  ArrangeIcons();
  // The keyboard goes on to the window used most recently that is not an icon.
  QMdiSubWindow* active = mdiArea_->activeSubWindow();
  if (active != nullptr && !active->isMinimized()) return;
  const QList<QMdiSubWindow*> history = mdiArea_->subWindowList(QMdiArea::ActivationHistoryOrder);
  for (auto window = history.rbegin(); window != history.rend(); ++window) {
    if (!(*window)->isHidden() && !(*window)->isMinimized()) {
      mdiArea_->setActiveSubWindow(*window);
      return;
    }
  }
}

QSize CMDIFrameWnd::AreaAboveIcons() {
  const QSize area = mdiArea_->viewport()->size();
  return {area.width(), std::max(area.height() - ArrangeIcons(), 1)};
}

void CMDIFrameWnd::OnWindowCascade() {
  // The window on top stays on top, at the last offset.
  const std::vector<QMdiSubWindow*> windows = ArrangeableWindows(false);
  const std::vector<QRect> rects =
      CascadeRects(AreaAboveIcons(), static_cast<int>(windows.size()), CascadeStep());
  for (std::size_t index = 0; index < windows.size(); ++index) {
    windows[index]->setGeometry(rects[index]);
    windows[index]->raise();
  }
}

void CMDIFrameWnd::OnWindowTile() {
  const std::vector<QMdiSubWindow*> windows = ArrangeableWindows(true);
  const std::vector<QRect> rects =
      TileHorizontallyRects(AreaAboveIcons(), static_cast<int>(windows.size()));
  for (std::size_t index = 0; index < windows.size(); ++index) {
    windows[index]->setGeometry(rects[index]);
  }
}

void CMDIFrameWnd::OnWindowArrange() { ArrangeIcons(); }

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
  if (!DroppedFiles(event->mimeData()).empty()) event->acceptProposedAction();
}

void CMDIFrameWnd::dragMoveEvent(QDragMoveEvent* event) {
  if (!DroppedFiles(event->mimeData()).empty()) event->acceptProposedAction();
}

void CMDIFrameWnd::dropEvent(QDropEvent* event) {
  const std::vector<std::string> paths = DroppedFiles(event->mimeData());
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
