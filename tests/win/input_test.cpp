// Mouse routing, capture, double clicks, wheel, activation by click,
// tracking, cursors and the caret.
#include "platform/gdi/gdi.h"
#include "tests/win/recorder.h"

namespace wintest {
namespace {

using Lines = std::vector<std::string>;

class Input : public WinTest {
 protected:
  POINT At(HWND hwnd, int x, int y) {
    POINT p{x, y};
    ClientToScreen(hwnd, &p);
    return p;
  }
  void ClickAt(HWND hwnd, int x, int y) {
    POINT p = At(hwnd, x, y);
    headless::Click(p.x, p.y);
    headless::ProcessMessages();
  }
  const Entry& Find(UINT msg, const std::string& window, int nth = 0) {
    for (const Entry& e : rec.entries) {
      if (e.message == msg && e.window == window && nth-- == 0) return e;
    }
    static Entry none{};
    ADD_FAILURE() << "no " << MessageName(msg) << " for " << window;
    return none;
  }
  const std::vector<UINT> mouse = {WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK,
                                   WM_NCMOUSEMOVE, WM_NCLBUTTONDOWN, WM_MOUSEWHEEL};
};

TEST_F(Input, MouseGoesToTheDeepestChildUnderThePointer) {
  HWND top = Top("top", 100, 100, 300, 200);
  HWND panel = Child("panel", top, 10, 10, 200, 150);
  HWND button = Child("button", panel, 20, 20, 50, 20);
  headless::ProcessMessages();
  rec.Clear();
  ClickAt(button, 5, 6);
  EXPECT_EQ(rec.Lines(mouse), (Lines{"button:WM_MOUSEMOVE", "button:WM_LBUTTONDOWN", "button:WM_LBUTTONUP"}));
  // Client coordinates and key flags.
  const Entry& down = Find(WM_LBUTTONDOWN, "button");
  EXPECT_EQ(GET_X_LPARAM(down.lParam), 5);
  EXPECT_EQ(GET_Y_LPARAM(down.lParam), 6);
  EXPECT_EQ(down.wParam, MK_LBUTTON);
  EXPECT_EQ(Find(WM_LBUTTONUP, "button").wParam, 0u);
  // Every move and press asks for the hit test and the cursor first.
  EXPECT_EQ(rec.Lines({WM_NCHITTEST, WM_SETCURSOR, WM_MOUSEMOVE}).front(), "button:WM_NCHITTEST");
  // A disabled child gives its clicks to its parent.
  EnableWindow(button, FALSE);
  rec.Clear();
  ClickAt(button, 5, 6);
  EXPECT_EQ(rec.Lines({WM_LBUTTONDOWN}), (Lines{"panel:WM_LBUTTONDOWN"})) << ::testing::PrintToString(rec.Lines());
  clock->Advance(1000);  // no double click with the next one
  // A child answering HTTRANSPARENT lets the click through.
  EnableWindow(button, TRUE);
  rec.handler = [&](HWND h, UINT msg, WPARAM, LPARAM, LRESULT* r) {
    if (h == button && msg == WM_NCHITTEST) {
      *r = HTTRANSPARENT;
      return true;
    }
    return false;
  };
  rec.Clear();
  ClickAt(button, 5, 6);
  EXPECT_EQ(rec.Lines({WM_LBUTTONDOWN}), (Lines{"panel:WM_LBUTTONDOWN"}));
  EXPECT_EQ(WindowFromPoint(At(button, 5, 6)), panel);
  EXPECT_EQ(ChildWindowFromPoint(panel, POINT{25, 25}), button);  // no hit test there
  EXPECT_EQ(ChildWindowFromPointEx(top, POINT{1, 1}, CWP_ALL), top);
}

TEST_F(Input, TheCaptionAndBordersGetNonClientMessages) {
  HWND top = Top("top", 100, 100, 300, 200);
  headless::ProcessMessages();
  RECT wr;
  GetWindowRect(top, &wr);
  rec.Clear();
  headless::MouseMove(wr.left + 50, wr.top + 10);
  headless::ProcessMessages();
  ASSERT_EQ(rec.Lines({WM_NCMOUSEMOVE}), (Lines{"top:WM_NCMOUSEMOVE"}));
  EXPECT_EQ(rec.entries.back().wParam, WPARAM(HTCAPTION));
  struct Case {
    int dx, dy;
    LRESULT hit;
  };
  for (Case c : {Case{1, 100, HTLEFT}, Case{298, 100, HTRIGHT}, Case{150, 1, HTTOP}, Case{150, 198, HTBOTTOM},
                 Case{1, 1, HTTOPLEFT}, Case{298, 198, HTBOTTOMRIGHT}, Case{150, 100, HTCLIENT}, Case{150, 12, HTCAPTION},
                 Case{285, 12, HTCLOSE}}) {
    EXPECT_EQ(SendMessageW(top, WM_NCHITTEST, 0, MAKELPARAM(wr.left + c.dx, wr.top + c.dy)), c.hit)
        << c.dx << "," << c.dy;
  }
  // The close button closes.
  headless::Click(wr.left + 285, wr.top + 12);
  headless::ProcessMessages();
  EXPECT_FALSE(IsWindow(top));
}

TEST_F(Input, CaptureTakesTheMouseEverywhere) {
  HWND top = Top("top", 0, 0, 300, 200);
  HWND a = Child("a", top, 0, 0, 50, 50);
  HWND b = Child("b", top, 100, 0, 50, 50);
  headless::ProcessMessages();
  rec.handler = [&](HWND h, UINT msg, WPARAM, LPARAM, LRESULT*) {
    if (h == a && msg == WM_LBUTTONDOWN) SetCapture(a);
    if (h == a && msg == WM_LBUTTONUP) ReleaseCapture();
    return false;
  };
  rec.Clear();
  POINT pa = At(a, 10, 10), pb = At(b, 10, 10);
  headless::MouseMove(pa.x, pa.y);
  headless::MouseDown(MouseButton::Left, pa.x, pa.y);
  headless::MouseMove(pb.x, pb.y);  // over b, but a has the capture
  headless::MouseUp(MouseButton::Left, pb.x, pb.y);
  headless::MouseMove(pb.x + 1, pb.y);
  headless::ProcessMessages();
  EXPECT_EQ(rec.Lines({WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP, WM_CAPTURECHANGED}),
            (Lines{"a:WM_MOUSEMOVE", "a:WM_LBUTTONDOWN", "a:WM_MOUSEMOVE", "a:WM_LBUTTONUP", "a:WM_CAPTURECHANGED",
                   "b:WM_MOUSEMOVE"}));
  // Coordinates under capture are the capture window's, even outside it.
  const Entry& move = Find(WM_MOUSEMOVE, "a", 1);
  EXPECT_EQ(GET_X_LPARAM(move.lParam), 110);
  EXPECT_EQ(move.wParam, MK_LBUTTON);
}

TEST_F(Input, DoubleClicksNeedTheClassStyleTheTimeAndThePlace) {
  RegisterRecordingClass(u"NoDbl", 0);
  HWND top = Top("top", 0, 0, 300, 200);
  HWND dbl = Child("dbl", top, 0, 0, 100, 100);
  rec.recording = false;
  HWND plain = CreateWindowExW(0, u"NoDbl", u"", WS_CHILD | WS_VISIBLE, 150, 0, 100, 100, top, nullptr, nullptr, nullptr);
  rec.Name(plain, "plain");
  rec.recording = true;
  headless::ProcessMessages();
  struct Case {
    const char* what;
    HWND hwnd;
    int waitMs;
    int dx;
    Lines expected;
  };
  const Case cases[] = {
      {"quick and still", dbl, 100, 0, {"dbl:WM_LBUTTONDOWN", "dbl:WM_LBUTTONUP", "dbl:WM_LBUTTONDBLCLK", "dbl:WM_LBUTTONUP"}},
      {"too slow", dbl, 501, 0, {"dbl:WM_LBUTTONDOWN", "dbl:WM_LBUTTONUP", "dbl:WM_LBUTTONDOWN", "dbl:WM_LBUTTONUP"}},
      {"too far", dbl, 100, 3, {"dbl:WM_LBUTTONDOWN", "dbl:WM_LBUTTONUP", "dbl:WM_LBUTTONDOWN", "dbl:WM_LBUTTONUP"}},
      {"class without CS_DBLCLKS", plain, 100, 0,
       {"plain:WM_LBUTTONDOWN", "plain:WM_LBUTTONUP", "plain:WM_LBUTTONDOWN", "plain:WM_LBUTTONUP"}},
  };
  for (const Case& c : cases) {
    clock->Advance(1000);  // forget the previous click
    rec.Clear();
    POINT p = At(c.hwnd, 20, 20);
    headless::Click(p.x, p.y);
    clock->Advance(c.waitMs);
    headless::Click(p.x + c.dx, p.y);
    headless::ProcessMessages();
    EXPECT_EQ(rec.Lines({WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK}), c.expected) << c.what;
  }
  // A third quick click is a plain click again.
  clock->Advance(1000);
  rec.Clear();
  POINT p = At(dbl, 20, 20);
  for (int i = 0; i < 3; ++i) headless::Click(p.x, p.y);
  headless::ProcessMessages();
  EXPECT_EQ(rec.Lines({WM_LBUTTONDOWN, WM_LBUTTONDBLCLK}),
            (Lines{"dbl:WM_LBUTTONDOWN", "dbl:WM_LBUTTONDBLCLK", "dbl:WM_LBUTTONDOWN"}));
}

TEST_F(Input, TheWheelGoesToTheFocusWindowAndBubblesUp) {
  HWND top = Top("top", 0, 0, 300, 200);
  HWND a = Child("a", top, 0, 0, 50, 50);
  HWND b = Child("b", top, 100, 0, 50, 50);
  SetFocus(a);
  headless::ProcessMessages();
  rec.Clear();
  POINT pb = At(b, 5, 5);
  headless::Wheel(-120, pb.x, pb.y);
  headless::ProcessMessages();
  // Not handled by the child: DefWindowProcW passes it to the parent.
  EXPECT_EQ(rec.Lines({WM_MOUSEWHEEL}), (Lines{"a:WM_MOUSEWHEEL", "top:WM_MOUSEWHEEL"}));
  EXPECT_EQ(GET_WHEEL_DELTA_WPARAM(Find(WM_MOUSEWHEEL, "a").wParam), -120);
  EXPECT_EQ(GET_X_LPARAM(Find(WM_MOUSEWHEEL, "a").lParam), pb.x);  // screen coordinates
}

// Whether a window is hidden or destroyed, the activation it gives up goes
// by the same rule: never to a window that is itself on its way out.
TEST_F(Input, ActivationNeverPassesToAWindowBeingDestroyed) {
  HWND other = Top("other", 300, 0, 100, 100);
  HWND owner = Top("owner", 0, 0, 200, 200);
  rec.recording = false;
  HWND popup = CreateWindowExW(0, u"Rec", u"", WS_POPUP | WS_VISIBLE, 10, 10, 50, 50, owner, nullptr, nullptr,
                               nullptr);
  rec.Name(popup, "popup");
  rec.recording = true;
  SetActiveWindow(popup);
  ASSERT_EQ(GetActiveWindow(), popup);
  // As the owner starts to go (still shown), its handler hides the active popup.
  rec.handler = [&](HWND h, UINT msg, WPARAM, LPARAM lParam, LRESULT*) {
    if (h == owner && msg == WM_WINDOWPOSCHANGING &&
        (reinterpret_cast<const WINDOWPOS*>(lParam)->flags & SWP_HIDEWINDOW))
      ShowWindow(popup, SW_HIDE);
    return false;
  };
  rec.Clear();
  DestroyWindow(owner);
  rec.handler = nullptr;
  EXPECT_EQ(rec.Lines({WM_ACTIVATE}), (Lines{"popup:WM_ACTIVATE", "other:WM_ACTIVATE"}));
  EXPECT_EQ(GetActiveWindow(), other);
}

TEST_F(Input, ClickingAnInactiveWindowActivatesItUnlessItSaysNo) {
  HWND one = Top("one", 0, 0, 200, 200);
  HWND two = Top("two", 300, 0, 200, 200);
  HWND kid = Child("kid", one, 10, 10, 50, 50);
  headless::ProcessMessages();
  ASSERT_EQ(GetActiveWindow(), two);
  rec.Clear();
  ClickAt(kid, 5, 5);
  EXPECT_EQ(rec.Lines({WM_MOUSEACTIVATE, WM_ACTIVATE, WM_LBUTTONDOWN}),
            (Lines{"kid:WM_MOUSEACTIVATE", "one:WM_MOUSEACTIVATE", "two:WM_ACTIVATE", "one:WM_ACTIVATE",
                   "kid:WM_LBUTTONDOWN"}));
  EXPECT_EQ(GetActiveWindow(), one);
  EXPECT_EQ(LOWORD(rec.entries[std::find_if(rec.entries.begin(), rec.entries.end(), [](const Entry& e) {
                       return e.message == WM_ACTIVATE && e.window == "one";
                     }) - rec.entries.begin()].wParam),
            WA_CLICKACTIVE);
  // MA_NOACTIVATEANDEAT: no activation and no click.
  rec.handler = [&](HWND h, UINT msg, WPARAM, LPARAM, LRESULT* r) {
    if (h == two && msg == WM_MOUSEACTIVATE) {
      *r = MA_NOACTIVATEANDEAT;
      return true;
    }
    return false;
  };
  rec.Clear();
  ClickAt(two, 5, 5);
  EXPECT_EQ(rec.Lines({WM_LBUTTONDOWN, WM_ACTIVATE}), Lines{});
  EXPECT_EQ(GetActiveWindow(), one);
}

TEST_F(Input, DisabledWindowsBehindAModalOneGetNoInput) {
  HWND owner = Top("owner", 0, 0, 200, 200);
  headless::ProcessMessages();
  EnableWindow(owner, FALSE);
  rec.Clear();
  ClickAt(owner, 50, 50);
  EXPECT_EQ(rec.Lines({WM_LBUTTONDOWN, WM_MOUSEMOVE}), Lines{});
}

TEST_F(Input, TrackMouseEventReportsLeaveAndHover) {
  HWND top = Top("top", 0, 0, 300, 200);
  HWND a = Child("a", top, 0, 0, 50, 50);
  headless::ProcessMessages();
  POINT in = At(a, 10, 10);
  headless::MouseMove(in.x, in.y);
  headless::ProcessMessages();
  TRACKMOUSEEVENT tme;
  tme.dwFlags = TME_LEAVE | TME_HOVER;
  tme.hwndTrack = a;
  tme.dwHoverTime = HOVER_DEFAULT;
  ASSERT_TRUE(TrackMouseEvent(&tme));
  rec.Clear();
  clock->Advance(400);
  headless::ProcessMessages();
  EXPECT_EQ(rec.Lines({WM_MOUSEHOVER, WM_MOUSELEAVE}), (Lines{"a:WM_MOUSEHOVER"}));
  EXPECT_EQ(GET_X_LPARAM(rec.Lines({WM_MOUSEHOVER}).empty() ? 0 : rec.entries.back().lParam), 10);
  rec.Clear();
  POINT out = At(top, 200, 100);
  headless::MouseMove(out.x, out.y);
  headless::ProcessMessages();
  EXPECT_EQ(rec.Lines({WM_MOUSEHOVER, WM_MOUSELEAVE}), (Lines{"a:WM_MOUSELEAVE"}));
  // Tracking a window the pointer is not over answers at once.
  rec.Clear();
  tme.dwFlags = TME_LEAVE;
  TrackMouseEvent(&tme);
  headless::ProcessMessages();
  EXPECT_EQ(rec.Lines({WM_MOUSELEAVE}), (Lines{"a:WM_MOUSELEAVE"}));
}

TEST_F(Input, TheClassCursorIsSetOverTheClientArea) {
  HWND top = Top("top", 0, 0, 300, 200);
  headless::ProcessMessages();
  SetCursor(nullptr);
  POINT p = At(top, 10, 10);
  headless::MouseMove(p.x, p.y);
  headless::ProcessMessages();
  EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_ARROW));
  EXPECT_EQ(LoadCursorW(nullptr, IDC_IBEAM), LoadCursorW(nullptr, IDC_IBEAM));
  EXPECT_NE(LoadCursorW(nullptr, IDC_IBEAM), LoadCursorW(nullptr, IDC_ARROW));
  EXPECT_EQ(LoadCursorW(nullptr, MAKEINTRESOURCEW(1)), nullptr);
  RECT wr;
  GetWindowRect(top, &wr);
  headless::MouseMove(wr.left + 1, wr.top + 100);
  headless::ProcessMessages();
  EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_SIZEWE));
  EXPECT_EQ(ShowCursor(FALSE), -1);
  EXPECT_EQ(ShowCursor(TRUE), 0);
  POINT where;
  GetCursorPos(&where);
  EXPECT_EQ(where, (POINT{wr.left + 1, wr.top + 100}));
  // A cursor of our own from a bitmap.
  gdi::ImageBGRA pic(16, 16, 0xFF112233);
  ICONINFO ii;
  ii.fIcon = FALSE;
  ii.xHotspot = 3;
  ii.yHotspot = 4;
  ii.hbmColor = gdi::CreateBitmapFromImage(pic);
  HCURSOR own = CreateIconIndirect(&ii);
  ASSERT_NE(own, nullptr);
  ICONINFO back;
  ASSERT_TRUE(GetIconInfo(own, &back));
  EXPECT_EQ(back.xHotspot, 3u);
  EXPECT_EQ(back.yHotspot, 4u);
  gdi::DeleteObject(back.hbmColor);
  gdi::DeleteObject(back.hbmMask);
  gdi::DeleteObject(ii.hbmColor);
  EXPECT_TRUE(DestroyCursor(own));
}

TEST_F(Input, TheCaretBlinksOnTheClockAndHidesWhilePainting) {
  rec.recording = false;
  HWND top = CreateWindowExW(0, u"Rec", u"", WS_POPUP | WS_VISIBLE, 0, 0, 40, 40, nullptr, nullptr, nullptr, nullptr);
  headless::ProcessMessages();
  ASSERT_TRUE(CreateCaret(top, nullptr, 2, 10));
  SetCaretPos(5, 5);
  EXPECT_EQ(headless::Screenshot(top).at(5, 5) & 0xFFFFFF, 0xFFFFFFu);  // created hidden
  ShowCaret(top);
  EXPECT_EQ(headless::Screenshot(top).at(5, 5) & 0xFFFFFF, 0u);  // inverted white
  clock->Advance(GetCaretBlinkTime());
  EXPECT_EQ(headless::Screenshot(top).at(5, 5) & 0xFFFFFF, 0xFFFFFFu);
  clock->Advance(GetCaretBlinkTime());
  EXPECT_EQ(headless::Screenshot(top).at(5, 5) & 0xFFFFFF, 0u);
  // Painting under it, with another DC open meanwhile, leaves it inverted
  // exactly once.
  rec.handler = [](HWND hwnd, UINT msg, WPARAM, LPARAM, LRESULT* r) {
    if (msg != WM_PAINT) return false;
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    HDC other = GetDC(hwnd);
    RECT all{0, 0, 40, 40};
    gdi::FillRect(other, &all, gdi::GetSysColorBrush(gdi::COLOR_WINDOW));
    ReleaseDC(hwnd, other);
    gdi::FillRect(dc, &all, gdi::GetSysColorBrush(gdi::COLOR_WINDOW));
    EndPaint(hwnd, &ps);
    *r = 0;
    return true;
  };
  InvalidateRect(top, nullptr, TRUE);
  gdi::ImageBGRA shot = headless::Screenshot(top);
  EXPECT_EQ(shot.at(5, 5) & 0xFFFFFF, 0u);
  EXPECT_EQ(shot.at(6, 14) & 0xFFFFFF, 0u);
  EXPECT_EQ(shot.at(7, 5) & 0xFFFFFF, 0xFFFFFFu);
  rec.handler = nullptr;
  POINT pos;
  GetCaretPos(&pos);
  EXPECT_EQ(pos, (POINT{5, 5}));
  DestroyCaret();
  EXPECT_EQ(headless::Screenshot(top).at(5, 5) & 0xFFFFFF, 0xFFFFFFu);
}

}  // namespace
}  // namespace wintest

namespace wintest {
namespace {

class MoreInput : public WinTest {};

TEST_F(MoreInput, DeadKeysComeAsDeadCharsThenTheComposedCharacter) {
  HWND top = Top("top", 0, 0, 100, 100);
  SetFocus(top);
  headless::ProcessMessages();
  rec.Clear();
  headless::DeadKeyDown(VK_OEM_7, u"´");
  headless::KeyUp(VK_OEM_7);
  headless::KeyDown('E', u"é");
  headless::KeyUp('E');
  headless::ProcessMessages();
  EXPECT_EQ(rec.Lines({WM_DEADCHAR, WM_CHAR}), (Lines{"top:WM_DEADCHAR", "top:WM_CHAR"}));
  std::u16string chars;
  for (const Entry& e : rec.entries) {
    if (e.message == WM_DEADCHAR || e.message == WM_CHAR) chars += char16_t(e.wParam);
  }
  EXPECT_EQ(chars, u"´é");
}

TEST_F(MoreInput, MapWindowPointsBetweenWindowsAndTheScreen) {
  HWND top = Top("top", 100, 50, 300, 200, WS_POPUP | WS_VISIBLE | WS_BORDER);
  HWND a = Child("a", top, 10, 20, 50, 50);
  HWND b = Child("b", top, 110, 20, 50, 50, WS_CHILD | WS_VISIBLE | WS_BORDER);
  POINT pts[2] = {{0, 0}, {5, 7}};
  const int offset = MapWindowPoints(a, b, pts, 2);
  EXPECT_EQ(pts[0], (POINT{-101, -1}));  // b's client starts inside its border
  EXPECT_EQ(pts[1], (POINT{-96, 6}));
  EXPECT_EQ(GET_X_LPARAM(offset), -101);
  POINT s{0, 0};
  MapWindowPoints(a, nullptr, &s, 1);
  EXPECT_EQ(s, (POINT{111, 71}));  // 100 + border 1 + 10, 50 + 1 + 20
  ScreenToClient(a, &s);
  EXPECT_EQ(s, (POINT{0, 0}));
}

TEST_F(MoreInput, DisablingCancelsModesAndTheDisplayActivatesTheModalPopup) {
  HWND owner = Top("owner", 0, 0, 300, 200);
  rec.recording = false;
  HWND dialog = CreateWindowExW(0, u"Rec", u"", WS_POPUP | WS_CAPTION | WS_VISIBLE, 50, 50, 100, 80, owner,
                                nullptr, nullptr, nullptr);
  rec.Name(dialog, "dialog");
  rec.recording = true;
  SetCapture(owner);
  rec.Clear();
  EnableWindow(owner, FALSE);
  EXPECT_EQ(rec.Lines({WM_CANCELMODE, WM_CAPTURECHANGED, WM_ENABLE}),
            (Lines{"owner:WM_CANCELMODE", "owner:WM_CAPTURECHANGED", "owner:WM_ENABLE"}));
  headless::FocusOut(dialog);
  EXPECT_EQ(GetActiveWindow(), nullptr);
  // The display gives the focus to the disabled owner: the dialog gets it.
  headless::FocusIn(owner);
  EXPECT_EQ(GetActiveWindow(), dialog);
}

}  // namespace
}  // namespace wintest

namespace wintest {
namespace {

class FrameInput : public WinTest {};

TEST_F(FrameInput, DraggingTheCaptionMovesAndDraggingABorderSizes) {
  HWND top = Top("top", 100, 100, 300, 200);
  headless::ProcessMessages();
  rec.Clear();
  // Caption: from (150, 110) to (250, 160).
  headless::MouseMove(250, 110);
  headless::MouseDown(MouseButton::Left, 250, 110);
  headless::MouseMove(300, 140);
  headless::MouseMove(350, 160);
  headless::MouseUp(MouseButton::Left, 350, 160);
  headless::ProcessMessages();
  RECT r;
  GetWindowRect(top, &r);
  EXPECT_EQ(r, (RECT{200, 150, 500, 350}));
  EXPECT_EQ(rec.Lines({WM_ENTERSIZEMOVE, WM_EXITSIZEMOVE, WM_CAPTURECHANGED}),
            (Lines{"top:WM_ENTERSIZEMOVE", "top:WM_CAPTURECHANGED", "top:WM_EXITSIZEMOVE"}));
  EXPECT_EQ(GetCapture(), nullptr);
  // Bottom-right corner: 20 more each way.
  clock->Advance(1000);
  headless::MouseMove(498, 348);
  headless::MouseDown(MouseButton::Left, 498, 348);
  headless::MouseMove(518, 368);
  headless::MouseUp(MouseButton::Left, 518, 368);
  headless::ProcessMessages();
  GetWindowRect(top, &r);
  EXPECT_EQ(r, (RECT{200, 150, 520, 370}));
  // Esc puts it back.
  clock->Advance(1000);
  headless::MouseMove(300, 160);
  headless::MouseDown(MouseButton::Left, 300, 160);
  headless::MouseMove(400, 400);
  headless::PressKey(VK_ESCAPE);
  headless::MouseUp(MouseButton::Left, 400, 400);
  headless::ProcessMessages();
  GetWindowRect(top, &r);
  EXPECT_EQ(r, (RECT{200, 150, 520, 370}));
}

TEST_F(FrameInput, RightClicksAskForTheContextMenuAndParentsHearOfPresses) {
  HWND top = Top("top", 0, 0, 300, 200);
  HWND kid = Child("kid", top, 10, 20, 100, 100);
  headless::ProcessMessages();
  rec.Clear();
  POINT p{5, 5};
  ClientToScreen(kid, &p);
  headless::Click(p.x, p.y, MouseButton::Right);
  headless::ProcessMessages();
  // Not handled by the child: it goes on to the parent, as the platform does.
  EXPECT_EQ(rec.Lines({WM_CONTEXTMENU, WM_PARENTNOTIFY, WM_RBUTTONDOWN}),
            (Lines{"top:WM_PARENTNOTIFY", "kid:WM_RBUTTONDOWN", "kid:WM_CONTEXTMENU", "top:WM_CONTEXTMENU"}));
  for (const Entry& e : rec.entries) {
    if (e.message == WM_CONTEXTMENU) {
      EXPECT_EQ(reinterpret_cast<HWND>(e.wParam), kid);
      EXPECT_EQ(GET_X_LPARAM(e.lParam), p.x);
    }
    if (e.message == WM_PARENTNOTIFY) {
      EXPECT_EQ(LOWORD(e.wParam), WM_RBUTTONDOWN);
      EXPECT_EQ(GET_X_LPARAM(e.lParam), 15);  // in the parent's client area
      EXPECT_EQ(GET_Y_LPARAM(e.lParam), 25);
    }
  }
  SetFocus(kid);
  rec.Clear();
  headless::PressKey(VK_APPS);
  headless::ProcessMessages();
  ASSERT_EQ(rec.Lines({WM_CONTEXTMENU}).size(), 2u);
  EXPECT_EQ(rec.entries.back().lParam, LPARAM(-1));
}

}  // namespace
}  // namespace wintest
