#pragma once

#include <functional>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "platform/framework/CCmdTarget.h"
#include "platform/system/CString.h"

class CDocument;
class CMDIChildWnd;
class CView;

// Names a class for a document template, as in RUNTIME_CLASS(CPLIMDispDoc).
#define RUNTIME_CLASS(theClass) \
  std::type_identity<theClass> {}

// Binds a document class, a child-frame class and a view class under one resource id (the
// window menu, the icon and the seven-field template string). Makes documents with their
// windows and keeps them until their last window closes.
class CMultiDocTemplate : public CCmdTarget {
 public:
  enum DocStringIndex {
    windowTitle,
    docName,
    fileNewName,
    filterName,
    filterExt,
    regFileTypeId,
    regFileTypeName
  };

  template <class Document, class Frame, class View>
  CMultiDocTemplate(UINT resourceId, std::type_identity<Document>, std::type_identity<Frame>,
                    std::type_identity<View>)
      : CMultiDocTemplate(
            resourceId, [] { return std::unique_ptr<CDocument>(new Document); },
            [] { return static_cast<CMDIChildWnd*>(new Frame); },
            [](CDocument* document) { return static_cast<CView*>(new View(document)); }) {}

  CMultiDocTemplate(UINT resourceId, std::function<std::unique_ptr<CDocument>()> makeDocument,
                    std::function<CMDIChildWnd*()> makeFrame,
                    std::function<CView*(CDocument*)> makeView);
  ~CMultiDocTemplate() override;

  UINT GetResourceId() const { return resourceId_; }
  // One field of the template string; empty when the string or the field is missing.
  CString GetDocString(DocStringIndex index) const;

  // With no path: a new document titled from the document name and a running number (1, 2,
  // ...). With a path: a document titled after the file whose OnOpenDocument loads it into
  // the new window's view; the window shows once the file is loaded. Null when the document
  // refuses; its window is then gone, never having shown.
  CDocument* OpenDocumentFile(const std::string* path);
  // Another window with a new view on `document`, shown and active unless `show` is false.
  CMDIChildWnd* CreateNewFrame(CDocument* document, bool show = true);

  // The first open window whose view shows the file at `path` (the same file, however named:
  // CView::GetShownFile); null when there is none.
  CMDIChildWnd* FindFrameShowing(const std::string& path) const;
  // The open windows of `document`, in the order they were made.
  std::vector<CMDIChildWnd*> FramesOf(const CDocument* document) const;
  // Closes every window of `document`; the document goes with its last window.
  void CloseDocument(CDocument* document);

 private:
  friend class CMDIChildWnd;
  // A child frame tells its template it is closing.
  void OnFrameClosed(CMDIChildWnd* frame);
  // Gives each window of `document` its caption: the title, then ":n" when it has several.
  void UpdateFrameTitles(const CDocument* document) const;
  void DestroyDocument(CDocument* document);

  UINT resourceId_;
  std::function<std::unique_ptr<CDocument>()> makeDocument_;
  std::function<CMDIChildWnd*()> makeFrame_;
  std::function<CView*(CDocument*)> makeView_;
  std::vector<std::unique_ptr<CDocument>> documents_;
  std::vector<CMDIChildWnd*> frames_;
  int untitledCount_ = 0;
};

// Closes every window showing `document` through the template that made it.
void AfxCloseDocumentWindows(CDocument* document);
// The views on `document`, in the order their windows were made.
std::vector<CView*> AfxViewsOf(const CDocument* document);
