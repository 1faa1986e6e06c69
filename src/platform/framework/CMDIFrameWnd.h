#pragma once

#include <QMainWindow>
#include <map>
#include <string>
#include <vector>

#include "platform/framework/CCmdTarget.h"
#include "platform/framework/CMDIChildWnd.h"
#include "platform/system/CString.h"

class QAction;
class QMdiArea;
class QMenu;
class QMimeData;
class CToolBar;
class CStatusBar;

using LPCREATESTRUCT = CREATESTRUCT*;

// Frame styles: the overlapped-window set, and adding the active document's title to the
// caption.
inline constexpr unsigned WS_OVERLAPPEDWINDOW = 0x00CF0000;
inline constexpr unsigned FWS_ADDTOTITLE = 0x00008000;
inline constexpr unsigned CBRS_ALIGN_ANY = 0xF000;

// The main frame of a multi-document program: menu bar, control bars and the area that holds
// the document windows. Its menu is the frame menu while no document window is open and the
// active window's template menu otherwise. Commands go to the active document window (its view,
// its document, the window), then the application, then the frame itself; a command nobody
// handles is disabled on menus and toolbar and its accelerator does nothing.
class CMDIFrameWnd : public QMainWindow, public CCmdTarget {
  Q_OBJECT

 public:
  CMDIFrameWnd();
  ~CMDIFrameWnd() override;

  // Creates the frame from resource `resourceId`: caption (string), icon, menu and
  // accelerators, then runs the creation message (OnCreate). False when creation fails.
  bool LoadFrame(UINT resourceId, unsigned style = WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE,
                 QWidget* parent = nullptr, void* context = nullptr);
  virtual bool PreCreateWindow(CREATESTRUCT& cs);
  // The base creation: the document-window area. 0 to go on, -1 to fail.
  int OnCreate(LPCREATESTRUCT createStruct);

  void EnableDocking(unsigned sides) { dockingSides_ = sides; }
  void DockControlBar(CToolBar* bar);
  // A button or key action that issues command `id` through this frame and follows its
  // enabled state; `owner` keeps it.
  QAction* AddCommandAction(UINT id, const QString& text, QObject* owner);
  // Called by control bars as they are created.
  void RegisterToolBar(CToolBar* bar);
  void RegisterStatusBar(CStatusBar* bar);

  QMdiArea* MdiArea() const { return mdiArea_; }
  CMDIChildWnd* MDIGetActive() const;
  // Puts a new document window into the frame at its place; with `show`, shows and activates
  // it (ShowChild), otherwise it stays hidden until ShowChild.
  void AddChild(CMDIChildWnd* child, bool show = true);
  void ShowChild(CMDIChildWnd* child);
  // Makes `child` the active document window, restoring it when minimised.
  void MDIActivate(CMDIChildWnd* child);

  // Print preview is a mode of the frame: `preview` takes the place of the document windows,
  // the frame's tool bars are hidden, and `target` is offered every command before the active
  // document window. The frame owns `preview` from then on. EndPreviewMode destroys it (later,
  // so it may be called from the preview's own handlers) and brings back the document windows
  // and the tool bars as they were; outside preview mode it does nothing.
  void BeginPreviewMode(QWidget* preview, CCmdTarget* target);
  void EndPreviewMode();
  bool InPreviewMode() const { return previewTarget_ != nullptr; }

  bool OnCmdMsg(UINT id, Code code, CCmdUI* ui) override;
  // The enabled and checked state the routing gives `id`.
  CCmdUI QueryCommand(UINT id);
  // Runs `id` when some target enables it; false (and nothing happens) otherwise.
  bool ExecuteCommand(UINT id);
  // Refreshes menus, toolbar buttons, accelerators and the caption.
  void UpdateCommandUi();

  // The menu resource on show (the frame's or the active template's).
  UINT CurrentMenuId() const { return currentMenuId_; }
  unsigned Style() const { return style_; }

  // Framework command handlers of the frame.
  void OnWindowNew();
  void OnWindowCascade();
  void OnWindowTile();
  void OnWindowArrange();
  void OnBarCheck(UINT id);
  void OnUpdateControlBarMenu(CCmdUI* ui);

 protected:
  void closeEvent(QCloseEvent* event) override;
  // Page files dropped from a file manager open through the framework's open path, as files
  // named on the command line do; other drops are refused.
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;

  DECLARE_MESSAGE_MAP()

 private:
  // Rebuilds the menu bar from menu resource `menuId` when it differs from the one on show.
  void ShowMenu(UINT menuId);
  // Adds the recent-file entries in place of the placeholder of `menu`.
  void FillRecentFiles(QMenu* menu);
  void CreateAccelerators(UINT resourceId);
  // The keys of multi-document windows: F10 (menu bar), Ctrl+F6 and Ctrl+Shift+F6 (next and
  // previous window), Ctrl+F4 (close the active window), Alt+- (its system menu).
  void CreateWindowKeys();
  QAction* MakeCommandAction(UINT id, const QString& text, QObject* owner);
  void UpdateFrameTitle();
  // The size of the area that holds the document windows, also before the frame is shown.
  QSize ClientAreaSize();
  // The cascade offset between document windows: a caption's height.
  int CascadeStep() const;
  // The document windows cascade and tile move, bottom of the stack first (or top first);
  // maximised ones are restored first.
  std::vector<QMdiSubWindow*> ArrangeableWindows(bool topFirst) const;
  // Lines up the minimised windows along the bottom of the area (ArrangeIconRows) above the
  // other windows; returns the height their rows take.
  int ArrangeIcons();
  // Places a newly minimised window and, when it was the active one, activates the window used
  // most recently that is not minimised.
  void OnChildMinimised();
  // The area less the rows of icons, which cascade and tile leave free.
  QSize AreaAboveIcons();
  void OnActiveChildChanged();

  UINT frameResourceId_ = 0;
  UINT currentMenuId_ = 0;
  unsigned style_ = 0;
  unsigned dockingSides_ = 0;
  CString frameTitle_;
  QMdiArea* mdiArea_ = nullptr;
  std::vector<CToolBar*> toolBars_;
  CStatusBar* statusBar_ = nullptr;
  // Every action that issues a command, by command id.
  std::multimap<UINT, QAction*> commandActions_;
  CCmdTarget* previewTarget_ = nullptr;
  std::vector<CToolBar*> barsHiddenForPreview_;
};

// The local files among the URLs of a drop whose names match a pattern of AFX_IDS_DROP_FILES
// (any case), as native paths.
std::vector<std::string> DroppedFiles(const QMimeData* data);
