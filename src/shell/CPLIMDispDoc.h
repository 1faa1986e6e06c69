#pragma once

#include <string>

#include "platform/framework/CDocument.h"

// The page document: a title, and a path when the framework opened a file. The page itself
// belongs to the view.
class CPLIMDispDoc : public CDocument {
  Q_OBJECT

 public:
  CPLIMDispDoc() = default;

  bool OnNewDocument() override;
  // Loads `path` into the document's page view with the view's own checks and messages.
  bool OnOpenDocument(const std::string& path) override;

  DECLARE_MESSAGE_MAP()
};
