// The page view's zoom keys, scroll extent and the drawing it runs, drawn on plain canvases.
#include <cmath>
#include <cstring>

#include "pageview/DrawingSupport.h"
#include "platform/canvas/Scale.h"
#include "raster/LineBitmap.h"

namespace {

TEST_F(DrawingTest, EachZoomCharacterIsOneStepWhateverItsRepeatCount) {
  const struct {
    const char* keys;
    UINT repeat;
    float zoom;
  } cases[] = {
      {"-++", 1, 1.5749999285f},  // steps do not commute: "++-" gives 1.5750000477
      {"+", 5, 1.5f},
      {"a=*_ 0\r", 1, 1.0f},
  };
  for (const auto& c : cases) {
    CPLIMDispView fresh(&document);
    fresh.AdoptPage(PageHeader{}, Body(0, 0, {}, 1));
    for (const char* key = c.keys; *key != 0; ++key) fresh.OnChar(*key, c.repeat, 0);
    EXPECT_EQ(fresh.zoom(), c.zoom) << c.keys;
  }
}

TEST_F(DrawingTest, ScrollExtentIsTheZoomedPageWithTenthSteps) {
  const struct {
    const char* keys;
    CSize total, page, line;
  } cases[] = {
      {"", {1000, 800}, {100, 80}, {10, 8}},
      {"+", {1500, 1200}, {150, 120}, {15, 12}},
      {"-", {700, 560}, {70, 56}, {7, 5}},
  };
  for (const auto& c : cases) {
    CPLIMDispView fresh(&document);
    fresh.OnInitialUpdate();
    fresh.AdoptPage(PageHeader{}, Body(1000, 800, {}, 1));
    for (const char* key = c.keys; *key != 0; ++key) fresh.OnChar(*key, 1, 0);
    EXPECT_EQ(fresh.GetTotalSize(), (CSize{100, 100})) << "a zoom key alone changes no extent";
    Page page(8, 8);
    CDC dc(page.canvas);
    fresh.OnDraw(&dc);
    EXPECT_EQ(fresh.GetTotalSize(), c.total) << c.keys;
    EXPECT_EQ(fresh.GetPageSize(), c.page) << c.keys;
    EXPECT_EQ(fresh.GetLineSize(), c.line) << c.keys;
  }
}

TEST_F(DrawingTest, PagesWithoutLinesDrawNothingAndIgnoreTheKeys) {
  // Nothing loaded: the first extent stays and the keys do nothing.
  Page page(40, 40);
  EXPECT_TRUE(Draw(page));
  Keys("+-+");
  EXPECT_EQ(view.zoom(), 1.0f);
  EXPECT_EQ(view.GetTotalSize(), (CSize{100, 100}));

  // A page drawn, then one with lineCount 0 loaded: blank, the old extent stays, no zoom.
  Install(300, 200, {}, 1);
  Keys("+");
  EXPECT_TRUE(Draw(page));
  EXPECT_EQ(view.GetTotalSize(), (CSize{450, 300}));
  std::vector<PageLine> lines;
  lines.push_back(ModelLine(0, 0, 40, 40, Solid(0)));
  Install(50, 50, std::move(lines), 0);
  Keys("+-");
  EXPECT_EQ(view.zoom(), 1.5f);
  EXPECT_TRUE(Draw(page));
  EXPECT_EQ(view.GetTotalSize(), (CSize{450, 300}));
  EXPECT_EQ(page.At(5, 5), kWhite);

  // A negative lineCount draws no line but sets the extent, and the keys work.
  lines.clear();
  lines.push_back(ModelLine(0, 0, 40, 40, Solid(0)));
  Install(100, 60, std::move(lines), -3);
  Keys("+");
  EXPECT_EQ(view.zoom(), 2.25f);
  EXPECT_TRUE(Draw(page));
  EXPECT_EQ(view.GetTotalSize(), (CSize{225, 135}));
  EXPECT_EQ(page.At(5, 5), kWhite);
}

int g_allocations = 0;
int g_failAt = 0;

// Fails the g_failAt-th bitmap allocation.
bool FailNthAllocation(std::size_t size, ByteBuffer& out) {
  return ++g_allocations != g_failAt && ByteBuffer::Allocate(size, out);
}

TEST_F(DrawingTest, FailedBitmapAllocationEndsThePassAndTheNextPassDrawsAll) {
  std::vector<PageLine> lines;
  for (int i = 0; i < 3; ++i) lines.push_back(ModelLine(0, i * 10, 10, 5, Solid(0)));
  Install(300, 200, std::move(lines));
  Page page(30, 40);
  g_allocations = 0;
  g_failAt = 2;
  const LineBufferAllocator previous = SetLineBufferAllocator(&FailNthAllocation);
  EXPECT_FALSE(Draw(page));
  SetLineBufferAllocator(previous);
  EXPECT_EQ(page.At(0, 0), kBlack) << "the line before stays";
  EXPECT_EQ(page.At(0, 10), kWhite);
  EXPECT_EQ(page.At(0, 20), kWhite);
  EXPECT_EQ(view.GetTotalSize(), (CSize{100, 100})) << "the extent is not updated";

  EXPECT_TRUE(Draw(page));
  EXPECT_EQ(page.At(0, 10), kBlack);
  EXPECT_EQ(page.At(0, 20), kBlack);
  EXPECT_EQ(view.GetTotalSize(), (CSize{300, 200}));
}

TEST_F(DrawingTest, TenThousandZoomKeysWithPassesBetweenLeaveTheKeysWorking) {
  const struct {
    const char* name;
    char (*key)(int press);
    char refused;  // the key that no longer changes zoom at the end of the run, or 0
  } sequences[] = {
      {"alternating", [](int press) { return press % 2 == 0 ? '+' : '-'; }, 0},
      {"all plus", [](int) { return '+'; }, '+'},
      {"all minus", [](int) { return '-'; }, '-'},
  };
  for (const auto& sequence : sequences) {
    CPLIMDispView fresh(&document);
    std::vector<PageLine> lines;
    lines.push_back(ModelLine(-5, 3, 50, 40, Solid(0x10), "x"));
    lines.push_back(ModelLine(2000, 1000, 30, 30, Solid(0x20)));
    fresh.AdoptPage(PageHeader{}, Body(3000, 2000, std::move(lines)));
    Page page(64, 48, 10, 10);
    for (int press = 0; press < 10000; ++press) {
      fresh.OnChar(static_cast<unsigned char>(sequence.key(press)), 1, 0);
      if (press % 50 == 0) {
        CDC dc(page.canvas);
        dc.SetWindowOrg(page.originX, page.originY);
        ASSERT_TRUE(fresh.DrawPage(&dc)) << sequence.name << " press " << press;
      }
    }
    const CSize extent = fresh.GetTotalSize();
    EXPECT_GE(extent.cx, 0) << sequence.name;
    EXPECT_GE(extent.cy, 0) << sequence.name;
    // Zoom never reaches infinity or 0: a key whose product leaves the normal floats is
    // refused, and the other key still moves the page.
    const float before = fresh.zoom();
    EXPECT_TRUE(std::isnormal(before) && before > 0.0f) << sequence.name << " " << before;
    if (sequence.refused != 0) {
      fresh.OnChar(static_cast<unsigned char>(sequence.refused), 1, 0);
      EXPECT_EQ(fresh.zoom(), before) << sequence.name;
    }
    const char back = sequence.refused == '+' ? '-' : '+';
    fresh.OnChar(static_cast<unsigned char>(back), 1, 0);
    EXPECT_EQ(fresh.zoom(), ZoomStep(before, back)) << sequence.name;
    EXPECT_NE(fresh.zoom(), before) << sequence.name;
  }
}

}  // namespace
