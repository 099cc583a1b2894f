#pragma once
// The standard scroll bars of a window (WS_HSCROLL / WS_VSCROLL): their
// range, page and position, their visibility and enabled state, where they
// lie, the scroll requests a click on them sends, and the thumb drag
// (SB_THUMBTRACK / SB_THUMBPOSITION, the full position in nTrackPos).
#include "platform/win/types.h"

namespace win {

constexpr int SB_HORZ = 0;
constexpr int SB_VERT = 1;
constexpr int SB_CTL = 2;
constexpr int SB_BOTH = 3;

constexpr UINT SIF_RANGE = 0x0001;
constexpr UINT SIF_PAGE = 0x0002;
constexpr UINT SIF_POS = 0x0004;
constexpr UINT SIF_DISABLENOSCROLL = 0x0008;
constexpr UINT SIF_TRACKPOS = 0x0010;
constexpr UINT SIF_ALL = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_TRACKPOS;

constexpr UINT ESB_ENABLE_BOTH = 0x0000;
constexpr UINT ESB_DISABLE_LTUP = 0x0001;
constexpr UINT ESB_DISABLE_RTDN = 0x0002;
constexpr UINT ESB_DISABLE_BOTH = 0x0003;

constexpr LONG OBJID_HSCROLL = LONG(0xFFFFFFFA);
constexpr LONG OBJID_VSCROLL = LONG(0xFFFFFFFB);

constexpr DWORD STATE_SYSTEM_UNAVAILABLE = 0x00000001;
constexpr DWORD STATE_SYSTEM_PRESSED = 0x00000008;
constexpr DWORD STATE_SYSTEM_INVISIBLE = 0x00008000;
constexpr DWORD STATE_SYSTEM_OFFSCREEN = 0x00010000;

// The bar's thickness and the length of each arrow button.
constexpr int kScrollBarSize = 17;

struct SCROLLINFO {
  UINT cbSize = sizeof(SCROLLINFO);
  UINT fMask = 0;
  int nMin = 0;
  int nMax = 0;
  UINT nPage = 0;
  int nPos = 0;
  int nTrackPos = 0;
};

// 60 bytes, as callers that fill cbSize by hand expect.
struct SCROLLBARINFO {
  DWORD cbSize = sizeof(SCROLLBARINFO);
  RECT rcScrollBar{};  // screen coordinates
  int dxyLineButton = 0;
  int xyThumbTop = 0;     // from the bar's start
  int xyThumbBottom = 0;
  int reserved = 0;
  // [0] the bar, [1] the up/left arrow, [2] the page area above/left of the
  // thumb, [3] the thumb, [4] the page area below/right, [5] the down/right arrow.
  DWORD rgstate[6]{};
};
static_assert(sizeof(SCROLLBARINFO) == 60);

// Stores the masked values (the page is capped at the range's size, the
// position clamped to [nMin, nMax - max(nPage - 1, 0)]) and returns the new
// position. The bar shows itself when the range is larger than the page and
// hides itself otherwise, unless SIF_DISABLENOSCROLL keeps it shown and
// disabled. `redraw` repaints the frame.
int SetScrollInfo(HWND hwnd, int bar, const SCROLLINFO* si, BOOL redraw);
// FALSE for SB_CTL, a bad handle, a bad cbSize, or a bar that has neither
// been shown nor given values.
BOOL GetScrollInfo(HWND hwnd, int bar, SCROLLINFO* si);
int SetScrollPos(HWND hwnd, int bar, int pos, BOOL redraw);  // the previous position
int GetScrollPos(HWND hwnd, int bar);
BOOL SetScrollRange(HWND hwnd, int bar, int minPos, int maxPos, BOOL redraw);
BOOL GetScrollRange(HWND hwnd, int bar, int* minPos, int* maxPos);
// Adds or removes WS_HSCROLL / WS_VSCROLL (SB_BOTH: both) and recomputes the
// client area.
BOOL ShowScrollBar(HWND hwnd, int bar, BOOL show);
// ESB_DISABLE_BOTH greys the bar; FALSE when nothing changed.
BOOL EnableScrollBar(HWND hwnd, UINT bar, UINT arrows);
// idObject: OBJID_HSCROLL or OBJID_VSCROLL; cbSize must be 60.
BOOL GetScrollBarInfo(HWND hwnd, LONG idObject, SCROLLBARINFO* info);

}  // namespace win
