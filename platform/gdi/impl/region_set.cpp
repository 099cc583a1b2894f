#include "platform/gdi/impl/region_set.h"

#include <algorithm>

#include "platform/gdi/region.h"

namespace gdi::impl {

RegionSet::RegionSet(const RECT& rc) {
  pixman_region32_init(&r_);
  setRect(rc);
}

RegionSet RegionSet::FromRects(const std::vector<RECT>& rects) {
  std::vector<pixman_box32_t> boxes;
  boxes.reserve(rects.size());
  for (const RECT& rc : rects) {
    if (rc.left < rc.right && rc.top < rc.bottom) {
      boxes.push_back({rc.left, rc.top, rc.right, rc.bottom});
    }
  }
  RegionSet out;
  if (!boxes.empty()) {
    pixman_region32_fini(&out.r_);
    pixman_region32_init_rects(&out.r_, boxes.data(), int(boxes.size()));
  }
  return out;
}

RECT RegionSet::bounds() const {
  if (empty()) return RECT{};
  const pixman_box32_t* e = pixman_region32_extents(cp());
  return RECT{e->x1, e->y1, e->x2, e->y2};
}

int RegionSet::complexity() const {
  const int n = rectCount();
  if (n == 0) return NULLREGION;
  return n == 1 ? SIMPLEREGION : COMPLEXREGION;
}

std::vector<RECT> RegionSet::rects() const {
  int n = 0;
  const pixman_box32_t* b = boxes(&n);
  std::vector<RECT> out;
  out.reserve(std::size_t(n));
  for (int i = 0; i < n; ++i) out.push_back({b[i].x1, b[i].y1, b[i].x2, b[i].y2});
  return out;
}

void RegionSet::setRect(const RECT& rc) {
  pixman_region32_fini(&r_);
  // Platform regions normalise swapped corners.
  const int l = std::min(rc.left, rc.right), r = std::max(rc.left, rc.right);
  const int t = std::min(rc.top, rc.bottom), b = std::max(rc.top, rc.bottom);
  if (l < r && t < b) {
    pixman_region32_init_rect(&r_, l, t, unsigned(r - l), unsigned(b - t));
  } else {
    pixman_region32_init(&r_);
  }
}

void RegionSet::intersect(const RECT& rc) {
  if (rc.left >= rc.right || rc.top >= rc.bottom) {
    clear();
    return;
  }
  pixman_region32_intersect_rect(&r_, &r_, rc.left, rc.top, unsigned(rc.right - rc.left),
                                 unsigned(rc.bottom - rc.top));
}

void RegionSet::exclusiveOr(const RegionSet& o) {
  RegionSet a = *this;
  a.subtract(o);
  RegionSet b = o;
  b.subtract(*this);
  a.unite(b);
  *this = a;
}

int RegionSet::containsRect(const RECT& rc) const {
  pixman_box32_t box{rc.left, rc.top, rc.right, rc.bottom};
  return pixman_region32_contains_rectangle(cp(), &box);
}

void SpanSet::add(int y, int x0, int x1) {
  if (x0 >= x1) return;
  raw_.push_back({y, x0, x1});
  normalised_ = false;
}

void SpanSet::addRect(const RECT& rc) {
  for (int y = rc.top; y < rc.bottom; ++y) add(y, rc.left, rc.right);
}

void SpanSet::addSet(const SpanSet& o) {
  for (const Span& s : o.spans()) add(s.y, s.x0, s.x1);
}

const std::vector<SpanSet::Span>& SpanSet::spans() const {
  if (normalised_) return raw_;
  std::sort(raw_.begin(), raw_.end(), [](const Span& a, const Span& b) {
    return a.y != b.y ? a.y < b.y : a.x0 < b.x0;
  });
  std::vector<Span> merged;
  merged.reserve(raw_.size());
  for (const Span& s : raw_) {
    if (!merged.empty() && merged.back().y == s.y && s.x0 <= merged.back().x1) {
      merged.back().x1 = std::max(merged.back().x1, s.x1);
    } else {
      merged.push_back(s);
    }
  }
  raw_.swap(merged);
  normalised_ = true;
  return raw_;
}

RegionSet SpanSet::toRegion() const {
  std::vector<RECT> rects;
  rects.reserve(spans().size());
  for (const Span& s : spans()) rects.push_back({s.x0, s.y, s.x1, s.y + 1});
  return RegionSet::FromRects(rects);
}

}  // namespace gdi::impl
