// The engine's integers, metrics and fonts of parts, its system colours,
// sizes, fonts and booleans, the hit test of a part's background, and the
// icon drawn from an image strip: each answer as the part table gives it,
// and the refusals for what a part does not have.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "platform/gdi/dc.h"
#include "platform/gdi/objects.h"
#include "platform/gdi/region.h"
#include "platform/theme/theme.h"
#include "platform/win/constants.h"
#include "tests/support/dib_dc.h"
#include "tests/theme/theme_support.h"

namespace {

using namespace theme;
using themetest::ScopedTheme;

std::u16string faceOf(const gdi::LOGFONTW& lf) { return std::u16string(lf.lfFaceName); }

// --- integers and metrics ---------------------------------------------------------------------

struct IntCase {
  const char16_t* cls;
  int part, state, prop;
  HRESULT result;
  int expected;
};

class PartInt : public testing::TestWithParam<IntCase> {};

TEST_P(PartInt, AnswersThePartTable) {
  const IntCase& c = GetParam();
  ScopedTheme t(c.cls);
  ASSERT_TRUE(t);
  int value = -7;
  EXPECT_EQ(GetThemeInt(t.get(), c.part, c.state, c.prop, &value), c.result);
  if (c.result == S_OK) { EXPECT_EQ(value, c.expected); }
  // The metric of the same property agrees (every DC here is at 96 dpi).
  int metric = -7;
  EXPECT_EQ(GetThemeMetric(t.get(), nullptr, c.part, c.state, c.prop, &metric), c.result);
  if (c.result == S_OK) { EXPECT_EQ(metric, c.expected); }
}

INSTANTIATE_TEST_SUITE_P(
    Parts, PartInt,
    testing::Values(
        // Framed parts have a one-pixel border; glyph-like parts none.
        IntCase{u"Button", 1, 1, TMT_BORDERSIZE, S_OK, 1}, IntCase{u"Edit", 6, 5, TMT_BORDERSIZE, S_OK, 1},
        IntCase{u"ScrollBar", 8, 1, TMT_BORDERSIZE, S_OK, 0},
        // Width and height are the part's true size.
        IntCase{u"ScrollBar", 1, 16, TMT_WIDTH, S_OK, 17}, IntCase{u"Header", 1, 1, TMT_HEIGHT, S_OK, 22},
        IntCase{u"TrackBar", 6, 1, TMT_WIDTH, S_OK, 21},
        // A continuous progress bar: chunks of one pixel, no spaces.
        IntCase{u"Progress", 3, 1, TMT_PROGRESSCHUNKSIZE, S_OK, 1},
        IntCase{u"Progress", 3, 1, TMT_PROGRESSSPACESIZE, S_OK, 0},
        // What a part does not have.
        IntCase{u"Button", 1, 1, TMT_PROGRESSCHUNKSIZE, E_PROP_NOT_FOUND, 0},
        IntCase{u"Button", 1, 1, 9999, E_PROP_NOT_FOUND, 0},
        // States and parts outside the table.
        IntCase{u"Button", 3, 13, TMT_WIDTH, E_INVALIDARG, 0}, IntCase{u"Button", 5, 1, TMT_WIDTH, E_INVALIDARG, 0}));

TEST(PartInt, RefusesABadHandleAndANullOut) {
  int value = 0;
  EXPECT_EQ(GetThemeInt(nullptr, 1, 1, TMT_WIDTH, &value), E_HANDLE);
  ScopedTheme t(u"Button");
  ASSERT_TRUE(t);
  EXPECT_EQ(GetThemeInt(t.get(), 1, 1, TMT_WIDTH, nullptr), E_INVALIDARG);
  EXPECT_EQ(GetThemeMetric(t.get(), nullptr, 1, 1, TMT_WIDTH, nullptr), E_INVALIDARG);
}

// --- fonts ----------------------------------------------------------------------------------

TEST(ThemeFont, PartsWithTextHaveTheThemeFaceAndHeadingsAreBold) {
  ScopedTheme button(u"Button"), style(u"TextStyle");
  ASSERT_TRUE(button);
  ASSERT_TRUE(style);
  gdi::LOGFONTW lf{};
  ASSERT_EQ(GetThemeFont(button.get(), nullptr, 1, 1, TMT_FONT, &lf), S_OK);
  EXPECT_EQ(faceOf(lf), u"Tahoma");
  EXPECT_EQ(lf.lfHeight, -11);
  EXPECT_EQ(lf.lfWeight, 400);
  ASSERT_EQ(GetThemeFont(style.get(), nullptr, 6, 1, TMT_FONT, &lf), S_OK);
  EXPECT_EQ(lf.lfWeight, 700);
  // Not a font property, or no such state.
  EXPECT_EQ(GetThemeFont(button.get(), nullptr, 1, 1, TMT_TEXTCOLOR, &lf), E_PROP_NOT_FOUND);
  EXPECT_EQ(GetThemeFont(button.get(), nullptr, 1, 9, TMT_FONT, &lf), E_INVALIDARG);
  EXPECT_EQ(GetThemeFont(button.get(), nullptr, 1, 1, TMT_FONT, nullptr), E_INVALIDARG);
}

TEST(ThemeFont, SystemFontsCoverTheSixKindsOnly) {
  ScopedTheme t(u"Window");
  ASSERT_TRUE(t);
  for (int id = TMT_CAPTIONFONT; id <= TMT_ICONTITLEFONT; ++id) {
    gdi::LOGFONTW lf{};
    ASSERT_EQ(GetThemeSysFont(t.get(), id, &lf), S_OK) << id;
    EXPECT_EQ(faceOf(lf), u"Tahoma") << id;
    EXPECT_EQ(lf.lfWeight, id == TMT_CAPTIONFONT ? 700 : 400) << id;
  }
  gdi::LOGFONTW lf{};
  EXPECT_EQ(GetThemeSysFont(t.get(), TMT_CAPTIONFONT - 1, &lf), E_INVALIDARG);
  EXPECT_EQ(GetThemeSysFont(t.get(), TMT_ICONTITLEFONT + 1, &lf), E_INVALIDARG);
  // No handle asks for the system's own fonts, which are the same here.
  EXPECT_EQ(GetThemeSysFont(nullptr, TMT_MENUFONT, &lf), S_OK);
}

// --- system colours, sizes, booleans -------------------------------------------------------------

TEST(ThemeSys, ColoursAreTheThemesOwnAndTheClassicTableForTheRest) {
  ScopedTheme t(u"Button");
  ASSERT_TRUE(t);
  const struct {
    int id;
    COLORREF expected;
  } own[] = {{gdi::COLOR_BTNFACE, gdi::RGB(240, 241, 243)},   {gdi::COLOR_WINDOW, gdi::RGB(255, 255, 255)},
             {gdi::COLOR_HIGHLIGHT, gdi::RGB(43, 108, 214)},   {gdi::COLOR_BTNTEXT, gdi::RGB(30, 30, 30)},
             {gdi::COLOR_GRAYTEXT, gdi::RGB(160, 160, 160)},  {gdi::COLOR_BTNSHADOW, gdi::RGB(173, 179, 188)}};
  for (const auto& c : own) EXPECT_EQ(GetThemeSysColor(t.get(), c.id), c.expected) << c.id;
  // Left to the classic table; and without a handle, always the table.
  EXPECT_EQ(GetThemeSysColor(t.get(), gdi::COLOR_3DDKSHADOW), gdi::GetSysColor(gdi::COLOR_3DDKSHADOW));
  EXPECT_EQ(GetThemeSysColor(nullptr, gdi::COLOR_BTNFACE), gdi::GetSysColor(gdi::COLOR_BTNFACE));
}

TEST(ThemeSys, SizesFollowTheScrollBarPartAndAnswerZeroOtherwise) {
  ScopedTheme t(u"ScrollBar");
  ASSERT_TRUE(t);
  const struct {
    int id, expected;
  } sizes[] = {{win::SM_CXVSCROLL, 17}, {win::SM_CYHSCROLL, 17}, {win::SM_CXHSCROLL, 17}, {win::SM_CYVSCROLL, 17},
               {win::SM_CXBORDER, 1},   {win::SM_CYBORDER, 1},   {win::SM_CXSIZE, 22},     {win::SM_CYSIZE, 22},
               {52, 16},                {53, 16},                {54, 19},                 {55, 19},
               {92, 0},                 {0, 0} /* SM_CXSCREEN: not a theme size */};
  for (const auto& s : sizes) EXPECT_EQ(GetThemeSysSize(t.get(), s.id), s.expected) << s.id;
  EXPECT_EQ(GetThemeSysSize(nullptr, win::SM_CXVSCROLL), 0);
}

TEST(ThemeSys, MenusAreFlatAndOtherBooleansFalse) {
  ScopedTheme t(u"Menu");
  ASSERT_TRUE(t);
  EXPECT_EQ(GetThemeSysBool(t.get(), TMT_FLATMENUS), TRUE);
  EXPECT_EQ(GetThemeSysBool(t.get(), 1002), FALSE);
  EXPECT_EQ(GetThemeSysBool(nullptr, TMT_FLATMENUS), FALSE);
}

// --- hit test -----------------------------------------------------------------------------------

struct HitCase {
  const char* name;
  const char16_t* cls;
  int part;
  DWORD options;
  gdi::POINT point;
  int expected;
};

class HitTest : public testing::TestWithParam<HitCase> {};

TEST_P(HitTest, NamesThePieceUnderThePoint) {
  const HitCase& c = GetParam();
  ScopedTheme t(c.cls);
  ASSERT_TRUE(t);
  const RECT r{10, 10, 60, 40};
  gdi::WORD code = 0xFFFF;
  ASSERT_EQ(HitTestThemeBackground(t.get(), nullptr, c.part, 1, c.options, &r, nullptr, c.point, &code), S_OK);
  EXPECT_EQ(code, c.expected);
}

// The push button's sizing margins are 3 pixels on each side.
INSTANTIATE_TEST_SUITE_P(
    Points, HitTest,
    testing::Values(HitCase{"Outside", u"Button", 1, HTTB_BACKGROUNDSEG, {9, 20}, HTNOWHERE},
                    HitCase{"RightEdgeIsOutside", u"Button", 1, HTTB_BACKGROUNDSEG, {60, 20}, HTNOWHERE},
                    HitCase{"Inside", u"Button", 1, HTTB_BACKGROUNDSEG, {30, 20}, HTCLIENT},
                    HitCase{"MarginWithoutBorderOptions", u"Button", 1, HTTB_BACKGROUNDSEG, {11, 20}, HTCLIENT},
                    HitCase{"FixedBorder", u"Button", 1, HTTB_FIXEDBORDER, {11, 20}, HTBORDER},
                    HitCase{"ResizingLeft", u"Button", 1, HTTB_RESIZINGBORDER, {12, 20}, HTLEFT},
                    HitCase{"ResizingBottomRight", u"Button", 1, HTTB_RESIZINGBORDER, {59, 39}, HTBOTTOMRIGHT},
                    HitCase{"ResizingTopLeft", u"Button", 1, HTTB_RESIZINGBORDER, {10, 10}, HTTOPLEFT},
                    // Only the sides asked for resize; the others are the plain inside.
                    HitCase{"OnlyTopAsked", u"Button", 1, HTTB_RESIZINGBORDER_TOP, {11, 20}, HTCLIENT},
                    HitCase{"OnlyTopAskedAtTop", u"Button", 1, HTTB_RESIZINGBORDER_TOP, {30, 11}, HTTOP},
                    // A round part: its rectangle's corner is not on it.
                    HitCase{"RoundCorner", u"Navigation", 1, HTTB_BACKGROUNDSEG, {11, 11}, HTNOWHERE},
                    HitCase{"RoundCentre", u"Navigation", 1, HTTB_BACKGROUNDSEG, {35, 25}, HTCLIENT}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(HitTestRegion, AGivenRegionReplacesThePartsShape) {
  ScopedTheme t(u"Button");
  ASSERT_TRUE(t);
  const RECT r{0, 0, 40, 40};
  HRGN left = gdi::CreateRectRgn(0, 0, 20, 40);
  gdi::WORD code = 0;
  ASSERT_EQ(HitTestThemeBackground(t.get(), nullptr, 1, 1, HTTB_BACKGROUNDSEG, &r, left, gdi::POINT{30, 20}, &code),
            S_OK);
  EXPECT_EQ(code, HTNOWHERE);
  ASSERT_EQ(HitTestThemeBackground(t.get(), nullptr, 1, 1, HTTB_BACKGROUNDSEG, &r, left, gdi::POINT{10, 20}, &code),
            S_OK);
  EXPECT_EQ(code, HTCLIENT);
  gdi::DeleteObject(left);
  EXPECT_EQ(HitTestThemeBackground(t.get(), nullptr, 1, 1, 0, &r, nullptr, gdi::POINT{1, 1}, nullptr), E_INVALIDARG);
  EXPECT_EQ(HitTestThemeBackground(t.get(), nullptr, 1, 1, 0, nullptr, nullptr, gdi::POINT{1, 1}, &code),
            E_INVALIDARG);
}

// --- icons ----------------------------------------------------------------------------------

// A strip of `count` opaque 8 x 8 cells, cell i filled with colours[i].
gdi::HBITMAP strip(int count, const std::uint32_t* colours) {
  gdi::BITMAPINFO bmi{};
  bmi.bmiHeader.biSize = sizeof(bmi.bmiHeader);
  bmi.bmiHeader.biWidth = 8 * count;
  bmi.bmiHeader.biHeight = -8;
  bmi.bmiHeader.biPlanes = 1;
  bmi.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  gdi::HBITMAP b = gdi::CreateDIBSection(nullptr, &bmi, gdi::DIB_RGB_COLORS, &bits, nullptr, 0);
  auto* px = static_cast<std::uint32_t*>(bits);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8 * count; ++x) px[y * 8 * count + x] = 0xFF000000u | colours[x / 8];
  return b;
}

TEST(ThemeIcon, DrawsTheCellOfTheIndexCentredAndDimsDisabledStates) {
  ScopedTheme t(u"ToolBar");
  ASSERT_TRUE(t);
  const std::uint32_t colours[] = {0x00FF0000, 0x000000FF};
  gdi::HBITMAP images = strip(2, colours);
  ASSERT_NE(images, nullptr);
  testing_support::DibDC page(20, 20, 0x00FFFFFF);
  const RECT r{0, 0, 20, 20};
  ASSERT_EQ(DrawThemeIcon(t.get(), page.dc, 1, 1, &r, images, 8, 1), S_OK);
  EXPECT_EQ(page.rgb(10, 10), 0x000000FFu);  // the second cell, blue
  EXPECT_EQ(page.rgb(6, 6), 0x000000FFu);    // centred: 6..13
  EXPECT_EQ(page.rgb(5, 10), 0x00FFFFFFu);
  EXPECT_EQ(page.rgb(14, 10), 0x00FFFFFFu);
  // State 4 of a tool button is disabled: the icon is half transparent.
  testing_support::DibDC dim(20, 20, 0x00FFFFFF);
  ASSERT_EQ(DrawThemeIcon(t.get(), dim.dc, 1, 4, &r, images, 8, 0), S_OK);
  const std::uint32_t p = dim.rgb(10, 10);
  EXPECT_EQ((p >> 16) & 0xFF, 0xFFu);
  EXPECT_NEAR(int(p & 0xFF), 127, 2);
  // An index past the strip, a bad cell width, no images: refused, nothing drawn.
  testing_support::DibDC untouched(20, 20, 0x00FFFFFF);
  EXPECT_EQ(DrawThemeIcon(t.get(), untouched.dc, 1, 1, &r, images, 8, 2), E_INVALIDARG);
  EXPECT_EQ(DrawThemeIcon(t.get(), untouched.dc, 1, 1, &r, images, 0, 0), E_INVALIDARG);
  EXPECT_EQ(DrawThemeIcon(t.get(), untouched.dc, 1, 1, &r, nullptr, 8, 0), E_INVALIDARG);
  EXPECT_EQ(untouched.rgb(10, 10), 0x00FFFFFFu);
  gdi::DeleteObject(images);
}

}  // namespace
