// The text engine: row breaking (words, characters, far-east rules, CR/LF,
// the spreadsheet rule), row placement with distribution, measuring,
// selection, ellipsis, justification and the patterned bar; the far-east
// character tables and the writing direction of day names.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lib/core/cxTextOut.h"
#include "lib/core/cxTextOutWritingDirection.h"
#include "platform/gdi/gdi.h"
#include "platform/rtl/ustring.h"
#include "tests/gdi/canvas.h"
#include "tests/support/golden.h"

using namespace core;
using gdi_test::Canvas;

namespace {

constexpr gdi::COLORREF kLayoutWhite = gdi::RGB(255, 255, 255);
constexpr gdi::COLORREF kBlack = gdi::RGB(0, 0, 0);

// A canvas with Tahoma at 8 points (a 13-pixel row) selected.
class TextCanvas : public Canvas {
 public:
  explicit TextCanvas(int width = 200, int height = 100, int fontHeight = -11) : Canvas(width, height) {
    gdi::LOGFONTW lf;
    lf.lfHeight = fontHeight;
    lf.lfWeight = gdi::FW_NORMAL;
    const char16_t face[] = u"Tahoma";
    for (int i = 0; face[i]; ++i) lf.lfFaceName[i] = face[i];
    font_ = gdi::CreateFontIndirectW(&lf);
    old_ = gdi::SelectObject(dc(), font_);
    gdi::SetTextColor(dc(), kBlack);
  }
  ~TextCanvas() {
    gdi::SelectObject(dc(), old_);
    gdi::DeleteObject(font_);
  }
  int Width(const std::u16string& s) const {
    gdi::SIZE size{};
    gdi::GetTextExtentPoint32W(dc(), s.data(), int(s.size()), &size);
    return size.cx;
  }

 private:
  gdi::HFONT font_;
  gdi::HGDIOBJ old_;
};

std::string LayoutU8(const std::u16string& s) { return rtl::StringToUtf8(s); }

std::vector<std::string> RowTexts(const TcxTextRows& rows, int count) {
  std::vector<std::string> out;
  for (int i = 0; i < count; ++i) {
    const TcxTextRow& r = cxGetTextRow(rows, i);
    out.push_back(LayoutU8(std::u16string(r.Text, std::size_t(r.TextLength))));
  }
  return out;
}

struct BreakCase {
  const char* name;
  const char16_t* text;
  const char16_t* widthOf;  // the rectangle is as wide as this text (+ extra)
  int extra;
  unsigned format;
  std::vector<std::string> rows;
};

class RowBreaking : public ::testing::TestWithParam<BreakCase> {};

TEST_P(RowBreaking, GivesTheExpectedRows) {
  const BreakCase& c = GetParam();
  TextCanvas canvas;
  const std::u16string text = c.text;
  const int width = canvas.Width(c.widthOf) + c.extra;
  const TcxTextParams params = cxCalcTextParams(canvas.dc(), c.format | CXTO_CALCROWCOUNT);
  TcxTextRows rows;
  int count = 0;
  cxMakeTextRows(canvas.dc(), text.data(), int(text.size()), TRect{0, 0, width, 1000}, params, rows, count);
  EXPECT_EQ(RowTexts(rows, count), c.rows);
}

constexpr unsigned kWrap = CXTO_WORDBREAK;

INSTANTIATE_TEST_SUITE_P(
    TextLayout, RowBreaking,
    ::testing::Values(
        // The space stays at the end of a left-aligned row; centred and
        // right-aligned rows drop it.
        BreakCase{"LeftKeepsTrailingSpace", u"ab cd", u"ab c", 0, kWrap | CXTO_LEFT, {"ab ", "cd"}},
        BreakCase{"CentreDropsTrailingSpace", u"ab cd", u"ab c", 0, kWrap | CXTO_CENTER_HORIZONTALLY, {"ab", "cd"}},
        BreakCase{"RightDropsTrailingSpace", u"ab cd", u"ab c", 0, kWrap | CXTO_RIGHT, {"ab", "cd"}},
        // A word wider than the row stays whole without character break.
        BreakCase{"LongWordStaysWhole", u"mmmmmm mm", u"mm", 1, kWrap, {"mmmmmm", "mm"}},
        BreakCase{"LongWordSplitWithCharBreak", u"mmmmmm", u"mm", 1, kWrap | CXTO_CHARBREAK, {"mm", "mm", "mm"}},
        BreakCase{"EditControlSplitsToo", u"mmmmm", u"mm", 1, kWrap | CXTO_EDITCONTROL, {"mm", "mm", "m"}},
        // Both characters of a CR LF (or LF CR) pair are consumed; two CRs
        // are two breaks.
        BreakCase{"CrLfPair", u"ab\r\ncd", u"abcdefgh", 0, kWrap, {"ab", "cd"}},
        BreakCase{"LfCrPair", u"ab\n\rcd", u"abcdefgh", 0, kWrap, {"ab", "cd"}},
        BreakCase{"TwoCrsAreTwoBreaks", u"ab\r\rcd", u"abcdefgh", 0, kWrap, {"ab", "", "cd"}},
        BreakCase{"BreaksWithoutWordBreak", u"ab\ncd", u"a", 0, CXTO_LEFT, {"ab", "cd"}},
        BreakCase{"TrailingBreakMakesNoEmptyRow", u"ab\r\n", u"abcdefgh", 0, kWrap, {"ab"}},
        BreakCase{"SingleLineTakesTheFirstLine", u"ab\r\ncd", u"a", 0, kWrap | CXTO_SINGLELINE, {"ab"}},
        // Spreadsheet rule: every space after a wrapped row is skipped.
        BreakCase{"SpacesAfterWrapKept", u"ab   cd", u"ab", 1, kWrap, {"ab", "  ", "cd"}},
        BreakCase{"SpacesAfterWrapSkippedExcelStyle", u"ab   cd", u"ab", 1, kWrap | CXTO_EXCELSTYLE, {"ab", "cd"}},
        // Justified rows lose their trailing blanks; distribution breaks at
        // words without the word-break flag.
        BreakCase{"JustifyTrimsWrappedRows", u"aa bb cc", u"aa bb c", 0, CXTO_JUSTIFY_HORIZONTALLY, {"aa bb", "cc"}},
        BreakCase{"DistributeBreaksWords", u"aa bb", u"aa b", 0, CXTO_DISTRIBUTE_HORIZONTALLY, {"aa", "bb"}},
        // A full-width character is a word of its own; an ideographic full
        // stop may not start a row, so it stays with the character before.
        BreakCase{"FullWidthCharactersAreWords", u"\u65E5\u672C\u8A9E", u"\u65E5", 1, kWrap,
                  {"\xE6\x97\xA5", "\xE6\x9C\xAC", "\xE8\xAA\x9E"}},
        BreakCase{"NoRowStartsWithFullStop", u"\u65E5\u3002\u672C", u"\u65E5", 1, kWrap,
                  {"\xE6\x97\xA5\xE3\x80\x82", "\xE6\x9C\xAC"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(TextLayout, FarEastSystemLocaleBreaksLongWordsBetweenCharacters) {
  TextCanvas canvas;
  const std::u16string text = u"mmmm";
  const int width = canvas.Width(u"mm") + 1;
  struct Restore {
    ~Restore() { cxSetFarEastSystemLocale(false); }
  } restore;
  for (bool farEast : {false, true}) {
    cxSetFarEastSystemLocale(farEast);
    const TcxTextParams params = cxCalcTextParams(canvas.dc(), kWrap | CXTO_CALCROWCOUNT);
    TcxTextRows rows;
    int count = 0;
    cxMakeTextRows(canvas.dc(), text.data(), int(text.size()), TRect{0, 0, width, 1000}, params, rows, count);
    EXPECT_EQ(count, farEast ? 2 : 1) << "far-east " << farEast;
  }
}

TEST(TextLayout, JustifiedRowsCountTheirGaps) {
  TextCanvas canvas;
  const std::u16string text = u"a b\tc d e";
  const TcxTextParams params = cxCalcTextParams(canvas.dc(), CXTO_JUSTIFY_HORIZONTALLY | CXTO_CALCROWCOUNT);
  TcxTextRows rows;
  int count = 0;
  cxMakeTextRows(canvas.dc(), text.data(), int(text.size()), TRect{0, 0, canvas.Width(u"a b\tc d"), 1000}, params,
                 rows, count);
  ASSERT_EQ(RowTexts(rows, count), (std::vector<std::string>{"a b\tc d", "e"}));
  EXPECT_EQ(cxGetTextRow(rows, 0).BreakCount, 3);
  EXPECT_EQ(cxGetTextRow(rows, 1).BreakCount, 0);  // the last row is not spread
  EXPECT_EQ(cxGetTextRow(rows, 1).StartOffset, 8);
}

TEST(TextLayout, RowsBeyondTheInlineOnesLiveInTheArray) {
  TextCanvas canvas;
  std::u16string text;
  for (int i = 0; i < 40; ++i) text += std::u16string(1, char16_t(u'a' + i % 26)) + u"\n";
  const TcxTextParams params = cxCalcTextParams(canvas.dc(), CXTO_CALCROWCOUNT);
  TcxTextRows rows;
  int count = 0;
  cxMakeTextRows(canvas.dc(), text.data(), int(text.size()), TRect{0, 0, 100, 100}, params, rows, count);
  ASSERT_EQ(count, 40);
  EXPECT_EQ(cxGetTextRow(rows, 39).StartOffset, 78);
  EXPECT_EQ(std::u16string(cxGetTextRow(rows, 35).Text, 1), u"j");
  cxResetTextRows(rows);
  EXPECT_EQ(cxGetTextRowCount(rows), 0);
  EXPECT_TRUE(rows.DynamicRows.empty());
}

// ---- placement ---------------------------------------------------------------------------------

struct PlaceCase {
  const char* name;
  unsigned format;
  TRect rect;
  std::vector<int> tops;
};

class RowPlacement : public ::testing::TestWithParam<PlaceCase> {};

TEST_P(RowPlacement, PutsRowsAtTheirTops) {
  const PlaceCase& c = GetParam();
  TextCanvas canvas;
  const std::u16string text = u"a\r\nb\r\nc";
  TcxTextParams params = cxCalcTextParams(canvas.dc(), c.format);
  ASSERT_EQ(params.RowHeight, 13);
  TcxTextRows rows;
  int count = 0;
  cxMakeTextRows(canvas.dc(), text.data(), int(text.size()), c.rect, params, rows, count);
  ASSERT_EQ(count, 3);
  cxPlaceTextRows(canvas.dc(), c.rect, params, rows, count);
  std::vector<int> tops;
  for (int i = 0; i < count; ++i) tops.push_back(cxGetTextRow(rows, i).TextOriginY);
  EXPECT_EQ(tops, c.tops);
}

INSTANTIATE_TEST_SUITE_P(
    TextLayout, RowPlacement,
    ::testing::Values(
        // (100 - 13) / 2 = 43 with one spare pixel, given to the first gap.
        PlaceCase{"DistributedSpreadsTheSparePixel", CXTO_DISTRIBUTE_VERTICALLY, TRect{0, 0, 100, 100}, {0, 44, 87}},
        PlaceCase{"DistributedTooLowKeepsTheRowStep", CXTO_DISTRIBUTE_VERTICALLY, TRect{0, 0, 100, 30}, {0, 13, 26}},
        PlaceCase{"Top", CXTO_TOP, TRect{0, 10, 100, 100}, {10, 23, 36}},
        PlaceCase{"CentredVertically", CXTO_CENTER_VERTICALLY, TRect{0, 0, 100, 100}, {30, 43, 56}},
        PlaceCase{"Bottom", CXTO_BOTTOM, TRect{0, 0, 100, 100}, {61, 74, 87}},
        PlaceCase{"CentredAboveTheTop", CXTO_CENTER_VERTICALLY, TRect{0, 0, 100, 20}, {-9, 4, 17}},
        PlaceCase{"CentredButNotAboveTheTop", CXTO_CENTER_VERTICALLY | CXTO_PREVENT_TOP_EXCEED, TRect{0, 0, 100, 20},
                  {0, 13, 26}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(TextLayout, HorizontalOriginsFollowTheAlignment) {
  TextCanvas canvas;
  const std::u16string text = u"abc";
  const int w = canvas.Width(text);
  struct {
    unsigned format;
    int width;
    int x;
  } cases[] = {{CXTO_LEFT, 100, 10},
               {CXTO_RIGHT, 100, 110 - w},
               {CXTO_CENTER_HORIZONTALLY, 100, 10 + (100 - w) / 2},
               {CXTO_RIGHT, 2, 12 - w},
               {CXTO_RIGHT | CXTO_PREVENT_LEFT_EXCEED, 2, 10}};
  for (const auto& c : cases) {
    TcxTextParams params = cxCalcTextParams(canvas.dc(), c.format | CXTO_SINGLELINE);
    const TRect r{10, 0, 10 + c.width, 20};
    TcxTextRows rows;
    int count = 0;
    cxMakeTextRows(canvas.dc(), text.data(), int(text.size()), r, params, rows, count);
    cxPlaceTextRows(canvas.dc(), r, params, rows, count);
    EXPECT_EQ(cxGetTextRow(rows, 0).TextOriginX, c.x) << "format " << c.format << " width " << c.width;
  }
}

// ---- measuring with cxTextOut --------------------------------------------------------------------

TEST(TextLayout, MeasuresRectanglesAndRowCounts) {
  TextCanvas canvas;
  const int wLong = canvas.Width(u"cdefg");
  struct Case {
    const char* name;
    std::u16string text;
    unsigned format;
    TRect rect;
    int maxLines;
    int result;
    TRect measured;  // for CXTO_CALCRECT
  } cases[] = {
      {"RowCount", u"ab cdefg", kWrap | CXTO_CALCROWCOUNT, TRect{0, 0, wLong + 1, 5}, 0, 2, {}},
      {"RowCountLimited", u"ab cdefg", kWrap | CXTO_CALCROWCOUNT, TRect{0, 0, wLong + 1, 5}, 1, 1, {}},
      {"CalcRectNarrowsToTheLongestRow", u"ab cdefg", kWrap | CXTO_CALCRECT, TRect{5, 5, 5 + wLong + 5, 6}, 0, 26,
       TRect{5, 5, 5 + wLong, 31}},
      {"CalcRectSingleLine", u"ab cdefg", CXTO_SINGLELINE | CXTO_CALCRECT, TRect{0, 0, 1, 1}, 0, 13,
       TRect{0, 0, canvas.Width(u"ab cdefg"), 13}},
      {"CalcRectWithIndentsGivesTheOuterRectangle", u"ab", CXTO_AUTOINDENTS | CXTO_CALCRECT, TRect{0, 0, 100, 1}, 0,
       13, TRect{0, 0, canvas.Width(u"ab") + 4, 17}},
      {"CalcRectLimitedRows", u"a\na\na", CXTO_CALCRECT, TRect{0, 0, 100, 1}, 2, 26, TRect{0, 0, canvas.Width(u"a"), 26}},
      {"EmptyTextIsZero", u"", CXTO_CALCROWCOUNT, TRect{0, 0, 100, 100}, 0, 0, {}},
      {"NoWidthIsZero", u"ab", CXTO_CALCROWCOUNT, TRect{0, 0, 0, 100}, 0, 0, {}},
      {"OnlyHotKeyMarksIsZero", u"&", CXTO_HIDEPREFIX | CXTO_CALCROWCOUNT, TRect{0, 0, 100, 100}, 0, 0, {}},
      {"DrawingHeight", u"ab\ncd", CXTO_LEFT, TRect{0, 0, 100, 100}, 0, 26, {}},
      {"DrawingWithoutHeightIsZero", u"ab", CXTO_LEFT, TRect{0, 0, 100, 0}, 0, 0, {}},
  };
  for (const Case& c : cases) {
    TRect r = c.rect;
    EXPECT_EQ(cxTextOut(canvas.dc(), c.text, r, c.format, 0, 0, nullptr, ui::clDefault, ui::clDefault, c.maxLines),
              c.result)
        << c.name;
    if (c.format & CXTO_CALCRECT) {
      EXPECT_EQ(r, c.measured) << c.name;
    }
  }
}

TEST(TextLayout, HidePrefixRemovesHotKeyMarks) {
  TextCanvas canvas;
  TRect hidden{0, 0, 200, 20}, shown{0, 0, 200, 20};
  cxTextOut(canvas.dc(), u"&File", hidden, CXTO_SINGLELINE | CXTO_CALCRECT | CXTO_HIDEPREFIX, 0, 0, nullptr,
            ui::clDefault, ui::clDefault);
  cxTextOut(canvas.dc(), u"File", shown, CXTO_SINGLELINE | CXTO_CALCRECT, 0, 0, nullptr, ui::clDefault,
            ui::clDefault);
  EXPECT_EQ(hidden, shown);
}

// ---- drawing ------------------------------------------------------------------------------------------

int CountColor(const Canvas& c, gdi::COLORREF color, const TRect& area) {
  int n = 0;
  for (int y = area.top; y < area.bottom; ++y)
    for (int x = area.left; x < area.right; ++x) n += c.Color(x, y) == color;
  return n;
}

int RightmostInk(const Canvas& c, const TRect& area) {
  int right = -1;
  for (int y = area.top; y < area.bottom; ++y)
    for (int x = area.left; x < area.right; ++x)
      if (c.Color(x, y) != kLayoutWhite) right = std::max(right, x);
  return right;
}

TEST(TextLayout, SelectionIsHighlightedOnlyInsideTheText) {
  const gdi::COLORREF selBk = gdi::RGB(0, 0, 255);
  struct {
    const char* name;
    int selStart, selLength;
    bool highlighted;
  } cases[] = {{"Inside", 1, 2, true},   {"PastTheEnd", 3, 5, true},  {"StartBeyondText", 5, 2, false},
               {"StartAtEnd", 4, 1, false}, {"Empty", 1, 0, false}, {"Negative", -1, 3, false}};
  for (const auto& c : cases) {
    TextCanvas canvas;
    TRect r{0, 0, 100, 20};
    cxTextOut(canvas.dc(), u"abcd", r, CXTO_SINGLELINE, c.selStart, c.selLength, nullptr, ui::TColor(selBk),
              ui::clWhite);
    EXPECT_EQ(CountColor(canvas, selBk, TRect{0, 0, 100, 20}) > 0, c.highlighted) << c.name;
  }
}

TEST(TextLayout, SelectionBackgroundCoversTheSelectedCharacters) {
  TextCanvas canvas;
  const gdi::COLORREF selBk = gdi::RGB(0, 0, 255);
  TRect r{0, 0, 100, 20};
  cxTextOut(canvas.dc(), u"abcd", r, CXTO_SINGLELINE, 1, 2, nullptr, ui::TColor(selBk), ui::clWhite);
  const int x1 = canvas.Width(u"a"), x2 = canvas.Width(u"abc");
  // The bar spans the selected characters' cells and nothing more.
  EXPECT_EQ(canvas.Color(x1, 0), selBk);
  EXPECT_NE(canvas.Color(x1 - 1, 0), selBk);
  EXPECT_EQ(canvas.Color(x2 - 1, 0), selBk);
  EXPECT_NE(canvas.Color(x2, 0), selBk);
}

TEST(TextLayout, JustificationStretchesWrappedRowsToTheRightEdge) {
  const std::u16string text = u"aa bb cc dd e";
  for (unsigned align : {CXTO_LEFT, CXTO_JUSTIFY_HORIZONTALLY}) {
    TextCanvas canvas(200, 60);
    const int width = canvas.Width(u"aa bb cc") + 10;
    TRect r{0, 0, width, 60};
    cxTextOut(canvas.dc(), text, r, align | kWrap, 0, 0, nullptr, ui::clDefault, ui::clDefault);
    const int right = RightmostInk(canvas, TRect{0, 0, 200, 13});
    if (align == CXTO_LEFT)
      EXPECT_LT(right, width - 10);
    else
      EXPECT_GE(right, width - 3);
    // The last row is never spread.
    EXPECT_LT(RightmostInk(canvas, TRect{0, 13, 200, 26}), width - 10);
  }
}

TEST(TextLayout, EndEllipsisReplacesWhatDoesNotFit) {
  TextCanvas canvas(200, 20);
  const std::u16string text = u"abcdefghijklmnop";
  const int width = canvas.Width(u"abcdef");
  TRect r{0, 0, width, 20};
  cxTextOut(canvas.dc(), text, r, CXTO_SINGLELINE | CXTO_END_ELLIPSIS, 0, 0, nullptr, ui::clDefault, ui::clDefault);
  // The same as the fitting characters and "..." drawn by hand.
  TextCanvas expected(200, 20);
  int fit = 0;
  gdi::GetTextExtentExPointW(expected.dc(), text.data(), int(text.size()), width - expected.Width(u"..."), &fit,
                             nullptr, nullptr);
  ASSERT_GT(fit, 0);
  const std::u16string shown = text.substr(0, std::size_t(fit)) + u"...";
  gdi::SetBkMode(expected.dc(), gdi::TRANSPARENT);
  const gdi::RECT clip{0, 0, width, 20};
  gdi::ExtTextOutW(expected.dc(), 0, 0, 0, nullptr, shown.data(), gdi::UINT(fit), nullptr);
  gdi::ExtTextOutW(expected.dc(), expected.Width(shown.substr(0, std::size_t(fit))), 0, gdi::ETO_CLIPPED, &clip,
                   u"...", 3, nullptr);
  EXPECT_EQ(canvas.Mask(kLayoutWhite), expected.Mask(kLayoutWhite));
  EXPECT_EQ(RightmostInk(canvas, TRect{width, 0, 200, 20}), -1) << "nothing beyond the rectangle";
}

TEST(TextLayout, WordBrokenEllipsisMarksTheLastVisibleRow) {
  TextCanvas canvas(200, 40);
  // Two rows fit; the rest is cut and the second row ends with "...".
  const std::u16string text = u"aa\nbb\ncc\ndd";
  TRect r{0, 0, 100, 26};
  cxTextOut(canvas.dc(), text, r, kWrap | CXTO_END_ELLIPSIS | CXTO_EDITCONTROL, 0, 0, nullptr, ui::clDefault,
            ui::clDefault);
  const int bb = canvas.Width(u"bb");
  EXPECT_GT(RightmostInk(canvas, TRect{0, 13, 100, 26}), bb + 3) << "the ellipsis follows the row";
  EXPECT_LT(RightmostInk(canvas, TRect{0, 0, 100, 13}), bb + 1) << "the first row has none";
  EXPECT_EQ(RightmostInk(canvas, TRect{0, 26, 100, 40}), -1) << "no third row";
}

TEST(TextLayout, TinyTextBecomesAPatternedBar) {
  TextCanvas canvas(100, 20, -3);
  TRect r{0, 0, 100, 20};
  const TcxTextParams params = cxCalcTextParams(canvas.dc(), CXTO_PATTERNEDTEXT);
  ASSERT_TRUE(params.PatternedText) << "row height " << params.RowHeight;
  cxTextOut(canvas.dc(), u"abcdefgh", r, CXTO_PATTERNEDTEXT | CXTO_SINGLELINE, 0, 0, nullptr, ui::clDefault,
            ui::clDefault);
  // A checkerboard of text colour and window colour from x = 0 to the text's width.
  const int y = 1;
  EXPECT_NE(canvas.Color(0, y), canvas.Color(1, y));
  EXPECT_EQ(canvas.Color(0, y), canvas.Color(1, y + 1));
  EXPECT_EQ(canvas.Color(0, 0), kLayoutWhite) << "one pixel free above the bar";
}

TEST(TextLayout, RestoresTheContextFontAndColour) {
  TextCanvas canvas;
  const gdi::HGDIOBJ font = gdi::GetCurrentObject(canvas.dc(), gdi::OBJ_FONT);
  gdi::SetTextColor(canvas.dc(), gdi::RGB(1, 2, 3));
  ui::TFont big;
  big.SetName(u"Tahoma");
  big.SetHeight(-20);
  big.SetColor(ui::clRed);
  TRect r{0, 0, 200, 100};
  EXPECT_GT(cxTextOut(canvas.dc(), u"ab", r, CXTO_LEFT, 0, 0, &big, ui::clDefault, ui::clDefault), 20);
  EXPECT_GT(CountColor(canvas, gdi::RGB(255, 0, 0), TRect{0, 0, 200, 100}), 10) << "drawn in the font's colour";
  EXPECT_EQ(gdi::GetCurrentObject(canvas.dc(), gdi::OBJ_FONT), font);
  EXPECT_EQ(gdi::GetTextColor(canvas.dc()), gdi::RGB(1, 2, 3));
}

TEST(TextLayout, GoldenLayouts) {
  Canvas canvas(240, 200);
  gdi::LOGFONTW lf;
  lf.lfHeight = -11;
  const char16_t face[] = u"Tahoma";
  for (int i = 0; face[i]; ++i) lf.lfFaceName[i] = face[i];
  gdi::HFONT font = gdi::CreateFontIndirectW(&lf);
  gdi::HGDIOBJ old = gdi::SelectObject(canvas.dc(), font);
  const std::u16string para = u"The quick brown fox jumps over the lazy dog.";
  struct {
    unsigned format;
    TRect rect;
    int selStart, selLength;
  } blocks[] = {
      {kWrap | CXTO_LEFT, TRect{4, 4, 116, 48}, 4, 5},
      {kWrap | CXTO_CENTER_HORIZONTALLY, TRect{124, 4, 236, 48}, 0, 0},
      {kWrap | CXTO_RIGHT, TRect{4, 52, 116, 96}, 0, 0},
      {kWrap | CXTO_JUSTIFY_HORIZONTALLY, TRect{124, 52, 236, 96}, 0, 0},
      {kWrap | CXTO_END_ELLIPSIS | CXTO_EDITCONTROL, TRect{4, 100, 116, 130}, 0, 0},
      {CXTO_SINGLELINE | CXTO_END_ELLIPSIS | CXTO_CENTER_VERTICALLY, TRect{124, 100, 236, 126}, 40, 10},
      {kWrap | CXTO_DISTRIBUTE_VERTICALLY | CXTO_CENTER_HORIZONTALLY, TRect{4, 130, 116, 196}, 0, 0},
      {kWrap | CXTO_BOTTOM | CXTO_RIGHT | CXTO_AUTOINDENTS, TRect{124, 130, 236, 196}, 10, 100},
  };
  const gdi::HBRUSH frame = gdi::CreateSolidBrush(gdi::RGB(200, 200, 200));
  for (const auto& b : blocks) {
    gdi::FrameRect(canvas.dc(), &b.rect, frame);
    TRect r = b.rect;
    cxTextOut(canvas.dc(), para, r, b.format, b.selStart, b.selLength, nullptr, ui::clHighlight,
              ui::clHighlightText);
  }
  gdi::DeleteObject(frame);
  gdi::SelectObject(canvas.dc(), old);
  gdi::DeleteObject(font);
  testing_support::GoldenOptions tolerance;
  tolerance.channelTolerance = 64;
  tolerance.maxDifferingPixels = 40;
  EXPECT_GOLDEN(canvas.Image(), "core", "text_layouts", tolerance);
}

// ---- far-east tables and writing direction ------------------------------------------------------------

TEST(TextLayout, FarEastCharacterClasses) {
  struct {
    char16_t c;
    bool fullWidth, noLineStart;
  } cases[] = {
      {u'a', false, false},    {u'!', false, true},      {u')', false, true},      {u'(', false, false},
      {0x00B7, false, true},   {0x00B8, false, false},   {0x4E00, true, false},    {0x9FFF, true, false},
      {0x3042, true, false},   {0x30A2, true, false},    {0xAC00, true, false},    {0xD7A3, true, false},
      {0x3002, false, true},   {0x3004, false, false},   {0x2019, false, true},    {0x201C, false, false},
      {0xFE4F, false, true},   {0xFE53, false, false},   {0xFF01, false, true},    {0xFF03, false, false},
      {0xFFE5, false, true},   {0x02C7, false, true},    {0x00E9, false, false},   {0xD800, false, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(IsFarEastFullWidthCharacter(0, c.c), c.fullWidth) << std::hex << int(c.c);
    EXPECT_EQ(IsFarEastLineBreak(c.c), c.noLineStart) << std::hex << int(c.c);
  }
}

TEST(TextLayout, NextWordBreak) {
  struct {
    std::u16string text;
    int end;
  } cases[] = {{u"abc def", 3}, {u" abc", 1}, {u"\tabc", 1}, {u"abc\r\n", 3}, {u"\r\n", 0},      {u"abc", 3},
               {u"ab\u65E5", 2}, {u"\u65E5ab", 1}, {u"\u65E5\u3002x", 2}, {u"", 0}};
  for (const auto& c : cases) {
    const char16_t* s = c.text.data();
    EXPECT_EQ(cxGetNextWordBreak(0, s, s + c.text.size()) - s, c.end) << LayoutU8(c.text);
  }
}

TEST(TextLayout, WritingDirectionOfCharsets) {
  struct {
    int charset;
    std::u16string text;
    bool rightToLeft;
  } cases[] = {{134, u"\u661F\u671F\u4E00", true}, {136, u"\u661F\u671F\u4E00", true}, {178, u"\u0627", true},
               {178, u"abc", false},               {128, u"\u6708", false},             {1, u"\u0627", false},
               {134, u"", false},                  {0, u"\u00E9", false}};
  for (const auto& c : cases)
    EXPECT_EQ(cxGetWritingDirection(ui::TFontCharset(c.charset), c.text), c.rightToLeft) << c.charset;
}

TEST(TextLayout, TextRectOfSeveralRowsIsNarrowerThanOneLine) {
  TextCanvas canvas;
  const std::u16string text = u"one two three four five six";
  const TRect one = cxGetTextRect(canvas.dc(), text, 1);
  EXPECT_EQ(one, (TRect{0, 0, canvas.Width(text), 13}));
  const TRect three = cxGetTextRect(canvas.dc(), text, 3);
  EXPECT_LT(three.right, one.right / 2);
  EXPECT_LE(three.bottom, 39);
  // One pixel narrower would need a fourth row.
  gdi::RECT narrower{0, 0, three.right - 1, 0};
  gdi::DrawTextW(canvas.dc(), text.data(), int(text.size()), &narrower,
                 gdi::DT_CALCRECT | gdi::DT_WORDBREAK | gdi::DT_NOPREFIX);
  EXPECT_GT(narrower.bottom, 39);
  EXPECT_EQ(cxGetTextRect(canvas.dc(), text, 3, true).bottom, 39);
  EXPECT_EQ(cxTextSize(canvas.dc(), text), (TSize{one.right, 13}));
}

}  // namespace
