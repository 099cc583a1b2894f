// Classic 3-D edges, focus rectangles and frame controls.
#include "platform/gdi/edge.h"

#include <algorithm>

#include "platform/gdi/impl/dc_impl.h"
#include "platform/gdi/impl/shapes.h"
#include "platform/gdi/objects.h"

namespace gdi {

using namespace impl;

namespace {

RECT edgeToSurface(const DC& dc, const RECT& rc) {
  return RECT{dc.sx(rc.left), dc.sy(rc.top), dc.sx(rc.right), dc.sy(rc.bottom)};
}

void fill(Painter& p, const RECT& r, COLORREF c) {
  const PaintSource src = solidSource(p.dc(), c);
  for (int y = r.top; y < r.bottom; ++y) p.span(y, r.left, r.right, src, R2_COPYPEN);
}

void hline(Painter& p, int y, int x0, int x1, COLORREF c) {
  p.span(y, x0, x1, solidSource(p.dc(), c), R2_COPYPEN);
}

void vline(Painter& p, int x, int y0, int y1, COLORREF c) {
  const PaintSource src = solidSource(p.dc(), c);
  for (int y = y0; y < y1; ++y) p.span(y, x, x + 1, src, R2_COPYPEN);
}

struct BorderColors {
  COLORREF topLeft, bottomRight;
};

// One 1-pixel border on the sides in `flags`; the far corners belong to the
// bottom and right lines.
void drawBorder(Painter& p, RECT& r, UINT flags, BorderColors c) {
  if (r.left >= r.right || r.top >= r.bottom) return;
  const int rightCut = (flags & BF_RIGHT) ? 1 : 0;
  const int bottomCut = (flags & BF_BOTTOM) ? 1 : 0;
  if (flags & BF_TOP) hline(p, r.top, r.left, r.right - rightCut, c.topLeft);
  if (flags & BF_LEFT) vline(p, r.left, r.top, r.bottom - bottomCut, c.topLeft);
  if (flags & BF_BOTTOM) hline(p, r.bottom - 1, r.left, r.right, c.bottomRight);
  if (flags & BF_RIGHT) vline(p, r.right - 1, r.top, r.bottom, c.bottomRight);
  if (flags & BF_LEFT) ++r.left;
  if (flags & BF_TOP) ++r.top;
  if (flags & BF_RIGHT) --r.right;
  if (flags & BF_BOTTOM) --r.bottom;
}

void drawDiagonal(Painter& p, const RECT& r, UINT flags, BorderColors outer) {
  POINT a, b;
  const bool endTop = flags & BF_TOP, endRight = flags & BF_RIGHT;
  a = POINT{endRight ? r.left : r.right - 1, endTop ? r.bottom - 1 : r.top};
  b = POINT{endRight ? r.right - 1 : r.left, endTop ? r.top : r.bottom - 1};
  std::vector<POINT> px;
  linePixels(a, b, px);
  px.push_back(b);
  const PaintSource src = solidSource(p.dc(), endTop ? outer.topLeft : outer.bottomRight);
  for (const POINT& q : px) p.pixel(q.x, q.y, src, R2_COPYPEN);
}

BOOL drawEdgeOnSurface(Painter& p, RECT& r, UINT edge, UINT flags) {
  BorderColors outer{}, inner{};
  const UINT outerBits = edge & BDR_OUTER, innerBits = edge & BDR_INNER;
  if (flags & BF_MONO) {
    outer = {GetSysColor(COLOR_WINDOWFRAME), GetSysColor(COLOR_WINDOWFRAME)};
    inner = {GetSysColor(COLOR_WINDOW), GetSysColor(COLOR_WINDOW)};
  } else if (flags & BF_FLAT) {
    outer = {GetSysColor(COLOR_BTNSHADOW), GetSysColor(COLOR_BTNSHADOW)};
    inner = {GetSysColor(COLOR_BTNFACE), GetSysColor(COLOR_BTNFACE)};
  } else {
    const bool soft = flags & BF_SOFT;
    if (outerBits & BDR_RAISEDOUTER) {
      outer = {GetSysColor(soft ? COLOR_BTNHIGHLIGHT : COLOR_3DLIGHT), GetSysColor(COLOR_3DDKSHADOW)};
    } else {
      outer = {GetSysColor(soft ? COLOR_3DDKSHADOW : COLOR_BTNSHADOW), GetSysColor(COLOR_BTNHIGHLIGHT)};
    }
    if (innerBits & BDR_RAISEDINNER) {
      inner = {GetSysColor(soft ? COLOR_3DLIGHT : COLOR_BTNHIGHLIGHT), GetSysColor(COLOR_BTNSHADOW)};
    } else {
      inner = {GetSysColor(soft ? COLOR_BTNSHADOW : COLOR_3DDKSHADOW), GetSysColor(COLOR_3DLIGHT)};
    }
  }
  if (flags & BF_DIAGONAL) {
    if (outerBits) drawDiagonal(p, r, flags, outer);
    return TRUE;
  }
  const UINT sides = flags & BF_RECT;
  if (outerBits) drawBorder(p, r, sides, outer);
  if (innerBits) drawBorder(p, r, sides, inner);
  if ((flags & BF_MIDDLE) && r.left < r.right && r.top < r.bottom) {
    fill(p, r, GetSysColor((flags & BF_MONO) ? COLOR_WINDOW : COLOR_BTNFACE));
  }
  return TRUE;
}

}  // namespace

BOOL DrawEdge(HDC h, RECT* rc, UINT edge, UINT flags) {
  DC* dc = findDC(h);
  if (!dc || !rc) return FALSE;
  RECT r = edgeToSurface(*dc, *rc);
  {
    Painter p(*dc);
    if (p.ok()) drawEdgeOnSurface(p, r, edge, flags);
  }
  if ((flags & BF_ADJUST) && !(flags & BF_DIAGONAL)) {
    // Back to logical coordinates.
    const int ox = dc->sx(0), oy = dc->sy(0);
    *rc = RECT{r.left - ox, r.top - oy, r.right - ox, r.bottom - oy};
  }
  return TRUE;
}

BOOL DrawFocusRect(HDC h, const RECT* rc) {
  DC* dc = findDC(h);
  if (!dc || !rc) return FALSE;
  const RECT r = edgeToSurface(*dc, *rc);
  if (r.left >= r.right || r.top >= r.bottom) return TRUE;
  Painter p(*dc);
  if (!p.ok()) return TRUE;
  // The dots keep their place in device coordinates, so that a second call
  // from another origin still erases them.
  const int ox = dc->surfaceOrigin.x, oy = dc->surfaceOrigin.y;
  auto dot = [&](int x, int y) {
    if (((x - ox + y - oy) & 1) == 0) p.invertSpan(y, x, x + 1);
  };
  for (int x = r.left; x < r.right; ++x) {
    dot(x, r.top);
    if (r.bottom - 1 > r.top) dot(x, r.bottom - 1);
  }
  for (int y = r.top + 1; y < r.bottom - 1; ++y) {
    dot(r.left, y);
    if (r.right - 1 > r.left) dot(r.right - 1, y);
  }
  return TRUE;
}

// ---- Frame controls -----------------------------------------------------------------

namespace {

RECT centredSquare(const RECT& r) {
  const int s = std::min(r.right - r.left, r.bottom - r.top);
  const int l = r.left + (r.right - r.left - s) / 2, t = r.top + (r.bottom - r.top - s) / 2;
  return RECT{l, t, l + s, t + s};
}

// Every other pixel in the two colours (the "checked" button face).
void dither(Painter& p, const RECT& r, COLORREF a, COLORREF b) {
  const PaintSource sa = solidSource(p.dc(), a), sb = solidSource(p.dc(), b);
  for (int y = r.top; y < r.bottom; ++y) {
    for (int x = r.left; x < r.right; ++x) p.pixel(x, y, ((x + y) & 1) ? sb : sa, R2_COPYPEN);
  }
}

void frame1(Painter& p, RECT& r, COLORREF c) { drawBorder(p, r, BF_RECT, {c, c}); }

void drawButtonFace(Painter& p, RECT& r, UINT state) {
  if (state & DFCS_MONO) {
    frame1(p, r, GetSysColor(COLOR_WINDOWFRAME));
    fill(p, r, GetSysColor(COLOR_BTNFACE));
  } else if (state & DFCS_FLAT) {
    frame1(p, r, GetSysColor(COLOR_BTNSHADOW));
    fill(p, r, GetSysColor(COLOR_BTNFACE));
  } else if (state & (DFCS_PUSHED | DFCS_CHECKED)) {
    drawEdgeOnSurface(p, r, EDGE_SUNKEN, BF_RECT | BF_SOFT);
    if (state & DFCS_CHECKED && !(state & DFCS_PUSHED)) {
      dither(p, r, GetSysColor(COLOR_BTNHIGHLIGHT), GetSysColor(COLOR_BTNFACE));
    } else {
      fill(p, r, GetSysColor(COLOR_BTNFACE));
    }
  } else {
    drawEdgeOnSurface(p, r, EDGE_RAISED, BF_RECT | BF_SOFT | BF_MIDDLE);
  }
}

// The check mark: two strokes three pixels thick (for a 7-pixel mark),
// falling to a turn a third of the way across and rising to the top right.
void drawCheckMark(Painter& p, const RECT& area, COLORREF c) {
  const int m = std::min(area.right - area.left, area.bottom - area.top);
  if (m < 3) return;
  const int t = std::max(1, m * 3 / 7);
  const int pivot = (m - 1) / 3;
  const int x0 = area.left + (area.right - area.left - m) / 2;
  const int y0 = area.top + (area.bottom - area.top - m) / 2;
  const int startLeft = (m - t) / 2;
  const PaintSource src = solidSource(p.dc(), c);
  for (int i = 0; i < m; ++i) {
    int start = i <= pivot ? startLeft + i : startLeft + pivot - (i - pivot);
    start = std::clamp(start, 0, m - t);
    for (int k = 0; k < t; ++k) p.pixel(x0 + i, y0 + start + k, src, R2_COPYPEN);
  }
}

void drawCheckBox(Painter& p, const RECT& rc, UINT state) {
  RECT r = centredSquare(rc);
  if (state & DFCS_MONO) {
    frame1(p, r, GetSysColor(COLOR_WINDOWFRAME));
  } else if (state & DFCS_FLAT) {
    frame1(p, r, GetSysColor(COLOR_BTNSHADOW));
  } else {
    drawEdgeOnSurface(p, r, EDGE_SUNKEN, BF_RECT);
  }
  const bool threeState = (state & 0xFF) == DFCS_BUTTON3STATE;
  const bool greyed = state & (DFCS_PUSHED | DFCS_INACTIVE);
  if (threeState && (state & DFCS_CHECKED)) {
    dither(p, r, GetSysColor(COLOR_BTNHIGHLIGHT), GetSysColor(COLOR_BTNFACE));
  } else {
    fill(p, r, GetSysColor(greyed ? COLOR_BTNFACE : COLOR_WINDOW));
  }
  if (state & DFCS_CHECKED) {
    RECT mark{r.left + 1, r.top + 1, r.right - 1, r.bottom - 1};
    const int colour = threeState ? COLOR_BTNSHADOW : ((state & DFCS_INACTIVE) ? COLOR_GRAYTEXT : COLOR_WINDOWTEXT);
    drawCheckMark(p, mark, GetSysColor(colour));
  }
}

void drawRadio(Painter& p, const RECT& rc, UINT state) {
  const RECT box = centredSquare(rc);
  const RowShape s0 = ellipseShape(box);
  if ((state & 0xFF) == DFCS_BUTTONRADIOMASK) {
    fill(p, box, RGB(255, 255, 255));
    p.spans(toSpans(s0), solidSource(p.dc(), RGB(0, 0, 0)), R2_COPYPEN);
    return;
  }
  const RowShape s1 = erode(s0), s2 = erode(s1);
  const double c2 = (box.left + box.right) + (box.top + box.bottom);  // twice the centre sum
  auto ring = [&](const RowShape& outer, const RowShape& inner, COLORREF tl, COLORREF br) {
    const PaintSource a = solidSource(p.dc(), tl), b = solidSource(p.dc(), br);
    const SpanSet pixels = difference(outer, inner);
    for (const SpanSet::Span& sp : pixels.spans()) {
      for (int x = sp.x0; x < sp.x1; ++x) {
        // Upper-left of the anti-diagonal through the centre.
        const bool upperLeft = (2 * x + 1) + (2 * sp.y + 1) < c2;
        p.pixel(x, sp.y, upperLeft ? a : b, R2_COPYPEN);
      }
    }
  };
  if (state & (DFCS_MONO | DFCS_FLAT)) {
    const COLORREF c = GetSysColor((state & DFCS_MONO) ? COLOR_WINDOWFRAME : COLOR_BTNSHADOW);
    ring(s0, s1, c, c);
    p.spans(toSpans(s1), solidSource(p.dc(), GetSysColor(COLOR_WINDOW)), R2_COPYPEN);
  } else {
    ring(s0, s1, GetSysColor(COLOR_BTNSHADOW), GetSysColor(COLOR_BTNHIGHLIGHT));
    ring(s1, s2, GetSysColor(COLOR_3DDKSHADOW), GetSysColor(COLOR_3DLIGHT));
    const bool greyed = state & (DFCS_PUSHED | DFCS_INACTIVE);
    p.spans(toSpans(s2), solidSource(p.dc(), GetSysColor(greyed ? COLOR_BTNFACE : COLOR_WINDOW)), R2_COPYPEN);
  }
  if (state & DFCS_CHECKED) {
    const int size = box.right - box.left;
    const int d = std::max(2, size / 3);
    const int l = box.left + (size - d) / 2, t = box.top + (size - d) / 2;
    const int colour = (state & DFCS_INACTIVE) ? COLOR_GRAYTEXT : COLOR_WINDOWTEXT;
    p.spans(toSpans(ellipseShape(RECT{l, t, l + d, t + d})), solidSource(p.dc(), GetSysColor(colour)),
            R2_COPYPEN);
  }
}

enum class Dir { Up, Down, Left, Right };

void drawArrow(Painter& p, const RECT& r, Dir dir, int dx, int dy, COLORREF c) {
  const int w = r.right - r.left, h = r.bottom - r.top;
  const int base = std::max(1, ((std::min(w, h) - 4) / 2) | 1);
  const int depth = (base + 1) / 2;
  const PaintSource src = solidSource(p.dc(), c);
  const bool vertical = dir == Dir::Up || dir == Dir::Down;
  const int x0 = r.left + (w - (vertical ? base : depth)) / 2 + dx;
  const int y0 = r.top + (h - (vertical ? depth : base)) / 2 + dy;
  for (int i = 0; i < depth; ++i) {
    const int from = depth - 1 - i, to = depth + i;  // row i holds 2i+1 pixels
    switch (dir) {
      case Dir::Up: p.span(y0 + i, x0 + from, x0 + to, src, R2_COPYPEN); break;
      case Dir::Down: p.span(y0 + depth - 1 - i, x0 + from, x0 + to, src, R2_COPYPEN); break;
      case Dir::Left:
        for (int y = from; y < to; ++y) p.pixel(x0 + i, y0 + y, src, R2_COPYPEN);
        break;
      case Dir::Right:
        for (int y = from; y < to; ++y) p.pixel(x0 + depth - 1 - i, y0 + y, src, R2_COPYPEN);
        break;
    }
  }
}

void drawSizeGrip(Painter& p, const RECT& r) {
  fill(p, r, GetSysColor(COLOR_BTNFACE));
  const int s = std::min(r.right - r.left, r.bottom - r.top);
  const PaintSource hi = solidSource(p.dc(), GetSysColor(COLOR_BTNHIGHLIGHT));
  const PaintSource sh = solidSource(p.dc(), GetSysColor(COLOR_BTNSHADOW));
  // Diagonal lines from the corner: gap, highlight, shadow, shadow, ...
  for (int k = 0; k < s; ++k) {
    const int phase = k % 4;
    if (phase == 0) continue;
    const PaintSource& src = phase == 1 ? hi : sh;
    for (int j = 0; j <= k; ++j) p.pixel(r.right - 1 - j, r.bottom - 1 - k + j, src, R2_COPYPEN);
  }
}

void drawScroll(Painter& p, RECT& r, UINT state) {
  const UINT kind = state & 0xFF;
  if (kind == DFCS_SCROLLSIZEGRIP || kind == DFCS_SCROLLSIZEGRIPRIGHT) {
    drawSizeGrip(p, r);
    return;
  }
  RECT face = r;
  const bool pushed = state & DFCS_PUSHED;
  if (pushed && !(state & (DFCS_FLAT | DFCS_MONO))) {
    frame1(p, face, GetSysColor(COLOR_BTNSHADOW));
    fill(p, face, GetSysColor(COLOR_BTNFACE));
  } else {
    drawButtonFace(p, face, state & ~DFCS_PUSHED);
  }
  Dir dir = Dir::Up;
  switch (kind) {
    case DFCS_SCROLLDOWN:
    case DFCS_SCROLLCOMBOBOX: dir = Dir::Down; break;
    case DFCS_SCROLLLEFT: dir = Dir::Left; break;
    case DFCS_SCROLLRIGHT: dir = Dir::Right; break;
    default: break;
  }
  const int shift = pushed ? 1 : 0;
  if (state & DFCS_INACTIVE) {
    drawArrow(p, r, dir, 1, 1, GetSysColor(COLOR_BTNHIGHLIGHT));
    drawArrow(p, r, dir, 0, 0, GetSysColor(COLOR_BTNSHADOW));
  } else {
    drawArrow(p, r, dir, shift, shift, GetSysColor(COLOR_BTNTEXT));
  }
}

}  // namespace

BOOL DrawFrameControl(HDC h, RECT* rc, UINT type, UINT state) {
  DC* dc = findDC(h);
  if (!dc || !rc) return FALSE;
  if (type != DFC_BUTTON && type != DFC_SCROLL) return FALSE;
  RECT r = edgeToSurface(*dc, *rc);
  Painter p(*dc);
  if (!p.ok()) return TRUE;
  if (type == DFC_SCROLL) {
    drawScroll(p, r, state);
    return TRUE;
  }
  switch (state & 0xFF) {
    case DFCS_BUTTONPUSH: {
      drawButtonFace(p, r, state);
      if (state & DFCS_ADJUSTRECT) InflateRect(rc, -2, -2);
      return TRUE;
    }
    case DFCS_BUTTONCHECK:
    case DFCS_BUTTON3STATE:
      drawCheckBox(p, r, state);
      return TRUE;
    case DFCS_BUTTONRADIO:
    case DFCS_BUTTONRADIOIMAGE:
    case DFCS_BUTTONRADIOMASK:
      drawRadio(p, r, state);
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace gdi
