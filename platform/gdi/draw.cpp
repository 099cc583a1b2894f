// Primitives: rectangles with brushes, lines, closed figures, arcs, paths
// and pixels.
#include "platform/gdi/draw.h"

#include <algorithm>
#include <cmath>

#include "platform/gdi/impl/dc_impl.h"
#include "platform/gdi/impl/shapes.h"
#include "platform/gdi/objects.h"
#include "platform/gdi/region.h"

namespace gdi {

using namespace impl;

namespace {

constexpr double kPi = 3.14159265358979323846;

// FillRect and friends also take a system colour index + 1 as the brush.
std::shared_ptr<Brush> brushArg(HBRUSH h) {
  const std::uintptr_t v = handleValue(h);
  if (v >= 1 && v <= std::uintptr_t(SYS_COLOR_COUNT)) return findBrush(GetSysColorBrush(int(v) - 1));
  return findBrush(h);
}

RECT toSurface(const DC& dc, const RECT& rc) {
  RECT r{dc.sx(rc.left), dc.sy(rc.top), dc.sx(rc.right), dc.sy(rc.bottom)};
  if (r.left > r.right) std::swap(r.left, r.right);
  if (r.top > r.bottom) std::swap(r.top, r.bottom);
  return r;
}

POINT toSurface(const DC& dc, POINT p) { return POINT{dc.sx(p.x), dc.sy(p.y)}; }

void fillRectSpans(Painter& p, const RECT& r, const PaintSource& src, int rop2) {
  for (int y = r.top; y < r.bottom; ++y) p.span(y, r.left, r.right, src, rop2);
}

// ---- Strokes ------------------------------------------------------------------

struct StyleRun {
  const int* steps = nullptr;
  int count = 0;
};

StyleRun styleOf(int style) {
  static const int dash[] = {18, 6};
  static const int dot[] = {3, 3};
  static const int dashDot[] = {9, 6, 3, 6};
  static const int dashDotDot[] = {9, 3, 3, 3, 3, 3};
  switch (style) {
    case PS_DASH: return {dash, 2};
    case PS_DOT: return {dot, 2};
    case PS_DASHDOT: return {dashDot, 4};
    case PS_DASHDOTDOT: return {dashDotDot, 6};
    default: return {};
  }
}

bool styleOn(const StyleRun& run, int step) {
  int total = 0;
  for (int i = 0; i < run.count; ++i) total += run.steps[i];
  int pos = step % total;
  for (int i = 0; i < run.count; ++i) {
    if (pos < run.steps[i]) return (i % 2) == 0;
    pos -= run.steps[i];
  }
  return true;
}

// A disc of the pen's width around (0, 0), as row spans.
RowShape penDisc(int width) {
  const int lo = -(width - 1) / 2;
  return ellipseShape(RECT{lo, lo, lo + width, lo + width});
}

class Stroker {
 public:
  Stroker(DC& dc, Painter& painter) : dc_(dc), p_(painter) {
    const Pen* pen = dc.st.pen.obj.get();
    if (!pen || pen->style == PS_NULL) return;
    active_ = true;
    width_ = pen->width;
    color_ = solidSource(dc, penColor(dc, *pen));
    if (width_ <= 1) style_ = styleOf(pen->style);
    if (dc.st.bkMode == OPAQUE) back_ = solidSource(dc, dc.st.bkColor);
    if (width_ > 1) disc_ = penDisc(width_);
  }
  ~Stroker() { flush(); }
  bool active() const { return active_; }

  // Surface coordinates; the end point is left out.
  void segment(POINT a, POINT b) {
    if (!active_) return;
    pixels_.clear();
    linePixels(a, b, pixels_);
    for (const POINT& q : pixels_) plot(q);
  }
  void point(POINT q) {
    if (active_) plot(q);
  }
  void flush() {
    if (!wide_.empty()) {
      p_.spans(wide_, color_, dc_.st.rop2);
      wide_ = SpanSet();
    }
  }

 private:
  void plot(POINT q) {
    if (width_ > 1) {
      for (std::size_t i = 0; i < disc_.rows.size(); ++i) {
        wide_.add(q.y + disc_.top + int(i), q.x + disc_.rows[i].first, q.x + disc_.rows[i].second);
      }
      return;
    }
    if (style_.count == 0) {
      p_.pixel(q.x, q.y, color_, dc_.st.rop2);
      return;
    }
    const bool on = styleOn(style_, dc_.styleStep++);
    if (on) p_.pixel(q.x, q.y, color_, dc_.st.rop2);
    else if (!back_.none()) p_.pixel(q.x, q.y, back_, dc_.st.rop2);
  }

  DC& dc_;
  Painter& p_;
  bool active_ = false;
  int width_ = 1;
  StyleRun style_;
  PaintSource color_, back_;
  RowShape disc_;
  SpanSet wide_;
  std::vector<POINT> pixels_;
};

void strokePoints(DC& dc, Painter& p, const std::vector<POINT>& pts, bool closed) {
  Stroker s(dc, p);
  if (!s.active() || pts.empty()) return;
  for (std::size_t i = 0; i + 1 < pts.size(); ++i) s.segment(pts[i], pts[i + 1]);
  if (closed && pts.size() > 1) s.segment(pts.back(), pts.front());
  else if (closed) s.point(pts.front());
}

int penWidth(const DC& dc) {
  const Pen* pen = dc.st.pen.obj.get();
  if (!pen || pen->style == PS_NULL) return 0;
  return pen->width;
}

bool penInsideFrame(const DC& dc) {
  const Pen* pen = dc.st.pen.obj.get();
  return pen && pen->style == PS_INSIDEFRAME;
}

// ---- Paths ----------------------------------------------------------------------

void pathMoveTo(DC& dc, POINT devicePt) {
  dc.path.push_back(PathFigure{{devicePt}, false});
}

void pathLineTo(DC& dc, POINT devicePt) {
  if (dc.path.empty() || dc.path.back().closed) {
    pathMoveTo(dc, POINT{dc.dx(dc.st.pos.x), dc.dy(dc.st.pos.y)});
  }
  dc.path.back().points.push_back(devicePt);
}

void pathPolygon(DC& dc, const POINT* pts, int count) {
  PathFigure f;
  for (int i = 0; i < count; ++i) f.points.push_back(POINT{dc.dx(pts[i].x), dc.dy(pts[i].y)});
  f.closed = true;
  dc.path.push_back(std::move(f));
}

// A raster shape (device coordinates) as closed staircase figures along its
// pixel edges: filling them at the polygon rule gives back exactly its
// pixels, so a path of the shape turns into the same region.
void pathRowShape(DC& dc, const RowShape& s) {
  std::size_t i = 0;
  while (i < s.rows.size()) {
    if (s.rows[i].first >= s.rows[i].second) {
      ++i;
      continue;
    }
    std::size_t j = i;
    while (j < s.rows.size() && s.rows[j].first < s.rows[j].second) ++j;
    std::vector<POINT> pts;
    for (std::size_t k = i; k < j; ++k) {
      const LONG y = LONG(s.top + int(k));
      pts.push_back({s.rows[k].second, y});
      pts.push_back({s.rows[k].second, y + 1});
    }
    for (std::size_t k = j; k-- > i;) {
      const LONG y = LONG(s.top + int(k));
      pts.push_back({s.rows[k].first, y + 1});
      pts.push_back({s.rows[k].first, y});
    }
    // Drop repeated and straight-through points.
    PathFigure f;
    f.closed = true;
    for (const POINT& q : pts) {
      if (!f.points.empty() && f.points.back().x == q.x && f.points.back().y == q.y) continue;
      if (f.points.size() >= 2) {
        const POINT a = f.points[f.points.size() - 2], b = f.points.back();
        if ((a.x == b.x && b.x == q.x) || (a.y == b.y && b.y == q.y)) f.points.pop_back();
      }
      f.points.push_back(q);
    }
    dc.path.push_back(std::move(f));
    i = j;
  }
}

// Cubic Bezier segments from p[0] through p[3 * k], flattened to integer
// points (the first point left out).
void flattenBezier(const POINT* p, std::size_t segments, std::vector<POINT>& out) {
  struct Pt {
    double x, y;
  };
  auto push = [&out](Pt q) {
    const POINT r{LONG(std::floor(q.x + 0.5)), LONG(std::floor(q.y + 0.5))};
    if (out.empty() || out.back().x != r.x || out.back().y != r.y) out.push_back(r);
  };
  for (std::size_t k = 0; k < segments; ++k) {
    const Pt a{double(p[3 * k].x), double(p[3 * k].y)}, b{double(p[3 * k + 1].x), double(p[3 * k + 1].y)},
        c{double(p[3 * k + 2].x), double(p[3 * k + 2].y)}, d{double(p[3 * k + 3].x), double(p[3 * k + 3].y)};
    // Enough steps that the chords stay within a fraction of a pixel.
    const double len = std::hypot(b.x - a.x, b.y - a.y) + std::hypot(c.x - b.x, c.y - b.y) +
                       std::hypot(d.x - c.x, d.y - c.y);
    const int steps = std::clamp(int(std::ceil(len / 2)), 1, 4096);
    for (int i = 1; i <= steps; ++i) {
      const double t = double(i) / steps, u = 1 - t;
      push(Pt{u * u * u * a.x + 3 * u * u * t * b.x + 3 * u * t * t * c.x + t * t * t * d.x,
              u * u * u * a.y + 3 * u * u * t * b.y + 3 * u * t * t * c.y + t * t * t * d.y});
    }
  }
}

// ---- Closed shapes ------------------------------------------------------------------

double angleAt(double cx, double cy, double x, double y) { return std::atan2(-(y - cy), x - cx); }

// A 1-pixel styled pen along a curved outline: the pixels are taken in
// counter-clockwise order around the centre from angle a0, and the dash
// pattern runs along them as along a line (gaps in the background colour
// when the background mode is opaque).
void paintStyledOutline(DC& dc, Painter& p, const SpanSet& outline, double cx, double cy, double a0,
                        double sweep) {
  struct Px {
    double key, dist;
    POINT q;
  };
  std::vector<Px> px;
  for (const SpanSet::Span& sp : outline.spans()) {
    for (int x = sp.x0; x < sp.x1; ++x) {
      const double a = angleAt(cx, cy, x + 0.5, sp.y + 0.5);
      double d = std::fmod(a - a0 + 4 * kPi, 2 * kPi);
      if (d > sweep + 1e-9 && sweep < 2 * kPi) d -= 2 * kPi;  // just before the start
      px.push_back({d, std::hypot(x + 0.5 - cx, sp.y + 0.5 - cy), POINT{x, sp.y}});
    }
  }
  std::sort(px.begin(), px.end(), [](const Px& a, const Px& b) {
    if (a.key != b.key) return a.key < b.key;
    return a.dist < b.dist;
  });
  const StyleRun run = styleOf(dc.st.pen.obj->style);
  const PaintSource fore = solidSource(dc, penColor(dc, *dc.st.pen.obj));
  const PaintSource back = dc.st.bkMode == OPAQUE ? solidSource(dc, dc.st.bkColor) : PaintSource();
  int step = 0;
  for (const Px& e : px) {
    if (styleOn(run, step++)) p.pixel(e.q.x, e.q.y, fore, dc.st.rop2);
    else if (!back.none()) p.pixel(e.q.x, e.q.y, back, dc.st.rop2);
  }
}

// Outline and interior of a shape built by `shapeOf` over a box, for the
// current pen: thin pens draw the shape's boundary pixels, wide pens a band
// of their width (centred on the boundary, or inside it for PS_INSIDEFRAME);
// a null pen fills the shape of the box less one pixel right and bottom.
template <class ShapeOf>
void drawShape(DC& dc, const RECT& box, ShapeOf shapeOf) {
  Painter p(dc);
  if (!p.ok()) return;
  const PaintSource brush = brushSource(dc, dc.st.brush.obj.get());
  const int w = penWidth(dc);
  if (w == 0) {
    p.spans(toSpans(shapeOf(RECT{box.left, box.top, box.right - 1, box.bottom - 1})), brush,
            dc.st.rop2);
    return;
  }
  RECT outer = box;
  if (w > 1 && !penInsideFrame(dc)) {
    outer = RECT{box.left - (w - 1) / 2, box.top - (w - 1) / 2, box.right + w / 2,
                 box.bottom + w / 2};
  }
  const RowShape s = shapeOf(outer);
  const RowShape inner = erode(s, w);
  p.spans(toSpans(inner), brush, dc.st.rop2);
  if (w == 1 && styleOf(dc.st.pen.obj->style).count > 0) {
    const double cx = (outer.left + outer.right) / 2.0, cy = (outer.top + outer.bottom) / 2.0;
    paintStyledOutline(dc, p, difference(s, inner), cx, cy, 0.0, 2 * kPi);
    return;
  }
  p.spans(difference(s, inner), solidSource(dc, penColor(dc, *dc.st.pen.obj)), dc.st.rop2);
}


bool inSweep(double a, double a0, double sweep) {
  double d = std::fmod(a - a0 + 4 * kPi, 2 * kPi);
  return d <= sweep + 1e-12;
}

enum class ArcKind { Arc, Pie, Chord };

// An arc's geometry through pixel centres, in surface or device coordinates
// (the same integer offset either way).
struct ArcGeometry {
  double cx = 0, cy = 0, rx = 0, ry = 0, a0 = 0, sweep = 0;

  ArcGeometry(const RECT& box, POINT start, POINT end) {
    cx = (box.left + box.right) / 2.0, cy = (box.top + box.bottom) / 2.0;
    rx = (box.right - box.left - 1) / 2.0, ry = (box.bottom - box.top - 1) / 2.0;
    a0 = angleAt(cx, cy, start.x + 0.5, start.y + 0.5);
    const double a1 = angleAt(cx, cy, end.x + 0.5, end.y + 0.5);
    sweep = std::fmod(a1 - a0 + 4 * kPi, 2 * kPi);
    if (sweep < 1e-12) sweep = 2 * kPi;
  }
  POINT at(double a) const {
    const double c = std::cos(a), s = std::sin(a);
    const double k = 1.0 / std::sqrt((c / rx) * (c / rx) + (s / ry) * (s / ry));
    return POINT{LONG(std::floor(cx - 0.5 + k * c + 0.5)), LONG(std::floor(cy - 0.5 - k * s + 0.5))};
  }
  POINT start() const { return at(a0); }
  POINT end() const { return at(a0 + sweep); }
  // The pixel points along the arc, start and end included.
  std::vector<POINT> points() const {
    std::vector<POINT> out;
    const int steps = std::max(4, int(std::ceil(sweep * std::max(rx, ry) * 2)));
    for (int i = 0; i <= steps; ++i) {
      const POINT q = at(a0 + sweep * i / steps);
      if (out.empty() || out.back().x != q.x || out.back().y != q.y) out.push_back(q);
    }
    return out;
  }
};

RECT toDevice(const DC& dc, const RECT& rc) {
  RECT r{dc.dx(rc.left), dc.dy(rc.top), dc.dx(rc.right), dc.dy(rc.bottom)};
  if (r.left > r.right) std::swap(r.left, r.right);
  if (r.top > r.bottom) std::swap(r.top, r.bottom);
  return r;
}

// Arc, Pie, Chord and ArcTo in a path: polygons through the pixels the
// outline passes. `joinCurrent` continues the current figure with a line
// from the current position (ArcTo). Returns the arc's end (device).
POINT pathArc(DC& dc, const RECT& logical, POINT start, POINT end, ArcKind kind, bool joinCurrent) {
  const RECT box = toDevice(dc, logical);
  const ArcGeometry g(box, POINT{dc.dx(start.x), dc.dy(start.y)}, POINT{dc.dx(end.x), dc.dy(end.y)});
  const std::vector<POINT> arc = g.points();
  if (joinCurrent) {
    for (const POINT& q : arc) pathLineTo(dc, q);
    return arc.back();
  }
  PathFigure f;
  if (kind == ArcKind::Pie) f.points.push_back(POINT{LONG(std::floor(g.cx)), LONG(std::floor(g.cy))});
  f.points.insert(f.points.end(), arc.begin(), arc.end());
  f.closed = kind != ArcKind::Arc;
  dc.path.push_back(std::move(f));
  return arc.back();
}

BOOL drawArc(HDC h, int l, int t, int r, int b, int xs, int ys, int xe, int ye, ArcKind kind) {
  DC* dc = findDC(h);
  if (!dc) return FALSE;
  if (dc->pathOpen) {
    pathArc(*dc, RECT{l, t, r, b}, POINT{xs, ys}, POINT{xe, ye}, kind, false);
    return TRUE;
  }
  RECT box = toSurface(*dc, RECT{l, t, r, b});
  if (box.right - box.left < 2 || box.bottom - box.top < 2) return TRUE;
  Painter p(*dc);
  if (!p.ok()) return TRUE;
  // Geometry through pixel centres.
  const ArcGeometry g(box, POINT{dc->sx(xs), dc->sy(ys)}, POINT{dc->sx(xe), dc->sy(ye)});
  const double cx = g.cx, cy = g.cy, rx = g.rx, ry = g.ry, a0 = g.a0, sweep = g.sweep;
  const POINT ps = g.start(), pe = g.end();

  const int w = penWidth(*dc) > 0 ? 1 : 0;  // arcs use 1-pixel outlines
  const RowShape s = ellipseShape(box);
  const RowShape inner = erode(s, 1);
  SpanSet outline, interior;
  auto keep = [&](const SpanSet& from, SpanSet& to, auto pred) {
    for (const SpanSet::Span& sp : from.spans()) {
      for (int x = sp.x0; x < sp.x1; ++x) {
        if (pred(x, sp.y)) to.add(sp.y, x, x + 1);
      }
    }
  };
  auto pixelInSweep = [&](int x, int y) { return inSweep(angleAt(cx, cy, x + 0.5, y + 0.5), a0, sweep); };
  keep(difference(s, inner), outline, pixelInSweep);
  std::vector<POINT> line;
  if (kind == ArcKind::Pie) {
    const POINT c{LONG(std::floor(cx)), LONG(std::floor(cy))};
    linePixels(c, ps, line);
    linePixels(c, pe, line);
    keep(toSpans(inner), interior, pixelInSweep);
  } else if (kind == ArcKind::Chord) {
    linePixels(ps, pe, line);
    line.push_back(pe);
    const double mid = a0 + sweep / 2;
    const double mx = cx + std::cos(mid) * rx, my = cy - std::sin(mid) * ry;
    auto side = [&](double x, double y) {
      return (pe.x + 0.5 - (ps.x + 0.5)) * (y - (ps.y + 0.5)) - (pe.y + 0.5 - (ps.y + 0.5)) * (x - (ps.x + 0.5));
    };
    const bool midSide = side(mx, my) > 0;
    keep(toSpans(inner), interior, [&](int x, int y) {
      const double sd = side(x + 0.5, y + 0.5);
      return sd != 0 && (sd > 0) == midSide;
    });
  }
  if (kind != ArcKind::Arc) p.spans(interior, brushSource(*dc, dc->st.brush.obj.get()), dc->st.rop2);
  if (w && kind == ArcKind::Arc && styleOf(dc->st.pen.obj->style).count > 0) {
    paintStyledOutline(*dc, p, outline, cx, cy, a0, sweep);
    return TRUE;
  }
  for (const POINT& q : line) outline.add(q.y, q.x, q.x + 1);
  if (w) p.spans(outline, solidSource(*dc, penColor(*dc, *dc->st.pen.obj)), dc->st.rop2);
  return TRUE;
}

}  // namespace

// ---- Rectangles with brushes ---------------------------------------------------------

int FillRect(HDC h, const RECT* rc, HBRUSH hbr) {
  DC* dc = findDC(h);
  auto brush = brushArg(hbr);
  if (!dc || !rc || !brush) return FALSE;
  Painter p(*dc);
  if (p.ok()) fillRectSpans(p, toSurface(*dc, *rc), brushSource(*dc, brush.get()), R2_COPYPEN);
  return TRUE;
}

int FrameRect(HDC h, const RECT* rc, HBRUSH hbr) {
  DC* dc = findDC(h);
  auto brush = brushArg(hbr);
  if (!dc || !rc || !brush) return FALSE;
  const RECT r = toSurface(*dc, *rc);
  if (r.left >= r.right || r.top >= r.bottom) return TRUE;
  Painter p(*dc);
  if (!p.ok()) return TRUE;
  const PaintSource src = brushSource(*dc, brush.get());
  SpanSet f;
  f.add(r.top, r.left, r.right);
  f.add(r.bottom - 1, r.left, r.right);
  for (int y = r.top + 1; y < r.bottom - 1; ++y) {
    f.add(y, r.left, r.left + 1);
    f.add(y, r.right - 1, r.right);
  }
  p.spans(f, src, R2_COPYPEN);
  return TRUE;
}

BOOL InvertRect(HDC h, const RECT* rc) {
  DC* dc = findDC(h);
  if (!dc || !rc) return FALSE;
  Painter p(*dc);
  const RECT r = toSurface(*dc, *rc);
  for (int y = r.top; y < r.bottom; ++y) p.invertSpan(y, r.left, r.right);
  return TRUE;
}

namespace {

bool regionOnSurface(DC& dc, HRGN rgn, RegionSet& out) {
  auto r = findRegion(rgn);
  if (!r) return false;
  out = r->set;
  out.offset(dc.sx(0), dc.sy(0));
  return true;
}

void paintRegion(Painter& p, const RegionSet& set, const PaintSource& src, int rop2) {
  int n = 0;
  const pixman_box32_t* b = set.boxes(&n);
  for (int i = 0; i < n; ++i) {
    for (int y = b[i].y1; y < b[i].y2; ++y) p.span(y, b[i].x1, b[i].x2, src, rop2);
  }
}

}  // namespace

BOOL FillRgn(HDC h, HRGN rgn, HBRUSH hbr) {
  DC* dc = findDC(h);
  auto brush = brushArg(hbr);
  RegionSet set;
  if (!dc || !brush || !regionOnSurface(*dc, rgn, set)) return FALSE;
  Painter p(*dc);
  paintRegion(p, set, brushSource(*dc, brush.get()), R2_COPYPEN);
  return TRUE;
}

BOOL PaintRgn(HDC h, HRGN rgn) {
  DC* dc = findDC(h);
  RegionSet set;
  if (!dc || !regionOnSurface(*dc, rgn, set)) return FALSE;
  Painter p(*dc);
  paintRegion(p, set, brushSource(*dc, dc->st.brush.obj.get()), dc->st.rop2);
  return TRUE;
}

BOOL InvertRgn(HDC h, HRGN rgn) {
  DC* dc = findDC(h);
  RegionSet set;
  if (!dc || !regionOnSurface(*dc, rgn, set)) return FALSE;
  Painter p(*dc);
  int n = 0;
  const pixman_box32_t* b = set.boxes(&n);
  for (int i = 0; i < n; ++i) {
    for (int y = b[i].y1; y < b[i].y2; ++y) p.invertSpan(y, b[i].x1, b[i].x2);
  }
  return TRUE;
}

BOOL FrameRgn(HDC h, HRGN rgn, HBRUSH hbr, int width, int height) {
  DC* dc = findDC(h);
  auto brush = brushArg(hbr);
  RegionSet set;
  if (!dc || !brush || width < 1 || height < 1 || !regionOnSurface(*dc, rgn, set)) return FALSE;
  // The frame is what an erosion by the band size removes.
  RegionSet inner = set;
  for (int d = 1; d <= width; ++d) {
    for (int sign : {1, -1}) {
      RegionSet o = set;
      o.offset(sign * d, 0);
      inner.intersect(o);
    }
  }
  for (int d = 1; d <= height; ++d) {
    for (int sign : {1, -1}) {
      RegionSet o = set;
      o.offset(0, sign * d);
      inner.intersect(o);
    }
  }
  set.subtract(inner);
  Painter p(*dc);
  paintRegion(p, set, brushSource(*dc, brush.get()), R2_COPYPEN);
  return TRUE;
}

// ---- Lines ---------------------------------------------------------------------------

BOOL MoveToEx(HDC h, int x, int y, POINT* old) {
  DC* dc = findDC(h);
  if (!dc) return FALSE;
  if (old) *old = dc->st.pos;
  dc->st.pos = POINT{x, y};
  dc->styleStep = 0;
  if (dc->pathOpen) pathMoveTo(*dc, POINT{dc->dx(x), dc->dy(y)});
  return TRUE;
}

BOOL GetCurrentPositionEx(HDC h, POINT* pt) {
  DC* dc = findDC(h);
  if (!dc || !pt) return FALSE;
  *pt = dc->st.pos;
  return TRUE;
}

BOOL LineTo(HDC h, int x, int y) {
  DC* dc = findDC(h);
  if (!dc) return FALSE;
  if (dc->pathOpen) {
    pathLineTo(*dc, POINT{dc->dx(x), dc->dy(y)});
  } else {
    Painter p(*dc);
    if (p.ok()) {
      Stroker s(*dc, p);
      s.segment(toSurface(*dc, dc->st.pos), POINT{dc->sx(x), dc->sy(y)});
    }
  }
  dc->st.pos = POINT{x, y};
  return TRUE;
}

BOOL Polyline(HDC h, const POINT* pts, int count) {
  DC* dc = findDC(h);
  if (!dc || !pts || count < 2) return FALSE;
  if (dc->pathOpen) {
    pathMoveTo(*dc, POINT{dc->dx(pts[0].x), dc->dy(pts[0].y)});
    for (int i = 1; i < count; ++i) pathLineTo(*dc, POINT{dc->dx(pts[i].x), dc->dy(pts[i].y)});
    return TRUE;
  }
  Painter p(*dc);
  if (!p.ok()) return TRUE;
  std::vector<POINT> s;
  for (int i = 0; i < count; ++i) s.push_back(toSurface(*dc, pts[i]));
  dc->styleStep = 0;
  strokePoints(*dc, p, s, false);
  return TRUE;
}

BOOL PolylineTo(HDC h, const POINT* pts, DWORD count) {
  DC* dc = findDC(h);
  if (!dc || !pts) return FALSE;
  if (dc->pathOpen) {
    for (DWORD i = 0; i < count; ++i) pathLineTo(*dc, POINT{dc->dx(pts[i].x), dc->dy(pts[i].y)});
  } else {
    Painter p(*dc);
    if (p.ok()) {
      std::vector<POINT> s{toSurface(*dc, dc->st.pos)};
      for (DWORD i = 0; i < count; ++i) s.push_back(toSurface(*dc, pts[i]));
      strokePoints(*dc, p, s, false);
    }
  }
  if (count) dc->st.pos = pts[count - 1];
  return TRUE;
}

BOOL PolyPolyline(HDC h, const POINT* pts, const DWORD* counts, DWORD polylines) {
  if (!pts || !counts) return FALSE;
  for (DWORD i = 0; i < polylines; ++i) {
    if (!Polyline(h, pts, int(counts[i]))) return FALSE;
    pts += counts[i];
  }
  return TRUE;
}

// ---- Closed figures -------------------------------------------------------------------

BOOL PolyPolygon(HDC h, const POINT* pts, const INT* counts, int polygons) {
  DC* dc = findDC(h);
  if (!dc || !pts || !counts || polygons <= 0) return FALSE;
  int total = 0;
  for (int i = 0; i < polygons; ++i) {
    if (counts[i] < 2) return FALSE;
    total += counts[i];
  }
  if (dc->pathOpen) {
    const POINT* q = pts;
    for (int i = 0; i < polygons; ++i) {
      pathPolygon(*dc, q, counts[i]);
      q += counts[i];
    }
    return TRUE;
  }
  Painter p(*dc);
  if (!p.ok()) return TRUE;
  std::vector<POINT> s;
  s.reserve(std::size_t(total));
  for (int i = 0; i < total; ++i) s.push_back(toSurface(*dc, pts[i]));
  p.spans(polygonSpans(s.data(), counts, polygons, dc->st.polyFillMode),
          brushSource(*dc, dc->st.brush.obj.get()), dc->st.rop2);
  std::size_t at = 0;
  for (int i = 0; i < polygons; ++i) {
    std::vector<POINT> fig(s.begin() + std::ptrdiff_t(at), s.begin() + std::ptrdiff_t(at + std::size_t(counts[i])));
    dc->styleStep = 0;
    strokePoints(*dc, p, fig, true);
    at += std::size_t(counts[i]);
  }
  return TRUE;
}

BOOL Polygon(HDC h, const POINT* pts, int count) { return PolyPolygon(h, pts, &count, 1); }

BOOL Rectangle(HDC h, int l, int t, int r, int b) {
  DC* dc = findDC(h);
  if (!dc) return FALSE;
  if (dc->pathOpen) {
    const RECT n{std::min(l, r), std::min(t, b), std::max(l, r) - 1, std::max(t, b) - 1};
    const POINT q[4] = {{n.left, n.top}, {n.right, n.top}, {n.right, n.bottom}, {n.left, n.bottom}};
    pathPolygon(*dc, q, 4);
    return TRUE;
  }
  const RECT box = toSurface(*dc, RECT{l, t, r, b});
  const Pen* pen = dc->st.pen.obj.get();
  if (pen && pen->width <= 1 && pen->style != PS_NULL && styleOf(pen->style).count > 0) {
    // Styled outlines run around the frame as one figure.
    Painter p(*dc);
    if (!p.ok()) return TRUE;
    fillRectSpans(p, RECT{box.left + 1, box.top + 1, box.right - 1, box.bottom - 1},
                  brushSource(*dc, dc->st.brush.obj.get()), dc->st.rop2);
    dc->styleStep = 0;
    strokePoints(*dc, p,
                 {{box.left, box.top}, {box.right - 1, box.top}, {box.right - 1, box.bottom - 1},
                  {box.left, box.bottom - 1}},
                 true);
    return TRUE;
  }
  drawShape(*dc, box, rectShape);
  return TRUE;
}

BOOL RoundRect(HDC h, int l, int t, int r, int b, int ew, int eh) {
  DC* dc = findDC(h);
  if (!dc) return FALSE;
  if (dc->pathOpen) {
    // As the interior a null pen fills: the box less one pixel right and bottom.
    const RECT d = toDevice(*dc, RECT{l, t, r, b});
    pathRowShape(*dc, roundRectShape(RECT{d.left, d.top, d.right - 1, d.bottom - 1}, ew, eh));
    return TRUE;
  }
  drawShape(*dc, toSurface(*dc, RECT{l, t, r, b}),
            [ew, eh](const RECT& box) { return roundRectShape(box, ew, eh); });
  return TRUE;
}

BOOL Ellipse(HDC h, int l, int t, int r, int b) {
  DC* dc = findDC(h);
  if (!dc) return FALSE;
  if (dc->pathOpen) {
    const RECT d = toDevice(*dc, RECT{l, t, r, b});
    pathRowShape(*dc, ellipseShape(RECT{d.left, d.top, d.right - 1, d.bottom - 1}));
    return TRUE;
  }
  drawShape(*dc, toSurface(*dc, RECT{l, t, r, b}), ellipseShape);
  return TRUE;
}

BOOL Arc(HDC h, int l, int t, int r, int b, int xs, int ys, int xe, int ye) {
  return drawArc(h, l, t, r, b, xs, ys, xe, ye, ArcKind::Arc);
}
BOOL Pie(HDC h, int l, int t, int r, int b, int xs, int ys, int xe, int ye) {
  return drawArc(h, l, t, r, b, xs, ys, xe, ye, ArcKind::Pie);
}
BOOL Chord(HDC h, int l, int t, int r, int b, int xs, int ys, int xe, int ye) {
  return drawArc(h, l, t, r, b, xs, ys, xe, ye, ArcKind::Chord);
}

BOOL ArcTo(HDC h, int l, int t, int r, int b, int xs, int ys, int xe, int ye) {
  DC* dc = findDC(h);
  if (!dc) return FALSE;
  POINT endDevice;
  if (dc->pathOpen) {
    endDevice = pathArc(*dc, RECT{l, t, r, b}, POINT{xs, ys}, POINT{xe, ye}, ArcKind::Arc, true);
  } else {
    const RECT box = toDevice(*dc, RECT{l, t, r, b});
    if (box.right - box.left < 2 || box.bottom - box.top < 2) return TRUE;
    const ArcGeometry g(box, POINT{dc->dx(xs), dc->dy(ys)}, POINT{dc->dx(xe), dc->dy(ye)});
    const POINT startDevice = g.start();
    endDevice = g.end();
    // A line from the current position to the arc's start, then the arc.
    const int ox = dc->dx(0), oy = dc->dy(0);
    LineTo(h, startDevice.x - ox, startDevice.y - oy);
    drawArc(h, l, t, r, b, xs, ys, xe, ye, ArcKind::Arc);
  }
  dc->st.pos = POINT{endDevice.x - dc->dx(0), endDevice.y - dc->dy(0)};
  return TRUE;
}

BOOL PolyBezier(HDC h, const POINT* pts, DWORD count) {
  DC* dc = findDC(h);
  if (!dc || !pts || count < 4 || (count - 1) % 3 != 0) return FALSE;
  std::vector<POINT> dev;
  for (DWORD i = 0; i < count; ++i) dev.push_back(POINT{dc->dx(pts[i].x), dc->dy(pts[i].y)});
  std::vector<POINT> flat{dev[0]};
  flattenBezier(dev.data(), (count - 1) / 3, flat);
  if (dc->pathOpen) {
    dc->path.push_back(PathFigure{flat, false});
    return TRUE;
  }
  Painter p(*dc);
  if (!p.ok()) return TRUE;
  const int ox = dc->surfaceOrigin.x, oy = dc->surfaceOrigin.y;
  for (POINT& q : flat) q = POINT{q.x + ox, q.y + oy};
  dc->styleStep = 0;
  strokePoints(*dc, p, flat, false);
  return TRUE;
}

BOOL PolyBezierTo(HDC h, const POINT* pts, DWORD count) {
  DC* dc = findDC(h);
  if (!dc || !pts || count < 3 || count % 3 != 0) return FALSE;
  std::vector<POINT> dev{POINT{dc->dx(dc->st.pos.x), dc->dy(dc->st.pos.y)}};
  for (DWORD i = 0; i < count; ++i) dev.push_back(POINT{dc->dx(pts[i].x), dc->dy(pts[i].y)});
  std::vector<POINT> flat{dev[0]};
  flattenBezier(dev.data(), count / 3, flat);
  if (dc->pathOpen) {
    for (std::size_t i = 1; i < flat.size(); ++i) pathLineTo(*dc, flat[i]);
  } else {
    Painter p(*dc);
    if (p.ok()) {
      const int ox = dc->surfaceOrigin.x, oy = dc->surfaceOrigin.y;
      for (POINT& q : flat) q = POINT{q.x + ox, q.y + oy};
      strokePoints(*dc, p, flat, false);
    }
  }
  dc->st.pos = pts[count - 1];
  return TRUE;
}

// ---- Paths -------------------------------------------------------------------------------

BOOL BeginPath(HDC h) {
  DC* dc = findDC(h);
  if (!dc) return FALSE;
  dc->path.clear();
  dc->pathOpen = true;
  dc->pathReady = false;
  return TRUE;
}

BOOL EndPath(HDC h) {
  DC* dc = findDC(h);
  if (!dc || !dc->pathOpen) return FALSE;
  dc->pathOpen = false;
  dc->pathReady = true;
  return TRUE;
}

BOOL AbortPath(HDC h) {
  DC* dc = findDC(h);
  if (!dc) return FALSE;
  dc->path.clear();
  dc->pathOpen = dc->pathReady = false;
  return TRUE;
}

BOOL CloseFigure(HDC h) {
  DC* dc = findDC(h);
  if (!dc || !dc->pathOpen || dc->path.empty()) return FALSE;
  dc->path.back().closed = true;
  return TRUE;
}

namespace {

// Figures with at least two points, as polygon input (device coordinates).
bool pathPolygons(DC& dc, std::vector<POINT>& pts, std::vector<INT>& counts) {
  if (!dc.pathReady) return false;
  for (const PathFigure& f : dc.path) {
    if (f.points.size() < 2) continue;
    pts.insert(pts.end(), f.points.begin(), f.points.end());
    counts.push_back(INT(f.points.size()));
  }
  return true;
}

void usePath(DC& dc) {
  dc.path.clear();
  dc.pathReady = false;
}

BOOL fillAndStroke(HDC h, bool fill, bool stroke) {
  DC* dc = findDC(h);
  if (!dc) return FALSE;
  std::vector<POINT> pts;
  std::vector<INT> counts;
  if (!pathPolygons(*dc, pts, counts)) return FALSE;
  Painter p(*dc);
  if (p.ok()) {
    const int ox = dc->surfaceOrigin.x, oy = dc->surfaceOrigin.y;
    if (fill && !counts.empty()) {
      std::vector<POINT> s = pts;
      for (POINT& q : s) q = POINT{q.x + ox, q.y + oy};
      p.spans(polygonSpans(s.data(), counts.data(), int(counts.size()), dc->st.polyFillMode),
              brushSource(*dc, dc->st.brush.obj.get()), dc->st.rop2);
    }
    if (stroke) {
      for (const PathFigure& f : dc->path) {
        std::vector<POINT> s = f.points;
        for (POINT& q : s) q = POINT{q.x + ox, q.y + oy};
        dc->styleStep = 0;
        strokePoints(*dc, p, s, f.closed);
      }
    }
  }
  usePath(*dc);
  return TRUE;
}

}  // namespace

HRGN PathToRegion(HDC h) {
  DC* dc = findDC(h);
  if (!dc) return nullptr;
  std::vector<POINT> pts;
  std::vector<INT> counts;
  if (!pathPolygons(*dc, pts, counts)) return nullptr;
  HRGN rgn = counts.empty() ? CreateRectRgn(0, 0, 0, 0)
                            : CreatePolyPolygonRgn(pts.data(), counts.data(), int(counts.size()),
                                                   dc->st.polyFillMode);
  usePath(*dc);
  return rgn;
}

BOOL FillPath(HDC h) { return fillAndStroke(h, true, false); }
BOOL StrokePath(HDC h) { return fillAndStroke(h, false, true); }
BOOL StrokeAndFillPath(HDC h) { return fillAndStroke(h, true, true); }

int GetPath(HDC h, POINT* points, BYTE* types, int size) {
  DC* dc = findDC(h);
  if (!dc || !dc->pathReady) return -1;
  int n = 0;
  for (const PathFigure& f : dc->path) n += int(f.points.size());
  if (size == 0) return n;
  if (size < n || !points || !types) return -1;
  int i = 0;
  const int ox = dc->dx(0), oy = dc->dy(0);
  for (const PathFigure& f : dc->path) {
    for (std::size_t k = 0; k < f.points.size(); ++k, ++i) {
      points[i] = POINT{f.points[k].x - ox, f.points[k].y - oy};
      types[i] = k == 0 ? PT_MOVETO : PT_LINETO;
      if (f.closed && k + 1 == f.points.size()) types[i] |= PT_CLOSEFIGURE;
    }
  }
  return n;
}

// ---- Pixels -----------------------------------------------------------------------------

COLORREF GetPixel(HDC h, int x, int y) {
  DC* dc = findDC(h);
  if (!dc) return CLR_INVALID;
  const int sx = dc->sx(x), sy = dc->sy(y);
  if (!dc->effectiveClip().contains(sx, sy)) return CLR_INVALID;
  Surface s = dc->surface();
  return toColorRef(s.at(sx, sy));
}

COLORREF SetPixel(HDC h, int x, int y, COLORREF color) {
  DC* dc = findDC(h);
  if (!dc) return CLR_INVALID;
  const int sx = dc->sx(x), sy = dc->sy(y);
  if (!dc->effectiveClip().contains(sx, sy)) return CLR_INVALID;
  Painter p(*dc);
  const PaintSource src = solidSource(*dc, color);
  p.pixel(sx, sy, src, R2_COPYPEN);
  return toColorRef(src.color);
}

BOOL SetPixelV(HDC h, int x, int y, COLORREF color) {
  return SetPixel(h, x, y, color) != CLR_INVALID ? TRUE : FALSE;
}

}  // namespace gdi
