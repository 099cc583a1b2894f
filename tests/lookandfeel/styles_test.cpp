// Styles, styles objects, style sheets and the repository: how an element's
// view parameters are resolved, who hears of changes, and who owns what.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "lib/lookandfeel/cxStyles.h"
#include "platform/rtl/except.h"
#include "platform/rtl/ustring.h"

namespace lookandfeel {
namespace {

constexpr TColor kStylesWhite = 0xFFFFFF;
constexpr TColor kYellow = 0x00FFFF;
constexpr TColor kRed = 0x0000FF;
constexpr TColor kBlue = 0xFF0000;
constexpr TColor kGray = 0x808080;
constexpr TColor kNavy = 0x800000;

// A view's styles with defaults of its own, recording every announced index.
class ViewStyles : public TcxStyles {
  RTL_CLASS(ViewStyles, TcxStyles)

 public:
  explicit ViewStyles(TPersistent* owner) : TcxStyles(owner) {
    defaultBitmap.SetSize(1, 1);
  }

  using TcxStyles::Changed;
  void Changed(int Index) override { changed.push_back(Index); }
  void GetDefaultViewParams(int Index, void* AData, TcxViewParams& AParams) override {
    TcxStyles::GetDefaultViewParams(Index, AData, AParams);
    ++defaultsAsked;
    AParams.Bitmap = &defaultBitmap;
    AParams.Color = kGray;
    AParams.Font = &defaultFont;
    AParams.TextColor = kNavy;
  }

  std::vector<int> changed;
  int defaultsAsked = 0;
  ui::TFont defaultFont;
  ui::TBitmap defaultBitmap;
};

class OtherStyles : public TcxStyles {
  RTL_CLASS(OtherStyles, TcxStyles)

 public:
  using TcxStyles::TcxStyles;
};

template <class Styles>
class SheetOf : public TcxCustomStyleSheet {
  RTL_CLASS(SheetOf, TcxCustomStyleSheet)

 public:
  using TcxCustomStyleSheet::TcxCustomStyleSheet;
  const rtl::ClassInfo& GetStylesClass() const override { return Styles::classInfo(); }
  Styles* Own() { return static_cast<Styles*>(GetStyles()); }
};
using ViewSheet = SheetOf<ViewStyles>;
using OtherSheet = SheetOf<OtherStyles>;

// A component whose state a test can set (being written to a form file).
class Host : public TComponent {
  RTL_CLASS(Host, TComponent)

 public:
  explicit Host(TComponent* owner = nullptr) : TComponent(owner) {}
  using TComponent::ExcludeState;
  using TComponent::IncludeState;
};

class StyleSpy : public IcxStyleChangeListener {
 public:
  void StyleChanged(TcxCustomStyle*) override { ++changes; }
  void StyleRemoved(TcxCustomStyle* s) override { s->RemoveListener(this); }
  int changes = 0;
};

TcxStyle* NewStyle(TComponent* owner, const char16_t* name = u"") {
  auto* style = rtl::Create<TcxStyle>(owner);
  if (*name) style->SetName(name);
  return style;
}

// ---- merging into view parameters ---------------------------------------------------

// What a style is given: colours (clDefault = not set), a font change, a
// bitmap, and flags taken away afterwards.
struct StyleRecipe {
  bool exists = false;
  TColor color = ui::clDefault;
  bool font = false;
  TColor text = ui::clDefault;
  bool bitmap = false;
  TcxStyleValues removed = {};
};

enum Source { kNone, kExplicit, kIndexed, kDefault };

struct MergeCase {
  const char* name;
  StyleRecipe explicitStyle;
  StyleRecipe indexedStyle;
  bool bitmapInViewParams;
  TColor color;
  Source font;
  TColor text;
  Source bitmap;
  bool defaultsAsked;
};

class StyleMerging : public ::testing::TestWithParam<MergeCase> {};

TcxStyle* Build(const StyleRecipe& recipe, TComponent* owner) {
  if (!recipe.exists) return nullptr;
  TcxStyle* style = NewStyle(owner);
  style->SetColor(recipe.color);
  style->SetTextColor(recipe.text);
  if (recipe.font) style->Font()->SetHeight(-15);
  if (recipe.bitmap) style->Bitmap()->SetSize(4, 4);
  style->SetAssignedValues(style->AssignedValues() - recipe.removed);
  return style;
}

TEST_P(StyleMerging, ResolvesEachValueOnItsOwn) {
  const MergeCase& c = GetParam();
  Host owner;
  TcxStyle* explicitStyle = Build(c.explicitStyle, &owner);
  TcxStyle* indexedStyle = Build(c.indexedStyle, &owner);
  ViewStyles styles(&owner);
  styles.BitmapInViewParams = c.bitmapInViewParams;
  styles.SetStyle(7, indexedStyle);

  TcxViewParams params;
  styles.GetViewParams(7, nullptr, params, explicitStyle);

  auto fontOf = [&](Source s) -> ui::TFont* {
    switch (s) {
      case kExplicit: return explicitStyle->Font();
      case kIndexed: return indexedStyle->Font();
      case kDefault: return &styles.defaultFont;
      default: return nullptr;
    }
  };
  auto bitmapOf = [&](Source s) -> ui::TBitmap* {
    switch (s) {
      case kExplicit: return explicitStyle->Bitmap();
      case kIndexed: return indexedStyle->Bitmap();
      case kDefault: return &styles.defaultBitmap;
      default: return nullptr;
    }
  };
  EXPECT_EQ(params.Color, c.color);
  EXPECT_EQ(params.Font, fontOf(c.font));
  EXPECT_EQ(params.TextColor, c.text);
  EXPECT_EQ(params.Bitmap, bitmapOf(c.bitmap));
  EXPECT_EQ(styles.defaultsAsked, c.defaultsAsked ? 1 : 0);
  EXPECT_EQ(styles.MaxDefaultViewParamsIndex(), c.defaultsAsked ? 7 : -1);
}

const StyleRecipe kAll{true, kYellow, true, kBlue, true, {}};

INSTANTIATE_TEST_SUITE_P(
    Styles, StyleMerging,
    ::testing::Values(
        MergeCase{"WhiteColourOnlyTakesTheRestFromDefaults", {}, {true, kStylesWhite}, false, kStylesWhite,
                  kDefault, kNavy, kDefault, true},
        MergeCase{"ExplicitTextColourOverIndexedColours", {true, ui::clDefault, false, kRed},
                  {true, kYellow, false, kBlue}, false, kYellow, kDefault, kRed, kDefault, true},
        MergeCase{"NothingOpenAsksNoDefaults", {}, kAll, false, kYellow, kIndexed, kBlue, kNone,
                  false},
        MergeCase{"MissingBitmapCountsWhenBitmapsTakePart", {}, {true, kYellow, true, kBlue},
                  true, kYellow, kIndexed, kBlue, kDefault, true},
        MergeCase{"IndexedBitmapWhenBitmapsTakePart", {}, kAll, true, kYellow, kIndexed, kBlue,
                  kIndexed, false},
        MergeCase{"ExplicitWinsEveryValue", {true, kRed, true, kStylesWhite, true}, kAll, true, kRed,
                  kExplicit, kStylesWhite, kExplicit, false},
        MergeCase{"NoStylesAtAll", {}, {}, true, kGray, kDefault, kNavy, kDefault, true},
        MergeCase{"RemovedFlagsHideKeptValues", {true, kRed, true, kStylesWhite, false, {svColor, svFont}},
                  {true, kYellow, true, kBlue, false, {svTextColor}}, false, kYellow, kIndexed,
                  kStylesWhite, kNone, false}),
    [](const ::testing::TestParamInfo<MergeCase>& info) { return std::string(info.param.name); });

// ---- a style's values and flags ------------------------------------------------------

TEST(Style, ColourSettersTrackTheAssignedFlag) {
  struct Step {
    TColor color;
    TcxStyleValues clearBefore;
    bool assigned;
    int changes;  // notifications so far
  };
  const Step steps[] = {
      {kRed, {}, true, 1},
      {ui::clDefault, {}, false, 2},
      {kBlue, {}, true, 3},
      // The same colour changes nothing, even after the flag went away by hand.
      {kBlue, {svColor}, false, 4},
  };
  for (bool text : {false, true}) {
    SCOPED_TRACE(text ? "text colour" : "colour");
    StyleSpy spy;  // outlives the style, which tells it when it goes
    Host owner;
    TcxStyle* style = NewStyle(&owner);
    style->AddListener(&spy);
    const TcxStyleValue flag = text ? svTextColor : svColor;
    for (const Step& s : steps) {
      if (!s.clearBefore.empty()) style->SetAssignedValues(style->AssignedValues() - flag);
      text ? style->SetTextColor(s.color) : style->SetColor(s.color);
      EXPECT_EQ(style->AssignedValues().contains(flag), s.assigned) << s.color;
      EXPECT_EQ(spy.changes, s.changes) << s.color;
    }
  }
}

TEST(Style, FontAndBitmapChangesSetTheirFlags) {
  Host owner;
  TcxStyle* style = NewStyle(&owner);
  style->Font()->SetHeight(-20);
  EXPECT_TRUE(style->IsFontStored());
  style->Bitmap()->SetSize(3, 3);
  EXPECT_TRUE(style->IsBitmapStored());
  style->SetBitmap(nullptr);
  EXPECT_FALSE(style->IsBitmapStored());
  EXPECT_TRUE(style->Bitmap()->Empty());
}

TEST(Style, AssignCopiesValuesThenTheSourceFlagsAndRestoreKeepsTheFont) {
  StyleSpy spy;
  Host owner;
  TcxStyle* source = NewStyle(&owner);
  source->SetColor(kRed);
  source->SetTextColor(kBlue);
  source->Font()->SetHeight(-17);
  source->SetAssignedValues({svColor});  // values stay, only the colour counts

  TcxStyle* copy = NewStyle(&owner);
  copy->AddListener(&spy);
  copy->Assign(source);
  EXPECT_EQ(copy->AssignedValues(), TcxStyleValues{svColor});
  EXPECT_EQ(copy->Color(), kRed);
  EXPECT_EQ(copy->TextColor(), kBlue);
  EXPECT_EQ(copy->Font()->Height(), -17);
  EXPECT_GE(spy.changes, 1);

  copy->SetAssignedValues({svColor, svFont, svTextColor});
  copy->RestoreDefaults();
  EXPECT_TRUE(copy->AssignedValues().empty());
  EXPECT_EQ(copy->Color(), ui::clDefault);
  EXPECT_EQ(copy->TextColor(), ui::clDefault);
  EXPECT_EQ(copy->Font()->Height(), -17);  // kept, but no longer takes part
  ViewStyles styles(&owner);
  styles.SetStyle(0, copy);
  TcxViewParams params;
  styles.GetViewParams(0, nullptr, params);
  EXPECT_EQ(params.Font, &styles.defaultFont);

  Host notAStyle;
  EXPECT_THROW(copy->Assign(&notAStyle), rtl::EConvertError);
}

TEST(Style, EachValueIsStoredOnlyWhileAssigned) {
  Host owner;
  TcxStyle* style = NewStyle(&owner);
  style->SetColor(kRed);
  style->SetTextColor(kBlue);
  style->Font()->SetHeight(-13);
  style->Bitmap()->SetSize(2, 2);
  struct Case {
    const char* property;
    TcxStyleValue flag;
  };
  for (const Case c : {Case{"Bitmap", svBitmap}, Case{"Color", svColor}, Case{"Font", svFont},
                       Case{"TextColor", svTextColor}}) {
    EXPECT_TRUE(rtl::IsStoredProp(style, rtl::Utf8ToString(c.property))) << c.property;
    style->SetAssignedValues(style->AssignedValues() - c.flag);
    EXPECT_FALSE(rtl::IsStoredProp(style, rtl::Utf8ToString(c.property))) << c.property;
  }
  EXPECT_EQ(rtl::GetClass(u"TcxStyle"), &TcxStyle::classInfo());
}

TEST(Style, ChangeScaleResizesOnlyAnAssignedFont) {
  Host owner;
  TcxStyle* withFont = NewStyle(&owner);
  withFont->Font()->SetHeight(-12);
  TcxStyle* without = NewStyle(&owner);
  without->Font()->SetHeight(-12);
  without->SetAssignedValues({});
  withFont->ChangeScale(144, 96);
  without->ChangeScale(144, 96);
  EXPECT_EQ(withFont->Font()->Height(), -18);
  EXPECT_EQ(without->Font()->Height(), -12);
}

// ---- styles objects: entries, sheets, announcements ------------------------------------

TEST(StylesObject, EntriesStaySortedAndFindGivesTheInsertionPoint) {
  Host owner;
  ViewStyles styles(&owner);
  TcxStyle* a = NewStyle(&owner);
  for (int index : {9, 2, 5, 0}) styles.SetStyle(index, a);
  ASSERT_EQ(styles.GetCount(), 4);
  const int expected[] = {0, 2, 5, 9};
  for (int i = 0; i < 4; ++i) EXPECT_EQ(styles.GetItem(i).Index, expected[i]);
  struct Probe { int index; bool found; int position; };
  for (const Probe p : {Probe{0, true, 0}, Probe{3, false, 2}, Probe{9, true, 3},
                        Probe{10, false, 4}, Probe{-1, false, 0}}) {
    int position = -1;
    EXPECT_EQ(styles.Find(p.index, position), p.found) << p.index;
    EXPECT_EQ(position, p.position) << p.index;
  }
  EXPECT_EQ(a->ListenerCount(), 1);  // one listener however many entries
  styles.SetStyle(5, nullptr);
  EXPECT_EQ(styles.GetCount(), 3);
  EXPECT_EQ(styles.changed, (std::vector<int>{9, 2, 5, 0, 5}));
}

TEST(StylesObject, OwnEntryWinsOverTheSheetAndItsRemovalShowsTheSheetStyle) {
  Host owner;
  ViewSheet* sheet = rtl::Create<ViewSheet>(&owner);
  TcxStyle* sheetStyle = NewStyle(&owner);
  TcxStyle* own = NewStyle(&owner);
  sheet->Own()->SetStyle(3, sheetStyle);

  ViewStyles styles(&owner);
  styles.SetStyle(3, own);
  styles.SetStyleSheet(sheet);
  EXPECT_EQ(styles.GetValue(3), own);
  styles.changed.clear();

  styles.SetStyle(3, nullptr);
  EXPECT_EQ(styles.GetValue(3), sheetStyle);
  EXPECT_EQ(styles.changed, (std::vector<int>{3}));

  // Setting what the sheet already gives changes nothing.
  styles.SetStyle(3, sheetStyle);
  EXPECT_EQ(styles.GetCount(), 0);
  EXPECT_EQ(styles.changed, (std::vector<int>{3}));

  // A change of the sheet's style reaches the user through the sheet.
  sheetStyle->SetColor(kRed);
  EXPECT_EQ(styles.changed, (std::vector<int>{3, 3}));
}

TEST(StylesObject, WhileTheOwnerIsWrittenOnlyOwnEntriesAreSeen) {
  Host owner;
  ViewSheet* sheet = rtl::Create<ViewSheet>(&owner);
  TcxStyle* sheetStyle = NewStyle(&owner);
  sheet->Own()->SetStyle(1, sheetStyle);
  ViewStyles styles(&owner);
  styles.SetStyleSheet(sheet);
  owner.IncludeState(rtl::TComponentStateItem::csWriting);
  EXPECT_EQ(styles.GetValue(1), nullptr);
  owner.ExcludeState(rtl::TComponentStateItem::csWriting);
  EXPECT_EQ(styles.GetValue(1), sheetStyle);
}

TEST(StylesObject, SheetSwapAnnouncesOldThenNewChainIndexesOnce) {
  Host owner;
  TcxStyle* s = NewStyle(&owner);
  ViewSheet* base = rtl::Create<ViewSheet>(&owner);
  base->Own()->SetStyle(8, s);
  base->Own()->SetStyle(1, s);
  ViewSheet* oldSheet = rtl::Create<ViewSheet>(&owner);
  oldSheet->Own()->SetStyle(4, s);
  oldSheet->Own()->SetStyle(1, s);
  oldSheet->Own()->SetStyleSheet(base);
  ViewSheet* newSheet = rtl::Create<ViewSheet>(&owner);
  newSheet->Own()->SetStyle(6, s);
  newSheet->Own()->SetStyle(4, s);

  ViewStyles styles(&owner);
  styles.SetStyleSheet(oldSheet);
  EXPECT_EQ(styles.changed, (std::vector<int>{1, 4, 8}));
  EXPECT_EQ(oldSheet->StylesCount(), 1);
  styles.changed.clear();
  styles.SetStyleSheet(newSheet);
  EXPECT_EQ(styles.changed, (std::vector<int>{1, 4, 8, 6}));
  EXPECT_EQ(oldSheet->StylesCount(), 0);
  EXPECT_EQ(newSheet->StylesCount(), 1);
}

TEST(StylesObject, InvalidSheetsAreIgnored) {
  Host owner;
  OtherSheet* other = rtl::Create<OtherSheet>(&owner);
  ViewSheet* a = rtl::Create<ViewSheet>(&owner);
  ViewSheet* b = rtl::Create<ViewSheet>(&owner);
  ViewSheet* c = rtl::Create<ViewSheet>(&owner);
  ViewStyles styles(&owner);

  struct Case {
    const char* what;
    TcxCustomStyles* target;
    TcxCustomStyleSheet* sheet;
    bool valid;
  };
  b->Own()->SetStyleSheet(c);  // b -> c
  const Case cases[] = {
      {"another styles class", &styles, other, false},
      {"its own owning sheet", a->Own(), a, false},
      {"a sheet whose chain comes back", c->Own(), b, false},
      {"a plain chain", a->Own(), b, true},
      {"none", &styles, nullptr, true},
  };
  for (const Case& k : cases) {
    EXPECT_EQ(k.target->IsValidStyleSheet(k.sheet), k.valid) << k.what;
    TcxCustomStyleSheet* before = k.target->StyleSheet();
    k.target->SetStyleSheet(k.sheet);
    EXPECT_EQ(k.target->StyleSheet(), k.valid ? k.sheet : before) << k.what;
  }
}

TEST(StylesObject, FreeingAStyleTwoViewsUseRemovesItFromBoth) {
  Host owner;
  TcxStyle* shared = NewStyle(&owner);
  ViewStyles first(&owner);
  ViewStyles second(&owner);
  first.SetStyle(2, shared);
  first.SetStyle(6, shared);
  second.SetStyle(4, shared);
  first.changed.clear();
  second.changed.clear();

  shared->Free();
  EXPECT_EQ(first.GetCount(), 0);
  EXPECT_EQ(second.GetCount(), 0);
  EXPECT_EQ(first.changed, (std::vector<int>{6, 2}));
  EXPECT_EQ(second.changed, (std::vector<int>{4}));
}

TEST(StylesObject, DefaultFontChangeAnnouncesIndexesResolvedWithIt) {
  Host owner;
  ViewStyles styles(&owner);
  TcxStyle* fontStyle = NewStyle(&owner);
  fontStyle->Font()->SetHeight(-9);
  styles.SetStyle(1, fontStyle);
  TcxViewParams params;
  styles.GetViewParams(3, nullptr, params);
  styles.changed.clear();

  ui::TFont unrelated;
  static_cast<IcxFontListener&>(styles).Changed(nullptr, &unrelated);
  EXPECT_TRUE(styles.changed.empty());
  static_cast<IcxFontListener&>(styles).Changed(nullptr, &styles.defaultFont);
  EXPECT_EQ(styles.changed, (std::vector<int>{0, 2, 3}));  // 1 has its own font
}

// ---- replacing an ancestor's style by name --------------------------------------------

class BaseForm : public Host {
  RTL_CLASS(BaseForm, Host)

 public:
  using Host::Host;
};

class DerivedForm : public BaseForm {
  RTL_CLASS(DerivedForm, BaseForm)

 public:
  using BaseForm::BaseForm;
};

TEST(StylesObject, AStyleIsReplacedByNameOnlyByAStyle) {
  enum Found { kStyleFound, kOtherComponent, kNothing };
  struct Case {
    const char* what;
    Found found;
    bool derivedTop;
    bool replaced;
  };
  const Case cases[] = {
      {"same-named style in an inherited form", kStyleFound, true, true},
      {"same-named component that is not a style", kOtherComponent, true, false},
      {"no component of that name", kNothing, true, false},
      {"top of an unrelated class", kStyleFound, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    BaseForm ancestor;
    TcxStyle* given = NewStyle(&ancestor, u"stHeader");
    std::unique_ptr<Host> top =
        c.derivedTop ? std::make_unique<DerivedForm>() : std::make_unique<Host>();
    TComponent* sameName = nullptr;
    if (c.found == kStyleFound) sameName = NewStyle(top.get(), u"stHeader");
    if (c.found == kOtherComponent) {
      sameName = rtl::Create<Host>(top.get());
      sameName->SetName(u"stHeader");
    }
    Host* view = rtl::Create<Host>(top.get());
    ViewStyles styles(view);
    styles.SetStyle(0, given);
    ASSERT_EQ(styles.GetCount(), 1);
    EXPECT_EQ(styles.GetValue(0), c.replaced ? sameName : given);
  }
}

// ---- style sheets -------------------------------------------------------------------

TEST(StyleSheet, CaptionFallsBackToTheName) {
  Host owner;
  ViewSheet* sheet = rtl::Create<ViewSheet>(&owner);
  sheet->SetName(u"GridSheet");
  struct Step { const char16_t* set; const char16_t* shown; };
  for (const Step s : {Step{u"Windows Standard", u"Windows Standard"},
                       Step{u"gridsheet", u"GridSheet"}, Step{u"Other", u"Other"},
                       Step{u"", u"GridSheet"}}) {
    sheet->SetCaption(s.set);
    EXPECT_EQ(sheet->GetCaption(), rtl::String(s.shown));
  }
}

TEST(StyleSheet, AssignCopiesCaptionAndTheStylesSheetButNotEntries) {
  Host owner;
  TcxStyle* s = NewStyle(&owner);
  ViewSheet* base = rtl::Create<ViewSheet>(&owner);
  ViewSheet* source = rtl::Create<ViewSheet>(&owner);
  source->SetName(u"Source");
  source->Own()->SetStyle(5, s);
  source->Own()->SetStyleSheet(base);
  ViewSheet* copy = rtl::Create<ViewSheet>(&owner);
  copy->Assign(source);
  EXPECT_EQ(copy->GetCaption(), rtl::String(u"Source"));
  EXPECT_EQ(copy->Own()->StyleSheet(), base);
  EXPECT_EQ(copy->Own()->GetCount(), 0);
  EXPECT_EQ(base->StylesCount(), 2);
  EXPECT_THROW(copy->Assign(s), rtl::EConvertError);
}

TEST(StyleSheet, FreeingASheetDetachesItsUsers) {
  Host owner;
  ViewSheet* sheet = rtl::Create<ViewSheet>(&owner);
  sheet->Own()->SetStyle(2, NewStyle(&owner));
  ViewStyles first(&owner);
  ViewStyles second(&owner);
  first.SetStyleSheet(sheet);
  second.SetStyleSheet(sheet);
  first.changed.clear();
  sheet->Free();
  EXPECT_EQ(first.StyleSheet(), nullptr);
  EXPECT_EQ(second.StyleSheet(), nullptr);
  EXPECT_EQ(first.changed, (std::vector<int>{2}));
  EXPECT_EQ(first.GetValue(2), nullptr);
}

TEST(StyleSheet, FakeLinksAreTheOtherOwnersOfItsUsers) {
  Host form;
  Host otherForm;
  Host* view = rtl::Create<Host>(&otherForm);
  ViewSheet* sheet = rtl::Create<ViewSheet>(&form);
  ViewStyles local(&form);
  ViewStyles remote1(view);
  ViewStyles remote2(view);
  for (ViewStyles* s : {&local, &remote1, &remote2}) s->SetStyleSheet(sheet);
  std::vector<TComponent*> links;
  sheet->GetFakeComponentLinks(links);
  EXPECT_EQ(links, (std::vector<TComponent*>{view}));
}

// ---- the repository ------------------------------------------------------------------

TEST(Repository, OwnsWhatItCreatesAndForgetsWhatLeaves) {
  Host form;
  auto* repository = rtl::Create<TcxStyleRepository>(&form);
  EXPECT_FALSE(repository->Scalable());
  auto* a = static_cast<TcxStyle*>(repository->CreateItem(rtl::ClassRef<TcxCustomStyle>::of<TcxStyle>()));
  auto* b = static_cast<TcxStyle*>(
      repository->CreateItemEx(rtl::ClassRef<TcxCustomStyle>::of<TcxStyle>(), &form));
  auto* sheet = repository->CreateStyleSheet(rtl::ClassRef<TcxCustomStyleSheet>::of<ViewSheet>());
  EXPECT_EQ(a->Owner(), repository);
  EXPECT_EQ(b->Owner(), &form);
  EXPECT_EQ(a->GetParentComponent(), repository);
  ASSERT_EQ(repository->GetCount(), 2);
  ASSERT_EQ(repository->GetStyleSheetCount(), 1);

  std::vector<TComponent*> children;
  const auto collect = rtl::TGetChildProc::fromClosure(
      &children, [&](TComponent* c) { children.push_back(c); });
  repository->GetChildren(collect,
                          &form);
  EXPECT_EQ(children, (std::vector<TComponent*>{b}));
  children.clear();
  repository->GetChildren(collect,
                          repository);
  EXPECT_EQ(children, (std::vector<TComponent*>{a, sheet}));

  b->SetStyleRepository(nullptr);
  EXPECT_EQ(repository->GetCount(), 1);
  b->SetParentComponent(repository);
  b->SetParentComponent(repository);  // no duplicate
  EXPECT_EQ(repository->GetCount(), 2);
  EXPECT_THROW(b->SetParentComponent(&form), rtl::EInvalidCast);

  a->Free();
  EXPECT_EQ(repository->GetCount(), 1);
  EXPECT_EQ(repository->GetItem(0), b);
}

TEST(Repository, FreeingItTellsTheViewsAndChangeScaleReachesStyles) {
  Host form;
  auto* repository = rtl::Create<TcxStyleRepository>(&form);
  auto* style = static_cast<TcxStyle*>(repository->CreateItem(rtl::ClassRef<TcxCustomStyle>::of<TcxStyle>()));
  style->Font()->SetHeight(-10);
  repository->ChangeScale(2, 1);
  EXPECT_EQ(style->Font()->Height(), -20);

  ViewSheet* sheet = static_cast<ViewSheet*>(
      repository->CreateStyleSheet(rtl::ClassRef<TcxCustomStyleSheet>::of<ViewSheet>()));
  ViewStyles view(&form);
  view.SetStyle(1, style);
  view.SetStyleSheet(sheet);
  view.changed.clear();
  repository->Free();
  EXPECT_EQ(view.GetCount(), 0);
  EXPECT_EQ(view.StyleSheet(), nullptr);
  EXPECT_EQ(view.changed, (std::vector<int>{1}));
}

// ---- style-sheet class registry --------------------------------------------------------

class TableSheet : public TcxCustomStyleSheet {
  RTL_CLASS(TableSheet, TcxCustomStyleSheet)

 public:
  using TcxCustomStyleSheet::TcxCustomStyleSheet;
};

class BandedSheet : public TableSheet {
  RTL_CLASS(BandedSheet, TableSheet)

 public:
  using TableSheet::TableSheet;
};

// Each test starts and ends with no list, as after the unit's stop.
class StyleSheetClasses : public ::testing::Test {
 protected:
  void SetUp() override { cxStylesUnitStop(); }
  void TearDown() override { cxStylesUnitStop(); }
};

TEST_F(StyleSheetClasses, RegisterFindUnregisterAndDuplicates) {
  using Ref = rtl::ClassRef<TcxCustomStyleSheet>;
  const Ref table = Ref::of<TableSheet>(), banded = Ref::of<BandedSheet>();
  enum Op { Register, Unregister, Stop };
  struct Step {
    Op op;
    Ref cls;
  };
  struct Case {
    const char* name;
    std::vector<Step> steps;
    std::vector<Ref> registered;  // in order
  };
  const Case cases[] = {
      {"nothing registered", {}, {}},
      {"two classes in order", {{Register, banded}, {Register, table}}, {banded, table}},
      {"the same class twice is listed once", {{Register, table}, {Register, banded}, {Register, table}},
       {table, banded}},
      {"unregistered leaves the others", {{Register, table}, {Register, banded}, {Unregister, table}}, {banded}},
      {"unregistering an unknown class changes nothing", {{Register, table}, {Unregister, banded}}, {table}},
      {"unregistering before any registration", {{Unregister, table}}, {}},
      {"registered again after unregistering", {{Register, table}, {Unregister, table}, {Register, table}}, {table}},
      {"no class registers as none", {{Register, nullptr}}, {}},
      {"the unit's stop empties the list", {{Register, table}, {Register, banded}, {Stop, nullptr}}, {}},
      {"a new list after the stop", {{Register, table}, {Stop, nullptr}, {Register, banded}}, {banded}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    cxStylesUnitStop();
    for (const Step& step : c.steps) {
      if (step.op == Register) cxRegisterStyleSheetClass(step.cls);
      if (step.op == Unregister) cxUnregisterStyleSheetClass(step.cls);
      if (step.op == Stop) cxStylesUnitStop();
    }
    ASSERT_EQ(cxStyleSheetClassCount(), static_cast<int>(c.registered.size()));
    for (size_t i = 0; i < c.registered.size(); ++i) EXPECT_EQ(cxStyleSheetClass(int(i)), c.registered[i]);
    for (const Ref& cls : {table, banded}) {
      const bool listed = std::find(c.registered.begin(), c.registered.end(), cls) != c.registered.end();
      EXPECT_EQ(cxFindStyleSheetClass(cls->ClassName()), listed ? cls : Ref()) << rtl::StringToUtf8(cls->ClassName());
    }
  }
}

TEST_F(StyleSheetClasses, FindsOnlyTheExactNameOfARegisteredClass) {
  cxRegisterStyleSheetClass(rtl::ClassRef<TcxCustomStyleSheet>::of<BandedSheet>());
  EXPECT_EQ(cxFindStyleSheetClass(u"BandedSheet"), rtl::ClassRef<TcxCustomStyleSheet>::of<BandedSheet>());
  // Neither its ancestor, nor another spelling, nor a name no class has.
  for (const char16_t* name : {u"TableSheet", u"bandedsheet", u"", u"TcxCustomStyleSheet"})
    EXPECT_FALSE(cxFindStyleSheetClass(name)) << rtl::StringToUtf8(name);
  // A class found by name makes a working sheet.
  Host form;
  TcxCustomStyleSheet* sheet = cxFindStyleSheetClass(u"BandedSheet").Create(&form);
  ASSERT_NE(sheet, nullptr);
  EXPECT_EQ(sheet->ClassType(), &BandedSheet::classInfo());
  EXPECT_THROW(cxStyleSheetClass(1), rtl::EListError);
}

}  // namespace
}  // namespace lookandfeel
