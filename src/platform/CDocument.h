#pragma once

#include <QObject>
#include <QString>
#include <string>

#include "platform/CString.h"

// A document: its title, shown in its window's caption, and the path the framework opened it
// from (empty when none).
class CDocument : public QObject {
  Q_OBJECT

 public:
  explicit CDocument(QObject* parent = nullptr);

  const CString& GetTitle() const { return title_; }
  // Sets the title and tells every window showing it (TitleChanged), even when unchanged.
  virtual void SetTitle(const CString& title);

  const std::string& GetPathName() const { return pathName_; }
  // Records the native path only; the title is not derived from it here.
  void SetPathName(const std::string& pathName) { pathName_ = pathName; }

 signals:
  void TitleChanged(const QString& title);

 private:
  CString title_;
  std::string pathName_;
};
