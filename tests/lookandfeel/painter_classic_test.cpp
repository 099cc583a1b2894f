// The Standard, Flat and UltraFlat painters: where they sit in the registry
// and which look-and-feel picks each; the measures and colours each answers;
// the pixels of the elements whose geometry matters (button rings, header
// joints, month headers, scroll-bar parts, breadcrumb buttons, the toggle
// outline); and one reference set of elements per painter as a golden picture.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "lib/core/cxGraphics.h"
#include "lib/core/cxGraphicsColors.h"
#include "lib/lookandfeel/cxLookAndFeelPainters_classic.h"
#include "lib/lookandfeel/cxLookAndFeelPaintersManager.h"
#include "lib/lookandfeel/cxLookAndFeels.h"
#include "platform/gdi/gdi.h"
#include "platform/ui/bitmap.h"
#include "platform/ui/colors.h"
#include "platform/win/headless.h"
#include "tests/support/golden.h"

using namespace lookandfeel;
using core::TcxBorder;
using core::TcxBorders;
using core::TcxCanvas;
using ui::TColor;
using ui::TRect;
using ui::TSize;

namespace {

using BS = TcxButtonState;
using SBP = TcxScrollBarPart;
using Style = TcxLookAndFeelStyle;

// 0xRRGGBB of a colour value, system colours resolved.
std::uint32_t classicRgbOf(TColor AColor) {
  const std::uint32_t c = ui::ColorToRGB(AColor);
  return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
}
constexpr TColor rgb(int r, int g, int b) { return TColor(r | (g << 8) | (b << 16)); }

// A 32-bit bitmap with the library canvas over it, filled with one colour.
class ClassicPaper {
 public:
  ClassicPaper(int AWidth, int AHeight, TColor AFill = ui::clWhite) : width_(AWidth), height_(AHeight) {
    bmp_.SetPixelFormat(ui::pf32bit);
    bmp_.SetSize(AWidth, AHeight);
    canvas_ = std::make_unique<TcxCanvas>(bmp_.Canvas());
    canvas_->FillRect(TRect{0, 0, AWidth, AHeight}, AFill);
  }
  TcxCanvas* c() { return canvas_.get(); }
  std::uint32_t At(int x, int y) { return static_cast<std::uint32_t*>(bmp_.ScanLine(y))[x] & 0xFFFFFF; }
  // The whole picture, row by row, for comparing two drawings.
  std::vector<std::uint32_t> Pixels() {
    std::vector<std::uint32_t> all;
    for (int y = 0; y < height_; ++y)
      for (int x = 0; x < width_; ++x) all.push_back(At(x, y));
    return all;
  }
  ::testing::AssertionResult Golden(const std::string& AName) {
    return testing_support::MatchesGolden(bmp_.Canvas()->Handle(), gdi::RECT{0, 0, width_, height_}, "lookandfeel",
                                          AName);
  }

 private:
  int width_, height_;
  ui::TBitmap bmp_;
  std::unique_ptr<TcxCanvas> canvas_;
};

class ClassicPainters : public ::testing::Test {
 protected:
  ClassicPainters() {
    cxLookAndFeelPaintersUnitStart();
    cxLookAndFeelsUnitStart();
  }
  ~ClassicPainters() override {
    cxLookAndFeelsUnitStop();
    cxLookAndFeelPaintersUnitStop();
    gdi::ResetSysColors();
  }
  static TcxCustomLookAndFeelPainter* Get(Style AStyle) {
    return cxLookAndFeelPaintersManager()->GetPainter(AStyle);
  }
  static TcxStandardLookAndFeelPainter* Standard() {
    return dynamic_cast<TcxStandardLookAndFeelPainter*>(Get(Style::lfsStandard));
  }
  static TcxFlatLookAndFeelPainter* Flat() { return dynamic_cast<TcxFlatLookAndFeelPainter*>(Get(Style::lfsFlat)); }
  static TcxUltraFlatLookAndFeelPainter* UltraFlat() {
    return dynamic_cast<TcxUltraFlatLookAndFeelPainter*>(Get(Style::lfsUltraFlat));
  }
  win::headless::HeadlessScope screen_;
};

// --- registration ------------------------------------------------------------------------------
TEST_F(ClassicPainters, EachIsTheRegisteredPainterOfItsNameStyleAndKind) {
  const struct {
    const char16_t* name;
    const char16_t* otherCase;
    Style style;
    TcxLookAndFeelKind kind;
    int index;  // the registry is sorted by name
    std::function<bool(TcxCustomLookAndFeelPainter*)> isClass;
  } cases[] = {
      {u"Flat", u"FLAT", Style::lfsFlat, TcxLookAndFeelKind::lfFlat, 0,
       [](auto* p) { return dynamic_cast<TcxFlatLookAndFeelPainter*>(p) != nullptr; }},
      {u"Standard", u"standard", Style::lfsStandard, TcxLookAndFeelKind::lfStandard, 3,
       [](auto* p) { return dynamic_cast<TcxStandardLookAndFeelPainter*>(p) != nullptr; }},
      {u"UltraFlat", u"ultraflat", Style::lfsUltraFlat, TcxLookAndFeelKind::lfUltraFlat, 4,
       [](auto* p) { return dynamic_cast<TcxUltraFlatLookAndFeelPainter*>(p) != nullptr; }},
  };
  TcxLookAndFeelPaintersManager* manager = cxLookAndFeelPaintersManager();
  ASSERT_EQ(manager->Count(), 5);
  for (const auto& c : cases) {
    SCOPED_TRACE(int(c.style));
    TcxCustomLookAndFeelPainter* painter = manager->GetPainter(c.style);
    ASSERT_NE(painter, nullptr);
    EXPECT_TRUE(c.isClass(painter)) << "the style is served by another class";
    EXPECT_TRUE(painter->LookAndFeelName() == c.name);
    EXPECT_EQ(manager->GetPainter(c.otherCase), painter);
    EXPECT_EQ(manager->Items(c.index), painter);
    TcxLookAndFeel lookAndFeel(nullptr);
    lookAndFeel.SetNativeStyle(false);
    lookAndFeel.SetKind(c.kind);
    EXPECT_EQ(lookAndFeel.Painter(), painter);
  }
  // A second painter under a built-in name is refused and the first stays.
  TcxCustomLookAndFeelPainter* standard = manager->GetPainter(Style::lfsStandard);
  EXPECT_FALSE(manager->Register(std::make_unique<TcxStandardLookAndFeelPainter>()));
  EXPECT_EQ(manager->Count(), 5);
  EXPECT_EQ(manager->GetPainter(u"Standard"), standard);
}

// --- measures ----------------------------------------------------------------------------------
TEST_F(ClassicPainters, Measures) {
  using P = TcxCustomLookAndFeelPainter;
  struct Case {
    const char* what;
    std::function<int(P*)> get;
    int standard, flat, ultraFlat;
  };
  const Case cases[] = {
      {"BorderSize", [](P* p) { return p->BorderSize(); }, 2, 1, 1},
      {"ButtonBorderSize(default)", [](P* p) { return p->ButtonBorderSize(BS::cxbsDefault); }, 3, 2, 2},
      {"ButtonBorderSize(normal)", [](P* p) { return p->ButtonBorderSize(BS::cxbsNormal); }, 2, 1, 1},
      {"ButtonBorderSize(pressed)", [](P* p) { return p->ButtonBorderSize(BS::cxbsPressed); }, 2, 1, 1},
      {"ButtonTextOffset", [](P* p) { return p->ButtonTextOffset(); }, 1, 1, 2},
      {"ButtonTextShift", [](P* p) { return p->ButtonTextShift(); }, 1, 1, 0},
      {"IsButtonHotTrack", [](P* p) { return int(p->IsButtonHotTrack()); }, 0, 0, 1},
      {"ExpandButtonSize", [](P* p) { return p->ExpandButtonSize(); }, 12, 11, 11},
      {"HeaderBorderSize", [](P* p) { return p->HeaderBorderSize(); }, 1, 1, 1},
      {"SortingMarkSize.cx", [](P* p) { return p->SortingMarkSize().cx; }, 8, 8, 7},
      {"SortingMarkSize.cy", [](P* p) { return p->SortingMarkSize().cy; }, 7, 7, 8},
      {"SummarySortingMarkSize.cy", [](P* p) { return p->SummarySortingMarkSize().cy; }, 8, 8, 9},
      {"FooterCellOffset", [](P* p) { return p->FooterCellOffset(); }, 1, 1, 2},
      {"FooterBorderSize", [](P* p) { return p->FooterBorderSize(); }, 1, 1, 1},
      {"TabBorderSize", [](P* p) { return p->TabBorderSize(); }, 1, 1, 1},
      {"ButtonSymbolState(pressed)", [](P* p) { return int(p->ButtonSymbolState(BS::cxbsPressed)); },
       int(BS::cxbsPressed), int(BS::cxbsPressed), int(BS::cxbsNormal)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(c.get(Standard()), c.standard);
    EXPECT_EQ(c.get(Flat()), c.flat);
    EXPECT_EQ(c.get(UltraFlat()), c.ultraFlat);
  }
  // Measures of one painter only.
  EXPECT_EQ(Standard()->HeaderControlSectionBorderSize(BS::cxbsPressed), 1);
  EXPECT_EQ(Standard()->HeaderControlSectionBorderSize(BS::cxbsNormal), 2);
  EXPECT_EQ(Flat()->SeparatorSize(), 2);
  EXPECT_EQ(UltraFlat()->NavigatorBorderSize(), 1);
  EXPECT_TRUE(UltraFlat()->FooterBorders() == (TcxBorders{TcxBorder::bRight, TcxBorder::bBottom}));
  EXPECT_TRUE(UltraFlat()->HeaderBorders({TcxNeighbor::nLeft, TcxNeighbor::nTop}) ==
              (TcxBorders{TcxBorder::bRight, TcxBorder::bBottom}));
  // A tiny button's focus rectangle is the button itself; a large one is 3 pixels in.
  EXPECT_EQ(UltraFlat()->ButtonFocusRect(nullptr, TRect{0, 0, 6, 20}), (TRect{0, 0, 6, 20}));
  EXPECT_EQ(UltraFlat()->ButtonFocusRect(nullptr, TRect{0, 0, 20, 20}), (TRect{3, 3, 17, 17}));
  EXPECT_EQ(UltraFlat()->BreadcrumbEditButtonContentOffsets(true, false), (TRect{2, 3, 3, 3}));
  EXPECT_EQ(UltraFlat()->BreadcrumbEditButtonContentOffsets(false, true), (TRect{3, 3, 2, 3}));
}

// --- colours -----------------------------------------------------------------------------------
TEST_F(ClassicPainters, Colours) {
  struct Case {
    const char* what;
    std::function<TColor()> get;
    std::function<TColor()> expected;
  };
  const Case cases[] = {
      {"Standard toggle checked", [] { return Standard()->ToggleSwitchToggleColor(true); },
       [] { return rgb(33, 153, 33); }},
      {"Standard toggle unchecked", [] { return Standard()->ToggleSwitchToggleColor(false); },
       [] { return rgb(227, 227, 227); }},
      {"Flat toggle checked", [] { return Flat()->ToggleSwitchToggleColor(true); }, [] { return rgb(160, 160, 160); }},
      {"UltraFlat toggle checked", [] { return UltraFlat()->ToggleSwitchToggleColor(true); },
       [] { return rgb(51, 153, 255); }},
      {"UltraFlat toggle unchecked", [] { return UltraFlat()->ToggleSwitchToggleColor(false); },
       [] { return rgb(200, 200, 200); }},
      {"Standard scheduler view content", [] { return Standard()->DefaultSchedulerViewContentColor(); },
       [] { return ui::clWindow; }},
      {"UltraFlat scheduler border", [] { return UltraFlat()->DefaultSchedulerBorderColor(); },
       [] { return ui::clBtnShadow; }},
      {"UltraFlat hot button", [] { return UltraFlat()->ButtonColor(BS::cxbsHot); },
       [] { return core::GetLightSelColor(); }},
      {"UltraFlat pressed button", [] { return UltraFlat()->ButtonColor(BS::cxbsPressed); },
       [] { return core::GetLightDownedSelColor(); }},
      {"UltraFlat pressed symbol", [] { return UltraFlat()->ButtonSymbolColor(BS::cxbsPressed); },
       [] { return ui::clHighlightText; }},
      {"UltraFlat radio normal", [] { return UltraFlat()->RadioButtonBodyColor(BS::cxbsNormal); },
       [] { return ui::clWindow; }},
      {"UltraFlat radio hot", [] { return UltraFlat()->RadioButtonBodyColor(BS::cxbsHot); },
       [] { return core::GetLightSelColor(); }},
      {"UltraFlat radio disabled", [] { return UltraFlat()->RadioButtonBodyColor(BS::cxbsDisabled); },
       [] { return ui::clBtnFace; }},
      {"UltraFlat filter border normal", [] { return UltraFlat()->FilterDropDownButtonBorderColor(BS::cxbsNormal); },
       [] { return ui::clBtnShadow; }},
      {"UltraFlat filter border hot", [] { return UltraFlat()->FilterDropDownButtonBorderColor(BS::cxbsHot); },
       [] { return ui::clHighlight; }},
      {"UltraFlat tab highlight", [] { return UltraFlat()->TabBorderHighlightColor(); },
       [] { return ui::clBtnShadow; }},
      {"UltraFlat tab dark", [] { return UltraFlat()->TabBorderDarkColor(); },
       [] { return ui::clBtnText; }},
      {"UltraFlat border highlight", [] { return UltraFlat()->BorderHighlightColor(); },
       [] { return ui::clHighlight; }},
      {"UltraFlat list item text", [] { return UltraFlat()->DropDownListBoxItemTextColor(true); },
       [] { return ui::clMenuText; }},
      {"Flat splitter highlighted", [] { return Flat()->GetSplitterOuterColor(true); },
       [] { return ui::cl3DDkShadow; }},
      {"UltraFlat splitter highlighted", [] { return UltraFlat()->GetSplitterOuterColor(true); },
       [] { return ui::clHighlight; }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(c.get(), c.expected());
  }
}

// --- pixels ------------------------------------------------------------------------------------
// The outermost rings of a button, read along the middle row from the left.
TEST_F(ClassicPainters, ButtonRingsByState) {
  struct Case {
    const char* what;
    std::function<TcxCustomLookAndFeelPainter*()> painter;
    BS state;
    std::vector<TColor> leftRings;  // x = 0, 1, 2 ... on the middle row
    std::vector<TColor> rightRings;  // x = right - 1, right - 2 ...
  };
  const Case cases[] = {
      {"Standard default", [] { return Standard(); }, BS::cxbsDefault, {ui::clBlack, ui::clBtnHighlight, ui::cl3DLight},
       {ui::clBlack, ui::cl3DDkShadow, ui::clBtnShadow}},
      {"Standard normal", [] { return Standard(); }, BS::cxbsNormal, {ui::clBtnHighlight, ui::cl3DLight},
       {ui::cl3DDkShadow, ui::clBtnShadow}},
      {"Standard hot looks normal", [] { return Standard(); }, BS::cxbsHot, {ui::clBtnHighlight, ui::cl3DLight},
       {ui::cl3DDkShadow, ui::clBtnShadow}},
      {"Standard pressed", [] { return Standard(); }, BS::cxbsPressed, {ui::clBlack, ui::clBtnShadow},
       {ui::clBlack, ui::clBtnShadow}},
      {"Flat default", [] { return Flat(); }, BS::cxbsDefault, {ui::clBlack, ui::clBtnHighlight},
       {ui::clBlack, ui::clBtnShadow}},
      {"Flat pressed", [] { return Flat(); }, BS::cxbsPressed, {ui::clBtnShadow}, {ui::clBtnHighlight}},
      {"UltraFlat default", [] { return UltraFlat(); }, BS::cxbsDefault, {ui::clWindowFrame, ui::clWindowFrame},
       {ui::clWindowFrame, ui::clWindowFrame}},
      {"UltraFlat normal", [] { return UltraFlat(); }, BS::cxbsNormal, {ui::clBtnText, ui::clBtnFace},
       {ui::clBtnText}},
      {"UltraFlat hot", [] { return UltraFlat(); }, BS::cxbsHot, {ui::clHighlight, core::GetLightSelColor()},
       {ui::clHighlight}},
      {"UltraFlat pressed", [] { return UltraFlat(); }, BS::cxbsPressed,
       {ui::clHighlight, core::GetLightDownedSelColor()}, {ui::clHighlight}},
      {"UltraFlat disabled", [] { return UltraFlat(); }, BS::cxbsDisabled, {ui::clBtnShadow}, {ui::clBtnShadow}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ClassicPaper paper(30, 20, ui::clFuchsia);
    c.painter()->DrawButton(paper.c(), TRect{0, 0, 30, 20}, String(), c.state);
    for (std::size_t i = 0; i < c.leftRings.size(); ++i)
      EXPECT_EQ(paper.At(int(i), 10), classicRgbOf(c.leftRings[i])) << "left ring " << i;
    for (std::size_t i = 0; i < c.rightRings.size(); ++i)
      EXPECT_EQ(paper.At(29 - int(i), 10), classicRgbOf(c.rightRings[i])) << "right ring " << i;
  }
}

// Frames of the other bordered elements, read the same way: the rings on the
// left of the middle row from outside in, then those on the right.
TEST_F(ClassicPainters, FrameRings) {
  using Draw = std::function<void(TcxCanvas*, const TRect&)>;
  struct Case {
    const char* what;
    Draw draw;
    std::vector<TColor> leftRings;
    std::vector<TColor> rightRings;
  };
  const Case cases[] = {
      {"Standard border", [](TcxCanvas* c, const TRect& r) { Standard()->DrawBorder(c, r); },
       {ui::clBtnShadow, ui::cl3DDkShadow}, {ui::clBtnHighlight, ui::cl3DLight}},
      {"Flat border", [](TcxCanvas* c, const TRect& r) { Flat()->DrawBorder(c, r); }, {ui::clBtnShadow, ui::clFuchsia},
       {ui::clBtnHighlight, ui::clFuchsia}},
      {"UltraFlat border", [](TcxCanvas* c, const TRect& r) { UltraFlat()->DrawBorder(c, r); },
       {ui::clBtnShadow, ui::clFuchsia}, {ui::clBtnShadow, ui::clFuchsia}},
      {"Standard check border", [](TcxCanvas* c, const TRect& r) { Standard()->DrawCheckBorder(c, r, BS::cxbsNormal); },
       {ui::cl3DDkShadow, ui::clBtnShadow}, {ui::cl3DLight, ui::clBtnHighlight}},
      {"Flat check border", [](TcxCanvas* c, const TRect& r) { Flat()->DrawCheckBorder(c, r, BS::cxbsNormal); },
       {ui::clBtnShadow, Flat()->CheckButtonColor(BS::cxbsNormal, TcxCheckBoxState::cbsChecked)},
       {ui::clBtnHighlight, Flat()->CheckButtonColor(BS::cxbsNormal, TcxCheckBoxState::cbsChecked)}},
      {"UltraFlat check border", [](TcxCanvas* c, const TRect& r) { UltraFlat()->DrawCheckBorder(c, r, BS::cxbsHot); },
       {ui::clBtnText, UltraFlat()->CheckButtonColor(BS::cxbsHot, TcxCheckBoxState::cbsChecked)},
       {ui::clBtnText}},
      {"Standard footer", [](TcxCanvas* c, const TRect& r) { Standard()->DrawFooterBorder(c, r); },
       {ui::clBtnHighlight, ui::clFuchsia}, {ui::clBtnShadow}},
      {"Flat footer cell", [](TcxCanvas* c, const TRect& r) { Flat()->DrawFooterCellBorder(c, r); },
       {ui::clBtnShadow, ui::clFuchsia}, {ui::clBtnHighlight}},
      {"Standard pressed section", [](TcxCanvas* c, const TRect& r) {
         Standard()->DrawHeaderControlSectionBorder(c, r, core::cxBordersAll, BS::cxbsPressed);
       }, {ui::clBtnShadow, ui::clFuchsia}, {ui::clBtnShadow, ui::clFuchsia}},
      {"Standard section", [](TcxCanvas* c, const TRect& r) {
         Standard()->DrawHeaderControlSectionBorder(c, r, core::cxBordersAll, BS::cxbsNormal);
       }, {ui::clBtnHighlight, ui::cl3DLight}, {ui::cl3DDkShadow, ui::clBtnShadow}},
      {"Flat track", [](TcxCanvas* c, const TRect& r) { Flat()->DrawTrackBarTrackBounds(c, r); },
       {ui::clBtnShadow, ui::clBtnFace}, {ui::clBtnHighlight, ui::clBtnFace}},
      {"Standard thumb", [](TcxCanvas* c, const TRect& r) { Standard()->DrawTrackBarThumbBorderBoth(c, r); },
       {ui::clBtnHighlight, ui::cl3DLight}, {ui::cl3DDkShadow, ui::clBtnShadow}},
      {"UltraFlat hot filter button",
       [](TcxCanvas* c, const TRect& r) { UltraFlat()->DrawFilterDropDownButton(c, r, BS::cxbsHot, false); },
       {ui::clHighlight, core::GetLightSelColor()}, {ui::clHighlight}},
      {"Standard filter button",
       [](TcxCanvas* c, const TRect& r) { Standard()->DrawFilterDropDownButton(c, r, BS::cxbsNormal, false); },
       {ui::clBtnHighlight, ui::clBtnFace}, {ui::clBtnShadow, ui::clBtnFace}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ClassicPaper paper(30, 20, ui::clFuchsia);
    c.draw(paper.c(), TRect{0, 0, 30, 20});
    for (std::size_t i = 0; i < c.leftRings.size(); ++i)
      EXPECT_EQ(paper.At(int(i), 10), classicRgbOf(c.leftRings[i])) << "left ring " << i;
    for (std::size_t i = 0; i < c.rightRings.size(); ++i)
      EXPECT_EQ(paper.At(29 - int(i), 10), classicRgbOf(c.rightRings[i])) << "right ring " << i;
  }
}

// The hot state is drawn as the normal one by the painters without hot
// tracking, and a disabled thumb is left out so the page pattern shows.
TEST_F(ClassicPainters, ScrollBarPartsByState) {
  for (auto* painter : {static_cast<TcxCustomLookAndFeelPainter*>(Standard()),
                        static_cast<TcxCustomLookAndFeelPainter*>(Flat()),
                        static_cast<TcxCustomLookAndFeelPainter*>(UltraFlat())}) {
    SCOPED_TRACE(int(painter->LookAndFeelStyle()));
    const bool hotTracks = painter->IsButtonHotTrack();
    for (SBP part : {SBP::sbpLineUp, SBP::sbpLineDown, SBP::sbpThumbnail}) {
      ClassicPaper normal(17, 17), hot(17, 17);
      painter->DrawScrollBarPart(normal.c(), false, TRect{0, 0, 17, 17}, part, BS::cxbsNormal);
      painter->DrawScrollBarPart(hot.c(), false, TRect{0, 0, 17, 17}, part, BS::cxbsHot);
      EXPECT_EQ(normal.Pixels() != hot.Pixels(), hotTracks) << int(part);
    }
    ClassicPaper thumb(17, 17, ui::clFuchsia);
    painter->DrawScrollBarPart(thumb.c(), false, TRect{0, 0, 17, 17}, SBP::sbpThumbnail, BS::cxbsDisabled);
    EXPECT_EQ(thumb.Pixels(), ClassicPaper(17, 17, ui::clFuchsia).Pixels());
    // The page areas are the one-pixel checkerboards of the shared pattern.
    ClassicPaper page(8, 8), pressed(8, 8);
    painter->DrawScrollBarPart(page.c(), false, TRect{0, 0, 8, 8}, SBP::sbpPageUp, BS::cxbsNormal);
    painter->DrawScrollBarPart(pressed.c(), false, TRect{0, 0, 8, 8}, SBP::sbpPageDown, BS::cxbsPressed);
    EXPECT_EQ(page.At(0, 0), classicRgbOf(ui::clBtnFace));
    EXPECT_EQ(page.At(1, 0), classicRgbOf(ui::clBtnHighlight));
    EXPECT_EQ(pressed.At(3, 3), classicRgbOf(ui::clBlack));
    EXPECT_EQ(pressed.At(3, 4), classicRgbOf(ui::cl3DDkShadow));
  }
}

// Adjacent classic headers join without a corner; the UltraFlat header
// draws its left and top lines only when its borders ask for them.
TEST_F(ClassicPainters, HeaderBorders) {
  for (auto* painter : {static_cast<TcxCustomLookAndFeelPainter*>(Standard()),
                        static_cast<TcxCustomLookAndFeelPainter*>(Flat())}) {
    ClassicPaper paper(20, 12, ui::clFuchsia);
    painter->DrawHeaderBorder(paper.c(), TRect{0, 0, 20, 12}, {TcxNeighbor::nLeft, TcxNeighbor::nRight},
                              core::cxBordersAll);
    EXPECT_EQ(paper.At(0, 1), classicRgbOf(ui::clBtnFace));
    EXPECT_EQ(paper.At(0, 10), classicRgbOf(ui::clBtnFace));
    EXPECT_EQ(paper.At(0, 5), classicRgbOf(ui::clBtnHighlight));
    EXPECT_EQ(paper.At(19, 0), classicRgbOf(ui::clBtnHighlight));
    EXPECT_EQ(paper.At(19, 1), classicRgbOf(ui::clBtnFace));
    EXPECT_EQ(paper.At(19, 5), classicRgbOf(ui::clBtnShadow));
  }
  ClassicPaper paper(20, 12, ui::clFuchsia);
  UltraFlat()->DrawHeaderBorder(paper.c(), TRect{0, 0, 20, 12}, {}, TcxBorders{});
  EXPECT_EQ(paper.At(19, 5), classicRgbOf(ui::clBtnText));
  EXPECT_EQ(paper.At(5, 11), classicRgbOf(ui::clBtnText));
  EXPECT_EQ(paper.At(0, 5), classicRgbOf(ui::clFuchsia));
  EXPECT_EQ(paper.At(5, 0), classicRgbOf(ui::clFuchsia));
}

TEST_F(ClassicPainters, StandardMonthHeaderBetweenNeighboursIsFramedTopAndBottomOnly) {
  ClassicPaper paper(40, 16, ui::clFuchsia);
  core::TcxViewParams params;
  params.Color = ui::clWindow;
  params.TextColor = ui::clBlack;
  Standard()->DrawMonthHeader(paper.c(), TRect{0, 0, 40, 16}, String(), {TcxNeighbor::nLeft, TcxNeighbor::nRight},
                              params, {}, 0);
  EXPECT_EQ(paper.At(20, 0), 0u);
  EXPECT_EQ(paper.At(20, 15), 0u);
  EXPECT_NE(paper.At(0, 8), 0u);
  EXPECT_NE(paper.At(39, 8), 0u);
}

TEST_F(ClassicPainters, StandardGroupExpandButtonIsTheFlatPaintersOne) {
  for (bool expanded : {false, true}) {
    ClassicPaper standard(15, 15), flat(15, 15);
    Standard()->DrawGroupExpandButton(standard.c(), TRect{1, 1, 14, 14}, expanded, BS::cxbsNormal);
    Flat()->DrawGroupExpandButton(flat.c(), TRect{1, 1, 14, 14}, expanded, BS::cxbsNormal);
    EXPECT_EQ(standard.Pixels(), flat.Pixels());
  }
}

TEST_F(ClassicPainters, UltraFlatBreadcrumbButtonShowsOnlyWhenActive) {
  ClassicPaper normal(30, 12, ui::clFuchsia);
  UltraFlat()->DrawBreadcrumbEditButton(normal.c(), TRect{0, 0, 30, 12}, TdxBreadcrumbEditButtonState::dxbcbsNormal,
                                        false, false);
  EXPECT_EQ(normal.Pixels(), ClassicPaper(30, 12, ui::clFuchsia).Pixels());
  ClassicPaper hot(30, 12, ui::clFuchsia);
  UltraFlat()->DrawBreadcrumbEditButton(hot.c(), TRect{0, 0, 30, 12}, TdxBreadcrumbEditButtonState::dxbcbsHot, false,
                                        false);
  EXPECT_EQ(hot.At(0, 6), classicRgbOf(ui::clHighlight));
  EXPECT_EQ(hot.At(29, 6), classicRgbOf(ui::clHighlight));
  EXPECT_EQ(hot.At(15, 0), classicRgbOf(core::GetLightSelColor()));  // no top line
  EXPECT_EQ(hot.At(15, 6), classicRgbOf(core::GetLightSelColor()));
}

// The Flat toggle outline runs on Right and Bottom themselves, one pixel
// outside the rectangle it is given.
TEST_F(ClassicPainters, FlatToggleOutlineLiesOnRightAndBottom) {
  ClassicPaper paper(24, 14, ui::clFuchsia);
  Flat()->DrawToggleSwitchState(paper.c(), TRect{1, 1, 20, 10}, BS::cxbsNormal, false);
  EXPECT_EQ(paper.At(1, 5), 0xA0A0A0u);
  EXPECT_EQ(paper.At(10, 1), 0xA0A0A0u);
  EXPECT_EQ(paper.At(20, 5), 0xFFFFFFu);
  EXPECT_EQ(paper.At(10, 10), 0xFFFFFFu);
  EXPECT_EQ(paper.At(10, 5), 0xC8C8C8u);
}

// --- reference set ------------------------------------------------------------------------------
struct ReferenceCase {
  const char* golden;
  Style style;
};

class ClassicReferenceSet : public ClassicPainters, public ::testing::WithParamInterface<ReferenceCase> {};

TEST_P(ClassicReferenceSet, Golden) {
  TcxCustomLookAndFeelPainter* painter = Get(GetParam().style);
  ASSERT_NE(painter, nullptr);
  // A light tint, so that the white highlight lines show.
  ClassicPaper paper(200, 150, rgb(224, 232, 240));
  TcxCanvas* c = paper.c();
  const BS buttonStates[] = {BS::cxbsDefault, BS::cxbsNormal, BS::cxbsHot, BS::cxbsPressed, BS::cxbsDisabled};
  for (int i = 0; i < 5; ++i)
    painter->DrawButton(c, TRect{4 + i * 38, 4, 38 + i * 38, 24}, String(), buttonStates[i]);
  int x = 4;
  for (BS state : {BS::cxbsNormal, BS::cxbsHot, BS::cxbsDisabled})
    for (TcxCheckBoxState check :
         {TcxCheckBoxState::cbsUnchecked, TcxCheckBoxState::cbsChecked, TcxCheckBoxState::cbsGrayed}) {
      painter->DrawCheckButton(c, TRect{x, 30, x + 13, 43}, state, check);
      x += 17;
    }
  const BS headerStates[] = {BS::cxbsNormal, BS::cxbsHot, BS::cxbsPressed};
  for (int i = 0; i < 3; ++i) {
    TcxNeighbors neighbours;
    if (i > 0) neighbours += TcxNeighbor::nLeft;
    if (i < 2) neighbours += TcxNeighbor::nRight;
    const TRect r{4 + i * 50, 50, 54 + i * 50, 70};
    painter->DrawHeader(c, r, r, neighbours, painter->HeaderBorders(neighbours), headerStates[i], ui::taLeftJustify,
                        core::vaCenter, false, false, String(), nullptr, ui::clBlack, ui::clWindow);
  }
  const struct {
    SBP part;
    int left, right;
    BS state;
  } parts[] = {{SBP::sbpLineUp, 4, 21, BS::cxbsNormal},
               {SBP::sbpPageUp, 21, 41, BS::cxbsNormal},
               {SBP::sbpThumbnail, 41, 81, BS::cxbsHot},
               {SBP::sbpPageDown, 81, 121, BS::cxbsPressed},
               {SBP::sbpLineDown, 121, 138, BS::cxbsPressed}};
  for (const auto& p : parts) painter->DrawScrollBarPart(c, true, TRect{p.left, 80, p.right, 97}, p.part, p.state);
  // Tabs as a tab control lays them out: the root line under a row of
  // horizontal tabs, each tab's left, top and right lines, and one vertical
  // tab with its left, top and bottom lines.
  painter->DrawTabsRoot(c, TRect{4, 129, 140, 131}, TcxBorders{TcxBorder::bTop}, false);
  const TcxBorders horizontal{TcxBorder::bLeft, TcxBorder::bTop, TcxBorder::bRight};
  for (int i = 0; i < 3; ++i) {
    const TRect tab{6 + i * 44, 110 + (i == 1 ? 0 : 2), 48 + i * 44, 130};
    c->FillRect(tab, painter->DefaultTabColor());
    painter->DrawTabBorder(c, TRect{tab.left, tab.top, tab.left + 1, tab.bottom}, TcxBorder::bLeft, horizontal, false);
    painter->DrawTabBorder(c, TRect{tab.left, tab.top, tab.right, tab.top + 1}, TcxBorder::bTop, horizontal, false);
    painter->DrawTabBorder(c, TRect{tab.right - 1, tab.top, tab.right, tab.bottom}, TcxBorder::bRight, horizontal,
                           false);
  }
  const TRect vertical{150, 100, 180, 140};
  const TcxBorders verticalBorders{TcxBorder::bLeft, TcxBorder::bTop, TcxBorder::bBottom};
  c->FillRect(vertical, painter->DefaultTabColor());
  painter->DrawTabBorder(c, TRect{vertical.left, vertical.top, vertical.left + 1, vertical.bottom}, TcxBorder::bLeft,
                         verticalBorders, true);
  painter->DrawTabBorder(c, TRect{vertical.left, vertical.top, vertical.right, vertical.top + 1}, TcxBorder::bTop,
                         verticalBorders, true);
  painter->DrawTabBorder(c, TRect{vertical.left, vertical.bottom - 1, vertical.right, vertical.bottom},
                         TcxBorder::bBottom, verticalBorders, true);
  EXPECT_TRUE(paper.Golden(GetParam().golden));
}

INSTANTIATE_TEST_SUITE_P(Painters, ClassicReferenceSet,
                         ::testing::Values(ReferenceCase{"standard_reference_set", Style::lfsStandard},
                                           ReferenceCase{"flat_reference_set", Style::lfsFlat},
                                           ReferenceCase{"ultra_flat_reference_set", Style::lfsUltraFlat}),
                         [](const auto& info) { return std::string(info.param.golden); });

}  // namespace
