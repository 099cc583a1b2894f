// A control's own scroll bars, pixel scrolling and gesture panning on a
// headless screen: the bar data rules, the visibility calculation (bounded,
// with the pixel check), the update lock, the scrolling control's clamped
// positions, moving pixels with only the uncovered strip repainted, and
// panning fed with injected deltas.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "lib/lookandfeel/cxControls.h"
#include "platform/win/win.h"
#include "tests/lookandfeel/control_fixture.h"

namespace lookandfeel {
namespace {

using testing::ControlTest;

// A control whose scroll-bar parameters a test sets.
class BarsControl : public TcxControl {
 public:
  explicit BarsControl(rtl::TComponent* owner) : TcxControl(owner) {}

  struct Params {
    int min = 0, max = 0, page = 0, pos = 0;
    bool allowHide = true;
  } h, v;
  bool pixelBars = false;
  // Passes left in which the parameters contradict the last decision, as a
  // descendant whose measurements depend on the bars just decided would.
  int oscillations = 0;
  int passes = 0;
  int updates = 0;
  std::vector<int> trackedV;

  void Scroll(TScrollBarKind kind, TScrollCode code, int& pos) override {
    if (code == ui::scTrack && kind == TScrollBarKind::sbVertical) {
      trackedV.push_back(pos);
      v.pos = pos;
    }
  }
  void RunUpdate() { DoUpdateScrollBars(); }

 protected:
  void InitScrollBarsParameters() override {
    ++passes;
    if (oscillations > 0) {
      --oscillations;
      // Wants the horizontal bar exactly when it was just decided away.
      const bool wantH = !HScrollBarVisible();
      SetScrollBarInfo(TScrollBarKind::sbHorizontal, 0, wantH ? 10000 : 0, 1, 100, 0, true, true);
      SetScrollBarInfo(TScrollBarKind::sbVertical, 0, 999, 1, 100, 0, true, true);
      return;
    }
    SetScrollBarInfo(TScrollBarKind::sbHorizontal, h.min, h.max, 1, h.page, h.pos, true, h.allowHide);
    SetScrollBarInfo(TScrollBarKind::sbVertical, v.min, v.max, 1, v.page, v.pos, true, v.allowHide);
  }
  bool IsPixelScrollBar(TScrollBarKind) override { return pixelBars; }
  void DoUpdateScrollBars() override {
    ++updates;
    TcxControl::DoUpdateScrollBars();
  }
};

class ScrollBarsTest : public ControlTest {
 protected:
  BarsControl* MakeBars(int width = 300, int height = 200) { return Place<BarsControl>(0, 0, width, height); }
};

// ---- bar data ----------------------------------------------------------------------------------

struct InfoCase {
  const char* name;
  TScrollStyle style;
  int max, page;
  bool allowHide;
  bool visible, enabled;
};
const InfoCase kInfos[] = {
    {"PageFillingTheRangeHidesWhenAllowed", TScrollStyle::ssBoth, 99, 100, true, false, false},
    {"PageFillingTheRangeStaysDisabledOtherwise", TScrollStyle::ssBoth, 99, 100, false, true, false},
    {"PageBelowTheRangeGivesAnEnabledBar", TScrollStyle::ssBoth, 99, 99, true, true, true},
    {"VerticalOnlyStyleNeverShowsTheHorizontalBar", TScrollStyle::ssVertical, 999, 10, false, false, false},
};

class ScrollBarInfoTest : public ScrollBarsTest, public ::testing::WithParamInterface<InfoCase> {};

TEST_P(ScrollBarInfoTest, DecidesVisibilityAndEnabling) {
  const InfoCase& c = GetParam();
  BarsControl* control = MakeBars();
  control->SetScrollBars(c.style);
  control->SetScrollBarInfo(TScrollBarKind::sbHorizontal, 0, c.max, 1, c.page, 0, true, c.allowHide);
  const TcxScrollBarData* data = control->HScrollBar()->GetData();
  EXPECT_EQ(data->FVisible, c.visible);
  if (c.visible) {
    EXPECT_EQ(data->FEnabled, c.enabled);
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, ScrollBarInfoTest, ::testing::ValuesIn(kInfos),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- the visibility calculation --------------------------------------------------------------------

TEST_F(ScrollBarsTest, UpdateShowsTheBarsTheDataDecidesAndPlacesThemBesideTheClient) {
  BarsControl* control = MakeBars(300, 200);
  control->h = {0, 0, 1, 0, true};  // the page covers the range: no bar
  control->v = {0, 999, 100, 0, true};
  control->UpdateScrollBars();
  EXPECT_TRUE(control->VScrollBarVisible());
  EXPECT_FALSE(control->HScrollBarVisible());
  EXPECT_EQ(control->ClientBounds().right, 300 - 17);
  const TRect bar = control->VScrollBar()->GetBoundsRect();
  EXPECT_EQ(bar.left, 300 - 17);
  EXPECT_EQ(bar.bottom, 200);
}

// A descendant whose answers keep flipping with the bars' visibility would
// keep the calculation going for ever; it stops after a few passes.
TEST_F(ScrollBarsTest, OscillatingParametersEndTheVisibilityLoop) {
  BarsControl* control = MakeBars();
  control->oscillations = 1000;
  control->passes = 0;
  control->RunUpdate();
  EXPECT_EQ(control->LastScrollBarsPasses(), TcxControl::kMaxScrollBarsPasses);
  EXPECT_LE(control->passes, 4 * TcxControl::kMaxScrollBarsPasses);
  control->oscillations = 0;
}

struct PixelCase {
  const char* name;
  int hRange, vRange;
  bool hidden;
};
const PixelCase kPixels[] = {
    {"BothFitOnceNeitherBarTakesSpace", 500, 500, true},
    {"ATallerContentKeepsBoth", 500, 520, false},
};

class PixelCheckTest : public ScrollBarsTest, public ::testing::WithParamInterface<PixelCase> {};

TEST_P(PixelCheckTest, HidesBothPixelBarsOnlyWhenBothWouldFit) {
  const PixelCase& c = GetParam();
  BarsControl* control = MakeBars(510, 510);
  control->pixelBars = true;
  control->h = {0, c.hRange - 1, 493, 0, true};
  control->v = {0, c.vRange - 1, 493, 0, true};
  control->UpdateScrollBars();
  EXPECT_EQ(control->HScrollBarVisible(), !c.hidden);
  EXPECT_EQ(control->VScrollBarVisible(), !c.hidden);
}

INSTANTIATE_TEST_SUITE_P(Cases, PixelCheckTest, ::testing::ValuesIn(kPixels),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ScrollBarsTest, LockedUpdatesRunOnceAtTheFinalUnlock) {
  BarsControl* control = MakeBars();
  control->UnlockScrollBars();  // without a lock: nothing
  control->updates = 0;
  control->LockScrollBars();
  control->LockScrollBars();
  for (int i = 0; i < 3; ++i) control->UpdateScrollBars();
  control->UnlockScrollBars();
  EXPECT_EQ(control->updates, 0);
  control->UnlockScrollBars();
  EXPECT_EQ(control->updates, 1);
}

// ---- painted bars ----------------------------------------------------------------------------------

class PaintedBarsControl : public BarsControl {
 public:
  explicit PaintedBarsControl(rtl::TComponent* owner) : BarsControl(owner) {}
  std::vector<TScrollCode> vCodes;
  void Scroll(TScrollBarKind kind, TScrollCode code, int& pos) override {
    if (kind == TScrollBarKind::sbVertical) {
      vCodes.push_back(code);
      v.pos = pos;
    }
  }

 protected:
  std::unique_ptr<TcxControlCustomScrollBars> CreateMainScrollBars() override {
    return std::make_unique<TcxControlScrollBars>(this);
  }
};

TEST_F(ScrollBarsTest, PaintedBarTakesTheClickAndTheGripSwallowsOne) {
  auto* control = Place<PaintedBarsControl>(0, 0, 300, 200);
  control->h = {0, 999, 100, 0, true};
  control->v = {0, 999, 100, 0, true};
  control->UpdateScrollBars();
  ASSERT_TRUE(control->VScrollBarVisible());
  ASSERT_TRUE(control->HScrollBarVisible());
  EXPECT_EQ(control->ControlCount(), 0);  // drawn, not child windows
  const TRect bar = control->VScrollBar()->GetBoundsRect();
  const int x = (bar.left + bar.right) / 2, y = bar.bottom - 5;  // the down arrow
  MouseDown(control, x, y);
  EXPECT_TRUE(control->IsScrollBarsCapture());
  MouseUp(control, x, y);
  EXPECT_FALSE(control->IsScrollBarsCapture());
  EXPECT_EQ(control->vCodes, (std::vector<TScrollCode>{ui::scLineDown, ui::scEndScroll}));
  EXPECT_EQ(control->v.pos, 1);

  BarsControl* other = Place<BarsControl>(310, 0, 50, 50);
  other->SetFocus();
  ASSERT_TRUE(other->Focused());
  control->vCodes.clear();
  MouseDown(control, 300 - 5, 200 - 5);  // the size grip
  MouseUp(control, 300 - 5, 200 - 5);
  EXPECT_FALSE(control->Focused());
  EXPECT_TRUE(control->vCodes.empty());
}

// ---- gesture panning ------------------------------------------------------------------------------

struct PanCase {
  const char* name;
  int page;                // vertical page; the client is 200 pixels high
  std::vector<int> deltas;
  int position;            // starting at 500
  int remainder;
};
const PanCase kPans[] = {
    {"SmallPansWaitForAWholeUnit", 5, {25}, 500, 25},
    {"AccumulatedPixelsMoveOneUnitAndKeepTheRest", 5, {25, 10}, 499, 5},
    {"ContentFollowsTheFingerBackwards", 5, {-65}, 502, -5},
    {"ClientSmallerThanAPageStillPans", 400, {3}, 497, 0},
};

class GesturePanTest : public ScrollBarsTest, public ::testing::WithParamInterface<PanCase> {};

TEST_P(GesturePanTest, TurnsPixelsIntoBarUnits) {
  const PanCase& c = GetParam();
  BarsControl* control = MakeBars(300, 200);
  control->v = {0, 1999, c.page, 500, true};
  control->UpdateScrollBars();
  ASSERT_TRUE(control->VScrollBarVisible());
  control->BeginGestureScroll(ui::TPoint{10, 10});
  for (int d : c.deltas) {
    control->GestureScroll(0, d);
    control->UpdateScrollBars();
  }
  EXPECT_EQ(control->v.pos, c.position);
  EXPECT_EQ(control->GestureAccumulatedDelta().y, c.remainder);
}

INSTANTIATE_TEST_SUITE_P(Cases, GesturePanTest, ::testing::ValuesIn(kPans),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ScrollBarsTest, HorizontalPanNeedsTheHorizontalBar) {
  BarsControl* control = MakeBars();
  control->v = {0, 999, 100, 0, true};
  control->UpdateScrollBars();
  EXPECT_FALSE(control->AllowPan(TScrollBarKind::sbHorizontal));
  EXPECT_TRUE(control->AllowPan(TScrollBarKind::sbVertical));
}

// ---- the scrolling control --------------------------------------------------------------------------

class PlaneControl : public TcxScrollingControl {
 public:
  explicit PlaneControl(rtl::TComponent* owner) : TcxScrollingControl(owner) {}
  TSize content{1000, 300};
  int paints = 0;

 protected:
  TSize GetContentSize() override { return content; }
  void DoPaint() override {
    TcxScrollingControl::DoPaint();
    ++paints;
    // Horizontal stripes of the content, 10 pixels each, moved by TopPos.
    const TRect client = ClientBounds();
    for (int y = client.top; y < client.bottom; ++y) {
      const int row = (y + TopPos()) / 10;
      cxCanvas()->FillRect(TRect{client.left, y, client.right, y + 1}, row % 2 ? ui::clBlack : ui::clWhite);
    }
  }
};

class ScrollingControlTest : public ControlTest {};

TEST_F(ScrollingControlTest, PositionsStayClampedToContentMinusClient) {
  PlaneControl* c = Place<PlaneControl>(0, 0, 400, 400);
  c->LayoutChanged();
  EXPECT_FALSE(c->VScrollBarVisible());
  EXPECT_TRUE(c->HScrollBarVisible());
  const int clientWidth = c->ClientSize().cx;
  c->SetLeftPos(10000);
  EXPECT_EQ(c->LeftPos(), 1000 - clientWidth);
  c->SetLeftPos(-5);
  EXPECT_EQ(c->LeftPos(), 0);
  c->SetTopPos(50);
  EXPECT_EQ(c->TopPos(), 0);
}

TEST_F(ScrollingControlTest, PageDownAdvancesByTheClientHeightAndReportsIt) {
  PlaneControl* c = Place<PlaneControl>(0, 0, 400, 400);
  c->content = TSize{300, 2000};
  c->LayoutChanged();
  int pos = 0;
  c->Scroll(TScrollBarKind::sbVertical, ui::scPageDown, pos);
  EXPECT_EQ(c->TopPos(), c->ClientSize().cy);
  EXPECT_EQ(pos, c->TopPos());
  c->Scroll(TScrollBarKind::sbVertical, ui::scBottom, pos);  // changes nothing
  EXPECT_EQ(pos, c->ClientSize().cy);
}

// Panning a pixel plane moves it with the finger in pixels, clamped, and
// only along directions whose bar shows.
TEST_F(ScrollingControlTest, PanningMovesThePlaneByPixelsAlongShownBarsOnly) {
  PlaneControl* c = Place<PlaneControl>(0, 0, 400, 400);
  c->content = TSize{300, 2000};  // no horizontal bar
  c->LayoutChanged();
  ASSERT_FALSE(c->HScrollBarVisible());
  c->SetTopPos(100);
  c->GestureScroll(-40, -25);
  EXPECT_EQ(c->TopPos(), 125);
  EXPECT_EQ(c->LeftPos(), 0);
  c->GestureScroll(0, 500);
  EXPECT_EQ(c->TopPos(), 0);
}

struct MakeVisibleCase {
  const char* name;
  TRect item;  // client coordinates at the current position (LeftPos 100)
  bool fully;
  int leftPos;
};
// The client is 383 pixels wide (400 less the vertical bar), LeftPos 100.
const MakeVisibleCase kMakeVisible[] = {
    {"PartlyVisibleNotFullyChangesNothing", {350, 0, 420, 10}, false, 100},
    {"PartlyVisibleFullyShowsItsRightEdge", {350, 0, 420, 10}, true, 100 + 420 - 383},
    {"WiderThanClientStartingBeforeAlignsLeft", {-20, 0, 500, 10}, true, 80},
    {"WiderThanClientStartingInsideAlignsRight", {20, 0, 500, 10}, true, 100 + 500 - 383},
    {"WhollyAfterIsBroughtIn", {400, 0, 410, 10}, false, 100 + 410 - 383},
};

class MakeVisibleTest : public ScrollingControlTest, public ::testing::WithParamInterface<MakeVisibleCase> {};

TEST_P(MakeVisibleTest, ScrollsJustEnough) {
  const MakeVisibleCase& m = GetParam();
  PlaneControl* c = Place<PlaneControl>(0, 0, 400, 400);
  c->content = TSize{2000, 2000};
  c->LayoutChanged();
  ASSERT_EQ(c->ClientSize().cx, 383);
  c->SetLeftPos(100);
  c->MakeVisible(m.item, m.fully);
  EXPECT_EQ(c->LeftPos(), m.leftPos);
}

INSTANTIATE_TEST_SUITE_P(Cases, MakeVisibleTest, ::testing::ValuesIn(kMakeVisible),
                         [](const auto& info) { return std::string(info.param.name); });

// Scrolling the window moves the pixels already drawn and leaves only the
// uncovered strip to repaint.
TEST_F(ScrollingControlTest, ScrollWindowMovesPixelsAndInvalidatesOnlyTheStrip) {
  PlaneControl* c = Place<PlaneControl>(0, 0, 200, 200);
  c->content = TSize{150, 150};  // no bars: the client is the whole control
  c->LayoutChanged();
  c->Invalidate();
  Process();
  const gdi::ImageBGRA before = win::headless::Screenshot(form()->Handle());
  auto pixel = [](const gdi::ImageBGRA& img, int x, int y) { return img.pixels[size_t(y) * img.width + x] & 0xFFFFFF; };
  ASSERT_NE(pixel(before, 50, 5), pixel(before, 50, 15));
  c->ScrollWindow(0, -30, c->ClientRect());
  win::RECT update{};
  win::GetUpdateRect(c->Handle(), &update, false);
  EXPECT_EQ(update.top, 200 - 30);
  EXPECT_EQ(update.bottom, 200);
  EXPECT_EQ(update.left, 0);
  EXPECT_EQ(update.right, 200);
  win::ValidateRect(c->Handle(), nullptr);
  const gdi::ImageBGRA after = win::headless::Screenshot(form()->Handle());
  for (int y = 0; y < 170; y += 7) EXPECT_EQ(pixel(after, 50, y), pixel(before, 50, y + 30)) << y;
}

}  // namespace
}  // namespace lookandfeel
