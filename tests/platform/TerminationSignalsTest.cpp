#include "platform/framework/TerminationSignals.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QEventLoop>
#include <QTimer>
#include <csignal>

#include "platform/PlatformUiScript.h"

namespace {

TEST(TerminationSignals, EachSignalEndsTheLoopsAndThePreviousHandlingReturns) {
  QApplication& app = TestApplication();
  for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
    bool nestedEnded = false;
    struct sigaction before {};
    ::sigaction(signal, nullptr, &before);
    {
      const TerminationSignalsQuit quit;
      ASSERT_TRUE(quit.Active());
      // The signal arrives while a nested loop (a modal dialog) runs inside the main one.
      QTimer::singleShot(0, [&] {
        QEventLoop nested;
        QTimer::singleShot(0, [signal] { std::raise(signal); });
        nested.exec();
        nestedEnded = true;
      });
      QTimer safety;
      safety.setSingleShot(true);
      QObject::connect(&safety, &QTimer::timeout, [] { QCoreApplication::exit(7); });
      safety.start(10'000);
      EXPECT_EQ(app.exec(), 0) << signal;
    }
    EXPECT_TRUE(nestedEnded) << signal;
    struct sigaction now {};
    ::sigaction(signal, nullptr, &now);
    EXPECT_EQ(now.sa_handler, before.sa_handler) << signal;
  }
}

}  // namespace
