// Sending without waiting: on the main thread the window procedure runs
// before the call returns (a posted message would wait for the loop); a
// window that is gone is refused.
#include "tests/win/recorder.h"

namespace wintest {
namespace {

class NotifySend : public WinTest {};

TEST_F(NotifySend, RunsAtOnceOnTheMainThreadAndRefusesAWindowThatIsGone) {
  HWND a = Top("a", 0, 0, 100, 100);
  headless::ProcessMessages();
  rec.Clear();
  EXPECT_TRUE(SendNotifyMessageW(a, WM_USER + 7, 1, 2));
  ASSERT_EQ(rec.Lines({WM_USER + 7}).size(), 1u);
  EXPECT_EQ(rec.entries.back().wParam, 1u);
  MSG m;
  EXPECT_FALSE(PeekMessageW(&m, a, WM_USER + 7, WM_USER + 7, PM_NOREMOVE));
  DestroyWindow(a);
  EXPECT_FALSE(SendNotifyMessageW(a, WM_USER + 7, 0, 0));
}

}  // namespace
}  // namespace wintest
