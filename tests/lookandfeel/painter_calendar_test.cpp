// The base painter's calendars, date navigator, clocks and scheduler
// elements: golden pictures per element group in its states (exact for the
// pixel-rule drawing, with a tolerance for the anti-aliased clock), the
// selection colour table, hand angles, month-header composition, measures
// and layout, and that no operation of the family raises or draws outside
// the clip for empty, inverted or huge rectangles.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "lib/core/cxGraphics.h"
#include "lib/lookandfeel/cxLookAndFeelPainters.h"
#include "platform/gdi/types.h"
#include "platform/rtl/datetime.h"
#include "platform/ui/colors.h"
#include "platform/ui/graphics.h"
#include "tests/support/golden.h"

using namespace lookandfeel;
using namespace ui;
using core::TcxCanvas;

namespace {

using CalendarPainter = TcxCustomLookAndFeelPainter;
using BS = TcxButtonState;
using CES = TcxCalendarElementState;
using States = TcxCalendarElementStates;
using AD = TcxArrowDirection;

// 0xRRGGBB of a colour as drawn (system colours resolved).
std::uint32_t calendarRgbOf(TColor c) {
  const gdi::COLORREF ref = ColorToRGB(c);
  return ((ref & 0xFF) << 16) | (ref & 0xFF00) | ((ref >> 16) & 0xFF);
}
constexpr std::uint32_t kWhite = 0xFFFFFF;
constexpr std::uint32_t kMarker = 0x10E040;  // a colour no operation here draws

// A 32-bit bitmap filled with one colour, the library canvas over it.
class CalendarPaper {
 public:
  CalendarPaper(int w, int h, std::uint32_t fill = kWhite) : w_(w), h_(h) {
    bmp_.SetPixelFormat(pf32bit);
    bmp_.SetSize(w, h);
    canvas_ = std::make_unique<TcxCanvas>(bmp_.Canvas());
    canvas_->FillRect(TRect{0, 0, w, h}, TColor(((fill & 0xFF) << 16) | (fill & 0xFF00) | ((fill >> 16) & 0xFF)));
  }
  TcxCanvas* c() { return canvas_.get(); }
  std::uint32_t At(int x, int y) { return static_cast<std::uint32_t*>(bmp_.ScanLine(y))[x] & 0xFFFFFF; }
  gdi::HDC dc() { return canvas_->Handle(); }
  TRect all() const { return TRect{0, 0, w_, h_}; }
  int width() const { return w_; }
  int height() const { return h_; }

 private:
  int w_, h_;
  TBitmap bmp_;
  std::unique_ptr<TcxCanvas> canvas_;
};

rtl::TDateTime timeOf(int h, int m, int s) { return rtl::EncodeTime(rtl::Word(h), rtl::Word(m), rtl::Word(s), 0); }

// --- golden pictures -------------------------------------------------------------------------

TEST(PainterCalendar, ModernDateCellSelectionsInTheirStates) {
  const States rows[] = {
      {},
      {CES::cesHot},
      {CES::cesSelected},
      {CES::cesSelected, CES::cesHot},
      {CES::cesSelected, CES::cesFocused},
      {CES::cesSelected, CES::cesFocused, CES::cesHot},
      {CES::cesMarked},
      {CES::cesFocused, CES::cesMarked},
      {CES::cesSelected, CES::cesMarked, CES::cesFocused},
  };
  CalendarPaper paper(9 * 14, 3 * 12);
  CalendarPainter painter;
  for (int i = 0; i < 9; ++i) {
    const TRect cell{i * 14 + 1, 1, i * 14 + 13, 11};
    painter.DrawModernCalendarDateCellSelection(paper.c(), cell, rows[i]);
    painter.DrawCalendarDateCellSelection(paper.c(), TRect{cell.left, 13, cell.right, 23}, rows[i]);
  }
  painter.DrawDateNavigatorCellSelection(paper.c(), TRect{1, 25, 13, 35}, clHighlight);
  painter.DrawDateNavigatorTodayCellSelection(paper.c(), TRect{15, 25, 27, 35});
  TRect header{29, 25, 60, 35};
  painter.DrawDateNavigatorDateHeader(paper.c(), header);
  EXPECT_GOLDEN(paper.dc(), paper.all(), "lookandfeel", "calendar_cells");
}

TEST(PainterCalendar, ModernArrowsInTheirStates) {
  const AD directions[] = {AD::adUp, AD::adDown, AD::adLeft, AD::adRight};
  const CES states[] = {CES::cesNormal, CES::cesHot, CES::cesPressed, CES::cesDisabled};
  CalendarPaper paper(4 * 12, 4 * 12);
  CalendarPainter painter;
  for (int row = 0; row < 4; ++row)
    for (int col = 0; col < 4; ++col)
      painter.DrawModernCalendarArrow(paper.c(), TRect{col * 12 + 1, row * 12 + 1, col * 12 + 11, row * 12 + 12},
                                      directions[col], states[row]);
  EXPECT_GOLDEN(paper.dc(), paper.all(), "lookandfeel", "calendar_arrows");
}

TEST(PainterCalendar, SchedulerElementsInTheirStates) {
  CalendarPaper paper(100, 60);
  CalendarPainter painter;
  const BS states[] = {BS::cxbsNormal, BS::cxbsPressed, BS::cxbsDisabled};
  for (int i = 0; i < 3; ++i) {
    const int x = i * 32;
    painter.DrawSchedulerNavigationButtonContent(paper.c(), TRect{x + 1, 1, x + 14, 28}, TRect{x + 4, 4, x + 11, 11},
                                                 false, states[i]);
    painter.DrawSchedulerNavigationButtonContent(paper.c(), TRect{x + 15, 1, x + 28, 28},
                                                 TRect{x + 19, 4, x + 26, 11}, true, states[i]);
  }
  painter.DrawSchedulerGroup(paper.c(), TRect{1, 30, 41, 44}, clYellow);
  painter.DrawSchedulerMilestone(paper.c(), TRect{43, 30, 58, 44});
  core::TcxViewParams params;
  params.Color = clWhite;
  painter.DrawSchedulerEventProgress(paper.c(), TRect{1, 46, 41, 54}, TRect{3, 48, 20, 52}, params, false);
  painter.DrawSchedulerEventProgress(paper.c(), TRect{43, 46, 83, 54}, TRect{45, 48, 70, 52}, params, true);
  painter.DrawSchedulerNavigationButtonArrow(paper.c(), TRect{86, 30, 93, 37}, false, clBlack);
  painter.DrawSchedulerNavigationButtonArrow(paper.c(), TRect{86, 40, 93, 47}, true, clBlack);
  EXPECT_GOLDEN(paper.dc(), paper.all(), "lookandfeel", "scheduler_elements");
}

TEST(PainterCalendar, ClassicClockAtTenPastTen) {
  CalendarPaper paper(134, 134);
  CalendarPainter painter;
  const TSize size = painter.ClockSize();
  painter.DrawClock(paper.c(), TRect{2, 2, 2 + size.cx, 2 + size.cy}, timeOf(10, 10, 30), clBtnFace);
  EXPECT_GOLDEN(paper.dc(), paper.all(), "lookandfeel", "classic_clock");
}

TEST(PainterCalendar, ModernClockComposesFaceHandsAndGlass) {
  CalendarPaper paper(68, 68);
  CalendarPainter painter;
  painter.DrawModernCalendarClock(paper.c(), TRect{2, 2, 66, 66}, timeOf(10, 10, 30), clWhite);
  testing_support::GoldenOptions aa;
  aa.channelTolerance = 24;
  aa.maxDifferingPixels = 40;
  EXPECT_GOLDEN(paper.dc(), paper.all(), "lookandfeel", "modern_clock", aa);
}

// --- hands ---------------------------------------------------------------------------------------

// Probes 40 % of the radius out from the centre in the four directions:
// only the hands that point there reach it (tails stay within 10 %).
TEST(PainterCalendar, HandsPointWhereTheTimeSays) {
  struct Case {
    int h, m, s;
    bool right, up, left, down;
  };
  const Case cases[] = {
      {3, 0, 0, true, true, false, false},   // hour right; minute and second up
      {12, 0, 0, false, true, false, false},  // all three up
      {9, 0, 0, false, true, true, false},
      {6, 0, 0, false, true, false, true},
      {12, 15, 0, true, true, false, false},  // minute right; hour just past 12
      {12, 0, 45, false, true, true, false},  // second hand left
  };
  const TRect r{0, 0, 101, 101};
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.h << ":" << c.m << ":" << c.s);
    CalendarPaper paper(101, 101);
    CalendarPainter painter;
    painter.DrawModernClockHands(paper.c(), r, timeOf(c.h, c.m, c.s), clBlack);
    auto dark = [&](int x, int y) { return paper.At(x, y) != kWhite; };
    EXPECT_EQ(dark(70, 50), c.right);
    EXPECT_EQ(dark(50, 30), c.up);
    EXPECT_EQ(dark(30, 50), c.left);
    EXPECT_EQ(dark(50, 70), c.down);
  }
}

TEST(PainterCalendar, ClassicClockHourHandAtThreeAndTwelve) {
  struct Case {
    int h;
    bool right, up;
  };
  // The minute and second hands are up at both times, so "right" tells the
  // hour hand alone.
  const Case cases[] = {{3, true, true}, {12, false, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.h);
    CalendarPaper paper(130, 130);
    CalendarPainter painter;
    painter.DrawClock(paper.c(), TRect{0, 0, 130, 130}, timeOf(c.h, 0, 0), clWhite);
    const std::uint32_t hand = 0x008080;
    EXPECT_EQ(paper.At(95, 65) == hand, c.right);
    EXPECT_EQ(paper.At(65, 40) != kWhite, c.up);
    EXPECT_NE(paper.At(30, 65), hand);
  }
}

// --- colours ---------------------------------------------------------------------------------

TEST(PainterCalendar, ModernDateCellSelectionColourTable) {
  struct Case {
    States states;
    std::uint32_t frame, fill;  // kWhite: left alone
  };
  const Case cases[] = {
      {{CES::cesSelected, CES::cesHot}, 0x66A7E8, 0xD1E8FF},
      {{CES::cesSelected, CES::cesHot, CES::cesFocused}, 0x66A7E8, 0xD1E8FF},
      {{CES::cesSelected, CES::cesFocused}, 0x26A0DA, 0xCBE8F6},
      {{CES::cesSelected}, 0xDEDEDE, 0xF7F7F7},
      {{CES::cesHot}, 0x70C0E7, 0xE5F3FB},
      {{CES::cesHot, CES::cesPressed}, 0x70C0E7, 0xE5F3FB},
      {{}, kWhite, kWhite},
      {{CES::cesPressed, CES::cesDisabled}, kWhite, kWhite},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.states.Bits());
    CalendarPaper paper(12, 12);
    CalendarPainter painter;
    // Column 0 is the frame, (5, 5) the fill, both clear of the focus dots.
    painter.DrawModernCalendarDateCellSelection(paper.c(), TRect{0, 0, 12, 12}, c.states);
    EXPECT_EQ(paper.At(0, 5), c.frame);
    EXPECT_EQ(paper.At(5, 5), c.fill);
  }
}

TEST(PainterCalendar, FocusedAndMarkedCellHasNoFillButTheMarkedFrameAndFocus) {
  CalendarPaper paper(12, 12);
  CalendarPainter painter;
  painter.DrawModernCalendarDateCellSelection(paper.c(), TRect{0, 0, 12, 12}, {CES::cesFocused, CES::cesMarked});
  const std::uint32_t marked = calendarRgbOf(painter.GetModernCalendarMarkedCellBorderColor());
  for (int i = 0; i < 12; ++i) {
    EXPECT_EQ(paper.At(i, 0), marked) << i;
    EXPECT_EQ(paper.At(11, i), marked) << i;
  }
  // The dotted focus rectangle one pixel in: its first dot is inverted white.
  EXPECT_NE(paper.At(1, 1), kWhite);
  for (int y = 3; y < 9; ++y)
    for (int x = 3; x < 9; ++x) ASSERT_EQ(paper.At(x, y), kWhite) << x << "," << y;
}

TEST(PainterCalendar, ModernTextColours) {
  CalendarPainter painter;
  struct Case {
    const char* name;
    std::function<TColor()> get;
    TColor expected;
  };
  const Case cases[] = {
      {"cell normal", [&] { return painter.GetModernCalendarCellTextColor({}); }, clBtnText},
      {"cell hot", [&] { return painter.GetModernCalendarCellTextColor({CES::cesHot}); }, clHotLight},
      {"cell disabled and hot",
       [&] { return painter.GetModernCalendarCellTextColor({CES::cesHot, CES::cesDisabled}); }, clGrayText},
      {"cell marked", [&] { return painter.GetModernCalendarCellTextColor({CES::cesMarked}); }, clHotLight},
      {"cell marked and selected",
       [&] { return painter.GetModernCalendarCellTextColor({CES::cesMarked, CES::cesSelected}); }, clBtnText},
      {"cell hot, marked and selected",
       [&] { return painter.GetModernCalendarCellTextColor({CES::cesHot, CES::cesMarked, CES::cesSelected}); },
       clHotLight},
      {"date header exactly hot", [&] { return painter.GetModernCalendarDateHeaderTextColor({CES::cesHot}); },
       clHotLight},
      {"date header hot and selected",
       [&] { return painter.GetModernCalendarDateHeaderTextColor({CES::cesHot, CES::cesSelected}); },
       painter.DefaultDateNavigatorHeaderTextColor(false)},
      {"date header normal", [&] { return painter.GetModernCalendarDateHeaderTextColor({}); }, clBtnText},
      {"header", [&] { return painter.GetModernCalendarHeaderTextColor(); }, clHotLight},
      {"marked border", [&] { return painter.GetModernCalendarMarkedCellBorderColor(); }, clHotLight},
      {"selected text", [&] { return painter.GetModernCalendarSelectedTextColor(); }, clHotLight},
      {"navigation text normal",
       [&] { return painter.SchedulerNavigationButtonTextColor(false, BS::cxbsNormal, clRed); }, clRed},
      {"navigation text disabled",
       [&] { return painter.SchedulerNavigationButtonTextColor(true, BS::cxbsDisabled, clRed); }, clBtnShadow},
  };
  for (const Case& c : cases) EXPECT_EQ(c.get(), c.expected) << c.name;
}

TEST(PainterCalendar, HeaderSelectionUnderlinesOnlyWhenHotOrPressed) {
  const struct {
    States states;
    bool underlined;
  } cases[] = {{{}, false}, {{CES::cesHot}, true}, {{CES::cesPressed}, true}, {{CES::cesSelected}, false}};
  for (const auto& c : cases) {
    CalendarPaper paper(4, 4);
    CalendarPainter painter;
    painter.DrawModernCalendarHeaderSelection(paper.c(), paper.all(), c.states);
    EXPECT_EQ(paper.c()->Font()->Style().contains(fsUnderline), c.underlined) << c.states.Bits();
    EXPECT_EQ(paper.At(1, 1), kWhite);
  }
}

TEST(PainterCalendar, ModernClockBackgroundNoneKeepsTheCanvas) {
  struct Case {
    TColor background;
    std::uint32_t corner;
  };
  // The face is round: the corner of R shows the background.
  const Case cases[] = {{clNone, kMarker}, {clWhite, kWhite}, {clBlack, 0x000000}};
  for (const Case& c : cases) {
    CalendarPaper paper(40, 40, kMarker);
    CalendarPainter painter;
    painter.DrawModernCalendarClock(paper.c(), TRect{4, 4, 36, 36}, timeOf(1, 2, 3), c.background);
    EXPECT_EQ(paper.At(4, 4), c.corner);
    EXPECT_EQ(paper.At(3, 3), kMarker);  // outside R
    EXPECT_NE(paper.At(20, 20), kMarker);  // the face covers the centre
  }
}

// --- month header --------------------------------------------------------------------------

// Records what the month header asks of the header and arrow operations.
class RecordingPainter : public CalendarPainter {
 public:
  struct Header {
    TRect bounds, textArea;
    TcxNeighbors neighbors;
    core::TcxBorders borders;
    BS state;
    TAlignment horz;
    core::TcxAlignmentVert vert;
    bool multiLine;
    String text;
    TFont* font;
    TColor textColor, bkColor;
  };
  struct Arrow {
    TRect r;
    AD direction;
    TColor color;
  };
  std::vector<Header> headers;
  std::vector<Arrow> arrows;

  void DrawHeader(TcxCanvas*, const TRect& ABounds, const TRect& ATextAreaBounds, TcxNeighbors ANeighbors,
                  core::TcxBorders ABorders, BS AState, TAlignment AAlignmentHorz,
                  core::TcxAlignmentVert AAlignmentVert, bool AMultiLine, bool, const String& AText, TFont* AFont,
                  TColor ATextColor, TColor ABkColor, TcxDrawBackgroundEvent, bool, bool) override {
    headers.push_back(Header{ABounds, ATextAreaBounds, ANeighbors, ABorders, AState, AAlignmentHorz, AAlignmentVert,
                             AMultiLine, AText, AFont, ATextColor, ABkColor});
  }
  void DrawArrow(TcxCanvas*, const TRect& R, AD AArrowDirection, TColor AColor) override {
    arrows.push_back(Arrow{R, AArrowDirection, AColor});
  }
  core::TcxBorders HeaderBorders(TcxNeighbors ANeighbors) override {
    return ANeighbors.contains(TcxNeighbor::nLeft) ? core::TcxBorders{core::bTop, core::bRight, core::bBottom}
                                                   : core::cxBordersAll;
  }
};

TEST(PainterCalendar, MonthHeaderIsAHeaderWithArrowsInSquaresAtItsEnds) {
  struct Case {
    TcxArrowDirections arrows;
    std::vector<TRect> arrowRects;
  };
  const TRect bounds{10, 5, 110, 25};
  const Case cases[] = {
      {{}, {}},
      {{AD::adLeft}, {TRect{10, 5, 30, 25}}},
      {{AD::adRight}, {TRect{90, 5, 110, 25}}},
      {{AD::adLeft, AD::adRight}, {TRect{10, 5, 30, 25}, TRect{90, 5, 110, 25}}},
      {{AD::adUp, AD::adDown}, {}},
  };
  TFont font;
  core::TcxViewParams params;
  params.Font = &font;
  params.Color = clYellow;
  params.TextColor = clNavy;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.arrows.Bits());
    CalendarPaper paper(4, 4);
    RecordingPainter painter;
    painter.DrawMonthHeader(paper.c(), bounds, u"June 2026", {TcxNeighbor::nLeft}, params, c.arrows, 7);
    ASSERT_EQ(painter.headers.size(), 1u);
    const auto& h = painter.headers[0];
    EXPECT_EQ(h.bounds, bounds);
    EXPECT_EQ(h.textArea, bounds);
    EXPECT_EQ(h.borders, (core::TcxBorders{core::bTop, core::bRight, core::bBottom}));
    EXPECT_EQ(h.state, BS::cxbsNormal);
    EXPECT_EQ(h.horz, taCenter);
    EXPECT_EQ(h.vert, core::TcxAlignmentVert::vaCenter);
    EXPECT_FALSE(h.multiLine);
    EXPECT_EQ(h.text, u"June 2026");
    EXPECT_EQ(h.font, &font);
    EXPECT_EQ(h.textColor, clNavy);
    EXPECT_EQ(h.bkColor, clYellow);
    ASSERT_EQ(painter.arrows.size(), c.arrowRects.size());
    for (size_t i = 0; i < c.arrowRects.size(); ++i) {
      EXPECT_EQ(painter.arrows[i].r, c.arrowRects[i]);
      EXPECT_EQ(painter.arrows[i].color, clWindowText);
    }
  }
}

// Text colour clNone means "no text" for a painter that says so.
class SilentNavigationPainter : public CalendarPainter {
 public:
  TColor SchedulerNavigationButtonTextColor(bool, BS, TColor) override { return clNone; }
};

TEST(PainterCalendar, NavigationButtonTextFollowsItsColourAndRoom) {
  struct Case {
    const char* name;
    bool silent;
    BS state;
    TRect textRect;
    bool textDrawn, reddish;
  };
  // The canvas font is red: the normal state writes in it, the disabled one in the shadow colour.
  const Case cases[] = {
      {"normal", false, BS::cxbsNormal, TRect{2, 14, 28, 38}, true, true},
      {"disabled", false, BS::cxbsDisabled, TRect{2, 14, 28, 38}, true, false},
      {"colour none", true, BS::cxbsNormal, TRect{2, 14, 28, 38}, false, false},
      {"no text room", false, BS::cxbsNormal, TRect{2, 14, 28, 14}, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CalendarPaper paper(30, 40);
    paper.c()->Font()->SetColor(clRed);
    paper.c()->Font()->SetSize(12);
    SilentNavigationPainter silent;
    CalendarPainter plain;
    CalendarPainter& painter = c.silent ? silent : plain;
    painter.DrawSchedulerNavigationButton(paper.c(), TRect{0, 0, 30, 40}, false, c.state, u"W", c.textRect,
                                          TRect{10, 3, 17, 10});
    const std::uint32_t face = calendarRgbOf(clBtnFace);
    int ink = 0, red = 0;
    for (int y = 15; y < 37; ++y)
      for (int x = 3; x < 27; ++x) {
        const std::uint32_t px = paper.At(x, y);
        ink += px != face;
        red += int((px >> 16) & 0xFF) > int((px >> 8) & 0xFF) + 60;
      }
    EXPECT_EQ(ink > 0, c.textDrawn);
    EXPECT_EQ(red > 0, c.reddish);
  }
}

// --- measures and layout ---------------------------------------------------------------------

TEST(PainterCalendar, Measures) {
  CalendarPainter painter;
  EXPECT_EQ(painter.ClockSize(), (TSize{130, 130}));
  EXPECT_EQ(painter.SchedulerEventProgressOffsets(), (TRect{2, 2, 2, 2}));
  EXPECT_EQ(painter.GetModernCalendarHeaderTextOffsets(), (TRect{0, 0, 0, 0}));
  struct Case {
    bool next;
    TRect borders;
  };
  const Case cases[] = {{false, TRect{0, 6, 2, 6}}, {true, TRect{2, 6, 0, 6}}};
  for (const Case& c : cases) {
    TRect borders;
    TSize arrow;
    bool hasText = false;
    painter.SchedulerNavigationButtonSizes(c.next, borders, arrow, hasText);
    EXPECT_EQ(borders, c.borders) << c.next;
    EXPECT_EQ(arrow, (TSize{7, 7}));
    EXPECT_TRUE(hasText);
  }
}

// A painter without a text area in its navigation buttons.
class NoTextAreaPainter : public CalendarPainter {
 public:
  void SchedulerNavigationButtonSizes(bool AIsNextButton, TRect& ABorders, TSize& AArrowSize,
                                      bool& AHasTextArea) override {
    CalendarPainter::SchedulerNavigationButtonSizes(AIsNextButton, ABorders, AArrowSize, AHasTextArea);
    AHasTextArea = false;
  }
};

TEST(PainterCalendar, NavigationButtonLayout) {
  struct Case {
    const char* name;
    bool next, collapsed, textArea;
    int textHeight;
    TRect bounds, text, arrow;
  };
  // Bounds (0, 0, 20, 200); borders 0/6/2/6 (previous) or 2/6/0/6 (next);
  // arrow 7 x 7, its band 21 high.
  const Case cases[] = {
      {"previous with text", false, false, true, 40, {0, 0, 20, 200}, {0, 32, 18, 180}, {5, 13, 12, 20}},
      {"next with text", true, false, true, 40, {0, 0, 20, 200}, {2, 32, 20, 180}, {7, 13, 14, 20}},
      {"text taller by 11", false, false, true, 159, {0, -5, 20, 206}, {0, 27, 18, 186}, {5, 8, 12, 15}},
      {"collapsed", false, true, true, 40, {0, 89, 20, 110}, {0, 0, 0, 0}, {5, 96, 12, 103}},
      {"without a text area", true, false, false, 40, {0, 89, 20, 110}, {0, 0, 0, 0}, {7, 96, 14, 103}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    NoTextAreaPainter noText;
    CalendarPainter plain;
    CalendarPainter& painter = c.textArea ? plain : noText;
    TRect bounds{0, 0, 20, 200}, text{1, 1, 1, 1}, arrow;
    painter.CalculateSchedulerNavigationButtonRects(c.next, c.collapsed, TSize{10, c.textHeight}, TSize{10, 3},
                                                    bounds, text, arrow);
    EXPECT_EQ(bounds, c.bounds);
    EXPECT_EQ(text, c.text);
    EXPECT_EQ(arrow, c.arrow);
  }
}

TEST(PainterCalendar, DateHeaderShrinksByItsEdge) {
  CalendarPaper paper(20, 10);
  CalendarPainter painter;
  TRect r{2, 2, 18, 9};
  painter.DrawDateNavigatorDateHeader(paper.c(), r);
  EXPECT_EQ(r, (TRect{3, 3, 17, 8}));
  EXPECT_EQ(paper.At(2, 2), calendarRgbOf(clBtnHighlight));
  EXPECT_EQ(paper.At(17, 8), calendarRgbOf(clBtnShadow));
  EXPECT_EQ(paper.At(10, 5), calendarRgbOf(painter.DefaultDateNavigatorHeaderColor()));
}

// --- robustness ----------------------------------------------------------------------------

struct Operation {
  const char* name;
  std::function<void(CalendarPainter&, TcxCanvas*, const TRect&)> draw;
};

std::vector<Operation> operations() {
  core::TcxViewParams params;
  params.Color = clWhite;
  const auto t = timeOf(10, 10, 30);
  return {
      {"SchedulerNavigationButtonContent",
       [](CalendarPainter& p, TcxCanvas* c, const TRect& r) {
         p.DrawSchedulerNavigationButtonContent(c, r, r, false, BS::cxbsPressed);
       }},
      {"MonthHeader",
       [](CalendarPainter& p, TcxCanvas* c, const TRect& r) {
         core::TcxViewParams vp;
         vp.Font = c->Font();
         vp.Color = clYellow;
         p.DrawMonthHeader(c, r, u"June", {}, vp, {AD::adLeft, AD::adRight}, 4);
       }},
      {"SchedulerBorder", [](CalendarPainter& p, TcxCanvas* c, const TRect& r) { p.DrawSchedulerBorder(c, r); }},
      {"SchedulerEventProgress",
       [params](CalendarPainter& p, TcxCanvas* c, const TRect& r) { p.DrawSchedulerEventProgress(c, r, r, params, false); }},
      {"SchedulerEventProgressTransparent",
       [params](CalendarPainter& p, TcxCanvas* c, const TRect& r) { p.DrawSchedulerEventProgress(c, r, r, params, true); }},
      {"SchedulerGroup", [](CalendarPainter& p, TcxCanvas* c, const TRect& r) { p.DrawSchedulerGroup(c, r, clYellow); }},
      {"SchedulerGroupSeparator",
       [](CalendarPainter& p, TcxCanvas* c, const TRect& r) { p.DrawSchedulerGroupSeparator(c, r, clYellow, nullptr); }},
      {"SchedulerMilestone", [](CalendarPainter& p, TcxCanvas* c, const TRect& r) { p.DrawSchedulerMilestone(c, r); }},
      {"SchedulerNavigationButton",
       [](CalendarPainter& p, TcxCanvas* c, const TRect& r) {
         p.DrawSchedulerNavigationButton(c, r, true, BS::cxbsHot, u"Next", r, r);
       }},
      {"SchedulerNavigationButtonArrow",
       [](CalendarPainter& p, TcxCanvas* c, const TRect& r) { p.DrawSchedulerNavigationButtonArrow(c, r, false, clBlack); }},
      {"SchedulerNavigatorButton",
       [](CalendarPainter& p, TcxCanvas* c, const TRect& r) { p.DrawSchedulerNavigatorButton(c, r, BS::cxbsPressed); }},
      {"SchedulerSplitterBorder",
       [params](CalendarPainter& p, TcxCanvas* c, const TRect& r) { p.DrawSchedulerSplitterBorder(c, r, params, true); }},
      {"Clock", [t](CalendarPainter& p, TcxCanvas* c, const TRect& r) { p.DrawClock(c, r, t, clBtnFace); }},
      {"DateNavigatorCellSelection",
       [](CalendarPainter& p, TcxCanvas* c, const TRect& r) { p.DrawDateNavigatorCellSelection(c, r, clHighlight); }},
      {"DateNavigatorDateHeader",
       [](CalendarPainter& p, TcxCanvas* c, const TRect& r) {
         TRect copy = r;
         p.DrawDateNavigatorDateHeader(c, copy);
       }},
      {"DateNavigatorTodayCellSelection",
       [](CalendarPainter& p, TcxCanvas* c, const TRect& r) { p.DrawDateNavigatorTodayCellSelection(c, r); }},
      {"CalendarDateCellSelection",
       [](CalendarPainter& p, TcxCanvas* c, const TRect& r) { p.DrawCalendarDateCellSelection(c, r, {CES::cesMarked}); }},
      {"ModernCalendarArrow",
       [](CalendarPainter& p, TcxCanvas* c, const TRect& r) { p.DrawModernCalendarArrow(c, r, AD::adLeft, CES::cesHot); }},
      {"ModernCalendarClock",
       [t](CalendarPainter& p, TcxCanvas* c, const TRect& r) { p.DrawModernCalendarClock(c, r, t, clNone); }},
      {"ModernCalendarClockColoured",
       [t](CalendarPainter& p, TcxCanvas* c, const TRect& r) { p.DrawModernCalendarClock(c, r, t, clWhite); }},
      {"ModernCalendarDateCellSelection",
       [](CalendarPainter& p, TcxCanvas* c, const TRect& r) {
         p.DrawModernCalendarDateCellSelection(c, r, {CES::cesSelected, CES::cesHot, CES::cesMarked, CES::cesFocused});
       }},
      {"ModernCalendarDateHeaderSelection",
       [](CalendarPainter& p, TcxCanvas* c, const TRect& r) { p.DrawModernCalendarDateHeaderSelection(c, r, {CES::cesHot}); }},
      {"ModernCalendarHeaderSelection",
       [](CalendarPainter& p, TcxCanvas* c, const TRect& r) { p.DrawModernCalendarHeaderSelection(c, r, {CES::cesHot}); }},
      {"ModernClockHands", [t](CalendarPainter& p, TcxCanvas* c, const TRect& r) { p.DrawModernClockHands(c, r, t, clBlack); }},
  };
}

TEST(PainterCalendar, EveryOperationStaysInsideTheClipWhateverTheRectangle) {
  struct Shape {
    const char* name;
    TRect r;
  };
  const Shape shapes[] = {
      {"empty", TRect{20, 20, 20, 20}},
      {"inverted", TRect{30, 30, 10, 10}},
      {"huge", TRect{-200000, -200000, 200000, 200000}},  // far beyond any surface or bitmap
      {"across the clip", TRect{5, 5, 35, 35}},
  };
  const TRect clip{10, 10, 30, 30};
  for (const Operation& op : operations()) {
    for (const Shape& shape : shapes) {
      SCOPED_TRACE(::testing::Message() << op.name << " on " << shape.name);
      CalendarPaper paper(40, 40, kMarker);
      CalendarPainter painter;
      paper.c()->SaveClipRegion();
      paper.c()->IntersectClipRect(clip);
      EXPECT_NO_THROW(op.draw(painter, paper.c(), shape.r));
      paper.c()->RestoreClipRegion();
      int outside = 0;
      for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 40; ++x) {
          const bool inClip = x >= clip.left && x < clip.right && y >= clip.top && y < clip.bottom;
          if (!inClip && paper.At(x, y) != kMarker) ++outside;
        }
      EXPECT_EQ(outside, 0);
    }
  }
}

TEST(PainterCalendar, EmptyAndInvertedRectanglesDrawNothing) {
  const TRect rects[] = {TRect{20, 20, 20, 20}, TRect{30, 30, 10, 10}, TRect{10, 20, 30, 20}};
  for (const Operation& op : operations()) {
    for (const TRect& r : rects) {
      SCOPED_TRACE(::testing::Message() << op.name << " on " << r.left << "," << r.top << "," << r.right << ","
                                        << r.bottom);
      CalendarPaper paper(40, 40, kMarker);
      CalendarPainter painter;
      op.draw(painter, paper.c(), r);
      int changed = 0;
      for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 40; ++x) changed += paper.At(x, y) != kMarker;
      EXPECT_EQ(changed, 0);
    }
  }
}

}  // namespace
