// Hidden utility windows: messages reach their method, broadcasts reach
// them, and nothing reaches the method after the window goes.
#include <gtest/gtest.h>

#include <vector>

#include "platform/ui/utility_window.h"
#include "platform/win/headless.h"
#include "platform/win/message_loop.h"
#include "platform/win/window.h"

namespace ui {
namespace {

struct Sink {
  std::vector<win::UINT> seen;
  void Handle(TMessage& m) {
    seen.push_back(m.Msg);
    if (m.Msg == win::WM_USER) m.Result = 77;
  }
};

TEST(UtilityWindow, RoutesMessagesAndAnswersWithTheMethodsResult) {
  win::headless::HeadlessScope screen;
  Sink sink;
  win::HWND wnd = AllocateHWnd(TWndMethod::bind<&Sink::Handle>(&sink));
  ASSERT_NE(wnd, nullptr);
  EXPECT_EQ(win::GetParent(wnd), nullptr);
  EXPECT_FALSE(win::IsWindowVisible(wnd));
  EXPECT_EQ(win::SendMessageW(wnd, win::WM_USER, 0, 0), 77);
  sink.seen.clear();
  win::SendMessageW(win::HWND_BROADCAST, win::WM_SETTINGCHANGE, 0, 0);
  EXPECT_EQ(sink.seen, (std::vector<win::UINT>{win::WM_SETTINGCHANGE}));
  DeallocateHWnd(wnd);
  EXPECT_FALSE(win::IsWindow(wnd));
  sink.seen.clear();
  win::PostMessageW(wnd, win::WM_USER, 0, 0);
  screen.ProcessMessages();
  EXPECT_TRUE(sink.seen.empty());
  DeallocateHWnd(nullptr);
}

TEST(UtilityWindow, WithoutAMethodTheDefaultProcedureAnswers) {
  win::headless::HeadlessScope screen;
  win::HWND wnd = AllocateHWnd(nullptr);
  ASSERT_NE(wnd, nullptr);
  win::SetWindowTextW(wnd, u"abc");
  EXPECT_EQ(win::GetWindowTextLengthW(wnd), 3);
  DeallocateHWnd(wnd);
}

TEST(UtilityWindow, AWindowSystemMadeAnewStillMakesThem) {
  // The class goes with the old window system; the next call registers it again.
  { win::headless::HeadlessScope first; DeallocateHWnd(AllocateHWnd(nullptr)); }
  win::headless::HeadlessScope second;
  win::HWND wnd = AllocateHWnd(nullptr);
  EXPECT_NE(wnd, nullptr);
  DeallocateHWnd(wnd);
}

}  // namespace
}  // namespace ui
