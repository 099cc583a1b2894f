// Hot-tracked scroll-bar parts cross-fading through the global fader on a
// headless screen with the test clock: which painters fade, the frames of a
// fade-in and a fade-out as pixels of the windowed bar, the page parts that
// never fade, and the painted bars of a control fading the same way.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "lib/lookandfeel/cxControls.h"
#include "lib/lookandfeel/cxControlsSystem.h"
#include "lib/lookandfeel/cxLookAndFeelPaintersManager.h"
#include "lib/lookandfeel/cxScrollBar.h"
#include "lib/lookandfeel/dxFading.h"
#include "platform/win/headless.h"
#include "tests/lookandfeel/control_fixture.h"

namespace lookandfeel {
namespace {

using TPart = TcxScrollBarPart;
using testing::ControlTest;

constexpr ui::TColor kNormal = 0xFF0000;  // blue
constexpr ui::TColor kHot = 0x00FF00;     // green
constexpr ui::TColor kPressed = 0x0000FF;  // red

// A skin whose parts are flat colours by state, so a frame of a fade is a
// measurable blend.
class FlatSkin : public TcxCustomLookAndFeelPainter {
 public:
  FlatSkin(String AName, bool AHotTrack) : FName(std::move(AName)), FHotTrack(AHotTrack) {}
  String LookAndFeelName() override { return FName; }
  TcxLookAndFeelStyle LookAndFeelStyle() override { return TcxLookAndFeelStyle::lfsSkin; }
  bool IsButtonHotTrack() override { return FHotTrack; }
  void DrawScrollBarBackground(core::TcxCanvas* ACanvas, const TRect& R, bool) override {
    ACanvas->FillRect(R, ui::clWhite);
  }
  void DrawScrollBarPart(core::TcxCanvas* ACanvas, bool, const TRect& R, TcxScrollBarPart APart,
                         TcxButtonState AState) override {
    if (APart == TPart::sbpPageUp || APart == TPart::sbpPageDown) return;
    ACanvas->FillRect(R, AState == TcxButtonState::cxbsHot       ? kHot
                         : AState == TcxButtonState::cxbsPressed ? kPressed
                                                                 : kNormal);
  }

 private:
  String FName;
  bool FHotTrack;
};

struct ScrollbarFadingRgb {
  int r, g, b;
};
ScrollbarFadingRgb rgbAt(const gdi::ImageBGRA& image, int x, int y) {
  const std::uint32_t p = image.at(x, y);
  return ScrollbarFadingRgb{int((p >> 16) & 0xFF), int((p >> 8) & 0xFF), int(p & 0xFF)};
}

class ScrollBarFading : public ControlTest {
 protected:
  void SetUp() override {
    ControlTest::SetUp();
    dxFader()->SetState(TdxFaderAnimationState::fasEnabled);
    cxLookAndFeelPaintersManager()->Register(std::make_unique<FlatSkin>(u"FlatHot", true));
    cxLookAndFeelPaintersManager()->Register(std::make_unique<FlatSkin>(u"FlatCold", false));
  }
  void TearDown() override {
    dxFadingUnitStop();
    dxFadingUnitStart();
    ControlTest::TearDown();
  }
  static void UseSkin(TcxLookAndFeel* lookAndFeel, const String& name) {
    lookAndFeel->SetNativeStyle(false);
    lookAndFeel->SetSkinName(name);
  }
  TcxScrollBar* MakeBar(const String& skin) {
    TcxScrollBar* bar = Place<TcxScrollBar>(10, 10, 200, 17);
    UseSkin(bar->LookAndFeel(), skin);
    bar->SetScrollParams(0, 100, 50, 10);
    Process();
    return bar;
  }
  static TcxScrollBarPartFadingHelper* Fading(TcxScrollBarHelper* helper, TPart part) {
    return helper->ViewInfo()->PartInfo(part)->FadingHelper();
  }
  ScrollbarFadingRgb ArrowPixel(TcxScrollBar* bar) {
    const TRect r = bar->Helper()->ViewInfo()->PartBounds(TPart::sbpLineUp);
    return rgbAt(win::headless::Screenshot(bar->Handle()), (r.left + r.right) / 2, (r.top + r.bottom) / 2);
  }
  void Tick(int count) {
    for (int i = 0; i < count; ++i) Advance(dxFadeTimerInterval);
  }
};

TEST_F(ScrollBarFading, HotArrowFadesInFrameByFrameAndOutWhenLeft) {
  TcxScrollBar* bar = MakeBar(u"FlatHot");
  TcxScrollBarPartFadingHelper* arrow = Fading(bar->Helper(), TPart::sbpLineUp);
  MouseMove(bar, 8, 8);
  ASSERT_TRUE(dxFader()->Contains(arrow));
  EXPECT_EQ(arrow->State(), TcxButtonState::cxbsHot);
  // Four frames, one per 10 ms tick: half-way the arrow is half blue, half green.
  Tick(2);
  const ScrollbarFadingRgb half = ArrowPixel(bar);
  EXPECT_NEAR(half.g, 128, 2);
  EXPECT_NEAR(half.b, 127, 2);
  Tick(3);
  EXPECT_FALSE(dxFader()->Contains(arrow));
  EXPECT_EQ(ArrowPixel(bar).g, 255);

  MouseMove(bar, 100, 8);  // onto the page part
  EXPECT_EQ(arrow->State(), TcxButtonState::cxbsNormal);
  ASSERT_TRUE(dxFader()->Contains(arrow));
  Tick(4);  // 12 frames of two ticks each: some way back to blue
  const ScrollbarFadingRgb back = ArrowPixel(bar);
  EXPECT_GT(back.g, 0);
  EXPECT_GT(back.b, 0);
  Tick(30);
  EXPECT_FALSE(dxFader()->Contains(arrow));
  EXPECT_EQ(ArrowPixel(bar).b, 255);
}

TEST_F(ScrollBarFading, PressingAFadingArrowStopsTheFadeAndShowsItPressed) {
  TcxScrollBar* bar = MakeBar(u"FlatHot");
  TcxScrollBarPartFadingHelper* arrow = Fading(bar->Helper(), TPart::sbpLineUp);
  MouseMove(bar, 8, 8);
  ASSERT_TRUE(dxFader()->Contains(arrow));
  MouseDown(bar, 8, 8);
  EXPECT_FALSE(dxFader()->Contains(arrow));
  EXPECT_EQ(ArrowPixel(bar).r, 255);
  MouseUp(bar, 8, 8);
}

struct PainterCase {
  const char* name;
  const char16_t* skin;  // null: the UltraFlat painter, which hot-tracks but does not fade
  bool fades;
};
const PainterCase kPainters[] = {
    {"HotTrackingSkinFades", u"FlatHot", true},
    {"SkinWithoutHotTrackingDoesNot", u"FlatCold", false},
    {"UltraFlatDoesNot", nullptr, false},
};

class FadingPainters : public ScrollBarFading, public ::testing::WithParamInterface<PainterCase> {};

TEST_P(FadingPainters, DecideWhetherHotPartsFade) {
  const PainterCase& c = GetParam();
  TcxScrollBar* bar = Place<TcxScrollBar>(10, 10, 200, 17);
  if (c.skin) {
    UseSkin(bar->LookAndFeel(), c.skin);
  } else {
    bar->LookAndFeel()->SetNativeStyle(false);
    bar->LookAndFeel()->SetKind(TcxLookAndFeelKind::lfUltraFlat);
  }
  bar->SetScrollParams(0, 100, 50, 10);
  const TRect thumb = bar->Helper()->ViewInfo()->PartBounds(TPart::sbpThumbnail);
  MouseMove(bar, (thumb.left + thumb.right) / 2, 8);
  EXPECT_EQ(dxFader()->Contains(Fading(bar->Helper(), TPart::sbpThumbnail)), c.fades);
  EXPECT_EQ(dxFader()->Count(), c.fades ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(Cases, FadingPainters, ::testing::ValuesIn(kPainters),
                         [](const auto& info) { return std::string(info.param.name); });

// A control whose vertical bar is painted on its own canvas.
class PaintedBarControl : public TcxControl {
 public:
  explicit PaintedBarControl(rtl::TComponent* owner) : TcxControl(owner) {}

 protected:
  std::unique_ptr<TcxControlCustomScrollBars> CreateMainScrollBars() override {
    return std::make_unique<TcxControlScrollBars>(this);
  }
  void InitScrollBarsParameters() override {
    SetScrollBarInfo(TScrollBarKind::sbVertical, 0, 999, 1, 100, 0, true, true);
  }
};

TEST_F(ScrollBarFading, PaintedBarsOfAControlFadeTheirArrowsButNotTheirPages) {
  auto* control = Place<PaintedBarControl>(0, 0, 300, 200);
  UseSkin(control->LookAndFeel(), u"FlatHot");
  control->UpdateScrollBars();
  ASSERT_TRUE(control->VScrollBarVisible());
  auto* helper = dynamic_cast<TcxScrollBarHelper*>(control->VScrollBar());
  ASSERT_NE(helper, nullptr);
  EXPECT_EQ(Fading(helper, TPart::sbpPageUp), nullptr);
  EXPECT_EQ(Fading(helper, TPart::sbpPageDown), nullptr);
  const TRect up = helper->ViewInfo()->PartBounds(TPart::sbpLineUp);
  MouseMove(control, (up.left + up.right) / 2, (up.top + up.bottom) / 2);
  TcxScrollBarPartFadingHelper* arrow = Fading(helper, TPart::sbpLineUp);
  EXPECT_TRUE(dxFader()->Contains(arrow));
  Tick(5);
  EXPECT_FALSE(dxFader()->Contains(arrow));
  const gdi::ImageBGRA shot = win::headless::Screenshot(control->Handle());
  EXPECT_EQ(rgbAt(shot, (up.left + up.right) / 2, (up.top + up.bottom) / 2).g, 255);
}

}  // namespace
}  // namespace lookandfeel
