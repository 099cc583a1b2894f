#include "platform/theme/theme.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/gdi/blit.h"
#include "platform/gdi/dc.h"
#include "platform/gdi/objects.h"
#include "platform/gdi/edge.h"
#include "platform/gdi/region.h"
#include "platform/gdi/text.h"
#include "platform/theme/parts.h"
#include "platform/win/constants.h"
#include "platform/win/message_loop.h"
#include "platform/win/system.h"
#include "platform/win/window.h"

namespace theme {

namespace {

using detail::Cls;
using detail::Look;
using detail::PartDef;

struct Theme : HTHEME__ {
  Cls cls;
};

struct Handles {
  std::mutex lock;
  std::unordered_map<HTHEME, std::unique_ptr<Theme>> open;
};

Handles& handles() {
  static Handles h;
  return h;
}

std::atomic<bool> enabled{true};

const Theme* themeOf(HTHEME h) {
  if (!h) return nullptr;
  Handles& hs = handles();
  std::lock_guard<std::mutex> guard(hs.lock);
  auto it = hs.open.find(h);
  return it == hs.open.end() ? nullptr : it->second.get();
}

// Resolves a handle, part and state; the error to answer otherwise.
struct Resolved {
  const PartDef* part = nullptr;
  Look look;
  HRESULT error = S_OK;
};

Resolved resolve(HTHEME h, int part, int state) {
  Resolved r;
  const Theme* t = themeOf(h);
  if (!t) {
    r.error = E_HANDLE;
    return r;
  }
  r.part = detail::findPart(t->cls, part);
  if (!r.part) {
    r.error = E_INVALIDARG;
    return r;
  }
  const auto look = detail::lookOf(*r.part, state);
  if (!look) {
    r.error = E_INVALIDARG;
    r.part = nullptr;
    return r;
  }
  r.look = *look;
  return r;
}

bool validRect(const RECT* r) { return r && r->right >= r->left && r->bottom >= r->top; }

void copyName(const char16_t* from, char16_t* to, int max) {
  if (!to || max <= 0) return;
  int i = 0;
  for (; from[i] && i < max - 1; ++i) to[i] = from[i];
  to[i] = 0;
}

BOOL sendThemeChanged(HWND wnd, win::LPARAM) {
  win::SendMessageW(wnd, win::WM_THEMECHANGED, 0, 0);
  return TRUE;
}

BOOL sendToChildren(HWND top, win::LPARAM param) {
  win::EnumChildWindows(top, &sendThemeChanged, param);
  return TRUE;
}

}  // namespace

// --- handles ------------------------------------------------------------------------------------

HTHEME OpenThemeData(HWND, const char16_t* classList) {
  if (!classList || !enabled.load()) return nullptr;
  const char16_t* p = classList;
  while (*p) {
    const char16_t* end = p;
    while (*end && *end != u';') ++end;
    const char16_t* s = p;
    while (s < end && *s == u' ') ++s;
    const char16_t* e = end;
    while (e > s && e[-1] == u' ') --e;
    auto cls = detail::classByName(s, int(e - s));
    if (!cls) {
      // A sub-class such as "Explorer::Button" that has no look of its own
      // is drawn as its base class.
      for (const char16_t* q = s; q + 1 < e; ++q)
        if (q[0] == u':' && q[1] == u':') cls = detail::classByName(q + 2, int(e - q - 2));
    }
    if (cls) {
      auto t = std::make_unique<Theme>();
      t->cls = *cls;
      HTHEME h = t.get();
      Handles& hs = handles();
      std::lock_guard<std::mutex> guard(hs.lock);
      hs.open.emplace(h, std::move(t));
      return h;
    }
    p = *end ? end + 1 : end;
  }
  return nullptr;
}

HRESULT CloseThemeData(HTHEME theme) {
  if (!theme) return E_HANDLE;
  Handles& hs = handles();
  std::lock_guard<std::mutex> guard(hs.lock);
  return hs.open.erase(theme) ? S_OK : E_HANDLE;
}

const char16_t* ThemeClassName(HTHEME theme) {
  const Theme* t = themeOf(theme);
  return t ? detail::className(t->cls) : u"";
}

int OpenThemeCount() {
  Handles& hs = handles();
  std::lock_guard<std::mutex> guard(hs.lock);
  return int(hs.open.size());
}

// --- the switch ---------------------------------------------------------------------------------

BOOL IsThemeActive() { return enabled.load() ? TRUE : FALSE; }
BOOL IsAppThemed() { return IsThemeActive(); }
bool ThemesEnabled() { return enabled.load(); }

void SetThemesEnabled(bool value) {
  if (enabled.exchange(value) == value) return;
  // Every window hears it, as after a change of the desktop's theme: the
  // top-level ones (message-only windows included, since theme caches live
  // in hidden windows) and then all their children.
  win::SendMessageW(win::HWND_BROADCAST, win::WM_THEMECHANGED, 0, 0);
  win::EnumWindows(&sendToChildren, 0);
}

HRESULT GetCurrentThemeName(char16_t* fileName, int maxNameChars, char16_t* colorName, int maxColorChars,
                            char16_t* sizeName, int maxSizeChars) {
  if (!enabled.load()) return E_FAIL;
  copyName(u"Integrador.theme", fileName, maxNameChars);
  copyName(u"Light", colorName, maxColorChars);
  copyName(u"Normal", sizeName, maxSizeChars);
  return S_OK;
}

// --- drawing ------------------------------------------------------------------------------------

HRESULT DrawThemeBackground(HTHEME theme, HDC dc, int part, int state, const RECT* rect, const RECT* clip) {
  const Resolved r = resolve(theme, part, state);
  if (r.error != S_OK) return r.error;
  if (!dc || !validRect(rect)) return E_INVALIDARG;
  const int saved = gdi::SaveDC(dc);
  if (clip) gdi::IntersectClipRect(dc, clip->left, clip->top, clip->right, clip->bottom);
  // Parts never paint outside their rectangle.
  gdi::IntersectClipRect(dc, rect->left, rect->top, rect->right, rect->bottom);
  detail::drawPart(dc, *r.part, r.look, *rect);
  gdi::RestoreDC(dc, saved);
  return S_OK;
}

HRESULT DrawThemeTextColored(HTHEME theme, HDC dc, int part, int state, const char16_t* text, int charCount,
                             DWORD textFlags, RECT* rect, COLORREF color) {
  const Resolved r = resolve(theme, part, state);
  if (r.error != S_OK) return r.error;
  if (!dc || !text || !rect) return E_INVALIDARG;
  if (color == gdi::CLR_INVALID) {
    bool found = false;
    color = detail::colorOf(*r.part, r.look, TMT_TEXTCOLOR, &found);
  }
  const COLORREF oldColor = gdi::SetTextColor(dc, color);
  const int oldMode = gdi::SetBkMode(dc, gdi::TRANSPARENT);
  gdi::DrawTextW(dc, text, charCount, rect, textFlags);
  gdi::SetBkMode(dc, oldMode);
  gdi::SetTextColor(dc, oldColor);
  return S_OK;
}

HRESULT DrawThemeText(HTHEME theme, HDC dc, int part, int state, const char16_t* text, int charCount,
                      DWORD textFlags, DWORD textFlags2, const RECT* rect) {
  if (!rect) return E_INVALIDARG;
  RECT r = *rect;
  // The one bit of the second flags word: grey text.
  constexpr DWORD kGrayed = 0x1;
  const COLORREF color = (textFlags2 & kGrayed) ? gdi::RGB(160, 160, 160) : gdi::CLR_INVALID;
  return DrawThemeTextColored(theme, dc, part, state, text, charCount, textFlags, &r, color);
}

HRESULT DrawThemeEdge(HTHEME theme, HDC dc, int part, int state, const RECT* rect, UINT edge, UINT flags,
                      RECT* contentRect) {
  const Theme* t = themeOf(theme);
  if (!t) return E_HANDLE;
  // Part 0 stands for the class's plain edge; other parts must exist.
  if (part != 0 && !detail::findPart(t->cls, part)) return E_INVALIDARG;
  (void)state;
  if (!dc || !validRect(rect)) return E_INVALIDARG;
  RECT r = *rect;
  gdi::DrawEdge(dc, &r, edge, flags | gdi::BF_ADJUST);
  if (contentRect) *contentRect = r;
  return S_OK;
}

HRESULT DrawThemeParentBackground(HWND wnd, HDC dc, const RECT* rect) {
  if (!wnd || !dc) return E_INVALIDARG;
  HWND parent = win::GetParent(wnd);
  if (!parent) return S_FALSE;
  gdi::POINT at{0, 0};
  win::MapWindowPoints(wnd, parent, &at, 1);
  const int saved = gdi::SaveDC(dc);
  if (rect) gdi::IntersectClipRect(dc, rect->left, rect->top, rect->right, rect->bottom);
  gdi::OffsetWindowOrgEx(dc, at.x, at.y, nullptr);
  win::SendMessageW(parent, win::WM_ERASEBKGND, reinterpret_cast<win::WPARAM>(dc), 0);
  win::SendMessageW(parent, win::WM_PRINTCLIENT, reinterpret_cast<win::WPARAM>(dc), win::PRF_CLIENT);
  gdi::RestoreDC(dc, saved);
  return S_OK;
}

// --- measures and colours -------------------------------------------------------------------

HRESULT GetThemePartSize(HTHEME theme, HDC, int part, int state, const RECT* rect, THEMESIZE kind, SIZE* size) {
  const Resolved r = resolve(theme, part, state);
  if (r.error != S_OK) return r.error;
  if (!size) return E_INVALIDARG;
  switch (kind) {
    case TS_MIN: *size = r.part->minSize; break;
    case TS_TRUE: *size = r.part->trueSize; break;
    case TS_DRAW:
      // What would be drawn into `rect`: stretchable parts fill it, fixed
      // glyphs keep their size.
      if (rect && (r.part->minSize.cx != r.part->trueSize.cx || r.part->minSize.cy != r.part->trueSize.cy))
        *size = SIZE{rect->right - rect->left, rect->bottom - rect->top};
      else
        *size = r.part->trueSize;
      break;
    default: return E_INVALIDARG;
  }
  return S_OK;
}

HRESULT GetThemeBackgroundContentRect(HTHEME theme, HDC, int part, int state, const RECT* bounds, RECT* content) {
  const Resolved r = resolve(theme, part, state);
  if (r.error != S_OK) return r.error;
  if (!validRect(bounds) || !content) return E_INVALIDARG;
  const MARGINS& m = r.part->content;
  *content = RECT{bounds->left + m.cxLeftWidth, bounds->top + m.cyTopHeight, bounds->right - m.cxRightWidth,
                  bounds->bottom - m.cyBottomHeight};
  // A rectangle too small for the margins collapses instead of turning inside out.
  if (content->right < content->left) content->right = content->left;
  if (content->bottom < content->top) content->bottom = content->top;
  return S_OK;
}

HRESULT GetThemeBackgroundExtent(HTHEME theme, HDC, int part, int state, const RECT* content, RECT* extent) {
  const Resolved r = resolve(theme, part, state);
  if (r.error != S_OK) return r.error;
  if (!validRect(content) || !extent) return E_INVALIDARG;
  const MARGINS& m = r.part->content;
  *extent = RECT{content->left - m.cxLeftWidth, content->top - m.cyTopHeight, content->right + m.cxRightWidth,
                 content->bottom + m.cyBottomHeight};
  return S_OK;
}

HRESULT GetThemeBackgroundRegion(HTHEME theme, HDC, int part, int state, const RECT* rect, HRGN* region) {
  const Resolved r = resolve(theme, part, state);
  if (r.error != S_OK) return r.error;
  if (!validRect(rect) || !region) return E_INVALIDARG;
  const bool round = r.part->kind == detail::Kind::Radio || r.part->kind == detail::Kind::BackButton ||
                     r.part->kind == detail::Kind::Chevron;
  *region = round ? gdi::CreateEllipticRgn(rect->left, rect->top, rect->right, rect->bottom)
                  : gdi::CreateRectRgn(rect->left, rect->top, rect->right, rect->bottom);
  return *region ? S_OK : E_FAIL;
}

HRESULT GetThemeMargins(HTHEME theme, HDC, int part, int state, int propId, const RECT*, MARGINS* margins) {
  const Resolved r = resolve(theme, part, state);
  if (r.error != S_OK) return r.error;
  if (!margins) return E_INVALIDARG;
  switch (propId) {
    case TMT_SIZINGMARGINS: *margins = r.part->sizing; return S_OK;
    case TMT_CONTENTMARGINS: *margins = r.part->content; return S_OK;
    default: *margins = MARGINS{}; return E_PROP_NOT_FOUND;
  }
}

HRESULT GetThemeColor(HTHEME theme, int part, int state, int propId, COLORREF* color) {
  const Resolved r = resolve(theme, part, state);
  if (r.error != S_OK) return r.error;
  if (!color) return E_INVALIDARG;
  bool found = false;
  const COLORREF c = detail::colorOf(*r.part, r.look, propId, &found);
  if (!found) return E_PROP_NOT_FOUND;
  *color = c;
  return S_OK;
}

BOOL IsThemeBackgroundPartiallyTransparent(HTHEME theme, int part, int state) {
  const Resolved r = resolve(theme, part, state);
  return r.error == S_OK && r.part->transparent ? TRUE : FALSE;
}

BOOL IsThemePartDefined(HTHEME theme, int part, int state) {
  return resolve(theme, part, state).error == S_OK ? TRUE : FALSE;
}

// --- integers, fonts and the theme's system values ------------------------------------------------

namespace {

// The one face every themed text is set in; captions are bold.
gdi::LOGFONTW themeFont(int weight) {
  gdi::LOGFONTW lf{};
  lf.lfHeight = -11;  // 8 points at 96 dpi
  lf.lfWeight = weight;
  lf.lfCharSet = 1;  // DEFAULT_CHARSET
  const char16_t name[] = u"Tahoma";
  for (std::size_t i = 0; i < sizeof(name) / sizeof(name[0]); ++i) lf.lfFaceName[i] = name[i];
  return lf;
}

// The integer properties a part has; none for a property it lacks.
bool partInt(const PartDef& part, int propId, int* value) {
  switch (propId) {
    case TMT_BORDERSIZE:
      // Parts drawn with a frame have a one-pixel border; glyphs and fills have none.
      switch (part.kind) {
        case detail::Kind::PushButton: case detail::Kind::CheckBox: case detail::Kind::Radio:
        case detail::Kind::GroupBox: case detail::Kind::EditField: case detail::Kind::Frame:
        case detail::Kind::TabPane: case detail::Kind::ProgressBar: case detail::Kind::TipFill:
        case detail::Kind::TabItem: case detail::Kind::ToolButton: case detail::Kind::TrackGroove:
          *value = 1;
          return true;
        default: *value = 0; return true;
      }
    case TMT_PROGRESSCHUNKSIZE:
    case TMT_PROGRESSSPACESIZE:
      if (part.kind != detail::Kind::ProgressChunk) return false;
      // A continuous bar: one-pixel chunks with no gap between them.
      *value = propId == TMT_PROGRESSCHUNKSIZE ? 1 : 0;
      return true;
    case TMT_WIDTH: *value = part.trueSize.cx; return true;
    case TMT_HEIGHT: *value = part.trueSize.cy; return true;
    default: return false;
  }
}

bool isMetric(int propId) {
  return propId == TMT_BORDERSIZE || propId == TMT_WIDTH || propId == TMT_HEIGHT ||
         propId == TMT_PROGRESSCHUNKSIZE || propId == TMT_PROGRESSSPACESIZE;
}

}  // namespace

HRESULT GetThemeInt(HTHEME theme, int part, int state, int propId, int* value) {
  const Resolved r = resolve(theme, part, state);
  if (r.error != S_OK) return r.error;
  if (!value) return E_INVALIDARG;
  return partInt(*r.part, propId, value) ? S_OK : E_PROP_NOT_FOUND;
}

HRESULT GetThemeMetric(HTHEME theme, HDC, int part, int state, int propId, int* value) {
  const Resolved r = resolve(theme, part, state);
  if (r.error != S_OK) return r.error;
  if (!value) return E_INVALIDARG;
  if (!isMetric(propId)) return E_PROP_NOT_FOUND;
  return partInt(*r.part, propId, value) ? S_OK : E_PROP_NOT_FOUND;
}

HRESULT GetThemeFont(HTHEME theme, HDC, int part, int state, int propId, gdi::LOGFONTW* font) {
  const Resolved r = resolve(theme, part, state);
  if (r.error != S_OK) return r.error;
  if (!font) return E_INVALIDARG;
  if (propId != TMT_FONT && propId != TMT_GLYPHFONT) return E_PROP_NOT_FOUND;
  // Only parts that carry text have a font: headings of the text styles are bold.
  if (r.part->kind == detail::Kind::None && r.part->cls != Cls::TextStyle) return E_PROP_NOT_FOUND;
  *font = themeFont(r.part->cls == Cls::TextStyle ? 700 : 400);
  return S_OK;
}

COLORREF GetThemeSysColor(HTHEME theme, int colorId) {
  if (themeOf(theme)) {
    if (auto c = detail::themeSysColor(colorId)) return *c;
  }
  return gdi::GetSysColor(colorId);
}

int GetThemeSysSize(HTHEME theme, int sizeId) {
  if (!themeOf(theme)) return 0;
  const PartDef* arrow = detail::findPart(Cls::ScrollBar, 1);
  switch (sizeId) {
    case win::SM_CXBORDER:
    case win::SM_CYBORDER: return 1;
    case win::SM_CXVSCROLL:
    case win::SM_CYVSCROLL: return arrow->trueSize.cx;
    case win::SM_CYHSCROLL:
    case win::SM_CXHSCROLL: return arrow->trueSize.cy;
    case win::SM_CXSIZE:
    case win::SM_CYSIZE: return 22;
    case 52:
    case 53: return 16;  // the small caption buttons (SM_CXSMSIZE, SM_CYSMSIZE)
    case 54: case 55: return 19;  // the menu bar's buttons (SM_CXMENUSIZE, SM_CYMENUSIZE)
    case 92: return 0;            // no padding around window borders (SM_CXPADDEDBORDER)
    default: return 0;
  }
}

HRESULT GetThemeSysFont(HTHEME theme, int fontId, gdi::LOGFONTW* font) {
  if (theme && !themeOf(theme)) return E_HANDLE;
  if (!font) return E_INVALIDARG;
  if (fontId < TMT_CAPTIONFONT || fontId > TMT_ICONTITLEFONT) return E_INVALIDARG;
  *font = themeFont(fontId == TMT_CAPTIONFONT ? 700 : 400);
  return S_OK;
}

BOOL GetThemeSysBool(HTHEME theme, int boolId) {
  if (!themeOf(theme)) return FALSE;
  // Menus are flat: one face colour and a framed highlight, no 3D edges.
  return boolId == TMT_FLATMENUS ? TRUE : FALSE;
}

HRESULT HitTestThemeBackground(HTHEME theme, HDC dc, int part, int state, DWORD options, const RECT* rect,
                               HRGN region, gdi::POINT point, gdi::WORD* hitCode) {
  const Resolved r = resolve(theme, part, state);
  if (r.error != S_OK) return r.error;
  if (!validRect(rect) || !hitCode) return E_INVALIDARG;
  *hitCode = gdi::WORD(HTNOWHERE);
  bool inside = false;
  if (region) {
    inside = gdi::PtInRegion(region, point.x, point.y) != FALSE;
  } else {
    HRGN own = nullptr;
    if (GetThemeBackgroundRegion(theme, dc, part, state, rect, &own) != S_OK) return E_FAIL;
    inside = gdi::PtInRegion(own, point.x, point.y) != FALSE;
    gdi::DeleteObject(own);
  }
  if (!inside) return S_OK;
  const MARGINS& m = r.part->sizing;
  const bool left = point.x < rect->left + m.cxLeftWidth, right = point.x >= rect->right - m.cxRightWidth;
  const bool top = point.y < rect->top + m.cyTopHeight, bottom = point.y >= rect->bottom - m.cyBottomHeight;
  if (options & HTTB_RESIZINGBORDER) {
    const bool l = left && (options & HTTB_RESIZINGBORDER_LEFT), rr = right && (options & HTTB_RESIZINGBORDER_RIGHT);
    const bool t = top && (options & HTTB_RESIZINGBORDER_TOP), b = bottom && (options & HTTB_RESIZINGBORDER_BOTTOM);
    int code = HTNOWHERE;
    if (t && l) code = HTTOPLEFT;
    else if (t && rr) code = HTTOPRIGHT;
    else if (b && l) code = HTBOTTOMLEFT;
    else if (b && rr) code = HTBOTTOMRIGHT;
    else if (l) code = HTLEFT;
    else if (rr) code = HTRIGHT;
    else if (t) code = HTTOP;
    else if (b) code = HTBOTTOM;
    if (code != HTNOWHERE) {
      *hitCode = gdi::WORD(code);
      return S_OK;
    }
  }
  if ((options & HTTB_FIXEDBORDER) && (left || right || top || bottom)) {
    *hitCode = gdi::WORD(HTBORDER);
    return S_OK;
  }
  *hitCode = gdi::WORD(HTCLIENT);
  return S_OK;
}

HRESULT DrawThemeIcon(HTHEME theme, HDC dc, int part, int state, const RECT* rect, gdi::HBITMAP images,
                      int cellWidth, int index) {
  const Resolved r = resolve(theme, part, state);
  if (r.error != S_OK) return r.error;
  if (!dc || !validRect(rect) || !images || cellWidth <= 0 || index < 0) return E_INVALIDARG;
  gdi::BITMAP bm{};
  if (gdi::GetObjectW(images, sizeof(bm), &bm) != int(sizeof(bm)) || bm.bmBitsPixel != 32) return E_INVALIDARG;
  if (std::int64_t(index + 1) * cellWidth > bm.bmWidth) return E_INVALIDARG;
  HDC source = gdi::CreateCompatibleDC(dc);
  if (!source) return E_FAIL;
  gdi::HGDIOBJ old = gdi::SelectObject(source, images);
  const int height = bm.bmHeight < 0 ? -bm.bmHeight : bm.bmHeight;
  const int x = rect->left + (rect->right - rect->left - cellWidth) / 2;
  const int y = rect->top + (rect->bottom - rect->top - height) / 2;
  gdi::BLENDFUNCTION blend;
  blend.SourceConstantAlpha = r.look.vis == detail::Vis::Disabled ? 128 : 255;
  blend.AlphaFormat = gdi::AC_SRC_ALPHA;
  const int saved = gdi::SaveDC(dc);
  gdi::IntersectClipRect(dc, rect->left, rect->top, rect->right, rect->bottom);
  gdi::AlphaBlend(dc, x, y, cellWidth, height, source, index * cellWidth, 0, cellWidth, height, blend);
  gdi::RestoreDC(dc, saved);
  gdi::SelectObject(source, old);
  gdi::DeleteDC(source);
  return S_OK;
}

HRESULT DwmIsCompositionEnabled(BOOL* value) {
  if (!value) return E_INVALIDARG;
  *value = FALSE;
  return S_OK;
}

}  // namespace theme
