// The shared-window timer and the message window, on a headless window
// system with a test clock.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lib/core/cxClasses.h"
#include "platform/rtl/clock.h"
#include "platform/rtl/except.h"
#include "platform/rtl/ustring.h"
#include "platform/ui/forms.h"
#include "platform/win/headless.h"
#include "platform/win/message_loop.h"
#include "platform/win/window.h"

namespace core {
namespace {

struct Ticks {
  std::vector<rtl::Int64> at;  // clock time of each tick, ms from the start
  rtl::Int64 start = rtl::CurrentClock().MonotonicMs();
  TcxTimer* freeInTick = nullptr;
  void Tick(TObject*) {
    at.push_back(rtl::CurrentClock().MonotonicMs() - start);
    if (freeInTick) rtl::FreeAndNil(freeInTick);
  }
  void Fail(TObject*) {
    at.push_back(0);
    throw rtl::EConvertError(u"tick failed");
  }
  TNotifyEvent handler() { return TNotifyEvent::bind<&Ticks::Tick>(this); }
};

class Timers : public testing::Test {
 protected:
  void TearDown() override {
    // Each test starts with no shared window and no running timers.
    cxClassesUnitStop();
    cxClassesUnitStart();
  }
  // Moves the clock in steps, letting the loop deliver what falls due.
  void run(rtl::Int64 ms, rtl::Int64 step = 100) {
    for (rtl::Int64 done = 0; done < ms; done += step) {
      time.Advance(step);
      screen.ProcessMessages();
    }
  }
  template <class T = TcxTimer>
  T* make() {
    T* timer = rtl::Create<T>(&owner);
    return timer;
  }

  win::headless::HeadlessScope screen;
  rtl::TestClockScope time;
  TComponent owner{nullptr};
  Ticks ticks;
};

TEST_F(Timers, DefaultsAndNoStartWithoutAHandler) {
  TcxTimer* timer = make();
  EXPECT_TRUE(timer->Enabled());
  EXPECT_EQ(timer->Interval(), 1000u);
  EXPECT_FALSE(timer->TimerOn());
  run(3000);
  EXPECT_FALSE(timer->TimerOn());
  // The handler starts it with the interval it has now.
  timer->SetInterval(500);
  timer->SetOnTimer(ticks.handler());
  EXPECT_TRUE(timer->TimerOn());
  run(1600);
  EXPECT_EQ(ticks.at, (std::vector<rtl::Int64>{3500, 4000, 4500}));
}

TEST_F(Timers, ZeroOrTheSameIntervalDoesNotRestartAnotherDoes) {
  TcxTimer* timer = make();
  timer->SetOnTimer(ticks.handler());
  run(600);
  timer->SetInterval(0);
  timer->SetInterval(1000);
  EXPECT_EQ(timer->Interval(), 1000u);
  run(500);
  EXPECT_EQ(ticks.at, (std::vector<rtl::Int64>{1000}));
  timer->SetInterval(300);  // restarts from zero at 1100
  run(700);
  EXPECT_EQ(ticks.at, (std::vector<rtl::Int64>{1000, 1400, 1700}));
}

TEST_F(Timers, DisablingStopsAndEnablingRestartsFromZero) {
  TcxTimer* timer = make();
  timer->SetOnTimer(ticks.handler());
  run(700);
  timer->SetEnabled(false);
  EXPECT_FALSE(timer->TimerOn());
  run(2000);
  EXPECT_TRUE(ticks.at.empty());
  timer->SetEnabled(true);
  run(1000);
  EXPECT_EQ(ticks.at, (std::vector<rtl::Int64>{3700}));
}

TEST_F(Timers, AQueuedTickOfAFreedTimerCallsNothing) {
  TcxTimer* timer = make();
  timer->SetOnTimer(ticks.handler());
  TcxMessageWindow* window = cxTimerWindow();
  ASSERT_NE(window, nullptr);
  win::PostMessageW(window->Handle(), win::WM_TIMER, reinterpret_cast<win::WPARAM>(timer), 0);
  timer->Free();
  // An identifier that never was a timer is dropped too.
  win::PostMessageW(window->Handle(), win::WM_TIMER, 12345, 0);
  screen.ProcessMessages();
  run(2000);
  EXPECT_TRUE(ticks.at.empty());
}

TEST_F(Timers, ATimerMayFreeItselfInItsHandler) {
  ticks.freeInTick = make();
  ticks.freeInTick->SetOnTimer(ticks.handler());
  run(3000);
  EXPECT_EQ(ticks.at.size(), 1u);
  EXPECT_EQ(owner.ComponentCount(), 0);
}

TEST_F(Timers, ATimerSetAfterTheUnitStopStaysOff) {
  cxClassesUnitStop();
  EXPECT_EQ(cxTimerWindow(), nullptr);
  TcxTimer* timer = make();
  timer->SetOnTimer(ticks.handler());  // must not reach for the gone window
  EXPECT_FALSE(timer->TimerOn());
  run(2000);
  EXPECT_TRUE(ticks.at.empty());
  timer->Free();
}

TEST_F(Timers, ARunningTimerOutlivesTheUnitStopQuietly) {
  TcxTimer* timer = make();
  timer->SetOnTimer(ticks.handler());
  cxClassesUnitStop();
  run(2000);
  EXPECT_TRUE(ticks.at.empty());
  timer->SetInterval(200);
  EXPECT_FALSE(timer->TimerOn());
  timer->Free();
}

TEST_F(Timers, AllTimersShareOneHiddenTopLevelWindow) {
  TcxTimer* first = make();
  TcxTimer* second = make();
  Ticks other;
  first->SetOnTimer(ticks.handler());
  second->SetInterval(400);
  second->SetOnTimer(other.handler());
  TcxMessageWindow* window = cxTimerWindow();
  EXPECT_EQ(cxTimerWindow(), window);
  // A top-level window (settings broadcasts reach it), never shown.
  EXPECT_EQ(win::GetParent(window->Handle()), nullptr);
  EXPECT_FALSE(win::IsWindowVisible(window->Handle()));
  run(1000);
  EXPECT_EQ(ticks.at, (std::vector<rtl::Int64>{1000}));
  EXPECT_EQ(other.at, (std::vector<rtl::Int64>{400, 800}));
}

// A fast timer (the 10 ms mouse tracking) runs beside a slow one (a hint's
// hide pause): the slow one must still tick on time, whether the clock moves
// in steps with the loop served between them or in one leap.
struct TimersBesideFastCase {
  const char* name;
  rtl::Int64 step;  // clock step between loop passes; 0: one Advance, then the loop
};

class TimersBesideFast : public Timers, public testing::WithParamInterface<TimersBesideFastCase> {};

TEST_P(TimersBesideFast, ASlowTimerTicksWhileA10msTimerRuns) {
  Ticks fast;
  TcxTimer* tracking = make();
  tracking->SetInterval(10);
  tracking->SetOnTimer(fast.handler());
  TcxTimer* slow = make();
  slow->SetInterval(500);
  slow->SetOnTimer(ticks.handler());
  const rtl::Int64 step = GetParam().step;
  if (step == 0) {
    time.Advance(1000);
    screen.ProcessMessages();
  } else {
    run(1000, step);
  }
  EXPECT_EQ(ticks.at, (std::vector<rtl::Int64>{500, 1000}));
  EXPECT_GE(fast.at.size(), step == 0 ? 1u : 1000u / std::max<rtl::Int64>(step, 10));
}

INSTANTIATE_TEST_SUITE_P(Timers, TimersBesideFast,
                         testing::Values(TimersBesideFastCase{"clockStepsOf10", 10},
                                         TimersBesideFastCase{"clockStepsOf100", 100},
                                         TimersBesideFastCase{"oneLeap", 0}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(TimersRealTime, ASlowTimerTicksWhileA10msTimerRunsOnTheSystemClock) {
  win::headless::HeadlessScope screen;
  TComponent owner{nullptr};
  Ticks fast, slow;
  TcxTimer* tracking = rtl::Create<TcxTimer>(&owner);
  tracking->SetInterval(10);
  tracking->SetOnTimer(fast.handler());
  TcxTimer* hide = rtl::Create<TcxTimer>(&owner);
  hide->SetInterval(300);
  hide->SetOnTimer(slow.handler());
  // Bounded by the fast ticks: a starved slow timer fails rather than hangs.
  win::RunModalLoop([&] { return slow.at.size() >= 2 || fast.at.size() >= 400; });
  EXPECT_EQ(slow.at.size(), 2u) << "fast ticks: " << fast.at.size();
  cxClassesUnitStop();
  cxClassesUnitStart();
}

TEST_F(Timers, CreateTimerSetsItsPropertiesAndTheCallerFreesIt) {
  TcxTimer* off = cxCreateTimer(ticks.handler(), 250, false);
  EXPECT_FALSE(off->Enabled());
  EXPECT_EQ(off->Interval(), 250u);
  EXPECT_EQ(off->Owner(), nullptr);
  EXPECT_FALSE(off->TimerOn());
  TcxTimer* on = cxCreateTimer(ticks.handler(), 250);
  run(500);
  EXPECT_EQ(ticks.at, (std::vector<rtl::Int64>{250, 500}));
  off->Free();
  on->Free();
}

// --- errors and the message window --------------------------------------------------

struct CaughtErrors {
  std::vector<std::string> messages;
  std::vector<TObject*> senders;
  void Caught(TObject* sender, rtl::Exception* e) {
    messages.push_back(rtl::StringToUtf8(e->Message()));
    senders.push_back(sender);
  }
};

class ApplicationErrors {
 public:
  ApplicationErrors() {
    ui::Application->SetOnException(
        ui::TExceptionEvent::bind<&CaughtErrors::Caught>(&caught));
  }
  ~ApplicationErrors() { ui::Application->SetOnException(nullptr); }
  CaughtErrors caught;
};

TEST_F(Timers, AFailingHandlerIsReportedAndTheTimerGoesOn) {
  ApplicationErrors errors;
  TcxTimer* timer = make();
  timer->SetOnTimer(TNotifyEvent::bind<&Ticks::Fail>(&ticks));
  run(2000);
  EXPECT_EQ(ticks.at.size(), 2u);
  EXPECT_EQ(errors.caught.messages, (std::vector<std::string>{"tick failed", "tick failed"}));
  ASSERT_FALSE(errors.caught.senders.empty());
  EXPECT_EQ(errors.caught.senders[0], cxTimerWindow());
}

class Recorder : public TcxMessageWindow {
 public:
  std::vector<win::UINT> seen;
  bool fail = false;

 protected:
  void WndProc(ui::TMessage& message) override {
    seen.push_back(message.Msg);
    if (fail && message.Msg == win::WM_USER) throw rtl::Exception(u"bad message");
    TcxMessageWindow::WndProc(message);
  }
};

TEST_F(Timers, AMessageWindowHearsBroadcastsAndContainsItsErrors) {
  ApplicationErrors errors;
  auto* window = rtl::Create<Recorder>();
  win::SendMessageW(win::HWND_BROADCAST, win::WM_SETTINGCHANGE, 0, 0);
  EXPECT_NE(std::find(window->seen.begin(), window->seen.end(), win::WM_SETTINGCHANGE),
            window->seen.end());
  window->fail = true;
  EXPECT_NO_THROW(win::SendMessageW(window->Handle(), win::WM_USER, 0, 0));
  EXPECT_EQ(errors.caught.messages, (std::vector<std::string>{"bad message"}));
  EXPECT_EQ(errors.caught.senders, (std::vector<TObject*>{window}));
  const win::HWND handle = window->Handle();
  window->Free();
  EXPECT_FALSE(win::IsWindow(handle));
}

}  // namespace
}  // namespace core
