// DefWindowProcW: the default answers the library relies on.
#include <algorithm>

#include "platform/gdi/dc.h"
#include "platform/gdi/draw.h"
#include "platform/gdi/objects.h"
#include "platform/rtl/mainloop.h"
#include "platform/win/impl/state.h"

namespace win {
using namespace impl;

namespace {

LRESULT hitTest(Window* w, POINT screen) {
  POINT o = windowOriginOnScreen(w);
  const int x = screen.x - o.x, y = screen.y - o.y;
  if (x < 0 || y < 0 || x >= w->width() || y >= w->height()) return HTNOWHERE;
  const RECT& c = w->client;
  if (x >= c.left && x < c.right && y >= c.top && y < c.bottom) return HTCLIENT;
  RECT in;
  int cap = 0;
  nonClientMetrics(w->style, w->exStyle, &in, &cap);
  const int frame = in.left - ((w->exStyle & WS_EX_CLIENTEDGE) ? 2 : 0) - ((w->exStyle & WS_EX_STATICEDGE) ? 1 : 0);
  if (w->style & WS_THICKFRAME) {
    const int corner = GetSystemMetrics(SM_CYCAPTION) + frame;
    const bool left = x < frame, right = x >= w->width() - frame;
    const bool top = y < frame, bottom = y >= w->height() - frame;
    if (top) return x < corner ? HTTOPLEFT : x >= w->width() - corner ? HTTOPRIGHT : HTTOP;
    if (bottom) return x < corner ? HTBOTTOMLEFT : x >= w->width() - corner ? HTBOTTOMRIGHT : HTBOTTOM;
    if (left) return y < corner ? HTTOPLEFT : y >= w->height() - corner ? HTBOTTOMLEFT : HTLEFT;
    if (right) return y < corner ? HTTOPRIGHT : y >= w->height() - corner ? HTBOTTOMRIGHT : HTRIGHT;
  } else if (x < frame || y < frame || x >= w->width() - frame || y >= w->height() - frame) {
    return HTBORDER;
  }
  if (cap > 0 && y >= frame && y < frame + cap) {
    if (w->style & WS_SYSMENU) {
      const int bh = cap - 5, bw = bh + 2;
      const int right = w->width() - frame - 2;
      if (x >= right - bw && x < right) return HTCLOSE;
    }
    return HTCAPTION;
  }
  const int innerRight = w->width() - in.right + ((w->style & WS_VSCROLL) ? 17 : 0);
  const int innerBottom = w->height() - in.bottom + ((w->style & WS_HSCROLL) ? 17 : 0);
  if ((w->style & WS_VSCROLL) && x >= innerRight - 17 && x < innerRight) return HTVSCROLL;
  if ((w->style & WS_HSCROLL) && y >= innerBottom - 17 && y < innerBottom) return HTHSCROLL;
  return HTBORDER;
}

LPCWSTR cursorForHit(LRESULT hit) {
  switch (hit) {
    case HTLEFT:
    case HTRIGHT: return IDC_SIZEWE;
    case HTTOP:
    case HTBOTTOM: return IDC_SIZENS;
    case HTTOPLEFT:
    case HTBOTTOMRIGHT: return IDC_SIZENWSE;
    case HTTOPRIGHT:
    case HTBOTTOMLEFT: return IDC_SIZENESW;
    default: return IDC_ARROW;
  }
}

void printWindow(Window* w, HDC dc, LPARAM flags) {
  if ((flags & PRF_CHECKVISIBLE) && !isVisible(w)) return;
  auto hold = keep(w);
  const int saved = gdi::SaveDC(dc);
  if (flags & PRF_NONCLIENT) drawNonClient(w, dc);
  // The client area from here on.
  gdi::OffsetViewportOrgEx(dc, w->client.left, w->client.top, nullptr);
  gdi::IntersectClipRect(dc, 0, 0, w->client.right - w->client.left, w->client.bottom - w->client.top);
  if (flags & PRF_ERASEBKGND) send(w, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
  if (!w->dead && (flags & PRF_CLIENT)) send(w, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), flags);
  if (!w->dead && (flags & PRF_CHILDREN)) {
    std::vector<Window*> kids = w->children;
    // Bottom of the z-order first, so the top ends up on top.
    for (auto it = kids.rbegin(); it != kids.rend(); ++it) {
      Window* c = *it;
      auto k = keep(c);
      if (!k || c->dead || !(c->style & WS_VISIBLE)) continue;
      const int s = gdi::SaveDC(dc);
      gdi::OffsetViewportOrgEx(dc, c->rect.left, c->rect.top, nullptr);
      gdi::IntersectClipRect(dc, 0, 0, c->width(), c->height());
      send(c, WM_PRINT, reinterpret_cast<WPARAM>(dc), flags | PRF_NONCLIENT | PRF_CLIENT | PRF_ERASEBKGND);
      gdi::RestoreDC(dc, s);
    }
  }
  gdi::RestoreDC(dc, saved);
}

}  // namespace

bool impl::trackPressedMouse(Window* w, void (*onMove)(void* context, POINT screen), void* context) {
  const HWND hwnd = w->handle;
  for (;;) {
    if (w->dead || GetCapture() != hwnd) return false;
    MSG m;
    if (!PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
      if (!(GetAsyncKeyState(VK_LBUTTON) & 0x8000)) return false;
      // Headless input is all queued already: nothing more will come.
      if (backend().Name() == "headless") return false;
      rtl::WaitForMainThreadWork(100);
      continue;
    }
    if (m.message == WM_QUIT) {
      PostQuitMessage(int(m.wParam));
      return false;
    }
    if (m.message == WM_LBUTTONUP) return false;
    if (m.message == WM_KEYDOWN && m.wParam == VK_ESCAPE) return true;
    if (m.message != WM_MOUSEMOVE) {
      if (m.message != WM_KEYDOWN && m.message != WM_KEYUP && m.message != WM_CHAR) DispatchMessageW(&m);
      continue;
    }
    onMove(context, m.pt);
  }
}

namespace {

// Moving by the caption and sizing by the borders: the pointer is followed
// with the capture until the button is released (Esc puts it back).
void moveSizeLoop(Window* w, WPARAM command, LPARAM where) {
  if (w->isChild() || w->maximized) return;
  const HWND hwnd = w->handle;
  const bool move = (command & 0xFFF0) == SC_MOVE;
  const UINT edge = UINT(command & 0x0F);  // 1..8: left, right, top, topleft, topright, bottom, bottomleft, bottomright
  // Where the button went down (screen coordinates).
  const POINT start{GET_X_LPARAM(where), GET_Y_LPARAM(where)};
  const RECT original = w->rect;
  auto hold = keep(w);
  send(w, WM_ENTERSIZEMOVE, 0, 0);
  SetCapture(hwnd);
  const bool cancelled = trackPressedMouse(w, [&](POINT pt) {
    const int dx = pt.x - start.x, dy = pt.y - start.y;
    RECT r = original;
    if (move) {
      gdi::OffsetRect(&r, dx, dy);
    } else {
      if (edge == 1 || edge == 4 || edge == 7) r.left += dx;
      if (edge == 2 || edge == 5 || edge == 8) r.right += dx;
      if (edge == 3 || edge == 4 || edge == 5) r.top += dy;
      if (edge == 6 || edge == 7 || edge == 8) r.bottom += dy;
    }
    SetWindowPos(hwnd, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                 SWP_NOZORDER | SWP_NOACTIVATE | (move ? SWP_NOSIZE : 0));
  });
  if (!w->dead && GetCapture() == hwnd) ReleaseCapture();
  if (!w->dead && cancelled) {
    SetWindowPos(hwnd, nullptr, original.left, original.top, original.right - original.left,
                 original.bottom - original.top, SWP_NOZORDER | SWP_NOACTIVATE);
  }
  if (!w->dead) send(w, WM_EXITSIZEMOVE, 0, 0);
}

}  // namespace

LRESULT DefWindowProcW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  Window* w = find(hwnd);
  if (!w) return 0;
  switch (msg) {
    case WM_NCCREATE:
      return TRUE;
    case WM_NCCALCSIZE: {
      auto* rc = reinterpret_cast<RECT*>(lParam);
      if (!rc) return 0;
      RECT in;
      nonClientMetrics(w->style, w->exStyle, &in, nullptr);
      rc->left += in.left;
      rc->top += in.top;
      rc->right -= in.right;
      rc->bottom -= in.bottom;
      if (rc->right < rc->left) rc->right = rc->left;
      if (rc->bottom < rc->top) rc->bottom = rc->top;
      return 0;
    }
    case WM_NCHITTEST:
      return hitTest(w, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
    case WM_NCPAINT: {
      HDC dc = GetWindowDC(hwnd);
      if (!dc) return 0;
      // Only the frame: the client area is the window's own.
      gdi::ExcludeClipRect(dc, w->client.left, w->client.top, w->client.right, w->client.bottom);
      drawNonClient(w, dc);
      ReleaseDC(hwnd, dc);
      return 0;
    }
    case WM_NCACTIVATE:
      if (!w->isChild() && (w->style & WS_CAPTION) == WS_CAPTION) {
        // The caption shows the new state at once.
        if (HDC dc = GetWindowDC(hwnd)) {
          gdi::ExcludeClipRect(dc, w->client.left, w->client.top, w->client.right, w->client.bottom);
          drawNonClient(w, dc, wParam ? 1 : 0);
          ReleaseDC(hwnd, dc);
        }
      }
      return TRUE;
    case WM_ERASEBKGND:
      return defaultErase(w, reinterpret_cast<HDC>(wParam));
    case WM_PAINT: {
      PAINTSTRUCT ps;
      if (BeginPaint(hwnd, &ps)) EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_PRINT:
      printWindow(w, reinterpret_cast<HDC>(wParam), lParam);
      return 0;
    case WM_SETTEXT: {
      w->text = lParam ? String(reinterpret_cast<LPCWSTR>(lParam)) : String();
      if (!w->isChild() && w->hasNative) backend().SetNativeTitle(hwnd, w->text);
      if ((w->style & WS_CAPTION) == WS_CAPTION) RedrawWindow(hwnd, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_NOCHILDREN);
      return TRUE;
    }
    case WM_GETTEXT: {
      auto* buf = reinterpret_cast<LPWSTR>(lParam);
      const int max = int(wParam);
      if (!buf || max <= 0) return 0;
      const int n = std::min<int>(int(w->text.size()), max - 1);
      std::copy_n(w->text.data(), n, buf);
      buf[n] = 0;
      return n;
    }
    case WM_GETTEXTLENGTH:
      return LRESULT(w->text.size());
    case WM_CLOSE:
      DestroyWindow(hwnd);
      return 0;
    case WM_SYSCOMMAND:
      switch (wParam & 0xFFF0) {
        case SC_CLOSE:
          if (!(w->cls->wc.style & CS_NOCLOSE)) send(w, WM_CLOSE, 0, 0);
          return 0;
        case SC_MINIMIZE: ShowWindow(hwnd, SW_MINIMIZE); return 0;
        case SC_MAXIMIZE: ShowWindow(hwnd, SW_MAXIMIZE); return 0;
        case SC_RESTORE: ShowWindow(hwnd, SW_RESTORE); return 0;
        case SC_MOVE:
        case SC_SIZE:
          moveSizeLoop(w, wParam, lParam);
          return 0;
        default: return 0;
      }
    case WM_SETCURSOR: {
      if (w->isChild() && send(w->parent, WM_SETCURSOR, wParam, lParam)) return TRUE;
      if (w->dead) return TRUE;
      const auto hit = LRESULT(SHORT(LOWORD(DWORD_PTR(lParam))));
      if (hit == HTCLIENT) {
        if (w->cls->wc.hCursor) {
          SetCursor(w->cls->wc.hCursor);
          return TRUE;
        }
        return FALSE;
      }
      if (hit == HTERROR) {
        const UINT m = HIWORD(DWORD_PTR(lParam));
        if (m == WM_LBUTTONDOWN || m == WM_RBUTTONDOWN || m == WM_MBUTTONDOWN) MessageBeep(0);
        return FALSE;
      }
      SetCursor(LoadCursorW(nullptr, cursorForHit(hit)));
      return TRUE;
    }
    case WM_MOUSEACTIVATE:
      if (w->isChild()) {
        const LRESULT r = send(w->parent, WM_MOUSEACTIVATE, wParam, lParam);
        if (r) return r;
      }
      return MA_ACTIVATE;
    case WM_ACTIVATE:
      if (LOWORD(wParam) != WA_INACTIVE && !w->minimized) SetFocus(hwnd);
      return 0;
    case WM_WINDOWPOSCHANGED: {
      const auto* wp = reinterpret_cast<const WINDOWPOS*>(lParam);
      if (!wp) return 0;
      constexpr UINT SWP_NOCLIENTSIZE = 0x0800, SWP_NOCLIENTMOVE = 0x1000;
      if (!(wp->flags & SWP_NOCLIENTMOVE)) {
        send(w, WM_MOVE, 0, MAKELPARAM(w->rect.left + w->client.left, w->rect.top + w->client.top));
      }
      if (!w->dead && !(wp->flags & SWP_NOCLIENTSIZE)) {
        send(w, WM_SIZE, w->maximized ? SIZE_MAXIMIZED : SIZE_RESTORED,
             MAKELPARAM(w->client.right - w->client.left, w->client.bottom - w->client.top));
      }
      return 0;
    }
    case WM_SETREDRAW:
      // The platform's way: the visible flag goes, without hiding.
      if (wParam) {
        w->style |= WS_VISIBLE;
      } else {
        w->style &= ~WS_VISIBLE;
      }
      return 0;
    case WM_CONTEXTMENU:
    case WM_MOUSEWHEEL:
    case WM_MOUSEHWHEEL:
      if (w->isChild()) return send(w->parent, msg, wParam, lParam);
      return 0;
    case WM_NCLBUTTONDOWN:
      if (wParam == HTCLOSE) {
        PostMessageW(hwnd, WM_SYSCOMMAND, SC_CLOSE, lParam);
      } else if (wParam == HTCAPTION) {
        send(w, WM_SYSCOMMAND, SC_MOVE | HTCAPTION, lParam);
      } else if (wParam >= WPARAM(HTLEFT) && wParam <= WPARAM(HTBOTTOMRIGHT)) {
        send(w, WM_SYSCOMMAND, SC_SIZE | (wParam - HTLEFT + 1), lParam);
      } else if (wParam == HTHSCROLL || wParam == HTVSCROLL) {
        scrollBarClick(w, wParam, lParam);
      }
      return 0;
    case WM_RBUTTONUP: {
      // The context menu request, at the pointer (screen coordinates).
      POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      ClientToScreen(hwnd, &p);
      send(w, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(hwnd), MAKELPARAM(p.x, p.y));
      return 0;
    }
    case WM_NCRBUTTONUP:
      if (wParam == WPARAM(HTCAPTION) || wParam == WPARAM(HTSYSMENU)) return 0;
      send(w, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(hwnd), lParam);
      return 0;
    case WM_KEYUP:
      // The menu key asks for the context menu at the keyboard's place.
      if (wParam == VK_APPS) send(w, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(hwnd), LPARAM(-1));
      return 0;
    case WM_NCLBUTTONDBLCLK:
      return 0;
    case WM_SYSKEYDOWN:
      if (wParam == VK_F10 && (GetKeyState(VK_SHIFT) & 0x8000)) {
        send(w, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(hwnd), LPARAM(-1));
        return 0;
      }
      if (wParam == VK_F4 && (lParam & KF_ALTDOWN_BIT)) {
        Window* top = topLevelOf(w);
        PostMessageW(top->handle, WM_SYSCOMMAND, SC_CLOSE, 0);
      }
      return 0;
    case WM_SYSCHAR:
      return 0;
    case WM_CANCELMODE:
      if (state().capture == hwnd) ReleaseCapture();
      return 0;
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC: {
      HDC dc = reinterpret_cast<HDC>(wParam);
      const bool edit = msg == WM_CTLCOLOREDIT || msg == WM_CTLCOLORLISTBOX;
      if (dc) {
        gdi::SetTextColor(dc, gdi::GetSysColor(edit ? gdi::COLOR_WINDOWTEXT : gdi::COLOR_BTNTEXT));
        gdi::SetBkColor(dc, gdi::GetSysColor(edit ? gdi::COLOR_WINDOW : gdi::COLOR_BTNFACE));
      }
      if (msg == WM_CTLCOLORSCROLLBAR) return reinterpret_cast<LRESULT>(gdi::GetSysColorBrush(gdi::COLOR_SCROLLBAR));
      return reinterpret_cast<LRESULT>(gdi::GetSysColorBrush(edit ? gdi::COLOR_WINDOW : gdi::COLOR_BTNFACE));
    }
    case WM_WINDOWPOSCHANGING: {
      // Sizable and overlapped windows keep to the sizes WM_GETMINMAXINFO
      // allows (the class library's size constraints come this way).
      auto* wp = reinterpret_cast<WINDOWPOS*>(lParam);
      const bool overlapped = !(w->style & (WS_POPUP | WS_CHILD));
      if (!wp || (wp->flags & SWP_NOSIZE) || !((w->style & WS_THICKFRAME) || overlapped)) return 0;
      MINMAXINFO mmi = defaultMinMaxInfo();
      send(w, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&mmi));
      wp->cx = std::max<int>(mmi.ptMinTrackSize.x, std::min<int>(wp->cx, mmi.ptMaxTrackSize.x));
      wp->cy = std::max<int>(mmi.ptMinTrackSize.y, std::min<int>(wp->cy, mmi.ptMaxTrackSize.y));
      return 0;
    }
    case WM_GETMINMAXINFO:
    case WM_SHOWWINDOW:
    default:
      return 0;
  }
}

}  // namespace win
