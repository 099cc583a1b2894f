// The library's scroll bar as a window on a headless screen with the test
// clock: the layout of its parts, the parameter rules, the scroll codes of
// presses and drags, the auto-repeat timing, and a randomised run of clicks,
// drags, scroll requests and timer ticks that must keep the position in its
// range and the thumb in its track.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "lib/lookandfeel/cxScrollBar.h"
#include "platform/rtl/except.h"
#include "platform/rtl/mathutil.h"
#include "tests/lookandfeel/control_fixture.h"

namespace lookandfeel {
namespace {

using TPart = TcxScrollBarPart;
using testing::ControlTest;

// Records the scroll codes and positions the bar reports.
struct ScrollLog {
  std::vector<TScrollCode> codes;
  std::vector<int> positions;
  int changes = 0;
  void OnScroll(rtl::TObject*, TScrollCode code, int& pos) {
    codes.push_back(code);
    positions.push_back(pos);
  }
  void OnChange(rtl::TObject*) { ++changes; }
};

class ScrollBarTest : public ControlTest {
 protected:
  TcxScrollBar* MakeBar(int width, int min, int max, int page, int position) {
    TcxScrollBar* bar = Place<TcxScrollBar>(10, 10, width, 17);
    bar->SetScrollParams(min, max, position, page);
    bar->SetOnScroll(TScrollEvent::bind<&ScrollLog::OnScroll>(&log));
    bar->SetOnChange(rtl::TNotifyEvent::bind<&ScrollLog::OnChange>(&log));
    return bar;
  }
  static TRect PartBounds(TcxScrollBar* bar, TPart part) { return bar->Helper()->ViewInfo()->PartBounds(part); }
  static int Center(const TRect& r) { return (r.left + r.right) / 2; }
  ScrollLog log;
};

// ---- layout ---------------------------------------------------------------------------------

struct LayoutCase {
  const char* name;
  int width, min, max, page, position;
  int arrow;                   // length of each arrow
  int thumbStart, thumbSize;   // thumbSize 0: no thumb
};

const int kThumb = 17;  // the system thumb size of the headless screen

const LayoutCase kLayouts[] = {
    {"SystemThumbAtStart", 121, 0, 100, 0, 0, 17, 17, kThumb},
    {"SystemThumbMidway", 121, 0, 100, 0, 50, 17, 17 + rtl::MulDiv(87 - kThumb, 50, 100), kThumb},
    {"SystemThumbAtEnd", 121, 0, 100, 0, 100, 17, 17 + 87 - kThumb, kThumb},
    {"PageSizedThumb", 234, 0, 99, 10, 0, 17, 17, 20},
    {"PageThumbTouchesEndAt90", 234, 0, 99, 10, 90, 17, 17 + 200 - 20, 20},
    {"PageThumbStaysAtEndBeyond90", 234, 0, 99, 10, 99, 17, 17 + 200 - 20, 20},
    {"EqualMinMaxKeepsTheThumbAtTheStart", 121, 5, 5, 0, 5, 17, 17, kThumb},
    {"ShortBarSplitsIntoTwoArrows", 30, 0, 100, 0, 0, 15, 0, 0},
};

class ScrollBarLayout : public ScrollBarTest, public ::testing::WithParamInterface<LayoutCase> {};

TEST_P(ScrollBarLayout, PartsFollowRangePageAndPosition) {
  const LayoutCase& c = GetParam();
  TcxScrollBar* bar = MakeBar(c.width, c.min, c.max, c.page, c.position);
  const TRect up = PartBounds(bar, TPart::sbpLineUp), down = PartBounds(bar, TPart::sbpLineDown);
  EXPECT_EQ(up.right - up.left, c.arrow);
  EXPECT_EQ(down.right - down.left, c.arrow);
  EXPECT_EQ(down.right, c.width);
  const TRect thumb = PartBounds(bar, TPart::sbpThumbnail);
  EXPECT_EQ(thumb.right - thumb.left, c.thumbSize);
  if (c.thumbSize == 0) {
    EXPECT_EQ(PartBounds(bar, TPart::sbpPageUp).right, PartBounds(bar, TPart::sbpPageUp).left);
    return;
  }
  EXPECT_EQ(thumb.left, c.thumbStart);
  EXPECT_EQ(PartBounds(bar, TPart::sbpPageUp).right, thumb.left);
  EXPECT_EQ(PartBounds(bar, TPart::sbpPageDown).left, thumb.right);
}

INSTANTIATE_TEST_SUITE_P(Cases, ScrollBarLayout, ::testing::ValuesIn(kLayouts),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- parameters ---------------------------------------------------------------------------

TEST_F(ScrollBarTest, OutOfRangeParametersRaiseAndChangeNothing) {
  TcxScrollBar* bar = MakeBar(121, 0, 100, 10, 40);
  EXPECT_THROW(bar->SetScrollParams(50, 40, 45, 0), rtl::EInvalidOperation);
  EXPECT_THROW(bar->SetScrollParams(0, 10, 5, 11), rtl::EInvalidOperation);
  EXPECT_EQ(bar->Min(), 0);
  EXPECT_EQ(bar->Max(), 100);
  EXPECT_EQ(bar->PageSize(), 10);
  EXPECT_EQ(bar->Position(), 40);
}

TEST_F(ScrollBarTest, ChangeFiresOnlyWhenThePositionMovesAndNeverTheScrollEvent) {
  TcxScrollBar* bar = MakeBar(121, 0, 100, 10, 40);
  log = {};
  bar->SetScrollParams(0, 100, 40, 10);   // same values
  bar->SetScrollParams(0, 100, 40, 20);   // page only
  EXPECT_EQ(log.changes, 0);
  bar->SetScrollParams(0, 100, 500, 20);  // clamped to 100
  EXPECT_EQ(bar->Position(), 100);
  EXPECT_EQ(log.changes, 1);
  EXPECT_TRUE(log.codes.empty());
}

// ---- presses and drags ------------------------------------------------------------------------

TEST_F(ScrollBarTest, DragReportsTrackThenPositionThenEnd) {
  TcxScrollBar* bar = MakeBar(234, 0, 99, 10, 0);
  const TRect thumb = PartBounds(bar, TPart::sbpThumbnail);
  MouseDown(bar, Center(thumb), 8);
  MouseMove(bar, Center(thumb) + 40, 8);
  MouseUp(bar, Center(thumb) + 40, 8);
  ASSERT_GE(log.codes.size(), 4u);
  EXPECT_EQ(log.codes.front(), ui::scTrack);
  EXPECT_EQ(log.codes[1], ui::scTrack);
  EXPECT_EQ(log.codes[log.codes.size() - 2], ui::scPosition);
  EXPECT_EQ(log.codes.back(), ui::scEndScroll);
  EXPECT_EQ(bar->Position(), rtl::MulDiv(90, 40, 180));
}

TEST_F(ScrollBarTest, DragFarAcrossTheBarSnapsBackToThePressPosition) {
  TcxScrollBar* bar = MakeBar(234, 0, 99, 10, 30);
  const TRect thumb = PartBounds(bar, TPart::sbpThumbnail);
  MouseDown(bar, Center(thumb), 8);
  MouseMove(bar, Center(thumb) + 30, 8);
  EXPECT_NE(bar->Position(), 30);
  MouseMove(bar, Center(thumb) + 30, 8 + 17 + 136);  // beyond the tolerance across the bar
  EXPECT_EQ(bar->Position(), 30);
  MouseUp(bar, Center(thumb) + 30, 8 + 17 + 136);
}

TEST_F(ScrollBarTest, ArrowRepeatsAfter400msThenEvery60msAndPausesOffTheArrow) {
  TcxScrollBar* bar = MakeBar(234, 0, 1000, 0, 0);
  const TRect down = PartBounds(bar, TPart::sbpLineDown);
  MouseDown(bar, Center(down), 8);
  EXPECT_EQ(bar->Position(), 1);
  Advance(399);
  EXPECT_EQ(bar->Position(), 1);
  Advance(1);
  EXPECT_EQ(bar->Position(), 2);
  Advance(60);
  EXPECT_EQ(bar->Position(), 3);
  MouseMove(bar, 2, 8);  // onto the other arrow: the repeat pauses
  Advance(600);
  EXPECT_EQ(bar->Position(), 3);
  MouseMove(bar, Center(down), 8);
  Advance(60);
  EXPECT_EQ(bar->Position(), 4);
  MouseUp(bar, Center(down), 8);
  EXPECT_EQ(log.codes.back(), ui::scEndScroll);
  EXPECT_EQ(std::count(log.codes.begin(), log.codes.end(), ui::scPosition), 0);
}

// A page so close to the range that the thumb fills the whole track leaves
// no room to read a position from the thumb: releasing it keeps the position.
TEST_F(ScrollBarTest, ReleasingAThumbThatFillsTheTrackKeepsThePosition) {
  TcxScrollBar* bar = MakeBar(121, 100, 1099, 999, 600);
  const TRect thumb = PartBounds(bar, TPart::sbpThumbnail);
  ASSERT_EQ(thumb.right - thumb.left, 121 - 2 * 17);
  log = {};
  MouseDown(bar, Center(thumb), 8);
  MouseMove(bar, Center(thumb) + 5, 8);
  MouseUp(bar, Center(thumb) + 5, 8);
  EXPECT_EQ(bar->Position(), 600);
  EXPECT_EQ(log.changes, 0);
  for (int p : log.positions) EXPECT_EQ(p, 600);
}

// ---- randomised interaction -------------------------------------------------------------------

TEST_F(ScrollBarTest, RandomInteractionKeepsPositionInRangeAndThumbInTrack) {
  TcxScrollBar* bar = MakeBar(300, 0, 100, 10, 0);
  std::mt19937 random(20261211);
  auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(random); };
  bool down = false;
  for (int step = 0; step < 1500; ++step) {
    switch (pick(0, 6)) {
      case 0: {
        const int min = pick(-50, 50), max = min + pick(0, 300);
        bar->SetScrollParams(min, max, pick(min - 20, max + 20), pick(0, max - min));
        break;
      }
      case 1:
        if (!down) {
          MouseDown(bar, pick(0, 299), pick(0, 16));
          down = true;
        }
        break;
      case 2: MouseMove(bar, pick(-200, 500), pick(-200, 200)); break;
      case 3:
        if (down) {
          MouseUp(bar, pick(-50, 350), pick(-20, 40));
          down = false;
        }
        break;
      case 4: Advance(pick(1, 500)); break;
      case 5: bar->Perform(ui::CN_HSCROLL, win::WPARAM(pick(0, 8)), 0); break;
      default: bar->SetKind(pick(0, 1) ? TScrollBarKind::sbVertical : TScrollBarKind::sbHorizontal); break;
    }
    ASSERT_GE(bar->Position(), bar->Min()) << "step " << step;
    ASSERT_LE(bar->Position(), bar->Max()) << "step " << step;
    const bool horizontal = bar->Kind() == TScrollBarKind::sbHorizontal;
    const TRect thumb = PartBounds(bar, TPart::sbpThumbnail);
    if (thumb.right > thumb.left && thumb.bottom > thumb.top) {
      const TRect up = PartBounds(bar, TPart::sbpLineUp), dn = PartBounds(bar, TPart::sbpLineDown);
      ASSERT_GE(horizontal ? thumb.left : thumb.top, horizontal ? up.right : up.bottom) << "step " << step;
      ASSERT_LE(horizontal ? thumb.right : thumb.bottom, horizontal ? dn.left : dn.top) << "step " << step;
    }
  }
  if (down) MouseUp(bar, 0, 0);
}

TEST_F(ScrollBarTest, ChangingKindTurnsTheBarOnItsFootprint) {
  TcxScrollBar* bar = MakeBar(121, 0, 100, 0, 0);
  bar->SetKind(TScrollBarKind::sbVertical);
  EXPECT_EQ(bar->Width(), 17);
  EXPECT_EQ(bar->Height(), 121);
  EXPECT_EQ(PartBounds(bar, TPart::sbpLineDown).bottom, 121);
}

}  // namespace
}  // namespace lookandfeel
