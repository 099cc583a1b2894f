// The Office11 painter: where it sits in the registry and which look-and-feel
// picks it; the palette colours and the measures it answers; the header
// gradient, hot bar and blended edge pixels, the expand bitmaps, and the
// reference set of elements (buttons, check boxes, headers, scroll-bar
// parts, tabs) as one golden picture.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "lib/core/cxGraphics.h"
#include "lib/core/cxGraphicsColors.h"
#include "lib/core/dxOffice11.h"
#include "lib/lookandfeel/cxLookAndFeelPainters_classic.h"
#include "lib/lookandfeel/cxLookAndFeelPainters_office11.h"
#include "lib/lookandfeel/cxLookAndFeelPaintersManager.h"
#include "lib/lookandfeel/cxLookAndFeels.h"
#include "platform/gdi/gdi.h"
#include "platform/ui/bitmap.h"
#include "platform/ui/colors.h"
#include "platform/win/headless.h"
#include "tests/support/golden.h"

using namespace lookandfeel;
using core::TcxCanvas;
using ui::TColor;
using ui::TRect;
using ui::TSize;

namespace {

using BS = TcxButtonState;
using P = TcxOffice11LookAndFeelPainter;

// 0xRRGGBB of a colour value, system colours resolved.
std::uint32_t office11RgbOf(TColor AColor) {
  const std::uint32_t c = ui::ColorToRGB(AColor);
  return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
}

// The sum of the channel differences of two 0xRRGGBB values.
int distance(std::uint32_t A, std::uint32_t B) {
  int sum = 0;
  for (int shift : {0, 8, 16}) sum += std::abs(int((A >> shift) & 0xFF) - int((B >> shift) & 0xFF));
  return sum;
}

// A 32-bit bitmap with the library canvas over it, filled with one colour.
class Office11Paper {
 public:
  Office11Paper(int AWidth, int AHeight, TColor AFill = ui::clWhite) : width_(AWidth), height_(AHeight) {
    bmp_.SetPixelFormat(ui::pf32bit);
    bmp_.SetSize(AWidth, AHeight);
    canvas_ = std::make_unique<TcxCanvas>(bmp_.Canvas());
    canvas_->FillRect(TRect{0, 0, AWidth, AHeight}, AFill);
  }
  TcxCanvas* c() { return canvas_.get(); }
  std::uint32_t At(int x, int y) { return static_cast<std::uint32_t*>(bmp_.ScanLine(y))[x] & 0xFFFFFF; }
  ::testing::AssertionResult Golden(const std::string& AName) {
    return testing_support::MatchesGolden(bmp_.Canvas()->Handle(), gdi::RECT{0, 0, width_, height_}, "lookandfeel",
                                          AName);
  }

 private:
  int width_, height_;
  ui::TBitmap bmp_;
  std::unique_ptr<TcxCanvas> canvas_;
};

class Office11Painter : public ::testing::Test {
 protected:
  Office11Painter() {
    cxLookAndFeelPaintersUnitStart();
    cxLookAndFeelsUnitStart();
    painter_ = dynamic_cast<P*>(cxLookAndFeelPaintersManager()->GetPainter(TcxLookAndFeelStyle::lfsOffice11));
  }
  ~Office11Painter() override {
    cxLookAndFeelsUnitStop();
    cxLookAndFeelPaintersUnitStop();
    gdi::ResetSysColors();
  }
  win::headless::HeadlessScope screen_;
  P* painter_ = nullptr;
};

// --- registration ------------------------------------------------------------------------------
TEST_F(Office11Painter, IsTheRegisteredPainterOfItsNameStyleAndKind) {
  ASSERT_NE(painter_, nullptr) << "the Office11 style is served by another class";
  TcxLookAndFeelPaintersManager* manager = cxLookAndFeelPaintersManager();
  EXPECT_EQ(manager->GetPainter(u"office11"), painter_);
  EXPECT_EQ(manager->Items(2), painter_);  // sorted by name: Flat, Native, Office11, ...
  EXPECT_EQ(manager->Count(), 5);
  EXPECT_TRUE(painter_->LookAndFeelName() == u"Office11");
  EXPECT_EQ(painter_->LookAndFeelStyle(), TcxLookAndFeelStyle::lfsOffice11);
  // The gradients depend on the height: a resized element must repaint whole.
  EXPECT_TRUE(painter_->NeedRedrawOnResize());

  TcxLookAndFeel lookAndFeel(nullptr);
  lookAndFeel.SetNativeStyle(false);
  lookAndFeel.SetKind(TcxLookAndFeelKind::lfOffice11);
  EXPECT_EQ(lookAndFeel.Painter(), painter_);
}

// --- colours -----------------------------------------------------------------------------------
struct Office11ColourCase {
  const char* name;
  std::function<TColor(P&)> get;
  std::function<TColor()> expected;  // read after the palette is made
};

TEST_F(Office11Painter, ColoursComeFromThePalette) {
  ASSERT_NE(painter_, nullptr);
  using namespace core;
  const TColor headerTop = dxGetMiddleRGB(dxOffice11ToolbarsColor1, dxOffice11ToolbarsColor2, 50);
  const Office11ColourCase cases[] = {
      {"HeaderTop", [](P& p) { return p.HeaderTopColor(); }, [&] { return headerTop; }},
      {"HeaderBottom", [](P& p) { return p.HeaderBottomColor(); }, [] { return dxOffice11ToolbarsColor2; }},
      {"HeaderDarkEdge", [](P& p) { return p.HeaderDarkEdgeColor(); }, [] { return dxOffice11BarSeparatorColor1; }},
      {"HeaderLightEdge", [](P& p) { return p.HeaderHighlightEdgeColor(); },
       [] { return dxOffice11BarSeparatorColor2; }},
      {"Header", [](P& p) { return p.DefaultHeaderColor(); }, [&] { return headerTop; }},
      {"Control", [](P& p) { return p.DefaultControlColor(); }, [] { return dxOffice11DockColor2; }},
      {"ControlText", [](P& p) { return p.DefaultControlTextColor(); }, [] { return dxOffice11TextEnabledColor; }},
      {"FilterBox", [](P& p) { return p.DefaultFilterBoxColor(); }, [] { return dxOffice11BarFloatingBorderColor1; }},
      {"FilterBoxText", [](P& p) { return p.DefaultFilterBoxTextColor(); },
       [] { return dxOffice11BarFloatingCaptionTextColor1; }},
      {"Footer", [](P& p) { return p.DefaultFooterColor(); }, [] { return dxOffice11DockColor1; }},
      {"FooterText", [](P& p) { return p.DefaultFooterTextColor(); }, [] { return TcxCustomLookAndFeelPainter().DefaultHeaderTextColor(); }},
      {"GroupByBox", [](P& p) { return p.DefaultGroupByBoxColor(); }, [] { return dxOffice11InPlaceSubItemColor; }},
      {"HeaderBackground", [](P& p) { return p.DefaultHeaderBackgroundColor(); },
       [] { return dxOffice11InPlaceSubItemColor; }},
      {"GroupByBoxText", [](P& p) { return p.DefaultGroupByBoxTextColor(); }, [] { return dxOffice11ToolbarsColor1; }},
      {"Group", [](P& p) { return p.DefaultGroupColor(); }, [] { return dxOffice11GroupColor; }},
      {"DateNavigatorHeader", [](P& p) { return p.DefaultDateNavigatorHeaderColor(); },
       [] { return dxOffice11DockColor1; }},
      {"DateNavigatorSelection", [](P& p) { return p.DefaultDateNavigatorSelectionColor(); },
       [] { return dxOffice11DayNavigatorSelectedColor; }},
      {"DateNavigatorSelectionText", [](P& p) { return p.DefaultDateNavigatorSelectionTextColor(); },
       [] { return ui::clWindowText; }},
      {"DateNavigatorHighlightText", [](P& p) { return p.DefaultDateNavigatorHeaderHighlightTextColor(); },
       [] { return ui::clHighlightText; }},
      {"SchedulerBorder", [](P& p) { return p.DefaultSchedulerBorderColor(); },
       [] { return dxOffice11OutlookBorderColor; }},
      {"SchedulerControl", [](P& p) { return p.DefaultSchedulerControlColor(); },
       [] { return dxOffice11OutlookControlColor; }},
      {"TimeGridSelectionBar", [](P& p) { return p.DefaultTimeGridSelectionBarColor(); },
       [] { return dxOffice11OutlookControlColor; }},
      {"Tab", [](P& p) { return p.DefaultTabColor(); }, [] { return dxOffice11DockColor2; }},
      {"TabsBackground", [](P& p) { return p.DefaultTabsBackgroundColor(); }, [] { return dxOffice11DockColor2; }},
      {"TimeGridMinorScale", [](P& p) { return p.DefaultTimeGridMinorScaleColor(); },
       [] { return dxOffice11DockColor1; }},
      {"FooterSeparator", [](P& p) { return p.FooterSeparatorColor(); }, [] { return dxOffice11BarSeparatorColor1; }},
      {"TabBorderHighlight", [](P& p) { return p.TabBorderHighlightColor(); },
       [] { return dxOffice11BarSeparatorColor1; }},
      {"TabBorderDark", [](P& p) { return p.TabBorderDarkColor(); }, [] { return ui::clBtnText; }},
      {"BorderHighlight", [](P& p) { return p.BorderHighlightColor(); }, [] { return dxOffice11SelectedBorderColor; }},
      {"FilterButtonBorderNormal", [](P& p) { return p.FilterDropDownButtonBorderColor(BS::cxbsNormal); },
       [] { return dxOffice11BarSeparatorColor1; }},
      {"FilterButtonBorderHot", [](P& p) { return p.FilterDropDownButtonBorderColor(BS::cxbsHot); },
       [] { return dxOffice11SelectedBorderColor; }},
      {"SplitterInner", [](P& p) { return p.GetSplitterInnerColor(true); },
       [] { return dxOffice11BarSeparatorColor2; }},
      {"SplitterOuter", [](P& p) { return p.GetSplitterOuterColor(false); },
       [] { return dxOffice11BarSeparatorColor1; }},
      {"SplitterOuterHighlighted", [](P& p) { return p.GetSplitterOuterColor(true); },
       [] { return dxOffice11SelectedBorderColor; }},
      {"BreadcrumbBackground", [](P& p) { return p.BreadcrumbEditBackgroundColor(TdxBreadcrumbEditState::dxbcsHot); },
       [&] { return headerTop; }},
      {"ButtonNormal", [](P& p) { return p.ButtonColor(BS::cxbsNormal); }, [] { return dxOffice11DockColor1; }},
      {"ButtonDefault", [](P& p) { return p.ButtonColor(BS::cxbsDefault); }, [] { return dxOffice11DockColor1; }},
      {"ButtonHot", [](P& p) { return p.ButtonColor(BS::cxbsHot); }, [] { return dxOffice11SelectedColor1; }},
      {"ButtonPressed", [](P& p) { return p.ButtonColor(BS::cxbsPressed); },
       [] { return dxOffice11SelectedDownColor1; }},
      {"ButtonDisabled", [](P& p) { return p.ButtonColor(BS::cxbsDisabled); }, [] { return ui::clBtnFace; }},
      {"SymbolNormal", [](P& p) { return p.ButtonSymbolColor(BS::cxbsNormal); },
       [] { return dxOffice11TextEnabledColor; }},
      {"SymbolDisabled", [](P& p) { return p.ButtonSymbolColor(BS::cxbsDisabled); },
       [] { return dxOffice11TextDisabledColor; }},
      // The system-derived palette of a machine without visual styles.
      {"SymbolPressedWithoutScheme", [](P& p) { return p.ButtonSymbolColor(BS::cxbsPressed); },
       [] { return IsXPStandardScheme() ? dxOffice11TextEnabledColor : ui::clHighlightText; }},
      {"RadioBodyNormal", [](P& p) { return p.RadioButtonBodyColor(BS::cxbsNormal); }, [] { return ui::clWindow; }},
      {"RadioBodyHot", [](P& p) { return p.RadioButtonBodyColor(BS::cxbsHot); },
       [] { return dxOffice11SelectedColor1; }},
      {"CheckHot", [](P& p) { return p.CheckButtonColor(BS::cxbsHot, TcxCheckBoxState::cbsChecked); },
       [] { return dxOffice11SelectedColor1; }},
      {"CheckPressed", [](P& p) { return p.CheckButtonColor(BS::cxbsPressed, TcxCheckBoxState::cbsUnchecked); },
       [] { return dxOffice11SelectedDownColor1; }},
      {"RichEditLine", [](P& p) { return p.RichEditControlHeaderFooterLineColor(); },
       [] { return dxOffice11DockColor1; }},
      {"RichEditMarkBack", [](P& p) { return p.RichEditControlHeaderFooterMarkBackColor(); },
       [] { return dxOffice11DockColor2; }},
      {"RichEditInactive", [](P& p) { return p.RichEditRulerInactiveAreaColor(); },
       [] { return dxOffice11DockColor1; }},
      {"RichEditToggleBorder", [](P& p) { return p.RichEditRulerTabTypeToggleBorderColor(); },
       [] { return dxOffice11DropDownBorderColor1; }},
  };
  for (const Office11ColourCase& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(office11RgbOf(c.get(*painter_)), office11RgbOf(c.expected()));
  }
  TColor bevel1 = ui::clNone, bevel2 = ui::clNone;
  painter_->GetBevelShapeColors(bevel1, bevel2);
  EXPECT_EQ(bevel1, dxOffice11BarSeparatorColor1);
  EXPECT_EQ(bevel2, dxOffice11BarSeparatorColor2);
}

// --- measures ----------------------------------------------------------------------------------
TEST_F(Office11Painter, Measures) {
  ASSERT_NE(painter_, nullptr);
  const struct {
    const char* name;
    int actual;
    int expected;
  } cases[] = {
      {"SeparatorSize", painter_->SeparatorSize(), 2},
      {"ExpandButtonSize", painter_->ExpandButtonSize(), 11},
      {"SmallExpandButtonSize", painter_->SmallExpandButtonSize(), 11},
      {"HeaderBorderSize", painter_->HeaderBorderSize(), 1},
      {"GridBordersOverlapSize", painter_->GridBordersOverlapSize(), 0},
      {"NavigatorBorderSize", painter_->NavigatorBorderSize(), 1},
      {"BevelMinimalWidth", painter_->GetBevelMinimalShapeSize(TdxBevelShape::dxbsBox).cx, 2},
      {"BevelMinimalHeight", painter_->GetBevelMinimalShapeSize(TdxBevelShape::dxbsLineTop).cy, 2},
      {"IsHeaderHotTrack", painter_->IsHeaderHotTrack(), 1},
      {"DrawExpandButtonFirst", painter_->DrawExpandButtonFirst(), 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.actual, c.expected);
  }
  // Every side has a border, whatever the neighbours.
  EXPECT_TRUE(painter_->HeaderBorders(TcxNeighbors{TcxNeighbor::nLeft, TcxNeighbor::nRight}) == core::cxBordersAll);
  EXPECT_TRUE(painter_->HeaderBorders(TcxNeighbors{}) == core::cxBordersAll);
}

// --- header and footer content -------------------------------------------------------------------
TEST_F(Office11Painter, ContentIsFlatAboveAFourRowGradientAndAFooterIsFlat) {
  ASSERT_NE(painter_, nullptr);
  const std::uint32_t top = office11RgbOf(painter_->HeaderTopColor());
  const std::uint32_t bottom = office11RgbOf(painter_->HeaderBottomColor());
  ASSERT_NE(top, bottom) << "the palette gives no gradient to see";
  const TRect bounds{2, 2, 22, 22};
  struct Case {
    const char* name;
    bool footer;
  };
  for (const Case& c : {Case{"header", false}, Case{"footer", true}}) {
    SCOPED_TRACE(c.name);
    Office11Paper paper(24, 24);
    painter_->DrawContent(paper.c(), bounds, bounds, int(BS::cxbsNormal), ui::taLeftJustify, core::vaTop, false, false,
                          String(), nullptr, ui::clBlack, ui::clRed, nullptr, c.footer);
    EXPECT_EQ(paper.At(5, bounds.top), top);
    EXPECT_EQ(paper.At(5, bounds.bottom - 5), top);     // the last flat row
    // The foot row: the bottom colour's side of the gradient for a header,
    // still the top colour for a footer.
    if (c.footer) {
      EXPECT_EQ(paper.At(5, bounds.bottom - 1), top);
    } else {
      EXPECT_LT(distance(paper.At(5, bounds.bottom - 1), bottom), distance(paper.At(5, bounds.bottom - 1), top));
    }
    EXPECT_EQ(paper.At(5, bounds.bottom), 0xFFFFFFu);   // nothing below
    EXPECT_EQ(paper.At(bounds.left - 1, 5), 0xFFFFFFu);
  }
}

TEST_F(Office11Painter, AHotHeaderIsFlatWithATintedBarBelowIt) {
  ASSERT_NE(painter_, nullptr);
  Office11Paper paper(24, 24);
  const TRect bounds{2, 2, 22, 18};
  painter_->DrawContent(paper.c(), bounds, bounds, int(BS::cxbsHot), ui::taLeftJustify, core::vaTop, false, false,
                        String(), nullptr, ui::clBlack, ui::clRed);
  EXPECT_EQ(paper.At(5, bounds.top), office11RgbOf(core::dxOffice11ToolbarsColor1));
  EXPECT_EQ(paper.At(5, bounds.bottom - 3), office11RgbOf(core::dxOffice11ToolbarsColor1));
  // The bar: three rows from Bottom - 2 to Bottom, starting one pixel left.
  EXPECT_EQ(paper.At(bounds.left - 1, bounds.bottom - 2), office11RgbOf(core::dxOffice11SelectedColor1));
  EXPECT_EQ(paper.At(5, bounds.bottom), office11RgbOf(core::dxOffice11SelectedColor2));
  EXPECT_EQ(paper.At(bounds.left - 2, bounds.bottom - 2), 0xFFFFFFu);
  EXPECT_EQ(paper.At(bounds.right, bounds.bottom - 2), 0xFFFFFFu);
  EXPECT_EQ(paper.At(5, bounds.bottom + 1), 0xFFFFFFu);
}

TEST_F(Office11Painter, HeaderEdgesBlendTheirCornerPixels) {
  ASSERT_NE(painter_, nullptr);
  const TColor T = painter_->HeaderTopColor(), B = painter_->HeaderBottomColor();
  const TColor D = painter_->HeaderDarkEdgeColor(), H = painter_->HeaderHighlightEdgeColor();
  const TRect r{0, 0, 12, 12};
  struct Pixel {
    int x, y;
    TColor color;
  };
  struct Case {
    const char* name;
    TcxNeighbors neighbours;
    std::vector<Pixel> pixels;
  };
  const Case cases[] = {
      {"alone",
       {},
       {{0, 0, T}, {0, 1, H}, {0, 5, H}, {0, 10, B}, {11, 0, core::dxGetMiddleRGB(T, D, 50)}, {11, 5, D},
        {11, 10, core::dxGetMiddleRGB(B, D, 50)}, {5, 11, D}, {5, 0, T}}},
      {"between",
       {TcxNeighbor::nLeft, TcxNeighbor::nRight},
       {{0, 1, T}, {0, 2, H}, {0, 9, core::dxGetMiddleRGB(T, B, 25)}, {0, 10, B}, {11, 1, T}, {11, 2, D}, {11, 8, D},
        {11, 9, core::dxGetMiddleRGB(T, B, 25)}, {11, 10, B}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Office11Paper paper(12, 12);
    painter_->DrawHeaderBorder(paper.c(), r, c.neighbours, core::cxBordersAll);
    for (const Pixel& p : c.pixels)
      EXPECT_EQ(paper.At(p.x, p.y), office11RgbOf(p.color)) << "at " << p.x << "," << p.y;
  }
}

// --- frames and fills --------------------------------------------------------------------------------
TEST_F(Office11Painter, FramesAndFillsTakeTheirPaletteColours) {
  ASSERT_NE(painter_, nullptr);
  using namespace core;
  using Draw = std::function<void(P&, TcxCanvas*, const TRect&)>;
  struct Pixel {
    int x, y;
    TColor color;
  };
  struct Case {
    const char* name;
    Draw draw;
    std::vector<Pixel> pixels;
  };
  const TColor white = ui::clWhite;
  const Case cases[] = {
      {"Border", [](P& p, TcxCanvas* c, const TRect& r) { p.DrawBorder(c, r); },
       {{0, 0, dxOffice11ControlBorderColor}, {19, 9, dxOffice11ControlBorderColor}, {5, 5, white}}},
      {"SeparatorDarkThenLight", [](P& p, TcxCanvas* c, const TRect& r) { p.DoDrawSeparator(c, r, false); },
       {{0, 0, dxOffice11BarSeparatorColor1}, {19, 9, dxOffice11BarSeparatorColor2}, {19, 0, white},
        {0, 9, white}}},
      {"FilterButtonNormal",
       [](P& p, TcxCanvas* c, const TRect& r) { p.DrawFilterDropDownButton(c, r, BS::cxbsNormal, false); },
       {{0, 0, dxOffice11BarSeparatorColor1}, {1, 1, dxOffice11DockColor1}}},
      {"FilterButtonHot",
       [](P& p, TcxCanvas* c, const TRect& r) { p.DrawFilterDropDownButton(c, r, BS::cxbsHot, true); },
       {{0, 0, dxOffice11SelectedBorderColor}, {1, 1, dxOffice11SelectedColor1}}},
      {"ListBoxWithBorders",
       [](P& p, TcxCanvas* c, const TRect& r) { p.DrawDropDownListBoxBackground(c, r, true); },
       {{0, 0, dxOffice11DropDownBorderColor1}, {1, 1, dxOffice11DropDownBorderColor2}, {2, 2, dxOffice11MenuColor}}},
      {"ListBoxWithoutBorders",
       [](P& p, TcxCanvas* c, const TRect& r) { p.DrawDropDownListBoxBackground(c, r, false); },
       {{0, 0, dxOffice11MenuColor}}},
      {"ListBoxSeparator",
       [](P& p, TcxCanvas* c, const TRect& r) { p.DrawDropDownListBoxSeparator(c, r, TRect{0, 0, 4, 10}); },
       // Centred in ten rows, rounding up: row 4.
       {{12, 4, dxOffice11BarSeparatorColor1}, {19, 4, dxOffice11BarSeparatorColor1}, {11, 4, white},
        {12, 3, white}, {12, 5, white}}},
      {"AlertWindow", [](P& p, TcxCanvas* c, const TRect& r) { p.DrawAlertWindowBackground(c, r); },
       {{0, 0, dxOffice11ControlBorderColor}, {5, 1, dxOffice11DockColor2}, {5, 9, dxOffice11ControlBorderColor}}},
      {"LayoutControl", [](P& p, TcxCanvas* c, const TRect& r) { p.DrawLayoutControlBackground(c, r); },
       {{5, 0, dxOffice11ToolbarsColor1}}},
      {"PanelOneColour",
       [](P& p, TcxCanvas* c, const TRect& r) { p.DrawPanelBackground(c, nullptr, r, ui::clRed, ui::clDefault); },
       {{0, 0, ui::clRed}, {19, 9, ui::clRed}}},
      {"PanelGradient",
       [](P& p, TcxCanvas* c, const TRect& r) { p.DrawPanelBackground(c, nullptr, r, ui::clRed, ui::clBlue); },
       {{0, 0, ui::clRed}, {19, 0, ui::clRed}}},
      {"PreviousNavigationButton",
       [](P& p, TcxCanvas* c, const TRect& r) {
         p.DrawSchedulerNavigationButtonContent(c, r, TRect{}, false, BS::cxbsNormal);
       },
       {{0, 5, dxOffice11DockColor1}, {19, 5, dxOffice11OutlookBorderColor}, {5, 0, dxOffice11OutlookBorderColor}}},
      {"NextNavigationButtonHot",
       [](P& p, TcxCanvas* c, const TRect& r) { p.DrawSchedulerNavigationButtonContent(c, r, TRect{}, true, BS::cxbsHot); },
       {{0, 5, dxOffice11OutlookBorderColor}, {19, 5, dxOffice11SelectedColor1}, {5, 9, dxOffice11OutlookBorderColor}}},
      {"BreadcrumbButtonOnItsBorders",
       [](P& p, TcxCanvas* c, const TRect& r) {
         p.DrawBreadcrumbEditCustomButton(c, r, TdxBreadcrumbEditButtonState::dxbcbsNormal,
                                          core::TcxBorders{core::TcxBorder::bRight});
       },
       {{19, 5, dxOffice11DropDownBorderColor1}, {0, 0, painter_->HeaderTopColor()}}},
      {"SchedulerBorder", [](P& p, TcxCanvas* c, const TRect& r) { p.DrawSchedulerBorder(c, r); },
       {{0, 0, dxOffice11OutlookBorderColor}, {1, 1, white}}},
      {"TrackBarBounds", [](P& p, TcxCanvas* c, const TRect& r) { p.DrawTrackBarTrackBounds(c, r); },
       {{0, 0, ui::clBtnText}, {1, 1, white}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Office11Paper paper(20, 10);
    c.draw(*painter_, paper.c(), TRect{0, 0, 20, 10});
    for (const Pixel& p : c.pixels)
      EXPECT_EQ(paper.At(p.x, p.y), office11RgbOf(p.color)) << "at " << p.x << "," << p.y;
  }
}

// Gradients run from the first colour on the top row toward the second on
// the bottom row.
TEST_F(Office11Painter, GradientsRunDownward) {
  ASSERT_NE(painter_, nullptr);
  Office11Paper paper(20, 10);
  painter_->DrawPanelBackground(paper.c(), nullptr, TRect{0, 0, 20, 10}, ui::clRed, ui::clBlue);
  const std::uint32_t bottom = paper.At(5, 9);
  EXPECT_GT(bottom & 0xFF, bottom >> 16) << "the bottom row is still mostly red";
  Office11Paper alert(20, 10);
  painter_->DrawAlertWindowBackground(alert.c(), TRect{0, 0, 20, 10});
  const std::uint32_t dock1 = office11RgbOf(core::dxOffice11DockColor1), dock2 = office11RgbOf(core::dxOffice11DockColor2);
  if (dock1 != dock2) {
    EXPECT_LT(distance(alert.At(5, 8), dock1), distance(alert.At(5, 8), dock2));
  }
}

TEST_F(Office11Painter, AnActiveFilterShowsABlueArrow) {
  ASSERT_NE(painter_, nullptr);
  auto blues = [&](bool AActive) {
    Office11Paper paper(15, 15);
    painter_->DrawFilterDropDownButton(paper.c(), TRect{0, 0, 15, 15}, BS::cxbsNormal, AActive);
    int n = 0;
    for (int y = 0; y < 15; ++y)
      for (int x = 0; x < 15; ++x) n += paper.At(x, y) == office11RgbOf(ui::clBlue);
    return n;
  };
  EXPECT_GT(blues(true), 0);
  EXPECT_EQ(blues(false), 0);
}

// --- expand buttons ------------------------------------------------------------------------------
TEST_F(Office11Painter, ExpandButtonIsTheBitmapAtItsSizeWithBlendedCorners) {
  ASSERT_NE(painter_, nullptr);
  for (bool expanded : {false, true}) {
    SCOPED_TRACE(expanded ? "minus" : "plus");
    ui::TBitmap* bitmap = expanded ? core::dxOffice11ExpandButtonBitmap1 : core::dxOffice11ExpandButtonBitmap2;
    ASSERT_NE(bitmap, nullptr);
    const int right = 5 + bitmap->Width() - 1, bottom = 5 + bitmap->Height() - 1;
    Office11Paper paper(40, 40, ui::clBlack);
    // A rectangle larger than the bitmap: the picture keeps the bitmap's size.
    painter_->DrawExpandButton(paper.c(), TRect{5, 5, 35, 35}, expanded, ui::clRed);
    EXPECT_EQ(paper.At(5, 5), office11RgbOf(core::dxGetMiddleRGB(core::dxOffice11ExpandButtonColor1, ui::clBlack, 25)));
    const std::uint32_t corner = office11RgbOf(core::dxGetMiddleRGB(core::dxOffice11ExpandButtonColor2, ui::clBlack, 25));
    EXPECT_EQ(paper.At(right, bottom), corner);
    EXPECT_EQ(paper.At(5, bottom), corner);
    EXPECT_EQ(paper.At(right, 5), corner);
    EXPECT_EQ(paper.At(right + 1, 10), 0u);
    EXPECT_EQ(paper.At(10, bottom + 1), 0u);
    // Inside, the artwork is drawn over the black background.
    EXPECT_NE(paper.At(6, 6), 0u);
  }
}

// --- scroll bars go to the native painter ----------------------------------------------------------
TEST_F(Office11Painter, ScrollBarPartsAreTheNativePaintersWhenItIsRegistered) {
  ASSERT_NE(painter_, nullptr);
  TcxCustomLookAndFeelPainter* native = cxLookAndFeelPaintersManager()->GetPainter(TcxLookAndFeelStyle::lfsNative);
  ASSERT_NE(native, nullptr);
  for (TcxScrollBarPart part : {TcxScrollBarPart::sbpLineUp, TcxScrollBarPart::sbpThumbnail,
                                TcxScrollBarPart::sbpPageDown}) {
    Office11Paper mine(17, 30), theirs(17, 30);
    painter_->DrawScrollBarPart(mine.c(), false, TRect{0, 0, 17, 30}, part, BS::cxbsPressed);
    native->DrawScrollBarPart(theirs.c(), false, TRect{0, 0, 17, 30}, part, BS::cxbsPressed);
    for (int y = 0; y < 30; ++y)
      for (int x = 0; x < 17; ++x) ASSERT_EQ(mine.At(x, y), theirs.At(x, y)) << int(part) << " at " << x << "," << y;
  }
  EXPECT_EQ(painter_->ScrollBarMinimalThumbSize(true), native->ScrollBarMinimalThumbSize(true));
}

// --- without a native painter ---------------------------------------------------------------------
// The painter on its own, with no registry: what an Office11 look draws
// when no native painter is registered.
class Office11PainterAlone : public ::testing::Test {
 protected:
  Office11PainterAlone() { CreateStdScrollBarBitmaps(); }
  ~Office11PainterAlone() override {
    DestroyStdScrollBarBitmaps();
    gdi::ResetSysColors();
  }
  win::headless::HeadlessScope screen_;
  P painter_;
};

TEST_F(Office11PainterAlone, ScrollBarPartsAreTheUltraFlatOnes) {
  ASSERT_EQ(cxLookAndFeelPaintersManager(), nullptr);
  TcxUltraFlatLookAndFeelPainter ultraFlat;
  for (TcxScrollBarPart part : {TcxScrollBarPart::sbpLineDown, TcxScrollBarPart::sbpThumbnail,
                                TcxScrollBarPart::sbpPageUp}) {
    Office11Paper mine(30, 17), theirs(30, 17);
    painter_.DrawScrollBarPart(mine.c(), true, TRect{0, 0, 30, 17}, part, BS::cxbsHot);
    ultraFlat.DrawScrollBarPart(theirs.c(), true, TRect{0, 0, 30, 17}, part, BS::cxbsHot);
    int inked = 0;
    for (int y = 0; y < 17; ++y)
      for (int x = 0; x < 30; ++x) {
        ASSERT_EQ(mine.At(x, y), theirs.At(x, y)) << int(part) << " at " << x << "," << y;
        inked += mine.At(x, y) != 0xFFFFFFu;
      }
    EXPECT_GT(inked, 0) << int(part);
  }
}

// The reference set. Rows: push buttons (default, normal, hot, pressed,
// disabled); check boxes (unchecked, checked, grayed in the normal, hot and
// disabled states); headers (normal, hot, pressed, with neighbours);
// horizontal scroll-bar parts (line, page, hot thumb, pressed page, pressed
// line); tabs (normal, hot, pressed) on their root line.
TEST_F(Office11PainterAlone, ReferenceSetGolden) {
  Office11Paper paper(200, 140);
  TcxCanvas* c = paper.c();
  P* p = &painter_;
  const BS buttonStates[] = {BS::cxbsDefault, BS::cxbsNormal, BS::cxbsHot, BS::cxbsPressed, BS::cxbsDisabled};
  for (int i = 0; i < 5; ++i) p->DrawButton(c, TRect{4 + i * 38, 4, 38 + i * 38, 24}, String(), buttonStates[i]);
  int x = 4;
  for (BS state : {BS::cxbsNormal, BS::cxbsHot, BS::cxbsDisabled})
    for (TcxCheckBoxState check :
         {TcxCheckBoxState::cbsUnchecked, TcxCheckBoxState::cbsChecked, TcxCheckBoxState::cbsGrayed}) {
      p->DrawCheckButton(c, TRect{x, 30, x + 13, 43}, state, check);
      x += 17;
    }
  const BS headerStates[] = {BS::cxbsNormal, BS::cxbsHot, BS::cxbsPressed};
  for (int i = 0; i < 3; ++i) {
    TcxNeighbors neighbours;
    if (i > 0) neighbours += TcxNeighbor::nLeft;
    if (i < 2) neighbours += TcxNeighbor::nRight;
    const TRect r{4 + i * 50, 50, 54 + i * 50, 70};
    p->DrawHeader(c, r, r, neighbours, p->HeaderBorders(neighbours), headerStates[i], ui::taLeftJustify,
                  core::vaCenter, false, false, String(), nullptr, ui::clBlack, ui::clWindow);
  }
  const struct {
    TcxScrollBarPart part;
    int left, right;
    BS state;
  } parts[] = {{TcxScrollBarPart::sbpLineUp, 4, 21, BS::cxbsNormal},
               {TcxScrollBarPart::sbpPageUp, 21, 41, BS::cxbsNormal},
               {TcxScrollBarPart::sbpThumbnail, 41, 81, BS::cxbsHot},
               {TcxScrollBarPart::sbpPageDown, 81, 121, BS::cxbsPressed},
               {TcxScrollBarPart::sbpLineDown, 121, 138, BS::cxbsPressed}};
  for (const auto& part : parts)
    p->DrawScrollBarPart(c, true, TRect{part.left, 80, part.right, 97}, part.part, part.state);
  using core::TcxBorder;
  const core::TcxBorders tabBorders{TcxBorder::bLeft, TcxBorder::bTop, TcxBorder::bRight};
  p->DrawTabsRoot(c, TRect{4, 126, 150, 130}, core::TcxBorders{TcxBorder::bTop}, false);
  const BS tabStates[] = {BS::cxbsNormal, BS::cxbsHot, BS::cxbsPressed};
  for (int i = 0; i < 3; ++i) {
    const TRect r{8 + i * 44, 108, 50 + i * 44, 127};
    c->FillRect(r, tabStates[i] == BS::cxbsNormal ? p->DefaultTabColor() : p->ButtonColor(tabStates[i]));
    p->DrawTabBorder(c, TRect{r.left, r.top, r.left + 1, r.bottom}, TcxBorder::bLeft, tabBorders, false);
    p->DrawTabBorder(c, TRect{r.left, r.top, r.right, r.top + 1}, TcxBorder::bTop, tabBorders, false);
    p->DrawTabBorder(c, TRect{r.right - 1, r.top, r.right, r.bottom}, TcxBorder::bRight, tabBorders, false);
  }
  EXPECT_TRUE(paper.Golden("office11_reference_set"));
}

}  // namespace
