// A thousand loads and closes, and loads that fail between good ones, leave the memory held by
// the program where it was after the first few (which fill Qt's one-time caches). Under the
// leak checker the same runs show that nothing is lost outright.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "pageview/CPLIMDispView.h"
#include "platform/PlatformUiScript.h"
#include "platform/framework/CDocument.h"
#include "reliability/PageFiles.h"
#include "support/CountingNew.h"

namespace {

constexpr int kWarmUpCycles = 20;
constexpr int kCycles = 1000;

class LeakCycles : public testing::Test {
 protected:
  // Runs `cycle` kWarmUpCycles times, then kCycles times, and returns how much the program's
  // live memory grew over the second run.
  std::int64_t Growth(const std::function<void()>& cycle) {
    for (int i = 0; i < kWarmUpCycles; ++i) RunOnce(cycle);
    const std::int64_t before = LiveNewBytes();
    for (int i = 0; i < kCycles; ++i) RunOnce(cycle);
    return LiveNewBytes() - before;
  }

  void RunOnce(const std::function<void()>& cycle) {
    cycle();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
    ui.messages.clear();
  }

  QApplication& app = TestApplication();
  TempDir dir;
  PlatformUiScript ui;
  const std::string good = WritePageBytes(dir, "good.plim", WritePage(SmallPage()));
  const std::string other = WritePageBytes(dir, "other.plim", WritePage(SmallPage()));
  const std::string damaged = WritePageBytes(dir, "damaged.plim", [] {
    std::string bytes = WritePage(SmallPage());
    bytes.pop_back();
    return bytes;
  }());
  const std::string missing = dir.File("missing.plim");
};

TEST_F(LeakCycles, LoadsClosesAndFailuresHoldNoMoreMemory) {
  CDocument document;
  CPLIMDispView longLived(&document);
  ASSERT_TRUE(longLived.LoadPageFile(good));

  const struct {
    const char* name;
    std::function<void()> cycle;
  } cases[] = {
      {"load and close",
       [&] {
         CDocument shortDocument;
         CPLIMDispView view(&shortDocument);
         EXPECT_TRUE(view.LoadPageFile(other));
       }},
      {"load, fail on a damaged page, load",
       [&] {
         EXPECT_FALSE(longLived.LoadPageFile(damaged));
         EXPECT_TRUE(longLived.LoadPageFile(good));
       }},
      {"load, fail to open, load",
       [&] {
         EXPECT_FALSE(longLived.LoadPageFile(missing));
         EXPECT_TRUE(longLived.LoadPageFile(good));
       }},
      {"load the held file again", [&] { EXPECT_TRUE(longLived.LoadPageFile(good)); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    // A failed expectation keeps memory of its own, so growth only counts after a clean run.
    const std::int64_t growth = Growth(c.cycle);
    if (!HasFailure()) {
      EXPECT_EQ(growth, 0);
    }
  }
}

}  // namespace
