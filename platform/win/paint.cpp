// The paint cycle: update regions, the DCs windows draw with, the frame we
// draw ourselves, scrolling, and composing into the top-level surfaces.
#include "platform/win/paint.h"

#include <algorithm>

#include "platform/gdi/blit.h"
#include "platform/gdi/dc.h"
#include "platform/gdi/draw.h"
#include "platform/gdi/edge.h"
#include "platform/gdi/objects.h"
#include "platform/gdi/region.h"
#include "platform/gdi/text.h"
#include "platform/win/impl/state.h"

namespace win {
namespace impl {

namespace {

HRGN rectRgn(const RECT& r) { return gdi::CreateRectRgn(r.left, r.top, r.right, r.bottom); }

bool rgnEmpty(HRGN rgn) {
  RECT box{};
  return !rgn || gdi::GetRgnBox(rgn, &box) == gdi::NULLREGION;
}

void andRect(HRGN rgn, const RECT& r) {
  HRGN t = rectRgn(r);
  gdi::CombineRgn(rgn, rgn, t, gdi::RGN_AND);
  gdi::DeleteObject(t);
}

void subRect(HRGN rgn, const RECT& r) {
  HRGN t = rectRgn(r);
  gdi::CombineRgn(rgn, rgn, t, gdi::RGN_DIFF);
  gdi::DeleteObject(t);
}

// The window's shape in top-level coordinates, or its rectangle.
void subtractWindow(HRGN rgn, Window* w) {
  RECT wr = windowRectInTop(w);
  if (w->windowRgn) {
    HRGN t = gdi::CreateRectRgn(0, 0, 0, 0);
    gdi::CombineRgn(t, w->windowRgn, nullptr, gdi::RGN_COPY);
    gdi::OffsetRgn(t, wr.left, wr.top);
    gdi::CombineRgn(rgn, rgn, t, gdi::RGN_DIFF);
    gdi::DeleteObject(t);
  } else {
    subRect(rgn, wr);
  }
}

void intersectShape(HRGN rgn, Window* w) {
  if (!w->windowRgn) return;
  RECT wr = windowRectInTop(w);
  HRGN t = gdi::CreateRectRgn(0, 0, 0, 0);
  gdi::CombineRgn(t, w->windowRgn, nullptr, gdi::RGN_COPY);
  gdi::OffsetRgn(t, wr.left, wr.top);
  gdi::CombineRgn(rgn, rgn, t, gdi::RGN_AND);
  gdi::DeleteObject(t);
}

RECT clientBounds(Window* w) {
  return RECT{0, 0, w->client.right - w->client.left, w->client.bottom - w->client.top};
}

HBRUSH classBrush(Window* w) {
  HBRUSH b = w->cls->wc.hbrBackground;
  const auto v = reinterpret_cast<std::uintptr_t>(b);
  if (v > 0 && v <= std::uintptr_t(gdi::SYS_COLOR_COUNT)) return gdi::GetSysColorBrush(int(v - 1));
  return b;
}

struct ScreenDC {
  std::unique_ptr<gdi::ImageBGRA> image;
};
ScreenDC& screenDC() {
  static ScreenDC* s = new ScreenDC;
  return *s;
}

void addUpdate(Window* w, HRGN area, bool erase) {
  if (rgnEmpty(area)) return;
  if (!w->update) w->update = gdi::CreateRectRgn(0, 0, 0, 0);
  gdi::CombineRgn(w->update, w->update, area, gdi::RGN_OR);
  if (erase) w->erasePending = true;
}

void subUpdate(Window* w, HRGN area) {
  if (!w->update) return;
  gdi::CombineRgn(w->update, w->update, area, gdi::RGN_DIFF);
  if (rgnEmpty(w->update)) {
    gdi::DeleteObject(w->update);
    w->update = nullptr;
    w->erasePending = false;
  }
}

// `area` is in the client coordinates of `w`.
void redrawTree(Window* w, HRGN area, UINT flags, bool top) {
  if (w->dead) return;
  if (flags & RDW_INVALIDATE) {
    addUpdate(w, area, (flags & RDW_ERASE) != 0);
    if ((flags & RDW_FRAME) && top) w->framePending = true;
  }
  if ((flags & RDW_INTERNALPAINT) && top) w->internalPaint = true;
  if (flags & RDW_VALIDATE) {
    subUpdate(w, area);
    if (flags & RDW_NOFRAME) w->framePending = false;
    if (flags & RDW_NOINTERNALPAINT) w->internalPaint = false;
    if (flags & RDW_NOERASE) w->erasePending = false;
  }
  const bool children = (flags & RDW_ALLCHILDREN) ||
                        (!(flags & RDW_NOCHILDREN) && !(w->style & WS_CLIPCHILDREN));
  if (!children) return;
  for (Window* c : w->children) {
    if (!(c->style & WS_VISIBLE)) continue;
    // The child's window rectangle in our client coordinates.
    HRGN part = rectRgn(c->rect);
    gdi::CombineRgn(part, part, area, gdi::RGN_AND);
    if (!rgnEmpty(part)) {
      gdi::OffsetRgn(part, -(c->rect.left + c->client.left), -(c->rect.top + c->client.top));
      UINT childFlags = flags;
      if (flags & RDW_INVALIDATE) {
        // The child's frame lies under what was invalidated.
        RECT box{};
        HRGN nc = rectRgn(RECT{-c->client.left, -c->client.top, c->width() - c->client.left,
                               c->height() - c->client.top});
        subRect(nc, clientBounds(c));
        gdi::CombineRgn(nc, nc, part, gdi::RGN_AND);
        if (gdi::GetRgnBox(nc, &box) != gdi::NULLREGION) c->framePending = true;
        gdi::DeleteObject(nc);
      }
      andRect(part, clientBounds(c));
      redrawTree(c, part, childFlags, false);
    }
    gdi::DeleteObject(part);
  }
}

void paintNow(Window* w, UINT flags, bool children) {
  if (w->dead || !isVisible(w)) return;
  auto hold = keep(w);
  if (flags & RDW_UPDATENOW) {
    if (needsPaint(w)) {
      send(w, WM_PAINT, 0, 0);
    } else if (w->framePending) {
      paintFrameNow(w);
    }
  } else if (flags & RDW_ERASENOW) {
    if (w->framePending) paintFrameNow(w);
    if (!w->dead && w->erasePending && w->update) {
      HDC dc = GetDCEx(w->handle, nullptr, DCX_INTERSECTUPDATE | DCX_CACHE |
                                               ((w->style & WS_CLIPCHILDREN) ? DCX_CLIPCHILDREN : 0) |
                                               ((w->style & WS_CLIPSIBLINGS) ? DCX_CLIPSIBLINGS : 0));
      w->erasePending = false;
      send(w, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
      ReleaseDC(w->handle, dc);
    }
  }
  if (!children || w->dead) return;
  std::vector<Window*> kids = w->children;
  for (auto it = kids.rbegin(); it != kids.rend(); ++it) {
    auto k = keep(*it);
    if (k && !(*it)->dead) paintNow(*it, flags, true);
  }
}

HDC makeDC(Window* w, bool wholeWindow, bool clipChildren, bool clipSiblings, HRGN extra,
           int extraMode, bool paint) {
  Window* top = topLevelOf(w);
  ensureSurface(top);
  HRGN vis;
  if (isVisible(w)) {
    vis = visibleRegion(w, !wholeWindow, clipChildren, clipSiblings);
  } else {
    vis = gdi::CreateRectRgn(0, 0, 0, 0);
  }
  const RECT area = wholeWindow ? windowRectInTop(w) : clientRectInTop(w);
  if (extra) {
    HRGN t = gdi::CreateRectRgn(0, 0, 0, 0);
    gdi::CombineRgn(t, extra, nullptr, gdi::RGN_COPY);
    gdi::OffsetRgn(t, area.left, area.top);
    gdi::CombineRgn(vis, vis, t, extraMode);
    gdi::DeleteObject(t);
  }
  RECT bounds{};
  gdi::GetRgnBox(vis, &bounds);
  gdi::OffsetRgn(vis, -area.left, -area.top);
  HDC dc = gdi::CreateSurfaceDC(top->surface->view(), POINT{area.left, area.top}, vis);
  gdi::DeleteObject(vis);
  DCRec rec;
  rec.hwnd = w->handle;
  rec.top = top;
  rec.surfaceBounds = bounds;
  rec.paint = paint;
  state().dcs[dc] = rec;
  caretHideForPaint(top);
  return dc;
}

void finishDC(HDC dc) {
  State& st = state();
  auto it = st.dcs.find(dc);
  if (it == st.dcs.end()) return;
  DCRec rec = it->second;
  st.dcs.erase(it);
  gdi::DeleteDC(dc);
  Window* top = find(rec.top ? rec.top->handle : nullptr);
  if (top) {
    addDirty(top, rec.surfaceBounds);
    caretRestoreAfterPaint(top);
  }
}

// The window text in the caption bar: the caption font of the non-client
// metrics, one line, cut with an ellipsis before the buttons.
void drawCaptionText(Window* w, HDC dc, RECT area, bool active) {
  if (w->text.empty() || area.right <= area.left) return;
  NONCLIENTMETRICSW ncm;
  gdi::LOGFONTW lf{};
  if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof ncm, &ncm, 0)) {
    lf = ncm.lfCaptionFont;
  } else {
    lf.lfHeight = -11;
    lf.lfWeight = 700;
    const char16_t face[] = u"Tahoma";
    std::copy(std::begin(face), std::end(face), lf.lfFaceName);
  }
  HFONT font = gdi::CreateFontIndirectW(&lf);
  const int saved = gdi::SaveDC(dc);
  if (font) gdi::SelectObject(dc, font);
  gdi::SetBkMode(dc, gdi::TRANSPARENT);
  gdi::SetTextColor(dc, gdi::GetSysColor(active ? gdi::COLOR_CAPTIONTEXT : gdi::COLOR_INACTIVECAPTIONTEXT));
  gdi::DrawTextW(dc, w->text.c_str(), int(w->text.size()), &area,
                 gdi::DT_LEFT | gdi::DT_SINGLELINE | gdi::DT_VCENTER | gdi::DT_END_ELLIPSIS | gdi::DT_NOPREFIX);
  gdi::RestoreDC(dc, saved);
  if (font) gdi::DeleteObject(font);
}

}  // namespace

void ensureSurface(Window* top) {
  const int w = std::max(1, top->width()), h = std::max(1, top->height());
  if (top->surface && top->surface->width == w && top->surface->height == h) return;
  auto fresh = std::make_unique<gdi::ImageBGRA>(w, h, 0);
  if (top->surface) {
    const int cw = std::min(w, top->surface->width), ch = std::min(h, top->surface->height);
    for (int y = 0; y < ch; ++y) {
      std::copy_n(&top->surface->at(0, y), cw, &fresh->at(0, y));
    }
  }
  top->surface = std::move(fresh);
}

void addDirty(Window* top, const RECT& rc) {
  RECT r = rc;
  RECT bounds{0, 0, top->width(), top->height()};
  if (!gdi::IntersectRect(&r, &r, &bounds)) return;
  if (gdi::IsRectEmpty(&top->dirty)) {
    top->dirty = r;
  } else {
    gdi::UnionRect(&top->dirty, &top->dirty, &r);
  }
}

void presentDirty() {
  State& st = state();
  if (!st.backend) return;
  for (Window* t : std::vector<Window*>(st.topLevels)) {
    if (gdi::IsRectEmpty(&t->dirty) || !t->surface) continue;
    RECT d = t->dirty;
    t->dirty = RECT{};
    if (t->hasNative && (t->style & WS_VISIBLE)) st.backend->Present(t->handle, t->surface->view(), d);
  }
}

bool needsPaint(Window* w) {
  if (!isVisible(w) || w->dead) return false;
  if (topLevelOf(w)->layeredContents) return false;
  return (w->update != nullptr) || w->internalPaint;
}

Window* findWindowToPaint() {
  State& st = state();
  std::vector<Window*> stack;
  for (auto it = st.topLevels.rbegin(); it != st.topLevels.rend(); ++it) stack.push_back(*it);
  // Depth first, parents before children, topmost first.
  std::vector<Window*> order;
  std::vector<Window*> todo(st.topLevels.begin(), st.topLevels.end());
  std::reverse(todo.begin(), todo.end());
  while (!todo.empty()) {
    Window* w = todo.back();
    todo.pop_back();
    if (!(w->style & WS_VISIBLE) || w->dead) continue;
    if (w->layeredContents) continue;  // its pixels were given whole
    if (w->framePending && !needsPaint(w)) {
      paintFrameNow(w);
      if (w->dead) return findWindowToPaint();
    }
    if (needsPaint(w)) return w;
    for (auto it = w->children.rbegin(); it != w->children.rend(); ++it) todo.push_back(*it);
  }
  return nullptr;
}

void paintFrameNow(Window* w) {
  w->framePending = false;
  if (topLevelOf(w)->layeredContents) return;
  if (w->client.left == 0 && w->client.top == 0 && w->client.right == w->width() &&
      w->client.bottom == w->height()) {
    return;  // no frame
  }
  send(w, WM_NCPAINT, 1, 0);
}

void releasePaintState(Window* w) {
  if (w->update) {
    gdi::DeleteObject(w->update);
    w->update = nullptr;
  }
  State& st = state();
  for (auto it = st.dcs.begin(); it != st.dcs.end();) {
    if (it->second.hwnd == w->handle) {
      gdi::DeleteDC(it->first);
      it = st.dcs.erase(it);
    } else {
      if (it->second.top == w) it->second.top = nullptr;
      ++it;
    }
  }
}

HRGN visibleRegion(Window* w, bool client, bool clipChildren, bool clipSiblings) {
  Window* top = topLevelOf(w);
  RECT r = client ? clientRectInTop(w) : windowRectInTop(w);
  HRGN rgn = rectRgn(r);
  intersectShape(rgn, w);
  if (clipChildren) {
    for (Window* c : w->children) {
      if (c->style & WS_VISIBLE) subtractWindow(rgn, c);
    }
  }
  Window* cur = w;
  bool siblings = clipSiblings;
  while (cur->isChild()) {
    Window* p = cur->parent;
    if (siblings) {
      for (Window* s : p->children) {
        if (s == cur) break;
        if (s->style & WS_VISIBLE) subtractWindow(rgn, s);
      }
    }
    andRect(rgn, clientRectInTop(p));
    intersectShape(rgn, p);
    siblings = (p->style & WS_CLIPSIBLINGS) != 0;
    cur = p;
  }
  andRect(rgn, RECT{0, 0, top->width(), top->height()});
  return rgn;
}

void drawNonClient(Window* w, HDC dc, int activeState) {
  RECT in;
  int cap = 0;
  nonClientMetrics(w->style, w->exStyle, &in, &cap);
  RECT r{0, 0, w->width(), w->height()};
  int frame = 0;
  if (w->style & WS_THICKFRAME) {
    frame = 4;
  } else if ((w->style & WS_DLGFRAME) || (w->exStyle & WS_EX_DLGMODALFRAME)) {
    frame = 3;
  } else if (w->style & WS_BORDER) {
    frame = 1;
  }
  if (frame == 1) {
    gdi::FrameRect(dc, &r, gdi::GetSysColorBrush(gdi::COLOR_WINDOWFRAME));
    gdi::InflateRect(&r, -1, -1);
  } else if (frame > 1) {
    RECT e = r;
    gdi::DrawEdge(dc, &e, gdi::EDGE_RAISED, gdi::BF_RECT);
    HBRUSH face = gdi::GetSysColorBrush(gdi::COLOR_BTNFACE);
    for (int i = 2; i < frame; ++i) {
      RECT ring = r;
      gdi::InflateRect(&ring, -i, -i);
      gdi::FrameRect(dc, &ring, face);
    }
    gdi::InflateRect(&r, -frame, -frame);
  }
  if (cap > 0) {
    const bool active = activeState >= 0 ? activeState == 1
                                         : (topLevelOf(w)->handle == state().active && state().appActive);
    RECT c{r.left, r.top, r.right, r.top + cap - 1};
    gdi::FillRect(dc, &c, gdi::GetSysColorBrush(active ? gdi::COLOR_ACTIVECAPTION : gdi::COLOR_INACTIVECAPTION));
    RECT line{r.left, r.top + cap - 1, r.right, r.top + cap};
    gdi::FillRect(dc, &line, gdi::GetSysColorBrush(gdi::COLOR_BTNFACE));
    int textRight = c.right - 2;
    if (w->style & WS_SYSMENU) {
      // The close button: a raised face with a cross.
      const int bh = cap - 5, bw = bh + 2;
      RECT b{c.right - 2 - bw, c.top + 2, c.right - 2, c.top + 2 + bh};
      textRight = b.left - 2;
      gdi::DrawEdge(dc, &b, gdi::EDGE_RAISED, gdi::BF_RECT | gdi::BF_MIDDLE);
      gdi::HGDIOBJ old = gdi::SelectObject(dc, gdi::GetStockObject(gdi::BLACK_PEN));
      const int cx = (b.left + b.right) / 2 - 1, cy = (b.top + b.bottom) / 2 - 1;
      for (int d = 0; d < 2; ++d) {
        gdi::MoveToEx(dc, cx - 3 + d, cy - 3, nullptr);
        gdi::LineTo(dc, cx + 4 + d, cy + 4);
        gdi::MoveToEx(dc, cx + 3 + d, cy - 3, nullptr);
        gdi::LineTo(dc, cx - 4 + d, cy + 4);
      }
      gdi::SelectObject(dc, old);
    }
    drawCaptionText(w, dc, RECT{c.left + 4, c.top, textRight, c.bottom}, active);
    r.top += cap;
  }
  if (w->exStyle & WS_EX_CLIENTEDGE) {
    gdi::DrawEdge(dc, &r, gdi::EDGE_SUNKEN, gdi::BF_RECT | gdi::BF_ADJUST);
  }
  if (w->exStyle & WS_EX_STATICEDGE) {
    gdi::DrawEdge(dc, &r, gdi::BDR_SUNKENOUTER, gdi::BF_RECT | gdi::BF_ADJUST);
  }
  drawScrollBars(w, dc, r);
}

void invalidateWindowArea(Window* w, const RECT* clientRc, bool erase, bool frame) {
  RedrawWindow(w->handle, clientRc, nullptr,
               RDW_INVALIDATE | (erase ? RDW_ERASE : 0) | (frame ? RDW_FRAME : 0));
}

LRESULT defaultErase(Window* w, HDC dc) {
  HBRUSH b = classBrush(w);
  if (!b) return 0;
  RECT box{};
  gdi::GetClipBox(dc, &box);
  gdi::FillRect(dc, &box, b);
  return 1;
}

}  // namespace impl

using namespace impl;

BOOL RedrawWindow(HWND hwnd, const RECT* rcUpdate, HRGN rgnUpdate, UINT flags) {
  requireMainThread("RedrawWindow");
  State& st = state();
  if (!hwnd) {
    for (Window* t : std::vector<Window*>(st.topLevels)) {
      auto k = keep(t);
      if (k && !t->dead) RedrawWindow(t->handle, nullptr, nullptr, flags);
    }
    return TRUE;
  }
  Window* w = find(hwnd);
  if (!w) return FALSE;
  auto hold = keep(w);
  HRGN area;
  if (rgnUpdate) {
    area = gdi::CreateRectRgn(0, 0, 0, 0);
    gdi::CombineRgn(area, rgnUpdate, nullptr, gdi::RGN_COPY);
  } else if (rcUpdate) {
    area = rectRgn(*rcUpdate);
  } else {
    area = rectRgn(clientBounds(w));
  }
  andRect(area, clientBounds(w));
  if ((flags & RDW_INVALIDATE) && (flags & RDW_FRAME) && !rcUpdate && !rgnUpdate) w->framePending = true;
  redrawTree(w, area, flags & ~RDW_FRAME, true);
  if ((flags & RDW_INVALIDATE) && (flags & RDW_FRAME)) w->framePending = true;
  gdi::DeleteObject(area);
  if (flags & (RDW_UPDATENOW | RDW_ERASENOW)) {
    const bool children = (flags & RDW_ALLCHILDREN) ||
                          (!(flags & RDW_NOCHILDREN) && !(w->style & WS_CLIPCHILDREN));
    paintNow(w, flags, children);
  }
  return TRUE;
}

BOOL InvalidateRect(HWND hwnd, const RECT* rc, BOOL erase) {
  if (!hwnd) return RedrawWindow(nullptr, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
  return RedrawWindow(hwnd, rc, nullptr, RDW_INVALIDATE | (erase ? RDW_ERASE : 0));
}

BOOL InvalidateRgn(HWND hwnd, HRGN rgn, BOOL erase) {
  return RedrawWindow(hwnd, nullptr, rgn, RDW_INVALIDATE | (erase ? RDW_ERASE : 0));
}

BOOL ValidateRect(HWND hwnd, const RECT* rc) {
  return RedrawWindow(hwnd, rc, nullptr, RDW_VALIDATE | RDW_NOCHILDREN);
}

BOOL ValidateRgn(HWND hwnd, HRGN rgn) { return RedrawWindow(hwnd, nullptr, rgn, RDW_VALIDATE | RDW_NOCHILDREN); }

BOOL GetUpdateRect(HWND hwnd, RECT* rc, BOOL erase) {
  Window* w = find(hwnd);
  if (!w) return FALSE;
  RECT box{};
  if (w->update) gdi::GetRgnBox(w->update, &box);
  if (rc) *rc = box;
  if (erase && w->update) RedrawWindow(hwnd, nullptr, nullptr, RDW_ERASENOW | RDW_NOCHILDREN);
  return gdi::IsRectEmpty(&box) ? FALSE : TRUE;
}

int GetUpdateRgn(HWND hwnd, HRGN rgn, BOOL erase) {
  Window* w = find(hwnd);
  if (!w || !rgn) return gdi::ERROR;
  int result;
  if (w->update) {
    result = gdi::CombineRgn(rgn, w->update, nullptr, gdi::RGN_COPY);
  } else {
    gdi::SetRectRgn(rgn, 0, 0, 0, 0);
    result = gdi::NULLREGION;
  }
  if (erase && w->update) RedrawWindow(hwnd, nullptr, nullptr, RDW_ERASENOW | RDW_NOCHILDREN);
  return result;
}

BOOL UpdateWindow(HWND hwnd) {
  Window* w = find(hwnd);
  if (!w) return FALSE;
  return RedrawWindow(hwnd, nullptr, nullptr, RDW_UPDATENOW | RDW_NOCHILDREN);
}

HDC BeginPaint(HWND hwnd, PAINTSTRUCT* ps) {
  requireMainThread("BeginPaint");
  Window* w = find(hwnd);
  if (!w || !ps) return nullptr;
  auto hold = keep(w);
  if (w->framePending) {
    paintFrameNow(w);
    if (w->dead) return nullptr;
  }
  HRGN upd = w->update;
  w->update = nullptr;
  w->internalPaint = false;
  const bool erase = w->erasePending;
  w->erasePending = false;
  if (!upd) upd = gdi::CreateRectRgn(0, 0, 0, 0);
  HDC dc = makeDC(w, false, (w->style & WS_CLIPCHILDREN) != 0, (w->style & WS_CLIPSIBLINGS) != 0, upd,
                  gdi::RGN_AND, true);
  gdi::DeleteObject(upd);
  *ps = PAINTSTRUCT{};
  ps->hdc = dc;
  gdi::GetClipBox(dc, &ps->rcPaint);
  ps->fErase = TRUE;
  if (erase) ps->fErase = send(w, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0) ? FALSE : TRUE;
  else ps->fErase = FALSE;
  return dc;
}

BOOL EndPaint(HWND, const PAINTSTRUCT* ps) {
  if (!ps || !ps->hdc) return FALSE;
  finishDC(ps->hdc);
  return TRUE;
}

HDC GetDC(HWND hwnd) {
  if (!hwnd) return GetDCEx(nullptr, nullptr, 0);
  Window* w = find(hwnd);
  if (!w) return nullptr;
  return GetDCEx(hwnd, nullptr,
                 ((w->style & WS_CLIPCHILDREN) ? DCX_CLIPCHILDREN : 0) |
                     ((w->style & WS_CLIPSIBLINGS) ? DCX_CLIPSIBLINGS : 0));
}

HDC GetWindowDC(HWND hwnd) {
  Window* w = find(hwnd);
  if (!hwnd) return GetDC(nullptr);
  if (!w) return nullptr;
  return GetDCEx(hwnd, nullptr, DCX_WINDOW | ((w->style & WS_CLIPSIBLINGS) ? DCX_CLIPSIBLINGS : 0));
}

HDC GetDCEx(HWND hwnd, HRGN clip, DWORD flags) {
  requireMainThread("GetDCEx");
  if (!hwnd) {
    ScreenDC& s = screenDC();
    if (!s.image) s.image = std::make_unique<gdi::ImageBGRA>(1280, 1024, 0);
    HDC dc = gdi::CreateSurfaceDC(s.image->view());
    DCRec rec;
    state().dcs[dc] = rec;
    return dc;
  }
  Window* w = find(hwnd);
  if (!w) return nullptr;
  HRGN extra = nullptr;
  int mode = gdi::RGN_AND;
  if (flags & DCX_INTERSECTRGN) extra = clip;
  if (flags & DCX_EXCLUDERGN) {
    extra = clip;
    mode = gdi::RGN_DIFF;
  }
  if (clip == reinterpret_cast<HRGN>(std::uintptr_t(1))) extra = nullptr;
  HRGN combined = nullptr;
  if (flags & (DCX_INTERSECTUPDATE | DCX_EXCLUDEUPDATE)) {
    // The update region is in client coordinates; a window DC is offset.
    combined = gdi::CreateRectRgn(0, 0, 0, 0);
    if (w->update) gdi::CombineRgn(combined, w->update, nullptr, gdi::RGN_COPY);
    if (flags & DCX_WINDOW) gdi::OffsetRgn(combined, w->client.left, w->client.top);
    if (extra) {
      if (mode == gdi::RGN_AND) {
        gdi::CombineRgn(combined, combined, extra, gdi::RGN_AND);
      }
    }
    if (flags & DCX_EXCLUDEUPDATE) {
      HRGN all = rectRgn(RECT{-100000, -100000, 100000, 100000});
      gdi::CombineRgn(combined, all, combined, gdi::RGN_DIFF);
      gdi::DeleteObject(all);
    }
    extra = combined;
    mode = gdi::RGN_AND;
  }
  HDC dc = makeDC(w, (flags & DCX_WINDOW) != 0, (flags & DCX_CLIPCHILDREN) != 0,
                  (flags & DCX_CLIPSIBLINGS) != 0, extra, mode, false);
  if (combined) gdi::DeleteObject(combined);
  // As on the platform this layer follows: validation goes with a context
  // of the update region only; a frame painter's DCX_VALIDATE alone must not
  // swallow the client's pending paint.
  if ((flags & DCX_VALIDATE) && (flags & DCX_INTERSECTUPDATE)) ValidateRect(hwnd, nullptr);
  return dc;
}

int ReleaseDC(HWND, HDC dc) {
  State& st = state();
  auto it = st.dcs.find(dc);
  if (it == st.dcs.end()) return 0;
  if (!it->second.hwnd) {
    st.dcs.erase(it);
    gdi::DeleteDC(dc);
    return 1;
  }
  finishDC(dc);
  return 1;
}

HWND WindowFromDC(HDC dc) {
  State& st = state();
  auto it = st.dcs.find(dc);
  return it == st.dcs.end() ? nullptr : it->second.hwnd;
}

BOOL ScrollDC(HDC dc, int dx, int dy, const RECT* scroll, const RECT* clip, HRGN update,
              RECT* rcUpdate) {
  if (!dc) return FALSE;
  RECT area{};
  if (scroll) {
    area = *scroll;
  } else {
    gdi::GetClipBox(dc, &area);
  }
  RECT lim = area;
  if (clip) gdi::IntersectRect(&lim, &lim, clip);
  // Source pixels that stay inside the limits after the move.
  RECT src = lim;
  RECT dst = src;
  gdi::OffsetRect(&dst, dx, dy);
  gdi::IntersectRect(&dst, &dst, &lim);
  if (!gdi::IsRectEmpty(&dst)) {
    POINT pts[1] = {{dst.left - dx, dst.top - dy}};
    gdi::LPtoDP(dc, pts, 1);
    RECT devSrc{pts[0].x, pts[0].y, pts[0].x + (dst.right - dst.left), pts[0].y + (dst.bottom - dst.top)};
    POINT org{};
    gdi::GetDCOrgEx(dc, &org);
    gdi::OffsetRect(&devSrc, org.x, org.y);
    gdi::ImageBGRA copy = gdi::CaptureDC(dc, RECT{devSrc.left - org.x, devSrc.top - org.y,
                                                  devSrc.right - org.x, devSrc.bottom - org.y});
    if (copy.width > 0 && copy.height > 0) {
      HBITMAP bmp = gdi::CreateBitmapFromImage(copy);
      HDC mem = gdi::CreateCompatibleDC(dc);
      gdi::HGDIOBJ old = gdi::SelectObject(mem, bmp);
      const int saved = gdi::SaveDC(dc);
      gdi::IntersectClipRect(dc, lim.left, lim.top, lim.right, lim.bottom);
      gdi::BitBlt(dc, dst.left, dst.top, copy.width, copy.height, mem, 0, 0, gdi::SRCCOPY);
      gdi::RestoreDC(dc, saved);
      gdi::SelectObject(mem, old);
      gdi::DeleteDC(mem);
      gdi::DeleteObject(bmp);
    }
  }
  HRGN invalid = rectRgn(lim);
  if (!gdi::IsRectEmpty(&dst)) subRect(invalid, dst);
  if (update) gdi::CombineRgn(update, invalid, nullptr, gdi::RGN_COPY);
  if (rcUpdate) gdi::GetRgnBox(invalid, rcUpdate);
  gdi::DeleteObject(invalid);
  return TRUE;
}

int ScrollWindowEx(HWND hwnd, int dx, int dy, const RECT* scroll, const RECT* clip, HRGN update,
                   RECT* rcUpdate, UINT flags) {
  requireMainThread("ScrollWindowEx");
  Window* w = find(hwnd);
  if (!w) return gdi::ERROR;
  auto hold = keep(w);
  RECT area = scroll ? *scroll : clientBounds(w);
  RECT cb = clientBounds(w);
  gdi::IntersectRect(&area, &area, &cb);
  RECT lim = area;
  if (clip) gdi::IntersectRect(&lim, &lim, clip);
  HRGN invalid = gdi::CreateRectRgn(0, 0, 0, 0);
  HDC dc = GetDCEx(hwnd, nullptr, DCX_CACHE | ((w->style & WS_CLIPSIBLINGS) ? DCX_CLIPSIBLINGS : 0) |
                                      ((flags & SW_SCROLLCHILDREN) ? 0 : DCX_CLIPCHILDREN));
  ScrollDC(dc, dx, dy, &area, &lim, invalid, nullptr);
  // What was hidden (covered by siblings, outside the parent) cannot be
  // moved: it is painted again at its new place.
  {
    Window* top = topLevelOf(w);
    HRGN vis = visibleRegion(w, true, false, (w->style & WS_CLIPSIBLINGS) != 0);
    RECT cr = clientRectInTop(w);
    gdi::OffsetRgn(vis, -cr.left, -cr.top);
    HRGN hidden = rectRgn(lim);
    gdi::CombineRgn(hidden, hidden, vis, gdi::RGN_DIFF);
    gdi::OffsetRgn(hidden, dx, dy);
    andRect(hidden, lim);
    gdi::CombineRgn(invalid, invalid, hidden, gdi::RGN_OR);
    gdi::DeleteObject(hidden);
    gdi::DeleteObject(vis);
    (void)top;
  }
  ReleaseDC(hwnd, dc);
  // The pending update moves with the pixels.
  if (w->update) {
    HRGN inside = rectRgn(lim);
    gdi::CombineRgn(inside, inside, w->update, gdi::RGN_AND);
    gdi::CombineRgn(w->update, w->update, inside, gdi::RGN_DIFF);
    gdi::OffsetRgn(inside, dx, dy);
    andRect(inside, lim);
    gdi::CombineRgn(w->update, w->update, inside, gdi::RGN_OR);
    gdi::DeleteObject(inside);
  }
  if (flags & SW_SCROLLCHILDREN) {
    std::vector<HWND> kids;
    for (Window* c : w->children) {
      RECT r = c->rect;
      if (!scroll || gdi::IntersectRect(&r, &r, &area)) kids.push_back(c->handle);
    }
    for (HWND h : kids) {
      Window* c = find(h);
      if (!c) continue;
      SetWindowPos(h, nullptr, c->rect.left + dx, c->rect.top + dy, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
    }
  }
  RECT box{};
  const int result = gdi::GetRgnBox(invalid, &box);
  if (update) gdi::CombineRgn(update, invalid, nullptr, gdi::RGN_COPY);
  if (rcUpdate) *rcUpdate = box;
  if ((flags & SW_INVALIDATE) && !w->dead) {
    RedrawWindow(hwnd, nullptr, invalid,
                 RDW_INVALIDATE | ((flags & SW_ERASE) ? RDW_ERASE : 0) |
                     ((flags & SW_SCROLLCHILDREN) ? RDW_ALLCHILDREN : 0));
  }
  gdi::DeleteObject(invalid);
  return result;
}

BOOL ScrollWindow(HWND hwnd, int dx, int dy, const RECT* scroll, const RECT* clip) {
  return ScrollWindowEx(hwnd, dx, dy, scroll, clip, nullptr, nullptr,
                        SW_INVALIDATE | SW_ERASE | (scroll ? 0 : SW_SCROLLCHILDREN)) != gdi::ERROR;
}

BOOL PrintWindow(HWND hwnd, HDC dc, UINT) {
  Window* w = find(hwnd);
  if (!w || !dc) return FALSE;
  send(w, WM_PRINT, reinterpret_cast<WPARAM>(dc),
       PRF_NONCLIENT | PRF_CLIENT | PRF_ERASEBKGND | PRF_CHILDREN);
  return TRUE;
}

int SetWindowRgn(HWND hwnd, HRGN rgn, BOOL redraw) {
  requireMainThread("SetWindowRgn");
  Window* w = find(hwnd);
  if (!w) return 0;
  if (w->isChild() && redraw && isVisible(w)) {
    RECT old = w->rect;
    RedrawWindow(w->parent->handle, &old, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
  }
  if (w->windowRgn) gdi::DeleteObject(w->windowRgn);
  w->windowRgn = rgn;
  if (!w->isChild() && w->hasNative) backend().SetNativeShape(hwnd, rgn);
  if (redraw) RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
  return 1;
}

int GetWindowRgn(HWND hwnd, HRGN rgn) {
  Window* w = find(hwnd);
  if (!w || !w->windowRgn || !rgn) return gdi::ERROR;
  return gdi::CombineRgn(rgn, w->windowRgn, nullptr, gdi::RGN_COPY);
}

namespace impl {

void resetLayered(Window* w) {
  const bool had = w->layeredContents || w->alpha != 255 || w->transparency != NativeTransparency{};
  w->alpha = 255;
  w->transparency = NativeTransparency{};
  if (w->hasNative) {
    backend().SetNativeOpacity(w->handle, 255);
    backend().SetNativeTransparency(w->handle, w->transparency);
  }
  if (w->layeredContents) {
    w->layeredContents = false;
    RedrawWindow(w->handle, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
  } else if (had && w->surface) {
    addDirty(w, RECT{0, 0, w->width(), w->height()});
  }
}

}  // namespace impl

BOOL SetLayeredWindowAttributes(HWND hwnd, COLORREF key, BYTE alpha, DWORD flags) {
  Window* w = find(hwnd);
  if (!w || w->isChild() || !(w->exStyle & WS_EX_LAYERED)) {
    state().lastError = ERROR_INVALID_PARAMETER;
    return FALSE;
  }
  // The window is painted as usual again, seen through these attributes.
  if (w->layeredContents) {
    w->layeredContents = false;
    RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
  }
  w->alpha = (flags & LWA_ALPHA) ? alpha : 255;
  w->transparency.perPixelAlpha = false;
  w->transparency.colorKey = (flags & LWA_COLORKEY) != 0;
  w->transparency.key = (flags & LWA_COLORKEY) ? (key & 0xFFFFFF) : 0;
  if (w->hasNative) {
    backend().SetNativeOpacity(hwnd, w->alpha);
    backend().SetNativeTransparency(hwnd, w->transparency);
  }
  if (w->surface) addDirty(w, RECT{0, 0, w->width(), w->height()});
  return TRUE;
}

BOOL UpdateLayeredWindow(HWND hwnd, HDC, const POINT* dst, const SIZE* size, HDC srcDC,
                         const POINT* src, COLORREF key, const gdi::BLENDFUNCTION* blend,
                         DWORD flags) {
  requireMainThread("UpdateLayeredWindow");
  Window* w = find(hwnd);
  State& st = state();
  if (!w || w->isChild() || !(w->exStyle & WS_EX_LAYERED) ||
      (flags & ~(ULW_COLORKEY | ULW_ALPHA | ULW_OPAQUE)) || (size && (size->cx < 0 || size->cy < 0)) ||
      ((flags & ULW_ALPHA) && !blend)) {
    st.lastError = ERROR_INVALID_PARAMETER;
    return FALSE;
  }
  auto hold = keep(w);
  if (dst || size) {
    UINT swp = SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW;
    if (!dst) swp |= SWP_NOMOVE;
    if (!size) swp |= SWP_NOSIZE;
    SetWindowPos(hwnd, nullptr, dst ? dst->x : 0, dst ? dst->y : 0, size ? size->cx : 0, size ? size->cy : 0,
                 swp);
    if (w->dead) return FALSE;
  }
  if (srcDC) {
    if (!st.dcs.count(srcDC) && gdi::GetDCSurface(srcDC).empty()) {
      st.lastError = ERROR_INVALID_PARAMETER;
      return FALSE;
    }
    ensureSurface(w);
    gdi::ImageBGRA& surface = *w->surface;
    const POINT from = src ? *src : POINT{};
    gdi::ImageBGRA pixels =
        gdi::CaptureDC(srcDC, RECT{from.x, from.y, from.x + surface.width, from.y + surface.height});
    // What the source does not cover is transparent.
    std::fill(surface.pixels.begin(), surface.pixels.end(), 0u);
    const int cw = std::min(surface.width, pixels.width), ch = std::min(surface.height, pixels.height);
    for (int y = 0; y < ch; ++y) std::copy_n(&pixels.at(0, y), cw, &surface.at(0, y));
    w->layeredContents = true;
    // Whatever waited to be painted would draw over the given pixels.
    RedrawWindow(hwnd, nullptr, nullptr, RDW_VALIDATE | RDW_NOFRAME | RDW_NOINTERNALPAINT | RDW_ALLCHILDREN);
    w->framePending = false;
  }
  NativeTransparency t;
  BYTE alpha = 255;
  if (!(flags & ULW_OPAQUE)) {
    if ((flags & ULW_ALPHA) && blend) {
      alpha = blend->SourceConstantAlpha;
      t.perPixelAlpha = (blend->AlphaFormat & gdi::AC_SRC_ALPHA) != 0;
    }
    if (flags & ULW_COLORKEY) {
      t.colorKey = true;
      t.key = key & 0xFFFFFF;
    }
  }
  w->alpha = alpha;
  w->transparency = t;
  if (w->hasNative) {
    backend().SetNativeOpacity(hwnd, alpha);
    backend().SetNativeTransparency(hwnd, t);
  }
  if (w->surface) addDirty(w, RECT{0, 0, w->width(), w->height()});
  presentDirty();
  return TRUE;
}

BOOL LockWindowUpdate(HWND) { return TRUE; }

}  // namespace win
