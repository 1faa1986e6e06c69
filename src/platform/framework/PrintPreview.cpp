#include "platform/framework/PrintPreview.h"

#include <QAction>
#include <QLabel>
#include <QPointer>
#include <QPrinter>
#include <QToolBar>
#include <QVBoxLayout>

#include "platform/framework/CMDIFrameWnd.h"
#include "platform/framework/CPrintInfo.h"
#include "platform/framework/CView.h"
#include "platform/framework/CWinApp.h"
#include "platform/framework/PreviewSheet.h"
#include "platform/framework/ResourceStrings.h"
#include "platform/system/CStringQt.h"
#include "platform/system/MessageBox.h"

namespace {

// The preview on show: its tool bar over the sheet, and the commands the frame offers it first.
class PreviewMode : public QWidget, public CCmdTarget {
 public:
  PreviewMode(CMDIFrameWnd& frame, CView& view, const CPrintInfo& info)
      : frame_(frame), view_(&view) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto* bar = new QToolBar(this);
    bar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    sheet_ = new PreviewSheet(view, info, *info.printer, this);
    layout->addWidget(bar);
    layout->addWidget(sheet_);

    QAction* close =
        AddButton(*bar, "close", IDS_PREVIEW_CLOSE, Qt::Key_C, [this] { frame_.EndPreviewMode(); });
    close->setShortcuts({close->shortcut(), QKeySequence(Qt::Key_Escape)});
    close->setToolTip(CommandTip(AFX_IDS_PREVIEW_CLOSE));
    close->setStatusTip(CommandPrompt(AFX_IDS_PREVIEW_CLOSE));
    bar->addSeparator();
    QAction* print = AddButton(*bar, "print", IDS_PREVIEW_PRINT, Qt::Key_P, [this] { Print(); });
    print->setStatusTip(CommandPrompt(ID_FILE_PRINT));
    bar->addSeparator();
    zoomIn_ =
        AddButton(*bar, "zoomIn", IDS_PREVIEW_ZOOM_IN, Qt::Key_I, [this] { sheet_->ZoomIn(); });
    zoomOut_ =
        AddButton(*bar, "zoomOut", IDS_PREVIEW_ZOOM_OUT, Qt::Key_O, [this] { sheet_->ZoomOut(); });
    zoom_ = new QLabel(bar);
    zoom_->setContentsMargins(8, 0, 8, 0);
    bar->addWidget(zoom_);

    QObject::connect(sheet_, &PreviewSheet::ZoomChanged, this, [this] { ShowZoom(); });
    QObject::connect(sheet_, &PreviewSheet::DrawingFailed, this, [this] { Fail(); });
    // A page window closed some other way takes its preview with it.
    QObject::connect(&view, &QObject::destroyed, this, [this] { frame_.EndPreviewMode(); });
    setFocusProxy(sheet_);
    ShowZoom();
  }

  bool OnCmdMsg(UINT id, Code code, CCmdUI* ui) override {
    if (code == CN_UPDATE_COMMAND_UI) return false;  // states as outside the preview
    switch (id) {
      case ID_FILE_PRINT_PREVIEW:
        return true;  // on show already
      case ID_FILE_PRINT_SETUP:
        if (CWinApp* app = AfxGetApp()) app->OnFilePrintSetup();
        sheet_->PrinterChanged();
        return true;
      case ID_APP_ABOUT:
      case ID_VIEW_STATUS_BAR:
        return false;
      default:
        frame_.EndPreviewMode();
        return CCmdTarget::OnCmdMsg(id, code, ui);
    }
  }

 private:
  // A button with its text, Alt mnemonic and object name (for finding it from outside).
  template <typename Handler>
  QAction* AddButton(QToolBar& bar, const char* name, UINT textId, Qt::Key mnemonic,
                     Handler handler) {
    QAction* action = bar.addAction(LoadQString(textId));
    action->setObjectName(QString::fromLatin1(name));
    action->setShortcut(QKeySequence(Qt::AltModifier | mnemonic));
    action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    addAction(action);
    QObject::connect(action, &QAction::triggered, this, handler);
    // Tool bars leave their buttons out of the Tab chain; the preview's are reached by keyboard.
    bar.widgetForAction(action)->setFocusPolicy(Qt::TabFocus);
    return action;
  }

  void ShowZoom() {
    zoom_->setText(LoadQString(IDS_PREVIEW_ZOOM).arg(sheet_->ZoomPercent()));
    zoomIn_->setEnabled(sheet_->CanZoomIn());
    zoomOut_->setEnabled(sheet_->CanZoomOut());
  }

  // The preview's Print is the view's: the preview goes, then the print dialog and the job.
  void Print() {
    const QPointer<CView> view = view_;
    frame_.EndPreviewMode();
    if (view != nullptr) view->OnFilePrint();
  }

  void Fail() {
    frame_.EndPreviewMode();
    AfxMessageBox(FromQString(LoadQString(IDP_PREVIEW_NO_MEMORY)));
  }

  CMDIFrameWnd& frame_;
  QPointer<CView> view_;
  PreviewSheet* sheet_ = nullptr;
  QAction* zoomIn_ = nullptr;
  QAction* zoomOut_ = nullptr;
  QLabel* zoom_ = nullptr;
};

}  // namespace

void RunPrintPreview(CView& view, CPrintInfo& info) {
  CWinApp* app = AfxGetApp();
  CMDIFrameWnd* frame = app != nullptr ? app->m_pMainWnd : nullptr;
  if (frame == nullptr || info.printer == nullptr || frame->InPreviewMode()) return;
  auto* mode = new PreviewMode(*frame, view, info);
  frame->BeginPreviewMode(mode, mode);
  mode->setFocus();
}
