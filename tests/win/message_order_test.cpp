// The order of the messages of create, destroy, show, focus, capture and
// sizing, as the library's controls expect them.
#include "platform/gdi/gdi.h"
#include "tests/win/recorder.h"

namespace wintest {
namespace {

using Lines = std::vector<std::string>;

class MessageOrder : public WinTest {};

TEST_F(MessageOrder, CreatingAVisibleTopLevelWindow) {
  rec.nextName = "top";
  HWND top = CreateWindowExW(0, u"Rec", u"Form", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 300, 200, nullptr,
                             nullptr, nullptr, nullptr);
  ASSERT_NE(top, nullptr);
  EXPECT_EQ(rec.Lines(), (Lines{"top:WM_GETMINMAXINFO", "top:WM_NCCREATE", "top:WM_NCCALCSIZE", "top:WM_CREATE",
                                "top:WM_SIZE", "top:WM_MOVE", "top:WM_SHOWWINDOW", "top:WM_WINDOWPOSCHANGING",
                                "top:WM_ACTIVATEAPP", "top:WM_NCACTIVATE", "top:WM_ACTIVATE", "top:WM_SETFOCUS",
                                "top:WM_WINDOWPOSCHANGED"}));
  rec.Clear();
  headless::ProcessMessages();
  // The frame, then the background, then the client: one paint cycle.
  EXPECT_EQ(rec.Lines(), (Lines{"top:WM_PAINT", "top:WM_NCPAINT", "top:WM_ERASEBKGND"}));
  EXPECT_EQ(GetActiveWindow(), top);
  EXPECT_EQ(GetFocus(), top);
}

TEST_F(MessageOrder, CreatingAChildNotifiesTheParentsAndDoesNotActivate) {
  HWND top = Top("top", 0, 0, 300, 200);
  HWND mid = Child("mid", top, 10, 10, 200, 150);
  rec.Clear();
  rec.nextName = "kid";
  HWND kid = CreateWindowExW(0, u"Rec", u"", WS_CHILD | WS_VISIBLE, 5, 5, 50, 20, mid,
                             reinterpret_cast<HMENU>(7), nullptr, nullptr);
  ASSERT_NE(kid, nullptr);
  EXPECT_EQ(rec.Lines(), (Lines{"kid:WM_NCCREATE", "kid:WM_NCCALCSIZE", "kid:WM_CREATE", "kid:WM_SIZE",
                                "kid:WM_MOVE", "mid:WM_PARENTNOTIFY", "top:WM_PARENTNOTIFY", "kid:WM_SHOWWINDOW",
                                "kid:WM_WINDOWPOSCHANGING", "kid:WM_WINDOWPOSCHANGED"}));
  // WM_PARENTNOTIFY carries the event and the child's id, and the child.
  const Entry& note = rec.entries[5];
  EXPECT_EQ(LOWORD(note.wParam), WM_CREATE);
  EXPECT_EQ(HIWORD(note.wParam), 7);
  EXPECT_EQ(reinterpret_cast<HWND>(note.lParam), kid);
  EXPECT_EQ(GetParent(kid), mid);
  EXPECT_EQ(GetAncestor(kid, GA_ROOT), top);
  EXPECT_TRUE(IsChild(top, kid));
}

TEST_F(MessageOrder, FailingCreationsDestroyTheWindowAndReturnNull) {
  struct Case {
    UINT message;
    LRESULT answer;
    Lines expected;
  };
  const Case cases[] = {
      {WM_NCCREATE, FALSE, {"w:WM_GETMINMAXINFO", "w:WM_NCCREATE", "w:WM_NCDESTROY"}},
      {WM_CREATE, -1,
       {"w:WM_GETMINMAXINFO", "w:WM_NCCREATE", "w:WM_NCCALCSIZE", "w:WM_CREATE", "w:WM_DESTROY", "w:WM_NCDESTROY"}},
  };
  for (const Case& c : cases) {
    rec.Clear();
    rec.names.clear();
    rec.nextName = "w";
    rec.handler = [&](HWND, UINT msg, WPARAM, LPARAM, LRESULT* r) {
      if (msg != c.message) return false;
      *r = c.answer;
      return true;
    };
    HWND w = CreateWindowExW(0, u"Rec", u"", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
    EXPECT_EQ(w, nullptr) << MessageName(c.message);
    EXPECT_EQ(rec.Lines(), c.expected) << MessageName(c.message);
    EXPECT_EQ(GetTopWindow(nullptr), nullptr);
  }
}

TEST_F(MessageOrder, DestroyHidesThenDestroysParentFirstAndFreesChildrenFirst) {
  HWND top = Top("top", 0, 0, 300, 200);
  HWND a = Child("a", top, 0, 0, 100, 100);
  HWND a1 = Child("a1", a, 0, 0, 10, 10);
  HWND b = Child("b", top, 100, 0, 100, 100);
  SetFocus(a1);
  headless::ProcessMessages();
  rec.Clear();
  ASSERT_TRUE(DestroyWindow(top));
  EXPECT_EQ(rec.Lines(),
            (Lines{"top:WM_WINDOWPOSCHANGING", "top:WM_WINDOWPOSCHANGED", "top:WM_NCACTIVATE", "top:WM_ACTIVATE",
                   "top:WM_ACTIVATEAPP", "a1:WM_KILLFOCUS", "top:WM_DESTROY", "b:WM_DESTROY", "a:WM_DESTROY",
                   "a1:WM_DESTROY", "b:WM_NCDESTROY", "a1:WM_NCDESTROY", "a:WM_NCDESTROY", "top:WM_NCDESTROY"}));
  for (HWND h : {top, a, a1, b}) EXPECT_FALSE(IsWindow(h));
  EXPECT_EQ(GetFocus(), nullptr);
  EXPECT_EQ(GetActiveWindow(), nullptr);
}

TEST_F(MessageOrder, DestroyingAChildNotifiesTheParent) {
  HWND top = Top("top", 0, 0, 300, 200);
  HWND kid = Child("kid", top, 0, 0, 100, 100);
  headless::ProcessMessages();
  rec.Clear();
  DestroyWindow(kid);
  EXPECT_EQ(rec.Lines(), (Lines{"top:WM_PARENTNOTIFY", "kid:WM_WINDOWPOSCHANGING", "kid:WM_WINDOWPOSCHANGED",
                                "kid:WM_DESTROY", "kid:WM_NCDESTROY"}));
  EXPECT_EQ(GetWindow(top, GW_CHILD), nullptr);
}

TEST_F(MessageOrder, OwnedWindowsAreDestroyedBeforeTheirOwner) {
  HWND owner = Top("owner", 0, 0, 300, 200);
  rec.recording = false;
  HWND popup = CreateWindowExW(0, u"Rec", u"", WS_POPUP, 10, 10, 50, 50, owner, nullptr, nullptr, nullptr);
  rec.Name(popup, "popup");
  rec.recording = true;
  EXPECT_EQ(GetWindow(popup, GW_OWNER), owner);
  rec.Clear();
  DestroyWindow(owner);
  EXPECT_EQ(rec.Lines({WM_DESTROY, WM_NCDESTROY}),
            (Lines{"popup:WM_DESTROY", "popup:WM_NCDESTROY", "owner:WM_DESTROY", "owner:WM_NCDESTROY"}));
}

TEST_F(MessageOrder, FocusChangeKillsBeforeItSets) {
  HWND top = Top("top", 0, 0, 300, 200);
  HWND a = Child("a", top, 0, 0, 100, 100);
  HWND b = Child("b", top, 100, 0, 100, 100);
  SetFocus(a);
  rec.Clear();
  EXPECT_EQ(SetFocus(b), a);
  EXPECT_EQ(rec.Lines(), (Lines{"a:WM_KILLFOCUS", "b:WM_SETFOCUS"}));
  EXPECT_EQ(reinterpret_cast<HWND>(rec.entries[0].wParam), b);
  EXPECT_EQ(reinterpret_cast<HWND>(rec.entries[1].wParam), a);
  EXPECT_EQ(GetFocus(), b);
}

TEST_F(MessageOrder, FocusIntoAnotherTopLevelActivatesItFirst) {
  HWND one = Top("one", 0, 0, 300, 200);
  HWND two = Top("two", 400, 0, 300, 200);
  HWND a = Child("a", one, 0, 0, 100, 100);
  HWND b = Child("b", two, 0, 0, 100, 100);
  SetFocus(a);
  rec.Clear();
  SetFocus(b);
  // The default answer to WM_ACTIVATE focuses the window itself first, as
  // on the platform; then the focus goes on to the child asked for.
  EXPECT_EQ(rec.Lines(), (Lines{"one:WM_NCACTIVATE", "one:WM_ACTIVATE", "two:WM_NCACTIVATE", "two:WM_ACTIVATE",
                                "a:WM_KILLFOCUS", "two:WM_SETFOCUS", "two:WM_KILLFOCUS", "b:WM_SETFOCUS"}));
  EXPECT_EQ(LOWORD(rec.entries[1].wParam), WA_INACTIVE);
  EXPECT_EQ(reinterpret_cast<HWND>(rec.entries[1].lParam), two);
  EXPECT_EQ(LOWORD(rec.entries[3].wParam), WA_ACTIVE);
  EXPECT_EQ(GetActiveWindow(), two);
  EXPECT_EQ(GetFocus(), b);
}

TEST_F(MessageOrder, TheDisplayTakingTheFocusAwayDeactivatesTheApplication) {
  HWND top = Top("top", 0, 0, 300, 200);
  HWND a = Child("a", top, 0, 0, 100, 100);
  SetFocus(a);
  rec.Clear();
  headless::FocusOut(top);
  EXPECT_EQ(rec.Lines(), (Lines{"top:WM_NCACTIVATE", "top:WM_ACTIVATE", "top:WM_ACTIVATEAPP", "a:WM_KILLFOCUS"}));
  EXPECT_EQ(GetForegroundWindow(), nullptr);
  rec.Clear();
  headless::FocusIn(top);
  EXPECT_EQ(rec.Lines(), (Lines{"top:WM_ACTIVATEAPP", "top:WM_NCACTIVATE", "top:WM_ACTIVATE", "top:WM_SETFOCUS"}));
}

TEST_F(MessageOrder, CaptureLossIsAnnouncedToTheLoser) {
  HWND top = Top("top", 0, 0, 300, 200);
  HWND a = Child("a", top, 0, 0, 100, 100);
  HWND b = Child("b", top, 100, 0, 100, 100);
  SetCapture(a);
  rec.Clear();
  EXPECT_EQ(SetCapture(b), a);
  EXPECT_EQ(rec.Lines(), (Lines{"a:WM_CAPTURECHANGED"}));
  EXPECT_EQ(reinterpret_cast<HWND>(rec.entries[0].lParam), b);
  rec.Clear();
  ReleaseCapture();
  EXPECT_EQ(rec.Lines(), (Lines{"b:WM_CAPTURECHANGED"}));
  EXPECT_EQ(rec.entries[0].lParam, 0);
  EXPECT_EQ(GetCapture(), nullptr);
  // A destroyed capture window hears of it before its WM_DESTROY.
  SetCapture(a);
  rec.Clear();
  DestroyWindow(a);
  EXPECT_EQ(rec.Lines({WM_CAPTURECHANGED, WM_DESTROY}), (Lines{"a:WM_CAPTURECHANGED", "a:WM_DESTROY"}));
  EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(MessageOrder, SizingSendsCalcSizeBeforeSizeAndMoveBeforeSize) {
  HWND top = Top("top", 0, 0, 300, 200);
  HWND kid = Child("kid", top, 10, 10, 100, 100, WS_CHILD | WS_VISIBLE | WS_BORDER);
  headless::ProcessMessages();
  struct Case {
    const char* what;
    int x, y, w, h;
    UINT flags;
    Lines expected;
  };
  const Case cases[] = {
      {"move and size", 20, 30, 150, 120, SWP_NOZORDER,
       {"kid:WM_WINDOWPOSCHANGING", "kid:WM_NCCALCSIZE", "kid:WM_WINDOWPOSCHANGED", "kid:WM_MOVE", "kid:WM_SIZE"}},
      {"size only", 0, 0, 80, 60, SWP_NOZORDER | SWP_NOMOVE,
       {"kid:WM_WINDOWPOSCHANGING", "kid:WM_NCCALCSIZE", "kid:WM_WINDOWPOSCHANGED", "kid:WM_SIZE"}},
      {"move only", 5, 5, 0, 0, SWP_NOZORDER | SWP_NOSIZE,
       {"kid:WM_WINDOWPOSCHANGING", "kid:WM_WINDOWPOSCHANGED", "kid:WM_MOVE"}},
      {"nothing changes", 5, 5, 80, 60, SWP_NOZORDER, {"kid:WM_WINDOWPOSCHANGING", "kid:WM_WINDOWPOSCHANGED"}},
      {"frame changed", 0, 0, 0, 0, SWP_NOZORDER | SWP_NOMOVE | SWP_NOSIZE | SWP_FRAMECHANGED,
       {"kid:WM_WINDOWPOSCHANGING", "kid:WM_NCCALCSIZE", "kid:WM_WINDOWPOSCHANGED"}},
  };
  for (const Case& c : cases) {
    rec.Clear();
    SetWindowPos(kid, nullptr, c.x, c.y, c.w, c.h, c.flags);
    EXPECT_EQ(rec.Lines({WM_WINDOWPOSCHANGING, WM_NCCALCSIZE, WM_WINDOWPOSCHANGED, WM_MOVE, WM_SIZE}), c.expected)
        << c.what;
  }
  // The values WM_SIZE and WM_MOVE carry are the client area's.
  rec.Clear();
  MoveWindow(kid, 1, 2, 52, 42, TRUE);
  const Entry& size = rec.entries.back();
  ASSERT_EQ(size.message, WM_SIZE);
  EXPECT_EQ(LOWORD(size.lParam), 50);  // less the 1-pixel border on both sides
  EXPECT_EQ(HIWORD(size.lParam), 40);
  const Entry& move = rec.entries[rec.entries.size() - 2];
  ASSERT_EQ(move.message, WM_MOVE);
  EXPECT_EQ(GET_X_LPARAM(move.lParam), 2);
  EXPECT_EQ(GET_Y_LPARAM(move.lParam), 3);
  RECT r;
  GetClientRect(kid, &r);
  EXPECT_EQ(r, (RECT{0, 0, 50, 40}));
  (void)top;
}

TEST_F(MessageOrder, ChangingItsPositionInTheHandlerOfChangingIsHonoured) {
  HWND top = Top("top", 0, 0, 300, 200);
  rec.handler = [](HWND, UINT msg, WPARAM, LPARAM lp, LRESULT*) {
    if (msg == WM_WINDOWPOSCHANGING) {
      auto* wp = reinterpret_cast<WINDOWPOS*>(lp);
      wp->cx = std::min(wp->cx, 200);  // a maximum width
    }
    return false;
  };
  SetWindowPos(top, nullptr, 0, 0, 500, 100, SWP_NOZORDER | SWP_NOMOVE);
  RECT r;
  GetWindowRect(top, &r);
  EXPECT_EQ(r.right - r.left, 200);
  EXPECT_EQ(r.bottom - r.top, 100);
}

TEST_F(MessageOrder, ShowAndHideAndEnable) {
  HWND top = Top("top", 0, 0, 300, 200);
  HWND kid = Child("kid", top, 0, 0, 50, 50, WS_CHILD);
  rec.Clear();
  EXPECT_FALSE(ShowWindow(kid, SW_SHOW));
  EXPECT_TRUE(ShowWindow(kid, SW_HIDE));
  EXPECT_FALSE(ShowWindow(kid, SW_HIDE));  // already hidden: no messages
  EnableWindow(kid, FALSE);
  EnableWindow(kid, FALSE);
  EnableWindow(kid, TRUE);
  EXPECT_EQ(rec.Lines(), (Lines{"kid:WM_SHOWWINDOW", "kid:WM_WINDOWPOSCHANGING", "kid:WM_WINDOWPOSCHANGED",
                                "kid:WM_SHOWWINDOW", "kid:WM_WINDOWPOSCHANGING", "kid:WM_WINDOWPOSCHANGED",
                                "kid:WM_CANCELMODE", "kid:WM_ENABLE", "kid:WM_ENABLE"}));
  EXPECT_EQ(rec.entries[7].wParam, WPARAM(FALSE));
  EXPECT_EQ(rec.entries[8].wParam, WPARAM(TRUE));
  // A child is visible only when its parent is.
  ShowWindow(kid, SW_SHOW);
  ShowWindow(top, SW_HIDE);
  EXPECT_FALSE(IsWindowVisible(kid));
  EXPECT_TRUE(GetWindowLongPtrW(kid, GWL_STYLE) & WS_VISIBLE);
}

TEST_F(MessageOrder, TextAndLongValues) {
  HWND top = Top("top", 0, 0, 300, 200);
  rec.Clear();
  SetWindowTextW(top, u"Olá");
  EXPECT_EQ(GetWindowTextLengthW(top), 3);
  char16_t buf[3];
  EXPECT_EQ(GetWindowTextW(top, buf, 3), 2);  // cut to fit, zero-terminated
  EXPECT_EQ(std::u16string(buf), u"Ol");
  EXPECT_EQ(rec.Lines(), (Lines{"top:WM_SETTEXT", "top:WM_GETTEXTLENGTH", "top:WM_GETTEXT"}));

  SetWindowLongPtrW(top, GWLP_USERDATA, 1234);
  EXPECT_EQ(GetWindowLongPtrW(top, GWLP_USERDATA), 1234);
  rec.Clear();
  const LONG_PTR old = SetWindowLongPtrW(top, GWL_EXSTYLE, WS_EX_TOOLWINDOW);
  EXPECT_EQ(old, 0);
  EXPECT_EQ(rec.Lines(), (Lines{"top:WM_STYLECHANGING", "top:WM_STYLECHANGED"}));
  EXPECT_EQ(GetWindowLongPtrW(top, GWL_EXSTYLE), LONG_PTR(WS_EX_TOOLWINDOW));
}

// Subclassing: a new procedure in front that passes on to the old one.
WNDPROC gOldProc = nullptr;
std::vector<UINT> gSubclassed;
LRESULT SubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  gSubclassed.push_back(msg);
  if (msg == WM_USER + 1) return 42;
  return CallWindowProcW(gOldProc, hwnd, msg, wp, lp);
}

TEST_F(MessageOrder, SubclassingPutsTheNewProcedureInFront) {
  HWND top = Top("top", 0, 0, 300, 200);
  gSubclassed.clear();
  gOldProc = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(top, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&SubclassProc)));
  EXPECT_EQ(gOldProc, &RecordingProc);
  rec.Clear();
  EXPECT_EQ(SendMessageW(top, WM_USER + 1, 0, 0), 42);
  SendMessageW(top, WM_USER + 2, 0, 0);
  EXPECT_EQ(gSubclassed, (std::vector<UINT>{WM_USER + 1, WM_USER + 2}));
  EXPECT_EQ(rec.Lines(), (Lines{"top:WM_USER+2"}));
  SetWindowLongPtrW(top, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(gOldProc));
}

TEST_F(MessageOrder, ZOrderOfChildren) {
  HWND top = Top("top", 0, 0, 300, 200);
  HWND a = Child("a", top, 0, 0, 10, 10);
  HWND b = Child("b", top, 0, 0, 10, 10);
  HWND c = Child("c", top, 0, 0, 10, 10);
  // The newest child is on top.
  EXPECT_EQ(GetWindow(top, GW_CHILD), c);
  EXPECT_EQ(GetWindow(c, GW_HWNDNEXT), b);
  EXPECT_EQ(GetWindow(b, GW_HWNDNEXT), a);
  EXPECT_EQ(GetWindow(a, GW_HWNDNEXT), nullptr);
  EXPECT_EQ(GetWindow(a, GW_HWNDFIRST), c);
  SetWindowPos(a, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  EXPECT_EQ(GetWindow(top, GW_CHILD), a);
  SetWindowPos(a, c, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);  // just below c
  EXPECT_EQ(GetWindow(c, GW_HWNDNEXT), a);
  SetWindowPos(c, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  EXPECT_EQ(GetWindow(top, GW_HWNDLAST), top);  // the only top-level window
  EXPECT_EQ(GetWindow(a, GW_HWNDLAST), c);
  std::vector<HWND> seen;
  EnumChildWindows(
      top,
      [](HWND h, LPARAM p) {
        reinterpret_cast<std::vector<HWND>*>(p)->push_back(h);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&seen));
  EXPECT_EQ(seen, (std::vector<HWND>{a, b, c}));
  // Re-parenting moves it to the top of its new parent.
  SetParent(c, a);
  EXPECT_EQ(GetParent(c), a);
  EXPECT_EQ(GetWindow(a, GW_CHILD), c);
  EXPECT_FALSE(SetParent(a, c));  // a cycle is refused
}

}  // namespace
}  // namespace wintest

namespace wintest {
namespace {

class MoreOrder : public WinTest {};

LRESULT EatClicksHook(int code, WPARAM wp, LPARAM lp) {
  if (code == HC_ACTION && wp == WM_LBUTTONDOWN) {
    auto* mh = reinterpret_cast<MOUSEHOOKSTRUCT*>(lp);
    EXPECT_EQ(mh->wHitTestCode, UINT(HTCLIENT));
    return 1;
  }
  return CallNextHookEx(nullptr, code, wp, lp);
}
HWND gNoFocusFor = nullptr;
LRESULT RefuseHook(int code, WPARAM wp, LPARAM lp) {
  if ((code == HCBT_SETFOCUS || code == HCBT_ACTIVATE) && reinterpret_cast<HWND>(wp) == gNoFocusFor) return 1;
  return CallNextHookEx(nullptr, code, wp, lp);
}

TEST_F(MoreOrder, MouseAndCbtHooksCanRefuse) {
  HWND one = Top("one", 0, 0, 200, 200);
  HWND two = Top("two", 300, 0, 200, 200);
  HWND a = Child("a", two, 0, 0, 50, 50);
  headless::ProcessMessages();
  HHOOK m = SetWindowsHookExW(WH_MOUSE, &EatClicksHook, nullptr, 0);
  rec.Clear();
  POINT p{5, 5};
  ClientToScreen(a, &p);
  headless::Click(p.x, p.y);
  headless::ProcessMessages();
  EXPECT_EQ(rec.Lines({WM_LBUTTONDOWN, WM_LBUTTONUP}), (Lines{"a:WM_LBUTTONUP"}));
  UnhookWindowsHookEx(m);
  gNoFocusFor = a;
  HHOOK c = SetWindowsHookExW(WH_CBT, &RefuseHook, nullptr, 0);
  HWND before = GetFocus();
  EXPECT_EQ(SetFocus(a), nullptr);
  EXPECT_EQ(GetFocus(), before);
  gNoFocusFor = one;
  SetActiveWindow(one);
  EXPECT_EQ(GetActiveWindow(), two);
  UnhookWindowsHookEx(c);
  SetActiveWindow(one);
  EXPECT_EQ(GetActiveWindow(), one);
}

TEST_F(MoreOrder, MinimizeMaximizeAndRestore) {
  HWND top = Top("top", 10, 10, 300, 200);
  headless::ProcessMessages();
  rec.Clear();
  ShowWindow(top, SW_MAXIMIZE);
  EXPECT_TRUE(IsZoomed(top));
  RECT r;
  GetWindowRect(top, &r);
  EXPECT_EQ(r, (RECT{0, 0, 1280, 984}));  // the work area
  const Entry* size = nullptr;
  for (const Entry& e : rec.entries) {
    if (e.message == WM_SIZE) size = &e;
  }
  ASSERT_NE(size, nullptr);
  EXPECT_EQ(size->wParam, SIZE_MAXIMIZED);
  rec.Clear();
  ShowWindow(top, SW_MINIMIZE);
  EXPECT_TRUE(IsIconic(top));
  EXPECT_EQ(rec.Lines({WM_SIZE}), (Lines{"top:WM_SIZE"}));
  for (const Entry& e : rec.entries) {
    if (e.message == WM_SIZE) {
      EXPECT_EQ(e.wParam, SIZE_MINIMIZED);
    }
  }
  ShowWindow(top, SW_RESTORE);
  EXPECT_FALSE(IsIconic(top));
  EXPECT_FALSE(IsZoomed(top));
}

TEST_F(MoreOrder, SetRedrawFalseStopsPaintingUntilTurnedBackOn) {
  HWND top = Top("top", 0, 0, 300, 200);
  headless::ProcessMessages();
  SendMessageW(top, WM_SETREDRAW, FALSE, 0);
  EXPECT_FALSE(IsWindowVisible(top));  // the platform's way of doing it
  InvalidateRect(top, nullptr, TRUE);
  rec.Clear();
  headless::ProcessMessages();
  EXPECT_TRUE(rec.Lines({WM_PAINT}).empty());
  SendMessageW(top, WM_SETREDRAW, TRUE, 0);
  headless::ProcessMessages();
  EXPECT_EQ(rec.Lines({WM_PAINT}), (Lines{"top:WM_PAINT"}));  // the update region was kept
}

TEST_F(MoreOrder, ResizingKeepsThePixelsUnlessTheClassRedrawsEverything) {
  RegisterRecordingClass(u"Redraw", CS_HREDRAW | CS_VREDRAW);
  for (const char16_t* cls : {u"Rec", u"Redraw"}) {
    rec.recording = false;
    HWND top = CreateWindowExW(0, cls, u"", WS_POPUP | WS_VISIBLE, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
    headless::ProcessMessages();
    SetWindowPos(top, nullptr, 0, 0, 150, 120, SWP_NOMOVE | SWP_NOZORDER);
    RECT u;
    ASSERT_TRUE(GetUpdateRect(top, &u, FALSE));
    HRGN rgn = gdi::CreateRectRgn(0, 0, 0, 0);
    GetUpdateRgn(top, rgn, FALSE);
    const bool whole = gdi::PtInRegion(rgn, 10, 10) != 0;
    EXPECT_EQ(whole, std::u16string(cls) == u"Redraw") << (cls == std::u16string(u"Rec") ? "plain" : "redraw");
    EXPECT_TRUE(gdi::PtInRegion(rgn, 120, 10));  // the new strip in any case
    gdi::DeleteObject(rgn);
    DestroyWindow(top);
  }
}

}  // namespace
}  // namespace wintest

namespace wintest {
namespace {

class Sizing : public WinTest {};

TEST_F(Sizing, SizableWindowsKeepToTheirMinimumAndMaximumTrackSizes) {
  HWND top = Top("top", 0, 0, 300, 200);
  rec.handler = [](HWND, UINT msg, WPARAM, LPARAM lp, LRESULT* r) {
    if (msg != WM_GETMINMAXINFO) return false;
    auto* mmi = reinterpret_cast<MINMAXINFO*>(lp);
    mmi->ptMinTrackSize = POINT{150, 100};
    mmi->ptMaxTrackSize = POINT{400, 300};
    *r = 0;
    return true;
  };
  struct Case {
    int w, h;
    RECT expected;
  };
  for (Case c : {Case{50, 50, RECT{0, 0, 150, 100}}, Case{900, 900, RECT{0, 0, 400, 300}},
                 Case{200, 250, RECT{0, 0, 200, 250}}}) {
    rec.Clear();
    SetWindowPos(top, nullptr, 0, 0, c.w, c.h, SWP_NOMOVE | SWP_NOZORDER);
    RECT r;
    GetWindowRect(top, &r);
    EXPECT_EQ(r, c.expected) << c.w << "x" << c.h;
    EXPECT_EQ(rec.Lines({WM_WINDOWPOSCHANGING, WM_GETMINMAXINFO}),
              (Lines{"top:WM_WINDOWPOSCHANGING", "top:WM_GETMINMAXINFO"}));
  }
  // Children are not limited.
  HWND kid = Child("kid", top, 0, 0, 10, 10);
  rec.Clear();
  MoveWindow(kid, 0, 0, 1, 1, TRUE);
  EXPECT_TRUE(rec.Lines({WM_GETMINMAXINFO}).empty());
}

}  // namespace
}  // namespace wintest
