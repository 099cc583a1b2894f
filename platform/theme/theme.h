#pragma once
// The visual-styles engine: themed parts (buttons, scroll bars, headers,
// tabs...) drawn in one consistent look of our own, their measures and
// colours, buffered paint and the composition query. A switch turns themes
// off (as a user choosing the classic look would) so that callers can take
// and test both their themed and their classic paths; turning it broadcasts
// WM_THEMECHANGED to every window.
#include <cstdint>

#include "platform/gdi/objects.h"
#include "platform/gdi/types.h"
#include "platform/win/types.h"

namespace theme {

using gdi::BOOL;
using gdi::BYTE;
using gdi::FALSE;
using gdi::TRUE;
using gdi::COLORREF;
using gdi::DWORD;
using gdi::HDC;
using gdi::HRGN;
using gdi::RECT;
using gdi::SIZE;
using gdi::UINT;
using win::HWND;

using HRESULT = std::int32_t;
inline constexpr HRESULT S_OK = 0;
inline constexpr HRESULT S_FALSE = 1;
inline constexpr HRESULT E_FAIL = HRESULT(0x80004005u);
inline constexpr HRESULT E_NOTIMPL = HRESULT(0x80004001u);
inline constexpr HRESULT E_INVALIDARG = HRESULT(0x80070057u);
inline constexpr HRESULT E_HANDLE = HRESULT(0x80070006u);
// The answer for a property the part does not have.
inline constexpr HRESULT E_PROP_NOT_FOUND = HRESULT(0x80070490u);

struct HTHEME__ {};
using HTHEME = HTHEME__*;
struct HPAINTBUFFER__ {};
using HPAINTBUFFER = HPAINTBUFFER__*;

struct MARGINS {
  int cxLeftWidth = 0, cxRightWidth = 0, cyTopHeight = 0, cyBottomHeight = 0;
  friend bool operator==(const MARGINS&, const MARGINS&) = default;
};

enum THEMESIZE { TS_MIN = 0, TS_TRUE = 1, TS_DRAW = 2 };

// Properties the engine answers.
inline constexpr int TMT_GLYPHCOLOR = 204;
inline constexpr int TMT_SIZINGMARGINS = 3601;
inline constexpr int TMT_CONTENTMARGINS = 3602;
inline constexpr int TMT_BORDERCOLOR = 3801;
inline constexpr int TMT_FILLCOLOR = 3802;
inline constexpr int TMT_TEXTCOLOR = 3803;
inline constexpr int TMT_EDGELIGHTCOLOR = 3804;
inline constexpr int TMT_EDGEHIGHLIGHTCOLOR = 3805;
// Integers and metrics (GetThemeInt answers all five; GetThemeMetric the
// sizes among them).
inline constexpr int TMT_BORDERSIZE = 2403;
inline constexpr int TMT_PROGRESSCHUNKSIZE = 2411;
inline constexpr int TMT_PROGRESSSPACESIZE = 2412;
inline constexpr int TMT_WIDTH = 2416;
inline constexpr int TMT_HEIGHT = 2417;
// Fonts: the part font, and the system fonts of GetThemeSysFont.
inline constexpr int TMT_FONT = 210;
inline constexpr int TMT_GLYPHFONT = 2601;
inline constexpr int TMT_CAPTIONFONT = 801;
inline constexpr int TMT_SMALLCAPTIONFONT = 802;
inline constexpr int TMT_MENUFONT = 803;
inline constexpr int TMT_STATUSFONT = 804;
inline constexpr int TMT_MSGBOXFONT = 805;
inline constexpr int TMT_ICONTITLEFONT = 806;
// System booleans of GetThemeSysBool.
inline constexpr int TMT_FLATMENUS = 1001;
// Hit-test options and answers of HitTestThemeBackground.
inline constexpr DWORD HTTB_BACKGROUNDSEG = 0x0000;
inline constexpr DWORD HTTB_FIXEDBORDER = 0x0002;
inline constexpr DWORD HTTB_RESIZINGBORDER_LEFT = 0x0010;
inline constexpr DWORD HTTB_RESIZINGBORDER_TOP = 0x0020;
inline constexpr DWORD HTTB_RESIZINGBORDER_RIGHT = 0x0040;
inline constexpr DWORD HTTB_RESIZINGBORDER_BOTTOM = 0x0080;
inline constexpr DWORD HTTB_RESIZINGBORDER = 0x00F0;
inline constexpr DWORD HTTB_SYSTEMSIZINGMARGINS = 0x0200;
inline constexpr int HTNOWHERE = 0, HTCLIENT = 1, HTLEFT = 10, HTRIGHT = 11, HTTOP = 12, HTTOPLEFT = 13,
                     HTTOPRIGHT = 14, HTBOTTOM = 15, HTBOTTOMLEFT = 16, HTBOTTOMRIGHT = 17, HTBORDER = 18;

// --- handles ------------------------------------------------------------------------------------
// `classList` is one class name or several separated by ';' (the first known
// one is taken; names compare ignoring case). Null when themes are off or no
// name is known.
HTHEME OpenThemeData(HWND wnd, const char16_t* classList);
HRESULT CloseThemeData(HTHEME theme);
// The class an open handle stands for (empty for an invalid handle); for tests and diagnostics.
const char16_t* ThemeClassName(HTHEME theme);
// Open handles, for leak checks.
int OpenThemeCount();

// --- the switch ---------------------------------------------------------------------------------
BOOL IsThemeActive();
BOOL IsAppThemed();
// Turning the switch sends WM_THEMECHANGED to every window (top-level,
// message-only and child); setting the current value sends nothing.
void SetThemesEnabled(bool enabled);
bool ThemesEnabled();
HRESULT GetCurrentThemeName(char16_t* fileName, int maxNameChars, char16_t* colorName, int maxColorChars,
                            char16_t* sizeName, int maxSizeChars);

// --- drawing ------------------------------------------------------------------------------------
HRESULT DrawThemeBackground(HTHEME theme, HDC dc, int part, int state, const RECT* rect, const RECT* clip);
HRESULT DrawThemeText(HTHEME theme, HDC dc, int part, int state, const char16_t* text, int charCount,
                      DWORD textFlags, DWORD textFlags2, const RECT* rect);
// `color` overrides the part's text colour when not CLR_INVALID.
HRESULT DrawThemeTextColored(HTHEME theme, HDC dc, int part, int state, const char16_t* text, int charCount,
                             DWORD textFlags, RECT* rect, COLORREF color);
HRESULT DrawThemeEdge(HTHEME theme, HDC dc, int part, int state, const RECT* rect, UINT edge, UINT flags,
                      RECT* contentRect);
// Asks the parent of `wnd` to paint its background (WM_ERASEBKGND, then
// WM_PRINTCLIENT) into `dc`, shifted so that it lines up under `wnd`.
HRESULT DrawThemeParentBackground(HWND wnd, HDC dc, const RECT* rect);

// --- measures and colours -------------------------------------------------------------------
HRESULT GetThemePartSize(HTHEME theme, HDC dc, int part, int state, const RECT* rect, THEMESIZE kind, SIZE* size);
HRESULT GetThemeBackgroundContentRect(HTHEME theme, HDC dc, int part, int state, const RECT* bounds,
                                      RECT* content);
HRESULT GetThemeBackgroundExtent(HTHEME theme, HDC dc, int part, int state, const RECT* content, RECT* extent);
HRESULT GetThemeBackgroundRegion(HTHEME theme, HDC dc, int part, int state, const RECT* rect, HRGN* region);
HRESULT GetThemeMargins(HTHEME theme, HDC dc, int part, int state, int propId, const RECT* rect, MARGINS* margins);
HRESULT GetThemeColor(HTHEME theme, int part, int state, int propId, COLORREF* color);
BOOL IsThemeBackgroundPartiallyTransparent(HTHEME theme, int part, int state);
// Integers of a part (TMT_BORDERSIZE, TMT_PROGRESSCHUNKSIZE, TMT_PROGRESSSPACESIZE, TMT_WIDTH,
// TMT_HEIGHT); E_PROP_NOT_FOUND for another property.
HRESULT GetThemeInt(HTHEME theme, int part, int state, int propId, int* value);
// The sizes among those integers, in the pixels of `dc` (every DC here is at 96 dpi).
HRESULT GetThemeMetric(HTHEME theme, HDC dc, int part, int state, int propId, int* value);
// The font a part draws its text in (TMT_FONT, TMT_GLYPHFONT).
HRESULT GetThemeFont(HTHEME theme, HDC dc, int part, int state, int propId, gdi::LOGFONTW* font);
// The theme's system colours (COLOR_* indices): its own face, window, text
// and accent colours, the classic table for the rest.
COLORREF GetThemeSysColor(HTHEME theme, int colorId);
// The theme's system sizes (SM_CXBORDER, SM_CXVSCROLL, SM_CYHSCROLL,
// SM_CXHSCROLL, SM_CYVSCROLL, SM_CXSIZE, SM_CYSIZE, SM_CXSMSIZE, SM_CYSMSIZE,
// SM_CXMENUSIZE, SM_CYMENUSIZE, SM_CXPADDEDBORDER); 0 for any other index.
int GetThemeSysSize(HTHEME theme, int sizeId);
// The theme's system fonts (TMT_CAPTIONFONT .. TMT_ICONTITLEFONT).
HRESULT GetThemeSysFont(HTHEME theme, int fontId, gdi::LOGFONTW* font);
// The theme's system booleans (TMT_FLATMENUS); FALSE for any other.
BOOL GetThemeSysBool(HTHEME theme, int boolId);
// Which piece of the part's background `point` lies on: HTNOWHERE outside
// its shape (`region` when given, else the part's own), the border codes
// inside the sizing margins when `options` asks for them, else HTCLIENT.
HRESULT HitTestThemeBackground(HTHEME theme, HDC dc, int part, int state, DWORD options, const RECT* rect,
                               HRGN region, gdi::POINT point, gdi::WORD* hitCode);
// Draws image `index` of an image strip (a bitmap of equal cells
// `cellWidth` wide, 32-bit with alpha) centred in `rect`; the part's
// disabled states draw it half transparent.
HRESULT DrawThemeIcon(HTHEME theme, HDC dc, int part, int state, const RECT* rect, gdi::HBITMAP images,
                      int cellWidth, int index);
BOOL IsThemePartDefined(HTHEME theme, int part, int state);

// --- buffered paint -----------------------------------------------------------------------------
enum BP_BUFFERFORMAT { BPBF_COMPATIBLEBITMAP = 0, BPBF_DIB = 1, BPBF_TOPDOWNDIB = 2, BPBF_TOPDOWNMONODIB = 3 };
inline constexpr DWORD BPPF_ERASE = 0x0001;
inline constexpr DWORD BPPF_NOCLIP = 0x0002;

struct BP_PAINTPARAMS {
  DWORD cbSize = sizeof(BP_PAINTPARAMS);
  DWORD dwFlags = 0;
  const RECT* prcExclude = nullptr;
  const void* pBlendFunction = nullptr;
};

HRESULT BufferedPaintInit();
HRESULT BufferedPaintUnInit();
// A 32-bit buffer the size of `rect`; `paintDC` draws into it in the target's
// coordinates. Null (and a null paintDC) when it cannot be made.
HPAINTBUFFER BeginBufferedPaint(HDC target, const RECT* rect, BP_BUFFERFORMAT format, const BP_PAINTPARAMS* params,
                                HDC* paintDC);
// Copies the buffer to the target when `updateTarget`, then frees it.
HRESULT EndBufferedPaint(HPAINTBUFFER buffer, BOOL updateTarget);
HRESULT BufferedPaintClear(HPAINTBUFFER buffer, const RECT* rect);
HRESULT BufferedPaintSetAlpha(HPAINTBUFFER buffer, const RECT* rect, BYTE alpha);
HRESULT GetBufferedPaintBits(HPAINTBUFFER buffer, void** bits, int* rowPixels);
HDC GetBufferedPaintDC(HPAINTBUFFER buffer);
HDC GetBufferedPaintTargetDC(HPAINTBUFFER buffer);
HRESULT GetBufferedPaintTargetRect(HPAINTBUFFER buffer, RECT* rect);

// --- composition --------------------------------------------------------------------------------
// There is no composition here: always S_OK with *enabled = FALSE.
HRESULT DwmIsCompositionEnabled(BOOL* enabled);

}  // namespace theme
