#include "platform/system/MessageBox.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QMessageBox>
#include <QTimer>

#include "platform/PlatformUiScript.h"
#include "platform/framework/WidgetDialogs.h"

namespace {

class MessageBoxTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TestApplication();
    SetFallbackPlatformUi(&WidgetDialogs());
    previousName = QCoreApplication::applicationName();
    QCoreApplication::setApplicationName(QString::fromWCharArray(L"\u9875\u9762 Viewer"));
  }
  void TearDown() override { QCoreApplication::setApplicationName(previousName); }
  QString previousName;
};

TEST_F(MessageBoxTest, SeamReceivesTextAndApplicationCaption) {
  PlatformUiScript ui;
  EXPECT_EQ(AfxMessageBox(L"Cannot open the PLIM file\n\nWhy."), IDOK);
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].caption, L"\u9875\u9762 Viewer");
  EXPECT_EQ(ui.messages[0].text, L"Cannot open the PLIM file\n\nWhy.");
}

TEST_F(MessageBoxTest, RealBoxIsAWarningWithOnlyOk) {
  bool seen = false;
  QTimer::singleShot(0, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr) return;
    seen = true;
    EXPECT_EQ(box->icon(), QMessageBox::Warning);
    EXPECT_EQ(box->standardButtons(), QMessageBox::Ok);
    EXPECT_EQ(box->windowTitle(), QString::fromWCharArray(L"\u9875\u9762 Viewer"));
    EXPECT_EQ(box->text(), "Cannot open the PLIM file");
    EXPECT_FALSE(box->windowFlags() &
                 (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
    box->button(QMessageBox::Ok)->click();
  });
  QTimer::singleShot(5000, [] {
    if (QWidget* modal = QApplication::activeModalWidget()) modal->close();
  });
  EXPECT_EQ(AfxMessageBox(L"Cannot open the PLIM file"), IDOK);
  EXPECT_TRUE(seen);
}

}  // namespace
