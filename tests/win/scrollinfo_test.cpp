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
      {"the thumb itself: a drag that went nowhere", (info.xyThumbTop + info.xyThumbBottom) / 2, "4"},
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

// Drags the thumb of a vertical bar 200 pixels long by `moves` pixels (each from the last) from
// where it was grabbed (`grab` pixels below its top), then releases or
// presses Esc; returns "code:HIWORD(wParam)/nTrackPos@thumb top" per message.
struct ThumbDrag {
  const char* what;
  SCROLLINFO values;
  int grab;
  std::vector<int> moves;
  bool escape;
  Lines expected;
  int finalPos;
};

TEST_F(ScrollBars, DraggingTheThumbSendsTrackRequestsWithTheFullPosition) {
  const ThumbDrag cases[] = {
      // 0..99 with a page of 25: a 41-pixel thumb on a 166-pixel track; 125 free pixels stand for 75 positions.
      {"down the track and past its end", Values(0, 99, 25, 0), 20, {25, 50, 500}, false,
       {"5:15/15@42", "5:45/45@92", "5:75/75@142", "4:75/75@142", "8:0/75@142"}, 75},
      {"a move that keeps the position sends nothing more", Values(0, 99, 25, 0), 20, {1, 0}, false,
       {"5:1/1@18", "4:1/1@18", "8:0/1@18"}, 1},
      {"back up to the start", Values(0, 99, 25, 75), 5, {-60, -200}, false,
       {"5:39/39@82", "5:0/0@17", "4:0/0@17", "8:0/0@17"}, 0},
      // Positions past 16 bits: the message's word wraps, nTrackPos does not.
      {"a range wider than a word", Values(0, 299999, 0, 0), 5, {200}, false,
       {"5:37855/299999@166", "4:37855/299999@166", "8:0/299999@166"}, 299999},
      {"Esc puts the thumb back", Values(0, 99, 25, 30), 5, {40}, true,
       {"5:54/54@107", "5:30/30@67", "4:30/30@67", "8:0/30@67"}, 30},
  };
  for (const ThumbDrag& c : cases) {
    SCOPED_TRACE(c.what);
    HWND top = Top("top", 0, 0, 200, 200, WS_POPUP | WS_VISIBLE);
    SetScrollInfo(top, SB_VERT, &c.values, TRUE);
    SCROLLBARINFO info;
    ASSERT_TRUE(GetScrollBarInfo(top, OBJID_VSCROLL, &info));
    const int x = (info.rcScrollBar.left + info.rcScrollBar.right) / 2;
    const int y = info.xyThumbTop + c.grab;
    Lines got;
    rec.handler = [&](HWND hwnd, UINT msg, WPARAM wParam, LPARAM, LRESULT* r) {
      if (msg != WM_VSCROLL) return false;
      SCROLLINFO si;
      si.fMask = SIF_TRACKPOS;
      GetScrollInfo(hwnd, SB_VERT, &si);
      // An owner that follows the thumb, as list boxes do.
      if (LOWORD(wParam) == SB_THUMBTRACK || LOWORD(wParam) == SB_THUMBPOSITION) SetScrollPos(hwnd, SB_VERT, si.nTrackPos, TRUE);
      SCROLLBARINFO now;
      GetScrollBarInfo(hwnd, OBJID_VSCROLL, &now);
      got.push_back(std::to_string(LOWORD(wParam)) + ":" + std::to_string(HIWORD(wParam)) + "/" +
                    std::to_string(si.nTrackPos) + "@" + std::to_string(now.xyThumbTop));
      *r = 0;
      return true;
    };
    headless::MouseMove(x, y);
    headless::MouseDown(MouseButton::Left, x, y);
    int at = y;
    for (int dy : c.moves) {
      headless::MouseMove(x, at += dy);
      headless::KeyUp(VK_F12);  // keeps the moves apart: a pending move takes the next one's place
    }
    if (c.escape) headless::PressKey(VK_ESCAPE);
    headless::MouseUp(MouseButton::Left, x, at);
    headless::ProcessMessages();
    rec.handler = nullptr;
    EXPECT_EQ(got, c.expected);
    EXPECT_EQ(GetScrollPos(top, SB_VERT), c.finalPos);
    EXPECT_EQ(GetCapture(), nullptr);
    DestroyWindow(top);
    clock->Advance(1000);  // no double click with the next case
  }
}

TEST_F(ScrollBars, TheDraggedThumbStaysUnderThePointerWhenTheOwnerIgnoresIt) {
  HWND top = Top("top", 0, 0, 200, 200, WS_POPUP | WS_VISIBLE);
  SCROLLINFO si = Values(0, 99, 25, 0);
  SetScrollInfo(top, SB_VERT, &si, TRUE);
  std::vector<int> thumbTops;
  rec.handler = [&](HWND hwnd, UINT msg, WPARAM wParam, LPARAM, LRESULT* r) {
    if (msg != WM_VSCROLL) return false;
    SCROLLBARINFO now;
    GetScrollBarInfo(hwnd, OBJID_VSCROLL, &now);
    if (LOWORD(wParam) == SB_THUMBTRACK) thumbTops.push_back(now.xyThumbTop);
    *r = 0;
    return true;
  };
  headless::MouseMove(190, 30);
  headless::MouseDown(MouseButton::Left, 190, 30);
  headless::MouseMove(190, 80);
  headless::MouseUp(MouseButton::Left, 190, 80);
  headless::ProcessMessages();
  rec.handler = nullptr;
  EXPECT_EQ(thumbTops, (std::vector<int>{67}));
  // Released, the thumb shows the owner's position again: it never moved it.
  SCROLLBARINFO info;
  ASSERT_TRUE(GetScrollBarInfo(top, OBJID_VSCROLL, &info));
  EXPECT_EQ(info.xyThumbTop, 17);
  EXPECT_EQ(GetScrollPos(top, SB_VERT), 0);
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
