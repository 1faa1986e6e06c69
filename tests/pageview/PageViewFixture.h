#pragma once

#include <gtest/gtest.h>

#include <string>

#include "pageview/CPLIMDispView.h"
#include "pagewriter/PageWriter.h"
#include "platform/PlatformUiScript.h"
#include "platform/framework/CDocument.h"
#include "support/PageLines.h"
#include "support/TempDir.h"

inline constexpr wchar_t kOpenFailure[] = L"Cannot open the PLIM file";

// Three lines, among them an empty label and an empty image, and a header with a note.
inline PageDraft ThreeLinePage() {
  PageDraft page;
  page.headerTag8 = "TAG8abcd";
  page.headerNote = "a note of 17 byte";
  page.headerTag20 = std::string("twenty\0bytes of tag.", 20);
  page.headerWord = 7;
  page.pageWidth = 100;
  page.pageHeight = 50;
  page.lines = {DraftLine(20, 10, 3, 2, Solid(0x40), "ab"), DraftLine(5, 30, 4, 1, Solid(0x80)),
                DraftLine(60, 40, 9, 0, {}, "three")};
  return page;
}

inline PageDraft OneLinePage() {
  PageDraft page;
  page.codeLength = 2;
  page.pageWidth = 640;
  page.pageHeight = 480;
  page.lines = {DraftLine(2, 1, 1, 3, Solid(0x11), "\xD2\xB3\xC3\xE6")};  // 2 codes of 2 bytes
  page.lines[0].charCount = 2;
  return page;
}

// A page view on a document, with scripted dialogs and page files in a temporary folder.
class PageViewTest : public ::testing::Test {
 protected:
  std::string Write(const std::string& name, const PageDraft& page) {
    return WriteBytes(name, WritePage(page));
  }
  std::string WriteBytes(const std::string& name, const std::string& bytes);

  // Runs the Open command on `target`, choosing `path` in its dialog.
  void Open(CPLIMDispView& target, const std::string& path) {
    ui.Choose(path);
    target.OnFileOpen();
  }
  void Open(const std::string& path) { Open(view, path); }

  // Whether some opener holds `path` exclusively.
  static bool IsHeld(const std::string& path);

  QApplication& app = TestApplication();  // before any widget
  TempDir dir;
  PlatformUiScript ui;
  CDocument document;
  CPLIMDispView view{&document};
};

// Checks that `view` holds the page model of `page` (the header note only when `withNote`).
void ExpectShowsPage(const CPLIMDispView& view, const PageDraft& page, bool withNote);
