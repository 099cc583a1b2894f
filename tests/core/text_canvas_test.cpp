// Canvas text with the library's text flags: the flag conversion, placed
// measurement, the two output paths of DrawText with the embossed disabled
// look and rotation, vertical alignment of multi-line text, per-line bounds,
// line wrapping and the font measurements on the screen canvas.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "lib/core/cxCanvasText.h"
#include "platform/gdi/gdi.h"
#include "platform/rtl/stringlist.h"
#include "platform/ui/bitmap.h"
#include "platform/win/headless.h"
#include "tests/support/golden.h"

using namespace core;

namespace {

constexpr gdi::COLORREF kWhite = gdi::RGB(255, 255, 255);
constexpr gdi::COLORREF kGrey = gdi::RGB(192, 192, 192);

// A TcxCanvas over a bitmap filled with one colour, Tahoma 8 points.
class BitmapCanvas {
 public:
  BitmapCanvas(int width, int height, gdi::COLORREF fill = kWhite) : bitmap_(width, height), canvas_(bitmap_.Canvas()) {
    bitmap_.Canvas()->Brush()->SetColor(ui::TColor(fill));
    bitmap_.Canvas()->FillRect(TRect{0, 0, width, height});
    canvas_.Font()->SetName(u"Tahoma");
    canvas_.Font()->SetHeight(-11);
    canvas_.Font()->SetColor(ui::clBlack);
  }
  TcxCanvas& operator*() { return canvas_; }
  TcxCanvas* operator->() { return &canvas_; }
  gdi::COLORREF Color(int x, int y) { return gdi::GetPixel(canvas_.Handle(), x, y) & 0xFFFFFF; }
  // One character per pixel: '.' for `background`, the others by colour.
  std::string Mask(gdi::COLORREF background) {
    std::string out;
    for (int y = 0; y < bitmap_.Height(); ++y) {
      for (int x = 0; x < bitmap_.Width(); ++x) out += Color(x, y) == background ? '.' : '#';
      out += '\n';
    }
    return out;
  }
  TRect Ink(gdi::COLORREF background) {
    TRect r{bitmap_.Width(), bitmap_.Height(), -1, -1};
    for (int y = 0; y < bitmap_.Height(); ++y)
      for (int x = 0; x < bitmap_.Width(); ++x)
        if (Color(x, y) != background)
          r = TRect{std::min<int>(r.left, x), std::min<int>(r.top, y), std::max<int>(r.right, x + 1),
                    std::max<int>(r.bottom, y + 1)};
    return r;
  }
  int Count(gdi::COLORREF c) {
    int n = 0;
    for (int y = 0; y < bitmap_.Height(); ++y)
      for (int x = 0; x < bitmap_.Width(); ++x) n += Color(x, y) == c;
    return n;
  }
  ui::TBitmap& Bitmap() { return bitmap_; }

 private:
  ui::TBitmap bitmap_;
  TcxCanvas canvas_;
};

TEST(CanvasText, FlagsConvertToTheFormattedOutputFlags) {
  using namespace gdi;
  struct {
    int flags;
    unsigned expected;
  } cases[] = {
      {0, DT_NOPREFIX},
      {cxAlignLeft | cxAlignTop, DT_NOPREFIX},
      {cxAlignRight | cxAlignBottom, DT_NOPREFIX | DT_RIGHT | DT_BOTTOM},
      {cxAlignHCenter | cxAlignVCenter | cxSingleLine, DT_NOPREFIX | DT_CENTER | DT_VCENTER | DT_SINGLELINE},
      {cxShowPrefix, 0},
      {cxWordBreak, DT_NOPREFIX | DT_WORDBREAK | DT_EDITCONTROL},
      {cxWordBreak | cxDontBreakChars, DT_NOPREFIX | DT_WORDBREAK},
      {cxWordBreak | cxDontBreakChars | cxNoFullWidthCharBreak, DT_NOPREFIX | DT_WORDBREAK | DT_NOFULLWIDTHCHARBREAK},
      {cxWordBreak | cxNoFullWidthCharBreak, DT_NOPREFIX | DT_WORDBREAK | DT_EDITCONTROL},
      {cxDontBreakChars | cxNoFullWidthCharBreak, DT_NOPREFIX},
      {cxDontClip | cxExpandTabs | cxShowEndEllipsis | cxCalcRect | cxShowPathEllipsis,
       DT_NOPREFIX | DT_NOCLIP | DT_EXPANDTABS | DT_END_ELLIPSIS | DT_CALCRECT | DT_PATH_ELLIPSIS},
  };
  for (const auto& c : cases) EXPECT_EQ(unsigned(cxFlagsToDTFlags(c.flags)), c.expected) << std::hex << c.flags;
  EXPECT_EQ(cxAlignmentHorz(ui::taRightJustify), cxAlignRight);
  EXPECT_EQ(cxAlignmentVert(vaCenter), cxAlignVCenter);
  EXPECT_EQ(SystemAlignmentsVert[int(vaBottom)], int(gdi::DT_BOTTOM));
  EXPECT_EQ(SystemAlignmentsHorz[int(ui::taCenter)], int(gdi::DT_CENTER));
}

TEST(CanvasText, TextExtentPlacesTheMeasuredRectangle) {
  BitmapCanvas c(10, 10);
  const TSize s = c->TextExtent(u"abc");
  ASSERT_EQ(s.cy, 13);
  const int dx = 101 - s.cx, dy = 41 - 13;  // the rectangle below is 101 x 41
  struct {
    int flags;
    TRect expected;
  } cases[] = {
      {cxAlignLeft | cxAlignTop, TRect{10, 20, 10 + s.cx, 33}},
      {cxAlignRight, TRect{10 + dx, 20, 111, 33}},
      {cxAlignHCenter, TRect{10 + dx / 2, 20, 10 + dx / 2 + s.cx, 33}},
      {cxAlignBottom, TRect{10, 20 + dy, 10 + s.cx, 61}},
      {cxAlignVCenter | cxAlignRight, TRect{10 + dx, 20 + dy / 2, 111, 20 + dy / 2 + 13}},
  };
  for (const auto& k : cases) {
    TRect r{10, 20, 111, 61};
    c->TextExtent(u"abc", r, k.flags | cxSingleLine);
    EXPECT_EQ(r, k.expected) << std::hex << k.flags;
  }
  // A rectangle without width measures from one pixel: each word on its row.
  TRect narrow{5, 5, 5, 5};
  c->TextExtent(u"ab cd", narrow, cxWordBreak | cxDontBreakChars);
  EXPECT_EQ(narrow.bottom - narrow.top, 26);
  EXPECT_EQ(narrow.right - narrow.left, std::max(c->TextWidth(u"ab"), c->TextWidth(u"cd")));
}

TEST(CanvasText, SingleLinePlacementOnTheSimplePath) {
  struct {
    int flags;
    bool enabled;
  } cases[] = {{cxSingleLine | cxAlignRight, true},      {cxSingleLine | cxAlignHCenter | cxAlignVCenter, true},
               {cxSingleLine | cxAlignBottom, true},     {cxSingleLine | cxAlignRight | cxAlignBottom, false},
               {cxSingleLine | cxAlignLeft, true}};
  for (const auto& k : cases) {
    BitmapCanvas drawn(120, 40);
    const TRect r{10, 5, 110, 35};
    drawn->DrawText(u"Text", r, k.flags, k.enabled);
    // Where the rules put it, drawn by hand.
    BitmapCanvas expected(120, 40);
    const TSize s = expected->TextExtent(u"Text");
    const int d = k.enabled ? 0 : 1;
    int x = r.left, y = r.top;
    if (k.flags & cxAlignRight) x = r.right - s.cx - d;
    if (k.flags & cxAlignHCenter) x = (r.left + r.right - s.cx) / 2;
    if (k.flags & cxAlignBottom) y = r.bottom - s.cy - d;
    if (k.flags & cxAlignVCenter) y = (r.top + r.bottom - s.cy) / 2;
    expected->Brush()->SetStyle(ui::bsClear);
    if (!k.enabled) {
      expected->Font()->SetColor(ui::clBtnHighlight);
      expected->TextOut(x + 1, y + 1, u"Text");
      expected->Font()->SetColor(ui::clBtnShadow);
    }
    expected->TextOut(x, y, u"Text");
    EXPECT_EQ(drawn.Mask(kWhite), expected.Mask(kWhite)) << std::hex << k.flags;
  }
}

TEST(CanvasText, TooWideSingleLineIsClippedToTheRectangle) {
  BitmapCanvas c(120, 30);
  c->DrawText(u"A rather long caption", TRect{10, 5, 40, 25}, cxSingleLine, true);
  const TRect ink = c.Ink(kWhite);
  EXPECT_GE(ink.left, 10);
  EXPECT_LE(ink.right, 40);
  EXPECT_GT(ink.right, 35);
}

TEST(CanvasText, DisabledTextIsEmbossedAndTheCanvasIsRestored) {
  // Both paths: the simple one (single line) and the formatted one (word break).
  for (int flags : {cxSingleLine, cxWordBreak}) {
    BitmapCanvas c(100, 40, kGrey);
    c->Brush()->SetStyle(ui::bsSolid);
    c->Font()->SetColor(ui::clRed);
    c->DrawText(u"Wg", TRect{10, 10, 90, 35}, flags, false);
    EXPECT_EQ(c->Brush()->Style(), ui::bsSolid);
    EXPECT_EQ(c->Font()->Color(), ui::clRed);
    const gdi::COLORREF highlight = ui::ColorToRGB(ui::clBtnHighlight);
    const gdi::COLORREF shadow = ui::ColorToRGB(ui::clBtnShadow);
    EXPECT_GT(c.Count(highlight), 5) << flags;
    EXPECT_GT(c.Count(shadow), 5) << flags;
    EXPECT_EQ(c.Count(gdi::RGB(255, 0, 0)), 0) << flags;
    // The highlight copy lies one pixel right of and below the shadow copy:
    // its ink ends one pixel further on both sides.
    int hiRight = 0, shRight = 0, hiBottom = 0, shBottom = 0;
    for (int y = 0; y < 40; ++y)
      for (int x = 0; x < 100; ++x) {
        const gdi::COLORREF p = c.Color(x, y);
        if (p == highlight) hiRight = std::max(hiRight, x), hiBottom = std::max(hiBottom, y);
        if (p == shadow) shRight = std::max(shRight, x), shBottom = std::max(shBottom, y);
      }
    EXPECT_EQ(hiRight, shRight + 1) << flags;
    EXPECT_EQ(hiBottom, shBottom + 1) << flags;
  }
}

TEST(CanvasText, MultiLineTextIsAlignedVertically) {
  BitmapCanvas c(10, 10);
  struct {
    TcxAlignmentVert align;
    bool enabled, endEllipsis;
    int top;
  } cases[] = {
      {vaTop, true, false, 0},
      {vaBottom, true, false, 100 - 26},
      {vaCenter, true, false, (100 - 26) / 2},
      {vaBottom, false, false, 100 - 1 - 26},
      // With the ellipsis, as many whole rows as the height holds: 7 of 13.
      {vaBottom, true, true, 100 - 91},
      {vaCenter, true, true, (100 - 91) / 2},
  };
  for (const auto& k : cases) {
    TRect r{0, 0, 200, 100};
    c->AlignMultiLineTextRectVertically(r, u"one\r\ntwo", k.align, true, false, k.enabled, false, k.endEllipsis);
    EXPECT_EQ(r.top, k.top) << int(k.align) << " " << k.enabled << " " << k.endEllipsis;
    EXPECT_EQ(r.bottom, 100);
  }
}

TEST(CanvasText, FormattedPathCentresMultiLineText) {
  BitmapCanvas c(100, 100);
  c->DrawText(u"one\r\ntwo", TRect{0, 0, 100, 100}, cxAlignVCenter | cxAlignHCenter | cxWordBreak, true);
  const TRect ink = c.Ink(kWhite);
  // Two rows of 13 centred in 100: from 37 to 63.
  EXPECT_GE(ink.top, 37);
  EXPECT_LE(ink.bottom, 63);
  EXPECT_GT(ink.bottom, 50);
}

TEST(CanvasText, RotatedTextTurnsWithItsCorner) {
  // Text set at the top-left of the turned rectangle: counter-clockwise
  // (+90) it runs up from the bottom-left corner, clockwise (-90) down from
  // the top-right one, and upside down it ends in the bottom-right one.
  struct {
    TcxRotationAngle angle;
    bool tall, atRight, atBottom;
  } cases[] = {{raPlus90, true, false, true}, {raMinus90, true, true, false}, {ra180, false, true, true}};
  for (const auto& k : cases) {
    BitmapCanvas c(60, 80);
    c->DrawText(u"Wide", TRect{0, 0, 60, 80}, cxAlignLeft | cxAlignTop | cxSingleLine, true, k.angle);
    const TRect ink = c.Ink(kWhite);
    ASSERT_LT(ink.left, ink.right) << int(k.angle);
    EXPECT_EQ(ink.bottom - ink.top > ink.right - ink.left, k.tall) << int(k.angle);
    EXPECT_EQ(ink.right > 45, k.atRight) << int(k.angle);
    EXPECT_EQ(ink.left < 15, !k.atRight) << int(k.angle);
    EXPECT_EQ(ink.bottom > 65, k.atBottom) << int(k.angle);
    EXPECT_EQ(ink.top < 15, !k.atBottom) << int(k.angle);
    // Rotated text is drawn without anti-aliasing: black or background only.
    EXPECT_EQ(c.Count(ui::ColorToRGB(ui::clBlack)) + c.Count(kWhite), 60 * 80) << int(k.angle);
  }
}

TEST(CanvasText, LineBoundsFollowTheFormattedOutput) {
  BitmapCanvas c(10, 10);
  const int wAb = c->TextWidth(u"ab"), wCd = c->TextWidth(u"cd"), wAbSp = c->TextWidth(u"ab ");
  struct {
    const char* name;
    std::u16string text;
    TRect rect;
    int flags;
    bool enabled;
    TRects expected;
  } cases[] = {
      {"CrLf", u"ab\r\ncd", TRect{0, 0, 100, 100}, cxAlignLeft, true, {{0, 0, wAb, 13}, {0, 13, wCd, 26}}},
      {"LfCr", u"ab\n\rcd", TRect{0, 0, 100, 100}, cxAlignLeft, true, {{0, 0, wAb, 13}, {0, 13, wCd, 26}}},
      {"WrapKeepsTheSpaceWhenLeft", u"ab cd", TRect{0, 0, wAbSp + 2, 100}, cxAlignLeft | cxWordBreak, true,
       {{0, 0, wAbSp, 13}, {0, 13, wCd, 26}}},
      {"WrapDropsTheSpaceWhenRight", u"ab cd", TRect{0, 0, wAbSp + 2, 100}, cxAlignRight | cxWordBreak, true,
       {{wAbSp + 2 - wAb, 0, wAbSp + 2, 13}, {wAbSp + 2 - wCd, 13, wAbSp + 2, 26}}},
      {"BottomBlock", u"ab\ncd", TRect{0, 0, 100, 100}, cxAlignBottom, true, {{0, 74, wAb, 87}, {0, 87, wCd, 100}}},
      {"DisabledLosesAPixel", u"ab\ncd", TRect{0, 0, 100, 100}, cxAlignBottom, false,
       {{0, 73, wAb, 86}, {0, 86, wCd, 99}}},
      {"PrefixStripped", u"&ab", TRect{0, 0, 100, 100}, cxShowPrefix | cxSingleLine, true, {{0, 0, wAb, 13}}},
      {"Empty", u"", TRect{0, 0, 100, 100}, cxAlignLeft, true, {}},
  };
  for (const auto& k : cases) {
    TRects bounds;
    c->GetTextStringsBounds(k.text, k.rect, k.flags, k.enabled, bounds);
    EXPECT_EQ(bounds, k.expected) << k.name;
  }
}

TEST(CanvasText, TextLinesWrapAtDelimiters) {
  BitmapCanvas c(10, 10);
  const int width = c->TextWidth(u"one two ") + 1;
  struct {
    std::u16string text;
    std::vector<std::u16string> lines;
  } cases[] = {
      {u"one two three", {u"one two ", u"three"}},
      {u"one\r\ntwo", {u"one", u"two"}},
      {u"one\n\ntwo", {u"one", u"", u"two"}},
      {u"onetwothreefour", {u"onetwothreefour"}},
      {u"", {}},
  };
  for (const auto& k : cases) {
    rtl::TStringList lines;
    cxGetTextLines(k.text, &*c, TRect{0, 0, width, 100}, &lines);
    std::vector<std::u16string> got;
    for (int i = 0; i < lines.Count(); ++i) got.push_back(lines.Strings(i));
    EXPECT_EQ(got, k.lines);
  }
}

TEST(CanvasText, FontMeasurementsUseTheScreenCanvas) {
  win::headless::HeadlessScope screen;
  ui::TFont font;
  font.SetName(u"Tahoma");
  font.SetHeight(-11);
  EXPECT_EQ(cxTextHeight(&font), 13);
  BitmapCanvas c(10, 10);
  EXPECT_EQ(cxTextWidth(&font, u"Hello"), c->TextWidth(u"Hello"));
  EXPECT_GT(cxTextWidth(&font, u"Hello", 16), cxTextWidth(&font, u"Hello"));
  EXPECT_EQ(font.Height(), -11) << "the font passed in is not changed";
  EXPECT_EQ(cxTextSize(&font, u"a\r\nb").cy, 26);
  gdi::TEXTMETRICW tm{};
  ASSERT_TRUE(cxGetTextMetrics(&font, tm));
  EXPECT_EQ(tm.tmHeight, 13);
  EXPECT_EQ(cxTextHeight(&font, u"a b c", TRect{0, 0, c->TextWidth(u"a b") + 1, 0}, gdi::DT_WORDBREAK), 26);
  EXPECT_EQ(cxGetFontData(font.Handle()).lfHeight, -11);
}

}  // namespace
