#pragma once
// The paint cycle: each window keeps an update region (client coordinates);
// WM_NCPAINT, WM_ERASEBKGND and WM_PAINT follow from it when the queue is
// empty (or at once with UpdateWindow / RDW_UPDATENOW). Child windows draw
// into their top-level window's 32-bit surface through DCs clipped to what
// of them is visible; what was drawn is presented through the backend.
#include "platform/gdi/blit.h"
#include "platform/win/constants.h"
#include "platform/win/types.h"

namespace win {

BOOL InvalidateRect(HWND hwnd, const RECT* rc, BOOL erase);
BOOL InvalidateRgn(HWND hwnd, HRGN rgn, BOOL erase);
BOOL ValidateRect(HWND hwnd, const RECT* rc);
BOOL ValidateRgn(HWND hwnd, HRGN rgn);
BOOL GetUpdateRect(HWND hwnd, RECT* rc, BOOL erase);
int GetUpdateRgn(HWND hwnd, HRGN rgn, BOOL erase);
BOOL UpdateWindow(HWND hwnd);
BOOL RedrawWindow(HWND hwnd, const RECT* rcUpdate, HRGN rgnUpdate, UINT flags);

HDC BeginPaint(HWND hwnd, PAINTSTRUCT* ps);
BOOL EndPaint(HWND hwnd, const PAINTSTRUCT* ps);

// A DC on the window's client area (GetDC) or whole window (GetWindowDC,
// DCX_WINDOW), clipped as its styles or the DCX_* flags say. Release it.
HDC GetDC(HWND hwnd);
HDC GetDCEx(HWND hwnd, HRGN clip, DWORD flags);
HDC GetWindowDC(HWND hwnd);
int ReleaseDC(HWND hwnd, HDC dc);
HWND WindowFromDC(HDC dc);

int ScrollWindowEx(HWND hwnd, int dx, int dy, const RECT* scroll, const RECT* clip, HRGN update,
                   RECT* rcUpdate, UINT flags);
BOOL ScrollWindow(HWND hwnd, int dx, int dy, const RECT* scroll, const RECT* clip);
BOOL ScrollDC(HDC dc, int dx, int dy, const RECT* scroll, const RECT* clip, HRGN update,
              RECT* rcUpdate);

// Prints the window (and, with PRF_CHILDREN, its children) into `dc` by
// WM_PRINT; a helper of PrintWindow.
BOOL PrintWindow(HWND hwnd, HDC dc, UINT flags);

// Layered windows (top-level, WS_EX_LAYERED): a constant alpha and a colour
// key for the painted window, or contents given whole by UpdateLayeredWindow.
constexpr DWORD LWA_COLORKEY = 0x00000001;
constexpr DWORD LWA_ALPHA = 0x00000002;
BOOL SetLayeredWindowAttributes(HWND hwnd, COLORREF key, BYTE alpha, DWORD flags);

constexpr DWORD ULW_COLORKEY = 0x00000001;
constexpr DWORD ULW_ALPHA = 0x00000002;
constexpr DWORD ULW_OPAQUE = 0x00000004;
// Moves and sizes the window (`dst` in screen coordinates, `size`; null
// keeps either) and, with `srcDC`, makes the pixels of `srcDC` from `src`
// (its device coordinates; null: 0, 0) the whole window: ULW_ALPHA with
// AC_SRC_ALPHA takes their premultiplied alpha, SourceConstantAlpha fades
// the whole window, ULW_COLORKEY makes `key` transparent. The window is not
// painted (no WM_PAINT) while it shows such contents. `dstDC` is ignored.
BOOL UpdateLayeredWindow(HWND hwnd, HDC dstDC, const POINT* dst, const SIZE* size, HDC srcDC,
                         const POINT* src, COLORREF key, const gdi::BLENDFUNCTION* blend,
                         DWORD flags);

// Accepted and ignored (WM_SETREDRAW is the way to hold painting back).
BOOL LockWindowUpdate(HWND hwnd);

}  // namespace win
