// Workers and the main thread's loop: hand-overs served while a message box
// is open, messages posted and sent from other threads.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "platform/rtl/clock.h"
#include "platform/rtl/threads.h"
#include "platform/win/headless.h"
#include "platform/win/win.h"

namespace {

using namespace win;

std::atomic<int> gUserMessages{0};
std::atomic<bool> gInSend{false};

LRESULT Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_USER:
      ++gUserMessages;
      return 0;
    case WM_USER + 1:
      gInSend = InSendMessage() != 0;
      return LRESULT(wp * 10);
    case WM_DESTROY:
      PostQuitMessage(4);
      return 0;
    default:
      return DefWindowProcW(hwnd, msg, wp, lp);
  }
}

class Handover : public ::testing::Test {
 protected:
  void SetUp() override {
    WNDCLASSEXW wc;
    wc.lpfnWndProc = &Proc;
    wc.lpszClassName = u"Worker";
    ASSERT_NE(RegisterClassExW(&wc), 0);
    hwnd = CreateWindowExW(0, u"Worker", u"", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100, nullptr, nullptr,
                           nullptr, nullptr);
    ASSERT_NE(hwnd, nullptr);
    gUserMessages = 0;
  }
  headless::HeadlessScope screen;
  HWND hwnd = nullptr;
};

TEST_F(Handover, AWorkersSynchronizeCompletesWhileAMessageBoxIsOpen) {
  std::atomic<bool> ran{false};
  std::atomic<bool> workerDone{false};
  std::thread worker([&] {
    rtl::TThread::Synchronize(nullptr, [&] {
      EXPECT_TRUE(rtl::IsMainThread());
      ran = true;
    });
    workerDone = true;
  });
  // The box stays open until the hand-over has run inside its loop.
  headless::QueueMessageBoxAnswer(IDOK, [&] { return ran.load(); });
  EXPECT_EQ(MessageBoxW(hwnd, u"Aguarde", u"Integrador", MB_OK), IDOK);
  worker.join();
  EXPECT_TRUE(ran);
  EXPECT_TRUE(workerDone);
}

TEST_F(Handover, PostsFromWorkersWakeTheLoopAndAllArrive) {
  constexpr int kThreads = 4, kEach = 500;
  std::vector<std::thread> workers;
  for (int t = 0; t < kThreads; ++t) {
    workers.emplace_back([&] {
      for (int i = 0; i < kEach; ++i) ASSERT_TRUE(PostMessageW(hwnd, WM_USER, 0, 0));
    });
  }
  std::thread closer([&] {
    for (auto& w : workers) w.join();
    PostMessageW(hwnd, WM_CLOSE, 0, 0);  // closes after every WM_USER: posted later
  });
  MSG m;
  while (GetMessageW(&m, nullptr, 0, 0)) DispatchMessageW(&m);
  closer.join();
  EXPECT_EQ(m.wParam, 4u);
  EXPECT_EQ(gUserMessages.load(), kThreads * kEach);
}

TEST_F(Handover, SendMessageFromAWorkerWaitsForTheAnswer) {
  std::atomic<LRESULT> answer{0};
  std::thread worker([&] {
    answer = SendMessageW(hwnd, WM_USER + 1, 7, 0);
    PostMessageW(hwnd, WM_CLOSE, 0, 0);
  });
  MSG m;
  while (GetMessageW(&m, nullptr, 0, 0)) DispatchMessageW(&m);
  worker.join();
  EXPECT_EQ(answer.load(), 70);
  EXPECT_TRUE(gInSend.load());
  EXPECT_FALSE(InSendMessage());
  // Windows and their calls stay on the main thread.
  std::thread stranger([&] { EXPECT_ANY_THROW(CreateWindowExW(0, u"Worker", u"", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr)); });
  stranger.join();
}

TEST_F(Handover, SendMessageFromAWorkerReturnsOnceTheMainThreadShutsDown) {
  // The main thread stops serving hand-overs while a worker waits for an
  // answer: the worker must come back instead of waiting for ever.
  rtl::BeginShutdown();
  std::atomic<bool> returned{false};
  std::atomic<LRESULT> answer{-1};
  std::thread worker([&] {
    answer = SendMessageW(hwnd, WM_USER + 1, 7, 0);
    returned = true;
  });
  worker.join();
  rtl::ResetShutdownForTests();
  EXPECT_TRUE(returned.load());
  EXPECT_EQ(answer.load(), 0);
}

TEST_F(Handover, TimersOfATestClockAdvancedByAWorkerFireOnTheMainThread) {
  rtl::TestClockScope time;
  std::atomic<int> fired{0};
  static std::atomic<int>* counter;
  counter = &fired;
  SetTimer(hwnd, 1, 100, [](HWND, UINT, UINT_PTR, DWORD) { ++*counter; });
  std::thread worker([&] { time.Advance(100); });
  worker.join();
  MSG m;
  for (int i = 0; i < 100 && fired.load() == 0; ++i) {
    if (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
  }
  EXPECT_EQ(fired.load(), 1);
  KillTimer(hwnd, 1);
}

}  // namespace
