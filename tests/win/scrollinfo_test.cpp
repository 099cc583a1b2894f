// The standard scroll bars of a window: their values, showing and hiding,
// what GetScrollBarInfo reports, the frame they take, the requests a click
// on them sends, and how they look.
#include "platform/gdi/gdi.h"
#include "tests/support/golden.h"
#include "tests/win/recorder.h"

namespace wintest {
namespace {

using Lines = std::vector<std::string>;

class ScrollBars : public WinTest {};

SCROLLINFO Values(int min, int max, UINT page, int pos, UINT extra = 0) {
  SCROLLINFO si;
  si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | extra;
  si.nMin = min;
  si.nMax = max;
  si.nPage = page;
  si.nPos = pos;
  return si;
}

TEST_F(ScrollBars, ValuesAreClampedAndTheBarFollowsTheRange) {
  struct Case {
    const char* what;
    SCROLLINFO given;
    int min, max;
    UINT page;
    int pos;
    bool shown, available;
  };
  const Case cases[] = {
      {"position past the last page goes back to it", Values(0, 99, 10, 500), 0, 99, 10, 90, true, true},
      {"position before the range goes to its start", Values(5, 50, 0, -3), 5, 50, 0, 5, true, true},
      {"page larger than the range is capped, the bar hides", Values(0, 9, 40, 3), 0, 9, 10, 0, false, false},
      {"an empty range hides the bar", Values(0, 0, 0, 0), 0, 0, 0, 0, false, false},
      {"SIF_DISABLENOSCROLL keeps it shown but unavailable", Values(0, 9, 40, 3, SIF_DISABLENOSCROLL), 0, 9, 10, 0,
       true, false},
      {"max below min becomes min", Values(20, 10, 0, 15), 20, 20, 0, 20, false, false},
  };
  HWND top = Top("top", 0, 0, 200, 150);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SetScrollInfo(top, SB_VERT, &c.given, TRUE);
    SCROLLINFO got;
    got.fMask = SIF_ALL;
    ASSERT_TRUE(GetScrollInfo(top, SB_VERT, &got));
    EXPECT_EQ(got.nMin, c.min);
    EXPECT_EQ(got.nMax, c.max);
    EXPECT_EQ(got.nPage, c.page);
    EXPECT_EQ(got.nPos, c.pos);
    EXPECT_EQ((GetWindowLongW(top, GWL_STYLE) & WS_VSCROLL) != 0, c.shown);
    SCROLLBARINFO info;
    ASSERT_TRUE(GetScrollBarInfo(top, OBJID_VSCROLL, &info));
    EXPECT_EQ((info.rgstate[0] & STATE_SYSTEM_INVISIBLE) == 0, c.shown);
    EXPECT_EQ((info.rgstate[0] & STATE_SYSTEM_UNAVAILABLE) == 0, c.available);
  }
}

TEST_F(ScrollBars, ShownBarsTakeTheirRoomFromTheClientArea) {
  HWND top = Top("top", 0, 0, 200, 150, WS_POPUP | WS_VISIBLE);
  HWND kid = Child("kid", top, 10, 20, 100, 80, WS_CHILD | WS_VISIBLE | WS_BORDER);
  RECT c;
  GetClientRect(kid, &c);
  EXPECT_EQ(c, (RECT{0, 0, 98, 78}));
  SCROLLINFO probe;
  probe.fMask = SIF_ALL;
  EXPECT_FALSE(GetScrollInfo(kid, SB_HORZ, &probe));  // never shown nor given values

  ASSERT_TRUE(ShowScrollBar(kid, SB_BOTH, TRUE));
  GetClientRect(kid, &c);
  EXPECT_EQ(c, (RECT{0, 0, 98 - kScrollBarSize, 78 - kScrollBarSize}));
  SCROLLBARINFO v, h;
  ASSERT_TRUE(GetScrollBarInfo(kid, OBJID_VSCROLL, &v));
  ASSERT_TRUE(GetScrollBarInfo(kid, OBJID_HSCROLL, &h));
  // Screen coordinates, inside the 1-pixel border; the corner square is neither bar's.
  EXPECT_EQ(v.rcScrollBar, (RECT{10 + 99 - 17, 21, 10 + 99, 20 + 79 - 17}));
  EXPECT_EQ(h.rcScrollBar, (RECT{11, 20 + 79 - 17, 10 + 99 - 17, 20 + 79}));
  EXPECT_EQ(v.rgstate[0] & STATE_SYSTEM_INVISIBLE, 0u);
  EXPECT_EQ(v.dxyLineButton, kScrollBarSize);

  ASSERT_TRUE(ShowScrollBar(kid, SB_VERT, FALSE));
  GetClientRect(kid, &c);
  EXPECT_EQ(c, (RECT{0, 0, 98, 78 - kScrollBarSize}));
  ASSERT_TRUE(GetScrollBarInfo(kid, OBJID_VSCROLL, &v));
  EXPECT_NE(v.rgstate[0] & STATE_SYSTEM_INVISIBLE, 0u);
}

TEST_F(ScrollBars, BadArgumentsAreRefused) {
  HWND top = Top("top", 0, 0, 200, 150);
  SCROLLBARINFO info;
  info.cbSize = 56;
  EXPECT_FALSE(GetScrollBarInfo(top, OBJID_VSCROLL, &info));
  info.cbSize = sizeof(SCROLLBARINFO);
  EXPECT_FALSE(GetScrollBarInfo(top, 7, &info));
  EXPECT_FALSE(GetScrollBarInfo(nullptr, OBJID_VSCROLL, &info));
  SCROLLINFO si;
  si.fMask = SIF_ALL;
  EXPECT_FALSE(GetScrollInfo(top, SB_CTL, &si));
  si.cbSize = 12;
  EXPECT_FALSE(GetScrollInfo(top, SB_VERT, &si));
  EXPECT_FALSE(ShowScrollBar(top, 9, TRUE));
}

TEST_F(ScrollBars, ThumbFollowsPositionAndPage) {
  HWND top = Top("top", 0, 0, 200, 200, WS_POPUP | WS_VISIBLE);
  // The bar is 200 long: two 17-pixel arrows leave a 166-pixel track.
  SCROLLINFO si = Values(0, 99, 25, 0);
  SetScrollInfo(top, SB_VERT, &si, TRUE);
  SCROLLBARINFO info;
  ASSERT_TRUE(GetScrollBarInfo(top, OBJID_VSCROLL, &info));
  EXPECT_EQ(info.xyThumbTop, 17);
  EXPECT_EQ(info.xyThumbBottom, 17 + 166 / 4);
  SetScrollPos(top, SB_VERT, 75, TRUE);
  ASSERT_TRUE(GetScrollBarInfo(top, OBJID_VSCROLL, &info));
  // The last page puts the thumb against the down arrow.
  EXPECT_EQ(info.xyThumbBottom, 200 - 17);
  EXPECT_EQ(info.xyThumbTop, 200 - 17 - 166 / 4);
  EXPECT_EQ(GetScrollPos(top, SB_VERT), 75);
}

TEST_F(ScrollBars, ClicksOnTheBarSendScrollRequests) {
  HWND top = Top("top", 0, 0, 200, 200, WS_POPUP | WS_VISIBLE);
  SCROLLINFO si = Values(0, 99, 25, 40);
  SetScrollInfo(top, SB_VERT, &si, TRUE);
  SCROLLBARINFO info;
  ASSERT_TRUE(GetScrollBarInfo(top, OBJID_VSCROLL, &info));
  const int x = (info.rcScrollBar.left + info.rcScrollBar.right) / 2;
  struct Case {
    const char* what;
    int y;
    std::string code;
  };
  const Case cases[] = {
      {"up arrow", 5, "0"},
      {"above the thumb", info.xyThumbTop - 3, "2"},
      {"below the thumb", info.xyThumbBottom + 3, "3"},
      {"down arrow", 195, "1"},
      {"the thumb itself", (info.xyThumbTop + info.xyThumbBottom) / 2, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<std::string> codes;
    rec.handler = [&](HWND, UINT msg, WPARAM wParam, LPARAM, LRESULT* r) {
      if (msg != WM_VSCROLL) return false;
      codes.push_back(std::to_string(LOWORD(wParam)));
      *r = 0;
      return true;
    };
    headless::MouseMove(x, c.y);
    headless::MouseDown(MouseButton::Left, x, c.y);
    headless::MouseUp(MouseButton::Left, x, c.y);
    headless::ProcessMessages();
    rec.handler = nullptr;
    if (c.code.empty())
      EXPECT_TRUE(codes.empty());
    else
      EXPECT_EQ(codes, (std::vector<std::string>{c.code, "8"}));  // then SB_ENDSCROLL
  }
}

TEST_F(ScrollBars, Look) {
  HWND top = Top("top", 0, 0, 160, 120, WS_POPUP | WS_VISIBLE | WS_BORDER);
  SCROLLINFO v = Values(0, 99, 25, 50);
  SetScrollInfo(top, SB_VERT, &v, TRUE);
  SCROLLINFO h = Values(0, 9, 20, 0, SIF_DISABLENOSCROLL);
  SetScrollInfo(top, SB_HORZ, &h, TRUE);
  headless::ProcessMessages();
  EXPECT_GOLDEN(headless::Screenshot(top), "win", "scroll_bars");
}

}  // namespace
}  // namespace wintest
