// The main loop sleeps in poll() and is woken by other threads: hand-overs,
// quit requests and test-clock moves.
#include <gtest/gtest.h>

#include <sys/eventfd.h>
#include <unistd.h>

#include <atomic>
#include <cstdint>
#include <memory>

#include "platform/rtl/clock.h"
#include "platform/rtl/mainloop.h"
#include "platform/rtl/threads.h"
#include "tests/rtl/threads/test_threads.h"

using namespace rtl;
using rtl_test::FnThread;
using rtl_test::kLimitMs;

namespace {

TEST(MainLoopWake, HandOverWakesASleepingLoop) {
  TEvent loopRunning;
  int ran = 0;
  auto t = std::unique_ptr<FnThread>(NewThread<FnThread>([&](FnThread& self) {
    // Give the loop time to fall asleep, so the wake-up itself is tested.
    loopRunning.WaitFor(20);
    self.Queue([&] { ++ran; });
  }));
  ASSERT_TRUE(RunUntil([&] { return ran == 1; }, kLimitMs));
  ASSERT_TRUE(t->WaitFor(kLimitMs));
}

TEST(MainLoopWake, PostQuitFromAWorkerEndsRun) {
  auto t = std::unique_ptr<FnThread>(NewThread<FnThread>([](FnThread&) {
    TEvent().WaitFor(20);
    PostQuit(3);
  }));
  // A bounded stand-in for Run(): the quit must end it well before the limit.
  EXPECT_FALSE(RunUntil(nullptr, kLimitMs));
  EXPECT_TRUE(QuitRequested());
  EXPECT_EQ(rtl::Run(), 3);  // consumes the request at once
  EXPECT_FALSE(QuitRequested());
  ASSERT_TRUE(t->WaitFor(kLimitMs));
}

TEST(MainLoopWake, TestClockMovedByAWorkerFiresTimersOnTheMainThread) {
  TestClockScope time;
  int fired = 0;
  bool onMain = false;
  const TTimerID id = SetTimer(1000, [&] {
    ++fired;
    onMain = IsMainThread();
  });
  auto t = std::unique_ptr<FnThread>(NewThread<FnThread>([&](FnThread&) { time.Advance(1000); }));
  ASSERT_TRUE(RunUntil([&] { return fired == 1; }, kLimitMs));
  EXPECT_TRUE(onMain);
  ASSERT_TRUE(t->WaitFor(kLimitMs));
  KillTimer(id);
}

TEST(MainLoopWake, LoopEndsWhenAWorkerFinishes) {
  auto t = std::unique_ptr<FnThread>(NewThread<FnThread>([](FnThread&) { TEvent().WaitFor(20); }));
  // The end of a thread wakes the loop, so a condition on it is seen.
  EXPECT_TRUE(RunUntil([&] { return t->Finished(); }, kLimitMs));
  ASSERT_TRUE(t->WaitFor(kLimitMs));
}

// A backend's connection becoming readable wakes the loop, which then lets
// the backend dispatch.
class FdSource : public MainLoopSource {
 public:
  FdSource() : fd(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}
  ~FdSource() override { close(fd); }
  int FileDescriptor() override { return fd; }
  bool DispatchNativeEvents() override {
    std::uint64_t value = 0;
    if (read(fd, &value, sizeof value) != sizeof value) return false;
    dispatched += static_cast<int>(value);
    return true;
  }
  const int fd;
  int dispatched = 0;  // main thread only
};

TEST(MainLoopWake, ReadableSourceWakesTheLoop) {
  FdSource source;
  AddMainLoopSource(&source);
  auto t = std::unique_ptr<FnThread>(NewThread<FnThread>([&](FnThread&) {
    TEvent().WaitFor(20);
    const std::uint64_t one = 1;
    [[maybe_unused]] ssize_t n = write(source.fd, &one, sizeof one);
  }));
  const bool woke = RunUntil([&] { return source.dispatched == 1; }, kLimitMs);
  RemoveMainLoopSource(&source);
  ASSERT_TRUE(t->WaitFor(kLimitMs));
  EXPECT_TRUE(woke);
}

}  // namespace
