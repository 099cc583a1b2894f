#include "platform/theme/theme.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/gdi/dc.h"
#include "platform/gdi/edge.h"
#include "platform/gdi/region.h"
#include "platform/gdi/text.h"
#include "platform/theme/parts.h"
#include "platform/win/constants.h"
#include "platform/win/message_loop.h"
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

HRESULT DwmIsCompositionEnabled(BOOL* value) {
  if (!value) return E_INVALIDARG;
  *value = FALSE;
  return S_OK;
}

}  // namespace theme
