// The switch that turns themes off and on, the message every window hears
// when it turns, and the parent-background request that windows answer.
#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "platform/gdi/draw.h"
#include "platform/gdi/objects.h"
#include "platform/theme/theme.h"
#include "platform/win/constants.h"
#include "platform/win/headless.h"
#include "platform/win/message_loop.h"
#include "platform/win/window.h"
#include "tests/support/dib_dc.h"
#include "tests/theme/theme_support.h"

namespace {

using namespace win;

std::map<HWND, int>& heard() {
  static std::map<HWND, int> h;
  return h;
}

// Where the parent paints for a child asking for its background: a blue
// square at (20, 10) of the parent's client area.
LRESULT CountingProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_THEMECHANGED) ++heard()[hwnd];
  if (msg == WM_PRINTCLIENT) {
    const gdi::RECT square{20, 10, 30, 20};
    gdi::HBRUSH blue = gdi::CreateSolidBrush(gdi::RGB(0, 0, 255));
    gdi::FillRect(reinterpret_cast<HDC>(wParam), &square, blue);
    gdi::DeleteObject(blue);
    return 0;
  }
  if (msg == WM_ERASEBKGND) return 1;
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

class ThemeSwitch : public testing::Test {
 protected:
  void SetUp() override {
    heard().clear();
    WNDCLASSEXW wc;
    wc.lpfnWndProc = &CountingProc;
    wc.lpszClassName = u"ThemeProbe";
    RegisterClassExW(&wc);
  }
  void TearDown() override {
    for (HWND h : windows) DestroyWindow(h);
    theme::SetThemesEnabled(true);
  }
  HWND Make(HWND parent, DWORD style, int x = 0, int y = 0) {
    HWND h = CreateWindowExW(0, u"ThemeProbe", u"", style, x, y, 100, 60, parent, nullptr, nullptr, nullptr);
    EXPECT_NE(h, nullptr);
    if (!parent || parent == HWND_MESSAGE) windows.push_back(h);
    return h;
  }
  headless::HeadlessScope screen;
  std::vector<HWND> windows;
};

TEST_F(ThemeSwitch, TurningItTellsEveryWindowOnceAndChangesWhatOpens) {
  HWND top = Make(nullptr, WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  HWND child = Make(top, WS_CHILD | WS_VISIBLE);
  HWND grandchild = Make(child, WS_CHILD | WS_VISIBLE);
  HWND hidden = Make(HWND_MESSAGE, 0);
  ASSERT_TRUE(theme::ThemesEnabled());
  EXPECT_TRUE(theme::IsThemeActive());
  EXPECT_TRUE(theme::IsAppThemed());
  themetest::ScopedTheme before(u"Button");
  EXPECT_TRUE(before);

  theme::SetThemesEnabled(false);
  for (HWND h : {top, child, grandchild, hidden}) EXPECT_EQ(heard()[h], 1) << "window " << h;
  EXPECT_FALSE(theme::IsThemeActive());
  EXPECT_FALSE(theme::IsAppThemed());
  EXPECT_EQ(theme::OpenThemeData(nullptr, u"Button"), nullptr);
  char16_t name[32] = {};
  EXPECT_EQ(theme::GetCurrentThemeName(name, 32, nullptr, 0, nullptr, 0), theme::E_FAIL);
  // A handle opened before keeps answering until its owner closes it (it
  // does so when it hears the message).
  COLORREF c = 0;
  EXPECT_EQ(theme::GetThemeColor(before.get(), 1, 1, theme::TMT_FILLCOLOR, &c), theme::S_OK);

  // The same value again changes nothing and says nothing.
  theme::SetThemesEnabled(false);
  EXPECT_EQ(heard()[top], 1);

  theme::SetThemesEnabled(true);
  for (HWND h : {top, child, grandchild, hidden}) EXPECT_EQ(heard()[h], 2) << "window " << h;
  themetest::ScopedTheme after(u"Button");
  EXPECT_TRUE(after);
  EXPECT_EQ(theme::GetCurrentThemeName(name, 32, nullptr, 0, nullptr, 0), theme::S_OK);
  EXPECT_NE(name[0], 0);
}

TEST_F(ThemeSwitch, ParentBackgroundIsPaintedUnderTheChild) {
  HWND top = Make(nullptr, WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  HWND child = Make(top, WS_CHILD | WS_VISIBLE, 15, 5);
  testing_support::DibDC page(40, 30, 0x00FFFFFF);
  gdi::SetWindowOrgEx(page.dc, 0, 0, nullptr);
  ASSERT_EQ(theme::DrawThemeParentBackground(child, page.dc, nullptr), theme::S_OK);
  // The parent's square at (20, 10)..(30, 20) shows at (5, 5)..(15, 15) of the child.
  EXPECT_EQ(page.rgb(5, 5), 0x000000FFu);
  EXPECT_EQ(page.rgb(14, 14), 0x000000FFu);
  EXPECT_EQ(page.rgb(4, 4), 0x00FFFFFFu);
  EXPECT_EQ(page.rgb(15, 15), 0x00FFFFFFu);
  // The DC's origin is the child's again.
  gdi::POINT org{1, 1};
  gdi::GetWindowOrgEx(page.dc, &org);
  EXPECT_EQ(org, (gdi::POINT{0, 0}));
  // A limiting rectangle keeps the rest untouched; a top-level window has no parent to ask.
  testing_support::DibDC limited(40, 30, 0x00FFFFFF);
  const gdi::RECT only{0, 0, 8, 30};
  ASSERT_EQ(theme::DrawThemeParentBackground(child, limited.dc, &only), theme::S_OK);
  EXPECT_EQ(limited.rgb(6, 6), 0x000000FFu);
  EXPECT_EQ(limited.rgb(10, 6), 0x00FFFFFFu);
  EXPECT_EQ(theme::DrawThemeParentBackground(top, limited.dc, nullptr), theme::S_FALSE);
}

}  // namespace
