#pragma once
// Text: metrics, extents and output with the DC's selected font, text
// colour, background mode and colour, text alignment, origins and clip
// region. Text is anti-aliased in grayscale (unless the font asks for
// NONANTIALIASED_QUALITY) and written with alpha 0, like every GDI
// primitive. Lengths and positions are in UTF-16 units; a surrogate pair
// counts as two units that share one extent.
#include <string>

#include "platform/gdi/types.h"

namespace gdi {

struct TEXTMETRICW {
  LONG tmHeight = 0;
  LONG tmAscent = 0;
  LONG tmDescent = 0;
  LONG tmInternalLeading = 0;
  LONG tmExternalLeading = 0;
  LONG tmAveCharWidth = 0;
  LONG tmMaxCharWidth = 0;
  LONG tmWeight = 0;
  LONG tmOverhang = 0;
  LONG tmDigitizedAspectX = 0;
  LONG tmDigitizedAspectY = 0;
  WCHAR tmFirstChar = 0;
  WCHAR tmLastChar = 0;
  WCHAR tmDefaultChar = 0;
  WCHAR tmBreakChar = 0;
  BYTE tmItalic = 0;
  BYTE tmUnderlined = 0;
  BYTE tmStruckOut = 0;
  BYTE tmPitchAndFamily = 0;
  BYTE tmCharSet = 0;
};

// tmPitchAndFamily bits ("FIXED_PITCH" is set for variable-pitch fonts, as
// on the platform) and families.
constexpr BYTE TMPF_FIXED_PITCH = 0x01;
constexpr BYTE TMPF_VECTOR = 0x02;
constexpr BYTE TMPF_TRUETYPE = 0x04;
constexpr BYTE TMPF_DEVICE = 0x08;
constexpr BYTE FF_DONTCARE = 0x00;
constexpr BYTE FF_ROMAN = 0x10;
constexpr BYTE FF_SWISS = 0x20;
constexpr BYTE FF_MODERN = 0x30;
constexpr BYTE FF_SCRIPT = 0x40;
constexpr BYTE FF_DECORATIVE = 0x50;

struct ABC {
  int abcA = 0;
  UINT abcB = 0;
  int abcC = 0;
};

BOOL GetTextMetricsW(HDC dc, TEXTMETRICW* tm);
// The family the selected font resolved to; returns the characters copied
// (with the terminating zero), or the length needed when `name` is null.
int GetTextFaceW(HDC dc, int count, WCHAR* name);

BOOL GetTextExtentPoint32W(HDC dc, const WCHAR* text, int count, SIZE* size);
// `fit` (may be null) receives how many units fit in `maxExtent` (which is
// ignored without `fit`); `dx` (may be null, else `count` entries) the
// extent of units [0, i] for every unit.
BOOL GetTextExtentExPointW(HDC dc, const WCHAR* text, int count, int maxExtent, int* fit, int* dx, SIZE* size);
BOOL GetCharWidth32W(HDC dc, UINT first, UINT last, int* widths);
BOOL GetCharABCWidthsW(HDC dc, UINT first, UINT last, ABC* abc);
// Width and height of a line with tabs expanded at the tab stops (count 0:
// every 8 average character widths; 1: every tabStops[0] pixels; more:
// those positions, from the line start).
DWORD GetTabbedTextExtentW(HDC dc, const WCHAR* text, int count, int tabCount, const int* tabStops);

// ---- output ---------------------------------------------------------------------------
constexpr UINT ETO_OPAQUE = 0x0002;
constexpr UINT ETO_CLIPPED = 0x0004;
constexpr UINT ETO_GLYPH_INDEX = 0x0010;
constexpr UINT ETO_RTLREADING = 0x0080;
constexpr UINT ETO_IGNORELANGUAGE = 0x1000;

// At (x, y) as the text alignment places it (TA_UPDATECP: at the current
// position, which then moves). `rect` (may be null) is filled with the
// background colour for ETO_OPAQUE and clips for ETO_CLIPPED. `dx` gives
// the advance of every unit. ETO_GLYPH_INDEX is not supported (FALSE).
BOOL ExtTextOutW(HDC dc, int x, int y, UINT options, const RECT* rect, const WCHAR* text, UINT count,
                 const int* dx);
BOOL TextOutW(HDC dc, int x, int y, const WCHAR* text, int count);
// Returns width and height like GetTabbedTextExtentW.
LONG TabbedTextOutW(HDC dc, int x, int y, const WCHAR* text, int count, int tabCount, const int* tabStops,
                    int tabOrigin);
// The next ExtTextOutW and TextOutW calls without `dx` spread `breakExtra`
// pixels over the first `breakCount` break characters of their text (the
// first ones take the remainder); (0, 0) ends it.
BOOL SetTextJustification(HDC dc, int breakExtra, int breakCount);

// ---- formatted text ------------------------------------------------------------------------
constexpr UINT DT_TOP = 0x00000000;
constexpr UINT DT_LEFT = 0x00000000;
constexpr UINT DT_CENTER = 0x00000001;
constexpr UINT DT_RIGHT = 0x00000002;
constexpr UINT DT_VCENTER = 0x00000004;
constexpr UINT DT_BOTTOM = 0x00000008;
constexpr UINT DT_WORDBREAK = 0x00000010;
constexpr UINT DT_SINGLELINE = 0x00000020;
constexpr UINT DT_EXPANDTABS = 0x00000040;
constexpr UINT DT_TABSTOP = 0x00000080;
constexpr UINT DT_NOCLIP = 0x00000100;
constexpr UINT DT_EXTERNALLEADING = 0x00000200;
constexpr UINT DT_CALCRECT = 0x00000400;
constexpr UINT DT_NOPREFIX = 0x00000800;
constexpr UINT DT_INTERNAL = 0x00001000;
constexpr UINT DT_EDITCONTROL = 0x00002000;
constexpr UINT DT_PATH_ELLIPSIS = 0x00004000;
constexpr UINT DT_END_ELLIPSIS = 0x00008000;
constexpr UINT DT_MODIFYSTRING = 0x00010000;
constexpr UINT DT_RTLREADING = 0x00020000;
constexpr UINT DT_WORD_ELLIPSIS = 0x00040000;
constexpr UINT DT_NOFULLWIDTHCHARBREAK = 0x00080000;
constexpr UINT DT_HIDEPREFIX = 0x00100000;
constexpr UINT DT_PREFIXONLY = 0x00200000;

struct DRAWTEXTPARAMS {
  UINT cbSize = sizeof(DRAWTEXTPARAMS);
  int iTabLength = 0;  // in average character widths
  int iLeftMargin = 0;
  int iRightMargin = 0;
  UINT uiLengthDrawn = 0;  // out: units processed
};

// The platform's formatted output. `count` -1 means a zero-terminated text.
// Returns the height of the text (with DT_VCENTER or DT_BOTTOM: the offset
// from rect->top to the bottom of the text), 0 on failure. With
// DT_MODIFYSTRING and an ellipsis the shown text is written back into
// `text`, which must then be writable and hold count + 4 units.
// DT_VCENTER and DT_BOTTOM apply to DT_SINGLELINE only; DT_RTLREADING and
// DT_NOFULLWIDTHCHARBREAK are accepted and change nothing.
int DrawTextW(HDC dc, const WCHAR* text, int count, RECT* rect, UINT format);
int DrawTextExW(HDC dc, const WCHAR* text, int count, RECT* rect, UINT format, DRAWTEXTPARAMS* params);

// ---- diagnostics ---------------------------------------------------------------------------
// The font file that serves a font (tests check the mapping with it).
std::string FontFileOf(HFONT font);
// The em height in pixels a font is set at (the graphics interface sizes
// its fonts from it).
double FontEmHeightOf(HFONT font);
// False when the font resolves to a font of bitmap strikes only.
bool FontIsScalable(HFONT font);

}  // namespace gdi
