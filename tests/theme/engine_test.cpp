// The engine's answers: part sizes, margins, content rectangles and colours
// as tables; that what it draws agrees with what it answers; and the
// refusals for bad handles, parts and states.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>

#include "platform/gdi/dc.h"
#include "platform/gdi/edge.h"
#include "platform/gdi/objects.h"
#include "platform/gdi/region.h"
#include "platform/theme/theme.h"
#include "tests/support/dib_dc.h"
#include "tests/theme/theme_support.h"

namespace {

using namespace theme;
using themetest::ScopedTheme;

std::string Utf8(const char16_t* s) {
  std::string out;
  for (; *s; ++s) out += char(*s);
  return out;
}

// --- sizes ----------------------------------------------------------------------------------------

struct SizeCase {
  const char16_t* cls;
  int part, state;
  THEMESIZE kind;
  SIZE expected;
};

class PartSize : public testing::TestWithParam<SizeCase> {};

TEST_P(PartSize, AnswersTheMeasureOfThePart) {
  const SizeCase& c = GetParam();
  ScopedTheme t(c.cls);
  ASSERT_TRUE(t);
  SIZE size{-1, -1};
  const RECT r{0, 0, 100, 40};
  ASSERT_EQ(GetThemePartSize(t.get(), nullptr, c.part, c.state, &r, c.kind, &size), S_OK);
  EXPECT_EQ(size.cx, c.expected.cx);
  EXPECT_EQ(size.cy, c.expected.cy);
}

INSTANTIATE_TEST_SUITE_P(
    Parts, PartSize,
    testing::Values(
        // Glyphs keep their size whatever rectangle they are drawn into.
        SizeCase{u"Button", 3, 1, TS_TRUE, {13, 13}}, SizeCase{u"Button", 3, 12, TS_DRAW, {13, 13}},
        SizeCase{u"Button", 2, 8, TS_TRUE, {13, 13}}, SizeCase{u"TreeView", 2, 2, TS_TRUE, {9, 9}},
        SizeCase{u"Window", 19, 2, TS_MIN, {13, 13}},
        // Scroll bar arrows and the thumb's least size (the painter adds the content margins).
        SizeCase{u"ScrollBar", 1, 16, TS_TRUE, {17, 17}}, SizeCase{u"ScrollBar", 2, 1, TS_MIN, {8, 8}},
        SizeCase{u"ScrollBar", 3, 4, TS_MIN, {8, 8}},
        // A horizontal track bar's thumb is tall, a vertical one's wide.
        SizeCase{u"TrackBar", 3, 1, TS_TRUE, {11, 21}}, SizeCase{u"TrackBar", 6, 1, TS_TRUE, {21, 11}},
        // Stretchable parts fill what they are given.
        SizeCase{u"Button", 1, 1, TS_DRAW, {100, 40}}, SizeCase{u"Header", 1, 1, TS_TRUE, {8, 22}},
        SizeCase{u"ComboBox", 1, 1, TS_TRUE, {17, 17}}));

// --- margins and content --------------------------------------------------------------------------

struct MarginCase {
  const char16_t* cls;
  int part, state, prop;
  MARGINS expected;
};

class Margins : public testing::TestWithParam<MarginCase> {};

TEST_P(Margins, AnswerSizingAndContentMargins) {
  const MarginCase& c = GetParam();
  ScopedTheme t(c.cls);
  ASSERT_TRUE(t);
  MARGINS m{-1, -1, -1, -1};
  ASSERT_EQ(GetThemeMargins(t.get(), nullptr, c.part, c.state, c.prop, nullptr, &m), S_OK);
  EXPECT_EQ(m, c.expected);
}

INSTANTIATE_TEST_SUITE_P(Parts, Margins,
                         testing::Values(MarginCase{u"Button", 1, 1, TMT_CONTENTMARGINS, {3, 3, 3, 3}},
                                         MarginCase{u"Header", 1, 2, TMT_CONTENTMARGINS, {4, 4, 2, 2}},
                                         MarginCase{u"Tab", 1, 3, TMT_CONTENTMARGINS, {6, 6, 3, 2}},
                                         MarginCase{u"Tab", 1, 3, TMT_SIZINGMARGINS, {3, 3, 3, 0}},
                                         // The two thumbs are the same bar turned.
                                         MarginCase{u"ScrollBar", 2, 1, TMT_CONTENTMARGINS, {3, 3, 2, 2}},
                                         MarginCase{u"ScrollBar", 3, 1, TMT_CONTENTMARGINS, {2, 2, 3, 3}},
                                         MarginCase{u"Edit", 6, 5, TMT_SIZINGMARGINS, {1, 1, 1, 1}},
                                         MarginCase{u"Button", 3, 5, TMT_CONTENTMARGINS, {0, 0, 0, 0}}));

struct ContentCase {
  const char16_t* cls;
  int part, state;
  RECT bounds, expected;
};

class ContentRect : public testing::TestWithParam<ContentCase> {};

TEST_P(ContentRect, IsTheBoundsLessTheContentMarginsAndGrowsBackToThem) {
  const ContentCase& c = GetParam();
  ScopedTheme t(c.cls);
  ASSERT_TRUE(t);
  RECT content{};
  ASSERT_EQ(GetThemeBackgroundContentRect(t.get(), nullptr, c.part, c.state, &c.bounds, &content), S_OK);
  EXPECT_EQ(content, c.expected);
  // The extent of a content rectangle is the background it came from,
  // unless the content had to collapse.
  if (c.expected.right - c.expected.left > 0 && c.expected.bottom - c.expected.top > 0) {
    RECT extent{};
    ASSERT_EQ(GetThemeBackgroundExtent(t.get(), nullptr, c.part, c.state, &content, &extent), S_OK);
    EXPECT_EQ(extent, c.bounds);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Parts, ContentRect,
    testing::Values(ContentCase{u"Button", 1, 1, {10, 20, 85, 43}, {13, 23, 82, 40}},
                    ContentCase{u"Header", 1, 1, {0, 0, 100, 22}, {4, 2, 96, 20}},
                    ContentCase{u"Edit", 1, 5, {5, 5, 105, 26}, {6, 6, 104, 25}},
                    ContentCase{u"ToolTip", 1, 1, {0, 0, 50, 20}, {6, 3, 44, 17}},
                    // Too small for its margins: empty at the left and top edges, never inside out.
                    ContentCase{u"Tab", 1, 1, {0, 0, 8, 4}, {6, 3, 6, 3}}));

// --- colours --------------------------------------------------------------------------------------

struct ColorCase {
  const char* what;
  const char16_t* cls;
  int part, state, prop;
  COLORREF expected;
};

constexpr COLORREF kAccent = gdi::RGB(43, 108, 214);
constexpr COLORREF kWhite = gdi::RGB(255, 255, 255);

class ThemeColor : public testing::TestWithParam<ColorCase> {};

TEST_P(ThemeColor, AnswersTheLooksColour) {
  const ColorCase& c = GetParam();
  ScopedTheme t(c.cls);
  ASSERT_TRUE(t);
  COLORREF color = 0x12345678;
  ASSERT_EQ(GetThemeColor(t.get(), c.part, c.state, c.prop, &color), S_OK);
  EXPECT_EQ(color, c.expected) << std::hex << color;
}

INSTANTIATE_TEST_SUITE_P(
    Parts, ThemeColor,
    testing::Values(
        ColorCase{"default_button_border", u"Button", 1, 5, TMT_BORDERCOLOR, kAccent},
        ColorCase{"checked_box_fill", u"Button", 3, 5, TMT_FILLCOLOR, kAccent},
        ColorCase{"checked_box_tick", u"Button", 3, 5, TMT_GLYPHCOLOR, kWhite},
        ColorCase{"mixed_box_fill", u"Button", 3, 9, TMT_FILLCOLOR, kAccent},
        ColorCase{"unchecked_box_fill", u"Button", 3, 1, TMT_FILLCOLOR, kWhite},
        ColorCase{"checked_radio_border", u"Button", 2, 5, TMT_BORDERCOLOR, kAccent},
        ColorCase{"push_text", u"Button", 1, 1, TMT_TEXTCOLOR, gdi::RGB(30, 30, 30)},
        ColorCase{"disabled_push_text", u"Button", 1, 4, TMT_TEXTCOLOR, gdi::RGB(160, 160, 160)},
        ColorCase{"focused_edit_border", u"Edit", 1, 5, TMT_BORDERCOLOR, kAccent},
        ColorCase{"readonly_edit_fill", u"Edit", 1, 6, TMT_FILLCOLOR, gdi::RGB(244, 244, 244)},
        ColorCase{"hyperlink_text", u"TextStyle", 6, 1, TMT_TEXTCOLOR, kAccent},
        ColorCase{"edge_light", u"Button", 1, 1, TMT_EDGELIGHTCOLOR, gdi::RGB(250, 251, 252)},
        ColorCase{"edge_highlight", u"Header", 1, 1, TMT_EDGEHIGHLIGHTCOLOR, gdi::RGB(226, 229, 234)},
        ColorCase{"selected_item_unfocused", u"Explorer::ListView", 1, 5, TMT_FILLCOLOR, gdi::RGB(222, 224, 228)},
        ColorCase{"hot_close_glyph", u"Window", 19, 2, TMT_GLYPHCOLOR, kWhite}),
    [](const testing::TestParamInfo<ColorCase>& info) { return std::string(info.param.what); });

// Every state of every part answers the colours, and each state that stands
// for a different look differs in at least one of them: a state map that
// folds two states together shows here. (Checked and mixed boxes share
// their colours; the glyph tells them apart, so only 1..8 are compared.)
TEST(ThemeColors, EveryStateAnswersAndDistinctStatesLookDistinct) {
  struct Part {
    const char16_t* cls;
    int part, states, total;  // compared, and all the part has
  } const parts[] = {{u"Button", 1, 5, 6},   {u"Button", 2, 8, 8},   {u"Button", 3, 8, 12},
                     {u"ScrollBar", 2, 4, 4}, {u"ComboBox", 1, 4, 4}, {u"Header", 1, 3, 6},
                     {u"Tab", 1, 5, 5},      {u"ToolBar", 1, 6, 6},  {u"TrackBar", 3, 5, 5},
                     {u"Explorer::ListView", 1, 6, 6}};
  const int props[] = {TMT_BORDERCOLOR, TMT_FILLCOLOR, TMT_TEXTCOLOR, TMT_GLYPHCOLOR};
  for (const Part& p : parts) {
    ScopedTheme t(p.cls);
    ASSERT_TRUE(t);
    std::vector<std::vector<COLORREF>> looks;
    for (int s = 1; s <= p.states; ++s) {
      std::vector<COLORREF> look;
      for (int prop : props) {
        COLORREF c = 0;
        ASSERT_EQ(GetThemeColor(t.get(), p.part, s, prop, &c), S_OK) << Utf8(p.cls) << " " << p.part << "/" << s;
        look.push_back(c);
      }
      for (std::size_t k = 0; k < looks.size(); ++k)
        EXPECT_NE(looks[k], look) << Utf8(p.cls) << " part " << p.part << ": states " << k + 1 << " and " << s;
      looks.push_back(look);
    }
    COLORREF c = 0;
    EXPECT_EQ(GetThemeColor(t.get(), p.part, p.total + 1, TMT_FILLCOLOR, &c), E_INVALIDARG) << Utf8(p.cls);
  }
}

// --- drawing agrees with the answers ---------------------------------------------------------------

struct InkCase {
  const char* what;
  const char16_t* cls;
  int part, state;
  RECT rect;
  gdi::POINT probe;  // where the fill colour shows
};

class DrawnFill : public testing::TestWithParam<InkCase> {};

TEST_P(DrawnFill, ShowsTheAnsweredFillAndStaysInsideTheRectangle) {
  const InkCase& c = GetParam();
  ScopedTheme t(c.cls);
  ASSERT_TRUE(t);
  constexpr std::uint32_t kPage = 0x00102030;
  testing_support::DibDC page(64, 48, kPage);
  ASSERT_EQ(DrawThemeBackground(t.get(), page.dc, c.part, c.state, &c.rect, nullptr), S_OK);
  COLORREF fill = 0;
  ASSERT_EQ(GetThemeColor(t.get(), c.part, c.state, TMT_FILLCOLOR, &fill), S_OK);
  const std::uint32_t expected = (gdi::GetRValue(fill) << 16) | (gdi::GetGValue(fill) << 8) | gdi::GetBValue(fill);
  EXPECT_EQ(page.rgb(c.probe.x, c.probe.y), expected) << std::hex << page.rgb(c.probe.x, c.probe.y);
  for (int y = 0; y < page.height; ++y)
    for (int x = 0; x < page.width; ++x)
      if (x < c.rect.left || x >= c.rect.right || y < c.rect.top || y >= c.rect.bottom) {
        ASSERT_EQ(page.rgb(x, y), kPage) << "ink outside at " << x << "," << y;
      }
}

INSTANTIATE_TEST_SUITE_P(
    Parts, DrawnFill,
    testing::Values(InkCase{"hot_push", u"Button", 1, 2, {4, 4, 60, 27}, {30, 15}},
                    InkCase{"checked_box_corner", u"Button", 3, 5, {10, 10, 23, 23}, {11, 21}},
                    InkCase{"pressed_scroll_arrow", u"ScrollBar", 1, 7, {0, 0, 17, 17}, {2, 2}},
                    InkCase{"disabled_edit", u"Edit", 1, 4, {5, 5, 50, 26}, {7, 7}},
                    InkCase{"progress_chunk", u"Progress", 3, 1, {0, 0, 30, 10}, {29, 9}}),
    [](const testing::TestParamInfo<InkCase>& info) { return std::string(info.param.what); });

// A fixed-size glyph drawn into a larger rectangle is centred at its true size.
TEST(DrawnGlyph, CheckBoxInkIsItsTrueSizeCentred) {
  ScopedTheme t(u"Button");
  constexpr std::uint32_t kPage = 0x00102030;
  testing_support::DibDC page(40, 40, kPage);
  const RECT r{0, 0, 40, 40};
  ASSERT_EQ(DrawThemeBackground(t.get(), page.dc, 3, 5, &r, nullptr), S_OK);
  SIZE size{};
  ASSERT_EQ(GetThemePartSize(t.get(), nullptr, 3, 5, &r, TS_TRUE, &size), S_OK);
  int left = 40, top = 40, right = 0, bottom = 0;
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 40; ++x)
      if (page.rgb(x, y) != kPage) {
        left = std::min(left, x);
        top = std::min(top, y);
        right = std::max(right, x + 1);
        bottom = std::max(bottom, y + 1);
      }
  EXPECT_EQ(right - left, size.cx);
  EXPECT_EQ(bottom - top, size.cy);
  EXPECT_EQ(left, (40 - size.cx) / 2);
  EXPECT_EQ(top, (40 - size.cy) / 2);
}

// The clip rectangle limits drawing as the DC's own clipping does, and the
// DC's clipping is the same afterwards.
TEST(DrawnClip, ClipRectangleLimitsTheInkAndIsUndoneAfterwards) {
  ScopedTheme t(u"Button");
  testing_support::DibDC page(60, 30, 0x00102030);
  const RECT r{0, 0, 60, 30}, clip{0, 0, 20, 30};
  ASSERT_EQ(DrawThemeBackground(t.get(), page.dc, 1, 3, &r, &clip), S_OK);
  EXPECT_NE(page.rgb(10, 15), 0x00102030u);
  EXPECT_EQ(page.rgb(40, 15), 0x00102030u);
  RECT box{};
  gdi::GetClipBox(page.dc, &box);
  EXPECT_EQ(box, (RECT{0, 0, 60, 30}));
}

// --- edges and text -------------------------------------------------------------------------------

TEST(ThemeEdge, DrawsThePlainEdgeAndAnswersTheRectangleInsideIt) {
  ScopedTheme edit(u"Edit");
  struct {
    UINT edge;
    RECT content;  // inside (2, 2, 30, 20)
  } const cases[] = {{gdi::BDR_RAISEDINNER, {3, 3, 29, 19}}, {gdi::EDGE_SUNKEN, {4, 4, 28, 18}}};
  for (const auto& c : cases) {
    testing_support::DibDC page(32, 22, 0x00102030);
    const RECT r{2, 2, 30, 20};
    RECT content{};
    ASSERT_EQ(DrawThemeEdge(edit.get(), page.dc, 0, 0, &r, c.edge, gdi::BF_RECT, &content), S_OK);
    EXPECT_EQ(content, c.content) << c.edge;
    EXPECT_NE(page.rgb(2, 10), 0x00102030u);
    EXPECT_EQ(page.rgb(15, 10), 0x00102030u) << "the middle is left alone";
  }
  const RECT r{0, 0, 10, 10};
  EXPECT_EQ(DrawThemeEdge(edit.get(), nullptr, 42, 1, &r, gdi::EDGE_SUNKEN, gdi::BF_RECT, nullptr), E_INVALIDARG);
}

TEST(ThemeText, UsesThePartsTextColourOrGreyAndLeavesTheDCAsItWas) {
  ScopedTheme link(u"TextStyle");
  struct {
    DWORD flags2;
    COLORREF expected;
  } const cases[] = {{0, gdi::RGB(43, 108, 214)}, {0x1, gdi::RGB(160, 160, 160)}};
  for (const auto& c : cases) {
    testing_support::DibDC page(60, 20, 0x00FFFFFF);
    gdi::SetTextColor(page.dc, gdi::RGB(1, 2, 3));
    gdi::SetBkMode(page.dc, gdi::OPAQUE);
    const RECT r{0, 0, 60, 20};
    ASSERT_EQ(DrawThemeText(link.get(), page.dc, 6, 1, u"HHH", -1, 0, c.flags2, &r), S_OK);
    const std::uint32_t want =
        (gdi::GetRValue(c.expected) << 16) | (gdi::GetGValue(c.expected) << 8) | gdi::GetBValue(c.expected);
    bool found = false;
    for (int y = 0; y < 20 && !found; ++y)
      for (int x = 0; x < 60 && !found; ++x) found = page.rgb(x, y) == want;
    EXPECT_TRUE(found) << std::hex << want;
    EXPECT_EQ(gdi::GetTextColor(page.dc), gdi::RGB(1, 2, 3));
    EXPECT_EQ(gdi::GetBkMode(page.dc), gdi::OPAQUE);
  }
}

// --- refusals -------------------------------------------------------------------------------------

TEST(ThemeHandles, ClassListsAndBadArgumentsAreAnsweredAsThePlatformWould) {
  // The first known name of a list is taken; case does not matter; a
  // sub-class without a look of its own falls back to its base class.
  struct {
    const char16_t* list;
    const char16_t* opened;  // null: nothing opens
  } const lists[] = {{u"BUTTON", u"Button"},
                     {u"NoSuchThing; scrollbar", u"ScrollBar"},
                     {u"Explorer::Button", u"Button"},
                     {u"Explorer::ListView", u"Explorer::ListView"},
                     {u"Nothing;Else", nullptr},
                     {u"", nullptr}};
  for (const auto& l : lists) {
    ScopedTheme t(l.list);
    if (!l.opened) {
      EXPECT_FALSE(t) << Utf8(l.list);
    } else {
      ASSERT_TRUE(t) << Utf8(l.list);
      EXPECT_EQ(std::u16string(ThemeClassName(t.get())), l.opened);
    }
  }
  EXPECT_EQ(OpenThemeData(nullptr, nullptr), nullptr);

  const int before = OpenThemeCount();
  HTHEME h = OpenThemeData(nullptr, u"Header");
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(OpenThemeCount(), before + 1);
  SIZE size{};
  COLORREF color = 0;
  MARGINS m;
  const RECT r{0, 0, 10, 10};
  EXPECT_EQ(GetThemePartSize(h, nullptr, 99, 1, &r, TS_TRUE, &size), E_INVALIDARG);  // no such part
  EXPECT_EQ(GetThemePartSize(h, nullptr, 1, 7, &r, TS_TRUE, &size), E_INVALIDARG);   // no such state
  EXPECT_EQ(GetThemePartSize(h, nullptr, 1, 1, &r, TS_TRUE, nullptr), E_INVALIDARG);
  EXPECT_EQ(GetThemeColor(h, 1, 1, 1234, &color), E_PROP_NOT_FOUND);
  EXPECT_EQ(GetThemeMargins(h, nullptr, 1, 1, 1234, nullptr, &m), E_PROP_NOT_FOUND);
  EXPECT_EQ(DrawThemeBackground(h, nullptr, 1, 1, &r, nullptr), E_INVALIDARG);
  const RECT inverted{10, 10, 0, 0};
  testing_support::DibDC page(4, 4);
  EXPECT_EQ(DrawThemeBackground(h, page.dc, 1, 1, &inverted, nullptr), E_INVALIDARG);
  EXPECT_TRUE(IsThemePartDefined(h, 1, 0));  // state 0 is the part's first
  EXPECT_FALSE(IsThemePartDefined(h, 4, 1));
  EXPECT_EQ(CloseThemeData(h), S_OK);
  EXPECT_EQ(OpenThemeCount(), before);
  // A closed handle is refused everywhere, not read.
  EXPECT_EQ(CloseThemeData(h), E_HANDLE);
  EXPECT_EQ(GetThemeColor(h, 1, 1, TMT_FILLCOLOR, &color), E_HANDLE);
  EXPECT_EQ(DrawThemeBackground(h, page.dc, 1, 1, &r, nullptr), E_HANDLE);
  EXPECT_FALSE(IsThemeBackgroundPartiallyTransparent(h, 1, 1));
}

TEST(ThemeShapes, RoundPartsAreTransparentWithRoundRegions) {
  ScopedTheme button(u"Button"), bar(u"ScrollBar");
  EXPECT_TRUE(IsThemeBackgroundPartiallyTransparent(button.get(), 2, 1));   // radio
  EXPECT_TRUE(IsThemeBackgroundPartiallyTransparent(button.get(), 1, 1));   // softened corners
  EXPECT_FALSE(IsThemeBackgroundPartiallyTransparent(button.get(), 3, 1));  // square check box
  EXPECT_FALSE(IsThemeBackgroundPartiallyTransparent(bar.get(), 4, 1));     // track
  const RECT r{0, 0, 13, 13};
  HRGN round = nullptr, square = nullptr;
  ASSERT_EQ(GetThemeBackgroundRegion(button.get(), nullptr, 2, 1, &r, &round), S_OK);
  ASSERT_EQ(GetThemeBackgroundRegion(button.get(), nullptr, 3, 1, &r, &square), S_OK);
  EXPECT_FALSE(gdi::PtInRegion(round, 0, 0));
  EXPECT_TRUE(gdi::PtInRegion(round, 6, 6));
  EXPECT_TRUE(gdi::PtInRegion(square, 0, 0));
  gdi::DeleteObject(round);
  gdi::DeleteObject(square);
}

TEST(Composition, IsNeverEnabled) {
  BOOL enabled = TRUE;
  EXPECT_EQ(DwmIsCompositionEnabled(&enabled), S_OK);
  EXPECT_EQ(enabled, FALSE);
  EXPECT_EQ(DwmIsCompositionEnabled(nullptr), E_INVALIDARG);
}

}  // namespace
