// Paths as points and point types; arcs and ellipses as Bézier curves.
#include <algorithm>
#include <cmath>
#include <limits>

#include "platform/gdiplus/impl/objects.h"
#include "platform/gdiplus/path.h"

namespace gdiplus {

void GpPath::moveTo(double x, double y) {
  points.push_back({static_cast<REAL>(x), static_cast<REAL>(y)});
  types.push_back(PathPointTypeStart);
  startNew = false;
}

void GpPath::lineTo(double x, double y) {
  if (startNew) return moveTo(x, y);
  points.push_back({static_cast<REAL>(x), static_cast<REAL>(y)});
  types.push_back(PathPointTypeLine);
}

void GpPath::bezierTo(double x1, double y1, double x2, double y2, double x3, double y3) {
  for (auto [x, y] : {std::pair{x1, y1}, std::pair{x2, y2}, std::pair{x3, y3}}) {
    points.push_back({static_cast<REAL>(x), static_cast<REAL>(y)});
    types.push_back(PathPointTypeBezier);
  }
}

void GpPath::closeFigure() {
  if (!types.empty() && !startNew) types.back() |= PathPointTypeCloseSubpath;
  startNew = true;
}

namespace {

// The ellipse's parameter for an angle measured from its centre, on the
// same turn as the angle itself.
double parameterOf(double radians, double rx, double ry) {
  const double t = std::atan2(rx * std::sin(radians), ry * std::cos(radians));
  const double turns = std::round((radians - t) / (2 * M_PI));
  return t + turns * 2 * M_PI;
}

}  // namespace

void GpPath::addArc(double x, double y, double w, double h, double start, double sweep, bool continueFigure) {
  sweep = std::clamp(sweep, -360.0, 360.0);
  const double rx = w / 2, ry = h / 2, cx = x + rx, cy = y + ry;
  const double a0 = start * M_PI / 180, a1 = (start + sweep) * M_PI / 180;
  double t0 = parameterOf(a0, rx, ry), t1 = parameterOf(a1, rx, ry);
  if (std::fabs(sweep) >= 360) t1 = t0 + (sweep > 0 ? 2 : -2) * M_PI;
  else if (sweep > 0 && t1 < t0) t1 += 2 * M_PI;
  else if (sweep < 0 && t1 > t0) t1 -= 2 * M_PI;
  const int segments = std::max(1, static_cast<int>(std::ceil(std::fabs(t1 - t0) / (M_PI / 2) - 1e-9)));
  const double step = (t1 - t0) / segments;
  const double k = 4.0 / 3.0 * std::tan(step / 4);
  auto px = [&](double t) { return cx + rx * std::cos(t); };
  auto py = [&](double t) { return cy + ry * std::sin(t); };
  if (continueFigure && !startNew) lineTo(px(t0), py(t0));
  else moveTo(px(t0), py(t0));
  for (int i = 0; i < segments; ++i) {
    const double a = t0 + step * i, b = a + step;
    bezierTo(px(a) - k * rx * std::sin(a), py(a) + k * ry * std::cos(a), px(b) + k * rx * std::sin(b),
             py(b) - k * ry * std::cos(b), px(b), py(b));
  }
}

void GpPath::addEllipse(double x, double y, double w, double h) {
  startNew = true;
  addArc(x, y, w, h, 0, 360, false);
  closeFigure();
}

void GpPath::addPolygon(const std::vector<GpPointF>& pts) {
  startNew = true;
  for (const GpPointF& p : pts) lineTo(p.X, p.Y);
  closeFigure();
}

void GpPath::addRectangle(double x, double y, double w, double h) {
  if (w == 0 || h == 0) return;
  startNew = true;
  moveTo(x, y);
  lineTo(x + w, y);
  lineTo(x + w, y + h);
  lineTo(x, y + h);
  closeFigure();
}

void GpPath::replay(cairo_t* cr) const {
  const std::size_t n = points.size();
  for (std::size_t i = 0; i < n; ++i) {
    const int kind = types[i] & PathPointTypePathTypeMask;
    std::size_t last = i;
    if (kind == PathPointTypeStart || i == 0) {
      cairo_move_to(cr, points[i].X, points[i].Y);
    } else if (kind == PathPointTypeBezier && i + 2 < n) {
      cairo_curve_to(cr, points[i].X, points[i].Y, points[i + 1].X, points[i + 1].Y, points[i + 2].X,
                     points[i + 2].Y);
      last = i + 2;
    } else {
      cairo_line_to(cr, points[i].X, points[i].Y);
    }
    i = last;
    if (types[last] & PathPointTypeCloseSubpath) cairo_close_path(cr);
  }
}

GpPath GpPath::transformed(const Affine& a) const {
  GpPath p = *this;
  for (GpPointF& pt : p.points) {
    double x = pt.X, y = pt.Y;
    a.apply(x, y);
    pt = {static_cast<REAL>(x), static_cast<REAL>(y)};
  }
  return p;
}

// ---- flat functions ----------------------------------------------------------------------
namespace {

template <class F>
GpStatus onPath(GpPath* path, F&& f) {
  return guarded([&] {
    need(path, "path");
    f(*path);
  });
}

std::vector<GpPointF> pathToFloat(const GpPoint* pts, INT count) {
  std::vector<GpPointF> out;
  for (INT i = 0; i < count; ++i) out.push_back({static_cast<REAL>(pts[i].X), static_cast<REAL>(pts[i].Y)});
  return out;
}

}  // namespace

GpStatus GdipCreatePath(FillMode fillMode, GpPath** path) {
  return guarded([&] {
    need(path && (fillMode == FillModeAlternate || fillMode == FillModeWinding), "path");
    auto p = std::make_unique<GpPath>();
    p->fillMode = fillMode;
    *path = p.release();
  });
}

GpStatus GdipCreatePath2(const GpPointF* points, const BYTE* types, INT count, FillMode fillMode, GpPath** path) {
  return guarded([&] {
    need(path && points && types && count >= 0, "path");
    auto p = std::make_unique<GpPath>();
    p->fillMode = fillMode;
    p->points.assign(points, points + count);
    p->types.assign(types, types + count);
    if (count > 0) p->types[0] = static_cast<BYTE>((p->types[0] & ~PathPointTypePathTypeMask) | PathPointTypeStart);
    p->startNew = count == 0 || (p->types.back() & PathPointTypeCloseSubpath);
    *path = p.release();
  });
}

GpStatus GdipClonePath(GpPath* path, GpPath** clone) {
  return guarded([&] {
    need(path && clone, "path");
    *clone = new GpPath(*path);
  });
}

GpStatus GdipDeletePath(GpPath* path) {
  if (!path) return InvalidParameter;
  delete path;
  return Ok;
}

GpStatus GdipResetPath(GpPath* path) {
  return onPath(path, [](GpPath& p) {
    const FillMode mode = p.fillMode;
    p = GpPath();
    p.fillMode = mode;
  });
}

GpStatus GdipGetPointCount(GpPath* path, INT* count) {
  return onPath(path, [&](GpPath& p) {
    need(count, "count");
    *count = static_cast<INT>(p.points.size());
  });
}

GpStatus GdipGetPathPoints(GpPath* path, GpPointF* points, INT count) {
  return onPath(path, [&](GpPath& p) {
    need(points && count == static_cast<INT>(p.points.size()), "points");
    std::copy(p.points.begin(), p.points.end(), points);
  });
}

GpStatus GdipGetPathTypes(GpPath* path, BYTE* types, INT count) {
  return onPath(path, [&](GpPath& p) {
    need(types && count == static_cast<INT>(p.types.size()), "types");
    std::copy(p.types.begin(), p.types.end(), types);
  });
}

GpStatus GdipGetPathLastPoint(GpPath* path, GpPointF* point) {
  return onPath(path, [&](GpPath& p) {
    need(point && !p.points.empty(), "last point");
    *point = p.points.back();
  });
}

GpStatus GdipGetPathFillMode(GpPath* path, FillMode* fillMode) {
  return onPath(path, [&](GpPath& p) {
    need(fillMode, "fill mode");
    *fillMode = p.fillMode;
  });
}

GpStatus GdipSetPathFillMode(GpPath* path, FillMode fillMode) {
  return onPath(path, [&](GpPath& p) { p.fillMode = fillMode; });
}

GpStatus GdipGetPathWorldBounds(GpPath* path, GpRectF* bounds, const void* matrix, const void* pen) {
  return onPath(path, [&](GpPath& p) {
    need(bounds, "bounds");
    if (matrix || pen) fail(NotImplemented, "bounds with a matrix or pen");
    if (p.points.empty()) {
      *bounds = {};
      return;
    }
    REAL x0 = std::numeric_limits<REAL>::max(), y0 = x0, x1 = -x0, y1 = -x0;
    for (const GpPointF& pt : p.points) {
      x0 = std::min(x0, pt.X), y0 = std::min(y0, pt.Y), x1 = std::max(x1, pt.X), y1 = std::max(y1, pt.Y);
    }
    *bounds = {x0, y0, x1 - x0, y1 - y0};
  });
}

GpStatus GdipStartPathFigure(GpPath* path) {
  return onPath(path, [](GpPath& p) { p.startNew = true; });
}

GpStatus GdipClosePathFigure(GpPath* path) {
  return onPath(path, [](GpPath& p) { p.closeFigure(); });
}

GpStatus GdipClosePathFigures(GpPath* path) {
  return onPath(path, [](GpPath& p) {
    for (std::size_t i = 1; i <= p.types.size(); ++i)
      if (i == p.types.size() || (p.types[i] & PathPointTypePathTypeMask) == PathPointTypeStart)
        p.types[i - 1] |= PathPointTypeCloseSubpath;
    p.startNew = true;
  });
}

GpStatus GdipAddPathLine(GpPath* path, REAL x1, REAL y1, REAL x2, REAL y2) {
  return onPath(path, [&](GpPath& p) {
    p.lineTo(x1, y1);
    p.lineTo(x2, y2);
  });
}

GpStatus GdipAddPathLineI(GpPath* path, INT x1, INT y1, INT x2, INT y2) {
  return GdipAddPathLine(path, static_cast<REAL>(x1), static_cast<REAL>(y1), static_cast<REAL>(x2),
                         static_cast<REAL>(y2));
}

GpStatus GdipAddPathLine2(GpPath* path, const GpPointF* points, INT count) {
  return onPath(path, [&](GpPath& p) {
    need(points && count > 0, "points");
    for (INT i = 0; i < count; ++i) p.lineTo(points[i].X, points[i].Y);
  });
}

GpStatus GdipAddPathLine2I(GpPath* path, const GpPoint* points, INT count) {
  if (!points || count <= 0) return InvalidParameter;
  const auto f = pathToFloat(points, count);
  return GdipAddPathLine2(path, f.data(), count);
}

GpStatus GdipAddPathArc(GpPath* path, REAL x, REAL y, REAL width, REAL height, REAL startAngle, REAL sweepAngle) {
  return onPath(path, [&](GpPath& p) {
    need(width > 0 && height > 0, "arc size");
    p.addArc(x, y, width, height, startAngle, sweepAngle, true);
  });
}

GpStatus GdipAddPathArcI(GpPath* path, INT x, INT y, INT width, INT height, REAL startAngle, REAL sweepAngle) {
  return GdipAddPathArc(path, static_cast<REAL>(x), static_cast<REAL>(y), static_cast<REAL>(width),
                        static_cast<REAL>(height), startAngle, sweepAngle);
}

GpStatus GdipAddPathBezier(GpPath* path, REAL x1, REAL y1, REAL x2, REAL y2, REAL x3, REAL y3, REAL x4, REAL y4) {
  return onPath(path, [&](GpPath& p) {
    p.lineTo(x1, y1);
    p.bezierTo(x2, y2, x3, y3, x4, y4);
  });
}

GpStatus GdipAddPathBezierI(GpPath* path, INT x1, INT y1, INT x2, INT y2, INT x3, INT y3, INT x4, INT y4) {
  return GdipAddPathBezier(path, REAL(x1), REAL(y1), REAL(x2), REAL(y2), REAL(x3), REAL(y3), REAL(x4), REAL(y4));
}

GpStatus GdipAddPathBeziers(GpPath* path, const GpPointF* points, INT count) {
  return onPath(path, [&](GpPath& p) {
    need(points && count >= 4 && (count - 1) % 3 == 0, "Bézier points");
    p.lineTo(points[0].X, points[0].Y);
    for (INT i = 1; i + 2 < count; i += 3)
      p.bezierTo(points[i].X, points[i].Y, points[i + 1].X, points[i + 1].Y, points[i + 2].X, points[i + 2].Y);
  });
}

GpStatus GdipAddPathRectangle(GpPath* path, REAL x, REAL y, REAL width, REAL height) {
  return onPath(path, [&](GpPath& p) { p.addRectangle(x, y, width, height); });
}

GpStatus GdipAddPathRectangleI(GpPath* path, INT x, INT y, INT width, INT height) {
  return GdipAddPathRectangle(path, REAL(x), REAL(y), REAL(width), REAL(height));
}

GpStatus GdipAddPathRectangles(GpPath* path, const GpRectF* rects, INT count) {
  return onPath(path, [&](GpPath& p) {
    need(rects && count > 0, "rectangles");
    for (INT i = 0; i < count; ++i) p.addRectangle(rects[i].X, rects[i].Y, rects[i].Width, rects[i].Height);
  });
}

GpStatus GdipAddPathEllipse(GpPath* path, REAL x, REAL y, REAL width, REAL height) {
  return onPath(path, [&](GpPath& p) { p.addEllipse(x, y, width, height); });
}

GpStatus GdipAddPathEllipseI(GpPath* path, INT x, INT y, INT width, INT height) {
  return GdipAddPathEllipse(path, REAL(x), REAL(y), REAL(width), REAL(height));
}

GpStatus GdipAddPathPolygon(GpPath* path, const GpPointF* points, INT count) {
  return onPath(path, [&](GpPath& p) {
    need(points && count >= 3, "polygon points");
    p.addPolygon(std::vector<GpPointF>(points, points + count));
  });
}

GpStatus GdipAddPathPolygonI(GpPath* path, const GpPoint* points, INT count) {
  if (!points || count < 3) return InvalidParameter;
  const auto f = pathToFloat(points, count);
  return GdipAddPathPolygon(path, f.data(), count);
}

GpStatus GdipAddPathPath(GpPath* path, const GpPath* other, BOOL connect) {
  return onPath(path, [&](GpPath& p) {
    need(other, "path");
    for (std::size_t i = 0; i < other->points.size(); ++i) {
      BYTE t = other->types[i];
      if (i == 0 && connect && !p.startNew) t = static_cast<BYTE>((t & ~PathPointTypePathTypeMask) | PathPointTypeLine);
      p.points.push_back(other->points[i]);
      p.types.push_back(t);
    }
    if (!other->points.empty()) p.startNew = other->startNew;
  });
}

}  // namespace gdiplus
