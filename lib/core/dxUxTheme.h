#pragma once
// The visual-styles binding: thin wrappers over the entry points of the
// theme engine, so that the rest of the library calls them without knowing
// whether an engine exists. The engine plugs in as a provider; without one
// (the default: themes are not active) every wrapper fails cleanly and the
// availability tests answer false.
#include <cstdint>

#include "platform/rtl/types.h"
#include "platform/rtl/ustring.h"
#include "platform/gdi/types.h"
#include "platform/win/types.h"

namespace core {

using HRESULT = std::int32_t;
inline constexpr HRESULT dxS_OK = 0;
inline constexpr HRESULT dxS_FALSE = 1;
inline constexpr HRESULT dxE_FAIL = HRESULT(0x80004005u);
inline constexpr HRESULT dxE_NOTIMPL = HRESULT(0x80004001u);

struct HTHEME__ {};
using HTHEME = HTHEME__*;
struct HPAINTBUFFER__ {};
using HPAINTBUFFER = HPAINTBUFFER__*;

struct TdxMargins {
  int cxLeftWidth = 0, cxRightWidth = 0, cyTopHeight = 0, cyBottomHeight = 0;
  friend bool operator==(const TdxMargins&, const TdxMargins&) = default;
};

enum TdxThemeSize { TS_MIN = 0, TS_TRUE = 1, TS_DRAW = 2 };

// Options of DrawThemeTextEx.
struct TdxDTTOpts {
  win::DWORD dwSize = sizeof(TdxDTTOpts);
  win::DWORD dwFlags = 0;
  win::COLORREF crText = 0;
  win::COLORREF crBorder = 0;
  win::COLORREF crShadow = 0;
  int iTextShadowType = 0;
  win::POINT ptShadowOffset{};
  int iBorderSize = 0;
  int iFontPropId = 0;
  int iColorPropId = 0;
  int iStateId = 0;
  win::BOOL fApplyOverlay = 0;
  int iGlowSize = 0;
};

enum TdxBufferFormat { BPBF_COMPATIBLEBITMAP = 0, BPBF_DIB = 1, BPBF_TOPDOWNDIB = 2, BPBF_TOPDOWNMONODIB = 3 };

struct TdxPaintParams {
  win::DWORD cbSize = sizeof(TdxPaintParams);
  win::DWORD dwFlags = 0;
  const win::RECT* prcExclude = nullptr;
  const void* pBlendFunction = nullptr;
};

// The entry points a theme engine offers. Each default answers as a
// missing entry point would: failure, nothing drawn. An engine overrides
// what it has. Arguments are in the order the library's callers use.
class IdxVisualStylesProvider {
 public:
  virtual ~IdxVisualStylesProvider() = default;

  virtual HTHEME OpenThemeData(win::HWND, const char16_t* /*classList*/) { return nullptr; }
  virtual HRESULT CloseThemeData(HTHEME) { return dxE_NOTIMPL; }
  virtual HRESULT DrawThemeBackground(HTHEME, win::HDC, int /*part*/, int /*state*/, const win::RECT*,
                                      const win::RECT* /*clip*/) {
    return dxE_NOTIMPL;
  }
  virtual HRESULT DrawThemeText(HTHEME, win::HDC, int, int, const char16_t*, int /*charCount*/,
                                win::DWORD /*flags*/, win::DWORD /*flags2*/, const win::RECT*) {
    return dxE_NOTIMPL;
  }
  virtual HRESULT DrawThemeTextEx(HTHEME, win::HDC, int, int, const char16_t*, int, win::DWORD, win::RECT*,
                                  const TdxDTTOpts*) {
    return dxE_NOTIMPL;
  }
  virtual HRESULT GetThemeBackgroundContentRect(HTHEME, win::HDC, int, int, const win::RECT* /*bounds*/,
                                                win::RECT* /*content*/) {
    return dxE_NOTIMPL;
  }
  virtual HRESULT GetThemeBackgroundRegion(HTHEME, win::HDC, int, int, const win::RECT*, win::HRGN*) {
    return dxE_NOTIMPL;
  }
  virtual HRESULT DrawThemeEdge(HTHEME, win::HDC, int, int, const win::RECT*, win::UINT /*edge*/,
                                win::UINT /*flags*/, win::RECT* /*content*/) {
    return dxE_NOTIMPL;
  }
  virtual HRESULT GetThemeColor(HTHEME, int, int, int /*propId*/, win::COLORREF*) { return dxE_NOTIMPL; }
  virtual HRESULT GetThemeMargins(HTHEME, win::HDC, int, int, int, const win::RECT*, TdxMargins*) {
    return dxE_NOTIMPL;
  }
  virtual win::BOOL IsThemeBackgroundPartiallyTransparent(HTHEME, int, int) { return 0; }
  virtual HRESULT GetCurrentThemeName(char16_t* /*fileName*/, int, char16_t* /*color*/, int, char16_t* /*size*/,
                                      int) {
    return dxE_NOTIMPL;
  }
  virtual HRESULT GetThemePartSize(HTHEME, win::HDC, int, int, const win::RECT*, TdxThemeSize, win::SIZE*) {
    return dxE_NOTIMPL;
  }
  virtual HRESULT DrawThemeParentBackground(win::HWND, win::HDC, const win::RECT*) { return dxE_NOTIMPL; }
  // Null here means the engine cannot tell: themes count as not active.
  virtual bool HasIsThemeActive() { return false; }
  virtual win::BOOL IsThemeActive() { return 0; }
  virtual HRESULT BufferedPaintInit() { return dxE_NOTIMPL; }
  virtual HRESULT BufferedPaintUnInit() { return dxE_NOTIMPL; }
  virtual HPAINTBUFFER BeginBufferedPaint(win::HDC, const win::RECT*, TdxBufferFormat, const TdxPaintParams*,
                                          win::HDC* /*target*/) {
    return nullptr;
  }
  virtual HRESULT EndBufferedPaint(HPAINTBUFFER, win::BOOL /*updateTarget*/) { return dxE_NOTIMPL; }
  virtual HRESULT BufferedPaintClear(HPAINTBUFFER, const win::RECT*) { return dxE_NOTIMPL; }
  virtual HRESULT BufferedPaintSetAlpha(HPAINTBUFFER, const win::RECT*, win::BYTE) { return dxE_NOTIMPL; }
  // The panning feedback: only an engine that has it answers true to Has...
  virtual bool HasPanningFeedback() { return false; }
  virtual win::BOOL BeginPanningFeedback(win::HWND) { return 0; }
  virtual win::BOOL UpdatePanningFeedback(win::HWND, int /*overpanX*/, int /*overpanY*/, win::BOOL /*inertia*/) {
    return 0;
  }
  virtual win::BOOL EndPanningFeedback(win::HWND, win::BOOL /*animateBack*/) { return 0; }
};

// The installed engine, null when there is none (the library was not
// loaded). Installing or removing one restarts the theme cache.
IdxVisualStylesProvider* dxVisualStylesProvider();
void dxSetVisualStylesProvider(IdxVisualStylesProvider* provider);
bool IsThemeLibraryLoaded();

// --- wrappers: with no engine each answers dxE_NOTIMPL, null or false ------------------------
HTHEME OpenThemeData(win::HWND wnd, const char16_t* classList);
HRESULT CloseThemeData(HTHEME theme);
HRESULT DrawThemeBackground(HTHEME theme, win::HDC dc, int part, int state, const win::RECT* rect,
                            const win::RECT* clipRect);
HRESULT DrawThemeBackground(HTHEME theme, win::HDC dc, int part, int state, const win::RECT& rect);
HRESULT DrawThemeBackground(HTHEME theme, win::HDC dc, int part, int state, const win::RECT& rect,
                            const win::RECT& clipRect);
HRESULT DrawThemeText(HTHEME theme, win::HDC dc, int part, int state, const char16_t* text, int charCount,
                      win::DWORD textFlags, win::DWORD textFlags2, const win::RECT& rect);
HRESULT DrawThemeText(HTHEME theme, win::HDC dc, int part, int state, const rtl::String& text, int charCount,
                      win::DWORD textFlags, win::DWORD textFlags2, const win::RECT& rect);
HRESULT DrawThemeTextEx(HTHEME theme, win::HDC dc, int part, int state, const rtl::String& text, int charCount,
                        win::DWORD textFlags, win::RECT* rect, const TdxDTTOpts& options);
HRESULT GetThemeBackgroundContentRect(HTHEME theme, win::HDC dc, int part, int state, const win::RECT& bounds,
                                      win::RECT& contentRect);
HRESULT GetThemeBackgroundRegion(HTHEME theme, win::HDC dc, int part, int state, const win::RECT& rect,
                                 win::HRGN& region);
HRESULT DrawThemeEdge(HTHEME theme, win::HDC dc, int part, int state, const win::RECT& destRect, win::UINT edge,
                      win::UINT flags, win::RECT* contentRect);
HRESULT GetThemeColor(HTHEME theme, int part, int state, int propId, win::COLORREF& color);
HRESULT GetThemeMargins(HTHEME theme, win::HDC dc, int part, int state, int propId, const win::RECT* rect,
                        TdxMargins& margins);
bool IsThemeBackgroundPartiallyTransparent(HTHEME theme, int part, int state);
HRESULT GetCurrentThemeName(char16_t* fileName, int maxNameChars, char16_t* colorBuff, int maxColorChars,
                            char16_t* sizeBuff, int maxSizeChars);
HRESULT GetThemePartSize(HTHEME theme, win::HDC dc, int part, int state, const win::RECT* rect,
                         TdxThemeSize sizeKind, win::SIZE& size);
HRESULT GetThemePartSize(HTHEME theme, win::HDC dc, int part, int state, const win::RECT& rect,
                         TdxThemeSize sizeKind, win::SIZE& size);
HRESULT GetThemePartSize(HTHEME theme, win::HDC dc, int part, int state, TdxThemeSize sizeKind, win::SIZE& size);
// Selects the font that was in `dc` again afterwards: a parent painting its
// background may leave its own font selected.
HRESULT DrawThemeParentBackground(win::HWND wnd, win::HDC dc, const win::RECT* rect);
bool IsThemeActive();
HRESULT BufferedPaintInit();
HRESULT BufferedPaintUnInit();
HPAINTBUFFER BeginBufferedPaint(win::HDC target, const win::RECT& rect, TdxBufferFormat format,
                                const TdxPaintParams* params, win::HDC& paintDC);
HRESULT EndBufferedPaint(HPAINTBUFFER buffer, bool updateTarget);
HRESULT BufferedPaintClear(HPAINTBUFFER buffer, const win::RECT* rect);
HRESULT BufferedPaintSetAlpha(HPAINTBUFFER buffer, const win::RECT* rect, win::BYTE alpha);
bool dxBeginPanningFeedback(win::HWND wnd);
bool dxUpdatePanningFeedback(win::HWND wnd, const win::POINT& overpan, bool isInertia);
bool dxEndPanningFeedback(win::HWND wnd, bool animateBack);

}  // namespace core
