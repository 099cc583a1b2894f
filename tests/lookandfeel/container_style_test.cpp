// Container styles and style controllers: how a value resolves (own value,
// the controller chain, the state's default), links that would make a cycle,
// change notification, and the default controller.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "lib/lookandfeel/cxContainer.h"
#include "tests/lookandfeel/control_fixture.h"

namespace lookandfeel {
namespace {

using testing::Owned;
using V = TcxContainerStyleValue;
using St = TcxContainerStateItem;
using B = TcxContainerBorderStyle;

class ContainerStyles : public testing::ControlTest {
 public:  // the table's set-up steps reach in
  void SetUp() override {
    ControlTest::SetUp();
    MakeObjects();
  }
  void TearDown() override {
    DropObjects();
    ControlTest::TearDown();
  }
  void MakeObjects() {
    a_.reset(rtl::Create<TcxStyleController>(nullptr));
    b_.reset(rtl::Create<TcxStyleController>(nullptr));
    styles_ = std::make_unique<TcxContainerStyles>(nullptr);
    // Every kind of look-and-feel gives its own default border style: fix it.
    styles_->StyleNormal()->LookAndFeel()->SetKind(TcxLookAndFeelKind::lfStandard);
  }
  void DropObjects() {
    styles_.reset();
    b_.reset();
    a_.reset();
  }
  TcxContainerStyle* S(St state) { return styles_->Style(state); }

  Owned<TcxStyleController> a_, b_;
  std::unique_ptr<TcxContainerStyles> styles_;
};

// Reads one value of the style of a state as an integer.
struct Probe {
  V value;
  std::function<int(TcxContainerStyle*)> read;
};
const Probe kColor{V::csvColor, [](TcxContainerStyle* s) { return int(s->GetColor()); }};
const Probe kBorderColor{V::csvBorderColor, [](TcxContainerStyle* s) { return int(s->GetBorderColor()); }};
const Probe kBorderStyle{V::csvBorderStyle, [](TcxContainerStyle* s) { return int(s->GetBorderStyle()); }};
const Probe kTextColor{V::csvTextColor, [](TcxContainerStyle* s) { return int(s->GetTextColor()); }};
const Probe kShadow{V::csvShadow, [](TcxContainerStyle* s) { return int(s->GetShadow()); }};

TEST_F(ContainerStyles, ValuesResolveOwnThenControllerChainThenDefault) {
  using Setup = std::function<void(ContainerStyles&)>;
  struct Case {
    const char* what;
    Setup setup;
    St state;
    Probe probe;
    int expected;
    bool assigned;
  };
  auto linkA = [](ContainerStyles& t) { t.S(St::csNormal)->SetStyleController(t.a_.get()); };
  const Case cases[] = {
      {"nothing assigned, no container: button-face colour", [](ContainerStyles&) {}, St::csNormal, kColor,
       int(ui::clBtnFace), false},
      {"controller's normal style lends its colour",
       [&](ContainerStyles& t) {
         t.a_->Style()->SetColor(ui::clYellow);
         linkA(t);
       },
       St::csNormal, kColor, int(ui::clYellow), true},
      {"a focused style without a value shows the normal colour it defaults to",
       [&](ContainerStyles& t) {
         t.a_->Style()->SetColor(ui::clYellow);
         linkA(t);
       },
       St::csActive, kColor, int(ui::clYellow), false},
      {"the controller's style of the same state answers first",
       [&](ContainerStyles& t) {
         t.a_->Style()->SetColor(ui::clYellow);
         t.a_->StyleFocused()->SetColor(ui::clRed);
         linkA(t);
       },
       St::csActive, kColor, int(ui::clRed), true},
      {"an own value wins over the controller",
       [&](ContainerStyles& t) {
         t.a_->StyleHot()->SetBorderColor(ui::clRed);
         t.S(St::csHotTrack)->SetBorderColor(ui::clLime);
         linkA(t);
       },
       St::csHotTrack, kBorderColor, int(ui::clLime), true},
      {"the chain goes on through the controller's own controller",
       [&](ContainerStyles& t) {
         t.b_->StyleDisabled()->SetTextColor(ui::clNavy);
         t.a_->Style()->SetStyleController(t.b_.get());
         linkA(t);
       },
       St::csDisabled, kTextColor, int(ui::clNavy), true},
      {"disabled text defaults to the button shadow", [](ContainerStyles&) {}, St::csDisabled, kTextColor,
       int(ui::clBtnShadow), false},
      {"normal border colour defaults to the window frame", [](ContainerStyles&) {}, St::csNormal, kBorderColor,
       int(ui::clWindowFrame), false},
      {"hot border colour defaults to the normal one",
       [](ContainerStyles& t) { t.S(St::csNormal)->SetBorderColor(ui::clPurple); }, St::csHotTrack, kBorderColor,
       int(ui::clPurple), false},
      {"a normal-only value asked of a state style comes from the normal style",
       [](ContainerStyles& t) { t.S(St::csNormal)->SetShadow(true); }, St::csActive, kShadow, 1, true},
      {"the UltraFlat kind gives UltraFlat borders, hot too",
       [](ContainerStyles& t) { t.S(St::csNormal)->LookAndFeel()->SetKind(TcxLookAndFeelKind::lfUltraFlat); },
       St::csHotTrack, kBorderStyle, int(B::cbsUltraFlat), false},
      {"a single normal border is thick when hot with hot tracking",
       [](ContainerStyles& t) { t.S(St::csNormal)->SetBorderStyle(B::cbsSingle); }, St::csHotTrack, kBorderStyle,
       int(B::cbsThick), false},
      {"and stays single without hot tracking",
       [](ContainerStyles& t) {
         t.S(St::csNormal)->SetBorderStyle(B::cbsSingle);
         t.S(St::csNormal)->SetHotTrack(false);
       },
       St::csHotTrack, kBorderStyle, int(B::cbsSingle), false},
      {"a flat normal border is 3D when focused",
       [](ContainerStyles& t) { t.S(St::csNormal)->SetBorderStyle(B::cbsFlat); }, St::csActive, kBorderStyle,
       int(B::cbs3D), false},
      {"the disabled style keeps the normal border style",
       [](ContainerStyles& t) { t.S(St::csNormal)->SetBorderStyle(B::cbsSingle); }, St::csDisabled, kBorderStyle,
       int(B::cbsSingle), false},
      {"the controller's look-and-feel becomes the master of the style's",
       [&](ContainerStyles& t) {
         t.S(St::csNormal)->LookAndFeel()->Reset();
         t.a_->Style()->LookAndFeel()->SetKind(TcxLookAndFeelKind::lfFlat);
         linkA(t);
       },
       St::csNormal, kBorderStyle, int(B::cbsFlat), false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    DropObjects();
    MakeObjects();
    c.setup(*this);
    EXPECT_EQ(c.probe.read(S(c.state)), c.expected);
    EXPECT_EQ(S(c.state)->IsValueAssigned(c.probe.value), c.assigned);
  }
}

TEST_F(ContainerStyles, UnlinkingOrFreeingTheControllerRestoresTheDefault) {
  a_->Style()->SetColor(ui::clYellow);
  S(St::csNormal)->SetStyleController(a_.get());
  EXPECT_EQ(S(St::csNormal)->GetColor(), ui::clYellow);
  S(St::csNormal)->SetStyleController(nullptr);
  EXPECT_EQ(S(St::csNormal)->GetColor(), ui::clBtnFace);
  EXPECT_TRUE(a_->Listeners().empty());

  S(St::csNormal)->SetStyleController(a_.get());
  int changes = 0;
  S(St::csNormal)->SetOnChanged(rtl::TNotifyEvent::fromClosure(&changes, [&](rtl::TObject*) { ++changes; }));
  a_.reset();
  EXPECT_EQ(S(St::csNormal)->StyleController(), nullptr);
  EXPECT_EQ(S(St::csNormal)->GetColor(), ui::clBtnFace);
  EXPECT_FALSE(S(St::csNormal)->IsValueAssigned(V::csvColor));
  EXPECT_GE(changes, 1);
}

TEST_F(ContainerStyles, LinksThatCloseACycleAreRefused) {
  Owned<TcxStyleController> c(rtl::Create<TcxStyleController>(nullptr));
  a_->Style()->SetStyleController(b_.get());
  b_->Style()->SetStyleController(a_.get());  // A -> B -> A
  EXPECT_EQ(a_->Style()->StyleController(), b_.get());
  EXPECT_EQ(b_->Style()->StyleController(), nullptr);
  EXPECT_EQ(b_->Listeners().size(), 1u);
  EXPECT_TRUE(a_->Listeners().empty());

  b_->Style()->SetStyleController(c.get());
  c->StyleFocused()->SetStyleController(a_.get());  // a state style links through its normal style
  EXPECT_EQ(c->Style()->StyleController(), nullptr);  // C -> A -> B -> C refused
  a_->Style()->SetStyleController(a_.get());           // itself
  EXPECT_EQ(a_->Style()->StyleController(), b_.get());
  // The chain still resolves, without looping.
  c->Style()->SetBorderColor(ui::clRed);
  EXPECT_EQ(a_->Style()->GetBorderColor(), ui::clRed);
  b_->Style()->SetStyleController(nullptr);
  c.reset();
}

TEST_F(ContainerStyles, ChangesInsideABracketAreAnnouncedOnce) {
  TcxContainerStyle* normal = S(St::csNormal);
  int changes = 0;
  normal->SetOnChanged(rtl::TNotifyEvent::fromClosure(&changes, [&](rtl::TObject*) { ++changes; }));
  normal->BeginUpdate();
  normal->SetColor(ui::clRed);
  normal->SetBorderStyle(B::cbsThick);
  normal->SetShadow(true);
  EXPECT_EQ(changes, 0);
  normal->EndUpdate();
  EXPECT_EQ(changes, 1);
  normal->SetColor(ui::clRed);  // the same assigned value: no change
  EXPECT_EQ(changes, 1);
  normal->SetTransparentBorder(false);
  EXPECT_EQ(changes, 2);
  EXPECT_TRUE(normal->IsValueAssigned(V::csvTransparentBorder));
  // A controller's change reaches the linked style.
  normal->SetStyleController(a_.get());
  const int before = changes;
  a_->StyleHot()->SetColor(ui::clBlue);
  EXPECT_EQ(changes, before + 1);
}

TEST_F(ContainerStyles, StateStylesForwardNormalOnlyValues) {
  S(St::csActive)->SetEdges({core::bLeft, core::bTop});
  EXPECT_EQ(S(St::csNormal)->GetEdges(), (core::TcxBorders{core::bLeft, core::bTop}));
  EXPECT_TRUE(S(St::csNormal)->AssignedValues().contains(V::csvEdges));
  EXPECT_FALSE(S(St::csActive)->AssignedValues().contains(V::csvEdges));
  S(St::csHotTrack)->SetStyleController(a_.get());
  EXPECT_EQ(S(St::csNormal)->StyleController(), a_.get());
  EXPECT_TRUE(S(St::csDisabled)->HasBorder());
  // The state styles publish only their own values.
  struct Name {
    const char16_t* name;
    bool published;
  };
  const Name names[] = {{u"BorderColor", true}, {u"textstyle", true},    {u"Edges", false},
                        {u"Font", false},       {u"LookAndFeel", false}, {u"StyleController", false},
                        {u"Something", true}};
  for (const Name& n : names) EXPECT_EQ(S(St::csActive)->IsExtendedStylePropertyPublished(n.name), n.published);
  TcxContainerStyleValue v;
  ASSERT_TRUE(S(St::csNormal)->GetStyleValue(u"transparentBORDER", v));
  EXPECT_EQ(v, V::csvTransparentBorder);
  EXPECT_FALSE(S(St::csNormal)->GetStyleValue(u"Colour", v));
}

TEST_F(ContainerStyles, FontComesFromTheControllerWithoutBecomingAssigned) {
  ui::TFont bold;
  bold.SetStyle({ui::fsBold});
  bold.SetColor(ui::clMaroon);
  a_->Style()->SetFont(&bold);
  EXPECT_TRUE(a_->Style()->AssignedValues().contains(V::csvFont));
  S(St::csNormal)->SetStyleController(a_.get());
  EXPECT_TRUE(S(St::csNormal)->GetFont()->Style().contains(ui::fsBold));
  EXPECT_FALSE(S(St::csNormal)->AssignedValues().contains(V::csvFont));
  EXPECT_TRUE(S(St::csNormal)->IsValueAssigned(V::csvFont));
  // The visible font carries the resolved text colour.
  EXPECT_EQ(S(St::csNormal)->GetVisibleFont()->Color(), ui::clMaroon);
  EXPECT_EQ(S(St::csDisabled)->GetVisibleFont()->Color(), ui::clBtnShadow);
  // Scaling touches only assigned fonts.
  const int height = a_->Style()->GetFont()->Height();
  a_->ChangeScale(2, 1);
  EXPECT_EQ(a_->Style()->GetFont()->Height(), height * 2);
}

TEST_F(ContainerStyles, TheDefaultControllerIsSettableAndQuietlyLinked) {
  Owned<TcxStyleController> defaults(rtl::Create<TcxStyleController>(nullptr));
  defaults->Style()->SetColor(ui::clAqua);
  cxContainerDefaultStyleController = defaults.get();
  auto styles = std::make_unique<TcxContainerStyles>(nullptr);
  EXPECT_EQ(styles->StyleNormal()->StyleController(), nullptr);  // reported empty
  EXPECT_EQ(styles->StyleNormal()->ActiveStyleController(), defaults.get());
  EXPECT_EQ(styles->StyleNormal()->GetColor(), ui::clAqua);
  // Unlinking from another controller goes back to the default one.
  styles->StyleNormal()->SetStyleController(a_.get());
  styles->StyleNormal()->SetStyleController(nullptr);
  EXPECT_EQ(styles->StyleNormal()->ActiveStyleController(), defaults.get());
  // Freeing it clears the global and leaves the style with its own defaults.
  defaults.reset();
  EXPECT_EQ(cxContainerDefaultStyleController, nullptr);
  EXPECT_EQ(styles->StyleNormal()->ActiveStyleController(), nullptr);
  EXPECT_EQ(styles->StyleNormal()->GetColor(), ui::clBtnFace);
}

TEST_F(ContainerStyles, AssignCopiesValuesAndTheLink) {
  TcxContainerStyle* normal = S(St::csNormal);
  normal->SetStyleController(a_.get());
  normal->SetBorderStyle(B::cbsThick);
  normal->SetColor(ui::clRed);
  TcxContainerStyles copy(nullptr);
  copy.StyleNormal()->Assign(normal);
  EXPECT_EQ(copy.StyleNormal()->StyleController(), a_.get());
  EXPECT_EQ(copy.StyleNormal()->GetBorderStyle(), B::cbsThick);
  EXPECT_EQ(copy.StyleNormal()->GetColor(), ui::clRed);
  EXPECT_EQ(copy.StyleNormal()->AssignedValues(), normal->AssignedValues());
  copy.StyleNormal()->RestoreDefaults();
  EXPECT_EQ(copy.StyleNormal()->AssignedValues(), TcxContainerStyleValues{});
  EXPECT_EQ(copy.StyleNormal()->GetColor(), ui::clBtnFace);
  copy.StyleNormal()->SetStyleController(nullptr);
}

}  // namespace
}  // namespace lookandfeel
