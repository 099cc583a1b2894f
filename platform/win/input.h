#pragma once
// Input: mouse capture and tracking, keyboard state, focus and activation,
// caret, cursors, and pointer position.
#include "platform/win/constants.h"
#include "platform/win/types.h"

namespace win {

// ---- mouse -----------------------------------------------------------------------------
HWND SetCapture(HWND hwnd);  // previous capture; WM_CAPTURECHANGED to the loser
BOOL ReleaseCapture();
HWND GetCapture();
BOOL TrackMouseEvent(TRACKMOUSEEVENT* tme);
BOOL GetCursorPos(POINT* pt);
BOOL SetCursorPos(int x, int y);
HWND WindowFromPoint(POINT pt);
HWND ChildWindowFromPoint(HWND parent, POINT pt);  // parent's client coordinates
HWND ChildWindowFromPointEx(HWND parent, POINT pt, UINT flags);
HWND RealChildWindowFromPoint(HWND parent, POINT pt);
UINT GetDoubleClickTime();
BOOL SetDoubleClickTime(UINT ms);
BOOL SwapMouseButton(BOOL swap);
BOOL DragDetect(HWND hwnd, POINT pt);

// ---- keyboard --------------------------------------------------------------------------
// High bit: down (as of the message being handled); low bit: toggled.
SHORT GetKeyState(int vk);
// Down now (as the display last told).
SHORT GetAsyncKeyState(int vk);
BOOL GetKeyboardState(BYTE* state);  // 256 bytes
BOOL SetKeyboardState(const BYTE* state);
UINT MapVirtualKeyW(UINT code, UINT mapType);
int ToUnicode(UINT vk, UINT scanCode, const BYTE* keyState, LPWSTR buffer, int bufferSize,
              UINT flags);
SHORT VkKeyScanW(WCHAR ch);  // US layout: low byte vk, high byte shift state (1 Shift)
int GetKeyNameTextW(LONG lParam, LPWSTR buffer, int size);
// Keyboard layout: always US English (0x0409).
using HKL = void*;
HKL GetKeyboardLayout(DWORD threadId);

// ---- focus and activation -----------------------------------------------------------------
HWND SetFocus(HWND hwnd);
HWND GetFocus();
HWND SetActiveWindow(HWND hwnd);
HWND GetActiveWindow();
BOOL SetForegroundWindow(HWND hwnd);
HWND GetForegroundWindow();

// ---- caret ----------------------------------------------------------------------------------
// The caret is drawn by inverting its rectangle on the owner's surface (a
// caret bitmap is not drawn: the rectangle is); it blinks every
// GetCaretBlinkTime() ms on the one clock and waits while the owner's
// top-level window is being painted.
BOOL CreateCaret(HWND hwnd, HBITMAP bitmap, int width, int height);
BOOL DestroyCaret();
BOOL ShowCaret(HWND hwnd);
BOOL HideCaret(HWND hwnd);
BOOL SetCaretPos(int x, int y);
BOOL GetCaretPos(POINT* pt);
UINT GetCaretBlinkTime();
BOOL SetCaretBlinkTime(UINT ms);

// ---- cursors -------------------------------------------------------------------------------
// System cursors for the IDC_* ids; other ids or names give null.
HCURSOR LoadCursorW(HINSTANCE instance, LPCWSTR name);
HCURSOR SetCursor(HCURSOR cursor);
HCURSOR GetCursor();
int ShowCursor(BOOL show);  // the new display count; shown while >= 0
// A cursor (fIcon FALSE) or icon from a colour bitmap (32-bit with alpha, or
// opaque with the mask's 1 bits transparent) and a mask.
HICON CreateIconIndirect(const ICONINFO* info);
BOOL GetIconInfo(HICON icon, ICONINFO* info);
BOOL DestroyIcon(HICON icon);
BOOL DestroyCursor(HCURSOR cursor);
HICON LoadIconW(HINSTANCE instance, LPCWSTR name);
inline const LPCWSTR IDI_APPLICATION = MAKEINTRESOURCEW(32512);

}  // namespace win
