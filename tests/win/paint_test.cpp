// The paint cycle: update regions, the order of the paint messages, child
// and sibling clipping, DCs, printing and scrolling.
#include "platform/gdi/gdi.h"
#include "tests/support/golden.h"
#include "tests/win/recorder.h"

namespace wintest {
namespace {

using Lines = std::vector<std::string>;

class PaintCycle : public WinTest {
 protected:
  // Paints "cross" windows with a black cross over their whole client area.
  void PaintCrosses() {
    rec.handler = [this](HWND hwnd, UINT msg, WPARAM, LPARAM, LRESULT* r) {
      if (msg != WM_PAINT) return false;
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd, &ps);
      RECT c;
      GetClientRect(hwnd, &c);
      gdi::HGDIOBJ old = gdi::SelectObject(dc, gdi::GetStockObject(gdi::BLACK_PEN));
      gdi::MoveToEx(dc, 0, 0, nullptr);
      gdi::LineTo(dc, c.right, c.bottom);
      gdi::MoveToEx(dc, c.right - 1, 0, nullptr);
      gdi::LineTo(dc, -1, c.bottom);
      gdi::SelectObject(dc, old);
      paints.push_back(rec.NameOf(hwnd) + (ps.fErase ? "+erase" : ""));
      EndPaint(hwnd, &ps);
      *r = 0;
      return true;
    };
  }
  std::vector<std::string> paints;
};

TEST_F(PaintCycle, EraseThenPaintWhenTheQueueIsEmpty) {
  HWND top = Top("top", 0, 0, 200, 100);
  headless::ProcessMessages();
  rec.Clear();
  PostMessageW(top, WM_USER, 0, 0);
  InvalidateRect(top, nullptr, TRUE);
  headless::ProcessMessages();
  // The posted message comes before the paint, however late it was posted.
  EXPECT_EQ(rec.Lines(), (Lines{"top:WM_USER", "top:WM_PAINT", "top:WM_ERASEBKGND"}));
  rec.Clear();
  InvalidateRect(top, nullptr, FALSE);
  headless::ProcessMessages();
  EXPECT_EQ(rec.Lines(), (Lines{"top:WM_PAINT"}));
  rec.Clear();
  RECT r{0, 0, 10, 10};
  InvalidateRect(top, &r, TRUE);
  ValidateRect(top, nullptr);
  headless::ProcessMessages();
  EXPECT_TRUE(rec.Lines().empty());
}

TEST_F(PaintCycle, UpdateRegionsAccumulateAndBeginPaintTakesThem) {
  HWND top = Top("top", 0, 0, 200, 100);
  headless::ProcessMessages();
  RECT a{10, 10, 20, 20}, b{50, 5, 60, 15};
  InvalidateRect(top, &a, FALSE);
  InvalidateRect(top, &b, TRUE);
  RECT u;
  EXPECT_TRUE(GetUpdateRect(top, &u, FALSE));
  EXPECT_EQ(u, (RECT{10, 5, 60, 20}));
  HRGN rgn = gdi::CreateRectRgn(0, 0, 0, 0);
  EXPECT_EQ(GetUpdateRgn(top, rgn, FALSE), gdi::COMPLEXREGION);
  EXPECT_TRUE(gdi::PtInRegion(rgn, 15, 15));
  EXPECT_FALSE(gdi::PtInRegion(rgn, 30, 15));
  gdi::DeleteObject(rgn);
  rec.handler = [&](HWND hwnd, UINT msg, WPARAM, LPARAM, LRESULT* r) {
    if (msg != WM_PAINT) return false;
    PAINTSTRUCT ps;
    BeginPaint(hwnd, &ps);
    EXPECT_EQ(ps.rcPaint, (RECT{10, 5, 60, 20}));
    EXPECT_FALSE(ps.fErase);  // the class brush erased it
    RECT inside{0, 0, 0, 0};
    EXPECT_FALSE(GetUpdateRect(hwnd, &inside, FALSE));  // taken by BeginPaint
    EndPaint(hwnd, &ps);
    *r = 0;
    return true;
  };
  rec.Clear();
  headless::ProcessMessages();
  EXPECT_EQ(rec.Lines({WM_PAINT}), (Lines{"top:WM_PAINT"}));
}

TEST_F(PaintCycle, FEraseIsSetWhenNobodyErased) {
  HWND top = Top("top", 0, 0, 200, 100);
  headless::ProcessMessages();
  PaintCrosses();
  rec.handler = [inner = rec.handler](HWND h, UINT msg, WPARAM w, LPARAM l, LRESULT* r) {
    if (msg == WM_ERASEBKGND) {
      *r = 0;  // did not erase
      return true;
    }
    return inner(h, msg, w, l, r);
  };
  InvalidateRect(top, nullptr, TRUE);
  headless::ProcessMessages();
  EXPECT_EQ(paints, (std::vector<std::string>{"top+erase"}));
}

TEST_F(PaintCycle, UpdateWindowAndRedrawWindowPaintAtOnce) {
  HWND top = Top("top", 0, 0, 200, 100, WS_OVERLAPPEDWINDOW | WS_VISIBLE | WS_CLIPCHILDREN);
  HWND kid = Child("kid", top, 10, 10, 50, 50);
  headless::ProcessMessages();
  struct Case {
    const char* what;
    std::function<void()> act;
    Lines expected;
  };
  const Case cases[] = {
      {"UpdateWindow paints the window only",
       [&] {
         InvalidateRect(top, nullptr, TRUE);
         InvalidateRect(kid, nullptr, TRUE);
         UpdateWindow(top);
       },
       {"top:WM_PAINT", "top:WM_ERASEBKGND"}},
      {"RDW_UPDATENOW with RDW_ALLCHILDREN paints parent then child",
       [&] { RedrawWindow(top, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW); },
       {"top:WM_PAINT", "top:WM_ERASEBKGND", "kid:WM_PAINT", "kid:WM_ERASEBKGND"}},
      {"WS_CLIPCHILDREN keeps the children out unless asked",
       [&] { RedrawWindow(top, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW); },
       {"top:WM_PAINT"}},
      {"RDW_ERASENOW erases without painting",
       [&] { RedrawWindow(top, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ERASENOW | RDW_NOCHILDREN); },
       {"top:WM_ERASEBKGND"}},
      {"RDW_FRAME repaints the frame",
       [&] { RedrawWindow(top, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_UPDATENOW | RDW_NOCHILDREN); },
       {"top:WM_PAINT", "top:WM_NCPAINT"}},
      {"RDW_INTERNALPAINT asks for a paint without an update region",
       [&] { RedrawWindow(top, nullptr, nullptr, RDW_INTERNALPAINT | RDW_NOCHILDREN | RDW_UPDATENOW); },
       {"top:WM_PAINT"}},
  };
  for (const Case& c : cases) {
    headless::ProcessMessages();
    rec.Clear();
    c.act();
    EXPECT_EQ(rec.Lines({WM_PAINT, WM_ERASEBKGND, WM_NCPAINT}), c.expected) << c.what << " (at once)";
    headless::ProcessMessages();
  }
}

TEST_F(PaintCycle, ChildAndSiblingClipping) {
  // The parent draws a cross over everything (its children excluded by
  // WS_CLIPCHILDREN); "under" lies partly below "over" and clips to it
  // (WS_CLIPSIBLINGS); "loose" has no WS_CLIPSIBLINGS and draws over "over2".
  gdi::HBRUSH red = gdi::CreateSolidBrush(gdi::RGB(255, 0, 0));
  gdi::HBRUSH blue = gdi::CreateSolidBrush(gdi::RGB(0, 0, 255));
  RegisterRecordingClass(u"Red", 0, red);
  RegisterRecordingClass(u"Blue", 0, blue);
  PaintCrosses();
  rec.recording = false;
  HWND top = CreateWindowExW(0, u"Rec", u"", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 20, 20, 160, 120, nullptr,
                             nullptr, nullptr, nullptr);
  HWND under = CreateWindowExW(0, u"Red", u"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 10, 10, 60, 50, top,
                               nullptr, nullptr, nullptr);
  HWND over = CreateWindowExW(0, u"Blue", u"", WS_CHILD | WS_VISIBLE | WS_BORDER, 40, 30, 50, 40, top, nullptr,
                              nullptr, nullptr);
  HWND loose = CreateWindowExW(0, u"Red", u"", WS_CHILD | WS_VISIBLE, 100, 10, 40, 40, top, nullptr, nullptr,
                               nullptr);
  HWND over2 = CreateWindowExW(0, u"Blue", u"", WS_CHILD | WS_VISIBLE, 120, 30, 30, 40, top, nullptr, nullptr,
                               nullptr);
  // "loose" goes to the top of the z-order but paints last (see below).
  rec.Name(top, "top");
  rec.Name(under, "under");
  rec.Name(over, "over");
  rec.Name(loose, "loose");
  rec.Name(over2, "over2");
  rec.recording = true;
  ShowWindow(top, SW_SHOW);
  headless::ProcessMessages();
  // Parents first; children from the top of the z-order down.
  EXPECT_EQ(paints, (std::vector<std::string>{"top", "over2", "loose", "over", "under"}));
  EXPECT_GOLDEN(headless::Screenshot(top), "win", "child_clipping");
  gdi::DeleteObject(red);
  gdi::DeleteObject(blue);
}

TEST_F(PaintCycle, MovingAChildRepaintsWhatItUncovered) {
  gdi::HBRUSH blue = gdi::CreateSolidBrush(gdi::RGB(0, 0, 255));
  RegisterRecordingClass(u"Blue", 0, blue);
  rec.recording = false;
  HWND top = CreateWindowExW(0, u"Rec", u"", WS_POPUP | WS_VISIBLE, 0, 0, 100, 100, nullptr, nullptr, nullptr,
                             nullptr);
  HWND kid = CreateWindowExW(0, u"Blue", u"", WS_CHILD | WS_VISIBLE, 0, 0, 20, 20, top, nullptr, nullptr, nullptr);
  headless::ProcessMessages();
  gdi::ImageBGRA before = headless::Screenshot(top);
  EXPECT_EQ(before.at(5, 5) & 0xFFFFFF, 0x0000FFu);
  MoveWindow(kid, 50, 50, 20, 20, TRUE);
  gdi::ImageBGRA after = headless::Screenshot(top);
  EXPECT_EQ(after.at(5, 5) & 0xFFFFFF, 0xFFFFFFu);   // the parent's white again
  EXPECT_EQ(after.at(55, 55) & 0xFFFFFF, 0x0000FFu);  // the child at its new place
  gdi::DeleteObject(blue);
}

TEST_F(PaintCycle, DCsAreClippedToTheVisiblePart) {
  rec.recording = false;
  HWND top = CreateWindowExW(0, u"Rec", u"", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 100, 100, nullptr,
                             nullptr, nullptr, nullptr);
  HWND kid = CreateWindowExW(0, u"Rec", u"", WS_CHILD | WS_VISIBLE, 10, 10, 20, 20, top, nullptr, nullptr, nullptr);
  headless::ProcessMessages();
  HDC dc = GetDC(top);
  ASSERT_NE(dc, nullptr);
  EXPECT_EQ(WindowFromDC(dc), top);
  EXPECT_FALSE(gdi::PtVisible(dc, 15, 15));  // the child's area
  EXPECT_TRUE(gdi::PtVisible(dc, 5, 5));
  RECT all{0, 0, 100, 100};
  gdi::FillRect(dc, &all, gdi::GetSysColorBrush(gdi::COLOR_BTNTEXT));
  ReleaseDC(top, dc);
  gdi::ImageBGRA shot = headless::Screenshot(top);
  EXPECT_EQ(shot.at(5, 5) & 0xFFFFFF, 0u);
  EXPECT_EQ(shot.at(15, 15) & 0xFFFFFF, 0xFFFFFFu);
  // DCX_CLIPCHILDREN is the caller's choice with GetDCEx.
  dc = GetDCEx(top, nullptr, 0);
  EXPECT_TRUE(gdi::PtVisible(dc, 15, 15));
  ReleaseDC(top, dc);
  // A window DC starts at the window's corner and a client DC at the client's.
  HDC wdc = GetWindowDC(kid);
  POINT org;
  gdi::GetDCOrgEx(wdc, &org);
  EXPECT_EQ(org, (POINT{10, 10}));
  ReleaseDC(kid, wdc);
  // The headless display was shown what changed.
  EXPECT_GT(headless::PresentStatsFor(top).calls, 0);
}

TEST_F(PaintCycle, PrintDrawsTheWindowAndItsChildrenIntoAnyDC) {
  gdi::HBRUSH blue = gdi::CreateSolidBrush(gdi::RGB(0, 0, 255));
  RegisterRecordingClass(u"Blue", 0, blue);
  rec.recording = false;
  HWND top = CreateWindowExW(0, u"Rec", u"", WS_POPUP | WS_BORDER, 0, 0, 40, 40, nullptr, nullptr, nullptr, nullptr);
  HWND kid = CreateWindowExW(0, u"Blue", u"", WS_CHILD | WS_VISIBLE, 10, 10, 10, 10, top, nullptr, nullptr, nullptr);
  rec.Name(top, "top");
  rec.Name(kid, "kid");
  rec.recording = true;
  gdi::ImageBGRA img(40, 40, 0);
  HDC dc = gdi::CreateSurfaceDC(img.view());
  // Hidden windows print too, unless PRF_CHECKVISIBLE.
  SendMessageW(top, WM_PRINT, reinterpret_cast<WPARAM>(dc), PRF_CHECKVISIBLE | PRF_CLIENT | PRF_ERASEBKGND);
  EXPECT_TRUE(rec.Lines({WM_PRINTCLIENT, WM_ERASEBKGND}).empty());
  PrintWindow(top, dc, 0);
  gdi::DeleteDC(dc);
  EXPECT_EQ(rec.Lines({WM_PRINT, WM_ERASEBKGND, WM_PRINTCLIENT}),
            (Lines{"top:WM_PRINT", "top:WM_PRINT", "top:WM_ERASEBKGND", "top:WM_PRINTCLIENT", "kid:WM_PRINT",
                   "kid:WM_ERASEBKGND", "kid:WM_PRINTCLIENT"}));
  EXPECT_EQ(img.at(0, 0) & 0xFFFFFF, 0u);             // the border
  EXPECT_EQ(img.at(5, 5) & 0xFFFFFF, 0xFFFFFFu);      // the window's background
  EXPECT_EQ(img.at(11 + 1, 11 + 1) & 0xFFFFFF, 0x0000FFu);  // the child, offset by the border
  gdi::DeleteObject(blue);
}

TEST_F(PaintCycle, ScrollWindowExMovesPixelsAndInvalidatesWhatIsNew) {
  rec.recording = false;
  HWND top = CreateWindowExW(0, u"Rec", u"", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr, nullptr, nullptr,
                             nullptr);
  headless::ProcessMessages();
  HDC dc = GetDC(top);
  RECT mark{0, 0, 10, 10};
  gdi::FillRect(dc, &mark, gdi::GetSysColorBrush(gdi::COLOR_BTNTEXT));
  ReleaseDC(top, dc);
  RECT upd{};
  HRGN rgn = gdi::CreateRectRgn(0, 0, 0, 0);
  const int kind = ScrollWindowEx(top, 5, 20, nullptr, nullptr, rgn, &upd, SW_INVALIDATE);
  EXPECT_EQ(kind, gdi::COMPLEXREGION);
  EXPECT_EQ(upd, (RECT{0, 0, 50, 50}));
  EXPECT_TRUE(gdi::PtInRegion(rgn, 2, 2));     // uncovered at the top
  EXPECT_TRUE(gdi::PtInRegion(rgn, 2, 30));    // uncovered at the left
  EXPECT_FALSE(gdi::PtInRegion(rgn, 10, 30));  // moved in from elsewhere
  gdi::DeleteObject(rgn);
  RECT pending;
  EXPECT_TRUE(GetUpdateRect(top, &pending, FALSE));
  rec.handler = [](HWND hwnd, UINT msg, WPARAM, LPARAM, LRESULT* r) {
    if (msg != WM_PAINT) return false;
    ValidateRect(hwnd, nullptr);  // leave the pixels as they are
    *r = 0;
    return true;
  };
  gdi::ImageBGRA shot = headless::Screenshot(top);
  EXPECT_EQ(shot.at(7, 22) & 0xFFFFFF, 0u);  // the mark, moved by (5, 20)
  EXPECT_EQ(shot.at(14, 29) & 0xFFFFFF, 0u);
  EXPECT_EQ(shot.at(16, 31) & 0xFFFFFF, 0xFFFFFFu);
}

TEST_F(PaintCycle, WindowRegionsShapeTheWindow) {
  rec.recording = false;
  HWND top = CreateWindowExW(0, u"Rec", u"", WS_POPUP | WS_VISIBLE, 0, 0, 40, 40, nullptr, nullptr, nullptr,
                             nullptr);
  HRGN round = gdi::CreateEllipticRgn(0, 0, 40, 40);
  EXPECT_EQ(SetWindowRgn(top, round, TRUE), 1);
  HRGN copy = gdi::CreateRectRgn(0, 0, 0, 0);
  EXPECT_NE(GetWindowRgn(top, copy), gdi::ERROR);
  EXPECT_FALSE(gdi::PtInRegion(copy, 1, 1));
  gdi::DeleteObject(copy);
  // Outside the shape the window is not there for the mouse either.
  EXPECT_EQ(WindowFromPoint(POINT{1, 1}), nullptr);
  EXPECT_EQ(WindowFromPoint(POINT{20, 20}), top);
  gdi::ImageBGRA screen = headless::Screenshot(nullptr);
  const COLORREF desk = gdi::GetSysColor(gdi::COLOR_BACKGROUND);
  EXPECT_EQ(screen.at(1, 1) & 0xFFFFFF,
            (std::uint32_t(gdi::GetRValue(desk)) << 16) | (gdi::GetGValue(desk) << 8) | gdi::GetBValue(desk));
  EXPECT_EQ(screen.at(20, 20) & 0xFFFFFF, 0xFFFFFFu);
}

TEST_F(PaintCycle, SystemColourChangesReachTheWindowsAndRepaint) {
  HWND top = Top("top", 0, 0, 100, 100);
  headless::ProcessMessages();
  rec.Clear();
  const int index = gdi::COLOR_WINDOW;
  const COLORREF grey = gdi::RGB(200, 200, 200);
  SetSysColors(1, &index, &grey);
  headless::ProcessMessages();
  EXPECT_EQ(rec.Lines({WM_SYSCOLORCHANGE, WM_PAINT}), (Lines{"top:WM_SYSCOLORCHANGE", "top:WM_PAINT"}));
  gdi::ImageBGRA shot = headless::Screenshot(top);
  RECT c;
  GetClientRect(top, &c);
  POINT p{c.right / 2, c.bottom / 2};
  ClientToScreen(top, &p);
  EXPECT_EQ(shot.at(p.x, p.y) & 0xFFFFFF, 0xC8C8C8u);
  gdi::ResetSysColors();
}

}  // namespace
}  // namespace wintest
