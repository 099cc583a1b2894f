#pragma once
// The library's own text engine: breaks a UTF-16 text into rows (words,
// characters, far-east rules, CR/LF), places them with horizontal and
// vertical alignment (justification and distribution included), draws them
// with an end ellipsis and a highlighted selection, draws unreadably small
// text as a patterned bar, or only measures (rectangle or row count).
// Beside it, thin routines over the platform's formatted and extended text
// output. Every position and length is in UTF-16 units.
#include <vector>

#include "platform/gdi/types.h"
#include "platform/rtl/types.h"
#include "platform/ui/canvas.h"
#include "platform/ui/graphics.h"

namespace core {

using ui::TColor;
using ui::TRect;
using ui::TSize;

// ---- engine flags ---------------------------------------------------------------------------
inline constexpr unsigned CXTO_LEFT = 0x0;
inline constexpr unsigned CXTO_CENTER_HORIZONTALLY = 0x1;
inline constexpr unsigned CXTO_RIGHT = 0x2;
inline constexpr unsigned CXTO_JUSTIFY_HORIZONTALLY = 0x3;
inline constexpr unsigned CXTO_DISTRIBUTE_HORIZONTALLY = 0x4;
inline constexpr unsigned CXTO_HORZ_ALIGN_MASK = 0x7;
inline constexpr unsigned CXTO_TOP = 0x00;
inline constexpr unsigned CXTO_CENTER_VERTICALLY = 0x10;
inline constexpr unsigned CXTO_BOTTOM = 0x20;
inline constexpr unsigned CXTO_DISTRIBUTE_VERTICALLY = 0x30;
inline constexpr unsigned CXTO_VERT_ALIGN_OFFSET = 4;
inline constexpr unsigned CXTO_VERT_ALIGN_MASK = 0x30;
inline constexpr unsigned CXTO_WORDBREAK = 0x100;
inline constexpr unsigned CXTO_SINGLELINE = 0x200;
inline constexpr unsigned CXTO_EXPANDTABS = 0x400;
inline constexpr unsigned CXTO_END_ELLIPSIS = 0x800;
inline constexpr unsigned CXTO_PATTERNEDTEXT = 0x1000;
inline constexpr unsigned CXTO_EXTERNALLEADING = 0x2000;
inline constexpr unsigned CXTO_EDITCONTROL = 0x4000;
inline constexpr unsigned CXTO_NOCLIP = 0x8000;
inline constexpr unsigned CXTO_AUTOINDENTS = 0x10000;
inline constexpr unsigned CXTO_CHARBREAK = 0x20000;
inline constexpr unsigned CXTO_PREVENT_LEFT_EXCEED = 0x40000;
inline constexpr unsigned CXTO_PREVENT_TOP_EXCEED = 0x80000;
inline constexpr unsigned CXTO_CALCRECT = 0x100000;
inline constexpr unsigned CXTO_CALCROWCOUNT = 0x200000;
inline constexpr unsigned CXTO_HIDEPREFIX = 0x1000000;
inline constexpr unsigned CXTO_EXCELSTYLE = 0x2000000;

enum TcxTextAlignX { taLeft, taCenterX, taRight, taJustifyX, taDistributeX };
enum TcxTextAlignY { taTop, taCenterY, taBottom, taDistributeY };

struct TcxTextParams {
  int RowHeight = 0;
  int tmExternalLeading = 0;
  int FullRowHeight = 0;  // the step from one row to the next
  int EndEllipsisWidth = 0;
  bool Bold = false;
  rtl::Char BreakChar = u' ';
  TcxTextAlignX TextAlignX = taLeft;
  TcxTextAlignY TextAlignY = taTop;
  bool WordBreak = false;
  bool SingleLine = false;
  bool ExpandTabs = false;
  bool EndEllipsis = false;
  bool ExternalLeading = false;
  bool EditControl = false;
  bool ExcelStyle = false;
  bool NoClip = false;
  bool AutoIndents = false;
  bool PatternedText = false;
  bool PreventLeftExceed = false;
  bool PreventTopExceed = false;
  bool CharBreak = false;
  bool CalcRowCount = false;
  bool CalcRect = false;
  int MaxCharWidth = 0;
  int CharSet = 0;
  int OnePixel = 1;  // one device pixel in logical units
  bool HidePrefix = false;
};

struct TcxTextRow {
  const rtl::Char* Text = nullptr;  // into the source text
  int TextLength = 0;
  int TextExtents = 0;  // width
  int TextHeight = 0;
  int BreakCount = 0;  // spaces and tabs a justified row spreads its spare width over
  int TextOriginX = 0;
  int TextOriginY = 0;
  int StartOffset = 0;  // units of the source text before the row
};

inline constexpr int cxTextRowsInlineCount = 32;

// Most texts have few rows: those live inline, the rest in DynamicRows.
struct TcxTextRows {
  int Count = 0;
  const rtl::Char* Text = nullptr;
  TcxTextRow Rows[cxTextRowsInlineCount];
  std::vector<TcxTextRow> DynamicRows;
};

void ValidateTextRows(TcxTextRows& ATextRows, int ACount);
TcxTextRow& cxGetTextRow(TcxTextRows& ATextRows, int AIndex);
const TcxTextRow& cxGetTextRow(const TcxTextRows& ATextRows, int AIndex);
int cxGetTextRowCount(const TcxTextRows& ATextRows);
void cxResetTextRows(TcxTextRows& ATextRows);

struct TcxTextRowFormat {
  TcxTextAlignX Align = taLeft;
  bool BreakByWords = false;
  bool BreakByChars = false;
  bool CalcRect = false;
  bool EditControl = false;
  bool EndEllipsis = false;
  bool ExpandTabs = false;
  bool ExcelStyle = false;
  bool SingleLine = false;
  bool Special = false;  // the last visible row, which takes the end ellipsis
};
TcxTextRowFormat MakeTextRowFormat(const TcxTextParams& ATextParams);

// The row measurer: width and height of `ATextLength` units.
using TcxCalcTextExtentsProc = void (*)(gdi::HDC ADC, const rtl::Char* AText, int ATextLength, TSize& AExtents,
                                        bool AExpandTabs, void* AUserData);

inline constexpr rtl::Char cxEndEllipsisChars[] = u"...";

// The system locale's far-east flag: words then break between characters
// even without CXTO_CHARBREAK. The platform's system locale is not a
// far-east one; the flag is a switch for a far-east installation.
bool cxIsFarEastSystemLocale();
void cxSetFarEastSystemLocale(bool AValue);

// ---- far-east rules and word breaks ---------------------------------------------------------
bool IsFarEastFullWidthCharacter(unsigned ACodePage, rtl::Char AChar);
// Characters that may not start a line.
bool IsFarEastLineBreak(rtl::Char AChar);
const rtl::Char* cxGetNextWordBreak(unsigned ACodePage, const rtl::Char* AStart, const rtl::Char* AEnd);

// ---- engine ---------------------------------------------------------------------------------
TcxTextParams cxCalcTextParams(gdi::HDC ADC, unsigned AFormat, double ALineSpacingFactor = 1.0);
TcxTextParams cxCalcTextParams(ui::TCanvas* ACanvas, unsigned AFormat, double ALineSpacingFactor = 1.0);
TRect cxPrepareRect(const TRect& R, const TcxTextParams& ATextParams, int ALeftIndent = 0, int ARightIndent = 0);
TRect cxUnprepareRect(const TRect& R, const TcxTextParams& ATextParams, int ALeftIndent = 0, int ARightIndent = 0);

void cxCalcTextExtents(gdi::HDC ADC, const rtl::Char* AText, int ATextLength, TSize& AExtents, bool AExpandTabs);
void cxCalcTextExtentsEx(gdi::HDC ADC, const rtl::Char* AText, int ATextLength, TSize& AExtents, bool AExpandTabs,
                         void* AUserData);
// Width and height of a line with tabs expanded at the default stops; not
// limited to the platform's 16-bit widths.
TSize cxGetTabbedTextExtentW(gdi::HDC ADC, const rtl::Char* AText, int ACount);
void cxTabbedTextOutW(gdi::HDC ADC, int X, int Y, const rtl::Char* AText, int ACount);
// How many units fit `AMaxWidth` (`ADX`, may be null, gets the prefix widths).
bool cxGetTextExtentExPoint(gdi::HDC ADC, const rtl::Char* AText, int ACount, int* ADX, int& ACharNumber,
                            int AMaxWidth);

// Returns whether all text fitted.
bool cxMakeTextRows(gdi::HDC ADC, const rtl::Char* AText, int ATextLength, const TRect& R,
                    const TcxTextParams& ATextParams, TcxTextRows& ATextRows, int& ACount, int AMaxLineCount = 0,
                    void* AUserData = nullptr, TcxCalcTextExtentsProc ACalcTextExtentsProc = cxCalcTextExtentsEx);
bool cxMakeTextRows(ui::TCanvas* ACanvas, const rtl::Char* AText, int ATextLength, const TRect& R,
                    const TcxTextParams& ATextParams, TcxTextRows& ATextRows, int& ACount, int AMaxLineCount = 0);
void cxPlaceTextRows(gdi::HDC ADC, const TRect& R, TcxTextParams& ATextParams, TcxTextRows& ATextRows,
                     int ARowCount);
void cxTextRowsOutHighlight(gdi::HDC ADC, const TRect& R, const TcxTextParams& ATextParams,
                            const TcxTextRows& ATextRows, int ARowCount, int ASelStart, int ASelLength,
                            TColor ASelBkgColor, TColor ASelTextColor, bool AForceEndEllipsis);
int cxGetLongestTextRowWidth(const TcxTextRows& ATextRows, int ARowCount);

// Draws (or, with CXTO_CALCRECT, measures into R) and returns the text's
// height, or its row count with CXTO_CALCROWCOUNT; 0 for an empty text or a
// rectangle that cannot hold text. `AFont` may be null (the context's font).
int cxTextOut(gdi::HDC ADC, const rtl::String& AText, TRect& R, unsigned AFormat, int ASelStart, int ASelLength,
              ui::TFont* AFont, TColor ASelBkgColor, TColor ASelTextColor, int AMaxLineCount = 0,
              int ALeftIndent = 0, int ARightIndent = 0, TColor ATextColor = ui::clDefault,
              double ALineSpacingFactor = 1.0);
int cxTextOut(ui::TCanvas* ACanvas, const rtl::String& AText, TRect& R, unsigned AFormat, int ASelStart,
              int ASelLength, ui::TFont* AFont, TColor ASelBkgColor, TColor ASelTextColor, int AMaxLineCount = 0,
              int ALeftIndent = 0, int ARightIndent = 0, TColor ATextColor = ui::clDefault,
              double ALineSpacingFactor = 1.0);
int cxTextOut(ui::TCanvas* ACanvas, const rtl::String& AText, TRect& R, unsigned AFormat = CXTO_LEFT | CXTO_TOP,
              ui::TFont* AFont = nullptr, int AMaxLineCount = 0, int ALeftIndent = 0, int ARightIndent = 0,
              TColor ATextColor = ui::clDefault, double ALineSpacingFactor = 1.0);

// ---- thin routines over the platform's text output ---------------------------------------------
// Count -1: the whole text. An empty text still reaches the platform (with
// count 0) so that calculation flags set the rectangle. The text colour
// (unless clDefault) and the background mode hold for the call only.
int cxDrawText(gdi::HDC ADC, const rtl::String& AText, TRect& ARect, unsigned AFormat, int ACharCount = -1,
               TColor ATextColor = ui::clDefault, int ABkMode = 1 /* TRANSPARENT */);
int cxDrawText(ui::TCanvas* ACanvas, const rtl::String& AText, const TRect& ARect, unsigned AFormat,
               TColor ATextColor = ui::clDefault);
bool cxExtTextOut(gdi::HDC ADC, const rtl::String& AText, const ui::TPoint& APoint, const TRect& ARect,
                  unsigned AOptions, int ACount = -1);
bool cxExtTextOut(gdi::HDC ADC, const rtl::String& AText, const ui::TPoint& APoint, unsigned AOptions = 0,
                  int ACount = -1);
bool cxGetTextExtentPoint32(gdi::HDC ADC, const rtl::String& AText, TSize& ASize, int ACharCount = -1);
int cxTextHeight(gdi::HDC ADC);
TSize cxTextSize(gdi::HDC ADC, const rtl::String& AText);
// The smallest rectangle at (0, 0) that holds the text in `ARowCount` rows
// (0 or less: as many as needed), narrowed by bisection.
TRect cxGetTextRect(gdi::HDC ADC, const rtl::String& AText, int ARowCount, bool AReturnMaxRectHeight = false);

}  // namespace core
