// The Native painter over our theme engine: its place in the registry; the
// engine's state numbers it uses; a table of elements drawn with themes on
// (themed, unlike the Standard painter's) and off (exactly the Standard
// painter's); the measures it reads from the engine; the header, scroll-bar
// and border rules; the Office11 painter's borrowed parts; and golden
// pictures of a sample of themed elements.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>

#include "lib/core/cxGraphics.h"
#include "lib/core/dxCore.h"
#include "lib/core/dxThemeEngine.h"
#include "lib/core/dxThemeManager.h"
#include "lib/core/dxUxTheme.h"
#include "lib/lookandfeel/cxLookAndFeelPainters_classic.h"
#include "lib/lookandfeel/cxLookAndFeelPainters_native.h"
#include "lib/lookandfeel/cxLookAndFeelPaintersManager.h"
#include "lib/lookandfeel/cxLookAndFeels.h"
#include "platform/gdi/gdi.h"
#include "platform/theme/theme.h"
#include "platform/ui/bitmap.h"
#include "platform/ui/colors.h"
#include "platform/ui/forms.h"
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
using Native = TcxWinXPLookAndFeelPainter;

constexpr std::uint32_t kNativePaper = 0x00FFFFFF;

// A 32-bit bitmap with the library canvas over it, filled white.
class NativePaper {
 public:
  NativePaper(int AWidth, int AHeight) : width_(AWidth), height_(AHeight) {
    bmp_.SetPixelFormat(ui::pf32bit);
    bmp_.SetSize(AWidth, AHeight);
    canvas_ = std::make_unique<TcxCanvas>(bmp_.Canvas());
    canvas_->FillRect(TRect{0, 0, AWidth, AHeight}, ui::clWhite);
  }
  TcxCanvas* c() { return canvas_.get(); }
  int Width() const { return width_; }
  int Height() const { return height_; }
  std::uint32_t At(int x, int y) { return static_cast<std::uint32_t*>(bmp_.ScanLine(y))[x] & 0xFFFFFF; }
  // The number of pixels that differ from the other paper's.
  int Differences(NativePaper& AOther) {
    int n = 0;
    for (int y = 0; y < height_; ++y)
      for (int x = 0; x < width_; ++x) n += At(x, y) != AOther.At(x, y);
    return n;
  }
  int Count(std::uint32_t AColour) {
    int n = 0;
    for (int y = 0; y < height_; ++y)
      for (int x = 0; x < width_; ++x) n += At(x, y) == AColour;
    return n;
  }
  int Inked() {
    int n = 0;
    for (int y = 0; y < height_; ++y)
      for (int x = 0; x < width_; ++x) n += At(x, y) != kNativePaper;
    return n;
  }
  // The bounding box of pixels darker than mid grey (text ink); empty when none.
  TRect Ink() {
    TRect r{width_, height_, 0, 0};
    for (int y = 0; y < height_; ++y)
      for (int x = 0; x < width_; ++x) {
        const std::uint32_t p = At(x, y);
        if (((p >> 16) & 0xFF) + ((p >> 8) & 0xFF) + (p & 0xFF) < 3 * 90) {
          r.left = std::min<int>(r.left, x);
          r.top = std::min<int>(r.top, y);
          r.right = std::max<int>(r.right, x + 1);
          r.bottom = std::max<int>(r.bottom, y + 1);
        }
      }
    return r;
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

// The painter registry with our theme engine installed, themes on.
class NativePainter : public ::testing::Test {
 protected:
  NativePainter() {
    ui::Application->SetOnException(nullptr);
    core::dxCoreInitialization();
    theme::SetThemesEnabled(true);
    cxLookAndFeelPaintersUnitStart();
    cxLookAndFeelsUnitStart();
    TcxLookAndFeelPaintersManager* manager = cxLookAndFeelPaintersManager();
    native_ = dynamic_cast<Native*>(manager->GetPainter(TcxLookAndFeelStyle::lfsNative));
    standard_ = manager->GetPainter(TcxLookAndFeelStyle::lfsStandard);
  }
  ~NativePainter() override {
    theme::SetThemesEnabled(true);
    cxLookAndFeelsUnitStop();
    cxLookAndFeelPaintersUnitStop();
    core::dxSetVisualStylesProvider(nullptr);
  }
  win::headless::HeadlessScope screen_;
  Native* native_ = nullptr;
  TcxCustomLookAndFeelPainter* standard_ = nullptr;
};

// --- registration ------------------------------------------------------------------------------
TEST_F(NativePainter, IsTheRegisteredPainterOfItsNameAndStyleAndServesNativeLooks) {
  ASSERT_NE(native_, nullptr) << "the Native style is served by a stand-in";
  EXPECT_TRUE(native_->LookAndFeelName() == u"Native");
  EXPECT_EQ(native_->LookAndFeelStyle(), TcxLookAndFeelStyle::lfsNative);
  EXPECT_EQ(cxLookAndFeelPaintersManager()->GetPainter(u"NATIVE"), native_);
  EXPECT_NE(dynamic_cast<TcxStandardLookAndFeelPainter*>(native_), nullptr);
  EXPECT_TRUE(native_->NeedRedrawOnResize());

  TcxLookAndFeel lookAndFeel(nullptr);
  lookAndFeel.SetNativeStyle(true);
  EXPECT_EQ(lookAndFeel.Painter(), native_);
  theme::SetThemesEnabled(false);
  EXPECT_FALSE(native_->NeedRedrawOnResize());
}

TEST_F(NativePainter, ButtonStatesMapToTheEnginesPushButtonStates) {
  const struct {
    BS state;
    int expected;
  } cases[] = {{BS::cxbsDefault, 5}, {BS::cxbsNormal, 1}, {BS::cxbsHot, 2}, {BS::cxbsPressed, 3},
               {BS::cxbsDisabled, 4}};
  for (const auto& c : cases) EXPECT_EQ(BtnStateToXPBtnState(c.state), c.expected) << int(c.state);
}

TEST_F(NativePainter, ThemeColoursAreReadOnlyWhileTheThemeIsThere) {
  TColor color = ui::clFuchsia;
  ASSERT_TRUE(cxGetThemeColor(core::TdxThemedObjectType::totButton, 1, 1, theme::TMT_FILLCOLOR, color));
  EXPECT_EQ(ui::ColorToRGB(color), gdi::RGB(240, 241, 243));
  EXPECT_EQ(ui::ColorToRGB(native_->ButtonColor(BS::cxbsHot)), gdi::RGB(229, 238, 251));
  EXPECT_EQ(ui::ColorToRGB(native_->DefaultSchedulerViewContentColor()), gdi::RGB(255, 255, 213));
  // A property the part lacks: false, the colour untouched.
  color = ui::clFuchsia;
  EXPECT_FALSE(cxGetThemeColor(core::TdxThemedObjectType::totButton, 1, 1, 9999, color));
  EXPECT_EQ(color, ui::clFuchsia);
  theme::SetThemesEnabled(false);
  EXPECT_FALSE(cxGetThemeColor(core::TdxThemedObjectType::totButton, 1, 1, theme::TMT_FILLCOLOR, color));
  EXPECT_EQ(color, ui::clFuchsia);
  EXPECT_EQ(native_->ButtonColor(BS::cxbsHot), standard_->ButtonColor(BS::cxbsHot));
}

// --- themes on and off: a table of elements ---------------------------------------------------------
struct ElementCase {
  const char* name;
  int width, height;
  std::function<void(TcxCustomLookAndFeelPainter*, TcxCanvas*, const TRect&)> draw;
  // False where the engine's look is the classic one (its edges are the
  // platform's 3D edges): only the themes-off half applies.
  bool themedDiffers = true;
};

// The font the grid hands to headers and tabs.
ui::TFont* gridFont() {
  static ui::TFont* font = [] {
    auto* f = new ui::TFont;
    f->SetName(u"Tahoma");
    f->SetHeight(-11);
    return f;
  }();
  return font;
}

const TcxBorders kTabBorders{TcxBorder::bLeft, TcxBorder::bTop, TcxBorder::bRight};

const ElementCase kElements[] = {
    {"Border", 40, 30, [](auto* p, auto* c, const TRect& r) { p->DrawBorder(c, r); }},
    {"ButtonNormal", 60, 22, [](auto* p, auto* c, const TRect& r) { p->DrawButton(c, r, u"OK", BS::cxbsNormal); }},
    // A caption of a pressed button does not shift here (the text shift is 0, themes or not).
    {"ButtonPressed", 60, 22, [](auto* p, auto* c, const TRect& r) { p->DrawButton(c, r, String(), BS::cxbsPressed); }},
    {"ButtonDisabled", 60, 22,
     [](auto* p, auto* c, const TRect& r) { p->DrawButton(c, r, String(), BS::cxbsDisabled); }},
    {"CheckChecked", 13, 13,
     [](auto* p, auto* c, const TRect& r) {
       p->DrawCheckButton(c, r, BS::cxbsNormal, TcxCheckBoxState::cbsChecked);
     }},
    {"CheckGrayedHot", 13, 13,
     [](auto* p, auto* c, const TRect& r) { p->DrawCheckButton(c, r, BS::cxbsHot, TcxCheckBoxState::cbsGrayed); }},
    {"HeaderHot", 60, 20,
     [](auto* p, auto* c, const TRect& r) {
       p->DrawHeader(c, r, r, TcxNeighbors{}, core::cxBordersAll, BS::cxbsHot, ui::taLeftJustify, core::vaCenter,
                     false, false, u"Name", gridFont(), ui::clBlack, ui::clBtnFace);
     }},
    {"ScrollArrowUp", 17, 17,
     [](auto* p, auto* c, const TRect& r) {
       p->DrawScrollBarPart(c, false, r, TcxScrollBarPart::sbpLineUp, BS::cxbsNormal);
     }},
    {"ScrollThumbPressed", 17, 40,
     [](auto* p, auto* c, const TRect& r) {
       p->DrawScrollBarPart(c, false, r, TcxScrollBarPart::sbpThumbnail, BS::cxbsPressed);
     }},
    {"ScrollPageHorizontal", 40, 17,
     [](auto* p, auto* c, const TRect& r) {
       p->DrawScrollBarPart(c, true, r, TcxScrollBarPart::sbpPageDown, BS::cxbsNormal);
     }},
    {"GroupBoxFrame", 60, 40,
     [](auto* p, auto* c, const TRect& r) { p->DrawGroupBoxFrame(c, r, TcxGroupBoxCaptionPosition::cxgpTop); }},
    {"ExpandButton", 12, 12,
     [](auto* p, auto* c, const TRect& r) { p->DrawExpandButton(c, r, false, ui::clBtnFace); }},
    {"TabSelected", 50, 20,
     [](auto* p, auto* c, const TRect& r) {
       p->DrawTab(c, r, kTabBorders, u"Tab", BS::cxbsPressed, false, gridFont(), ui::clBlack, ui::clBtnFace);
     }},
    {"TabsRoot", 60, 6,
     [](auto* p, auto* c, const TRect& r) { p->DrawTabsRoot(c, r, TcxBorders{TcxBorder::bTop}, false); }},
    {"FooterBorder", 60, 20, [](auto* p, auto* c, const TRect& r) { p->DrawFooterBorder(c, r); }, false},
    {"FilterDropDown", 15, 17,
     [](auto* p, auto* c, const TRect& r) { p->DrawFilterDropDownButton(c, r, BS::cxbsHot, false); }},
    {"SizeGrip", 17, 17, [](auto* p, auto* c, const TRect& r) { p->DrawSizeGrip(c, r); }},
    {"TrackBarThumb", 11, 21,
     [](auto* p, auto* c, const TRect& r) {
       p->DrawTrackBarThumb(c, r, BS::cxbsNormal, true, TcxTrackBarTicksAlign::tbtaBoth, ui::clBtnFace);
     }},
};

class NativeElement : public NativePainter, public ::testing::WithParamInterface<ElementCase> {};

TEST_P(NativeElement, IsThemedWithThemesOnAndTheStandardPaintersWithThemesOff) {
  ASSERT_NE(native_, nullptr);
  const ElementCase& e = GetParam();
  const TRect r{2, 2, 2 + e.width, 2 + e.height};
  NativePaper themed(e.width + 4, e.height + 4), standardOn(e.width + 4, e.height + 4);
  e.draw(native_, themed.c(), r);
  e.draw(standard_, standardOn.c(), r);
  if (e.themedDiffers) {
    EXPECT_GT(themed.Differences(standardOn), 0) << "themes on, yet drawn as the Standard painter draws";
  }
  EXPECT_GT(themed.Inked(), 0) << "nothing drawn";

  theme::SetThemesEnabled(false);
  NativePaper classic(e.width + 4, e.height + 4), standardOff(e.width + 4, e.height + 4);
  e.draw(native_, classic.c(), r);
  e.draw(standard_, standardOff.c(), r);
  EXPECT_EQ(classic.Differences(standardOff), 0) << "themes off must look exactly like the Standard painter";
}

INSTANTIATE_TEST_SUITE_P(Elements, NativeElement, ::testing::ValuesIn(kElements),
                         [](const auto& info) { return std::string(info.param.name); });

// --- measures -------------------------------------------------------------------------------
struct MeasureCase {
  const char* name;
  std::function<TSize(TcxCustomLookAndFeelPainter*)> get;
  TSize themed;  // with themes on, from the engine's part table
};

const MeasureCase kMeasures[] = {
    // Least thumb plus the thumb's content margins along the bar.
    {"MinimalThumbVertical", [](auto* p) { return TSize{p->ScrollBarMinimalThumbSize(true), 0}; }, {14, 0}},
    {"MinimalThumbHorizontal", [](auto* p) { return TSize{p->ScrollBarMinimalThumbSize(false), 0}; }, {14, 0}},
    {"CheckButton", [](auto* p) { return p->CheckButtonSize(); }, {13, 13}},
    {"CheckBorder", [](auto* p) { return TSize{p->CheckBorderSize(), 0}; }, {0, 0}},
    {"RadioButton", [](auto* p) { return p->RadioButtonSize(); }, {13, 13}},
    {"SizeGrip", [](auto* p) { return p->SizeGripSize(); }, {17, 17}},
    {"ExpandButton", [](auto* p) { return TSize{p->ExpandButtonSize(), p->SmallExpandButtonSize()}; }, {9, 9}},
    {"GroupExpandButton", [](auto* p) { return TSize{p->GroupExpandButtonSize(), 0}; }, {20, 0}},
    // (left + top inset) div 2 of the header's content in 100 x 100.
    {"HeaderBorder", [](auto* p) { return TSize{p->HeaderBorderSize(), 0}; }, {3, 0}},
    {"ButtonBorder", [](auto* p) { return TSize{p->ButtonBorderSize(), 0}; }, {3, 0}},
    {"Border", [](auto* p) { return TSize{p->BorderSize(), p->SeparatorSize()}; }, {1, 6}},
    {"FooterCell", [](auto* p) { return TSize{p->FooterCellBorderSize(), p->FooterCellOffset()}; }, {1, 1}},
    {"TabBorder", [](auto* p) { return TSize{p->TabBorderSize(), 0}; }, {1, 0}},
    {"SmallCloseButton", [](auto* p) { return p->SmallCloseButtonSize(); }, {13, 13}},
    {"FilterCloseButton", [](auto* p) { return p->FilterCloseButtonSize(); }, {17, 17}},
    {"FilterActivateButton", [](auto* p) { return p->FilterActivateButtonSize(); }, {13, 13}},
    {"SortingMark", [](auto* p) { return p->SortingMarkSize(); }, {7, 8}},
    {"NavigatorButtonMin", [](auto* p) { return p->NavigatorButtonMinSize(); }, {18, 19}},
    // The 9-pixel glyph plus the push button's content margins.
    {"ZoomInButton", [](auto* p) { return p->GetZoomInButtonSize(); }, {15, 15}},
    {"BackButton", [](auto* p) { return p->GetBackButtonSize(); }, {30, 30}},
    {"DropDownSeparator", [](auto* p) { return TSize{p->DropDownListBoxSeparatorSize(), 0}; }, {7, 0}},
    {"ButtonText", [](auto* p) { return TSize{p->ButtonTextOffset(), p->ButtonTextShift()}; }, {2, 0}},
    {"EditPopupBorder",
     [](auto* p) {
       return TSize{p->GetEditPopupWindowBorderWidth(TcxEditPopupBorderStyle::epbsDefault),
                    p->GetEditPopupWindowClientEdgeWidth(TcxEditPopupBorderStyle::epbsDefault)};
     },
     {1, 2}},
};

class NativeMeasure : public NativePainter, public ::testing::WithParamInterface<MeasureCase> {};

TEST_P(NativeMeasure, ComesFromTheEngine) {
  ASSERT_NE(native_, nullptr);
  const MeasureCase& m = GetParam();
  const TSize themed = m.get(native_);
  EXPECT_EQ(themed.cx, m.themed.cx);
  EXPECT_EQ(themed.cy, m.themed.cy);
}

INSTANTIATE_TEST_SUITE_P(Measures, NativeMeasure, ::testing::ValuesIn(kMeasures),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(NativePainter, WithoutThemesTheMeasuresAreTheStandardPaintersOrTheBases) {
  ASSERT_NE(native_, nullptr);
  theme::SetThemesEnabled(false);
  EXPECT_EQ(native_->BorderSize(), standard_->BorderSize());
  EXPECT_EQ(native_->HeaderBorderSize(), standard_->HeaderBorderSize());
  EXPECT_EQ(native_->ExpandButtonSize(), standard_->ExpandButtonSize());
  EXPECT_EQ(native_->ButtonBorderSize(), standard_->ButtonBorderSize());
  EXPECT_EQ(native_->TabBorderSize(), standard_->TabBorderSize());
  EXPECT_EQ(native_->ScrollBarMinimalThumbSize(true), standard_->ScrollBarMinimalThumbSize(true));
  const TSize check = native_->CheckButtonSize(), standardCheck = standard_->CheckButtonSize();
  EXPECT_EQ(check.cx, standardCheck.cx);
  EXPECT_EQ(native_->FooterCellBorderSize(), standard_->FooterCellBorderSize());
}

// --- the rules of particular elements -------------------------------------------------------
TEST_F(NativePainter, APressedHeaderMovesItsTextOnePixelRightAndDown) {
  ASSERT_NE(native_, nullptr);
  const TRect r{0, 0, 80, 22};
  NativePaper normal(80, 22), pressed(80, 22);
  for (auto [paper, state] : {std::pair{&normal, BS::cxbsNormal}, std::pair{&pressed, BS::cxbsPressed}})
    native_->DrawHeader(paper->c(), r, TRect{6, 2, 74, 20}, TcxNeighbors{}, core::cxBordersAll, state,
                        ui::taLeftJustify, core::vaCenter, false, false, u"Header", nullptr, ui::clBlack,
                        ui::clBtnFace);
  const TRect a = normal.Ink(), b = pressed.Ink();
  ASSERT_LT(a.left, a.right) << "no text drawn";
  EXPECT_EQ(b.left, a.left + 1);
  EXPECT_EQ(b.top, a.top + 1);
  EXPECT_EQ(b.right, a.right + 1);
  // The pressed look adds nothing of its own.
  NativePaper blank(20, 20);
  native_->DrawHeaderPressed(blank.c(), TRect{0, 0, 20, 20});
  EXPECT_EQ(blank.Inked(), 0);
}

TEST_F(NativePainter, TheLastHeaderIsPlainWithoutAnOffice11Scheme) {
  // Our theme is no Office11 colour scheme: the last header of a row keeps the plain part.
  const TRect r{0, 0, 60, 20};
  NativePaper last(60, 20), middle(60, 20);
  for (auto [paper, isLast] : {std::pair{&last, true}, std::pair{&middle, false}})
    native_->DrawHeader(paper->c(), r, r, TcxNeighbors{}, core::cxBordersAll, BS::cxbsNormal, ui::taLeftJustify,
                        core::vaCenter, false, false, String(), nullptr, ui::clBlack, ui::clBtnFace, nullptr, isLast);
  EXPECT_EQ(last.Differences(middle), 0);
}

TEST_F(NativePainter, AThumbNoLongerThanTheBarIsThickShowsNoGripper) {
  ASSERT_NE(native_, nullptr);
  core::HTHEME bar = core::OpenTheme(core::TdxThemedObjectType::totScrollBar);
  ASSERT_NE(bar, nullptr);
  // Vertical bars: the thumb part (3) alone, against what the painter draws.
  for (const int length : {12, 17, 18, 40}) {
    const TRect r{0, 0, 17, length};
    NativePaper painted(17, length), plain(17, length);
    native_->DrawScrollBarPart(painted.c(), false, r, TcxScrollBarPart::sbpThumbnail, BS::cxbsNormal);
    core::DrawThemeBackground(bar, plain.c()->Handle(), 3, 1, r);
    if (length <= 17)
      EXPECT_EQ(painted.Differences(plain), 0) << length;
    else
      EXPECT_GT(painted.Differences(plain), 0) << "no gripper on a thumb " << length << " long";
  }
  // An empty rectangle draws nothing, whatever the part.
  NativePaper none(10, 10);
  native_->DrawScrollBarPart(none.c(), false, TRect{2, 2, 2, 8}, TcxScrollBarPart::sbpThumbnail, BS::cxbsNormal);
  EXPECT_EQ(none.Inked(), 0);
}

TEST_F(NativePainter, TheBorderPaintsOnlyItsOnePixelEdge) {
  ASSERT_NE(native_, nullptr);
  NativePaper paper(30, 20);
  paper.c()->FillRect(TRect{0, 0, 30, 20}, ui::clRed);
  native_->DrawBorder(paper.c(), TRect{0, 0, 30, 20});
  for (int y = 1; y < 19; ++y)
    for (int x = 1; x < 29; ++x) ASSERT_EQ(paper.At(x, y), 0x00FF0000u) << x << "," << y;
  EXPECT_NE(paper.At(0, 10), 0x00FF0000u);
  EXPECT_NE(paper.At(15, 19), 0x00FF0000u);
  // The clip region is as it was: the next fill reaches the inside.
  paper.c()->FillRect(TRect{0, 0, 30, 20}, ui::clBlue);
  EXPECT_EQ(paper.At(15, 10), 0x000000FFu);
}

TEST_F(NativePainter, Office11BorrowsTheThemedScrollBarsGroupBoxesAndNavigatorButtons) {
  TcxCustomLookAndFeelPainter* office11 = cxLookAndFeelPaintersManager()->GetPainter(TcxLookAndFeelStyle::lfsOffice11);
  ASSERT_NE(office11, nullptr);
  ASSERT_NE(native_, nullptr);
  const struct {
    const char* name;
    std::function<void(TcxCustomLookAndFeelPainter*, TcxCanvas*)> draw;
  } borrowed[] = {
      {"thumb",
       [](auto* p, auto* c) {
         p->DrawScrollBarPart(c, false, TRect{0, 0, 17, 40}, TcxScrollBarPart::sbpThumbnail, BS::cxbsHot);
       }},
      {"arrow",
       [](auto* p, auto* c) {
         p->DrawScrollBarPart(c, true, TRect{0, 0, 17, 17}, TcxScrollBarPart::sbpLineDown, BS::cxbsPressed);
       }},
      {"group box", [](auto* p, auto* c) { p->DrawGroupBoxFrame(c, TRect{0, 0, 40, 40}, TcxGroupBoxCaptionPosition::cxgpTop); }},
      {"navigator button", [](auto* p, auto* c) { p->DrawSchedulerNavigatorButton(c, TRect{0, 0, 30, 30}, BS::cxbsHot); }},
  };
  for (const auto& b : borrowed) {
    NativePaper mine(40, 40), theirs(40, 40);
    b.draw(office11, mine.c());
    b.draw(native_, theirs.c());
    EXPECT_GT(mine.Inked(), 0) << b.name << " is blank";
    EXPECT_EQ(mine.Differences(theirs), 0) << b.name;
  }
}

TEST_F(NativePainter, ThemedTextTakesTheCallersColourOrThePartsOwn) {
  ASSERT_NE(native_, nullptr);
  core::HTHEME button = core::OpenTheme(core::TdxThemedObjectType::totButton);
  ASSERT_NE(button, nullptr);
  auto inkOf = [&](TColor AColor, std::uint32_t AExpected) {
    NativePaper paper(60, 20);
    native_->DrawContent(paper.c(), button, 1, 1, TRect{0, 0, 60, 20}, TRect{0, 0, 60, 20}, ui::taCenter,
                         core::vaCenter, false, false, false, u"WWW", nullptr, AColor, ui::clNone);
    return paper.Count(AExpected);
  };
  EXPECT_GT(inkOf(ui::clRed, 0x00FF0000u), 0);
  // No colour named: the part's own text colour.
  EXPECT_GT(inkOf(ui::clDefault, 0x001E1E1Eu), 0);
  EXPECT_EQ(inkOf(ui::clDefault, 0x00FF0000u), 0);
  // No text: nothing at all.
  NativePaper empty(20, 20);
  native_->DrawContent(empty.c(), button, 1, 1, TRect{0, 0, 20, 20}, TRect{0, 0, 20, 20}, ui::taCenter,
                       core::vaCenter, false, false, false, String(), nullptr, ui::clBlack, ui::clNone);
  EXPECT_EQ(empty.Inked(), 0);
}

// --- golden pictures ------------------------------------------------------------------------
// One sheet of themed elements. Rows: push buttons (default, normal, hot,
// pressed, disabled; the first with a caption); check boxes (unchecked,
// checked, grayed in normal, hot, pressed and disabled) and radio buttons;
// headers (normal, hot, pressed with text); a vertical scroll bar (arrows,
// page, thumb with its gripper) and a horizontal one (pressed thumb);
// tabs (normal, hot, selected) on their pane, a vertical tab; a group box,
// expand buttons, a filter drop-down button, a size grip, a track-bar thumb.
TEST_F(NativePainter, ThemedElementsGolden) {
  ASSERT_NE(native_, nullptr);
  NativePaper paper(260, 200);
  TcxCanvas* c = paper.c();
  Native* p = native_;
  const BS buttonStates[] = {BS::cxbsDefault, BS::cxbsNormal, BS::cxbsHot, BS::cxbsPressed, BS::cxbsDisabled};
  for (int i = 0; i < 5; ++i)
    p->DrawButton(c, TRect{4 + i * 46, 4, 46 + i * 46, 26}, i == 0 ? String(u"OK") : String(), buttonStates[i]);
  int x = 4;
  for (BS state : {BS::cxbsNormal, BS::cxbsHot, BS::cxbsPressed, BS::cxbsDisabled})
    for (TcxCheckBoxState check :
         {TcxCheckBoxState::cbsUnchecked, TcxCheckBoxState::cbsChecked, TcxCheckBoxState::cbsGrayed}) {
      p->DrawCheckButton(c, TRect{x, 32, x + 13, 45}, state, check);
      x += 16;
    }
  p->DrawRadioButton(c, 200, 32, BS::cxbsNormal, false, false, ui::clWindow);
  p->DrawRadioButton(c, 218, 32, BS::cxbsHot, true, false, ui::clWindow);
  const BS headerStates[] = {BS::cxbsNormal, BS::cxbsHot, BS::cxbsPressed};
  const char16_t* headerTexts[] = {u"Name", u"Plate", u"Litres"};
  for (int i = 0; i < 3; ++i) {
    const TRect r{4 + i * 60, 52, 64 + i * 60, 72};
    p->DrawHeader(c, r, TRect{r.left + 4, r.top + 2, r.right - 4, r.bottom - 2}, TcxNeighbors{}, core::cxBordersAll,
                  headerStates[i], ui::taLeftJustify, core::vaCenter, false, false, headerTexts[i], gridFont(),
                  ui::clDefault, ui::clWindow);
  }
  // A vertical bar at the right edge, 17 wide.
  const int bx = 238;
  p->DrawScrollBarPart(c, false, TRect{bx, 80, bx + 17, 97}, TcxScrollBarPart::sbpLineUp, BS::cxbsNormal);
  p->DrawScrollBarPart(c, false, TRect{bx, 97, bx + 17, 110}, TcxScrollBarPart::sbpPageUp, BS::cxbsNormal);
  p->DrawScrollBarPart(c, false, TRect{bx, 110, bx + 17, 150}, TcxScrollBarPart::sbpThumbnail, BS::cxbsHot);
  p->DrawScrollBarPart(c, false, TRect{bx, 150, bx + 17, 179}, TcxScrollBarPart::sbpPageDown, BS::cxbsPressed);
  p->DrawScrollBarPart(c, false, TRect{bx, 179, bx + 17, 196}, TcxScrollBarPart::sbpLineDown, BS::cxbsPressed);
  // A horizontal bar below the headers.
  p->DrawScrollBarPart(c, true, TRect{4, 78, 21, 95}, TcxScrollBarPart::sbpLineUp, BS::cxbsHot);
  p->DrawScrollBarPart(c, true, TRect{21, 78, 61, 95}, TcxScrollBarPart::sbpThumbnail, BS::cxbsPressed);
  p->DrawScrollBarPart(c, true, TRect{61, 78, 120, 95}, TcxScrollBarPart::sbpPageDown, BS::cxbsNormal);
  p->DrawScrollBarPart(c, true, TRect{120, 78, 137, 95}, TcxScrollBarPart::sbpLineDown, BS::cxbsDisabled);
  // Tabs on their pane; the pane's edge shows along the tabs' foot.
  p->DrawTabsRoot(c, TRect{4, 121, 180, 126}, TcxBorders{TcxBorder::bTop}, false);
  const BS tabStates[] = {BS::cxbsNormal, BS::cxbsHot, BS::cxbsPressed};
  const char16_t* tabTexts[] = {u"One", u"Two", u"Three"};
  for (int i = 0; i < 3; ++i)
    p->DrawTab(c, TRect{8 + i * 50, 101, 56 + i * 50, 122}, kTabBorders, tabTexts[i], tabStates[i], false, gridFont(),
               ui::clDefault, ui::clBtnFace);
  p->DrawTab(c, TRect{190, 80, 211, 130}, TcxBorders{TcxBorder::bLeft, TcxBorder::bTop, TcxBorder::bBottom},
             String(), BS::cxbsPressed, true, nullptr, ui::clDefault, ui::clBtnFace);
  p->DrawGroupBoxFrame(c, TRect{4, 132, 64, 180}, TcxGroupBoxCaptionPosition::cxgpTop);
  p->DrawExpandButton(c, TRect{72, 134, 81, 143}, false, ui::clBtnFace);
  p->DrawExpandButton(c, TRect{86, 134, 95, 143}, true, ui::clBtnFace);
  p->DrawFilterDropDownButton(c, TRect{100, 132, 115, 149}, BS::cxbsHot, false);
  p->DrawSizeGrip(c, TRect{120, 132, 137, 149});
  p->DrawTrackBarTrack(c, TRect{72, 160, 180, 164}, TRect{}, false, true, true, ui::clBtnFace);
  p->DrawTrackBarThumb(c, TRect{100, 152, 111, 173}, BS::cxbsNormal, true, TcxTrackBarTicksAlign::tbtaBoth,
                       ui::clBtnFace);
  p->DrawTrackBarThumb(c, TRect{140, 152, 151, 173}, BS::cxbsPressed, true, TcxTrackBarTicksAlign::tbtaBoth,
                       ui::clBtnFace);
  EXPECT_TRUE(paper.Golden("native_themed_elements"));
}

// The same painter with themes off: the classic look of the same sheet's
// first rows (buttons, check boxes, headers, scroll-bar parts).
TEST_F(NativePainter, ClassicFallbackGolden) {
  ASSERT_NE(native_, nullptr);
  theme::SetThemesEnabled(false);
  NativePaper paper(200, 100);
  TcxCanvas* c = paper.c();
  const BS buttonStates[] = {BS::cxbsDefault, BS::cxbsNormal, BS::cxbsHot, BS::cxbsPressed, BS::cxbsDisabled};
  for (int i = 0; i < 5; ++i) native_->DrawButton(c, TRect{4 + i * 38, 4, 38 + i * 38, 24}, String(), buttonStates[i]);
  int x = 4;
  for (TcxCheckBoxState check :
       {TcxCheckBoxState::cbsUnchecked, TcxCheckBoxState::cbsChecked, TcxCheckBoxState::cbsGrayed}) {
    native_->DrawCheckButton(c, TRect{x, 30, x + 13, 43}, BS::cxbsNormal, check);
    x += 17;
  }
  const BS headerStates[] = {BS::cxbsNormal, BS::cxbsHot, BS::cxbsPressed};
  for (int i = 0; i < 3; ++i) {
    const TRect r{4 + i * 50, 50, 54 + i * 50, 70};
    native_->DrawHeader(c, r, r, TcxNeighbors{}, core::cxBordersAll, headerStates[i], ui::taLeftJustify,
                        core::vaCenter, false, false, String(), gridFont(), ui::clBlack, ui::clBtnFace);
  }
  native_->DrawScrollBarPart(c, true, TRect{4, 78, 21, 95}, TcxScrollBarPart::sbpLineUp, BS::cxbsNormal);
  native_->DrawScrollBarPart(c, true, TRect{21, 78, 61, 95}, TcxScrollBarPart::sbpThumbnail, BS::cxbsNormal);
  native_->DrawScrollBarPart(c, true, TRect{61, 78, 100, 95}, TcxScrollBarPart::sbpPageDown, BS::cxbsPressed);
  native_->DrawScrollBarPart(c, true, TRect{100, 78, 117, 95}, TcxScrollBarPart::sbpLineDown, BS::cxbsPressed);
  EXPECT_TRUE(paper.Golden("native_classic_fallback"));
}

}  // namespace
