// The painter registry (order, lookups, ownership, listeners), the painter
// module's start, and the routines the painters share: text rectangle,
// scheduler polygons, check-box size, scroll-bar patterns, rotated size
// grips, radio-button glyphs and indicator images.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "lib/core/cxGraphics.h"
#include "lib/core/cxImageList.h"
#include "tests/support/golden.h"
#include "lib/lookandfeel/cxLookAndFeelPaintersManager.h"
#include "lib/lookandfeel/cxLookAndFeels.h"
#include "platform/gdi/objects.h"
#include "platform/rtl/except.h"
#include "platform/rtl/resources.h"
#include "platform/rtl/streams.h"
#include "platform/ui/bitmap.h"
#include "platform/ui/colors.h"
#include "platform/win/constants.h"
#include "platform/win/headless.h"
#include "platform/win/message_loop.h"
#include "platform/win/system_bitmaps.h"
#include "platform/win/window.h"

using namespace lookandfeel;
using ui::TColor;
using ui::TPoint;
using ui::TRect;
using Style = TcxLookAndFeelStyle;

namespace {

// A painter known by the name and style it is given; counts its deaths.
class LookandfeelRegistryNamedPainter : public TcxCustomLookAndFeelPainter {
 public:
  LookandfeelRegistryNamedPainter(String AName, Style AStyle, int* ADestroyed = nullptr)
      : FName(std::move(AName)), FStyle(AStyle), FDestroyed(ADestroyed) {}
  ~LookandfeelRegistryNamedPainter() override {
    if (FDestroyed) ++*FDestroyed;
  }
  String LookAndFeelName() override { return FName; }
  TcxLookAndFeelStyle LookAndFeelStyle() override { return FStyle; }

 private:
  String FName;
  Style FStyle;
  int* FDestroyed;
};

std::unique_ptr<TcxCustomLookAndFeelPainter> painter(const char16_t* AName, Style AStyle, int* ADestroyed = nullptr) {
  return std::make_unique<LookandfeelRegistryNamedPainter>(AName, AStyle, ADestroyed);
}

std::vector<std::string> names(const TcxLookAndFeelPaintersManager& AManager) {
  std::vector<std::string> result;
  for (int i = 0; i < AManager.Count(); ++i) result.push_back(rtl::StringToUtf8(AManager.Items(i)->LookAndFeelName()));
  return result;
}

// The five built-in names in their registration order.
void registerBuiltInOrder(TcxLookAndFeelPaintersManager& AManager, int* ADestroyed = nullptr) {
  AManager.Register(painter(u"Flat", Style::lfsFlat, ADestroyed));
  AManager.Register(painter(u"Office11", Style::lfsOffice11, ADestroyed));
  AManager.Register(painter(u"Standard", Style::lfsStandard, ADestroyed));
  AManager.Register(painter(u"UltraFlat", Style::lfsUltraFlat, ADestroyed));
  AManager.Register(painter(u"Native", Style::lfsNative, ADestroyed));
}

const std::vector<std::string> kSortedNames = {"Flat", "Native", "Office11", "Standard", "UltraFlat"};

TEST(PainterRegistry, KeepsPaintersSortedAndRefusesADuplicateNameInAnyCase) {
  int destroyed = 0;
  auto manager = std::make_unique<TcxLookAndFeelPaintersManager>();
  registerBuiltInOrder(*manager, &destroyed);
  EXPECT_EQ(names(*manager), kSortedNames);

  // The refused painter dies at once; the list is untouched.
  EXPECT_FALSE(manager->Register(painter(u"standard", Style::lfsSkin, &destroyed)));
  EXPECT_EQ(destroyed, 1);
  EXPECT_EQ(names(*manager), kSortedNames);
  EXPECT_EQ(manager->GetPainter(Style::lfsSkin), nullptr);

  // The registry owns the rest.
  manager.reset();
  EXPECT_EQ(destroyed, 6);
}

TEST(PainterRegistry, SortingIsCaseSensitiveWhileNameLookupFoldsOnlyAsciiLetters) {
  TcxLookAndFeelPaintersManager manager;
  manager.Register(painter(u"beta", Style::lfsSkin));
  manager.Register(painter(u"Alpha", Style::lfsSkin));
  manager.Register(painter(u"\u00C9clair", Style::lfsSkin));
  EXPECT_EQ(names(manager), (std::vector<std::string>{"Alpha", "beta", "\xC3\x89" "clair"}));
  EXPECT_NE(manager.GetPainter(u"ALPHA"), nullptr);
  // No folding beyond A to Z.
  EXPECT_EQ(manager.GetPainter(u"\u00E9clair"), nullptr);
  EXPECT_TRUE(manager.Register(painter(u"\u00E9clair", Style::lfsSkin)));
}

struct LookupCase {
  const char* name;
  std::u16string byName;  // empty: look up by style
  Style byStyle;
  const char* expected;   // nullptr: not found
};

class PainterRegistryLookup : public ::testing::TestWithParam<LookupCase> {};

TEST_P(PainterRegistryLookup, FindsTheFirstMatchInListOrder) {
  TcxLookAndFeelPaintersManager manager;
  registerBuiltInOrder(manager);
  // A second painter of the Flat style whose name sorts after "Flat".
  manager.Register(painter(u"FlatToo", Style::lfsFlat));
  const LookupCase& c = GetParam();
  TcxCustomLookAndFeelPainter* found = nullptr;
  const bool ok = c.byName.empty() ? manager.GetPainter(c.byStyle, found) : manager.GetPainter(c.byName, found);
  TcxCustomLookAndFeelPainter* direct = c.byName.empty() ? manager.GetPainter(c.byStyle) : manager.GetPainter(c.byName);
  EXPECT_EQ(found, direct);
  if (!c.expected) {
    EXPECT_FALSE(ok);
    EXPECT_EQ(found, nullptr);
  } else {
    ASSERT_TRUE(ok);
    EXPECT_EQ(rtl::StringToUtf8(found->LookAndFeelName()), c.expected);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PainterRegistryLookup,
    ::testing::Values(LookupCase{"NativeInCapitals", u"NATIVE", Style::lfsFlat, "Native"},
                      LookupCase{"MixedCase", u"uLtRaFlAt", Style::lfsFlat, "UltraFlat"},
                      LookupCase{"UnknownName", u"Skin", Style::lfsFlat, nullptr},
                      LookupCase{"NamePrefixIsNoMatch", u"Flatt", Style::lfsFlat, nullptr},
                      LookupCase{"StyleOfTwoTakesTheSmallerName", u"", Style::lfsFlat, "Flat"},
                      LookupCase{"Office11Style", u"", Style::lfsOffice11, "Office11"},
                      LookupCase{"SkinStyleIsNotRegistered", u"", Style::lfsSkin, nullptr}),
    [](const ::testing::TestParamInfo<LookupCase>& info) { return std::string(info.param.name); });

TEST(PainterRegistry, ItemsOutsideTheListRaiseTheListIndexError) {
  TcxLookAndFeelPaintersManager manager;
  manager.Register(painter(u"Flat", Style::lfsFlat));
  EXPECT_THROW(manager.Items(1), rtl::EListError);
  EXPECT_THROW(manager.Items(-1), rtl::EListError);
}

struct RecordingListener : IcxLookAndFeelPainterListener {
  RecordingListener(std::vector<std::string>& ALog, std::string AName) : log(ALog), name(std::move(AName)) {}
  void PainterAdded(TcxCustomLookAndFeelPainter* APainter) override {
    log.push_back(name + ":" + rtl::StringToUtf8(APainter->LookAndFeelName()));
  }
  void PainterRemoved(TcxCustomLookAndFeelPainter*) override { log.push_back(name + ":removed"); }
  std::vector<std::string>& log;
  std::string name;
};

TEST(PainterRegistry, TellsListenersLastRegisteredFirstAndOnlyOfPaintersKept) {
  TcxLookAndFeelPaintersManager manager;
  std::vector<std::string> log;
  RecordingListener first(log, "first"), second(log, "second");
  manager.AddListener(&first);
  manager.AddListener(&second);
  manager.AddListener(&first);  // listed once
  manager.Register(painter(u"Flat", Style::lfsFlat));
  manager.Register(painter(u"FLAT", Style::lfsFlat));
  manager.RemoveListener(&second);
  manager.Register(painter(u"Native", Style::lfsNative));
  EXPECT_EQ(log, (std::vector<std::string>{"second:Flat", "first:Flat", "first:Native"}));
}

// --- the module -----------------------------------------------------------------------------------
class PaintersUnit : public ::testing::Test {
 protected:
  PaintersUnit() { cxLookAndFeelPaintersUnitStart(); }
  ~PaintersUnit() override {
    cxLookAndFeelsUnitStop();
    cxLookAndFeelPaintersUnitStop();
    gdi::ResetSysColors();
  }
  win::headless::HeadlessScope screen_;
};

TEST_F(PaintersUnit, StartRegistersTheFiveBuiltInPaintersAndStopFreesEverything) {
  TcxLookAndFeelPaintersManager* manager = cxLookAndFeelPaintersManager();
  ASSERT_NE(manager, nullptr);
  EXPECT_EQ(names(*manager), kSortedNames);
  const Style styles[] = {Style::lfsFlat, Style::lfsNative, Style::lfsOffice11, Style::lfsStandard,
                          Style::lfsUltraFlat};
  for (int i = 0; i < 5; ++i) EXPECT_EQ(manager->Items(i)->LookAndFeelStyle(), styles[i]) << i;
  EXPECT_EQ(cxIndicatorImages()->Count(), 7);
  EXPECT_NE(StdScrollBitmaps(false), nullptr);
  EXPECT_EQ(FCheckButtonSize.cx, 13);
  EXPECT_EQ(FCheckButtonSize.cy, 13);

  RadioButtonImageList();
  cxLookAndFeelPaintersUnitStop();
  EXPECT_EQ(cxLookAndFeelPaintersManager(), nullptr);
  EXPECT_EQ(cxIndicatorImages(), nullptr);
  EXPECT_EQ(StdScrollBitmaps(true), nullptr);
}

TEST_F(PaintersUnit, RegisteringAPainterRefreshesTheRootOnce) {
  cxLookAndFeelsUnitStart();
  std::vector<TcxLookAndFeelValues> changes;
  struct Sink {
    std::vector<TcxLookAndFeelValues>* changes;
    void Changed(TcxLookAndFeel*, TcxLookAndFeelValues AValues) { changes->push_back(AValues); }
  } sink{&changes};
  RootLookAndFeel()->SetOnChanged(TcxLookAndFeelChangedEvent::bind<&Sink::Changed>(&sink));
  cxLookAndFeelPaintersManager()->Register(painter(u"Extra", Style::lfsSkin));
  cxLookAndFeelPaintersManager()->Register(painter(u"extra", Style::lfsSkin));
  ASSERT_EQ(changes.size(), 1u);
  EXPECT_EQ(changes[0], LookAndFeelValueAll);
  RootLookAndFeel()->SetOnChanged(nullptr);
}

// Every resource the module names is compiled in and is a bitmap: a
// misspelt name or a broken file would stop the module's start.
TEST_F(PaintersUnit, EveryIndicatorImageNameResolvesToABitmapOfTheListsSize) {
  for (const char16_t* name : cxIndicatorImageNames) {
    SCOPED_TRACE(rtl::StringToUtf8(name));
    ASSERT_NE(rtl::FindResource(rtl::StringView(core::kBitmapResourceType), rtl::StringView(name)), nullptr);
    rtl::TResourceStream stream(name, core::kBitmapResourceType);
    ui::TBitmap bitmap;
    bitmap.LoadFromStream(&stream);
    EXPECT_EQ(bitmap.Width(), cxIndicatorImages()->Width());
    EXPECT_EQ(bitmap.Height(), cxIndicatorImages()->Height());
  }
}

TEST_F(PaintersUnit, IndicatorImagesAreMaskedWithWhite) {
  ui::TBitmap image, mask;
  // The arrow: its corner is background, its middle is the black figure.
  ASSERT_TRUE(cxIndicatorImages()->GetImageBitmaps(0, &image, &mask));
  EXPECT_EQ(ui::ColorToRGB(mask.Canvas()->Pixels(0, 0)), 0xFFFFFFu);
  EXPECT_EQ(ui::ColorToRGB(mask.Canvas()->Pixels(4, 5)), 0u);
}

// --- shared geometry ---------------------------------------------------------------------------------
TEST(PainterRoutines, TextRectShrinksByTwoOnEachSide) {
  const struct {
    TRect in, out;
  } cases[] = {{{0, 0, 10, 10}, {2, 2, 8, 8}}, {{-5, 3, 0, 4}, {-3, 5, -2, 2}}};
  for (const auto& c : cases) EXPECT_EQ(cxTextRect(c.in), c.out);
}

struct PolygonCase {
  const char* name;
  bool milestone;
  TRect bounds;
  std::vector<TPoint> points;
};

class SchedulerPolygon : public ::testing::TestWithParam<PolygonCase> {};

TEST_P(SchedulerPolygon, HasItsPointsInOrder) {
  const PolygonCase& c = GetParam();
  const std::vector<TPoint> points =
      c.milestone ? cxGetSchedulerMilestonePolygon(c.bounds) : cxGetSchedulerGroupPolygon(c.bounds);
  EXPECT_EQ(points, c.points);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SchedulerPolygon,
    ::testing::Values(
        PolygonCase{"Group", false, {0, 0, 100, 24}, {{0, 2}, {99, 2}, {99, 22}, {89, 12}, {10, 12}, {0, 22}}},
        // An odd inner height halves toward zero.
        PolygonCase{"GroupOddHeight", false, {10, 5, 50, 20}, {{10, 7}, {49, 7}, {49, 18}, {44, 13}, {15, 13}, {10, 18}}},
        PolygonCase{"MilestoneWide", true, {0, 0, 21, 13}, {{4, 6}, {10, 0}, {16, 6}, {10, 12}}},
        // Centring rounds down, and the odd side is cut to an even diamond.
        PolygonCase{"MilestoneTall", true, {5, 5, 15, 26}, {{5, 15}, {10, 10}, {15, 15}, {10, 20}}},
        PolygonCase{"MilestoneOddAroundTheOrigin", true, {-3, -4, 4, 4}, {{-3, -1}, {0, -4}, {3, -1}, {0, 2}}}),
    [](const ::testing::TestParamInfo<PolygonCase>& info) { return std::string(info.param.name); });

// --- the check-box bitmap and the scroll-bar patterns -----------------------------------------------
TEST(SystemBitmaps, CheckBoxesAreAFourByThreeGridOfThirteenPixelCells) {
  win::headless::HeadlessScope screen;
  gdi::HBITMAP bitmap = win::LoadBitmapW(nullptr, win::MAKEINTRESOURCEW(win::OBM_CHECKBOXES));
  ASSERT_NE(bitmap, nullptr);
  gdi::BITMAP info{};
  ASSERT_NE(gdi::GetObjectW(bitmap, sizeof(info), &info), 0);
  EXPECT_EQ(info.bmWidth, 52);
  EXPECT_EQ(info.bmHeight, 39);
  gdi::DeleteObject(bitmap);
  // Only the system's own bitmaps are known.
  EXPECT_EQ(win::LoadBitmapW(nullptr, win::MAKEINTRESOURCEW(32760)), nullptr);
  EXPECT_EQ(win::LoadBitmapW(nullptr, u"CX_ARROWBITMAP"), nullptr);
}

TEST_F(PaintersUnit, ScrollBarPatternsAreCheckerboardsThatFollowTheSystemColours) {
  auto pixel = [](bool pressed, int x, int y) {
    return ui::ColorToRGB(StdScrollBitmaps(pressed)->Canvas()->Pixels(x, y));
  };
  const struct {
    int x, y;
    bool pressed;
    TColor colour;
  } cases[] = {{0, 0, false, ui::clBtnFace},      {1, 0, false, ui::clBtnHighlight}, {0, 1, false, ui::clBtnHighlight},
               {7, 7, false, ui::clBtnFace},      {0, 0, true, ui::clBlack},         {7, 6, true, ui::cl3DDkShadow},
               {3, 5, true, ui::clBlack},         {6, 3, false, ui::clBtnHighlight}};
  for (const auto& c : cases) EXPECT_EQ(pixel(c.pressed, c.x, c.y), ui::ColorToRGB(c.colour)) << c.x << "," << c.y;
  ASSERT_EQ(StdScrollBitmaps(false)->Width(), 8);
  ASSERT_EQ(StdScrollBitmaps(false)->Height(), 8);

  const int index = gdi::COLOR_BTNFACE;
  const gdi::COLORREF green = 0x00FF00;
  gdi::SetSysColors(1, &index, &green);
  UpdateScrollBarBitmaps();
  EXPECT_EQ(pixel(false, 2, 2), green);
}

// --- rotated size grips ----------------------------------------------------------------------------
// A bottom-right "grip" that tells its corner: red in the corner, green
// left of it, blue above it.
struct GripMarker {
  void Draw(core::TcxCanvas* ACanvas, const TRect& R) {
    ACanvas->Canvas()->SetPixels(R.right - 1, R.bottom - 1, ui::clRed);
    ACanvas->Canvas()->SetPixels(R.right - 2, R.bottom - 1, ui::clLime);
    ACanvas->Canvas()->SetPixels(R.right - 1, R.bottom - 2, ui::clBlue);
  }
};

TEST(PainterRoutines, RotatedSizeGripTurnsTheBottomRightDrawingIntoEachCorner) {
  win::headless::HeadlessScope screen;
  struct {
    TdxCorner corner;
    TPoint red, green, blue;  // relative to the grip rectangle (6 x 5)
  } cases[] = {{TdxCorner::coBottomRight, {5, 4}, {4, 4}, {5, 3}},
               {TdxCorner::coTopLeft, {0, 0}, {1, 0}, {0, 1}},
               {TdxCorner::coTopRight, {5, 0}, {4, 0}, {5, 1}},
               {TdxCorner::coBottomLeft, {0, 4}, {1, 4}, {0, 3}}};
  GripMarker marker;
  for (const auto& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.corner));
    ui::TBitmap target;
    target.SetPixelFormat(ui::pf32bit);
    target.SetSize(10, 10);
    target.Canvas()->Brush()->SetColor(ui::clYellow);
    target.Canvas()->FillRect(TRect{0, 0, 10, 10});
    core::TcxCanvas canvas(target.Canvas());
    const TRect R{2, 3, 8, 8};
    dxRotateSizeGrip(&canvas, R, ui::clNone, c.corner, TdxDrawSizeGripProc::bind<&GripMarker::Draw>(&marker));
    auto at = [&](TPoint p) { return target.Canvas()->Pixels(R.left + p.x, R.top + p.y); };
    EXPECT_EQ(at(c.red), ui::clRed);
    EXPECT_EQ(at(c.green), ui::clLime);
    EXPECT_EQ(at(c.blue), ui::clBlue);
    // clNone keeps what was there under the grip.
    EXPECT_EQ(at(TPoint{2, 2}), ui::clYellow);
  }
}

TEST(PainterRoutines, RotatedSizeGripFillsABackgroundColourAndDrawsWithoutAProcedure) {
  win::headless::HeadlessScope screen;
  ui::TBitmap target;
  target.SetPixelFormat(ui::pf32bit);
  target.SetSize(10, 10);
  target.Canvas()->Brush()->SetColor(ui::clYellow);
  target.Canvas()->FillRect(TRect{0, 0, 10, 10});
  core::TcxCanvas canvas(target.Canvas());
  dxRotateSizeGrip(&canvas, TRect{2, 2, 6, 6}, ui::clNavy, TdxCorner::coTopLeft, nullptr);
  EXPECT_EQ(target.Canvas()->Pixels(2, 2), ui::clNavy);
  EXPECT_EQ(target.Canvas()->Pixels(5, 5), ui::clNavy);
  EXPECT_EQ(target.Canvas()->Pixels(6, 6), ui::clYellow);
}

// --- radio-button glyphs -------------------------------------------------------------------------
using BS = TcxButtonState;
using K = TcxLookAndFeelKind;

TEST(RadioButtonImages, MapIndexCoversEveryCombinationOnce) {
  EXPECT_EQ(TcxRadioButtonImageList::GetImageListIndexMapIndex(K::lfFlat, BS::cxbsNormal, false, false, false), 0);
  EXPECT_EQ(TcxRadioButtonImageList::GetImageListIndexMapIndex(K::lfOffice11, BS::cxbsDisabled, true, true, true),
            127);
  EXPECT_EQ(TcxRadioButtonImageList::GetImageListIndexMapIndex(K::lfUltraFlat, BS::cxbsHot, true, false, false),
            1 + 4 + 16);
  std::vector<bool> seen(128, false);
  for (int k = 0; k < 4; ++k)
    for (int s = 1; s <= 4; ++s)
      for (int flags = 0; flags < 8; ++flags) {
        const int index = TcxRadioButtonImageList::GetImageListIndexMapIndex(
            static_cast<K>(k), static_cast<BS>(s), flags & 1, flags & 2, flags & 4);
        ASSERT_GE(index, 0);
        ASSERT_LT(index, 128);
        EXPECT_FALSE(seen[index]) << index;
        seen[index] = true;
      }
}

class RadioButtonGlyphs : public PaintersUnit {
 protected:
  // The glyph drawn at (1, 1) of a magenta canvas.
  std::unique_ptr<ui::TBitmap> draw(K AKind, BS AState, bool AChecked, TColor ABrush = ui::clDefault) {
    auto target = std::make_unique<ui::TBitmap>();
    target->SetPixelFormat(ui::pf32bit);
    target->SetSize(16, 16);
    target->Canvas()->Brush()->SetColor(ui::clFuchsia);
    target->Canvas()->FillRect(TRect{0, 0, 16, 16});
    core::TcxCanvas canvas(target->Canvas());
    RadioButtonImageList()->Draw(&canvas, 1, 1, ABrush, AKind, AState, AChecked, false, false);
    return target;
  }
  // The colours of the glyph's pixels of one pattern slot.
  std::vector<gdi::COLORREF> slotColours(ui::TBitmap* ATarget, int ASlot) {
    std::vector<gdi::COLORREF> result;
    TcxRadioButtonImageList* list = RadioButtonImageList();
    const TSize size = list->GetSize();
    for (int row = 0; row < size.cy; ++row)
      for (int column = 0; column < size.cx; ++column)
        if (list->PatternSlot(row, column) == ASlot)
          result.push_back(ui::ColorToRGB(ATarget->Canvas()->Pixels(1 + column, 1 + row)));
    return result;
  }
};

TEST_F(RadioButtonGlyphs, AreMeasuredOnTheSystemRadioButton) {
  TcxRadioButtonImageList* list = RadioButtonImageList();
  EXPECT_EQ(list->GetSize().cx, 13);
  EXPECT_EQ(list->GetSize().cy, 13);
  EXPECT_EQ(list->List()->Count(), 128);
  const TRect dot = list->RadioButtonCheckRect();
  EXPECT_GT(dot.right - dot.left, 1);
  EXPECT_GT(dot.bottom - dot.top, 1);
  // The pattern has every slot, and the dot lies inside the body.
  std::vector<int> counts(7, 0);
  for (int row = 0; row < 13; ++row)
    for (int column = 0; column < 13; ++column) ++counts[list->PatternSlot(row, column)];
  for (int slot = 0; slot < 7; ++slot) EXPECT_GT(counts[slot], 0) << slot;
  EXPECT_EQ(list->PatternSlot(6, 6), TcxRadioButtonImageList::sCheck);
  EXPECT_EQ(list->PatternSlot(0, 0), TcxRadioButtonImageList::sOutside);
  EXPECT_EQ(list->PatternSlot(0, 6), TcxRadioButtonImageList::sOuterUpperLeft);
  EXPECT_EQ(list->PatternSlot(12, 6), TcxRadioButtonImageList::sOuterLowerRight);
}

TEST_F(RadioButtonGlyphs, TheDotTakesTheBodyColourUntilChecked) {
  for (bool checked : {false, true}) {
    SCOPED_TRACE(checked);
    std::unique_ptr<ui::TBitmap> glyph = draw(K::lfStandard, BS::cxbsNormal, checked);
    const std::vector<gdi::COLORREF> body = slotColours(glyph.get(), TcxRadioButtonImageList::sBody);
    ASSERT_FALSE(body.empty());
    const gdi::COLORREF expected = checked ? ui::ColorToRGB(ui::clWindowText) : body.front();
    for (gdi::COLORREF c : slotColours(glyph.get(), TcxRadioButtonImageList::sCheck)) EXPECT_EQ(c, expected);
  }
}

TEST_F(RadioButtonGlyphs, RingColoursFollowTheLookAndTheState) {
  const struct {
    K kind;
    BS state;
    int slot;
    TColor colour;
  } cases[] = {{K::lfFlat, BS::cxbsNormal, TcxRadioButtonImageList::sOuterUpperLeft, ui::clBtnShadow},
               {K::lfFlat, BS::cxbsNormal, TcxRadioButtonImageList::sOuterLowerRight, ui::clBtnHighlight},
               {K::lfStandard, BS::cxbsNormal, TcxRadioButtonImageList::sInnerUpperLeft, ui::cl3DDkShadow},
               {K::lfStandard, BS::cxbsNormal, TcxRadioButtonImageList::sInnerLowerRight, ui::cl3DLight},
               {K::lfUltraFlat, BS::cxbsNormal, TcxRadioButtonImageList::sOuterLowerRight, ui::clBtnShadow},
               {K::lfUltraFlat, BS::cxbsHot, TcxRadioButtonImageList::sOuterUpperLeft, ui::clHighlight},
               {K::lfOffice11, BS::cxbsNormal, TcxRadioButtonImageList::sOuterUpperLeft, ui::clBtnText}};
  for (const auto& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.kind) * 10 + static_cast<int>(c.state));
    std::unique_ptr<ui::TBitmap> glyph = draw(c.kind, c.state, false);
    for (gdi::COLORREF colour : slotColours(glyph.get(), c.slot)) EXPECT_EQ(colour, ui::ColorToRGB(c.colour));
  }
}

TEST_F(RadioButtonGlyphs, ABrushColourFillsTheCornersAndClDefaultLeavesThem) {
  std::unique_ptr<ui::TBitmap> plain = draw(K::lfFlat, BS::cxbsNormal, true);
  EXPECT_EQ(plain->Canvas()->Pixels(1, 1), ui::clFuchsia);
  EXPECT_EQ(plain->Canvas()->Pixels(13, 13), ui::clFuchsia);
  std::unique_ptr<ui::TBitmap> filled = draw(K::lfFlat, BS::cxbsNormal, true, ui::clAqua);
  EXPECT_EQ(filled->Canvas()->Pixels(1, 1), ui::clAqua);
  EXPECT_EQ(filled->Canvas()->Pixels(13, 13), ui::clAqua);
  // Outside the glyph's square the canvas is untouched either way.
  EXPECT_EQ(filled->Canvas()->Pixels(0, 0), ui::clFuchsia);
  EXPECT_EQ(filled->Canvas()->Pixels(14, 14), ui::clFuchsia);
}

TEST_F(RadioButtonGlyphs, ASystemColourChangeIsSeenByTheNextGlyph) {
  RadioButtonImageList();
  const int index = gdi::COLOR_BTNSHADOW;
  const gdi::COLORREF orange = 0x0080FF;
  gdi::SetSysColors(1, &index, &orange);
  win::SendMessageW(win::HWND_BROADCAST, win::WM_SYSCOLORCHANGE, 0, 0);
  std::unique_ptr<ui::TBitmap> glyph = draw(K::lfFlat, BS::cxbsNormal, false);
  const std::vector<gdi::COLORREF> ring = slotColours(glyph.get(), TcxRadioButtonImageList::sOuterUpperLeft);
  ASSERT_FALSE(ring.empty());
  for (gdi::COLORREF c : ring) EXPECT_EQ(c, orange);
}

// Every look in rows (Flat, Standard, UltraFlat, Office11); in columns
// normal, hot, pressed and disabled, unchecked then checked, then the
// focused and the designing normal glyph, checked.
TEST_F(RadioButtonGlyphs, SheetOfEveryLookAndState) {
  ui::TBitmap sheet;
  sheet.SetPixelFormat(ui::pf32bit);
  sheet.SetSize(4 + 10 * 17, 4 + 4 * 17);
  sheet.Canvas()->Brush()->SetColor(ui::clBtnFace);
  sheet.Canvas()->FillRect(TRect{0, 0, sheet.Width(), sheet.Height()});
  core::TcxCanvas canvas(sheet.Canvas());
  for (int k = 0; k < 4; ++k) {
    const int y = 4 + k * 17;
    for (int checked = 0; checked < 2; ++checked)
      for (int s = 1; s <= 4; ++s)
        RadioButtonImageList()->Draw(&canvas, 4 + (checked * 4 + s - 1) * 17, y, ui::clDefault, static_cast<K>(k),
                                     static_cast<BS>(s), checked, false, false);
    RadioButtonImageList()->Draw(&canvas, 4 + 8 * 17, y, ui::clDefault, static_cast<K>(k), BS::cxbsNormal, true,
                                 true, false);
    RadioButtonImageList()->Draw(&canvas, 4 + 9 * 17, y, ui::clWindow, static_cast<K>(k), BS::cxbsNormal, true,
                                 false, true);
  }
  EXPECT_GOLDEN(sheet.ToImage(), "lookandfeel", "radio_button_glyphs");
}

}  // namespace
