#pragma once
// The library's text flags, which painters and controls pass around instead
// of the platform's formatted-text flags, their conversion, the alignment
// tables that produce them, and the text routines that work on a TcxCanvas
// or a font (measured on the shared screen canvas). TcxCanvas's own text
// members are defined with them.
#include "lib/core/cxGraphics.h"
#include "lib/core/cxTextOut.h"
#include "platform/gdi/text.h"
#include "platform/rtl/stringlist.h"
#include "platform/ui/stdctrls.h"

namespace core {

inline constexpr int cxAlignLeft = 0x1;
inline constexpr int cxAlignRight = 0x2;
inline constexpr int cxAlignHCenter = 0x4;
inline constexpr int cxAlignTop = 0x8;
inline constexpr int cxAlignBottom = 0x10;
inline constexpr int cxAlignVCenter = 0x20;
inline constexpr int cxAlignCenter = cxAlignHCenter | cxAlignVCenter;
inline constexpr int cxSingleLine = 0x40;
inline constexpr int cxDontClip = 0x80;
inline constexpr int cxExpandTabs = 0x100;
inline constexpr int cxShowPrefix = 0x200;
inline constexpr int cxWordBreak = 0x400;
inline constexpr int cxShowEndEllipsis = 0x800;
inline constexpr int cxCalcRect = 0x1000;
inline constexpr int cxShowPathEllipsis = 0x2000;
inline constexpr int cxDontBreakChars = 0x4000;
inline constexpr int cxNoFullWidthCharBreak = 0x8000;

// The platform's formatted-text flags for `AFlags` (always with no-prefix
// unless cxShowPrefix).
int cxFlagsToDTFlags(int AFlags);

// Indexed by the alignment's ordinal: left, right, centre / top, bottom, centre.
inline constexpr int cxAlignmentsHorz[3] = {cxAlignLeft, cxAlignRight, cxAlignHCenter};
inline constexpr int cxAlignmentsVert[3] = {cxAlignTop, cxAlignBottom, cxAlignVCenter};
inline constexpr int SystemAlignmentsHorz[3] = {0, 2, 1};
inline constexpr int SystemAlignmentsVert[3] = {0, 8, 4};
inline int cxAlignmentHorz(ui::TAlignment AAlignment) { return cxAlignmentsHorz[int(AAlignment)]; }
inline int cxAlignmentVert(TcxAlignmentVert AAlignment) { return cxAlignmentsVert[int(AAlignment)]; }

// Rotated text is drawn without anti-aliasing unless this is set.
extern bool dxUseAntialiasingForRotatedText;
// The font's logical quality becomes non-antialiased.
void dxSetFontAsNonAntialiased(ui::TFont* AFont);

// Unrotated: the platform's formatted output on a copy of the rectangle,
// transparent. Rotated: drawn upright into a bitmap of the canvas contents
// turned the other way, which is then turned back and copied in.
int cxDrawText(TcxCanvas* ACanvas, const String& AText, const TRect& ARect, unsigned AFormat,
               TColor ATextColor = ui::clDefault, TcxRotationAngle ARotationAngle = ra0);
// Wraps with cxGetTextLines and draws each line single-line in a row of the
// font's height; returns the line count.
int cxDrawMultilineText(TcxCanvas* ACanvas, const String& AText, const TRect& ARect, unsigned AFormat,
                        TColor ATextColor = ui::clDefault);
// The lines of `AText` wrapped to `ARect`'s width at spaces, tabs and breaks.
void cxGetTextLines(const String& AText, TcxCanvas* ACanvas, const TRect& ARect, rtl::TStrings* ALines);

// Measured with the font on the shared screen canvas.
int cxTextHeight(ui::TFont* AFont);
int cxTextHeight(ui::TFont* AFont, const String& AText, const TRect& ARect, unsigned AFlags);
TSize cxTextExtent(ui::TFont* AFont, const String& S, int AFontSize = 0);
int cxTextWidth(ui::TFont* AFont, const String& S, int AFontSize = 0);
TSize cxTextSize(ui::TFont* AFont, const String& AText);
void cxGetTextRect(TRect& R, const String& AText, ui::TFont* AFont, unsigned ADTFlags);
bool cxGetTextMetrics(ui::TFont* AFont, gdi::TEXTMETRICW& ATextMetric);

// The platform's descriptions of a bitmap, brush, font or pen handle.
gdi::BITMAP cxGetBitmapData(gdi::HBITMAP ABitmapHandle);
gdi::LOGBRUSH cxGetBrushData(gdi::HBRUSH ABrushHandle);
gdi::LOGFONTW cxGetFontData(gdi::HFONT AFontHandle);
gdi::LOGPEN cxGetPenData(gdi::HPEN APenHandle);

}  // namespace core
