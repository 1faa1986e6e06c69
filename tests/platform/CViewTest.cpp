#include "platform/framework/CView.h"

#include <gtest/gtest.h>

#include <QStringList>
#include <memory>

#include "platform/PlatformUiScript.h"

namespace {

TEST(CViewTest, DocumentThatGoesAwayReadsAsNone) {
  TestApplication();
  auto document = std::make_unique<CDocument>();
  CView view(document.get());
  EXPECT_EQ(view.GetDocument(), document.get());
  document.reset();
  EXPECT_EQ(view.GetDocument(), nullptr);
}

TEST(CViewTest, ClientRectIsTheViewportAtOrigin) {
  TestApplication();
  CView view;
  view.resize(300, 200);
  CRect rect{-1, -1, -1, -1};
  view.GetClientRect(&rect);
  EXPECT_EQ(rect.left, 0);
  EXPECT_EQ(rect.top, 0);
  EXPECT_EQ(rect.Width(), view.viewport()->width());
  EXPECT_EQ(rect.Height(), view.viewport()->height());
}

TEST(CViewTest, DocumentTitleChangeIsAnnounced) {
  TestApplication();
  CDocument document;
  QStringList announced;
  QObject::connect(&document, &CDocument::TitleChanged,
                   [&](const QString& title) { announced << title; });
  document.SetTitle(L"\u9875\u9762");
  EXPECT_EQ(announced, QStringList{QString::fromWCharArray(L"\u9875\u9762")});
  EXPECT_EQ(document.GetTitle(), L"\u9875\u9762");
}

}  // namespace
