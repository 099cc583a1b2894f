#include "platform/gdi/impl/shapes.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>

#include "platform/gdi/region.h"

namespace gdi::impl {
namespace {

RECT normalised(const RECT& rc) {
  return RECT{std::min(rc.left, rc.right), std::min(rc.top, rc.bottom),
              std::max(rc.left, rc.right), std::max(rc.top, rc.bottom)};
}

std::int64_t floorDiv(std::int64_t a, std::int64_t b) {
  std::int64_t q = a / b;
  if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
  return q;
}

std::int64_t ceilDiv(std::int64_t a, std::int64_t b) { return -floorDiv(-a, b); }

// Pixels x whose centre x + 0.5 is within `half` of `centre`.
std::pair<int, int> centredRun(double centre, double half) {
  const double eps = 1e-9;
  const int x0 = int(std::ceil(centre - half - 0.5 - eps));
  const int x1 = int(std::floor(centre + half - 0.5 + eps)) + 1;
  return {x0, std::max(x0, x1)};
}

}  // namespace

RowShape rectShape(const RECT& box) {
  const RECT b = normalised(box);
  RowShape s;
  s.top = b.top;
  s.rows.assign(std::size_t(b.bottom - b.top), {b.left, b.right});
  return s;
}

RowShape ellipseShape(const RECT& box) {
  const RECT b = normalised(box);
  RowShape s;
  s.top = b.top;
  const double cx = (b.left + b.right) / 2.0, cy = (b.top + b.bottom) / 2.0;
  const double rx = (b.right - b.left) / 2.0, ry = (b.bottom - b.top) / 2.0;
  for (int y = b.top; y < b.bottom; ++y) {
    const double dy = (y + 0.5 - cy) / ry;
    const double k = 1.0 - dy * dy;
    if (k < 0) {
      s.rows.push_back({0, 0});
      continue;
    }
    s.rows.push_back(centredRun(cx, rx * std::sqrt(k)));
  }
  return s;
}

RowShape roundRectShape(const RECT& box, int ew, int eh) {
  const RECT b = normalised(box);
  ew = std::min(std::abs(ew), int(b.right - b.left));
  eh = std::min(std::abs(eh), int(b.bottom - b.top));
  if (ew <= 1 || eh <= 1) return rectShape(b);
  RowShape s;
  s.top = b.top;
  const double rx = ew / 2.0, ry = eh / 2.0;
  const double cx = (b.left + b.right) / 2.0;
  const double innerHalf = (b.right - b.left) / 2.0 - rx;  // straight part
  for (int y = b.top; y < b.bottom; ++y) {
    const double py = y + 0.5;
    double dy = 0;
    if (py < b.top + ry) dy = (b.top + ry - py) / ry;
    else if (py > b.bottom - ry) dy = (py - (b.bottom - ry)) / ry;
    const double k = 1.0 - dy * dy;
    if (k < 0) {
      s.rows.push_back({0, 0});
      continue;
    }
    s.rows.push_back(centredRun(cx, innerHalf + rx * std::sqrt(k)));
  }
  return s;
}

RowShape erode(const RowShape& s, int times) {
  RowShape cur = s;
  for (int n = 0; n < times; ++n) {
    RowShape next;
    next.top = cur.top;
    next.rows.resize(cur.rows.size());
    for (std::size_t i = 0; i < cur.rows.size(); ++i) {
      const int y = cur.top + int(i);
      auto r = cur.rows[i];
      auto up = cur.row(y - 1), down = cur.row(y + 1);
      int x0 = std::max({r.first + 1, up.first, down.first});
      int x1 = std::min({r.second - 1, up.second, down.second});
      if (up.first >= up.second || down.first >= down.second) x1 = x0;
      next.rows[i] = {x0, std::max(x0, x1)};
    }
    cur = std::move(next);
  }
  return cur;
}

SpanSet toSpans(const RowShape& s) {
  SpanSet out;
  for (std::size_t i = 0; i < s.rows.size(); ++i) {
    out.add(s.top + int(i), s.rows[i].first, s.rows[i].second);
  }
  return out;
}

SpanSet difference(const RowShape& outer, const RowShape& inner) {
  SpanSet out;
  for (std::size_t i = 0; i < outer.rows.size(); ++i) {
    const int y = outer.top + int(i);
    auto o = outer.rows[i];
    auto in = inner.row(y);
    if (in.first >= in.second) {
      out.add(y, o.first, o.second);
    } else {
      out.add(y, o.first, std::min(o.second, in.first));
      out.add(y, std::max(o.first, in.second), o.second);
    }
  }
  return out;
}

SpanSet polygonSpans(const POINT* points, const int* counts, int polygons, int fillMode) {
  struct Edge {
    std::int64_t x0, y0, x1, y1;
    int dir;
  };
  std::vector<Edge> edges;
  int ymin = 0, ymax = 0;
  bool first = true;
  const POINT* p = points;
  for (int k = 0; k < polygons; ++k) {
    const int n = counts[k];
    for (int i = 0; i < n; ++i) {
      const POINT a = p[i], b = p[(i + 1) % n];
      if (first) {
        ymin = ymax = a.y;
        first = false;
      }
      ymin = std::min<int>(ymin, a.y);
      ymax = std::max<int>(ymax, a.y);
      if (a.y == b.y) continue;
      if (a.y < b.y) edges.push_back({a.x, a.y, b.x, b.y, 1});
      else edges.push_back({b.x, b.y, a.x, a.y, -1});
    }
    p += n;
  }
  SpanSet out;
  struct Cross {
    std::int64_t x;
    int dir;
  };
  std::vector<Cross> xs;
  for (int y = ymin; y < ymax; ++y) {
    xs.clear();
    for (const Edge& e : edges) {
      if (y < e.y0 || y >= e.y1) continue;
      // First pixel at or right of the crossing: ceil(x0 + (y-y0)*dx/dy).
      const std::int64_t dy = e.y1 - e.y0;
      const std::int64_t num = e.x0 * dy + (y - e.y0) * (e.x1 - e.x0);
      xs.push_back({ceilDiv(num, dy), e.dir});
    }
    std::sort(xs.begin(), xs.end(), [](const Cross& a, const Cross& b) { return a.x < b.x; });
    if (fillMode == WINDING) {
      int w = 0;
      std::int64_t start = 0;
      for (const Cross& c : xs) {
        const int before = w;
        w += c.dir;
        if (before == 0 && w != 0) start = c.x;
        else if (before != 0 && w == 0) out.add(y, int(start), int(c.x));
      }
    } else {
      for (std::size_t i = 0; i + 1 < xs.size(); i += 2) out.add(y, int(xs[i].x), int(xs[i + 1].x));
    }
  }
  return out;
}

void linePixels(POINT a, POINT b, std::vector<POINT>& out) {
  const std::int64_t dx = std::int64_t(b.x) - a.x, dy = std::int64_t(b.y) - a.y;
  const std::int64_t adx = std::llabs(dx), ady = std::llabs(dy);
  // Rounds n/d (d > 0) to nearest, halves toward minus infinity.
  auto roundDown = [](std::int64_t n, std::int64_t d) { return floorDiv(2 * n + d - 1, 2 * d); };
  if (adx >= ady) {
    const int sx = dx >= 0 ? 1 : -1;
    for (std::int64_t i = 0; i < adx; ++i) {
      out.push_back({LONG(a.x + i * sx), LONG(a.y + roundDown(i * dy, adx))});
    }
  } else {
    const int sy = dy >= 0 ? 1 : -1;
    for (std::int64_t i = 0; i < ady; ++i) {
      out.push_back({LONG(a.x + roundDown(i * dx, ady)), LONG(a.y + i * sy)});
    }
  }
}

}  // namespace gdi::impl
