#include <gtest/gtest.h>

#include <QPaintEvent>
#include <QRegion>
#include <filesystem>

#include "pageview/PageViewFixture.h"
#include "platform/system/CStringQt.h"
#include "support/PageLines.h"

namespace {

enum class Start { kEmpty, kLoaded, kPageWithoutFile };
enum class Event { kCancel, kOpenOther, kOpenMissing };
enum class End { kEmpty, kLoadedFirst, kLoadedOther, kFirstWithoutFile };

TEST_F(PageViewTest, StateTransitions) {
  const struct {
    Start start;
    Event event;
    End end;
  } cases[] = {
      {Start::kEmpty, Event::kCancel, End::kEmpty},
      {Start::kEmpty, Event::kOpenOther, End::kLoadedOther},
      {Start::kEmpty, Event::kOpenMissing, End::kEmpty},
      {Start::kLoaded, Event::kCancel, End::kLoadedFirst},
      {Start::kLoaded, Event::kOpenOther, End::kLoadedOther},
      {Start::kLoaded, Event::kOpenMissing, End::kFirstWithoutFile},
      {Start::kPageWithoutFile, Event::kCancel, End::kFirstWithoutFile},
      {Start::kPageWithoutFile, Event::kOpenOther, End::kLoadedOther},
      {Start::kPageWithoutFile, Event::kOpenMissing, End::kFirstWithoutFile},
  };
  const PageDraft first = ThreeLinePage();
  const PageDraft other = OneLinePage();
  const std::string firstPath = Write("first.page.plim", first);
  const std::string otherPath = Write("other.plim", other);
  const std::string missingPath = dir.File("missing.plim");

  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "start " << int(c.start) << " event " << int(c.event));
    PlatformUiScript script;
    CDocument doc;
    CPLIMDispView target(&doc);
    if (c.start != Start::kEmpty) {
      script.Choose(firstPath);
      target.OnFileOpen();
    }
    if (c.start == Start::kPageWithoutFile) {
      script.Choose(missingPath);
      target.OnFileOpen();
    }
    script.messages.clear();

    switch (c.event) {
      case Event::kCancel:
        script.Cancel();
        break;
      case Event::kOpenOther:
        script.Choose(otherPath);
        break;
      case Event::kOpenMissing:
        script.Choose(missingPath);
        break;
    }
    target.OnFileOpen();

    if (c.event == Event::kOpenMissing) {
      ASSERT_EQ(script.messages.size(), 1u);
      EXPECT_EQ(script.messages[0].text, CString(kOpenFailure) + L"\n\nNo such file or directory");
    } else {
      EXPECT_TRUE(script.messages.empty());
    }
    EXPECT_EQ(target.zoom(), 1.0f);
    const bool holdsFile = c.end == End::kLoadedFirst || c.end == End::kLoadedOther;
    EXPECT_EQ(target.fileOpen(), holdsFile);
    EXPECT_EQ(IsHeld(firstPath), c.end == End::kLoadedFirst);
    EXPECT_EQ(IsHeld(otherPath), c.end == End::kLoadedOther);
    if (c.end == End::kEmpty) {
      EXPECT_EQ(target.lineCount(), 0);
      EXPECT_EQ(target.fileTitle(), L"");
      EXPECT_EQ(doc.GetTitle(), L"");
      continue;
    }
    const bool showsOther = c.end == End::kLoadedOther;
    ExpectShowsPage(target, showsOther ? other : first, holdsFile);
    const CString title = showsOther ? L"other" : L"first.page";
    EXPECT_EQ(target.fileTitle(), title);
    EXPECT_EQ(doc.GetTitle(), title);
  }
}

TEST_F(PageViewTest, DialogOffersOnlyPageFiles) {
  ui.Cancel();
  view.OnFileOpen();
  ASSERT_EQ(ui.dialogs.size(), 1u);
  const FileDialogSettings& settings = ui.dialogs[0];
  EXPECT_TRUE(settings.openFileDialog);
  EXPECT_EQ(settings.flags, OFN_HIDEREADONLY);
  EXPECT_EQ(settings.defaultExt, L"");
  EXPECT_EQ(settings.fileName, L"");
  ASSERT_EQ(settings.filters.size(), 1u);
  EXPECT_EQ(settings.filters[0].description, L"Multi-line page image files (*.plim)");
  EXPECT_EQ(settings.filters[0].pattern, L"*.plim");
}

TEST_F(PageViewTest, ReopeningTheHeldFileSucceeds) {
  const PageDraft page = ThreeLinePage();
  const std::string path = Write("page01.plim", page);
  Open(path);
  Open(path);
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_TRUE(view.fileOpen());
  EXPECT_TRUE(IsHeld(path));
  ExpectShowsPage(view, page, true);
  EXPECT_EQ(document.GetTitle(), L"page01");
}

TEST_F(PageViewTest, FileHeldByAnotherViewIsRefused) {
  const PageDraft page = ThreeLinePage();
  const std::string path = Write("shared.plim", page);
  Open(path);

  CDocument otherDocument;
  CPLIMDispView other(&otherDocument);
  Open(other, path);
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text,
            CString(kOpenFailure) + L"\n\nAnother page window or program holds this file.");
  EXPECT_EQ(other.lineCount(), 0);
  EXPECT_FALSE(other.fileOpen());
  EXPECT_EQ(otherDocument.GetTitle(), L"");
  // The first view keeps its hold.
  EXPECT_TRUE(view.fileOpen());
  EXPECT_TRUE(IsHeld(path));
}

TEST_F(PageViewTest, ReadOnlyFileIsRefused) {
  const std::string path = Write("readonly.plim", ThreeLinePage());
  std::filesystem::permissions(path, std::filesystem::perms::owner_read |
                                         std::filesystem::perms::group_read |
                                         std::filesystem::perms::others_read);
  Open(path);
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text,
            CString(kOpenFailure) +
                L"\n\nThe file is read-only: page files are opened for reading and writing.");
  EXPECT_FALSE(view.fileOpen());
  EXPECT_EQ(view.lineCount(), 0);
}

TEST_F(PageViewTest, ClosingTheViewReleasesTheFile) {
  const std::string path = Write("page.plim", ThreeLinePage());
  {
    CPLIMDispView shortLived(&document);
    Open(shortLived, path);
    ASSERT_TRUE(IsHeld(path));
  }
  EXPECT_FALSE(IsHeld(path));
}

TEST_F(PageViewTest, FewerLinesLeaveNoTraceOfThePageBefore) {
  Open(Write("three.plim", ThreeLinePage()));
  const PageDraft one = OneLinePage();
  Open(Write("one.plim", one));
  ExpectShowsPage(view, one, true);  // also checks lines 1.. hold nothing
}

TEST_F(PageViewTest, EdgePagesLoad) {
  PageDraft zeroBytes;
  zeroBytes.lines = {DraftLine(0, 0, 1, 1, {}, std::string("a\0b\0", 4))};
  PageDraft noLines;
  noLines.pageWidth = 300;
  noLines.trailing = "ignored bytes";
  PageDraft negativeLines = noLines;
  negativeLines.lineCount = -3;
  PageDraft codeLengthZero;
  codeLengthZero.codeLength = 0;
  codeLengthZero.lines = {DraftLine(1, 1, 1, 1)};
  codeLengthZero.lines[0].charCount = 12;  // no label bytes whatever charCount says
  PageDraft hundredLines;
  hundredLines.lines.assign(kMaxLines, DraftLine(0, 0, 1, 1, {}, "x"));

  const struct {
    const char* name;
    PageDraft page;
    std::int32_t lineCount;
  } cases[] = {
      {"zeros", zeroBytes, 1},         {"empty", noLines, 0},
      {"negative", negativeLines, -3}, {"codezero", codeLengthZero, 1},
      {"hundred", hundredLines, 100},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ui.messages.clear();
    Open(Write(std::string(c.name) + ".plim", c.page));
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_TRUE(view.fileOpen());
    EXPECT_EQ(view.lineCount(), c.lineCount);
    EXPECT_EQ(document.GetTitle(), FromUtf8(c.name));
    EXPECT_EQ(view.pageWidth(), c.page.pageWidth);
  }
  // The label of "zeros": every 0 byte a space, then one terminating 0.
  Open(Write("zeros.plim", zeroBytes));
  const ByteBuffer& label = view.lines()[0].label;
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(label.data()), label.size()),
            std::string("a b \0", 5));
}

TEST_F(PageViewTest, ViewWithoutDocumentLoads) {
  CPLIMDispView alone;
  Open(alone, Write("alone.plim", ThreeLinePage()));
  EXPECT_TRUE(alone.fileOpen());
  EXPECT_EQ(alone.fileTitle(), L"alone");
}

// Records the areas the viewport is asked to repaint.
class PaintRecorder : public QObject {
 public:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint) {
      painted += static_cast<QPaintEvent*>(event)->region();
    }
    return QObject::eventFilter(watched, event);
  }
  QRegion painted;
};

TEST_F(PageViewTest, LoadRepaintsTheWholeClientAreaAndCancelNothing) {
  view.resize(320, 240);
  view.show();
  QCoreApplication::processEvents();
  PaintRecorder recorder;
  view.viewport()->installEventFilter(&recorder);

  ui.Cancel();
  view.OnFileOpen();
  QCoreApplication::processEvents();
  EXPECT_TRUE(recorder.painted.isEmpty());

  Open(Write("page.plim", ThreeLinePage()));
  QCoreApplication::processEvents();
  EXPECT_EQ(recorder.painted, QRegion(view.viewport()->rect()));
}

}  // namespace
