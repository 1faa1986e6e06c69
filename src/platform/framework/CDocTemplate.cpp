#include "platform/framework/CDocTemplate.h"

#include <algorithm>
#include <filesystem>

#include "platform/framework/CDocument.h"
#include "platform/framework/CMDIChildWnd.h"
#include "platform/framework/CMDIFrameWnd.h"
#include "platform/framework/CView.h"
#include "platform/framework/CWinApp.h"
#include "platform/framework/ResourceImages.h"
#include "platform/framework/ResourceStrings.h"
#include "platform/framework/ResourceTypes.h"
#include "platform/system/CFileDialog.h"
#include "platform/system/CStringQt.h"

namespace {

// Never destroyed: the application object, and with it its templates, is destroyed at exit
// after any function-local static made during start-up.
std::vector<CMultiDocTemplate*>& LiveTemplates() {
  static auto* const templates = new std::vector<CMultiDocTemplate*>;
  return *templates;
}

}  // namespace

CMultiDocTemplate::CMultiDocTemplate(UINT resourceId,
                                     std::function<std::unique_ptr<CDocument>()> makeDocument,
                                     std::function<CMDIChildWnd*()> makeFrame,
                                     std::function<CView*(CDocument*)> makeView)
    : resourceId_(resourceId),
      makeDocument_(std::move(makeDocument)),
      makeFrame_(std::move(makeFrame)),
      makeView_(std::move(makeView)) {
  LiveTemplates().push_back(this);
}

CMultiDocTemplate::~CMultiDocTemplate() {
  std::erase(LiveTemplates(), this);
  // Windows that outlive their template no longer report to it.
  for (CMDIChildWnd* frame : frames_) frame->template_ = nullptr;
}

CString CMultiDocTemplate::GetDocString(DocStringIndex index) const {
  return FromQString(ResourceStringPart(resourceId_, static_cast<int>(index)));
}

CMDIChildWnd* CMultiDocTemplate::CreateNewFrame(CDocument* document, bool show) {
  CWinApp* app = AfxGetApp();
  if (document == nullptr || app == nullptr || app->m_pMainWnd == nullptr) return nullptr;
  CMDIChildWnd* frame = makeFrame_();
  CREATESTRUCT cs{};
  if (frame == nullptr || !frame->PreCreateWindow(cs)) {
    delete frame;
    return nullptr;
  }
  CView* view = makeView_(document);
  frame->Attach(this, view);
  frame->setWindowIcon(LoadIconResource(resourceId_));
  frames_.push_back(frame);
  QObject::connect(document, &CDocument::TitleChanged, frame,
                   [this, document] { UpdateFrameTitles(document); });
  UpdateFrameTitles(document);
  view->OnInitialUpdate();
  app->m_pMainWnd->AddChild(frame, show);
  view->setFocus();
  return frame;
}

CDocument* CMultiDocTemplate::OpenDocumentFile(const std::string* path) {
  std::unique_ptr<CDocument> owned = makeDocument_();
  if (owned == nullptr) return nullptr;
  CDocument* document = owned.get();
  documents_.push_back(std::move(owned));
  if (path == nullptr) {
    document->SetTitle(GetDocString(docName) + std::to_wstring(++untitledCount_));
    if (!document->OnNewDocument()) {
      DestroyDocument(document);
      return nullptr;
    }
  } else {
    document->SetPathName(*path);
    document->SetTitle(FileTitleFromPath(*path));
  }
  CMDIChildWnd* frame = CreateNewFrame(document, path == nullptr);
  if (frame == nullptr) {
    DestroyDocument(document);
    return nullptr;
  }
  if (path == nullptr) return document;
  // A file is loaded once its window exists, since the page belongs to the window's view; the
  // window shows only with the file in it.
  if (!document->OnOpenDocument(*path)) {
    CloseDocument(document);
    return nullptr;
  }
  AfxGetApp()->m_pMainWnd->ShowChild(frame);
  frame->GetActiveView()->setFocus();
  return document;
}

CMDIChildWnd* CMultiDocTemplate::FindFrameShowing(const std::string& path) const {
  for (CMDIChildWnd* frame : frames_) {
    const CView* view = frame->GetActiveView();
    const std::string shown = view != nullptr ? view->GetShownFile() : std::string();
    std::error_code error;
    if (!shown.empty() && std::filesystem::equivalent(shown, path, error)) return frame;
  }
  return nullptr;
}

std::vector<CMDIChildWnd*> CMultiDocTemplate::FramesOf(const CDocument* document) const {
  std::vector<CMDIChildWnd*> frames;
  for (CMDIChildWnd* frame : frames_) {
    if (frame->GetActiveDocument() == document) frames.push_back(frame);
  }
  return frames;
}

void CMultiDocTemplate::UpdateFrameTitles(const CDocument* document) const {
  const std::vector<CMDIChildWnd*> frames = FramesOf(document);
  const QString title = ToQString(document->GetTitle());
  for (std::size_t index = 0; index < frames.size(); ++index) {
    frames[index]->setWindowTitle(
        frames.size() == 1 ? title : QStringLiteral("%1:%2").arg(title).arg(index + 1));
  }
}

void CMultiDocTemplate::CloseDocument(CDocument* document) {
  for (CMDIChildWnd* frame : FramesOf(document)) frame->close();
}

void CMultiDocTemplate::OnFrameClosed(CMDIChildWnd* frame) {
  CDocument* document = frame->GetActiveDocument();
  std::erase(frames_, frame);
  // The view goes with its window now, so the page file it holds is closed at once.
  if (CView* view = frame->GetActiveView()) view->deleteLater();
  if (document == nullptr) return;
  if (FramesOf(document).empty()) {
    DestroyDocument(document);
  } else {
    UpdateFrameTitles(document);
  }
}

void CMultiDocTemplate::DestroyDocument(CDocument* document) {
  auto owner = std::find_if(documents_.begin(), documents_.end(),
                            [document](const auto& entry) { return entry.get() == document; });
  if (owner == documents_.end()) return;
  // The document may be the one whose command closed its windows: release it later.
  owner->release()->deleteLater();
  documents_.erase(owner);
}

void AfxCloseDocumentWindows(CDocument* document) {
  for (CMultiDocTemplate* docTemplate : LiveTemplates()) docTemplate->CloseDocument(document);
}

std::vector<CView*> AfxViewsOf(const CDocument* document) {
  std::vector<CView*> views;
  for (CMultiDocTemplate* docTemplate : LiveTemplates()) {
    for (CMDIChildWnd* frame : docTemplate->FramesOf(document)) {
      if (CView* view = frame->GetActiveView()) views.push_back(view);
    }
  }
  return views;
}
