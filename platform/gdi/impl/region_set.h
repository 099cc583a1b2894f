#pragma once
// The pixel-set type behind HRGN and clip regions, over pixman_region32.
// Private to the GDI library.
#include <pixman.h>

#include <vector>

#include "platform/gdi/types.h"

namespace gdi::impl {

class RegionSet {
 public:
  RegionSet() { pixman_region32_init(&r_); }
  explicit RegionSet(const RECT& rc);
  RegionSet(const RegionSet& o) {
    pixman_region32_init(&r_);
    pixman_region32_copy(&r_, const_cast<pixman_region32_t*>(&o.r_));
  }
  RegionSet& operator=(const RegionSet& o) {
    if (this != &o) pixman_region32_copy(&r_, const_cast<pixman_region32_t*>(&o.r_));
    return *this;
  }
  ~RegionSet() { pixman_region32_fini(&r_); }

  static RegionSet FromRects(const std::vector<RECT>& rects);

  bool empty() const { return !pixman_region32_not_empty(cp()); }
  RECT bounds() const;
  // NULLREGION, SIMPLEREGION or COMPLEXREGION.
  int complexity() const;
  std::vector<RECT> rects() const;
  int rectCount() const { return pixman_region32_n_rects(cp()); }
  const pixman_box32_t* boxes(int* count) const {
    return pixman_region32_rectangles(cp(), count);
  }

  void setRect(const RECT& rc);
  void clear() { pixman_region32_clear(&r_); }
  void offset(int dx, int dy) { pixman_region32_translate(&r_, dx, dy); }
  void intersect(const RegionSet& o) { pixman_region32_intersect(&r_, &r_, o.cp()); }
  void intersect(const RECT& rc);
  void unite(const RegionSet& o) { pixman_region32_union(&r_, &r_, o.cp()); }
  void subtract(const RegionSet& o) { pixman_region32_subtract(&r_, &r_, o.cp()); }
  void exclusiveOr(const RegionSet& o);
  bool contains(int x, int y) const {
    return pixman_region32_contains_point(cp(), x, y, nullptr) != 0;
  }
  // PIXMAN_REGION_OUT, _IN or _PART.
  int containsRect(const RECT& rc) const;
  bool equals(const RegionSet& o) const { return pixman_region32_equal(cp(), o.cp()) != 0; }

 private:
  pixman_region32_t* cp() const { return const_cast<pixman_region32_t*>(&r_); }
  pixman_region32_t r_;
};

// Row spans (y, [x0, x1)) gathered from a shape, merged per row; turns into
// a region or is painted span by span.
class SpanSet {
 public:
  void add(int y, int x0, int x1);
  void addRect(const RECT& rc);
  void addSet(const SpanSet& o);
  // Merged, sorted spans.
  struct Span {
    int y, x0, x1;
  };
  const std::vector<Span>& spans() const;
  RegionSet toRegion() const;
  bool empty() const { return raw_.empty(); }

 private:
  mutable std::vector<Span> raw_;
  mutable bool normalised_ = true;
};

}  // namespace gdi::impl
