#include "platform/gdi/types.h"

#include <algorithm>

namespace gdi {

BOOL SetRect(RECT* rc, int left, int top, int right, int bottom) {
  if (!rc) return FALSE;
  *rc = RECT{left, top, right, bottom};
  return TRUE;
}

BOOL SetRectEmpty(RECT* rc) { return SetRect(rc, 0, 0, 0, 0); }

BOOL CopyRect(RECT* dst, const RECT* src) {
  if (!dst || !src) return FALSE;
  *dst = *src;
  return TRUE;
}

BOOL IsRectEmpty(const RECT* rc) {
  return !rc || rc->right <= rc->left || rc->bottom <= rc->top;
}

BOOL OffsetRect(RECT* rc, int dx, int dy) {
  if (!rc) return FALSE;
  rc->left += dx;
  rc->right += dx;
  rc->top += dy;
  rc->bottom += dy;
  return TRUE;
}

BOOL InflateRect(RECT* rc, int dx, int dy) {
  if (!rc) return FALSE;
  rc->left -= dx;
  rc->right += dx;
  rc->top -= dy;
  rc->bottom += dy;
  return TRUE;
}

BOOL IntersectRect(RECT* dst, const RECT* a, const RECT* b) {
  if (!dst || !a || !b) return FALSE;
  RECT r{std::max(a->left, b->left), std::max(a->top, b->top), std::min(a->right, b->right),
         std::min(a->bottom, b->bottom)};
  if (IsRectEmpty(&r)) {
    *dst = RECT{};
    return FALSE;
  }
  *dst = r;
  return TRUE;
}

BOOL UnionRect(RECT* dst, const RECT* a, const RECT* b) {
  if (!dst || !a || !b) return FALSE;
  if (IsRectEmpty(a)) {
    *dst = IsRectEmpty(b) ? RECT{} : *b;
  } else if (IsRectEmpty(b)) {
    *dst = *a;
  } else {
    *dst = RECT{std::min(a->left, b->left), std::min(a->top, b->top),
                std::max(a->right, b->right), std::max(a->bottom, b->bottom)};
  }
  return !IsRectEmpty(dst);
}

BOOL PtInRect(const RECT* rc, POINT pt) {
  return rc && pt.x >= rc->left && pt.x < rc->right && pt.y >= rc->top && pt.y < rc->bottom;
}

BOOL EqualRect(const RECT* a, const RECT* b) { return a && b && *a == *b; }

}  // namespace gdi
