// Transitions, easing curves and the shared animation controller, stepped by
// the controller's own timer on a headless window system with a test clock.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lib/core/cxClasses.h"
#include "lib/lookandfeel/dxAnimation.h"
#include "platform/rtl/clock.h"
#include "platform/rtl/except.h"
#include "platform/win/headless.h"

namespace lookandfeel {
namespace {

// Records what a transition reports.
struct Events {
  std::vector<int> positions;  // OnAnimate, in order
  int terminated = 0;
  bool finishInAnimate = false;  // an OnAnimate handler that ends the transition
  void Animate(TdxAnimationTransition*, int& APosition, bool& AFinished) {
    positions.push_back(APosition);
    if (finishInAnimate) AFinished = true;
  }
  void Terminate(TObject*) { ++terminated; }
  void attach(TdxAnimationTransition* t) {
    t->OnAnimate = TdxAnimationEvent::bind<&Events::Animate>(this);
    t->OnTerminate = TNotifyEvent::bind<&Events::Terminate>(this);
  }
};

class Animation : public ::testing::Test {
 protected:
  void TearDown() override {
    dxAnimationUnitStop();
    core::cxClassesUnitStop();
    core::cxClassesUnitStart();
  }
  // Moves the clock 1 ms at a time; the window system raises the controller's
  // 1 ms timer to its 10 ms minimum, so a step comes every 10 ms.
  void run(rtl::Int64 ms) {
    for (rtl::Int64 done = 0; done < ms; ++done) {
      time.Advance(1);
      screen.ProcessMessages();
    }
  }
  // A transition that stays alive after it ends, so the test can read it.
  TdxAnimationTransition* make(int timeMs, int length, TdxAnimationTransitionEffect effect = ateLinear,
                               TdxAnimationTransitionEffectMode mode = atmIn) {
    auto* t = rtl::Create<TdxAnimationTransition>(timeMs, effect, length, mode);
    t->SetFreeOnTerminate(false);
    events.attach(t);
    return t;
  }
  TdxAnimationController* controller() { return dxAnimationController(); }

  win::headless::HeadlessScope screen;
  rtl::TestClockScope time;
  Events events;
};

// --- easing curves --------------------------------------------------------------------
struct EaseCase {
  TdxAnimationTransitionEffect effect;
  TdxAnimationTransitionEffectMode mode;
  int at0, atHalf, at1;  // positions of a length of 1000
};

// Rounding is to the nearest with halves to even (62.5 -> 62, 937.5 -> 938);
// the back curve overshoots below 0 and above the length.
const EaseCase kEaseCases[] = {
    {ateLinear, atmIn, 0, 500, 1000},          {ateCustom, atmOut, 0, 500, 1000},
    {ateAccelerateDecelerate, atmIn, 0, 984, 1000}, {ateAccelerateDecelerate, atmOut, 0, 984, 1000},
    {ateTanh, atmIn, 0, 500, 1000},            {ateTanh, atmInOut, 0, 500, 1000},
    {ateCubic, atmIn, 0, 125, 1000},           {ateCubic, atmOut, 0, 875, 1000},
    {ateCubic, atmInOut, 0, 500, 1000},        {ateQuadratic, atmIn, 0, 250, 1000},
    {ateQuadratic, atmOut, 0, 750, 1000},      {ateQuadratic, atmInOut, 0, 500, 1000},
    {ateQuartic, atmIn, 0, 62, 1000},          {ateQuartic, atmOut, 0, 938, 1000},
    {ateQuartic, atmInOut, 0, 500, 1000},      {ateBack, atmIn, 0, -25, 1000},
    {ateBack, atmOut, 0, 1025, 1000},          {ateBack, atmInOut, 0, 500, 1000},
    {ateCircle, atmIn, 0, 134, 1000},          {ateCircle, atmOut, 0, 866, 1000},
    {ateCircle, atmInOut, 0, 500, 1000},       {ateElastic, atmIn, 0, 16, 1000},
    {ateElastic, atmOut, 0, 984, 1000},        {ateElastic, atmInOut, 0, 500, 1000},
    {ateExponential, atmIn, 0, 29, 1000},      {ateExponential, atmOut, 0, 971, 1000},
    {ateExponential, atmInOut, 0, 500, 1000},  {ateSine, atmIn, 0, 293, 1000},
    {ateSine, atmOut, 0, 707, 1000},           {ateSine, atmInOut, 0, 500, 1000},
    {ateBounce, atmIn, 0, 440, 1000},          {ateBounce, atmOut, 0, 560, 1000},
    {ateBounce, atmInOut, 0, 500, 1000},
};

TEST_F(Animation, EveryEffectAtTheStartTheMiddleAndTheEnd) {
  for (const EaseCase& c : kEaseCases) {
    SCOPED_TRACE(::testing::Message() << "effect " << c.effect << " mode " << c.mode);
    TdxAnimationTransition* t = make(1000, 1000, c.effect, c.mode);
    TdxAnimationTransitionEffectProc proc = t->TransitionEffectProc();
    ASSERT_NE(proc, nullptr);
    EXPECT_EQ(proc(t, 1000, 0, 1000000), c.at0);
    EXPECT_EQ(proc(t, 1000, 500000, 1000000), c.atHalf);
    EXPECT_EQ(proc(t, 1000, 1000000, 1000000), c.at1);
    t->Free();
  }
}

TEST_F(Animation, EveryEffectIsCovered) {
  std::vector<bool> seen(kAnimationTransitionEffectCount);
  for (const EaseCase& c : kEaseCases) seen[c.effect] = true;
  for (int e = 0; e < kAnimationTransitionEffectCount; ++e) EXPECT_TRUE(seen[e]) << e;
}

TEST(AnimationEasing, EffectsWithoutACurveOfTheirOwnUseTheDefaultCurve) {
  // 1 - (x - 1)^6: at 0.5 that is 1 - 1/64.
  for (TdxAnimationTransitionEffect e : {ateLinear, ateAccelerateDecelerate, ateTanh, ateCustom}) {
    EXPECT_DOUBLE_EQ(TdxEaseHelper::Curve(e, 0.5), 0.984375) << e;
    EXPECT_DOUBLE_EQ(TdxEaseHelper::Curve(e, 0.0), 0.0) << e;
  }
  EXPECT_DOUBLE_EQ(TdxEaseHelper::Bounce(0.0), 0.0);
  EXPECT_DOUBLE_EQ(TdxEaseHelper::Bounce(1.0), 1.0);
}

TEST(AnimationTimeBase, MulDivTruncatesTowardZeroWithoutOverflow) {
  struct Case {
    int a;
    rtl::Int64 b, c, expected;
  } const cases[] = {
      {100, 250, 1000, 25}, {-7, 1, 2, -3}, {7, -1, 2, -3}, {2000000000, 4, 3, 2666666666}, {-1, 1000, 1000, -1},
  };
  for (const Case& c : cases) EXPECT_EQ(dxMulDiv64(c.a, c.b, c.c), c.expected) << c.a << "*" << c.b << "/" << c.c;
  EXPECT_EQ(dxTimeToTickCount(250) * 4, dxExactTickFrequency());
}

// --- transitions on the clock ---------------------------------------------------------
TEST_F(Animation, ALinearTransitionFollowsTheClockAndEndsAtItsLength) {
  TdxAnimationTransition* t = make(1000, 100);
  EXPECT_TRUE(t->Suspended());
  run(50);
  EXPECT_EQ(t->Position(), 0) << "a new transition waits for Resume";
  t->Resume();
  run(250);
  EXPECT_EQ(t->Position(), 25);
  EXPECT_FALSE(t->Finished());
  run(750);
  EXPECT_EQ(t->Position(), 100);
  EXPECT_TRUE(t->Finished());
  run(100);
  EXPECT_EQ(events.terminated, 1);
  EXPECT_EQ(events.positions.back(), 100);
  t->Free();
}

TEST_F(Animation, AZeroDurationEndsAtTheFullLengthOnTheFirstStep) {
  TdxAnimationTransition* t = make(0, 40, ateCubic);
  t->Resume();
  run(10);
  EXPECT_TRUE(t->Finished());
  EXPECT_EQ(t->Position(), 40);
  EXPECT_EQ(events.positions, std::vector<int>{40});
  EXPECT_EQ(events.terminated, 1);
  t->Free();
}

TEST_F(Animation, ASuspendedTransitionResumesFromTheSameElapsedTime) {
  TdxAnimationTransition* t = make(1000, 1000);
  t->Resume();
  run(500);
  EXPECT_EQ(t->Position(), 500);
  t->Suspend();
  run(3000);
  EXPECT_EQ(t->Position(), 500);
  EXPECT_FALSE(t->Finished());
  t->Resume();
  run(250);
  EXPECT_EQ(t->Position(), 750);
  t->Free();
}

TEST_F(Animation, AStepWithTheSameNonZeroPositionRaisesNoEvents) {
  // Length 2 over 1000 ms: 0 until 500 ms, 1 until 1000 ms, then 2. Steps at
  // position 0 are reported each time; the repeated 1 only once.
  TdxAnimationTransition* t = make(1000, 2);
  t->Resume();
  run(1000);
  int ones = 0;
  for (int p : events.positions) ones += p == 1;
  EXPECT_EQ(ones, 1);
  EXPECT_EQ(events.positions.back(), 2);
  t->Free();
}

TEST_F(Animation, AFreeOnTerminateTransitionLeavesTheListWhenItEnds) {
  auto* t = rtl::Create<TdxAnimationTransition>(100, ateLinear, 10);
  events.attach(t);
  EXPECT_EQ(controller()->Count(), 1);
  t->Resume();
  run(100);
  EXPECT_EQ(events.terminated, 1);
  EXPECT_EQ(controller()->Count(), 0);
}

// Each handler may end the transition through its finished flag: the first two
// run one more step to the full length, the last only stores the flag.
struct Ender {
  int which = 0;  // 0 before, 1 animate, 2 after
  std::vector<std::string> order;
  void Before(TdxAnimationTransition*, int&, bool& f) { order.push_back("before"); if (which == 0) f = true; }
  void During(TdxAnimationTransition*, int&, bool& f) { order.push_back("animate"); if (which == 1) f = true; }
  void After(TdxAnimationTransition*, int&, bool& f) { order.push_back("after"); if (which == 2) f = true; }
};

TEST_F(Animation, AHandlerThatSetsFinishedEndsTheTransition) {
  const struct {
    int which;
    int position;  // after the ending step, length 100 over 1000 ms, 500 ms in
    std::vector<std::string> order;
  } cases[] = {
      {0, 100, {"before", "before", "animate", "after", "animate", "after"}},
      {1, 100, {"before", "animate", "before", "animate", "after", "after"}},
      {2, 50, {"before", "animate", "after"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.which);
    TdxAnimationTransition* t = make(1000, 100);
    t->Resume();
    run(490);
    Ender ender;
    ender.which = c.which;
    t->OnBeforeAnimate = TdxAnimationEvent::bind<&Ender::Before>(&ender);
    t->OnAnimate = TdxAnimationEvent::bind<&Ender::During>(&ender);
    t->OnAfterAnimate = TdxAnimationEvent::bind<&Ender::After>(&ender);
    run(10);
    EXPECT_TRUE(t->Finished());
    EXPECT_EQ(t->Position(), c.position);
    EXPECT_EQ(ender.order, c.order);
    EXPECT_EQ(events.terminated, 1);
    EXPECT_EQ(controller()->ActiveAnimations(), 0);
    t->Free();
    events = Events{};
  }
}

// Runs without the timer: each reported step moves the test clock 100 ms.
struct ClockMover {
  rtl::TestClockScope* time = nullptr;
  std::vector<int> positions;
  void Animate(TdxAnimationTransition*, int& APosition, bool&) {
    positions.push_back(APosition);
    time->Advance(100);
  }
};

TEST_F(Animation, ImmediateAnimationRunsToTheEndOnTheCallingThreadAndFreesItself) {
  auto* t = rtl::Create<TdxAnimationTransition>(500, ateLinear, 1000);
  ClockMover mover;
  mover.time = &time;
  t->OnAnimate = TdxAnimationEvent::bind<&ClockMover::Animate>(&mover);
  t->ImmediateAnimation();
  EXPECT_EQ(mover.positions, (std::vector<int>{0, 200, 400, 600, 800, 1000}));
  EXPECT_EQ(controller()->Count(), 0);
  EXPECT_EQ(controller()->ActiveAnimations(), 0);
}

// --- the controller's active count and timer ------------------------------------------
enum class End { ByTime, ByTerminate, BySetFinished, ByHandler, BySuspendFinished, ByIncompatibleNewcomer, ByFree };

class Jealous : public TdxAnimationTransition {
  RTL_CLASS(Jealous, TdxAnimationTransition)

 public:
  using TdxAnimationTransition::TdxAnimationTransition;

 protected:
  bool IsCompatible(TdxAnimationTransition*) override { return false; }
};

TEST_F(Animation, EveryWayOfEndingStopsTheSharedTimer) {
  const struct {
    End how;
    const char* name;
  } cases[] = {
      {End::ByTime, "by time"},
      {End::ByTerminate, "Terminate"},
      {End::BySetFinished, "SetFinished"},
      {End::ByHandler, "handler sets finished"},
      {End::BySuspendFinished, "Suspend(true)"},
      {End::ByIncompatibleNewcomer, "incompatible newcomer"},
      {End::ByFree, "freed while running"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    events = Events{};
    TdxAnimationTransition* t =
        c.how == End::ByIncompatibleNewcomer ? rtl::Create<Jealous>(1000, ateLinear, 100) : make(1000, 100);
    t->SetFreeOnTerminate(false);
    events.attach(t);
    t->Resume();
    run(10);
    ASSERT_EQ(controller()->ActiveAnimations(), 1);
    ASSERT_TRUE(controller()->Timer()->Enabled());
    TdxAnimationTransition* newcomer = nullptr;
    switch (c.how) {
      case End::ByTime: run(1000); break;
      case End::ByTerminate: t->Terminate(); break;
      case End::BySetFinished: t->SetFinished(true); break;
      case End::ByHandler: events.finishInAnimate = true; run(10); break;
      case End::BySuspendFinished: t->Suspend(true); break;
      case End::ByIncompatibleNewcomer: newcomer = make(1000, 5); break;
      case End::ByFree: rtl::FreeAndNil(t); break;
    }
    if (t) {
      EXPECT_TRUE(t->Finished());
      EXPECT_EQ(t->Position(), 100);
      EXPECT_EQ(events.terminated, 1);
    }
    EXPECT_EQ(controller()->ActiveAnimations(), 0);
    EXPECT_FALSE(controller()->Timer()->Enabled());
    if (t) t->Free();
    if (newcomer) newcomer->Free();
    EXPECT_EQ(controller()->Count(), 0);
  }
}

TEST_F(Animation, APlainSuspensionKeepsTheCountAndResumingDoesNotCountTwice) {
  TdxAnimationTransition* t = make(1000, 100);
  t->Resume();
  t->Suspend();
  EXPECT_EQ(controller()->ActiveAnimations(), 1);
  t->Resume();
  EXPECT_EQ(controller()->ActiveAnimations(), 1);
  run(1000);
  EXPECT_EQ(controller()->ActiveAnimations(), 0);
  // Started again: it counts once more and moves from 0.
  t->SetFinished(false);
  EXPECT_EQ(controller()->ActiveAnimations(), 1);
  run(500);
  EXPECT_EQ(t->Position(), 50);
  t->Free();
  EXPECT_EQ(controller()->ActiveAnimations(), 0);
}

// --- listeners --------------------------------------------------------------------------
struct Listener : IdxAnimationListener {
  std::vector<std::string> calls;
  void AfterAnimation(TdxAnimationController*) override { calls.push_back("after"); }
  void BeforeAnimation(TdxAnimationController*) override { calls.push_back("before"); }
  void DestroyAnimation(TdxAnimationTransition*) override { calls.push_back("destroy"); }
};

struct Thrower {
  void Animate(TdxAnimationTransition*, int&, bool&) { throw rtl::EConvertError(u"step failed"); }
};

TEST_F(Animation, ListenersFrameEachStepAndHearOfFreedTransitions) {
  Listener listener;
  controller()->AddListener(&listener);
  auto* t = rtl::Create<TdxAnimationTransition>(0, ateLinear, 10);  // frees itself when done
  t->Resume();
  run(10);
  EXPECT_EQ(listener.calls, (std::vector<std::string>{"before", "destroy", "after"}));
  controller()->RemoveListener(&listener);
}

TEST_F(Animation, ListenersHearTheEndOfAStepThatRaised) {
  Listener listener;
  Thrower thrower;
  controller()->AddListener(&listener);
  TdxAnimationTransition* t = make(1000, 100);
  t->OnAnimate = TdxAnimationEvent::bind<&Thrower::Animate>(&thrower);
  t->Resume();
  EXPECT_THROW(controller()->TimerHandler(nullptr), rtl::EConvertError);
  EXPECT_EQ(listener.calls, (std::vector<std::string>{"before", "after"}));
  controller()->RemoveListener(&listener);
  t->Free();
}

struct Counted : TObject {
  int* frees;
  explicit Counted(int* f) : frees(f) {}
  ~Counted() override { ++*frees; }
};

TEST_F(Animation, TheInfoObjectIsFreedWithItsTransition) {
  int frees = 0;
  TdxAnimationTransition* t = make(100, 10);
  t->SetInfo(new Counted(&frees));
  t->SetInfo(new Counted(&frees));
  EXPECT_EQ(frees, 1) << "a replaced info object is freed";
  t->Free();
  EXPECT_EQ(frees, 2);
}

TEST_F(Animation, TheUnitStopFreesListedTransitions) {
  make(1000, 10)->Resume();
  make(1000, 10);
  EXPECT_EQ(controller()->Count(), 2);
  dxAnimationUnitStop();
  EXPECT_EQ(dxAnimationControllerIfExists(), nullptr);
}

}  // namespace
}  // namespace lookandfeel
