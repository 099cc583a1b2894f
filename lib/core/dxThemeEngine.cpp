#include "lib/core/dxThemeEngine.h"

#include "platform/theme/theme.h"

namespace core {

namespace {

// The binding and the engine use the same numbering and layouts; only the
// handle types differ in name.
theme::HTHEME toEngine(HTHEME h) { return reinterpret_cast<theme::HTHEME>(h); }
HTHEME fromEngine(theme::HTHEME h) { return reinterpret_cast<HTHEME>(h); }
theme::HPAINTBUFFER toEngine(HPAINTBUFFER h) { return reinterpret_cast<theme::HPAINTBUFFER>(h); }
HPAINTBUFFER fromEngine(theme::HPAINTBUFFER h) { return reinterpret_cast<HPAINTBUFFER>(h); }

class EngineProvider final : public IdxVisualStylesProvider {
 public:
  HTHEME OpenThemeData(win::HWND wnd, const char16_t* classList) override {
    return fromEngine(theme::OpenThemeData(wnd, classList));
  }
  HRESULT CloseThemeData(HTHEME h) override { return theme::CloseThemeData(toEngine(h)); }
  HRESULT DrawThemeBackground(HTHEME h, win::HDC dc, int part, int state, const win::RECT* rect,
                              const win::RECT* clip) override {
    return theme::DrawThemeBackground(toEngine(h), dc, part, state, rect, clip);
  }
  HRESULT DrawThemeText(HTHEME h, win::HDC dc, int part, int state, const char16_t* text, int count,
                        win::DWORD flags, win::DWORD flags2, const win::RECT* rect) override {
    return theme::DrawThemeText(toEngine(h), dc, part, state, text, count, flags, flags2, rect);
  }
  HRESULT DrawThemeTextEx(HTHEME h, win::HDC dc, int part, int state, const char16_t* text, int count,
                          win::DWORD flags, win::RECT* rect, const TdxDTTOpts* options) override {
    // Of the options only the text colour is honoured; glow, shadow and
    // borders belong to composition, which is never on here.
    constexpr win::DWORD kTextColor = 0x1;
    const win::COLORREF color =
        options && (options->dwFlags & kTextColor) ? options->crText : gdi::CLR_INVALID;
    return theme::DrawThemeTextColored(toEngine(h), dc, part, state, text, count, flags, rect, color);
  }
  HRESULT GetThemeBackgroundContentRect(HTHEME h, win::HDC dc, int part, int state, const win::RECT* bounds,
                                        win::RECT* content) override {
    return theme::GetThemeBackgroundContentRect(toEngine(h), dc, part, state, bounds, content);
  }
  HRESULT GetThemeBackgroundRegion(HTHEME h, win::HDC dc, int part, int state, const win::RECT* rect,
                                   win::HRGN* region) override {
    return theme::GetThemeBackgroundRegion(toEngine(h), dc, part, state, rect, region);
  }
  HRESULT DrawThemeEdge(HTHEME h, win::HDC dc, int part, int state, const win::RECT* rect, win::UINT edge,
                        win::UINT flags, win::RECT* content) override {
    return theme::DrawThemeEdge(toEngine(h), dc, part, state, rect, edge, flags, content);
  }
  HRESULT GetThemeColor(HTHEME h, int part, int state, int prop, win::COLORREF* color) override {
    return theme::GetThemeColor(toEngine(h), part, state, prop, color);
  }
  HRESULT GetThemeMargins(HTHEME h, win::HDC dc, int part, int state, int prop, const win::RECT* rect,
                          TdxMargins* margins) override {
    theme::MARGINS m;
    const HRESULT r = theme::GetThemeMargins(toEngine(h), dc, part, state, prop, rect, &m);
    if (margins) *margins = TdxMargins{m.cxLeftWidth, m.cxRightWidth, m.cyTopHeight, m.cyBottomHeight};
    return r;
  }
  win::BOOL IsThemeBackgroundPartiallyTransparent(HTHEME h, int part, int state) override {
    return theme::IsThemeBackgroundPartiallyTransparent(toEngine(h), part, state);
  }
  HRESULT GetCurrentThemeName(char16_t* file, int fileMax, char16_t* color, int colorMax, char16_t* size,
                              int sizeMax) override {
    return theme::GetCurrentThemeName(file, fileMax, color, colorMax, size, sizeMax);
  }
  HRESULT GetThemePartSize(HTHEME h, win::HDC dc, int part, int state, const win::RECT* rect, TdxThemeSize kind,
                           win::SIZE* size) override {
    return theme::GetThemePartSize(toEngine(h), dc, part, state, rect, theme::THEMESIZE(kind), size);
  }
  HRESULT DrawThemeParentBackground(win::HWND wnd, win::HDC dc, const win::RECT* rect) override {
    return theme::DrawThemeParentBackground(wnd, dc, rect);
  }
  bool HasIsThemeActive() override { return true; }
  win::BOOL IsThemeActive() override { return theme::IsThemeActive(); }
  HRESULT BufferedPaintInit() override { return theme::BufferedPaintInit(); }
  HRESULT BufferedPaintUnInit() override { return theme::BufferedPaintUnInit(); }
  HPAINTBUFFER BeginBufferedPaint(win::HDC target, const win::RECT* rect, TdxBufferFormat format,
                                  const TdxPaintParams* params, win::HDC* paintDC) override {
    theme::BP_PAINTPARAMS p;
    if (params) {
      p.dwFlags = params->dwFlags;
      p.prcExclude = params->prcExclude;
      p.pBlendFunction = params->pBlendFunction;
    }
    return fromEngine(
        theme::BeginBufferedPaint(target, rect, theme::BP_BUFFERFORMAT(format), params ? &p : nullptr, paintDC));
  }
  HRESULT EndBufferedPaint(HPAINTBUFFER b, win::BOOL update) override {
    return theme::EndBufferedPaint(toEngine(b), update);
  }
  HRESULT BufferedPaintClear(HPAINTBUFFER b, const win::RECT* rect) override {
    return theme::BufferedPaintClear(toEngine(b), rect);
  }
  HRESULT BufferedPaintSetAlpha(HPAINTBUFFER b, const win::RECT* rect, win::BYTE alpha) override {
    return theme::BufferedPaintSetAlpha(toEngine(b), rect, alpha);
  }
};

}  // namespace

IdxVisualStylesProvider& dxThemeEngineProvider() {
  static EngineProvider provider;
  return provider;
}

void dxInstallThemeEngine() { dxSetVisualStylesProvider(&dxThemeEngineProvider()); }

}  // namespace core
