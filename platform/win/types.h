#pragma once
// Basic types of the window system: handles, message parameters and the
// message record, with the platform's names and sizes. Geometry and integer
// aliases are the drawing layer's.
#include <cstdint>

#include "platform/gdi/types.h"

namespace win {

using gdi::BOOL;
using gdi::BYTE;
using gdi::COLORREF;
using gdi::DWORD;
using gdi::FALSE;
using gdi::HBITMAP;
using gdi::HBRUSH;
using gdi::HDC;
using gdi::HFONT;
using gdi::HRGN;
using gdi::INT;
using gdi::LONG;
using gdi::POINT;
using gdi::RECT;
using gdi::SIZE;
using gdi::TRUE;
using gdi::UINT;
using gdi::ULONG_PTR;
using gdi::WCHAR;
using gdi::WORD;

using LONG_PTR = std::intptr_t;
using UINT_PTR = std::uintptr_t;
using DWORD_PTR = std::uintptr_t;
using WPARAM = UINT_PTR;
using LPARAM = LONG_PTR;
using LRESULT = LONG_PTR;
using ATOM = WORD;
using SHORT = std::int16_t;
using LPCWSTR = const char16_t*;
using LPWSTR = char16_t*;
using LPVOID = void*;

// Opaque handles: keys into the window system's tables, never pointers to
// memory a caller may read.
struct HWND__ {};
struct HINSTANCE__ {};
struct HMENU__ {};
struct HICON__ {};
struct HMONITOR__ {};
struct HHOOK__ {};
struct HGLOBAL__ {};
using HWND = HWND__*;
using HINSTANCE = HINSTANCE__*;
using HMODULE = HINSTANCE;
using HMENU = HMENU__*;
using HICON = HICON__*;
using HCURSOR = HICON;  // as on the platform, a cursor is an icon handle
using HMONITOR = HMONITOR__*;
using HHOOK = HHOOK__*;
using HGLOBAL = HGLOBAL__*;
using HANDLE = void*;

using WNDPROC = LRESULT (*)(HWND, UINT, WPARAM, LPARAM);
using TIMERPROC = void (*)(HWND, UINT, UINT_PTR, DWORD);
using HOOKPROC = LRESULT (*)(int code, WPARAM, LPARAM);
using WNDENUMPROC = BOOL (*)(HWND, LPARAM);
using MONITORENUMPROC = BOOL (*)(HMONITOR, HDC, RECT*, LPARAM);

struct MSG {
  HWND hwnd = nullptr;
  UINT message = 0;
  WPARAM wParam = 0;
  LPARAM lParam = 0;
  DWORD time = 0;
  POINT pt{};
};

constexpr WORD LOWORD(DWORD_PTR v) { return WORD(v & 0xFFFF); }
constexpr WORD HIWORD(DWORD_PTR v) { return WORD((v >> 16) & 0xFFFF); }
constexpr LONG MAKELONG(WORD lo, WORD hi) { return LONG(DWORD(lo) | (DWORD(hi) << 16)); }
constexpr LPARAM MAKELPARAM(int lo, int hi) { return LPARAM(MAKELONG(WORD(lo), WORD(hi))); }
constexpr WPARAM MAKEWPARAM(int lo, int hi) { return WPARAM(DWORD(MAKELONG(WORD(lo), WORD(hi)))); }
constexpr int GET_X_LPARAM(LPARAM lp) { return int(SHORT(LOWORD(DWORD_PTR(lp)))); }
constexpr int GET_Y_LPARAM(LPARAM lp) { return int(SHORT(HIWORD(DWORD_PTR(lp)))); }
constexpr int GET_WHEEL_DELTA_WPARAM(WPARAM wp) { return int(SHORT(HIWORD(wp))); }
constexpr WORD GET_KEYSTATE_WPARAM(WPARAM wp) { return LOWORD(wp); }

// Resource ids passed where a name is expected (LoadCursorW(nullptr, IDC_ARROW)).
inline LPCWSTR MAKEINTRESOURCEW(UINT_PTR id) { return reinterpret_cast<LPCWSTR>(id); }
inline bool IS_INTRESOURCE(LPCWSTR p) { return (reinterpret_cast<UINT_PTR>(p) >> 16) == 0; }

}  // namespace win
