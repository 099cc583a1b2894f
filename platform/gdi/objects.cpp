// Handle table, pens, brushes, fonts, stock objects and system colours.
#include <array>
#include <atomic>
#include <cstring>
#include <mutex>
#include <unordered_map>

#include "platform/gdi/impl/objects_impl.h"

namespace gdi {
namespace impl {
namespace {

struct HandleTable {
  std::mutex mutex;
  std::unordered_map<std::uintptr_t, std::shared_ptr<Object>> objects;
  // Handles start above the values 1..SYS_COLOR_COUNT, which FillRect and
  // its kin read as "system colour index + 1" in place of a brush.
  std::uintptr_t next = (std::uintptr_t(SYS_COLOR_COUNT) >> 4) + 1;
  int created = 0;  // live objects that are not stock
};

HandleTable& table() {
  static HandleTable* t = new HandleTable;  // lives until exit: stock objects never die
  return *t;
}

}  // namespace

std::uintptr_t addObject(std::shared_ptr<Object> obj) {
  HandleTable& t = table();
  std::lock_guard<std::mutex> lock(t.mutex);
  // Low bits tag the kind so a dump of a handle says what it is.
  const std::uintptr_t h = (t.next++ << 4) | std::uintptr_t(obj->kind);
  if (!obj->stock) ++t.created;
  t.objects.emplace(h, std::move(obj));
  return h;
}

std::shared_ptr<Object> findObject(const void* handle) {
  if (!handle) return nullptr;
  HandleTable& t = table();
  std::lock_guard<std::mutex> lock(t.mutex);
  auto it = t.objects.find(handleValue(handle));
  return it == t.objects.end() ? nullptr : it->second;
}

bool removeObject(const void* handle) {
  HandleTable& t = table();
  std::lock_guard<std::mutex> lock(t.mutex);
  auto it = t.objects.find(handleValue(handle));
  if (it == t.objects.end()) return false;
  if (!it->second->stock) --t.created;
  t.objects.erase(it);
  return true;
}

int objectCount() {
  HandleTable& t = table();
  std::lock_guard<std::mutex> lock(t.mutex);
  return t.created;
}

namespace {

constexpr std::array<COLORREF, SYS_COLOR_COUNT> kClassicColors = {
    RGB(212, 208, 200),  // COLOR_SCROLLBAR
    RGB(58, 110, 165),   // COLOR_BACKGROUND
    RGB(10, 36, 106),    // COLOR_ACTIVECAPTION
    RGB(128, 128, 128),  // COLOR_INACTIVECAPTION
    RGB(212, 208, 200),  // COLOR_MENU
    RGB(255, 255, 255),  // COLOR_WINDOW
    RGB(0, 0, 0),        // COLOR_WINDOWFRAME
    RGB(0, 0, 0),        // COLOR_MENUTEXT
    RGB(0, 0, 0),        // COLOR_WINDOWTEXT
    RGB(255, 255, 255),  // COLOR_CAPTIONTEXT
    RGB(212, 208, 200),  // COLOR_ACTIVEBORDER
    RGB(212, 208, 200),  // COLOR_INACTIVEBORDER
    RGB(128, 128, 128),  // COLOR_APPWORKSPACE
    RGB(10, 36, 106),    // COLOR_HIGHLIGHT
    RGB(255, 255, 255),  // COLOR_HIGHLIGHTTEXT
    RGB(212, 208, 200),  // COLOR_BTNFACE
    RGB(128, 128, 128),  // COLOR_BTNSHADOW
    RGB(128, 128, 128),  // COLOR_GRAYTEXT
    RGB(0, 0, 0),        // COLOR_BTNTEXT
    RGB(212, 208, 200),  // COLOR_INACTIVECAPTIONTEXT
    RGB(255, 255, 255),  // COLOR_BTNHIGHLIGHT
    RGB(64, 64, 64),     // COLOR_3DDKSHADOW
    RGB(212, 208, 200),  // COLOR_3DLIGHT
    RGB(0, 0, 0),        // COLOR_INFOTEXT
    RGB(255, 255, 225),  // COLOR_INFOBK
    RGB(181, 181, 181),  // 25: unused slot
    RGB(0, 0, 128),      // COLOR_HOTLIGHT
    RGB(166, 202, 240),  // COLOR_GRADIENTACTIVECAPTION
    RGB(192, 192, 192),  // COLOR_GRADIENTINACTIVECAPTION
    RGB(10, 36, 106),    // COLOR_MENUHILIGHT
    RGB(212, 208, 200),  // COLOR_MENUBAR
};

std::array<std::atomic<COLORREF>, SYS_COLOR_COUNT>& sysColors() {
  static std::array<std::atomic<COLORREF>, SYS_COLOR_COUNT>* colors = [] {
    auto* c = new std::array<std::atomic<COLORREF>, SYS_COLOR_COUNT>;
    for (int i = 0; i < SYS_COLOR_COUNT; ++i) (*c)[std::size_t(i)] = kClassicColors[std::size_t(i)];
    return c;
  }();
  return *colors;
}

LOGFONTW stockFont(LONG height, LONG weight, const char* face, BYTE pitch) {
  LOGFONTW lf;
  lf.lfHeight = height;
  lf.lfWeight = weight;
  lf.lfCharSet = ANSI_CHARSET;
  lf.lfPitchAndFamily = pitch;
  for (int i = 0; face[i] && i < LF_FACESIZE - 1; ++i) lf.lfFaceName[i] = WCHAR(face[i]);
  return lf;
}

struct StockObjects {
  std::array<std::uintptr_t, 20> handles{};
  std::array<std::uintptr_t, SYS_COLOR_COUNT> sysBrushes{};
  std::uintptr_t bitmap = 0;
};

template <class T>
std::uintptr_t addStock(std::shared_ptr<T> obj) {
  obj->stock = true;
  return addObject(std::move(obj));
}

const StockObjects& stock() {
  static const StockObjects* s = [] {
    auto* so = new StockObjects;
    auto brush = [](UINT style, COLORREF c) {
      auto b = std::make_shared<Brush>();
      b->style = style;
      b->color = c;
      return addStock(b);
    };
    auto pen = [](int style, COLORREF c) {
      auto p = std::make_shared<Pen>();
      p->style = style;
      p->color = c;
      return addStock(p);
    };
    auto font = [](const LOGFONTW& lf) {
      auto f = std::make_shared<Font>();
      f->lf = lf;
      return addStock(f);
    };
    so->handles[WHITE_BRUSH] = brush(BS_SOLID, RGB(255, 255, 255));
    so->handles[LTGRAY_BRUSH] = brush(BS_SOLID, RGB(192, 192, 192));
    so->handles[GRAY_BRUSH] = brush(BS_SOLID, RGB(128, 128, 128));
    so->handles[DKGRAY_BRUSH] = brush(BS_SOLID, RGB(64, 64, 64));
    so->handles[BLACK_BRUSH] = brush(BS_SOLID, RGB(0, 0, 0));
    so->handles[NULL_BRUSH] = brush(BS_NULL, 0);
    so->handles[WHITE_PEN] = pen(PS_SOLID, RGB(255, 255, 255));
    so->handles[BLACK_PEN] = pen(PS_SOLID, RGB(0, 0, 0));
    so->handles[NULL_PEN] = pen(PS_NULL, 0);
    so->handles[OEM_FIXED_FONT] = font(stockFont(12, FW_NORMAL, "Terminal", 1));
    so->handles[ANSI_FIXED_FONT] = font(stockFont(12, FW_NORMAL, "Courier", 1));
    so->handles[ANSI_VAR_FONT] = font(stockFont(12, FW_NORMAL, "MS Sans Serif", 2));
    so->handles[SYSTEM_FONT] = font(stockFont(16, FW_BOLD, "System", 2));
    so->handles[DEVICE_DEFAULT_FONT] = font(stockFont(16, FW_BOLD, "System", 2));
    so->handles[SYSTEM_FIXED_FONT] = font(stockFont(16, FW_NORMAL, "Fixedsys", 1));
    so->handles[DEFAULT_GUI_FONT] = font(stockFont(-11, FW_NORMAL, "MS Shell Dlg", 0));
    so->handles[DEFAULT_PALETTE] = addStock(std::make_shared<Palette>());
    {
      auto b = std::make_shared<Brush>();
      b->dcBrush = true;
      so->handles[DC_BRUSH] = addStock(b);
      auto p = std::make_shared<Pen>();
      p->dcPen = true;
      so->handles[DC_PEN] = addStock(p);
    }
    for (int i = 0; i < SYS_COLOR_COUNT; ++i) {
      auto b = std::make_shared<Brush>();
      b->sysIndex = i;
      so->sysBrushes[std::size_t(i)] = addStock(b);
    }
    auto bmp = std::make_shared<Bitmap>();
    bmp->width = bmp->height = 1;
    bmp->bpp = 1;
    bmp->mono = true;
    bmp->pixels.assign(1, 0);
    so->bitmap = addStock(bmp);
    return so;
  }();
  return *s;
}

}  // namespace

HBITMAP defaultBitmap() { return handleOf<HBITMAP>(stock().bitmap); }

}  // namespace impl

using namespace impl;

HPEN CreatePen(int style, int width, COLORREF color) {
  const int s = style & PS_STYLE_MASK;
  if (s > PS_INSIDEFRAME) return nullptr;
  auto p = std::make_shared<Pen>();
  p->style = s;
  p->width = width < 1 ? 1 : width;
  p->color = color & 0x00FFFFFF;
  return handleOf<HPEN>(addObject(p));
}

HPEN CreatePenIndirect(const LOGPEN* lp) {
  if (!lp) return nullptr;
  return CreatePen(int(lp->lopnStyle), lp->lopnWidth.x, lp->lopnColor);
}

HBRUSH CreateSolidBrush(COLORREF color) {
  auto b = std::make_shared<Brush>();
  b->color = color & 0x00FFFFFF;
  return handleOf<HBRUSH>(addObject(b));
}

HBRUSH CreateHatchBrush(int hatch, COLORREF color) {
  if (hatch < HS_HORIZONTAL || hatch > HS_DIAGCROSS) return nullptr;
  auto b = std::make_shared<Brush>();
  b->style = BS_HATCHED;
  b->hatch = hatch;
  b->color = color & 0x00FFFFFF;
  return handleOf<HBRUSH>(addObject(b));
}

HBRUSH CreatePatternBrush(HBITMAP bmp) {
  auto src = findBitmap(bmp);
  if (!src || src->width <= 0 || src->height <= 0) return nullptr;
  auto b = std::make_shared<Brush>();
  b->style = BS_PATTERN;
  b->pattern = CopySurface(src->surface());
  b->monoPattern = src->mono;
  b->patternHandle = handleValue(bmp);
  return handleOf<HBRUSH>(addObject(b));
}

HBRUSH CreateBrushIndirect(const LOGBRUSH* lb) {
  if (!lb) return nullptr;
  switch (lb->lbStyle) {
    case BS_SOLID:
      return CreateSolidBrush(lb->lbColor);
    case BS_NULL: {
      auto b = std::make_shared<Brush>();
      b->style = BS_NULL;
      return handleOf<HBRUSH>(addObject(b));
    }
    case BS_HATCHED:
      return CreateHatchBrush(int(lb->lbHatch), lb->lbColor);
    case BS_PATTERN:
    case BS_PATTERN8X8:
      return CreatePatternBrush(reinterpret_cast<HBITMAP>(lb->lbHatch));
    default:
      return nullptr;
  }
}

HGDIOBJ GetStockObject(int index) {
  if (index < 0 || index >= int(impl::stock().handles.size())) return nullptr;
  const std::uintptr_t h = impl::stock().handles[std::size_t(index)];
  return h ? handleOf<HGDIOBJ>(h) : nullptr;
}

DWORD GetSysColor(int index) {
  if (index < 0 || index >= SYS_COLOR_COUNT) return 0;
  return impl::sysColors()[std::size_t(index)].load(std::memory_order_relaxed);
}

HBRUSH GetSysColorBrush(int index) {
  if (index < 0 || index >= SYS_COLOR_COUNT) return nullptr;
  return handleOf<HBRUSH>(impl::stock().sysBrushes[std::size_t(index)]);
}

BOOL SetSysColors(int count, const int* indexes, const COLORREF* colors) {
  if (count < 0 || (count > 0 && (!indexes || !colors))) return FALSE;
  for (int i = 0; i < count; ++i) {
    if (indexes[i] >= 0 && indexes[i] < SYS_COLOR_COUNT) {
      impl::sysColors()[std::size_t(indexes[i])] = colors[i] & 0x00FFFFFF;
    }
  }
  return TRUE;
}

void ResetSysColors() {
  for (int i = 0; i < SYS_COLOR_COUNT; ++i) {
    impl::sysColors()[std::size_t(i)] = impl::kClassicColors[std::size_t(i)];
  }
}

HFONT CreateFontIndirectW(const LOGFONTW* lf) {
  if (!lf) return nullptr;
  auto f = std::make_shared<Font>();
  f->lf = *lf;
  f->lf.lfFaceName[LF_FACESIZE - 1] = 0;
  return handleOf<HFONT>(addObject(f));
}

namespace {

template <class T>
int copyOut(const T& value, int size, void* out) {
  if (!out) return int(sizeof(T));
  const int n = size < int(sizeof(T)) ? size : int(sizeof(T));
  if (n <= 0) return 0;
  std::memcpy(out, &value, std::size_t(n));
  return n;
}

BITMAP bitmapRecord(Bitmap& b) {
  BITMAP bm;
  bm.bmWidth = b.width;
  bm.bmHeight = b.height;
  bm.bmPlanes = 1;
  bm.bmBitsPixel = WORD(b.bpp);
  if (b.dib) {
    bm.bmWidthBytes = LONG(b.dibStride());
    bm.bmBits = b.dibBits.data();
  } else {
    // Device bitmaps have rows padded to 16 bits.
    bm.bmWidthBytes = LONG(((b.width * b.bpp + 15) / 16) * 2);
  }
  return bm;
}

}  // namespace

int GetObjectW(HGDIOBJ obj, int size, void* out) {
  auto o = findObject(obj);
  if (!o || size < 0) return 0;
  switch (o->kind) {
    case Kind::Pen: {
      auto& p = static_cast<Pen&>(*o);
      LOGPEN lp;
      lp.lopnStyle = UINT(p.style);
      lp.lopnWidth = POINT{p.width, 0};
      lp.lopnColor = p.color;
      return copyOut(lp, size, out);
    }
    case Kind::Brush: {
      auto& b = static_cast<Brush&>(*o);
      LOGBRUSH lb;
      lb.lbStyle = b.dcBrush ? BS_SOLID : b.style;
      lb.lbColor = b.sysIndex >= 0 ? GetSysColor(b.sysIndex) : b.color;
      lb.lbHatch = b.style == BS_HATCHED ? ULONG_PTR(b.hatch) : b.patternHandle;
      return copyOut(lb, size, out);
    }
    case Kind::Font:
      return copyOut(static_cast<Font&>(*o).lf, size, out);
    case Kind::Bitmap: {
      auto& b = static_cast<Bitmap&>(*o);
      if (b.dib && (size >= int(sizeof(DIBSECTION)) || !out)) {
        DIBSECTION ds;
        ds.dsBm = bitmapRecord(b);
        ds.dsBmih.biWidth = b.width;
        ds.dsBmih.biHeight = b.format.topDown ? -b.height : b.height;
        ds.dsBmih.biBitCount = WORD(b.bpp);
        ds.dsBmih.biCompression = b.format.compression;
        ds.dsBmih.biSizeImage = DWORD(b.dibBits.size());
        ds.dsBmih.biClrUsed = DWORD(b.format.colors.size());
        for (int i = 0; i < 3; ++i) ds.dsBitfields[i] = b.format.masks[i];
        if (!out) return int(sizeof(BITMAP));
        return copyOut(ds, size, out);
      }
      return copyOut(bitmapRecord(b), size, out);
    }
    default:
      return 0;
  }
}

DWORD GetObjectType(HGDIOBJ obj) {
  auto o = findObject(obj);
  if (!o) return 0;
  switch (o->kind) {
    case Kind::Pen: return OBJ_PEN;
    case Kind::Brush: return OBJ_BRUSH;
    case Kind::Bitmap: return OBJ_BITMAP;
    case Kind::Region: return OBJ_REGION;
    case Kind::Font: return OBJ_FONT;
    case Kind::Palette: return OBJ_PAL;
  }
  return 0;
}

BOOL DeleteObject(HGDIOBJ obj) {
  auto o = findObject(obj);
  if (!o) return FALSE;
  if (o->stock) return TRUE;
  if (o->kind == Kind::Bitmap && static_cast<Bitmap&>(*o).selectedIn) return FALSE;
  // A pen, brush or font still selected stays alive in its DC until it is
  // replaced there; only the handle goes.
  return removeObject(obj) ? TRUE : FALSE;
}

int GdiObjectCount() { return impl::objectCount(); }

}  // namespace gdi
