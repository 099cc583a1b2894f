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

using InterfacePainter = TcxCustomLookAndFeelPainter;
using BS = TcxButtonState;

struct InterfaceColourCase {
  const char* name;
  std::function<TColor(InterfacePainter&)> get;
  TColor expected;
};

constexpr TColor interfaceRgb(int r, int g, int b) { return TColor(r | (g << 8) | (b << 16)); }

const std::vector<InterfaceColourCase>& baseColours() {
  static const std::vector<InterfaceColourCase> cases = {
      {"HeaderHighlightText", [](InterfacePainter& p) { return p.DefaultDateNavigatorHeaderHighlightTextColor(); }, clHotLight},
      {"Content", [](InterfacePainter& p) { return p.DefaultContentColor(); }, clWindow},
      {"ContentOdd", [](InterfacePainter& p) { return p.DefaultContentOddColor(); }, clWindow},
      {"ContentText", [](InterfacePainter& p) { return p.DefaultContentTextColor(); }, clWindowText},
      {"Control", [](InterfacePainter& p) { return p.DefaultControlColor(); }, clBtnFace},
      {"ControlText", [](InterfacePainter& p) { return p.DefaultControlTextColor(); }, clBtnText},
      {"EditorBackgroundDisabled", [](InterfacePainter& p) { return p.DefaultEditorBackgroundColor(true); }, clDefault},
      {"EditorTextEnabled", [](InterfacePainter& p) { return p.DefaultEditorTextColor(false); }, clDefault},
      {"FilterBox", [](InterfacePainter& p) { return p.DefaultFilterBoxColor(); }, clBtnShadow},
      {"FilterBoxText", [](InterfacePainter& p) { return p.DefaultFilterBoxTextColor(); }, clBtnHighlight},
      {"FixedSeparator", [](InterfacePainter& p) { return p.DefaultFixedSeparatorColor(); }, clBtnText},
      {"Footer", [](InterfacePainter& p) { return p.DefaultFooterColor(); }, clBtnFace},
      {"GridLine", [](InterfacePainter& p) { return p.DefaultGridLineColor(); }, clBtnShadow},
      {"GroupByBox", [](InterfacePainter& p) { return p.DefaultGroupByBoxColor(); }, clBtnShadow},
      {"GroupByBoxText", [](InterfacePainter& p) { return p.DefaultGroupByBoxTextColor(); }, clBtnFace},
      {"HeaderBackground", [](InterfacePainter& p) { return p.DefaultHeaderBackgroundColor(); }, clBtnShadow},
      {"Header", [](InterfacePainter& p) { return p.DefaultHeaderColor(); }, clBtnFace},
      {"HyperlinkText", [](InterfacePainter& p) { return p.DefaultHyperlinkTextColor(); }, clBlue},
      {"PreviewText", [](InterfacePainter& p) { return p.DefaultPreviewTextColor(); }, clBlue},
      {"RecordSeparator", [](InterfacePainter& p) { return p.DefaultRecordSeparatorColor(); }, clBtnShadow},
      {"VGridCategoryText", [](InterfacePainter& p) { return p.DefaultVGridCategoryTextColor(); }, clDefault},
      {"VGridBandLine", [](InterfacePainter& p) { return p.DefaultVGridBandLineColor(); }, clBlack},
      {"DateNavigatorContent", [](InterfacePainter& p) { return p.DefaultDateNavigatorContentColor(); }, clWindow},
      {"DateNavigatorHeaderText", [](InterfacePainter& p) { return p.DefaultDateNavigatorHeaderTextColor(false); },
       clBtnText},
      {"DateNavigatorHeaderTextHi", [](InterfacePainter& p) { return p.DefaultDateNavigatorHeaderTextColor(true); },
       clHotLight},
      {"Holyday", [](InterfacePainter& p) { return p.DefaultDateNavigatorHolydayTextColor(); }, clRed},
      {"DateNavigatorInactiveText", [](InterfacePainter& p) { return p.DefaultDateNavigatorInactiveTextColor(); },
       clGrayText},
      {"DateNavigatorSeparator2", [](InterfacePainter& p) { return p.DefaultDateNavigatorSeparator2Color(); }, clWindow},
      {"TodayFrame", [](InterfacePainter& p) { return p.DefaultDateNavigatorTodayFrameColor(); }, interfaceRgb(128, 0, 0)},
      {"TodayTextSelected", [](InterfacePainter& p) { return p.DefaultDateNavigatorTodayTextColor(true); }, clDefault},
      {"TodayText", [](InterfacePainter& p) { return p.DefaultDateNavigatorTodayTextColor(false); }, interfaceRgb(0, 0, 128)},
      {"SchedulerBorder", [](InterfacePainter& p) { return p.DefaultSchedulerBorderColor(); }, interfaceRgb(161, 157, 157)},
      {"SchedulerEventAllDay", [](InterfacePainter& p) { return p.DefaultSchedulerEventColor(true); }, clWhite},
      {"SchedulerEvent", [](InterfacePainter& p) { return p.DefaultSchedulerEventColor(false); }, clWindow},
      {"SchedulerViewContent", [](InterfacePainter& p) { return p.DefaultSchedulerViewContentColor(); }, interfaceRgb(255, 255, 213)},
      {"SchedulerViewSelectedText", [](InterfacePainter& p) { return p.DefaultSchedulerViewSelectedTextColor(); },
       clHighlightText},
      {"Selection", [](InterfacePainter& p) { return p.DefaultSelectionColor(); }, clHighlight},
      {"TabsBackground", [](InterfacePainter& p) { return p.DefaultTabsBackgroundColor(); }, clWindow},
      {"RootTabsBackground", [](InterfacePainter& p) { return p.DefaultRootTabsBackgroundColor(); }, clBtnFace},
      {"TimeGridMajorScaleText", [](InterfacePainter& p) { return p.DefaultTimeGridMajorScaleTextColor(); }, clBlack},
      {"HistogramGridLine", [](InterfacePainter& p) { return p.DefaultChartHistogramGridLineColor(); }, interfaceRgb(207, 207, 207)},
      {"PieCaption", [](InterfacePainter& p) { return p.DefaultChartPieDiagramSeriesSiteCaptionColor(); },
       interfaceRgb(166, 202, 240)},
      {"PieCaptionText", [](InterfacePainter& p) { return p.DefaultChartPieDiagramSeriesSiteCaptionTextColor(); },
       interfaceRgb(0, 0, 128)},
      {"LayoutContentTextPressed",
       [](InterfacePainter& p) { return p.DefaultLayoutViewContentTextColor(BS::cxbsPressed); }, clHighlightText},
      {"LayoutContentTextDisabled",
       [](InterfacePainter& p) { return p.DefaultLayoutViewContentTextColor(BS::cxbsDisabled); }, clInactiveCaptionText},
      {"LayoutContentTextHot", [](InterfacePainter& p) { return p.DefaultLayoutViewContentTextColor(BS::cxbsHot); },
       clWindowText},
      {"LayoutCaptionTextDisabled",
       [](InterfacePainter& p) { return p.DefaultLayoutViewCaptionTextColor(nullptr, BS::cxbsDisabled); },
       clInactiveCaptionText},
      {"TreeViewCategorySelected", [](InterfacePainter& p) { return p.DefaultGridOptionsTreeViewCategoryColor(true); },
       clHighlight},
      {"TreeViewCategory", [](InterfacePainter& p) { return p.DefaultGridOptionsTreeViewCategoryColor(false); },
       clBtnShadow},
      {"TreeViewCategoryTextSelected",
       [](InterfacePainter& p) { return p.DefaultGridOptionsTreeViewCategoryTextColor(true); }, clHighlightText},
  };
  return cases;
}

TEST(PainterColours, BaseValues) {
  InterfacePainter painter;
  for (const auto& c : baseColours()) EXPECT_EQ(c.get(painter), c.expected) << c.name;
}

// A descendant that changes the colours others are derived from: every
// derived default must follow it rather than repeat the base value.
class Recolouring : public InterfacePainter {
 public:
  std::vector<TcxEditStateColorKind> kinds;
  TColor editorBackground = clDefault;
  TColor DefaultContentColor() override { return interfaceRgb(1, 2, 3); }
  TColor DefaultContentTextColor() override { return interfaceRgb(4, 5, 6); }
  TColor DefaultGridLineColor() override { return interfaceRgb(7, 8, 9); }
  TColor DefaultHeaderColor() override { return interfaceRgb(10, 11, 12); }
  TColor DefaultHeaderTextColor() override { return interfaceRgb(13, 14, 15); }
  TColor DefaultVGridLineColor() override { return interfaceRgb(16, 17, 18); }
  TColor DefaultSelectionTextColor() override { return interfaceRgb(19, 20, 21); }
  TColor DefaultDateNavigatorHeaderHighlightTextColor() override { return interfaceRgb(22, 23, 24); }
  TColor DefaultEditorBackgroundColorEx(TcxEditStateColorKind AKind) override {
    kinds.push_back(AKind);
    return editorBackground;
  }
  TColor DefaultEditorTextColorEx(TcxEditStateColorKind AKind) override {
    kinds.push_back(AKind);
    return interfaceRgb(99, 0, 0);
  }
};

TEST(PainterColours, DerivedColoursFollowTheOverrides) {
  Recolouring p;
  const struct {
    const char* name;
    TColor got;
    TColor expected;
  } cases[] = {
      {"ContentEven", p.DefaultContentEvenColor(), interfaceRgb(1, 2, 3)},
      {"ContentOdd", p.DefaultContentOddColor(), interfaceRgb(1, 2, 3)},
      {"LayoutViewContent", p.DefaultLayoutViewContentColor(), interfaceRgb(1, 2, 3)},
      {"RecordSeparator", p.DefaultRecordSeparatorColor(), interfaceRgb(7, 8, 9)},
      {"TreeListGridLine", p.DefaultTreeListGridLineColor(), interfaceRgb(7, 8, 9)},
      {"TreeListTreeLine", p.DefaultTreeListTreeLineColor(), interfaceRgb(7, 8, 9)},
      {"VGridBandLine", p.DefaultVGridBandLineColor(), interfaceRgb(16, 17, 18)},
      {"VGridCategory", p.DefaultVGridCategoryColor(), interfaceRgb(10, 11, 12)},
      {"VGridHeader", p.DefaultVGridHeaderColor(), interfaceRgb(10, 11, 12)},
      {"VGridHeaderText", p.DefaultVGridHeaderTextColor(), interfaceRgb(13, 14, 15)},
      {"SchedulerTimeRuler", p.DefaultSchedulerTimeRulerColor(), interfaceRgb(10, 11, 12)},
      {"SchedulerTimeRulerText", p.DefaultSchedulerTimeRulerTextColor(), interfaceRgb(13, 14, 15)},
      {"SchedulerViewSelectedText", p.DefaultSchedulerViewSelectedTextColor(), interfaceRgb(19, 20, 21)},
      {"DateNavigatorHeaderText", p.DefaultDateNavigatorHeaderTextColor(false), interfaceRgb(13, 14, 15)},
      {"DateNavigatorHeaderTextHi", p.DefaultDateNavigatorHeaderTextColor(true), interfaceRgb(22, 23, 24)},
      {"LayoutContentTextPressed", p.DefaultLayoutViewContentTextColor(BS::cxbsPressed), interfaceRgb(19, 20, 21)},
      {"LayoutContentTextNormal", p.DefaultLayoutViewContentTextColor(BS::cxbsNormal), interfaceRgb(4, 5, 6)},
      {"LayoutCaptionTextDefault", p.DefaultLayoutViewCaptionTextColor(nullptr, BS::cxbsDefault), interfaceRgb(4, 5, 6)},
      {"DateNavigatorContentFallsBack", p.DefaultDateNavigatorContentColor(), interfaceRgb(1, 2, 3)},
  };
  for (const auto& c : cases) EXPECT_EQ(c.got, c.expected) << c.name;
}

TEST(PainterColours, EditorColoursAskForTheStateKind) {
  Recolouring p;
  EXPECT_EQ(p.DefaultEditorBackgroundColor(true), clDefault);
  EXPECT_EQ(p.DefaultEditorBackgroundColor(false), clDefault);
  EXPECT_EQ(p.DefaultEditorTextColor(true), interfaceRgb(99, 0, 0));
  EXPECT_EQ(p.DefaultEditorTextColor(false), interfaceRgb(99, 0, 0));
  using K = TcxEditStateColorKind;
  EXPECT_EQ(p.kinds, (std::vector<K>{K::esckDisabled, K::esckNormal, K::esckDisabled, K::esckNormal}));

  // An assigned editor background wins over the content colour in the date navigator.
  p.editorBackground = interfaceRgb(50, 60, 70);
  p.kinds.clear();
  EXPECT_EQ(p.DefaultDateNavigatorContentColor(), interfaceRgb(50, 60, 70));
  EXPECT_EQ(p.kinds, (std::vector<K>{K::esckNormal}));
}

// --- identity and details ------------------------------------------------------------------------
class Named : public InterfacePainter {
 public:
  explicit Named(String name) : name_(std::move(name)) {}
  int created = 0;
  String LookAndFeelName() override { return name_; }
  std::unique_ptr<core::TdxSkinDetails> CreateLookAndFeelPainterDetails() override {
    ++created;
    return InterfacePainter::CreateLookAndFeelPainterDetails();
  }

 private:
  String name_;
};

TEST(PainterIdentity, BaseAnswers) {
  InterfacePainter p;
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
      SCOPED_TRACE(::testing::Message() << "painter " << rtl::StringView(c.name).size() << " chars, icon "
                                      << static_cast<int>(icon.size));
      ASSERT_FALSE(image->Empty());
      EXPECT_EQ(image->Width(), icon.width);
    }
  }
}

// --- images --------------------------------------------------------------------------------------
TEST(PainterImages, SevenImagesLoadOnceFromTheProgram) {
  InterfacePainter p;
  const struct {
    const char* resource;
    std::function<core::TdxSmartImage*(InterfacePainter&)> get;
    int width, height;
  } cases[] = {
      {"CX_BACKBUTTON", [](InterfacePainter& q) { return q.GetBackButton(); }, 24, 96},
      {"CX_FIXEDGROUPINDICATOR", [](InterfacePainter& q) { return q.GetFixedGroupIndicator(); }, 16, 16},
      {"CX_CLOCKFACE", [](InterfacePainter& q) { return q.GetClockFace(); }, 64, 64},
      {"CX_CLOCKGLASS", [](InterfacePainter& q) { return q.GetClockGlass(); }, 64, 64},
      {"DX_MAPPUSHPIN", [](InterfacePainter& q) { return q.GetMapPushpin(); }, 34, 42},
      {"DX_NAVIGATIONBARCUSTOMIZATIONBUTTON", [](InterfacePainter& q) { return q.GetNavigationBarCustomizationButton(); },
       16, 16},
      {"CX_RATINGCONTROLINDICATOR", [](InterfacePainter& q) { return q.GetRatingControlIndicator(); }, 16, 48},
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
  InterfacePainter q;
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
  InterfacePainter p;
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
  InterfacePainter p;
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
  InterfacePainter p;
  using S = TcxFilterSmartTagState;
  const struct {
    S state;
    bool active;
    TColor expected;
  } cases[] = {
      {S::fstsNormal, true, interfaceRgb(0, 38, 255)},   // only an idle tag shows that the filter is on
      {S::fstsNormal, false, interfaceRgb(144, 144, 144)},
      {S::fstsHot, true, interfaceRgb(132, 132, 132)},
      {S::fstsPressed, true, interfaceRgb(48, 48, 48)},
      {S::fstsPressed, false, interfaceRgb(48, 48, 48)},
      {S::fstsParentHot, true, interfaceRgb(144, 144, 144)},
  };
  for (const auto& c : cases)
    EXPECT_EQ(p.GetFilterSmartTagColor(c.state, c.active), c.expected)
        << static_cast<int>(c.state) << (c.active ? " active" : "");
}

TEST(PainterButtons, SeparatorSizeFollowsBorderSize) {
  class Bordered : public InterfacePainter {
   public:
    int BorderSize() override { return 3; }
  } p;
  EXPECT_EQ(InterfacePainter().SeparatorSize(), 0);
  EXPECT_EQ(p.SeparatorSize(), 3);
  EXPECT_EQ(p.ButtonSymbolState(BS::cxbsHot), BS::cxbsHot);
  EXPECT_EQ(p.ButtonDescriptionTextColor(BS::cxbsPressed, clRed), clRed);
}

TEST(PainterHeaders, DerivedAnswersFollowTheOverrides) {
  class Headed : public InterfacePainter {
   public:
    bool HeaderDrawCellsFirst() override { return false; }
    TColor DefaultHeaderBackgroundColor() override { return interfaceRgb(1, 1, 1); }
    TColor DefaultHeaderBackgroundTextColor() override { return interfaceRgb(2, 2, 2); }
    TSize SortingMarkSize() override { return TSize{7, 9}; }
  } headed;
  InterfacePainter base;
  EXPECT_TRUE(base.GridDrawHeaderCellsFirst());
  EXPECT_FALSE(headed.GridDrawHeaderCellsFirst());
  EXPECT_EQ(base.PivotGridHeadersAreaColor(), clBtnShadow);
  EXPECT_EQ(base.PivotGridHeadersAreaTextColor(), clBtnFace);
  EXPECT_EQ(headed.PivotGridHeadersAreaColor(), interfaceRgb(1, 1, 1));
  EXPECT_EQ(headed.PivotGridHeadersAreaTextColor(), interfaceRgb(2, 2, 2));
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
    SCOPED_TRACE(::testing::Message() << "touch " << c.touch << " dpi " << c.dpi << " size " << c.size);
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
