#include "lib/core/dxUxTheme.h"

#include "lib/core/dxThemeManager.h"
#include "platform/gdi/dc.h"

namespace core {

namespace {

IdxVisualStylesProvider* provider = nullptr;

// The platform's true as the entry points expect it.
win::BOOL platformBool(bool value) { return value ? -1 : 0; }

}  // namespace

IdxVisualStylesProvider* dxVisualStylesProvider() { return provider; }

void dxSetVisualStylesProvider(IdxVisualStylesProvider* value) {
  if (value == provider) return;
  dxThemeManagerUnitStop();
  provider = value;
  dxThemeManagerUnitStart();
}

bool IsThemeLibraryLoaded() { return provider != nullptr; }

HTHEME OpenThemeData(win::HWND wnd, const char16_t* classList) {
  return provider ? provider->OpenThemeData(wnd, classList) : nullptr;
}

HRESULT CloseThemeData(HTHEME theme) { return provider ? provider->CloseThemeData(theme) : dxE_NOTIMPL; }

HRESULT DrawThemeBackground(HTHEME theme, win::HDC dc, int part, int state, const win::RECT* rect,
                            const win::RECT* clipRect) {
  return provider ? provider->DrawThemeBackground(theme, dc, part, state, rect, clipRect) : dxE_NOTIMPL;
}

HRESULT DrawThemeBackground(HTHEME theme, win::HDC dc, int part, int state, const win::RECT& rect) {
  return DrawThemeBackground(theme, dc, part, state, &rect, nullptr);
}

HRESULT DrawThemeBackground(HTHEME theme, win::HDC dc, int part, int state, const win::RECT& rect,
                            const win::RECT& clipRect) {
  return DrawThemeBackground(theme, dc, part, state, &rect, &clipRect);
}

HRESULT DrawThemeText(HTHEME theme, win::HDC dc, int part, int state, const char16_t* text, int charCount,
                      win::DWORD textFlags, win::DWORD textFlags2, const win::RECT& rect) {
  return provider ? provider->DrawThemeText(theme, dc, part, state, text, charCount, textFlags, textFlags2, &rect)
                  : dxE_NOTIMPL;
}

HRESULT DrawThemeText(HTHEME theme, win::HDC dc, int part, int state, const rtl::String& text, int charCount,
                      win::DWORD textFlags, win::DWORD textFlags2, const win::RECT& rect) {
  return DrawThemeText(theme, dc, part, state, text.c_str(), charCount, textFlags, textFlags2, rect);
}

HRESULT DrawThemeTextEx(HTHEME theme, win::HDC dc, int part, int state, const rtl::String& text, int charCount,
                        win::DWORD textFlags, win::RECT* rect, const TdxDTTOpts& options) {
  // The engine may write into the text (ellipses), so it gets its own copy.
  rtl::String copy = text;
  return provider ? provider->DrawThemeTextEx(theme, dc, part, state, copy.c_str(), charCount, textFlags, rect,
                                              &options)
                  : dxE_NOTIMPL;
}

HRESULT GetThemeBackgroundContentRect(HTHEME theme, win::HDC dc, int part, int state, const win::RECT& bounds,
                                      win::RECT& contentRect) {
  return provider ? provider->GetThemeBackgroundContentRect(theme, dc, part, state, &bounds, &contentRect)
                  : dxE_NOTIMPL;
}

HRESULT GetThemeBackgroundRegion(HTHEME theme, win::HDC dc, int part, int state, const win::RECT& rect,
                                 win::HRGN& region) {
  return provider ? provider->GetThemeBackgroundRegion(theme, dc, part, state, &rect, &region) : dxE_NOTIMPL;
}

HRESULT DrawThemeEdge(HTHEME theme, win::HDC dc, int part, int state, const win::RECT& destRect, win::UINT edge,
                      win::UINT flags, win::RECT* contentRect) {
  return provider ? provider->DrawThemeEdge(theme, dc, part, state, &destRect, edge, flags, contentRect)
                  : dxE_NOTIMPL;
}

HRESULT GetThemeColor(HTHEME theme, int part, int state, int propId, win::COLORREF& color) {
  return provider ? provider->GetThemeColor(theme, part, state, propId, &color) : dxE_NOTIMPL;
}

HRESULT GetThemeMargins(HTHEME theme, win::HDC dc, int part, int state, int propId, const win::RECT* rect,
                        TdxMargins& margins) {
  return provider ? provider->GetThemeMargins(theme, dc, part, state, propId, rect, &margins) : dxE_NOTIMPL;
}

bool IsThemeBackgroundPartiallyTransparent(HTHEME theme, int part, int state) {
  return provider && provider->IsThemeBackgroundPartiallyTransparent(theme, part, state) != 0;
}

HRESULT GetCurrentThemeName(char16_t* fileName, int maxNameChars, char16_t* colorBuff, int maxColorChars,
                            char16_t* sizeBuff, int maxSizeChars) {
  return provider ? provider->GetCurrentThemeName(fileName, maxNameChars, colorBuff, maxColorChars, sizeBuff,
                                                  maxSizeChars)
                  : dxE_NOTIMPL;
}

HRESULT GetThemePartSize(HTHEME theme, win::HDC dc, int part, int state, const win::RECT* rect,
                         TdxThemeSize sizeKind, win::SIZE& size) {
  return provider ? provider->GetThemePartSize(theme, dc, part, state, rect, sizeKind, &size) : dxE_NOTIMPL;
}

HRESULT GetThemePartSize(HTHEME theme, win::HDC dc, int part, int state, const win::RECT& rect,
                         TdxThemeSize sizeKind, win::SIZE& size) {
  return GetThemePartSize(theme, dc, part, state, &rect, sizeKind, size);
}

HRESULT GetThemePartSize(HTHEME theme, win::HDC dc, int part, int state, TdxThemeSize sizeKind, win::SIZE& size) {
  return GetThemePartSize(theme, dc, part, state, nullptr, sizeKind, size);
}

HRESULT DrawThemeParentBackground(win::HWND wnd, win::HDC dc, const win::RECT* rect) {
  if (!provider) return dxE_NOTIMPL;
  const gdi::HGDIOBJ font = gdi::GetCurrentObject(dc, gdi::OBJ_FONT);
  const HRESULT result = provider->DrawThemeParentBackground(wnd, dc, rect);
  if (font) gdi::SelectObject(dc, font);
  return result;
}

bool IsThemeActive() { return provider && provider->HasIsThemeActive() && provider->IsThemeActive() != 0; }

HRESULT BufferedPaintInit() { return provider ? provider->BufferedPaintInit() : dxE_NOTIMPL; }
HRESULT BufferedPaintUnInit() { return provider ? provider->BufferedPaintUnInit() : dxE_NOTIMPL; }

HPAINTBUFFER BeginBufferedPaint(win::HDC target, const win::RECT& rect, TdxBufferFormat format,
                                const TdxPaintParams* params, win::HDC& paintDC) {
  paintDC = nullptr;
  return provider ? provider->BeginBufferedPaint(target, &rect, format, params, &paintDC) : nullptr;
}

HRESULT EndBufferedPaint(HPAINTBUFFER buffer, bool updateTarget) {
  return provider ? provider->EndBufferedPaint(buffer, platformBool(updateTarget)) : dxE_NOTIMPL;
}

HRESULT BufferedPaintClear(HPAINTBUFFER buffer, const win::RECT* rect) {
  return provider ? provider->BufferedPaintClear(buffer, rect) : dxE_NOTIMPL;
}

HRESULT BufferedPaintSetAlpha(HPAINTBUFFER buffer, const win::RECT* rect, win::BYTE alpha) {
  return provider ? provider->BufferedPaintSetAlpha(buffer, rect, alpha) : dxE_NOTIMPL;
}

bool dxBeginPanningFeedback(win::HWND wnd) {
  return provider && provider->HasPanningFeedback() && provider->BeginPanningFeedback(wnd) != 0;
}

bool dxUpdatePanningFeedback(win::HWND wnd, const win::POINT& overpan, bool isInertia) {
  return provider && provider->HasPanningFeedback() &&
         provider->UpdatePanningFeedback(wnd, overpan.x, overpan.y, platformBool(isInertia)) != 0;
}

bool dxEndPanningFeedback(win::HWND wnd, bool animateBack) {
  return provider && provider->HasPanningFeedback() &&
         provider->EndPanningFeedback(wnd, platformBool(animateBack)) != 0;
}

}  // namespace core
