#pragma once
// Windows: classes, creation and destruction, the parent/owner tree and
// z-order, position and size, visibility, enabling, text and long values.
// Windows belong to the main thread; these calls are main-thread only except
// where said.
#include "platform/win/constants.h"
#include "platform/win/types.h"

namespace win {

// ---- classes -----------------------------------------------------------------------
struct WNDCLASSEXW {
  UINT cbSize = sizeof(WNDCLASSEXW);
  UINT style = 0;
  WNDPROC lpfnWndProc = nullptr;
  int cbClsExtra = 0;
  int cbWndExtra = 0;
  HINSTANCE hInstance = nullptr;
  HICON hIcon = nullptr;
  HCURSOR hCursor = nullptr;
  HBRUSH hbrBackground = nullptr;  // a brush, or (COLOR_* + 1)
  LPCWSTR lpszMenuName = nullptr;
  LPCWSTR lpszClassName = nullptr;
  HICON hIconSm = nullptr;
};
using WNDCLASSW = WNDCLASSEXW;

// Class names compare without regard to case. Registering a name twice fails
// (0) and sets ERROR_CLASS_ALREADY_EXISTS.
ATOM RegisterClassExW(const WNDCLASSEXW* wc);
ATOM RegisterClassW(const WNDCLASSW* wc);
BOOL UnregisterClassW(LPCWSTR className, HINSTANCE instance);
BOOL GetClassInfoExW(HINSTANCE instance, LPCWSTR className, WNDCLASSEXW* wc);
BOOL GetClassInfoW(HINSTANCE instance, LPCWSTR className, WNDCLASSW* wc);
int GetClassNameW(HWND hwnd, LPWSTR buffer, int maxCount);
ULONG_PTR GetClassLongPtrW(HWND hwnd, int index);
ULONG_PTR SetClassLongPtrW(HWND hwnd, int index, LONG_PTR value);

// The module handle of the program (any non-null value).
HINSTANCE GetModuleHandleW(LPCWSTR name);

// ---- errors -----------------------------------------------------------------------
constexpr DWORD ERROR_SUCCESS = 0;
constexpr DWORD ERROR_INVALID_PARAMETER = 87;
constexpr DWORD ERROR_INVALID_WINDOW_HANDLE = 1400;
constexpr DWORD ERROR_CANNOT_FIND_WND_CLASS = 1407;
constexpr DWORD ERROR_CLASS_ALREADY_EXISTS = 1410;
constexpr DWORD ERROR_CLASS_DOES_NOT_EXIST = 1411;
constexpr DWORD ERROR_CLASS_HAS_WINDOWS = 1412;
constexpr DWORD ERROR_TLW_WITH_WSCHILD = 1406;
constexpr DWORD ERROR_INVALID_HOOK_HANDLE = 1404;
constexpr DWORD ERROR_CLIPBOARD_NOT_OPEN = 1418;
DWORD GetLastError();
void SetLastError(DWORD error);

// ---- create and destroy ----------------------------------------------------------------
// Message order: WM_GETMINMAXINFO (overlapped windows), WM_NCCREATE,
// WM_NCCALCSIZE, WM_CREATE; then, for a child, WM_PARENTNOTIFY to the
// parents; WM_SHOWWINDOW... for WS_VISIBLE. A window procedure answering -1 to
// WM_CREATE (or FALSE to WM_NCCREATE) fails the creation: the window is
// destroyed and null returned.
HWND CreateWindowExW(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, int x,
                     int y, int width, int height, HWND parent, HMENU menu, HINSTANCE instance,
                     LPVOID param);
inline HWND CreateWindowW(LPCWSTR className, LPCWSTR windowName, DWORD style, int x, int y,
                          int width, int height, HWND parent, HMENU menu, HINSTANCE instance,
                          LPVOID param) {
  return CreateWindowExW(0, className, windowName, style, x, y, width, height, parent, menu,
                         instance, param);
}
// Hides the window (SWP_HIDEWINDOW messages), takes away focus, activation
// and capture, destroys owned windows first, then sends WM_DESTROY to the
// window and its children parent-first and WM_NCDESTROY children-first.
// Safe to call from inside the window's own procedure; the handle stays
// invalid afterwards (IsWindow false) even if memory of it lives on while a
// procedure of it still runs.
BOOL DestroyWindow(HWND hwnd);
BOOL IsWindow(HWND hwnd);

// ---- tree and z-order ----------------------------------------------------------------
HWND GetParent(HWND hwnd);  // parent of a child, owner of a popup
HWND SetParent(HWND child, HWND newParent);
HWND GetAncestor(HWND hwnd, UINT flags);
HWND GetWindow(HWND hwnd, UINT cmd);
HWND GetTopWindow(HWND hwnd);  // the first child (null: the top top-level)
HWND GetDesktopWindow();
BOOL IsChild(HWND parent, HWND hwnd);
BOOL EnumChildWindows(HWND parent, WNDENUMPROC proc, LPARAM lParam);
BOOL EnumWindows(WNDENUMPROC proc, LPARAM lParam);
BOOL EnumThreadWindows(DWORD threadId, WNDENUMPROC proc, LPARAM lParam);
HWND FindWindowW(LPCWSTR className, LPCWSTR windowName);
DWORD GetWindowThreadProcessId(HWND hwnd, DWORD* processId);
HWND GetLastActivePopup(HWND hwnd);

// ---- position, size, show ---------------------------------------------------------------
// Coordinates are the parent's client coordinates for a child, the screen's
// for a top-level window.
BOOL SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy, UINT flags);
BOOL MoveWindow(HWND hwnd, int x, int y, int width, int height, BOOL repaint);
BOOL BringWindowToTop(HWND hwnd);
// Deferred positioning applies the moves one after the other at the end.
using HDWP = void*;
HDWP BeginDeferWindowPos(int count);
HDWP DeferWindowPos(HDWP info, HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy,
                    UINT flags);
BOOL EndDeferWindowPos(HDWP info);
BOOL ShowWindow(HWND hwnd, int cmd);  // previous visibility
BOOL IsWindowVisible(HWND hwnd);      // it and all its parents have WS_VISIBLE
BOOL IsIconic(HWND hwnd);
BOOL IsZoomed(HWND hwnd);
BOOL EnableWindow(HWND hwnd, BOOL enable);  // previous: TRUE when it was disabled
BOOL IsWindowEnabled(HWND hwnd);

BOOL GetWindowRect(HWND hwnd, RECT* rc);  // screen coordinates
BOOL GetClientRect(HWND hwnd, RECT* rc);  // (0, 0, width, height) of the client area
BOOL ClientToScreen(HWND hwnd, POINT* pt);
BOOL ScreenToClient(HWND hwnd, POINT* pt);
// Returns the offset as MAKELONG(dx, dy).
int MapWindowPoints(HWND from, HWND to, POINT* points, UINT count);
// Our own frame: border 1, WS_THICKFRAME/WS_DLGFRAME 3 more (4 in all),
// client edge 2, caption SM_CYCAPTION.
BOOL AdjustWindowRectEx(RECT* rc, DWORD style, BOOL menu, DWORD exStyle);
BOOL AdjustWindowRect(RECT* rc, DWORD style, BOOL menu);

// ---- text and long values -------------------------------------------------------------
BOOL SetWindowTextW(HWND hwnd, LPCWSTR text);
int GetWindowTextW(HWND hwnd, LPWSTR buffer, int maxCount);
int GetWindowTextLengthW(HWND hwnd);
LONG_PTR GetWindowLongPtrW(HWND hwnd, int index);
// GWL_STYLE/GWL_EXSTYLE send WM_STYLECHANGING/WM_STYLECHANGED;
// GWLP_WNDPROC returns the old procedure (subclassing).
LONG_PTR SetWindowLongPtrW(HWND hwnd, int index, LONG_PTR value);
inline LONG GetWindowLongW(HWND hwnd, int index) { return LONG(GetWindowLongPtrW(hwnd, index)); }
inline LONG SetWindowLongW(HWND hwnd, int index, LONG value) {
  return LONG(SetWindowLongPtrW(hwnd, index, value));
}
BOOL SetPropW(HWND hwnd, LPCWSTR name, HANDLE data);
HANDLE GetPropW(HWND hwnd, LPCWSTR name);
HANDLE RemovePropW(HWND hwnd, LPCWSTR name);

// ---- procedures ------------------------------------------------------------------------
LRESULT CallWindowProcW(WNDPROC proc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT DefWindowProcW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

// ---- regions --------------------------------------------------------------------------
// The window takes ownership of the region (window coordinates).
int SetWindowRgn(HWND hwnd, HRGN rgn, BOOL redraw);
// Copies the window region into `rgn`; ERROR (0) when there is none.
int GetWindowRgn(HWND hwnd, HRGN rgn);

}  // namespace win
