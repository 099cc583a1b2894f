#include "lib/core/cxTextOut.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "lib/core/dxWinHelpers.h"
#include "platform/gdi/dc.h"
#include "platform/gdi/draw.h"
#include "platform/gdi/objects.h"
#include "platform/gdi/region.h"
#include "platform/gdi/text.h"
#include "platform/rtl/codepage.h"
#include "platform/rtl/mathutil.h"
#include "platform/rtl/scoped.h"
#include "platform/ui/colors.h"

namespace core {

namespace {

constexpr rtl::Char kCR = u'\r';
constexpr rtl::Char kLF = u'\n';
constexpr int kEllipsisLength = 3;

bool isSpaceOrTab(rtl::Char c) { return c == u' ' || c == u'\t'; }
bool isLineBreak(rtl::Char c) { return c == kCR || c == kLF; }
bool isHighSurrogate(rtl::Char c) { return c >= 0xD800 && c <= 0xDBFF; }

bool gFarEastSystemLocale = false;

unsigned codePageOfCharset(int ACharSet) {
  switch (ACharSet) {
    case 128: return 932;  // Shift-JIS
    case 129: return 949;  // Hangul
    case 134: return 936;  // GB 2312
    case 136: return 950;  // Big5
    default: return rtl::CP_ACP;
  }
}

// The two fill patterns of the patterned bar: normal text alternates $55
// and $AA rows, bold text is all set.
struct FillPatterns {
  gdi::HBRUSH normal = nullptr;
  gdi::HBRUSH bold = nullptr;
  FillPatterns() {
    normal = make(false);
    bold = make(true);
  }
  ~FillPatterns() {
    gdi::DeleteObject(normal);
    gdi::DeleteObject(bold);
  }
  FillPatterns(const FillPatterns&) = delete;
  FillPatterns& operator=(const FillPatterns&) = delete;
  static gdi::HBRUSH make(bool bold) {
    gdi::WORD bits[8];
    for (int i = 0; i < 8; ++i) bits[i] = bold ? 0 : ((i % 2) ? 0xAA : 0x55);
    gdi::HBITMAP bmp = gdi::CreateBitmap(8, 8, 1, 1, bits);
    gdi::HBRUSH brush = gdi::CreatePatternBrush(bmp);
    gdi::DeleteObject(bmp);
    return brush;
  }
};

gdi::HBRUSH fillPattern(bool ABold) {
  static FillPatterns patterns;
  return ABold ? patterns.bold : patterns.normal;
}

// Sorted (first, last) ranges of characters that may not start a line.
struct CharRange {
  rtl::Char first, last;
};
constexpr CharRange kLineStartProhibited[] = {
    {0x21, 0x21}, {0x25, 0x25}, {0x29, 0x29}, {0x2C, 0x2C}, {0x2E, 0x2E}, {0x3A, 0x3B}, {0x3E, 0x3F},
    {0x5D, 0x5D}, {0x7D, 0x7D}, {0xA8, 0xA8}, {0xB0, 0xB0}, {0xB7, 0xB7}, {0x02C7, 0x02C7}, {0x02C9, 0x02C9},
    {0x2013, 0x2016}, {0x2018, 0x2019}, {0x201D, 0x201D}, {0x2022, 0x2022}, {0x2025, 0x2027}, {0x2032, 0x2033},
    {0x2103, 0x2103}, {0x2236, 0x2236}, {0x2574, 0x2574}, {0x3001, 0x3003}, {0x3005, 0x3005}, {0x3009, 0x3009},
    {0x300B, 0x300B}, {0x300D, 0x300D}, {0x300F, 0x300F}, {0x3011, 0x3011}, {0x3015, 0x3015}, {0x3017, 0x3017},
    {0x301E, 0x301E}, {0x309B, 0x309C}, {0xFE30, 0xFE31}, {0xFE33, 0xFE34}, {0xFE36, 0xFE36}, {0xFE38, 0xFE38},
    {0xFE3A, 0xFE3A}, {0xFE3C, 0xFE3C}, {0xFE3E, 0xFE3E}, {0xFE40, 0xFE40}, {0xFE42, 0xFE42}, {0xFE44, 0xFE44},
    {0xFE4F, 0xFE52}, {0xFE54, 0xFE57}, {0xFE5A, 0xFE5A}, {0xFE5C, 0xFE5C}, {0xFE5E, 0xFE5E}, {0xFF01, 0xFF02},
    {0xFF05, 0xFF05}, {0xFF07, 0xFF07}, {0xFF09, 0xFF09}, {0xFF0C, 0xFF0E}, {0xFF1A, 0xFF1B}, {0xFF1E, 0xFF1F},
    {0xFF3D, 0xFF3D}, {0xFF5C, 0xFF5E}, {0xFF61, 0xFF61}, {0xFF63, 0xFF64}, {0xFF9E, 0xFF9F}, {0xFFE0, 0xFFFF},
};

int textWidth(gdi::HDC ADC, const rtl::Char* AText, int ALength) {
  gdi::SIZE size{};
  if (ALength > 0) gdi::GetTextExtentPoint32W(ADC, AText, ALength, &size);
  return size.cx;
}

// Where the row that starts at `start` ends and where the next one starts.
struct LineBreak {
  int rowLength = 0;
  int next = 0;
};

struct RowMeasurer {
  gdi::HDC dc;
  bool expandTabs;
  void* userData;
  TcxCalcTextExtentsProc proc;
  int width(const rtl::Char* text, int length) const {
    TSize size{0, 0};
    if (length > 0) proc(dc, text, length, size, expandTabs, userData);
    return size.cx;
  }
};

// The longest prefix of [AWord, AEnd) that fits AWidth, by bisection; the
// row keeps at least one unit when it has nothing else.
int breakAWord(const RowMeasurer& m, const rtl::Char* ARowStart, const rtl::Char* AWord, const rtl::Char* AEnd,
               int AWidth) {
  int lo = 0, hi = int(AEnd - AWord);
  const int base = int(AWord - ARowStart);
  while (lo < hi) {
    const int mid = (lo + hi + 1) / 2;
    if (m.width(ARowStart, base + mid) <= AWidth)
      lo = mid;
    else
      hi = mid - 1;
  }
  if (lo > 0 && lo < int(AEnd - AWord) && isHighSurrogate(AWord[lo - 1])) --lo;
  if (lo == 0 && base == 0) lo = (AEnd - AWord > 1 && isHighSurrogate(AWord[0])) ? 2 : 1;
  return base + lo;
}

// Consumes a CR (plus a following LF) or an LF (plus a following CR) at p.
const rtl::Char* skipLineBreak(const rtl::Char* p, const rtl::Char* end) {
  if (p >= end || !isLineBreak(*p)) return p;
  const rtl::Char first = *p++;
  if (p < end && isLineBreak(*p) && *p != first) ++p;
  return p;
}

const rtl::Char* nextLineBreakChar(const rtl::Char* p, const rtl::Char* end) {
  while (p < end && !isLineBreak(*p)) ++p;
  return p;
}

LineBreak getLineBreak(const RowMeasurer& m, unsigned ACodePage, const rtl::Char* AStart, int ALength,
                       const TcxTextRowFormat& AFormat, int AMaxWidth) {
  const rtl::Char* end = AStart + ALength;
  const rtl::Char* accepted = AStart;
  const rtl::Char* rowEnd = end;
  const rtl::Char* next = end;
  bool widthBreak = false;
  for (;;) {
    const rtl::Char* cand =
        AFormat.BreakByWords ? cxGetNextWordBreak(ACodePage, accepted, end) : nextLineBreakChar(accepted, end);
    if (AFormat.BreakByWords && cand > accepted && m.width(AStart, int(cand - AStart)) > AMaxWidth) {
      widthBreak = true;
      if (accepted > AStart && !AFormat.Special) {
        rowEnd = next = accepted;
      } else if (AFormat.BreakByChars) {
        rowEnd = next = AStart + breakAWord(m, AStart, accepted, cand, AMaxWidth);
      } else {
        rowEnd = next = cand;
        if (AFormat.EndEllipsis) next = skipLineBreak(next, end);
      }
      break;
    }
    if (cand < end && isLineBreak(*cand)) {
      rowEnd = cand;
      next = skipLineBreak(cand, end);
      break;
    }
    accepted = cand;
    if (cand >= end) {
      rowEnd = next = end;
      break;
    }
  }
  if (widthBreak) {
    switch (AFormat.Align) {
      case taCenterX:
        if (rowEnd > AStart && isSpaceOrTab(rowEnd[-1])) --rowEnd;
        if (next < end && isSpaceOrTab(*next)) ++next;
        break;
      case taRight:
        if (rowEnd > AStart && isSpaceOrTab(rowEnd[-1])) --rowEnd;
        break;
      default:
        if (next < end && isSpaceOrTab(*next)) ++next;
        break;
    }
    if (AFormat.ExcelStyle)
      while (next < end && *next == u' ') ++next;
  }
  return LineBreak{int(rowEnd - AStart), int(next - AStart)};
}

bool isMeasuring(const TcxTextParams& p) { return p.CalcRect || p.CalcRowCount; }

void measureRow(const RowMeasurer& m, TcxTextRow& row) {
  TSize size{0, 0};
  if (row.TextLength > 0) m.proc(m.dc, row.Text, row.TextLength, size, m.expandTabs, m.userData);
  row.TextExtents = size.cx;
  row.TextHeight = size.cy;
}

bool isRealColor(TColor c) { return c != ui::clNone && c != ui::clDefault; }

}  // namespace

bool cxIsFarEastSystemLocale() { return gFarEastSystemLocale; }
void cxSetFarEastSystemLocale(bool AValue) { gFarEastSystemLocale = AValue; }

// ---- rows ---------------------------------------------------------------------------------------

void ValidateTextRows(TcxTextRows& ATextRows, int ACount) {
  ATextRows.Count = ACount;
  const int dynamic = ACount - cxTextRowsInlineCount;
  if (dynamic > 0 && int(ATextRows.DynamicRows.size()) < dynamic)
    ATextRows.DynamicRows.resize(std::size_t(ACount - cxTextRowsInlineCount + 4));
  if (ACount > 0) cxGetTextRow(ATextRows, ACount - 1) = TcxTextRow{};
}

TcxTextRow& cxGetTextRow(TcxTextRows& ATextRows, int AIndex) {
  if (AIndex < cxTextRowsInlineCount) return ATextRows.Rows[AIndex];
  return ATextRows.DynamicRows[std::size_t(AIndex - cxTextRowsInlineCount)];
}

const TcxTextRow& cxGetTextRow(const TcxTextRows& ATextRows, int AIndex) {
  if (AIndex < cxTextRowsInlineCount) return ATextRows.Rows[AIndex];
  return ATextRows.DynamicRows[std::size_t(AIndex - cxTextRowsInlineCount)];
}

int cxGetTextRowCount(const TcxTextRows& ATextRows) { return ATextRows.Count; }

void cxResetTextRows(TcxTextRows& ATextRows) {
  ATextRows.Count = 0;
  ATextRows.DynamicRows.clear();
  ATextRows.DynamicRows.shrink_to_fit();
}

TcxTextRowFormat MakeTextRowFormat(const TcxTextParams& p) {
  TcxTextRowFormat f;
  f.Align = p.TextAlignX;
  f.BreakByWords = !p.SingleLine && (p.WordBreak || p.TextAlignX == taJustifyX || p.TextAlignX == taDistributeX);
  f.BreakByChars = f.BreakByWords && (p.CharBreak || p.EditControl);
  f.CalcRect = p.CalcRect;
  f.EditControl = p.EditControl;
  f.EndEllipsis = p.EndEllipsis;
  f.ExpandTabs = p.ExpandTabs;
  f.ExcelStyle = p.ExcelStyle;
  f.SingleLine = p.SingleLine;
  return f;
}

// ---- far-east rules -------------------------------------------------------------------------------

bool IsFarEastFullWidthCharacter(unsigned ACodePage, rtl::Char AChar) {
  if (AChar < 128) return false;
  if ((AChar >= 0x4E00 && AChar <= 0x9FFF) || (AChar >= 0x3040 && AChar <= 0x309F) ||
      (AChar >= 0x30A0 && AChar <= 0x30FF) || (AChar >= 0xAC00 && AChar <= 0xD7A3))
    return true;
  // Lone surrogate halves have no encoding of their own.
  if (AChar >= 0xD800 && AChar <= 0xDFFF) return false;
  if (!rtl::IsValidCodePage(ACodePage)) return false;
  const rtl::Char one[1] = {AChar};
  return rtl::WideCharToMultiByte(ACodePage, 0, rtl::StringView(one, 1)).size() > 1;
}

bool IsFarEastLineBreak(rtl::Char AChar) {
  const auto* end = std::end(kLineStartProhibited);
  const auto* it = std::lower_bound(std::begin(kLineStartProhibited), end, AChar,
                                    [](const CharRange& r, rtl::Char c) { return r.last < c; });
  return it != end && it->first <= AChar;
}

const rtl::Char* cxGetNextWordBreak(unsigned ACodePage, const rtl::Char* AStart, const rtl::Char* AEnd) {
  for (const rtl::Char* p = AStart; p < AEnd; ++p) {
    const rtl::Char c = *p;
    if (isSpaceOrTab(c)) return p == AStart ? p + 1 : p;
    if (isLineBreak(c)) return p;
    if (IsFarEastFullWidthCharacter(ACodePage, c)) {
      if (p != AStart) return p;
      return (p + 1 < AEnd && IsFarEastLineBreak(p[1])) ? p + 2 : p + 1;
    }
  }
  return AEnd;
}

// ---- parameters -----------------------------------------------------------------------------------

TcxTextParams cxCalcTextParams(gdi::HDC ADC, unsigned AFormat, double ALineSpacingFactor) {
  TcxTextParams p;
  gdi::TEXTMETRICW tm{};
  gdi::GetTextMetricsW(ADC, &tm);
  p.Bold = tm.tmWeight >= 700;
  p.BreakChar = tm.tmBreakChar;
  p.MaxCharWidth = tm.tmMaxCharWidth;
  p.RowHeight = tm.tmHeight;
  p.CharSet = tm.tmCharSet;
  p.tmExternalLeading = (AFormat & CXTO_EXTERNALLEADING) ? tm.tmExternalLeading : 0;
  const unsigned alignX = AFormat & CXTO_HORZ_ALIGN_MASK;
  p.TextAlignX = alignX <= CXTO_DISTRIBUTE_HORIZONTALLY ? TcxTextAlignX(alignX) : taLeft;
  p.TextAlignY = TcxTextAlignY((AFormat & CXTO_VERT_ALIGN_MASK) >> CXTO_VERT_ALIGN_OFFSET);
  p.WordBreak = AFormat & CXTO_WORDBREAK;
  p.SingleLine = AFormat & CXTO_SINGLELINE;
  p.ExpandTabs = AFormat & CXTO_EXPANDTABS;
  p.EndEllipsis = AFormat & CXTO_END_ELLIPSIS;
  p.ExternalLeading = AFormat & CXTO_EXTERNALLEADING;
  p.EditControl = AFormat & CXTO_EDITCONTROL;
  p.ExcelStyle = AFormat & CXTO_EXCELSTYLE;
  p.NoClip = AFormat & CXTO_NOCLIP;
  p.AutoIndents = AFormat & CXTO_AUTOINDENTS;
  p.PatternedText = AFormat & CXTO_PATTERNEDTEXT;
  p.PreventLeftExceed = AFormat & CXTO_PREVENT_LEFT_EXCEED;
  p.PreventTopExceed = AFormat & CXTO_PREVENT_TOP_EXCEED;
  p.CharBreak = (AFormat & CXTO_CHARBREAK) || gFarEastSystemLocale;
  p.CalcRowCount = AFormat & CXTO_CALCROWCOUNT;
  p.CalcRect = AFormat & CXTO_CALCRECT;
  p.HidePrefix = AFormat & CXTO_HIDEPREFIX;
  gdi::POINT pts[2] = {{0, 0}, {1, 6}};
  gdi::DPtoLP(ADC, pts, 2);
  p.OnePixel = std::max(1, std::abs(int(pts[1].x - pts[0].x)));
  const int sixPixels = std::abs(int(pts[1].y - pts[0].y));
  p.FullRowHeight = int(rtl::Round((p.RowHeight + p.tmExternalLeading) * ALineSpacingFactor));
  p.PatternedText = p.PatternedText && p.RowHeight < sixPixels;
  p.EndEllipsisWidth = p.EndEllipsis ? textWidth(ADC, cxEndEllipsisChars, kEllipsisLength) : 0;
  return p;
}

TcxTextParams cxCalcTextParams(ui::TCanvas* ACanvas, unsigned AFormat, double ALineSpacingFactor) {
  return cxCalcTextParams(ACanvas->Handle(), AFormat, ALineSpacingFactor);
}

TRect cxPrepareRect(const TRect& R, const TcxTextParams& p, int ALeftIndent, int ARightIndent) {
  TRect r = R;
  if (p.AutoIndents) {
    const int d = 2 * p.OnePixel;
    r = TRect{r.left + d, r.top + d, r.right - d, r.bottom - d};
  }
  r.left += ALeftIndent * p.OnePixel;
  r.right -= ARightIndent * p.OnePixel;
  return r;
}

TRect cxUnprepareRect(const TRect& R, const TcxTextParams& p, int ALeftIndent, int ARightIndent) {
  TRect r = R;
  r.left -= ALeftIndent * p.OnePixel;
  r.right += ARightIndent * p.OnePixel;
  if (p.AutoIndents) {
    const int d = 2 * p.OnePixel;
    r = TRect{r.left - d, r.top - d, r.right + d, r.bottom + d};
  }
  return r;
}

// ---- measuring --------------------------------------------------------------------------------------

TSize cxGetTabbedTextExtentW(gdi::HDC ADC, const rtl::Char* AText, int ACount) {
  if (ACount <= 0) return TSize{0, cxTextHeight(ADC)};
  const gdi::DWORD packed = gdi::GetTabbedTextExtentW(ADC, AText, ACount, 0, nullptr);
  TSize size{int(packed & 0xFFFF), int(packed >> 16)};
  // The packed width holds 16 bits: a line that may be wider is measured
  // again and the lost multiples of 65536 are added back.
  const int wide = textWidth(ADC, u"W", 1);
  if (std::int64_t(ACount) * wide > 0xFFFF) {
    gdi::RECT r{0, 0, 0, 0};
    gdi::DrawTextW(ADC, AText, ACount, &r,
                   gdi::DT_CALCRECT | gdi::DT_SINGLELINE | gdi::DT_EXPANDTABS | gdi::DT_NOPREFIX);
    const int full = r.right - r.left;
    if (full > size.cx) size.cx += (full - size.cx + 0x8000) / 0x10000 * 0x10000;
  }
  return size;
}

void cxTabbedTextOutW(gdi::HDC ADC, int X, int Y, const rtl::Char* AText, int ACount) {
  if (ACount > 0) gdi::TabbedTextOutW(ADC, X, Y, AText, ACount, 0, nullptr, X);
}

void cxCalcTextExtents(gdi::HDC ADC, const rtl::Char* AText, int ATextLength, TSize& AExtents, bool AExpandTabs) {
  AExtents = TSize{0, 0};
  if (!AExpandTabs) {
    gdi::SIZE s{};
    gdi::GetTextExtentPoint32W(ADC, AText, std::max(ATextLength, 0), &s);
    AExtents = TSize{s.cx, s.cy};
  } else {
    AExtents = cxGetTabbedTextExtentW(ADC, AText, ATextLength);
  }
}

void cxCalcTextExtentsEx(gdi::HDC ADC, const rtl::Char* AText, int ATextLength, TSize& AExtents, bool AExpandTabs,
                         void*) {
  cxCalcTextExtents(ADC, AText, ATextLength, AExtents, AExpandTabs);
}

bool cxGetTextExtentExPoint(gdi::HDC ADC, const rtl::Char* AText, int ACount, int* ADX, int& ACharNumber,
                            int AMaxWidth) {
  ACharNumber = 0;
  gdi::SIZE size{};
  return gdi::GetTextExtentExPointW(ADC, AText, std::max(ACount, 0), AMaxWidth, &ACharNumber, ADX, &size);
}

// ---- rows ---------------------------------------------------------------------------------------------

bool cxMakeTextRows(gdi::HDC ADC, const rtl::Char* AText, int ATextLength, const TRect& R, const TcxTextParams& p,
                    TcxTextRows& ATextRows, int& ACount, int AMaxLineCount, void* AUserData,
                    TcxCalcTextExtentsProc ACalcTextExtentsProc) {
  ValidateTextRows(ATextRows, 0);
  ATextRows.Text = AText;
  ACount = 0;
  if (ATextLength <= 0 || !AText) return true;
  const RowMeasurer m{ADC, p.ExpandTabs, AUserData, ACalcTextExtentsProc ? ACalcTextExtentsProc : cxCalcTextExtentsEx};
  const bool measuring = isMeasuring(p);
  if (p.CalcRect && p.SingleLine) {
    ValidateTextRows(ATextRows, 1);
    TcxTextRow& row = cxGetTextRow(ATextRows, 0);
    row.Text = AText;
    row.TextLength = ATextLength;
    measureRow(m, row);
    ACount = 1;
    return true;
  }
  const unsigned codePage = codePageOfCharset(p.CharSet);
  const int width = R.right - R.left;
  const int height = R.bottom - R.top;
  const TcxTextRowFormat base = MakeTextRowFormat(p);
  const bool justifyOrDistribute = p.TextAlignX == taJustifyX || p.TextAlignX == taDistributeX;
  int pos = 0;
  int totalHeight = 0;
  bool last = false;
  while (pos < ATextLength && !last) {
    totalHeight += p.FullRowHeight;
    if (p.SingleLine)
      last = true;
    else if (p.TextAlignY == taTop && !measuring)
      last = (p.EditControl && !p.NoClip) ? totalHeight + p.FullRowHeight > height : totalHeight > height;
    if (AMaxLineCount > 0 && ACount + 1 >= AMaxLineCount) last = true;
    TcxTextRowFormat format = base;
    format.Special = last && p.EndEllipsis && !p.NoClip && !measuring && !justifyOrDistribute;
    const LineBreak brk = getLineBreak(m, codePage, AText + pos, ATextLength - pos, format, width);
    ValidateTextRows(ATextRows, ACount + 1);
    TcxTextRow& row = cxGetTextRow(ATextRows, ACount);
    row.Text = AText + pos;
    row.TextLength = brk.rowLength;
    row.StartOffset = pos;
    const bool widthEnded = pos + brk.rowLength < ATextLength && !isLineBreak(AText[pos + brk.rowLength]);
    if (p.TextAlignX == taDistributeX || (p.TextAlignX == taJustifyX && widthEnded)) {
      while (row.TextLength > 0 && isSpaceOrTab(row.Text[row.TextLength - 1])) --row.TextLength;
      row.BreakCount = int(std::count_if(row.Text, row.Text + row.TextLength, isSpaceOrTab));
    }
    measureRow(m, row);
    ++ACount;
    // A row that consumes nothing cannot happen, but never loop on it.
    pos += std::max(brk.next, 1);
  }
  ATextRows.Count = ACount;
  if (measuring || ACount == 0) return true;
  if (p.SingleLine) return cxGetTextRow(ATextRows, 0).TextExtents <= width;
  return pos >= ATextLength;
}

bool cxMakeTextRows(ui::TCanvas* ACanvas, const rtl::Char* AText, int ATextLength, const TRect& R,
                    const TcxTextParams& ATextParams, TcxTextRows& ATextRows, int& ACount, int AMaxLineCount) {
  return cxMakeTextRows(ACanvas->Handle(), AText, ATextLength, R, ATextParams, ATextRows, ACount, AMaxLineCount);
}

void cxPlaceTextRows(gdi::HDC, const TRect& R, TcxTextParams& p, TcxTextRows& ATextRows, int ARowCount) {
  if (ARowCount <= 0) return;
  const int width = R.right - R.left;
  const int height = R.bottom - R.top;
  int step = p.FullRowHeight;
  int spare = 0;
  if (ARowCount > 1 && p.TextAlignY == taDistributeY) {
    const int free = height - p.RowHeight;
    if (p.RowHeight * (ARowCount - 1) < free) {
      step = free / (ARowCount - 1);
      spare = free % (ARowCount - 1);
    }
  }
  int top = R.top;
  switch (p.TextAlignY) {
    case taCenterY: top = R.top + (height - ARowCount * p.FullRowHeight) / 2; break;
    case taBottom: top = R.bottom + p.tmExternalLeading - ARowCount * p.FullRowHeight; break;
    default: break;
  }
  if (p.PreventTopExceed) top = std::max(top, R.top);
  for (int i = 0; i < ARowCount; ++i) {
    TcxTextRow& row = cxGetTextRow(ATextRows, i);
    switch (p.TextAlignX) {
      case taCenterX: row.TextOriginX = R.left + (width - row.TextExtents) / 2; break;
      case taRight: row.TextOriginX = R.right - row.TextExtents; break;
      default: row.TextOriginX = R.left; break;
    }
    if (p.PreventLeftExceed) row.TextOriginX = std::max(row.TextOriginX, R.left);
    row.TextOriginY = top;
    top += step + (i < spare ? 1 : 0);
  }
}

int cxGetLongestTextRowWidth(const TcxTextRows& ATextRows, int ARowCount) {
  int result = 0;
  for (int i = 0; i < ARowCount; ++i) result = std::max(result, cxGetTextRow(ATextRows, i).TextExtents);
  return result;
}

// ---- drawing ------------------------------------------------------------------------------------------

namespace {

struct RowPainter {
  gdi::HDC dc;
  const TRect& R;
  const TcxTextParams& p;

  void text(const rtl::Char* t, int n, int x, int y) const {
    if (n <= 0) return;
    if (p.ExpandTabs)
      cxTabbedTextOutW(dc, x, y, t, n);
    else
      gdi::ExtTextOutW(dc, x, y, 0, nullptr, t, gdi::UINT(n), nullptr);
  }

  void ellipsis(int x, int y, const gdi::RECT& rowRect) const {
    if (x >= R.right) return;
    const bool overflow = x + p.EndEllipsisWidth > R.right && !p.NoClip;
    gdi::ExtTextOutW(dc, x, y, overflow ? gdi::ETO_CLIPPED : 0, overflow ? &rowRect : nullptr, cxEndEllipsisChars,
                     kEllipsisLength, nullptr);
  }

  void patterned(const TcxTextRow& row) const {
    gdi::RECT bar{row.TextOriginX, row.TextOriginY + 1, std::min(row.TextOriginX + row.TextExtents, R.right),
                  row.TextOriginY + p.FullRowHeight - 1};
    if (bar.bottom <= bar.top) bar.bottom = bar.top + 1;
    const gdi::COLORREF oldBk = gdi::SetBkColor(dc, ui::ColorToRGB(ui::clWindow));
    gdi::FillRect(dc, &bar, fillPattern(p.Bold));
    gdi::SetBkColor(dc, oldBk);
  }
};

}  // namespace

void cxTextRowsOutHighlight(gdi::HDC ADC, const TRect& R, const TcxTextParams& p, const TcxTextRows& ATextRows,
                            int ARowCount, int ASelStart, int ASelLength, TColor ASelBkgColor, TColor ASelTextColor,
                            bool AForceEndEllipsis) {
  const int oldBkMode = gdi::SetBkMode(ADC, gdi::TRANSPARENT);
  rtl::ScopeExit restoreBkMode([&] { gdi::SetBkMode(ADC, oldBkMode); });
  gdi::HBRUSH selBrush = nullptr;
  if (ASelLength >= 1 && isRealColor(ASelBkgColor)) selBrush = gdi::CreateSolidBrush(ui::ColorToRGB(ASelBkgColor));
  rtl::ScopeExit freeBrush([&] {
    if (selBrush) gdi::DeleteObject(selBrush);
  });
  const gdi::COLORREF selText = isRealColor(ASelTextColor) ? ui::ColorToRGB(ASelTextColor) : gdi::GetTextColor(ADC);
  const int width = R.right - R.left;
  const RowPainter out{ADC, R, p};
  for (int i = 0; i < ARowCount; ++i) {
    const TcxTextRow& row = cxGetTextRow(ATextRows, i);
    const bool lastRow = i == ARowCount - 1;
    const gdi::RECT rowRect{R.left, row.TextOriginY, R.right, row.TextOriginY + p.FullRowHeight};
    if (row.TextLength <= 0) {
      if (lastRow && AForceEndEllipsis) out.ellipsis(row.TextOriginX, row.TextOriginY, rowRect);
      continue;
    }
    if (!gdi::RectVisible(ADC, &rowRect)) continue;
    if (p.PatternedText) {
      out.patterned(row);
      continue;
    }
    const bool needEllipsis = lastRow && p.EndEllipsis && (AForceEndEllipsis || row.TextExtents > width);
    const bool spread = (p.TextAlignX == taJustifyX || p.TextAlignX == taDistributeX) && !needEllipsis &&
                        row.BreakCount > 0 && width > row.TextExtents;
    const bool clip = !p.NoClip && (row.TextExtents > width || rowRect.top < R.top || rowRect.bottom > R.bottom);
    const bool selecting = selBrush && ASelStart < row.StartOffset + row.TextLength &&
                           ASelStart + ASelLength > row.StartOffset;
    const int saved = (clip || selecting || spread) ? gdi::SaveDC(ADC) : 0;
    if (clip)
      gdi::IntersectClipRect(ADC, std::max(rowRect.left, R.left), std::max(rowRect.top, R.top),
                             std::min(rowRect.right, R.right), std::min(rowRect.bottom, R.bottom));
    if (spread) gdi::SetTextJustification(ADC, width - row.TextExtents, row.BreakCount);
    int length = row.TextLength;
    int extents = row.TextExtents;
    if (needEllipsis) {
      int fit = 0;
      cxGetTextExtentExPoint(ADC, row.Text, length, nullptr, fit, width - p.EndEllipsisWidth);
      if (p.TextAlignX == taLeft) fit = std::max(fit, 1);
      length = std::min(fit, length);
      TSize size{0, 0};
      cxCalcTextExtentsEx(ADC, row.Text, length, size, p.ExpandTabs, nullptr);
      extents = size.cx;
    }
    if (selecting) {
      const int a = std::max(ASelStart, row.StartOffset) - row.StartOffset;
      const int b = std::min(ASelStart + ASelLength, row.StartOffset + row.TextLength) - row.StartOffset;
      TSize before{0, 0}, upTo{0, 0};
      cxCalcTextExtentsEx(ADC, row.Text, std::min(a, length), before, p.ExpandTabs, nullptr);
      cxCalcTextExtentsEx(ADC, row.Text, std::min(b, length), upTo, p.ExpandTabs, nullptr);
      const bool toEnd = b >= row.TextLength;
      const int right = row.TextOriginX + upTo.cx + (toEnd && needEllipsis ? p.EndEllipsisWidth : 0);
      const gdi::RECT sel{row.TextOriginX + before.cx, rowRect.top, right, rowRect.bottom};
      const int inner = gdi::SaveDC(ADC);
      gdi::IntersectClipRect(ADC, sel.left, sel.top, sel.right, sel.bottom);
      gdi::FillRect(ADC, &sel, selBrush);
      const gdi::COLORREF oldColor = gdi::SetTextColor(ADC, selText);
      out.text(row.Text, length, row.TextOriginX, row.TextOriginY);
      if (toEnd && needEllipsis) out.ellipsis(row.TextOriginX + extents, row.TextOriginY, rowRect);
      gdi::SetTextColor(ADC, oldColor);
      gdi::RestoreDC(ADC, inner);
      gdi::ExcludeClipRect(ADC, sel.left, sel.top, sel.right, sel.bottom);
    }
    out.text(row.Text, length, row.TextOriginX, row.TextOriginY);
    // The ellipsis follows the shortened row (for a left-aligned row that is
    // the rectangle's left plus the row's width).
    if (needEllipsis) out.ellipsis(row.TextOriginX + extents, row.TextOriginY, rowRect);
    if (spread) gdi::SetTextJustification(ADC, 0, 0);
    if (saved) gdi::RestoreDC(ADC, saved);
  }
}

// ---- the engine's entry points ---------------------------------------------------------------------------

int cxTextOut(gdi::HDC ADC, const rtl::String& AText, TRect& R, unsigned AFormat, int ASelStart, int ASelLength,
              ui::TFont* AFont, TColor ASelBkgColor, TColor ASelTextColor, int AMaxLineCount, int ALeftIndent,
              int ARightIndent, TColor ATextColor, double ALineSpacingFactor) {
  if (AText.empty()) return 0;
  gdi::HGDIOBJ oldFont = nullptr;
  const gdi::COLORREF oldColor = gdi::GetTextColor(ADC);
  rtl::ScopeExit restore([&] {
    if (oldFont) gdi::SelectObject(ADC, oldFont);
    gdi::SetTextColor(ADC, oldColor);
  });
  if (AFont) {
    oldFont = gdi::SelectObject(ADC, AFont->Handle());
    gdi::SetTextColor(ADC, ui::ColorToRGB(AFont->Color()));
  }
  if (ATextColor != ui::clDefault) gdi::SetTextColor(ADC, ui::ColorToRGB(ATextColor));

  TcxTextParams p = cxCalcTextParams(ADC, AFormat, ALineSpacingFactor);
  TRect rect = cxPrepareRect(R, p, ALeftIndent, ARightIndent);
  const int width = rect.right - rect.left, height = rect.bottom - rect.top;
  const bool measuring = isMeasuring(p);
  if (measuring ? width <= 0 : (width < 1 || height < 1)) return 0;
  const rtl::String shown = p.HidePrefix ? RemoveAccelChars(AText, false) : AText;
  if (shown.empty()) return 0;

  TcxTextRows rows;
  int count = 0;
  const int length = int(shown.size());
  const bool allFitted = cxMakeTextRows(ADC, shown.data(), length, rect, p, rows, count, AMaxLineCount);
  if (count == 0) return 0;
  if (p.CalcRect) {
    if (AMaxLineCount > 0 && AMaxLineCount < count) count = AMaxLineCount;
    rect.right = rect.left + cxGetLongestTextRowWidth(rows, count);
    if (!p.SingleLine) cxMakeTextRows(ADC, shown.data(), length, rect, p, rows, count, AMaxLineCount);
    cxPlaceTextRows(ADC, rect, p, rows, count);
    rect.bottom = cxGetTextRow(rows, count - 1).TextOriginY + p.RowHeight;
    R = cxUnprepareRect(rect, p, ALeftIndent, ARightIndent);
  } else {
    cxPlaceTextRows(ADC, rect, p, rows, count);
    if (!measuring) {
      if (ASelStart < 0 || ASelStart >= length) ASelLength = 0;
      if (ASelLength > 0 && ASelStart + ASelLength > length) ASelLength = length - ASelStart;
      cxTextRowsOutHighlight(ADC, rect, p, rows, count, ASelStart, std::max(ASelLength, 0), ASelBkgColor,
                             ASelTextColor, !allFitted);
    }
  }
  if (p.CalcRowCount) return count;
  return cxGetTextRow(rows, count - 1).TextOriginY + p.RowHeight - rect.top;
}

int cxTextOut(ui::TCanvas* ACanvas, const rtl::String& AText, TRect& R, unsigned AFormat, int ASelStart,
              int ASelLength, ui::TFont* AFont, TColor ASelBkgColor, TColor ASelTextColor, int AMaxLineCount,
              int ALeftIndent, int ARightIndent, TColor ATextColor, double ALineSpacingFactor) {
  return cxTextOut(ACanvas->Handle(), AText, R, AFormat, ASelStart, ASelLength, AFont, ASelBkgColor, ASelTextColor,
                   AMaxLineCount, ALeftIndent, ARightIndent, ATextColor, ALineSpacingFactor);
}

int cxTextOut(ui::TCanvas* ACanvas, const rtl::String& AText, TRect& R, unsigned AFormat, ui::TFont* AFont,
              int AMaxLineCount, int ALeftIndent, int ARightIndent, TColor ATextColor, double ALineSpacingFactor) {
  return cxTextOut(ACanvas, AText, R, AFormat, 0, 0, AFont, ui::clDefault, ui::clDefault, AMaxLineCount, ALeftIndent,
                   ARightIndent, ATextColor, ALineSpacingFactor);
}

// ---- thin routines ---------------------------------------------------------------------------------------

int cxDrawText(gdi::HDC ADC, const rtl::String& AText, TRect& ARect, unsigned AFormat, int ACharCount,
               TColor ATextColor, int ABkMode) {
  gdi::RECT r{ARect.left, ARect.top, ARect.right, ARect.bottom};
  rtl::ScopeExit copyBack([&] { ARect = TRect{r.left, r.top, r.right, r.bottom}; });
  const int count = ACharCount < 0 ? int(AText.size()) : std::min<int>(ACharCount, int(AText.size()));
  if (AText.empty()) return gdi::DrawTextW(ADC, AText.data(), 0, &r, AFormat);
  gdi::COLORREF oldColor = 0;
  const bool setColor = ATextColor != ui::clDefault;
  if (setColor) oldColor = gdi::SetTextColor(ADC, ui::ColorToRGB(ATextColor));
  const int oldMode = gdi::SetBkMode(ADC, ABkMode);
  const int result = gdi::DrawTextW(ADC, AText.data(), count, &r, AFormat);
  gdi::SetBkMode(ADC, oldMode);
  if (setColor) gdi::SetTextColor(ADC, oldColor);
  return result;
}

int cxDrawText(ui::TCanvas* ACanvas, const rtl::String& AText, const TRect& ARect, unsigned AFormat,
               TColor ATextColor) {
  TRect r = ARect;
  return cxDrawText(ACanvas->Handle(), AText, r, AFormat, -1, ATextColor, gdi::TRANSPARENT);
}

bool cxExtTextOut(gdi::HDC ADC, const rtl::String& AText, const ui::TPoint& APoint, const TRect& ARect,
                  unsigned AOptions, int ACount) {
  const int count = ACount < 0 ? int(AText.size()) : std::min<int>(ACount, int(AText.size()));
  const gdi::RECT r{ARect.left, ARect.top, ARect.right, ARect.bottom};
  return gdi::ExtTextOutW(ADC, APoint.x, APoint.y, AOptions, &r, AText.data(), gdi::UINT(count), nullptr);
}

bool cxExtTextOut(gdi::HDC ADC, const rtl::String& AText, const ui::TPoint& APoint, unsigned AOptions, int ACount) {
  const int count = ACount < 0 ? int(AText.size()) : std::min<int>(ACount, int(AText.size()));
  return gdi::ExtTextOutW(ADC, APoint.x, APoint.y, AOptions, nullptr, AText.data(), gdi::UINT(count), nullptr);
}

bool cxGetTextExtentPoint32(gdi::HDC ADC, const rtl::String& AText, TSize& ASize, int ACharCount) {
  ASize = TSize{0, 0};
  const int count = ACharCount < 0 ? int(AText.size()) : std::min<int>(ACharCount, int(AText.size()));
  gdi::SIZE s{};
  const bool ok = gdi::GetTextExtentPoint32W(ADC, AText.data(), count, &s);
  if (ok) ASize = TSize{s.cx, s.cy};
  return ok;
}

int cxTextHeight(gdi::HDC ADC) {
  gdi::TEXTMETRICW tm{};
  gdi::GetTextMetricsW(ADC, &tm);
  return tm.tmHeight;
}

TSize cxTextSize(gdi::HDC ADC, const rtl::String& AText) {
  const TRect r = cxGetTextRect(ADC, AText, 1);
  return TSize{r.right - r.left, r.bottom - r.top};
}

TRect cxGetTextRect(gdi::HDC ADC, const rtl::String& AText, int ARowCount, bool AReturnMaxRectHeight) {
  const auto calc = [&](gdi::RECT r, unsigned flags) {
    gdi::DrawTextW(ADC, AText.data(), int(AText.size()), &r, flags | gdi::DT_CALCRECT | gdi::DT_NOPREFIX);
    return r;
  };
  gdi::RECT single = calc(gdi::RECT{0, 0, 0, 0}, gdi::DT_SINGLELINE);
  if (ARowCount == 1) return TRect{single.left, single.top, single.right, single.bottom};
  const int maxHeight = ARowCount > 0 ? ARowCount * cxTextHeight(ADC) : 32000;
  const unsigned wrap = gdi::DT_WORDBREAK | gdi::DT_NOFULLWIDTHCHARBREAK;
  // The narrowest width lies between the longest unbreakable word and the
  // whole line.
  int lo = 0;
  for (std::size_t i = 0; i < AText.size();) {
    std::size_t j = i;
    while (j < AText.size() && !isSpaceOrTab(AText[j]) && !isLineBreak(AText[j])) ++j;
    lo = std::max(lo, textWidth(ADC, AText.data() + i, int(j - i)));
    i = j + 1;
  }
  int hi = std::max(single.right, lo);
  while (lo < hi) {
    const int mid = (lo + hi) / 2;
    const gdi::RECT r = calc(gdi::RECT{0, 0, mid, 0}, wrap);
    if (r.bottom - r.top <= maxHeight)
      hi = mid;
    else
      lo = mid + 1;
  }
  gdi::RECT result = calc(gdi::RECT{0, 0, hi, 0}, wrap);
  if (result.bottom - result.top > maxHeight) result = single;
  if (AReturnMaxRectHeight) result.bottom = result.top + maxHeight;
  return TRect{result.left, result.top, result.right, result.bottom};
}

}  // namespace core
