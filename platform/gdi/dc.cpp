// Device contexts: the DC table, selection, saved states, origins, clipping
// and attributes.
#include <algorithm>
#include <atomic>
#include <cstring>
#include <memory>
#include <mutex>
#include <unordered_map>

#include "platform/gdi/impl/dc_impl.h"
#include "platform/gdi/region.h"

namespace gdi {
namespace impl {
namespace {

struct DCTable {
  std::mutex mutex;
  std::unordered_map<std::uintptr_t, std::unique_ptr<DC>> dcs;
  std::uintptr_t next = 1;
};

DCTable& dcTable() {
  static DCTable* t = new DCTable;
  return *t;
}

std::atomic<int> gScreenDpi{96};

HDC addDC(std::unique_ptr<DC> dc) {
  DCTable& t = dcTable();
  std::lock_guard<std::mutex> lock(t.mutex);
  const std::uintptr_t h = (t.next++ << 4) | 0xD;
  t.dcs.emplace(h, std::move(dc));
  return handleOf<HDC>(h);
}

template <class T>
Selected<T> selectedStock(int index) {
  HGDIOBJ h = GetStockObject(index);
  return Selected<T>{handleValue(h), std::static_pointer_cast<T>(findObject(h))};
}

void initDefaults(DC& dc) {
  dc.st.pen = selectedStock<Pen>(BLACK_PEN);
  dc.st.brush = selectedStock<Brush>(WHITE_BRUSH);
  dc.st.font = selectedStock<Font>(SYSTEM_FONT);
}

}  // namespace

DC* findDC(HDC h) {
  if (!h) return nullptr;
  DCTable& t = dcTable();
  std::lock_guard<std::mutex> lock(t.mutex);
  auto it = t.dcs.find(handleValue(h));
  return it == t.dcs.end() ? nullptr : it->second.get();
}

Surface DC::surface() {
  if (!memory) return external;
  return st.bitmap.obj ? st.bitmap.obj->surface() : Surface{};
}

SIZE DC::size() const {
  if (!memory) return external.empty() ? SIZE{} : SIZE{external.width, external.height};
  return st.bitmap.obj ? SIZE{st.bitmap.obj->width, st.bitmap.obj->height} : SIZE{};
}

void DC::written() {
  if (memory && st.bitmap.obj) st.bitmap.obj->commit();
}

const RegionSet& DC::effectiveClip() {
  if (!clipStale) return clipCache;
  const SIZE sz = size();
  clipCache.setRect(RECT{0, 0, sz.cx, sz.cy});
  if (st.clip) {
    RegionSet c = *st.clip;
    c.offset(surfaceOrigin.x, surfaceOrigin.y);
    clipCache.intersect(c);
  }
  if (visible) {
    RegionSet v = *visible;
    v.offset(surfaceOrigin.x, surfaceOrigin.y);
    clipCache.intersect(v);
  }
  clipStale = false;
  return clipCache;
}

}  // namespace impl

using namespace impl;

HDC CreateCompatibleDC(HDC other) {
  if (other && !findDC(other)) return nullptr;
  auto dc = std::make_unique<DC>();
  initDefaults(*dc);
  HBITMAP bmp = defaultBitmap();
  dc->st.bitmap = Selected<Bitmap>{handleValue(bmp), findBitmap(bmp)};
  return addDC(std::move(dc));
}

HDC CreateSurfaceDC(const Surface& surface, POINT origin, HRGN visible) {
  auto dc = std::make_unique<DC>();
  dc->memory = false;
  initDefaults(*dc);
  dc->external = surface;
  dc->surfaceOrigin = origin;
  if (visible) {
    auto r = findRegion(visible);
    if (!r) return nullptr;
    dc->visible = r->set;
  }
  return addDC(std::move(dc));
}

BOOL DeleteDC(HDC h) {
  std::unique_ptr<DC> gone;
  {
    DCTable& t = dcTable();
    std::lock_guard<std::mutex> lock(t.mutex);
    auto it = t.dcs.find(handleValue(h));
    if (it == t.dcs.end()) return FALSE;
    gone = std::move(it->second);
    t.dcs.erase(it);
  }
  // The selected bitmap (and those held by saved states) are free again.
  auto release = [&](const Selected<Bitmap>& b) {
    if (b.obj && b.obj->selectedIn == gone.get()) b.obj->selectedIn = nullptr;
  };
  release(gone->st.bitmap);
  for (const DCState& s : gone->saved) release(s.bitmap);
  return TRUE;
}

DWORD GetDCObjectType(HDC h) {
  DC* dc = findDC(h);
  if (!dc) return 0;
  return dc->memory ? OBJ_MEMDC : OBJ_DC;
}

HGDIOBJ SelectObject(HDC h, HGDIOBJ obj) {
  DC* dc = findDC(h);
  auto o = findObject(obj);
  if (!dc || !o) return nullptr;
  switch (o->kind) {
    case Kind::Pen: {
      auto prev = dc->st.pen.handle;
      dc->st.pen = {handleValue(obj), std::static_pointer_cast<Pen>(o)};
      return handleOf<HGDIOBJ>(prev);
    }
    case Kind::Brush: {
      auto prev = dc->st.brush.handle;
      dc->st.brush = {handleValue(obj), std::static_pointer_cast<Brush>(o)};
      return handleOf<HGDIOBJ>(prev);
    }
    case Kind::Font: {
      auto prev = dc->st.font.handle;
      dc->st.font = {handleValue(obj), std::static_pointer_cast<Font>(o)};
      return handleOf<HGDIOBJ>(prev);
    }
    case Kind::Bitmap: {
      if (!dc->memory) return nullptr;
      auto b = std::static_pointer_cast<Bitmap>(o);
      if (b->selectedIn && b->selectedIn != dc && !b->stock) return nullptr;
      auto prev = dc->st.bitmap;
      if (prev.obj && prev.obj->selectedIn == dc) prev.obj->selectedIn = nullptr;
      if (!b->stock) b->selectedIn = dc;
      dc->st.bitmap = {handleValue(obj), b};
      dc->invalidateClip();
      return handleOf<HGDIOBJ>(prev.handle);
    }
    case Kind::Region: {
      const int r = SelectClipRgn(h, static_cast<HRGN>(obj));
      return handleOf<HGDIOBJ>(std::uintptr_t(r));
    }
    default:
      return nullptr;
  }
}

HGDIOBJ GetCurrentObject(HDC h, UINT type) {
  DC* dc = findDC(h);
  if (!dc) return nullptr;
  switch (type) {
    case OBJ_PEN: return handleOf<HGDIOBJ>(dc->st.pen.handle);
    case OBJ_BRUSH: return handleOf<HGDIOBJ>(dc->st.brush.handle);
    case OBJ_FONT: return handleOf<HGDIOBJ>(dc->st.font.handle);
    case OBJ_BITMAP: return dc->memory ? handleOf<HGDIOBJ>(dc->st.bitmap.handle) : nullptr;
    case OBJ_PAL: return GetStockObject(DEFAULT_PALETTE);
    default: return nullptr;
  }
}

int SaveDC(HDC h) {
  DC* dc = findDC(h);
  if (!dc) return 0;
  dc->saved.push_back(dc->st);
  return int(dc->saved.size());
}

BOOL RestoreDC(HDC h, int level) {
  DC* dc = findDC(h);
  if (!dc) return FALSE;
  const int depth = int(dc->saved.size());
  if (level < 0) level = depth + 1 + level;
  if (level < 1 || level > depth) return FALSE;
  DCState restored = std::move(dc->saved[std::size_t(level - 1)]);
  dc->saved.resize(std::size_t(level - 1));
  if (restored.bitmap.obj != dc->st.bitmap.obj) {
    if (dc->st.bitmap.obj && dc->st.bitmap.obj->selectedIn == dc) dc->st.bitmap.obj->selectedIn = nullptr;
    if (restored.bitmap.obj && !restored.bitmap.obj->stock) restored.bitmap.obj->selectedIn = dc;
  }
  dc->st = std::move(restored);
  dc->invalidateClip();
  return TRUE;
}

// ---- Origins ---------------------------------------------------------------------
namespace {

BOOL setPoint(HDC h, POINT DCState::*field, int x, int y, POINT* old, bool relative) {
  DC* dc = findDC(h);
  if (!dc) return FALSE;
  POINT& p = dc->st.*field;
  if (old) *old = p;
  if (relative) {
    p.x += x;
    p.y += y;
  } else {
    p = POINT{x, y};
  }
  return TRUE;
}

BOOL getPoint(HDC h, POINT DCState::*field, POINT* out) {
  DC* dc = findDC(h);
  if (!dc || !out) return FALSE;
  *out = dc->st.*field;
  return TRUE;
}

}  // namespace

BOOL SetWindowOrgEx(HDC h, int x, int y, POINT* old) {
  return setPoint(h, &DCState::windowOrg, x, y, old, false);
}
BOOL GetWindowOrgEx(HDC h, POINT* pt) { return getPoint(h, &DCState::windowOrg, pt); }
BOOL OffsetWindowOrgEx(HDC h, int dx, int dy, POINT* old) {
  return setPoint(h, &DCState::windowOrg, dx, dy, old, true);
}
BOOL SetViewportOrgEx(HDC h, int x, int y, POINT* old) {
  return setPoint(h, &DCState::viewportOrg, x, y, old, false);
}
BOOL GetViewportOrgEx(HDC h, POINT* pt) { return getPoint(h, &DCState::viewportOrg, pt); }
BOOL OffsetViewportOrgEx(HDC h, int dx, int dy, POINT* old) {
  return setPoint(h, &DCState::viewportOrg, dx, dy, old, true);
}
BOOL SetBrushOrgEx(HDC h, int x, int y, POINT* old) {
  return setPoint(h, &DCState::brushOrg, x, y, old, false);
}
BOOL GetBrushOrgEx(HDC h, POINT* pt) { return getPoint(h, &DCState::brushOrg, pt); }

BOOL LPtoDP(HDC h, POINT* pts, int count) {
  DC* dc = findDC(h);
  if (!dc || (count > 0 && !pts)) return FALSE;
  for (int i = 0; i < count; ++i) pts[i] = POINT{dc->dx(pts[i].x), dc->dy(pts[i].y)};
  return TRUE;
}

BOOL DPtoLP(HDC h, POINT* pts, int count) {
  DC* dc = findDC(h);
  if (!dc || (count > 0 && !pts)) return FALSE;
  const int ox = dc->dx(0), oy = dc->dy(0);
  for (int i = 0; i < count; ++i) pts[i] = POINT{pts[i].x - ox, pts[i].y - oy};
  return TRUE;
}

BOOL GetDCOrgEx(HDC h, POINT* pt) {
  DC* dc = findDC(h);
  if (!dc || !pt) return FALSE;
  *pt = dc->surfaceOrigin;
  return TRUE;
}

int GetMapMode(HDC h) { return findDC(h) ? MM_TEXT : 0; }
int SetMapMode(HDC h, int mode) { return findDC(h) && mode == MM_TEXT ? MM_TEXT : 0; }

// ---- Clipping --------------------------------------------------------------------
namespace {

int visibleComplexity(DC& dc) {
  RegionSet c = dc.effectiveClip();
  return c.complexity();
}

// The clip region as a region to combine with: absent means "everything",
// which for AND/DIFF/XOR is the device surface.
RegionSet currentClipOrDevice(DC& dc) {
  if (dc.st.clip) return *dc.st.clip;
  const SIZE sz = dc.size();
  return RegionSet(RECT{-dc.surfaceOrigin.x, -dc.surfaceOrigin.y, sz.cx - dc.surfaceOrigin.x,
                        sz.cy - dc.surfaceOrigin.y});
}

RECT logicalToDevice(DC& dc, int l, int t, int r, int b) {
  RECT rc{dc.dx(l), dc.dy(t), dc.dx(r), dc.dy(b)};
  if (rc.left > rc.right) std::swap(rc.left, rc.right);
  if (rc.top > rc.bottom) std::swap(rc.top, rc.bottom);
  return rc;
}

}  // namespace

int ExtSelectClipRgn(HDC h, HRGN rgn, int mode) {
  DC* dc = findDC(h);
  if (!dc) return ERROR;
  if (!rgn) {
    if (mode != RGN_COPY) return ERROR;
    dc->st.clip.reset();
    dc->invalidateClip();
    return visibleComplexity(*dc);
  }
  auto r = findRegion(rgn);
  if (!r) return ERROR;
  switch (mode) {
    case RGN_COPY:
      dc->st.clip = r->set;
      break;
    case RGN_AND:
      if (dc->st.clip) dc->st.clip->intersect(r->set);
      else dc->st.clip = r->set;
      break;
    case RGN_OR: {
      // Nothing added to "no clip" changes it.
      if (!dc->st.clip) break;
      dc->st.clip->unite(r->set);
      break;
    }
    case RGN_XOR: {
      RegionSet c = currentClipOrDevice(*dc);
      c.exclusiveOr(r->set);
      dc->st.clip = c;
      break;
    }
    case RGN_DIFF: {
      RegionSet c = currentClipOrDevice(*dc);
      c.subtract(r->set);
      dc->st.clip = c;
      break;
    }
    default:
      return ERROR;
  }
  dc->invalidateClip();
  return visibleComplexity(*dc);
}

int SelectClipRgn(HDC h, HRGN rgn) { return ExtSelectClipRgn(h, rgn, RGN_COPY); }

int IntersectClipRect(HDC h, int l, int t, int r, int b) {
  DC* dc = findDC(h);
  if (!dc) return ERROR;
  RegionSet c = dc->st.clip ? *dc->st.clip : RegionSet(logicalToDevice(*dc, l, t, r, b));
  c.intersect(logicalToDevice(*dc, l, t, r, b));
  dc->st.clip = c;
  dc->invalidateClip();
  return visibleComplexity(*dc);
}

int ExcludeClipRect(HDC h, int l, int t, int r, int b) {
  DC* dc = findDC(h);
  if (!dc) return ERROR;
  RegionSet c = currentClipOrDevice(*dc);
  c.subtract(RegionSet(logicalToDevice(*dc, l, t, r, b)));
  dc->st.clip = c;
  dc->invalidateClip();
  return visibleComplexity(*dc);
}

int OffsetClipRgn(HDC h, int dx, int dy) {
  DC* dc = findDC(h);
  if (!dc) return ERROR;
  if (dc->st.clip) {
    dc->st.clip->offset(dx, dy);
    dc->invalidateClip();
  }
  return visibleComplexity(*dc);
}

int GetClipBox(HDC h, RECT* rc) {
  DC* dc = findDC(h);
  if (!dc || !rc) return ERROR;
  const RegionSet& c = dc->effectiveClip();
  RECT b = c.bounds();
  const int comp = c.complexity();
  if (comp == NULLREGION) {
    *rc = RECT{};
    return NULLREGION;
  }
  // Surface -> logical.
  const int ox = dc->sx(0), oy = dc->sy(0);
  *rc = RECT{b.left - ox, b.top - oy, b.right - ox, b.bottom - oy};
  return comp;
}

int GetClipRgn(HDC h, HRGN rgn) {
  DC* dc = findDC(h);
  auto r = findRegion(rgn);
  if (!dc || !r) return -1;
  if (!dc->st.clip) return 0;
  r->set = *dc->st.clip;
  return 1;
}

BOOL RectVisible(HDC h, const RECT* rc) {
  DC* dc = findDC(h);
  if (!dc || !rc) return FALSE;
  RECT s{dc->sx(rc->left), dc->sy(rc->top), dc->sx(rc->right), dc->sy(rc->bottom)};
  if (s.left > s.right) std::swap(s.left, s.right);
  if (s.top > s.bottom) std::swap(s.top, s.bottom);
  if (s.left == s.right || s.top == s.bottom) return FALSE;
  return dc->effectiveClip().containsRect(s) != PIXMAN_REGION_OUT;
}

BOOL PtVisible(HDC h, int x, int y) {
  DC* dc = findDC(h);
  if (!dc) return FALSE;
  return dc->effectiveClip().contains(dc->sx(x), dc->sy(y));
}

// ---- Attributes ------------------------------------------------------------------
namespace {

template <class T, class V>
V swapAttr(HDC h, T DCState::*field, V value, V failure) {
  DC* dc = findDC(h);
  if (!dc) return failure;
  V prev = V(dc->st.*field);
  dc->st.*field = T(value);
  return prev;
}

template <class T, class V>
V getAttr(HDC h, T DCState::*field, V failure) {
  DC* dc = findDC(h);
  return dc ? V(dc->st.*field) : failure;
}

}  // namespace

COLORREF SetTextColor(HDC h, COLORREF c) {
  return swapAttr(h, &DCState::textColor, c & 0x00FFFFFF, CLR_INVALID);
}
COLORREF GetTextColor(HDC h) { return getAttr(h, &DCState::textColor, CLR_INVALID); }
COLORREF SetBkColor(HDC h, COLORREF c) {
  return swapAttr(h, &DCState::bkColor, c & 0x00FFFFFF, CLR_INVALID);
}
COLORREF GetBkColor(HDC h) { return getAttr(h, &DCState::bkColor, CLR_INVALID); }
COLORREF GetNearestColor(HDC h, COLORREF c) {
  return GetDCObjectType(h) != 0 ? (c & 0x00FFFFFF) : CLR_INVALID;
}
COLORREF SetDCBrushColor(HDC h, COLORREF c) {
  return swapAttr(h, &DCState::dcBrushColor, c & 0x00FFFFFF, CLR_INVALID);
}
COLORREF GetDCBrushColor(HDC h) { return getAttr(h, &DCState::dcBrushColor, CLR_INVALID); }
COLORREF SetDCPenColor(HDC h, COLORREF c) {
  return swapAttr(h, &DCState::dcPenColor, c & 0x00FFFFFF, CLR_INVALID);
}
COLORREF GetDCPenColor(HDC h) { return getAttr(h, &DCState::dcPenColor, CLR_INVALID); }

int SetBkMode(HDC h, int mode) {
  if (mode != TRANSPARENT && mode != OPAQUE) return 0;
  return swapAttr(h, &DCState::bkMode, mode, 0);
}
int GetBkMode(HDC h) { return getAttr(h, &DCState::bkMode, 0); }
int SetROP2(HDC h, int rop2) {
  if (rop2 < R2_BLACK || rop2 > R2_WHITE) return 0;
  return swapAttr(h, &DCState::rop2, rop2, 0);
}
int GetROP2(HDC h) { return getAttr(h, &DCState::rop2, 0); }
int SetPolyFillMode(HDC h, int mode) {
  if (mode != ALTERNATE && mode != WINDING) return 0;
  return swapAttr(h, &DCState::polyFillMode, mode, 0);
}
int GetPolyFillMode(HDC h) { return getAttr(h, &DCState::polyFillMode, 0); }
int SetStretchBltMode(HDC h, int mode) {
  if (mode < BLACKONWHITE || mode > HALFTONE) return 0;
  return swapAttr(h, &DCState::stretchMode, mode, 0);
}
int GetStretchBltMode(HDC h) { return getAttr(h, &DCState::stretchMode, 0); }
UINT SetTextAlign(HDC h, UINT align) { return swapAttr(h, &DCState::textAlign, align, GDI_ERROR); }
UINT GetTextAlign(HDC h) { return getAttr(h, &DCState::textAlign, GDI_ERROR); }

DWORD GetLayout(HDC h) { return findDC(h) ? 0 : GDI_ERROR; }
DWORD SetLayout(HDC h, DWORD layout) {
  if (!findDC(h) || layout != 0) return GDI_ERROR;
  return 0;
}

void SetScreenLogPixels(int dpi) { impl::gScreenDpi = dpi > 0 ? dpi : 96; }

int GetDeviceCaps(HDC h, int index) {
  DC* dc = findDC(h);
  if (!dc) return 0;
  const SIZE sz = dc->size();
  const bool mono = dc->mono();
  switch (index) {
    case DRIVERVERSION: return 0x4000;
    case TECHNOLOGY: return DT_RASDISPLAY;
    case HORZRES:
    case DESKTOPHORZRES: return sz.cx;
    case VERTRES:
    case DESKTOPVERTRES: return sz.cy;
    case HORZSIZE: return sz.cx * 254 / (impl::gScreenDpi * 10);
    case VERTSIZE: return sz.cy * 254 / (impl::gScreenDpi * 10);
    case BITSPIXEL: return mono ? 1 : 32;
    case PLANES: return 1;
    case NUMBRUSHES:
    case NUMPENS:
    case NUMCOLORS: return mono ? 2 : -1;
    case NUMFONTS: return 0;
    case RASTERCAPS: return RC_BITBLT | RC_BITMAP64 | RC_DI_BITMAP | RC_DIBTODEV | RC_STRETCHBLT | RC_STRETCHDIB;
    case LOGPIXELSX:
    case LOGPIXELSY: return impl::gScreenDpi;
    case SIZEPALETTE: return 0;
    case COLORRES: return 24;
    case VREFRESH: return 60;
    case SHADEBLENDCAPS: return SB_CONST_ALPHA | SB_PIXEL_ALPHA | SB_PREMULT_ALPHA | SB_GRAD_RECT | SB_GRAD_TRI;
    default: return 0;
  }
}

// ---- Surfaces -----------------------------------------------------------------------
Surface GetDCSurface(HDC h) {
  DC* dc = findDC(h);
  return dc ? dc->surface() : Surface{};
}

ImageBGRA CaptureDC(HDC h, const RECT& area) {
  DC* dc = findDC(h);
  if (!dc) return {};
  Surface s = dc->surface();
  if (s.empty()) return {};
  RECT r{std::max<LONG>(area.left, 0), std::max<LONG>(area.top, 0),
         std::min<LONG>(area.right, s.width), std::min<LONG>(area.bottom, s.height)};
  if (r.left >= r.right || r.top >= r.bottom) return {};
  ImageBGRA img(r.right - r.left, r.bottom - r.top);
  for (int y = 0; y < img.height; ++y) {
    std::memcpy(&img.at(0, y), s.row(r.top + y) + r.left, std::size_t(img.width) * 4);
  }
  return img;
}

}  // namespace gdi
