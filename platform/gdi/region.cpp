// Region handles over RegionSet.
#include "platform/gdi/region.h"

#include <algorithm>
#include <cstring>

#include "platform/gdi/impl/objects_impl.h"
#include "platform/gdi/impl/shapes.h"

namespace gdi {

using namespace impl;

namespace {

HRGN addRegion(RegionSet set) {
  auto r = std::make_shared<Region>();
  r->set = std::move(set);
  return handleOf<HRGN>(addObject(r));
}

}  // namespace

HRGN CreateRectRgn(int left, int top, int right, int bottom) {
  return addRegion(RegionSet(RECT{left, top, right, bottom}));
}

HRGN CreateRectRgnIndirect(const RECT* rc) {
  return rc ? CreateRectRgn(rc->left, rc->top, rc->right, rc->bottom) : nullptr;
}

HRGN CreateEllipticRgn(int left, int top, int right, int bottom) {
  return addRegion(toSpans(ellipseShape(RECT{left, top, right, bottom})).toRegion());
}

HRGN CreateEllipticRgnIndirect(const RECT* rc) {
  return rc ? CreateEllipticRgn(rc->left, rc->top, rc->right, rc->bottom) : nullptr;
}

HRGN CreateRoundRectRgn(int left, int top, int right, int bottom, int ew, int eh) {
  return addRegion(toSpans(roundRectShape(RECT{left, top, right, bottom}, ew, eh)).toRegion());
}

HRGN CreatePolyPolygonRgn(const POINT* points, const INT* counts, int polygons, int fillMode) {
  if (!points || !counts || polygons <= 0) return nullptr;
  if (fillMode != ALTERNATE && fillMode != WINDING) return nullptr;
  for (int i = 0; i < polygons; ++i) {
    if (counts[i] < 2) return nullptr;
  }
  return addRegion(polygonSpans(points, counts, polygons, fillMode).toRegion());
}

HRGN CreatePolygonRgn(const POINT* points, int count, int fillMode) {
  return CreatePolyPolygonRgn(points, &count, 1, fillMode);
}

int CombineRgn(HRGN dst, HRGN src1, HRGN src2, int mode) {
  auto d = findRegion(dst);
  auto a = findRegion(src1);
  if (!d || !a) return ERROR;
  if (mode == RGN_COPY) {
    d->set = a->set;
    return d->set.complexity();
  }
  auto b = findRegion(src2);
  if (!b) return ERROR;
  RegionSet r = a->set;
  switch (mode) {
    case RGN_AND: r.intersect(b->set); break;
    case RGN_OR: r.unite(b->set); break;
    case RGN_XOR: r.exclusiveOr(b->set); break;
    case RGN_DIFF: r.subtract(b->set); break;
    default: return ERROR;
  }
  d->set = std::move(r);
  return d->set.complexity();
}

int OffsetRgn(HRGN rgn, int dx, int dy) {
  auto r = findRegion(rgn);
  if (!r) return ERROR;
  r->set.offset(dx, dy);
  return r->set.complexity();
}

BOOL EqualRgn(HRGN a, HRGN b) {
  auto ra = findRegion(a), rb = findRegion(b);
  if (!ra || !rb) return FALSE;  // the platform answers ERROR (0) too
  return ra->set.equals(rb->set) ? TRUE : FALSE;
}

BOOL PtInRegion(HRGN rgn, int x, int y) {
  auto r = findRegion(rgn);
  return r && r->set.contains(x, y) ? TRUE : FALSE;
}

BOOL RectInRegion(HRGN rgn, const RECT* rc) {
  auto r = findRegion(rgn);
  if (!r || !rc) return FALSE;
  RECT n{std::min(rc->left, rc->right), std::min(rc->top, rc->bottom), std::max(rc->left, rc->right),
         std::max(rc->top, rc->bottom)};
  if (n.left == n.right || n.top == n.bottom) return FALSE;
  return r->set.containsRect(n) != PIXMAN_REGION_OUT ? TRUE : FALSE;
}

int GetRgnBox(HRGN rgn, RECT* rc) {
  auto r = findRegion(rgn);
  if (!r || !rc) return ERROR;
  *rc = r->set.bounds();
  return r->set.complexity();
}

BOOL SetRectRgn(HRGN rgn, int left, int top, int right, int bottom) {
  auto r = findRegion(rgn);
  if (!r) return FALSE;
  r->set.setRect(RECT{left, top, right, bottom});
  return TRUE;
}

DWORD GetRegionData(HRGN rgn, DWORD size, RGNDATA* data) {
  auto r = findRegion(rgn);
  if (!r) return 0;
  const std::vector<RECT> rects = r->set.rects();
  const DWORD needed = DWORD(sizeof(RGNDATAHEADER) + rects.size() * sizeof(RECT));
  if (!data || size < needed) return needed;
  RGNDATAHEADER h;
  h.nCount = DWORD(rects.size());
  h.nRgnSize = DWORD(rects.size() * sizeof(RECT));
  h.rcBound = r->set.bounds();
  std::memcpy(static_cast<void*>(data), &h, sizeof h);
  if (!rects.empty()) {
    std::memcpy(reinterpret_cast<char*>(data) + sizeof h, rects.data(), rects.size() * sizeof(RECT));
  }
  return size;
}

HRGN ExtCreateRegion(const XFORM* xform, DWORD size, const RGNDATA* data) {
  if (xform || !data || size < sizeof(RGNDATAHEADER)) return nullptr;
  RGNDATAHEADER h;
  std::memcpy(static_cast<void*>(&h), data, sizeof h);
  if (h.dwSize != sizeof(RGNDATAHEADER) || h.iType != RDH_RECTANGLES) return nullptr;
  if (h.nCount > (size - sizeof h) / sizeof(RECT)) return nullptr;
  std::vector<RECT> rects(h.nCount);
  if (h.nCount) {
    std::memcpy(rects.data(), reinterpret_cast<const char*>(data) + sizeof h, h.nCount * sizeof(RECT));
  }
  return addRegion(RegionSet::FromRects(rects));
}

}  // namespace gdi
