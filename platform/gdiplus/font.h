#pragma once
// Font families, fonts, string formats, and drawing and measuring strings.
// Text is laid out by pango with the same font configuration as GDI text.
#include "platform/gdi/objects.h"
#include "platform/gdiplus/types.h"

namespace gdiplus {

class GpGraphics;
class GpBrush;
class GpFontFamily;
class GpFont;
class GpStringFormat;
class GpFontCollection;
using LANGID = WORD;

enum FontStyle {
  FontStyleRegular = 0,
  FontStyleBold = 1,
  FontStyleItalic = 2,
  FontStyleBoldItalic = 3,
  FontStyleUnderline = 4,
  FontStyleStrikeout = 8,
};
enum StringAlignment { StringAlignmentNear = 0, StringAlignmentCenter = 1, StringAlignmentFar = 2 };
enum StringTrimming {
  StringTrimmingNone = 0,
  StringTrimmingCharacter = 1,
  StringTrimmingWord = 2,
  StringTrimmingEllipsisCharacter = 3,
  StringTrimmingEllipsisWord = 4,
  StringTrimmingEllipsisPath = 5,
};
enum HotkeyPrefix { HotkeyPrefixNone = 0, HotkeyPrefixShow = 1, HotkeyPrefixHide = 2 };
enum StringFormatFlags {
  StringFormatFlagsDirectionRightToLeft = 0x0001,
  StringFormatFlagsDirectionVertical = 0x0002,
  StringFormatFlagsNoFitBlackBox = 0x0004,
  StringFormatFlagsDisplayFormatControl = 0x0020,
  StringFormatFlagsNoFontFallback = 0x0400,
  StringFormatFlagsMeasureTrailingSpaces = 0x0800,
  StringFormatFlagsNoWrap = 0x1000,
  StringFormatFlagsLineLimit = 0x2000,
  StringFormatFlagsNoClip = 0x4000,
};

// ---- families --------------------------------------------------------------------------
// FontFamilyNotFound unless the name is installed or mapped by the font
// configuration. The collection must be null (the installed fonts).
GpStatus GdipCreateFontFamilyFromName(const WCHAR* name, GpFontCollection* collection, GpFontFamily** family);
GpStatus GdipDeleteFontFamily(GpFontFamily* family);
GpStatus GdipCloneFontFamily(GpFontFamily* family, GpFontFamily** clone);
// `name` holds LF_FACESIZE (32) characters.
GpStatus GdipGetFamilyName(const GpFontFamily* family, WCHAR* name, LANGID language);

// ---- fonts -------------------------------------------------------------------------------
// Units: UnitPixel, UnitWorld, UnitDisplay (pixels), UnitPoint, UnitInch,
// UnitDocument, UnitMillimeter (at 96 DPI).
GpStatus GdipCreateFont(const GpFontFamily* family, REAL emSize, INT style, INT unit, GpFont** font);
// From the DC's selected font / a LOGFONTW: the em height in pixels
// (UnitWorld). NotTrueTypeFont when the font resolves to a bitmap font.
GpStatus GdipCreateFontFromDC(gdi::HDC dc, GpFont** font);
GpStatus GdipCreateFontFromLogfontW(gdi::HDC dc, const gdi::LOGFONTW* logfont, GpFont** font);
GpStatus GdipCloneFont(GpFont* font, GpFont** clone);
GpStatus GdipDeleteFont(GpFont* font);
GpStatus GdipGetFontSize(GpFont* font, REAL* size);
GpStatus GdipGetFontStyle(GpFont* font, INT* style);
GpStatus GdipGetFontUnit(GpFont* font, Unit* unit);
GpStatus GdipGetFamily(GpFont* font, GpFontFamily** family);
// Line spacing in pixels (the graphics may be null).
GpStatus GdipGetFontHeight(const GpFont* font, const GpGraphics* graphics, REAL* height);

// ---- string formats -----------------------------------------------------------------------
GpStatus GdipCreateStringFormat(INT flags, LANGID language, GpStringFormat** format);
// Shared objects: deleting them does nothing.
GpStatus GdipStringFormatGetGenericDefault(GpStringFormat** format);
GpStatus GdipStringFormatGetGenericTypographic(GpStringFormat** format);
GpStatus GdipCloneStringFormat(const GpStringFormat* format, GpStringFormat** clone);
GpStatus GdipDeleteStringFormat(GpStringFormat* format);
GpStatus GdipSetStringFormatFlags(GpStringFormat* format, INT flags);
GpStatus GdipGetStringFormatFlags(const GpStringFormat* format, INT* flags);
GpStatus GdipSetStringFormatAlign(GpStringFormat* format, StringAlignment align);
GpStatus GdipGetStringFormatAlign(const GpStringFormat* format, StringAlignment* align);
GpStatus GdipSetStringFormatLineAlign(GpStringFormat* format, StringAlignment align);
GpStatus GdipGetStringFormatLineAlign(const GpStringFormat* format, StringAlignment* align);
GpStatus GdipSetStringFormatTrimming(GpStringFormat* format, StringTrimming trimming);
GpStatus GdipGetStringFormatTrimming(const GpStringFormat* format, StringTrimming* trimming);
GpStatus GdipSetStringFormatHotkeyPrefix(GpStringFormat* format, INT prefix);
GpStatus GdipGetStringFormatHotkeyPrefix(const GpStringFormat* format, INT* prefix);

// ---- strings --------------------------------------------------------------------------------
// `length` -1: zero-terminated. A layout rectangle with no width or height
// does not wrap or clip in that direction. The default format pads each
// side by a sixth of the em height; the typographic one does not.
GpStatus GdipDrawString(GpGraphics* graphics, const WCHAR* string, INT length, const GpFont* font,
                        const GpRectF* layoutRect, const GpStringFormat* format, const GpBrush* brush);
GpStatus GdipMeasureString(GpGraphics* graphics, const WCHAR* string, INT length, const GpFont* font,
                           const GpRectF* layoutRect, const GpStringFormat* format, GpRectF* boundingBox,
                           INT* codepointsFitted, INT* linesFilled);

}  // namespace gdiplus
