#pragma once

#include <QObject>
#include <QString>
#include <string>

#include "platform/framework/CCmdTarget.h"
#include "platform/system/CString.h"

// A document: its title, shown in its window's caption, and the path the framework opened it
// from (empty when none). Commands reach it after its active view.
class CDocument : public QObject, public CCmdTarget {
  Q_OBJECT

 public:
  explicit CDocument(QObject* parent = nullptr);

  const CString& GetTitle() const { return title_; }
  // Sets the title and tells every window showing it (TitleChanged), even when unchanged.
  virtual void SetTitle(const CString& title);

  const std::string& GetPathName() const { return pathName_; }
  // Records the native path only; the title is not derived from it here.
  void SetPathName(const std::string& pathName) { pathName_ = pathName; }

  // A new, empty document; false stops its creation. The base succeeds.
  virtual bool OnNewDocument();
  // The framework's open path, called once the document's first window and view exist. The
  // base loads nothing and succeeds; false closes the document's windows.
  virtual bool OnOpenDocument(const std::string& path);
  // ID_FILE_CLOSE: closes every window of the document.
  void OnFileClose();

 signals:
  void TitleChanged(const QString& title);

 protected:
  DECLARE_MESSAGE_MAP()

 private:
  CString title_;
  std::string pathName_;
};
