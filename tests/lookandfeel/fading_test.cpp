// The global fader on a headless screen with the test clock: frames per
// tick, the end of a fade, the queue limit, reversals, the menu-animation
// rule and the pictures' pixels.
#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "lib/core/dxDIBHelpers.h"
#include "lib/lookandfeel/cxControlsSystem.h"
#include "lib/lookandfeel/cxLookAndFeelPainters.h"
#include "lib/lookandfeel/dxFading.h"
#include "platform/rtl/clock.h"
#include "platform/ui/bitmap.h"
#include "platform/win/headless.h"

namespace lookandfeel {
namespace {

constexpr int kWidth = 4;
constexpr int kHeight = 2;

ui::TBitmap* makePicture(gdi::RGBQUAD color, int width = kWidth, int height = kHeight) {
  auto* bitmap = new ui::TBitmap(width, height);
  core::SetBitmapBits(bitmap, core::TRGBColors(size_t(width) * height, color), true);
  return bitmap;
}

// A hot-tracked part: blue when normal, green when hot.
class Part : public TdxFadingObjectHelper, public IdxFadingObjectFadingOptions {
 public:
  bool CanFade() override { return true; }
  void DrawFadeImage() override {
    ++repaints;
    TdxFadingElement* element = dxFader() ? dxFader()->Find(this) : nullptr;
    stages.push_back(element && element->WorkImage() ? element->Stage() : -1);
  }
  void GetFadingImages(ui::TBitmap*& AFadeOutImage, ui::TBitmap*& AFadeInImage) override {
    AFadeOutImage = makePicture({200, 0, 0, 255});
    AFadeInImage = makePicture({0, 100, 0, 255});
  }
  TdxFadingOptions* GetFadingOptions() override { return options.get(); }

  int repaints = 0;
  std::vector<int> stages;  // the stage shown at each repaint, -1 for the end
  std::unique_ptr<TdxFadingOptions> options;
};

class Fading : public ::testing::Test {
 protected:
  void SetUp() override { dxFader()->SetState(TdxFaderAnimationState::fasEnabled); }
  void TearDown() override {
    dxFadingUnitStop();
    dxFadingUnitStart();
    cxControlsSystemUnitStop();
    cxControlsSystemUnitStart();
  }
  void tick(int count = 1) {
    for (int i = 0; i < count; ++i) {
      time.Advance(dxFadeTimerInterval);
      screen.ProcessMessages();
    }
  }
  win::headless::HeadlessScope screen;
  rtl::TestClockScope time;
};

struct StepCase {
  const char* label;
  bool fadeIn;
  int frameCount, frameDelay;  // 0: the defaults
  int ticksPerFrame;
  int frames;
};

void PrintTo(const StepCase& c, std::ostream* os) { *os << c.label; }

class FadeSteps : public Fading, public ::testing::WithParamInterface<StepCase> {};

TEST_P(FadeSteps, StageZeroAtOnceThenOneFramePerPeriodAndTheEndOnePeriodLater) {
  const StepCase& c = GetParam();
  Part part;
  if (c.frameCount) {
    part.options = std::make_unique<TdxFadingOptions>();
    part.options->SetFadeInFrameCount(c.frameCount);
    part.options->SetFadeInFrameDelay(c.frameDelay);
    part.options->SetFadeOutFrameCount(c.frameCount);
    part.options->SetFadeOutFrameDelay(c.frameDelay);
  }
  c.fadeIn ? part.FadeIn() : part.FadeOut();
  ASSERT_TRUE(part.Active());
  EXPECT_EQ(part.stages, (std::vector<int>{0}));
  EXPECT_TRUE(dxFader()->TimerActive());
  const int endTick = (c.frames + 1) * c.ticksPerFrame;
  for (int t = 1; t < endTick; ++t) {
    tick();
    ASSERT_TRUE(part.Active()) << "tick " << t;
    EXPECT_EQ(dxFader()->Find(&part)->Stage(), std::min(t / c.ticksPerFrame, c.frames)) << "tick " << t;
  }
  tick();
  EXPECT_FALSE(part.Active());
  EXPECT_EQ(part.stages.back(), -1) << "the end repaints the normal state";
  EXPECT_EQ(part.repaints, c.frames + 2);
  EXPECT_FALSE(dxFader()->TimerActive());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FadeSteps,
    ::testing::Values(StepCase{"DefaultFadeIn", true, 0, 0, 1, 4}, StepCase{"DefaultFadeOut", false, 0, 0, 2, 12},
                    StepCase{"ThreeTicksPerFrame", true, 3, 35, 3, 3}, StepCase{"OneFrame", false, 1, 10, 1, 1}),
    [](const ::testing::TestParamInfo<StepCase>& info) { return std::string(info.param.label); });

TEST_F(Fading, FramesMixTheTwoPicturesByteByByte) {
  Part part;
  part.FadeIn();  // 4 frames from blue 200 to green 100
  struct Expect {
    int stage;
    gdi::RGBQUAD pixel;
  };
  const Expect expects[] = {
      {0, {200, 0, 0, 255}},
      {1, {150, 25, 0, 255}},   // a = 64: 0.749 * 200, 0.251 * 100
      {2, {100, 50, 0, 255}},   // a = 128
      {4, {0, 100, 0, 255}},
  };
  int stage = 0;
  for (const Expect& e : expects) {
    tick(e.stage - stage);
    stage = e.stage;
    const core::TRGBColors& frame = dxFader()->Find(&part)->WorkColors();
    ASSERT_EQ(frame.size(), size_t(kWidth * kHeight));
    EXPECT_EQ(frame[5].rgbBlue, e.pixel.rgbBlue) << "stage " << e.stage;
    EXPECT_EQ(frame[5].rgbGreen, e.pixel.rgbGreen) << "stage " << e.stage;
    EXPECT_EQ(frame[5].rgbRed, e.pixel.rgbRed) << "stage " << e.stage;
    EXPECT_EQ(frame[5].rgbReserved, e.pixel.rgbReserved) << "stage " << e.stage;
  }
}

TEST_F(Fading, AReversalStartsFromTheFrameOnTheScreen) {
  Part part;
  part.FadeIn();
  tick(2);
  const core::TRGBColors onScreen = dxFader()->Find(&part)->WorkColors();
  part.FadeOut();
  TdxFadingElement* element = dxFader()->Find(&part);
  ASSERT_NE(element, nullptr);
  EXPECT_EQ(dxFader()->Count(), 1);
  EXPECT_EQ(element->Stage(), 0);
  EXPECT_EQ(element->AnimationFrameCount(), 12);
  EXPECT_EQ(element->DelayCount(), 2);
  ASSERT_EQ(element->WorkColors().size(), onScreen.size());
  EXPECT_EQ(element->WorkColors()[0].rgbBlue, onScreen[0].rgbBlue);
  EXPECT_EQ(element->WorkColors()[0].rgbGreen, onScreen[0].rgbGreen);
}

TEST_F(Fading, TheEleventhFadeEndsTheOldest) {
  std::vector<std::unique_ptr<Part>> parts;
  for (int i = 0; i < dxFadeMaxAnimationCount + 1; ++i) {
    parts.push_back(std::make_unique<Part>());
    parts.back()->FadeIn();
  }
  EXPECT_EQ(dxFader()->Count(), dxFadeMaxAnimationCount);
  EXPECT_FALSE(parts[0]->Active());
  EXPECT_EQ(parts[0]->stages, (std::vector<int>{0, -1}));
  for (size_t i = 1; i < parts.size(); ++i) EXPECT_TRUE(parts[i]->Active()) << i;
}

TEST_F(Fading, DestroyingAHelperDuringItsFadeAsksForNoRepaint) {
  int repaintsBefore = 0;
  {
    Part part;
    part.FadeIn();
    tick();
    repaintsBefore = part.repaints;
  }  // the helper's destructor ends the fade
  EXPECT_EQ(dxFader()->Count(), 0);
  EXPECT_FALSE(dxFader()->TimerActive());
  EXPECT_EQ(repaintsBefore, 2);
  Part kept;
  kept.FadeIn();
  dxFader()->Remove(&kept, true);
  EXPECT_EQ(kept.repaints, 1) << "removal for destruction does not repaint";
  kept.FadeIn();
  kept.StopFading();
  EXPECT_EQ(kept.stages.back(), -1) << "a plain stop repaints the normal state";
}

struct ReadinessCase {
  TdxFaderAnimationState state;
  bool active;
};

TEST_F(Fading, TheDefaultStateFollowsTheMenuAnimationSetting) {
  win::BOOL menuAnimation = 1;
  ASSERT_TRUE(dxSystemInfo()->GetParameter(win::SPI_GETMENUANIMATION, &menuAnimation));
  const ReadinessCase cases[] = {
      {TdxFaderAnimationState::fasDefault, menuAnimation != 0},
      {TdxFaderAnimationState::fasEnabled, true},
      {TdxFaderAnimationState::fasDisabled, false},
  };
  for (const ReadinessCase& c : cases) {
    dxFader()->SetState(c.state);
    EXPECT_EQ(dxFader()->Active(), c.active) << int(c.state);
    Part part;
    part.FadeIn();
    EXPECT_EQ(part.Active(), c.active) << int(c.state);
  }
  dxFader()->SetState(TdxFaderAnimationState::fasEnabled);
  dxFader()->SetMaxAnimationCount(0);
  Part part;
  part.FadeIn();
  EXPECT_FALSE(part.Active()) << "no room for a fade";
}

struct RejectCase {
  const char* label;
  int width2, height2;
  int frameCount;
};

TEST_F(Fading, MismatchedOrEmptyPicturesOrNoFramesDoNotFade) {
  const RejectCase cases[] = {
      {"other width", kWidth + 1, kHeight, 4},
      {"other height", kWidth, kHeight + 1, 4},
      {"both empty", 0, 0, 4},
      {"no frames", kWidth, kHeight, 0},
  };
  for (const RejectCase& c : cases) {
    Part part;
    const bool empty = c.width2 == 0;
    dxFader()->Fade(&part, makePicture({1, 1, 1, 255}, empty ? 0 : kWidth, empty ? 0 : kHeight),
                    makePicture({2, 2, 2, 255}, c.width2, c.height2), c.frameCount, 15);
    EXPECT_FALSE(part.Active()) << c.label;
    EXPECT_EQ(part.repaints, 0) << c.label;
  }
}

struct OptionCase {
  const char* label;
  void (TdxFadingOptions::*set)(int);
  int (TdxFadingOptions::*get)() const;
  int value, stored;
};

TEST_F(Fading, OptionsKeepCountsAndDelaysInRange) {
  const OptionCase cases[] = {
      {"in delay below", &TdxFadingOptions::SetFadeInFrameDelay, &TdxFadingOptions::FadeInFrameDelay, 5, 10},
      {"in delay above", &TdxFadingOptions::SetFadeInFrameDelay, &TdxFadingOptions::FadeInFrameDelay, 301, 300},
      {"out count above", &TdxFadingOptions::SetFadeOutFrameCount, &TdxFadingOptions::FadeOutFrameCount, 100, 32},
      {"in count zero", &TdxFadingOptions::SetFadeInFrameCount, &TdxFadingOptions::FadeInFrameCount, 0, 0},
      {"in count below", &TdxFadingOptions::SetFadeInFrameCount, &TdxFadingOptions::FadeInFrameCount, -3, 0},
      {"out delay inside", &TdxFadingOptions::SetFadeOutFrameDelay, &TdxFadingOptions::FadeOutFrameDelay, 45, 45},
  };
  for (const OptionCase& c : cases) {
    TdxFadingOptions options;
    (options.*c.set)(c.value);
    EXPECT_EQ((options.*c.get)(), c.stored) << c.label;
    TdxFadingOptions copy;
    copy.Assign(&options);
    EXPECT_EQ((copy.*c.get)(), c.stored) << c.label;
  }
  TdxFadingOptions defaults;
  EXPECT_FALSE(defaults.IsFadeInFrameCountStored() || defaults.IsFadeInFrameDelayStored() ||
               defaults.IsFadeOutFrameCountStored() || defaults.IsFadeOutFrameDelayStored());
  // A count of 0 turns that direction off.
  Part part;
  part.options = std::make_unique<TdxFadingOptions>();
  part.options->SetFadeInFrameCount(0);
  part.FadeIn();
  EXPECT_FALSE(part.Active());
  part.FadeOut();
  EXPECT_TRUE(part.Active());
}

struct StateChangeCase {
  TcxButtonState from, to;
  int expectedFrames;  // 4 fade-in, 12 fade-out, 0 stopped
};

TEST_F(Fading, ButtonStateChangesStartOrStopFades) {
  using S = TcxButtonState;
  const StateChangeCase cases[] = {
      {S::cxbsNormal, S::cxbsHot, 4},    {S::cxbsDefault, S::cxbsHot, 4},  {S::cxbsHot, S::cxbsNormal, 12},
      {S::cxbsHot, S::cxbsPressed, 0},   {S::cxbsPressed, S::cxbsHot, 0}, {S::cxbsNormal, S::cxbsDisabled, 0},
  };
  for (const StateChangeCase& c : cases) {
    Part part;
    part.FadeIn();  // something running that a stop would end
    tick(2);
    part.CheckStartFading(c.from, c.to);
    TdxFadingElement* element = dxFader()->Find(&part);
    EXPECT_EQ(element ? element->AnimationFrameCount() : 0, c.expectedFrames)
        << int(c.from) << " -> " << int(c.to);
    if (element) { EXPECT_EQ(element->Stage(), 0); }
  }
  Part idle;
  idle.CheckStartFading(TcxButtonState::cxbsHot, TcxButtonState::cxbsHot);
  EXPECT_FALSE(idle.Active());
}

TEST_F(Fading, AlphaCorrectionAndTheBlackNudge) {
  core::TRGBColors colors{{0, 0, 0, 0}, {5, 0, 0, 0}, {0, 0, 7, 0}, {1, 2, 3, 40}};
  TdxFadingHelper::CorrectAlphaChannel(colors);
  EXPECT_EQ(colors[0].rgbReserved, 0) << "black stays transparent";
  EXPECT_EQ(colors[1].rgbReserved, 255);
  EXPECT_EQ(colors[2].rgbReserved, 255);
  EXPECT_EQ(colors[3].rgbReserved, 40) << "a real alpha is kept";
  EXPECT_EQ(TdxFadingHelper::CheckColor(ui::clBlack), gdi::COLORREF(0x010101));
  EXPECT_EQ(TdxFadingHelper::CheckColor(ui::clWhite), gdi::COLORREF(0xFFFFFF));
}

}  // namespace
}  // namespace lookandfeel
