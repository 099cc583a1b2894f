// The standard scroll bars of a window: their state lives on the window
// (Window::scroll); the frame painter draws them and a click on them sends
// the scroll requests a window procedure expects.
#include "platform/win/scrollinfo.h"

#include <algorithm>

#include "platform/gdi/dc.h"
#include "platform/gdi/draw.h"
#include "platform/gdi/edge.h"
#include "platform/gdi/objects.h"
#include "platform/rtl/mainloop.h"
#include "platform/win/impl/state.h"
#include "platform/win/input.h"
#include "platform/win/message_loop.h"

namespace win {
using namespace impl;

namespace {

DWORD scrollStyleOf(int bar) { return bar == SB_HORZ ? WS_HSCROLL : WS_VSCROLL; }

// The bar's rectangle in window coordinates (empty when not shown).
RECT scrollBarRect(Window* w, int bar) {
  RECT in;
  int cap = 0;
  nonClientMetrics(w->style & ~(WS_VSCROLL | WS_HSCROLL), w->exStyle, &in, &cap);
  const RECT r{in.left, in.top, w->width() - in.right, w->height() - in.bottom};
  if (bar == SB_VERT) {
    if (!(w->style & WS_VSCROLL)) return RECT{};
    return RECT{r.right - kScrollBarSize, r.top, r.right, r.bottom - ((w->style & WS_HSCROLL) ? kScrollBarSize : 0)};
  }
  if (!(w->style & WS_HSCROLL)) return RECT{};
  return RECT{r.left, r.bottom - kScrollBarSize, r.right - ((w->style & WS_VSCROLL) ? kScrollBarSize : 0), r.bottom};
}

// Where the parts of a bar lie along its length: arrows, then the thumb.
struct ScrollBarLayout {
  int length = 0;  // the bar's length
  int arrow = 0;   // each arrow button
  int thumbTop = 0;
  int thumbBottom = 0;  // equal to thumbTop: no thumb
};

bool scrollable(const Window::ScrollBarState& s) {
  const long long size = (long long)s.max - s.min + 1;
  return !s.disabled && (s.page == 0 ? s.max > s.min : size > (long long)s.page);
}

ScrollBarLayout scrollLayout(const Window::ScrollBarState& s, int length) {
  ScrollBarLayout l;
  l.length = std::max(length, 0);
  l.arrow = std::min(kScrollBarSize, l.length / 2);
  const int track = l.length - 2 * l.arrow;
  if (!scrollable(s) || track < 8) {
    l.thumbTop = l.thumbBottom = l.arrow;
    return l;
  }
  const long long size = (long long)s.max - s.min + 1;
  int thumb = s.page == 0 ? kScrollBarSize : int((long long)track * s.page / size);
  thumb = std::clamp(thumb, 8, track);
  const long long span = s.page == 0 ? (long long)s.max - s.min : size - s.page;
  // A dragged thumb stays under the pointer whatever the owner does with the position.
  const int shown = s.tracking ? s.trackPos : s.pos;
  const int offset = span <= 0 ? 0 : int((long long)(track - thumb) * (shown - s.min) / span);
  l.thumbTop = l.arrow + offset;
  l.thumbBottom = l.thumbTop + thumb;
  return l;
}

int maxPosOf(const Window::ScrollBarState& s) {
  return s.page == 0 ? s.max : std::max(s.min, int(s.max - int(s.page) + 1));
}

// The position a thumb whose top lies `thumbTop` along the bar stands for
// (rounded to the nearest; the ends of the track give the ends of the range).
int positionAtThumb(const Window::ScrollBarState& s, const ScrollBarLayout& l, int thumbTop) {
  const int free = l.length - 2 * l.arrow - (l.thumbBottom - l.thumbTop);
  const long long span = (long long)maxPosOf(s) - s.min;
  if (free <= 0 || span <= 0) return s.min;
  const long long offset = std::clamp(thumbTop - l.arrow, 0, free);
  return int(s.min + (offset * span * 2 + free) / (2LL * free));
}

void redrawFrame(Window* w) {
  RedrawWindow(w->handle, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_NOCHILDREN);
}

void setBarShown(Window* w, int bar, bool show) {
  const DWORD flag = scrollStyleOf(bar);
  if (((w->style & flag) != 0) == show) return;
  if (show)
    w->style |= flag;
  else
    w->style &= ~flag;
  SetWindowPos(w->handle, nullptr, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

void drawBar(Window* w, HDC dc, int bar) {
  const RECT rc = scrollBarRect(w, bar);
  if (rc.right <= rc.left || rc.bottom <= rc.top) return;
  const bool vertical = bar == SB_VERT;
  const Window::ScrollBarState& s = w->scroll[bar];
  const ScrollBarLayout l = scrollLayout(s, vertical ? rc.bottom - rc.top : rc.right - rc.left);
  const UINT inactive = scrollable(s) ? 0 : gdi::DFCS_INACTIVE;
  auto along = [&](int from, int to) {
    return vertical ? RECT{rc.left, rc.top + from, rc.right, rc.top + to}
                    : RECT{rc.left + from, rc.top, rc.left + to, rc.bottom};
  };
  gdi::FillRect(dc, &rc, gdi::GetSysColorBrush(gdi::COLOR_SCROLLBAR));
  RECT first = along(0, l.arrow), last = along(l.length - l.arrow, l.length);
  gdi::DrawFrameControl(dc, &first, gdi::DFC_SCROLL, (vertical ? gdi::DFCS_SCROLLUP : gdi::DFCS_SCROLLLEFT) | inactive);
  gdi::DrawFrameControl(dc, &last, gdi::DFC_SCROLL, (vertical ? gdi::DFCS_SCROLLDOWN : gdi::DFCS_SCROLLRIGHT) | inactive);
  if (l.thumbBottom > l.thumbTop) {
    RECT thumb = along(l.thumbTop, l.thumbBottom);
    gdi::DrawEdge(dc, &thumb, gdi::EDGE_RAISED, gdi::BF_RECT | gdi::BF_MIDDLE);
  }
}

Window::ScrollBarState* barState(HWND hwnd, int bar, Window** out = nullptr) {
  Window* w = find(hwnd);
  if (!w || (bar != SB_HORZ && bar != SB_VERT)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  if (out) *out = w;
  return &w->scroll[bar];
}

}  // namespace

// ---- frame painting and clicks (called by the default window procedure) -----------------------

namespace {

// Dragging the thumb: the pointer is followed with the capture until the
// button is released. Each move that changes the position sends
// SB_THUMBTRACK, the release SB_THUMBPOSITION and SB_ENDSCROLL; the full
// 32-bit position is GetScrollInfo's nTrackPos (the message carries only its
// low 16 bits). Esc puts the thumb back where it was.
void trackThumb(Window* w, int bar, int grab) {
  const HWND hwnd = w->handle;
  const bool vertical = bar == SB_VERT;
  const UINT msg = vertical ? WM_VSCROLL : WM_HSCROLL;
  const POINT origin = windowOriginOnScreen(w);
  const RECT rc = scrollBarRect(w, bar);
  const int length = vertical ? rc.bottom - rc.top : rc.right - rc.left;
  auto hold = keep(w);
  Window::ScrollBarState& s = w->scroll[bar];
  const int original = s.pos;
  s.trackPos = s.pos;
  s.tracking = true;
  SetCapture(hwnd);
  auto notify = [&](WORD code, int pos) {
    if (!w->dead) send(w, msg, MAKEWPARAM(code, WORD(pos)), 0);
  };
  auto moveTo = [&](int pos) {
    if (pos == s.trackPos) return;
    s.trackPos = pos;
    redrawFrame(w);
    notify(SB_THUMBTRACK, pos);
  };
  const bool cancelled = trackPressedMouse(w, [&](POINT pt) {
    const int at = vertical ? pt.y - origin.y - rc.top : pt.x - origin.x - rc.left;
    moveTo(positionAtThumb(s, scrollLayout(s, length), at - grab));
  });
  if (cancelled) moveTo(original);
  if (w->dead) return;
  if (GetCapture() == hwnd) ReleaseCapture();
  const int final = s.trackPos;
  notify(SB_THUMBPOSITION, final);
  if (w->dead) return;
  s.tracking = false;
  redrawFrame(w);
  notify(SB_ENDSCROLL, 0);
}

}  // namespace

void impl::drawScrollBars(Window* w, HDC dc, const RECT&) {
  drawBar(w, dc, SB_VERT);
  drawBar(w, dc, SB_HORZ);
  if ((w->style & WS_VSCROLL) && (w->style & WS_HSCROLL)) {
    const RECT v = scrollBarRect(w, SB_VERT), h = scrollBarRect(w, SB_HORZ);
    const RECT corner{v.left, h.top, v.right, h.bottom};
    gdi::FillRect(dc, &corner, gdi::GetSysColorBrush(gdi::COLOR_BTNFACE));
  }
}

void impl::scrollBarClick(Window* w, WPARAM hit, LPARAM screenPoint) {
  const int bar = hit == WPARAM(HTVSCROLL) ? SB_VERT : SB_HORZ;
  const Window::ScrollBarState& s = w->scroll[bar];
  if (!scrollable(s)) return;
  const RECT rc = scrollBarRect(w, bar);
  const POINT origin = windowOriginOnScreen(w);
  const bool vertical = bar == SB_VERT;
  const int at = vertical ? GET_Y_LPARAM(screenPoint) - origin.y - rc.top
                          : GET_X_LPARAM(screenPoint) - origin.x - rc.left;
  const ScrollBarLayout l = scrollLayout(s, vertical ? rc.bottom - rc.top : rc.right - rc.left);
  WORD code;
  if (at < l.arrow)
    code = SB_LINEUP;
  else if (at >= l.length - l.arrow)
    code = SB_LINEDOWN;
  else if (at < l.thumbTop)
    code = SB_PAGEUP;
  else if (at >= l.thumbBottom)
    code = SB_PAGEDOWN;
  else {
    trackThumb(w, bar, at - l.thumbTop);
    return;
  }
  const UINT msg = vertical ? WM_VSCROLL : WM_HSCROLL;
  auto hold = keep(w);
  send(w, msg, MAKEWPARAM(code, 0), 0);
  if (!w->dead) send(w, msg, MAKEWPARAM(SB_ENDSCROLL, 0), 0);
}

// ---- the calls ------------------------------------------------------------------------------

int SetScrollInfo(HWND hwnd, int bar, const SCROLLINFO* si, BOOL redraw) {
  requireMainThread("SetScrollInfo");
  Window* w = nullptr;
  Window::ScrollBarState* s = barState(hwnd, bar, &w);
  if (!s || !si || si->cbSize != sizeof(SCROLLINFO)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return s ? s->pos : 0;
  }
  if (si->fMask & SIF_RANGE) {
    s->min = si->nMin;
    s->max = std::max(si->nMin, si->nMax);
  }
  if (si->fMask & SIF_PAGE) s->page = si->nPage;
  const long long size = (long long)s->max - s->min + 1;
  if ((long long)s->page > size) s->page = UINT(size);
  if (si->fMask & SIF_POS) s->pos = si->nPos;
  s->pos = std::clamp(s->pos, s->min, maxPosOf(*s));
  s->given = true;
  if (si->fMask & (SIF_RANGE | SIF_PAGE)) {
    const bool needed = s->page == 0 ? s->max > s->min : size > (long long)s->page;
    if (needed) {
      s->disabled = false;
      setBarShown(w, bar, true);
    } else if (si->fMask & SIF_DISABLENOSCROLL) {
      s->disabled = true;
      setBarShown(w, bar, true);
    } else {
      setBarShown(w, bar, false);
    }
  }
  if (redraw && !w->dead) redrawFrame(w);
  return s->pos;
}

BOOL GetScrollInfo(HWND hwnd, int bar, SCROLLINFO* si) {
  requireMainThread("GetScrollInfo");
  Window* w = nullptr;
  const Window::ScrollBarState* s = barState(hwnd, bar, &w);
  if (!s || !si || si->cbSize != sizeof(SCROLLINFO)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (!s->given && !(w->style & scrollStyleOf(bar))) return FALSE;
  if (si->fMask & SIF_RANGE) {
    si->nMin = s->min;
    si->nMax = s->max;
  }
  if (si->fMask & SIF_PAGE) si->nPage = s->page;
  if (si->fMask & SIF_POS) si->nPos = s->pos;
  if (si->fMask & SIF_TRACKPOS) si->nTrackPos = s->tracking ? s->trackPos : s->pos;
  return TRUE;
}

int SetScrollPos(HWND hwnd, int bar, int pos, BOOL redraw) {
  Window::ScrollBarState* s = barState(hwnd, bar);
  if (!s) return 0;
  const int previous = s->pos;
  SCROLLINFO si;
  si.fMask = SIF_POS;
  si.nPos = pos;
  SetScrollInfo(hwnd, bar, &si, redraw);
  return previous;
}

int GetScrollPos(HWND hwnd, int bar) {
  const Window::ScrollBarState* s = barState(hwnd, bar);
  return s ? s->pos : 0;
}

BOOL SetScrollRange(HWND hwnd, int bar, int minPos, int maxPos, BOOL redraw) {
  if (!barState(hwnd, bar)) return FALSE;
  SCROLLINFO si;
  si.fMask = SIF_RANGE;
  si.nMin = minPos;
  si.nMax = maxPos;
  SetScrollInfo(hwnd, bar, &si, redraw);
  return TRUE;
}

BOOL GetScrollRange(HWND hwnd, int bar, int* minPos, int* maxPos) {
  const Window::ScrollBarState* s = barState(hwnd, bar);
  if (!s) return FALSE;
  if (minPos) *minPos = s->min;
  if (maxPos) *maxPos = s->max;
  return TRUE;
}

BOOL ShowScrollBar(HWND hwnd, int bar, BOOL show) {
  requireMainThread("ShowScrollBar");
  Window* w = find(hwnd);
  if (!w || bar < SB_HORZ || bar > SB_BOTH || bar == SB_CTL) {
    SetLastError(w ? ERROR_INVALID_PARAMETER : ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  auto hold = keep(w);
  if (bar == SB_HORZ || bar == SB_BOTH) setBarShown(w, SB_HORZ, show != FALSE);
  if (!w->dead && (bar == SB_VERT || bar == SB_BOTH)) setBarShown(w, SB_VERT, show != FALSE);
  return TRUE;
}

BOOL EnableScrollBar(HWND hwnd, UINT bar, UINT arrows) {
  Window* w = find(hwnd);
  if (!w || bar > UINT(SB_BOTH) || bar == UINT(SB_CTL)) return FALSE;
  const bool disable = (arrows & ESB_DISABLE_BOTH) == ESB_DISABLE_BOTH;
  bool changed = false;
  for (int b = SB_HORZ; b <= SB_VERT; ++b) {
    if (bar != UINT(SB_BOTH) && bar != UINT(b)) continue;
    changed = changed || w->scroll[b].disabled != disable;
    w->scroll[b].disabled = disable;
  }
  if (changed) redrawFrame(w);
  return changed ? TRUE : FALSE;
}

BOOL GetScrollBarInfo(HWND hwnd, LONG idObject, SCROLLBARINFO* info) {
  requireMainThread("GetScrollBarInfo");
  Window* w = find(hwnd);
  if (!w) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  if (!info || info->cbSize != sizeof(SCROLLBARINFO) || (idObject != OBJID_HSCROLL && idObject != OBJID_VSCROLL)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const int bar = idObject == OBJID_VSCROLL ? SB_VERT : SB_HORZ;
  const bool vertical = bar == SB_VERT;
  *info = SCROLLBARINFO{};
  RECT rc = scrollBarRect(w, bar);
  if (!(w->style & scrollStyleOf(bar))) {
    // Where the bar would be, as an invisible one.
    const DWORD saved = w->style;
    w->style |= scrollStyleOf(bar);
    rc = scrollBarRect(w, bar);
    w->style = saved;
    info->rgstate[0] |= STATE_SYSTEM_INVISIBLE;
  }
  const POINT origin = windowOriginOnScreen(w);
  info->rcScrollBar = RECT{rc.left + origin.x, rc.top + origin.y, rc.right + origin.x, rc.bottom + origin.y};
  const int length = vertical ? rc.bottom - rc.top : rc.right - rc.left;
  // A window too small for the bar keeps it out of sight.
  if (length <= 0 || rc.right <= rc.left || rc.bottom <= rc.top) info->rgstate[0] |= STATE_SYSTEM_OFFSCREEN;
  const Window::ScrollBarState& s = w->scroll[bar];
  if (!scrollable(s)) {
    info->rgstate[0] |= STATE_SYSTEM_UNAVAILABLE;
    for (int i = 1; i < 6; ++i) info->rgstate[i] |= STATE_SYSTEM_UNAVAILABLE;
  }
  const ScrollBarLayout l = scrollLayout(s, length);
  info->dxyLineButton = l.arrow;
  info->xyThumbTop = l.thumbTop;
  info->xyThumbBottom = l.thumbBottom;
  if (l.thumbBottom == l.thumbTop) info->rgstate[3] |= STATE_SYSTEM_INVISIBLE;
  return TRUE;
}

}  // namespace win
