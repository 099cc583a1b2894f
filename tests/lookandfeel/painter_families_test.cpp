// The base painter's control families: chart, back button, gauge, map,
// navigation bar, spreadsheet, layout control, print preview, calculator,
// message box, breadcrumb editor, drop-down list box, alert window, gallery,
// bevel, rating, fixed group indicator, wheel picker and rich-edit ruler.
//
// Colours and measures are tables; composition through the other virtual
// operations is checked with a recording painter; pixel rules are checked
// pixel by pixel and with golden images per element group; and every drawing
// operation is run on empty, inverted and huge rectangles under a clip.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "lib/core/cxGraphics.h"
#include "lib/core/cxGraphicsColors.h"
#include "lib/core/dxAlphaColors.h"
#include "lib/core/dxSmartImage.h"
#include "lib/lookandfeel/cxLookAndFeelPainters.h"
#include "platform/gdi/dc.h"
#include "platform/ui/bitmap.h"
#include "platform/ui/colors.h"
#include "platform/ui/graphics.h"
#include "platform/ui/image_list.h"
#include "platform/win/constants.h"
#include "platform/win/system.h"
#include "tests/support/golden.h"

using namespace lookandfeel;
using namespace ui;
using core::TcxCanvas;
using core::TdxAlphaColor;

namespace {

using FamiliesPainter = TcxCustomLookAndFeelPainter;
using BS = TcxButtonState;
using BBS = TdxBreadcrumbEditButtonState;
using AWK = TdxAlertWindowButtonKind;
using MES = TdxMapControlElementState;
using RIS = TdxRatingControlIndicatorState;

constexpr TColor familiesRgb(int r, int g, int b) { return TColor(r | (g << 8) | (b << 16)); }
// A colour as the 32-bit surface stores it (0x00RRGGBB), system colours resolved.
std::uint32_t px(TColor AColor) {
  const std::uint32_t c = ColorToRGB(AColor);
  return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
}
constexpr std::uint32_t kFamiliesWhite = 0xFFFFFF;

// A white 32-bit bitmap with the library canvas over it.
class FamiliesPaper {
 public:
  FamiliesPaper(int w, int h, TColor AFill = clWhite) : w_(w), h_(h) {
    bmp_.SetPixelFormat(pf32bit);
    bmp_.SetSize(w, h);
    canvas_ = std::make_unique<TcxCanvas>(bmp_.Canvas());
    canvas_->FillRect(TRect{0, 0, w, h}, AFill);
  }
  TcxCanvas* c() { return canvas_.get(); }
  std::uint32_t At(int x, int y) { return static_cast<std::uint32_t*>(bmp_.ScanLine(y))[x] & 0xFFFFFF; }
  gdi::ImageBGRA Image() const { return bmp_.ToImage(); }
  // Pixels that are no longer white, inside or outside of R.
  int Changed(const TRect& R, bool AInside) {
    int n = 0;
    for (int y = 0; y < h_; ++y)
      for (int x = 0; x < w_; ++x) {
        const bool inside = x >= R.left && x < R.right && y >= R.top && y < R.bottom;
        if (inside == AInside && At(x, y) != kFamiliesWhite) ++n;
      }
    return n;
  }
  int Width() const { return w_; }
  int Height() const { return h_; }

 private:
  int w_, h_;
  TBitmap bmp_;
  std::unique_ptr<TcxCanvas> canvas_;
};

int channel(std::uint32_t p, int shift) { return int((p >> shift) & 0xFF); }
// The colour of AColor laid over white with AAlpha.
std::uint32_t overWhite(TColor AColor, int AAlpha) {
  const std::uint32_t c = px(AColor);
  std::uint32_t result = 0;
  for (int shift : {0, 8, 16}) {
    const int v = channel(c, shift);
    result |= std::uint32_t((v * AAlpha + 255 * (255 - AAlpha) + 127) / 255) << shift;
  }
  return result;
}
::testing::AssertionResult Near(std::uint32_t actual, std::uint32_t expected, int tolerance) {
  for (int shift : {0, 8, 16})
    if (std::abs(channel(actual, shift) - channel(expected, shift)) > tolerance)
      return ::testing::AssertionFailure() << std::hex << "0x" << actual << " is not near 0x" << expected;
  return ::testing::AssertionSuccess();
}

// Restores the screen resolution and touch mode a test changed.
struct ScreenGuard {
  ~ScreenGuard() {
    gdi::SetScreenLogPixels(96);
    cxIsTouchModeEnabled = false;
  }
};

// ---- tables --------------------------------------------------------------------------------------

struct ColourCase {
  const char* name;
  std::function<TColor(FamiliesPainter&)> get;
  TColor expected;
};

TEST(PainterFamilies, ColourTable) {
  const ColourCase cases[] = {
      {"GaugeBackground", [](FamiliesPainter& p) { return p.GaugeControlBackgroundColor(); }, clWindow},
      {"MapBackground", [](FamiliesPainter& p) { return p.MapControlBackgroundColor(); }, familiesRgb(95, 139, 149)},
      {"NavBarButtonTextNormal", [](FamiliesPainter& p) { return p.OfficeNavigationBarButtonItemTextColor(0); },
       familiesRgb(86, 86, 86)},
      {"NavBarButtonTextHot", [](FamiliesPainter& p) { return p.OfficeNavigationBarButtonItemTextColor(1); },
       familiesRgb(0, 114, 198)},
      {"NavBarItemTextSelected", [](FamiliesPainter& p) { return p.OfficeNavigationBarItemTextColor(3); }, familiesRgb(0, 114, 198)},
      {"NavBarItemTextOutOfRange", [](FamiliesPainter& p) { return p.OfficeNavigationBarItemTextColor(4); },
       familiesRgb(86, 86, 86)},
      {"SpreadSheetContent", [](FamiliesPainter& p) { return p.SpreadSheetContentColor(); }, clWindow},
      {"SpreadSheetContentText", [](FamiliesPainter& p) { return p.SpreadSheetContentTextColor(); }, clWindowText},
      {"SpreadSheetFrozenPane", [](FamiliesPainter& p) { return p.SpreadSheetFrozenPaneSeparatorColor(); }, clBlack},
      {"SpreadSheetGroupLine", [](FamiliesPainter& p) { return p.SpreadSheetGroupLineColor(); }, familiesRgb(128, 128, 128)},
      {"SpreadSheetSelection", [](FamiliesPainter& p) { return p.SpreadSheetSelectionColor(); }, clHighlight},
      {"LayoutEmptyArea", [](FamiliesPainter& p) { return p.LayoutControlEmptyAreaColor(); }, clBtnFace},
      {"CustomizationFormList", [](FamiliesPainter& p) { return p.GetCustomizationFormListBackgroundColor(); }, clBtnFace},
      {"BreadcrumbBackground",
       [](FamiliesPainter& p) { return p.BreadcrumbEditBackgroundColor(TdxBreadcrumbEditState::dxbcsHot); }, clBtnFace},
      {"DropDownItemText", [](FamiliesPainter& p) { return p.DropDownListBoxItemTextColor(false); }, clMenuText},
      {"DropDownItemTextSelected", [](FamiliesPainter& p) { return p.DropDownListBoxItemTextColor(true); },
       clHighlightText},
      {"AlertText", [](FamiliesPainter& p) { return p.AlertWindowTextColor(); }, clBtnText},
      {"AlertNavigationText", [](FamiliesPainter& p) { return p.AlertWindowNavigationPanelTextColor(); }, clBtnText},
      {"GalleryGroupText", [](FamiliesPainter& p) { return p.GetGalleryGroupTextColor(); }, clDefault},
      {"GalleryCaption", [](FamiliesPainter& p) { return p.GetGalleryItemCaptionTextColor(); }, clWindowText},
      {"GalleryDescription", [](FamiliesPainter& p) { return p.GetGalleryItemDescriptionTextColor(); }, clGrayText},
      {"GalleryImageFrame", [](FamiliesPainter& p) { return p.GetGalleryItemImageFrameColor(); }, clBtnShadow},
      {"ColorGalleryGlyphFrame", [](FamiliesPainter& p) { return p.GetColorGalleryGlyphFrameColor(); }, familiesRgb(230, 228, 226)},
      {"WheelFillHot", [](FamiliesPainter& p) { return p.GetWheelPickerFillItemColor(BS::cxbsHot); }, familiesRgb(239, 240, 242)},
      {"WheelFillPressed", [](FamiliesPainter& p) { return p.GetWheelPickerFillItemColor(BS::cxbsPressed); },
       familiesRgb(226, 234, 253)},
      {"WheelFillNormal", [](FamiliesPainter& p) { return p.GetWheelPickerFillItemColor(BS::cxbsNormal); }, clDefault},
      {"WheelFillDisabled", [](FamiliesPainter& p) { return p.GetWheelPickerFillItemColor(BS::cxbsDisabled); }, clDefault},
      {"WheelBorderHot", [](FamiliesPainter& p) { return p.GetWheelPickerBorderItemColor(BS::cxbsHot); },
       familiesRgb(217, 217, 217)},
      {"WheelBorderPressed", [](FamiliesPainter& p) { return p.GetWheelPickerBorderItemColor(BS::cxbsPressed); },
       familiesRgb(188, 201, 231)},
      {"WheelBorderDefault", [](FamiliesPainter& p) { return p.GetWheelPickerBorderItemColor(BS::cxbsDefault); }, clDefault},
      {"RichEditHeaderFooterLine", [](FamiliesPainter& p) { return p.RichEditControlHeaderFooterLineColor(); }, clBtnShadow},
      {"RichEditMarkBack", [](FamiliesPainter& p) { return p.RichEditControlHeaderFooterMarkBackColor(); }, clBtnFace},
      {"RichEditMarkText", [](FamiliesPainter& p) { return p.RichEditControlHeaderFooterMarkTextColor(); }, clBtnText},
      {"RulerControl", [](FamiliesPainter& p) { return p.RichEditRulerControlColor(); }, clBtnFace},
      {"RulerActiveArea", [](FamiliesPainter& p) { return p.RichEditRulerActiveAreaColor(); }, clWindow},
      {"RulerDefaultTab", [](FamiliesPainter& p) { return p.RichEditRulerDefaultTabColor(); }, clBtnShadow},
      {"RulerInactiveArea", [](FamiliesPainter& p) { return p.RichEditRulerInactiveAreaColor(); }, clBtnShadow},
      {"RulerTabToggleBorder", [](FamiliesPainter& p) { return p.RichEditRulerTabTypeToggleBorderColor(); }, cl3DDkShadow},
      {"RulerText", [](FamiliesPainter& p) { return p.RichEditRulerTextColor(); }, clBtnText},
  };
  FamiliesPainter painter;
  for (const ColourCase& c : cases) EXPECT_EQ(c.get(painter), c.expected) << c.name;
}

TEST(PainterFamilies, MapColoursAreAlphaColours) {
  const struct {
    const char* name;
    std::function<TdxAlphaColor(FamiliesPainter&)> get;
    TdxAlphaColor expected;
  } cases[] = {
      {"PanelBack", [](FamiliesPainter& p) { return p.MapControlPanelBackColor(); }, 0xC8000000u},
      {"PanelHotTrackedText", [](FamiliesPainter& p) { return p.MapControlPanelHotTrackedTextColor(); }, 0xFFFFFFFFu},
      {"PanelPressedText", [](FamiliesPainter& p) { return p.MapControlPanelPressedTextColor(); }, 0xFF7E8383u},
      {"PanelText", [](FamiliesPainter& p) { return p.MapControlPanelTextColor(); }, 0xFFADDFFFu},
      {"CustomElementText", [](FamiliesPainter& p) { return p.MapControlMapCustomElementTextColor(); }, 0xFF000000u},
      {"CustomElementGlow", [](FamiliesPainter& p) { return p.MapControlMapCustomElementTextGlowColor(); }, 0xFFFFFFFFu},
      {"PushpinText", [](FamiliesPainter& p) { return p.MapControlMapPushpinTextColor(); }, 0xFF000000u},
      {"PushpinGlow", [](FamiliesPainter& p) { return p.MapControlMapPushpinTextGlowColor(); }, 0xFFFFFFFFu},
      {"SelectedRegionBack", [](FamiliesPainter& p) { return p.MapControlSelectedRegionBackgroundColor(); }, 0x800072AEu},
      {"SelectedRegionBorder", [](FamiliesPainter& p) { return p.MapControlSelectedRegionBorderColor(); }, 0xFF3399FFu},
      {"Shape", [](FamiliesPainter& p) { return p.MapControlShapeColor(); }, 0xFFD7D7D7u},
      {"ShapeBorder", [](FamiliesPainter& p) { return p.MapControlShapeBorderColor(); }, 0xFFFFFFFFu},
      {"ShapeHighlighted", [](FamiliesPainter& p) { return p.MapControlShapeHighlightedColor(); }, 0xFFD7D7D7u},
      {"ShapeBorderHighlighted", [](FamiliesPainter& p) { return p.MapControlShapeBorderHighlightedColor(); }, 0xFFFFFFFFu},
      {"ShapeSelected", [](FamiliesPainter& p) { return p.MapControlShapeSelectedColor(); }, 0xFFD7D7D7u},
      {"ShapeBorderSelected", [](FamiliesPainter& p) { return p.MapControlShapeBorderSelectedColor(); }, 0xFFFFFFFFu},
  };
  FamiliesPainter painter;
  for (const auto& c : cases) EXPECT_EQ(c.get(painter), c.expected) << c.name;
}

// Every calculator key kind has its colour; the groups are contiguous runs of the enumeration.
TEST(PainterFamilies, CalculatorButtonColours) {
  using K = TcxCalcButtonKind;
  const struct {
    K first, last;
    TColor expected;
  } runs[] = {
      {K::cbBack, K::cbClear, familiesRgb(128, 0, 0)}, {K::cbMC, K::cbMP, clRed},     {K::cbNum0, K::cbDecimal, clBlue},
      {K::cbDiv, K::cbAdd, clRed},             {K::cbSqrt, K::cbRev, familiesRgb(0, 0, 128)}, {K::cbEqual, K::cbEqual, clRed},
      {K::cbNone, K::cbNone, clBlue},
  };
  FamiliesPainter painter;
  int covered = 0;
  for (const auto& run : runs)
    for (int k = int(run.first); k <= int(run.last); ++k, ++covered)
      EXPECT_EQ(painter.CalcEditButtonTextColor(K(k)), run.expected) << "kind " << k;
  EXPECT_EQ(covered, int(K::cbNone) + 1);
}

// Colours defined as another operation follow a descendant that overrides it.
TEST(PainterFamilies, DerivedColoursFollowOverrides) {
  class Other : public FamiliesPainter {
   public:
    TColor DefaultControlColor() override { return familiesRgb(1, 2, 3); }
    TColor DefaultControlTextColor() override { return familiesRgb(4, 5, 6); }
    TColor DefaultContentColor() override { return familiesRgb(7, 8, 9); }
    TColor DefaultSelectionColor() override { return familiesRgb(10, 11, 12); }
    TColor AlertWindowTextColor() override { return familiesRgb(13, 14, 15); }
    TColor ButtonSymbolColor(TcxButtonState AState, TColor) override { return familiesRgb(20, 20, int(AState)); }
  } p;
  EXPECT_EQ(p.RichEditControlHeaderFooterMarkBackColor(), familiesRgb(1, 2, 3));
  EXPECT_EQ(p.RichEditRulerControlColor(), familiesRgb(1, 2, 3));
  EXPECT_EQ(p.RichEditControlHeaderFooterMarkTextColor(), familiesRgb(4, 5, 6));
  EXPECT_EQ(p.RichEditRulerTextColor(), familiesRgb(4, 5, 6));
  EXPECT_EQ(p.RichEditRulerActiveAreaColor(), familiesRgb(7, 8, 9));
  EXPECT_EQ(p.SpreadSheetSelectionColor(), familiesRgb(10, 11, 12));
  EXPECT_EQ(p.AlertWindowNavigationPanelTextColor(), familiesRgb(13, 14, 15));
  EXPECT_EQ(p.SpreadSheetGroupExpandButtonTextColor(BS::cxbsHot), familiesRgb(20, 20, int(BS::cxbsHot)));
  class Navigator : public FamiliesPainter {
   public:
    TSize NavigatorButtonGlyphSize() override { return TSize{5, 9}; }
  } n;
  EXPECT_EQ(n.SpreadSheetGroupExpandButtonGlyphSize().cx, 5);
  EXPECT_EQ(n.SpreadSheetGroupExpandButtonGlyphSize().cy, 9);
  // The node text takes the disabled symbol colour only for a disabled node.
  EXPECT_EQ(p.BreadcrumbEditNodeTextColor(BBS::dxbcbsDisabled), familiesRgb(20, 20, int(BS::cxbsDisabled)));
  for (BBS s : {BBS::dxbcbsNormal, BBS::dxbcbsFocused, BBS::dxbcbsHot, BBS::dxbcbsPressed})
    EXPECT_EQ(p.BreadcrumbEditNodeTextColor(s), familiesRgb(20, 20, int(BS::cxbsNormal))) << int(s);
}

TEST(PainterFamilies, MeasuresAt96And144Dpi) {
  ScreenGuard guard;
  struct Case {
    const char* name;
    std::function<TRect(FamiliesPainter&)> get;
    TRect at96, at144;
  };
  auto size = [](TSize s) { return TRect{0, 0, s.cx, s.cy}; };
  auto one = [](int v) { return TRect{v, 0, 0, 0}; };
  const Case cases[] = {
      {"ChartToolBoxBorder", [&](FamiliesPainter& p) { return one(p.ChartToolBoxDataLevelInfoBorderSize()); }, {1}, {1}},
      {"BackButton", [&](FamiliesPainter& p) { return size(p.GetBackButtonSize()); }, {0, 0, 24, 24}, {0, 0, 36, 36}},
      {"MapPushpin", [&](FamiliesPainter& p) { return size(p.MapControlGetMapPushpinSize()); }, {0, 0, 34, 42},
       {0, 0, 34, 42}},
      {"MapPushpinTextOrigin",
       [&](FamiliesPainter& p) {
         const TPoint o = p.MapControlGetMapPushpinTextOrigin();
         return TRect{o.x, o.y, 0, 0};
       },
       {17, 17}, {17, 17}},
      {"MapSelectionOffset", [&](FamiliesPainter& p) { return p.MapControlMapCustomElementSelectionOffset(); },
       {14, 14, 14, 14}, {14, 14, 14, 14}},
      {"MapShapeBorderWidths",
       [&](FamiliesPainter& p) {
         return TRect{p.MapControlShapeBorderWidth(), p.MapControlShapeBorderHighlightedWidth(),
                      p.MapControlShapeBorderSelectedWidth(), 0};
       },
       {1, 1, 1, 0}, {1, 1, 1, 0}},
      {"NavBarContent", [&](FamiliesPainter& p) { return p.OfficeNavigationBarContentOffsets(); }, {2, 2, 2, 2},
       {2, 2, 2, 2}},
      {"NavBarItemContent", [&](FamiliesPainter& p) { return p.OfficeNavigationBarItemContentOffsets(); }, {2, 2, 2, 2},
       {2, 2, 2, 2}},
      {"NavBarButtonItemContent", [&](FamiliesPainter& p) { return p.OfficeNavigationBarButtonItemContentOffsets(); },
       {4, 4, 4, 4}, {4, 4, 4, 4}},
      {"NavBarCustomizationButton", [&](FamiliesPainter& p) { return size(p.OfficeNavigationBarCustomizationButtonSize()); },
       {0, 0, 16, 16}, {0, 0, 16, 16}},
      {"NavBarFontSizes",
       [&](FamiliesPainter& p) {
         return TRect{p.OfficeNavigationBarButtonItemFontSize(), p.OfficeNavigationBarItemFontSize(), 0, 0};
       },
       {9, 19}, {9, 19}},
      {"SpreadSheetGroupButtonContent", [&](FamiliesPainter& p) { return p.SpreadSheetGroupExpandButtonContentOffsets(); },
       {3, 3, 3, 3}, {3, 3, 3, 3}},
      {"SpreadSheetLevelMark", [&](FamiliesPainter& p) { return size(p.SpreadSheetGroupLevelMarkSize()); }, {0, 0, 2, 2},
       {0, 0, 2, 2}},
      {"PrintPreviewPageBorders", [&](FamiliesPainter& p) { return p.PrintPreviewPageBordersWidth(); }, {2, 2, 4, 4},
       {2, 2, 4, 4}},
      {"BreadcrumbBorders", [&](FamiliesPainter& p) { return p.BreadcrumbEditBordersSize(); }, {1, 1, 1, 1}, {1, 1, 1, 1}},
      {"BreadcrumbSeparator", [&](FamiliesPainter& p) { return one(p.BreadcrumbEditButtonAreaSeparatorSize()); }, {2}, {2}},
      {"BreadcrumbButtonContent", [&](FamiliesPainter& p) { return p.BreadcrumbEditButtonContentOffsets(true, false); },
       {3, 3, 3, 3}, {5, 5, 5, 5}},
      {"BreadcrumbNodeDelimiter", [&](FamiliesPainter& p) { return one(p.BreadcrumbEditNodeDelimiterSize()); }, {16}, {24}},
      {"BreadcrumbNodeText", [&](FamiliesPainter& p) { return p.BreadcrumbEditNodeTextOffsets(); }, {4, 4, 4, 4},
       {6, 6, 6, 6}},
      {"BreadcrumbChunkOverlay", [&](FamiliesPainter& p) { return size(p.BreadcrumbEditProgressChunkOverlaySize()); }, {},
       {}},
      {"BreadcrumbChunkPadding", [&](FamiliesPainter& p) { return p.BreadcrumbEditProgressChunkPadding(); }, {1, 1, 1, 1},
       {1, 1, 1, 1}},
      {"DropDownBorders", [&](FamiliesPainter& p) { return one(p.DropDownListBoxBordersSize()); }, {3}, {3}},
      {"DropDownImage", [&](FamiliesPainter& p) { return p.DropDownListBoxItemImageOffsets(); }, {5, 3, 5, 3},
       {8, 5, 8, 5}},
      {"DropDownText", [&](FamiliesPainter& p) { return p.DropDownListBoxItemTextOffsets(); }, {5, 2, 5, 2}, {8, 3, 8, 3}},
      {"DropDownSeparator", [&](FamiliesPainter& p) { return one(p.DropDownListBoxSeparatorSize()); }, {8}, {12}},
      {"AlertButtonContent", [&](FamiliesPainter& p) { return p.AlertWindowButtonContentOffsets(AWK::awbkPin); },
       {3, 3, 3, 3}, {5, 5, 5, 5}},
      {"AlertButtonGlyph", [&](FamiliesPainter& p) { return size(p.AlertWindowButtonGlyphSize(AWK::awbkClose)); },
       {0, 0, 10, 10}, {0, 0, 15, 15}},
      {"AlertCustomGlyphKeepsItsSize",
       [&](FamiliesPainter& p) { return size(p.AlertWindowButtonGlyphSize(AWK::awbkCustom, TSize{7, 9})); }, {0, 0, 7, 9},
       {0, 0, 7, 9}},
      {"AlertContent", [&](FamiliesPainter& p) { return p.AlertWindowContentOffsets(); }, {4, 4, 4, 4}, {6, 6, 6, 6}},
      {"AlertCornerRadius", [&](FamiliesPainter& p) { return one(p.AlertWindowCornerRadius()); }, {0}, {0}},
      {"GalleryGroupHeaderContent", [&](FamiliesPainter& p) { return p.GetGalleryGroupHeaderContentOffsets(); },
       {7, 2, 7, 2}, {7, 2, 7, 2}},
      {"BevelMinimalShape", [&](FamiliesPainter& p) { return size(p.GetBevelMinimalShapeSize(TdxBevelShape::dxbsBox)); },
       {0, 0, 2, 2}, {0, 0, 2, 2}},
      {"RatingIndicator", [&](FamiliesPainter& p) { return size(p.GetRatingControlIndicatorSize()); }, {0, 0, 16, 16},
       {0, 0, 24, 24}},
      {"FixedGroupIndicator", [&](FamiliesPainter& p) { return size(p.GetFixedGroupIndicatorSize()); }, {0, 0, 16, 16},
       {0, 0, 16, 16}},
  };
  FamiliesPainter painter;
  for (int dpi : {96, 144}) {
    gdi::SetScreenLogPixels(dpi);
    for (const Case& c : cases) {
      const TRect actual = c.get(painter), expected = dpi == 96 ? c.at96 : c.at144;
      EXPECT_TRUE(actual.left == expected.left && actual.top == expected.top && actual.right == expected.right &&
                  actual.bottom == expected.bottom)
          << c.name << " at " << dpi << ": " << actual.left << "," << actual.top << "," << actual.right << ","
          << actual.bottom;
    }
  }
}

TEST(PainterFamilies, FlagsAndTouchAdjustedDropDownButton) {
  ScreenGuard guard;
  FamiliesPainter painter;
  EXPECT_FALSE(painter.BreadcrumbEditIsFadingSupports());
  EXPECT_FALSE(painter.DrawGalleryItemSelectionFirst());
  TColor c1 = clNone, c2 = clNone;
  painter.GetBevelShapeColors(c1, c2);
  EXPECT_EQ(c1, clBtnShadow);
  EXPECT_EQ(c2, clBtnHighlight);

  const int arrow = win::GetSystemMetrics(win::SM_CXHSCROLL);
  ASSERT_LT(arrow, 27);
  EXPECT_EQ(painter.BreadcrumbEditDropDownButtonOriginalWidth(), arrow);
  EXPECT_EQ(painter.BreadcrumbEditDropDownButtonWidth(), arrow);
  cxIsTouchModeEnabled = true;
  EXPECT_EQ(painter.BreadcrumbEditDropDownButtonOriginalWidth(), arrow);
  EXPECT_EQ(painter.BreadcrumbEditDropDownButtonWidth(), 27);
}

// ---- composition through the other virtual operations ----------------------------------------------

// Records the calls the operations under test make to the overridable
// operations of the other families.
class Recorder : public FamiliesPainter {
 public:
  std::ostringstream log;
  static std::string R(const TRect& r) {
    std::ostringstream s;
    s << r.left << "," << r.top << "," << r.right << "," << r.bottom;
    return s.str();
  }
  void DrawButton(TcxCanvas*, const TRect& r, const String& caption, BS state, bool, TColor, TColor, bool, bool,
                  TcxButtonPart) override {
    log << "Button(" << R(r) << " s" << int(state) << (caption.empty() ? "" : " caption") << ")";
  }
  void DrawHeader(TcxCanvas*, const TRect& r, const TRect&, TcxNeighbors, core::TcxBorders borders, BS state,
                  TAlignment, core::TcxAlignmentVert, bool, bool, const String& text, TFont*, TColor, TColor bk,
                  TcxDrawBackgroundEvent, bool, bool) override {
    log << "Header(" << R(r) << " s" << int(state) << " bk" << std::hex << bk << std::dec
        << (borders == core::cxBordersAll ? " all" : " some") << (text.empty() ? "" : " text") << ")";
  }
  void DrawBackground(TcxCanvas*, const TRect& r, bool transparent, TColor color, TBitmap* bitmap) override {
    log << "Background(" << R(r) << (transparent ? " transparent" : "") << " " << std::hex << color << std::dec
        << (bitmap ? " bitmap" : "") << ")";
  }
  void DrawArrow(TcxCanvas*, const TRect& r, TcxArrowDirection dir, TColor color) override {
    log << "Arrow(" << R(r) << " d" << int(dir) << " " << std::hex << color << std::dec << ")";
  }
  void DrawButtonArrow(TcxCanvas*, const TRect& r, TColor color) override {
    log << "ButtonArrow(" << R(r) << " " << std::hex << color << std::dec << ")";
  }
  TColor ButtonSymbolColor(BS state, TColor) override { return 0x100 + int(state); }
  void DrawNavigatorButtonGlyph(TcxCanvas*, TCustomImageList* list, int index, const TRect& r, bool enabled,
                                bool userGlyphs) override {
    log << "NavigatorGlyph(" << (list ? "list " : "") << index << " " << R(r) << (enabled ? " enabled" : "")
        << (userGlyphs ? " user" : "") << ")";
  }
  TSize NavigatorButtonGlyphSize() override { return TSize{9, 7}; }
};

TEST(PainterFamilies, CompositionThroughOtherOperations) {
  const TRect r{10, 20, 40, 44};
  TCustomImageList glyphs(11, 11);
  struct Case {
    const char* name;
    std::function<void(Recorder&, TcxCanvas*)> draw;
    const char* expected;
  };
  const Case cases[] = {
      {"GaugeBackground", [&](Recorder& p, TcxCanvas* c) { p.DrawGaugeControlBackground(c, r, true, clRed); },
       "Background(10,20,40,44 transparent ff)"},
      {"NavBarButtonHot", [&](Recorder& p, TcxCanvas* c) { p.OfficeNavigationBarButtonItemDrawBackground(c, r, 1); },
       "Button(10,20,40,44 s2)"},
      {"NavBarButtonPressedDrawsNormal",
       [&](Recorder& p, TcxCanvas* c) { p.OfficeNavigationBarButtonItemDrawBackground(c, r, 2); },
       "Button(10,20,40,44 s1)"},
      {"NavBarItemDrawsNothing", [&](Recorder& p, TcxCanvas* c) { p.OfficeNavigationBarItemDrawBackground(c, r, 1); },
       ""},
      {"SpreadSheetGroupButton",
       [&](Recorder& p, TcxCanvas* c) { p.DrawSpreadSheetGroupExpandButton(c, r, BS::cxbsDisabled); },
       "Button(10,20,40,44 s4)"},
      {"SpreadSheetHeaderHot",
       [&](Recorder& p, TcxCanvas* c) {
         p.DrawSpreadSheetHeader(c, r, r, {}, core::cxBordersAll, BS::cxbsHot, taLeftJustify,
                                 core::TcxAlignmentVert::vaCenter, false, false, u"A", nullptr, clBlack,
                                 familiesRgb(200, 100, 0));
       },
       "Header(10,20,40,44 s2 bk64c8 all text)"},
      {"GalleryGroupHeader", [&](Recorder& p, TcxCanvas* c) { p.DrawGalleryGroupHeader(c, r); },
       "Header(10,20,40,44 s1 bkff00000f all)"},
      {"BreadcrumbButtonNormalIsFlat",
       [&](Recorder& p, TcxCanvas* c) { p.DrawBreadcrumbEditButton(c, r, BBS::dxbcbsNormal, true, true); }, ""},
      {"BreadcrumbButtonDisabledIsFlat",
       [&](Recorder& p, TcxCanvas* c) { p.DrawBreadcrumbEditButton(c, r, BBS::dxbcbsDisabled, false, false); }, ""},
      {"BreadcrumbButtonFocusedIsNormal",
       [&](Recorder& p, TcxCanvas* c) { p.DrawBreadcrumbEditButton(c, r, BBS::dxbcbsFocused, false, false); },
       "Button(10,20,40,44 s1)"},
      {"BreadcrumbButtonPressed",
       [&](Recorder& p, TcxCanvas* c) { p.DrawBreadcrumbEditButton(c, r, BBS::dxbcbsPressed, false, false); },
       "Button(10,20,40,44 s3)"},
      {"BreadcrumbDropDownInEditorAlwaysDrawn",
       [&](Recorder& p, TcxCanvas* c) { p.DrawBreadcrumbEditDropDownButton(c, r, BBS::dxbcbsDisabled, true); },
       "Button(10,20,40,44 s4)"},
      {"BreadcrumbDropDownOutsideIsFlatWhenNormal",
       [&](Recorder& p, TcxCanvas* c) { p.DrawBreadcrumbEditDropDownButton(c, r, BBS::dxbcbsNormal, false); }, ""},
      {"BreadcrumbDropDownOutsideHot",
       [&](Recorder& p, TcxCanvas* c) { p.DrawBreadcrumbEditDropDownButton(c, r, BBS::dxbcbsHot, false); },
       "Button(10,20,40,44 s2)"},
      {"BreadcrumbDropDownGlyph",
       [&](Recorder& p, TcxCanvas* c) { p.DrawBreadcrumbEditDropDownButtonGlyph(c, r, BBS::dxbcbsPressed, true); },
       "ButtonArrow(12,22,38,42 103)"},
      {"BreadcrumbNode",
       [&](Recorder& p, TcxCanvas* c) { p.DrawBreadcrumbEditNode(c, r, BBS::dxbcbsHot, true); },
       "Button(10,20,40,44 s2)"},
      {"BreadcrumbNodeDelimiter",
       [&](Recorder& p, TcxCanvas* c) { p.DrawBreadcrumbEditNodeDelimiter(c, r, BBS::dxbcbsPressed); },
       "Button(10,20,40,44 s3)"},
      {"BreadcrumbDelimiterGlyph",
       [&](Recorder& p, TcxCanvas* c) { p.DrawBreadcrumbEditNodeDelimiterGlyph(c, r, BBS::dxbcbsDisabled); },
       "Arrow(10,20,40,44 d1 104)"},
      {"BreadcrumbMoreGlyph",
       [&](Recorder& p, TcxCanvas* c) { p.DrawBreadcrumbEditNodeMoreButtonGlyph(c, r, BBS::dxbcbsHot); },
       "Arrow(10,20,40,44 d1 101)"},
      {"SpreadSheetGlyphExpanded",
       [&](Recorder& p, TcxCanvas* c) { p.DrawSpreadSheetGroupExpandButtonGlyph(c, r, BS::cxbsHot, true, &glyphs); },
       "NavigatorGlyph(list 8 20,28,29,35 enabled)"},
      {"SpreadSheetGlyphCollapsedDisabledStillEnabled",
       [&](Recorder& p, TcxCanvas* c) {
         p.DrawSpreadSheetGroupExpandButtonGlyph(c, r, BS::cxbsDisabled, false, &glyphs);
       },
       "NavigatorGlyph(list 6 20,28,29,35 enabled)"},
      {"AlertDropdown",
       [&](Recorder& p, TcxCanvas* c) { p.DrawAlertWindowButton(c, r, BS::cxbsHot, AWK::awbkDropdown); },
       "Button(10,20,40,44 s2)Arrow(13,23,37,41 d1 102)"},
      {"AlertDownForcesPressed",
       [&](Recorder& p, TcxCanvas* c) { p.DrawAlertWindowButton(c, r, BS::cxbsNormal, AWK::awbkPrevious, true); },
       "Button(10,20,40,44 s3)Arrow(13,23,37,41 d2 103)"},
      {"AlertNext", [&](Recorder& p, TcxCanvas* c) { p.DrawAlertWindowButton(c, r, BS::cxbsNormal, AWK::awbkNext); },
       "Button(10,20,40,44 s1)Arrow(13,23,37,41 d3 101)"},
      {"AlertCustomOnlyButton",
       [&](Recorder& p, TcxCanvas* c) { p.DrawAlertWindowButton(c, r, BS::cxbsDisabled, AWK::awbkCustom); },
       "Button(10,20,40,44 s4)"},
  };
  FamiliesPaper paper(48, 48);
  for (const Case& c : cases) {
    Recorder p;
    c.draw(p, paper.c());
    EXPECT_EQ(p.log.str(), c.expected) << c.name;
  }
}

// A pressed spreadsheet header mixes 70 % of its colour with the selection colour.
TEST(PainterFamilies, PressedSpreadSheetHeaderLeansToHighlight) {
  Recorder p;
  FamiliesPaper paper(8, 8);
  const TColor bk = familiesRgb(200, 100, 0);
  p.DrawSpreadSheetHeader(paper.c(), {0, 0, 8, 8}, {0, 0, 8, 8}, {}, core::cxBordersAll, BS::cxbsPressed,
                          taLeftJustify, core::TcxAlignmentVert::vaCenter, false, false, u"", nullptr, clBlack, bk);
  std::ostringstream expected;
  expected << "Header(0,0,8,8 s3 bk" << std::hex << core::dxGetMiddleRGB(bk, clHighlight, 70) << " all)";
  EXPECT_EQ(p.log.str(), expected.str());
  EXPECT_NE(core::dxGetMiddleRGB(bk, clHighlight, 70), bk);
}

// ---- pixel rules ----------------------------------------------------------------------------------

// The lowered centred line on 10 x 10 is 2 pixels wide in the horizontal
// middle, dark on its left and light on its right; raised swaps them.
TEST(PainterFamilies, CentredBevelLines) {
  const struct {
    TdxBevelShape shape;
    TdxBevelStyle style;
    bool vertical;
    int at;
    TColor first, second;
  } cases[] = {
      {TdxBevelShape::dxbsLineCenteredHorz, TdxBevelStyle::dxbsLowered, true, 4, clBtnShadow, clBtnHighlight},
      {TdxBevelShape::dxbsLineCenteredHorz, TdxBevelStyle::dxbsRaised, true, 4, clBtnHighlight, clBtnShadow},
      {TdxBevelShape::dxbsLineCenteredVert, TdxBevelStyle::dxbsLowered, false, 4, clBtnShadow, clBtnHighlight},
      {TdxBevelShape::dxbsLineLeft, TdxBevelStyle::dxbsLowered, true, 0, clBtnShadow, clBtnHighlight},
      {TdxBevelShape::dxbsLineBottom, TdxBevelStyle::dxbsRaised, false, 8, clBtnHighlight, clBtnShadow},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << "shape " << int(c.shape) << " style " << int(c.style));
    FamiliesPaper paper(10, 10);
    FamiliesPainter().DrawBevelShape(paper.c(), {0, 0, 10, 10}, c.shape, c.style);
    for (int i = 0; i < 10; ++i)
      for (int j = 0; j < 10; ++j) {
        const int x = c.vertical ? j : i, y = c.vertical ? i : j;
        const std::uint32_t expected = j == c.at ? px(c.first) : j == c.at + 1 ? px(c.second) : kFamiliesWhite;
        ASSERT_EQ(paper.At(x, y), expected) << x << "," << y;
      }
  }
}

// The print-preview page: its frame, then its shadow two pixels down and
// right, around content that is painted only when asked for.
TEST(PainterFamilies, PrintPreviewPage) {
  const TRect border{2, 2, 30, 30}, content{6, 6, 24, 24};
  for (bool selected : {false, true})
    for (bool drawContent : {false, true}) {
      SCOPED_TRACE(::testing::Message() << "selected " << selected << " content " << drawContent);
      FamiliesPaper paper(32, 32);
      paper.c()->FillRect(content, clRed);
      FamiliesPainter().DrawPrintPreviewPageBackground(paper.c(), border, content, selected, drawContent);
      const TRect page = selected ? TRect{2, 2, 28, 28} : TRect{3, 3, 27, 27};
      const std::uint32_t frame = px(selected ? clHighlight : clWindowText);
      EXPECT_EQ(paper.At(page.left, page.top), frame);
      EXPECT_EQ(paper.At(page.right - 1, page.bottom - 1), frame);
      EXPECT_EQ(paper.At(content.left - 1, content.top - 1), frame);
      EXPECT_EQ(paper.At(content.left, content.top), drawContent ? px(clWindow) : 0xFF0000u);
      // The shadow shows only outside the page.
      EXPECT_EQ(paper.At(page.right + 1, page.bottom + 1), px(clWindowText));
      EXPECT_EQ(paper.At(page.right + 1, page.top + 2), px(clWindowText));
      EXPECT_EQ(paper.At(page.left + 2, page.bottom), px(clWindowText));
      EXPECT_EQ(paper.At(page.right + 1, page.top + 1), kFamiliesWhite);
      EXPECT_EQ(paper.At(page.left + 1, page.bottom + 1), kFamiliesWhite);
      if (!selected) {
        EXPECT_EQ(paper.At(2, 2), kFamiliesWhite);
      }
      // The clip region is given back.
      paper.c()->FillRect({0, 0, 32, 32}, clLime);
      EXPECT_EQ(paper.At(content.left, content.top), 0x00FF00u);
    }
}

// Gallery selection: an alpha fill by state and a two-pixel frame whose
// colour is the focus colour, tinted by state, or the hover colour.
TEST(PainterFamilies, GallerySelectionFillAndFrame) {
  const TColor focus = familiesRgb(125, 162, 206), hover = familiesRgb(184, 214, 251), basic = familiesRgb(1, 40, 88);
  struct Case {
    bool checked, hover, pressed, focused;
    int alpha;
    TColor frame;
  };
  const Case cases[] = {
      {false, false, false, false, 0, clNone},
      {false, true, false, false, 32, hover},
      {false, false, true, false, 64, core::dxGetColorTint(focus, 20)},
      {false, true, true, true, 64, focus},
      {true, false, false, false, 16, core::dxGetColorTint(focus, 80)},
      {true, true, false, false, 96, core::dxGetColorTint(focus, 10)},
      {true, true, true, false, 128, core::dxGetColorTint(focus, -20)},
      {true, false, false, true, 16, focus},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.checked << c.hover << c.pressed << c.focused);
    FamiliesPaper paper(24, 24);
    TdxGalleryItemViewState state;
    state.Enabled = true;
    state.Checked = c.checked;
    state.Hover = c.hover;
    state.Pressed = c.pressed;
    state.Focused = c.focused;
    FamiliesPainter().DrawGalleryItemSelection(paper.c(), {2, 2, 22, 22}, state);
    EXPECT_EQ(paper.Changed({2, 2, 22, 22}, false), 0);
    EXPECT_TRUE(Near(paper.At(11, 11), c.alpha ? overWhite(basic, c.alpha) : kFamiliesWhite, 2));
    if (c.frame == clNone) {
      // No frame: the border pixels are the same as the middle.
      EXPECT_EQ(paper.At(2, 2), paper.At(11, 11));
      EXPECT_EQ(paper.At(21, 12), paper.At(11, 11));
    } else {
      for (const TPoint& p : {TPoint{2, 2}, TPoint{3, 12}, TPoint{21, 21}, TPoint{12, 20}})
        EXPECT_EQ(paper.At(p.x, p.y), px(c.frame)) << p.x << "," << p.y;
      EXPECT_NE(paper.At(4, 4), px(c.frame));
    }
  }
}

TEST(PainterFamilies, ColorGallerySelectionFrames) {
  struct Case {
    bool checked, hover, pressed, focused;
    TColor outer;
  };
  const Case cases[] = {
      {false, false, false, false, clNone},          {true, true, true, true, familiesRgb(239, 72, 16)},
      {false, true, true, false, familiesRgb(239, 34, 0)},   {false, true, false, false, familiesRgb(242, 148, 54)},
      {false, false, false, true, familiesRgb(242, 148, 54)},
  };
  for (const Case& c : cases) {
    FamiliesPaper paper(12, 12);
    TdxGalleryItemViewState state;
    state.Checked = c.checked;
    state.Hover = c.hover;
    state.Pressed = c.pressed;
    state.Focused = c.focused;
    FamiliesPainter().DrawColorGalleryItemSelection(paper.c(), {1, 1, 11, 11}, state);
    if (c.outer == clNone) {
      EXPECT_EQ(paper.Changed({0, 0, 12, 12}, true), 0);
      continue;
    }
    EXPECT_EQ(paper.At(1, 1), px(c.outer));
    EXPECT_EQ(paper.At(10, 5), px(c.outer));
    EXPECT_EQ(paper.At(2, 2), px(familiesRgb(255, 226, 148)));
    EXPECT_EQ(paper.At(9, 9), px(familiesRgb(255, 226, 148)));
    EXPECT_EQ(paper.At(3, 3), kFamiliesWhite);
    EXPECT_EQ(paper.At(0, 0), kFamiliesWhite);
  }
}

// The strip images: the frame of each state is the one the table names,
// whatever the screen resolution.
TEST(PainterFamilies, ImageStripFramesByState) {
  ScreenGuard guard;
  FamiliesPainter painter;
  core::TdxSmartImage* back = painter.GetBackButton();
  core::TdxSmartImage* rating = painter.GetRatingControlIndicator();
  ASSERT_FALSE(back->Empty());
  ASSERT_FALSE(rating->Empty());
  const struct {
    std::function<void(TcxCanvas*, const TRect&)> draw;
    core::TdxSmartImage* image;
    int frame, frames;
  } cases[] = {
      {[&](TcxCanvas* c, const TRect& r) { painter.DrawBackButton(c, r, BS::cxbsDefault); }, back, 0, 4},
      {[&](TcxCanvas* c, const TRect& r) { painter.DrawBackButton(c, r, BS::cxbsNormal); }, back, 0, 4},
      {[&](TcxCanvas* c, const TRect& r) { painter.DrawBackButton(c, r, BS::cxbsHot); }, back, 1, 4},
      {[&](TcxCanvas* c, const TRect& r) { painter.DrawBackButton(c, r, BS::cxbsPressed); }, back, 2, 4},
      {[&](TcxCanvas* c, const TRect& r) { painter.DrawBackButton(c, r, BS::cxbsDisabled); }, back, 3, 4},
      {[&](TcxCanvas* c, const TRect& r) { painter.DrawRatingControlIndicator(c, r, RIS::rcisUnchecked); }, rating,
       0, 3},
      {[&](TcxCanvas* c, const TRect& r) { painter.DrawRatingControlIndicator(c, r, RIS::rcisChecked); }, rating, 2,
       3},
      {[&](TcxCanvas* c, const TRect& r) { painter.DrawRatingControlIndicator(c, r, RIS::rcisHover); }, rating, 1,
       3},
  };
  for (int dpi : {96, 120}) {
    gdi::SetScreenLogPixels(dpi);
    for (const auto& c : cases) {
      SCOPED_TRACE(::testing::Message() << "dpi " << dpi << " frame " << c.frame);
      const int w = c.image->Width(), h = c.image->Height() / c.frames;
      const TRect dest{0, 0, w * 2, h * 2};
      FamiliesPaper drawn(w * 2, h * 2), expected(w * 2, h * 2);
      c.draw(drawn.c(), dest);
      c.image->StretchDraw(expected.c()->Handle(), dest, TRect{0, h * c.frame, w, h * (c.frame + 1)});
      EXPECT_TRUE(drawn.Image() == expected.Image());
      // Different frames really differ, so the comparison can tell them apart.
      FamiliesPaper other(w * 2, h * 2);
      c.image->StretchDraw(other.c()->Handle(), dest, TRect{0, h * ((c.frame + 1) % c.frames), w,
                                                             h * ((c.frame + 1) % c.frames + 1)});
      EXPECT_FALSE(drawn.Image() == other.Image());
    }
  }
}

// The rating indicator with no glyph of its own centres the painter's
// image; the part variant stays inside its part rectangle.
TEST(PainterFamilies, RatingIndicatorCentredAndClippedToPart) {
  FamiliesPainter painter;
  FamiliesPaper whole(40, 24), direct(40, 24);
  painter.DrawRatingControlIndicator(whole.c(), nullptr, {0, 0, 40, 24}, RIS::rcisChecked);
  painter.DrawRatingControlIndicator(direct.c(), {12, 4, 28, 20}, RIS::rcisChecked);
  EXPECT_TRUE(whole.Image() == direct.Image());
  EXPECT_GT(whole.Changed({12, 4, 28, 20}, true), 0);

  FamiliesPaper part(40, 24);
  painter.DrawRatingControlIndicatorPart(part.c(), nullptr, {0, 0, 40, 24}, {0, 0, 20, 24}, RIS::rcisChecked);
  EXPECT_EQ(part.Changed({0, 0, 20, 24}, false), 0);
  EXPECT_GT(part.Changed({0, 0, 20, 24}, true), 0);
  for (int y = 0; y < 24; ++y)
    for (int x = 0; x < 20; ++x) ASSERT_EQ(part.At(x, y), whole.At(x, y)) << x << "," << y;
  // The clip is given back.
  part.c()->FillRect({0, 0, 40, 24}, clBlack);
  EXPECT_EQ(part.At(39, 23), 0u);
}

// The message is one line centred both ways over the fill, on a clear brush
// that is solid again afterwards (so later fills of the caller still paint).
TEST(PainterFamilies, MessageBoxCentresItsTextAndRestoresTheBrush) {
  FamiliesPaper paper(120, 40);
  TFont font;
  font.SetName(u"Tahoma");
  font.SetHeight(-13);
  font.SetColor(clBlack);
  const TRect box{10, 5, 110, 35};
  FamiliesPainter().DrawMessageBox(paper.c(), box, u"MMMM", &font, clYellow);
  EXPECT_EQ(paper.c()->Brush()->Style(), bsSolid);
  EXPECT_EQ(paper.At(box.left, box.top), px(clBtnShadow));
  EXPECT_EQ(paper.At(box.left + 1, box.top + 1), px(clYellow));
  int left = 1000, right = -1, top = 1000, bottom = -1;
  for (int y = box.top + 1; y < box.bottom - 1; ++y)
    for (int x = box.left + 1; x < box.right - 1; ++x) {
      const std::uint32_t c = paper.At(x, y);
      if (c == px(clYellow)) continue;
      // The text is drawn without a background: only dark glyph pixels differ from the fill.
      ASSERT_LT(channel(c, 0), 0xFF) << x << "," << y;
      left = std::min(left, x), right = std::max(right, x);
      top = std::min(top, y), bottom = std::max(bottom, y);
    }
  ASSERT_GE(right, left);
  EXPECT_LE(std::abs((left - box.left) - (box.right - 1 - right)), 2);
  EXPECT_LE(std::abs((top - box.top) - (box.bottom - 1 - bottom)), 4);
  // The frame was taken out of the clip region: a later fill leaves it alone.
  paper.c()->FillRect(box, clRed);
  EXPECT_EQ(paper.At(box.left, box.top), px(clBtnShadow));
  EXPECT_EQ(paper.At(box.left + 1, box.top + 1), px(clRed));
}

TEST(PainterFamilies, AlertBackgroundOutlinesWithThePenAndRestoresTheBrush) {
  FamiliesPaper paper(20, 12);
  paper.c()->Pen()->SetColor(clBlue);
  FamiliesPainter().DrawAlertWindowBackground(paper.c(), {1, 1, 19, 11});
  EXPECT_EQ(paper.c()->Brush()->Style(), bsSolid);
  EXPECT_EQ(paper.At(1, 1), px(clBlue));
  EXPECT_EQ(paper.At(18, 10), px(clBlue));
  EXPECT_EQ(paper.At(10, 1), px(clBlue));
  EXPECT_EQ(paper.At(10, 5), px(clBtnFace));
  EXPECT_EQ(paper.At(0, 0), kFamiliesWhite);
}

// ---- golden images -------------------------------------------------------------------------------

// Not a colour of any element, so white and grey lines both show.
constexpr TColor kGoldenBackground = familiesRgb(170, 200, 230);

TEST(PainterFamiliesGolden, Bevels) {
  FamiliesPaper paper(9 * 14 + 2 * 14, 2 * 14, kGoldenBackground);
  FamiliesPainter painter;
  for (int style = 0; style < 2; ++style) {
    for (int shape = 0; shape < 9; ++shape)
      painter.DrawBevelShape(paper.c(), {shape * 14 + 1, style * 14 + 1, shape * 14 + 13, style * 14 + 13},
                             TdxBevelShape(shape), TdxBevelStyle(style));
    const int x = 9 * 14;
    // The single-colour variants.
    painter.DrawBevelFrame(paper.c(), {x + 1, style * 14 + 1, x + 13, style * 14 + 13}, clRed, clNone, style);
    painter.DrawBevelLine(paper.c(), {x + 15, style * 14 + 1, x + 17, style * 14 + 13}, clBlue, clNone, true);
    painter.DrawBevelLine(paper.c(), {x + 19, style * 14 + 1, x + 27, style * 14 + 5}, clRed, clLime, false);
  }
  EXPECT_GOLDEN(paper.Image(), "lookandfeel", "families_bevels");
}

TEST(PainterFamiliesGolden, Pins) {
  FamiliesPaper paper(6 * 16, 32, kGoldenBackground);
  int x = 0;
  for (int size : {8, 11, 14}) {
    FamiliesPainter::DrawPin(paper.c(), {x + 1, 1, x + 1 + size, 1 + size}, true, clBlack);
    FamiliesPainter::DrawPin(paper.c(), {x + 1, 17, x + 1 + size, 17 + size}, false, clBlack);
    x += 16;
  }
  // Not square: the proportions follow each side.
  FamiliesPainter::DrawPin(paper.c(), {x + 1, 1, x + 11, 15}, true, clBlue);
  FamiliesPainter::DrawPin(paper.c(), {x + 1, 17, x + 15, 27}, false, clBlue);
  EXPECT_GOLDEN(paper.Image(), "lookandfeel", "families_pins");
}

// Frames, fills and bands of the breadcrumb editor, drop-down list box,
// alert window, wheel picker, navigation bar, layout control and gallery.
TEST(PainterFamiliesGolden, FramesAndFills) {
  FamiliesPaper paper(160, 64, kGoldenBackground);
  FamiliesPainter p;
  TcxCanvas* c = paper.c();
  using core::TcxBorder;
  p.DrawBreadcrumbEditBorders(c, {1, 1, 21, 13}, core::cxBordersAll, TdxBreadcrumbEditState::dxbcsNormal);
  p.DrawBreadcrumbEditBorders(c, {23, 1, 43, 13}, core::TcxBorders{TcxBorder::bTop, TcxBorder::bRight},
                              TdxBreadcrumbEditState::dxbcsNormal);
  p.DrawBreadcrumbEditProgressChunk(c, {45, 1, 55, 13});
  p.DrawDropDownListBoxBackground(c, {1, 15, 21, 35}, true);
  p.DrawDropDownListBoxBackground(c, {23, 15, 43, 35}, false);
  p.DrawDropDownListBoxSelection(c, {45, 15, 65, 21}, {45, 15, 49, 21});
  p.DrawDropDownListBoxSeparator(c, {45, 23, 65, 30}, {45, 23, 49, 30});
  p.DrawDropDownListBoxSeparator(c, {45, 31, 65, 35}, {45, 31, 49, 35});
  p.DrawAlertWindowBackground(c, {67, 1, 87, 13});
  p.DrawAlertWindowNavigationPanel(c, {67, 15, 87, 27});
  p.DrawWheelPickerItem(c, {89, 1, 105, 9}, BS::cxbsNormal);
  p.DrawWheelPickerItem(c, {89, 11, 105, 19}, BS::cxbsHot);
  p.DrawWheelPickerItem(c, {89, 21, 105, 29}, BS::cxbsPressed);
  p.OfficeNavigationBarDrawBackground(c, {107, 1, 159, 11});
  for (int state = 0; state < 4; ++state)
    p.OfficeNavigationBarDrawImageSelection(c, {108 + state * 13, 2, 119 + state * 13, 10}, state);
  p.DrawLayoutControlBackground(c, {107, 13, 127, 21});
  p.DrawScrollBoxBackground(c, {129, 13, 149, 21}, clTeal);
  p.DrawPrintPreviewBackground(c, {107, 23, 127, 31});
  p.DrawGalleryBackground(c, {129, 23, 149, 31});
  p.DrawGalleryItemImageFrame(c, {130, 24, 148, 30});
  p.DrawMessageBox(c, {1, 37, 41, 49}, u"", nullptr, clNone);
  p.DrawMessageBox(c, {43, 37, 83, 49}, u"", nullptr, clYellow);
  EXPECT_GOLDEN(paper.Image(), "lookandfeel", "families_frames");
}

// The anti-aliased and image-based elements, compared with a tolerance.
TEST(PainterFamiliesGolden, ImagesAndTranslucentElements) {
  FamiliesPaper paper(232, 56, kGoldenBackground);
  FamiliesPainter p;
  TcxCanvas* c = paper.c();
  c->FillRect({0, 28, 232, 56}, clGray);
  int x = 0;
  for (MES s : {MES::mcesNormal, MES::mcesHot, MES::mcesPressed, MES::mcesSelected, MES::mcesDisabled}) {
    p.DrawMapCustomElementBackground(c, {x + 1, 29, x + 23, 49}, s);
    x += 24;
  }
  p.DrawMapPushpin(c, {x, 28, x + 17, 49}, MES::mcesNormal);
  x = 0;
  for (BS s : {BS::cxbsNormal, BS::cxbsHot, BS::cxbsPressed, BS::cxbsDisabled}) {
    p.DrawBackButton(c, {x, 0, x + 24, 24}, s);
    x += 25;
  }
  for (RIS s : {RIS::rcisUnchecked, RIS::rcisChecked, RIS::rcisHover}) {
    p.DrawRatingControlIndicator(c, {x, 4, x + 16, 20}, s);
    x += 17;
  }
  p.DrawFixedGroupIndicator(c, {x, 4, x + 16, 20});
  x += 17;
  p.OfficeNavigationBarDrawCustomizationButton(c, {x, 4, x + 16, 20}, 0, core::dxacDefault);
  x += 17;
  p.OfficeNavigationBarDrawCustomizationButton(c, {x, 4, x + 16, 20}, 0, 0x80FF0000u);
  x += 17;
  TdxGalleryItemViewState checkedHover;
  checkedHover.Checked = checkedHover.Hover = true;
  p.DrawGalleryItemSelection(c, {x, 4, x + 20, 20}, checkedHover);
  EXPECT_GOLDEN(paper.Image(), "lookandfeel", "families_images",
                testing_support::GoldenOptions{.channelTolerance = 3, .maxDifferingPixels = 20});
}

// The navigation bar's recoloured image takes the colour part of the alpha
// colour and its opacity.
TEST(PainterFamilies, RecolouredCustomizationButton) {
  FamiliesPainter p;
  FamiliesPaper opaque(16, 16), half(16, 16);
  p.OfficeNavigationBarDrawCustomizationButton(opaque.c(), {0, 0, 16, 16}, 0, 0xFFFF0000u);
  p.OfficeNavigationBarDrawCustomizationButton(half.c(), {0, 0, 16, 16}, 0, 0x80FF0000u);
  int coloured = 0;
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) {
      const std::uint32_t o = opaque.At(x, y);
      if (o == kFamiliesWhite) continue;
      // Every painted pixel is a shade of pure red over white.
      EXPECT_EQ(channel(o, 16), 255) << x << "," << y;
      EXPECT_EQ(channel(o, 8), channel(o, 0)) << x << "," << y;
      if (o == 0xFF0000u) {
        ++coloured;
        EXPECT_TRUE(Near(half.At(x, y), overWhite(clRed, 128), 2)) << x << "," << y;
      }
    }
  EXPECT_GT(coloured, 0);
}

// ---- empty, inverted and huge rectangles under a clip ------------------------------------------------

struct DrawOp {
  const char* name;
  std::function<void(FamiliesPainter&, TcxCanvas*, const TRect&)> draw;
};

std::vector<DrawOp> drawingOperations() {
  TdxGalleryItemViewState all;
  all.Enabled = all.Checked = all.Hover = all.Pressed = all.Focused = true;
  TdxGalleryItemViewState hover;
  hover.Hover = true;
  static TBitmap glyph;
  glyph.SetPixelFormat(pf32bit);
  glyph.SetSize(8, 8);
  glyph.Canvas()->Brush()->SetColor(clRed);
  glyph.Canvas()->FillRect(TRect{0, 0, 8, 8});
  return {
      {"BackButton", [](FamiliesPainter& p, TcxCanvas* c, const TRect& r) { p.DrawBackButton(c, r, BS::cxbsHot); }},
      {"GaugeBackground",
       [](FamiliesPainter& p, TcxCanvas* c, const TRect& r) { p.DrawGaugeControlBackground(c, r, false, clRed); }},
      {"MapElementHot",
       [](FamiliesPainter& p, TcxCanvas* c, const TRect& r) { p.DrawMapCustomElementBackground(c, r, MES::mcesHot); }},
      {"MapElementSelected",
       [](FamiliesPainter& p, TcxCanvas* c, const TRect& r) { p.DrawMapCustomElementBackground(c, r, MES::mcesSelected); }},
      {"MapPushpin", [](FamiliesPainter& p, TcxCanvas* c, const TRect& r) { p.DrawMapPushpin(c, r, MES::mcesNormal); }},
      {"NavBarCustomization",
       [](FamiliesPainter& p, TcxCanvas* c, const TRect& r) {
         p.OfficeNavigationBarDrawCustomizationButton(c, r, 0, core::dxacDefault);
       }},
      {"NavBarCustomizationRecoloured",
       [](FamiliesPainter& p, TcxCanvas* c, const TRect& r) {
         p.OfficeNavigationBarDrawCustomizationButton(c, r, 0, 0xC0FF0000u);
       }},
      {"NavBarBackground", [](FamiliesPainter& p, TcxCanvas* c, const TRect& r) { p.OfficeNavigationBarDrawBackground(c, r); }},
      {"NavBarImageSelection",
       [](FamiliesPainter& p, TcxCanvas* c, const TRect& r) { p.OfficeNavigationBarDrawImageSelection(c, r, 2); }},
      {"NavBarButtonItem",
       [](FamiliesPainter& p, TcxCanvas* c, const TRect& r) { p.OfficeNavigationBarButtonItemDrawBackground(c, r, 1); }},
      {"NavBarItem", [](FamiliesPainter& p, TcxCanvas* c, const TRect& r) { p.OfficeNavigationBarItemDrawBackground(c, r, 1); }},
      {"SpreadSheetGroupButton",
       [](FamiliesPainter& p, TcxCanvas* c, const TRect& r) { p.DrawSpreadSheetGroupExpandButton(c, r, BS::cxbsPressed); }},
      {"SpreadSheetGlyph",
       [](FamiliesPainter& p, TcxCanvas* c, const TRect& r) {
         static TCustomImageList glyphs(11, 11);
         p.DrawSpreadSheetGroupExpandButtonGlyph(c, r, BS::cxbsNormal, true, &glyphs);
       }},
      {"SpreadSheetHeader",
       [](FamiliesPainter& p, TcxCanvas* c, const TRect& r) {
         p.DrawSpreadSheetHeader(c, r, r, {}, core::cxBordersAll, BS::cxbsPressed, taCenter,
                                 core::TcxAlignmentVert::vaCenter, false, true, u"Ab", c->Font(), clBlack, clBtnFace);
       }},
      {"LayoutControl", [](FamiliesPainter& p, TcxCanvas* c, const TRect& r) { p.DrawLayoutControlBackground(c, r); }},
      {"ScrollBox", [](FamiliesPainter& p, TcxCanvas* c, const TRect& r) { p.DrawScrollBoxBackground(c, r, clRed); }},
      {"PrintPreview", [](FamiliesPainter& p, TcxCanvas* c, const TRect& r) { p.DrawPrintPreviewBackground(c, r); }},
      {"PrintPreviewPage",
       [](FamiliesPainter& p, TcxCanvas* c, const TRect& r) { p.DrawPrintPreviewPageBackground(c, r, r, true, true); }},
      {"PrintPreviewPageUnselected",
       [](FamiliesPainter& p, TcxCanvas* c, const TRect& r) { p.DrawPrintPreviewPageBackground(c, r, r, false, false); }},
      {"MessageBox",
       [](FamiliesPainter& p, TcxCanvas* c, const TRect& r) { p.DrawMessageBox(c, r, u"Nothing here", nullptr, clNone); }},
      {"BreadcrumbBorders",
       [](FamiliesPainter& p, TcxCanvas* c, const TRect& r) {
         p.DrawBreadcrumbEditBorders(c, r, core::cxBordersAll, TdxBreadcrumbEditState::dxbcsHot);
       }},
      {"BreadcrumbSeparator",
       [](FamiliesPainter& p, TcxCanvas* c, const TRect& r) {
         p.DrawBreadcrumbEditButtonAreaSeparator(c, r, TdxBreadcrumbEditState::dxbcsHot);
       }},
      {"BreadcrumbButton",
       [](FamiliesPainter& p, TcxCanvas* c, const TRect& r) { p.DrawBreadcrumbEditButton(c, r, BBS::dxbcbsHot, true, true); }},
      {"BreadcrumbDropDown",
       [](FamiliesPainter& p, TcxCanvas* c, const TRect& r) {
         p.DrawBreadcrumbEditDropDownButton(c, r, BBS::dxbcbsPressed, true);
       }},
      {"BreadcrumbDropDownGlyph",
       [](FamiliesPainter& p, TcxCanvas* c, const TRect& r) {
         p.DrawBreadcrumbEditDropDownButtonGlyph(c, r, BBS::dxbcbsNormal, false);
       }},
      {"BreadcrumbNode",
       [](FamiliesPainter& p, TcxCanvas* c, const TRect& r) { p.DrawBreadcrumbEditNode(c, r, BBS::dxbcbsPressed, true); }},
      {"BreadcrumbNodeDelimiter",
       [](FamiliesPainter& p, TcxCanvas* c, const TRect& r) { p.DrawBreadcrumbEditNodeDelimiter(c, r, BBS::dxbcbsHot); }},
      {"BreadcrumbDelimiterGlyph",
       [](FamiliesPainter& p, TcxCanvas* c, const TRect& r) {
         p.DrawBreadcrumbEditNodeDelimiterGlyph(c, r, BBS::dxbcbsNormal);
       }},
      {"BreadcrumbMoreGlyph",
       [](FamiliesPainter& p, TcxCanvas* c, const TRect& r) { p.DrawBreadcrumbEditNodeMoreButtonGlyph(c, r, BBS::dxbcbsHot); }},
      {"BreadcrumbChunk", [](FamiliesPainter& p, TcxCanvas* c, const TRect& r) { p.DrawBreadcrumbEditProgressChunk(c, r); }},
      {"BreadcrumbChunkOverlay",
       [](FamiliesPainter& p, TcxCanvas* c, const TRect& r) { p.DrawBreadcrumbEditProgressChunkOverlay(c, r); }},
      {"DropDownBackground",
       [](FamiliesPainter& p, TcxCanvas* c, const TRect& r) { p.DrawDropDownListBoxBackground(c, r, true); }},
      {"DropDownGutter", [](FamiliesPainter& p, TcxCanvas* c, const TRect& r) { p.DrawDropDownListBoxGutterBackground(c, r); }},
      {"DropDownSelection", [](FamiliesPainter& p, TcxCanvas* c, const TRect& r) { p.DrawDropDownListBoxSelection(c, r, r); }},
      {"DropDownSeparator", [](FamiliesPainter& p, TcxCanvas* c, const TRect& r) { p.DrawDropDownListBoxSeparator(c, r, r); }},
      {"AlertBackground", [](FamiliesPainter& p, TcxCanvas* c, const TRect& r) { p.DrawAlertWindowBackground(c, r); }},
      {"AlertClose",
       [](FamiliesPainter& p, TcxCanvas* c, const TRect& r) { p.DrawAlertWindowButton(c, r, BS::cxbsHot, AWK::awbkClose); }},
      {"AlertPin",
       [](FamiliesPainter& p, TcxCanvas* c, const TRect& r) { p.DrawAlertWindowButton(c, r, BS::cxbsHot, AWK::awbkPin); }},
      {"AlertPinned",
       [](FamiliesPainter& p, TcxCanvas* c, const TRect& r) {
         p.DrawAlertWindowButton(c, r, BS::cxbsHot, AWK::awbkPin, true);
       }},
      {"AlertDropdown",
       [](FamiliesPainter& p, TcxCanvas* c, const TRect& r) {
         p.DrawAlertWindowButton(c, r, BS::cxbsNormal, AWK::awbkDropdown);
       }},
      {"AlertNavigationPanel", [](FamiliesPainter& p, TcxCanvas* c, const TRect& r) { p.DrawAlertWindowNavigationPanel(c, r); }},
      {"GalleryBackground", [](FamiliesPainter& p, TcxCanvas* c, const TRect& r) { p.DrawGalleryBackground(c, r); }},
      {"GalleryGroupHeader", [](FamiliesPainter& p, TcxCanvas* c, const TRect& r) { p.DrawGalleryGroupHeader(c, r); }},
      {"GallerySelection", [all](FamiliesPainter& p, TcxCanvas* c, const TRect& r) { p.DrawGalleryItemSelection(c, r, all); }},
      {"GallerySelectionHover",
       [hover](FamiliesPainter& p, TcxCanvas* c, const TRect& r) { p.DrawGalleryItemSelection(c, r, hover); }},
      {"GalleryImageFrame", [](FamiliesPainter& p, TcxCanvas* c, const TRect& r) { p.DrawGalleryItemImageFrame(c, r); }},
      {"ColorGallerySelection",
       [all](FamiliesPainter& p, TcxCanvas* c, const TRect& r) { p.DrawColorGalleryItemSelection(c, r, all); }},
      {"BevelFrame",
       [](FamiliesPainter& p, TcxCanvas* c, const TRect& r) { p.DrawBevelFrame(c, r, clRed, clBlue, false); }},
      {"BevelBox", [](FamiliesPainter& p, TcxCanvas* c, const TRect& r) { p.DrawBevelFrame(c, r, clRed, clBlue, true); }},
      {"BevelLine", [](FamiliesPainter& p, TcxCanvas* c, const TRect& r) { p.DrawBevelLine(c, r, clRed, clBlue, true); }},
      {"BevelShapes",
       [](FamiliesPainter& p, TcxCanvas* c, const TRect& r) {
         for (int s = 0; s < 9; ++s) p.DrawBevelShape(c, r, TdxBevelShape(s), TdxBevelStyle::dxbsRaised);
       }},
      {"Pin",
       [](FamiliesPainter&, TcxCanvas* c, const TRect& r) {
         FamiliesPainter::DrawPin(c, r, true, clRed);
         FamiliesPainter::DrawPin(c, r, false, clRed);
       }},
      {"RatingWithoutGlyph",
       [](FamiliesPainter& p, TcxCanvas* c, const TRect& r) {
         p.DrawRatingControlIndicator(c, nullptr, r, RIS::rcisChecked);
       }},
      {"RatingWithGlyph",
       [](FamiliesPainter& p, TcxCanvas* c, const TRect& r) { p.DrawRatingControlIndicator(c, &glyph, r, RIS::rcisHover); }},
      {"Rating", [](FamiliesPainter& p, TcxCanvas* c, const TRect& r) { p.DrawRatingControlIndicator(c, r, RIS::rcisHover); }},
      {"RatingPart",
       [](FamiliesPainter& p, TcxCanvas* c, const TRect& r) {
         p.DrawRatingControlIndicatorPart(c, &glyph, r, r, RIS::rcisChecked);
       }},
      {"FixedGroupIndicator", [](FamiliesPainter& p, TcxCanvas* c, const TRect& r) { p.DrawFixedGroupIndicator(c, r); }},
      {"WheelPickerHot", [](FamiliesPainter& p, TcxCanvas* c, const TRect& r) { p.DrawWheelPickerItem(c, r, BS::cxbsHot); }},
      {"WheelPickerPressed",
       [](FamiliesPainter& p, TcxCanvas* c, const TRect& r) { p.DrawWheelPickerItem(c, r, BS::cxbsPressed); }},
  };
}

TEST(PainterFamilies, DegenerateRectanglesUnderAClip) {
  const TRect clip{16, 16, 48, 48};
  const struct {
    const char* name;
    TRect rect;
    bool drawsNothing;
  } rects[] = {
      {"empty", {20, 20, 20, 40}, true},
      {"flat", {20, 30, 40, 30}, true},
      {"inverted", {40, 40, 10, 10}, true},
      {"huge", {-100000, -100000, 100000, 100000}, false},
  };
  for (const DrawOp& op : drawingOperations())
    for (const auto& r : rects) {
      SCOPED_TRACE(::testing::Message() << op.name << " on " << r.name);
      FamiliesPaper paper(64, 64);
      paper.c()->IntersectClipRect(clip);
      FamiliesPainter painter;
      EXPECT_NO_THROW(op.draw(painter, paper.c(), r.rect));
      EXPECT_EQ(paper.Changed(clip, false), 0);
      if (r.drawsNothing) {
        EXPECT_EQ(paper.Changed(clip, true), 0);
      }
    }
}

}  // namespace
