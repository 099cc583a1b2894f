// The base painter: its default colours (and that the derived ones follow a
// descendant's overrides), identity and cached details with the style icons,
// the seven compiled-in images, and the one centring routine.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "lib/core/dxSkinsCore.h"
#include "lib/core/dxSmartImage.h"
#include "lib/lookandfeel/cxLookAndFeelPainters.h"
#include "platform/gdi/dc.h"
#include "platform/rtl/resources.h"
#include "platform/ui/colors.h"

using namespace lookandfeel;
using namespace ui;

namespace {

using Painter = TcxCustomLookAndFeelPainter;
using BS = TcxButtonState;

struct ColourCase {
  const char* name;
  std::function<TColor(Painter&)> get;
  TColor expected;
};

constexpr TColor rgb(int r, int g, int b) { return TColor(r | (g << 8) | (b << 16)); }

const std::vector<ColourCase>& baseColours() {
  static const std::vector<ColourCase> cases = {
      {"HeaderHighlightText", [](Painter& p) { return p.DefaultDateNavigatorHeaderHighlightTextColor(); }, clHotLight},
      {"Content", [](Painter& p) { return p.DefaultContentColor(); }, clWindow},
      {"ContentOdd", [](Painter& p) { return p.DefaultContentOddColor(); }, clWindow},
      {"ContentText", [](Painter& p) { return p.DefaultContentTextColor(); }, clWindowText},
      {"Control", [](Painter& p) { return p.DefaultControlColor(); }, clBtnFace},
      {"ControlText", [](Painter& p) { return p.DefaultControlTextColor(); }, clBtnText},
      {"EditorBackgroundDisabled", [](Painter& p) { return p.DefaultEditorBackgroundColor(true); }, clDefault},
      {"EditorTextEnabled", [](Painter& p) { return p.DefaultEditorTextColor(false); }, clDefault},
      {"FilterBox", [](Painter& p) { return p.DefaultFilterBoxColor(); }, clBtnShadow},
      {"FilterBoxText", [](Painter& p) { return p.DefaultFilterBoxTextColor(); }, clBtnHighlight},
      {"FixedSeparator", [](Painter& p) { return p.DefaultFixedSeparatorColor(); }, clBtnText},
      {"Footer", [](Painter& p) { return p.DefaultFooterColor(); }, clBtnFace},
      {"GridLine", [](Painter& p) { return p.DefaultGridLineColor(); }, clBtnShadow},
      {"GroupByBox", [](Painter& p) { return p.DefaultGroupByBoxColor(); }, clBtnShadow},
      {"GroupByBoxText", [](Painter& p) { return p.DefaultGroupByBoxTextColor(); }, clBtnFace},
      {"HeaderBackground", [](Painter& p) { return p.DefaultHeaderBackgroundColor(); }, clBtnShadow},
      {"Header", [](Painter& p) { return p.DefaultHeaderColor(); }, clBtnFace},
      {"HyperlinkText", [](Painter& p) { return p.DefaultHyperlinkTextColor(); }, clBlue},
      {"PreviewText", [](Painter& p) { return p.DefaultPreviewTextColor(); }, clBlue},
      {"RecordSeparator", [](Painter& p) { return p.DefaultRecordSeparatorColor(); }, clBtnShadow},
      {"VGridCategoryText", [](Painter& p) { return p.DefaultVGridCategoryTextColor(); }, clDefault},
      {"VGridBandLine", [](Painter& p) { return p.DefaultVGridBandLineColor(); }, clBlack},
      {"DateNavigatorContent", [](Painter& p) { return p.DefaultDateNavigatorContentColor(); }, clWindow},
      {"DateNavigatorHeaderText", [](Painter& p) { return p.DefaultDateNavigatorHeaderTextColor(false); },
       clBtnText},
      {"DateNavigatorHeaderTextHi", [](Painter& p) { return p.DefaultDateNavigatorHeaderTextColor(true); },
       clHotLight},
      {"Holyday", [](Painter& p) { return p.DefaultDateNavigatorHolydayTextColor(); }, clRed},
      {"DateNavigatorInactiveText", [](Painter& p) { return p.DefaultDateNavigatorInactiveTextColor(); },
       clGrayText},
      {"DateNavigatorSeparator2", [](Painter& p) { return p.DefaultDateNavigatorSeparator2Color(); }, clWindow},
      {"TodayFrame", [](Painter& p) { return p.DefaultDateNavigatorTodayFrameColor(); }, rgb(128, 0, 0)},
      {"TodayTextSelected", [](Painter& p) { return p.DefaultDateNavigatorTodayTextColor(true); }, clDefault},
      {"TodayText", [](Painter& p) { return p.DefaultDateNavigatorTodayTextColor(false); }, rgb(0, 0, 128)},
      {"SchedulerBorder", [](Painter& p) { return p.DefaultSchedulerBorderColor(); }, rgb(161, 157, 157)},
      {"SchedulerEventAllDay", [](Painter& p) { return p.DefaultSchedulerEventColor(true); }, clWhite},
      {"SchedulerEvent", [](Painter& p) { return p.DefaultSchedulerEventColor(false); }, clWindow},
      {"SchedulerViewContent", [](Painter& p) { return p.DefaultSchedulerViewContentColor(); }, rgb(255, 255, 213)},
      {"SchedulerViewSelectedText", [](Painter& p) { return p.DefaultSchedulerViewSelectedTextColor(); },
       clHighlightText},
      {"Selection", [](Painter& p) { return p.DefaultSelectionColor(); }, clHighlight},
      {"TabsBackground", [](Painter& p) { return p.DefaultTabsBackgroundColor(); }, clWindow},
      {"RootTabsBackground", [](Painter& p) { return p.DefaultRootTabsBackgroundColor(); }, clBtnFace},
      {"TimeGridMajorScaleText", [](Painter& p) { return p.DefaultTimeGridMajorScaleTextColor(); }, clBlack},
      {"HistogramGridLine", [](Painter& p) { return p.DefaultChartHistogramGridLineColor(); }, rgb(207, 207, 207)},
      {"PieCaption", [](Painter& p) { return p.DefaultChartPieDiagramSeriesSiteCaptionColor(); },
       rgb(166, 202, 240)},
      {"PieCaptionText", [](Painter& p) { return p.DefaultChartPieDiagramSeriesSiteCaptionTextColor(); },
       rgb(0, 0, 128)},
      {"LayoutContentTextPressed",
       [](Painter& p) { return p.DefaultLayoutViewContentTextColor(BS::cxbsPressed); }, clHighlightText},
      {"LayoutContentTextDisabled",
       [](Painter& p) { return p.DefaultLayoutViewContentTextColor(BS::cxbsDisabled); }, clInactiveCaptionText},
      {"LayoutContentTextHot", [](Painter& p) { return p.DefaultLayoutViewContentTextColor(BS::cxbsHot); },
       clWindowText},
      {"LayoutCaptionTextDisabled",
       [](Painter& p) { return p.DefaultLayoutViewCaptionTextColor(nullptr, BS::cxbsDisabled); },
       clInactiveCaptionText},
      {"TreeViewCategorySelected", [](Painter& p) { return p.DefaultGridOptionsTreeViewCategoryColor(true); },
       clHighlight},
      {"TreeViewCategory", [](Painter& p) { return p.DefaultGridOptionsTreeViewCategoryColor(false); },
       clBtnShadow},
      {"TreeViewCategoryTextSelected",
       [](Painter& p) { return p.DefaultGridOptionsTreeViewCategoryTextColor(true); }, clHighlightText},
  };
  return cases;
}

TEST(PainterColours, BaseValues) {
  Painter painter;
  for (const auto& c : baseColours()) EXPECT_EQ(c.get(painter), c.expected) << c.name;
}

// A descendant that changes the colours others are derived from: every
// derived default must follow it rather than repeat the base value.
class Recolouring : public Painter {
 public:
  std::vector<TcxEditStateColorKind> kinds;
  TColor editorBackground = clDefault;
  TColor DefaultContentColor() override { return rgb(1, 2, 3); }
  TColor DefaultContentTextColor() override { return rgb(4, 5, 6); }
  TColor DefaultGridLineColor() override { return rgb(7, 8, 9); }
  TColor DefaultHeaderColor() override { return rgb(10, 11, 12); }
  TColor DefaultHeaderTextColor() override { return rgb(13, 14, 15); }
  TColor DefaultVGridLineColor() override { return rgb(16, 17, 18); }
  TColor DefaultSelectionTextColor() override { return rgb(19, 20, 21); }
  TColor DefaultDateNavigatorHeaderHighlightTextColor() override { return rgb(22, 23, 24); }
  TColor DefaultEditorBackgroundColorEx(TcxEditStateColorKind AKind) override {
    kinds.push_back(AKind);
    return editorBackground;
  }
  TColor DefaultEditorTextColorEx(TcxEditStateColorKind AKind) override {
    kinds.push_back(AKind);
    return rgb(99, 0, 0);
  }
};

TEST(PainterColours, DerivedColoursFollowTheOverrides) {
  Recolouring p;
  const struct {
    const char* name;
    TColor got;
    TColor expected;
  } cases[] = {
      {"ContentEven", p.DefaultContentEvenColor(), rgb(1, 2, 3)},
      {"ContentOdd", p.DefaultContentOddColor(), rgb(1, 2, 3)},
      {"LayoutViewContent", p.DefaultLayoutViewContentColor(), rgb(1, 2, 3)},
      {"RecordSeparator", p.DefaultRecordSeparatorColor(), rgb(7, 8, 9)},
      {"TreeListGridLine", p.DefaultTreeListGridLineColor(), rgb(7, 8, 9)},
      {"TreeListTreeLine", p.DefaultTreeListTreeLineColor(), rgb(7, 8, 9)},
      {"VGridBandLine", p.DefaultVGridBandLineColor(), rgb(16, 17, 18)},
      {"VGridCategory", p.DefaultVGridCategoryColor(), rgb(10, 11, 12)},
      {"VGridHeader", p.DefaultVGridHeaderColor(), rgb(10, 11, 12)},
      {"VGridHeaderText", p.DefaultVGridHeaderTextColor(), rgb(13, 14, 15)},
      {"SchedulerTimeRuler", p.DefaultSchedulerTimeRulerColor(), rgb(10, 11, 12)},
      {"SchedulerTimeRulerText", p.DefaultSchedulerTimeRulerTextColor(), rgb(13, 14, 15)},
      {"SchedulerViewSelectedText", p.DefaultSchedulerViewSelectedTextColor(), rgb(19, 20, 21)},
      {"DateNavigatorHeaderText", p.DefaultDateNavigatorHeaderTextColor(false), rgb(13, 14, 15)},
      {"DateNavigatorHeaderTextHi", p.DefaultDateNavigatorHeaderTextColor(true), rgb(22, 23, 24)},
      {"LayoutContentTextPressed", p.DefaultLayoutViewContentTextColor(BS::cxbsPressed), rgb(19, 20, 21)},
      {"LayoutContentTextNormal", p.DefaultLayoutViewContentTextColor(BS::cxbsNormal), rgb(4, 5, 6)},
      {"LayoutCaptionTextDefault", p.DefaultLayoutViewCaptionTextColor(nullptr, BS::cxbsDefault), rgb(4, 5, 6)},
      {"DateNavigatorContentFallsBack", p.DefaultDateNavigatorContentColor(), rgb(1, 2, 3)},
  };
  for (const auto& c : cases) EXPECT_EQ(c.got, c.expected) << c.name;
}

TEST(PainterColours, EditorColoursAskForTheStateKind) {
  Recolouring p;
  EXPECT_EQ(p.DefaultEditorBackgroundColor(true), clDefault);
  EXPECT_EQ(p.DefaultEditorBackgroundColor(false), clDefault);
  EXPECT_EQ(p.DefaultEditorTextColor(true), rgb(99, 0, 0));
  EXPECT_EQ(p.DefaultEditorTextColor(false), rgb(99, 0, 0));
  using K = TcxEditStateColorKind;
  EXPECT_EQ(p.kinds, (std::vector<K>{K::esckDisabled, K::esckNormal, K::esckDisabled, K::esckNormal}));

  // An assigned editor background wins over the content colour in the date navigator.
  p.editorBackground = rgb(50, 60, 70);
  p.kinds.clear();
  EXPECT_EQ(p.DefaultDateNavigatorContentColor(), rgb(50, 60, 70));
  EXPECT_EQ(p.kinds, (std::vector<K>{K::esckNormal}));
}

// --- identity and details ------------------------------------------------------------------------
class Named : public Painter {
 public:
  explicit Named(String name) : name_(std::move(name)) {}
  int created = 0;
  String LookAndFeelName() override { return name_; }
  std::unique_ptr<core::TdxSkinDetails> CreateLookAndFeelPainterDetails() override {
    ++created;
    return Painter::CreateLookAndFeelPainterDetails();
  }

 private:
  String name_;
};

TEST(PainterIdentity, BaseAnswers) {
  Painter p;
  EXPECT_EQ(p.LookAndFeelName(), u"");
  EXPECT_EQ(p.LookAndFeelStyle(), TcxLookAndFeelStyle::lfsStandard);
  EXPECT_FALSE(p.IsInternalPainter());
  EXPECT_FALSE(p.NeedRedrawOnResize());
  void* data = &p;
  EXPECT_FALSE(p.GetPainterData(data));
  EXPECT_EQ(data, nullptr);
}

TEST(PainterIdentity, DetailsAreMadeOnceAndCarryTheName) {
  Named p(u"Gravel");
  core::TdxSkinDetails* first = p.GetLookAndFeelPainterDetails();
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(p.GetLookAndFeelPainterDetails(), first);
  core::TdxSkinDetails* viaQuery = nullptr;
  EXPECT_TRUE(p.GetPainterDetails(viaQuery));
  EXPECT_EQ(viaQuery, first);
  EXPECT_EQ(p.created, 1);
  EXPECT_EQ(first->Name(), u"Gravel");
  EXPECT_EQ(first->DisplayName(), u"Gravel");
  EXPECT_EQ(first->GroupName(), u"Built-In Look && Feel Styles");
}

// The style icons come from the painter's upper-cased name; these entries
// borrow the bytes of two compiled-in images of known, different sizes.
void registerStyleIcons() {
  static bool done = false;
  if (done) return;
  done = true;
  const rtl::TResourceEntry* small = rtl::FindResource("PNG", "CX_FIXEDGROUPINDICATOR");
  const rtl::TResourceEntry* large = rtl::FindResource("PNG", "CX_CLOCKFACE");
  ASSERT_NE(small, nullptr);
  ASSERT_NE(large, nullptr);
  static const rtl::TResourceEntry icons[] = {
      {"PNG", "CX_LOOKANDFEELSTYLEICON_PROBE16", small->Data, small->Size},
      {"PNG", "CX_LOOKANDFEELSTYLEICON_PROBE48", large->Data, large->Size},
      {"PNG", "CX_LOOKANDFEELSTYLEICON_HALF16", small->Data, small->Size},
  };
  rtl::RegisterResources(icons, 3);
}

TEST(PainterIdentity, StyleIconsLoadedWhenPresentAndResetOtherwise) {
  registerStyleIcons();
  // The reset icon is the library's default skin icon (16 and 48 wide); the
  // registered large probe icon is 64 wide, so the two cannot be mistaken.
  ASSERT_NE(rtl::FindResource("DXSKINS", "DEFAULTSKINICONSMALL"), nullptr);
  ASSERT_NE(rtl::FindResource("DXSKINS", "DEFAULTSKINICONLARGE"), nullptr);
  const struct {
    const char16_t* name;
    int width16;
    int width48;
  } cases[] = {
      {u"Probe", 16, 64},
      {u"Half", 16, 48},
      {u"Nothing", 16, 48},
  };
  for (const auto& c : cases) {
    Named p(c.name);
    core::TdxSkinDetails* d = p.GetLookAndFeelPainterDetails();
    const struct {
      core::TdxSkinIconSize size;
      int width;
    } icons[] = {{core::TdxSkinIconSize::sis16, c.width16}, {core::TdxSkinIconSize::sis48, c.width48}};
    for (const auto& icon : icons) {
      core::TdxSmartImage* image = d->GetIcon(icon.size);
      SCOPED_TRACE(testing::Message() << "painter " << rtl::StringView(c.name).size() << " chars, icon "
                                      << static_cast<int>(icon.size));
      ASSERT_FALSE(image->Empty());
      EXPECT_EQ(image->Width(), icon.width);
    }
  }
}

// --- images --------------------------------------------------------------------------------------
TEST(PainterImages, SevenImagesLoadOnceFromTheProgram) {
  Painter p;
  const struct {
    const char* resource;
    std::function<core::TdxSmartImage*(Painter&)> get;
    int width, height;
  } cases[] = {
      {"CX_BACKBUTTON", [](Painter& q) { return q.GetBackButton(); }, 24, 96},
      {"CX_FIXEDGROUPINDICATOR", [](Painter& q) { return q.GetFixedGroupIndicator(); }, 16, 16},
      {"CX_CLOCKFACE", [](Painter& q) { return q.GetClockFace(); }, 64, 64},
      {"CX_CLOCKGLASS", [](Painter& q) { return q.GetClockGlass(); }, 64, 64},
      {"DX_MAPPUSHPIN", [](Painter& q) { return q.GetMapPushpin(); }, 34, 42},
      {"DX_NAVIGATIONBARCUSTOMIZATIONBUTTON", [](Painter& q) { return q.GetNavigationBarCustomizationButton(); },
       16, 16},
      {"CX_RATINGCONTROLINDICATOR", [](Painter& q) { return q.GetRatingControlIndicator(); }, 16, 48},
  };
  std::vector<core::TdxSmartImage*> seen;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.resource);
    ASSERT_NE(rtl::FindResource("PNG", c.resource), nullptr);
    core::TdxSmartImage* image = c.get(p);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(c.get(p), image) << "kept for the painter's life";
    ASSERT_FALSE(image->Empty());
    EXPECT_EQ(image->Width(), c.width);
    EXPECT_EQ(image->Height(), c.height);
    for (auto* other : seen) EXPECT_NE(other, image);
    seen.push_back(image);
  }
  // Another painter has images of its own.
  Painter q;
  EXPECT_NE(q.GetClockFace(), p.GetClockFace());
}

// --- centring ------------------------------------------------------------------------------------
TEST(PainterCentring, StartRoundsTowardMinusInfinity) {
  const struct {
    int low, high, size, start;
  } cases[] = {
      {0, 10, 4, 3},     // even room, even size
      {0, 10, 3, 3},     // odd leftover: the extra pixel goes after
      {0, 9, 4, 2},      // odd room
      {0, 9, 3, 3},      // odd room, odd size: exact
      {-10, 0, 3, -7},   // negative: -7, not the truncated -6
      {-9, 0, 4, -7},    // -6.5 rounds down
      {-5, 4, 0, -1},    // centre of a range across the origin
      {0, 4, 10, -3},    // larger than the room: overhangs equally
      {0, 3, 10, -4},    // and the odd pixel overhangs at the start
      {5, 5, 0, 5},      // empty range
      {10, 0, 0, 5},     // inverted range: no error
  };
  for (const auto& c : cases)
    EXPECT_EQ(cxCentreStart(c.low, c.high, c.size), c.start) << c.low << ".." << c.high << " size " << c.size;
}

TEST(PainterCentring, ShiftingThePictureShiftsTheResultAlike) {
  // With truncation toward zero the result would jump by one at the origin.
  for (int size = 0; size <= 5; ++size)
    for (int room = 0; room <= 5; ++room)
      for (int shift = -9; shift <= 9; ++shift)
        EXPECT_EQ(cxCentreStart(shift, shift + room, size), cxCentreStart(0, room, size) + shift)
            << "room " << room << " size " << size << " shift " << shift;
}

TEST(PainterCentring, RectanglesKeepTheirSizeAndCentreBothAxes) {
  const struct {
    TRect r;
    TSize size;
    TRect expected;
  } cases[] = {
      {{0, 0, 10, 9}, {3, 4}, {3, 2, 6, 6}},
      {{-7, -8, -1, -1}, {3, 4}, {-6, -7, -3, -3}},  // -5.5 and -6.5 floor to -6 and -7
      {{-3, 2, 4, 5}, {4, 3}, {-2, 2, 2, 5}},
      {{3, 3, 3, 3}, {11, 12}, {-3, -3, 8, 9}},
      {{0, 0, 2, 2}, {0, 0}, {1, 1, 1, 1}},
  };
  for (const auto& c : cases) {
    const TRect got = cxCentreRect(c.r, c.size);
    EXPECT_TRUE(got.left == c.expected.left && got.top == c.expected.top && got.right == c.expected.right &&
                got.bottom == c.expected.bottom)
        << got.left << "," << got.top << "," << got.right << "," << got.bottom;
  }
}

TEST(PainterCentring, SeparatorBandThroughTheCentre) {
  Painter p;
  const struct {
    TRect r;
    int width;
    bool vertical;
    TRect expected;
  } cases[] = {
      {{0, 0, 10, 20}, 2, true, {4, 0, 6, 20}},
      {{0, 0, 10, 20}, 3, true, {4, 0, 7, 20}},      // centre 5 minus 3 div 2
      {{0, 0, 11, 20}, 1, true, {5, 0, 6, 20}},
      {{-11, 0, 0, 20}, 1, true, {-6, 0, -5, 20}},   // centre -5.5 floors to -6
      {{0, 0, 20, 10}, 2, false, {0, 4, 20, 6}},
      {{0, -9, 20, 0}, 2, false, {0, -6, 20, -4}},   // centre -4.5 floors to -5
  };
  for (const auto& c : cases) {
    const TRect got = p.GetSeparatorBounds(c.r, c.width, c.vertical);
    EXPECT_TRUE(got.left == c.expected.left && got.top == c.expected.top && got.right == c.expected.right &&
                got.bottom == c.expected.bottom)
        << got.left << "," << got.top << "," << got.right << "," << got.bottom;
  }
}

TEST(PainterButtons, SymbolColourAndFocusRectangle) {
  Painter p;
  const struct {
    BS state;
    TColor given, expected;
  } symbols[] = {
      {BS::cxbsDisabled, clRed, clBtnShadow},  // disabled ignores the colour asked for
      {BS::cxbsDisabled, clDefault, clBtnShadow},
      {BS::cxbsNormal, clDefault, clBtnText},
      {BS::cxbsHot, clRed, clRed},
      {BS::cxbsDefault, clNone, clNone},  // only clDefault means "not assigned"
  };
  for (const auto& c : symbols) {
    EXPECT_EQ(p.ButtonSymbolColor(c.state, c.given), c.expected) << static_cast<int>(c.state);
    EXPECT_EQ(p.DefaultCommandLinkTextColor(c.state, c.given), c.expected) << static_cast<int>(c.state);
  }

  const struct {
    TRect r, expected;
  } focus[] = {
      {{0, 0, 20, 10}, {4, 4, 16, 6}},
      {{0, 0, 9, 20}, {4, 4, 5, 16}},   // one pixel left: still shrunk
      {{0, 0, 8, 20}, {0, 0, 8, 20}},   // nothing left: the rectangle itself
      {{5, 5, 1, 1}, {5, 5, 1, 1}},     // inverted: no error, unchanged
  };
  for (const auto& c : focus) {
    const TRect got = p.ButtonFocusRect(nullptr, c.r);
    EXPECT_TRUE(got.left == c.expected.left && got.top == c.expected.top && got.right == c.expected.right &&
                got.bottom == c.expected.bottom)
        << got.left << "," << got.top << "," << got.right << "," << got.bottom;
  }
}

TEST(PainterFilters, SmartTagColourByStateAndFilter) {
  Painter p;
  using S = TcxFilterSmartTagState;
  const struct {
    S state;
    bool active;
    TColor expected;
  } cases[] = {
      {S::fstsNormal, true, rgb(0, 38, 255)},   // only an idle tag shows that the filter is on
      {S::fstsNormal, false, rgb(144, 144, 144)},
      {S::fstsHot, true, rgb(132, 132, 132)},
      {S::fstsPressed, true, rgb(48, 48, 48)},
      {S::fstsPressed, false, rgb(48, 48, 48)},
      {S::fstsParentHot, true, rgb(144, 144, 144)},
  };
  for (const auto& c : cases)
    EXPECT_EQ(p.GetFilterSmartTagColor(c.state, c.active), c.expected)
        << static_cast<int>(c.state) << (c.active ? " active" : "");
}

TEST(PainterButtons, SeparatorSizeFollowsBorderSize) {
  class Bordered : public Painter {
   public:
    int BorderSize() override { return 3; }
  } p;
  EXPECT_EQ(Painter().SeparatorSize(), 0);
  EXPECT_EQ(p.SeparatorSize(), 3);
  EXPECT_EQ(p.ButtonSymbolState(BS::cxbsHot), BS::cxbsHot);
  EXPECT_EQ(p.ButtonDescriptionTextColor(BS::cxbsPressed, clRed), clRed);
}

TEST(PainterHeaders, DerivedAnswersFollowTheOverrides) {
  class Headed : public Painter {
   public:
    bool HeaderDrawCellsFirst() override { return false; }
    TColor DefaultHeaderBackgroundColor() override { return rgb(1, 1, 1); }
    TColor DefaultHeaderBackgroundTextColor() override { return rgb(2, 2, 2); }
    TSize SortingMarkSize() override { return TSize{7, 9}; }
  } headed;
  Painter base;
  EXPECT_TRUE(base.GridDrawHeaderCellsFirst());
  EXPECT_FALSE(headed.GridDrawHeaderCellsFirst());
  EXPECT_EQ(base.PivotGridHeadersAreaColor(), clBtnShadow);
  EXPECT_EQ(base.PivotGridHeadersAreaTextColor(), clBtnFace);
  EXPECT_EQ(headed.PivotGridHeadersAreaColor(), rgb(1, 1, 1));
  EXPECT_EQ(headed.PivotGridHeadersAreaTextColor(), rgb(2, 2, 2));
  EXPECT_EQ(base.GridGroupRowStyleOffice11ContentColor(true), clWindow);
  // The sorting area is as tall as the mark the painter draws.
  EXPECT_EQ(base.SortingMarkAreaSize().cy, 0);
  EXPECT_EQ(headed.SortingMarkAreaSize().cy, 9);
  EXPECT_GE(headed.SortingMarkAreaSize().cx, SortingMarkAreaWidth);
}

TEST(PainterModule, EditorStateMapAndOrdinals) {
  EXPECT_EQ(cxEditStateColorKindMap[false], TcxEditStateColorKind::esckDisabled);
  EXPECT_EQ(cxEditStateColorKindMap[true], TcxEditStateColorKind::esckNormal);
  // Stored and compared by ordinal elsewhere (look-and-feel kinds, calculator keys).
  EXPECT_EQ(static_cast<int>(TcxLookAndFeelStyle::lfsSkin), 5);
  EXPECT_EQ(static_cast<int>(TcxCalcButtonKind::cbNum9), 16);
  EXPECT_EQ(static_cast<int>(TcxCalcButtonKind::cbNone), 27);
  EXPECT_EQ(static_cast<int>(TdxBevelShape::dxbsLineCenteredVert), 8);
}

}  // namespace

// Touch-adjusted sizes: raised to 27 scaled pixels in touch mode only, and
// never for a size that is not positive. At 144 DPI the minimum is
// MulDiv(27, 144, 96) = 40.5, rounded half away from zero.
TEST(PainterTouch, AdjustedSizesFollowTouchModeAndScreenResolution) {
  struct Case {
    bool touch;
    int dpi;
    int size;
    int expected;
  };
  const Case cases[] = {
      {true, 96, 16, 27}, {true, 96, 30, 30},  {true, 96, 0, 0},    {true, 96, -5, -5},
      {true, 144, 16, 41}, {false, 96, 16, 16}, {false, 144, 1, 1}, {true, 96, 27, 27},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "touch " << c.touch << " dpi " << c.dpi << " size " << c.size);
    cxIsTouchModeEnabled = c.touch;
    gdi::SetScreenLogPixels(c.dpi);
    int size = c.size;
    dxAdjustToTouchableSize(size);
    EXPECT_EQ(size, c.expected);
    TSize both{c.size, 30};
    dxAdjustToTouchableSize(both);
    EXPECT_EQ(both.cx, c.expected);
    EXPECT_EQ(both.cy, c.dpi == 144 && c.touch ? 41 : 30);
  }
  cxIsTouchModeEnabled = false;
  gdi::SetScreenLogPixels(96);
  EXPECT_TRUE(dxElementSizeFitsForTouch(27));
  EXPECT_FALSE(dxElementSizeFitsForTouch(26));
  gdi::SetScreenLogPixels(144);
  EXPECT_FALSE(dxElementSizeFitsForTouch(40));
  EXPECT_TRUE(dxElementSizeFitsForTouch(41));
  gdi::SetScreenLogPixels(96);
}
