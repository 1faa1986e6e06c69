// Where page windows go (new, cascaded, tiled), the frame caption, and pages dropped on the
// frame.
#include <QDropEvent>
#include <QMdiArea>
#include <QMimeData>
#include <QUrl>

#include "platform/framework/MdiLayout.h"
#include "resources/Resource.h"
#include "shell/ShellFixture.h"

namespace {

TEST(MdiLayout, CascadesKeepWindowsAsLargeAsTheOffsetsAllow) {
  const struct {
    QSize area;
    int count, step;
    QSize size;
    int lastOffset;
  } cases[] = {
      {{800, 600}, 1, 20, {800, 600}, 0},
      {{800, 600}, 3, 20, {760, 560}, 40},
      {{800, 600}, 16, 20, {500, 300}, 20 * (15 % 16)},
      // Runs restart at the corner once a window would drop below half the area.
      {{800, 600}, 40, 20, {500, 300}, 20 * (39 % 16)},
      {{100, 100}, 4, 200, {100, 100}, 0},
  };
  for (const auto& c : cases) {
    const std::vector<QRect> rects = CascadeRects(c.area, c.count, c.step);
    ASSERT_EQ(rects.size(), static_cast<std::size_t>(c.count));
    for (const QRect& rect : rects) {
      EXPECT_EQ(rect.size(), c.size) << c.count;
      EXPECT_LE(rect.right(), c.area.width() - 1) << c.count;
      EXPECT_LE(rect.bottom(), c.area.height() - 1) << c.count;
    }
    EXPECT_EQ(rects.back().topLeft(), QPoint(c.lastOffset, c.lastOffset)) << c.count;
  }
}

TEST(MdiLayout, TilesFillTheAreaOneAboveTheOtherAtFullWidth) {
  for (const int count : {1, 2, 3, 7}) {
    const std::vector<QRect> rects = TileHorizontallyRects({640, 481}, count);
    ASSERT_EQ(rects.size(), static_cast<std::size_t>(count));
    int top = 0;
    for (const QRect& rect : rects) {
      EXPECT_EQ(rect.left(), 0);
      EXPECT_EQ(rect.width(), 640);
      EXPECT_EQ(rect.top(), top);
      EXPECT_LE(rect.height() - rects.back().height(), 1);
      top = rect.bottom() + 1;
    }
    EXPECT_EQ(top, 481) << count;
  }
}

TEST(MdiLayout, IconsLineUpAlongTheBottomAndWrapUpwards) {
  const QSize icon(200, 24);
  const struct {
    QSize area;
    int count;
    std::vector<QPoint> places;
    int height;
  } cases[] = {
      {{800, 600}, 0, {}, 0},
      {{800, 600}, 3, {{0, 576}, {200, 576}, {400, 576}}, 24},
      {{500, 600}, 3, {{0, 576}, {200, 576}, {0, 552}}, 48},
      // Too narrow for one icon: each takes a row of its own.
      {{100, 100}, 2, {{0, 76}, {0, 52}}, 48},
  };
  for (const auto& c : cases) {
    const IconRows rows = ArrangeIconRows(c.area, std::vector<QSize>(c.count, icon));
    std::vector<QPoint> places;
    for (const QRect& place : rows.places) places.push_back(place.topLeft());
    EXPECT_EQ(places, c.places) << c.area.width() << " " << c.count;
    EXPECT_EQ(rows.height, c.height) << c.area.width() << " " << c.count;
  }
}

TEST_F(ShellFixture, MinimisedWindowsSitSideBySideAtTheBottomAndArrangingKeepsThemInSight) {
  ASSERT_TRUE(Start());
  Frame().show();
  ASSERT_TRUE(Frame().ExecuteCommand(ID_FILE_NEW));
  ASSERT_TRUE(Frame().ExecuteCommand(ID_FILE_NEW));
  const std::vector<CMDIChildWnd*> windows = Windows();
  Frame().MDIActivate(windows[0]);
  windows[0]->showMinimized();
  windows[1]->showMinimized();
  ReleaseClosed();
  const QSize area = Frame().MdiArea()->viewport()->size();
  const QRect first = windows[0]->geometry(), second = windows[1]->geometry();
  EXPECT_EQ(first.bottom(), area.height() - 1);
  EXPECT_EQ(second.top(), first.top());
  EXPECT_EQ(second.left(), first.right() + 1) << "side by side";
  EXPECT_EQ(Frame().MDIGetActive(), windows[2]) << "the keyboard goes to a window in full";

  // Tile and cascade leave the row of icons free; arrange puts the icons back on top.
  for (const UINT command : {ID_WINDOW_TILE_HORZ, ID_WINDOW_CASCADE}) {
    ASSERT_TRUE(Frame().ExecuteCommand(command));
    EXPECT_EQ(windows[2]->geometry().bottom(), first.top() - 1) << command;
    EXPECT_EQ(windows[0]->geometry(), first) << command;
  }
  windows[0]->move(100, 50);
  windows[2]->raise();
  ASSERT_TRUE(Frame().ExecuteCommand(ID_WINDOW_ARRANGE));
  EXPECT_EQ(windows[0]->geometry(), first);
  EXPECT_NE(Frame().MdiArea()->subWindowList(QMdiArea::StackingOrder).constLast(), windows[2]);
}

TEST_F(ShellFixture, FirstPageWindowHasTheSizeOfLaterOnesAndArrangingFillsTheArea) {
  ASSERT_TRUE(Start());
  Frame().show();
  QCoreApplication::processEvents();
  ASSERT_TRUE(Frame().ExecuteCommand(ID_FILE_NEW));
  ASSERT_TRUE(Frame().ExecuteCommand(ID_FILE_NEW));
  const std::vector<CMDIChildWnd*> windows = Windows();
  ASSERT_EQ(windows.size(), 3u);
  const QSize area = Frame().MdiArea()->viewport()->size();
  EXPECT_EQ(windows[0]->size(), area * 3 / 4);
  EXPECT_EQ(windows[1]->size(), windows[0]->size());

  ASSERT_TRUE(Frame().ExecuteCommand(ID_WINDOW_CASCADE));
  const int step = windows[2]->geometry().top() - windows[1]->geometry().top();
  EXPECT_GT(step, 0);
  for (CMDIChildWnd* window : windows) {
    EXPECT_EQ(window->size(), area - QSize(2 * step, 2 * step));
  }
  EXPECT_EQ(Frame().MDIGetActive(), windows[2]) << "the active window stays on top";

  ASSERT_TRUE(Frame().ExecuteCommand(ID_WINDOW_TILE_HORZ));
  int height = 0;
  for (CMDIChildWnd* window : windows) {
    EXPECT_EQ(window->geometry().left(), 0);
    EXPECT_EQ(window->width(), area.width());
    height += window->height();
  }
  EXPECT_EQ(height, area.height());
}

TEST_F(ShellFixture, MaximisedPageWindowAddsItsTitleInBracketsToTheCaption) {
  const std::string path = WritePage("page01.plim", 1);
  ASSERT_TRUE(Start({path}));
  EXPECT_EQ(Frame().windowTitle(), "PLIMDisp - page01");
  Frame().MDIGetActive()->showMaximized();
  EXPECT_EQ(Frame().windowTitle(), "PLIMDisp - [page01]");
  Frame().MDIGetActive()->showNormal();
  EXPECT_EQ(Frame().windowTitle(), "PLIMDisp - page01");
}

TEST_F(ShellFixture, DroppedFilesOpenThroughTheFrameworkOpenPath) {
  const std::string page = WritePage("dropped.PLIM", 2);
  const std::string other = dir.File("notes.txt");
  ASSERT_TRUE(Start());
  QMimeData data;
  data.setUrls({QUrl::fromLocalFile(QString::fromStdString(other)),
                QUrl::fromLocalFile(QString::fromStdString(page)),
                QUrl(QStringLiteral("https://example.invalid/remote.plim"))});
  EXPECT_EQ(DroppedFiles(&data), std::vector<std::string>{page});

  // Drops reach only the widget that accepted the drag's entry.
  QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(&Frame(), &enter);
  EXPECT_TRUE(enter.isAccepted());
  QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(&Frame(), &drop);
  EXPECT_TRUE(drop.isAccepted());
  ASSERT_EQ(Windows().size(), 2u);
  EXPECT_EQ(Frame().MDIGetActive()->windowTitle(), "dropped");
  EXPECT_EQ(ActiveView()->lineCount(), 2);
  EXPECT_EQ(app->RecentFiles()->Entries(), std::vector<std::string>{page});

  QMimeData text;
  text.setText(QStringLiteral("not a file"));
  QDragEnterEvent refused(QPoint(10, 10), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
  refused.ignore();
  QCoreApplication::sendEvent(&Frame(), &refused);
  EXPECT_FALSE(refused.isAccepted());
  EXPECT_EQ(Windows().size(), 2u);
}

}  // namespace
