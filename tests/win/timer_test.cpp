// Timers on the one clock: WM_TIMER when due and the queue is empty,
// callbacks, replacing and killing, also inside their own handlers.
#include "tests/win/recorder.h"

namespace wintest {
namespace {

using Lines = std::vector<std::string>;

class Timers : public WinTest {};

std::vector<std::pair<UINT_PTR, DWORD>> gProcCalls;
void CALLBACK_TimerProc(HWND, UINT msg, UINT_PTR id, DWORD time) {
  EXPECT_EQ(msg, WM_TIMER);
  gProcCalls.emplace_back(id, time);
}

TEST_F(Timers, FireAsTheTestClockAdvances) {
  HWND a = Top("a", 0, 0, 100, 100);
  headless::ProcessMessages();
  rec.Clear();
  ASSERT_EQ(SetTimer(a, 7, 1000, nullptr), 7u);
  clock->Advance(999);
  EXPECT_TRUE(rec.Lines({WM_TIMER}).empty());
  clock->Advance(1);
  EXPECT_EQ(rec.Lines({WM_TIMER}), (Lines{"a:WM_TIMER"}));
  EXPECT_EQ(rec.entries.back().wParam, 7u);
  // Each period fires once as the clock passes it.
  rec.Clear();
  clock->Advance(3000);
  EXPECT_EQ(rec.Lines({WM_TIMER}).size(), 3u);
  KillTimer(a, 7);
  rec.Clear();
  clock->Advance(5000);
  EXPECT_TRUE(rec.Lines({WM_TIMER}).empty());
}

TEST_F(Timers, WaitForTheQueueAndCoalesce) {
  HWND a = Top("a", 0, 0, 100, 100);
  headless::ProcessMessages();
  SetTimer(a, 1, 100, nullptr);
  PostMessageW(a, WM_USER, 0, 0);
  rec.Clear();
  // Posted work waits: the timer only marks itself due, however often it passes.
  clock->Advance(500);
  EXPECT_TRUE(rec.Lines({WM_TIMER}).empty());
  headless::ProcessMessages();
  EXPECT_EQ(rec.Lines({WM_USER, WM_TIMER}), (Lines{"a:WM_USER", "a:WM_TIMER"}));
  // Paint goes before a timer too.
  rec.Clear();
  InvalidateRect(a, nullptr, FALSE);
  clock->Advance(100);
  headless::ProcessMessages();
  EXPECT_EQ(rec.Lines({WM_PAINT, WM_TIMER}), (Lines{"a:WM_PAINT", "a:WM_TIMER"}));
}

TEST_F(Timers, ProceduresIdsAndReplacement) {
  HWND a = Top("a", 0, 0, 100, 100);
  headless::ProcessMessages();
  gProcCalls.clear();
  // A thread timer gets its own id; a window timer keeps the caller's.
  const UINT_PTR t1 = SetTimer(nullptr, 0, 50, &CALLBACK_TimerProc);
  const UINT_PTR t2 = SetTimer(nullptr, 0, 50, &CALLBACK_TimerProc);
  EXPECT_NE(t1, 0u);
  EXPECT_NE(t1, t2);
  clock->Advance(50);
  ASSERT_EQ(gProcCalls.size(), 2u);
  EXPECT_EQ(gProcCalls[0].first, t1);
  EXPECT_EQ(gProcCalls[0].second, GetTickCount());
  KillTimer(nullptr, t1);
  KillTimer(nullptr, t2);
  // Setting the same window and id again replaces the timer (new interval).
  rec.Clear();
  SetTimer(a, 3, 100, nullptr);
  clock->Advance(60);
  SetTimer(a, 3, 100, nullptr);
  clock->Advance(60);
  EXPECT_TRUE(rec.Lines({WM_TIMER}).empty());
  clock->Advance(40);
  EXPECT_EQ(rec.Lines({WM_TIMER}).size(), 1u);
  // Intervals below the minimum are raised to it.
  KillTimer(a, 3);
  rec.Clear();
  SetTimer(a, 4, 1, nullptr);
  clock->Advance(9);
  EXPECT_TRUE(rec.Lines({WM_TIMER}).empty());
  clock->Advance(1);
  ASSERT_EQ(rec.Lines({WM_TIMER}).size(), 1u);
  EXPECT_EQ(rec.entries.back().wParam, 4u);
  // Timers die with their window; killing an unknown timer fails.
  DestroyWindow(a);
  EXPECT_FALSE(KillTimer(a, 3));
  EXPECT_EQ(SetTimer(a, 5, 10, nullptr), 0u);
}

TEST_F(Timers, KilledOrResetInsideTheirOwnHandler) {
  HWND a = Top("a", 0, 0, 100, 100);
  headless::ProcessMessages();
  int fired = 0;
  rec.handler = [&](HWND hwnd, UINT msg, WPARAM id, LPARAM, LRESULT* r) {
    if (msg != WM_TIMER) return false;
    ++fired;
    if (id == 1) KillTimer(hwnd, 1);
    if (id == 2 && fired < 5) SetTimer(hwnd, 2, 300, nullptr);  // slows itself down
    *r = 0;
    return true;
  };
  SetTimer(a, 1, 100, nullptr);
  clock->Advance(1000);
  EXPECT_EQ(fired, 1);
  fired = 0;
  SetTimer(a, 2, 100, nullptr);
  clock->Advance(100);
  EXPECT_EQ(fired, 1);
  clock->Advance(299);
  EXPECT_EQ(fired, 1);
  clock->Advance(1);
  EXPECT_EQ(fired, 2);
  KillTimer(a, 2);
}

}  // namespace
}  // namespace wintest
